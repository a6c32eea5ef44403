// 新生分班 on a year's intake: 600 new students with 9 entrance-exam scores (every
// twentieth with a chosen class, a few without sex or scores), placed into 12 classes,
// and the 12 class lists written. Each as the bare rule (PlaceStudents; the class-list
// workbook built and saved) and through the window (the list imported from an .xlsx,
// 确定 of the class-count panel; 确定 of the output panel with the class lists chosen).
// The new students are not in the school's database: the list is generated here.
#include "run_benchmarks.h"

#include "kit/window_names.h"
#include "app/main_window.h"
#include "organisation/new_student_window.h"
#include "organisation/new_students.h"
#include "workbook/export_workbook.h"
#include "widgets/file_chooser.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

using namespace tessaly;
using namespace tessaly::organisation;

namespace {

constexpr int kStudents = 600;
constexpr int kClasses = 12;
const QStringList kSubjects{QStringLiteral("语文"), QStringLiteral("数学"), QStringLiteral("英语"),
                            QStringLiteral("物理"), QStringLiteral("化学"), QStringLiteral("生物"),
                            QStringLiteral("政治"), QStringLiteral("历史"), QStringLiteral("地理")};

QString g_tempFolder;
QString g_list;   // the intake as an .xlsx
NewStudentTable g_table;

// The intake, checked as after an import.
NewStudentTable makeIntake()
{
    QRandomGenerator random(20250901);
    NewStudentTable table = manualTable(kStudents, kSubjects);
    table.sourceSheet = 0;
    table.codeColumn = 1;
    for (int i = 0; i < kStudents; ++i) {
        NewStudent &row = table.rows[i];
        row.code = QString::number(20250001 + (i * 7919) % kStudents);   // not in code order
        row.name = QStringLiteral("新生%1").arg(i + 1);
        row.sex = i % 97 == 0 ? QString() : (random.bounded(2) ? QStringLiteral("男") : QStringLiteral("女"));
        for (QString &score : row.scores)
            score = i % 151 == 0 ? QString() : QString::number(40 + random.bounded(600) / 10.0);
        if (i % 20 == 0)
            row.chosen = QString::number(1 + random.bounded(kClasses));
        row.sheetRow = i + 2;
    }
    CheckStudentData(table);
    return table;
}

QString writeList(const NewStudentTable &table)
{
    ExportWorkbook book;
    ExportSheet &s = book.addSheet(QStringLiteral("新生"));
    const QStringList headers = QStringList{QStringLiteral("代码"), QStringLiteral("姓名"), QStringLiteral("性别")} + kSubjects;
    for (int c = 0; c < headers.size(); ++c)
        s.setText(1, c + 1, headers[c]);
    for (int r = 0; r < table.rows.size(); ++r) {
        const NewStudent &row = table.rows[r];
        s.setText(r + 2, 1, row.code);
        s.setText(r + 2, 2, row.name);
        s.setText(r + 2, 3, row.sex);
        for (int k = 0; k < row.scores.size(); ++k)
            s.setValue(r + 2, 4 + k, row.scores[k]);
    }
    const QString path = QDir(g_tempFolder).filePath(QStringLiteral("intake-600.xlsx"));
    return book.saveAs(path) ? path : QString();
}

void BM_PlaceStudents_Bare(benchmark::State &state)
{
    for (auto _ : state) {
        NewStudentTable table = g_table;
        const QString report = PlaceStudents(table, kClasses);
        benchmark::DoNotOptimize(report);
    }
}
BENCHMARK(BM_PlaceStudents_Bare)->Unit(benchmark::kMillisecond);

void BM_WriteClassLists_Bare(benchmark::State &state)
{
    NewStudentTable placed = g_table;
    PlaceStudents(placed, kClasses);
    const QString path = QDir(g_tempFolder).filePath(QStringLiteral("lists.xlsx"));
    for (auto _ : state) {
        ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
        fillClassLists(book, placed, kClasses);
        if (!book.saveAs(path))
            state.SkipWithError("class lists not written");
    }
}
BENCHMARK(BM_WriteClassLists_Bare)->Unit(benchmark::kMillisecond);

// The window with the intake imported through its panel.
struct Window {
    ScriptedResponder responder;
    ScriptedFileChooser chooser;
    MainWindow main{g_tempFolder};
    NewStudentWindow *w = nullptr;

    Window()
    {
        w = qobject_cast<NewStudentWindow *>(main.showWindow(kNewStudentWindow));
        w->importButton->click();
        chooser.answer(g_list);
        w->browseButton->click();
        w->sheetCombo->setCurrentIndex(0);
        w->sheetChosen();
        auto map = [this](QRadioButton *option, int position) {
            option->setChecked(true);
            w->sheetHeaderList->setCurrentRow(position);
            w->sheetHeaderChosen();
        };
        map(w->codeOption, 0);
        map(w->nameOption, 1);
        map(w->sexOption, 2);
        for (int k = 0; k < kSubjects.size(); ++k)
            map(w->scoreOption, 3 + k);
        w->startImportButton->click();
        w->classCountBox->setText(QString::number(kClasses));
    }
};

void BM_PlaceStudents_Window(benchmark::State &state)
{
    Window win;
    if (win.w->studentGrid->Rows() != kStudents + 1)
        state.SkipWithError("intake not imported");
    for (auto _ : state) {
        win.w->confirmClassCountButton->click();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_PlaceStudents_Window)->Unit(benchmark::kMillisecond);

void BM_WriteClassLists_Window(benchmark::State &state)
{
    Window win;
    RecordingWorkbookOpener opener;
    win.w->confirmClassCountButton->click();
    for (auto _ : state) {
        win.w->saveResultButton->click();
        win.w->byClassOption->setChecked(true);
        win.w->confirmOutputButton->click();
    }
    if (opener.paths().isEmpty())
        state.SkipWithError("class lists not handed over");
}
BENCHMARK(BM_WriteClassLists_Window)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return tessaly::bench::runBenchmarks(argc, argv, [](const QString &temp) {
        g_tempFolder = temp;
        qputenv("TESSALY_EXPORTS", QFile::encodeName(QDir(temp).filePath(QStringLiteral("exports"))));
        g_table = makeIntake();
        g_list = writeList(g_table);
        if (g_list.isEmpty()) {
            std::fprintf(stderr, "the intake list could not be written\n");
            return false;
        }
        std::fprintf(stderr, "%d new students, %d subjects, into %d classes\n", kStudents, int(kSubjects.size()), kClasses);
        return true;
    });
}
