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

    promptLabel = new QLabel(QStringLiteral("请输入您学校的名称："), this);
    promptLabel->setObjectName(QStringLiteral("Label1"));
    nameBox = new QLineEdit(this);
    nameBox->setObjectName(QStringLiteral("Text1"));
    nameBox->setMinimumWidth(320);
    okButton = new QPushButton(QStringLiteral("确定"), this);
    okButton->setObjectName(QStringLiteral("Command1"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("取  消"), this);
    cancelButton->setObjectName(QStringLiteral("Command2"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(12);
    layout->addWidget(promptLabel);
    layout->addWidget(nameBox);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(okButton, &QPushButton::clicked, this, &SchoolNameWindow::okClicked);
    connect(cancelButton, &QPushButton::clicked, this, &SchoolNameWindow::cancelClicked);
}

void SchoolNameWindow::Form_Load()
{
    okButton->setText(QStringLiteral("确定"));
    nameBox->setText(readSchoolName(session().programFolder));
}

void SchoolNameWindow::okClicked()
{
    const QString name = nameBox->text();
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

void SchoolNameWindow::cancelClicked()
{
    reject();
}

} // namespace tessaly
