#pragma once
// Steps many windows share when they load: placing the window on the main
// window, and the behaviour given to each data-source control (data error,
// reposition). The validate event needs no handler: every action passes.
#include <QRect>
#include <QString>

class QWidget;

namespace tessaly {
class DataControl;
class FlexGrid;
}

namespace tessaly {

// The window's frame: its MDI sub-window when it sits in the main window's
// area, else its own top-level window.
QWidget *windowFrame(QWidget *window);

// Sets the frame's size in twips, never smaller than its layout needs.
void SetWindowSize(QWidget *window, int widthTwips, int heightTwips);

// A designed position and size in twips, in pixels.
QRect twipsRect(int left, int top, int width, int height);

// Places a control in its parent at a designed position and size in twips.
void placeTwips(QWidget *w, int left, int top, int width, int height);

// Closes the window together with its MDI frame, so no empty frame stays behind.
// False when the window stays open (it kept unsaved input).
bool CloseWindow(QWidget *window);

// Moves the window so that its left edge is at (main width - own width) / 2
// and its top at (main height - own height) / 2 - offset, in twips; a positive
// offset places it higher. An MDI child is placed in the MDI area, a top-level
// window relative to the main window. Left and top never go below 0, so the
// window's title bar stays reachable.
void CentreOnMainWindow(QWidget *window, const QWidget *mainWindow, int offsetTwips);

// How a window places its controls: by position once, by its layout, or anew
// on every resize (its own scroll bars reach the rest).
enum class Arrangement { Fixed, OnResize };

// Moves the window to the top left corner (0, 0) of the main window's area; an
// MDI child larger than the area is first shrunk towards it, as far as its
// layout allows: a window placed by position keeps its size (the area scrolls
// to the rest), one that arranges itself on resize is shrunk to fit.
void MoveToTopLeft(QWidget *window, Arrangement arrangement = Arrangement::Fixed);

// A grid row height in twips: the designed one, or more when the grid's font
// needs more, so a row's text is never cut off.
int RowHeightForFont(const FlexGrid &grid, int designedTwips);

// Data errors of the control show the prefix followed by the error text (OK,
// the program's title) and the control shows nothing of its own.
inline const QString kDataErrorPrefix = QStringLiteral("数据错误事件命中错误：");
void ReportDataError(DataControl &data, QWidget *parent, const QString &prefix = kDataErrorPrefix);

// The caption a control shows at each reposition.
enum class PositionText {
    Register,   // 学籍管理 Data1: "记录导航(共n人 当前第k人)"
    Students,   // "共n人 第k人"
    Entries,    // "共n条 第k条"
    None,       // the caption keeps its text
};

// The position text of n records with the k-th current (k = 0 when there is none).
QString recordPositionText(PositionText kind, int count, int position);

// At every reposition: the default mouse pointer again, then the caption.
// An empty record set shows count 0 and position 0.
void ShowRecordPosition(DataControl &data, PositionText kind);

} // namespace tessaly
