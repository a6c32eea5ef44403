// The two-mode editor on a small list of plan templates: captions, enabling,
// the refusals, confirmations, writes, and how save and cancel hand the row
// back to the list.
#include "fixtures/test_school.h"
#include "kit/session.h"
#include "widgets/messages.h"
#include "records/two_mode_editor.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QFile>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::records;
using namespace Qt::StringLiterals;

namespace {

using Mode = TwoModeEditor::Mode;

// A template list: the rows of kind "J", one of them current.
struct Library : QWidget {
    Session session;
    db::Connection connection;   // the window's, opened on openpath as it was
    QPushButton *addButton = new QPushButton(this);
    QPushButton *editButton = new QPushButton(this);
    QPushButton *updateButton = new QPushButton(this);
    QPushButton *refreshButton = new QPushButton(this);
    QPushButton *deleteButton = new QPushButton(this);
    QPlainTextEdit *editorBox = new QPlainTextEdit(this);
    QWidget *lockedList = new QWidget(this);
    TwoModeEditor *editor = nullptr;
    QVector<Document> rows;
    int current = -1;
    QList<TwoModeEditor::Leave> leaves;
    bool refuseNew = false;

    explicit Library(const QString &path, bool withDelete = true)
    {
        session.openpath = path;
        connection.open(path);
        editor = new TwoModeEditor([this]() -> db::Connection & { return connection; },
                                   {.buttons = {addButton, editButton, updateButton, refreshButton, withDelete ? deleteButton : nullptr},
                                    .editor = editorBox,
                                    .quoteLength = 10,
                                    .messages = {.editWithoutRow = u"请选择要修改的计划内容"_s,
                                                 .deleteWithoutRow = u"请选择要删除的评语"_s,
                                                 .emptyText = u"请填加新的内容后再保存"_s,
                                                 .unsaved = u"模板内容还没有保存，要先保存吗?"_s},
                                    .locked = {lockedList}},
                                   this);
        editor->setSteps({
            .current = [this]() -> std::optional<Document> {
                return current >= 0 && current < rows.size() ? std::optional(rows[current]) : std::nullopt;
            },
            .newRow = [this](const QString &) -> std::optional<NewDocument> {
                if (refuseNew)
                    return std::nullopt;
                return NewDocument{u"J"_s, QString()};
            },
            .reload = [this](const TwoModeEditor::Leave &l) {
                leaves << l;
                reload();
                current = -1;
                for (int i = 0; i < rows.size(); ++i)
                    if (l.row && rows[i].id == *l.row)
                        current = i;
                editorBox->setPlainText(current >= 0 ? rows[current].text : QString());
            },
        });
        reload();
    }
    void reload()
    {
        rows = readDocuments(connection, DocumentKind::PlanTemplate).value_or(QVector<Document>());
    }
    QStringList captions() const { return {updateButton->text(), refreshButton->text()}; }
    bool locked() const { return !addButton->isEnabled() && !editButton->isEnabled() && !deleteButton->isEnabled() && !lockedList->isEnabled(); }
    bool unlocked() const { return addButton->isEnabled() && editButton->isEnabled() && deleteButton->isEnabled() && lockedList->isEnabled(); }
};

// Stores plan templates, in order.
void seed(test::TestSchool &school, const QStringList &templates)
{
    for (const QString &t : templates)
        QVERIFY(insertDocument(school.db(), u"J"_s, t).ok);
    school.closeDb();
}

QStringList texts(test::TestSchool &school)
{
    QStringList out;
    db::Connection &c = school.db();
    QSqlQuery q = c.query(uR"(select "内容" from "班主任" order by "ID")"_s);
    while (q.next())
        out << q.value(0).toString();
    school.closeDb();
    return out;
}

} // namespace

class TestTwoModeEditor : public QObject {
    Q_OBJECT

private slots:
    void captionsThroughAddAndCancel();
    void editSavesTheEditedRow();
    void refusals();
    void confirmationQuotes_data();
    void confirmationQuotes();
    void cancelBringsTheEditedRowBack();
    void failedWriteKeepsTheMode();
    void deleteAsksThenRemoves();
    void saveStaysOnTheDatabaseItOpened();
    void settle_data();
    void settle();
};

void TestTwoModeEditor::captionsThroughAddAndCancel()
{
    test::TestSchool school;
    ScriptedResponder responder;
    Library lib(school.dbPath());
    QCOMPARE(lib.captions(), (QStringList{u"更新(&U)"_s, u"刷新(&R)"_s}));
    QVERIFY(lib.editorBox->isReadOnly());

    lib.addButton->click();
    QCOMPARE(lib.editor->mode(), Mode::Adding);
    QCOMPARE(lib.captions(), (QStringList{u"保存(&U)"_s, u"不存(&R)"_s}));
    QVERIFY(lib.locked());
    QVERIFY(lib.updateButton->isEnabled() && lib.refreshButton->isEnabled());
    QVERIFY(!lib.editorBox->isReadOnly());

    lib.editorBox->setPlainText(u"不要的"_s);
    lib.refreshButton->click();
    QCOMPARE(lib.editor->mode(), Mode::Browsing);
    QCOMPARE(lib.captions(), (QStringList{u"刷新(&U)"_s, u"更新(&R)"_s}));
    QVERIFY(lib.unlocked());
    QVERIFY(lib.editorBox->isReadOnly());
    QCOMPARE(texts(school), QStringList{});
    QCOMPARE(lib.leaves.size(), 1);
    QCOMPARE(lib.leaves[0].mode, Mode::Adding);
    QVERIFY(!lib.leaves[0].saved);

    lib.addButton->click();
    lib.editorBox->setPlainText(u"第一个模板"_s);
    lib.updateButton->click();
    QCOMPARE(texts(school), QStringList{u"第一个模板"_s});
    QCOMPARE(lib.captions(), (QStringList{u"刷新(&U)"_s, u"更新(&R)"_s}));
    QVERIFY(lib.leaves.last().saved);
    QCOMPARE(lib.leaves.last().row, std::optional<qint64>(lib.rows[0].id));
    QCOMPARE(lib.current, 0);   // the new row is current
    QVERIFY(responder.shown().isEmpty());
}

void TestTwoModeEditor::editSavesTheEditedRow()
{
    test::TestSchool school;
    seed(school, {u"模板一"_s, u"模板二"_s});
    ScriptedResponder responder;
    Library lib(school.dbPath());
    lib.current = 1;
    responder.answer(true);
    lib.editButton->click();
    QCOMPARE(responder.last().text, u"确定要修改(模板二...)内容吗?"_s);
    QCOMPARE(responder.last().title, u"提示"_s);
    QCOMPARE(lib.editor->mode(), Mode::Editing);
    QCOMPARE(lib.captions(), (QStringList{u"保存(&B)"_s, u"不改(&R)"_s}));
    QCOMPARE(lib.editorBox->toPlainText(), u"模板二"_s);
    // Another row becoming current meanwhile does not redirect the save.
    lib.current = 0;
    lib.editorBox->setPlainText(u"模板二改"_s);
    lib.updateButton->click();
    QCOMPARE(texts(school), (QStringList{u"模板一"_s, u"模板二改"_s}));
    QCOMPARE(lib.current, 1);

    // Browsing: save only re-lists and sets the captions.
    lib.updateButton->click();
    QCOMPARE(lib.leaves.last().mode, Mode::Browsing);
    QCOMPARE(texts(school), (QStringList{u"模板一"_s, u"模板二改"_s}));
}

void TestTwoModeEditor::refusals()
{
    test::TestSchool school;
    ScriptedResponder responder;
    Library lib(school.dbPath());
    lib.editButton->click();
    lib.deleteButton->click();
    QCOMPARE(responder.texts(), (QStringList{u"请选择要修改的计划内容"_s, u"请选择要删除的评语"_s}));
    QCOMPARE(lib.editor->mode(), Mode::Browsing);

    responder.clear();
    lib.addButton->click();
    lib.updateButton->click();
    QCOMPARE(responder.texts(), QStringList{u"请填加新的内容后再保存"_s});
    QCOMPARE(lib.editor->mode(), Mode::Adding);
    QCOMPARE(lib.captions(), (QStringList{u"保存(&U)"_s, u"不存(&R)"_s}));

    // The window's own refusal at save time keeps the mode too.
    lib.refuseNew = true;
    lib.editorBox->setPlainText(u"内容"_s);
    lib.updateButton->click();
    QCOMPARE(lib.editor->mode(), Mode::Adding);
    QCOMPARE(texts(school), QStringList{});
    lib.refuseNew = false;
    lib.updateButton->click();
    QCOMPARE(texts(school), QStringList{u"内容"_s});
}

void TestTwoModeEditor::confirmationQuotes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("remove");
    QTest::newRow("short") << u"三个字"_s << 10 << u"确定要修改(三个字...)内容吗?"_s << u"确实要删除(三个字...)内容吗?"_s;
    QTest::newRow("cut at 10") << u"一二三四五六七八九十十一"_s << 10 << u"确定要修改(一二三四五六七八九十...)内容吗?"_s
                               << u"确实要删除(一二三四五六七八九十...)内容吗?"_s;
    QTest::newRow("records: 20") << u"一二三四五六七八九十一二三四五六七八九十多"_s << 20
                                 << u"确定要修改(一二三四五六七八九十一二三四五六七八九十...)内容吗?"_s
                                 << u"确实要删除(一二三四五六七八九十一二三四五六七八九十...)内容吗?"_s;
}

void TestTwoModeEditor::confirmationQuotes()
{
    QFETCH(QString, text);
    QFETCH(int, n);
    QFETCH(QString, edit);
    QFETCH(QString, remove);
    QCOMPARE(TwoModeEditor::editQuestion(text, n), edit);
    QCOMPARE(TwoModeEditor::deleteQuestion(text, n), remove);
}

void TestTwoModeEditor::cancelBringsTheEditedRowBack()
{
    test::TestSchool school;
    seed(school, {u"模板一"_s, u"模板二"_s});
    ScriptedResponder responder;
    Library lib(school.dbPath());
    lib.current = 1;
    responder.answer(true);
    lib.editButton->click();
    lib.editorBox->setPlainText(u"改了一半"_s);
    // Another computer adds a row before ours: positions move, the key does not.
    QVERIFY(school.db().exec(uR"(insert into "班主任" ("ID","类别","内容") values (0,'J','新来的'))"_s));
    school.closeDb();
    lib.refreshButton->click();
    QCOMPARE(lib.leaves.last().mode, Mode::Editing);
    QCOMPARE(lib.rows.size(), 3);
    QCOMPARE(lib.current, 2);
    QCOMPARE(lib.editorBox->toPlainText(), u"模板二"_s);
    QCOMPARE(texts(school), (QStringList{u"新来的"_s, u"模板一"_s, u"模板二"_s}));
}

void TestTwoModeEditor::failedWriteKeepsTheMode()
{
    test::TestSchool school;
    seed(school, {u"模板一"_s});
    ScriptedResponder responder;
    Library lib(school.dbPath());
    lib.current = 0;
    responder.answer(true);
    lib.editButton->click();
    lib.editorBox->setPlainText(u"改过"_s);
    // The row is deleted elsewhere: the save says so and stays editing.
    QVERIFY(school.db().exec(uR"(delete from "班主任")"_s));
    school.closeDb();
    responder.clear();
    lib.updateButton->click();
    QCOMPARE(responder.texts(), QStringList{u"没有保存："_s + kRowGoneText});
    QCOMPARE(lib.editor->mode(), Mode::Editing);
    QCOMPARE(lib.editorBox->toPlainText(), u"改过"_s);

    // A database that cannot be opened: adding stays too.
    lib.refreshButton->click();
    QVERIFY(QFile::rename(school.dbPath(), school.folder() + u"/moved.mdb"_s));
    lib.addButton->click();
    lib.editorBox->setPlainText(u"新的"_s);
    responder.clear();
    lib.updateButton->click();
    QCOMPARE(responder.shown().size(), 1);
    QVERIFY(responder.last().text.startsWith(u"没有保存："_s));
    QCOMPARE(lib.editor->mode(), Mode::Adding);
}

// openpath switches to another database while the editor is open: its save
// still goes to the database it opened, not to the row of the same ID there.
void TestTwoModeEditor::saveStaysOnTheDatabaseItOpened()
{
    test::TestSchool school;
    test::TestSchool other;
    seed(school, {u"本地模板"_s});
    seed(other, {u"服务器模板"_s});
    ScriptedResponder responder;
    Library lib(school.dbPath());
    lib.session.openpath = other.dbPath();
    lib.current = 0;
    responder.answer(true);
    lib.editButton->click();
    lib.editorBox->setPlainText(u"改过"_s);
    lib.updateButton->click();
    QCOMPARE(texts(school), QStringList{u"改过"_s});
    QCOMPARE(texts(other), QStringList{u"服务器模板"_s});
}

void TestTwoModeEditor::deleteAsksThenRemoves()
{
    test::TestSchool school;
    seed(school, {u"模板一"_s, u"模板二"_s});
    ScriptedResponder responder;
    Library lib(school.dbPath());
    lib.current = 0;
    responder.answer(false);
    lib.deleteButton->click();
    QCOMPARE(texts(school), (QStringList{u"模板一"_s, u"模板二"_s}));
    responder.answer(true);
    lib.deleteButton->click();
    QCOMPARE(responder.last().text, u"确实要删除(模板一...)内容吗?"_s);
    QCOMPARE(texts(school), QStringList{u"模板二"_s});
    QVERIFY(lib.leaves.last().removed);
    // A delete leaves the captions as they were.
    QCOMPARE(lib.captions(), (QStringList{u"更新(&U)"_s, u"刷新(&R)"_s}));
}

void TestTwoModeEditor::settle_data()
{
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("typed");   // null: nothing typed
    QTest::addColumn<int>("answer");      // Answer; -1: no question expected
    QTest::addColumn<bool>("ended");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("shown");
    const QString q = u"模板内容还没有保存，要先保存吗?"_s;
    const QStringList one{u"模板一"_s};
    QTest::newRow("adding, nothing typed") << false << QString() << -1 << true << one << QStringList{};
    QTest::newRow("editing, text unchanged") << true << u"模板一"_s << -1 << true << one << QStringList{};
    QTest::newRow("Cancel stays") << false << u"新的"_s << int(Answer::Cancel) << false << one << QStringList{q};
    QTest::newRow("No drops") << false << u"新的"_s << int(Answer::No) << true << one << QStringList{q};
    QTest::newRow("Yes saves the add") << false << u"新的"_s << int(Answer::Yes) << true
                                       << QStringList{u"模板一"_s, u"新的"_s} << QStringList{q};
    QTest::newRow("Yes saves the edit") << true << u"模板一改"_s << int(Answer::Yes) << true
                                        << QStringList{u"模板一改"_s} << QStringList{q};
    QTest::newRow("Yes on an empty text stays") << true << u""_s << int(Answer::Yes) << false << one
                                                << QStringList{q, u"请填加新的内容后再保存"_s};
}

void TestTwoModeEditor::settle()
{
    QFETCH(bool, editing);
    QFETCH(QString, typed);
    QFETCH(int, answer);
    QFETCH(bool, ended);
    QFETCH(QStringList, stored);
    QFETCH(QStringList, shown);
    test::TestSchool school;
    seed(school, {u"模板一"_s});
    ScriptedResponder responder;
    Library lib(school.dbPath());
    lib.current = 0;
    if (editing) {
        responder.answer(true);
        lib.editButton->click();
    } else {
        lib.addButton->click();
    }
    if (!typed.isNull())
        lib.editorBox->setPlainText(typed);
    responder.clear();
    if (answer >= 0)
        responder.answer(Answer(answer));
    QCOMPARE(lib.editor->settle(), ended);
    QCOMPARE(responder.texts(), shown);
    if (!shown.isEmpty())
        QVERIFY(responder.shown().first().hasCancel);
    QCOMPARE(lib.editor->inMode(), !ended);
    if (!ended)
        QCOMPARE(lib.editorBox->toPlainText(), typed);
    QCOMPARE(texts(school), stored);
}

QTEST_MAIN(TestTwoModeEditor)
#include "tst_two_mode_editor.moc"
