#include "shell/dialog_layout.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

void layOutDialog(QWidget *dialog, const QList<DialogRow> &rows, const QList<QPushButton *> &buttons)
{
    auto *layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(12);
    for (const DialogRow &row : rows) {
        if (row.widget)
            layout->addWidget(row.widget);
        else
            layout->addLayout(row.layout);
    }
    layout->addLayout(buttonRow(buttons));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void layOutAccountDialog(QWidget *dialog, const QList<Captioned> &boxes, QList<QLabel *> &labels,
                         const QList<QPushButton *> &buttons, ButtonsAt at, const QString &note)
{
    const QString name = QStringLiteral("lblLabels");
    QGridLayout *form = captionedGrid(dialog, boxes, &labels, name);
    if (!note.isEmpty()) {
        auto *label = new QLabel(note, dialog);
        label->setObjectName(name);
        labels.append(label);
        form->addWidget(label, int(boxes.size()), 1);
    }
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(10);
    boxes.first().field->setMinimumWidth(180);

    auto *layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(14);
    layout->addLayout(form);
    layout->addLayout(buttonRow(buttons, at));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace tessaly
