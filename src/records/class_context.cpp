#include "records/class_context.h"

#include "kit/sign_in_toggle.h"
#include "kit/window_base.h"

#include <QComboBox>

namespace tessaly::records {

ClassContext::ClassContext(const Config &config, FormWindow &form, QWidget *window)
    : QObject(window), m_config(config), m_form(form), m_window(window),
      m_choice({.gradeGroup = config.gradeGroup, .klass = config.klass}, form, window)
{
    m_toggle =
        new SignInToggle(SignInToggle::Kind::HeadTeacher, config.toggle, form.host(), form.databasePath(), window);
    m_toggle->setChoices(config.gradeGroup, config.klass);
    m_toggle->setEditors(config.editors);
    // A sign-in is always for the class chosen here, whatever another window chose since.
    m_toggle->setAccount([this] { return Account{m_entry.headTeacher, m_entry.password, m_entry.id}; });
    if (config.checks == Checks::EitherClassOrTeacher) {
        // The standard head-teacher checks: grade group, class, name, stored password, password.
        QList<SignInToggle::Check> checks = m_toggle->standardChecks();
        QComboBox *klass = config.klass;
        QComboBox *teachers = config.headTeachers;
        checks[1] = {[klass, teachers] {
                         return klass->currentText().isEmpty() && (!teachers || teachers->currentText().isEmpty());
                     },
                     [] { return QStringLiteral("请至少选择一个班级名或班主任名。"); }};
        // These windows have no refusal of their own for a class without a head
        // teacher: it meets the one for a missing password (there is no account).
        checks[2].message = checks[4].message;
        m_toggle->setChecks(checks);
    }
    connect(m_toggle, &SignInToggle::stateShown, this,
            [this](bool signedIn) { emit signInShown(signedIn, m_classStep ? Shown::ClassStep : Shown::Toggle); });

    connect(config.gradeGroup, &QComboBox::activated, this, &ClassContext::gradeGroupActivated);
    connect(config.klass, &QComboBox::activated, this, &ClassContext::classActivated);
    if (config.headTeachers)
        connect(config.headTeachers, &QComboBox::activated, this, &ClassContext::headTeacherActivated);
}

void ClassContext::load()
{
    if (m_config.headTeachers)
        m_config.headTeachers->clear();
    m_choice.loadGradeGroups();
    m_gradeIndex = -1;
    m_classIndex = -1;
}

QString ClassContext::gradeGroup() const
{
    return m_config.gradeGroup->currentText();
}

QString ClassContext::className() const
{
    return m_config.klass->currentText();
}

bool ClassContext::isSignedIn() const
{
    return m_toggle->isSignedIn();
}

bool ClassContext::mayLeave(QComboBox *combo, int &shownIndex, int newIndex)
{
    if (!m_leaveCheck || m_leaveCheck()) {
        shownIndex = newIndex;
        return true;
    }
    combo->setCurrentIndex(shownIndex);
    return false;
}

void ClassContext::gradeGroupActivated(int index)
{
    if (index < 0 || !mayLeave(m_config.gradeGroup, m_gradeIndex, index))
        return;
    m_choice.chooseGradeGroup();
    if (QComboBox *teachers = m_config.headTeachers) {
        teachers->clear();
        fitDropDown(teachers);
        for (const ClassEntry &e : m_choice.classes().entries)
            teachers->addItem(e.headTeacher);
        teachers->setCurrentIndex(-1);
    }
    m_classIndex = -1;
    m_entry = {};
    m_identity = {};
    emit gradeGroupChosen();
}

void ClassContext::classActivated(int index)
{
    if (index < 0 || index >= m_choice.classes().size())
        return;
    if (!mayLeave(m_config.klass, m_classIndex, index)) {
        if (m_config.headTeachers)
            m_config.headTeachers->setCurrentIndex(m_classIndex);
        return;
    }
    chooseClass(index);
}

void ClassContext::headTeacherActivated(int index)
{
    if (index < 0 || index >= m_choice.classes().size())
        return;
    if (!mayLeave(m_config.headTeachers, m_classIndex, index))
        return;
    chooseClass(index);
}

void ClassContext::chooseClass(int index)
{
    if (!m_choice.chooseClass(index))
        return;
    m_classIndex = index;
    m_config.klass->setCurrentIndex(index);
    if (m_config.headTeachers)
        m_config.headTeachers->setCurrentIndex(index);
    m_entry = m_choice.classEntry();
    m_identity = school::ResolveClassCode(gradeGroup(), className(), m_form.session().today());
    emit classChosen();
    m_classStep = true;
    m_toggle->showState();
    m_classStep = false;
}

} // namespace tessaly::records
