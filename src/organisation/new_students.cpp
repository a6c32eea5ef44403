#include "organisation/new_students.h"

#include "workbook/export_workbook.h"
#include "widgets/flex_grid.h"
#include "workbook/format.h"

#include <QDir>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace tessaly::organisation {

namespace {

constexpr double kResultColumnWidth = 8;
const QString kMale = QStringLiteral("男");
const QString kFemale = QStringLiteral("女");
const QString kCrLf = QStringLiteral("\r\n");
const QString kErrorHeader = QStringLiteral("　　　　数   据   错   误　　　　");
const QStringList kFixedHeaders{QStringLiteral("代码"), QStringLiteral("姓  名 "), QStringLiteral("分班"),
                                QStringLiteral("择班"), QStringLiteral("性别"), QStringLiteral("总分")};
const QString kFixedFormat = QStringLiteral("^代码|>姓  名 |^分班|^择班|^性别|>总分|");

bool isSex(const QString &text)
{
    return text == kMale || text == kFemale;
}

// Marks one row as the data check does; adds its errors to the counts.
void checkRow(NewStudent &row, CheckCounts &counts)
{
    row.errors.clear();
    if (row.code.isEmpty()) {
        row.errors += kErrNoCode;
        ++counts.code;
    }
    if (row.name.isEmpty()) {
        row.errors += kErrNoName;
        ++counts.name;
    }
    if (!isSex(row.sex)) {
        row.errors += kErrNoSex;
        ++counts.sex;
    }
    float total = 0;
    bool scoreMissing = false;
    for (QString &score : row.scores) {
        if (isDecimal(score)) {
            total += decimalValue(score);
            continue;
        }
        score.clear();
        if (!scoreMissing) {
            scoreMissing = true;
            row.errors += kErrNoScore;
            ++counts.score;
        }
    }
    row.total = formatSingle(total);
    if (!row.errors.isEmpty())
        ++counts.rows;
}

QString errorLines(const CheckCounts &counts)
{
    return QStringLiteral("新生人数共：%1人,其中（%2）人数据错误").arg(counts.students).arg(counts.rows) + kCrLf
        + QStringLiteral("　　其中代码数据错误的有（%1）人").arg(counts.code) + kCrLf
        + QStringLiteral("　　其中姓名数据错误的有（%1）人").arg(counts.name) + kCrLf
        + QStringLiteral("　　其中性别数据错误的有（%1）人").arg(counts.sex) + kCrLf
        + QStringLiteral("　　其中成绩数据错误的有（%1）人").arg(counts.score);
}

QString cleanReport(int students)
{
    return kCrLf + QStringLiteral("恭喜您！") + kCrLf + kCrLf
        + QStringLiteral("　　新生人数共：%1人,无任何数据错误。").arg(students);
}

bool placeable(const NewStudent &row)
{
    return isSex(row.sex) && isDecimal(row.total) && decimalValue(row.total) != 0;
}

// 0 for 男, 1 for 女, -1 otherwise: the tally item of a sex.
int sexItem(const QString &sex)
{
    return sex == kMale ? 0 : sex == kFemale ? 1 : -1;
}

// The class a 择班 names when it is a whole number from 1 to n; 0 otherwise.
int chosenClass(const QString &text, int n)
{
    if (!isDecimal(text))
        return 0;
    double value = 0;
    readGridNumber(text, &value);
    return value >= 1 && value <= n && value == std::floor(value) ? int(value) : 0;
}

// The classes in the order the next block fills them: by placement rank, the rank
// computed from the tally as the placement defines it (lowest average 总分 first, equal
// ranks separated in one sweep in class-number order), ties of the sweep by number.
std::vector<int> fillingOrder(const std::vector<std::vector<float>> &tally, int n, int s)
{
    auto hasTotals = [&](int c) { return tally[size_t(c)][size_t(s + 4)] != 0; };
    auto average = [&](int c) { return tally[size_t(c)][3] / tally[size_t(c)][size_t(s + 5)]; };
    std::vector<int> rank(size_t(n) + 1, 1);
    std::vector<int> withTotals;
    for (int c = 1; c <= n; ++c)
        if (hasTotals(c))
            withTotals.push_back(c);
    // 1 + the number of classes with a lower average, through a sort of the averages.
    std::vector<float> averages;
    averages.reserve(withTotals.size());
    for (int c : withTotals)
        averages.push_back(average(c));
    std::sort(averages.begin(), averages.end());
    for (int c : withTotals)
        rank[size_t(c)] = 1 + int(std::lower_bound(averages.begin(), averages.end(), average(c)) - averages.begin());
    for (int c = 1; c <= n; ++c) {
        const int current = rank[size_t(c)];
        int m = 0;
        for (int d = 1; d <= n; ++d) {
            if (rank[size_t(d)] != current)
                continue;
            if (++m >= 2)
                rank[size_t(d)] += m - 1;
        }
    }
    std::vector<int> order(static_cast<size_t>(n));
    for (int c = 1; c <= n; ++c)
        order[size_t(c - 1)] = c;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rank[size_t(a)] < rank[size_t(b)]; });
    return order;
}

} // namespace

QString NewStudent::cell(int col) const
{
    switch (col) {
    case kColCode: return code;
    case kColName: return name;
    case kColPlaced: return placed;
    case kColChosen: return chosen;
    case kColSex: return sex;
    case kColTotal: return total;
    default: break;
    }
    const int x = col - kColFirstScore;
    if (x >= 0 && x < scores.size())
        return scores[x];
    return x == scores.size() ? errors : QString();
}

void NewStudent::setCell(int col, const QString &text)
{
    switch (col) {
    case kColCode: code = text; return;
    case kColName: name = text; return;
    case kColPlaced: placed = text; return;
    case kColChosen: chosen = text; return;
    case kColSex: sex = text; return;
    case kColTotal: total = text; return;
    default: break;
    }
    const int x = col - kColFirstScore;
    if (x >= 0 && x < scores.size())
        scores[x] = text;
    else if (x == scores.size())
        errors = text;
}

QString NewStudentTable::formatString() const
{
    QString format = kFixedFormat;
    for (const QString &header : scoreHeaders)
        format += QStringLiteral(">") + header + QStringLiteral("|");
    return format + (sourceSheet >= 0 ? QStringLiteral("<") : QString()) + kErrorHeader;
}

QStringList NewStudentTable::headers() const
{
    return kFixedHeaders + scoreHeaders + QStringList{kErrorHeader};
}

bool NewStudentTable::hasStudents() const
{
    return std::any_of(rows.cbegin(), rows.cend(), [](const NewStudent &row) { return !row.name.isEmpty(); });
}

QString initialFormatString()
{
    return kFixedFormat + QStringLiteral(">成绩1|>成绩2|") + kErrorHeader;
}

bool isDecimal(const QString &text)
{
    double value = 0;
    return readGridNumber(text, &value);
}

float decimalValue(const QString &text)
{
    double value = 0;
    return readGridNumber(text, &value) ? float(value) : 0.0f;
}

const QStringList &studentListCaptions()
{
    static const QStringList captions{QStringLiteral("代码"), QStringLiteral("姓名"), QStringLiteral("学生姓名"),
                                      QStringLiteral("性别"), QStringLiteral("总分")};
    return captions;
}

QStringList mappingSummary(const StudentMapping &mapping)
{
    const QString arrow = QStringLiteral("→");
    QStringList lines{QStringLiteral("代码") + arrow + mapping.code.label,
                      QStringLiteral("姓名") + arrow + mapping.name.label,
                      QStringLiteral("性别") + arrow + mapping.sex.label};
    for (int j = 0; j < mapping.scores.size(); ++j)
        lines << QStringLiteral("成绩%1").arg(j + 1) + arrow + mapping.scores[j].label;
    return lines;
}

NewStudentTable importStudents(const ImportWorkbook &book, const StudentMapping &mapping, CheckCounts *counts,
                               const RowProgress &progress)
{
    NewStudentTable table;
    CheckCounts tally;
    table.sourceSheet = book.currentSheet();
    table.codeColumn = mapping.code.sheetColumn();
    table.captionRow = mapping.captionRow;
    for (const ColumnBinding &score : mapping.scores)
        table.scoreHeaders << score.label;
    const int n = std::max(0, firstEmptyRow(book, mapping.name.sheetColumn(), mapping.captionRow) - mapping.captionRow - 1);
    table.rows.reserve(n);
    tally.students = n;
    for (int i = 1; i <= n; ++i) {
        const int r = mapping.captionRow + i;
        NewStudent row;
        row.sheetRow = r;
        row.code = book.cell(r, mapping.code.sheetColumn());
        row.name = book.cell(r, mapping.name.sheetColumn());
        const QString sex = book.cell(r, mapping.sex.sheetColumn());
        row.sex = isSex(sex) ? sex : QString();
        for (const ColumnBinding &score : mapping.scores)
            row.scores << book.cell(r, score.sheetColumn());
        checkRow(row, tally);
        table.rows << row;
        if (progress)
            progress(i, n);
    }
    if (counts)
        *counts = tally;
    return table;
}

QStringList splitSubjects(const QString &text)
{
    QStringList subjects = text.split(QLatin1Char('*'));
    if (subjects.size() > 1 && text.endsWith(QLatin1Char('*')))
        subjects.removeLast();
    return subjects;
}

NewStudentTable manualTable(int count, const QStringList &subjects)
{
    NewStudentTable table;
    table.scoreHeaders = subjects;
    table.rows.reserve(count);
    for (int i = 1; i <= count; ++i) {
        NewStudent row;
        row.code = QString::number(i);
        for (int j = 0; j < subjects.size(); ++j)
            row.scores << QString();
        table.rows << row;
    }
    return table;
}

std::optional<int> studentCountOf(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 5 || !std::all_of(t.begin(), t.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    const int n = t.toInt();
    if (n < 1 || n > kMaxTypedCount)
        return std::nullopt;
    return n;
}

CheckCounts CheckStudentData(NewStudentTable &table, const RowProgress &progress)
{
    CheckCounts counts;
    counts.students = int(table.rows.size());
    for (int i = 0; i < table.rows.size(); ++i) {
        checkRow(table.rows[i], counts);
        if (progress)
            progress(i + 1, counts.students);
    }
    return counts;
}

QString importSummary(const CheckCounts &counts)
{
    return counts.rows ? kCrLf + errorLines(counts) : cleanReport(counts.students);
}

QString checkReport(const CheckCounts &counts)
{
    return counts.rows ? errorLines(counts) : cleanReport(counts.students);
}

std::optional<int> classCountOf(const QString &text)
{
    double value = 0;
    if (!readGridNumber(text, &value))
        return std::nullopt;
    const double n = std::nearbyint(value);   // the default rounding: halves to even
    if (n < 1 || n > kMaxTypedCount)
        return std::nullopt;
    return int(n);
}

bool aboveClassCount(const QString &text, const QString &classCountText)
{
    double limit = 0;
    return !text.isEmpty() && readGridNumber(classCountText, &limit) && decimalValue(text) > limit;
}

int placedClass(const NewStudent &row)
{
    double value = 0;
    if (!readGridNumber(row.placed, &value) || value < 1 || value > kMaxTypedCount || value != std::floor(value))
        return 0;
    return int(value);
}

int classListCount(const NewStudentTable &table, int placedClasses)
{
    int classes = std::max(0, placedClasses);
    for (const NewStudent &row : table.rows)
        classes = std::max(classes, placedClass(row));
    return classes;
}

namespace {

// Per class 1 … n: 男, 女, 不详, the 总分 sum, each score column's sum, the count of
// 总分s summed and the count placed (row 0 unused).
using Tally = std::vector<std::vector<float>>;

// The placement's progress bar: its value after the last step.
struct PlacementBar {
    const std::function<void(int, int)> &progress;
    int maximum = 0;
    int value = 1;
    void set(int v)
    {
        value = std::min(v, maximum);
        if (progress)
            progress(value, maximum);
    }
};

// Reorders rows as std::stable_sort with `less` on their keys would, each row's key
// read once beforehand rather than in every comparison.
template <typename Key, typename Less>
void sortOnKeys(QList<NewStudent> &rows, const std::vector<Key> &keys, Less less)
{
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return less(keys[size_t(a)], keys[size_t(b)]); });
    QList<NewStudent> sorted;
    sorted.reserve(rows.size());
    for (int i : order)
        sorted.append(std::move(rows[i]));
    rows = std::move(sorted);
}

// Descending on 性别, 总分 and the scores, each compared as the grid compares.
void sortForPlacement(QList<NewStudent> &rows, int scoreCount)
{
    const int lastKey = kColFirstScore + scoreCount - 1;
    std::vector<std::vector<GridTextKey>> keys;
    keys.reserve(size_t(rows.size()));
    for (const NewStudent &row : rows) {
        std::vector<GridTextKey> &k = keys.emplace_back();
        for (int col = kColSex; col <= lastKey; ++col)
            k.push_back(gridTextKey(row.cell(col)));
    }
    sortOnKeys(rows, keys, [](const std::vector<GridTextKey> &a, const std::vector<GridTextKey> &b) {
        for (size_t i = 0; i < a.size(); ++i) {
            const int c = compareGridKeys(a[i], b[i]);
            if (c != 0)
                return c > 0;
        }
        return false;
    });
}

void sortByCode(QList<NewStudent> &rows)
{
    std::vector<GridTextKey> keys;
    keys.reserve(size_t(rows.size()));
    for (const NewStudent &row : rows)
        keys.push_back(gridTextKey(row.code));
    sortOnKeys(rows, keys, [](const GridTextKey &a, const GridTextKey &b) { return compareGridKeys(a, b) < 0; });
}

// Balancing pass: each block of n placeable students, the best to the weakest class.
void placeBalanced(QList<NewStudent> &rows, const std::vector<bool> &canPlace, int n, int s, Tally &tally,
                   PlacementBar &bar)
{
    const int count = int(rows.size());
    for (int b = 0; b < count;) {
        const std::vector<int> order = fillingOrder(tally, n, s);
        int end = b;
        for (int found = 0; end < count; ++end) {
            if (canPlace[size_t(end)] && ++found == n)
                break;
        }
        end = std::min(end, count - 1);
        int k = 0;
        for (int r = b; r <= end; ++r) {
            NewStudent &row = rows[r];
            if (!canPlace[size_t(r)]) {
                row.placed.clear();
                continue;
            }
            const int c = order[size_t(k++)];
            row.placed = QString::number(c);
            std::vector<float> &t = tally[size_t(c)];
            t[size_t(s + 5)] += 1;
            if (const int item = sexItem(row.sex); item >= 0)
                t[size_t(item)] += 1;
            if (!row.total.isEmpty()) {
                t[3] += decimalValue(row.total);
                t[size_t(s + 4)] += 1;
            }
            for (int x = 0; x < s && x < row.scores.size(); ++x)
                if (!row.scores[x].isEmpty())
                    t[size_t(4 + x)] += decimalValue(row.scores[x]);
        }
        bar.set(b + 1);
        b = end + 1;
    }
}

// Leftover pass: the others dealt 1, 2, …, n, 1, … in order.
void dealLeftovers(QList<NewStudent> &rows, const std::vector<bool> &canPlace, int n, Tally &tally)
{
    for (int r = 0, k = 0; r < rows.size(); ++r) {
        if (canPlace[size_t(r)])
            continue;
        NewStudent &row = rows[r];
        ++k;
        row.placed = QString::number(k);
        const int item = row.sex.isEmpty() ? 2 : sexItem(row.sex);
        if (item >= 0)
            tally[size_t(k)][size_t(item)] += 1;
        if (k == n)
            k = 0;
    }
}

// Chosen-class pass: swap with the nearest 总分 in the chosen class, within the limit.
// The report lines of choices that name no class.
QString swapChosen(QList<NewStudent> &rows, int n, Tally &tally, PlacementBar &bar)
{
    const int count = int(rows.size());
    // Every row is placed by now; the classes and totals are read once and kept in step.
    std::vector<int> classOf(static_cast<size_t>(count));
    std::vector<float> totals(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        classOf[size_t(i)] = placedClass(rows[i]);
        totals[size_t(i)] = decimalValue(rows[i].total);
    }
    QString text;
    for (int i = 0; i < count; ++i) {
        NewStudent &row = rows[i];
        if (!row.chosen.isEmpty()) {
            if (!isDecimal(row.chosen)) {
                text += row.code + QStringLiteral(" ") + row.name + QStringLiteral(" 所择的班级不是数字") + kCrLf;
            } else {
                const int want = chosenClass(row.chosen, n);
                const double value = decimalValue(row.chosen);
                if (value > n || value < 1)
                    text += row.name + QStringLiteral(" 所择的班级不在分班数目内。") + kCrLf;
                const int from = classOf[size_t(i)];
                if (want != 0 && want != from) {
                    const float own = totals[size_t(i)];
                    float bound = kSwapLimit;
                    int partner = -1;
                    for (int j = 0; j < count; ++j) {
                        if (classOf[size_t(j)] != want || !rows[j].chosen.isEmpty())
                            continue;
                        const float d = std::fabs(own - totals[size_t(j)]);
                        if (d < bound) {
                            bound = std::nearbyint(d);
                            partner = j;
                        }
                        if (d > bound)
                            break;
                    }
                    if (partner >= 0) {
                        NewStudent &p = rows[partner];
                        const float theirs = totals[size_t(partner)];
                        p.placed = QString::number(from);
                        row.placed = QString::number(want);
                        classOf[size_t(partner)] = from;
                        classOf[size_t(i)] = want;
                        tally[size_t(from)][3] += theirs - own;
                        tally[size_t(want)][3] += own - theirs;
                        const int mine = sexItem(row.sex);
                        const int their = sexItem(p.sex);
                        if (!row.sex.isEmpty() && !p.sex.isEmpty() && row.sex != p.sex && mine >= 0 && their >= 0) {
                            tally[size_t(from)][size_t(mine)] -= 1;
                            tally[size_t(from)][size_t(their)] += 1;
                            tally[size_t(want)][size_t(their)] -= 1;
                            tally[size_t(want)][size_t(mine)] += 1;
                        }
                    }
                }
            }
        }
        bar.set(bar.value + 1);
    }
    return text;
}

// The report's count and each class's figures.
QString placementSummary(const NewStudentTable &table, int n, const Tally &tally)
{
    const int s = table.scoreCount();
    QString text = QStringLiteral("新生人数共：%1人").arg(table.rows.size()) + kCrLf;
    for (int c = 1; c <= n; ++c) {
        const std::vector<float> &t = tally[size_t(c)];
        const float placedCount = t[size_t(s + 5)];
        auto average = [&](float sum) { return formatSingleFixed(placedCount != 0 ? sum / placedCount : 0.0f, 2); };
        text += QString::number(c) + QStringLiteral("班情况：") + kCrLf;
        text += QStringLiteral("　　班内总人数：") + formatSingle(t[0] + t[1] + t[2]) + QStringLiteral("(男")
            + formatSingle(t[0]) + QStringLiteral(" 女") + formatSingle(t[1]) + QStringLiteral(" 不详")
            + formatSingle(t[2]) + QStringLiteral("人)") + kCrLf;
        text += QStringLiteral("　　各科总分数：") + formatSingle(t[3]) + QStringLiteral("(平均：")
            + average(t[3]) + QStringLiteral(")") + kCrLf;
        for (int x = 0; x < s; ++x)
            text += QStringLiteral("　　") + table.scoreHeaders[x] + QStringLiteral("总分数：")
                + formatSingle(t[size_t(4 + x)]) + QStringLiteral("(平均：") + average(t[size_t(4 + x)])
                + QStringLiteral(")") + kCrLf;
        text += kCrLf;
    }
    return text;
}

} // namespace

QString PlaceStudents(NewStudentTable &table, int classes, const std::function<void(int, int)> &progress)
{
    const int n = std::max(1, classes);
    const int s = table.scoreCount();
    PlacementBar bar{progress, 2 * int(table.rows.size())};
    bar.set(1);
    Tally tally(size_t(n) + 1, std::vector<float>(size_t(s) + 6, 0.0f));

    sortForPlacement(table.rows, s);
    std::vector<bool> canPlace;
    canPlace.reserve(size_t(table.rows.size()));
    for (const NewStudent &row : std::as_const(table.rows))
        canPlace.push_back(placeable(row));
    placeBalanced(table.rows, canPlace, n, s, tally, bar);
    dealLeftovers(table.rows, canPlace, n, tally);
    QString text = swapChosen(table.rows, n, tally, bar);
    text += placementSummary(table, n, tally);
    sortByCode(table.rows);
    bar.set(bar.maximum);
    return text;
}

QString classSummary(const NewStudentTable &table, int c)
{
    int students = 0, chosen = 0, boys = 0, girls = 0, unknown = 0, totals = 0;
    float sum = 0;
    for (const NewStudent &row : table.rows) {
        if (placedClass(row) != c)
            continue;
        ++students;
        if (!row.chosen.isEmpty())
            ++chosen;
        if (row.sex == kMale)
            ++boys;
        else if (row.sex == kFemale)
            ++girls;
        else if (row.sex.isEmpty())
            ++unknown;
        if (!row.total.isEmpty()) {
            sum += decimalValue(row.total);
            ++totals;
        }
    }
    return QStringLiteral("%1班共%2人 %3人择班 男%4人 女%5人 性别不详%6人 总分平均")
               .arg(c)
               .arg(students)
               .arg(chosen)
               .arg(boys)
               .arg(girls)
               .arg(unknown)
        + formatSingle(totals ? sum / float(totals) : 0.0f);
}

void fillClassLists(ExportWorkbook &book, const NewStudentTable &table, int classes)
{
    const int lastCol = table.columnCount();          // C: the title and summary span
    const QStringList headers = table.headers();
    CellStyle centred;
    centred.hAlign = HAlign::Center;
    CellStyle titleStyle = centred;
    titleStyle.fontSize = 14;
    titleStyle.bold = true;
    while (book.sheetCount() < classes)
        book.addSheet(QString());
    // Each class's rows, in grid order.
    std::vector<std::vector<int>> members(size_t(classes) + 1);
    for (int i = 0; i < table.rows.size(); ++i)
        if (const int c = placedClass(table.rows[i]); c >= 1 && c <= classes)
            members[size_t(c)].push_back(i);
    for (int c = 1; c <= classes; ++c) {
        ExportSheet &sheet = book.sheet(c - 1);
        sheet.setName(QStringLiteral("第%1班").arg(c));
        sheet.setRowHeight(1, 20);
        sheet.merge(1, 1, 1, lastCol, QStringLiteral("第 %1 班新生花名册").arg(c),
                    titleStyle);
        for (int col : {4, 5, 6})
            sheet.setColumnStyle(col, centred);
        sheet.setRowStyle(1, centred);
        sheet.setRowStyle(2, centred);
        sheet.setColumnWidth(1, 3);
        sheet.setColumnWidth(2, 7);
        for (int col : {4, 5, 6})
            sheet.setColumnWidth(col, 5);
        sheet.setText(2, 1, QStringLiteral("学号"));
        for (int k = 0; k < lastCol - 1; ++k)
            sheet.setText(2, k + 2, headers[k]);
        int r = 3;
        for (int i : members[size_t(c)]) {
            const NewStudent &row = table.rows[i];
            sheet.setNumber(r, 1, r - 2);
            for (int k = 0; k < lastCol - 1; ++k)
                sheet.setValue(r, k + 2, row.cell(k));
            ++r;
        }
        sheet.setTable(2, 1, r - 1, lastCol);
        sheet.setRowHeight(r, 30);
        sheet.merge(r, 1, r, lastCol, classSummary(table, c));
    }
    if (classes >= 1)
        book.setActiveSheet(book.sheet(0));
    book.setFileBaseName(QStringLiteral("新生分班名单"));
}

void fillPlainList(ExportWorkbook &book, const NewStudentTable &table)
{
    ExportSheet &sheet = book.sheet(0);
    const QStringList headers = table.headers();
    const int cols = table.columnCount() - 1;   // the error column stays out
    for (int c = 0; c < cols; ++c)
        sheet.setText(1, c + 1, headers[c]);
    for (int r = 0; r < table.rows.size(); ++r)
        for (int c = 0; c < cols; ++c)
            sheet.setValue(r + 2, c + 1, table.rows[r].cell(c));
    if (cols > 0)
        sheet.setTable(1, 1, int(table.rows.size()) + 1, cols);
    book.setActiveSheet(sheet);
    book.setFileBaseName(QStringLiteral("新生名单"));
}

bool writeBackPlacement(ImportWorkbook &book, const NewStudentTable &table, QString *message)
{
    auto fail = [&](const QString &text) {
        if (message)
            *message = text;
        return false;
    };
    if (table.sourceSheet < 0 || table.codeColumn < 1)
        return fail(QStringLiteral("现在的新生名单不是从Excel文件导入的，无法把分班结果存回原表。"));
    if (book.format() == ImportWorkbook::Format::Xls)
        return fail(QStringLiteral("“%1”是旧版Excel文件（.xls），不能写入分班结果。"
                                   "请先在电子表格程序中把它另存为.xlsx文件，再从新文件导入新生并分班。")
                        .arg(QDir::toNativeSeparators(book.path())));
    const int previous = book.currentSheet();
    struct Restore {
        ImportWorkbook &book;
        int sheet;
        ~Restore()
        {
            if (sheet >= 0)
                book.selectSheet(sheet);
        }
    } restore{book, previous};
    if (!book.selectSheet(table.sourceSheet))
        return fail(book.errorString());

    // The result column: an existing 分班结果, or the first column empty from the
    // caption row down (a column without a header but with data under it is passed
    // over). Past the used columns every column is empty, so the search ends there.
    const int captions = std::max(1, table.captionRow);
    const int usedRows = book.usedRows();
    const int usedCols = book.usedCols();
    auto columnEmpty = [&](int col) {
        for (int r = captions + 1; r <= usedRows; ++r)
            if (!book.cell(r, col).isEmpty())
                return false;
        return true;
    };
    int resultCol = 0;
    for (int col = 1; col <= usedCols + 1 && resultCol == 0; ++col) {
        const QString header = book.cell(captions, col);
        if (header == kResultHeader || (header.isEmpty() && columnEmpty(col)))
            resultCol = col;
    }
    if (!book.setCell(captions, resultCol, kResultHeader))
        return fail(captions == 1 ? QStringLiteral("原表的第一行已经没有空列，无法写入“分班结果”。")
                                  : QStringLiteral("原表的第%1行（列名行）已经没有空列，无法写入“分班结果”。").arg(captions));

    // The sheet row of each student: the row it was read from while that row still holds
    // its 代码, otherwise the first row holding it.
    QHash<QString, int> rowOfCode;
    auto findRow = [&](const QString &code) {
        if (rowOfCode.isEmpty())
            for (int r = usedRows; r > captions; --r)
                rowOfCode.insert(book.cell(r, table.codeColumn), r);
        return rowOfCode.value(code, 0);
    };
    int missing = 0;
    for (const NewStudent &row : table.rows) {
        int r = row.sheetRow;
        if (r <= captions || book.cell(r, table.codeColumn) != row.code)
            r = row.code.isEmpty() ? 0 : findRow(row.code);
        if (r <= captions) {
            ++missing;
            continue;
        }
        // A class is written as a number; anything else typed into 分班 as it stands.
        if (const int c = placedClass(row); c > 0)
            book.setNumber(r, resultCol, c);
        else
            book.setCell(r, resultCol, row.placed);
    }
    // The column centred and 8 wide, the sheet shown on opening; a workbook that already
    // holds these classes is not written again.
    if (book.isModified()) {
        book.formatColumn(resultCol, kResultColumnWidth, true);
        book.setActiveSheet(table.sourceSheet);
    }
    QString error;
    if (!book.save(&error))
        return fail(error);
    QString text = QStringLiteral("分班结果已经存入“%1”的“%2”表的“分班结果”列。")
                       .arg(QDir::toNativeSeparators(book.path()), book.sheetNames().value(table.sourceSheet));
    if (missing)
        text += QStringLiteral("其中%1名新生的代码在表中找不到，没有写入。").arg(missing);
    if (message)
        *message = text;
    return true;
}

} // namespace tessaly::organisation
