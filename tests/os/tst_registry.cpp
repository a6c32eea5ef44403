// The registry stand-in: values read from its INI file as GetKeyValue reads them.
#include "fixtures/files.h"
#include "os/registry.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

class TestRegistry : public QObject {
    Q_OBJECT

private slots:
    void getKeyValue_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("text");

        const QByteArray msinfo = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n";
        const QString key = u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"_s;
        QTest::newRow("text") << msinfo + "PATH=/usr/bin/系统信息\n" << key << u"PATH"_s << true
                              << u"/usr/bin/系统信息"_s;
        QTest::newRow("final NUL dropped") << msinfo + "PATH=/usr/bin/info\\0\n" << key << u"PATH"_s << true
                                           << u"/usr/bin/info"_s;
        QTest::newRow("only one NUL dropped") << msinfo + "PATH=/usr/bin/info\\0\\0\n" << key << u"PATH"_s
                                              << true << u"/usr/bin/info"_s + QChar(0);
        QTest::newRow("names ignore case") << msinfo + "Path=/usr/bin/info\n"
                                           << u"software\\microsoft\\shared tools\\msinfo"_s << u"PATH"_s
                                           << true << u"/usr/bin/info"_s;
        QTest::newRow("binary value keeps KeyVal") << msinfo + "PATH=@ByteArray(/usr/bin/info)\n" << key
                                                   << u"PATH"_s << true << u"before"_s;
        QTest::newRow("value missing") << msinfo + "OTHER=x\n" << key << u"PATH"_s << false << QString();
        QTest::newRow("key missing") << msinfo + "PATH=x\n" << u"SOFTWARE\\Microsoft\\Shared Tools"_s
                                     << u"PATH"_s << false << QString();
        QTest::newRow("1024 bytes fit") << msinfo + "PATH=" + QByteArray(1024, 'a') + "\n" << key << u"PATH"_s
                                        << true << QString(1024, u'a');
        QTest::newRow("1025 bytes do not") << msinfo + "PATH=" + QByteArray(1025, 'a') + "\n" << key
                                           << u"PATH"_s << false << QString();
        QTest::newRow("no file") << QByteArray() << key << u"PATH"_s << false << QString();
    }

    void getKeyValue()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(bool, read);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"registry.ini"_s);
        if (!ini.isEmpty())
            putFile(path, ini);
        QString keyVal = u"before"_s;
        QCOMPARE(GetKeyValue(Registry(path), HKEY_LOCAL_MACHINE, key, value, keyVal), read);
        QCOMPARE(keyVal, text);
    }
};

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
