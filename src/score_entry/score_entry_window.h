#pragma once
// 任课教师录入成绩: a subject teacher's score entry for one class, one subject
// and one exam.
//
// Choose a grade group (Combo1), a class (Combo2) and a subject (Combo3): the
// window puts the subject's teacher into the session, resolves the class code,
// lists the class's students in the score grid Grid1 and the subject's exams in
// Combo5. Choosing an exam opens it: its stored scores and its full mark
// (Text9). While the teacher is signed in (Command2) the entry frame Frame1 is
// enabled and the creation panel Frame6 adds a new exam.
//
// The window keeps its students and scores as rows (score_sheet.h); the grid
// shows them. The rules live in src/score_entry/: exam column names and lists
// (exam_columns.h), creation (exam_creation.h), the subject list
// (subject_selection.h).
#include "kit/window_base.h"

#include "kit/selection.h"
#include "register/class_code.h"
#include "score_entry/exam_creation.h"
#include "score_entry/score_sheet.h"
#include "score_entry/subject_selection.h"

#include <QList>
#include <QStringList>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessaly {

class DataControl;
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
    QPushButton *Command4 = nullptr;   // 成绩统计: not available yet, always disabled
    QLineEdit *Text9 = nullptr;        // full mark of the open exam

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
    QPushButton *Command8 = nullptr;   // 保存成绩: not available yet, always disabled
    QRadioButton *Option5 = nullptr;   // 显示全部学生: not available yet
    QRadioButton *Option4 = nullptr;   // 只显示末输分者: not available yet
    QPushButton *Command7 = nullptr;   // 关闭

    DataControl *Data1 = nullptr;      // the class's students and scores
    DataControl *Data2 = nullptr;      // 教导处 lists

    // The chosen class and subject: the identity ResolveClassCode gave (invalid
    // before a subject is chosen), and their 教导处 entries.
    const reg::ClassIdentity &classIdentity() const { return m_identity; }
    ClassEntry chosenClass() const;
    score::SubjectEntry chosenSubject() const;
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
    void FillScoreGrid();
    void Text9_Validate();
    void Command1_Click();
    void Command19_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Command3_Click();   // CreateExam
    void Command7_Click();

private:
    void buildControls();
    void clearGrid(const QString &header);
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
    ClassList m_classes;
    score::SubjectList m_subjects;
    reg::ClassIdentity m_identity;
    int m_classIndex = -1;
    int m_subjectIndex = -1;
    QStringList m_exams;
    QList<score::ScoreRow> m_rows;
    QString m_fullMark;           // the last valid text of Text9
    bool m_choosing = false;      // a subject choice shows the sign-in state
    bool m_panelOpen = false;
    QList<int> m_formatWidths;
};

} // namespace tessaly
