#pragma once
// 年级组设置 (GradeGroupWindow): the administrator ticks the school's grade
// groups in the fixed grade-group list and saves them as the 年级组名 rows of
// 教导处. Ticks and the save button work only after the administrator signed
// in with the toggle signInButton. Closing the window with ticks that differ from
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

    QFrame *listFrame = nullptr;        // the list; enabled while signed in
    QListWidget *gradeGroupList = nullptr;    // the fixed grade-group list with check boxes
    QLabel *countLabel = nullptr;        // "现共（n）个年级组"
    QLabel *listHeading = nullptr;
    QFrame *setupFrame = nullptr;
    QPushButton *saveButton = nullptr;   // 保存设置: enabled while signed in
    QPushButton *signInButton = nullptr;   // administrator sign-in toggle
    QLabel *notesLabel = nullptr;
    QLabel *setupHeading = nullptr;
    QPushButton *closeButton = nullptr;   // 退 出 设 置

    SignInToggle *signInToggle() const { return m_toggle; }
    // The ticks differ from those loaded or last saved.
    bool hasUnsavedChanges() const;

public slots:
    void Form_Load() override;
    void saveClicked();
    void closeClicked();

protected:
    bool mayClose() override;

private:
    // Ticks the stored grade groups and shows their count in countLabel.
    void loadTicks();
    QStringList tickedNames() const;
    // SaveGradeGroups for the ticks: true when they were stored.
    bool saveGradeGroups();
    SignInToggle *m_toggle = nullptr;
    QStringList m_savedTicks;   // the ticks as last loaded or saved
};

} // namespace tessaly
