#pragma once
// 任课教师录入成绩: a subject teacher's score entry for one class, one subject
// and one exam.
//
// Choose a grade group (gradeGroupCombo), a class (classCombo) and a subject
// (subjectCombo): the subject's teacher becomes the sign-in toggle's account, the
// class code is resolved, the score grid scoreGrid lists the class's students and
// examCombo the subject's exams. Choosing an exam opens it: its stored scores and its full mark
// (fullMarkBox). While the teacher is signed in (signInButton) the entry frame entryFrame is
// enabled and the creation panel newExamFrame adds a new exam.
//
// Scores are typed in three ways, each an entry into the sheet, which marks the
// row unsaved: the cell editor cellEditorBox over the grid, the name, seat-number and
// score boxes (nameBox, seatBox, scoreBox), and the mixed box mixedBox ("23/79"). Every
// accepted key plays its key sound. statisticsButton counts levels and ranks the class
// (panel statisticsPanel); saveButton saves the unsaved rows into the open exam.
//
// The window works on a sheet (score_entry_sheet.h): the open exam, its full mark
// and the class's rows with their scores, ranks and unsaved marks. The grid and
// the full-mark box show the sheet; every entry goes to it. Exam column names
// and lists are school/exam_columns.h, the subject list kit/subject_selection.h;
// the rules of score entry live in src/score_entry/: creation (exam_creation.h),
// key rules (score_input.h), statistics (entry_statistics.h) and saving
// (score_save.h).
#include "kit/window_base.h"

#include "kit/class_choice.h"
#include "school/class_code.h"
#include "score_entry/exam_creation.h"
#include "score_entry/score_entry_sheet.h"

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

    QLabel *titleLabel = nullptr;    // title line
    QLabel *statusLabel = nullptr;    // status line
    QLabel *gridCaption = nullptr;    // caption over the grid

    // Selection.
    QGroupBox *choiceFrame = nullptr;
    QComboBox *gradeGroupCombo = nullptr;   // grade groups
    QComboBox *classCombo = nullptr;   // classes
    QComboBox *subjectCombo = nullptr;   // subjects
    QComboBox *examCombo = nullptr;   // the subject's exams, by display name
    QPushButton *signInButton = nullptr;   // teacher sign-in toggle

    // Entry frame: enabled while the subject's teacher is signed in and no panel is open.
    QGroupBox *entryFrame = nullptr;
    QPushButton *newExamButton = nullptr;   // 创建新的考试: opens newExamFrame
    QPushButton *statisticsButton = nullptr;   // 成绩统计: the statistics panel
    QLineEdit *fullMarkBox = nullptr;        // full mark of the open exam
    QLabel *entryCaption = nullptr;        // 录入学生成绩: caption of the entry boxes
    QLineEdit *nameBox = nullptr;        // name box of separate entry
    QLineEdit *seatBox = nullptr;        // seat-number box of separate entry
    QLineEdit *scoreBox = nullptr;        // score box of separate entry
    QLineEdit *mixedBox = nullptr;        // mixed box: seat/score

    // Entry statistics panel (hidden until statisticsButton).
    QFrame *statisticsPanel = nullptr;
    QLabel *statisticsLabel = nullptr;        // the figures
    QPushButton *closeStatisticsButton = nullptr;   // 关闭: hides the panel

    // Exam creation panel (hidden until newExamButton).
    QGroupBox *newExamFrame = nullptr;
    QRadioButton *midTermOption = nullptr;   // 期中
    QRadioButton *finalOption = nullptr;   // 期末
    QRadioButton *quizOption = nullptr;   // 测验
    QLineEdit *examNameBox = nullptr;        // display name; for a quiz, the quiz name
    QLabel *quizSubjectLabel = nullptr;     // subject + "测验", beside a quiz name
    QLineEdit *newFullMarkBox = nullptr;        // full mark of the new exam
    QLineEdit *columnNameBox = nullptr;        // hidden: raw column name
    QPushButton *createExamButton = nullptr;   // 保存新考: CreateExam
    QPushButton *cancelExamButton = nullptr;  // 取消

    FlexGrid *scoreGrid = nullptr;         // the score grid
    QLineEdit *cellEditorBox = nullptr;        // the cell editor over the score column
    QPushButton *saveButton = nullptr;   // 保存成绩: SaveScores
    QRadioButton *showAllOption = nullptr;   // 显示全部学生
    QRadioButton *showUnscoredOption = nullptr;   // 只显示未输分者
    QPushButton *closeButton = nullptr;   // 关闭


    // The chosen class and subject: the identity ResolveClassCode gave (invalid
    // before a subject is chosen), and their 教导处 entries.
    const school::ClassIdentity &classIdentity() const { return m_identity; }
    ClassEntry chosenClass() const;
    SubjectEntry chosenSubject() const;
    // The teacher sign-in toggle; its account is the chosen subject's teacher.
    SignInToggle *toggle() const { return m_toggle; }
    // Raw exam column names, parallel to examCombo.
    const QStringList &examList() const { return m_exams; }
    // The students shown in the grid, in grid order (row r is entry r - 1).
    const QList<school::ScoreRow> &scoreRows() const { return m_sheet.rows(); }

public slots:
    void Form_Load() override;
    void gradeGroupChosen();
    void classChosen();   // FillSubjectCombo
    void subjectChosen();   // ChooseSubject
    void examChosen();   // opens the chosen exam
    void FillScoreGrid();   // the grid from the sheet; the opened exam's full mark
    void fullMarkEdited();
    void newExamClicked();
    void cancelNewExamClicked();
    void midTermChosen();
    void finalChosen();
    void quizChosen();
    void createExamClicked();   // CreateExam
    void closeClicked();

    // Score entry.
    void seatBoxChanged();   // seat-number search
    void nameBoxChanged();   // name search
    void scoreBoxChanged();   // score box check
    void tellAboveFullMark();   // sound 12 and the message for a score above the full mark
    void mixedBoxChanged();   // mixed-box rule
    void seatBoxEntered();
    void scoreBoxEntered();    // separate-entry confirm
    void mixedBoxEntered();    // mixed-box confirm
    void showUnscoredChosen();
    void showAllChosen();
    void statisticsClicked();   // entry statistics
    void closeStatisticsClicked();
    // Writes the unsaved rows into the open exam; true when they were written.
    bool SaveScores();
    void saveClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool mayClose() override;

private:
    void buildEntryControls();
    // Enters a confirmed score into the sheet and shows its row; false when the
    // sheet refused it (told).
    bool enterScore(int index, std::optional<double> score);
    // Shows the sheet's score, rank and row state of a row in its grid row.
    void writeRow(int index);
    void showRow(int index, int twips);
    int viewHeight(int index) const;
    void setRowHeights();
    // Writes into the name or seat-number box without starting its search.
    void quietSet(QLineEdit *box, const QString &text);
    void clearSeatBox();
    bool boxKey(QLineEdit *box, QKeyEvent *event);
    // Asks before unsaved scores would be dropped; false when the window keeps them.
    bool settleUnsavedScores();
    void rowWritten(int row);

    void buildControls();
    void clearGrid(const QString &header);
    // The title line and the caption over the grid.
    void setTitle(const QString &title);
    void showFullMark();
    int openExamIndex() const;   // of the sheet's exam in m_exams, or -1
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
    int m_target = -1;            // row (index into the sheet's rows) a separate-entry score goes to
    QString m_gradeGroup;         // the grade group the rows belong to
    std::unique_ptr<ClassChoice> m_choice;   // grade group → class → subject
    school::ClassIdentity m_identity;
    QStringList m_exams;
    score::ScoreEntrySheet m_sheet;
    bool m_choosing = false;      // a subject choice shows the sign-in state
    bool m_panelOpen = false;
    QList<int> m_formatWidths;
};

} // namespace tessaly
