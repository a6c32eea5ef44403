#pragma once
// What the twin record windows 学生行为纪录 (DevelopmentRecordWindow) and
// 日常工作记录 (DailyRecordWindow) share: the selection panel choiceFrame (grade
// group, class, a third combo, the record list, print, sign-in toggle, close),
// the editor panel editorFrame (the record text and the two-mode editor's buttons,
// enabled while the class's head teacher is signed in), the class context, and
// the record list of the class's rows of the window's kind code.
//
// A sign-in that ends elsewhere while a record is typed leaves the text as it
// is: the status line is written into the record box only outside a mode.
//
// A list entry stands for the row it was listed from (listedRows()), and the
// chosen entry is the row edit and delete act on. Each twin says which rows it
// lists, what an add checks and asks, and what its texts are.
#include "kit/window_base.h"
#include "records/class_context.h"
#include "records/head_teacher_documents.h"
#include "records/two_mode_editor.h"

#include <QVector>
#include <QWidget>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tessaly {

class RecordWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    // The rows the list shows, entry by entry.
    const QVector<records::Document> &listedRows() const { return m_listed; }
    // The row of the chosen list entry; none when no entry is chosen.
    std::optional<records::Document> chosenRow() const;
    records::ClassContext *context() const { return m_context; }
    records::TwoModeEditor *editor() const { return m_editor; }

    QGroupBox *choiceFrame = nullptr;          // selection
    QGroupBox *editorFrame = nullptr;          // editor
    QComboBox *gradeGroupCombo = nullptr;          // grade group
    QComboBox *classCombo = nullptr;          // class
    QComboBox *personCombo = nullptr;          // students (development) or head teachers (daily)
    QLabel *listCaption = nullptr;         // heading of the list
    QListWidget *recordList = nullptr;         // display names
    QPushButton *signInButton = nullptr;     // sign-in toggle
    QPushButton *printButton = nullptr;      // 打印
    QPushButton *closeButton = nullptr;
    QLabel *recordTitle = nullptr;             // class heading, then the record's title
    QPlainTextEdit *recordBox = nullptr;      // the record text; hints and sign-in status
    QPushButton *addButton = nullptr;
    QPushButton *editButton = nullptr;
    QPushButton *deleteButton = nullptr;
    QPushButton *updateButton = nullptr;
    QPushButton *refreshButton = nullptr;
    QLabel *headingLabel = nullptr;             // heading
    QLabel *usageNote = nullptr;             // usage note

public slots:
    void Form_Load() override;
    void recordChosen();
    void printClicked();

protected:
    struct Texts {
        const char16_t *name;        // objectName (window_names.h)
        QString caption;
        int widthTwips = 0;
        int heightTwips = 0;
        QString gradeLabel;          // beside gradeGroupCombo
        QString classLabel;          // beside classCombo
        QString thirdLabel;          // beside personCombo
        QString listHeading;         // listCaption as designed
        QString recordLabel;         // recordTitle as designed
        QString heading;             // headingLabel
        QString note;                // usageNote, after "记录使用说明:"
        QString hint;                // the hint's line after "提示：" at opening
        records::DocumentKind kind;
        QString classHeadingWord;    // in recordTitle after a class choice: "记录" or nothing
        QString addingWord;          // recordTitle while adding: "行为记录--" / "工作日记--"
        QString shownWord;           // recordTitle for a chosen record: "行为记录--" / "日记--"
        QString emptyText;           // a save of an empty text
        QString printTitle;          // "学生行为记录" / "日常工作记录"
    };

    RecordWindow(WindowHost &host, QWidget *parent, const Texts &texts);
    // A record typed while adding or editing is settled first (two_mode_editor.h).
    bool mayClose() override;

    // The twin's steps.
    // The subject a list is limited to (a student); empty: the whole class.
    virtual QString listedSubject() const { return QString(); }
    // After the list was filled (the development window's count).
    virtual void listFilled() {}
    // The refusal before anything else of an add; true when refused (it has said why).
    virtual bool addRefused() = 0;
    // What the new record's display name names: the student or the class.
    virtual QString newRecordSubject() const = 0;
    // The texts of an add: the duplicate notice, and the question (true: Yes).
    virtual void showDuplicate(const QString &displayName) = 0;
    virtual bool confirmAdd(const QString &displayName) = 0;
    // The head teacher on the printed page.
    virtual QString printedHeadTeacher() const = 0;
    // The twin's part of a grade-group and a class choice, and of a shown sign-in state.
    virtual void gradeGroupChosen() {}
    virtual void classChosen() = 0;
    virtual void signInShown(bool signedIn, records::ClassContext::Shown when) = 0;

    // Reads the class's records and lists those of the section (and subject)
    // with no entry chosen; recordTitle shows the class heading. Nothing without a class.
    void loadRecords();
    // Chooses the entry of that row (none: no entry) and shows it.
    void chooseRow(std::optional<qint64> id);
    // "班主任(王老师)" followed by the state and a line of its own.
    void showStatus(const QString &state, const QString &line);
    // Whether the class combo shows the class whose context is held.
    bool classShown() const;
    const Texts &texts() const { return m_texts; }

private:
    bool prepareRecord();
    void editorLeft(const records::TwoModeEditor::Leave &how);
    QString classHeading() const;

    Texts m_texts;
    records::ClassContext *m_context = nullptr;
    records::TwoModeEditor *m_editor = nullptr;
    QVector<records::Document> m_listed;
    QString m_newKind;   // kind code and display name of the record being added,
    QString m_newName;   // composed when the add was clicked
};

} // namespace tessaly
