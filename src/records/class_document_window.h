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
    // The class's documents listed in documentCombo, in list order.
    const QVector<records::Document> &documents() const { return m_listed; }
    // The key of the open document, the row a save writes into.
    std::optional<qint64> openDocument() const { return m_open; }
    // Whether the editor holds changes the user made since a document was opened or saved.
    bool hasUnsavedChanges() const { return m_unsaved; }

    QFrame *choicePanel = nullptr;             // selection panel
    QLabel *choiceHeading = nullptr;             // its heading
    QComboBox *gradeGroupCombo = nullptr;          // grade groups
    QComboBox *classCombo = nullptr;          // classes
    QComboBox *headTeacherCombo = nullptr;          // their head teachers, at the same positions
    QLabel *usageNote = nullptr;             // instructions
    QLabel *editorHeading = nullptr;             // header of the editing side
    QLabel *titleLabel = nullptr;             // title line above the editor
    QPlainTextEdit *documentBox = nullptr;      // the editor: writable while signed in
    QFrame *editorPanel = nullptr;             // editing panel: enabled while signed in
    QLabel *documentListLabel = nullptr;         // label of the document list
    QComboBox *documentCombo = nullptr;          // the class's documents
    QLabel *creationLabel = nullptr;         // label of the creation row
    QLineEdit *newDocumentBox = nullptr;           // display name of the document to create
    QLineEdit *newKindBox = nullptr;           // its kind code (hidden)
    QPushButton *createButton = nullptr;      // 创建
    QPushButton *saveButton = nullptr;      // 保存内容
    QPushButton *openTemplatesButton = nullptr;      // 打开模板
    QPushButton *printButton = nullptr;      // 打印
    QPushButton *signInButton = nullptr;     // sign-in toggle
    QPushButton *closeButton = nullptr;
    QLabel *statusLabel = nullptr;             // status line

public slots:
    void Form_Load() override;
    void documentChosen();            // OpenClassDocument of the chosen entry
    void CreateClassDocument();     // createButton
    // Writes the editor into the open document (none open: nothing). False when
    // the write failed; the failure has been reported.
    bool SaveClassDocument();       // saveButton
    void openTemplatesClicked();          // the template window
    void SendToPrintPage();         // printButton

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
        QString loadStatus;             // statusLabel at load
        QString header;                 // editorHeading
        QString listLabel;
        QString createLabel;
        QString heading;                // choiceHeading
        bool listInPanel;               // documentCombo inside editorPanel (usable only while signed in)
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
