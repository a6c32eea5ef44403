// The class tree: its content from 教导处 rows, the tree built from a school,
// the class a node chooses, and the pictures of expanded and collapsed nodes.
#include "fixtures/test_school.h"
#include "kit/class_tree.h"
#include "kit/session.h"
#include "widgets/data_control.h"
#include "widgets/messages.h"

#include <QSignalSpy>
#include <QtTest>

using namespace tessaly;
using tessaly::test::TestSchool;
using namespace Qt::StringLiterals;

namespace {

QVector<QVariant> row(const QVariant &kind, const QVariant &name, const QVariant &group = {},
                      const QVariant &actual = {}, const QVariant &head = {})
{
    return {kind, name, group, actual, head};
}

// "grade group: class key, class key" per root.
QStringList outline(const QList<GradeGroupNode> &groups)
{
    QStringList out;
    for (const GradeGroupNode &g : groups) {
        QStringList keys;
        for (const ClassNode &c : g.classes)
            keys << c.key;
        out << g.name + u": "_s + keys.join(u", "_s);
    }
    return out;
}

QStringList outline(const QTreeWidget &tree)
{
    QStringList out;
    for (int g = 0; g < tree.topLevelItemCount(); ++g) {
        const QTreeWidgetItem *root = tree.topLevelItem(g);
        QStringList children;
        for (int i = 0; i < root->childCount(); ++i)
            children << root->child(i)->text(0) + u'=' + ClassTree::keyOf(root->child(i));
        out << root->text(0) + u": "_s + children.join(u", "_s);
    }
    return out;
}

// 初一年级组 with 三班 and 四班, in the tree.
void buildTwoClasses(TestSchool &school, ClassTree &tree)
{
    school.addGradeGroup(u"初一年级组"_s);
    school.addClass(u"初一年级组"_s, u"三班"_s);
    school.addClass(u"初一年级组"_s, u"四班"_s);
    school.closeDb();
    ScriptedResponder responder;
    Session s;
    s.openpath = school.dbPath();
    db::Connection data(school.dbPath());
    tree.BuildClassTree(data);
    QVERIFY(responder.shown().isEmpty());
}

} // namespace

class TestClassTree : public QObject {
    Q_OBJECT

private slots:
    void keys_data();
    void keys();
    void rowsMakeTheTree_data();
    void rowsMakeTheTree();
    void builtFromTheSchool();
    void noGradeGroupOrClass();
    void nodesChooseClasses();
    void pictures();
    void clicksAndKeysReport();
};

void TestClassTree::keys_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("head");
    QTest::addColumn<QString>("key");
    QTest::newRow("all parts") << u"初一年级组"_s << u"三班"_s << u"实验班"_s << u"王老师"_s
                               << u"初一三班(实验班)班主任:王老师"_s;
    QTest::newRow("no actual name") << u"高二年级组"_s << u"二十一班"_s << QString() << u"李四"_s
                                    << u"高二二十一班()班主任:李四"_s;
    QTest::newRow("no head teacher") << u"一年级组"_s << u"一班"_s << u"火箭班"_s << QString()
                                     << u"一年一班(火箭班)班主任:"_s;
}

void TestClassTree::keys()
{
    QFETCH(QString, group);
    QFETCH(QString, name);
    QFETCH(QString, actual);
    QFETCH(QString, head);
    QFETCH(QString, key);
    QCOMPARE(classNodeKey(group, name, actual, head), key);
}

void TestClassTree::rowsMakeTheTree_data()
{
    using Rows = QVector<QVector<QVariant>>;
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QStringList>("tree");
    const QString g = u"年级组名"_s;
    const QString c = u"班级名"_s;
    QTest::newRow("row order, classes before their grade group")
        << Rows{row(c, u"二班"_s, u"初二年级组"_s), row(g, u"初二年级组"_s), row(g, u"初一年级组"_s),
                row(c, u"一班"_s, u"初一年级组"_s, u"A"_s, u"甲"_s), row(c, u"三班"_s, u"初二年级组"_s)}
        << QStringList{u"初二年级组: 初二二班()班主任:, 初二三班()班主任:"_s, u"初一年级组: 初一一班(A)班主任:甲"_s};
    QTest::newRow("a class of no grade group is left out")
        << Rows{row(g, u"初一年级组"_s), row(c, u"一班"_s, u"初三年级组"_s), row(c, u"二班"_s, QVariant()),
                row(c, u"三班"_s, u"初一年级组"_s)}
        << QStringList{u"初一年级组: 初一三班()班主任:"_s};
    QTest::newRow("a key twice: the first stays")
        << Rows{row(g, u"初一年级组"_s), row(c, u"一班"_s, u"初一年级组"_s, u"A"_s, u"甲"_s),
                row(c, u"一班"_s, u"初一年级组"_s, u"A"_s, u"甲"_s), row(c, u"一班"_s, u"初一年级组"_s, u"B"_s, u"甲"_s),
                row(g, u"初一年级组"_s)}
        << QStringList{u"初一年级组: 初一一班(A)班主任:甲, 初一一班(B)班主任:甲"_s};
    QTest::newRow("null texts count as empty, a nameless grade group is left out")
        << Rows{row(g, QVariant()), row(g, u"高一年级组"_s), row(c, u"一班"_s, u"高一年级组"_s, QVariant(), QVariant()),
                row(u"任课"_s, u"张三"_s, u"高一年级组"_s)}
        << QStringList{u"高一年级组: 高一一班()班主任:"_s};
}

void TestClassTree::rowsMakeTheTree()
{
    using Rows = QVector<QVector<QVariant>>;
    QFETCH(Rows, rows);
    QFETCH(QStringList, tree);
    QCOMPARE(outline(classTreeFromRows(rows)), tree);
}

void TestClassTree::builtFromTheSchool()
{
    TestSchool school;
    school.addClass(u"初二年级组"_s, u"一班"_s, u"赵老师"_s);   // before its grade group
    school.addGradeGroup(u"初二年级组"_s);
    school.addGradeGroup(u"初一年级组"_s);
    school.addClass(u"初一年级组"_s, u"三班"_s, u"王老师"_s, u"123"_s, u"实验班"_s);
    school.addClass(u"初一年级组"_s, u"二十一班"_s);
    school.addClass(u"高三年级组"_s, u"一班"_s);                 // no such grade group
    school.addTeaching(u"初一年级组"_s, u"三班"_s, u"语文"_s, u"李四"_s);
    school.addGradeGroup(u"高一年级组"_s);                       // no classes
    school.closeDb();

    ScriptedResponder responder;
    Session s;
    s.openpath = school.dbPath();
    db::Connection data(school.dbPath());
    ClassTree tree;
    tree.BuildClassTree(data);
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(outline(tree), (QStringList{u"初二年级组: 一班=初二一班()班主任:赵老师"_s,
                                         u"初一年级组: 三班=初一三班(实验班)班主任:王老师, 二十一班=初一二十一班()班主任:"_s,
                                         u"高一年级组: "_s}));

    // Built again: the same tree, nothing doubled.
    tree.BuildClassTree(data);
    QCOMPARE(tree.topLevelItemCount(), 3);
    QCOMPARE(tree.topLevelItem(1)->childCount(), 2);
}

void TestClassTree::noGradeGroupOrClass()
{
    TestSchool school;
    school.addTeaching(u"初一年级组"_s, u"三班"_s, u"语文"_s, u"李四"_s);
    school.closeDb();
    ScriptedResponder responder;
    Session s;
    s.openpath = school.dbPath();
    db::Connection data(school.dbPath());
    ClassTree tree;
    tree.BuildClassTree(data);
    QCOMPARE(responder.texts(), QStringList{u"目前教导处还没进行年级组设置。"_s});
    QCOMPARE(tree.topLevelItemCount(), 0);
}

void TestClassTree::nodesChooseClasses()
{
    TestSchool school;
    school.addGradeGroup(u"初一年级组"_s);
    school.addGradeGroup(u"初二年级组"_s);
    school.addClass(u"初一年级组"_s, u"三班"_s, u"王老师"_s, u"123"_s, u"实验班"_s);
    school.closeDb();
    ScriptedResponder responder;
    Session s;
    s.openpath = school.dbPath();
    db::Connection data(school.dbPath());
    ClassTree tree;
    tree.BuildClassTree(data);

    const std::optional<ClassNode> c = tree.SelectClassNode(tree.topLevelItem(0)->child(0));
    QVERIFY(c);
    QCOMPARE(c->gradeGroup, u"初一年级组"_s);
    QCOMPARE(c->className, u"三班"_s);
    QCOMPARE(c->actualName, u"实验班"_s);
    QCOMPARE(c->headTeacher, u"王老师"_s);
    QCOMPARE(c->key, u"初一三班(实验班)班主任:王老师"_s);
    // A grade group, with or without classes, chooses no class (never class 01
    // from the grade group's own numeral).
    QVERIFY(!tree.SelectClassNode(tree.topLevelItem(0)));
    QVERIFY(!tree.SelectClassNode(tree.topLevelItem(1)));
    QVERIFY(!tree.SelectClassNode(nullptr));
}

void TestClassTree::pictures()
{
    TestSchool school;
    ClassTree tree;
    buildTwoClasses(school, tree);
    QTreeWidgetItem *root = tree.topLevelItem(0);
    QTreeWidgetItem *three = root->child(0);
    QTreeWidgetItem *four = root->child(1);
    // The last class was scrolled into view: its grade group opened.
    QVERIFY(root->isExpanded());
    QCOMPARE(ClassTree::imageOf(root), u"BK"_s);
    tree.collapseItem(root);
    QCOMPARE(ClassTree::imageOf(root), u"BG"_s);
    tree.expandItem(root);
    QCOMPARE(ClassTree::imageOf(root), u"BK"_s);
    QCOMPARE(ClassTree::imageOf(three), u"Z"_s);
    tree.setCurrentItem(three);
    QCOMPARE(ClassTree::imageOf(three), u"bi"_s);
    tree.setCurrentItem(four);
    QCOMPARE(ClassTree::imageOf(three), u"Z"_s);
    QCOMPARE(ClassTree::imageOf(four), u"bi"_s);
    tree.collapseItem(root);
    QCOMPARE(ClassTree::imageOf(root), u"BG"_s);
    // The pictures themselves differ.
    QVERIFY(ClassTree::image(u"BG"_s).pixmap(16).toImage() != ClassTree::image(u"BK"_s).pixmap(16).toImage());
}

void TestClassTree::clicksAndKeysReport()
{
    TestSchool school;
    ClassTree tree;
    buildTwoClasses(school, tree);
    tree.expandAll();
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    QSignalSpy clicks(&tree, &ClassTree::NodeClick);
    QTreeWidgetItem *three = tree.topLevelItem(0)->child(0);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(three).center());
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.last().at(0).value<QTreeWidgetItem *>(), three);
    QTest::keyClick(&tree, Qt::Key_Down);
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(clicks.last().at(0).value<QTreeWidgetItem *>(), tree.topLevelItem(0)->child(1));
}

QTEST_MAIN(TestClassTree)
#include "tst_class_tree.moc"
