#pragma once
// 打印 (PrintPage), caption "打印页面": the one page that prints on paper. A
// window hands it a document (WindowHost::handToPrintPage); the page shows the
// text in an editable box with its title standing beside it, top to bottom, and
// prints the box's current text with one of two paper presets chosen in the
// set-up panel setupPanel.
//
// Printing (PrintPlainText) reads only the chosen preset's two counts; the
// margin boxes are shown and kept but never read: every page starts 1400 twips
// from the top and 1100 from the left, in a 10-point CJK font. A count that is
// empty, not a number or 0 is refused with a message and nothing is printed.
#include "kit/print_page_target.h"
#include "kit/window_base.h"

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace tessaly {

class PrintPage : public QWidget, public FormWindow, public PrintPageTarget {
    Q_OBJECT
public:
    explicit PrintPage(WindowHost &host, QWidget *parent = nullptr);

    // The document handed over; empty until a window hands one over.
    QString wenben;
    void setWenben(const QString &document) override;

    QPlainTextEdit *documentBox = nullptr;   // the document, editable; printing reads it
    QLabel *titleText = nullptr;          // the title
    QLabel *titleShadow = nullptr;          // the title again, as its shadow
    QLabel *wordHint = nullptr;
    QPushButton *startPrintButton = nullptr;   // 打印开始: opens the set-up panel
    QPushButton *closeButton = nullptr;   // 关闭打印

    QFrame *setupPanel = nullptr;        // the set-up panel
    QLineEdit *b5TopBox = nullptr;        // B5: top margin
    QLineEdit *b5LinesBox = nullptr;        // B5: lines per page
    QLineEdit *b5LeftBox = nullptr;        // B5: left margin
    QLineEdit *b5CharsBox = nullptr;        // B5: characters per line
    QLineEdit *a4TopBox = nullptr;        // A4: top margin
    QLineEdit *a4LinesBox = nullptr;        // A4: lines per page
    QLineEdit *a4LeftBox = nullptr;        // A4: left margin
    QLineEdit *a4CharsBox = nullptr;        // A4: characters per line
    QRadioButton *b5Option = nullptr;   // 用B5纸打印
    QRadioButton *a4Option = nullptr;   // 用A4纸打印
    QPushButton *confirmPrintButton = nullptr;   // 确 认: prints
    QPushButton *cancelPrintButton = nullptr;   // 取 消: hides the panel

    // The message of a key other than a digit or Backspace in a set-up box.
    static const QString kDigitsOnlyMessage;
    // The message of a count box that holds no number of at least 1.
    static const QString kCountRefusedMessage;

public slots:
    void Form_Load() override;
    void startPrintClicked();
    void closeClicked();
    void confirmPrintClicked();
    void cancelPrintClicked();
    void PrintPlainText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void resetPanel();
    void placePanel();
    QList<QLineEdit *> setupBoxes() const;
};

} // namespace tessaly
