#pragma once
// 学科设置 (caption "学科及任课教师设置"): the administrator sets up the
// teaching assignments of each class — its subjects (ticks of subjectList) and the
// teacher of each (column 4 of teacherGrid) — copies the teacher column of one class
// to another, and saves them as the 任课 rows of 教导处 (teaching_save.h).
// Closing the window with grid rows that differ from those loaded or last
// saved asks whether to save them first.
#include "kit/window_base.h"

#include "kit/selection.h"
#include "organisation/teaching_save.h"

#include <QList>
#include <QVector>
#include <QWidget>

class QComboBox;
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

class SubjectSetupWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit SubjectSetupWindow(WindowHost &host, QWidget *parent = nullptr);

    // teacherGrid columns.
    enum { kColNumber = 0, kColGradeGroup, kColClass, kColSubject, kColTeacher, kColPassword, kCols };

    QComboBox *gradeGroupCombo = nullptr;       // grade groups
    QComboBox *classCombo = nullptr;       // classes of the grade group
    QListWidget *subjectList = nullptr;      // subjects, ticked for the class
    QLineEdit *newSubjectBox = nullptr;        // a subject to add
    QPushButton *addSubjectButton = nullptr;   // 加入学科
    QPushButton *signInButton = nullptr;   // administrator sign-in toggle
    QPushButton *saveButton = nullptr;   // 保 存(&S)
    QPushButton *closeButton = nullptr;   // 关 闭(&C)
    QList<QLabel *> captionLabels;            // indexes 0 to 5; 5 counts the subjects
    QLabel *titleLabel = nullptr;
    QGroupBox *teacherFrame = nullptr;
    FlexGrid *teacherGrid = nullptr;
    QLineEdit *cellEditorBox = nullptr;        // the teacher cell editor
    QPushButton *copyTeacherButton = nullptr;   // 复制教师名
    QPushButton *pasteTeacherButton = nullptr;   // 粘贴教师名
    QLabel *gridHeading = nullptr;          // heading of the grid

    CellEditor *cellEditor() const { return m_editor; }
    SignInToggle *toggle() const { return m_toggle; }
    // The grid's rows differ from those loaded or last saved.
    bool hasUnsavedChanges() const;

    // The clipboard format that marks a text made by 复制教师名.
    static const QString kClipboardFormat;

public slots:
    void Form_Load() override;
    void gradeGroupChosen();
    void classChosen();
    void subjectClicked(QListWidgetItem *item);
    void addSubjectClicked();
    void copyTeacherClicked();
    void pasteTeacherClicked();
    void saveClicked();
    void closeClicked();

protected:
    bool mayClose() override;

private:
    // Reads the stored assignments of the scope into the grid and the ticks.
    void FillTeacherGrid(const organisation::TeachingScope &scope);
    void RebuildTeacherGrid();
    void AddSubject();
    void CopyTeacherNames();
    void PasteTeacherNames();
    // True when the rows were stored.
    bool SaveTeachingAssignments();
    // The grid's data rows as teaching assignments.
    QVector<organisation::TeachingAssignment> gridAssignments() const;
    // The grade group and class (empty: the whole grade group) the grid shows.
    organisation::TeachingScope shownScope() const { return m_shown; }
    // Before the grid's rows go: asks about unsaved changes; false to keep them.
    bool settleUnsaved();
    // Back to the choices of the rows shown.
    void restoreShownChoice();

    QListWidgetItem *subjectItem(const QString &subject) const;
    void tickByProgram(QListWidgetItem *item, bool ticked);
    void setGridFormat();
    // Columns 1 to 4 widen for long texts.
    void widenColumns();
    int dataRows() const;
    void setRowCount(int rows);
    SignInToggle *m_toggle = nullptr;
    CellEditor *m_editor = nullptr;
    ClassList m_classes;   // 其它 and 其次 of each class of classCombo
    bool m_programTick = false;          // the program, not the user, changes a tick
    QVector<organisation::TeachingAssignment> m_saved;   // the grid as last loaded or saved
    organisation::TeachingScope m_shown;                 // what the grid was loaded for
    int m_shownGradeGroup = -1, m_shownClass = -1;       // and the choices that loaded it
};

} // namespace tessaly
