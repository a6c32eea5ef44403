#include "shell/dialog_layout.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

void layOutDialog(QWidget *dialog, const QList<DialogRow> &rows, const QList<QPushButton *> &buttons)
{
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    for (QPushButton *b : buttons)
        buttonRow->addWidget(b);
    auto *layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(12);
    for (const DialogRow &row : rows) {
        if (row.widget)
            layout->addWidget(row.widget);
        else
            layout->addLayout(row.layout);
    }
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace tessaly
