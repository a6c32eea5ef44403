#include "kit/unsaved_changes.h"

namespace tessaly {

bool settleUnsavedChanges(QWidget *parent, const QString &question, const std::function<bool()> &save,
                          UnsavedButtons buttons, const QString &title)
{
    const Answer answer = buttons == UnsavedButtons::YesNoCancel
                              ? askYesNoCancel(parent, question, title)
                              : (askYesNo(parent, question, title) ? Answer::Yes : Answer::No);
    switch (answer) {
    case Answer::Yes:
        return save();
    case Answer::No:
        return true;
    case Answer::Cancel:
        break;
    }
    return false;
}

} // namespace tessaly
