#pragma once
// Printing lines of plain text on paper through Qt PrintSupport: the system's
// print dialog chooses the printer (any installed printer, or a PDF file), and
// the pages are drawn in one CJK font from fixed margins, one line under the
// other, with nothing added.
//
// Tests install a chooser that prints into a PDF file instead of asking.
#include <QList>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <functional>

class QPrinter;
class QWidget;

namespace tessaly {

struct TextPageFormat {
    QPageSize::PageSizeId paper = QPageSize::A4;
    int topTwips = 1400;                   // first line's top, from the paper's edge
    int leftTwips = 1100;                  // lines' left edge, from the paper's edge
    qreal pointSize = 10;                  // lines are this far apart, too
    QString fontFace = QStringLiteral("宋体");   // through cjkFont()
};

enum class PrintStatus { Printed, Cancelled, Failed };

struct PrintOutcome {
    PrintStatus status = PrintStatus::Printed;
    QString error;   // in Chinese, for Failed
};

// Chooses the printer for one print run on a printer already set to the paper;
// false when the user cancelled.
using PrinterChooser = std::function<bool(QPrinter &printer, QWidget *parent)>;

// The system's print dialog.
bool choosePrinterWithDialog(QPrinter &printer, QWidget *parent);
// Replaces the chooser every print run uses (an empty one restores the dialog).
// Returns the previous one.
PrinterChooser installPrinterChooser(PrinterChooser chooser);

// One print run: the installed chooser picks the printer, then the pages are
// printed under a waiting mouse pointer (the window system gets one turn before
// the first page). Cancelling prints nothing. A run that fails part-way is
// aborted, so no half job stays queued (a half-written PDF file is removed),
// and the outcome says why. An empty list prints nothing and asks nothing.
PrintOutcome printTextPages(const QList<QStringList> &pages, const TextPageFormat &format,
                            QWidget *parent);

// The same on a printer that is already chosen and set up.
PrintOutcome printTextPages(QPrinter &printer, const QList<QStringList> &pages,
                            const TextPageFormat &format);

// For tests: while it lives, every print run goes into the PDF file at `path`
// (or is cancelled, as a user cancels the dialog); it counts the runs.
class PdfPrinterChooser {
public:
    explicit PdfPrinterChooser(const QString &path);
    ~PdfPrinterChooser();
    PdfPrinterChooser(const PdfPrinterChooser &) = delete;
    PdfPrinterChooser &operator=(const PdfPrinterChooser &) = delete;

    void setPath(const QString &path) { m_path = path; }
    void setCancel(bool cancel) { m_cancel = cancel; }
    int runs() const { return m_runs; }
    QPageSize::PageSizeId lastPaper() const { return m_lastPaper; }

private:
    QString m_path;
    bool m_cancel = false;
    int m_runs = 0;
    QPageSize::PageSizeId m_lastPaper = QPageSize::Custom;
    PrinterChooser m_previous;
};

} // namespace tessaly
