// 学籍管理's import panel and export, driven through their controls on a TestSchool
// with a fixed day (15 October 2005: 初一年级组 is the cohort 2005, 一班 the class
// code 200501): the shared 45-student rosters, small workbooks for odd cases, and the
// register sheet read back from the exported file.
#include "fixtures/files.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "fixtures/xlsx_file.h"
#include "kit/window_names.h"
#include "workbook/export_workbook.h"
#include "widgets/file_chooser.h"
#include "widgets/flex_grid.h"
#include "workbook/import_workbook.h"
#include "register/register_grid.h"
#include "register/register_import.h"
#include "register/register_window.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace tessaly::reg;

namespace {

const QString kJunior = QStringLiteral("初中");
const QString kGrade1 = QStringLiteral("初一年级组");
const QString kClass1 = QStringLiteral("一班");
const QString kClass2 = QStringLiteral("二班");
const QString kEmptyClass = QStringLiteral("三班");
const QString kWang = QStringLiteral("王老师");
const QDate kToday(2005, 10, 15);
const QString kRosters = QStringLiteral(TESSALY_WORKBOOKS "/rosters/");
const QString kRosterSheet = QStringLiteral("初一(1)班");

// The header of each field in the rosters, in binding order.
const QStringList kRosterHeaders{
    QStringLiteral("姓名"),     QStringLiteral("性别"),     QStringLiteral("民族"),     QStringLiteral("出生日期"),
    QStringLiteral("原毕业学校"), QStringLiteral("联系电话"), QStringLiteral("家庭住址"), QStringLiteral("家长姓名"),
    QStringLiteral("家长单位"), QStringLiteral("住宿"),     QStringLiteral("备注"),     QStringLiteral("特长"),
    QStringLiteral("政治面貌"), QStringLiteral("户口性质"), QStringLiteral("籍贯"),     QStringLiteral("与生关系")};

// 初一年级组 一班 (王老师, t123): 01 张三, 02 李四, 03 杜英 (a roster name);
// 二班 (李老师): 01 钱七; 三班 (赵老师): nobody.
struct School {
    TestSchool school;
    int zhang = 0, li = 0, du = 0, qian = 0;
    School()
    {
        school.addGradeGroup(kGrade1);
        school.addClass(kGrade1, kClass1, kWang, QStringLiteral("t123"));
        school.addClass(kGrade1, kClass2, QStringLiteral("李老师"), QStringLiteral("l456"));
        school.addClass(kGrade1, kEmptyClass, kWang, QStringLiteral("t123"));
        zhang = school.addStudent(kJunior, QStringLiteral("20050101"), QStringLiteral("张三"));
        li = school.addStudent(kJunior, QStringLiteral("20050102"), QStringLiteral("李四"));
        du = school.addStudent(kJunior, QStringLiteral("20050103"), QStringLiteral("杜英"),
                               {{QStringLiteral("性别"), QStringLiteral("女")}});
        qian = school.addStudent(kJunior, QStringLiteral("20050201"), QStringLiteral("钱七"));
        school.closeDb();
    }
    // The class's stored students, "学籍号 姓名" in number order.
    QStringList stored(const QString &code = QStringLiteral("200501"))
    {
        QStringList out;
        const int n = school.count(QStringLiteral("select count(*) from \"初中\" where \"学籍号\" like ?"),
                                   {code + QLatin1Char('%')});
        for (int i = 0; i < n; ++i)
            out << school
                       .value(QStringLiteral("select \"学籍号\" || ' ' || \"姓名\" from \"初中\" where \"学籍号\" like ? "
                                             "order by \"学籍号\" limit 1 offset ?"),
                              {code + QLatin1Char('%'), i})
                       .toString();
        school.closeDb();
        return out;
    }
};

WindowHarness::Options at(const QString &signedIn = kWang)
{
    return {.signedIn = signedIn, .today = kToday, .realSize = true};
}

RegisterWindow *openClass(WindowHarness &h, const QString &klass = kClass1)
{
    auto *w = h.open<RegisterWindow>(kRegisterWindow);
    if (w) {
        choose(w->gradeGroupCombo, kGrade1);
        choose(w->classCombo, klass);
    }
    return w;
}

// Opens the workbook through 浏览 and the chooser.
void browse(RegisterWindow *w, ScriptedFileChooser &chooser, const QString &path)
{
    chooser.answer(path);
    w->browseButton->click();
}

// Binds a field: its option, then a click on the header.
void bindField(RegisterWindow *w, int field, const QString &header)
{
    w->fieldOption(field)->click();
    const QList<QListWidgetItem *> items = w->sheetHeaderList->findItems(header, Qt::MatchExactly);
    QVERIFY2(!items.isEmpty(), qPrintable(header));
    w->sheetHeaderList->scrollToItem(items.first());
    QTest::mouseClick(w->sheetHeaderList->viewport(), Qt::LeftButton, {}, w->sheetHeaderList->visualItemRect(items.first()).center());
}

// Opens the panel, the workbook and its sheet, and binds the fields named.
void prepare(RegisterWindow *w, ScriptedFileChooser &chooser, const QString &path, const QString &sheet,
             const QList<int> &fields)
{
    w->importButton->click();
    browse(w, chooser, path);
    choose(w->sheetCombo, sheet);
    for (int f : fields)
        bindField(w, f, kRosterHeaders[f]);
}

QList<int> allFields()
{
    QList<int> all;
    for (int f = 0; f < kImportFieldCount; ++f)
        all << f;
    return all;
}

bool rowHidden(RegisterWindow *w, int row)
{
    return w->registerGrid->RowHeight(row) == 0;
}

// The shown grid rows, columns 编号 … 性别 and the row state: "1|20050101|杜英|男|1".
QStringList shownRows(RegisterWindow *w)
{
    QStringList out;
    for (int r = 1; r < w->registerGrid->Rows(); ++r) {
        if (rowHidden(w, r))
            continue;
        out << QStringList{w->registerGrid->TextMatrix(r, kColNumber), w->registerGrid->TextMatrix(r, kColStudentNumber),
                           w->registerGrid->TextMatrix(r, kColName), w->registerGrid->TextMatrix(r, kColSex),
                           w->registerGrid->TextMatrix(r, kColRowState)}
                   .join(QLatin1Char('|'));
    }
    return out;
}

} // namespace

class TestRegisterImportWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    QString workbook(const QList<TestSheet> &sheets)
    {
        const QString path = m_dir.filePath(QStringLiteral("book%1.xlsx").arg(++m_files));
        writeWorkbook(path, sheets);
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void panelOpensAndCloses()
    {
        School s;
        WindowHarness h(s.school, at());
        ScriptedFileChooser chooser;
        RegisterWindow *w = openClass(h);
        QVERIFY(w->editFrame->isEnabled());
        w->importButton->click();
        QVERIFY(w->importFrame->isVisible());
        for (QWidget *off : {static_cast<QWidget *>(w->editFrame), static_cast<QWidget *>(w->choiceFrame),
                             static_cast<QWidget *>(w->signInButton), static_cast<QWidget *>(w->exportButton)})
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        QCOMPARE(w->importModeOptions[0]->text(), kFreshImportCaption);
        QCOMPARE(w->importModeOptions[1]->text(), kByNameImportCaption);
        QVERIFY(!w->importModeOptions[0]->isChecked() && !w->importModeOptions[1]->isChecked());

        // 浏览 offers .xlsx and .xls together first; a cancel changes nothing.
        chooser.cancel();
        w->browseButton->click();
        QCOMPARE(chooser.requests().size(), 1);
        QCOMPARE(chooser.requests().first().title, QStringLiteral("打开"));
        QCOMPARE(chooser.requests().first().filters.first().patterns,
                 (QStringList{QStringLiteral("*.xlsx"), QStringLiteral("*.xls")}));
        QCOMPARE(w->workbookPathBox->text(), QString());
        QVERIFY(!w->importWorkbook());

        browse(w, chooser, kRosters + QStringLiteral("roster-45.xlsx"));
        QCOMPARE(itemTexts(w->sheetCombo), (QStringList{kRosterSheet, QStringLiteral("说明")}));
        QCOMPARE(w->sheetCombo->currentIndex(), -1);
        QCOMPARE(w->sheetHeaderList->count(), 0);
        w->cancelImportButton->click();
        QVERIFY(!w->importFrame->isVisible());
        for (QWidget *on : {static_cast<QWidget *>(w->editFrame), static_cast<QWidget *>(w->choiceFrame),
                            static_cast<QWidget *>(w->signInButton), static_cast<QWidget *>(w->exportButton)})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        // Reopened, the panel still holds the workbook.
        w->importButton->click();
        QCOMPARE(w->sheetCombo->count(), 2);
        QVERIFY(h.responder.shown().isEmpty());
    }

    // The sheet's headers up to the first empty cell; a new sheet resets every
    // binding, 性别 too; the mode is preset without a message.
    void sheetChoiceListsHeadersAndResetsBindings()
    {
        School s;
        WindowHarness h(s.school, at());
        ScriptedFileChooser chooser;
        RegisterWindow *w = openClass(h);
        const QString path = workbook(
            {{QStringLiteral("花名册"), {{QStringLiteral("姓名"), QStringLiteral(" 性别 "), QStringLiteral("民族")},
                                          {QStringLiteral("张三"), QStringLiteral("男")}}},
             {QStringLiteral("第二表"), {{QStringLiteral("学生"), QStringLiteral("性别"), QString(), QStringLiteral("电话")},
                                          {QStringLiteral("张三"), QStringLiteral("女"), QString(), QStringLiteral("1")}}}});
        w->importButton->click();
        browse(w, chooser, path);
        QCOMPARE(itemTexts(w->sheetCombo), (QStringList{QStringLiteral("花名册"), QStringLiteral("第二表")}));
        choose(w->sheetCombo, QStringLiteral("花名册"));
        QCOMPARE(itemTexts(w->sheetHeaderList), (QStringList{QStringLiteral("姓名"), QStringLiteral("性别"), QStringLiteral("民族")}));
        QVERIFY(w->fieldOption(kFieldName)->isChecked());
        QVERIFY(w->importModeOptions[1]->isChecked());   // the class has students
        bindField(w, kFieldName, QStringLiteral("姓名"));
        bindField(w, kFieldSex, QStringLiteral("性别"));
        bindField(w, 2, QStringLiteral("性别"));   // two fields may share a header
        bindField(w, 2, QStringLiteral("民族"));   // and a field is rebound
        QCOMPARE(w->bindingLabel(kFieldName)->text(), QStringLiteral("姓名"));
        QCOMPARE(w->bindingLabel(kFieldSex)->text(), QStringLiteral("性别"));
        QCOMPARE(w->bindingLabel(2)->text(), QStringLiteral("民族"));
        QCOMPARE(w->importMapping()[2].sheetColumn(), 3);

        choose(w->sheetCombo, QStringLiteral("第二表"));
        QCOMPARE(itemTexts(w->sheetHeaderList), (QStringList{QStringLiteral("学生"), QStringLiteral("性别")}));
        // Every binding but 性别's is emptied; 性别 keeps its label and position.
        for (int f = 0; f < kImportFieldCount; ++f) {
            QCOMPARE(w->bindingLabel(f)->text(), f == kFieldSex ? QStringLiteral("性别") : QString());
            QCOMPARE(w->importMapping()[std::size_t(f)].isBound(), f == kFieldSex);
        }
        QCOMPARE(w->importMapping()[kFieldSex].sheetColumn(), 2);
        QVERIFY(h.responder.shown().isEmpty());

        // Without the name bound the import does not start.
        const QStringList before = gridRows(w->registerGrid, 0, kColRowState);
        w->startImportButton->click();
        QCOMPARE(h.responder.texts(),
                 QStringList{QStringLiteral("需要导入学生学籍内容，至少要求把Excel文件中含有本班学生姓名的列对应起来。")});
        QCOMPARE(h.responder.last().title, QStringLiteral("提示……"));
        QVERIFY(w->importFrame->isVisible());
        QVERIFY(!w->importReportFrame->isVisible());
        QCOMPARE(gridRows(w->registerGrid, 0, kColRowState), before);
    }

    void modeMessages()
    {
        School s;
        WindowHarness h(s.school, at());
        ScriptedFileChooser chooser;
        RegisterWindow *w = openClass(h);
        // The first click after the panel opens is silent; later ones speak.
        w->importButton->click();
        w->importModeOptions[0]->click();
        QVERIFY(h.responder.shown().isEmpty());
        w->importModeOptions[0]->click();
        QCOMPARE(h.responder.shown().size(), 1);
        QVERIFY(h.responder.last().text.startsWith(QStringLiteral("发现(初一年级组一班)学籍表中已有(3)名学生,\r\r")));
        QCOMPARE(h.responder.last().title, QStringLiteral("Tessaly"));
        w->importModeOptions[1]->click();
        QCOMPARE(h.responder.last().text,
                 QStringLiteral("您好,您使用这种操作,会从你打开的Excel文件中找到你班每个学生的相应学籍内容导入进来。"));
        w->cancelImportButton->click();

        // A class without students: fresh preset silently; by name is refused.
        h.responder.clear();
        choose(w->classCombo, kEmptyClass);
        w->importButton->click();
        browse(w, chooser, kRosters + QStringLiteral("roster-45.xlsx"));
        choose(w->sheetCombo, kRosterSheet);
        QVERIFY(w->importModeOptions[0]->isChecked());
        QVERIFY(h.responder.shown().isEmpty());
        w->importModeOptions[1]->click();
        QCOMPARE(h.responder.shown().size(), 1);
        QVERIFY(h.responder.last().text.startsWith(QStringLiteral("您好,您的班级中还没有学生名单")));
        QVERIFY(w->importModeOptions[0]->isChecked());
        w->importModeOptions[0]->click();   // fresh on nobody says nothing
        QCOMPARE(h.responder.shown().size(), 1);
        w->importModeOptions[0]->click();   // a click on the chosen mode keeps it
        QVERIFY(w->importModeOptions[0]->isChecked());
    }

    // The 45 students replace the class: seats 01 … 45, state 1, the old rows hidden
    // and marked; the save leaves exactly them in the class.
    void freshImportOfTheRoster_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("xlsx") << QStringLiteral("roster-45.xlsx");
        QTest::newRow("xls") << QStringLiteral("roster-45.xls");
        QTest::newRow("messy") << QStringLiteral("roster-45-messy.xlsx");
    }
    void freshImportOfTheRoster()
    {
        QFETCH(QString, file);
        School s;
        WindowHarness h(s.school, at());
        ScriptedFileChooser chooser;
        RegisterWindow *w = openClass(h);
        QVERIFY(w->addStudentButton->isEnabled());
        w->addStudentButton->click();   // a new student, never saved: dropped by the import
        prepare(w, chooser, kRosters + file, kRosterSheet, allFields());
        w->importModeOptions[0]->click();
        QCOMPARE(h.responder.shown().size(), 1);   // the warning over 3 students
        w->startImportButton->click();
        QVERIFY(!w->importFrame->isVisible());
        QVERIFY(w->importReportFrame->isVisible());
        QVERIFY(!w->editFrame->isEnabled() && !w->choiceFrame->isEnabled() && !w->exportButton->isEnabled());
        QVERIFY(w->importReportBox->toPlainText().contains(QStringLiteral("学生人数共：45人,全部导入")));
        QCOMPARE(w->importProgress->value(), w->importProgress->maximum());
        QCOMPARE(w->progressLabel->text(), QStringLiteral("总计45人 现45人"));

        QCOMPARE(w->registerGrid->Rows(), 1 + 4 + 45);
        for (int r = 1; r <= 4; ++r)
            QVERIFY(rowHidden(w, r));
        QCOMPARE(gridColumn(w->registerGrid, kColRowState).mid(0, 4),
                 (QStringList{kRowDeleted, kRowDeleted, kRowDeleted, kRowUnchanged}));
        const QStringList shown = shownRows(w);
        QCOMPARE(shown.size(), 45);
        QCOMPARE(shown.first(), QStringLiteral("1|20050101|杜英|男|1"));
        for (int k = 1; k <= 45; ++k)
            QVERIFY(shown[k - 1].startsWith(QStringLiteral("%1|200501%2|").arg(k).arg(k, 2, 10, QLatin1Char('0'))));
        const int du = 5;   // the first imported row
        QCOMPARE(w->registerGrid->TextMatrix(du, kColName), QStringLiteral("杜英"));
        QCOMPARE(w->registerGrid->TextMatrix(du, kColPhone), QStringLiteral("13868106871"));
        QCOMPARE(w->registerGrid->TextMatrix(du, kColBirthDate), QStringLiteral("2013-07-31"));
        QCOMPARE(w->registerGrid->TextMatrix(du, kColBoarding), QStringLiteral("是"));
        if (file.contains(QStringLiteral("messy"))) {
            QCOMPARE(shown[43], QStringLiteral("44|20050144|邱一||1"));       // 未知 is no 性别
            QCOMPARE(shown[44], QStringLiteral("45|20050145|邹建明|男|1"));   // blanks trimmed
        }
        QCOMPARE(itemTexts(w->usedNumbersList).size(), 45);

        w->closeReportButton->click();
        QVERIFY(!w->importReportFrame->isVisible());
        QVERIFY(w->editFrame->isEnabled() && w->choiceFrame->isEnabled() && w->exportButton->isEnabled());
        QCOMPARE(w->importReportBox->toPlainText(), QString());
        QVERIFY(w->SaveRegister());
        QStringList names;
        for (const QString &row : shown)
            names << row.section(QLatin1Char('|'), 1, 1) + QLatin1Char(' ') + row.section(QLatin1Char('|'), 2, 2);
        QCOMPARE(s.stored(), names);
        QCOMPARE(s.stored(QStringLiteral("200502")), QStringList{QStringLiteral("20050201 钱七")});
        QCOMPARE(s.school.count(QStringLiteral("select count(*) from \"初中\" where \"ID\" in (?,?,?)"),
                                {s.zhang, s.li, s.du}),
                 0);
    }

    // By name: bound fields of matched students come in, saved rows turn "2".
    void importByNameFillsBoundFields()
    {
        School s;
        WindowHarness h(s.school, at());
        ScriptedFileChooser chooser;
        RegisterWindow *w = openClass(h);
        prepare(w, chooser, kRosters + QStringLiteral("roster-45.xlsx"), kRosterSheet, {kFieldName, kFieldSex, 5});
        QVERIFY(w->importModeOptions[1]->isChecked());
        w->startImportButton->click();
        QVERIFY(h.responder.shown().isEmpty());
        QVERIFY(w->importReportBox->toPlainText().contains(QStringLiteral("学生人数共：3人")));
        QCOMPARE(shownRows(w), (QStringList{QStringLiteral("1|20050101|张三||"), QStringLiteral("2|20050102|李四||"),
                                            QStringLiteral("3|20050103|杜英|男|2")}));
        QCOMPARE(w->registerGrid->TextMatrix(3, kColPhone), QStringLiteral("13868106871"));
        QCOMPARE(w->registerGrid->TextMatrix(3, 4), QString());   // 民族 unbound
        w->closeReportButton->click();
        QVERIFY(w->SaveRegister());
        QCOMPARE(s.school.value(QStringLiteral("select \"联系电话\" || \"性别\" from \"初中\" where \"ID\"=?"), {s.du})
                     .toString(),
                 QStringLiteral("13868106871男"));
    }

    // A fresh import, then an import by name: rows the fresh import replaced stay
    // hidden and marked as they were.
    void freshThenByNameRevivesNothing()
    {
        School s;
        WindowHarness h(s.school, at());
        ScriptedFileChooser chooser;
        RegisterWindow *w = openClass(h);
        w->addStudentButton->click();   // 04, never saved
        const QList<QStringList> rows{{QStringLiteral("姓名"), QStringLiteral("电话")},
                                      {QStringLiteral("张三"), QStringLiteral("111")},
                                      {QStringLiteral("王五"), QStringLiteral("222")}};
        const QString fresh = workbook({{QStringLiteral("名单"), rows}});
        w->importButton->click();
        browse(w, chooser, fresh);
        choose(w->sheetCombo, QStringLiteral("名单"));
        bindField(w, kFieldName, QStringLiteral("姓名"));
        w->importModeOptions[0]->click();
        w->startImportButton->click();
        w->closeReportButton->click();
        QCOMPARE(shownRows(w), (QStringList{QStringLiteral("1|20050101|张三||1"), QStringLiteral("2|20050102|王五||1")}));

        // By name, with the old 李四 and the dropped new row (no name) in the sheet.
        const QString byName = workbook({{QStringLiteral("名单"),
                                          {{QStringLiteral("姓名"), QStringLiteral("电话")},
                                           {QStringLiteral("李四"), QStringLiteral("333")},
                                           {QStringLiteral("张三"), QStringLiteral("444")}}}});
        w->importButton->click();
        browse(w, chooser, byName);
        choose(w->sheetCombo, QStringLiteral("名单"));
        bindField(w, kFieldName, QStringLiteral("姓名"));
        bindField(w, 5, QStringLiteral("电话"));
        QVERIFY(w->importModeOptions[1]->isChecked());
        w->startImportButton->click();
        QVERIFY(w->importReportBox->toPlainText().contains(QStringLiteral("学生人数共：2人")));
        w->closeReportButton->click();
        QCOMPARE(w->registerGrid->TextMatrix(2, kColName), QStringLiteral("李四"));
        QVERIFY(rowHidden(w, 2));
        QCOMPARE(w->registerGrid->TextMatrix(2, kColRowState), kRowDeleted);
        QCOMPARE(w->registerGrid->TextMatrix(2, kColPhone), QString());
        QCOMPARE(w->registerGrid->TextMatrix(4, kColRowState), kRowUnchanged);
        QVERIFY(rowHidden(w, 4));
        QCOMPARE(w->registerGrid->TextMatrix(5, kColPhone), QStringLiteral("444"));
        QVERIFY(w->SaveRegister());
        QCOMPARE(s.stored(), (QStringList{QStringLiteral("20050101 张三"), QStringLiteral("20050102 王五")}));
    }

    // By name: a sheet that names nobody of the class says so; a gap in the list is
    // reported with the rows it left out, and 性别 not taken only for the class.
    void byNameReports()
    {
        School s;
        WindowHarness h(s.school, at());
        ScriptedFileChooser chooser;
        RegisterWindow *w = openClass(h);
        w->importButton->click();
        browse(w, chooser, workbook({{QStringLiteral("别班"),
                                      {{QStringLiteral("姓名"), QStringLiteral("性别")},
                                       {QStringLiteral("钱七"), QStringLiteral("未知")}}},
                                     {QStringLiteral("本班"),
                                      {{QStringLiteral("姓名"), QStringLiteral("性别")},
                                       {QStringLiteral("外班生"), QStringLiteral("不详")},
                                       {QStringLiteral("张三"), QStringLiteral("男孩")},
                                       {},
                                       {QStringLiteral("杜英"), QStringLiteral("男")}}}}));
        choose(w->sheetCombo, QStringLiteral("别班"));
        bindField(w, kFieldName, QStringLiteral("姓名"));
        bindField(w, kFieldSex, QStringLiteral("性别"));
        QVERIFY(w->importModeOptions[1]->isChecked());
        w->startImportButton->click();
        QString report = w->importReportBox->toPlainText();
        QVERIFY2(report.contains(QStringLiteral("本班3名学生的姓名在所选表的“姓名”列中一个也没有找到，学籍表没有改动。")),
                 qPrintable(report));
        QVERIFY(!report.contains(QStringLiteral("导入成功")));
        QVERIFY(!report.contains(QStringLiteral("钱七")));
        w->closeReportButton->click();
        QVERIFY(!w->hasUnsavedChanges());

        w->importButton->click();
        choose(w->sheetCombo, QStringLiteral("本班"));
        bindField(w, kFieldName, QStringLiteral("姓名"));
        w->startImportButton->click();
        report = w->importReportBox->toPlainText();
        QVERIFY2(!report.contains(QStringLiteral("全部导入")), qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("本班学生3人，在表中找到1人并导入了他们的学籍内容。表中第4行的姓名是空的，"
                                                "导入到此为止，下面1行没有导入：第5行杜英。")),
                 qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("以下1人的性别不是“男”或“女”，没有导入，请在表格中填上：张三（男孩）")),
                 qPrintable(report));
        QVERIFY(!report.contains(QStringLiteral("外班生")));
        w->closeReportButton->click();
        QCOMPARE(w->registerGrid->TextMatrix(3, kColSex), QStringLiteral("女"));   // 杜英 below the gap: untouched
    }

    // A roster with a title above its captions: the captions are read from their row,
    // the panel says so, and the students below them come in.
    void rosterWithATitleRow()
    {
        School s;
        WindowHarness h(s.school, at());
        ScriptedFileChooser chooser;
        RegisterWindow *w = openClass(h, kEmptyClass);
        w->importButton->click();
        browse(w, chooser, workbook({{QStringLiteral("花名册"),
                                      {{QStringLiteral("初一(3)班学生花名册")},
                                       {QStringLiteral("序号"), QStringLiteral("姓  名"), QStringLiteral("性别")},
                                       {QStringLiteral("1"), QStringLiteral("王小明"), QStringLiteral("男")},
                                       {QStringLiteral("2"), QStringLiteral("李红"), QStringLiteral("女")}}},
                                     {QStringLiteral("普通"),
                                      {{QStringLiteral("姓名")}, {QStringLiteral("赵六")}}}}));
        choose(w->sheetCombo, QStringLiteral("花名册"));
        QCOMPARE(itemTexts(w->sheetHeaderList), (QStringList{QStringLiteral("序号"), QStringLiteral("姓  名"), QStringLiteral("性别")}));
        QVERIFY(w->captionRowLabel->isVisible());
        QCOMPARE(w->captionRowLabel->text(),
                 QStringLiteral("表的第1行不是列名：已把第2行作为列名行，学生资料从第3行读起。"));
        bindField(w, kFieldName, QStringLiteral("姓  名"));
        bindField(w, kFieldSex, QStringLiteral("性别"));
        QVERIFY(w->importModeOptions[0]->isChecked());
        w->startImportButton->click();
        QVERIFY2(w->importReportBox->toPlainText().contains(QStringLiteral("学生人数共：2人,全部导入")), qPrintable(w->importReportBox->toPlainText()));
        w->closeReportButton->click();
        QCOMPARE(shownRows(w), (QStringList{QStringLiteral("1|20050301|王小明|男|1"), QStringLiteral("2|20050302|李红|女|1")}));

        // A sheet with its captions in row 1 reads as ever, and the note goes.
        w->importButton->click();
        choose(w->sheetCombo, QStringLiteral("普通"));
        QCOMPARE(itemTexts(w->sheetHeaderList), QStringList{QStringLiteral("姓名")});
        QVERIFY(!w->captionRowLabel->isVisible());
        QCOMPARE(w->importMapping().captionRow, 1);
    }

    // A fresh import of more than 99 students, or of none (it would empty the class),
    // is refused before the grid is touched.
    void freshImportRefused_data()
    {
        QTest::addColumn<int>("students");
        QTest::addColumn<QString>("message");
        QTest::newRow("100 students") << 100 << QStringLiteral("所选的表中有100名学生");
        QTest::newRow("no student") << 0
                                    << QStringLiteral("所选的表中，对应为学生姓名的“姓名”列下面没有学生姓名，"
                                                      "全新导入没有进行，本班学生没有改动。");
    }
    void freshImportRefused()
    {
        QFETCH(int, students);
        QFETCH(QString, message);
        School s;
        WindowHarness h(s.school, at());
        ScriptedFileChooser chooser;
        RegisterWindow *w = openClass(h);
        QList<QStringList> rows{{QStringLiteral("姓名"), QStringLiteral("性别")}};
        for (int i = 1; i <= students; ++i)
            rows << QStringList{QStringLiteral("学生%1").arg(i)};
        w->importButton->click();
        browse(w, chooser, workbook({{QStringLiteral("全校"), rows}}));
        choose(w->sheetCombo, QStringLiteral("全校"));
        bindField(w, kFieldName, QStringLiteral("姓名"));
        w->importModeOptions[0]->click();
        h.responder.clear();
        const QStringList before = gridRows(w->registerGrid, 0, kColRowState);
        w->startImportButton->click();
        QCOMPARE(h.responder.shown().size(), 1);
        QVERIFY2(h.responder.last().text.startsWith(message), qPrintable(h.responder.last().text));
        QCOMPARE(h.responder.last().title, QStringLiteral("提示……"));
        QCOMPARE(gridRows(w->registerGrid, 0, kColRowState), before);
        QVERIFY(w->importFrame->isVisible());
        QVERIFY(!w->importReportFrame->isVisible());
        QVERIFY(!w->hasUnsavedChanges());
        QCOMPARE(s.stored().size(), 3);
    }

    // A file that cannot be read says why; the panel stays usable, the grid as it was.
    void unreadableWorkbook_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        const QByteArray roster = fileBytes(kRosters + QStringLiteral("roster-45.xlsx"));
        QTest::newRow("damaged") << roster.left(roster.size() / 2) << QStringLiteral("damaged.xlsx");
        QByteArray noise(4096, '\0');
        QRandomGenerator gen(12);
        for (char &c : noise)
            c = char(gen.bounded(256));
        QTest::newRow("random bytes") << noise << QStringLiteral("noise.xls");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("empty.xlsx");
        QTest::newRow("text") << QByteArray("姓名,性别\n张三,男\n") << QStringLiteral("list.xls");
    }
    void unreadableWorkbook()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        School s;
        WindowHarness h(s.school, at());
        ScriptedFileChooser chooser;
        RegisterWindow *w = openClass(h);
        prepare(w, chooser, kRosters + QStringLiteral("roster-45.xlsx"), kRosterSheet, {kFieldName});
        const QStringList before = gridRows(w->registerGrid, 0, kColRowState);
        const QString path = m_dir.filePath(name);
        putFile(path, bytes);
        h.responder.clear();
        browse(w, chooser, path);
        QCOMPARE(h.responder.shown().size(), 1);
        QVERIFY2(h.responder.last().text.contains(QDir::toNativeSeparators(path)), qPrintable(h.responder.last().text));
        QCOMPARE(h.responder.last().title, QStringLiteral("提示……"));
        QVERIFY(!w->importWorkbook());   // the roster opened before is released
        QCOMPARE(w->sheetCombo->count(), 0);
        QCOMPARE(w->workbookPathBox->text(), QString());
        // Starting now refuses; the grid is as it was.
        w->startImportButton->click();
        QCOMPARE(h.responder.shown().size(), 2);
        QVERIFY(h.responder.last().text.startsWith(QStringLiteral("请先点击<浏览>")));
        QCOMPARE(gridRows(w->registerGrid, 0, kColRowState), before);
        QVERIFY(w->importFrame->isVisible() && w->browseButton->isEnabled() && w->cancelImportButton->isEnabled());
        // Another file opens as before.
        browse(w, chooser, kRosters + QStringLiteral("roster-45.xls"));
        QCOMPARE(w->sheetCombo->count(), 2);
    }

    // The register sheet through the export stand-in: after a fresh import and
    // before the save, exactly the imported students.
    void exportWritesTheShownRows()
    {
        School s;
        WindowHarness h(s.school, at());
        ScriptedFileChooser chooser;
        QTemporaryDir exports;
        ExportsFolder folder(exports.path());
        RecordingWorkbookOpener opener;
        RegisterWindow *w = openClass(h);
        prepare(w, chooser, kRosters + QStringLiteral("roster-45.xlsx"), kRosterSheet, allFields());
        w->importModeOptions[0]->click();
        w->startImportButton->click();
        w->closeReportButton->click();
        w->exportButton->click();
        QCOMPARE(opener.paths().size(), 1);
        QVERIFY(w->editFrame->isEnabled() && w->choiceFrame->isEnabled());

        XlsxFile x(opener.paths().first());
        QVERIFY(x.isOpen());
        QCOMPARE(x.sheetNames(), (QStringList{QStringLiteral("一班学籍表"), QStringLiteral("Sheet1"),
                                              QStringLiteral("Sheet2"), QStringLiteral("Sheet3")}));
        QCOMPARE(x.orientation(0), QStringLiteral("landscape"));
        QCOMPARE(x.mergeRefs(0), QStringList{QStringLiteral("A1:R1")});
        QCOMPARE(x.value(0, "A1"), QStringLiteral("初一年级组一班学生学籍表"));
        QString error;
        auto book = ImportWorkbook::open(opener.paths().first(), &error);
        QVERIFY2(book && book->selectSheet(0), qPrintable(error));
        QStringList header;
        for (int c = 1; c <= 18; ++c)
            header << book->cell(2, c);
        QCOMPARE(header, gridRow(w->registerGrid, 0).mid(0, 18));
        QCOMPARE(book->usedCols(), 18);
        QCOMPARE(book->usedRows(), 2 + 45);
        QCOMPARE(book->cell(3, 3), QStringLiteral("杜英"));
        QCOMPARE(book->cell(3, 11), QStringLiteral("13868106871"));
        QCOMPARE(book->cell(47, 2), QStringLiteral("20050145"));
        QVERIFY(h.responder.shown().size() == 1);   // only the mode warning
    }

    // Without sign-in the export runs and the edit buttons stay off; a file that
    // cannot be written says so, and the frames come back.
    void exportOutsideSignInAndFailure()
    {
        School s;
        WindowHarness h(s.school, at(QString()));
        QTemporaryDir exports;
        RecordingWorkbookOpener opener;
        RegisterWindow *w = openClass(h);
        QVERIFY(!w->editFrame->isEnabled());
        {
            ExportsFolder folder(exports.path());
            w->exportButton->click();
        }
        QCOMPARE(opener.paths().size(), 1);
        QVERIFY(!w->editFrame->isEnabled());
        QVERIFY(w->choiceFrame->isEnabled());
        QVERIFY(h.responder.shown().isEmpty());

        const QString blocked = exports.filePath(QStringLiteral("不是文件夹"));
        putFile(blocked, "x");
        ExportsFolder folder(blocked);
        w->exportButton->click();
        QCOMPARE(opener.paths().size(), 1);
        QCOMPARE(h.responder.shown().size(), 1);
        QVERIFY(!h.responder.last().text.isEmpty());
        QVERIFY(w->choiceFrame->isEnabled());
        QVERIFY(!w->editFrame->isEnabled());
    }
};

QTEST_MAIN(TestRegisterImportWindow)
#include "tst_register_import_window.moc"
