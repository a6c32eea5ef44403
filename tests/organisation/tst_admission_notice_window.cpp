// 打印通知书: the page with its scroll range, the settings panel and the picture
// chooser.
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "organisation/admission_notice_window.h"
#include "widgets/file_chooser.h"
#include "widgets/units.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

// The main window large enough for the page's designed size.
AdmissionNoticeWindow *openOnLargeMain(WindowHarness &h)
{
    h.main.resize(1000, 760);
    return h.open<AdmissionNoticeWindow>(kAdmissionNoticeWindow);
}

} // namespace

class TestAdmissionNoticeWindow : public QObject {
    Q_OBJECT

private slots:
    void opensWithPageAndHiddenPanel()
    {
        TestSchool school;
        WindowHarness h(school);
        auto *w = openOnLargeMain(h);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), u"打印入学通知书"_s);
        QCOMPARE(windowFrame(w)->pos(), QPoint(0, 0));
        QCOMPARE(w->noticeHeading->text(), u"录取通知书"_s);
        QCOMPARE(w->noticeText->text(), u"正在编程中……"_s);
        QVERIFY(w->noticePanel->isVisible());
        QVERIFY(!w->settingsFrame->isVisible());
        QVERIFY(!w->paper32kOption->isChecked());
        QVERIFY(!w->paper16kOption->isChecked());
        QCOMPARE(w->noticePanel->geometry(), QRect(twipsToPixels(120), twipsToPixels(120), twipsToPixels(11265),
                                                twipsToPixels(19800)));
        QCOMPARE(w->noticeScroll->height(), twipsToPixels(6855));
        QCOMPARE(w->noticeScroll->geometry().right(), w->width() - 1);
        QCOMPARE(w->buttonPanel->geometry().bottom(), w->height() - 1);
        QVERIFY(h.responder.shown().isEmpty());
        saveShot(h.main.grab().toImage(), u"admission_notice"_s);
    }

    void scrollRangeAndPage()
    {
        TestSchool school;
        WindowHarness h(school);
        auto *w = openOnLargeMain(h);
        QCOMPARE(w->noticeScroll->minimum(), -50);
        QCOMPARE(w->noticeScroll->maximum(), 13045);
        QCOMPARE(w->noticeScroll->value(), 0);
        QCOMPARE(w->pageTopTwips(), 120);   // the design position until the first scroll

        w->noticeScroll->setValue(w->noticeScroll->minimum());
        QCOMPARE(w->pageTopTwips(), 45);   // 50 twips, to the nearest pixel
        w->noticeScroll->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(w->noticePanel->y(), twipsToPixels(-13045));
        // The page's bottom lies 100 twips above the scroll bar's.
        QCOMPARE(w->noticePanel->y() + w->noticePanel->height(), w->noticeScroll->height() - twipsToPixels(100));
        w->noticeScroll->setValue(0);
        QCOMPARE(w->pageTopTwips(), 0);
    }

    void lowWindowKeepsThePageBottomReachable()
    {
        TestSchool school;
        WindowHarness h(school);
        h.main.resize(900, 420);
        auto *w = h.open<AdmissionNoticeWindow>(kAdmissionNoticeWindow);
        QVERIFY(w->height() < twipsToPixels(6840 + 1095));
        QCOMPARE(w->noticeScroll->geometry().bottom(), w->buttonPanel->y());   // 15 twips under the bar, as designed
        QCOMPARE(w->noticeScroll->maximum(), 19800 - pixelsToTwips(w->noticeScroll->height()) + 100);
        w->noticeScroll->triggerAction(QAbstractSlider::SliderToMaximum);
        QVERIFY(w->noticePanel->geometry().bottom() < w->buttonPanel->y());
    }

    void settingsPanel()
    {
        TestSchool school;
        WindowHarness h(school);
        auto *w = openOnLargeMain(h);
        QTest::mouseClick(w->settingsButton, Qt::LeftButton);
        QVERIFY(w->settingsFrame->isVisible());
        QCOMPARE(w->settingsFrame->pos(), QPoint(twipsToPixels(3480), twipsToPixels(1920)));
        saveShot(h.main.grab().toImage(), u"admission_notice_settings"_s);
        // Choices change nothing but their own marks; 打印 and the second 浏览 nothing at all.
        ScriptedFileChooser chooser;
        QTest::mouseClick(w->paper16kOption, Qt::LeftButton);
        QVERIFY(w->paper16kOption->isChecked());
        QTest::mouseClick(w->browseStudentListButton, Qt::LeftButton);
        QTest::mouseClick(w->printButton, Qt::LeftButton);
        QVERIFY(chooser.requests().isEmpty());
        QCOMPARE(w->pictureBox->text(), QString());
        QCOMPARE(w->studentListBox->text(), QString());
        QVERIFY(w->settingsFrame->isVisible());
        QTest::mouseClick(w->confirmSettingsButton, Qt::LeftButton);
        QVERIFY(!w->settingsFrame->isVisible());
        QTest::mouseClick(w->settingsButton, Qt::LeftButton);
        QTest::mouseClick(w->cancelSettingsButton, Qt::LeftButton);
        QVERIFY(!w->settingsFrame->isVisible());
        QVERIFY(w->paper16kOption->isChecked());   // neither applies nor discards
        QVERIFY(h.responder.shown().isEmpty());

        QTest::mouseClick(w->closeButton, Qt::LeftButton);
        QTRY_VERIFY(!h.isOpen(kAdmissionNoticeWindow));
    }

    void pictureChooser()
    {
        TestSchool school;
        WindowHarness h(school);
        auto *w = openOnLargeMain(h);
        QTest::mouseClick(w->settingsButton, Qt::LeftButton);
        ScriptedFileChooser chooser;

        // A first cancel leaves the box as it is.
        w->pictureBox->setText(u"手写的路径"_s);
        chooser.cancel();
        QTest::mouseClick(w->browsePictureButton, Qt::LeftButton);
        QCOMPARE(w->pictureBox->text(), u"手写的路径"_s);
        QCOMPARE(chooser.requests().size(), 1);
        QCOMPARE(chooser.requests()[0].title, u"打开"_s);
        QStringList filters;
        for (const FileFilter &f : chooser.requests()[0].filters)
            filters << f.text();
        QCOMPARE(filters.join(u";;"_s), u"bmp文件 (*.bmp);;jpg文件 (*.jpg);;jpeg文件 (*.jpeg);;gif文件 (*.gif)"_s);

        chooser.answer(u"/图片/校园.jpg"_s);
        QTest::mouseClick(w->browsePictureButton, Qt::LeftButton);
        QCOMPARE(w->pictureBox->text(), u"/图片/校园.jpg"_s);

        // The dialog keeps the last name: a later cancel puts it back.
        w->pictureBox->setText(u"改过的"_s);
        chooser.cancel();
        QTest::mouseClick(w->browsePictureButton, Qt::LeftButton);
        QCOMPARE(w->pictureBox->text(), u"/图片/校园.jpg"_s);
    }
};

QTEST_MAIN(TestAdmissionNoticeWindow)
#include "tst_admission_notice_window.moc"
