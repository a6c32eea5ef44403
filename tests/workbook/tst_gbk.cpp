#include "workbook/gbk.h"
#include "fixtures/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace tessaly;
using tessaly::test::fileBytes;
using tessaly::test::putFile;

namespace {

} // namespace

class TestGbk : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString file(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void codec_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("gbk");
        QTest::newRow("ASCII") << "Tessaly 1.0" << QByteArray("Tessaly 1.0");
        QTest::newRow("Chinese") << "学校" << QByteArray("\xD1\xA7\xD0\xA3");
        QTest::newRow("full-width blank") << "　" << QByteArray("\xA1\xA1");
        QTest::newRow("full-width stop") << "。" << QByteArray("\xA1\xA3");
        QTest::newRow("middle dot in a name") << "买买提·艾力" << QByteArray("\xC2\xF2\xC2\xF2\xCC\xE1\xA1\xA4\xB0\xAC\xC1\xA6");
        QTest::newRow("GBK beyond GB2312") << "喆" << QByteArray("\x86\xB4");
        QTest::newRow("euro, one byte") << "€" << QByteArray("\x80");
        QTest::newRow("mixed") << "一班A" << QByteArray("\xD2\xBB\xB0\xE0" "A");
        QTest::newRow("empty") << "" << QByteArray();
    }
    void codec()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, gbk);
        QCOMPARE(toGbk(text), gbk);
        QCOMPARE(fromGbk(gbk), text);
        QVERIFY(gbkCanEncode(text));
        QVERIFY(gbkMissingCharacters(text).isEmpty());
    }

    void toGbkMarksMissingCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("gbk");
        QTest::addColumn<QStringList>("missing");   // each once, in order
        QTest::newRow("emoji") << "A😀B" << QByteArray("A?B") << QStringList{"😀"};
        QTest::newRow("CJK extension B") << "𠀀学" << QByteArray("?\xD1\xA7") << QStringList{"𠀀"};
        QTest::newRow("bullet") << "•" << QByteArray("?") << QStringList{"•"};
        QTest::newRow("repeated, mixed") << "한😀中한" << QByteArray("??\xD6\xD0?") << QStringList{"한", "😀"};
    }
    void toGbkMarksMissingCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, gbk);
        QFETCH(QStringList, missing);
        QCOMPARE(toGbk(text), gbk);
        QVERIFY(!gbkCanEncode(text));
        QCOMPARE(gbkMissingCharacters(text), missing);
    }

    void fromGbkReplacesBadBytes_data()
    {
        QTest::addColumn<QByteArray>("gbk");
        QTest::addColumn<QString>("text");
        const QString bad(QChar::ReplacementCharacter);
        QTest::newRow("lone 0xFF") << QByteArray("A\xFF" "B") << "A" + bad + "B";
        QTest::newRow("lead byte at the end") << QByteArray("\xD1\xA7\xD0") << "学" + bad;
        QTest::newRow("lead byte before a line feed") << QByteArray("\xD1\n") << bad + "\n";
    }
    void fromGbkReplacesBadBytes()
    {
        QFETCH(QByteArray, gbk);
        QFETCH(QString, text);
        QCOMPARE(fromGbk(gbk), text);
    }

    void byteWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bytes");
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("ASCII") << "abc123" << 6;
        QTest::newRow("two Chinese") << "张三" << 4;
        QTest::newRow("mixed") << "a张 " << 4;
        QTest::newRow("full-width blank") << "　" << 2;
        QTest::newRow("full-width letter") << "Ａ" << 2;
        QTest::newRow("euro") << "€" << 1;
        QTest::newRow("emoji counts wide") << "😀" << 2;
        QTest::newRow("CJK extension B counts wide") << "𠀀" << 2;
    }
    void byteWidth()
    {
        QFETCH(QString, text);
        QFETCH(int, bytes);
        QCOMPARE(gbkByteWidth(text), bytes);
    }

    void padToBytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("padded");
        QTest::newRow("two characters to 8") << "张三" << 8 << "张三    ";
        QTest::newRow("three characters to 8") << "张三丰" << 8 << "张三丰  ";
        QTest::newRow("exactly 8") << "欧阳春秋" << 8 << "欧阳春秋";
        QTest::newRow("wider than 8: kept whole") << "欧阳春秋子" << 8 << "欧阳春秋子";
        QTest::newRow("subject to 9") << "语文" << 9 << "语文     ";
        QTest::newRow("mixed to 9") << "Tom张" << 9 << "Tom张    ";
        QTest::newRow("full-width blanks count 2") << "　一" << 8 << "　一    ";
        QTest::newRow("empty") << "" << 3 << "   ";
        QTest::newRow("zero width") << "ab" << 0 << "ab";
        QTest::newRow("negative width") << "ab" << -5 << "ab";
    }
    void padToBytes()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QString, padded);
        QCOMPARE(PadToBytes(text, width), padded);
    }

    void readFirstLine_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("line");
        const QByteArray name("\xC7\xE0\xCB\xC9\xD6\xD0\xD1\xA7");   // 青松中学
        QTest::newRow("CR LF") << name + "\r\n" << "青松中学";
        QTest::newRow("LF") << name + "\n" << "青松中学";
        QTest::newRow("CR") << name + "\r" << "青松中学";
        QTest::newRow("no line end") << name << "青松中学";
        QTest::newRow("second line not read") << name + "\r\nsecond\r\n" << "青松中学";
        QTest::newRow("empty first line") << QByteArray("\r\n") << "";
        QTest::newRow("empty first line, more after") << QByteArray("\r\n" "xyz\r\n") << "";
        QTest::newRow("leading blanks kept")
            << QByteArray("\xA1\xA1  ") + name + "\r\n" << "　  青松中学";
        QTest::newRow("UTF-8 with byte order mark")
            << QByteArray("\xEF\xBB\xBF") + QStringLiteral("青松中学").toUtf8() + "\r\n" << "青松中学";
        QTest::newRow("line longer than 4 KB: its first 4 KB")
            << QByteArray(5000, 'x') + "\r\n" << QString(4096, QLatin1Char('x'));
        const QString two = QStringLiteral("青松中学\r\n第二行");
        QByteArray le("\xFF\xFE"), be("\xFE\xFF");
        for (QChar c : two) {
            le += char(c.unicode() & 0xFF);
            le += char(c.unicode() >> 8);
            be += char(c.unicode() >> 8);
            be += char(c.unicode() & 0xFF);
        }
        QTest::newRow("UTF-16 LE with byte order mark") << le << "青松中学";
        QTest::newRow("UTF-16 BE with byte order mark") << be << "青松中学";
        QTest::newRow("UTF-16 LE, no line end") << le.left(2 + 8) << "青松中学";
    }
    void readFirstLine()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, line);
        const QString path = file("XM.DLL");
        putFile(path, content);
        const std::optional<QString> got = readFirstLineGbk(path);
        QVERIFY(got.has_value());
        QCOMPARE(*got, line);
    }

    void readFirstLineFailures()
    {
        QVERIFY(!readFirstLineGbk(file("missing.DLL")).has_value());

        const QString empty = file("empty.DLL");
        putFile(empty, QByteArray());
        QVERIFY(!readFirstLineGbk(empty).has_value());

        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder.DLL")));
        QVERIFY(!readFirstLineGbk(file("folder.DLL")).has_value());
    }

    // A huge file is not read whole: its first 4 KB give the line.
    void readFirstLineOfAHugeFile()
    {
        const QString path = file("huge.DLL");
        putFile(path, "\xC7\xE0\xCB\xC9");   // 青松, then zeros without a line end
        QFile f(path);
        QVERIFY(f.resize(qint64(64) << 20));
        const std::optional<QString> got = readFirstLineGbk(path);
        QVERIFY(got.has_value());
        QVERIFY(got->startsWith(QStringLiteral("青松")));
        QVERIFY(got->size() <= 4096);
        QVERIFY(f.remove());
    }

    void readFirstLineUnreadable()
    {
        if (geteuid() == 0)
            QSKIP("root reads every file");
        const QString path = file("locked.DLL");
        putFile(path, "abc\r\n");
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        QVERIFY(!readFirstLineGbk(path).has_value());
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void writeLineReplacesFile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("school name") << "青松中学" << QByteArray("\xC7\xE0\xCB\xC9\xD6\xD0\xD1\xA7\r\n");
        QTest::newRow("server path")
            << "\\\\JWC\\Tessaly安装\\setup.exe"
            << QByteArray("\\\\JWC\\Tessaly\xB0\xB2\xD7\xB0\\setup.exe\r\n");
        QTest::newRow("blanks kept") << "　 一中 " << QByteArray("\xA1\xA1 \xD2\xBB\xD6\xD0 \r\n");
        QTest::newRow("empty") << "" << QByteArray("\r\n");
    }
    void writeLineReplacesFile()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const QString path = file("PATH.DLL");
        putFile(path, "old first line that is longer\r\nold second line\r\n");

        QVERIFY(writeLineGbk(path, text));
        QCOMPARE(fileBytes(path), bytes);
        QCOMPARE(readFirstLineGbk(path), std::optional<QString>(text));
    }

    void writeLineCreatesFile()
    {
        const QString path = file("new.DLL");
        QVERIFY(!QFile::exists(path));
        QVERIFY(writeLineGbk(path, QStringLiteral("新学校")));
        QCOMPARE(fileBytes(path), QByteArray("\xD0\xC2\xD1\xA7\xD0\xA3\r\n"));
    }

    void writeLineRefuses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("emoji") << "一中😀";
        QTest::newRow("CJK extension B") << "𠀀中学";
        QTest::newRow("CR") << "一中\r二中";
        QTest::newRow("LF") << "一中\n二中";
    }
    void writeLineRefuses()
    {
        QFETCH(QString, text);
        const QString path = file("keep.DLL");
        const QByteArray before("\xD2\xBB\xD6\xD0\r\n");   // 一中
        putFile(path, before);
        QVERIFY(!writeLineGbk(path, text));
        QCOMPARE(fileBytes(path), before);
    }

    void writeLineFailsInMissingFolder()
    {
        QVERIFY(!writeLineGbk(file("no/such/folder/XM.DLL"), QStringLiteral("一中")));
        QVERIFY(!QFile::exists(file("no")));
    }
};

QTEST_MAIN(TestGbk)
#include "tst_gbk.moc"
