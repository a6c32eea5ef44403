#include "shell/school_name_window.h"

#include "widgets/messages.h"
#include "shell/school_name.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

SchoolNameWindow::SchoolNameWindow(WindowHost &host, QWidget *parent)
    : QDialog(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("学校名称设置"));
    setWindowTitle(QStringLiteral("学校名称设置"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Label1 = new QLabel(QStringLiteral("请输入您学校的名称："), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setMinimumWidth(320);
    Command1 = new QPushButton(QStringLiteral("确定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("取  消"), this);
    Command2->setObjectName(QStringLiteral("Command2"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(12);
    layout->addWidget(Label1);
    layout->addWidget(Text1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1, &QPushButton::clicked, this, &SchoolNameWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &SchoolNameWindow::Command2_Click);
}

void SchoolNameWindow::Form_Load()
{
    Command1->setText(QStringLiteral("确定"));
    Text1->setText(readSchoolName(session().programFolder));
}

void SchoolNameWindow::Command1_Click()
{
    const QString name = Text1->text();
    if (const QString refusal = schoolNameRefusal(name); !refusal.isEmpty()) {
        showNotice(this, refusal, kTitleHint);
        return;
    }
    if (!saveSchoolName(session().programFolder, name)) {
        showNotice(this, QStringLiteral("无法写入文件XM.DLL，学校名称没有保存。"), kTitleHint);
        return;
    }
    m_host.setSchoolName(name);
    accept();
}

void SchoolNameWindow::Command2_Click()
{
    reject();
}

} // namespace tessaly
