#pragma once
// Common dialog stand-in for choosing a file to open: a title, a filter in the
// "description|pattern|description|pattern" form, and the file name, which
// keeps the last choice when the user cancels.
//
// Tests install a chooser that answers instead of asking.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace tessaly {

// Asks for a file to open: the chosen path, or nullopt when the user cancelled.
// qtFilter is in QFileDialog's form ("bmp文件 (*.bmp);;jpg文件 (*.jpg)").
using FileChooser = std::function<std::optional<QString>(QWidget *parent, const QString &title,
                                                         const QString &qtFilter,
                                                         const QString &fileName)>;

// The system's file dialog.
std::optional<QString> chooseFileWithDialog(QWidget *parent, const QString &title,
                                            const QString &qtFilter, const QString &fileName);
// Replaces the chooser every CommonDialog uses (an empty one restores the dialog);
// returns the previous one.
FileChooser installFileChooser(FileChooser chooser);

// "a|*.a|b|*.b" as QFileDialog writes it: "a;;b" when each description names its
// pattern, else "a (*.a);;b (*.b)".
QString qtFileFilter(const QString &filter);

class CommonDialog {
public:
    QString DialogTitle;
    QString Filter;
    QString FileName;   // the last file chosen
    // True: ShowOpen reports a cancel by returning false. Cancelling never
    // changes FileName either way.
    bool CancelError = false;

    // Shows the dialog for opening a file; true when one was chosen (FileName).
    bool ShowOpen(QWidget *parent);
};

// For tests: while it lives, each dialog takes the next answer (a path, or
// nullopt for a cancel; a cancel when none is left) and records its title and
// filter.
class ScriptedFileChooser {
public:
    ScriptedFileChooser();
    ~ScriptedFileChooser();
    ScriptedFileChooser(const ScriptedFileChooser &) = delete;
    ScriptedFileChooser &operator=(const ScriptedFileChooser &) = delete;

    void answer(std::optional<QString> path) { m_answers.append(path); }

    struct Asked {
        QString title;
        QString qtFilter;
    };
    QList<Asked> asked;

private:
    QList<std::optional<QString>> m_answers;
    FileChooser m_previous;
};

} // namespace tessaly
