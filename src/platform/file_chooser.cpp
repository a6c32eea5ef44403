#include "platform/file_chooser.h"

#include <QFileDialog>

namespace tessaly {

namespace {

FileChooser *g_chooser = nullptr;

} // namespace

QString FileFilter::text() const
{
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
    dialog.setNameFilters(texts);
    if (!texts.isEmpty())
        dialog.selectNameFilter(texts.first());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
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
