#pragma once
// 打印 (PrintPage), caption "打印页面": the one page that prints on paper. A
// window hands it a document (WindowHost::handToPrintPage); the page shows the
// text in an editable box with its title standing beside it, top to bottom, and
// prints the box's current text with one of two paper presets chosen in the
// set-up panel Picture1.
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

    QPlainTextEdit *Text1 = nullptr;   // the document, editable; printing reads it
    QLabel *Label2 = nullptr;          // the title
    QLabel *Label1 = nullptr;          // the title again, as its shadow
    QLabel *Label3 = nullptr;
    QPushButton *Command1 = nullptr;   // 打印开始: opens the set-up panel
    QPushButton *Command2 = nullptr;   // 关闭打印

    QFrame *Picture1 = nullptr;        // the set-up panel
    QLineEdit *Text2 = nullptr;        // B5: top margin
    QLineEdit *Text3 = nullptr;        // B5: lines per page
    QLineEdit *Text4 = nullptr;        // B5: left margin
    QLineEdit *Text5 = nullptr;        // B5: characters per line
    QLineEdit *Text6 = nullptr;        // A4: top margin
    QLineEdit *Text7 = nullptr;        // A4: lines per page
    QLineEdit *Text8 = nullptr;        // A4: left margin
    QLineEdit *Text9 = nullptr;        // A4: characters per line
    QRadioButton *Option1 = nullptr;   // 用B5纸打印
    QRadioButton *Option2 = nullptr;   // 用A4纸打印
    QPushButton *Command3 = nullptr;   // 确 认: prints
    QPushButton *Command4 = nullptr;   // 取 消: hides the panel

    // The message of a key other than a digit or Backspace in a set-up box.
    static const QString kDigitsOnlyMessage;
    // The message of a count box that holds no number of at least 1.
    static const QString kCountRefusedMessage;

public slots:
    void Form_Load() override;
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
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
