#pragma once
// 薄弱学科查询: the weak subjects of one class in one exam, by standard scores.
//
// Choose a grade group (Combo1), a class (Combo2: LoadClassStudents) and an exam
// (Combo3: LoadExamSubjects, which lists its subjects ticked in List1 and reads
// the score matrix). Command3 runs AnalyseWeakSubjects: raw and standard cells,
// totals and ranks in Grid1, the weak subjects in Text1 and the subject-average
// bars (Frame3 item 0, here AverageChart). Choosing a student in Combo4, or
// clicking either of the student's rows, draws the student's subject bars
// (Frame3 item 1, here StudentChart). Command1 opens the key-student sheet
// (Picture3 in a scrolling area, with the strip Picture2). Command2 hands the
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

    QLabel *Label4 = nullptr;            // item 0: the title

    QGroupBox *Frame2 = nullptr;         // the choices
    QComboBox *Combo1 = nullptr;         // grade groups
    QComboBox *Combo2 = nullptr;         // classes
    QComboBox *Combo3 = nullptr;         // exams (display names)
    QLabel *lblLabels5 = nullptr;        // analysed-subjects caption
    QListWidget *List1 = nullptr;        // the exam's subjects, tickable
    QPushButton *Command3 = nullptr;     // 进行分析(&F)

    QGroupBox *Frame1 = nullptr;         // 单生分析
    QLabel *lblLabels4 = nullptr;        // caption above Combo4
    QComboBox *Combo4 = nullptr;         // students
    QPushButton *Command1 = nullptr;     // 重点生分析
    QPushButton *Command7 = nullptr;     // 关闭(&C)

    chart::ChartSurface *AverageChart = nullptr;   // Frame3 item 0
    chart::ChartSurface *StudentChart = nullptr;   // Frame3 item 1

    QGroupBox *Frame4 = nullptr;         // the grid and the statistics
    FlexGrid *Grid1 = nullptr;
    QPlainTextEdit *Text1 = nullptr;     // weak-subject statistics
    QPushButton *Command2 = nullptr;     // 打印结果(&P)

    // The key-student sheet.
    QWidget *Picture2 = nullptr;         // control strip
    QLineEdit *Text2 = nullptr;          // start rank
    QPushButton *Command6 = nullptr;     // 显示结果
    QPushButton *Command5 = nullptr;     // 关闭分析
    QScrollArea *SheetArea = nullptr;    // holds Picture3; VScroll1 is its scroll bar
    chart::ChartSurface *Picture3 = nullptr;
    QScrollBar *VScroll1 = nullptr;


    // The score matrix of the class and exam chosen last, one entry per List1 item.
    const QVector<grades::SubjectScores> &matrix() const { return m_matrix; }
    int selectedSubjectCount() const { return m_selectedCount; }
    const grades::WeakAnalysis &lastAnalysis() const { return m_analysis; }

public slots:
    void Form_Load() override;
    void Combo1_Click();
    void LoadClassStudents();       // Combo2
    void LoadExamSubjects();        // Combo3
    void List1_Click();
    void AnalyseWeakSubjects();     // Command3
    void DrawStudentSubjects();     // Combo4
    void Grid1_Click();
    void Command2_Click();          // print hand-off
    void Command1_Click();          // opens the key-student sheet
    void ShowKeyStudents();         // Command6
    void Command5_Click();          // closes the sheet
    void Command7_Click();

private:
    void buildControls();
    void buildKeySheet();
    bool passesSubjectCount(grades::OverLimitText overLimit);
    void analyse();
    QString classTitle() const;     // "分析" + grade + class + "(" + actual name + ")"
    QVector<int> tickedSubjects() const;
    QStringList studentNames() const;

    std::unique_ptr<ClassChoice> m_choice;   // grade group → class
    reg::ClassIdentity m_identity;
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
