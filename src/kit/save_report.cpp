#include "kit/save_report.h"

#include "kit/window_steps.h"
#include "widgets/messages.h"

namespace tessaly {

QString saveErrorText(const db::Error &error)
{
    if (error.number == db::kErrLocked)
        return db::failureSentence(db::kResultBusy);
    return error.text;
}

void reportSaveFailure(QWidget *parent, const QString &lead, const db::Error &error, const QString &title,
                       const QString &tail)
{
    showNotice(parent, lead + saveErrorText(error) + tail, title);
}

void reportReadFailure(QWidget *parent, const db::Error &error)
{
    reportSaveFailure(parent, kDataErrorPrefix, error);
}

} // namespace tessaly
