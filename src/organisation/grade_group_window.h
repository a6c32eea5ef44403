#pragma once
// 年级组设置 (GradeGroupWindow): the administrator ticks the school's grade
// groups in the fixed grade-group list and saves them as the 年级组名 rows of
// 教导处. Ticks and the save button work only after the administrator signed
// in with the toggle Command9. Closing the window with ticks that differ from
// those loaded or last saved asks whether to save them first.
#include "kit/window_base.h"

#include <QWidget>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

namespace tessaly {

class SignInToggle;

class GradeGroupWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit GradeGroupWindow(WindowHost &host, QWidget *parent = nullptr);

    QFrame *Frame2 = nullptr;        // the list; enabled while signed in
    QListWidget *List1 = nullptr;    // the fixed grade-group list with check boxes
    QLabel *Label5 = nullptr;        // "现共（n）个年级组"
    QLabel *Label2 = nullptr;
    QFrame *Frame1 = nullptr;
    QPushButton *Command1 = nullptr;   // 保存设置: enabled while signed in
    QPushButton *Command9 = nullptr;   // administrator sign-in toggle
    QLabel *Label1 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *Command8 = nullptr;   // 退 出 设 置

    SignInToggle *signInToggle() const { return m_toggle; }
    // The ticks differ from those loaded or last saved.
    bool hasUnsavedChanges() const;

public slots:
    void Form_Load() override;
    void Command1_Click();
    void Command8_Click();

protected:
    bool mayClose() override;

private:
    // Ticks the stored grade groups and shows their count in Label5.
    void loadTicks();
    QStringList tickedNames() const;
    // SaveGradeGroups for the ticks: true when they were stored.
    bool saveGradeGroups();
    SignInToggle *m_toggle = nullptr;
    QStringList m_savedTicks;   // the ticks as last loaded or saved
};

} // namespace tessaly
