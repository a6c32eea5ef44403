#pragma once
// 新生分班 (NewStudentWindow): the dean's office places new students into balanced
// classes. The list comes from a workbook (import panel importFrame) or is typed (manual
// panel manualFrame); step ② checks it, step ⑤ asks for the class count (classCountFrame) and runs
// PlaceStudents, step ⑥ writes class lists, the plain list, or the classes back into
// the source workbook (outputFrame). No database and no sign-in. What the window works
// on lives in a PlacementSheet; studentGrid shows its rows and the cell editor hands
// each edit to it.
#include "kit/window_base.h"
#include "organisation/placement_sheet.h"
#include "workbook/import_workbook.h"

#include <QWidget>

#include <memory>

class QCloseEvent;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tessaly {

class CellEditor;
class FlexGrid;

class NewStudentWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit NewStudentWindow(WindowHost &host, QWidget *parent = nullptr);
    ~NewStudentWindow() override;

    QLabel *titleLabel = nullptr;
    // Step panel.
    QFrame *stepsFrame = nullptr;
    QLabel *stepsHeading = nullptr;
    QPushButton *importButton = nullptr;   // 导入Excel文件
    QPushButton *manualEntryButton = nullptr;   // 人工录入新生数据
    QListWidget *importResultList = nullptr;      // 导入的对应结果
    QPushButton *checkButton = nullptr;   // 检查数据错误
    QListWidget *priorityList = nullptr;      // priority list
    QPushButton *priorityUpButton = nullptr;  // ↑
    QPushButton *priorityDownButton = nullptr;  // ↓
    QLabel *priorityNumbers = nullptr;
    QPushButton *placeButton = nullptr;   // 进行分班
    QPushButton *saveResultButton = nullptr;   // 保存或打印结果
    QPushButton *closeButton = nullptr;   // 关闭
    // Main area.
    QFrame *gridFrame = nullptr;
    QLabel *gridHeading = nullptr;
    FlexGrid *studentGrid = nullptr;
    QLineEdit *cellEditorBox = nullptr;        // cell editor
    QPushButton *showErrorsButton = nullptr;  // 显示错误情况
    QPushButton *showAllButton = nullptr;  // 显示全部情况
    // Import panel.
    QFrame *importFrame = nullptr;
    QLabel *importHeading = nullptr;
    QLineEdit *workbookPathBox = nullptr;
    QPushButton *browseButton = nullptr;   // 浏览
    QComboBox *sheetCombo = nullptr;       // worksheets
    QListWidget *sheetHeaderList = nullptr;      // the sheet's headers
    QRadioButton *codeOption = nullptr;   // 代码
    QRadioButton *nameOption = nullptr;   // 姓名
    QRadioButton *sexOption = nullptr;   // 性别
    QRadioButton *scoreOption = nullptr;   // 成绩
    QLabel *codeColumnLabel = nullptr;
    QLabel *nameColumnLabel = nullptr;
    QLabel *sexColumnLabel = nullptr;
    QListWidget *scoreColumnList = nullptr;      // mapped score columns
    QLabel *importNotes = nullptr;
    QLabel *captionRowLabel = nullptr; // says which row holds the captions when row 1 does not
    QPushButton *startImportButton = nullptr;   // 导入
    QPushButton *cancelImportButton = nullptr;   // 取消
    QPushButton *resetImportButton = nullptr;  // 重填
    // Manual-entry panel.
    QFrame *manualFrame = nullptr;
    QLabel *manualHeading = nullptr;
    QLineEdit *studentCountBox = nullptr;        // number of students
    QLineEdit *subjectsBox = nullptr;        // subjects, "*"-separated
    QPushButton *confirmManualButton = nullptr;  // 确定
    QPushButton *cancelManualButton = nullptr;  // 取消
    // Report panel.
    QFrame *reportFrame = nullptr;
    QLabel *reportHeading = nullptr;
    QProgressBar *reportProgress = nullptr;
    QLabel *progressLabel = nullptr;             // progress text
    QPlainTextEdit *reportBox = nullptr;   // report
    QPushButton *closeReportButton = nullptr;  // 取消
    // Class-count panel.
    QFrame *classCountFrame = nullptr;
    QLabel *classCountHeading = nullptr;
    QLineEdit *classCountBox = nullptr;
    QPushButton *confirmClassCountButton = nullptr;  // 确定
    QPushButton *cancelClassCountButton = nullptr;  // 取消
    // Output panel.
    QFrame *outputFrame = nullptr;
    QLabel *outputHeading = nullptr;
    QRadioButton *writeBackOption = nullptr;   // 分班结果存回原表中
    QRadioButton *byClassOption = nullptr;   // 按班级输出名单
    QRadioButton *originalOrderOption = nullptr;   // 按原顺序输出名单
    QPushButton *confirmOutputButton = nullptr;  // 确定
    QPushButton *cancelOutputButton = nullptr;  // 取消

    const organisation::PlacementSheet &sheet() const { return m_sheet; }
    const organisation::NewStudentTable &table() const { return m_sheet.table(); }
    const organisation::StudentMapping &mapping() const { return m_sheet.mapping(); }
    const ImportWorkbook *workbook() const { return m_book.get(); }

public slots:
    void Form_Load() override;
    void importClicked();
    void manualEntryClicked();
    void browseClicked();
    void sheetChosen();
    void sheetHeaderChosen();
    void resetImportClicked();
    void startImportClicked();
    void cancelImportClicked();
    void cancelManualClicked();
    void cancelOutputClicked();
    void confirmManualClicked();
    void showErrorsClicked();
    void showAllClicked();
    void checkClicked();
    void placeClicked();
    void confirmClassCountClicked();
    void cancelClassCountClicked();
    void closeReportClicked();
    void priorityUpClicked();
    void priorityDownClicked();
    void saveResultClicked();
    void confirmOutputClicked();
    void closeClicked();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildStepPanel();
    void buildImportPanel();
    void buildManualPanel();
    void buildSmallPanels();
    void openPanel(QFrame *panel);
    void closePanel(QFrame *panel);
    void showReportPanel();
    // The progress bar and "总计…人现…人" after row `row` of `rows`.
    void showProgress(int row, int rows);
    void activateStep(QPushButton *step);
    void ClearColumnMapping();
    // Lays the grid out for the table (format string, rows) and shows every row.
    void layOutGrid();
    // Writes the rows' texts into the grid; row heights stay.
    void showRows();
    // CheckStudentData on the rows with the report panel; false when there are no students.
    bool checkData();
    void movePriority(int step);
    // Shows the sheet's priorities in priorityList, `current` selected.
    void showPriorities(int current);

    organisation::PlacementSheet m_sheet;
    std::unique_ptr<ImportWorkbook> m_book;
    CellEditor *m_editor = nullptr;
    QColor m_face;
};

} // namespace tessaly
