// The rules of the plan and summary windows: which rows of a class code belong
// to the grade group's section, and the duplicate of a new document.
#include "records/class_documents.h"

#include <QtTest>

using namespace tessaly::records;
using namespace Qt::StringLiterals;

class TestClassDocuments : public QObject {
    Q_OBJECT

private slots:
    void section_data();
    void section();
    void duplicateAmongListedOnly();
};

void TestClassDocuments::section_data()
{
    QTest::addColumn<QString>("gradeGroup");
    QTest::addColumn<QString>("displayName");
    QTest::addColumn<bool>("belongs");
    const QString senior = u"05-06高二一班上学年工作计划"_s;
    const QString junior = u"05-06初二一班上学年工作计划"_s;
    const QString primary = u"05-06二年一班上学年工作计划"_s;
    QTest::newRow("高二: senior") << u"高二年级组"_s << senior << true;
    QTest::newRow("高二: junior") << u"高二年级组"_s << junior << false;
    QTest::newRow("初二: junior") << u"初二年级组"_s << junior << true;
    QTest::newRow("初二: primary") << u"初二年级组"_s << primary << false;
    QTest::newRow("二年级组: primary") << u"二年级组"_s << primary << true;
    QTest::newRow("二年级组: junior") << u"二年级组"_s << junior << false;
    QTest::newRow("二年级组: senior") << u"二年级组"_s << senior << false;
    QTest::newRow("二年级组: empty") << u"二年级组"_s << QString() << false;
    QTest::newRow("初二: empty") << u"初二年级组"_s << QString() << false;
}

void TestClassDocuments::section()
{
    QFETCH(QString, gradeGroup);
    QFETCH(QString, displayName);
    QFETCH(bool, belongs);
    QCOMPARE(inGradeSection(displayName, gradeGroup), belongs);
}

void TestClassDocuments::duplicateAmongListedOnly()
{
    const QVector<Document> rows{{1, u"J200401S"_s, u"高中"_s, u"04-05高一一班上学年工作计划"_s},
                                 {2, u"J200401X"_s, u"初中下"_s, u"04-05初一一班下学年工作计划"_s},
                                 {3, u"J200401S"_s, u"初中上"_s, u"04-05初一一班上学年工作计划"_s}};
    const QVector<Document> junior = documentsInSection(rows, u"初二年级组"_s);
    QCOMPARE(junior.size(), 2);
    QCOMPARE(documentOfKind(junior, u"J200401S"_s)->id, 3);
    QVERIFY(!documentOfKind(documentsInSection(rows, u"三年级组"_s), u"J200401S"_s));
}

QTEST_MAIN(TestClassDocuments)
#include "tst_class_documents.moc"
