#include "kit/selection.h"

#include "school/school_tables.h"
#include "platform/data_control.h"
#include "platform/messages.h"
#include "kit/session.h"

#include <QComboBox>

#include <algorithm>

namespace tessaly {

namespace {

QString cell(const QVector<QVariant> &row, int index)
{
    if (index < 0 || index >= row.size())
        return QString();
    const QVariant &v = row[index];
    return v.isNull() ? QString() : v.toString();
}

} // namespace

bool LoadAdminAccount(DataControl &data, Session &session, const QString &databasePath, QWidget *parent)
{
    data.setDatabaseName(databasePath);
    data.setRecordSource(QStringLiteral(R"(select "名称","密码" from "教导处" where "名称"=?)"), {kAdminName});
    data.Refresh();
    session.username = kAdminName;
    if (data.RecordCount() > 0) {
        data.MoveFirst();
        session.userpas = data.text(QStringLiteral("密码"));
        return true;
    }
    session.userpas.clear();
    showNotice(parent, QStringLiteral("管理员数据丢失,请确认服务器连接路径是否正确?否则无法登陆。"));
    return false;
}

void fitDropDown(QComboBox *combo)
{
    combo->setMaxVisibleItems(std::max(combo->maxVisibleItems(), kDropDownItems));
}

void FillGradeGroupCombo(DataControl &data, const QString &databasePath, QComboBox *combo,
                         GradeGroupVariant variant, QWidget *parent)
{
    QString columns;
    QString emptyMessage;
    switch (variant) {
    case GradeGroupVariant::Common:
        columns = QStringLiteral(R"("名称")");
        emptyMessage = QStringLiteral("目前教导处还没进行年级组设置。");
        break;
    case GradeGroupVariant::ClassSetup:
        columns = QStringLiteral(R"("类别","名称")");
        emptyMessage = QStringLiteral("目前还不能加入班级名称，请先进行年级组设置。");
        break;
    case GradeGroupVariant::PasswordSetup:
        columns = QStringLiteral("*");
        emptyMessage = QStringLiteral("目前还不能设置密码，请先进行年级组设置。");
        break;
    }
    data.setDatabaseName(databasePath);
    data.setRecordSource(QStringLiteral(R"(select %1 from "教导处" where "类别"=?)").arg(columns),
                         {kKindGradeGroup});
    data.Refresh();
    fitDropDown(combo);
    combo->clear();
    if (data.RecordCount() == 0) {
        showNotice(parent, emptyMessage);
    } else {
        const int name = data.fieldIndex(QStringLiteral("名称"));
        QStringList names;
        for (const auto &row : data.rows())
            names << cell(row, name);
        combo->addItems(names);
        combo->setCurrentIndex(-1);   // nothing is chosen until the user picks
    }
    data.Close();
    data.setCaption(QString());
}

void FillClassCombo(DataControl &data, const QString &databasePath, const QString &gradeGroup,
                    QComboBox *classCombo, ClassVariant variant, ClassList &list, QWidget *parent)
{
    const QString columns = variant == ClassVariant::Full
                                ? QStringLiteral(R"("类别","对应内容","其它","名称","其次","密码","id")")
                                : variant == ClassVariant::NamesOnly
                                      ? QStringLiteral(R"("名称","id")")
                                      : QStringLiteral(R"("类别","对应内容","其它","名称","其次","密码")");
    data.setDatabaseName(databasePath);
    data.setRecordSource(
        QStringLiteral(R"(select %1 from "教导处" where "对应内容"=? AND "类别"=?)").arg(columns),
        {gradeGroup.trimmed(), kKindClass});
    data.Refresh();
    fitDropDown(classCombo);
    classCombo->clear();
    list.entries.clear();
    if (data.RecordCount() == 0) {
        // Stops here: the empty record set stays open and the caption keeps its text.
        showNotice(parent, QStringLiteral("目前教导处在本年级组内无任何班级设置。"));
        return;
    }
    const int name = data.fieldIndex(QStringLiteral("名称"));
    const int actual = data.fieldIndex(QStringLiteral("其它"));
    const int head = data.fieldIndex(QStringLiteral("其次"));
    const int password = data.fieldIndex(QStringLiteral("密码"));
    const int id = data.fieldIndex(QStringLiteral("id"));
    const bool keepPassword = variant == ClassVariant::Full || variant == ClassVariant::WithPassword;
    const bool keepNames = variant != ClassVariant::NamesOnly;
    QStringList names;
    list.entries.reserve(data.RecordCount());
    for (const auto &row : data.rows()) {
        names << cell(row, name);
        ClassEntry e;
        if (keepNames) {
            e.actualName = cell(row, actual);
            e.headTeacher = cell(row, head);
        }
        if (keepPassword)
            e.password = cell(row, password);
        if (variant == ClassVariant::Full)
            e.id = cell(row, id);
        list.entries.append(e);
    }
    classCombo->addItems(names);
    classCombo->setCurrentIndex(-1);
    data.Close();
    data.setCaption(QString());
}

void TakeHeadTeacherAccount(Session &session, const ClassEntry &entry)
{
    session.username = entry.headTeacher;
    session.userpas = entry.password;
}

} // namespace tessaly
