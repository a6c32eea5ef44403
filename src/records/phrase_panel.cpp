#include "records/phrase_panel.h"

#include "kit/save_report.h"
#include "kit/window_base.h"
#include "kit/window_steps.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "widgets/units.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly::records {

namespace {

const QString kPhraseHeader = QStringLiteral("                  可  选  择  的  评  定  内  容");

} // namespace

PhrasePanel::PhrasePanel(ConnectionSource connection, const QList<QWidget *> &locked, QWidget *parent)
    : QGroupBox(QStringLiteral("可选评定用语"), parent), m_connection(std::move(connection))
{
    setObjectName(QStringLiteral("Frame1"));
    phraseHeading = named(new QLabel(QStringLiteral("评定用语模板      "), this), "Label7");
    phraseKindCombo = named(new QComboBox(this), "Combo3");
    for (int category = 1; category <= kPhraseCategories; ++category)
        phraseKindCombo->addItem(phraseCategoryName(category));
    phraseKindCombo->setCurrentIndex(-1);
    phraseGrid = named(new FlexGrid(this), "Grid3");
    phraseGrid->setRows(1);
    phraseGrid->setFixedRows(1);
    phraseGrid->setFixedCols(1);
    phraseGrid->setCols(2);
    phraseGrid->setToolTip(QStringLiteral("点击下面合适内容，即可添入评定编辑栏。"));
    phraseGrid->setFixedHeight(twipsToPixels(kGridHeight));
    phraseGrid->setMinimumWidth(twipsToPixels(7800));
    phraseBox = named(new QLineEdit(this), "Text4");
    phraseBox->hide();
    addButton = named(new QPushButton(QStringLiteral("添加模板(&A)"), this), "CmdAdd");
    editButton = named(new QPushButton(QStringLiteral("修改模板(&E)"), this), "Cmdedit");
    updateButton = named(new QPushButton(this), "cmdUpdate");
    refreshButton = named(new QPushButton(this), "cmdRefresh");
    deleteButton = named(new QPushButton(QStringLiteral("删除模板(&D)"), this), "cmdDelete");

    auto *top = new QHBoxLayout;
    top->addWidget(phraseHeading);
    top->addStretch();
    top->addWidget(new QLabel(QStringLiteral("选择评定类别"), this));
    top->addWidget(phraseKindCombo);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {addButton, editButton, updateButton, refreshButton, deleteButton})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(phraseGrid);
    layout->addWidget(phraseBox);
    layout->addStretch();
    layout->addLayout(buttons);

    m_editor = new TwoModeEditor(m_connection,
                                 {.buttons = {addButton, editButton, updateButton, refreshButton, deleteButton},
                                  .editor = phraseBox,
                                  .quoteLength = 10,
                                  .messages = {.editWithoutRow = QStringLiteral("请选择要修改的评语内容"),
                                               .deleteWithoutRow = QStringLiteral("请选择要删除的评语"),
                                               .emptyText = QStringLiteral("请填加新的评语后再保存"),
                                               .unsaved = QStringLiteral("评语还没有保存，要先保存吗?")},
                                  .locked = locked,
                                  .readOnlyWhileBrowsing = false,
                                  .emptyOnAdd = false},
                                 this);
    m_editor->setSteps({
        .current = [this]() -> std::optional<Document> {
            return m_current >= 0 && m_current < m_rows.size() ? std::optional(m_rows[m_current]) : std::nullopt;
        },
        // The category chosen when the phrase is saved, whatever it was when adding began.
        .newRow = [this](const QString &) -> std::optional<NewDocument> {
            if (phraseKindCombo->currentIndex() < 0) {
                showNotice(this, QStringLiteral("请选择评语类别"), kTitleHint);
                return std::nullopt;
            }
            return NewDocument{phraseKind(phraseKindCombo->currentIndex() + 1), kPhraseDisplayName};
        },
        .reload = [this](const TwoModeEditor::Leave &leave) {
            LoadPhraseGrid();
            makeCurrent(leave.row);
        },
        .modeChanged = [this](TwoModeEditor::Mode mode) { showEditor(mode != TwoModeEditor::Mode::Browsing); },
    });

    connect(phraseKindCombo, &QComboBox::activated, this, &PhrasePanel::phraseKindChosen);
    connect(phraseGrid, &FlexGrid::Click, this, &PhrasePanel::phraseGridClicked);
}

void PhrasePanel::selectCategory(int position)
{
    phraseKindCombo->setCurrentIndex(position);
    phraseKindChosen();
}

void PhrasePanel::phraseKindChosen()
{
    phraseGrid->setTextMatrix(0, 0, QStringLiteral("序号"));
    phraseGrid->setTextMatrix(0, 1, kPhraseHeader);
    phraseGrid->setColWidth(0, 445);
    phraseGrid->setColWidth(1, 8000);
    if (phraseKindCombo->currentIndex() >= 0)
        LoadPhraseGrid();
}

void PhrasePanel::LoadPhraseGrid()
{
    phraseGrid->setRows(1);
    m_rows.clear();
    m_current = -1;
    const auto rows = readDocuments(m_connection(), DocumentKind::Phrase, QString::number(phraseKindCombo->currentIndex() + 1));
    if (!rows) {
        reportReadFailure(this, m_connection().error());
        return;
    }
    m_rows = *rows;
    phraseGrid->setRows(1 + int(m_rows.size()));
    for (int i = 0; i < m_rows.size(); ++i) {
        phraseGrid->setTextMatrix(i + 1, 0, QString::number(i + 1));
        phraseGrid->setTextMatrix(i + 1, 1, m_rows[i].text);
    }
}

void PhrasePanel::phraseGridClicked()
{
    const int row = phraseGrid->Row();
    if (phraseGrid->Rows() <= 1 || row < 1 || row > m_rows.size())
        return;
    m_current = row - 1;
    // A click on the number only picks the phrase; one on its text also hands it
    // over, except while a phrase is added or edited.
    if (phraseGrid->Col() >= 1 && !m_editor->inMode())
        emit phraseClicked(m_rows[m_current].text);
}

void PhrasePanel::makeCurrent(std::optional<qint64> id)
{
    for (int i = 0; id && i < m_rows.size(); ++i) {
        if (m_rows[i].id == *id) {
            m_current = i;
            phraseGrid->setRow(i + 1);
            return;
        }
    }
}

void PhrasePanel::showEditor(bool shown)
{
    phraseGrid->setFixedHeight(twipsToPixels(shown ? kGridHeightEditing : kGridHeight));
    phraseBox->setVisible(shown);
}

} // namespace tessaly::records
