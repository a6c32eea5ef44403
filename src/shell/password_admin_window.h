#pragma once
// 系统安全密码设置 (caption "系统安全密码设置"): the administrator lists the
// passwords of the administrator, of the head teachers of a grade group or of
// its subject teachers, edits them in the grid and saves them.
//
// The grid keeps, per listed row, the id of the 教导处 row it came from; the
// save writes each changed password to that row by id.
#include "kit/window_base.h"

#include "shell/password_list.h"

#include <QMap>
#include <QVector>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessaly {

class FlexGrid;
class SignInToggle;
class CellEditor;

class PasswordAdminWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit PasswordAdminWindow(WindowHost &host, QWidget *parent = nullptr);

    QGroupBox *listFrame = nullptr;
    FlexGrid *passwordGrid = nullptr;
    QLineEdit *cellEditorBox = nullptr;        // the password cell editor
    QLabel *listHeading = nullptr;          // title of the list shown
    QMap<int, QLabel *> captionLabels;        // 0 (note), 4 "选择范围", 5 "选择类别"
    QGroupBox *choiceFrame = nullptr;
    QLabel *choiceHeading = nullptr;
    QComboBox *categoryCombo = nullptr;       // category
    QComboBox *gradeGroupCombo = nullptr;       // grade group
    QPushButton *saveButton = nullptr;   // 保存设定密码(&K)
    QPushButton *signInButton = nullptr;   // administrator sign-in toggle
    QPushButton *closeButton = nullptr;   // 退出密码设置(&E)

    CellEditor *cellEditor() const { return m_editor; }
    SignInToggle *toggle() const { return m_toggle; }
    // The 教导处 id each data row was listed from (row k at index k - 1).
    QVector<qint64> listedIds() const;

public slots:
    void Form_Load() override;
    void signInClicked();
    void categoryChosen();
    void gradeGroupChosen();
    void FillPasswordGrid(const QVector<PasswordRow> &rows);
    void saveClicked();
    void closeClicked();

protected:
    bool mayClose() override;

private:
    bool refusedWhileSignedOut();
    // Passwords typed in the grid and not saved.
    bool hasUnsavedChanges() const;
    // Before the list goes: asks about unsaved passwords; false to keep them.
    bool settleUnsaved();
    bool savePasswordsShown();
    void restoreShownChoice();
    void showList(PasswordCategory category, const QString &gradeGroup);
    void cutGrid();
    SignInToggle *m_toggle = nullptr;
    CellEditor *m_editor = nullptr;
    PasswordCategory m_category = PasswordCategory::Admin;
    QVector<PasswordRow> m_listed;   // what each data row was listed from
    int m_shownCategory = -1;        // the choices of the list shown
    QString m_shownGradeGroup;
};

} // namespace tessaly
