#include "school/fixed_lists.h"

namespace tessaly::school {

const QStringList &gradeGroupNames()
{
    static const QStringList names = {
        QStringLiteral("一年级组"), QStringLiteral("二年级组"), QStringLiteral("三年级组"),
        QStringLiteral("四年级组"), QStringLiteral("五年级组"), QStringLiteral("六年级组"),
        QStringLiteral("初一年级组"), QStringLiteral("初二年级组"), QStringLiteral("初三年级组"),
        QStringLiteral("高一年级组"), QStringLiteral("高二年级组"), QStringLiteral("高三年级组"),
    };
    return names;
}

const QStringList &classNames()
{
    static const QStringList names = [] {
        // 一 … 十, then 十一 … 十九, 二十, 二十一 … 二十九, 三十.
        const QStringList digits = {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"),
                                    QStringLiteral("四"), QStringLiteral("五"), QStringLiteral("六"),
                                    QStringLiteral("七"), QStringLiteral("八"), QStringLiteral("九")};
        const QString ten = QStringLiteral("十");
        const QString ban = QStringLiteral("班");
        QStringList list;
        for (int n = 1; n <= 30; ++n) {
            QString numeral;
            if (n >= 20)
                numeral += digits[n / 10 - 1];
            if (n >= 10)
                numeral += ten;
            if (n % 10)
                numeral += digits[n % 10 - 1];
            list << numeral + ban;
        }
        return list;
    }();
    return names;
}

const QStringList &subjectNames()
{
    static const QStringList names = {
        QStringLiteral("语文"), QStringLiteral("数学"), QStringLiteral("英语"), QStringLiteral("物理"),
        QStringLiteral("化学"), QStringLiteral("生物"), QStringLiteral("政治"), QStringLiteral("历史"),
        QStringLiteral("地理"), QStringLiteral("音乐"), QStringLiteral("体育"), QStringLiteral("美术"),
        QStringLiteral("信息"), QStringLiteral("劳技"), QStringLiteral("自然"), QStringLiteral("思品"),
        QStringLiteral("劳动"),
    };
    return names;
}

int classNumber(const QString &className)
{
    return int(classNames().indexOf(className.trimmed())) + 1;
}

} // namespace tessaly::school
