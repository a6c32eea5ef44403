#include "kit/selection.h"

#include "kit/save_report.h"
#include "school/exam_registry.h"
#include "school/office_reads.h"
#include "school/school_tables.h"
#include "widgets/messages.h"
#include "kit/session.h"

#include <QComboBox>

#include <algorithm>

namespace tessaly {

AdminAccount LoadAdminAccount(db::Connection &c, QWidget *parent)
{
    Account admin;
    return LoadAdminAccount(c, admin, parent);
}

AdminAccount LoadAdminAccount(db::Connection &c, Account &admin, QWidget *parent)
{
    const auto passwords = school::adminPasswords(c);
    admin = Account{school::kAdminName, QString(), QString()};
    if (passwords && !passwords->isEmpty()) {
        admin.password = passwords->first();
        return AdminAccount::Found;
    }
    if (!passwords) {
        reportReadFailure(parent, c.error());
        return AdminAccount::ReadFailed;
    }
    showNotice(parent, QStringLiteral("管理员数据丢失,请确认服务器连接路径是否正确?否则无法登陆。"));
    return AdminAccount::Missing;
}

void fitDropDown(QComboBox *combo)
{
    combo->setMaxVisibleItems(std::max(combo->maxVisibleItems(), kDropDownItems));
}

namespace {

QString noGradeGroupMessage(GradeGroupVariant variant)
{
    switch (variant) {
    case GradeGroupVariant::ClassSetup:
        return QStringLiteral("目前还不能加入班级名称，请先进行年级组设置。");
    case GradeGroupVariant::PasswordSetup:
        return QStringLiteral("目前还不能设置密码，请先进行年级组设置。");
    case GradeGroupVariant::Common:
        break;
    }
    return QStringLiteral("目前教导处还没进行年级组设置。");
}

ClassEntry entryOf(const school::ClassRow &row, ClassVariant variant)
{
    ClassEntry e;
    if (variant != ClassVariant::NamesOnly) {
        e.actualName = row.actualName;
        e.headTeacher = row.headTeacher;
    }
    if (variant == ClassVariant::Full || variant == ClassVariant::WithPassword)
        e.password = row.password;
    if (variant == ClassVariant::Full)
        e.id = row.id;
    return e;
}

} // namespace

bool FillGradeGroupCombo(db::Connection &c, QComboBox *combo, GradeGroupVariant variant, QWidget *parent)
{
    const auto names = school::gradeGroupNames(c);
    fitDropDown(combo);
    combo->clear();
    if (!names) {
        reportReadFailure(parent, c.error());
        return false;
    }
    if (names->isEmpty()) {
        showNotice(parent, noGradeGroupMessage(variant));
        return true;
    }
    combo->addItems(QStringList(names->begin(), names->end()));
    combo->setCurrentIndex(-1);   // nothing is chosen until the user picks
    return true;
}

bool FillClassCombo(db::Connection &c, const QString &gradeGroup, QComboBox *classCombo, ClassVariant variant,
                    ClassList &list, QWidget *parent)
{
    const auto rows = school::classesOfGradeGroup(c, gradeGroup);
    fitDropDown(classCombo);
    classCombo->clear();
    list.entries.clear();
    if (!rows) {
        reportReadFailure(parent, c.error());
        return false;
    }
    if (rows->isEmpty()) {
        showNotice(parent, QStringLiteral("目前教导处在本年级组内无任何班级设置。"));
        return true;
    }
    QStringList names;
    list.entries.reserve(rows->size());
    for (const school::ClassRow &row : *rows) {
        names << row.name;
        list.entries.append(entryOf(row, variant));
    }
    classCombo->addItems(names);
    classCombo->setCurrentIndex(-1);
    return true;
}

school::MemberRows loadClassMembers(db::Connection &c, const school::ClassIdentity &identity, const QStringList &columns,
                                 QWidget *parent)
{
    auto members = school::classMembers(c, identity, columns);
    if (!members) {
        reportReadFailure(parent, c.error());
        return {};
    }
    return std::move(*members);
}

float classFullMark(db::Connection &c, const QString &sectionTable, const QString &column, const QString &gradeGroup,
                    const QString &className, const QList<std::optional<float>> &scores, QWidget *parent)
{
    const std::optional<school::StoredFullMarks> stored = school::readStoredFullMarks(c, sectionTable, {column});
    if (!stored)
        reportReadFailure(parent, c.error());
    return school::examFullMark(stored ? stored->of(column, gradeGroup, className) : std::nullopt, scores);
}

} // namespace tessaly
