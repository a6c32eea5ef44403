#include "organisation/organisation.h"

namespace tessaly::org {

const QStringList &fixedGradeGroupList()
{
    static const QStringList list = {
        QStringLiteral("一年级组"), QStringLiteral("二年级组"), QStringLiteral("三年级组"),
        QStringLiteral("四年级组"), QStringLiteral("五年级组"), QStringLiteral("六年级组"),
        QStringLiteral("初一年级组"), QStringLiteral("初二年级组"), QStringLiteral("初三年级组"),
        QStringLiteral("高一年级组"), QStringLiteral("高二年级组"), QStringLiteral("高三年级组"),
    };
    return list;
}

const QStringList &fixedClassList()
{
    static const QStringList list = [] {
        const QStringList digits = {
            QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"), QStringLiteral("四"),
            QStringLiteral("五"), QStringLiteral("六"), QStringLiteral("七"), QStringLiteral("八"),
            QStringLiteral("九"),
        };
        const QString ten = QStringLiteral("十");
        const QString suffix = QStringLiteral("班");
        QStringList names;
        for (int n = 1; n <= 30; ++n) {
            QString numeral;
            if (n < 10)
                numeral = digits[n - 1];
            else if (n == 10)
                numeral = ten;
            else if (n < 20)
                numeral = ten + digits[n - 11];
            else
                numeral = digits[n / 10 - 1] + ten + (n % 10 ? digits[n % 10 - 1] : QString());
            names << numeral + suffix;
        }
        return names;
    }();
    return list;
}

const QStringList &fixedSubjectList()
{
    static const QStringList list = {
        QStringLiteral("语文"), QStringLiteral("数学"), QStringLiteral("英语"), QStringLiteral("物理"),
        QStringLiteral("化学"), QStringLiteral("生物"), QStringLiteral("政治"), QStringLiteral("历史"),
        QStringLiteral("地理"), QStringLiteral("音乐"), QStringLiteral("体育"), QStringLiteral("美术"),
        QStringLiteral("信息"), QStringLiteral("劳技"), QStringLiteral("自然"), QStringLiteral("思品"),
        QStringLiteral("劳动"),
    };
    return list;
}

std::optional<int> classNumber(const QString &className)
{
    const qsizetype i = fixedClassList().indexOf(className);
    if (i < 0)
        return std::nullopt;
    return int(i) + 1;
}

} // namespace tessaly::org
