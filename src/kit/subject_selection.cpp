#include "kit/subject_selection.h"

#include "school/class_subjects.h"
#include "kit/save_report.h"
#include "kit/window_steps.h"
#include "db/database.h"
#include "school/score_sheet.h"
#include "kit/session.h"
#include "widgets/messages.h"

#include <QComboBox>

namespace tessaly {

bool FillSubjectCombo(db::Connection &c, const QString &gradeGroup, const QString &className,
                      QComboBox *subjectCombo, SubjectList &list, QWidget *parent, bool noticeWhenNone)
{
    const auto rows = school::subjectsOfClass(c, gradeGroup, className);
    subjectCombo->clear();
    list.entries.clear();
    if (!rows) {
        reportReadFailure(parent, c.error());
        return false;
    }
    if (rows->isEmpty()) {
        if (noticeWhenNone)
            showNotice(parent, gradeGroup + className
                               + QStringLiteral("还没有设置任何学科，请管理员进行本班学科与任课教师设置后，才能添分。"));
        return true;
    }
    QStringList subjects;
    for (const school::SubjectRow &row : *rows) {
        subjects << row.subject;
        list.entries.append({row.teacher, row.password, row.id});
    }
    subjectCombo->addItems(subjects);
    subjectCombo->setCurrentIndex(-1);
    return true;
}

ClassStudents OpenClassStudents(db::Connection &c, const school::ClassIdentity &identity, QWidget *parent,
                                bool withStudents)
{
    if (!identity.isValid())
        return {};
    ClassStudents loaded;
    if (withStudents) {
        const auto students = school::readScoreSheet(c, identity.sectionTable, identity.classCode, QString());
        if (!students) {
            reportReadFailure(parent, c.error());
            return {};
        }
        loaded.students = *students;
    }
    loaded.columns = db::tableColumns(c, identity.sectionTable);
    return loaded;
}

} // namespace tessaly
