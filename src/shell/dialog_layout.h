#pragma once
// The layout of the server dialogs: rows one under another, then the buttons
// in a row on the right; the dialog keeps the size its layout needs.
#include <QList>

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

} // namespace tessaly
