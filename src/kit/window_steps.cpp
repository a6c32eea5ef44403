#include "kit/window_steps.h"

#include "widgets/data_control.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "widgets/units.h"

#include <QHeaderView>
#include <QLayout>
#include <algorithm>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

namespace tessaly {

QWidget *windowFrame(QWidget *window)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget()))
        return sub;
    return window->window();
}

void SetWindowSize(QWidget *window, int widthTwips, int heightTwips)
{
    QWidget *frame = windowFrame(window);
    frame->resize(QSize(twipsToPixels(widthTwips), twipsToPixels(heightTwips))
                      .expandedTo(frame->minimumSizeHint()));
}

bool CloseWindow(QWidget *window)
{
    return windowFrame(window)->close();
}

void CentreOnMainWindow(QWidget *window, const QWidget *mainWindow, int offsetTwips)
{
    if (!window || !mainWindow)
        return;
    QWidget *target = window;
    QPoint origin;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget())) {
        target = sub;
    } else {
        target = window->window();
        origin = mainWindow->pos();
    }
    const int mainW = pixelsToTwips(mainWindow->width());
    const int mainH = pixelsToTwips(mainWindow->height());
    const int ownW = pixelsToTwips(target->width());
    const int ownH = pixelsToTwips(target->height());
    const int left = twipsToPixels((mainW - ownW) / 2);
    const int top = twipsToPixels((mainH - ownH) / 2 - offsetTwips);
    target->move(origin + QPoint(qMax(0, left), qMax(0, top)));
}

void MoveToTopLeft(QWidget *window, Arrangement arrangement)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget())) {
        if (QMdiArea *area = sub->mdiArea()) {
            const QSize room = area->viewport()->size();
            // Never below what the window needs: a window laid out by position
            // keeps its size, the area scrolls to what does not fit.
            const QSize least = arrangement == Arrangement::OnResize ? QSize()
                                : window->layout()                    ? sub->minimumSizeHint()
                                                                      : sub->size();
            if (room.width() > 200 && room.height() > 200)
                sub->resize(sub->size().boundedTo(room).expandedTo(least));
        }
        sub->move(0, 0);
    } else if (window->isWindow()) {
        window->move(0, 0);
    }
}

int RowHeightForFont(const FlexGrid &grid, int designedTwips)
{
    return std::max(designedTwips, pixelsToTwips(grid.verticalHeader()->defaultSectionSize()));
}

void ReportDataError(DataControl &data, QWidget *parent, const QString &prefix)
{
    QObject::connect(&data, &DataControl::Error, &data,
                     [parent, prefix](int, const QString &text, int *response) {
                         showNotice(parent, prefix + text);
                         if (response)
                             *response = 0;
                     });
}

QString recordPositionText(PositionText kind, int count, int position)
{
    switch (kind) {
    case PositionText::Register:
        return QStringLiteral("记录导航(共%1人 当前第%2人)").arg(count).arg(position);
    case PositionText::Students:
        return QStringLiteral("共%1人 第%2人").arg(count).arg(position);
    case PositionText::Entries:
        return QStringLiteral("共%1条 第%2条").arg(count).arg(position);
    case PositionText::None:
        break;
    }
    return QString();
}

void ShowRecordPosition(DataControl &data, PositionText kind)
{
    QObject::connect(&data, &DataControl::Reposition, &data, [&data, kind] {
        if (QWidget *w = data.window())
            w->unsetCursor();
        if (kind == PositionText::None)
            return;
        const int count = data.RecordCount();
        const int position = count > 0 ? data.AbsolutePosition() + 1 : 0;
        data.setCaption(recordPositionText(kind, count, position));
    });
}

QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

void placeTwips(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(twipsRect(left, top, width, height));
}

} // namespace tessaly
