#include "reports/tick_lists.h"

#include "kit/window_base.h"

#include <QListWidget>

namespace tessaly::reports {

QListWidget *tickList(QWidget *parent, const char *name)
{
    auto *list = named(new QListWidget(parent), name);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    return list;
}

void addTicked(QListWidget *list, const QString &text)
{
    auto *item = new QListWidgetItem(text, list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
}

bool isTicked(const QListWidgetItem *item)
{
    return item->checkState() == Qt::Checked;
}

QStringList tickedTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        if (isTicked(list->item(i)))
            texts << list->item(i)->text();
    return texts;
}

} // namespace tessaly::reports
