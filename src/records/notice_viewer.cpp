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
    headingLabel = named(noticeHeading(kind == Kind::Viewer ? QStringLiteral("========教 务 信 息 查 看========")
                                                      : QStringLiteral("========教 务 信 息 管 理========"),
                                 this),
                   "Label2");
    titleListLabel = named(new QLabel(QStringLiteral("请选择教务信息题目："), this), "Label1");
    titleList = named(new QListWidget(this), "List1");
    searchResultList = named(new QListWidget(this), "List2");
    searchResultList->hide();
    keywordLabel = named(new QLabel(QStringLiteral("请输入关键字："), this), "Label5");
    keywordBox = named(new QLineEdit(this), "Text1");
    keywordLabel->setBuddy(keywordBox);
    auto *label8 = named(new QLabel(QStringLiteral("发布单位："), this), "Label8");
    unitLabel = named(detailLabel(this), "Label9");
    auto *label7 = named(new QLabel(QStringLiteral("发布时间："), this), "Label7");
    timeLabel = named(detailLabel(this), "Label10");
    auto *label4 = named(new QLabel(QStringLiteral("教务信息内容："), this), "Label4");
    contentBox = named(new QPlainTextEdit(this), "Text2");
    contentBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    searchButton = named(new QPushButton(QStringLiteral("搜  索"), this), "Command2");
    showAllButton = named(new QPushButton(QStringLiteral("显示全部"), this), "Command3");
    showAllButton->setEnabled(false);
    closeButton = named(new QPushButton(QStringLiteral("关闭"), this), "Command1");

    // The results list lies in the same cell as the titles and covers them.
    auto *lists = new QGridLayout;
    lists->setContentsMargins(0, 0, 0, 0);
    lists->addWidget(titleList, 0, 0);
    lists->addWidget(searchResultList, 0, 0);
    auto *left = new QVBoxLayout;
    left->addWidget(titleListLabel);
    left->addLayout(lists, 1);
    auto *keyword = new QHBoxLayout;
    keyword->addWidget(keywordLabel);
    keyword->addWidget(keywordBox, 1);
    left->addLayout(keyword);

    auto *shown = new QGridLayout;
    shown->addWidget(label8, 0, 0);
    shown->addWidget(unitLabel, 0, 1);
    shown->addWidget(label7, 1, 0);
    shown->addWidget(timeLabel, 1, 1);
    shown->setColumnStretch(1, 1);
    auto *right = new QVBoxLayout;
    right->addLayout(shown);
    right->addWidget(label4);
    right->addWidget(contentBox, 1);

    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addLayout(right, 3);

    m_buttons = buttonRow({searchButton, showAllButton, closeButton}, ButtonsAt::Center);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->addWidget(headingLabel);
    layout->addLayout(columns, 1);
    layout->addLayout(m_buttons);

    connect(closeButton, &QPushButton::clicked, this, &NoticeViewer::closeClicked);
    connect(searchButton, &QPushButton::clicked, this, &NoticeViewer::searchClicked);
    connect(showAllButton, &QPushButton::clicked, this, &NoticeViewer::showAllClicked);
    for (QListWidget *list : {titleList, searchResultList}) {
        connect(list, &QListWidget::itemClicked, this,
                [this](QListWidgetItem *item) { showNoticeByTitle(item->text()); });
    }
}

void NoticeViewer::addButton(QPushButton *button)
{
    m_buttons->insertWidget(m_buttons->indexOf(closeButton), button);
}

NoticeDetails NoticeViewer::details() const
{
    return {unitLabel->text(), timeLabel->text(), boxText(contentBox)};
}

void NoticeViewer::showDetails(const NoticeDetails &d)
{
    unitLabel->setText(d.unit);
    timeLabel->setText(d.time);
    setBoxText(contentBox, d.content);
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
    titleList->clear();
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
    titleList->addItems(titlesLastToFirst(m_rows));
    if (m_kind == Kind::Admin)
        m_current = int(m_rows.size()) - 1;
}

void NoticeViewer::closeClicked()
{
    CloseWindow(this);
}

void NoticeViewer::searchClicked()
{
    QStringList titles;
    for (int i = 0; i < titleList->count(); ++i)
        titles.append(titleList->item(i)->text());
    const QStringList found = searchTitles(titles, keywordBox->text());
    searchResultList->clear();
    searchResultList->show();
    searchResultList->raise();
    if (!found.isEmpty()) {
        searchResultList->addItems(found);
        showDetails({});
        showAllButton->setEnabled(true);
        return;
    }
    showNotice(this, QStringLiteral("您要找的内容不存在！"), kTitleHint);
    searchResultList->hide();
}

void NoticeViewer::showAllClicked()
{
    searchResultList->hide();
    showAllButton->setEnabled(false);
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
