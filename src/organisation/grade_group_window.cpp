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

    listFrame = named(new QFrame(this), "Frame2");
    listFrame->setFrameShape(QFrame::StyledPanel);
    listHeading = named(new QLabel(QStringLiteral("年级组列表"), listFrame), "Label2");
    gradeGroupList = named(new QListWidget(listFrame), "List1");
    for (const QString &name : school::gradeGroupNames()) {
        auto *item = new QListWidgetItem(name, gradeGroupList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    countLabel = named(new QLabel(listFrame), "Label5");
    auto *left = new QVBoxLayout(listFrame);
    left->setContentsMargins(8, 6, 8, 6);
    left->addWidget(listHeading);
    left->addWidget(gradeGroupList, 1);
    left->addWidget(countLabel);

    setupFrame = named(new QFrame(this), "Frame1");
    setupFrame->setFrameShape(QFrame::StyledPanel);
    setupHeading = named(new QLabel(QStringLiteral("进行年级组设置"), setupFrame), "Label3");
    QFont heading = setupHeading->font();
    heading.setBold(true);
    setupHeading->setFont(heading);
    notesLabel = named(new QLabel(QStringLiteral("说明：　　　　　　　　系统管理员可在此进行年级组名称设定。　　　　　　　　　"
                                             "进行设定前需要登陆。设定完成后，点击保存设置才能生效。"),
                              setupFrame),
                   "Label1");
    notesLabel->setWordWrap(true);
    notesLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    signInButton = named(new QPushButton(setupFrame), "Command9");
    saveButton = named(new QPushButton(QStringLiteral("保存设置(&S)"), setupFrame), "Command1");
    saveButton->setEnabled(false);
    auto *right = new QVBoxLayout(setupFrame);
    right->setContentsMargins(8, 6, 8, 8);
    right->addWidget(setupHeading);
    right->addWidget(notesLabel, 1);
    right->addWidget(signInButton);
    right->addWidget(saveButton);

    closeButton = named(new QPushButton(QStringLiteral("退 出 设 置(&E)"), this), "Command8");

    auto *columns = new QHBoxLayout;
    columns->addWidget(listFrame, 1);
    auto *side = new QVBoxLayout;
    side->addWidget(setupFrame, 1);
    side->addWidget(closeButton);
    columns->addLayout(side, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(columns);

    m_toggle = new SignInToggle(SignInToggle::Kind::Admin, signInButton, host, databasePath(), this);
    m_toggle->setEditors({listFrame, saveButton});

    connect(saveButton, &QPushButton::clicked, this, &GradeGroupWindow::saveClicked);
    connect(closeButton, &QPushButton::clicked, this, &GradeGroupWindow::closeClicked);
    // The count follows the ticks as they are set, saved or not.
    connect(gradeGroupList, &QListWidget::itemChanged, this,
            [this] { countLabel->setText(QStringLiteral("现共（%1）个年级组").arg(tickedNames().size())); });
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
    const QSignalBlocker block(gradeGroupList);
    for (int i = 0; i < gradeGroupList->count(); ++i)
        gradeGroupList->item(i)->setCheckState(Qt::Unchecked);
    int n = 0;
    for (const QString &name : stored.value_or(QStringList())) {
        if (name.isEmpty())
            continue;
        for (int i = 0; i < gradeGroupList->count(); ++i) {
            if (gradeGroupList->item(i)->text() == name) {
                gradeGroupList->item(i)->setCheckState(Qt::Checked);
                ++n;
            }
        }
    }
    countLabel->setText(QStringLiteral("现共（%1）个年级组").arg(n));
    m_savedTicks = tickedNames();
}

bool GradeGroupWindow::hasUnsavedChanges() const
{
    return tickedNames() != m_savedTicks;
}

QStringList GradeGroupWindow::tickedNames() const
{
    QStringList names;
    for (int i = 0; i < gradeGroupList->count(); ++i) {
        if (gradeGroupList->item(i)->checkState() == Qt::Checked)
            names << gradeGroupList->item(i)->text();
    }
    return names;
}

void GradeGroupWindow::saveClicked()
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

void GradeGroupWindow::closeClicked()
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
