#include "widgets/file_chooser.h"
#include "os/translations.h"
#include "fixtures/ui_helpers.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QDir>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace tessaly;

class TstTranslations : public QObject {
    Q_OBJECT
private slots:
    void standardButtonsSpeakChinese()
    {
        QVERIFY(installQtTranslations());
        QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Open);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), QStringLiteral("取消"));
        QCOMPARE(box.button(QDialogButtonBox::Open)->text().remove(QLatin1Char('&')), QStringLiteral("打开"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "File &name:").remove(QLatin1Char('&')).left(3),
                 QStringLiteral("文件名"));
        QFileDialog dialog(nullptr, QStringLiteral("打开"), fileDialogStartFolder());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.resize(640, 400);
        dialog.show();
        tessaly::test::saveShot(dialog.grab().toImage(), QStringLiteral("file_dialog"));
        QPrinter printer;
        QPrintDialog print(&printer);
        print.show();
        tessaly::test::saveShot(print.grab().toImage(), QStringLiteral("print_dialog"));
    }

    void fileDialogOpensOutsideTheWorkingFolder()
    {
        const QString start = fileDialogStartFolder();
        QVERIFY(QDir(start).exists());
        QVERIFY(QDir(start) != QDir::current() || QDir::current() == QDir::home());
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (QDir(documents).exists())
            QCOMPARE(start, documents);
        else
            QCOMPARE(start, QDir::homePath());
    }
};

QTEST_MAIN(TstTranslations)
#include "tst_translations.moc"
