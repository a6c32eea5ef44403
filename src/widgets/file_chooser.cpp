#include "widgets/file_chooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

namespace tessaly {

namespace {

FileChooser *g_chooser = nullptr;
QString g_lastFolder;  // folder of the last file chosen in this run

} // namespace

QString FileFilter::text() const
{
    // A caption that names its patterns already is shown as it is.
    if (caption.contains(QLatin1Char('(')))
        return caption;
    return caption + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QString chooseOpenFile(QWidget *parent, const QString &title, const QList<FileFilter> &filters)
{
    if (g_chooser)
        return g_chooser->openFile(parent, title, filters);
    QStringList texts;
    for (const FileFilter &f : filters)
        texts << f.text();
    QFileDialog dialog(parent, title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDirectory(fileDialogStartFolder());
    dialog.setNameFilters(texts);
    if (!texts.isEmpty())
        dialog.selectNameFilter(texts.first());
    showFileDetails(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString chosen = dialog.selectedFiles().first();
    g_lastFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

void showFileDetails(QFileDialog &dialog)
{
    dialog.setViewMode(QFileDialog::Detail);
    QSize size(kFileDialogWidth, kFileDialogHeight);
    const QScreen *screen = dialog.parentWidget() ? dialog.parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen)
        size = size.boundedTo(screen->availableGeometry().size());
    dialog.resize(size);
}

QString fileDialogStartFolder()
{
    if (!g_lastFolder.isEmpty() && QDir(g_lastFolder).exists())
        return g_lastFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists())
        return documents;
    return QDir::homePath();
}

FileChooser *installFileChooser(FileChooser *chooser)
{
    FileChooser *previous = g_chooser;
    g_chooser = chooser;
    return previous;
}

QList<FileFilter> workbookFilters()
{
    return {{QStringLiteral("Excel文件"), {QStringLiteral("*.xlsx"), QStringLiteral("*.xls")}},
            {QStringLiteral("Excel工作簿"), {QStringLiteral("*.xlsx")}},
            {QStringLiteral("Excel 97-2003 工作簿"), {QStringLiteral("*.xls")}}};
}

QList<FileFilter> parseFileFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QList<FileFilter> out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out.append({parts[i], parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)});
    return out;
}

bool CommonDialog::ShowOpen(QWidget *parent)
{
    const QString chosen = chooseOpenFile(parent, DialogTitle, parseFileFilters(Filter));
    if (chosen.isEmpty())
        return false;
    FileName = chosen;
    return true;
}

ScriptedFileChooser::ScriptedFileChooser() : m_previous(installFileChooser(this)) {}

ScriptedFileChooser::~ScriptedFileChooser()
{
    installFileChooser(m_previous);
}

QString ScriptedFileChooser::openFile(QWidget *, const QString &title, const QList<FileFilter> &filters)
{
    m_requests.append({title, filters});
    return m_answers.isEmpty() ? QString() : m_answers.takeFirst();
}

} // namespace tessaly
