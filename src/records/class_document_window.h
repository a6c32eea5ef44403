#pragma once
// 年初工作计划 and 年终工作总结: the head teacher of a class chooses grade group and
// class (or head teacher), signs in, opens one of the class's plans (summaries)
// of the window's section or creates the one of today's half year, writes it,
// saves it into that row and prints it through the print page. Both windows are
// this class with the values of ClassDocumentWindow::Twin (class_documents.h
// holds the rules).
//
// The open document is kept by its key: a save writes into that row or, with
// none open, nowhere. Every change a user makes in the editor marks it unsaved,
// and each of the four list choices first asks whether to save it.
#include "kit/window_base.h"
#include "records/class_context.h"
#include "records/head_teacher_documents.h"

#include <QVector>
#include <QWidget>
#include <optional>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tessaly {

class ClassDocumentWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    records::ClassContext *context() const { return m_context; }
    // The class's documents listed in Combo4, in list order.
    const QVector<records::Document> &documents() const { return m_listed; }
    // The key of the open document, the row a save writes into.
    std::optional<qint64> openDocument() const { return m_open; }
    // Whether the editor holds changes the user made since a document was opened or saved.
    bool hasUnsavedChanges() const { return m_unsaved; }

    QFrame *Frame3 = nullptr;             // selection panel
    QLabel *Label6 = nullptr;             // its heading
    QComboBox *Combo1 = nullptr;          // grade groups
    QComboBox *Combo2 = nullptr;          // classes
    QComboBox *Combo3 = nullptr;          // their head teachers, at the same positions
    QLabel *Label4 = nullptr;             // instructions
    QLabel *Label3 = nullptr;             // header of the editing side
    QLabel *Label1 = nullptr;             // title line above the editor
    QPlainTextEdit *Text1 = nullptr;      // the editor: writable while signed in
    QFrame *Frame2 = nullptr;             // editing panel: enabled while signed in
    QLabel *lblLabels0 = nullptr;         // label of the document list
    QComboBox *Combo4 = nullptr;          // the class's documents
    QLabel *lblLabels1 = nullptr;         // label of the creation row
    QLineEdit *Text5 = nullptr;           // display name of the document to create
    QLineEdit *Text2 = nullptr;           // its kind code (hidden)
    QPushButton *Command3 = nullptr;      // 创建
    QPushButton *Command7 = nullptr;      // 保存内容
    QPushButton *Command1 = nullptr;      // 打开模板
    QPushButton *Command2 = nullptr;      // 打印
    QPushButton *Command10 = nullptr;     // sign-in toggle
    QPushButton *cmdClose = nullptr;
    QLabel *Label5 = nullptr;             // status line

public slots:
    void Form_Load() override;
    void Combo4_Click();            // OpenClassDocument of the chosen entry
    void CreateClassDocument();     // Command3
    // Writes the editor into the open document (none open: nothing). False when
    // the write failed; the failure has been reported.
    bool SaveClassDocument();       // Command7
    void Command1_Click();          // the template window
    void SendToPrintPage();         // Command2

protected:
    // What the two windows differ in.
    struct Twin {
        records::DocumentKind kind;     // Plan or Summary
        const char16_t *name;           // window name
        const char16_t *templates;      // the template window of 打开模板
        QString caption;
        int widthTwips;
        int heightTwips;
        QString duplicateBracket;       // closes the name in the duplicate message
        QString loadStatus;             // Label5 at load
        QString header;                 // Label3
        QString listLabel;
        QString createLabel;
        QString heading;                // Label6
        bool listInPanel;               // Combo4 inside Frame2 (usable only while signed in)
        QString dataErrorPrefix;        // before the text of a data error
    };
    ClassDocumentWindow(const Twin &twin, WindowHost &host, QWidget *parent);

public:
    // Unsaved changes are asked about first, with Cancel to stay.
    bool mayClose() override;

private:
    void gradeGroupChosen();
    void classChosen();
    void signInShown(bool signedIn, records::ClassContext::Shown when);
    // The unsaved-changes question; true when the choice goes on (No, or Yes and saved).
    bool askToSave();
    QString unsavedQuestion() const;
    // Yes to that question: saves into the open document; with none open the
    // text has nowhere to go, which is said, and false keeps it.
    bool saveAnswered();
    // Reads the class's documents of the window's section; nullopt when the read failed.
    std::optional<QVector<records::Document>> readListed();
    void showListed(const QVector<records::Document> &listed);
    void ListClassDocuments();
    // Asks the question, reads the list again and opens the document with that key.
    void chooseDocument(qint64 id);
    void closeDocument();
    void setEditorText(const QString &text);
    QString word() const;

    Twin m_twin;
    records::ClassContext *m_context = nullptr;
    QVector<records::Document> m_listed;
    std::optional<qint64> m_open;
    records::Document m_openRead;              // the open document as read (or last saved)
    bool m_unsaved = false;
    bool m_settingText = false;
};

class PlanWindow : public ClassDocumentWindow {
    Q_OBJECT
public:
    explicit PlanWindow(WindowHost &host, QWidget *parent = nullptr);
};

class SummaryWindow : public ClassDocumentWindow {
    Q_OBJECT
public:
    explicit SummaryWindow(WindowHost &host, QWidget *parent = nullptr);
};

} // namespace tessaly
