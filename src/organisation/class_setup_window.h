#pragma once
// 班级设置 (ClassSetupWindow): the administrator chooses a grade group, ticks
// its classes in the fixed class list, types each class's actual name and
// head teacher into the grid and saves them as the 班级名 rows of 教导处.
//
// classGrid: "^序号|^班名称|^班 实 际 名|^班 主 任|MM", one row per class; column 4
// (the head teacher's password) is hidden and never edited. Columns 2 and 3
// are edited through the shared cell editor (classCellEditorConfig).
//
// Unsaved changes (the grid's classes, actual names or head teachers differing
// from what was loaded or last saved) are asked about before another grade
// group is loaded and before the window is left; a Yes saves only while the
// administrator is signed in, otherwise the window keeps the changes.
#include "kit/window_base.h"

#include "organisation/organisation_save.h"

#include <QMap>
#include <QVector>
#include <QWidget>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace tessaly {

class FlexGrid;
class SignInToggle;

class CellEditor;
struct CellEditorConfig;

// The class grid's editor: columns 2 and 3, Up and Down move it, every
// loss of focus writes back, no row marking.
CellEditorConfig classCellEditorConfig();

class ClassSetupWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit ClassSetupWindow(WindowHost &host, QWidget *parent = nullptr);

    QPushButton *signInButton = nullptr;    // administrator sign-in toggle
    QGroupBox *setupFrame = nullptr;        // "进行班级设置": enabled while signed in
    QComboBox *gradeGroupCombo = nullptr;        // grade groups
    QListWidget *classList = nullptr;       // the fixed class list with check boxes
    QPushButton *saveButton = nullptr;    // 保存
    QMap<int, QLabel *> countLabels;         // (3) is the number of classes in the grid
    QMap<int, QLabel *> headingLabels;         // (0) grid heading, (4) frame heading
    QFrame *gridFrame = nullptr;
    FlexGrid *classGrid = nullptr;
    QLineEdit *cellEditorBox = nullptr;         // the cell editor's box
    QPushButton *closeButton = nullptr;    // 退出

    SignInToggle *signInToggle() const { return m_toggle; }
    CellEditor *cellEditor() const { return m_editor; }
    // The grid's rows differ from those loaded or last saved.
    bool hasUnsavedChanges() const;
    // The grade group whose classes the grid holds (empty before a choice).
    QString shownGradeGroup() const { return m_gradeGroup; }
    // The grid's data rows.
    QVector<organisation::ClassRow> gridRows() const;

public slots:
    void Form_Load() override;
    void gradeGroupChosen();
    void classClicked(QListWidgetItem *item);
    void saveClicked();
    void closeClicked();

protected:
    bool mayClose() override;

private:
    void setGridFormat();
    void FillClassGrid(const QVector<organisation::ClassRow> &rows);
    void RebuildClassGrid();
    void showRows(const QVector<organisation::ClassRow> &rows);
    void setTicks(const QStringList &names, int *counted);
    // SaveClasses for the grade group: true when the classes were stored.
    bool saveClasses(const QString &gradeGroup);
    // The unsaved-changes question: true when the window may go on (saved or
    // dropped), false when it must keep the changes.
    bool settleUnsaved();
    SignInToggle *m_toggle = nullptr;
    CellEditor *m_editor = nullptr;
    QString m_gradeGroup;
    QVector<organisation::ClassRow> m_saved;   // the grid as last loaded or saved
};

} // namespace tessaly
