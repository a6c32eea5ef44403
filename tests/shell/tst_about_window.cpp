// 关于: title, version and purpose, and the system-information button through
// the registry stand-in (an INI file the test writes) and the desktop's own
// system-information program.
#include "fixtures/env_scope.h"
#include "fixtures/files.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "widgets/messages.h"
#include "os/system_info.h"
#include "widgets/units.h"
#include "shell/about_window.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kMsinfoSection = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n";
const QByteArray kLocationSection = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\n";

void makeExecutable(const QString &path)
{
    putFile(path, "#!/bin/sh\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
}

} // namespace

class TestAboutWindow : public QObject {
    Q_OBJECT

private slots:
    void opensWithTitleAndVersion()
    {
        TestSchool school;
        WindowHarness h(school);
        auto *w = h.open<AboutWindow>(kAboutWindow);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), u"关于 Tessaly"_s);
        QCOMPARE(w->titleLabel->text(), u"Tessaly"_s);
        QCOMPARE(w->versionLabel->text(), u"版本 1.0.0"_s);
        QVERIFY(w->descriptionLabel->text().startsWith(u"    软件开发意图:《Tessaly》适合小学、初中、高中教师"_s));
        QCOMPARE(w->okButton->text(), u"确    定(&T)"_s);
        QCOMPARE(w->systemInfoButton->text(), u"系统信息(&S)..."_s);
        const QWidget *frame = windowFrame(w);
        QCOMPARE(frame->width(), twipsToPixels(7335));
        QCOMPARE(frame->height(), twipsToPixels(4815));
        QVERIFY(h.responder.shown().isEmpty());
        saveShot(h.main.grab().toImage(), u"about_window"_s);

        QTest::mouseClick(w->okButton, Qt::LeftButton);
        QTRY_VERIFY(!h.isOpen(kAboutWindow));
    }

    void systemInformation_data()
    {
        QTest::addColumn<QByteArray>("ini");           // %DIR% stands for the test's folder
        QTest::addColumn<QStringList>("files");        // made in that folder first
        QTest::addColumn<bool>("startSucceeds");
        QTest::addColumn<QStringList>("started");
        QTest::addColumn<bool>("unavailable");

        QTest::newRow("PATH started as it is, unchecked")
            << kMsinfoSection + "PATH=/opt/没有的/msinfo\n" << QStringList() << true
            << QStringList{u"/opt/没有的/msinfo"_s} << false;
        QTest::newRow("PATH with its final NUL")
            << kMsinfoSection + "PATH=%DIR%/info\\0\n" << QStringList() << true
            << QStringList{u"%DIR%/info"_s} << false;
        QTest::newRow("only Location, file there")
            << kLocationSection + "MSINFO=%DIR%/tools\n" << QStringList{u"tools/MSINFO32.EXE"_s} << true
            << QStringList{u"%DIR%/tools/MSINFO32.EXE"_s} << false;
        QTest::newRow("only Location, no file")
            << kLocationSection + "MSINFO=%DIR%/tools\n" << QStringList{u"tools/other.exe"_s} << true
            << QStringList() << true;
        QTest::newRow("neither") << QByteArray() << QStringList() << true << QStringList() << true;
        QTest::newRow("PATH not text") << kMsinfoSection + "PATH=@ByteArray(/usr/bin/x)\n" << QStringList()
                                       << true << QStringList() << true;
        QTest::newRow("start fails") << kMsinfoSection + "PATH=/usr/bin/x\n" << QStringList() << false
                                     << QStringList{u"/usr/bin/x"_s} << true;
        QTest::newRow("neither, desktop program installed")
            << QByteArray() << QStringList{u"bin/hardinfo"_s} << true << QStringList{u"%DIR%/bin/hardinfo"_s}
            << false;
    }

    void systemInformation()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, files);
        QFETCH(bool, startSucceeds);
        QFETCH(QStringList, started);
        QFETCH(bool, unavailable);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = dir.path();
        QVERIFY(QDir(root).mkpath(u"bin"_s));
        for (const QString &file : files) {
            QVERIFY(QDir(root).mkpath(QFileInfo(file).path()));
            makeExecutable(dir.filePath(file));
        }
        putFile(dir.filePath(u"registry.ini"_s), QByteArray(ini).replace("%DIR%", root.toUtf8()));
        EnvScope registry("TESSALY_REGISTRY", dir.filePath(u"registry.ini"_s));
        EnvScope path("PATH", dir.filePath(u"bin"_s));   // the desktop's programs
        RecordingProgramStarter starter(startSucceeds);

        TestSchool school;
        WindowHarness h(school);
        auto *w = h.open<AboutWindow>(kAboutWindow);
        QTest::mouseClick(w->systemInfoButton, Qt::LeftButton);

        QCOMPARE(starter.started, started.replaceInStrings(u"%DIR%"_s, root));
        if (unavailable) {
            QCOMPARE(h.responder.shown().size(), 1);   // what the program itself can tell
            for (const QString &part : {u"操作系统："_s, u"Qt 版本："_s + QString::fromLatin1(qVersion()),
                                        u"SQLite 版本：3."_s, u"程序文件夹："_s, u"data.mdb"_s})
                QVERIFY2(h.responder.last().text.contains(part), qPrintable(h.responder.last().text));
            QCOMPARE(h.responder.last().title, u"Tessaly"_s);
        } else {
            QVERIFY(h.responder.shown().isEmpty());
        }
        QVERIFY(h.isOpen(kAboutWindow));
    }
};

QTEST_MAIN(TestAboutWindow)
#include "tst_about_window.moc"
