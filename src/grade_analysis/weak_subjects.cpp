#include "grade_analysis/weak_subjects.h"

#include "widgets/chart_parts.h"
#include "school/standard_score.h"
#include "workbook/format.h"
#include "school/exam_columns.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace tessaly::grades {

using namespace chart;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kLabel8 = QStringLiteral("Label8");
const QString kLabel9 = QStringLiteral("Label9");
const QString kLine6 = QStringLiteral("Line6");
const QString kNoScores = QStringLiteral("无成绩");

constexpr int kBaseline = 2880;
constexpr int kChartWidth = 3650;
constexpr QRgb kAverageBar = bgr(0x8080FF);   // RGB 255,128,128

// A number as a shown text reads back: "-0.30" -> -0.3.
double shownValue(const QString &text)
{
    return text.trimmed().toDouble();
}

void axes(ChartFrame &f, int yTop)
{
    LineElement &y = f.line(kLine1, 1);
    y = {240, yTop, 240, kBaseline};
    y.width = 2;
    LineElement &x = f.line(kLine2, 1);
    x = {240, 2890, 3960, 2890};
    x.width = 2;
    LabelElement &up = chartText(f, kLabel7, 4, QStringLiteral("↑"), 150, yTop - 150, 180, 255);
    up.bold = true;
    up.alignment = Qt::AlignHCenter;
    up.wordWrap = false;
    chartText(f, kLabel7, 5, QStringLiteral("0"), 120, kBaseline, 120, 255);
    LabelElement &right = chartText(f, kLabel6, 1, QStringLiteral("→"), 3840, 2805, 255, 255);
    right.bold = true;
    right.wordWrap = false;
}

LabelElement &subjectBar(ChartFrame &f, const QString &array, int index, int left, int width, QRgb colour)
{
    LabelElement &b = f.label(array, index);
    b.left = left;
    b.width = width;
    b.back = colour;
    b.opaque = true;
    b.border = true;
    b.pointer = true;
    b.alignment = Qt::AlignHCenter;
    b.pointSize = 7.5;
    b.visible = true;
    return b;
}

LabelElement &barCaption(ChartFrame &f, const QString &array, int index, const LabelElement &b)
{
    LabelElement &c = f.label(array, index);
    c.left = b.left;
    c.width = b.width;
    c.top = b.top - 200;
    c.height = 200;
    c.fore = kBlue;
    c.pointSize = 7.5;
    c.alignment = Qt::AlignHCenter;
    c.wordWrap = false;
    c.visible = true;
    return c;
}

} // namespace

// ---- Subjects and matrix ------------------------------------------------------------

SubjectScores summariseSubject(const school::ExamSubject &subject, const QVector<std::optional<float>> &scores)
{
    SubjectScores s;
    s.column = subject.column;
    s.subject = subject.subject;
    s.scores = scores;
    float sum = 0;
    double exactSum = 0, squares = 0;
    for (const std::optional<float> &x : scores) {
        if (!x)
            continue;
        sum += *x;
        exactSum += *x;
        squares += double(*x) * double(*x);
        ++s.participants;
    }
    if (s.participants > 0) {
        s.average = sum / float(s.participants);
        s.stdDev = float(school::populationStdDev(s.participants, exactSum, squares));
    }
    return s;
}

QString participantText(int students, int participants)
{
    if (participants == 0)
        return QStringLiteral("(共%1人,没有成绩)").arg(students);
    return QStringLiteral("(共%1人,%2人参考)").arg(students).arg(participants);
}

QString subjectOfListItem(const QString &item)
{
    const qsizetype bracket = item.indexOf(QLatin1Char('('));
    return bracket < 0 ? item : item.left(bracket);
}

SubjectCountCheck checkSubjectCount(int count, OverLimitText overLimit)
{
    if (count <= 0)
        return {false, QStringLiteral("你还没有在(已有的考试)中选出哪些考试科目需要分析。")};
    if (count > kMaxSubjects)
        return {false, overLimit == OverLimitText::Analysis ? QStringLiteral("本程序最多不能超过15科考试。")
                                                            : QStringLiteral("本程序最大分析次数不能超过15科考试。")};
    if (count == 1)
        return {true, QStringLiteral("只选择一次考试进行分析，是看不出什么结果的。继续吗？")};
    return {true, QString()};
}

bool isWeakStandardScore(const QString &standardText)
{
    return !standardText.isEmpty() && isWeakStandardValue(shownValue(standardText));
}

bool isWeakStandardValue(double shown)
{
    return shown < kWeakThreshold;
}

// ---- Analysis -----------------------------------------------------------------------

QStringList ranksOfShown(const QStringList &totals)
{
    QVector<std::optional<double>> values;
    values.reserve(totals.size());
    for (const QString &t : totals)
        values << (t.isEmpty() ? std::nullopt : std::optional<double>(shownValue(t)));
    return ranksOfValues(values);
}

QStringList ranksOfValues(const QVector<std::optional<double>> &totals)
{
    // From the highest down: a value's rank is one plus the place of the first of its equals.
    std::vector<std::pair<double, int>> order;
    order.reserve(size_t(totals.size()));
    for (int i = 0; i < totals.size(); ++i)
        if (totals[i])
            order.push_back({*totals[i], i});
    std::sort(order.begin(), order.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    QStringList ranks(totals.size());
    int rank = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        if (k == 0 || order[k - 1].first != order[k].first)
            rank = int(k) + 1;
        ranks[order[k].second] = QString::number(rank);
    }
    return ranks;
}

WeakAnalysis analyseWeakSubjects(const QVector<SubjectScores> &matrix, const QVector<int> &selected,
                                 const QStringList &names)
{
    WeakAnalysis a;
    a.selected = selected;
    const int students = int(names.size());
    a.students.resize(students);
    for (StudentCells &cells : a.students) {
        cells.raw.reserve(selected.size());
        cells.standard.reserve(selected.size());
    }
    // Totals add the cells as shown: each cell's value is kept beside its text.
    QVector<float> rawTotals(students, 0), standardTotals(students, 0);
    QVector<bool> scored(students, false);
    a.statistics = QStringLiteral("     薄弱学科统计") + kCrLf;
    for (int k : selected) {
        const SubjectScores &s = matrix[k];
        a.headers << s.subject;
        a.statistics += kCrLf + QStringLiteral("科目:") + s.subject + kCrLf + QStringLiteral("………………………") + kCrLf;
        float standardSum = 0;
        for (int r = 0; r < students; ++r) {
            StudentCells &cells = a.students[r];
            const std::optional<float> x = r < s.scores.size() ? s.scores[r] : std::nullopt;
            if (!x) {
                cells.raw << QString();
                cells.standard << QString();
                continue;
            }
            const QString standard = school::standardScoreText(*x, s.average, s.stdDev);
            const double standardValue = school::standardScoreValue(*x, s.average, s.stdDev);
            cells.raw << FormatFixed(*x, 1);
            cells.standard << standard;
            rawTotals[r] += float(roundedFixed(*x, 1));
            standardTotals[r] += float(standardValue);
            standardSum += float(standardValue);
            scored[r] = true;
            if (isWeakStandardValue(standardValue))
                a.statistics += names[r] + QLatin1Char('(') + standard + QLatin1Char(')') + kCrLf;
        }
        a.averageCells << FormatFixed(s.average, 1);
        a.standardSums << FormatFixed(standardSum, 2);
    }
    QVector<std::optional<double>> rawShown(students), standardShown(students);
    for (int r = 0; r < students; ++r) {
        StudentCells &cells = a.students[r];
        if (!scored[r])
            continue;
        cells.rawTotal = FormatFixed(rawTotals[r], 1);
        cells.standardTotal = FormatFixed(standardTotals[r], 2);
        rawShown[r] = roundedFixed(rawTotals[r], 1);
        standardShown[r] = roundedFixed(standardTotals[r], 2);
    }
    const QStringList rawRanks = ranksOfValues(rawShown);
    const QStringList standardRanks = ranksOfValues(standardShown);
    for (int r = 0; r < students; ++r) {
        a.students[r].rawRank = rawRanks[r];
        a.students[r].standardRank = standardRanks[r];
    }
    return a;
}

int subjectRank(const SubjectScores &subject, std::optional<float> score)
{
    const double x = roundedFixed(score.value_or(0), 1);
    int above = 0;
    for (const std::optional<float> &other : subject.scores) {
        if (other && roundedFixed(*other, 1) > x)
            ++above;
    }
    return 1 + above;
}

QString studentBarTip(const QString &className, int students, const SubjectScores &subject,
                      std::optional<float> score)
{
    return className + QString::number(students) + QStringLiteral("人 参考") + QString::number(subject.participants)
           + QStringLiteral("人 ") + subject.subject + QStringLiteral("平均") + FormatFixed(subject.average, 2)
           + QStringLiteral("分 得") + formatSingle(score.value_or(0)) + QStringLiteral("分全班第")
           + QString::number(subjectRank(subject, score)) + QStringLiteral("名");
}

int barStep(int subjects)
{
    return subjects > 0 ? roundEven(double(kChartWidth) / subjects) : kChartWidth;
}

// ---- Subject-average chart ------------------------------------------------------------

ChartFrame designAverageChart()
{
    ChartFrame f(QStringLiteral("各 学 科 情 况"), 120, 480, 4095, 3255);
    axes(f, 600);
    chartText(f, kLabel7, 16, QStringLiteral("平均分"), 30, 840, 210, 720);
    chartText(f, kLabel7, 17, QStringLiteral("学科"), 3600, 2955, 375, 255);
    LabelElement &note = chartText(f, kLabel7, 13, QStringLiteral("说明：顶端是相应学科平均分数"), 480, 300, 3495, 255);
    note.fore = kRed;
    note.wordWrap = false;
    chartText(f, kLabel7, 18, QStringLiteral("鼠标停于框内会显示其它信息"), 480, 2955, 3000, 255).wordWrap = false;
    f.hideLabelsFrom(kLabel4, 0);
    f.hideLabelsFrom(kLabel8, 0);
    return f;
}

void drawAverageBars(ChartFrame &f, const QVector<SubjectScores> &matrix, const QVector<int> &selected,
                     const QString &className, int students)
{
    const int n = int(selected.size());
    const int w = barStep(n);
    int m = 0;
    for (int k : selected) {
        if (matrix[k].average > m)
            m = roundEven(matrix[k].average);
    }
    if (m == 0)
        m = 200;
    const int scale = roundEven(2200.0 / m);
    for (int j = 1; j <= n; ++j) {
        const SubjectScores &s = matrix[selected[j - 1]];
        LabelElement &b = subjectBar(f, kLabel4, j, 240 + (j - 1) * w, w + 40, kAverageBar);
        b.height = int(std::lround(float(scale) * s.average));
        b.top = kBaseline - b.height;
        b.caption = s.subject;
        b.toolTip = className + QString::number(students) + QStringLiteral("人 参考")
                    + QString::number(s.participants) + QStringLiteral("人 平均") + FormatFixed(s.average, 2)
                    + QStringLiteral("分");
        LabelElement &c = barCaption(f, kLabel8, j - 1, b);
        if (s.participants == 0)
            c.caption = s.subject + kNoScores;
        else
            c.caption = FormatFixed(s.average, 2) + (n <= 7 ? QStringLiteral("分") : QString());
    }
    f.hideLabelsFrom(kLabel4, n + 1);
    f.hideLabelsFrom(kLabel8, n);
    f.label(kLabel4, 0).visible = false;
}

// ---- One student's subject chart --------------------------------------------------------

ChartFrame designStudentChart()
{
    ChartFrame f(QString(), 4440, 480, 4095, 3255);
    axes(f, 480);
    LabelElement &title = chartText(f, QStringLiteral("Label3"), 2, QStringLiteral("各学科横向对比情况"), 1680, 120, 2055, 330);
    title.bold = true;
    title.wordWrap = false;
    chartText(f, kLabel7, 6, QStringLiteral("学生姓名"), 720, 120, 975, 255).fore = kRed;
    LabelElement &note = chartText(f, kLabel7, 13, QStringLiteral("说明：红虚线是平均分数，顶端是学生分数"), 480, 480, 3495, 255);
    note.fore = kRed;
    note.wordWrap = false;
    LineElement &average = f.line(kLine6, 0);
    average = {240, 1920, 3960, 1920};
    average.colour = kRed;
    average.dotted = true;
    chartText(f, kLabel7, 19, QStringLiteral("平均分线"), 30, 1560, 210, 855).fore = kRed;
    chartText(f, kLabel7, 16, QStringLiteral("分数"), 50, 600, 210, 495);
    chartText(f, kLabel7, 17, QStringLiteral("学科"), 3600, 2955, 375, 255);
    LabelElement &name = chartText(f, kLabel7, 20, QStringLiteral("显示学生名"), 480, 2955, 3135, 255);
    name.fore = kRed;
    name.wordWrap = false;
    f.hideLabelsFrom(kLabel9, 0);
    f.hideLabelsFrom(kLabel8, 0);
    return f;
}

double studentBarScale(float average)
{
    return average > 0 ? double(roundEven(970.0 / average)) : 0;
}

int studentBarHeight(double scale, float score, int room)
{
    const double h = scale * double(score);
    return h <= 0 ? 0 : int(std::lround(std::min<double>(h, room)));
}

QString nameOfStudentLabel(const QString &label)
{
    const qsizetype blank = label.indexOf(QLatin1Char(' '));
    return blank < 0 ? label.left(5) : label.mid(blank + 1, 5);
}

void drawStudentBar(ChartFrame &f, const StudentBarPlace &place, int k, int n, const SubjectScores &s,
                    std::optional<float> x, const QString &className)
{
    const int w = barStep(n);
    LabelElement &b = subjectBar(f, place.barArray, place.barIndex, place.left + w * (k - 1), w + 40, kBrightGreen);
    b.caption = s.subject;
    b.height = studentBarHeight(studentBarScale(s.average), x.value_or(0), place.room);
    b.top = place.baseline - b.height;
    b.toolTip = studentBarTip(className, int(s.scores.size()), s, x);
    LabelElement &c = barCaption(f, place.captionArray, place.captionIndex, b);
    c.caption = x ? FormatFixed(*x, 1) + (n < 8 ? QStringLiteral("分") : QString()) : s.subject + kNoScores;
}

void drawStudentBars(ChartFrame &f, const QVector<SubjectScores> &matrix, const QVector<int> &selected, int student,
                     const QString &label, const QString &rawRank, const QString &className)
{
    const QString name = nameOfStudentLabel(label);
    f.label(kLabel7, 6).caption = name;
    f.label(kLabel7, 20).caption = name + QStringLiteral(" 全班第(") + rawRank + QStringLiteral(")名");
    const int n = int(selected.size());
    for (int j = 1; j <= n; ++j) {
        const SubjectScores &s = matrix[selected[j - 1]];
        const std::optional<float> x = student < s.scores.size() ? s.scores[student] : std::nullopt;
        drawStudentBar(f, {kLabel9, j, kLabel8, j + 14, 240, kBaseline, kBaseline}, j, n, s, x, className);
    }
    f.hideLabelsFrom(kLabel9, n + 1);
    f.hideLabelsFrom(kLabel8, n + 15);
    f.label(kLabel9, 0).visible = false;
}

} // namespace tessaly::grades
