#include "kit/subject_selection.h"

#include "school/class_subjects.h"
#include "kit/save_report.h"
#include "kit/window_steps.h"
#include "platform/database.h"
#include "school/score_sheet.h"
#include "kit/session.h"
#include "platform/data_control.h"
#include "platform/messages.h"

#include <QComboBox>

namespace tessaly::score {

bool FillSubjectCombo(db::Connection &c, const QString &gradeGroup, const QString &className,
                      QComboBox *subjectCombo, SubjectList &list, QWidget *parent, bool noticeWhenNone)
{
    const auto rows = subjectsOfClass(c, gradeGroup, className);
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
    for (const SubjectRow &row : *rows) {
        subjects << row.subject;
        list.entries.append({row.teacher, row.password, row.id});
    }
    subjectCombo->addItems(subjects);
    subjectCombo->setCurrentIndex(-1);
    return true;
}

QStringList OpenClassStudents(DataControl &data, const QString &openpath, const reg::ClassIdentity &identity)
{
    const reg::Statement students = scoreSheetQuery(identity.sectionTable, identity.classCode);
    data.setDatabaseName(openpath);
    if (!students.isValid()) {
        data.Close();
        data.setCaption(recordPositionText(PositionText::Students, 0, 0));
        return {};
    }
    data.setRecordSource(students.sql, students.params);
    if (!data.Refresh())
        return {};
    return db::tableColumns(data.connection(), identity.sectionTable);
}

void TakeTeacherAccount(Session &session, const SubjectEntry &subject)
{
    session.username = subject.teacher;
    session.userpas = subject.password;
}

} // namespace tessaly::score
