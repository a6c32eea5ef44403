#include "main_road.h"

#include "kit/window_names.h"
#include "os/clock.h"
#include "db/database.h"
#include "workbook/export_workbook.h"
#include "widgets/file_chooser.h"
#include "workbook/import_workbook.h"
#include "register/register_import.h"
#include "register/register_window.h"
#include "school/exam_columns.h"
#include "score_entry/score_entry_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <xlsxwriter.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <vector>

namespace tessaly::bench {

QString roadClassCode()
{
    return school::ResolveClassCode(kRoadGrade, kRoadClass, kRoadToday).classCode;
}

void choose(QComboBox *combo, const QString &text)
{
    combo->setCurrentIndex(combo->findText(text));
    emit combo->activated(combo->currentIndex());
}

RegisterOnClass::RegisterOnClass(const QString &dbPath) : main(QFileInfo(dbPath).absolutePath())
{
    w = openOnRoad<RegisterWindow>(main, dbPath, kRegisterWindow);
    choose(w->gradeGroupCombo, kRoadGrade);
    choose(w->classCombo, kRoadClass);
    main.session().denglu = w->chosenClass().headTeacher;
    choose(w->classCombo, kRoadClass);
}

ScoreEntryOnClass::ScoreEntryOnClass(const QString &dbPath) : main(QFileInfo(dbPath).absolutePath())
{
    w = openOnRoad<ScoreEntryWindow>(main, dbPath, kScoreEntryWindow);
    choose(w->gradeGroupCombo, kRoadGrade);
    choose(w->classCombo, kRoadClass);
    choose(w->subjectCombo, kRoadSubject);
    lastExam = w->examCombo->count() - 1;
    w->examCombo->setCurrentIndex(lastExam);
    w->examChosen();
}

bool freshImportAndSave(RegisterWindow *w, ScriptedFileChooser &chooser, const QString &roster)
{
    w->importButton->click();
    chooser.answer(roster);
    w->browseButton->click();
    choose(w->sheetCombo, QStringLiteral("花名册"));
    for (int field = 0; field < reg::kImportFieldCount; ++field) {
        w->fieldOption(field)->setChecked(true);
        w->sheetHeaderList->setCurrentRow(field);
        w->sheetHeaderChosen();
    }
    w->importModeOptions[0]->setChecked(true);
    w->startImportClicked();
    w->closeReportClicked();
    return w->SaveRegister();
}

const QStringList &rosterHeaders()
{
    static const QStringList headers{
        QStringLiteral("姓名"),     QStringLiteral("性别"),     QStringLiteral("民族"),     QStringLiteral("出生日期"),
        QStringLiteral("原毕业学校"), QStringLiteral("联系电话"), QStringLiteral("家庭住址"), QStringLiteral("家长姓名"),
        QStringLiteral("家长单位"), QStringLiteral("住宿"),     QStringLiteral("备注"),     QStringLiteral("特长"),
        QStringLiteral("政治面貌"), QStringLiteral("户口性质"), QStringLiteral("籍贯"),     QStringLiteral("与生关系")};
    return headers;
}

QString writeRoster(const QString &folder, int students)
{
    ExportWorkbook book;
    ExportSheet &s = book.addSheet(QStringLiteral("花名册"));
    const QStringList &headers = rosterHeaders();
    for (int c = 0; c < headers.size(); ++c)
        s.setText(1, c + 1, headers[c]);
    for (int r = 2; r <= students + 1; ++r) {
        const QStringList row{QStringLiteral("学生%1").arg(r - 1), r % 2 ? QStringLiteral("男") : QStringLiteral("女"),
                              QStringLiteral("汉族"), QStringLiteral("2016-03-%1").arg(r % 28 + 1, 2, 10, QLatin1Char('0')),
                              QStringLiteral("实验幼儿园"), QString::number(13800000000LL + r),
                              QStringLiteral("人民路%1号").arg(r), QStringLiteral("家长%1").arg(r),
                              QStringLiteral("县医院"), QStringLiteral("是"), QString(), QStringLiteral("书法"),
                              QStringLiteral("少先队员"), QStringLiteral("城镇"), QStringLiteral("河北"),
                              QStringLiteral("父子")};
        for (int c = 0; c < row.size(); ++c)
            s.setValue(r, c + 1, row[c]);
    }
    const QString path = QDir(folder).filePath(QStringLiteral("roster-%1.xlsx").arg(students));
    QString error;
    if (!book.saveAs(path, &error))
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return path;
}

QStringList firstMidTerm(const QStringList &columns)
{
    QStringList out;
    QString stamp;
    for (const QString &column : columns) {
        if (!column.startsWith(QLatin1Char('Z')))
            continue;
        if (stamp.isEmpty())
            stamp = column.left(4) + QLatin1Char('|') + column.right(6);
        if (column.left(4) + QLatin1Char('|') + column.right(6) == stamp)
            out << column;
    }
    return out;
}

SqliteFile::SqliteFile(const QString &path)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(m_db);
        m_db = nullptr;
        return;
    }
    const QString queue = db::changeQueueFile();
    if (queue.isEmpty() || QFileInfo(queue).canonicalFilePath() != QFileInfo(path).canonicalFilePath())
        return;
    // The queue's triggers on the road's table, as the program's connections create them.
    const QByteArray triggers = QStringLiteral(
        R"(CREATE TEMP TRIGGER "bare queue insert" AFTER INSERT ON "%1" BEGIN
             INSERT INTO "上传表" ("表名", "ID", "新增") SELECT '%1', NEW."ID", 1
               WHERE NOT EXISTS (SELECT 1 FROM "上传表" WHERE "表名" = '%1' AND "ID" = NEW."ID");
           END;
           CREATE TEMP TRIGGER "bare queue update" AFTER UPDATE ON "%1" BEGIN
             INSERT INTO "上传表" ("表名", "ID", "新增") SELECT '%1', NEW."ID", 0
               WHERE NOT EXISTS (SELECT 1 FROM "上传表" WHERE "表名" = '%1' AND "ID" = NEW."ID");
           END;
           CREATE TEMP TRIGGER "bare queue delete" AFTER DELETE ON "%1" BEGIN
             INSERT INTO "上传表" ("表名", "ID", "新增") SELECT '%1', OLD."ID", 0
               WHERE NOT EXISTS (SELECT 1 FROM "上传表" WHERE "表名" = '%1' AND "ID" = OLD."ID");
             DELETE FROM "上传表" WHERE "表名" = '%1' AND "ID" = OLD."ID" AND "新增" = 1;
           END;)").arg(kRoadTable).toUtf8();
    char *error = nullptr;
    if (sqlite3_exec(m_db, triggers.constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "no queue triggers on the bare connection: %s\n", error);
        sqlite3_free(error);
    }
}

SqliteFile::~SqliteFile()
{
    sqlite3_close(m_db);
}

namespace {

void bindTexts(sqlite3_stmt *st, const QVariantList &params)
{
    for (int i = 0; i < params.size(); ++i) {
        const QByteArray v = params[i].toString().toUtf8();
        sqlite3_bind_text(st, i + 1, v.constData(), int(v.size()), SQLITE_TRANSIENT);
    }
}

} // namespace

int bareSelect(sqlite3 *db, const school::Statement &q)
{
    const QByteArray sql = q.sql.toUtf8();
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr);
    bindTexts(st, q.params);
    int rows = 0;
    const int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i)
            sqlite3_column_text(st, i);
        ++rows;
    }
    sqlite3_finalize(st);
    return rows;
}

void bareSaveScores(const QString &path, const QString &table, const QString &column, const QList<qint64> &ids)
{
    const QByteArray sql = QStringLiteral(R"(UPDATE "%1" SET "%2" = ? WHERE "ID" = ?)").arg(table, column).toUtf8();
    SqliteFile file(path);
    sqlite3 *db = file.db();
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr);
    for (int i = 0; i < ids.size(); ++i) {
        sqlite3_bind_double(st, 1, 40 + i);
        sqlite3_bind_int64(st, 2, ids[i]);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

int bareStatistics(sqlite3 *db, const QString &table, const QString &classCode, const QString &exam)
{
    const school::Statement members = school::classMembersQuery(table, classCode, {QStringLiteral("ID"), exam});
    const QString cls = QStringLiteral("(%1) AS m WHERE m.\"%2\" IS NOT NULL").arg(members.sql, exam);
    const school::Statement levels{
        QStringLiteral("SELECT count(*), sum(s >= 90), sum(s >= 85), sum(s >= 60), sum(s) FROM "
                       "(SELECT m.\"%1\" AS s FROM %2)")
            .arg(exam, cls),
        members.params};
    const school::Statement ranks{
        QStringLiteral("SELECT m.ID, rank() OVER (ORDER BY m.\"%1\" DESC) FROM %2").arg(exam, cls), members.params};
    bareSelect(db, levels);
    return bareSelect(db, ranks);
}

std::vector<std::vector<double>> bareDoubles(sqlite3 *db, const school::Statement &q)
{
    const QByteArray sql = q.sql.toUtf8();
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr);
    bindTexts(st, q.params);
    std::vector<std::vector<double>> rows;
    const int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::vector<double> &row = rows.emplace_back(std::size_t(columns));
        for (int i = 0; i < columns; ++i)
            row[i] = sqlite3_column_type(st, i) == SQLITE_NULL ? NAN : sqlite3_column_double(st, i);
    }
    sqlite3_finalize(st);
    return rows;
}

std::vector<int> bareRanks(const std::vector<double> &values)
{
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (!std::isnan(values[i]))
            order.push_back(i);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return values[a] > values[b]; });
    std::vector<int> ranks(values.size(), 0);
    for (std::size_t k = 0; k < order.size(); ++k)
        ranks[order[k]] = k > 0 && values[order[k]] == values[order[k - 1]] ? ranks[order[k - 1]] : int(k + 1);
    return ranks;
}

namespace {

// Per column, the values of every row.
std::vector<double> columnOf(const std::vector<std::vector<double>> &rows, std::size_t c)
{
    std::vector<double> out;
    out.reserve(rows.size());
    for (const auto &row : rows)
        out.push_back(row[c]);
    return out;
}

} // namespace

int bareTrend(sqlite3 *db, const QString &table, const QString &classCode, const QStringList &columns)
{
    const auto rows = bareDoubles(db, school::classMembersQuery(table, classCode, columns));
    // The exams: columns of the same name as the trend shows it, in column order.
    std::unordered_map<QString, std::size_t> examOf;
    std::vector<std::vector<int>> exams;
    for (int c = 0; c < columns.size(); ++c) {
        const auto [it, added] =
            examOf.try_emplace(school::DecodeExamName(columns[c], school::kTrendNames), exams.size());
        if (added)
            exams.emplace_back();
        exams[it->second].push_back(c);
    }
    for (const auto &exam : exams) {
        std::vector<double> totals(rows.size(), NAN);
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (const int c : exam)
                if (!std::isnan(rows[r][c]))
                    totals[r] = (std::isnan(totals[r]) ? 0 : totals[r]) + rows[r][c];
        bareRanks(totals);
    }
    return int(exams.size());
}

int bareGradeExam(sqlite3 *db, const QString &table, const QString &cohort, const QStringList &exam)
{
    QStringList quoted{QStringLiteral("CAST(substr(\"学籍号\", 5, 2) AS INTEGER)")};
    for (const QString &column : exam)
        quoted << db::quoteIdentifier(column);
    const school::Statement q{QStringLiteral(R"(SELECT %1 FROM "%2" WHERE "学籍号" >= ? AND "学籍号" < ? ORDER BY "学籍号")")
                               .arg(quoted.join(QLatin1Char(',')), table),
                           {cohort, QString::number(cohort.toInt() + 1)}};
    const auto rows = bareDoubles(db, q);
    struct Figures {
        int participants = 0, passes = 0, excellent = 0;
        double sum = 0, high = -INFINITY, low = INFINITY;
    };
    std::unordered_map<int, std::vector<Figures>> classes;   // class number -> per subject
    std::vector<double> totals(rows.size(), 0);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        auto &figures = classes[int(rows[r][0])];
        figures.resize(exam.size());
        for (int s = 0; s < exam.size(); ++s) {
            const double v = rows[r][s + 1];
            if (std::isnan(v))
                continue;
            Figures &f = figures[s];
            ++f.participants;
            f.sum += v;
            f.high = std::max(f.high, v);
            f.low = std::min(f.low, v);
            f.passes += v >= 60;
            f.excellent += v >= 85;
            totals[r] += v;
        }
    }
    bareRanks(totals);
    std::unordered_map<int, std::vector<double>> classTotals;
    for (std::size_t r = 0; r < rows.size(); ++r)
        classTotals[int(rows[r][0])].push_back(totals[r]);
    for (const auto &[number, values] : classTotals)
        bareRanks(values);
    return int(rows.size());
}

int bareSubjectExams(sqlite3 *db, const QString &table, const QString &classCode, const QStringList &exams)
{
    const auto rows = bareDoubles(db, school::classMembersQuery(table, classCode, exams));
    for (int c = 0; c < exams.size(); ++c) {
        const std::vector<double> values = columnOf(rows, std::size_t(c));
        double sum = 0;
        int n = 0;
        for (const double v : values)
            if (!std::isnan(v)) {
                sum += v;
                ++n;
            }
        volatile double average = n ? sum / n : 0;
        (void)average;
        bareRanks(values);
    }
    return int(exams.size());
}

void bareOpen(const QString &path, const QString &table)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const QByteArray sql = QStringLiteral(R"(SELECT * FROM "%1" LIMIT 0)").arg(table).toUtf8();
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr);
    sqlite3_finalize(st);
    sqlite3_close(db);
}

bool bareFreshImport(sqlite3 *db, const QString &roster, const QString &table, const QString &classCode)
{
    QString error;
    auto book = ImportWorkbook::open(roster, &error);
    if (!book || !book->selectSheet(0))
        return false;
    std::vector<QList<QByteArray>> rows;
    for (int r = 2; r <= book->usedRows(); ++r) {
        QList<QByteArray> row{(classCode + QStringLiteral("%1").arg(r - 1, 2, 10, QLatin1Char('0'))).toUtf8()};
        for (int c = 1; c <= book->usedCols(); ++c)
            row << book->cell(r, c).trimmed().toUtf8();
        rows.push_back(row);
    }
    QStringList columns{QStringLiteral("\"学籍号\"")};
    QStringList marks{QStringLiteral("?")};
    for (const QString &h : rosterHeaders()) {
        columns << QLatin1Char('"') + h + QLatin1Char('"');
        marks << QStringLiteral("?");
    }
    const school::Statement inClass = school::classCondition(classCode);
    const QByteArray remove = QStringLiteral("DELETE FROM \"%1\" WHERE %2").arg(table, inClass.sql).toUtf8();
    const QByteArray insert = QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                                  .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))
                                  .toUtf8();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *del = nullptr;
    sqlite3_prepare_v2(db, remove.constData(), int(remove.size()), &del, nullptr);
    bindTexts(del, inClass.params);
    sqlite3_step(del);
    sqlite3_finalize(del);
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(db, insert.constData(), int(insert.size()), &ins, nullptr);
    for (const auto &row : rows) {
        for (int i = 0; i < row.size(); ++i)
            sqlite3_bind_text(ins, i + 1, row[i].constData(), int(row[i].size()), SQLITE_TRANSIENT);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return true;
}

bool bareExport(const QString &path, const QList<QList<QByteArray>> &cells)
{
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    worksheet_write_string(sheet, 0, 0, "title", nullptr);
    for (int r = 0; r < cells.size(); ++r)
        for (int c = 0; c < cells[r].size(); ++c)
            worksheet_write_string(sheet, lxw_row_t(r + 1), lxw_col_t(c), cells[r][c].constData(), nullptr);
    return workbook_close(book) == LXW_NO_ERROR;
}

} // namespace tessaly::bench
