#pragma once
// 新生分班 (NewStudentWindow): the dean's office places new students into balanced
// classes. The list comes from a workbook (import panel Frame1) or is typed (manual
// panel Frame6); step ② checks it, step ⑤ asks for the class count (Frame5) and runs
// PlaceStudents, step ⑥ writes class lists, the plain list, or the classes back into
// the source workbook (Frame7). No database and no sign-in. The rows live in a
// NewStudentTable; Grid1 shows them and its cell editor writes edits back into them.
#include "kit/window_base.h"
#include "organisation/new_students.h"
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

    QLabel *Label4 = nullptr;
    // Step panel.
    QFrame *Frame2 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *Command3 = nullptr;   // 导入Excel文件
    QPushButton *Command4 = nullptr;   // 人工录入新生数据
    QListWidget *List1 = nullptr;      // 导入的对应结果
    QPushButton *Command5 = nullptr;   // 检查数据错误
    QListWidget *List4 = nullptr;      // priority list
    QPushButton *Command11 = nullptr;  // ↑
    QPushButton *Command13 = nullptr;  // ↓
    QLabel *Label11 = nullptr;
    QPushButton *Command6 = nullptr;   // 进行分班
    QPushButton *Command1 = nullptr;   // 保存或打印结果
    QPushButton *Command7 = nullptr;   // 关闭
    // Main area.
    QFrame *Frame4 = nullptr;
    QLabel *Label3 = nullptr;
    FlexGrid *Grid1 = nullptr;
    QLineEdit *Text1 = nullptr;        // cell editor
    QPushButton *Command15 = nullptr;  // 显示错误情况
    QPushButton *Command16 = nullptr;  // 显示全部情况
    // Import panel.
    QFrame *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QPushButton *Command2 = nullptr;   // 浏览
    QComboBox *Combo1 = nullptr;       // worksheets
    QListWidget *List3 = nullptr;      // the sheet's headers
    QRadioButton *Option1 = nullptr;   // 代码
    QRadioButton *Option2 = nullptr;   // 姓名
    QRadioButton *Option3 = nullptr;   // 性别
    QRadioButton *Option4 = nullptr;   // 成绩
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    QListWidget *List2 = nullptr;      // mapped score columns
    QLabel *Label9 = nullptr;
    QLabel *captionRowLabel = nullptr; // says which row holds the captions when row 1 does not
    QPushButton *Command8 = nullptr;   // 导入
    QPushButton *Command9 = nullptr;   // 取消
    QPushButton *Command10 = nullptr;  // 重填
    // Manual-entry panel.
    QFrame *Frame6 = nullptr;
    QLabel *Label13 = nullptr;
    QLineEdit *Text4 = nullptr;        // number of students
    QLineEdit *Text6 = nullptr;        // subjects, "*"-separated
    QPushButton *Command21 = nullptr;  // 确定
    QPushButton *Command19 = nullptr;  // 取消
    // Report panel.
    QFrame *Frame3 = nullptr;
    QLabel *Label15 = nullptr;
    QProgressBar *Bar1 = nullptr;
    QLabel *lb1 = nullptr;             // progress text
    QPlainTextEdit *Text5 = nullptr;   // report
    QPushButton *Command12 = nullptr;  // 取消
    // Class-count panel.
    QFrame *Frame5 = nullptr;
    QLabel *Label12 = nullptr;
    QLineEdit *Text3 = nullptr;
    QPushButton *Command18 = nullptr;  // 确定
    QPushButton *Command17 = nullptr;  // 取消
    // Output panel.
    QFrame *Frame7 = nullptr;
    QLabel *Label14 = nullptr;
    QRadioButton *Option7 = nullptr;   // 分班结果存回原表中
    QRadioButton *Option5 = nullptr;   // 按班级输出名单
    QRadioButton *Option6 = nullptr;   // 按原顺序输出名单
    QPushButton *Command14 = nullptr;  // 确定
    QPushButton *Command20 = nullptr;  // 取消

    const organisation::NewStudentTable &table() const { return m_table; }
    const organisation::StudentMapping &mapping() const { return m_mapping; }
    const ImportWorkbook *workbook() const { return m_book.get(); }

public slots:
    void Form_Load() override;
    void Command3_Click();
    void Command4_Click();
    void Command2_Click();
    void Combo1_Click();
    void List3_Click();
    void Command10_Click();
    void Command8_Click();
    void Command9_Click();
    void Command19_Click();
    void Command20_Click();
    void Command21_Click();
    void Command15_Click();
    void Command16_Click();
    void Command5_Click();
    void Command6_Click();
    void Command18_Click();
    void Command17_Click();
    void Command12_Click();
    void Command11_Click();
    void Command13_Click();
    void Command1_Click();
    void Command14_Click();
    void Command7_Click();

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
    void moveListItem(int step);

    organisation::NewStudentTable m_table;
    organisation::StudentMapping m_mapping;
    std::unique_ptr<ImportWorkbook> m_book;
    bool m_listFromBook = false;   // the rows were read from m_book
    int m_placedClasses = 0;       // the class count of the list's placement; 0 before one
    CellEditor *m_editor = nullptr;
    QColor m_face;
};

} // namespace tessaly
