#include "widgets/messages.h"
#include "fixtures/ui_helpers.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace tessaly;
using tessaly::test::saveShot;

Q_DECLARE_METATYPE(tessaly::Answer)

namespace {

// What a real message box showed, read while it was open.
struct SeenBox {
    bool found = false;
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
};

// Waits for the next modal message box, records it, then lets `act` close it.
void whenBoxOpens(SeenBox *seen, std::function<void(QMessageBox *)> act)
{
    QTimer::singleShot(0, [seen, act] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            whenBoxOpens(seen, act);
            return;
        }
        seen->found = true;
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->format = box->textFormat();
        seen->icon = box->icon();
        for (QAbstractButton *b : box->buttons())
            seen->buttons.append(b->text());
        if (box->defaultButton())
            seen->defaultButton = box->defaultButton()->text();
        act(box);
    });
}

QAbstractButton *buttonWithText(QMessageBox *box, const QString &text)
{
    for (QAbstractButton *b : box->buttons()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

// A responder of a test's own, to see what the entry points hand over.
class Recorder : public MessageResponder {
public:
    QStringList titles;
    void notice(QWidget *, const QString &, const QString &title) override { titles << title; }
    bool question(QWidget *, const QString &, const QString &title) override
    {
        titles << title;
        return true;
    }
};

} // namespace

class TestMessages : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        // Every test leaves the real boxes in place.
        QCOMPARE(installMessageResponder(nullptr), nullptr);
    }

    void displayText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("CR") << "第一行\r第二行" << "第一行\n第二行";
        QTest::newRow("CR LF") << "第一行\r\n第二行" << "第一行\n第二行";
        QTest::newRow("LF") << "第一行\n第二行" << "第一行\n第二行";
        QTest::newRow("CR then CR LF: two breaks") << "a\r\r\nb" << "a\n\nb";
        QTest::newRow("LF CR: two breaks") << "a\n\rb" << "a\n\nb";
        QTest::newRow("trailing CR") << "完成\r" << "完成\n";
        QTest::newRow("full-width blanks kept")
            << "恭喜！恭喜！\r　　服务器数据连接正确,下载数据成功。"
            << "恭喜！恭喜！\n　　服务器数据连接正确,下载数据成功。";
        QTest::newRow("ordinary blanks kept") << "  确 实 要 删 除 " << "  确 实 要 删 除 ";
        QTest::newRow("empty") << "" << "";
    }
    void displayText()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(tessaly::displayText(text), shown);
    }

    void scriptedRecordsTextAndShownTitle_data()
    {
        QTest::addColumn<bool>("question");
        QTest::addColumn<bool>("useDefaultTitle");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shownTitle");
        QTest::newRow("notice, no title") << false << true << QString() << kProgramTitle;
        QTest::newRow("notice, empty title") << false << false << QString() << kProgramTitle;
        QTest::newRow("notice, 提示") << false << false << kTitleHint << kTitleHint;
        QTest::newRow("notice, 登录") << false << false << kTitleSignIn << kTitleSignIn;
        QTest::newRow("question, default title") << true << true << QString() << kTitleHintDots;
        QTest::newRow("question, empty title") << true << false << QString() << kProgramTitle;
        QTest::newRow("question, 提示信息……") << true << false << kTitleHintInfo << kTitleHintInfo;
    }
    void scriptedRecordsTextAndShownTitle()
    {
        QFETCH(bool, question);
        QFETCH(bool, useDefaultTitle);
        QFETCH(QString, title);
        QFETCH(QString, shownTitle);
        const QString text = QStringLiteral("　　数据没能下载,\r请以后再试。 ");

        ScriptedResponder responder;
        if (question && useDefaultTitle)
            askYesNo(nullptr, text);
        else if (question)
            askYesNo(nullptr, text, title);
        else if (useDefaultTitle)
            showNotice(nullptr, text);
        else
            showNotice(nullptr, text, title);

        QCOMPARE(responder.shown().size(), 1);
        QCOMPARE(responder.last().text, text);   // as passed: CR and blanks kept
        QCOMPARE(responder.last().title, shownTitle);
        QCOMPARE(responder.last().isQuestion, question);
        QCOMPARE(responder.texts(), QStringList{text});
    }

    void scriptedAnswersFromQueueThenNo()
    {
        ScriptedResponder responder;
        responder.answer(true);
        responder.answer(false);
        responder.answer(true);

        QVERIFY(askYesNo(nullptr, QStringLiteral("一")));
        showNotice(nullptr, QStringLiteral("通知"));   // takes no answer
        QVERIFY(!askYesNo(nullptr, QStringLiteral("二")));
        QVERIFY(askYesNo(nullptr, QStringLiteral("三")));
        QVERIFY(!askYesNo(nullptr, QStringLiteral("四")));   // queue empty: No
        QVERIFY(!askYesNo(nullptr, QStringLiteral("五")));

        QCOMPARE(responder.texts(),
                 (QStringList{"一", "通知", "二", "三", "四", "五"}));
        responder.clear();
        QVERIFY(responder.shown().isEmpty());
        QCOMPARE(responder.last().text, QString());
    }

    void scriptedThreeWayShareTheQueue()
    {
        ScriptedResponder responder;
        responder.answer(Answer::No);
        responder.answer(true);
        responder.answer(Answer::Cancel);
        responder.answer(Answer::Yes);

        QCOMPARE(askYesNoCancel(nullptr, QStringLiteral("一")), Answer::No);
        QVERIFY(askYesNo(nullptr, QStringLiteral("二")));
        QVERIFY(!askYesNo(nullptr, QStringLiteral("三")));   // a Cancel answers a Yes/No question No
        QCOMPARE(askYesNoCancel(nullptr, QStringLiteral("四")), Answer::Yes);
        QCOMPARE(askYesNoCancel(nullptr, QStringLiteral("五")), Answer::Cancel);   // queue empty
        QVERIFY(!askYesNo(nullptr, QStringLiteral("六")));

        QCOMPARE(responder.texts(), (QStringList{"一", "二", "三", "四", "五", "六"}));
        QList<bool> cancels;
        for (const ScriptedResponder::Shown &shown : responder.shown()) {
            QVERIFY(shown.isQuestion);
            QCOMPARE(shown.title, kTitleHintDots);
            cancels << shown.hasCancel;
        }
        QCOMPARE(cancels, (QList<bool>{true, false, false, true, true, false}));

        // A responder of its own without a Cancel answers through its Yes/No.
        Recorder recorder;
        installMessageResponder(&recorder);
        QCOMPARE(askYesNoCancel(nullptr, QStringLiteral("七"), QString()), Answer::Yes);
        installMessageResponder(&responder);
        QCOMPARE(recorder.titles, QStringList{kProgramTitle});
    }

    void scriptedNestsAndRestores()
    {
        ScriptedResponder outer;
        {
            ScriptedResponder inner;
            showNotice(nullptr, QStringLiteral("里"));
            QCOMPARE(inner.texts(), QStringList{"里"});
        }
        showNotice(nullptr, QStringLiteral("外"));
        QCOMPARE(outer.texts(), QStringList{"外"});
    }

    void installReturnsPreviousAndPassesShownTitle()
    {
        Recorder first;
        Recorder second;
        QCOMPARE(installMessageResponder(&first), nullptr);
        QCOMPARE(installMessageResponder(&second), &first);
        showNotice(nullptr, QStringLiteral("x"));
        QVERIFY(askYesNo(nullptr, QStringLiteral("y")));
        askYesNo(nullptr, QStringLiteral("z"), QString());
        QCOMPARE(installMessageResponder(nullptr), &second);
        QVERIFY(first.titles.isEmpty());
        QCOMPARE(second.titles, (QStringList{kProgramTitle, kTitleHintDots, kProgramTitle}));
    }

    void realNotice()
    {
        SeenBox seen;
        QPixmap picture;
        whenBoxOpens(&seen, [&picture](QMessageBox *box) {
            picture = box->grab();
            box->accept();
        });
        showNotice(nullptr, QStringLiteral("恭喜！恭喜！\r　　服务器数据连接正确,下载数据成功。"));

        QVERIFY(seen.found);
        QCOMPARE(seen.title, kProgramTitle);
        QCOMPARE(seen.text, QStringLiteral("恭喜！恭喜！\n　　服务器数据连接正确,下载数据成功。"));
        QCOMPARE(seen.format, Qt::PlainText);
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.buttons, QStringList{"确定"});
        QVERIFY(!picture.isNull());
        saveShot(picture.toImage(), QStringLiteral("notice"));
    }

    void realNoticeKeepsMarkupAsText()
    {
        SeenBox seen;
        whenBoxOpens(&seen, [](QMessageBox *box) { box->accept(); });
        showNotice(nullptr, QStringLiteral("<b>一班</b>"), kTitleHint);
        QCOMPARE(seen.title, kTitleHint);
        QCOMPARE(seen.text, QStringLiteral("<b>一班</b>"));
        QCOMPARE(seen.format, Qt::PlainText);
    }

    void realQuestion_data()
    {
        QTest::addColumn<bool>("withCancel");   // askYesNoCancel, else askYesNo
        QTest::addColumn<QString>("click");     // button text, or empty to close the box
        QTest::addColumn<Answer>("answer");
        QTest::newRow("是") << false << QStringLiteral("是(&Y)") << Answer::Yes;
        QTest::newRow("否") << false << QStringLiteral("否(&N)") << Answer::No;
        QTest::newRow("closed") << false << QString() << Answer::No;
        QTest::newRow("with Cancel: 是") << true << QStringLiteral("是(&Y)") << Answer::Yes;
        QTest::newRow("with Cancel: 否") << true << QStringLiteral("否(&N)") << Answer::No;
        QTest::newRow("with Cancel: 取消") << true << QStringLiteral("取消") << Answer::Cancel;
        QTest::newRow("with Cancel: closed") << true << QString() << Answer::Cancel;
    }
    void realQuestion()
    {
        QFETCH(bool, withCancel);
        QFETCH(QString, click);
        QFETCH(Answer, answer);
        SeenBox seen;
        QPixmap picture;
        whenBoxOpens(&seen, [click, &picture](QMessageBox *box) {
            picture = box->grab();
            if (click.isEmpty()) {
                box->close();
            } else {
                // A missing button closes the box; the checks below then fail.
                if (QAbstractButton *b = buttonWithText(box, click))
                    b->click();
                else
                    box->close();
            }
        });
        const QString text = QStringLiteral(" 确 实 要 删 除 (期中考试) 这 一 记 录 ？");
        const Answer given = withCancel ? askYesNoCancel(nullptr, text)
                                        : (askYesNo(nullptr, text) ? Answer::Yes : Answer::No);

        QVERIFY(seen.found);
        QCOMPARE(given, answer);
        QCOMPARE(seen.title, kTitleHintDots);
        QCOMPARE(seen.text, text);
        QCOMPARE(seen.icon, QMessageBox::Question);
        QStringList buttons{QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")};
        if (withCancel)
            buttons << QStringLiteral("取消");
        buttons.sort();
        seen.buttons.sort();
        QCOMPARE(seen.buttons, buttons);
        QCOMPARE(seen.defaultButton, QStringLiteral("是(&Y)"));
        if (click.isEmpty())
            saveShot(picture.toImage(), withCancel ? QStringLiteral("question_with_cancel") : QStringLiteral("question"));
    }
};

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
