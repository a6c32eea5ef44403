#pragma once
// 教务信息管理 (NoticeAdminWindow): the notice viewer with the administrator's
// sign-in toggle and 删除. A clicked title shows the first equal row, which
// becomes the row 删除 removes; after loading that row is the last one. Only
// the administrator account can sign in here (the toggle reads its row before
// each sign-in), and 删除 is enabled exactly while it is signed in.
#include "records/notice_viewer.h"

namespace tessaly {

class SignInToggle;

class NoticeAdminWindow : public NoticeViewer {
    Q_OBJECT
public:
    explicit NoticeAdminWindow(WindowHost &host, QWidget *parent = nullptr);

    QPushButton *signInButton = nullptr;   // administrator sign-in toggle
    QPushButton *deleteButton = nullptr;   // 删除

    SignInToggle *signInToggle() const { return m_toggle; }
    // The row 删除 removes (index into notices()); -1 for none.
    int currentRow() const { return m_current; }

public slots:
    void deleteClicked();

protected:
    void placeAndPrepare() override;

private:
    SignInToggle *m_toggle = nullptr;
};

} // namespace tessaly
