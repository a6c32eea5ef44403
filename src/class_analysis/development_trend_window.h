#pragma once
// 学生发展趋势: every exam total of one class and one student's development chart.
//
// A class chosen in the class tree (classTree) fills the totals grid totalsGrid with
// each student's rank row and total row per exam and the class's participants
// and average rows (development_trend.h), and lists its exams in examList, all
// ticked. Unticking an exam hides its column and leaves it out of the chart. A
// click on either row of a student, or on a class row, draws the development
// chart trendChart (development_trend_chart.h) from the grid's cells. The window
// only reads and needs no sign-in.
#include "kit/window_base.h"

#include <QList>
#include <QWidget>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTreeWidgetItem;

namespace tessaly {

class ClassTree;
class FlexGrid;
namespace chart {
class ChartSurface;
}

class DevelopmentTrendWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit DevelopmentTrendWindow(WindowHost &host, QWidget *parent = nullptr);
    ~DevelopmentTrendWindow() override;

    QSize sizeHint() const override;

    QLabel *titleLabel = nullptr;        // title; the class's key once one is loaded
    QLabel *choiceHeading = nullptr;        // 请选择分析内容
    QLabel *classStepLabel = nullptr;   // ①选择班级:
    ClassTree *classTree = nullptr;
    QLabel *examListHeading = nullptr;    // heading of examList
    QListWidget *examList = nullptr;    // the class's exams, each with a tick
    QPushButton *closeButton = nullptr; // 关闭

    QLabel *classKeyLabel = nullptr;        // the class's key above the grid
    QLabel *gridHeading = nullptr;        // 全班学生各次考试总分与名次统计
    FlexGrid *totalsGrid = nullptr;
    QLabel *gridNote = nullptr;    // the note under the grid
    chart::ChartSurface *trendChart = nullptr;   // 成绩发展趋势图

    // Ticked exams: the exams the chart draws.
    int analysedExams() const { return m_analysed; }

public slots:
    void Form_Load() override;
    void LoadClassTotals(QTreeWidgetItem *node);   // classTree node click
    void examTicked();
    void DrawDevelopmentTrend();                   // totalsGrid click
    void closeClicked();

private:
    void buildControls();
    void emptyGrid();

    int m_analysed = 0;
    QList<int> m_examWidths;   // twips of each exam's column while ticked
    bool m_filling = false;   // examList is being filled: its tick changes are the window's own
};

} // namespace tessaly
