#include "records/notice_layout.h"

#include "kit/window_steps.h"

#include <QLabel>

namespace tessaly::records {

namespace {

// Changing a window's flags hides it, so only a change is applied (a window
// loading again keeps its frame and stays shown).
void setFrameFlags(QWidget *frame, Qt::WindowFlags flags)
{
    if (frame->windowFlags() != flags)
        frame->setWindowFlags(flags);
}

} // namespace

QLabel *noticeHeading(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

QLabel *detailLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setFrameShape(QFrame::Box);
    label->setFrameShadow(QFrame::Plain);
    label->setAutoFillBackground(true);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, Qt::white);
    label->setPalette(p);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

void showWithoutFrame(QWidget *window)
{
    setFrameFlags(windowFrame(window), windowFrame(window)->windowFlags() | Qt::FramelessWindowHint);
}

void showFixedDialogFrame(QWidget *window)
{
    QWidget *frame = windowFrame(window);
    Qt::WindowFlags flags = frame->windowFlags();
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
             | Qt::WindowCloseButtonHint;
    flags &= ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowShadeButtonHint);
    setFrameFlags(frame, flags);
}

} // namespace tessaly::records
