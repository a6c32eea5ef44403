#pragma once
// The class-choice cascade of the windows that choose a class: grade group →
// class (→ subject), with the account that choice implies. The cascade reads
// on the window's connection and keeps the lists parallel to the combos and
// the chosen positions; each window keeps its own reaction to a choice (its
// messages, what it clears and loads), calling the step from its handler:
//
//   m_choice = std::make_unique<ClassChoice>(
//       ClassChoice::Steps{.gradeGroup = Combo1, .klass = Combo2, .subject = Combo3,
//                          .classes = ClassVariant::WithPassword},
//       *this, this);
//   m_choice->loadGradeGroups();                        // Form_Load
//   m_choice->chooseGradeGroup();                       // Combo1 activated
//   if (!m_choice->chooseClass(index)) return;          // Combo2 activated
//   if (!m_choice->chooseSubject(index)) return;        // Combo3 activated
//   const Account a = m_choice->account();
#include "kit/selection.h"
#include "kit/sign_in_toggle.h"
#include "kit/subject_selection.h"

class QComboBox;
class QWidget;

namespace tessaly {

class FormWindow;

class ClassChoice {
public:
    struct Steps {
        QComboBox *gradeGroup = nullptr;
        QComboBox *klass = nullptr;
        QComboBox *subject = nullptr;   // none: the cascade ends at the class
        ClassVariant classes = ClassVariant::Full;
        GradeGroupVariant gradeGroups = GradeGroupVariant::Common;
        bool noticeWhenNoSubject = true;
    };

    ClassChoice(const Steps &steps, FormWindow &form, QWidget *parent);

    // Fills the grade groups (nothing chosen) and empties the steps after them.
    bool loadGradeGroups();
    // The grade group shown was chosen: fills its classes, empties the subjects,
    // forgets the class and subject chosen.
    bool chooseGradeGroup();
    // Chooses the class at that position: false (nothing changes) when out of
    // range. With a subject step, fills the class's subjects and forgets the subject.
    bool chooseClass(int index);
    // Chooses the subject at that position: false when out of range.
    bool chooseSubject(int index);

    QString gradeGroup() const;
    QString className() const;
    int classIndex() const { return m_classIndex; }
    int subjectIndex() const { return m_subjectIndex; }
    const ClassList &classes() const { return m_classes; }
    const SubjectList &subjects() const { return m_subjects; }
    // The chosen entries; empty before a choice.
    ClassEntry classEntry() const { return m_classes.at(m_classIndex); }
    SubjectEntry subjectEntry() const { return m_subjects.at(m_subjectIndex); }

    // The account the choice implies: the subject's teacher once a subject is
    // chosen, otherwise the class's head teacher (empty before a class choice).
    Account account() const;

private:
    void forgetSubject();

    Steps m_steps;
    FormWindow &m_form;
    QWidget *m_parent;
    ClassList m_classes;
    SubjectList m_subjects;
    int m_classIndex = -1;
    int m_subjectIndex = -1;
};

} // namespace tessaly
