#pragma once
// 单科成绩分析 (caption 单科单次成绩分析): one exam of one subject in one class.
//
// Choose a grade group (Combo1), a class (Combo2), a subject (Combo3) and an
// exam (Combo4): AnalyseSingleExam loads the class's scores into Grid1, ranks
// and counts them, writes the summary Text2 and draws the four charts. A click
// on a student row (PickChartStudent) draws that student into the
// single-student chart; Command1 (ToggleRankOrder) switches between rank order
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

    QLabel *Label4 = nullptr;          // title strip

    QGroupBox *Frame2 = nullptr;       // 选择内容
    QComboBox *Combo1 = nullptr;       // grade groups
    QComboBox *Combo2 = nullptr;       // classes
    QComboBox *Combo3 = nullptr;       // subjects
    QComboBox *Combo4 = nullptr;       // the subject's exams
    QLineEdit *Text1 = nullptr;        // full mark

    FlexGrid *Grid1 = nullptr;
    QPlainTextEdit *Text2 = nullptr;   // exam summary

    chart::ChartSurface *Frame3 = nullptr;   // 本试各分数段分布图
    chart::ChartSurface *Frame4 = nullptr;   // 总体级别分布图
    chart::ChartSurface *Frame1 = nullptr;   // 单生分析图
    chart::ChartSurface *Frame5 = nullptr;   // 每生成绩总体分布图

    QPushButton *Command1 = nullptr;   // 按名次排 / 正常排序
    QPushButton *Command6 = nullptr;   // 打印: no operation, hidden
    QPushButton *Command7 = nullptr;   // 关闭


    const QStringList &examList() const { return m_exams; }
    // The grid's rows, in grid order (row r is entry r - 1).
    const QList<analysis::ExamRow> &examRows() const { return m_rows; }
    const analysis::ExamStatistics &statistics() const { return m_stats; }
    int selectedStudentRow() const { return m_selectedRow; }

public slots:
    void Form_Load() override;
    void Combo1_Click();
    void Combo2_Click();
    void Combo3_Click();
    void Combo4_Click();
    void Text1_Validate();
    void AnalyseSingleExam();
    void ToggleRankOrder();       // Command1
    void PickChartStudent();      // Grid1 click
    void Command7_Click();

private:
    void buildControls();
    void layoutFor(int students);
    void loadExam();
    void showRows();
    float fullMark();
    QString classPart() const;    // "分析" + grade + class + "(" + actual name + ")"
    ClassEntry chosenClass() const { return m_choice->classEntry(); }
    score::SubjectEntry chosenSubject() const { return m_choice->subjectEntry(); }

    std::unique_ptr<ClassChoice> m_choice;   // grade group → class → subject
    reg::ClassIdentity m_identity;
    QStringList m_exams;
    QList<analysis::ExamRow> m_rows;
    analysis::ExamStatistics m_stats;
    QString m_computedFullMark = QStringLiteral("100");
    int m_selectedRow = 0;
};

} // namespace tessaly
