#include "large_school.h"

#include "school/fixed_lists.h"
#include "db/database.h"
#include "db/schema.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace tessaly::bench {

namespace {

struct GradeGroup {
    const char *name;
    const char *table;
    int grade;   // the grade numeral's value: 一 = 1 … 六 = 6
};

const GradeGroup kGradeGroups[] = {
    {"一年级组", "小学", 1},   {"二年级组", "小学", 2},   {"三年级组", "小学", 3},
    {"四年级组", "小学", 4},   {"五年级组", "小学", 5},   {"六年级组", "小学", 6},
    {"初一年级组", "初中", 1}, {"初二年级组", "初中", 2}, {"初三年级组", "初中", 3},
    {"高一年级组", "高中", 1}, {"高二年级组", "高中", 2}, {"高三年级组", "高中", 3},
};

const char *const kSubjects[] = {"语文", "数学", "英语", "物理", "化学",
                                 "生物", "政治", "历史", "地理"};

const char *const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                 "徐", "孙", "马", "朱", "胡", "郭", "何", "高", "林", "罗",
                                 "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹",
                                 "欧阳", "司马"};
const char *const kGivenChars[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋",
                                   "勇", "艳", "杰", "娟", "涛", "明", "超", "秀", "霞", "平",
                                   "刚", "桂", "英", "华", "玉", "兰", "文", "辉", "鑫", "宇",
                                   "浩", "欣", "怡", "晨", "子", "梓", "涵", "轩", "雨", "佳"};
const char *const kNations[] = {"汉族", "汉族", "汉族", "汉族", "汉族", "汉族", "汉族",
                                "回族", "满族", "蒙古族"};
const char *const kPlaces[] = {"河北", "山东", "河南", "山西", "江苏", "安徽", "湖北", "辽宁"};
const char *const kStreets[] = {"人民路", "解放路", "建设路", "中山路", "和平街", "新华街"};
const char *const kTalents[] = {"", "", "", "书法", "绘画", "篮球", "钢琴", "演讲", "舞蹈"};
const char *const kRelations[] = {"父子", "母子", "父女", "母女"};
const char *const kEmployers[] = {"县医院", "第二中学", "供电公司", "农业银行", "个体", "务农",
                                  "纺织厂", "县政府"};

QString u(const char *s)
{
    return QString::fromUtf8(s);
}

template <typename T, std::size_t N>
constexpr int count(const T (&)[N])
{
    return int(N);
}

class Random {
public:
    explicit Random(quint32 seed) : m_gen(seed) {}
    double uniform() { return m_gen() / 4294967296.0; }   // [0, 1)
    int below(int n) { return int(m_gen() % quint32(n)); }
    // Roughly standard normal (Irwin-Hall of 6), the same on every platform.
    double normal()
    {
        double s = 0;
        for (int i = 0; i < 6; ++i)
            s += uniform();
        return (s - 3.0) * std::sqrt(2.0);
    }
    template <typename T, std::size_t N>
    QString pick(const T (&list)[N])
    {
        return u(list[below(int(N))]);
    }

private:
    std::mt19937 m_gen;
};

QString personName(Random &r)
{
    QString name = r.pick(kSurnames);
    const int given = r.below(3) == 0 ? 1 : 2;
    for (int i = 0; i < given; ++i)
        name += r.pick(kGivenChars);
    return name;
}

QString digits(Random &r, int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += QChar(u'0' + r.below(10));
    return s;
}

QString two(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The year the grade group's students entered their section, as of the reference date.
int cohortYear(int grade, const QDate &today)
{
    return today.month() > 8 ? today.year() - (grade - 1) : today.year() - grade;
}

struct Exam {
    QString column;
    int subject;
};

// Exam columns of one section table in creation order: mid-term and final of both
// halves of the three school years before the reference one, then two quizzes, then
// further quizzes (第3次 …, one subject after another) up to `wanted` columns.
std::vector<Exam> examColumns(const QDate &today, int wanted)
{
    const int schoolYear = today.month() >= 8 ? today.year() : today.year() - 1;
    std::vector<Exam> exams;
    auto add = [&](const QString &head, const QString &stamp) {
        for (int s = 0; s < count(kSubjects); ++s)
            exams.push_back({head + u(kSubjects[s]) + stamp, s});
    };
    for (int y = schoolYear - 3; y < schoolYear; ++y) {
        const QString yy = two(y % 100);
        add(QLatin1Char('Z') + yy + QLatin1Char('S'), yy + QStringLiteral("1110"));
        add(QLatin1Char('M') + yy + QLatin1Char('S'), yy + QStringLiteral("0115"));
        add(QLatin1Char('Z') + yy + QLatin1Char('X'), yy + QStringLiteral("0420"));
        add(QLatin1Char('M') + yy + QLatin1Char('X'), yy + QStringLiteral("0628"));
    }
    const QString quizNames[] = {QStringLiteral("一单元"), QStringLiteral("二单元")};
    const QDate quizDates[] = {today.addDays(-20), today.addDays(-5)};
    for (int i = 0; i < 2; ++i) {
        const QDate d = quizDates[i];
        add(QLatin1Char('C') + quizNames[i],
            two(d.year() % 100) + two(d.month()) + two(d.day()));
    }
    for (int i = 0; int(exams.size()) < wanted; ++i) {
        const int s = i % count(kSubjects);
        const QDate d = today.addDays(-30 - i);
        exams.push_back({QStringLiteral("C第%1次").arg(3 + i / count(kSubjects)) + u(kSubjects[s])
                             + two(d.year() % 100) + two(d.month()) + two(d.day()),
                         s});
    }
    return exams;
}

int fullMark(const QString &table, int subject)
{
    return table != QStringLiteral("小学") && subject < 3 ? 150 : 100;
}

struct ClassInfo {
    int group;
    QString name;
    QString code;
    QString headTeacher;
    QStringList teachers;   // per subject
    int students;
};

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

// Runs one prepared insert per row of values inside one transaction.
bool insertRows(db::Connection &c, const QString &table, const QStringList &columns,
                const std::vector<QVariantList> &rows)
{
    QStringList quoted, marks;
    for (const QString &col : columns) {
        quoted << db::quoteIdentifier(col);
        marks << QStringLiteral("?");
    }
    QSqlQuery q(c.handle());
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(db::quoteIdentifier(table), quoted.join(QLatin1Char(',')),
                                 marks.join(QLatin1Char(',')));
    return c.transaction([&] {
        if (!q.prepare(sql))
            return c.fail(db::kErrSql, q.lastError().text());
        for (const QVariantList &row : rows) {
            for (int i = 0; i < row.size(); ++i)
                q.bindValue(i, row[i]);
            if (!q.exec())
                return c.fail(db::kErrSql, q.lastError().text());
        }
        return true;
    });
}

} // namespace

bool makeLargeSchool(const QString &folder, const LargeSchoolOptions &options,
                     LargeSchoolSummary *summary, QString *error)
{
    if (!QDir().mkpath(folder))
        return fail(error, QStringLiteral("cannot create folder %1").arg(folder));
    const QString path = QDir(folder).filePath(QStringLiteral("data.mdb"));

    Random r(options.seed);
    const QDate today = options.reference;

    // Organisation: 8 to 10 classes per grade group, or classesPerGroup.
    const QStringList &classNames = school::classNames();
    if (options.classesPerGroup < 0 || options.classesPerGroup > classNames.size())
        return fail(error, QStringLiteral("classes per grade group must be 1 to %1").arg(classNames.size()));
    std::vector<ClassInfo> classes;
    int gradeGroups = 0;
    for (int g = 0; g < count(kGradeGroups); ++g) {
        if (!options.sections.isEmpty() && !options.sections.contains(u(kGradeGroups[g].table)))
            continue;
        ++gradeGroups;
        const int n = options.classesPerGroup > 0 ? options.classesPerGroup : 8 + (g * 2) % 3;
        QStringList shared;   // a subject teacher takes up to three classes of a grade group
        for (int k = 0; k < n; ++k) {
            if (k % 3 == 0) {
                shared.clear();
                for (int s = 0; s < count(kSubjects); ++s)
                    shared << personName(r);
            }
            ClassInfo c;
            c.group = g;
            c.name = classNames.at(k);
            c.code = QString::number(cohortYear(kGradeGroups[g].grade, today)) + two(k + 1);
            c.headTeacher = shared.at(k % count(kSubjects));
            c.teachers = shared;
            c.students = 0;
            classes.push_back(c);
        }
    }
    const int classCount = int(classes.size());
    if (options.students < 0 || options.students > 99 * classCount)
        return fail(error, QStringLiteral("students must be 0 to %1 (99 seats in each of %2 classes)")
                               .arg(99 * classCount)
                               .arg(classCount));
    for (int i = 0; i < classCount; ++i)
        classes[i].students =
            options.students / classCount + (i < options.students % classCount ? 1 : 0);

    QString createError;
    if (!db::createDeliveredDatabase(path, &createError))
        return fail(error, createError);
    db::Connection conn(path);
    if (!conn.ok())
        return fail(error, conn.error().text);

    // 教导处: grade groups, classes with head teachers, teaching assignments.
    {
        std::vector<QVariantList> rows;
        for (const GradeGroup &g : kGradeGroups)
            if (options.sections.isEmpty() || options.sections.contains(u(g.table)))
                rows.push_back({u("年级组名"), u(g.name), QVariant(), QVariant(), QVariant(), QVariant()});
        for (const ClassInfo &c : classes)
            rows.push_back({u("班级名"), c.name, u(kGradeGroups[c.group].name),
                            r.below(4) == 0 ? u("实验班") : QString(), c.headTeacher,
                            digits(r, 6)});
        for (const ClassInfo &c : classes)
            for (int s = 0; s < count(kSubjects); ++s)
                rows.push_back({u("任课"), c.teachers.at(s), u(kGradeGroups[c.group].name), c.name,
                                u(kSubjects[s]), digits(r, 6)});
        if (!insertRows(conn, u("教导处"),
                        {u("类别"), u("名称"), u("对应内容"), u("其它"), u("其次"), u("密码")}, rows))
            return fail(error, conn.error().text);
        if (summary) {
            summary->gradeGroups = gradeGroups;
            summary->classes = classCount;
            summary->teachings = classCount * count(kSubjects);
        }
    }

    const std::vector<Exam> exams = examColumns(today, options.examColumns);
    const QStringList registerColumns{
        u("学籍号"),   u("姓名"),     u("性别"),     u("民族"),     u("政治面貌"), u("出生日期"),
        u("户口性质"), u("原毕业学校"), u("住宿"),     u("联系电话"), u("籍贯"),     u("家庭住址"),
        u("特长"),     u("家长姓名"), u("与生关系"), u("家长单位"), u("备注")};

    for (const char *tableName : {"小学", "初中", "高中"}) {
        const QString table = u(tableName);
        QStringList columns = registerColumns;
        for (const Exam &e : exams) {
            if (!db::addColumn(conn, table, e.column, db::ColumnType::Real))
                return fail(error, conn.error().text);
            columns << e.column;
        }
        if (summary)
            summary->examColumns[table] = int(exams.size());

        std::vector<QVariantList> rows;
        for (const ClassInfo &c : classes) {
            const GradeGroup &g = kGradeGroups[c.group];
            if (table != u(g.table))
                continue;
            const int entryAge = table == u("小学") ? 6 : table == u("初中") ? 12 : 15;
            const int birthYear = c.code.left(4).toInt() - entryAge;
            for (int seat = 1; seat <= c.students; ++seat) {
                // One draw per statement or brace element: the order is fixed.
                const bool boy = r.below(2) == 0;
                const QString name = personName(r);
                const int politicalDraw = r.below(3);
                const QString political = table == u("小学") ? u("少先队员")
                    : table == u("初中") ? (politicalDraw == 0 ? u("团员") : u("少先队员"))
                                         : (politicalDraw == 0 ? u("群众") : u("团员"));
                const QString month = two(1 + r.below(12));
                const QString day = two(1 + r.below(28));
                const QString street = r.pick(kStreets);
                const QString house = QString::number(1 + r.below(200));
                const QString parentGiven = r.pick(kGivenChars);
                QVariantList row{
                    c.code + two(seat),
                    name,
                    boy ? u("男") : u("女"),
                    r.pick(kNations),
                    political,
                    QStringLiteral("%1-%2-%3").arg(birthYear).arg(month, day),
                    r.below(3) == 0 ? u("农村") : u("城镇"),
                    table == u("小学") ? QString() : u("第") + classNames.at(r.below(6)).left(1) +
                            (table == u("初中") ? u("小学") : u("中学")),
                    r.below(3) == 0 ? 1 : 0,
                    u("13") + digits(r, 9),
                    r.pick(kPlaces),
                    street + house + u("号"),
                    r.pick(kTalents),
                    name.left(1) + parentGiven + u("生"),
                    r.pick(kRelations),
                    r.pick(kEmployers),
                    QString(),
                };
                // Scores: ability plus a subject leaning plus noise, in half points.
                const double ability = r.normal();
                double leaning[count(kSubjects)];
                for (double &l : leaning)
                    l = 0.5 * r.normal();
                for (const Exam &e : exams) {
                    const int full = fullMark(table, e.subject);
                    const double z = ability + leaning[e.subject] + 0.6 * r.normal();
                    double score = full * (0.74 + 0.12 * z);
                    score = std::round(std::clamp(score, 0.0, double(full)) * 2.0) / 2.0;
                    row << score;
                }
                rows.push_back(row);
            }
        }
        if (!insertRows(conn, table, columns, rows))
            return fail(error, conn.error().text);
        if (summary)
            summary->students += int(rows.size());

        // The registry: one row per exam, as made by the first class of a grade group.
        std::vector<QVariantList> registry;
        std::vector<const ClassInfo *> firsts;
        for (const ClassInfo &c : classes)
            if (table == u(kGradeGroups[c.group].table) && c.name == classNames.at(0))
                firsts.push_back(&c);
        for (std::size_t i = 0; i < exams.size() && !firsts.empty(); ++i) {
            const ClassInfo &c = *firsts[i % firsts.size()];
            registry.push_back({u(kGradeGroups[c.group].name), c.name, c.headTeacher,
                                exams[i].column, c.teachers.at(exams[i].subject),
                                QString::number(fullMark(table, exams[i].subject))});
        }
        if (!insertRows(conn, table + u("考试结果"),
                        {u("年级组"), u("班级名"), u("班主任"), u("考试名"), u("任课教师"), u("满分")},
                        registry))
            return fail(error, conn.error().text);
    }
    return true;
}

QString benchSchool(const QString &folder, const LargeSchoolOptions &options, bool copy, QString *error)
{
    const QString given = qEnvironmentVariable("TESSALY_BENCH_DB");
    if (!given.isEmpty()) {
        if (!copy)
            return given;
        const QString path = QDir(folder).filePath(QStringLiteral("data.mdb"));
        if (!QFile::copy(given, path)) {
            if (error)
                *error = QStringLiteral("cannot copy ") + given;
            return QString();
        }
        return path;
    }
    const QString school = QDir(folder).filePath(QStringLiteral("school"));
    if (!makeLargeSchool(school, options, nullptr, error))
        return QString();
    return QDir(school).filePath(QStringLiteral("data.mdb"));
}

} // namespace tessaly::bench
