#include "records/publish_notice_window.h"

#include "kit/form_layout.h"
#include "kit/save_report.h"
#include "kit/text_box.h"
#include "kit/unsaved_changes.h"
#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "workbook/format.h"
#include "widgets/messages.h"
#include "records/notice_layout.h"
#include "records/notices.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

using namespace records;

PublishNoticeWindow::PublishNoticeWindow(WindowHost &host, QWidget *parent)
    : QWidget(parent), FormWindow(host)
{
    setObjectName(QString::fromUtf16(kPublishNoticeWindow));
    setWindowTitle(QString::fromUtf16(kPublishNoticeWindow));

    headingLabel = named(noticeHeading(QStringLiteral("=======发 布 教 务 信 息======"), this), "Label1");
    titleBox = named(new QLineEdit(this), "Text4");
    unitBox = named(new QLineEdit(this), "Text2");
    timeBox = named(new QLineEdit(this), "Text3");
    contentBox = named(new QPlainTextEdit(this), "Text1");
    contentBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewButton = named(new QPushButton(QStringLiteral("查看信息"), this), "Command3");
    publishButton = named(new QPushButton(QStringLiteral("发  布"), this), "Command1");
    closeButton = named(new QPushButton(QStringLiteral("关  闭"), this), "Command2");

    auto *boxes = new QGridLayout;
    const auto row = [&](int r, const char *name, const QString &caption, QWidget *box) {
        auto *label = named(new QLabel(caption, this), name);
        label->setBuddy(box);
        boxes->addWidget(label, r, 0, r == 3 ? Qt::AlignRight | Qt::AlignTop : Qt::AlignRight);
        boxes->addWidget(box, r, 1);
    };
    row(0, "Label5", QStringLiteral("发布题目："), titleBox);
    row(1, "Label2", QStringLiteral("发布单位："), unitBox);
    row(2, "Label3", QStringLiteral("发布时间："), timeBox);
    row(3, "Label4", QStringLiteral("发布内容："), contentBox);
    boxes->setRowStretch(3, 1);

    QHBoxLayout *buttons = buttonRow({viewButton, publishButton, closeButton}, ButtonsAt::Center);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->addWidget(headingLabel);
    layout->addLayout(boxes, 1);
    layout->addLayout(buttons);

    connect(publishButton, &QPushButton::clicked, this, &PublishNoticeWindow::publishClicked);
    connect(closeButton, &QPushButton::clicked, this, &PublishNoticeWindow::closeClicked);
    connect(viewButton, &QPushButton::clicked, this, &PublishNoticeWindow::viewClicked);
}

void PublishNoticeWindow::Form_Load()
{
    showWithoutFrame(this);
    SetWindowSize(this, 6360, 4725);
    CentreOnMainWindow(this, host().hostWidget(), 400);
    timeBox->setText(shortDateText(session().today()));
}

bool PublishNoticeWindow::hasTypedNotice() const
{
    return !titleBox->text().isEmpty() || !unitBox->text().isEmpty() || !boxText(contentBox).isEmpty();
}

bool PublishNoticeWindow::mayClose()
{
    return !hasTypedNotice()
           || settleUnsavedChanges(this, QStringLiteral("教务信息还没有发布，要先发布吗?"), [this] { return publish(); });
}

void PublishNoticeWindow::publishClicked()
{
    publish();
}

bool PublishNoticeWindow::publish()
{
    const Notice notice{titleBox->text(), unitBox->text(), timeBox->text(), boxText(contentBox)};
    if (const auto empty = firstEmptyBox(notice)) {
        showNotice(this, emptyBoxMessage(*empty), kTitleHint);
        QWidget *boxes[] = {titleBox, unitBox, timeBox, contentBox};
        boxes[int(*empty)]->setFocus();
        return false;
    }
    const SaveOutcome r = saveWith<SaveOutcome>(connection(), [&](db::Connection &c) {
        return publishNotice(c, notice);
    });
    if (!r.ok) {
        reportSaveFailure(this, QStringLiteral("教务信息没有发布："), r.error, kTitleHint);
        return false;
    }
    showNotice(this, QStringLiteral("发布成功！"), kTitleHint);
    titleBox->clear();
    unitBox->clear();
    contentBox->clear();
    return true;
}

void PublishNoticeWindow::closeClicked()
{
    CloseWindow(this);
}

void PublishNoticeWindow::viewClicked()
{
    WindowHost &h = host();
    // A notice kept by the question keeps this window, and the viewer stays closed.
    if (!CloseWindow(this))
        return;
    h.showWindow(kViewNoticesWindow);
}

} // namespace tessaly
