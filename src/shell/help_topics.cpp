#include "shell/help_topics.h"

#include <QHash>
#include <QStringList>
#include <algorithm>

namespace tessaly::help {

HelpTree BuildHelpTree(const QList<HelpRow> &rows)
{
    // Chapters by code; a code used twice keeps its first chapter.
    QHash<QString, int> chapters;
    for (int i = 0; i < rows.size(); ++i) {
        if (isChapter(rows[i]) && !chapters.contains(rows[i].code))
            chapters.insert(rows[i].code, i);
    }
    HelpTree tree;
    for (int i = 0; i < rows.size(); ++i) {
        HelpNode node;
        node.row = i;
        if (!isChapter(rows[i]) && !rows[i].code.isEmpty())
            node.parent = chapters.value(rows[i].code.left(1), -1);
        tree.nodes.append(node);
    }
    tree.last = int(rows.size()) - 1;
    return tree;
}

std::optional<QString> HelpTopicText(const QList<HelpRow> &rows, const QString &title)
{
    std::optional<QString> text;
    for (const HelpRow &row : rows) {
        if (isChapter(row) || row.menu != title)
            continue;
        text = QStringLiteral("\r\n") + QString(15, QLatin1Char(' ')) + row.menu + QStringLiteral("\r\n\r\n")
               + row.content;
    }
    return text;
}

QString HelpIntroduction()
{
    const QString indent(4, QLatin1Char(' '));
    const QString slogan = QStringLiteral("关心青少年的健康成长，关注每一个孩子的发展变化。");
    const QStringList body = {
        QStringLiteral("本软件是在学校日常的教学管理工作中逐步形成的：教师们每学期都要录入、统计和分析"
                       "大量的考试成绩，还要填写各种记录和表格，费时费力。为此我们编写了本软件，供班主任、"
                       "任课教师和学校教导处共同使用，让大家把更多的时间用在学生身上。"),
        QStringLiteral("一、班主任使用“班主任工作”菜单中的日常工作记录、学生发展记录、年初工作计划、"
                       "年终工作总结、学生操行评定、薄弱学科查询、学生成绩发展趋势、平行班成绩对比分析、"
                       "学生学籍管理、打印学生成绩单、打印年级组成绩报表、打印学生考号、打印点名册和"
                       "打印学籍调查表。"),
        QStringLiteral("★学生发展记录和学生操行评定：为每个学生记下成长过程中的点滴表现，操行评语可以从"
                       "常用评语模板中选用，期末评定又快又规范。"),
        QStringLiteral("★年初工作计划和年终工作总结：各有模板库可供参考，班主任在模板的基础上修改，"
                       "就能写成自己的计划和总结。"),
        QStringLiteral("★薄弱学科查询和学生成绩发展趋势：用标准分找出每个学生的薄弱学科和需要重点关注的"
                       "学生，用曲线显示学生各科成绩的发展趋势。"),
        QStringLiteral("二、任课教师使用“科任教师工作”菜单中的考试成绩录入、单次成绩分析、多次成绩分析"
                       "和打印学生成绩单。"),
        QStringLiteral("★考试成绩可以在表格中直接录入，也可以逐个输入或按“座号/成绩”成批输入，录入时"
                       "有按键声音提示；成绩分析用分布图和曲线图显示一次考试和多次考试的成绩变化。"),
        QStringLiteral("三、教导处使用“教导处工作”菜单中的年级组设置、班级与班主任设置、学科及任课教师"
                       "设置、系统密码设置、数据安全维护、查看班主任分工、查看任课教师分工、教务信息管理、"
                       "年级组成绩对比分析、打印学生成绩单、打印年级组成绩报表、新生分班和打印新生录取"
                       "通知书。"),
        QStringLiteral("★通过学校局域网，教导处随时可以查看全校各年级、各班级、各学科的成绩概况，比较"
                       "平行班、学科和教师；新生入学时，可以按成绩把新生均衡地分到各个班级。"),
        QStringLiteral("四、各种成绩分析都采用标准分，不同学科、不同考试的成绩可以放在一起比较，结论"
                       "更加科学。"),
        QStringLiteral("五、成绩单、报表和统计结果都可以生成Excel文件，便于修改、保存和打印。"),
        QStringLiteral("六、每位教师都有自己的密码，登录以后才能修改自己负责的数据，保证数据安全。"),
        QStringLiteral("七、学校局域网中的多台计算机可以同时使用同一份数据，各自录入，互不干扰。"),
        QStringLiteral("使用本软件，校长可以随时了解全校的教学情况和每个学生的发展变化，为学校的教学管理"
                       "和决策提供准确、及时的依据。"),
    };
    QStringList lines;
    lines << QString() << indent + slogan;
    lines << QString() << QStringLiteral("首先，非常感谢你使用本软件！");
    lines << QString() << QString(10, QLatin1Char(' ')) + QStringLiteral("本软件功能简介：");
    lines << QString();
    for (const QString &paragraph : body)
        lines << indent + paragraph;
    return lines.join(QStringLiteral("\r\n"));
}

int SplitterBarLeft(int p, int windowWidth)
{
    if (p < 500)
        return 500;
    if (p > windowWidth - 500)
        return windowWidth - 500;
    return p;
}

HelpPaneLayout SizeControlsLayout(int x, int windowWidth, int currentTextWidth)
{
    x = std::clamp(x, 1500, 5500) - 400;
    HelpPaneLayout l;
    l.treeWidth = x;
    l.splitterLeft = x + 400;
    l.textLeft = x + 600;
    const int textWidth = windowWidth - (x + 850);
    l.textWidth = textWidth >= 0 ? textWidth : currentTextWidth;
    l.treeFrameWidth = x + 250;
    l.textFrameWidth = l.textWidth + 200;
    l.textFrameLeft = l.textLeft - 100;
    return l;
}

} // namespace tessaly::help
