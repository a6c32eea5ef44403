#include "shell/upload_conflict_window.h"

#include "school/exam_columns.h"
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
    summaryLabel = new QLabel(this);
    summaryLabel->setObjectName(QStringLiteral("Label1"));
    summaryLabel->setWordWrap(true);
    conflictGrid = new QTableWidget(0, 5, this);
    conflictGrid->setObjectName(QStringLiteral("Grid1"));
    conflictGrid->setHorizontalHeaderLabels(
        {QStringLiteral("记录"), QStringLiteral("字段"), QStringLiteral("服务器上的值"), QStringLiteral("本机的值"),
         QStringLiteral("用本机的值")});
    conflictGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    conflictGrid->verticalHeader()->hide();
    conflictGrid->setMinimumSize(640, 240);
    keepServerAllButton = new QPushButton(QStringLiteral("全部保留服务器的值"), this);
    useLocalAllButton = new QPushButton(QStringLiteral("全部用本机的值"), this);
    confirmButton = new QPushButton(QStringLiteral("确定"), this);
    laterButton = new QPushButton(QStringLiteral("以后再定"), this);
    layOutDialog(this, {summaryLabel, conflictGrid}, {keepServerAllButton, useLocalAllButton, confirmButton, laterButton});
    connect(keepServerAllButton, &QPushButton::clicked, this, [this] { setAll(false); });
    connect(useLocalAllButton, &QPushButton::clicked, this, [this] { setAll(true); });
    connect(confirmButton, &QPushButton::clicked, this, &UploadConflictWindow::applyDecisions);
    connect(laterButton, &QPushButton::clicked, this, &QDialog::reject);
    setConflicts(conflicts);
}

void UploadConflictWindow::setConflicts(const QList<UploadConflict> &conflicts)
{
    m_conflicts = conflicts;
    summaryLabel->setText(QStringLiteral("　　下面%1处数据，本机和其他电脑都修改过。请选择保留服务器上的值，或者用本机的值；"
                                   "没有决定之前，本机的这些修改留在上传表中。")
                        .arg(conflicts.size()));
    conflictGrid->setRowCount(int(conflicts.size()));
    for (int i = 0; i < conflicts.size(); ++i) {
        const UploadConflict &c = conflicts[i];
        // An exam column by the name the windows show it under (25-26语文(上)期中成绩).
        QString field = school::isExamColumnName(c.field) ? school::DecodeExamName(c.field, school::kMaintenanceNames) : c.field;
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
            conflictGrid->setItem(i, col, new QTableWidgetItem(cells[col]));
        auto *use = new QTableWidgetItem;
        use->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        use->setCheckState(Qt::Unchecked);
        conflictGrid->setItem(i, kUseLocalColumn, use);
    }
    conflictGrid->resizeColumnsToContents();
}

void UploadConflictWindow::setAll(bool useLocal)
{
    for (int i = 0; i < conflictGrid->rowCount(); ++i)
        conflictGrid->item(i, kUseLocalColumn)->setCheckState(useLocal ? Qt::Checked : Qt::Unchecked);
}

void UploadConflictWindow::applyDecisions()
{
    QList<ConflictDecision> decisions;
    for (int i = 0; i < m_conflicts.size(); ++i)
        decisions.append({m_conflicts[i], conflictGrid->item(i, kUseLocalColumn)->checkState() != Qt::Checked});
    const QList<UploadConflict> left = m_decide(decisions);
    if (left.isEmpty()) {
        accept();
        return;
    }
    setConflicts(left);
}

} // namespace tessaly
