#pragma once
// 单科多次成绩横向分析: one subject of one class over a series of exams.
//
// Choose a grade group (gradeGroupCombo), a class (classCombo) and a subject (subjectCombo): the
// class's students go into studentCombo, and every exam of the subject with a score
// in the class into the score matrix and the ticked list examList. "进行分析"
// (analyseButton) draws the class-average trend of the ticked exams in classTrendChart;
// choosing a student in studentCombo, or "单生分析" (studentButton), draws that student's
// ranks and scores in studentTrendChart. The window only reads and needs no sign-in.
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

    QLabel *titleLabel = nullptr;               // title strip
    chart::ChartSurface *classTrendChart = nullptr;  // 总体成绩发展趋势图
    chart::ChartSurface *studentTrendChart = nullptr;  // 成绩发展趋势图

    QGroupBox *classFrame = nullptr;            // 总体分析
    QComboBox *gradeGroupCombo = nullptr;            // grade groups
    QComboBox *classCombo = nullptr;            // classes
    QComboBox *subjectCombo = nullptr;            // subjects
    QLabel *examCountLabel = nullptr;           // "(分析J次考试情况)"
    QListWidget *examList = nullptr;           // the scored exams, ticked to be drawn
    QPushButton *printButton = nullptr;        // 打印结果: no operation, hidden
    QPushButton *analyseButton = nullptr;        // 进行分析

    QGroupBox *studentFrame = nullptr;            // 单生分析
    QLabel *studentCountLabel = nullptr;           // the class's student count
    QComboBox *studentCombo = nullptr;            // students
    QPushButton *studentButton = nullptr;        // 单生分析
    QPushButton *closeButton = nullptr;        // 关闭
    QLabel *bottomLabel = nullptr;               // bottom strip


    // The loaded students, exam list and matrix; empty after a choice above the subject.
    const analysis::SubjectScores &scores() const { return m_scores; }
    int selectedExamCount() const { return m_selectedCount; }

public slots:
    void Form_Load() override;
    void gradeGroupChosen();
    void classChosen();
    void subjectChosen();        // LoadSubjectExams
    void examTicked();         // recounts the ticks
    void analyseClicked();      // DrawClassTrend
    void studentChosen();        // DrawStudentTrend
    void studentClicked();
    void closeClicked();

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
