#pragma once
// 打印成绩单: the transcript of a class or a grade group for one exam.
//
// The user picks a grade group or a class in the tree, keeps the ticked
// comparable classes, picks an exam and its subjects and presses "显示成绩";
// "打印预览" shows the transcript on the paper preview, whose toolbar opens the
// options ("项目设置") and writes the shown table to a workbook ("打印成绩").
// The window only reads the database.
//
// Rules: transcript.h (computation, queries), school/exam_subject_list.h
// (the exam's subjects), transcript_options.h,
// transcript_export.h; the preview is paper_preview.h.
#include "school/exam_subject_list.h"
#include "kit/class_tree.h"
#include "kit/window_base.h"
#include "reports/transcript.h"

#include <QList>
#include <QVector>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
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

class TranscriptWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit TranscriptWindow(WindowHost &host, QWidget *parent = nullptr);

    QSize sizeHint() const override;

    QGroupBox *choiceFrame = nullptr;       // the choices
    QGroupBox *gridFrame = nullptr;       // the grid
    ClassTree *groupTree = nullptr;
    QListWidget *classList = nullptr;      // comparable classes
    QComboBox *examCombo = nullptr;       // exams
    QListWidget *subjectList = nullptr;      // subjects of the exam
    QList<QLabel *> captionLabels;         // 0, 1, 2, 5, 6 and 11 are used
    QLabel *titleLabel = nullptr;          // title
    QLabel *gridTitle = nullptr;         // caption of the grid
    FlexGrid *resultGrid = nullptr;         // the transcript grid
    QPushButton *showButton = nullptr;  // 显示成绩
    QPushButton *previewButton = nullptr;   // 打印预览
    QWidget *progressPanel = nullptr;       // progress panel
    QProgressBar *stepProgressBar = nullptr;
    QProgressBar *progressBar = nullptr;
    QLabel *progressLabel = nullptr;
    QGroupBox *optionsPanel = nullptr;     // options panel
    QList<QCheckBox *> fieldChecks;         // 0 … 5
    QRadioButton *byNumberOption = nullptr;   // 按学生学号打印
    QRadioButton *byRankOption = nullptr;   // 按总分名次打印
    QRadioButton *classTopOption = nullptr;   // 打印班级前 N 名
    QRadioButton *groupTopOption = nullptr;   // 打印年级组前 N 名
    QLineEdit *classTopBox = nullptr;
    QLineEdit *groupTopBox = nullptr;
    QList<QRadioButton *> zoomOptions;     // 缩小, 正常, 放大
    QPushButton *applyOptionsButton = nullptr;   // 确定
    reports::PaperPreview *Preview = nullptr;   // toolbarPanel, paperSheet and the rest

    // The computed transcript and the grid's column widths in twips (0: hidden).
    const reports::Transcript &transcript() const { return m_transcript; }
    const QVector<int> &columnWidths() const { return m_widths; }
    const QString &classCode() const { return m_classCode; }
    const QString &sectionTable() const { return m_sectionTable; }
    const QString &zoomScale() const { return m_zoomScale; }

public slots:
    void Form_Load() override;
    void groupNodeClicked(QTreeWidgetItem *node);   // SelectClassNode
    void examChosen();                                // ListExamSubjects
    void subjectClicked();
    void showClicked();                             // ShowTranscript
    void previewClicked();                              // OpenPaperPreview
    void exportClicked();                              // export
    void optionsClicked();                              // options panel
    void fieldChecked(int index);
    void applyOptionsClicked();                              // ApplyTranscriptOptions
    void closeClicked();

private:
    // The header rows of a grid of `cols` columns (at least the empty grid's 10).
    void buildHeader(int cols = 10);
    void setColumnWidth(int col, int twips);
    // Widens the shown columns whose texts the grid's font cuts off.
    void fitColumnsToTexts();
    void showTranscript(const reports::Transcript &t, int subjects);
    void SortByKeyColumn(int source);
    void ClosePreview();
    bool isSummaryRow(int row) const;
    void showProgress(const reports::TranscriptProgress &p);

    reports::Transcript m_transcript;
    QVector<int> m_widths;
    QString m_gradeGroup;
    QString m_nodeKey;
    QString m_clickedClass;
    QString m_classCode;
    QString m_sectionTable;
    QStringList m_columns;                    // the section table's columns, in order
    QList<school::ExamSubject> m_subjects;   // the subject column list
    QString m_zoomScale = QStringLiteral("1");
    double m_fontSize = 9;                    // the grid's font size at 正常
    QVector<QString> m_longest;               // each column's longest student text
    bool m_listing = false;
    QVBoxLayout *m_gridLayout = nullptr;
};

} // namespace tessaly
