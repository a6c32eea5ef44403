#include "kit/form_layout.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace tessaly {

QGridLayout *captionedGrid(QWidget *owner, const QList<Captioned> &rows, QList<QLabel *> *labels,
                           const QString &labelName)
{
    auto *grid = new QGridLayout;
    for (int i = 0; i < rows.size(); ++i) {
        auto *label = new QLabel(rows[i].caption, owner);
        label->setBuddy(rows[i].field);
        if (!labelName.isEmpty())
            label->setObjectName(labelName);
        grid->addWidget(label, i, 0);
        grid->addWidget(rows[i].field, i, 1);
        if (labels)
            labels->append(label);
    }
    return grid;
}

QHBoxLayout *buttonRow(const QList<QPushButton *> &buttons, ButtonsAt at)
{
    auto *row = new QHBoxLayout;
    if (at == ButtonsAt::Right || at == ButtonsAt::Center)
        row->addStretch();
    for (QPushButton *b : buttons)
        row->addWidget(b);
    if (at == ButtonsAt::Center)
        row->addStretch();
    return row;
}

} // namespace tessaly
