#pragma once
// 单科成绩分析 (caption 单科单次成绩分析): one exam of one subject in one class.
//
// Choose a grade group (gradeGroupCombo), a class (classCombo), a subject (subjectCombo) and an
// exam (examCombo): AnalyseSingleExam loads the class's scores into scoreGrid, ranks
// and counts them, writes the summary summaryBox and draws the four charts. A click
// on a student row (PickChartStudent) draws that student into the
// single-student chart; sortButton (ToggleRankOrder) switches between rank order
// and ID order. The window only reads; choosing a subject puts its teacher's
// account into the session without a sign-in.
//
// Rows are data (single_exam.h); the charts are chart frames (single_exam_charts.h).
#include "kit/window_base.h"

#include "class_analysis/single_exam.h"
#include "kit/class_choice.h"
#include "school/class_code.h"

#include <QList>
#include <QStringList>
#include <QWidget>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tessaly {

class FlexGrid;
namespace chart {
class ChartSurface;
}

class SingleExamWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit SingleExamWindow(WindowHost &host, QWidget *parent = nullptr);
    ~SingleExamWindow() override;

    QSize sizeHint() const override;

    QLabel *titleLabel = nullptr;          // title strip

    QGroupBox *choiceFrame = nullptr;       // 选择内容
    QComboBox *gradeGroupCombo = nullptr;       // grade groups
    QComboBox *classCombo = nullptr;       // classes
    QComboBox *subjectCombo = nullptr;       // subjects
    QComboBox *examCombo = nullptr;       // the subject's exams
    QLineEdit *fullMarkBox = nullptr;        // full mark

    FlexGrid *scoreGrid = nullptr;
    QPlainTextEdit *summaryBox = nullptr;   // exam summary

    chart::ChartSurface *bandChart = nullptr;   // 本试各分数段分布图
    chart::ChartSurface *levelChart = nullptr;   // 总体级别分布图
    chart::ChartSurface *studentChart = nullptr;   // 单生分析图
    chart::ChartSurface *spreadChart = nullptr;   // 每生成绩总体分布图

    QPushButton *sortButton = nullptr;   // 按名次排 / 正常排序
    QPushButton *printButton = nullptr;   // 打印: no operation, hidden
    QPushButton *closeButton = nullptr;   // 关闭


    const QStringList &examList() const { return m_exams; }
    // The grid's rows, in grid order (row r is entry r - 1).
    const QList<analysis::ExamRow> &examRows() const { return m_rows; }
    const analysis::ExamStatistics &statistics() const { return m_stats; }
    int selectedStudentRow() const { return m_selectedRow; }

public slots:
    void Form_Load() override;
    void gradeGroupChosen();
    void classChosen();
    void subjectChosen();
    void examChosen();
    void fullMarkEdited();
    void AnalyseSingleExam();
    void ToggleRankOrder();       // sortButton
    void PickChartStudent();      // scoreGrid click
    void closeClicked();

private:
    void buildControls();
    void layoutFor(int students);
    void loadExam();
    void showRows();
    float fullMark();
    QString classPart() const;    // "分析" + grade + class + "(" + actual name + ")"
    ClassEntry chosenClass() const { return m_choice->classEntry(); }
    SubjectEntry chosenSubject() const { return m_choice->subjectEntry(); }

    std::unique_ptr<ClassChoice> m_choice;   // grade group → class → subject
    school::ClassIdentity m_identity;
    QStringList m_exams;
    QList<analysis::ExamRow> m_rows;
    analysis::ExamStatistics m_stats;
    QString m_computedFullMark = QStringLiteral("100");
    int m_selectedRow = 0;
};

} // namespace tessaly
