#pragma once
// One question before a window drops input that is not saved (it closes, or
// loads other data): save first, drop the changes, or stay with them.
//
//   if (hasUnsavedChanges() && !settleUnsavedChanges(this, question, [this] { return save(); })) {
//       event->ignore();   // the window stays with the changes
//       return;
//   }
//
// What counts as unsaved is the window's own: its data differing from what it
// loaded or last saved, never a mark set by a click.
#include "widgets/messages.h"

#include <QString>
#include <functional>

class QWidget;

namespace tessaly {

enum class UnsavedButtons {
    YesNoCancel,   // Yes saves, No drops, Cancel (Esc, closing the box) stays
    YesNo,         // Yes saves, No drops
};

// Asks `question`. Yes runs `save`, which tells the user itself why it did not
// store anything and returns whether it stored. True when the window may go on:
// the changes were saved or dropped. False when it must stay with them: Cancel,
// or a save that failed or was refused.
bool settleUnsavedChanges(QWidget *parent, const QString &question, const std::function<bool()> &save,
                          UnsavedButtons buttons = UnsavedButtons::YesNoCancel,
                          const QString &title = kTitleHintDots);

} // namespace tessaly
