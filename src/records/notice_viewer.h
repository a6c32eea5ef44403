#pragma once
// The notice viewer both notice windows are: the titles of 信息 from the last
// row to the first, a keyword search into a results list laid over them,
// "显示全部" back to all titles, and the details of a clicked title. The read-only
// viewer 查看信息 and the management window 教务信息管理 (administrator sign-in and
// 删除) derive from it and differ as NoticeViewer::Kind says.
#include "kit/window_base.h"
#include "records/notices.h"

#include <QWidget>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tessaly {

class NoticeViewer : public QWidget, public FormWindow {
    Q_OBJECT
public:
    QLabel *headingLabel = nullptr;           // heading
    QLabel *titleListLabel = nullptr;           // 请选择教务信息题目：
    QListWidget *titleList = nullptr;       // titles, last row first
    QListWidget *searchResultList = nullptr;       // search results, over titleList while shown
    QLabel *keywordLabel = nullptr;           // 请输入关键字：
    QLineEdit *keywordBox = nullptr;         // keyword
    QLabel *unitLabel = nullptr;           // 发布单位 shown
    QLabel *timeLabel = nullptr;          // 发布时间 shown
    QPlainTextEdit *contentBox = nullptr;    // 发布内容 shown; never saved
    QPushButton *searchButton = nullptr;    // 搜  索
    QPushButton *showAllButton = nullptr;    // 显示全部
    QPushButton *closeButton = nullptr;    // 关闭

    // The notices as read at the last load, in table order.
    const QVector<records::StoredNotice> &notices() const { return m_rows; }
    // The details shown now.
    records::NoticeDetails details() const;

public slots:
    void Form_Load() override;
    void closeClicked();
    void searchClicked();
    void showAllClicked();

protected:
    enum class Kind { Viewer, Admin };
    NoticeViewer(Kind kind, WindowHost &host, QWidget *parent);

    // Adds a button of the window's own to the bottom row, before 关闭.
    void addButton(QPushButton *button);
    // Reads 信息 again and shows its titles and its last notice; the details are
    // emptied first, so none of a notice no longer stored stays on screen.
    void loadNotices();
    // Management window: the row 删除 removes; -1 for none.
    int m_current = -1;
    QVector<records::StoredNotice> m_rows;

    // Sizes and centres the window; the management window also loads the
    // administrator account.
    virtual void placeAndPrepare() = 0;

private:
    void showDetails(const records::NoticeDetails &d);
    void showNoticeByTitle(const QString &title);

    Kind m_kind;
    QHBoxLayout *m_buttons = nullptr;
};

} // namespace tessaly
