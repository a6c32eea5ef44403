#pragma once
// 成绩对比分析 (caption 年级组成绩对比分析): one exam of the parallel classes of a
// grade group.
//
// Statistics view: pick a grade group (groupTree), keep or narrow its classes
// (classList), pick an exam (examCombo) and its subjects (subjectList); showButton "导入数据"
// (FillStatisticsGrid) fills resultGrid with one row per subject and class
// (subject_statistics.h). analyseButton "进行分析" is enabled only by a fill and
// disabled by every change of choice; it opens the chart view.
//
// Chart view: the sheet paperSheet with up to ten chart frames
// (comparison_charts.h); chartOptions switches between the class, teacher and
// whole-class charts, exportButton "打印分析" exports the grid (comparison_export.h),
// closeSheetButton "关闭分析" goes back. The window only reads and needs no sign-in.
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
    QGroupBox *choiceFrame = nullptr;            // selection panel
    QLabel *choiceHeading = nullptr;               // 年级组成绩分析操作
    QTreeWidget *groupTree = nullptr;       // grade groups, roots only
    QListWidget *classList = nullptr;           // class items, several selectable
    QComboBox *examCombo = nullptr;            // exam display names
    QListWidget *subjectList = nullptr;           // subjects of the exam, several selectable
    std::array<QLabel *, 12> captionLabels{};   // 0, 1, 2, 5, 6, 11 are used
    QPushButton *showButton = nullptr;       // 导入数据
    QPushButton *analyseButton = nullptr;        // 进行分析
    QPushButton *closeButton = nullptr;        // 关闭(&C)
    QGroupBox *gridFrame = nullptr;            // grid panel
    QLabel *gridTitle = nullptr;              // the grid's title
    FlexGrid *resultGrid = nullptr;              // the statistics grid
    QFrame *progressPanel = nullptr;             // progress panel
    QLabel *progressHeading = nullptr;               // 制表进程指示
    QProgressBar *progressBar = nullptr;
    QLabel *progressLabel = nullptr;               // 正在统计(…)分数……

    // Chart view.
    QScrollArea *sheetArea = nullptr;       // shows paperSheet; its scroll bar is pageScroll
    QScrollBar *pageScroll = nullptr;
    QWidget *paperSheet = nullptr;            // the white sheet
    QLineEdit *titleBox = nullptr;             // title of the sheet (and of the export)
    QLabel *titleLabel = nullptr;               // 成绩报表单预览图 / 进行…成绩分析
    QLabel *drawnAtLabel = nullptr;              // 制图时间:
    QLabel *pageLabel = nullptr;              // 第1页
    std::array<chart::ChartSurface *, 10> chartSurfaces{};
    QFrame *toolbarPanel = nullptr;             // chart options and buttons
    std::array<QRadioButton *, 3> chartOptions{};
    QPushButton *exportButton = nullptr;        // 打印分析
    QPushButton *closeSheetButton = nullptr;        // 关闭分析


    // What the window keeps.
    QString gradeGroup() const { return m_gradeGroup; }
    int cohortYear() const { return m_cohortYear; }
    QString sectionTable() const { return m_sectionTable; }
    const QStringList &subjectColumns() const { return m_subjectColumns; }
    const grades::StatisticsFill &lastFill() const { return m_fill; }
    bool chartViewShown() const;

public slots:
    void Form_Load() override;
    void groupNodeClicked(QTreeWidgetItem *node);
    void examChosen();
    void subjectClicked();
    void classClicked();
    void FillStatisticsGrid();      // showButton
    void DrawClassComparison();     // analyseButton, chartOptions(0)
    void chartOptionChosen(int index);
    void ExportGridToExcel();       // exportButton
    void closeSheetClicked();          // 关闭分析
    void closeClicked();

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
    QStringList m_subjectColumns;       // entry k belongs to subjectList item k
    grades::StatisticsFill m_fill;
    QStringList m_fillSubjects;         // the selections the fill was made for
    QStringList m_fillClasses;
};

} // namespace tessaly
