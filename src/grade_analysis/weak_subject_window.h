#pragma once
// 薄弱学科查询: the weak subjects of one class in one exam, by standard scores.
//
// Choose a grade group (gradeGroupCombo), a class (classCombo: LoadClassStudents) and an exam
// (examCombo: LoadExamSubjects, which lists its subjects ticked in subjectList and reads
// the score matrix). analyseButton runs AnalyseWeakSubjects: raw and standard cells,
// totals and ranks in resultGrid, the weak subjects in statisticsBox and the subject-average
// bars (Frame3 item 0, here AverageChart). Choosing a student in studentCombo, or
// clicking either of the student's rows, draws the student's subject bars
// (Frame3 item 1, here StudentChart). keyStudentsButton opens the key-student sheet
// (sheetChart in a scrolling area, with the strip controlStrip). printButton hands the
// statistics text to the print page. The window only reads.
//
// Rules and chart elements: weak_subjects.h and key_students.h.
#include "kit/window_base.h"

#include "grade_analysis/weak_subjects.h"
#include "kit/class_choice.h"
#include "school/class_code.h"

#include <QStringList>
#include <QVector>
#include <QWidget>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QScrollBar;

namespace tessaly {

class FlexGrid;
namespace chart {
class ChartSurface;
}

class WeakSubjectWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit WeakSubjectWindow(WindowHost &host, QWidget *parent = nullptr);
    ~WeakSubjectWindow() override;

    QSize sizeHint() const override;

    QLabel *titleLabel = nullptr;            // item 0: the title

    QGroupBox *choiceFrame = nullptr;         // the choices
    QComboBox *gradeGroupCombo = nullptr;         // grade groups
    QComboBox *classCombo = nullptr;         // classes
    QComboBox *examCombo = nullptr;         // exams (display names)
    QLabel *subjectCountLabel = nullptr;        // analysed-subjects caption
    QListWidget *subjectList = nullptr;        // the exam's subjects, tickable
    QPushButton *analyseButton = nullptr;     // 进行分析(&F)

    QGroupBox *studentFrame = nullptr;         // 单生分析
    QLabel *studentHeading = nullptr;        // caption above studentCombo
    QComboBox *studentCombo = nullptr;         // students
    QPushButton *keyStudentsButton = nullptr;     // 重点生分析
    QPushButton *closeButton = nullptr;     // 关闭(&C)

    chart::ChartSurface *AverageChart = nullptr;   // Frame3 item 0
    chart::ChartSurface *StudentChart = nullptr;   // Frame3 item 1

    QGroupBox *resultFrame = nullptr;         // the grid and the statistics
    FlexGrid *resultGrid = nullptr;
    QPlainTextEdit *statisticsBox = nullptr;     // weak-subject statistics
    QPushButton *printButton = nullptr;     // 打印结果(&P)

    // The key-student sheet.
    QWidget *controlStrip = nullptr;         // control strip
    QLineEdit *startRankBox = nullptr;          // start rank
    QPushButton *showButton = nullptr;     // 显示结果
    QPushButton *closeSheetButton = nullptr;     // 关闭分析
    QScrollArea *SheetArea = nullptr;    // holds sheetChart; sheetScroll is its scroll bar
    chart::ChartSurface *sheetChart = nullptr;
    QScrollBar *sheetScroll = nullptr;


    // The score matrix of the class and exam chosen last, one entry per subjectList item.
    const QVector<grades::SubjectScores> &matrix() const { return m_matrix; }
    int selectedSubjectCount() const { return m_selectedCount; }
    const grades::WeakAnalysis &lastAnalysis() const { return m_analysis; }

public slots:
    void Form_Load() override;
    void gradeGroupChosen();
    void LoadClassStudents();       // classCombo
    void LoadExamSubjects();        // examCombo
    void subjectClicked();
    void AnalyseWeakSubjects();     // analyseButton
    void DrawStudentSubjects();     // studentCombo
    void gridClicked();
    void printClicked();          // print hand-off
    void keyStudentsClicked();          // opens the key-student sheet
    void ShowKeyStudents();         // showButton
    void closeSheetClicked();          // closes the sheet
    void closeClicked();

private:
    void buildControls();
    void buildKeySheet();
    bool passesSubjectCount(grades::OverLimitText overLimit);
    void analyse();
    QString classTitle() const;     // "分析" + grade + class + "(" + actual name + ")"
    QVector<int> tickedSubjects() const;
    QStringList studentNames() const;

    std::unique_ptr<ClassChoice> m_choice;   // grade group → class
    school::ClassIdentity m_identity;
    QStringList m_columns;          // the section table's columns
    struct Student {
        QString shownId;
        QString name;
    };
    QVector<Student> m_students;
    QVector<grades::SubjectScores> m_matrix;
    int m_selectedCount = 0;
    grades::WeakAnalysis m_analysis;
};

} // namespace tessaly
