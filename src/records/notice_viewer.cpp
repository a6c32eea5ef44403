#include "records/notice_viewer.h"

#include "kit/form_layout.h"
#include "kit/text_box.h"
#include "kit/window_steps.h"
#include "widgets/messages.h"
#include "records/notice_layout.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

using namespace records;

NoticeViewer::NoticeViewer(Kind kind, WindowHost &host, QWidget *parent)
    : QWidget(parent), FormWindow(host), m_kind(kind)
{
    Label2 = named(noticeHeading(kind == Kind::Viewer ? QStringLiteral("========教 务 信 息 查 看========")
                                                      : QStringLiteral("========教 务 信 息 管 理========"),
                                 this),
                   "Label2");
    Label1 = named(new QLabel(QStringLiteral("请选择教务信息题目："), this), "Label1");
    List1 = named(new QListWidget(this), "List1");
    List2 = named(new QListWidget(this), "List2");
    List2->hide();
    Label5 = named(new QLabel(QStringLiteral("请输入关键字："), this), "Label5");
    Text1 = named(new QLineEdit(this), "Text1");
    Label5->setBuddy(Text1);
    auto *label8 = named(new QLabel(QStringLiteral("发布单位："), this), "Label8");
    Label9 = named(detailLabel(this), "Label9");
    auto *label7 = named(new QLabel(QStringLiteral("发布时间："), this), "Label7");
    Label10 = named(detailLabel(this), "Label10");
    auto *label4 = named(new QLabel(QStringLiteral("教务信息内容："), this), "Label4");
    Text2 = named(new QPlainTextEdit(this), "Text2");
    Text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Command2 = named(new QPushButton(QStringLiteral("搜  索"), this), "Command2");
    Command3 = named(new QPushButton(QStringLiteral("显示全部"), this), "Command3");
    Command3->setEnabled(false);
    Command1 = named(new QPushButton(QStringLiteral("关闭"), this), "Command1");

    // The results list lies in the same cell as the titles and covers them.
    auto *lists = new QGridLayout;
    lists->setContentsMargins(0, 0, 0, 0);
    lists->addWidget(List1, 0, 0);
    lists->addWidget(List2, 0, 0);
    auto *left = new QVBoxLayout;
    left->addWidget(Label1);
    left->addLayout(lists, 1);
    auto *keyword = new QHBoxLayout;
    keyword->addWidget(Label5);
    keyword->addWidget(Text1, 1);
    left->addLayout(keyword);

    auto *shown = new QGridLayout;
    shown->addWidget(label8, 0, 0);
    shown->addWidget(Label9, 0, 1);
    shown->addWidget(label7, 1, 0);
    shown->addWidget(Label10, 1, 1);
    shown->setColumnStretch(1, 1);
    auto *right = new QVBoxLayout;
    right->addLayout(shown);
    right->addWidget(label4);
    right->addWidget(Text2, 1);

    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addLayout(right, 3);

    m_buttons = buttonRow({Command2, Command3, Command1}, ButtonsAt::Center);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->addWidget(Label2);
    layout->addLayout(columns, 1);
    layout->addLayout(m_buttons);

    connect(Command1, &QPushButton::clicked, this, &NoticeViewer::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &NoticeViewer::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &NoticeViewer::Command3_Click);
    for (QListWidget *list : {List1, List2}) {
        connect(list, &QListWidget::itemClicked, this,
                [this](QListWidgetItem *item) { showNoticeByTitle(item->text()); });
    }
}

void NoticeViewer::addButton(QPushButton *button)
{
    m_buttons->insertWidget(m_buttons->indexOf(Command1), button);
}

NoticeDetails NoticeViewer::details() const
{
    return {Label9->text(), Label10->text(), boxText(Text2)};
}

void NoticeViewer::showDetails(const NoticeDetails &d)
{
    Label9->setText(d.unit);
    Label10->setText(d.time);
    setBoxText(Text2, d.content);
}

void NoticeViewer::Form_Load()
{
    placeAndPrepare();
    loadNotices();
}

void NoticeViewer::loadNotices()
{
    m_rows.clear();
    m_current = -1;
    List1->clear();
    showDetails({});
    NoticeRows read = readNotices(connection());
    if (!read.ok) {
        reportReadFailure(this, read.error);
        return;
    }
    m_rows = std::move(read.rows);
    if (m_rows.isEmpty())
        return;
    showDetails(withNotice({}, m_rows.last().notice));
    List1->addItems(titlesLastToFirst(m_rows));
    if (m_kind == Kind::Admin)
        m_current = int(m_rows.size()) - 1;
}

void NoticeViewer::Command1_Click()
{
    CloseWindow(this);
}

void NoticeViewer::Command2_Click()
{
    QStringList titles;
    for (int i = 0; i < List1->count(); ++i)
        titles.append(List1->item(i)->text());
    const QStringList found = searchTitles(titles, Text1->text());
    List2->clear();
    List2->show();
    List2->raise();
    if (!found.isEmpty()) {
        List2->addItems(found);
        showDetails({});
        Command3->setEnabled(true);
        return;
    }
    showNotice(this, QStringLiteral("您要找的内容不存在！"), kTitleHint);
    List2->hide();
}

void NoticeViewer::Command3_Click()
{
    List2->hide();
    Command3->setEnabled(false);
}

void NoticeViewer::showNoticeByTitle(const QString &title)
{
    const TitleClick click = clickTitle(m_rows, title, details(),
                                        m_kind == Kind::Viewer ? TitleMatch::EveryInTurn : TitleMatch::FirstOnly);
    showDetails(click.details);
    if (m_kind == Kind::Admin)
        m_current = click.row;
}

} // namespace tessaly
