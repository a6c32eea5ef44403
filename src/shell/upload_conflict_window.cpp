#include "shell/upload_conflict_window.h"

#include "shell/dialog_layout.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace tessaly {

QString conflictValueText(const QVariant &value)
{
    return value.isNull() ? QStringLiteral("(空)") : value.toString();
}

UploadConflictWindow::UploadConflictWindow(const QList<UploadConflict> &conflicts, Decide decide, QWidget *parent)
    : QDialog(parent), m_decide(std::move(decide))
{
    setObjectName(QStringLiteral("上传冲突"));
    setWindowTitle(QStringLiteral("上传冲突"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Grid1 = new QTableWidget(0, 5, this);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setHorizontalHeaderLabels(
        {QStringLiteral("记录"), QStringLiteral("字段"), QStringLiteral("服务器上的值"), QStringLiteral("本机的值"),
         QStringLiteral("用本机的值")});
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->verticalHeader()->hide();
    Grid1->setMinimumSize(640, 240);
    KeepAll = new QPushButton(QStringLiteral("全部保留服务器的值"), this);
    LocalAll = new QPushButton(QStringLiteral("全部用本机的值"), this);
    Command1 = new QPushButton(QStringLiteral("确定"), this);
    Command2 = new QPushButton(QStringLiteral("以后再定"), this);
    layOutDialog(this, {Label1, Grid1}, {KeepAll, LocalAll, Command1, Command2});
    connect(KeepAll, &QPushButton::clicked, this, [this] { setAll(false); });
    connect(LocalAll, &QPushButton::clicked, this, [this] { setAll(true); });
    connect(Command1, &QPushButton::clicked, this, &UploadConflictWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
    setConflicts(conflicts);
}

void UploadConflictWindow::setConflicts(const QList<UploadConflict> &conflicts)
{
    m_conflicts = conflicts;
    Label1->setText(QStringLiteral("　　下面%1处数据，本机和其他电脑都修改过。请选择保留服务器上的值，或者用本机的值；"
                                   "没有决定之前，本机的这些修改留在上传表中。")
                        .arg(conflicts.size()));
    Grid1->setRowCount(int(conflicts.size()));
    for (int i = 0; i < conflicts.size(); ++i) {
        const UploadConflict &c = conflicts[i];
        QString field = c.field;
        QString server = conflictValueText(c.serverValue);
        QString local = conflictValueText(c.localValue);
        if (c.kind == UploadConflict::Kind::DeletedHere) {
            field = QStringLiteral("(整条记录)");
            server = QStringLiteral("服务器上已修改");
            local = QStringLiteral("本机已删除");
        } else if (c.kind == UploadConflict::Kind::DeletedOnServer) {
            field = QStringLiteral("(整条记录)");
            server = QStringLiteral("服务器上已删除");
            local = QStringLiteral("本机已修改");
        }
        const QStringList cells{c.row, field, server, local};
        for (int col = 0; col < cells.size(); ++col)
            Grid1->setItem(i, col, new QTableWidgetItem(cells[col]));
        auto *use = new QTableWidgetItem;
        use->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        use->setCheckState(Qt::Unchecked);
        Grid1->setItem(i, kUseLocalColumn, use);
    }
    Grid1->resizeColumnsToContents();
}

void UploadConflictWindow::setAll(bool useLocal)
{
    for (int i = 0; i < Grid1->rowCount(); ++i)
        Grid1->item(i, kUseLocalColumn)->setCheckState(useLocal ? Qt::Checked : Qt::Unchecked);
}

void UploadConflictWindow::Command1_Click()
{
    QList<ConflictDecision> decisions;
    for (int i = 0; i < m_conflicts.size(); ++i)
        decisions.append({m_conflicts[i], Grid1->item(i, kUseLocalColumn)->checkState() != Qt::Checked});
    const QList<UploadConflict> left = m_decide(decisions);
    if (left.isEmpty()) {
        accept();
        return;
    }
    setConflicts(left);
}

} // namespace tessaly
