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

    Label1 = named(noticeHeading(QStringLiteral("=======发 布 教 务 信 息======"), this), "Label1");
    Text4 = named(new QLineEdit(this), "Text4");
    Text2 = named(new QLineEdit(this), "Text2");
    Text3 = named(new QLineEdit(this), "Text3");
    Text1 = named(new QPlainTextEdit(this), "Text1");
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Command3 = named(new QPushButton(QStringLiteral("查看信息"), this), "Command3");
    Command1 = named(new QPushButton(QStringLiteral("发  布"), this), "Command1");
    Command2 = named(new QPushButton(QStringLiteral("关  闭"), this), "Command2");

    auto *boxes = new QGridLayout;
    const auto row = [&](int r, const char *name, const QString &caption, QWidget *box) {
        auto *label = named(new QLabel(caption, this), name);
        label->setBuddy(box);
        boxes->addWidget(label, r, 0, r == 3 ? Qt::AlignRight | Qt::AlignTop : Qt::AlignRight);
        boxes->addWidget(box, r, 1);
    };
    row(0, "Label5", QStringLiteral("发布题目："), Text4);
    row(1, "Label2", QStringLiteral("发布单位："), Text2);
    row(2, "Label3", QStringLiteral("发布时间："), Text3);
    row(3, "Label4", QStringLiteral("发布内容："), Text1);
    boxes->setRowStretch(3, 1);

    QHBoxLayout *buttons = buttonRow({Command3, Command1, Command2}, ButtonsAt::Center);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->addWidget(Label1);
    layout->addLayout(boxes, 1);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &PublishNoticeWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &PublishNoticeWindow::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &PublishNoticeWindow::Command3_Click);
}

void PublishNoticeWindow::Form_Load()
{
    showWithoutFrame(this);
    SetWindowSize(this, 6360, 4725);
    CentreOnMainWindow(this, host().hostWidget(), 400);
    Text3->setText(shortDateText(session().today()));
}

bool PublishNoticeWindow::hasTypedNotice() const
{
    return !Text4->text().isEmpty() || !Text2->text().isEmpty() || !boxText(Text1).isEmpty();
}

bool PublishNoticeWindow::mayClose()
{
    return !hasTypedNotice()
           || settleUnsavedChanges(this, QStringLiteral("教务信息还没有发布，要先发布吗?"), [this] { return publish(); });
}

void PublishNoticeWindow::Command1_Click()
{
    publish();
}

bool PublishNoticeWindow::publish()
{
    const Notice notice{Text4->text(), Text2->text(), Text3->text(), boxText(Text1)};
    if (const auto empty = firstEmptyBox(notice)) {
        showNotice(this, emptyBoxMessage(*empty), kTitleHint);
        QWidget *boxes[] = {Text4, Text2, Text3, Text1};
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
    Text4->clear();
    Text2->clear();
    Text1->clear();
    return true;
}

void PublishNoticeWindow::Command2_Click()
{
    CloseWindow(this);
}

void PublishNoticeWindow::Command3_Click()
{
    WindowHost &h = host();
    // A notice kept by the question keeps this window, and the viewer stays closed.
    if (!CloseWindow(this))
        return;
    h.showWindow(kViewNoticesWindow);
}

} // namespace tessaly
