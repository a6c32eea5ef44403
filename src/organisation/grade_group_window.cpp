#include "organisation/grade_group_window.h"

#include "school/fixed_lists.h"
#include "kit/database_unavailable.h"
#include "school/school_tables.h"
#include "organisation/organisation_save.h"
#include "kit/selection.h"
#include "kit/window_steps.h"
#include "widgets/data_control.h"
#include "db/database.h"
#include "widgets/messages.h"
#include "widgets/units.h"
#include "kit/sign_in_toggle.h"
#include "kit/unsaved_changes.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tessaly {

using namespace organisation;

GradeGroupWindow::GradeGroupWindow(WindowHost &host, QWidget *parent)
    : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("年级组设置"));
    setWindowTitle(QStringLiteral("年级组设置"));

    Frame2 = named(new QFrame(this), "Frame2");
    Frame2->setFrameShape(QFrame::StyledPanel);
    Label2 = named(new QLabel(QStringLiteral("年级组列表"), Frame2), "Label2");
    List1 = named(new QListWidget(Frame2), "List1");
    for (const QString &name : gradeGroupNames()) {
        auto *item = new QListWidgetItem(name, List1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    Label5 = named(new QLabel(Frame2), "Label5");
    auto *left = new QVBoxLayout(Frame2);
    left->setContentsMargins(8, 6, 8, 6);
    left->addWidget(Label2);
    left->addWidget(List1, 1);
    left->addWidget(Label5);

    Frame1 = named(new QFrame(this), "Frame1");
    Frame1->setFrameShape(QFrame::StyledPanel);
    Label3 = named(new QLabel(QStringLiteral("进行年级组设置"), Frame1), "Label3");
    QFont heading = Label3->font();
    heading.setBold(true);
    Label3->setFont(heading);
    Label1 = named(new QLabel(QStringLiteral("说明：　　　　　　　　系统管理员可在此进行年级组名称设定。　　　　　　　　　"
                                             "进行设定前需要登陆。设定完成后，点击保存设置才能生效。"),
                              Frame1),
                   "Label1");
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Command9 = named(new QPushButton(Frame1), "Command9");
    Command1 = named(new QPushButton(QStringLiteral("保存设置(&S)"), Frame1), "Command1");
    Command1->setEnabled(false);
    auto *right = new QVBoxLayout(Frame1);
    right->setContentsMargins(8, 6, 8, 8);
    right->addWidget(Label3);
    right->addWidget(Label1, 1);
    right->addWidget(Command9);
    right->addWidget(Command1);

    Command8 = named(new QPushButton(QStringLiteral("退 出 设 置(&E)"), this), "Command8");

    auto *columns = new QHBoxLayout;
    columns->addWidget(Frame2, 1);
    auto *side = new QVBoxLayout;
    side->addWidget(Frame1, 1);
    side->addWidget(Command8);
    columns->addLayout(side, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(columns);

    m_toggle = new SignInToggle(SignInToggle::Kind::Admin, Command9, host, databasePath(), this);
    m_toggle->setEditors({Frame2, Command1});

    connect(Command1, &QPushButton::clicked, this, &GradeGroupWindow::Command1_Click);
    connect(Command8, &QPushButton::clicked, this, &GradeGroupWindow::Command8_Click);
    // The count follows the ticks as they are set, saved or not.
    connect(List1, &QListWidget::itemChanged, this,
            [this] { Label5->setText(QStringLiteral("现共（%1）个年级组").arg(tickedNames().size())); });
}

void GradeGroupWindow::Form_Load()
{
    QWidget *frame = windowFrame(this);
    // The size in twips, taller when the wrapped texts need it in a larger font.
    const int width = twipsToPixels(5100);
    frame->resize(width, std::max(twipsToPixels(3975), frame->heightForWidth(width)));
    CentreOnMainWindow(this, m_host.hostWidget(), 800);
    if (!databaseAvailable(*this, this))
        return;

    LoadAdminAccount(connection(), this);
    loadTicks();
    m_toggle->showState();
}

void GradeGroupWindow::loadTicks()
{
    const std::optional<QStringList> stored = readGradeGroupNames(connection());
    if (!stored)
        reportReadFailure(this, connection().error());
    const QSignalBlocker block(List1);
    for (int i = 0; i < List1->count(); ++i)
        List1->item(i)->setCheckState(Qt::Unchecked);
    int n = 0;
    for (const QString &name : stored.value_or(QStringList())) {
        if (name.isEmpty())
            continue;
        for (int i = 0; i < List1->count(); ++i) {
            if (List1->item(i)->text() == name) {
                List1->item(i)->setCheckState(Qt::Checked);
                ++n;
            }
        }
    }
    Label5->setText(QStringLiteral("现共（%1）个年级组").arg(n));
    m_savedTicks = tickedNames();
}

bool GradeGroupWindow::hasUnsavedChanges() const
{
    return tickedNames() != m_savedTicks;
}

QStringList GradeGroupWindow::tickedNames() const
{
    QStringList names;
    for (int i = 0; i < List1->count(); ++i) {
        if (List1->item(i)->checkState() == Qt::Checked)
            names << List1->item(i)->text();
    }
    return names;
}

void GradeGroupWindow::Command1_Click()
{
    saveGradeGroups();
}

bool GradeGroupWindow::saveGradeGroups()
{
    Session &s = session();
    if (!adminSignedIn(s)) {
        showNotice(this, QStringLiteral("请管理员先登陆,才能查看和修改。"));
        m_toggle->showState();
        return false;
    }
    const SaveResult result = saveWith<SaveResult>(connection(), [this](db::Connection &c) {
        return SaveGradeGroups(c, tickedNames(), [this](const QString &q) { return askYesNo(this, q); });
    });
    if (result.ok) {
        loadTicks();
        showNotice(this, QStringLiteral("年级组设置已经保存。"), kTitleHintDots);
    } else if (!result.cancelled) {
        reportSaveFailure(this, QStringLiteral("年级组设置没有保存:"), result.error, kTitleHintDots);
    }
    return result.ok;
}

void GradeGroupWindow::Command8_Click()
{
    CloseWindow(this);   // the close asks about unsaved ticks
}

bool GradeGroupWindow::mayClose()
{
    return !hasUnsavedChanges()
           || settleUnsavedChanges(this,
                                   QStringLiteral("请问?是否将年级组保存为现在设置的%1个年级组？")
                                       .arg(tickedNames().size()),
                                   [this] { return saveGradeGroups(); });
}

} // namespace tessaly
