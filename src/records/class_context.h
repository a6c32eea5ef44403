#pragma once
// The class context of the five head-teacher windows (学生操行评定, 年初工作计划,
// 年终工作总结, 学生行为纪录, 日常工作记录): grade group → class (→ head
// teacher), the class's identity (cohort year, section table, class code by
// school::ResolveClassCode) and the head-teacher sign-in toggle (kit/sign_in_toggle.h).
// Each window owns one; they share nothing but the session, so a head teacher
// signed in in one window shows signed in in another at its next class choice.
//
//   m_context = new ClassContext({.gradeGroup = Combo1, .klass = Combo2,
//                                 .headTeachers = Combo3,              // plan, summary, daily window
//                                 .toggle = Command10,
//                                 .editors = {Frame2},
//                                 .checks = ClassContext::Checks::EitherClassOrTeacher},
//                                *this, this);
//   connect(m_context, &ClassContext::gradeGroupChosen, this, …empty the class's lists…);
//   connect(m_context, &ClassContext::classChosen, this, …load the class's rows…);
//   connect(m_context, &ClassContext::signInShown, this, …the window's status text…);
//   m_context->setLeaveCheck([this] { …unsaved-changes question… });   // plan, summary
//   m_context->load();                                                   // in Form_Load
//
// Signed in means denglu equals the chosen class's head teacher (non-empty),
// tested at every class choice and after 登陆; a class without a head-teacher
// name is never shown signed in.
#include "kit/class_choice.h"
#include "school/class_code.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QAbstractButton;
class QComboBox;
class QWidget;

namespace tessaly {
class FormWindow;
class SignInToggle;
class WindowHost;
}

namespace tessaly::records {

class ClassContext : public QObject {
    Q_OBJECT
public:
    // The refusals of the toggle before 登陆, in order. Both start with
    // "请选择一个年级组。" and end with the stored password's read and
    // "班主任还没定密码,请教导处添加,才能修改。".
    enum class Checks {
        Conduct,               // "请至少选择一个班级。", then "没有班主任名,请教导处添加后,才能修改。"
        EitherClassOrTeacher,  // class and head-teacher combo both empty: "请至少选择一个班级名或班主任名。";
                               // no head-teacher name: the password's refusal
    };
    // When the status text is set.
    enum class Shown { ClassStep, Toggle };

    struct Config {
        QComboBox *gradeGroup = nullptr;     // Combo1
        QComboBox *klass = nullptr;          // Combo2
        QComboBox *headTeachers = nullptr;   // Combo3: head teachers at the positions of the classes
        QAbstractButton *toggle = nullptr;   // Command10
        QList<QWidget *> editors{};            // enabled exactly while signed in
        Checks checks = Checks::Conduct;
    };

    // Its lists read on the window's connection; its sign-in on the window's database.
    ClassContext(const Config &config, FormWindow &form, QWidget *window);

    // Fills the grade-group combo (Form_Load).
    void load();
    // Asked before a grade-group or class choice takes effect; false keeps the
    // choice as it was (plan and summary windows: the unsaved-changes question).
    void setLeaveCheck(std::function<bool()> check) { m_leaveCheck = std::move(check); }

    QString gradeGroup() const;
    QString className() const;
    // The chosen class's texts (empty before a class choice).
    const ClassEntry &entry() const { return m_entry; }
    QString headTeacher() const { return m_entry.headTeacher; }
    // Section table, cohort year, class code of the chosen class (invalid before a choice).
    const school::ClassIdentity &identity() const { return m_identity; }
    bool hasClass() const { return m_identity.isValid(); }

    // The state the toggle shows.
    bool isSignedIn() const;
    SignInToggle *toggle() const { return m_toggle; }

    // Chooses the class at that position of the class combo, as a user's choice does.
    void chooseClass(int index);

signals:
    // The class combo was refilled (the grade group changed); no class is chosen.
    void gradeGroupChosen();
    // A class was chosen: its head teacher is the toggle's account and its identity resolved.
    // Runs before the sign-in state is shown.
    void classChosen();
    // The toggle shows its state: at a class choice, or after a click on it.
    void signInShown(bool signedIn, ClassContext::Shown when);

private:
    void gradeGroupActivated(int index);
    void classActivated(int index);
    void headTeacherActivated(int index);
    bool mayLeave(QComboBox *combo, int &shownIndex, int newIndex);

    Config m_config;
    FormWindow &m_form;
    QWidget *m_window;
    SignInToggle *m_toggle = nullptr;
    ClassChoice m_choice;
    ClassEntry m_entry;
    school::ClassIdentity m_identity;
    std::function<bool()> m_leaveCheck;
    int m_gradeIndex = -1;
    int m_classIndex = -1;
    bool m_classStep = false;
};

} // namespace tessaly::records
