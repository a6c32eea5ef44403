#include "kit/class_choice.h"

#include "kit/window_base.h"

#include <QComboBox>

namespace tessaly {

ClassChoice::ClassChoice(const Steps &steps, FormWindow &form, QWidget *parent)
    : m_steps(steps), m_form(form), m_parent(parent)
{
}

void ClassChoice::forgetSubject()
{
    if (m_steps.subject)
        m_steps.subject->clear();
    m_subjects = {};
    m_subjectIndex = -1;
}

bool ClassChoice::loadGradeGroups()
{
    const bool read = FillGradeGroupCombo(m_form.connection(), m_steps.gradeGroup, m_steps.gradeGroups, m_parent);
    m_steps.klass->clear();
    m_classes = {};
    m_classIndex = -1;
    forgetSubject();
    return read;
}

bool ClassChoice::chooseGradeGroup()
{
    const bool read =
        FillClassCombo(m_form.connection(), gradeGroup(), m_steps.klass, m_steps.classes, m_classes, m_parent);
    m_classIndex = -1;
    forgetSubject();
    return read;
}

bool ClassChoice::chooseClass(int index)
{
    if (index < 0 || index >= m_classes.size())
        return false;
    m_classIndex = index;
    m_subjectIndex = -1;
    if (m_steps.subject)
        FillSubjectCombo(m_form.connection(), gradeGroup(), className(), m_steps.subject, m_subjects,
                                m_parent, m_steps.noticeWhenNoSubject);
    return true;
}

bool ClassChoice::chooseSubject(int index)
{
    if (index < 0 || index >= m_subjects.size())
        return false;
    m_subjectIndex = index;
    return true;
}

QString ClassChoice::gradeGroup() const
{
    return m_steps.gradeGroup->currentText();
}

QString ClassChoice::className() const
{
    return m_steps.klass->currentText();
}

Account ClassChoice::account() const
{
    if (m_subjectIndex >= 0) {
        const SubjectEntry s = subjectEntry();
        return {s.teacher, s.password, s.id};
    }
    const ClassEntry c = classEntry();
    return {c.headTeacher, c.password, c.id};
}

} // namespace tessaly
