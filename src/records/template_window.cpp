#include "records/template_window.h"

#include "kit/save_report.h"
#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "widgets/fonts.h"
#include "records/notice_layout.h"
#include "records/two_mode_editor.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

using namespace records;

namespace {

const QString kUsage = QStringLiteral(
    "模板使用说明:\n本模板的设置，意在让每个班主任进行工作交流，提高班主任工作水平。模板中的计划内容可以通过选中、复制的方式粘贴到你要编辑的文本框中。"
    "同时，本模板允许添加新模板，或修改、保存以便备用。");

QString entryText(int position)
{
    return QStringLiteral("模板内容 ") + QString::number(position + 1);
}

} // namespace

TemplateWindow::TemplateWindow(const Library &library, WindowHost &host, QWidget *parent)
    : QWidget(parent), FormWindow(host), m_library(library)
{
    setObjectName(QString::fromUtf16(library.name));
    setWindowTitle(QString::fromUtf16(library.name));

    headingLabel = named(new QLabel(library.title, this), "Label2");
    headingLabel->setAlignment(Qt::AlignCenter);
    headingLabel->setFont(cjkFont(QStringLiteral("黑体"), 14, true));
    usageNote = named(new QLabel(kUsage, this), "Label4");
    usageNote->setWordWrap(true);
    templateCombo = named(new QComboBox(this), "Combo5");
    templateCombo->setMinimumContentsLength(10);
    templateBox = named(new QPlainTextEdit(this), "Text3");
    templateBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    addButton = named(new QPushButton(QStringLiteral("添加模板(&A)"), this), "CmdAdd");
    editButton = named(new QPushButton(QStringLiteral("修改模板(&E)"), this), "Cmdedit");
    updateButton = named(new QPushButton(this), "cmdUpdate");
    refreshButton = named(new QPushButton(this), "cmdRefresh");
    closeButton = named(new QPushButton(QStringLiteral("关闭(&C)"), this), "cmdClose");

    auto *picker = new QHBoxLayout;
    picker->addWidget(templateCombo);
    picker->addStretch();
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {addButton, editButton, updateButton, refreshButton, closeButton})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(headingLabel);
    layout->addWidget(usageNote);
    layout->addLayout(picker);
    layout->addWidget(templateBox, 1);
    layout->addLayout(buttons);

    m_editor = new TwoModeEditor([this]() -> db::Connection & { return connection(); },
                                 {.buttons = {addButton, editButton, updateButton, refreshButton, nullptr},
                                  .editor = templateBox,
                                  .quoteLength = 10,
                                  .messages = {.editWithoutRow = library.editWithoutRow,
                                               .emptyText = QStringLiteral("请填加新的内容后再保存"),
                                               .unsaved = QStringLiteral("模板内容还没有保存，要先保存吗?")},
                                  .locked = {templateCombo}},
                                 this);
    m_editor->setSteps({
        .current = [this]() -> std::optional<Document> {
            return m_current >= 0 && m_current < m_rows.size() ? std::optional(m_rows[m_current]) : std::nullopt;
        },
        // Templates carry no display name (其它 stays NULL).
        .newRow = [this](const QString &) -> std::optional<NewDocument> {
            return NewDocument{m_library.kind == DocumentKind::SummaryTemplate ? QStringLiteral("G")
                                                                               : QStringLiteral("J"),
                               QString()};
        },
        .reload = [this](const TwoModeEditor::Leave &leave) {
            loadTemplates();
            int position = -1;
            for (int i = 0; leave.row && i < m_rows.size(); ++i) {
                if (m_rows[i].id == *leave.row)
                    position = i;
            }
            // A cancelled add shows the last template, not the one shown before.
            if (!leave.row && leave.mode == TwoModeEditor::Mode::Adding)
                position = int(m_rows.size()) - 1;
            if (position >= 0 || leave.mode != TwoModeEditor::Mode::Browsing)
                pick(position);
            else
                templateCombo->setCurrentIndex(-1);
        },
    });

    connect(templateCombo, &QComboBox::activated, this, &TemplateWindow::templateChosen);
    connect(closeButton, &QPushButton::clicked, this, [this] { CloseWindow(this); });
}

void TemplateWindow::Form_Load()
{
    showFixedDialogFrame(this);
    SetWindowSize(this, m_library.widthTwips, m_library.heightTwips);
    CentreOnMainWindow(this, host().hostWidget(), 400);
    loadTemplates();
    pick(m_rows.isEmpty() ? -1 : 0);
}

bool TemplateWindow::mayClose()
{
    return m_editor->settle();
}

void TemplateWindow::loadTemplates()
{
    m_rows.clear();
    m_current = -1;
    templateCombo->clear();
    if (const auto rows = readDocuments(connection(), m_library.kind))
        m_rows = *rows;
    else
        reportReadFailure(this, connection().error());
    for (int i = 0; i < m_rows.size(); ++i)
        templateCombo->addItem(entryText(i));
    templateCombo->setCurrentIndex(-1);
}

void TemplateWindow::pick(int position)
{
    m_current = position >= 0 && position < m_rows.size() ? position : -1;
    templateCombo->setCurrentIndex(m_current);
    templateBox->setPlainText(m_current >= 0 ? m_rows[m_current].text : QString());
}

void TemplateWindow::templateChosen()
{
    if (templateCombo->currentIndex() >= 0 && !m_rows.isEmpty())
        pick(templateCombo->currentIndex());
}

PlanTemplateWindow::PlanTemplateWindow(WindowHost &host, QWidget *parent)
    : TemplateWindow({.kind = DocumentKind::PlanTemplate,
                      .name = kPlanTemplateWindow,
                      .widthTwips = 7290,
                      .heightTwips = 5805,
                      .title = QStringLiteral("班主任工作计划模板"),
                      .editWithoutRow = QStringLiteral("请选择要修改的计划内容")},
                     host, parent)
{
}

SummaryTemplateWindow::SummaryTemplateWindow(WindowHost &host, QWidget *parent)
    : TemplateWindow({.kind = DocumentKind::SummaryTemplate,
                      .name = kSummaryTemplateWindow,
                      .widthTwips = 7215,
                      .heightTwips = 6030,
                      .title = QStringLiteral("班主任工作总结模板"),
                      .editWithoutRow = QStringLiteral("请选择要修改的总结内容")},
                     host, parent)
{
}

} // namespace tessaly
