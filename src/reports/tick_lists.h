#pragma once
// Lists of several choices (the report windows' classes and subjects): a tick
// box on each item, no selection.
#include <QString>
#include <QStringList>

class QListWidget;
class QListWidgetItem;
class QWidget;

namespace tessaly::reports {

// A list named `name` whose items are chosen by their ticks.
QListWidget *tickList(QWidget *parent, const char *name);
// Appends a ticked item.
void addTicked(QListWidget *list, const QString &text);
bool isTicked(const QListWidgetItem *item);
// The texts of the ticked items, in list order.
QStringList tickedTexts(const QListWidget *list);

} // namespace tessaly::reports
