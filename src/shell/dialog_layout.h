#pragma once
// The layouts of the shell's dialogs: the server dialogs' rows over a button
// row, the account dialogs' captioned boxes over a button row. Each dialog keeps
// the size its layout needs.
#include "kit/form_layout.h"

#include <QList>

class QLabel;
class QLayout;
class QPushButton;
class QWidget;

namespace tessaly {

// A row: a widget or a layout.
struct DialogRow {
    DialogRow(QWidget *w) : widget(w) {}
    DialogRow(QLayout *l) : layout(l) {}
    QWidget *widget = nullptr;
    QLayout *layout = nullptr;
};

void layOutDialog(QWidget *dialog, const QList<DialogRow> &rows, const QList<QPushButton *> &buttons);

// The account dialogs (sign-in, password change): the captioned boxes, each
// caption a label named lblLabels appended to `labels`, then `note` (when given,
// also a lblLabels) under the boxes; below them the buttons.
void layOutAccountDialog(QWidget *dialog, const QList<Captioned> &boxes, QList<QLabel *> &labels,
                         const QList<QPushButton *> &buttons, ButtonsAt at, const QString &note = QString());

} // namespace tessaly
