#include "records/notice_admin_window.h"

#include "kit/save_report.h"
#include "kit/selection.h"
#include "kit/sign_in_toggle.h"
#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "widgets/messages.h"
#include "records/notice_layout.h"

#include <QListWidget>
#include <QPushButton>

namespace tessaly {

using namespace records;

NoticeAdminWindow::NoticeAdminWindow(WindowHost &host, QWidget *parent)
    : NoticeViewer(Kind::Admin, host, parent)
{
    setObjectName(QString::fromUtf16(kNoticeAdminWindow));
    setWindowTitle(QString::fromUtf16(kNoticeAdminWindow));
    signInButton = named(new QPushButton(this), "Command6");
    deleteButton = named(new QPushButton(QStringLiteral("删除"), this), "Command4");
    addButton(signInButton);
    addButton(deleteButton);

    m_toggle = new SignInToggle(SignInToggle::Kind::Admin, signInButton, host, databasePath(), this);
    m_toggle->setEditors({deleteButton});
    // Signed out when the window opens, whoever is signed in elsewhere.
    signInButton->setText(QStringLiteral("管理员登陆"));
    // A sign-out reads the table again: its first row becomes the one 删除 removes.
    connect(m_toggle, &SignInToggle::stateShown, this, [this](bool signedIn) {
        if (signedIn)
            return;
        const NoticeRows read = readNotices(connection());
        if (read.ok) {
            m_rows = read.rows;
            m_current = m_rows.isEmpty() ? -1 : 0;
        }
    });
    connect(deleteButton, &QPushButton::clicked, this, &NoticeAdminWindow::deleteClicked);
}

void NoticeAdminWindow::placeAndPrepare()
{
    showFixedDialogFrame(this);
    SetWindowSize(this, 7110, 5145);
    CentreOnMainWindow(this, host().hostWidget(), 400);
    LoadAdminAccount(connection(), this);
}

void NoticeAdminWindow::deleteClicked()
{
    if (m_rows.isEmpty())
        return;
    if (m_current < 0 || m_current >= m_rows.size()) {
        showNotice(this, kNoCurrentRecord);
        return;
    }
    if (askYesNo(this, deleteQuestion(m_rows[m_current].notice.title), kTitleHintDots)) {
        const qint64 id = m_rows[m_current].id;
        const SaveOutcome r = saveWith<SaveOutcome>(connection(), [&](db::Connection &c) {
            return deleteNotice(c, id);
        });
        if (!r.ok) {
            reportSaveFailure(this, QString(), r.error);
            return;
        }
        searchResultList->hide();
        showAllButton->setEnabled(false);
        Form_Load();
    }
    if (!m_rows.isEmpty())
        m_current = 0;
}

} // namespace tessaly
