#include "records/view_notices_window.h"

#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "records/notice_layout.h"

#include <QPushButton>

namespace tessaly {

ViewNoticesWindow::ViewNoticesWindow(WindowHost &host, QWidget *parent)
    : NoticeViewer(Kind::Viewer, host, parent)
{
    setObjectName(QString::fromUtf16(kViewNoticesWindow));
    setWindowTitle(QString::fromUtf16(kViewNoticesWindow));
    publishButton = named(new QPushButton(QStringLiteral("发布信息"), this), "Command4");
    addButton(publishButton);
    connect(publishButton, &QPushButton::clicked, this, &ViewNoticesWindow::publishClicked);
}

void ViewNoticesWindow::placeAndPrepare()
{
    records::showWithoutFrame(this);
    SetWindowSize(this, 6945, 4695);
    CentreOnMainWindow(this, host().hostWidget(), 400);
}

void ViewNoticesWindow::publishClicked()
{
    WindowHost &h = host();
    CloseWindow(this);
    h.showWindow(kPublishNoticeWindow);
}

} // namespace tessaly
