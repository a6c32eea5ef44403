#pragma once
// 任课教师录入成绩: a subject teacher's score entry for one class, one subject
// and one exam.
//
// Choose a grade group (Combo1), a class (Combo2) and a subject (Combo3): the
// subject's teacher becomes the sign-in toggle's account, the class code is resolved,
// lists the class's students in the score grid Grid1 and the subject's exams in
// Combo5. Choosing an exam opens it: its stored scores and its full mark
// (Text9). While the teacher is signed in (Command2) the entry frame Frame1 is
// enabled and the creation panel Frame6 adds a new exam.
//
// Scores are typed in three ways, all into the grid's score column and the
// row state "1": the cell editor Text1 over the grid, the name, seat-number and
// score boxes (Text3, Text2, Text4), and the mixed box Text5 ("23/79"). Every
// accepted key plays its key sound. Command4 counts levels and ranks the class
// (panel Picture1); Command8 saves the marked rows into the open exam.
//
// The window keeps its students and scores as rows (school/score_sheet.h); the
// grid shows them. Exam column names and lists are school/exam_columns.h, the
// subject list kit/subject_selection.h; the rules of score entry live in
// src/score_entry/: creation (exam_creation.h), key rules (score_input.h),
// statistics and saving (entry_statistics.h).
#include "kit/window_base.h"

#include "kit/class_choice.h"
#include "school/class_code.h"
#include "score_entry/exam_creation.h"
#include "school/score_sheet.h"

#include <QList>
#include <QStringList>
#include <QWidget>
#include <memory>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessaly {

class CellEditor;
class FlexGrid;
class SignInToggle;

class ScoreEntryWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit ScoreEntryWindow(WindowHost &host, QWidget *parent = nullptr);
    ~ScoreEntryWindow() override;

    QSize sizeHint() const override;

    QLabel *Label4 = nullptr;    // title line
    QLabel *Label5 = nullptr;    // status line
    QLabel *Label7 = nullptr;    // caption over the grid

    // Selection.
    QGroupBox *Frame2 = nullptr;
    QComboBox *Combo1 = nullptr;   // grade groups
    QComboBox *Combo2 = nullptr;   // classes
    QComboBox *Combo3 = nullptr;   // subjects
    QComboBox *Combo5 = nullptr;   // the subject's exams, by display name
    QPushButton *Command2 = nullptr;   // teacher sign-in toggle

    // Entry frame: enabled while the subject's teacher is signed in and no panel is open.
    QGroupBox *Frame1 = nullptr;
    QPushButton *Command1 = nullptr;   // 创建新的考试: opens Frame6
    QPushButton *Command4 = nullptr;   // 成绩统计: the statistics panel
    QLineEdit *Text9 = nullptr;        // full mark of the open exam
    QLabel *Label3_1 = nullptr;        // 录入学生成绩: caption of the entry boxes
    QLineEdit *Text3 = nullptr;        // name box of separate entry
    QLineEdit *Text2 = nullptr;        // seat-number box of separate entry
    QLineEdit *Text4 = nullptr;        // score box of separate entry
    QLineEdit *Text5 = nullptr;        // mixed box: seat/score

    // Entry statistics panel (hidden until Command4).
    QFrame *Picture1 = nullptr;
    QLabel *Label3_0 = nullptr;        // the figures
    QPushButton *Command5 = nullptr;   // 关闭: hides the panel

    // Exam creation panel (hidden until Command1).
    QGroupBox *Frame6 = nullptr;
    QRadioButton *Option1 = nullptr;   // 期中
    QRadioButton *Option2 = nullptr;   // 期末
    QRadioButton *Option3 = nullptr;   // 测验
    QLineEdit *Text7 = nullptr;        // display name; for a quiz, the quiz name
    QLabel *lblLabels17 = nullptr;     // subject + "测验", beside a quiz name
    QLineEdit *Text8 = nullptr;        // full mark of the new exam
    QLineEdit *Text6 = nullptr;        // hidden: raw column name
    QPushButton *Command3 = nullptr;   // 保存新考: CreateExam
    QPushButton *Command19 = nullptr;  // 取消

    FlexGrid *Grid1 = nullptr;         // the score grid
    QLineEdit *Text1 = nullptr;        // the cell editor over the score column
    QPushButton *Command8 = nullptr;   // 保存成绩: SaveScores
    QRadioButton *Option5 = nullptr;   // 显示全部学生
    QRadioButton *Option4 = nullptr;   // 只显示未输分者
    QPushButton *Command7 = nullptr;   // 关闭


    // The chosen class and subject: the identity ResolveClassCode gave (invalid
    // before a subject is chosen), and their 教导处 entries.
    const reg::ClassIdentity &classIdentity() const { return m_identity; }
    ClassEntry chosenClass() const;
    score::SubjectEntry chosenSubject() const;
    // The teacher sign-in toggle; its account is the chosen subject's teacher.
    SignInToggle *toggle() const { return m_toggle; }
    // Raw exam column names, parallel to Combo5.
    const QStringList &examList() const { return m_exams; }
    // The students shown in the grid, in grid order (row r is entry r - 1).
    const QList<score::ScoreRow> &scoreRows() const { return m_rows; }

public slots:
    void Form_Load() override;
    void Combo1_Click();
    void Combo2_Click();   // FillSubjectCombo
    void Combo3_Click();   // ChooseSubject
    void Combo5_Click();   // opens the chosen exam
    void FillScoreGrid(const QList<score::ScoreRow> &rows);
    void Text9_Validate();
    void Command1_Click();
    void Command19_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Command3_Click();   // CreateExam
    void Command7_Click();

    // Score entry.
    void Text2_Change();   // seat-number search
    void Text3_Change();   // name search
    void Text4_Change();   // score box check
    void tellAboveFullMark();   // sound 12 and the message for a score above the full mark
    void Text5_Change();   // mixed-box rule
    void Text2_Enter();
    void Text4_Enter();    // separate-entry confirm
    void Text5_Enter();    // mixed-box confirm
    void Option4_Click();
    void Option5_Click();
    void Command4_Click();   // entry statistics
    void Command5_Click();
    // Writes the marked rows into the open exam; true when they were written.
    bool SaveScores();
    void Command8_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool mayClose() override;

private:
    void buildEntryControls();
    // Sets a row's score (none for an empty text) and marks it "1".
    void enterScore(int index, std::optional<double> score);
    void showRow(int index, int twips);
    int viewHeight(int index) const;
    void setRowHeights();
    // Writes into the name or seat-number box without starting its search.
    void quietSet(QLineEdit *box, const QString &text);
    void clearSeatBox();
    bool boxKey(QLineEdit *box, QKeyEvent *event);
    bool hasUnsavedScores() const;
    // Asks before unsaved scores would be dropped; false when the window keeps them.
    bool settleUnsavedScores();
    void rowWritten(int row);

    void buildControls();
    void clearGrid(const QString &header);
    // The title line and the caption over the grid.
    void setTitle(const QString &title);
    void setFullMark(const QString &text);
    void listExams(const QStringList &columns, bool afterCreation);
    void composeMidTermOrFinal(bool final);
    void showSignInState(bool signedIn);
    void updateEntryFrame();
    void closePanel();
    QString classTitle() const;   // "录入" + grade + class + "(" + actual name + ")"
    // Tells the teacher why a new exam cannot be added; false when it can.
    bool refuseNewExam(score::NewExamCheck check, const QString &column, const QString &shown);

    SignInToggle *m_toggle = nullptr;
    CellEditor *m_editor = nullptr;
    int m_target = -1;            // row (index into m_rows) a separate-entry score goes to
    int m_openExam = -1;          // index of the open exam in m_exams
    QString m_gradeGroup;         // the grade group the rows belong to
    std::unique_ptr<ClassChoice> m_choice;   // grade group → class → subject
    reg::ClassIdentity m_identity;
    QStringList m_exams;
    QList<score::ScoreRow> m_rows;
    QString m_fullMark;           // the last valid text of Text9
    bool m_choosing = false;      // a subject choice shows the sign-in state
    bool m_panelOpen = false;
    bool m_examLocked = false;    // the open exam is locked by the administrator
    QList<int> m_formatWidths;
};

} // namespace tessaly
