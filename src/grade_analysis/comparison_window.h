#pragma once
// 成绩对比分析 (caption 年级组成绩对比分析): one exam of the parallel classes of a
// grade group.
//
// Statistics view: pick a grade group (TreeView1), keep or narrow its classes
// (List2), pick an exam (Combo1) and its subjects (List1); Command11 "导入数据"
// (FillStatisticsGrid) fills Grid1 with one row per subject and class
// (subject_statistics.h). Command1 "进行分析" is enabled only by a fill and
// disabled by every change of choice; it opens the chart view.
//
// Chart view: the sheet Picture3 with up to ten chart frames
// (comparison_charts.h); Option3 switches between the class, teacher and
// whole-class charts, Command2 "打印分析" exports the grid (comparison_export.h),
// Command3 "关闭分析" goes back. The window only reads and needs no sign-in.
#include "kit/window_base.h"

#include "grade_analysis/comparison_charts.h"
#include "grade_analysis/subject_statistics.h"

#include <QList>
#include <QStringList>
#include <QWidget>
#include <array>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QScrollBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace tessaly {

class FlexGrid;
namespace chart {
class ChartSurface;
}

class ComparisonWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit ComparisonWindow(WindowHost &host, QWidget *parent = nullptr);
    ~ComparisonWindow() override;

    QSize sizeHint() const override;

    // Statistics view.
    QGroupBox *Frame1 = nullptr;            // selection panel
    QLabel *Label1 = nullptr;               // 年级组成绩分析操作
    QTreeWidget *TreeView1 = nullptr;       // grade groups, roots only
    QListWidget *List2 = nullptr;           // class items, several selectable
    QComboBox *Combo1 = nullptr;            // exam display names
    QListWidget *List1 = nullptr;           // subjects of the exam, several selectable
    std::array<QLabel *, 12> lblLabels{};   // 0, 1, 2, 5, 6, 11 are used
    QPushButton *Command11 = nullptr;       // 导入数据
    QPushButton *Command1 = nullptr;        // 进行分析
    QPushButton *Command7 = nullptr;        // 关闭(&C)
    QGroupBox *Frame2 = nullptr;            // grid panel
    QLabel *Label13 = nullptr;              // the grid's title
    FlexGrid *Grid1 = nullptr;              // the statistics grid
    QFrame *Picture1 = nullptr;             // progress panel
    QLabel *Label2 = nullptr;               // 制表进程指示
    QProgressBar *Bar2 = nullptr;
    QLabel *Label7 = nullptr;               // 正在统计(…)分数……

    // Chart view.
    QScrollArea *sheetArea = nullptr;       // shows Picture3; its scroll bar is VScroll1
    QScrollBar *VScroll1 = nullptr;
    QWidget *Picture3 = nullptr;            // the white sheet
    QLineEdit *Text1 = nullptr;             // title of the sheet (and of the export)
    QLabel *Label4 = nullptr;               // 成绩报表单预览图 / 进行…成绩分析
    QLabel *Label10 = nullptr;              // 制图时间:
    QLabel *Label11 = nullptr;              // 第1页
    std::array<chart::ChartSurface *, 10> Frame5{};
    QFrame *Picture2 = nullptr;             // chart options and buttons
    std::array<QRadioButton *, 3> Option3{};
    QPushButton *Command2 = nullptr;        // 打印分析
    QPushButton *Command3 = nullptr;        // 关闭分析


    // What the window keeps.
    QString gradeGroup() const { return m_gradeGroup; }
    int cohortYear() const { return m_cohortYear; }
    QString sectionTable() const { return m_sectionTable; }
    const QStringList &subjectColumns() const { return m_subjectColumns; }
    const grades::StatisticsFill &lastFill() const { return m_fill; }
    bool chartViewShown() const;

public slots:
    void Form_Load() override;
    void TreeView1_NodeClick(QTreeWidgetItem *node);
    void Combo1_Click();
    void List1_Click();
    void List2_Click();
    void FillStatisticsGrid();      // Command11
    void DrawClassComparison();     // Command1, Option3(0)
    void Option3_Click(int index);
    void ExportGridToExcel();       // Command2
    void Command3_Click();          // 关闭分析
    void Command7_Click();

private:
    void buildControls();
    void buildSheet();
    void fitHeaders();
    void resetGrid();
    void showChartView(bool charts);
    void showFrames(int drawn);
    QStringList selectedTexts(const QListWidget *list) const;
    grades::ComparisonData chartData() const;

    struct ClassEntry {
        QString gradeGroup;
        QString name;
        QString actualName;
    };
    QList<ClassEntry> m_classEntries;   // every class row, in 教导处 order
    QString m_gradeGroup;
    QString m_sectionTable;
    int m_cohortYear = 0;
    QStringList m_subjectColumns;       // entry k belongs to List1 item k
    grades::StatisticsFill m_fill;
    QStringList m_fillSubjects;         // the selections the fill was made for
    QStringList m_fillClasses;
};

} // namespace tessaly
