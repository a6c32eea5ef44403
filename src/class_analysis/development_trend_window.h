#pragma once
// 学生发展趋势: every exam total of one class and one student's development chart.
//
// A class chosen in the class tree (TreeView1) fills the totals grid Grid1 with
// each student's rank row and total row per exam and the class's participants
// and average rows (development_trend.h), and lists its exams in List1, all
// ticked. Unticking an exam hides its column and leaves it out of the chart. A
// click on either row of a student, or on a class row, draws the development
// chart Frame5 (development_trend_chart.h) from the grid's cells. The window
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

    QLabel *Label4 = nullptr;        // title; the class's key once one is loaded
    QLabel *Label2 = nullptr;        // 请选择分析内容
    QLabel *lblLabels11 = nullptr;   // ①选择班级:
    ClassTree *TreeView1 = nullptr;
    QLabel *lblLabels8 = nullptr;    // heading of List1
    QListWidget *List1 = nullptr;    // the class's exams, each with a tick
    QPushButton *Command7 = nullptr; // 关闭

    QLabel *Label7 = nullptr;        // the class's key above the grid
    QLabel *Label3 = nullptr;        // 全班学生各次考试总分与名次统计
    FlexGrid *Grid1 = nullptr;
    QLabel *lblLabels2 = nullptr;    // the note under the grid
    chart::ChartSurface *Frame5 = nullptr;   // 成绩发展趋势图

    // Ticked exams: the exams the chart draws.
    int analysedExams() const { return m_analysed; }

public slots:
    void Form_Load() override;
    void LoadClassTotals(QTreeWidgetItem *node);   // TreeView1 node click
    void List1_Click();
    void DrawDevelopmentTrend();                   // Grid1 click
    void Command7_Click();

private:
    void buildControls();
    void emptyGrid();

    int m_analysed = 0;
    QList<int> m_examWidths;   // twips of each exam's column while ticked
    bool m_filling = false;   // List1 is being filled: its tick changes are the window's own
};

} // namespace tessaly
