// The register window on a large school: a fresh import of a 60-row .xlsx into the
// grid followed by its save, and the export of a 60-row register, each beside the bare
// work (the same workbook read cell by cell and the same rows deleted and inserted
// through the engine; the same cells written with libxlsxwriter).
//
// The school: 60 students in each of 108 classes (TESSALY_BENCH_DB, or one generated
// into a temporary folder); the class is 三年级组 二班 of 小学.
#include "large_school.h"

#include "app/main_window.h"
#include "kit/window_names.h"
#include "platform/clock.h"
#include "platform/database.h"
#include "platform/export_workbook.h"
#include "platform/file_chooser.h"
#include "platform/flex_grid.h"
#include "platform/import_workbook.h"
#include "platform/messages.h"
#include "register/class_code.h"
#include "register/register_import.h"
#include "register/register_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <xlsxwriter.h>
#include <cstdio>
#include <memory>

using namespace tessaly;

namespace {

const QString kTable = QStringLiteral("小学");
const QString kGrade = QStringLiteral("三年级组");
const QString kClass = QStringLiteral("二班");
const QDate kToday(2025, 10, 15);
constexpr int kStudents = 60;

QString g_dbPath;
QTemporaryDir *g_temp = nullptr;
QString g_roster;   // the 60-row .xlsx
QString g_classCode;

const QStringList kHeaders{QStringLiteral("姓名"),     QStringLiteral("性别"),     QStringLiteral("民族"),
                           QStringLiteral("出生日期"), QStringLiteral("原毕业学校"), QStringLiteral("联系电话"),
                           QStringLiteral("家庭住址"), QStringLiteral("家长姓名"), QStringLiteral("家长单位"),
                           QStringLiteral("住宿"),     QStringLiteral("备注"),     QStringLiteral("特长"),
                           QStringLiteral("政治面貌"), QStringLiteral("户口性质"), QStringLiteral("籍贯"),
                           QStringLiteral("与生关系")};

// A roster of 60 with every field, as a school hands it out.
QString writeRoster()
{
    ExportWorkbook book;
    ExportSheet &s = book.addSheet(QStringLiteral("花名册"));
    for (int c = 0; c < kHeaders.size(); ++c)
        s.setText(1, c + 1, kHeaders[c]);
    for (int r = 2; r <= kStudents + 1; ++r) {
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
    const QString path = QDir(g_temp->path()).filePath(QStringLiteral("roster-60.xlsx"));
    QString error;
    if (!book.saveAs(path, &error))
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return path;
}

// The register window on the class, its head teacher signed in.
struct Window {
    MainWindow main{QFileInfo(g_dbPath).absolutePath()};
    ScriptedResponder responder;
    RegisterWindow *w = nullptr;

    Window()
    {
        main.session().openpath = g_dbPath;
        main.session().today = fixedToday(kToday);
        w = qobject_cast<RegisterWindow *>(main.showWindow(kRegisterWindow));
        choose(w->Combo1, kGrade);
        choose(w->Combo2, kClass);
        main.session().denglu = w->chosenClass().headTeacher;
        choose(w->Combo2, kClass);
    }
    static void choose(QComboBox *combo, const QString &text)
    {
        combo->setCurrentIndex(combo->findText(text));
        emit combo->activated(combo->currentIndex());
    }
};

// ---- Fresh import and save ----------------------------------------------------

// The window: 浏览, the sheet, 16 bindings, 全新导入, 导入开始, 确定, 保存修改 (which
// reloads the class).
void BM_FreshImport_Window(benchmark::State &state)
{
    Window win;
    RegisterWindow *w = win.w;
    ScriptedFileChooser chooser;
    if (!w->Frame1->isEnabled()) {
        state.SkipWithError("the head teacher is not signed in");
        return;
    }
    for (auto _ : state) {
        w->Command11->click();
        chooser.answer(g_roster);
        w->Command5->click();
        Window::choose(w->Combo4, QStringLiteral("花名册"));
        for (int f = 0; f < reg::kImportFieldCount; ++f) {
            w->fieldOption(f)->setChecked(true);
            w->List3->setCurrentRow(f);
            w->List3_Click();
        }
        w->Option1[0]->setChecked(true);
        w->Command8_Click();
        w->Command2_Click();
        if (!w->SaveRegister()) {
            state.SkipWithError("the save was refused");
            break;
        }
    }
    if (w->registerRows().size() != kStudents)
        state.SkipWithError("the class does not hold the 60 imported students");
    state.counters["rows"] = double(w->registerRows().size());
}
BENCHMARK(BM_FreshImport_Window)->Unit(benchmark::kMillisecond);

// The bare work: the workbook opened and every cell of its sheet read; the class's
// rows deleted and 60 rows inserted in one transaction through the engine.
void BM_FreshImport_Bare(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(g_dbPath).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot open");
        return;
    }
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    const QByteArray like = (g_classCode + QLatin1Char('%')).toUtf8();
    QStringList columns{QStringLiteral("\"学籍号\"")};
    for (const QString &h : kHeaders)
        columns << QLatin1Char('"') + h + QLatin1Char('"');
    QStringList marks;
    for (int i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    const QByteArray insert = QStringLiteral("INSERT INTO \"小学\" (%1) VALUES (%2)")
                                  .arg(columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))
                                  .toUtf8();
    for (auto _ : state) {
        QString error;
        auto book = ImportWorkbook::open(g_roster, &error);
        if (!book || !book->selectSheet(0)) {
            state.SkipWithError(qPrintable(error));
            break;
        }
        std::vector<QList<QByteArray>> rows;
        for (int r = 2; r <= book->usedRows(); ++r) {
            QList<QByteArray> row{(g_classCode + QStringLiteral("%1").arg(r - 1, 2, 10, QLatin1Char('0'))).toUtf8()};
            for (int c = 1; c <= book->usedCols(); ++c)
                row << book->cell(r, c).trimmed().toUtf8();
            rows.push_back(row);
        }
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *del = nullptr;
        sqlite3_prepare_v2(db, "DELETE FROM \"小学\" WHERE \"学籍号\" LIKE ?", -1, &del, nullptr);
        sqlite3_bind_text(del, 1, like.constData(), int(like.size()), SQLITE_TRANSIENT);
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
    }
    sqlite3_close(db);
}
BENCHMARK(BM_FreshImport_Bare)->Unit(benchmark::kMillisecond);

// ---- Export ----------------------------------------------------------------------

// The window: 导出数据或打印 on the class of 60, the file handed to a recorder.
void BM_Export_Window(benchmark::State &state)
{
    Window win;
    RegisterWindow *w = win.w;
    RecordingWorkbookOpener opener;
    for (auto _ : state)
        w->Command12_Click();
    if (opener.paths().size() != std::size_t(state.iterations()) || w->registerRows().size() != kStudents)
        state.SkipWithError("the export was not written");
    state.counters["rows"] = double(w->registerRows().size());
}
BENCHMARK(BM_Export_Window)->Unit(benchmark::kMillisecond);

// The bare work: the same 62 x 18 texts written with libxlsxwriter into a new file.
void BM_Export_Bare(benchmark::State &state)
{
    Window win;
    QList<QList<QByteArray>> cells;
    for (int r = 0; r < win.w->Grid1->Rows(); ++r) {
        QList<QByteArray> row;
        for (int c = 0; c < 18; ++c)
            row << win.w->Grid1->TextMatrix(r, c).toUtf8();
        cells << row;
    }
    int i = 0;
    for (auto _ : state) {
        const QByteArray path =
            QFile::encodeName(QDir(g_temp->path()).filePath(QStringLiteral("bare%1.xlsx").arg(i++)));
        lxw_workbook *book = workbook_new(path.constData());
        lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
        worksheet_write_string(sheet, 0, 0, "title", nullptr);
        for (int r = 0; r < cells.size(); ++r)
            for (int c = 0; c < cells[r].size(); ++c)
                worksheet_write_string(sheet, lxw_row_t(r + 1), lxw_col_t(c), cells[r][c].constData(), nullptr);
        if (workbook_close(book) != LXW_NO_ERROR) {
            state.SkipWithError("cannot write");
            break;
        }
    }
}
BENCHMARK(BM_Export_Bare)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    QTemporaryDir temp;
    g_temp = &temp;
    qputenv("TESSALY_EXPORTS", QFile::encodeName(QDir(temp.path()).filePath(QStringLiteral("exports"))));
    bench::LargeSchoolOptions options;
    options.students = 60 * 108;   // 60 in every class
    options.reference = kToday;
    QString error;
    // The import replaces a class: a given database is worked on as a copy.
    g_dbPath = temp.isValid() ? bench::benchSchool(temp.path(), options, true, &error) : QString();
    if (g_dbPath.isEmpty()) {
        std::fprintf(stderr, "no large school: %s\n", qPrintable(error));
        return 1;
    }
    g_classCode = reg::ResolveClassCode(kGrade, kClass, kToday).classCode;
    g_roster = writeRoster();
    {
        db::Connection c(g_dbPath);
        std::fprintf(stderr, "%s: %d students in %s; class %s\n", qPrintable(g_dbPath),
                     c.scalar(QStringLiteral(R"(select count(*) from "小学")")).toInt(), qPrintable(kTable),
                     qPrintable(g_classCode));
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
