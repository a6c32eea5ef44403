// Twips, share paths and the program folder.
#include "fixtures/env_scope.h"
#include "os/program_folder.h"
#include "os/share_paths.h"
#include "widgets/units.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>

using namespace tessaly;
using tessaly::test::EnvScope;

class TestPaths : public QObject {
    Q_OBJECT

private slots:
    void twipsToPixels_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("one pixel") << 15 << 1;
        QTest::newRow("7 rounds down") << 7 << 0;
        QTest::newRow("8 rounds up") << 8 << 1;
        QTest::newRow("22 rounds down") << 22 << 1;
        QTest::newRow("23 rounds up") << 23 << 2;
        QTest::newRow("-7") << -7 << 0;
        QTest::newRow("-8") << -8 << -1;
        QTest::newRow("an inch") << 1440 << 96;
        QTest::newRow("main window width") << 12000 << 800;
        QTest::newRow("main window height") << 9000 << 600;
        QTest::newRow("largest int") << INT_MAX << 143165576;
        QTest::newRow("smallest int") << INT_MIN << -143165577;
    }
    void twipsToPixels()
    {
        QFETCH(int, twips);
        QFETCH(int, pixels);
        QCOMPARE(tessaly::twipsToPixels(twips), pixels);
    }

    void pixelsRoundTrip()
    {
        QCOMPARE(pixelsToTwips(96), 1440);
        QCOMPARE(pixelsToTwips(-3), -45);
        for (int px = -500; px <= 500; ++px)
            QCOMPARE(tessaly::twipsToPixels(pixelsToTwips(px)), px);
    }

    void isSharePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("share");
        QTest::newRow("backslashes") << "\\\\server\\shuju$\\data.mdb" << true;
        QTest::newRow("slashes") << "//server/shuju$/data.mdb" << true;
        QTest::newRow("local") << "/home/school/data.mdb" << false;
        QTest::newRow("one backslash") << "\\server\\data.mdb" << false;
        QTest::newRow("drive") << "C:\\Tessaly\\data.mdb" << false;
        QTest::newRow("empty") << "" << false;
    }
    void isSharePath()
    {
        QFETCH(QString, path);
        QFETCH(bool, share);
        QCOMPARE(tessaly::isSharePath(path), share);
    }

    void mapSharePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("mapped");   // "<root>" stands for the mount root
        QTest::newRow("server database") << "\\\\server\\shuju$\\data.mdb" << "<root>/server/shuju$/data.mdb";
        QTest::newRow("slashes") << "//server/shuju$/data.mdb" << "<root>/server/shuju$/data.mdb";
        QTest::newRow("Chinese folder") << "\\\\JWC\\Tessaly安装\\setup.exe" << "<root>/JWC/Tessaly安装/setup.exe";
        QTest::newRow("doubled separators and dots")
            << "\\\\server\\\\shuju$\\.\\old\\..\\data.mdb" << "<root>/server/shuju$/data.mdb";
        QTest::newRow("dots stay under the root") << "\\\\server\\..\\..\\etc\\passwd" << "<root>/etc/passwd";
        QTest::newRow("server only") << "\\\\server" << "<root>/server";
        QTest::newRow("local path passes") << "/home/school/data.mdb" << "/home/school/data.mdb";
        QTest::newRow("local with backslashes") << "C:\\Tessaly\\data.mdb" << "C:/Tessaly/data.mdb";
        QTest::newRow("empty") << "" << "";
    }
    void mapSharePath()
    {
        QFETCH(QString, path);
        QFETCH(QString, mapped);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        EnvScope env("TESSALY_SHARES", root.path() + QLatin1Char('/'));
        mapped.replace(QStringLiteral("<root>"), QDir::cleanPath(root.path()));
        QCOMPARE(tessaly::mapSharePath(path), mapped);
    }

    // A file chosen under the mount root goes back to its share form.
    void unmapSharePath_data()
    {
        QTest::addColumn<QString>("local");   // "<root>" stands for the mount root
        QTest::addColumn<QString>("share");
        QTest::newRow("installer") << "<root>/JWC/Tessaly安装/setup.exe" << "\\\\JWC\\Tessaly安装\\setup.exe";
        QTest::newRow("root itself stays") << "<root>" << "<root>";
        QTest::newRow("beside the root stays") << "<root>x/a" << "<root>x/a";
        QTest::newRow("elsewhere stays") << "/home/school/setup.exe" << "/home/school/setup.exe";
    }
    void unmapSharePath()
    {
        QFETCH(QString, local);
        QFETCH(QString, share);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        EnvScope env("TESSALY_SHARES", root.path());
        local.replace(QStringLiteral("<root>"), QDir::cleanPath(root.path()));
        share.replace(QStringLiteral("<root>"), QDir::cleanPath(root.path()));
        QCOMPARE(tessaly::unmapSharePath(local), share);
        if (share.startsWith(QStringLiteral("\\\\")))
            QCOMPARE(tessaly::mapSharePath(share), local);
    }

    void mapSharePathReachesFileOnTemporaryServer()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("server/shuju$")));
        QFile db(root.filePath(QStringLiteral("server/shuju$/data.mdb")));
        QVERIFY(db.open(QIODevice::WriteOnly));
        db.close();
        EnvScope env("TESSALY_SHARES", root.path());
        QVERIFY(QFile::exists(tessaly::mapSharePath(QStringLiteral("\\\\server\\shuju$\\data.mdb"))));
    }

    void mountRootDefaultsToMnt()
    {
        EnvScope env("TESSALY_SHARES", QString());
        QCOMPARE(shareMountRoot(), QStringLiteral("/mnt"));
        QCOMPARE(tessaly::mapSharePath(QStringLiteral("\\\\server\\shuju$\\data.mdb")),
                 QStringLiteral("/mnt/server/shuju$/data.mdb"));
    }

    void programFolderFromTessalyHome()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        EnvScope env("TESSALY_HOME", home.path());
        QCOMPARE(programFolder(), QDir(home.path()).absolutePath());
        QCOMPARE(programFile(QStringLiteral("data.mdb")), home.filePath(QStringLiteral("data.mdb")));
        QCOMPARE(programFile(QStringLiteral("XM.DLL")), home.filePath(QStringLiteral("XM.DLL")));
    }

    void programFolderRelativeHomeIsMadeAbsolute()
    {
        EnvScope env("TESSALY_HOME", QStringLiteral("school"));
        QCOMPARE(programFolder(), QDir::current().absoluteFilePath(QStringLiteral("school")));
    }

    void programFolderWithoutHomeIsExecutableFolder()
    {
        EnvScope env("TESSALY_HOME", QString());
        QCOMPARE(programFolder(), QCoreApplication::applicationDirPath());
        QCOMPARE(programFile(QStringLiteral("data.mdb")),
                 QCoreApplication::applicationDirPath() + QStringLiteral("/data.mdb"));
    }
};

QTEST_MAIN(TestPaths)
#include "tst_paths.moc"
