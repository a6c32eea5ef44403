#pragma once
// 学籍管理 (caption "学生学籍管理"): the class register of the head teachers.
//
// Choose a grade group (gradeGroupCombo) and one of its classes (classCombo): the class's
// head teacher becomes the sign-in toggle's account, the class code is resolved and
// the class's students shown in the register grid registerGrid. Anyone may look; while the
// head teacher is signed in (signInButton) the edit buttons in editFrame are enabled
// and the cell editor cellEditorBox opens on the grid. The class and its students
// are held by the register sheet (register_sheet.h); the grid shows its rows and
// the cell editor's write-backs go to it, until 保存修改 writes what it has to save
// in one transaction. Choosing another class or grade group, or closing, with
// changes not saved asks whether to save them first.
// The transfer panel transferFrame takes students of other classes of the grade group
// into this class. The import panel importFrame fills the rows from a worksheet (fresh,
// or by name into the students shown), reported in importReportFrame; 导出数据或打印 writes
// the shown rows into a new workbook.
//
// The rules live in src/register/: class codes and seats (class_code.h), the
// sheet (register_sheet.h), grid rows (register_rows.h), the save (register_save.h), the transfer
// (class_transfer.h), the import (register_import.h) and the export
// (register_export.h).
#include "kit/window_base.h"

#include "kit/class_choice.h"
#include "db/database.h"
#include "school/class_code.h"
#include "register/class_transfer.h"
#include "register/register_import.h"
#include "register/register_rows.h"
#include "register/register_sheet.h"

#include <array>
#include <memory>

#include <QList>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tessaly {

class FlexGrid;
class ImportWorkbook;
class SignInToggle;

class CellEditor;

class RegisterWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit RegisterWindow(WindowHost &host, QWidget *parent = nullptr);
    ~RegisterWindow() override;

    QSize sizeHint() const override;

    // Title and status.
    QLabel *titleLabel = nullptr;    // title: class and head teacher
    QLabel *statusLabel = nullptr;    // status line

    // Class choice.
    QGroupBox *choiceFrame = nullptr;
    QComboBox *gradeGroupCombo = nullptr;   // grade group
    QComboBox *classCombo = nullptr;   // class
    QLabel *operationsLabel = nullptr;      // 操作选择
    QPushButton *signInButton = nullptr;   // head-teacher sign-in toggle

    // Edit buttons: enabled while the head teacher of a chosen class is signed in
    // and no panel is open.
    QGroupBox *editFrame = nullptr;
    QPushButton *transferButton = nullptr;    // 学生转班: opens transferFrame
    QPushButton *importButton = nullptr;   // 导入数据: opens importFrame
    QPushButton *addStudentButton = nullptr;    // 添加学生
    QPushButton *deleteStudentButton = nullptr;    // 删除学生
    QPushButton *saveButton = nullptr;    // 保存修改
    QPushButton *exportButton = nullptr;   // 导出数据或打印: no sign-in needed; off while a panel is open
    QPushButton *closeButton = nullptr;    // 关闭窗体

    FlexGrid *registerGrid = nullptr;     // the register grid
    QLineEdit *cellEditorBox = nullptr;    // the cell editor's text box
    QListWidget *usedNumbersList = nullptr;  // hidden: the student numbers in use, as the rows give them

    // Class-transfer panel (hidden until transferButton).
    QGroupBox *transferFrame = nullptr;
    QComboBox *sourceClassCombo = nullptr;      // source class
    QListWidget *sourceStudentList = nullptr;     // students of the source class
    QListWidget *transferQueueList = nullptr;     // the transfer queue
    QPushButton *queueStudentButton = nullptr; // 导入>
    QPushButton *saveTransferButton = nullptr; // 保存转入
    QPushButton *closeTransferButton = nullptr;  // 退出转班
    QLabel *classCodeLabel = nullptr;        // hidden: class code of the chosen class

    // Import panel (hidden until importButton).
    QGroupBox *importFrame = nullptr;
    QPushButton *browseButton = nullptr;   // 浏览: chooses and opens a workbook
    QLineEdit *workbookPathBox = nullptr;        // the workbook's path
    QComboBox *sheetCombo = nullptr;       // its worksheets
    QListWidget *sheetHeaderList = nullptr;      // the chosen sheet's headers
    QWidget *fieldPanel = nullptr;       // the field options and their binding labels
    std::array<QRadioButton *, 2> importModeOptions{};   // import mode: 0 fresh, 1 by name
    QLabel *byNameNote = nullptr;
    QLabel *fieldHint = nullptr;
    QLabel *notesLabel = nullptr;          // the operating notes
    QLabel *captionRowLabel = nullptr;  // says which row holds the captions when row 1 does not
    QPushButton *startImportButton = nullptr;   // 导入开始
    QPushButton *cancelImportButton = nullptr;   // 取消导入
    // Import report (shown from the start of an import until closeReportButton).
    QGroupBox *importReportFrame = nullptr;
    QProgressBar *importProgress = nullptr;
    QLabel *progressLabel = nullptr;             // progress label
    QPlainTextEdit *importReportBox = nullptr;   // the report
    QPushButton *closeReportButton = nullptr;   // 确定


    // The chosen class: what ResolveClassCode gave (invalid before a choice and for
    // names outside the fixed lists), and its 教导处 entry.
    const school::ClassIdentity &classIdentity() const { return m_sheet.identity(); }
    ClassEntry chosenClass() const;
    // The head-teacher sign-in toggle; its account is the chosen class's head teacher.
    SignInToggle *toggle() const { return m_toggle; }
    CellEditor *cellEditor() const { return m_editor; }
    // What the window works on: the class and its rows, grid row r showing row r - 1.
    const reg::RegisterSheet &sheet() const { return m_sheet; }
    const QList<reg::RegisterRow> &registerRows() const { return m_sheet.rows(); }
    // Added, edited or deleted students not saved yet.
    bool hasUnsavedChanges() const;
    // The transfer queue, in order.
    QList<reg::TransferEntry> transferQueue() const;
    // Field f's option button and binding label (binding order, reg::importFields()).
    QRadioButton *fieldOption(int f) const { return m_fieldOptions.at(std::size_t(f)); }
    QLabel *bindingLabel(int f) const { return m_bindingLabels.at(std::size_t(f)); }
    const reg::ImportMapping &importMapping() const { return m_mapping; }
    // The open import workbook; nullptr when none is open.
    const ImportWorkbook *importWorkbook() const { return m_book.get(); }

public slots:
    void Form_Load() override;
    void gradeGroupChosen();
    void classChosen();
    // Shows the class chosen in classCombo as stored (run by classChosen, and again
    // after a save or a transfer).
    void ChooseClass();
    void closeClicked();
    // Shows the sheet's rows in the grid, as loaded.
    void FillRegisterGrid();

    void addStudentClicked();   // AddStudent
    void deleteStudentClicked();   // DeleteStudent
    void saveClicked();   // SaveRegister
    // Writes the rows' changes; on success reloads the class. False when the
    // save was refused (reported; every row keeps its state) or no class is chosen.
    bool SaveRegister();

    void transferClicked();    // opens the transfer panel
    void sourceClassChosen();      // lists the source class
    void queueStudentClicked();   // queues a student
    void saveTransferClicked();   // SaveClassTransfer
    void closeTransferClicked();    // closes the transfer panel

    void importClicked();   // opens the import panel
    void cancelImportClicked();    // closes it
    void browseClicked();    // OpenExcelWorkbook
    void sheetChosen();      // ListSheetColumns
    void sheetHeaderChosen();       // MapSheetColumn
    void importModeChosen(int index);
    void startImportClicked();    // ImportRegisterFromExcel
    void closeReportClicked();    // closes the import report
    void exportClicked();   // ExportRegisterToExcel

protected:
    bool mayClose() override;

private:
    void buildControls();
    void clearGrid();
    void showRow(int i);
    void appendGridRow(int heightTwips);
    void showTakenNumbers();
    void rowEdited(int gridRow, int col);
    void fitColumns(int fromRow, int toRow);
    bool writeRegister(QList<reg::RegisterRow> &vanished);
    void reportVanished(const QList<reg::RegisterRow> &vanished);
    bool settleUnsaved();
    void updateEditButtons();
    void showSignInState(bool signedIn);
    bool headTeacherSignedIn() const;
    void openPanel(QWidget *panel);
    void closePanel(QWidget *panel);
    void markQueued();
    void buildImportPanels(QWidget *parent);
    void showAllRows();
    void presetMode(reg::ImportMode mode);
    SignInToggle *m_toggle = nullptr;
    CellEditor *m_editor = nullptr;
    std::unique_ptr<ClassChoice> m_choice;   // grade group → class
    QString m_gradeGroup;         // gradeGroupCombo text whose classes classCombo lists
    reg::RegisterSheet m_sheet;
    bool m_choosing = false;      // a class choice shows the sign-in state
    bool m_editRowValid = false;  // the cell editor's row is a row of the current fill
    QWidget *m_openPanel = nullptr;
    QList<int> m_formatWidths;   // twips, as the format string sized the columns
    std::unique_ptr<ImportWorkbook> m_book;
    reg::ImportMapping m_mapping;
    std::array<QRadioButton *, reg::kImportFieldCount> m_fieldOptions{};
    std::array<QLabel *, reg::kImportFieldCount> m_bindingLabels{};
    bool m_skipModeNotice = false;   // the next mode click shows no message
};

} // namespace tessaly
