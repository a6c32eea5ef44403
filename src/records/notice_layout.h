#pragma once
// Small pieces the notice windows share: their centred heading, the white
// bordered detail labels, their frames and the date the publishing window offers.
#include <QDate>
#include <QString>

class QLabel;
class QWidget;

namespace tessaly::records {

// A centred bold heading.
QLabel *noticeHeading(const QString &text, QWidget *parent);
// A white label with a single border, for a detail shown.
QLabel *detailLabel(QWidget *parent);

// The window's frame without border or title bar (the heading is its title).
void showWithoutFrame(QWidget *window);
// A fixed dialog frame: title and close button, no minimise or maximise button.
void showFixedDialogFrame(QWidget *window);

} // namespace tessaly::records
