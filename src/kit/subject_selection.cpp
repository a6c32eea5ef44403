#include "kit/subject_selection.h"

#include "school/class_subjects.h"
#include "kit/window_steps.h"
#include "platform/database.h"
#include "school/score_sheet.h"
#include "kit/session.h"
#include "platform/data_control.h"
#include "platform/messages.h"

#include <QComboBox>

namespace tessaly::score {

void FillSubjectCombo(DataControl &data, const QString &databasePath, const QString &gradeGroup,
                      const QString &className, QComboBox *subjectCombo, SubjectList &list, QWidget *parent,
                      bool noticeWhenNone)
{
    data.setDatabaseName(databasePath);
    const reg::Statement subjects = subjectsOfClassQuery(gradeGroup, className);
    data.setRecordSource(subjects.sql, subjects.params);
    data.Refresh();
    subjectCombo->clear();
    list.entries.clear();
    if (data.RecordCount() == 0) {
        if (noticeWhenNone)
            showNotice(parent, gradeGroup + className
                               + QStringLiteral("还没有设置任何学科，请管理员进行本班学科与任课教师设置后，才能添分。"));
    } else {
        const auto cell = [&data](int row, const QString &name) {
            const QVariant v = data.rows()[row].value(data.fieldIndex(name));
            return v.isNull() ? QString() : v.toString();
        };
        QStringList subjects;
        for (int r = 0; r < data.RecordCount(); ++r) {
            subjects << cell(r, QStringLiteral("其次"));
            list.entries.append({cell(r, QStringLiteral("名称")), cell(r, QStringLiteral("密码")),
                                 cell(r, QStringLiteral("id"))});
        }
        subjectCombo->addItems(subjects);
        subjectCombo->setCurrentIndex(-1);
    }
    data.Close();
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
