#include "widgets/text_printer.h"

#include "widgets/fonts.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace tessaly {

namespace {

PrinterChooser &installedChooser()
{
    static PrinterChooser chooser;
    return chooser;
}

QString printerLabel(const QPrinter &printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return printer.outputFileName();
    return printer.printerName();
}

PrintOutcome failed(const QString &error)
{
    return {PrintStatus::Failed, error};
}

} // namespace

bool choosePrinterWithDialog(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

PrinterChooser installPrinterChooser(PrinterChooser chooser)
{
    PrinterChooser previous = std::move(installedChooser());
    installedChooser() = std::move(chooser);
    return previous;
}

PrintOutcome printTextPages(const QList<QStringList> &pages, const TextPageFormat &format,
                            QWidget *parent)
{
    if (pages.isEmpty())
        return {};
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(format.paper));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    const PrinterChooser &chooser = installedChooser();
    const bool chosen = chooser ? chooser(printer, parent) : choosePrinterWithDialog(printer, parent);
    if (!chosen)
        return {PrintStatus::Cancelled, {}};

    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::processEvents();
    const PrintOutcome outcome = printTextPages(printer, pages, format);
    QApplication::restoreOverrideCursor();
    return outcome;
}

PrintOutcome printTextPages(QPrinter &printer, const QList<QStringList> &pages,
                            const TextPageFormat &format)
{
    if (pages.isEmpty())
        return {};
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer) || printer.printerState() == QPrinter::Error) {
        return failed(QStringLiteral("无法开始打印作业（%1），请检查打印机或文件位置。")
                          .arg(printerLabel(printer)));
    }
    painter.setFont(cjkFont(format.fontFace, format.pointSize));
    const qreal toX = printer.resolution() / 1440.0;
    const qreal toY = printer.resolution() / 1440.0;
    const qreal left = format.leftTwips * toX;
    const qreal top = format.topTwips * toY;
    const qreal pitch = format.pointSize * 20 * toY;   // one line: the font's size
    const qreal ascent = painter.fontMetrics().ascent();

    const auto abortRun = [&](const QString &error) {
        printer.abort();
        if (painter.isActive())
            painter.end();
        if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
            QFile::remove(printer.outputFileName());
        return failed(error);
    };

    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0 && !printer.newPage())
            return abortRun(QStringLiteral("打印到第%1页时打印机出错，打印作业已取消。").arg(i + 1));
        const QStringList &lines = pages[i];
        for (qsizetype j = 0; j < lines.size(); ++j)
            painter.drawText(QPointF(left, top + j * pitch + ascent), lines[j]);
        if (printer.printerState() == QPrinter::Error)
            return abortRun(QStringLiteral("打印第%1页时打印机出错，打印作业已取消。").arg(i + 1));
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return abortRun(QStringLiteral("打印作业没能交给打印机（%1），已取消。").arg(printerLabel(printer)));
    return {};
}

PdfPrinterChooser::PdfPrinterChooser(const QString &path) : m_path(path)
{
    m_previous = installPrinterChooser([this](QPrinter &printer, QWidget *) {
        ++m_runs;
        m_lastPaper = printer.pageLayout().pageSize().id();
        if (m_cancel)
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_path);
        return true;
    });
}

PdfPrinterChooser::~PdfPrinterChooser()
{
    installPrinterChooser(std::move(m_previous));
}

} // namespace tessaly
