// 新生分班 through its controls: the step buttons and panels, the import panel on the
// shared roster and a small score list, the manual set-up, the cell editor's column
// rules, the placement with its class count, and the outputs.
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "fixtures/xlsx_file.h"
#include "kit/window_names.h"
#include "organisation/new_student_window.h"
#include "workbook/export_workbook.h"
#include "widgets/file_chooser.h"
#include "widgets/flex_grid.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace Qt::StringLiterals;
using namespace tessaly;
using namespace tessaly::organisation;
using namespace tessaly::test;

namespace {

const QString kRosters = QStringLiteral(TESSALY_WORKBOOKS "/rosters/");
const QColor kGreen(0, 255, 0);

QColor buttonColour(QPushButton *b)
{
    return b->palette().color(QPalette::Button);
}

// The contrast ratio of two colours (1 to 21); 4.5 reads as body text.
double contrast(const QColor &a, const QColor &b)
{
    auto luminance = [](const QColor &c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double x = luminance(a), y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// The text of a highlighted step against its face, with the step panel disabled as it
// is while the step's panel is open.
double stepContrast(QPushButton *b)
{
    const QPalette p = b->palette();
    return contrast(p.color(QPalette::Disabled, QPalette::ButtonText), p.color(QPalette::Disabled, QPalette::Button));
}

bool barFull(const QProgressBar *bar)
{
    return bar->value() == bar->maximum() && bar->maximum() > 0;
}

void clickHeader(NewStudentWindow *w, QRadioButton *option, const QString &header)
{
    option->click();
    const QList<QListWidgetItem *> items = w->sheetHeaderList->findItems(header, Qt::MatchExactly);
    QVERIFY2(!items.isEmpty(), qPrintable(header));
    w->sheetHeaderList->scrollToItem(items.first());
    QTest::mouseClick(w->sheetHeaderList->viewport(), Qt::LeftButton, {}, w->sheetHeaderList->visualItemRect(items.first()).center());
}

// The import panel opened on a workbook and one of its sheets.
void openSheet(NewStudentWindow *w, ScriptedFileChooser &chooser, const QString &path, const QString &sheet)
{
    w->importButton->click();
    chooser.answer(path);
    w->browseButton->click();
    choose(w->sheetCombo, sheet);
}

// Places the list into 2 classes and writes the classes back into its worksheet.
void placeInTwoAndWriteBack(WindowHarness &h, NewStudentWindow *w)
{
    h.responder.answer(true);
    w->placeButton->click();
    w->classCountBox->setText(u"2"_s);
    w->confirmClassCountButton->click();
    w->saveResultButton->click();
    w->writeBackOption->click();
    w->confirmOutputButton->click();
    QVERIFY2(h.responder.last().text.contains(u"分班结果已经存入"_s), qPrintable(h.responder.last().text));
}

// A small list: 代码, 姓名, 性别 and 23 score columns 科1 … 科23.
QString writeScoreList(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(u"scores.xlsx"_s);
    ExportWorkbook out;
    ExportSheet &s = out.addSheet(u"新生"_s);
    s.setText(1, 1, u"代码"_s);
    s.setText(1, 2, u"姓名"_s);
    s.setText(1, 3, u" 性别"_s);
    for (int k = 1; k <= 23; ++k)
        s.setText(1, 3 + k, u"科%1"_s.arg(k));
    const QStringList names{u"甲"_s, u"乙"_s, u"丙"_s, u"丁"_s};
    const QStringList sexes{u"男"_s, u"女"_s, u"女"_s, u"男 "_s};
    for (int r = 0; r < names.size(); ++r) {
        s.setText(r + 2, 1, QString::number(40 - r));
        s.setText(r + 2, 2, names[r]);
        s.setText(r + 2, 3, sexes[r]);
        for (int k = 1; k <= 23; ++k)
            s.setNumber(r + 2, 3 + k, 90 - 10 * r);
    }
    if (!out.saveAs(path))
        return QString();
    return path;
}

} // namespace

class TestNewStudentWindow : public QObject {
    Q_OBJECT

private slots:
    void opensWithItsSteps()
    {
        TestSchool school;
        WindowHarness h(school, {.realSize = true});
        h.trigger(u"fengban"_s);
        auto *w = h.openWindow<NewStudentWindow>(kNewStudentWindow);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), u"新生分班"_s);
        QCOMPARE(buttonColour(w->importButton), QColor(192, 192, 192));
        saveShot(h.main.grab().toImage(), u"新生分班-打开"_s);
        QCOMPARE(w->studentGrid->Rows(), 4);
        QCOMPARE(gridRow(w->studentGrid, 0).mid(0, 8),
                 (QStringList{u"代码"_s, u"姓  名 "_s, u"分班"_s, u"择班"_s, u"性别"_s, u"总分"_s, u"成绩1"_s,
                              u"成绩2"_s}));
        for (QFrame *panel : {w->importFrame, w->reportFrame, w->classCountFrame, w->manualFrame, w->outputFrame})
            QVERIFY(panel->isHidden());

        w->manualEntryButton->click();
        QVERIFY(!w->manualFrame->isHidden());
        QVERIFY(!w->stepsFrame->isEnabled() && !w->showErrorsButton->isEnabled());
        QCOMPARE(buttonColour(w->manualEntryButton), kGreen);
        QCOMPARE(buttonColour(w->importButton), buttonColour(w->checkButton));
        QVERIFY2(stepContrast(w->manualEntryButton) >= 4.5, qPrintable(QString::number(stepContrast(w->manualEntryButton))));
        saveShot(w->stepsFrame->grab().toImage(), u"新生分班-步骤"_s);
        w->cancelManualButton->click();
        QVERIFY(w->manualFrame->isHidden() && w->stepsFrame->isEnabled() && w->showAllButton->isEnabled());

        // The priority list moves its items and nothing else.
        w->priorityList->setCurrentRow(2);
        w->priorityUpButton->click();
        QCOMPARE(itemTexts(w->priorityList),
                 (QStringList{u"保证择班生"_s, u"总分均衡"_s, u"男女生均衡"_s, u"单科成绩均衡"_s}));
        w->priorityUpButton->click();
        w->priorityUpButton->click();
        QCOMPARE(w->priorityList->currentRow(), 0);
        QCOMPARE(w->priorityList->item(0)->text(), u"总分均衡"_s);

        // Nothing to check, place or output yet.
        for (QPushButton *b : {w->checkButton, w->saveResultButton}) {
            h.responder.clear();
            b->click();
            QCOMPARE(h.responder.last().text, kNoStudents);
            QCOMPARE(h.responder.last().title, u"提示……"_s);
        }
        QVERIFY(w->outputFrame->isHidden());
    }

    // The shared roster (.xls) through the panel: sheets, headers as stored, mapping,
    // the import summary; the mapping message when 性别 is not mapped.
    void importsTheRoster()
    {
        TestSchool school;
        WindowHarness h(school, {.realSize = true});
        ScriptedFileChooser chooser;
        auto *w = h.open<NewStudentWindow>(kNewStudentWindow);
        openSheet(w, chooser, kRosters + u"roster-45.xls"_s, u"初一(1)班"_s);
        QCOMPARE(chooser.requests().first().title, u"打开"_s);
        QVERIFY(w->studentGrid->isHidden());
        QCOMPARE(itemTexts(w->sheetCombo), (QStringList{u"初一(1)班"_s, u"说明"_s}));
        QCOMPARE(w->sheetHeaderList->count(), 17);
        clickHeader(w, w->codeOption, u"序号"_s);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        saveShot(h.main.grab().toImage(), u"新生分班-导入"_s);
        QCOMPARE(w->importFrame->height() >= w->importFrame->minimumSizeHint().height(), true);
        clickHeader(w, w->nameOption, u"姓名"_s);
        w->startImportButton->click();
        QCOMPARE(h.responder.last().text, u"没有新生分班所需要的全部信息，请按要求设置好全部内容。"_s);
        QVERIFY(!w->importFrame->isHidden());

        clickHeader(w, w->sexOption, u"性别"_s);
        QCOMPARE(w->codeColumnLabel->text(), u"序号"_s);
        QCOMPARE(w->sexColumnLabel->text(), u"性别"_s);
        w->startImportButton->click();
        QVERIFY(w->importFrame->isHidden() && !w->studentGrid->isHidden() && w->stepsFrame->isEnabled());
        QVERIFY(!w->reportFrame->isHidden());
        QCOMPARE(itemTexts(w->importResultList), (QStringList{u"代码→序号"_s, u"姓名→姓名"_s, u"性别→性别"_s}));
        QCOMPARE(w->studentGrid->Rows(), 46);
        QCOMPARE(gridRow(w->studentGrid, 1).mid(0, 6), (QStringList{u"1"_s, u"杜英"_s, u""_s, u""_s, u"男"_s, u"0"_s}));
        QCOMPARE(w->studentGrid->Cols(), 7);
        QCOMPARE(w->reportBox->toPlainText(), u"\n恭喜您！\n\n　　新生人数共：45人,无任何数据错误。"_s);
        QCOMPARE(w->progressLabel->text(), u"总计45人现45人"_s);
        QVERIFY(barFull(w->reportProgress));

        // 重填 clears the mapping; choosing the sheet again clears it too.
        w->importButton->click();
        w->resetImportButton->click();
        QCOMPARE(w->codeColumnLabel->text(), QString());
        QVERIFY(w->codeOption->isChecked());
    }

    // Headers listed as stored; the 23rd score column is refused; the placement written
    // back beside each student.
    void scoreMappingAndWriteBack()
    {
        TestSchool school;
        WindowHarness h(school);
        ScriptedFileChooser chooser;
        QTemporaryDir dir;
        const QString path = writeScoreList(dir);
        QVERIFY(!path.isEmpty());
        auto *w = h.open<NewStudentWindow>(kNewStudentWindow);
        openSheet(w, chooser, path, u"新生"_s);
        QCOMPARE(w->sheetHeaderList->item(2)->text(), u" 性别"_s);
        clickHeader(w, w->codeOption, u"代码"_s);
        clickHeader(w, w->nameOption, u"姓名"_s);
        clickHeader(w, w->sexOption, u" 性别"_s);
        for (int k = 1; k <= 22; ++k)
            clickHeader(w, w->scoreOption, u"科%1"_s.arg(k));
        QCOMPARE(w->scoreColumnList->count(), 22);
        h.responder.clear();
        clickHeader(w, w->scoreOption, u"科23"_s);
        QCOMPARE(w->scoreColumnList->count(), 22);
        QCOMPARE(h.responder.shown().size(), 1);
        QVERIFY(h.responder.last().text.contains(u"22"_s));
        w->startImportButton->click();
        QCOMPARE(w->table().scoreCount(), 22);
        QCOMPARE(w->studentGrid->TextMatrix(0, 27), u"科22"_s);
        QCOMPARE(w->studentGrid->TextMatrix(4, 28), u"无性别 "_s);   // "男 " is no sex
        QCOMPARE(w->studentGrid->TextMatrix(1, 5), u"1980"_s);

        // Placed, then written back: the classes land beside the students.
        placeInTwoAndWriteBack(h, w);
        QString error;
        auto reread = ImportWorkbook::open(path, &error);
        QVERIFY(reread && reread->selectSheet(0));
        QCOMPARE(reread->cell(1, 27), u"分班结果"_s);
        for (int r = 2; r <= 5; ++r) {
            const int row = findRow(w->studentGrid, kColCode, reread->cell(r, 1));
            QVERIFY(row > 0);
            QCOMPARE(reread->cell(r, 27), w->studentGrid->TextMatrix(row, kColPlaced));
        }

    }

    // A list with a title above its captions: the captions come from their row (the
    // panel says so), the students from the rows below, and the placement is written
    // back beside them with its caption in the caption row.
    void listWithATitleRow()
    {
        TestSchool school;
        WindowHarness h(school);
        ScriptedFileChooser chooser;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"titled.xlsx"_s);
        {
            ExportWorkbook out;
            ExportSheet &s = out.addSheet(u"新生"_s);
            s.setText(1, 1, u"2025级新生名单"_s);
            s.setText(2, 1, u"代码"_s);
            s.setText(2, 2, u"姓 名"_s);
            s.setText(2, 3, u"性别"_s);
            s.setText(2, 4, u"总分"_s);
            const QStringList names{u"甲"_s, u"乙"_s, u"丙"_s};
            for (int r = 0; r < names.size(); ++r) {
                s.setText(r + 3, 1, QString::number(r + 1));
                s.setText(r + 3, 2, names[r]);
                s.setText(r + 3, 3, r % 2 ? u"女"_s : u"男"_s);
                s.setNumber(r + 3, 4, 500 - r);
            }
            QVERIFY(out.saveAs(path));
        }
        auto *w = h.open<NewStudentWindow>(kNewStudentWindow);
        openSheet(w, chooser, path, u"新生"_s);
        QCOMPARE(itemTexts(w->sheetHeaderList), (QStringList{u"代码"_s, u"姓 名"_s, u"性别"_s, u"总分"_s}));
        QVERIFY(w->captionRowLabel->isVisible());
        QCOMPARE(w->captionRowLabel->text(), u"表的第1行不是列名：已把第2行作为列名行，学生资料从第3行读起。"_s);
        clickHeader(w, w->codeOption, u"代码"_s);
        clickHeader(w, w->nameOption, u"姓 名"_s);
        clickHeader(w, w->sexOption, u"性别"_s);
        clickHeader(w, w->scoreOption, u"总分"_s);
        w->resetImportButton->click();   // 重填: the bindings go, the caption row stays
        clickHeader(w, w->codeOption, u"代码"_s);
        clickHeader(w, w->nameOption, u"姓 名"_s);
        clickHeader(w, w->sexOption, u"性别"_s);
        clickHeader(w, w->scoreOption, u"总分"_s);
        w->startImportButton->click();
        QCOMPARE(w->table().rows.size(), 3);
        QCOMPARE(w->table().rows.first().name, u"甲"_s);
        QCOMPARE(w->table().rows.first().sheetRow, 3);

        placeInTwoAndWriteBack(h, w);
        QString error;
        auto reread = ImportWorkbook::open(path, &error);
        QVERIFY(reread && reread->selectSheet(0));
        QCOMPARE(reread->cell(1, 5), QString());
        QCOMPARE(reread->cell(2, 5), u"分班结果"_s);
        for (int r = 3; r <= 5; ++r) {
            const int row = findRow(w->studentGrid, kColCode, reread->cell(r, 1));
            QVERIFY(row > 0);
            QCOMPARE(reread->cell(r, 5), w->studentGrid->TextMatrix(row, kColPlaced));
        }
    }

    void manualEntryAndEditor()
    {
        TestSchool school;
        WindowHarness h(school);
        auto *w = h.open<NewStudentWindow>(kNewStudentWindow);
        w->manualEntryButton->click();
        w->subjectsBox->setText(u"语文*数学*"_s);
        w->confirmManualButton->click();
        QCOMPARE(h.responder.last().text, u"请输入所需要内容"_s);
        QVERIFY(!w->manualFrame->isHidden());
        typeKeys(w->studentCountBox, u"3a"_s);
        QCOMPARE(w->studentCountBox->text(), u"3"_s);
        w->confirmManualButton->click();
        QVERIFY(w->manualFrame->isHidden());
        QCOMPARE(gridColumn(w->studentGrid, kColCode), (QStringList{u"1"_s, u"2"_s, u"3"_s}));
        QCOMPARE(gridRow(w->studentGrid, 0).mid(6), (QStringList{u"语文"_s, u"数学"_s, u"　　　　数   据   错   误　　　　"_s}));

        // Right after the set-up there is no name: nothing to check.
        w->checkButton->click();
        QCOMPARE(h.responder.last().text, kNoStudents);

        // 代码 and the error column open no editor.
        clickCell(w->studentGrid, 1, kColCode);
        QVERIFY(w->cellEditorBox->isHidden());
        clickCell(w->studentGrid, 1, 8);
        QVERIFY(w->cellEditorBox->isHidden());

        // Types into a cell and leaves it; the editor's text as typed ("<closed>" when
        // no editor opened).
        auto type = [&](int row, int col, const QString &keys) -> QString {
            clickCell(w->studentGrid, row, col);
            if (!w->cellEditorBox->isVisible())
                return u"<closed>"_s;
            w->cellEditorBox->selectAll();
            typeKeys(w->cellEditorBox, keys);
            const QString shown = w->cellEditorBox->text();
            w->studentGrid->setFocus();
            QTest::qWait(0);
            return shown;
        };
        type(1, kColName, u"张三"_s);
        type(1, kColSex, u"女"_s);
        type(2, kColName, u"李四"_s);
        type(2, kColSex, u"x"_s);
        QCOMPARE(w->studentGrid->TextMatrix(2, kColSex), QString());
        QCOMPARE(type(1, 6, u"8。5a"_s), u"8.5"_s);
        type(2, 6, u"90"_s);
        type(1, 7, u"8.5.5"_s);
        w->classCountBox->setText(u"2"_s);
        QCOMPARE(type(1, kColChosen, u"3"_s), QString());
        QCOMPARE(type(1, kColChosen, u"2x"_s), u"2"_s);
        QCOMPARE(w->table().rows[0].chosen, u"2"_s);
        QCOMPARE(w->table().rows[0].name, u"张三"_s);

        w->checkButton->click();
        QCOMPARE(buttonColour(w->checkButton), kGreen);
        QVERIFY(barFull(w->reportProgress));
        QCOMPARE(w->studentGrid->TextMatrix(1, 7), QString());
        QCOMPARE(w->studentGrid->TextMatrix(1, kColTotal), u"8.5"_s);
        QCOMPARE(w->studentGrid->TextMatrix(1, 8), u"缺成绩 "_s);
        QCOMPARE(w->studentGrid->TextMatrix(3, 8), u"无姓名 无性别 缺成绩 "_s);
        QVERIFY(w->reportBox->toPlainText().startsWith(u"新生人数共：3人,其中（3）人数据错误"_s));

        // The row filter hides the rows without errors; 显示全部情况 shows them again.
        type(2, kColSex, u"男"_s);
        type(2, 7, u"80"_s);
        w->checkButton->click();
        w->showErrorsButton->click();
        QCOMPARE(w->studentGrid->RowHeight(2), 0);
        QVERIFY(w->studentGrid->RowHeight(1) > 0);
        w->showAllButton->click();
        QVERIFY(w->studentGrid->RowHeight(2) > 0);
    }

    // More classes than students: every student is placed, the classes left over stay
    // empty and the report says so.
    void moreClassesThanStudents()
    {
        TestSchool school;
        WindowHarness h(school, {.realSize = true});
        ScriptedFileChooser chooser;
        auto *w = h.open<NewStudentWindow>(kNewStudentWindow);
        openSheet(w, chooser, kRosters + u"roster-45.xlsx"_s, u"初一(1)班"_s);
        clickHeader(w, w->codeOption, u"序号"_s);
        clickHeader(w, w->nameOption, u"姓名"_s);
        clickHeader(w, w->sexOption, u"性别"_s);
        w->startImportButton->click();
        h.responder.answer(true);
        w->placeButton->click();
        QVERIFY(!w->classCountFrame->isHidden());
        h.responder.clear();
        w->classCountBox->setText(u"46"_s);
        w->confirmClassCountButton->click();
        QVERIFY(h.responder.texts().isEmpty());
        QVERIFY(w->classCountFrame->isHidden() && !w->reportFrame->isHidden());
        const QString report = w->reportBox->toPlainText();
        QVERIFY(report.startsWith(u"新生人数共：45人"_s));
        const QString lastClass = report.mid(report.indexOf(u"46班情况："_s));
        QVERIFY2(lastClass.contains(u"班内总人数：0(男0 女0 不详0人)"_s), qPrintable(lastClass));
        const QStringList placed = gridColumn(w->studentGrid, kColPlaced).mid(0, 45);
        QVERIFY(!placed.contains(QString()));
        QVERIFY(!placed.contains(u"46"_s));
    }

    // Step ⑤: the check, the question, the class count (a count below 1 is refused
    // like a non-number), the placement; then the class lists handed to the user.
    void placesAndWritesClassLists()
    {
        TestSchool school;
        WindowHarness h(school, {.realSize = true});
        ScriptedFileChooser chooser;
        QTemporaryDir exports;
        ExportsFolder folder(exports.path());
        RecordingWorkbookOpener opener;
        auto *w = h.open<NewStudentWindow>(kNewStudentWindow);
        openSheet(w, chooser, kRosters + u"roster-45.xlsx"_s, u"初一(1)班"_s);
        clickHeader(w, w->codeOption, u"序号"_s);
        clickHeader(w, w->nameOption, u"姓名"_s);
        clickHeader(w, w->sexOption, u"性别"_s);
        clickHeader(w, w->scoreOption, u"序号"_s);
        w->startImportButton->click();

        w->placeButton->click();   // No: nothing more
        QCOMPARE(h.responder.last().text, u"是否继续分班？"_s);
        QVERIFY(w->classCountFrame->isHidden() && w->reportFrame->isHidden());
        h.responder.answer(true);
        w->placeButton->click();
        QVERIFY(!w->classCountFrame->isHidden());
        QCOMPARE(buttonColour(w->placeButton), kGreen);

        for (const QString &bad : {u"0.4"_s, u"两"_s}) {
            w->classCountBox->setText(bad);
            w->confirmClassCountButton->click();
            QCOMPARE(h.responder.last().text, u"请输入数字"_s);
            QCOMPARE(h.responder.last().title, u"Tessaly"_s);
            QCOMPARE(w->classCountBox->text(), QString());
            QVERIFY(!w->classCountFrame->isHidden());
        }
        QCOMPARE(gridColumn(w->studentGrid, kColPlaced).first(), QString());
        w->classCountBox->setText(u"4"_s);
        w->confirmClassCountButton->click();
        QVERIFY(w->classCountFrame->isHidden() && !w->reportFrame->isHidden());
        QVERIFY(w->reportBox->toPlainText().startsWith(u"新生人数共：45人"_s));
        QVERIFY(barFull(w->reportProgress));
        QStringList codes = gridColumn(w->studentGrid, kColCode);
        QCOMPARE(codes.first(), u"1"_s);
        QCOMPARE(codes.last(), u"45"_s);
        QVERIFY(!gridColumn(w->studentGrid, kColPlaced).contains(QString()));
        saveShot(h.main.grab().toImage(), u"新生分班-分班"_s);

        w->saveResultButton->click();
        QVERIFY(!w->outputFrame->isHidden() && !w->stepsFrame->isEnabled());
        QVERIFY(w->byClassOption->isChecked());
        w->confirmOutputButton->click();
        QVERIFY(w->outputFrame->isHidden() && w->stepsFrame->isEnabled());
        QCOMPARE(opener.paths().size(), 1);
        XlsxFile x(opener.paths().first());
        QCOMPARE(x.sheetNames(), (QStringList{u"第1班"_s, u"第2班"_s, u"第3班"_s, u"第4班"_s}));

        // A class count above the number of students, typed after the placement, is not
        // used: the lists follow the classes placed.
        w->classCountBox->setText(u"46"_s);
        w->saveResultButton->click();
        QVERIFY(w->byClassOption->isChecked());
        w->confirmOutputButton->click();
        QCOMPARE(opener.paths().size(), 2);
        QCOMPARE(XlsxFile(opener.paths().last()).sheetNames(), x.sheetNames());

        w->saveResultButton->click();
        w->originalOrderOption->click();
        w->confirmOutputButton->click();
        QCOMPARE(opener.paths().size(), 3);
        QString error;
        auto list = ImportWorkbook::open(opener.paths().last(), &error);
        QVERIFY(list && list->selectSheet(0));
        QCOMPARE(list->usedRows(), 46);
        QCOMPARE(list->usedCols(), 7);

        // Opening another workbook releases the roster: the list is no longer from an open one.
        w->importButton->click();
        chooser.answer(kRosters + u"roster-45.xls"_s);
        w->browseButton->click();
        w->cancelImportButton->click();
        w->saveResultButton->click();
        w->writeBackOption->click();
        w->confirmOutputButton->click();
        QVERIFY(h.responder.last().text.contains(u"无法把分班结果存回原表"_s));
    }

    // A student without 代码 stands first after the placement: the list can still be
    // checked and output. The class lists follow the placement made, not a class count
    // typed into the box since.
    void codelessStudentAndLaterClassCount()
    {
        TestSchool school;
        WindowHarness h(school);
        ScriptedFileChooser chooser;
        QTemporaryDir dir;
        ExportsFolder folder(dir.path());
        RecordingWorkbookOpener opener;
        const QString path = dir.filePath(u"six.xlsx"_s);
        const QStringList names{u"甲"_s, u"乙"_s, u"丙"_s, u"丁"_s, u"戊"_s, u"己"_s};
        QList<QStringList> rows{{u"代码"_s, u"姓名"_s, u"性别"_s, u"总分"_s}};
        for (int i = 0; i < names.size(); ++i)
            rows << QStringList{i == 3 ? QString() : QString::number(101 + i), names[i], i % 2 ? u"女"_s : u"男"_s,
                                QString::number(600 - 20 * i)};
        writeWorkbook(path, {{u"新生"_s, rows}});
        auto *w = h.open<NewStudentWindow>(kNewStudentWindow);
        openSheet(w, chooser, path, u"新生"_s);
        clickHeader(w, w->codeOption, u"代码"_s);
        clickHeader(w, w->nameOption, u"姓名"_s);
        clickHeader(w, w->sexOption, u"性别"_s);
        clickHeader(w, w->scoreOption, u"总分"_s);
        w->startImportButton->click();
        h.responder.answer(true);
        w->placeButton->click();
        w->classCountBox->setText(u"3"_s);
        w->confirmClassCountButton->click();
        QCOMPARE(w->studentGrid->TextMatrix(1, kColCode), QString());
        QCOMPARE(w->studentGrid->TextMatrix(1, kColName), u"丁"_s);

        h.responder.clear();
        w->checkButton->click();
        QVERIFY(h.responder.shown().isEmpty());
        QVERIFY(w->reportBox->toPlainText().contains(u"新生人数共：6人"_s));

        // 进行分班 again, 2 typed into the box, then 取消: the placement into 3 stands.
        h.responder.answer(true);
        w->placeButton->click();
        QCOMPARE(h.responder.last().text, u"是否继续分班？"_s);
        QVERIFY(!w->classCountFrame->isHidden());
        w->classCountBox->setText(u"2"_s);
        w->cancelClassCountButton->click();

        h.responder.clear();
        w->saveResultButton->click();
        QVERIFY(h.responder.shown().isEmpty());
        QVERIFY(!w->outputFrame->isHidden());
        w->confirmOutputButton->click();
        QCOMPARE(opener.paths().size(), 1);
        QString error;
        auto lists = ImportWorkbook::open(opener.paths().first(), &error);
        QVERIFY2(lists, qPrintable(error));
        QCOMPARE(lists->sheetNames(), (QStringList{u"第1班"_s, u"第2班"_s, u"第3班"_s}));
        QStringList listed;
        for (int c = 0; c < 3; ++c) {
            QVERIFY(lists->selectSheet(c));
            for (int r = 3; !lists->cell(r, 2).isEmpty() || !lists->cell(r, 3).isEmpty(); ++r)
                listed << lists->cell(r, 3);
        }
        listed.sort();
        QStringList all = names;
        all.sort();
        QCOMPARE(listed, all);
    }

    // The window works on its sheet: the class count typed, a class typed into the grid,
    // the placement and the write-back reach it, and the grid shows what it kept.
    void worksOnItsSheet()
    {
        TestSchool school;
        WindowHarness h(school);
        ScriptedFileChooser chooser;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"four.xlsx"_s);
        writeWorkbook(path, {{u"新生"_s,
                              {{u"代码"_s, u"姓名"_s, u"性别"_s, u"总分"_s},
                               {u"1"_s, u"甲"_s, u"男"_s, u"600"_s},
                               {u"2"_s, u"乙"_s, u"女"_s, u"580"_s},
                               {u"3"_s, u"丙"_s, u"男"_s, u"560"_s},
                               {u"4"_s, u"丁"_s, u"女"_s, u"540"_s}}}});
        auto *w = h.open<NewStudentWindow>(kNewStudentWindow);
        openSheet(w, chooser, path, u"新生"_s);
        QCOMPARE(w->sheet().sheetHeaders(), (QStringList{u"代码"_s, u"姓名"_s, u"性别"_s, u"总分"_s}));
        clickHeader(w, w->codeOption, u"代码"_s);
        clickHeader(w, w->nameOption, u"姓名"_s);
        clickHeader(w, w->sexOption, u"性别"_s);
        clickHeader(w, w->scoreOption, u"总分"_s);
        w->startImportButton->click();
        QVERIFY(w->sheet().listFromBook());
        QVERIFY(!w->sheet().hasUnsaved());

        h.responder.answer(true);
        w->placeButton->click();
        w->classCountBox->setText(u"2"_s);
        QCOMPARE(w->sheet().classCount(), std::optional<int>(2));
        w->confirmClassCountButton->click();
        QCOMPARE(w->sheet().placedClasses(), 2);
        QVERIFY(w->sheet().hasUnsaved());
        for (int r = 0; r < 4; ++r)
            QCOMPARE(w->studentGrid->TextMatrix(r + 1, kColPlaced), w->sheet().table().rows[r].placed);

        w->saveResultButton->click();
        w->writeBackOption->click();
        w->confirmOutputButton->click();
        QVERIFY2(h.responder.last().text.contains(u"分班结果已经存入"_s), qPrintable(h.responder.last().text));
        QVERIFY(!w->sheet().hasUnsaved());

        // A class typed into 分班 goes to the sheet and waits for the next write-back.
        const QString other = w->sheet().table().rows[0].placed == u"1"_s ? u"2"_s : u"1"_s;
        clickCell(w->studentGrid, 1, kColPlaced);
        QVERIFY(w->cellEditorBox->isVisible());
        w->cellEditorBox->selectAll();
        typeKeys(w->cellEditorBox, other);
        w->studentGrid->setFocus();
        QTest::qWait(0);
        QCOMPARE(w->sheet().table().rows[0].placed, other);
        QCOMPARE(w->studentGrid->TextMatrix(1, kColPlaced), other);
        QVERIFY(w->sheet().hasUnsaved());
    }
};

QTEST_MAIN(TestNewStudentWindow)
#include "tst_new_student_window.moc"
