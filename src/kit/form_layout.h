#pragma once
// Small builders for the layouts window constructors repeat: captioned rows in a
// grid and a row of buttons.
#include <QList>
#include <QString>

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace tessaly {

// A field under its caption's name: the caption's label stands left of it.
struct Captioned {
    QString caption;
    QWidget *field = nullptr;
};

// A grid of captioned rows, one row each from the grid's first row: the caption
// in column 0 as a label of `owner` (the buddy of its field, named `labelName`
// when given), the field in column 1. The labels, in row order, are appended to
// *labels when given.
QGridLayout *captionedGrid(QWidget *owner, const QList<Captioned> &rows, QList<QLabel *> *labels = nullptr,
                           const QString &labelName = QString());

enum class ButtonsAt { Right, Center, Spread };

// The buttons side by side: pushed to the right end, centred, or sharing the
// row's width (Spread).
QHBoxLayout *buttonRow(const QList<QPushButton *> &buttons, ButtonsAt at = ButtonsAt::Right);

} // namespace tessaly
