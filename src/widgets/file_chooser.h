#pragma once
// The file-open dialog behind one entry point, as the message boxes are: windows ask
// chooseOpenFile(); tests install a ScriptedFileChooser that answers in their place.
#include <QList>
#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;

namespace tessaly {

// One offer of the dialog's type list: a caption and its patterns.
struct FileFilter {
    QString caption;       // "Excel文件"
    QStringList patterns;  // "*.xlsx", "*.xls"
    QString text() const;  // "Excel文件 (*.xlsx *.xls)"; a caption holding "(" as it is
};

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The file chosen, or empty when the user cancelled.
    virtual QString openFile(QWidget *parent, const QString &title, const QList<FileFilter> &filters) = 0;
};

// Shows the file-open dialog with that title; the first filter is the one shown first.
// Empty when the user cancelled.
QString chooseOpenFile(QWidget *parent, const QString &title, const QList<FileFilter> &filters);

// The file dialog's list in columns (name, size, type, date) and the dialog large
// enough to show them all, within the screen: 900 x 560 pixels.
inline constexpr int kFileDialogWidth = 900;
inline constexpr int kFileDialogHeight = 560;
void showFileDetails(QFileDialog &dialog);

// Where the file dialog opens: the folder of the last file chosen, else the
// user's documents folder, else the home folder.
QString fileDialogStartFolder();

// Replaces the chooser (nullptr restores the real dialog). Returns the previous one.
FileChooser *installFileChooser(FileChooser *chooser);

// The filters of a workbook to read: .xlsx and .xls together first, then each alone.
QList<FileFilter> workbookFilters();

// Filters written "description|*.a|description|*.b;*.c" (a pattern list is
// separated by ';').
QList<FileFilter> parseFileFilters(const QString &filter);

// A file-open dialog kept by a window: title, filters and the file name, which
// keeps the last choice when the user cancels.
class CommonDialog {
public:
    QString DialogTitle;
    QString Filter;     // "description|pattern|…"
    QString FileName;   // the last file chosen
    // True: ShowOpen reports a cancel by returning false. Cancelling never
    // changes FileName either way.
    bool CancelError = false;

    // Shows the dialog for opening a file; true when one was chosen (FileName).
    bool ShowOpen(QWidget *parent);
};

// For tests: answers from a queue (empty answers when it runs out, as a cancel) and
// records every request. Scoped like ScriptedResponder.
class ScriptedFileChooser : public FileChooser {
public:
    struct Request {
        QString title;
        QList<FileFilter> filters;
    };

    ScriptedFileChooser();
    ~ScriptedFileChooser() override;
    ScriptedFileChooser(const ScriptedFileChooser &) = delete;
    ScriptedFileChooser &operator=(const ScriptedFileChooser &) = delete;

    void answer(const QString &path) { m_answers.append(path); }
    void cancel() { m_answers.append(QString()); }
    const QList<Request> &requests() const { return m_requests; }

    QString openFile(QWidget *parent, const QString &title, const QList<FileFilter> &filters) override;

private:
    QStringList m_answers;
    QList<Request> m_requests;
    FileChooser *m_previous = nullptr;
};

} // namespace tessaly
