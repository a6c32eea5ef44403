#pragma once
// 单科多次成绩横向分析: one subject of one class over a series of exams.
//
// Choose a grade group (Combo1), a class (Combo2) and a subject (Combo3): the
// class's students go into Combo4, and every exam of the subject with a score
// in the class into the score matrix and the ticked list List1. "进行分析"
// (Command3) draws the class-average trend of the ticked exams in Frame3;
// choosing a student in Combo4, or "单生分析" (Command1), draws that student's
// ranks and scores in Frame5. The window only reads and needs no sign-in.
//
// The matrix is data (subject_trend.h); the charts are chart frames
// (subject_trend_charts.h).
#include "kit/window_base.h"

#include "class_analysis/subject_trend.h"
#include "kit/class_choice.h"

#include <QWidget>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace tessaly {

namespace chart {
class ChartSurface;
}

class MultiExamWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit MultiExamWindow(WindowHost &host, QWidget *parent = nullptr);
    ~MultiExamWindow() override;

    QSize sizeHint() const override;

    QLabel *Label4 = nullptr;               // title strip
    chart::ChartSurface *Frame3 = nullptr;  // 总体成绩发展趋势图
    chart::ChartSurface *Frame5 = nullptr;  // 成绩发展趋势图

    QGroupBox *Frame2 = nullptr;            // 总体分析
    QComboBox *Combo1 = nullptr;            // grade groups
    QComboBox *Combo2 = nullptr;            // classes
    QComboBox *Combo3 = nullptr;            // subjects
    QLabel *lblLabels5 = nullptr;           // "(分析J次考试情况)"
    QListWidget *List1 = nullptr;           // the scored exams, ticked to be drawn
    QPushButton *Command2 = nullptr;        // 打印结果: no operation, hidden
    QPushButton *Command3 = nullptr;        // 进行分析

    QGroupBox *Frame1 = nullptr;            // 单生分析
    QLabel *lblLabels4 = nullptr;           // the class's student count
    QComboBox *Combo4 = nullptr;            // students
    QPushButton *Command1 = nullptr;        // 单生分析
    QPushButton *Command7 = nullptr;        // 关闭
    QLabel *Label5 = nullptr;               // bottom strip


    // The loaded students, exam list and matrix; empty after a choice above the subject.
    const analysis::SubjectScores &scores() const { return m_scores; }
    int selectedExamCount() const { return m_selectedCount; }

public slots:
    void Form_Load() override;
    void Combo1_Click();
    void Combo2_Click();
    void Combo3_Click();        // LoadSubjectExams
    void List1_Click();         // recounts the ticks
    void Command3_Click();      // DrawClassTrend
    void Combo4_Click();        // DrawStudentTrend
    void Command1_Click();
    void Command7_Click();

private:
    void buildControls();
    void placeControls();
    void clearExams();
    QList<int> chosenExams() const;
    QStringList examNames() const;
    int chosenStudent() const;

    std::unique_ptr<ClassChoice> m_choice;   // grade group → class → subject
    analysis::SubjectScores m_scores;
    int m_selectedCount = 0;
};

} // namespace tessaly
