// The class-choice cascade: grade group → class → subject, the lists it keeps
// and the account a choice implies.
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/class_choice.h"
#include "kit/window_base.h"

#include <QComboBox>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

struct ChoiceWindow : QWidget, FormWindow {
    QComboBox *gradeGroupCombo = new QComboBox(this);
    QComboBox *classCombo = new QComboBox(this);
    QComboBox *subjectCombo = new QComboBox(this);
    ClassChoice choice;

    ChoiceWindow(WindowHost &host, bool subjectStep, ClassVariant classes)
        : FormWindow(host),
          choice({.gradeGroup = gradeGroupCombo, .klass = classCombo, .subject = subjectStep ? subjectCombo : nullptr, .classes = classes},
                 *this, this)
    {
    }
    // A user's choice of the item with that text, and the cascade's step for it.
    void chooseGradeGroup(const QString &name)
    {
        gradeGroupCombo->setCurrentIndex(gradeGroupCombo->findText(name));
        choice.chooseGradeGroup();
    }
    bool chooseClass(const QString &name)
    {
        classCombo->setCurrentIndex(classCombo->findText(name));
        return choice.chooseClass(classCombo->currentIndex());
    }
};

// 初二年级组: 一班 (王老师, 111), 三班 (no head teacher), with 数学 (李老师, 222) in 一班.
// 三年级组: no class.
struct Seeded {
    TestSchool school;
    int classRow = 0;
    int otherClassRow = 0;
    int teachingRow = 0;
    Seeded()
    {
        school.addGradeGroup(u"初二年级组"_s);
        school.addGradeGroup(u"三年级组"_s);
        classRow = school.addClass(u"初二年级组"_s, u"一班"_s, u"王老师"_s, u"111"_s);
        otherClassRow = school.addClass(u"初二年级组"_s, u"三班"_s);
        teachingRow = school.addTeaching(u"初二年级组"_s, u"一班"_s, u"数学"_s, u"李老师"_s, u"222"_s);
        school.closeDb();
    }
};

} // namespace

class TestClassChoice : public QObject {
    Q_OBJECT

private slots:
    void steps_data();
    void steps();
    void refillClearsDependents();
};

void TestClassChoice::steps_data()
{
    QTest::addColumn<QString>("gradeGroup");
    QTest::addColumn<QString>("className");
    QTest::addColumn<bool>("subjectStep");
    QTest::addColumn<int>("variant");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("account");   // name, password, id (a row named: its id)

    QTest::newRow("grade group without classes")
        << u"三年级组"_s << QString() << false << int(ClassVariant::Full)
        << QStringList{u"目前教导处在本年级组内无任何班级设置。"_s} << QStringList{{}, {}, {}};
    QTest::newRow("class without head teacher")
        << u"初二年级组"_s << u"三班"_s << false << int(ClassVariant::Full) << QStringList{}
        << QStringList{{}, {}, u"other class"_s};
    QTest::newRow("head teacher implied") << u"初二年级组"_s << u"一班"_s << false << int(ClassVariant::Full)
                                          << QStringList{} << QStringList{u"王老师"_s, u"111"_s, u"class"_s};
    QTest::newRow("variant keeps no password")
        << u"初二年级组"_s << u"一班"_s << false << int(ClassVariant::HeadTeacher) << QStringList{}
        << QStringList{u"王老师"_s, {}, {}};
    QTest::newRow("teacher implied by the subject")
        << u"初二年级组"_s << u"一班"_s << true << int(ClassVariant::WithPassword) << QStringList{}
        << QStringList{u"李老师"_s, u"222"_s, u"teaching"_s};
    QTest::newRow("class without subjects")
        << u"初二年级组"_s << u"三班"_s << true << int(ClassVariant::WithPassword)
        << QStringList{u"初二年级组三班还没有设置任何学科，请管理员进行本班学科与任课教师设置后，才能添分。"_s}
        << QStringList{{}, {}, {}};
}

void TestClassChoice::steps()
{
    QFETCH(QString, gradeGroup);
    QFETCH(QString, className);
    QFETCH(bool, subjectStep);
    QFETCH(int, variant);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, account);
    Seeded seeded;
    WindowHarness h(seeded.school, {.shown = false});
    ChoiceWindow w(h.main, subjectStep, ClassVariant(variant));

    QVERIFY(w.choice.loadGradeGroups());
    QCOMPARE(itemTexts(w.gradeGroupCombo), (QStringList{u"初二年级组"_s, u"三年级组"_s}));
    QCOMPARE(w.gradeGroupCombo->currentIndex(), -1);
    w.chooseGradeGroup(gradeGroup);
    if (!className.isEmpty()) {
        QVERIFY(w.chooseClass(className));
        if (subjectStep && w.subjectCombo->count() > 0) {
            QCOMPARE(itemTexts(w.subjectCombo), QStringList{u"数学"_s});
            QCOMPARE(w.subjectCombo->currentIndex(), -1);
            QVERIFY(!w.choice.chooseSubject(1));
            QVERIFY(w.choice.chooseSubject(0));
        }
    }
    QCOMPARE(h.responder.texts(), messages);

    const QString id = account[2] == u"class"_s      ? QString::number(seeded.classRow)
                       : account[2] == u"other class"_s ? QString::number(seeded.otherClassRow)
                       : account[2] == u"teaching"_s ? QString::number(seeded.teachingRow)
                                                      : account[2];
    const Account a = w.choice.account();
    QCOMPARE(a.name, account[0]);
    QCOMPARE(a.password, account[1]);
    QCOMPARE(a.id, ClassVariant(variant) == ClassVariant::Full || subjectStep ? id : QString());
}

void TestClassChoice::refillClearsDependents()
{
    Seeded seeded;
    WindowHarness h(seeded.school, {.shown = false});
    ChoiceWindow w(h.main, true, ClassVariant::WithPassword);
    w.choice.loadGradeGroups();
    w.chooseGradeGroup(u"初二年级组"_s);
    QVERIFY(w.chooseClass(u"一班"_s));
    QVERIFY(w.choice.chooseSubject(0));
    QCOMPARE(w.choice.account().name, u"李老师"_s);

    // Another class: the subject is forgotten, the account is the head teacher again.
    QVERIFY(w.chooseClass(u"三班"_s));
    QCOMPARE(w.choice.subjectIndex(), -1);
    QCOMPARE(w.choice.account().name, QString());
    QVERIFY(w.chooseClass(u"一班"_s));
    QVERIFY(w.choice.chooseSubject(0));

    // Another grade group: class and subject steps empty, nothing chosen, no account.
    w.chooseGradeGroup(u"三年级组"_s);
    QCOMPARE(w.classCombo->count(), 0);
    QCOMPARE(w.subjectCombo->count(), 0);
    QCOMPARE(w.choice.classIndex(), -1);
    QCOMPARE(w.choice.subjectIndex(), -1);
    QCOMPARE(w.choice.subjects().size(), 0);
    QCOMPARE(w.choice.account().name, QString());
    QVERIFY(!w.choice.chooseClass(0));

    // Loading again empties every step after the grade groups.
    w.chooseGradeGroup(u"初二年级组"_s);
    QVERIFY(w.chooseClass(u"一班"_s));
    w.choice.loadGradeGroups();
    QCOMPARE(w.classCombo->count(), 0);
    QCOMPARE(w.subjectCombo->count(), 0);
    QCOMPARE(w.choice.classes().size(), 0);
    QCOMPARE(w.choice.account().name, QString());
}

QTEST_MAIN(TestClassChoice)
#include "tst_class_choice.moc"
