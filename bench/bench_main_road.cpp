// The main road on a large school, per operation: the median over repeated runs of
// what the window does (its pending repaint included), the median of the bare
// SQLite work it needs (the same query or update issued through the C API in the
// same run), and their ratio; where the data layer's share can be run alone (a data
// control's refresh, a save or creation on its own connection), its median and
// its ratio to the bare work too. Where the operation fills a grid, the grid floor:
// a plain QTableView of the grid's size, column widths and row heights over a
// vector of the same texts, repainted after they all change; and the operation's
// ratio to the bare work plus that floor.
//
//   bench_main_road [--runs N] [--schools DIR] [--case small|large|wide]... [--op NAME]... [--cpu]
//
// --cpu times the thread's processor time in place of the clock's, for comparing
// builds on a machine busy with other work.
//
// Every window works with the program's font on the program folder's data.mdb,
// whose saves also queue their rows for upload (the bare connection's too).
//
// Cases: "small", 小学 of 54 classes of 60 (3,240 students) with 200 exam columns;
// "large", 小学 of 168 classes of 60 (10,080 students) with 1,000 exam columns;
// "wide", only when --case names it, the large one with 1,982 exam columns (the
// table's 2,000 columns).
// A case's school is generated into DIR (kept there for the next run) or into a
// temporary folder, and every run works on a copy of it. --op picks operations:
// choose, open, save, statistics, create, export, import, trend, transcript,
// report, comparison, subject, weak, window.
#include "large_school.h"
#include "main_road.h"

#include "class_analysis/development_trend_window.h"
#include "class_analysis/multi_exam_window.h"
#include "grade_analysis/comparison_window.h"
#include "grade_analysis/weak_subject_window.h"
#include "kit/class_tree.h"
#include "kit/program_font.h"
#include "kit/save_report.h"
#include "kit/window_names.h"
#include "widgets/data_control.h"
#include "db/database.h"
#include "workbook/export_workbook.h"
#include "widgets/file_chooser.h"
#include "widgets/flex_grid.h"
#include "register/register_import.h"
#include "register/register_window.h"
#include "reports/score_report_window.h"
#include "reports/transcript_window.h"
#include "score_entry/score_save.h"
#include "school/exam_columns.h"
#include "score_entry/exam_creation.h"
#include "school/score_sheet.h"
#include "score_entry/score_entry_window.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QTreeWidget>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

using namespace tessaly;
using namespace tessaly::bench;

namespace {

struct Case {
    const char *key;
    const char *label;
    int classesPerGroup;
    int examColumns;
    bool onlyWhenAsked = false;   // runs only when --case names it
};
// "wide": the large school with as many exam columns as a table holds (2,000 columns).
const Case kCases[] = {{"small", "3,240 × 200", 9, 200},
                       {"large", "10,080 × 1,000", 28, 1000},
                       {"wide", "10,080 × 1,982", 28, 1982, true}};

int g_runs = 21;
QStringList g_ops;   // the operations to measure (see the head of the file); empty: all
bool g_cpuTime = false;   // --cpu: the thread's processor time in place of the clock's

// Nanoseconds now, by the clock or (--cpu) by the thread's processor time: on a
// machine busy with other work the latter leaves out the time spent waiting for it.
qint64 nowNs()
{
    timespec t {};
    clock_gettime(g_cpuTime ? CLOCK_THREAD_CPUTIME_ID : CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

bool wanted(const char *op)
{
    return g_ops.isEmpty() || g_ops.contains(QLatin1String(op));
}

// The median time in milliseconds of `op` over g_runs runs after one warm-up run;
// `prepare` runs untimed before each.
double medianMs(const std::function<void()> &op, const std::function<void()> &prepare = [] {})
{
    std::vector<double> times;
    for (int i = 0; i <= g_runs; ++i) {
        prepare();
        const qint64 start = nowNs();
        op();
        const double ms = double(nowNs() - start) / 1e6;
        if (i > 0)
            times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The operation's own work and the repaint it leaves pending: one frame. Never
// inlined, so that callgrind --toggle-collect='*frame*' counts the frames alone.
[[gnu::noinline]] void frame(const std::function<void()> &op)
{
    op();
    QCoreApplication::processEvents();
}

struct Figure {
    QString operation;
    double window = 0;
    double data = -1;   // the data layer's share alone, where it has one
    double bare = 0;
    double floor = -1;  // the grid floor, where the operation fills a grid
    QString note;
};

void printRow(const Case &c, const Figure &f)
{
    const QString data = f.data < 0 ? QStringLiteral("–") : QString::number(f.data, 'f', 3);
    const QString dataRatio = f.data < 0 ? QStringLiteral("–") : QString::number(f.data / f.bare, 'f', 1);
    const QString floor = f.floor < 0 ? QStringLiteral("–") : QString::number(f.floor, 'f', 3);
    const QString floorRatio = f.floor < 0 ? QStringLiteral("–") : QString::number(f.window / (f.bare + f.floor), 'f', 1);
    std::printf("| %s | %s | %.2f | %.3f | %.1f | %s | %s | %s | %s | %s |\n", c.label, qPrintable(f.operation),
                f.window, f.bare, f.window / f.bare, qPrintable(floor), qPrintable(floorRatio), qPrintable(data),
                qPrintable(dataRatio), qPrintable(f.note));
    std::fflush(stdout);
}

// A plain table model over a vector of texts.
class PlainTexts : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : rows; }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : cols; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        const QString &t = texts[size_t(index.row()) * size_t(cols) + size_t(index.column())];
        return t.isEmpty() ? QVariant() : QVariant(t);
    }
    void changeAll() { emit dataChanged(index(0, 0), index(rows - 1, cols - 1)); }
    std::vector<QString> texts;
    int rows = 0;
    int cols = 0;
};

// The widest filled grid of a window: the one with the most cells.
FlexGrid *filledGrid(QWidget *w)
{
    FlexGrid *best = nullptr;
    for (FlexGrid *g : w->findChildren<FlexGrid *>())
        if (g->isVisible() && (!best || qint64(g->Rows()) * g->Cols() > qint64(best->Rows()) * best->Cols()))
            best = g;
    return best;
}

// The grid floor of a filled grid: its texts in a plain QTableView of its size,
// font, column widths and row heights, every text announced changed and the view
// repainted; the median. -1 without a grid.
double gridFloorMs(FlexGrid *grid)
{
    if (!grid || grid->Rows() == 0 || grid->Cols() == 0)
        return -1;
    PlainTexts model;
    model.rows = grid->Rows();
    model.cols = grid->Cols();
    model.texts.reserve(size_t(model.rows) * size_t(model.cols));
    for (int r = 0; r < model.rows; ++r)
        for (int c = 0; c < model.cols; ++c)
            model.texts.push_back(grid->TextMatrix(r, c));
    QTableView view;
    view.setFont(grid->font());
    view.setModel(&model);
    view.horizontalHeader()->hide();
    view.verticalHeader()->hide();
    view.setWordWrap(false);
    for (int c = 0; c < model.cols; ++c) {
        if (grid->isColumnHidden(c))
            view.setColumnHidden(c, true);
        else
            view.setColumnWidth(c, grid->columnWidth(c));
    }
    for (int r = 0; r < model.rows; ++r) {
        if (grid->isRowHidden(r))
            view.setRowHidden(r, true);
        else
            view.setRowHeight(r, grid->rowHeight(r));
    }
    view.resize(grid->size());
    view.show();
    QCoreApplication::processEvents();
    return medianMs([&] { frame([&] { model.changeAll(); }); });
}

// The data layer reading a statement as a window's data control does: its open
// connection, every row read into memory.
double dataControlMs(const QString &dbPath, const school::Statement &q)
{
    DataControl data;
    data.setDatabaseName(dbPath);
    data.setRecordSource(q.sql, q.params);
    return medianMs([&] { data.Refresh(); });
}

QString schoolOf(const Case &c, const QString &folder)
{
    LargeSchoolOptions options;
    options.classesPerGroup = c.classesPerGroup;
    options.sections = {kRoadTable};
    options.students = 6 * c.classesPerGroup * 60;
    options.examColumns = c.examColumns;
    options.reference = kRoadToday;
    const QString dir = QDir(folder).filePath(QString::fromLatin1(c.key));
    const QString path = QDir(dir).filePath(QStringLiteral("data.mdb"));
    if (QFile::exists(path))
        return path;
    QElapsedTimer t;
    t.start();
    QString error;
    if (!makeLargeSchool(dir, options, nullptr, &error)) {
        std::fprintf(stderr, "no large school: %s\n", qPrintable(error));
        return QString();
    }
    std::fprintf(stderr, "generated %s in %lld ms\n", qPrintable(path), static_cast<long long>(t.elapsed()));
    return path;
}

QTreeWidgetItem *groupNode(QTreeWidget *tree)
{
    const QList<QTreeWidgetItem *> found = tree->findItems(kRoadGrade, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

QTreeWidgetItem *classNode(QTreeWidget *tree)
{
    QTreeWidgetItem *group = groupNode(tree);
    for (int i = 0; group && i < group->childCount(); ++i)
        if (group->child(i)->text(0) == kRoadClass)
            return group->child(i);
    return nullptr;
}

// A grade-group window on the road's grade group with its first mid-term chosen.
template <typename Window>
Window *openOnMidTerm(MainWindow &main, const QString &dbPath, QStringView name)
{
    return chooseFirstMidTerm(openOnRoad<Window>(main, dbPath, name), kRoadGrade);
}

// A grade group's statistics in a window (显示报表, 导入数据): `click` timed beside
// the grade group's bare work; `shown` tells whether the window shows every class
// and subject.
template <typename Window>
bool gradeGroupFigure(const Case &c, const QString &dbPath, QStringView name, const QString &operation,
                      void (Window::*click)(), const std::function<bool(Window *)> &shown,
                      const std::function<void()> &bareWork)
{
    MainWindow main(QFileInfo(dbPath).absolutePath());
    ScriptedResponder responder;
    auto *w = openOnMidTerm<Window>(main, dbPath, name);
    if (!w)
        return false;
    Figure f{operation};
    f.window = medianMs([&] { frame([&] { (w->*click)(); }); });
    f.bare = medianMs(bareWork);
    f.floor = gridFloorMs(filledGrid(w));
    f.note = QStringLiteral("%1 classes × %2 subjects").arg(w->classList->count()).arg(w->subjectList->count());
    if (!shown(w) || !responder.shown().isEmpty())
        f.note += QStringLiteral(" (not shown)");
    printRow(c, f);
    return true;
}

// The weak-subject analysis's work on a class: its scores in the exam's subjects
// read, per subject the average and deviation, per student each standard score and
// both totals, the totals ranked by one sort. The number of students.
int bareWeakSubjects(sqlite3 *db, const QString &table, const QString &classCode, const QStringList &exam)
{
    const std::vector<std::vector<double>> rows = bareDoubles(db, school::classMembersQuery(table, classCode, exam));
    const std::size_t n = rows.size();
    std::vector<double> raw(n, NAN), standard(n, NAN);
    for (std::size_t s = 0; s < std::size_t(exam.size()); ++s) {
        double sum = 0, squares = 0;
        int count = 0;
        for (const auto &row : rows)
            if (s < row.size() && !std::isnan(row[s])) {
                sum += row[s];
                squares += row[s] * row[s];
                ++count;
            }
        if (count == 0)
            continue;
        const double average = sum / count;
        const double deviation = std::sqrt(std::max(0.0, squares / count - average * average));
        for (std::size_t i = 0; i < n; ++i) {
            const double x = s < rows[i].size() ? rows[i][s] : NAN;
            if (std::isnan(x))
                continue;
            raw[i] = (std::isnan(raw[i]) ? 0 : raw[i]) + std::round(x * 10) / 10;
            const double z = deviation > 0 ? std::round((x - average) / deviation * 100) / 100 : 0;
            standard[i] = (std::isnan(standard[i]) ? 0 : standard[i]) + z;
        }
    }
    const std::vector<int> rawRanks = bareRanks(raw);
    const std::vector<int> standardRanks = bareRanks(standard);
    return int(rawRanks.size() + standardRanks.size()) / 2;
}

// The analysis windows' clicks on the road's class, grade group and subject.
bool runAnalysisCase(const Case &c, const QString &dbPath, sqlite3 *bare)
{
    // The columns as they are now: the operations before have created exams.
    QStringList columns;
    {
        db::Connection conn(dbPath);
        columns = db::tableColumns(conn, kRoadTable);
    }
    const QString code = roadClassCode();
    const QString cohort = code.left(4);
    const QStringList midTerm = firstMidTerm(columns);
    QStringList exams;
    for (const QString &column : columns.mid(school::kFirstScannedColumn))
        if (school::isExamColumnName(column))
            exams << column;
    const QString programFolder = QFileInfo(dbPath).absolutePath();

    if (wanted("trend")) {
        MainWindow main(programFolder);
        ScriptedResponder responder;
        auto *w = openOnRoad<DevelopmentTrendWindow>(main, dbPath, kStudentTrendWindow);
        QTreeWidgetItem *node = classNode(w->classTree);
        if (!node)
            return false;
        Figure f{QStringLiteral("学生发展趋势: click a class of 60")};
        f.window = medianMs([&] { frame([&] { w->LoadClassTotals(node); }); });
        int bareExams = 0;
        f.bare = medianMs([&] { bareExams = bareTrend(bare, kRoadTable, code, exams); });
        f.floor = gridFloorMs(w->totalsGrid);
        f.note = QStringLiteral("%1 exams").arg(w->examList->count());
        if (w->totalsGrid->Rows() <= 3 || !responder.shown().isEmpty() || bareExams != w->examList->count())
            f.note += QStringLiteral(" (no totals, or %1 in the bare work)").arg(bareExams);
        printRow(c, f);
    }
    if (wanted("transcript")) {
        MainWindow main(programFolder);
        ScriptedResponder responder;
        auto *w = openOnMidTerm<TranscriptWindow>(main, dbPath, kTranscriptWindow);
        if (!w)
            return false;
        Figure f{QStringLiteral("打印成绩单: 显示成绩 of the grade group")};
        f.window = medianMs([&] { frame([&] { w->showClicked(); }); });
        int students = 0;
        f.bare = medianMs([&] { students = bareGradeExam(bare, kRoadTable, cohort, midTerm); });
        f.floor = gridFloorMs(w->resultGrid);
        f.note = QStringLiteral("%1 students × %2 subjects").arg(w->transcript().rows.size()).arg(midTerm.size());
        if (w->transcript().rows.size() != students || !responder.shown().isEmpty())
            f.note += QStringLiteral(" (%1 in the bare work)").arg(students);
        printRow(c, f);
    }
    const auto gradeGroupWork = [&] { bareGradeExam(bare, kRoadTable, cohort, midTerm); };
    if (wanted("report")
        && !gradeGroupFigure<ScoreReportWindow>(
            c, dbPath, kScoreReportWindow, QStringLiteral("打印成绩报表: 显示报表 of the grade group"),
            &ScoreReportWindow::showClicked,
            [](ScoreReportWindow *w) {
                return w->reportRows().size() == 1 + w->subjectList->count() * (w->classList->count() + 1);
            },
            gradeGroupWork))
        return false;
    if (wanted("comparison")
        && !gradeGroupFigure<ComparisonWindow>(
            c, dbPath, kComparisonWindow, QStringLiteral("成绩对比分析: 导入数据 of the grade group"),
            &ComparisonWindow::FillStatisticsGrid,
            [](ComparisonWindow *w) {
                return w->lastFill().rows.size() == w->subjectList->count() * (w->classList->count() + 1);
            },
            gradeGroupWork))
        return false;
    if (wanted("subject")) {
        MainWindow main(programFolder);
        ScriptedResponder responder;
        auto *w = openOnRoad<MultiExamWindow>(main, dbPath, kMultiExamWindow);
        choose(w->gradeGroupCombo, kRoadGrade);
        choose(w->classCombo, kRoadClass);
        Figure f{QStringLiteral("单科多次成绩横向分析: choose the subject")};
        f.window = medianMs([&] { frame([&] { choose(w->subjectCombo, kRoadSubject); }); });
        const QStringList subjectExams = school::FindExamsOfSubject(columns, kRoadSubject);
        f.bare = medianMs([&] { bareSubjectExams(bare, kRoadTable, code, subjectExams); });
        f.floor = gridFloorMs(filledGrid(w));
        f.note = QStringLiteral("%1 exams").arg(w->examList->count());
        if (w->examList->count() == 0 || !responder.shown().isEmpty())
            f.note += QStringLiteral(" (no exams listed)");
        printRow(c, f);
    }
    if (wanted("weak")) {
        MainWindow main(programFolder);
        ScriptedResponder responder;
        auto *w = openOnRoad<WeakSubjectWindow>(main, dbPath, kWeakSubjectWindow);
        choose(w->gradeGroupCombo, kRoadGrade);
        choose(w->classCombo, kRoadClass);
        for (int i = 0; i < w->examCombo->count(); ++i) {
            if (w->examCombo->itemText(i).endsWith(QStringLiteral("期中成绩"))) {
                choose(w->examCombo, w->examCombo->itemText(i));
                break;
            }
        }
        Figure f{QStringLiteral("薄弱学科查询: 进行分析 of the class")};
        f.window = medianMs([&] { frame([&] { w->AnalyseWeakSubjects(); }); });
        int students = 0;
        f.bare = medianMs([&] { students = bareWeakSubjects(bare, kRoadTable, code, midTerm); });
        f.floor = gridFloorMs(w->resultGrid);
        f.note = QStringLiteral("%1 students × %2 subjects").arg(students).arg(w->subjectList->count());
        if (w->resultGrid->Rows() != 2 * students + 3 || !responder.shown().isEmpty())
            f.note += QStringLiteral(" (not analysed: %1)").arg(responder.texts().join(u'/'));
        printRow(c, f);
    }
    return true;
}

// Opening a window: its connection, the schema read on it, its first lists.
bool runWindowOpening(const Case &c, const QString &dbPath)
{
    if (!wanted("window"))
        return true;
    for (const QStringView name :
         {QStringView(kRegisterWindow), QStringView(kScoreEntryWindow), QStringView(kStudentTrendWindow),
          QStringView(kTranscriptWindow), QStringView(kScoreReportWindow), QStringView(kComparisonWindow),
          QStringView(kMultiExamWindow), QStringView(kWeakSubjectWindow)}) {
        MainWindow main(QFileInfo(dbPath).absolutePath());
        ScriptedResponder responder;
        main.show();
        main.session().openpath = dbPath;
        main.session().today = fixedToday(kRoadToday);
        QWidget *w = nullptr;
        Figure f{QStringLiteral("open %1").arg(name)};
        f.window = medianMs([&] { frame([&] { w = main.showWindow(name); }); },
                            [&] {
                                // The previous one closed first, untimed.
                                if (auto *frame = w ? qobject_cast<QMdiSubWindow *>(w->parentWidget()) : nullptr)
                                    frame->close();
                                else if (w)
                                    w->close();
                                w = nullptr;
                                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                            });
        f.bare = medianMs([&] { bareOpen(dbPath, kRoadTable); });
        if (!w || !responder.shown().isEmpty())
            f.note = QStringLiteral("(the window did not open: %1)").arg(responder.texts().join(u'/'));
        printRow(c, f);
    }
    return true;
}

bool runCase(const Case &c, const QString &schools, const QString &work)
{
    const QString school = schoolOf(c, schools);
    if (school.isEmpty())
        return false;
    // The program folder of the case's windows; its data.mdb is the local database.
    const QString folder = QDir(work).filePath(QString::fromLatin1(c.key));
    QDir().mkpath(folder);
    const QString dbPath = QDir(folder).filePath(QStringLiteral("data.mdb"));
    QFile::remove(dbPath);
    if (!QFile::copy(school, dbPath)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(school));
        return false;
    }
    const QString code = roadClassCode();
    db::setChangeQueueFile(dbPath);
    QString exam;
    QList<qint64> ids;
    QStringList columns;
    {
        db::Connection conn(dbPath);   // a program connection: the queue is made ready
        columns = db::tableColumns(conn, kRoadTable);
        exam = school::FindExamsOfSubject(columns, kRoadSubject).value(0);
        const int students = conn.scalar(QStringLiteral(R"(select count(*) from "小学")")).toInt();
        const school::Statement members = school::classMembersQuery(kRoadTable, code, {QStringLiteral("ID")});
        QSqlQuery q = conn.query(members.sql, members.params);
        while (q.next())
            ids << q.value(0).toLongLong();
        std::fprintf(stderr, "%s: %d students, %lld columns in %s; class %s of %lld, exam %s\n", c.label, students,
                     static_cast<long long>(columns.size()), qPrintable(kRoadTable), qPrintable(code), static_cast<long long>(ids.size()),
                     qPrintable(exam));
    }
    if (ids.size() != 60 || exam.isEmpty())
        return false;
    SqliteFile bare(dbPath);

    // Choosing the class in 学籍管理: the window's query, its grid.
    if (wanted("choose")) {
        RegisterOnClass reg(dbPath);
        Figure f{QStringLiteral("学籍管理: choose a class of 60")};
        f.window = medianMs([&] { frame([&] { choose(reg.w->classCombo, kRoadClass); }); });
        const school::Statement q = school::classMembersQuery(kRoadTable, code);
        f.data = dataControlMs(dbPath, q);
        f.bare = medianMs([&] { bareSelect(bare.db(), q); });
        f.floor = gridFloorMs(reg.w->registerGrid);
        if (reg.w->registerRows().size() != 60 || !reg.responder.shown().isEmpty())
            f.note = QStringLiteral("(the window does not list the 60)");
        printRow(c, f);
    }

    ScoreEntryOnClass entry(dbPath);
    ScoreEntryWindow *w = entry.w;
    // The subject teacher signs in: creation is his.
    entry.main.session().denglu = w->chosenSubject().teacher;
    choose(w->subjectCombo, kRoadSubject);
    const int examIndex = w->examList().indexOf(exam);
    const auto openExam = [&] {
        w->examCombo->setCurrentIndex(examIndex);
        w->examChosen();
    };
    openExam();
    if (wanted("open")) {
        Figure f{QStringLiteral("成绩录入: open an exam of the class")};
        f.window = medianMs([&] { frame(openExam); });
        const school::Statement q = school::scoreSheetQuery(kRoadTable, code, exam);
        f.data = dataControlMs(dbPath, q);
        f.bare = medianMs([&] { bareSelect(bare.db(), q); });
        f.floor = gridFloorMs(filledGrid(w));
        if (w->scoreRows().size() != 60 || !entry.responder.shown().isEmpty())
            f.note = QStringLiteral("(the exam does not open on the 60)");
        printRow(c, f);
    }
    if (wanted("save")) {
        // Each run's 60 scores are entered through the seat/score box first, untimed.
        Figure f{QStringLiteral("成绩录入: save 60 scores")};
        int round = 0;
        int marked = 0;
        const auto enter = [&] {
            ++round;
            for (int seat = 1; seat <= 60; ++seat) {
                w->mixedBox->setText(QStringLiteral("%1/%2").arg(seat).arg(40 + (seat + round) % 60));
                entry.responder.answer(true);
                QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                QCoreApplication::sendEvent(w->mixedBox, &enter);
            }
            marked = int(std::count_if(w->scoreRows().cbegin(), w->scoreRows().cend(),
                                       [](const school::ScoreRow &r) { return !r.state.isEmpty(); }));
            entry.responder.clear();
        };
        f.window = medianMs([&] { frame([&] { w->SaveScores(); }); }, enter);
        // The data layer saves new scores over the stored ones each run.
        QList<school::ScoreRow> rows = w->scoreRows();
        f.data = medianMs(
            [&] {
                saveWith<score::ScoreSaveOutcome>(dbPath, [&](db::Connection &conn) {
                    return score::SaveScores(conn, kRoadTable, exam, rows);
                });
            },
            [&] {
                ++round;
                for (school::ScoreRow &r : rows) {
                    r.loaded = r.score ? QVariant(*r.score) : QVariant();
                    r.score = double(40 + (r.id + round) % 60);
                    r.state = QStringLiteral("1");
                }
            });
        openExam();   // the window reads what the data layer wrote
        enter();
        w->SaveScores();
        f.bare = medianMs([&] { bareSaveScores(dbPath, kRoadTable, exam, ids); });
        if (marked != 60 || entry.responder.texts() != QStringList{QStringLiteral("已经保存了60个学生的成绩。")})
            f.note = QStringLiteral("(%1 marked; %2)").arg(marked).arg(entry.responder.texts().join(u'/'));
        entry.responder.clear();
        printRow(c, f);
    }
    if (wanted("statistics")) {
        Figure f{QStringLiteral("成绩录入: statistics panel")};
        // The panel is closed before each run, as it is when the teacher asks for it.
        f.window = medianMs([&] { frame([&] { w->statisticsClicked(); }); }, [&] {
            w->closeStatisticsClicked();
            QCoreApplication::processEvents();
        });
        f.bare = medianMs([&] { bareStatistics(bare.db(), kRoadTable, code, exam); });
        if (!entry.responder.shown().isEmpty() || w->statisticsLabel->text().isEmpty())
            f.note = QStringLiteral("(no statistics shown)");
        w->closeStatisticsClicked();
        printRow(c, f);
    }
    if (wanted("create")) {
        // A quiz of the subject per run: 保存新考 asks, creates the column and opens it.
        Figure f{QStringLiteral("成绩录入: create an exam column")};
        int round = 0;
        const int before = w->examCombo->count();
        f.window = medianMs(
            [&] {
                frame([&] {
                    entry.responder.answer(true);
                    w->createExamButton->click();
                });
            },
            [&] {
                w->newExamButton->click();
                w->quizOption->click();
                w->examNameBox->setText(QStringLiteral("测%1").arg(++round));
                w->newFullMarkBox->setText(QStringLiteral("100"));
            });
        const int created = w->examCombo->count() - before;
        // The data layer: a connection on the file, then CreateExam.
        int made = 0;
        f.data = medianMs([&] {
            db::Connection conn(dbPath);
            score::CreateExam(conn, {kRoadTable, QStringLiteral("C层%1语文251015").arg(++made), kRoadGrade, kRoadClass,
                                     QStringLiteral("王芳"), QStringLiteral("李明"), QStringLiteral("100")});
        });
        int alter = 0;
        f.bare = medianMs([&] {
            const QByteArray sql =
                QStringLiteral(R"(ALTER TABLE "小学" ADD COLUMN "C裸%1语文251015" REAL)").arg(++alter).toUtf8();
            sqlite3_exec(bare.db(), sql.constData(), nullptr, nullptr, nullptr);
        });
        if (created != g_runs + 1)
            f.note = QStringLiteral("(%1 created; %2)").arg(created).arg(entry.responder.texts().join(u'/'));
        printRow(c, f);
    }
    entry.main.close();
    // The analyses before the import, which leaves the class without scores.
    if (!runAnalysisCase(c, dbPath, bare.db()) || !runWindowOpening(c, dbPath))
        return false;

    RegisterOnClass reg(dbPath);
    if (wanted("export")) {
        Figure f{QStringLiteral("学籍管理: export the register sheet")};
        RecordingWorkbookOpener opener;
        f.window = medianMs([&] { frame([&] { reg.w->exportClicked(); }); });
        QList<QList<QByteArray>> cells;
        for (int r = 0; r < reg.w->registerGrid->Rows(); ++r) {
            QList<QByteArray> row;
            for (int col = 0; col < reg::kRegisterGridCols; ++col)
                row << reg.w->registerGrid->TextMatrix(r, col).toUtf8();
            cells << row;
        }
        int i = 0;
        f.bare = medianMs([&] { bareExport(QDir(work).filePath(QStringLiteral("bare%1.xlsx").arg(i++)), cells); });
        if (opener.paths().size() != std::size_t(g_runs + 1))
            f.note = QStringLiteral("(the export was not written)");
        printRow(c, f);
    }
    if (wanted("import")) {
        Figure f{QStringLiteral("学籍管理: fresh import of 60 rows and save")};
        const QString roster = writeRoster(work, 60);
        ScriptedFileChooser chooser;
        RegisterWindow *rw = reg.w;
        bool saved = true;
        f.window = medianMs([&] { frame([&] { saved = freshImportAndSave(rw, chooser, roster) && saved; }); });
        f.bare = medianMs([&] { bareFreshImport(bare.db(), roster, kRoadTable, code); });
        if (!saved || rw->registerRows().size() != 60)
            f.note = QStringLiteral("(the import was not saved)");
        printRow(c, f);
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    applyProgramFont();
    QStringList cases;
    QString schools;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            g_runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--schools") && i + 1 < args.size())
            schools = args[++i];
        else if (args[i] == QLatin1String("--case") && i + 1 < args.size())
            cases << args[++i];
        else if (args[i] == QLatin1String("--op") && i + 1 < args.size())
            g_ops << args[++i];
        else if (args[i] == QLatin1String("--cpu"))
            g_cpuTime = true;
        else {
            std::fprintf(stderr, "usage: bench_main_road [--runs N] [--schools DIR] [--case small|large|wide]... [--op NAME]... [--cpu]\n");
            return 2;
        }
    }
    QTemporaryDir temp;
    if (!temp.isValid())
        return 1;
    if (schools.isEmpty())
        schools = temp.path();
    qputenv("TESSALY_EXPORTS", QFile::encodeName(QDir(temp.path()).filePath(QStringLiteral("exports"))));

    std::printf("| students × exam columns | operation | median ms | bare SQLite ms | ratio "
                "| grid floor ms | ratio to bare + floor | data layer ms | data layer / bare | note |\n");
    std::printf("|---|---|---:|---:|---:|---:|---:|---:|---:|---|\n");
    for (const Case &c : kCases) {
        if (cases.isEmpty() ? c.onlyWhenAsked : !cases.contains(QString::fromLatin1(c.key)))
            continue;
        if (!runCase(c, schools, temp.path()))
            return 1;
    }
    return 0;
}
