#include "organisation/new_student_window.h"

#include "kit/cell_editor.h"
#include "kit/import_panel.h"
#include "kit/window_steps.h"
#include "kit/workbook_export.h"
#include "workbook/export_workbook.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "widgets/units.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace tessaly {

using namespace organisation;

namespace {

const QColor kActiveStep(0, 255, 0);
const QColor kFirstStep(192, 192, 192);
constexpr int kShownRowTwips = 225;
constexpr int kManualScoreTwips = 445;

QFrame *panelFrame(QWidget *parent, const char *name)
{
    QFrame *frame = named(new QFrame(parent), name);
    frame->setFrameShape(QFrame::StyledPanel);
    return frame;
}

QLabel *heading(const QString &text, QWidget *parent, const char *name = nullptr)
{
    auto *label = new QLabel(text, parent);
    if (name)
        label->setObjectName(QString::fromLatin1(name));
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

// The button face in `color`; a highlighted step keeps black text, also while the step
// panel is disabled (the disabled grey does not read on green).
void paintButton(QPushButton *button, const QColor &color, bool highlighted = false)
{
    QPalette p = button->parentWidget()->palette();
    p.setColor(QPalette::Button, color);
    if (highlighted)
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            p.setColor(group, QPalette::ButtonText, Qt::black);
    button->setPalette(p);
}

} // namespace

NewStudentWindow::NewStudentWindow(WindowHost &host, QWidget *parent)
    : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("新生分班"));
    setWindowTitle(QStringLiteral("新生分班"));

    titleLabel = named(new QLabel(QStringLiteral("入 学 新 生 分 班"), this), "Label4");
    QFont title = titleLabel->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    titleLabel->setFont(title);
    titleLabel->setAlignment(Qt::AlignCenter);

    buildStepPanel();

    gridFrame = panelFrame(this, "Frame4");
    gridHeading = named(new QLabel(QStringLiteral("==============入学新生情况显示=============="), gridFrame), "Label3");
    gridHeading->setAlignment(Qt::AlignCenter);
    studentGrid = named(new FlexGrid(gridFrame), "Grid1");
    showErrorsButton = named(new QPushButton(QStringLiteral("显示错误情况"), gridFrame), "Command15");
    showAllButton = named(new QPushButton(QStringLiteral("显示全部情况"), gridFrame), "Command16");
    buildImportPanel();
    buildManualPanel();
    buildSmallPanels();

    auto *filters = new QHBoxLayout;
    filters->addStretch();
    filters->addWidget(showErrorsButton);
    filters->addWidget(showAllButton);
    auto *main = new QVBoxLayout(gridFrame);
    main->setContentsMargins(6, 6, 6, 6);
    main->addWidget(gridHeading);
    main->addWidget(studentGrid, 1);
    main->addWidget(importFrame, 1);
    main->addWidget(manualFrame);
    main->addWidget(reportFrame);
    main->addWidget(classCountFrame);
    main->addWidget(outputFrame);
    main->addLayout(filters);

    auto *body = new QHBoxLayout;
    body->addWidget(stepsFrame);
    body->addWidget(gridFrame, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(titleLabel);
    layout->addLayout(body, 1);

    CellEditorConfig editor;
    editor.firstColumn = kColName;
    editor.lastColumn = -2;
    editor.moveKeys = CellEditorConfig::MoveNone;
    editor.commitOnScroll = false;
    editor.writeUnchanged = true;
    editor.keyRule = [](int col, QChar key, QString &) -> QChar {
        if (key == QChar(8))
            return key;
        if (col == kColPlaced || col == kColChosen)
            return key.isDigit() && key.unicode() < 128 ? key : QChar();
        if (col >= kColTotal) {
            if (key == u'。')
                return u'.';
            return (key >= u'0' && key <= u'9') || key == u'.' ? key : QChar();
        }
        return key;
    };
    editor.textCheck = [this](int col, QString &text) {
        if (m_sheet.exceedsClassCount(col, text))
            text.clear();
    };
    editor.commitText = &PlacementSheet::committedText;
    m_editor = new CellEditor(studentGrid, editor);
    cellEditorBox = m_editor->lineEdit();
    // The typed text goes to the sheet; the cell shows what the sheet kept.
    connect(m_editor, &CellEditor::cellWritten, this, [this](int row, int col) {
        if (row < 1 || row > m_sheet.table().rows.size())
            return;
        m_sheet.edit(row - 1, col, cellEditorBox->text());
        studentGrid->setTextMatrix(row, col, m_sheet.table().rows[row - 1].cell(col));
    });
    connect(classCountBox, &QLineEdit::textChanged, this, [this](const QString &text) { m_sheet.setClassCountText(text); });

    m_face = importButton->palette().color(QPalette::Button);

    connect(importButton, &QPushButton::clicked, this, &NewStudentWindow::importClicked);
    connect(manualEntryButton, &QPushButton::clicked, this, &NewStudentWindow::manualEntryClicked);
    connect(browseButton, &QPushButton::clicked, this, &NewStudentWindow::browseClicked);
    connect(sheetCombo, &QComboBox::activated, this, &NewStudentWindow::sheetChosen);
    connect(sheetHeaderList, &QListWidget::itemClicked, this, &NewStudentWindow::sheetHeaderChosen);
    connect(resetImportButton, &QPushButton::clicked, this, &NewStudentWindow::resetImportClicked);
    connect(startImportButton, &QPushButton::clicked, this, &NewStudentWindow::startImportClicked);
    connect(cancelImportButton, &QPushButton::clicked, this, &NewStudentWindow::cancelImportClicked);
    connect(cancelManualButton, &QPushButton::clicked, this, &NewStudentWindow::cancelManualClicked);
    connect(cancelOutputButton, &QPushButton::clicked, this, &NewStudentWindow::cancelOutputClicked);
    connect(confirmManualButton, &QPushButton::clicked, this, &NewStudentWindow::confirmManualClicked);
    connect(showErrorsButton, &QPushButton::clicked, this, &NewStudentWindow::showErrorsClicked);
    connect(showAllButton, &QPushButton::clicked, this, &NewStudentWindow::showAllClicked);
    connect(checkButton, &QPushButton::clicked, this, &NewStudentWindow::checkClicked);
    connect(placeButton, &QPushButton::clicked, this, &NewStudentWindow::placeClicked);
    connect(confirmClassCountButton, &QPushButton::clicked, this, &NewStudentWindow::confirmClassCountClicked);
    connect(cancelClassCountButton, &QPushButton::clicked, this, &NewStudentWindow::cancelClassCountClicked);
    connect(closeReportButton, &QPushButton::clicked, this, &NewStudentWindow::closeReportClicked);
    connect(priorityUpButton, &QPushButton::clicked, this, &NewStudentWindow::priorityUpClicked);
    connect(priorityDownButton, &QPushButton::clicked, this, &NewStudentWindow::priorityDownClicked);
    connect(saveResultButton, &QPushButton::clicked, this, &NewStudentWindow::saveResultClicked);
    connect(confirmOutputButton, &QPushButton::clicked, this, &NewStudentWindow::confirmOutputClicked);
    connect(closeButton, &QPushButton::clicked, this, &NewStudentWindow::closeClicked);
}

NewStudentWindow::~NewStudentWindow() = default;

void NewStudentWindow::buildStepPanel()
{
    stepsFrame = panelFrame(this, "Frame2");
    stepsHeading = named(heading(QStringLiteral("进行分班操作"), stepsFrame), "Label2");
    importButton = named(new QPushButton(QStringLiteral("导入Excel文件        "), stepsFrame), "Command3");
    manualEntryButton = named(new QPushButton(QStringLiteral("人工录入新生数据     "), stepsFrame), "Command4");
    importResultList = named(new QListWidget(stepsFrame), "List1");
    checkButton = named(new QPushButton(QStringLiteral("检查数据错误         "), stepsFrame), "Command5");
    priorityList = named(new QListWidget(stepsFrame), "List4");
    priorityList->addItems(m_sheet.priorities());
    priorityUpButton = named(new QPushButton(QStringLiteral("↑"), stepsFrame), "Command11");
    priorityDownButton = named(new QPushButton(QStringLiteral("↓"), stepsFrame), "Command13");
    priorityNumbers = named(new QLabel(QStringLiteral("１\n２\n３\n４"), stepsFrame), "Label11");
    priorityNumbers->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeButton = named(new QPushButton(QStringLiteral("进行分班            "), stepsFrame), "Command6");
    saveResultButton = named(new QPushButton(QStringLiteral("保存或打印结果(&P)     "), stepsFrame), "Command1");
    closeButton = named(new QPushButton(QStringLiteral("关闭(&C)"), stepsFrame), "Command7");
    // The priority numbers stand beside the list's rows: one line of priorityNumbers per row,
    // measured as drawn (the full-width digits may come from a taller fallback font).
    const int frame = priorityList->frameWidth();
    priorityNumbers->setContentsMargins(0, frame, 0, 0);
    const int line = (priorityNumbers->sizeHint().height() - frame + 3) / 4;
    for (int i = 0; i < priorityList->count(); ++i)
        priorityList->item(i)->setSizeHint(QSize(0, line));
    priorityList->setFixedHeight(line * 4 + 2 * frame);
    priorityNumbers->setFixedHeight(priorityList->height());
    priorityList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    priorityList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    importResultList->setFixedHeight(importResultList->fontMetrics().height() * 4 + 8);
    priorityList->setCurrentRow(0);

    auto *priority = new QGridLayout;
    priority->addWidget(priorityNumbers, 0, 0, 2, 1, Qt::AlignTop);
    priority->addWidget(priorityList, 0, 1, 2, 1);
    priority->addWidget(priorityUpButton, 0, 2);
    priority->addWidget(priorityDownButton, 1, 2);
    priorityUpButton->setFixedWidth(priorityUpButton->fontMetrics().horizontalAdvance(QStringLiteral("↑↑")) + 12);
    priorityDownButton->setFixedWidth(priorityUpButton->width());

    auto *chosenNote = named(new QLabel(QStringLiteral("④输入择班生的班级"), stepsFrame), "lblLabels");
    auto *chosenHint = new QLabel(QStringLiteral("请在左表中择班内填写"), stepsFrame);
    chosenHint->setObjectName(QStringLiteral("lblLabels"));

    auto *v = new QVBoxLayout(stepsFrame);
    v->setContentsMargins(8, 6, 8, 8);
    v->addWidget(stepsHeading);
    v->addWidget(importButton);
    v->addWidget(manualEntryButton);
    v->addWidget(new QLabel(QStringLiteral("导入的对应结果"), stepsFrame));
    v->addWidget(importResultList);
    v->addWidget(checkButton);
    v->addWidget(new QLabel(QStringLiteral("③分班条件优先权设置"), stepsFrame));
    v->addLayout(priority);
    v->addWidget(chosenNote);
    v->addWidget(chosenHint);
    v->addWidget(placeButton);
    v->addWidget(saveResultButton);
    v->addStretch();
    v->addWidget(closeButton);
}

void NewStudentWindow::buildImportPanel()
{
    importFrame = panelFrame(gridFrame, "Frame1");
    importHeading = named(heading(QStringLiteral("导入电子表格Excel文件"), importFrame), "Label1");
    workbookPathBox = named(new QLineEdit(importFrame), "Text2");
    workbookPathBox->setReadOnly(true);
    browseButton = named(new QPushButton(QStringLiteral("浏览"), importFrame), "Command2");
    sheetCombo = named(new QComboBox(importFrame), "Combo1");
    sheetHeaderList = named(new QListWidget(importFrame), "List3");
    codeOption = named(new QRadioButton(QStringLiteral("代码"), importFrame), "Option1");
    nameOption = named(new QRadioButton(QStringLiteral("姓名"), importFrame), "Option2");
    sexOption = named(new QRadioButton(QStringLiteral("性别"), importFrame), "Option3");
    scoreOption = named(new QRadioButton(QStringLiteral("成绩"), importFrame), "Option4");
    codeOption->setChecked(true);
    codeColumnLabel = named(new QLabel(importFrame), "Label6");
    nameColumnLabel = named(new QLabel(importFrame), "Label7");
    sexColumnLabel = named(new QLabel(importFrame), "Label8");
    for (QLabel *l : {codeColumnLabel, nameColumnLabel, sexColumnLabel}) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("新生姓名列")) + 8);
    }
    scoreColumnList = named(new QListWidget(importFrame), "List2");
    importNotes = named(new QLabel(QStringLiteral("操作说明：Excel表中必须有以下内容：\n"
                                             "1、新生代码（用来保证新生的唯一性）　2、新生姓名\n"
                                             "3、新生性别（保证新分出的班男女生均衡）\n"
                                             "4、入学成绩（保证新分出的班成绩均衡）。"),
                              importFrame),
                   "Label9");
    startImportButton = named(new QPushButton(QStringLiteral("导入"), importFrame), "Command8");
    cancelImportButton = named(new QPushButton(QStringLiteral("取消"), importFrame), "Command9");
    resetImportButton = named(new QPushButton(QStringLiteral("重填"), importFrame), "Command10");

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(workbookPathBox, 1);
    fileRow->addWidget(browseButton);
    auto *fields = new QGridLayout;
    fields->addWidget(codeOption, 1, 0);
    fields->addWidget(codeColumnLabel, 1, 1);
    fields->addWidget(nameOption, 2, 0);
    fields->addWidget(nameColumnLabel, 2, 1);
    fields->addWidget(sexOption, 3, 0);
    fields->addWidget(sexColumnLabel, 3, 1);
    fields->addWidget(scoreOption, 4, 0, Qt::AlignTop);
    fields->addWidget(scoreColumnList, 4, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(startImportButton);
    buttons->addWidget(resetImportButton);
    buttons->addWidget(cancelImportButton);

    auto *grid = new QGridLayout(importFrame);
    grid->setContentsMargins(8, 6, 8, 8);
    grid->setVerticalSpacing(4);
    auto *sheetRow = new QHBoxLayout;
    sheetRow->addWidget(new QLabel(QStringLiteral("②选择新生资料所在的表"), importFrame));
    sheetRow->addWidget(sheetCombo, 1);
    const int listRow = scoreColumnList->fontMetrics().height() + 2;
    scoreColumnList->setMinimumHeight(listRow * 3 + 2 * scoreColumnList->frameWidth());
    sheetHeaderList->setMinimumHeight(listRow * 5 + 2 * sheetHeaderList->frameWidth());

    grid->addWidget(importHeading, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("①选择新生资料(Excel)文件"), importFrame), 1, 0, 1, 2);
    grid->addLayout(fileRow, 2, 0, 1, 2);
    grid->addLayout(sheetRow, 4, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("表中提供资料"), importFrame), 5, 0);
    grid->addWidget(new QLabel(QStringLiteral("所需新生资料"), importFrame), 5, 1);
    grid->addWidget(sheetHeaderList, 6, 0);
    grid->addLayout(fields, 6, 1);
    captionRowLabel = named(new QLabel(importFrame), "CaptionRowNote");
    captionRowLabel->setWordWrap(true);
    captionRowLabel->hide();
    grid->addWidget(captionRowLabel, 7, 0, 1, 2);
    grid->addWidget(importNotes, 8, 0, 1, 2);
    grid->addLayout(buttons, 9, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(6, 1);
    importFrame->hide();
}

void NewStudentWindow::buildManualPanel()
{
    manualFrame = panelFrame(gridFrame, "Frame6");
    manualHeading = named(heading(QStringLiteral("进行人工输入设置"), manualFrame), "Label13");
    studentCountBox = named(new QLineEdit(manualFrame), "Text4");
    // Digits only from the keyboard; a pasted text is checked when the list is set up.
    studentCountBox->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), studentCountBox));
    studentCountBox->setFixedWidth(studentCountBox->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    subjectsBox = named(new QLineEdit(QStringLiteral("语文*数学*英语*物理*化学*生物*政治*历史*地理"), manualFrame), "Text6");
    confirmManualButton = named(new QPushButton(QStringLiteral("确定"), manualFrame), "Command21");
    cancelManualButton = named(new QPushButton(QStringLiteral("取消"), manualFrame), "Command19");
    auto *note = new QLabel(QStringLiteral("    说明：每个科目名称请用“*”号隔开。       如“语文*数学*物理*化学”。"), manualFrame);
    note->setWordWrap(true);

    auto *count = new QHBoxLayout;
    count->addWidget(new QLabel(QStringLiteral("新生数目"), manualFrame));
    count->addWidget(studentCountBox);
    count->addWidget(new QLabel(QStringLiteral("人"), manualFrame));
    count->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirmManualButton);
    buttons->addWidget(cancelManualButton);
    auto *v = new QVBoxLayout(manualFrame);
    v->setContentsMargins(8, 6, 8, 8);
    v->addWidget(manualHeading);
    v->addLayout(count);
    v->addWidget(new QLabel(QStringLiteral("新生入学考试科目名称"), manualFrame));
    v->addWidget(subjectsBox);
    v->addWidget(note);
    v->addLayout(buttons);
    manualFrame->hide();
}

void NewStudentWindow::buildSmallPanels()
{
    reportFrame = panelFrame(gridFrame, "Frame3");
    reportHeading = named(heading(QStringLiteral("工作指示"), reportFrame), "Label15");
    reportProgress = named(new QProgressBar(reportFrame), "Bar1");
    reportProgress->setRange(0, 1);
    reportProgress->setValue(0);
    progressLabel = named(new QLabel(reportFrame), "lb1");
    reportBox = named(new QPlainTextEdit(reportFrame), "Text5");
    reportBox->setReadOnly(true);
    reportBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reportBox->setFixedHeight(reportBox->fontMetrics().lineSpacing() * 6 + 12);
    closeReportButton = named(new QPushButton(QStringLiteral("取消"), reportFrame), "Command12");
    auto *report = new QGridLayout(reportFrame);
    report->setContentsMargins(8, 6, 8, 8);
    report->addWidget(reportHeading, 0, 0, 1, 3);
    report->addWidget(new QLabel(QStringLiteral("进度指示……"), reportFrame), 1, 0);
    report->addWidget(reportProgress, 1, 1);
    report->addWidget(progressLabel, 1, 2);
    report->addWidget(new QLabel(QStringLiteral("新生情况报告单"), reportFrame), 2, 0, 1, 3);
    report->addWidget(reportBox, 3, 0, 1, 3);
    report->addWidget(closeReportButton, 4, 2, Qt::AlignRight);
    report->setColumnStretch(1, 1);
    reportFrame->hide();

    classCountFrame = panelFrame(gridFrame, "Frame5");
    classCountHeading = named(heading(QStringLiteral("输入分班数目"), classCountFrame), "Label12");
    classCountBox = named(new QLineEdit(classCountFrame), "Text3");
    classCountBox->setFixedWidth(classCountBox->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    confirmClassCountButton = named(new QPushButton(QStringLiteral("确定"), classCountFrame), "Command18");
    cancelClassCountButton = named(new QPushButton(QStringLiteral("取消"), classCountFrame), "Command17");
    auto *classes = new QHBoxLayout(classCountFrame);
    classes->setContentsMargins(8, 6, 8, 6);
    classes->addWidget(classCountHeading);
    classes->addSpacing(12);
    classes->addWidget(new QLabel(QStringLiteral("分班数目是:"), classCountFrame));
    classes->addWidget(classCountBox);
    classes->addStretch();
    classes->addWidget(confirmClassCountButton);
    classes->addWidget(cancelClassCountButton);
    classCountFrame->hide();

    outputFrame = panelFrame(gridFrame, "Frame7");
    outputHeading = named(heading(QStringLiteral("打印方式设置"), outputFrame), "Label14");
    writeBackOption = named(new QRadioButton(QStringLiteral("分班结果存回原表中"), outputFrame), "Option7");
    byClassOption = named(new QRadioButton(QStringLiteral("按班级输出名单"), outputFrame), "Option5");
    originalOrderOption = named(new QRadioButton(QStringLiteral("按原顺序输出名单"), outputFrame), "Option6");
    byClassOption->setChecked(true);
    confirmOutputButton = named(new QPushButton(QStringLiteral("确定"), outputFrame), "Command14");
    cancelOutputButton = named(new QPushButton(QStringLiteral("取消"), outputFrame), "Command20");
    auto *output = new QHBoxLayout(outputFrame);
    output->setContentsMargins(8, 6, 8, 6);
    output->addWidget(outputHeading);
    output->addSpacing(12);
    output->addWidget(writeBackOption);
    output->addWidget(byClassOption);
    output->addWidget(originalOrderOption);
    output->addStretch();
    output->addWidget(confirmOutputButton);
    output->addWidget(cancelOutputButton);
    outputFrame->hide();
}

void NewStudentWindow::Form_Load()
{
    SetWindowSize(this, 13500, 8400);
    MoveToTopLeft(this);
    studentGrid->setFixedRows(1);
    studentGrid->setFixedCols(1);
    studentGrid->setFormatString(initialFormatString());
    studentGrid->setRows(4);
    paintButton(importButton, kFirstStep);
}

void NewStudentWindow::activateStep(QPushButton *step)
{
    for (QPushButton *b : {importButton, manualEntryButton, checkButton, placeButton, saveResultButton})
        paintButton(b, b == step ? kActiveStep : m_face, b == step);
}

void NewStudentWindow::openPanel(QFrame *panel)
{
    m_editor->CloseCellEditor();
    panel->show();
    studentGrid->setVisible(panel != importFrame);   // the import panel takes the grid's place
    stepsFrame->setEnabled(false);
    showErrorsButton->setEnabled(false);
    showAllButton->setEnabled(false);
}

void NewStudentWindow::closePanel(QFrame *panel)
{
    panel->hide();
    studentGrid->show();
    stepsFrame->setEnabled(true);
    showErrorsButton->setEnabled(true);
    showAllButton->setEnabled(true);
}

void NewStudentWindow::showReportPanel()
{
    reportProgress->setValue(0);
    reportBox->clear();
    progressLabel->clear();
    reportFrame->show();
    reportFrame->repaint();
}

void NewStudentWindow::showProgress(int row, int rows)
{
    reportProgress->setRange(0, rows + 1);
    reportProgress->setValue(row);
    progressLabel->setText(QStringLiteral("总计%1人现%2人").arg(rows).arg(row));
    progressLabel->repaint();
}

void NewStudentWindow::importClicked()
{
    openPanel(importFrame);
    activateStep(importButton);
}

void NewStudentWindow::manualEntryClicked()
{
    openPanel(manualFrame);
    studentCountBox->setFocus();
    activateStep(manualEntryButton);
}

void NewStudentWindow::cancelImportClicked()
{
    closePanel(importFrame);
}

void NewStudentWindow::cancelManualClicked()
{
    closePanel(manualFrame);
}

void NewStudentWindow::cancelOutputClicked()
{
    closePanel(outputFrame);
}

void NewStudentWindow::browseClicked()
{
    // The list read from the workbook open so far is no longer tied to an open workbook.
    // A workbook is written only by the write-back, never on release.
    if (OpenImportWorkbook(this, m_book, workbookPathBox, sheetCombo) || !m_book)
        m_sheet.leaveBook();
}

void NewStudentWindow::sheetChosen()
{
    const int index = sheetCombo->currentIndex();
    if (!m_book || index < 0)
        return;
    const int row = ListSheetHeaders(this, *m_book, index, sheetHeaderList, HeaderText::AsStored,
                                     {studentListCaptions(), {QStringLiteral("姓名"), QStringLiteral("学生姓名")}});
    ClearColumnMapping();
    m_sheet.chooseSheet(m_book->currentSheet() == index ? sheetHeaders(*m_book, HeaderText::AsStored, row) : QStringList(),
                        row);
    const QString note = captionRowNote(row);
    captionRowLabel->setText(note);
    captionRowLabel->setVisible(!note.isEmpty());
}

void NewStudentWindow::sheetHeaderChosen()
{
    const int position = sheetHeaderList->currentRow();
    if (position < 0)
        return;
    using Field = PlacementSheet::Field;
    const Field field = scoreOption->isChecked() ? Field::Score
                        : codeOption->isChecked() ? Field::Code
                        : nameOption->isChecked() ? Field::Name
                                                  : Field::Sex;
    switch (m_sheet.bind(field, position)) {
    case PlacementSheet::Binding::TooManyScores:
        showNotice(this, QStringLiteral("成绩最多只能对应%1列，这一列没有加入。").arg(kMaxScoreColumns), kTitleHintDots);
        return;
    case PlacementSheet::Binding::NotBound:
        return;
    case PlacementSheet::Binding::Bound:
        break;
    }
    const StudentMapping &mapping = m_sheet.mapping();
    switch (field) {
    case Field::Score: scoreColumnList->addItem(mapping.scores.last().label); break;
    case Field::Code: codeColumnLabel->setText(mapping.code.label); break;
    case Field::Name: nameColumnLabel->setText(mapping.name.label); break;
    case Field::Sex: sexColumnLabel->setText(mapping.sex.label); break;
    }
}

void NewStudentWindow::ClearColumnMapping()
{
    codeColumnLabel->clear();
    nameColumnLabel->clear();
    sexColumnLabel->clear();
    scoreColumnList->clear();
    m_sheet.clearMapping();
    codeOption->setChecked(true);
}

void NewStudentWindow::resetImportClicked()
{
    ClearColumnMapping();
}

void NewStudentWindow::startImportClicked()
{
    if (!m_sheet.canImport() || !m_book || m_book->currentSheet() < 0) {
        showNotice(this, QStringLiteral("没有新生分班所需要的全部信息，请按要求设置好全部内容。"), kTitleHintDots);
        return;
    }
    m_editor->cancel();
    closePanel(importFrame);
    showReportPanel();
    importResultList->clear();
    importResultList->addItems(mappingSummary(m_sheet.mapping()));

    const CheckCounts counts = m_sheet.importFrom(*m_book, [this](int i, int n) { showProgress(i, n); });
    reportProgress->setValue(reportProgress->maximum());
    layOutGrid();
    reportBox->setPlainText(importSummary(counts));
}

void NewStudentWindow::confirmManualClicked()
{
    switch (m_sheet.setUpTyped(studentCountBox->text(), subjectsBox->text())) {
    case PlacementSheet::TypedList::Missing:
        showNotice(this, QStringLiteral("请输入所需要内容"), kTitleHintDots);
        return;
    case PlacementSheet::TypedList::BadCount:
        showNotice(this, QStringLiteral("新生数目请输入1至%1之间的整数。").arg(kMaxTypedCount), kTitleHintDots);
        studentCountBox->setFocus();
        return;
    case PlacementSheet::TypedList::Ready:
        break;
    }
    m_editor->cancel();
    layOutGrid();
    for (int c = kColFirstScore; c < m_sheet.table().errorColumn(); ++c)
        studentGrid->setColWidth(c, kManualScoreTwips);
    closePanel(manualFrame);
}

void NewStudentWindow::layOutGrid()
{
    studentGrid->setUpdatesEnabled(false);
    studentGrid->setRows(1);
    const NewStudentTable &table = m_sheet.table();
    studentGrid->setFormatString(table.formatString());
    studentGrid->setRows(int(table.rows.size()) + 1);
    for (int r = 1; r < studentGrid->Rows(); ++r)
        studentGrid->setRowHeight(r, kShownRowTwips);
    showRows();
    studentGrid->widenColumnsToText(0, table.errorColumn() - 1, 1, studentGrid->Rows() - 1);
    studentGrid->setUpdatesEnabled(true);
}

void NewStudentWindow::showRows()
{
    studentGrid->setUpdatesEnabled(false);
    const NewStudentTable &table = m_sheet.table();
    const int cols = table.columnCount();
    for (int r = 0; r < table.rows.size(); ++r)
        for (int c = 0; c < cols; ++c)
            studentGrid->setTextMatrix(r + 1, c, table.rows[r].cell(c));
    studentGrid->setUpdatesEnabled(true);
}

void NewStudentWindow::showErrorsClicked()
{
    m_editor->CloseCellEditor();
    for (int r = 1; r < studentGrid->Rows(); ++r) {
        studentGrid->setRowHeight(r, m_sheet.rowHasErrors(r - 1) ? kShownRowTwips : 0);
    }
}

void NewStudentWindow::showAllClicked()
{
    m_editor->CloseCellEditor();
    for (int r = 1; r < studentGrid->Rows(); ++r)
        studentGrid->setRowHeight(r, kShownRowTwips);
}

bool NewStudentWindow::checkData()
{
    m_editor->CloseCellEditor();
    if (!m_sheet.hasStudents()) {
        showNotice(this, kNoStudents, kTitleHintDots);
        return false;
    }
    activateStep(checkButton);
    showReportPanel();
    const CheckCounts counts = m_sheet.check([this](int p, int n) { showProgress(p, n); });
    reportProgress->setValue(reportProgress->maximum());
    showRows();
    reportBox->setPlainText(checkReport(counts));
    return true;
}

void NewStudentWindow::checkClicked()
{
    checkData();
}

void NewStudentWindow::placeClicked()
{
    if (!checkData())
        return;
    const bool go = askYesNo(this, QStringLiteral("是否继续分班？"), kTitleHintDots);
    reportFrame->hide();
    if (!go)
        return;
    classCountFrame->show();
    classCountBox->setFocus();
    activateStep(placeButton);
}

void NewStudentWindow::confirmClassCountClicked()
{
    const std::optional<int> classes = m_sheet.classCount();
    if (!classes) {
        showNotice(this, QStringLiteral("请输入数字"));
        classCountBox->clear();
        classCountBox->setFocus();
        return;
    }
    m_editor->CloseCellEditor();
    classCountFrame->hide();
    showReportPanel();
    reportProgress->setRange(0, std::max(1, 2 * int(m_sheet.table().rows.size())));
    reportProgress->setValue(1);
    const QString report = m_sheet.place(*classes, [this](int value, int maximum) {
        reportProgress->setRange(0, std::max(1, maximum));
        reportProgress->setValue(value);
    });
    reportBox->setPlainText(report);
    // The rows are in a new order: every row is shown again.
    showRows();
    showAllClicked();
}

void NewStudentWindow::cancelClassCountClicked()
{
    classCountFrame->hide();
}

void NewStudentWindow::closeReportClicked()
{
    reportFrame->hide();
}

void NewStudentWindow::showPriorities(int current)
{
    const QStringList &priorities = m_sheet.priorities();
    for (int i = 0; i < priorities.size(); ++i)
        priorityList->item(i)->setText(priorities[i]);
    priorityList->setCurrentRow(current);
}

void NewStudentWindow::movePriority(int step)
{
    const int other = m_sheet.movePriority(priorityList->currentRow(), step);
    if (other >= 0)
        showPriorities(other);
}

void NewStudentWindow::priorityUpClicked()
{
    movePriority(-1);
}

void NewStudentWindow::priorityDownClicked()
{
    movePriority(1);
}

void NewStudentWindow::saveResultClicked()
{
    m_editor->CloseCellEditor();
    if (!m_sheet.hasStudents()) {
        showNotice(this, kNoStudents, kTitleHintDots);
        return;
    }
    openPanel(outputFrame);
    activateStep(saveResultButton);
}

void NewStudentWindow::confirmOutputClicked()
{
    closePanel(outputFrame);
    if (writeBackOption->isChecked()) {
        if (!m_book || !m_sheet.listFromBook()) {
            showNotice(this,
                       QStringLiteral("现在的新生名单不是从打开的Excel文件导入的，无法把分班结果存回原表。"),
                       kTitleHintDots);
            return;
        }
        QString message;
        m_sheet.writeBack(*m_book, &message);
        showNotice(this, message, kTitleHintDots);
        return;
    }
    ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
    if (byClassOption->isChecked()) {
        // The classes of the placement made, whatever the class-count box holds since.
        const int classes = m_sheet.classLists();
        if (!classes) {
            showNotice(this, QStringLiteral("新生还没有分班，请先进行分班。"), kTitleHintDots);
            return;
        }
        fillClassLists(book, m_sheet.table(), classes);
    } else {
        fillPlainList(book, m_sheet.table());
    }
    handOverWorkbook(book, this);
}

void NewStudentWindow::closeClicked()
{
    CloseWindow(this);
}

void NewStudentWindow::closeEvent(QCloseEvent *event)
{
    // Only read, or saved by the write-back: nothing is written on closing.
    m_book.reset();
    event->accept();
}

} // namespace tessaly
