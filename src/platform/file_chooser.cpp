#include "platform/file_chooser.h"

#include <QFileDialog>

namespace tessaly {

namespace {

FileChooser &installedChooser()
{
    static FileChooser chooser;
    return chooser;
}

} // namespace

std::optional<QString> chooseFileWithDialog(QWidget *parent, const QString &title,
                                            const QString &qtFilter, const QString &fileName)
{
    const QString path = QFileDialog::getOpenFileName(parent, title, fileName, qtFilter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

FileChooser installFileChooser(FileChooser chooser)
{
    FileChooser previous = std::move(installedChooser());
    installedChooser() = std::move(chooser);
    return previous;
}

QString qtFileFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        out << (description.contains(QLatin1Char('(')) ? description
                                                        : QStringLiteral("%1 (%2)").arg(description, patterns));
    }
    return out.join(QStringLiteral(";;"));
}

bool CommonDialog::ShowOpen(QWidget *parent)
{
    const FileChooser &chooser = installedChooser();
    const QString qtFilter = qtFileFilter(Filter);
    const std::optional<QString> chosen = chooser ? chooser(parent, DialogTitle, qtFilter, FileName)
                                                  : chooseFileWithDialog(parent, DialogTitle, qtFilter, FileName);
    if (!chosen)
        return false;
    FileName = *chosen;
    return true;
}

ScriptedFileChooser::ScriptedFileChooser()
{
    m_previous = installFileChooser([this](QWidget *, const QString &title, const QString &qtFilter,
                                           const QString &) -> std::optional<QString> {
        asked.append({title, qtFilter});
        return m_answers.isEmpty() ? std::nullopt : m_answers.takeFirst();
    });
}

ScriptedFileChooser::~ScriptedFileChooser()
{
    installFileChooser(std::move(m_previous));
}

} // namespace tessaly
