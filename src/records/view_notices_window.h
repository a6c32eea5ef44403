#pragma once
// 查看信息 (ViewNoticesWindow): the read-only notice viewer, without border or
// title bar. A clicked title shows every equal row in turn, so the last one in
// table order wins. 发布信息 closes it and opens the publishing window.
#include "records/notice_viewer.h"

namespace tessaly {

class ViewNoticesWindow : public NoticeViewer {
    Q_OBJECT
public:
    explicit ViewNoticesWindow(WindowHost &host, QWidget *parent = nullptr);

    QPushButton *publishButton = nullptr;   // 发布信息

public slots:
    void publishClicked();

protected:
    void placeAndPrepare() override;
};

} // namespace tessaly
