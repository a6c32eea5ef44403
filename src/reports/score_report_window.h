#pragma once
// 打印成绩报表: the grade-group score report, one statistics row per subject and
// class of one exam.
//
// The user picks a grade group (or one of its classes) in the tree, keeps the
// ticked comparable classes, picks an exam and its subjects and presses
// "显示报表"; "打印预览" shows the report on the paper preview, whose toolbar
// opens the options ("项目设置": columns, zoom, order by subject or by class)
// and writes the shown table to a workbook ("打印成绩"). The window only reads
// the database.
//
// Rules: grade_analysis/subject_statistics.h (the rows), score_report.h
// (header, column boxes, orders), transcript_options.h (zoom steps),
// grade_analysis/comparison_export.h (the sheet); the preview is paper_preview.h.
#include "kit/class_tree.h"
#include "kit/window_base.h"

#include <QList>
#include <QStringList>
#include <QVector>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidgetItem;
class QVBoxLayout;

namespace tessaly {

class FlexGrid;

namespace reports {
class PaperPreview;
}

class ScoreReportWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit ScoreReportWindow(WindowHost &host, QWidget *parent = nullptr);

    QSize sizeHint() const override;

    QGroupBox *choiceFrame = nullptr;       // the four steps
    QGroupBox *gridFrame = nullptr;       // the grid
    QLabel *stepsHeading = nullptr;
    ClassTree *groupTree = nullptr;
    QListWidget *classList = nullptr;      // comparable classes
    QComboBox *examCombo = nullptr;       // exams
    QListWidget *subjectList = nullptr;      // subjects of the exam
    QList<QLabel *> captionLabels;         // 0, 1, 2, 5, 6 and 11 are used
    QLabel *titleLabel = nullptr;          // banner
    QLabel *gridTitle = nullptr;         // report heading
    FlexGrid *resultGrid = nullptr;         // the statistics grid
    QPushButton *showButton = nullptr;  // 显示报表
    QPushButton *previewButton = nullptr;   // 打印预览
    QPushButton *closeButton = nullptr;   // 关闭(&C)
    QWidget *progressPanel = nullptr;       // progress panel
    QLabel *progressHeading = nullptr;
    QLabel *progressLabel = nullptr;
    QProgressBar *progressBar = nullptr;
    QFrame *optionsPanel = nullptr;        // options panel
    QGroupBox *itemSettingsFrame = nullptr;       // 打印的项目设置: order, column boxes, Frame4 with the zoom
    QList<QCheckBox *> fieldChecks;         // 0 … 9
    QRadioButton *byClassOption = nullptr;   // 按班级顺序打印
    QRadioButton *bySubjectOption = nullptr;   // 按科目顺序打印
    QList<QRadioButton *> zoomOptions;     // 缩小, 正常, 放大
    QPushButton *applyOptionsButton = nullptr;   // 确定
    QPushButton *cancelOptionsButton = nullptr;   // 取消
    reports::PaperPreview *Preview = nullptr;   // toolbarPanel, paperSheet, pageScroll and the rest

    // The report's rows (row 0 the header) in the order shown, and the grid's
    // column widths in twips (0: hidden).
    const QList<QStringList> &reportRows() const { return m_rows; }
    const QVector<int> &columnWidths() const { return m_widths; }
    const QString &gradeGroup() const { return m_gradeGroup; }
    const QString &sectionTable() const { return m_sectionTable; }
    int cohortYear() const { return m_cohortYear; }
    const QString &zoomFactor() const { return m_zoomFactor; }

public slots:
    void Form_Load() override;
    void groupNodeClicked(QTreeWidgetItem *node);   // SelectClassNode
    void examChosen();                                // ListExamSubjects
    void subjectClicked();
    void showClicked();                             // ShowScoreReport
    void fieldChecked(int index);
    void previewClicked();                              // the paper preview
    void optionsClicked();                              // options panel
    void applyOptionsClicked();                              // ApplyReportOptions
    void cancelOptionsClicked();
    void exportClicked();                              // ExportGridToExcel
    void closeClicked();

private:
    void setUpGrid();
    QStringList gridRowTexts(int row) const;
    void setColumnWidth(int col, int twips);
    void showRows();
    void fitTexts();
    void closePreview();

    QList<QStringList> m_rows;
    QVector<int> m_widths;
    QString m_gradeGroup;
    QString m_nodeKey;
    QString m_sectionTable;
    int m_cohortYear = 0;
    QStringList m_columns;          // the section table's columns, in order
    QStringList m_subjectColumns;   // the exam column of each subjectList item
    QString m_zoomFactor = QStringLiteral("1");
    double m_fontSize = 9;          // the grid's font size at 正常
    bool m_listing = false;
    QVBoxLayout *m_gridLayout = nullptr;
};

} // namespace tessaly
