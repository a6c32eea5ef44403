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

    Label4 = named(new QLabel(QStringLiteral("入 学 新 生 分 班"), this), "Label4");
    QFont title = Label4->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    Label4->setFont(title);
    Label4->setAlignment(Qt::AlignCenter);

    buildStepPanel();

    Frame4 = panelFrame(this, "Frame4");
    Label3 = named(new QLabel(QStringLiteral("==============入学新生情况显示=============="), Frame4), "Label3");
    Label3->setAlignment(Qt::AlignCenter);
    Grid1 = named(new FlexGrid(Frame4), "Grid1");
    Command15 = named(new QPushButton(QStringLiteral("显示错误情况"), Frame4), "Command15");
    Command16 = named(new QPushButton(QStringLiteral("显示全部情况"), Frame4), "Command16");
    buildImportPanel();
    buildManualPanel();
    buildSmallPanels();

    auto *filters = new QHBoxLayout;
    filters->addStretch();
    filters->addWidget(Command15);
    filters->addWidget(Command16);
    auto *main = new QVBoxLayout(Frame4);
    main->setContentsMargins(6, 6, 6, 6);
    main->addWidget(Label3);
    main->addWidget(Grid1, 1);
    main->addWidget(Frame1, 1);
    main->addWidget(Frame6);
    main->addWidget(Frame3);
    main->addWidget(Frame5);
    main->addWidget(Frame7);
    main->addLayout(filters);

    auto *body = new QHBoxLayout;
    body->addWidget(Frame2);
    body->addWidget(Frame4, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(Label4);
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
        if ((col != kColPlaced && col != kColChosen) || text.isEmpty() || Text3->text().isEmpty())
            return;
        double limit = 0;
        if (readGridNumber(Text3->text(), &limit) && decimalValue(text) > limit)
            text.clear();
    };
    editor.commitText = [](int col, const QString &text) {
        if (col == kColSex && text != QStringLiteral("男") && text != QStringLiteral("女"))
            return QString();
        return text;
    };
    m_editor = new CellEditor(Grid1, editor);
    Text1 = m_editor->lineEdit();
    connect(m_editor, &CellEditor::cellWritten, this, [this](int row, int col) {
        if (row >= 1 && row <= m_table.rows.size())
            m_table.rows[row - 1].setCell(col, Grid1->TextMatrix(row, col));
    });

    m_face = Command3->palette().color(QPalette::Button);

    connect(Command3, &QPushButton::clicked, this, &NewStudentWindow::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &NewStudentWindow::Command4_Click);
    connect(Command2, &QPushButton::clicked, this, &NewStudentWindow::Command2_Click);
    connect(Combo1, &QComboBox::activated, this, &NewStudentWindow::Combo1_Click);
    connect(List3, &QListWidget::itemClicked, this, &NewStudentWindow::List3_Click);
    connect(Command10, &QPushButton::clicked, this, &NewStudentWindow::Command10_Click);
    connect(Command8, &QPushButton::clicked, this, &NewStudentWindow::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &NewStudentWindow::Command9_Click);
    connect(Command19, &QPushButton::clicked, this, &NewStudentWindow::Command19_Click);
    connect(Command20, &QPushButton::clicked, this, &NewStudentWindow::Command20_Click);
    connect(Command21, &QPushButton::clicked, this, &NewStudentWindow::Command21_Click);
    connect(Command15, &QPushButton::clicked, this, &NewStudentWindow::Command15_Click);
    connect(Command16, &QPushButton::clicked, this, &NewStudentWindow::Command16_Click);
    connect(Command5, &QPushButton::clicked, this, &NewStudentWindow::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &NewStudentWindow::Command6_Click);
    connect(Command18, &QPushButton::clicked, this, &NewStudentWindow::Command18_Click);
    connect(Command17, &QPushButton::clicked, this, &NewStudentWindow::Command17_Click);
    connect(Command12, &QPushButton::clicked, this, &NewStudentWindow::Command12_Click);
    connect(Command11, &QPushButton::clicked, this, &NewStudentWindow::Command11_Click);
    connect(Command13, &QPushButton::clicked, this, &NewStudentWindow::Command13_Click);
    connect(Command1, &QPushButton::clicked, this, &NewStudentWindow::Command1_Click);
    connect(Command14, &QPushButton::clicked, this, &NewStudentWindow::Command14_Click);
    connect(Command7, &QPushButton::clicked, this, &NewStudentWindow::Command7_Click);
}

NewStudentWindow::~NewStudentWindow() = default;

void NewStudentWindow::buildStepPanel()
{
    Frame2 = panelFrame(this, "Frame2");
    Label2 = named(heading(QStringLiteral("进行分班操作"), Frame2), "Label2");
    Command3 = named(new QPushButton(QStringLiteral("导入Excel文件        "), Frame2), "Command3");
    Command4 = named(new QPushButton(QStringLiteral("人工录入新生数据     "), Frame2), "Command4");
    List1 = named(new QListWidget(Frame2), "List1");
    Command5 = named(new QPushButton(QStringLiteral("检查数据错误         "), Frame2), "Command5");
    List4 = named(new QListWidget(Frame2), "List4");
    List4->addItems({QStringLiteral("保证择班生"), QStringLiteral("男女生均衡"), QStringLiteral("总分均衡"),
                     QStringLiteral("单科成绩均衡")});
    Command11 = named(new QPushButton(QStringLiteral("↑"), Frame2), "Command11");
    Command13 = named(new QPushButton(QStringLiteral("↓"), Frame2), "Command13");
    Label11 = named(new QLabel(QStringLiteral("１\n２\n３\n４"), Frame2), "Label11");
    Label11->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Command6 = named(new QPushButton(QStringLiteral("进行分班            "), Frame2), "Command6");
    Command1 = named(new QPushButton(QStringLiteral("保存或打印结果(&P)     "), Frame2), "Command1");
    Command7 = named(new QPushButton(QStringLiteral("关闭(&C)"), Frame2), "Command7");
    // The priority numbers stand beside the list's rows: one line of Label11 per row,
    // measured as drawn (the full-width digits may come from a taller fallback font).
    const int frame = List4->frameWidth();
    Label11->setContentsMargins(0, frame, 0, 0);
    const int line = (Label11->sizeHint().height() - frame + 3) / 4;
    for (int i = 0; i < List4->count(); ++i)
        List4->item(i)->setSizeHint(QSize(0, line));
    List4->setFixedHeight(line * 4 + 2 * frame);
    Label11->setFixedHeight(List4->height());
    List4->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    List4->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    List1->setFixedHeight(List1->fontMetrics().height() * 4 + 8);
    List4->setCurrentRow(0);

    auto *priority = new QGridLayout;
    priority->addWidget(Label11, 0, 0, 2, 1, Qt::AlignTop);
    priority->addWidget(List4, 0, 1, 2, 1);
    priority->addWidget(Command11, 0, 2);
    priority->addWidget(Command13, 1, 2);
    Command11->setFixedWidth(Command11->fontMetrics().horizontalAdvance(QStringLiteral("↑↑")) + 12);
    Command13->setFixedWidth(Command11->width());

    auto *chosenNote = named(new QLabel(QStringLiteral("④输入择班生的班级"), Frame2), "lblLabels");
    auto *chosenHint = new QLabel(QStringLiteral("请在左表中择班内填写"), Frame2);
    chosenHint->setObjectName(QStringLiteral("lblLabels"));

    auto *v = new QVBoxLayout(Frame2);
    v->setContentsMargins(8, 6, 8, 8);
    v->addWidget(Label2);
    v->addWidget(Command3);
    v->addWidget(Command4);
    v->addWidget(new QLabel(QStringLiteral("导入的对应结果"), Frame2));
    v->addWidget(List1);
    v->addWidget(Command5);
    v->addWidget(new QLabel(QStringLiteral("③分班条件优先权设置"), Frame2));
    v->addLayout(priority);
    v->addWidget(chosenNote);
    v->addWidget(chosenHint);
    v->addWidget(Command6);
    v->addWidget(Command1);
    v->addStretch();
    v->addWidget(Command7);
}

void NewStudentWindow::buildImportPanel()
{
    Frame1 = panelFrame(Frame4, "Frame1");
    Label1 = named(heading(QStringLiteral("导入电子表格Excel文件"), Frame1), "Label1");
    Text2 = named(new QLineEdit(Frame1), "Text2");
    Text2->setReadOnly(true);
    Command2 = named(new QPushButton(QStringLiteral("浏览"), Frame1), "Command2");
    Combo1 = named(new QComboBox(Frame1), "Combo1");
    List3 = named(new QListWidget(Frame1), "List3");
    Option1 = named(new QRadioButton(QStringLiteral("代码"), Frame1), "Option1");
    Option2 = named(new QRadioButton(QStringLiteral("姓名"), Frame1), "Option2");
    Option3 = named(new QRadioButton(QStringLiteral("性别"), Frame1), "Option3");
    Option4 = named(new QRadioButton(QStringLiteral("成绩"), Frame1), "Option4");
    Option1->setChecked(true);
    Label6 = named(new QLabel(Frame1), "Label6");
    Label7 = named(new QLabel(Frame1), "Label7");
    Label8 = named(new QLabel(Frame1), "Label8");
    for (QLabel *l : {Label6, Label7, Label8}) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("新生姓名列")) + 8);
    }
    List2 = named(new QListWidget(Frame1), "List2");
    Label9 = named(new QLabel(QStringLiteral("操作说明：Excel表中必须有以下内容：\n"
                                             "1、新生代码（用来保证新生的唯一性）　2、新生姓名\n"
                                             "3、新生性别（保证新分出的班男女生均衡）\n"
                                             "4、入学成绩（保证新分出的班成绩均衡）。"),
                              Frame1),
                   "Label9");
    Command8 = named(new QPushButton(QStringLiteral("导入"), Frame1), "Command8");
    Command9 = named(new QPushButton(QStringLiteral("取消"), Frame1), "Command9");
    Command10 = named(new QPushButton(QStringLiteral("重填"), Frame1), "Command10");

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(Text2, 1);
    fileRow->addWidget(Command2);
    auto *fields = new QGridLayout;
    fields->addWidget(Option1, 1, 0);
    fields->addWidget(Label6, 1, 1);
    fields->addWidget(Option2, 2, 0);
    fields->addWidget(Label7, 2, 1);
    fields->addWidget(Option3, 3, 0);
    fields->addWidget(Label8, 3, 1);
    fields->addWidget(Option4, 4, 0, Qt::AlignTop);
    fields->addWidget(List2, 4, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command8);
    buttons->addWidget(Command10);
    buttons->addWidget(Command9);

    auto *grid = new QGridLayout(Frame1);
    grid->setContentsMargins(8, 6, 8, 8);
    grid->setVerticalSpacing(4);
    auto *sheetRow = new QHBoxLayout;
    sheetRow->addWidget(new QLabel(QStringLiteral("②选择新生资料所在的表"), Frame1));
    sheetRow->addWidget(Combo1, 1);
    const int listRow = List2->fontMetrics().height() + 2;
    List2->setMinimumHeight(listRow * 3 + 2 * List2->frameWidth());
    List3->setMinimumHeight(listRow * 5 + 2 * List3->frameWidth());

    grid->addWidget(Label1, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("①选择新生资料(Excel)文件"), Frame1), 1, 0, 1, 2);
    grid->addLayout(fileRow, 2, 0, 1, 2);
    grid->addLayout(sheetRow, 4, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("表中提供资料"), Frame1), 5, 0);
    grid->addWidget(new QLabel(QStringLiteral("所需新生资料"), Frame1), 5, 1);
    grid->addWidget(List3, 6, 0);
    grid->addLayout(fields, 6, 1);
    captionRowLabel = named(new QLabel(Frame1), "CaptionRowNote");
    captionRowLabel->setWordWrap(true);
    captionRowLabel->hide();
    grid->addWidget(captionRowLabel, 7, 0, 1, 2);
    grid->addWidget(Label9, 8, 0, 1, 2);
    grid->addLayout(buttons, 9, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(6, 1);
    Frame1->hide();
}

void NewStudentWindow::buildManualPanel()
{
    Frame6 = panelFrame(Frame4, "Frame6");
    Label13 = named(heading(QStringLiteral("进行人工输入设置"), Frame6), "Label13");
    Text4 = named(new QLineEdit(Frame6), "Text4");
    // Digits only from the keyboard; a pasted text is checked when the list is set up.
    Text4->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Text4));
    Text4->setFixedWidth(Text4->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    Text6 = named(new QLineEdit(QStringLiteral("语文*数学*英语*物理*化学*生物*政治*历史*地理"), Frame6), "Text6");
    Command21 = named(new QPushButton(QStringLiteral("确定"), Frame6), "Command21");
    Command19 = named(new QPushButton(QStringLiteral("取消"), Frame6), "Command19");
    auto *note = new QLabel(QStringLiteral("    说明：每个科目名称请用“*”号隔开。       如“语文*数学*物理*化学”。"), Frame6);
    note->setWordWrap(true);

    auto *count = new QHBoxLayout;
    count->addWidget(new QLabel(QStringLiteral("新生数目"), Frame6));
    count->addWidget(Text4);
    count->addWidget(new QLabel(QStringLiteral("人"), Frame6));
    count->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command21);
    buttons->addWidget(Command19);
    auto *v = new QVBoxLayout(Frame6);
    v->setContentsMargins(8, 6, 8, 8);
    v->addWidget(Label13);
    v->addLayout(count);
    v->addWidget(new QLabel(QStringLiteral("新生入学考试科目名称"), Frame6));
    v->addWidget(Text6);
    v->addWidget(note);
    v->addLayout(buttons);
    Frame6->hide();
}

void NewStudentWindow::buildSmallPanels()
{
    Frame3 = panelFrame(Frame4, "Frame3");
    Label15 = named(heading(QStringLiteral("工作指示"), Frame3), "Label15");
    Bar1 = named(new QProgressBar(Frame3), "Bar1");
    Bar1->setRange(0, 1);
    Bar1->setValue(0);
    lb1 = named(new QLabel(Frame3), "lb1");
    Text5 = named(new QPlainTextEdit(Frame3), "Text5");
    Text5->setReadOnly(true);
    Text5->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text5->setFixedHeight(Text5->fontMetrics().lineSpacing() * 6 + 12);
    Command12 = named(new QPushButton(QStringLiteral("取消"), Frame3), "Command12");
    auto *report = new QGridLayout(Frame3);
    report->setContentsMargins(8, 6, 8, 8);
    report->addWidget(Label15, 0, 0, 1, 3);
    report->addWidget(new QLabel(QStringLiteral("进度指示……"), Frame3), 1, 0);
    report->addWidget(Bar1, 1, 1);
    report->addWidget(lb1, 1, 2);
    report->addWidget(new QLabel(QStringLiteral("新生情况报告单"), Frame3), 2, 0, 1, 3);
    report->addWidget(Text5, 3, 0, 1, 3);
    report->addWidget(Command12, 4, 2, Qt::AlignRight);
    report->setColumnStretch(1, 1);
    Frame3->hide();

    Frame5 = panelFrame(Frame4, "Frame5");
    Label12 = named(heading(QStringLiteral("输入分班数目"), Frame5), "Label12");
    Text3 = named(new QLineEdit(Frame5), "Text3");
    Text3->setFixedWidth(Text3->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    Command18 = named(new QPushButton(QStringLiteral("确定"), Frame5), "Command18");
    Command17 = named(new QPushButton(QStringLiteral("取消"), Frame5), "Command17");
    auto *classes = new QHBoxLayout(Frame5);
    classes->setContentsMargins(8, 6, 8, 6);
    classes->addWidget(Label12);
    classes->addSpacing(12);
    classes->addWidget(new QLabel(QStringLiteral("分班数目是:"), Frame5));
    classes->addWidget(Text3);
    classes->addStretch();
    classes->addWidget(Command18);
    classes->addWidget(Command17);
    Frame5->hide();

    Frame7 = panelFrame(Frame4, "Frame7");
    Label14 = named(heading(QStringLiteral("打印方式设置"), Frame7), "Label14");
    Option7 = named(new QRadioButton(QStringLiteral("分班结果存回原表中"), Frame7), "Option7");
    Option5 = named(new QRadioButton(QStringLiteral("按班级输出名单"), Frame7), "Option5");
    Option6 = named(new QRadioButton(QStringLiteral("按原顺序输出名单"), Frame7), "Option6");
    Option5->setChecked(true);
    Command14 = named(new QPushButton(QStringLiteral("确定"), Frame7), "Command14");
    Command20 = named(new QPushButton(QStringLiteral("取消"), Frame7), "Command20");
    auto *output = new QHBoxLayout(Frame7);
    output->setContentsMargins(8, 6, 8, 6);
    output->addWidget(Label14);
    output->addSpacing(12);
    output->addWidget(Option7);
    output->addWidget(Option5);
    output->addWidget(Option6);
    output->addStretch();
    output->addWidget(Command14);
    output->addWidget(Command20);
    Frame7->hide();
}

void NewStudentWindow::Form_Load()
{
    SetWindowSize(this, 13500, 8400);
    MoveToTopLeft(this);
    Grid1->setFixedRows(1);
    Grid1->setFixedCols(1);
    Grid1->setFormatString(initialFormatString());
    Grid1->setRows(4);
    paintButton(Command3, kFirstStep);
}

void NewStudentWindow::activateStep(QPushButton *step)
{
    for (QPushButton *b : {Command3, Command4, Command5, Command6, Command1})
        paintButton(b, b == step ? kActiveStep : m_face, b == step);
}

void NewStudentWindow::openPanel(QFrame *panel)
{
    m_editor->CloseCellEditor();
    panel->show();
    Grid1->setVisible(panel != Frame1);   // the import panel takes the grid's place
    Frame2->setEnabled(false);
    Command15->setEnabled(false);
    Command16->setEnabled(false);
}

void NewStudentWindow::closePanel(QFrame *panel)
{
    panel->hide();
    Grid1->show();
    Frame2->setEnabled(true);
    Command15->setEnabled(true);
    Command16->setEnabled(true);
}

void NewStudentWindow::showReportPanel()
{
    Bar1->setValue(0);
    Text5->clear();
    lb1->clear();
    Frame3->show();
    Frame3->repaint();
}

void NewStudentWindow::showProgress(int row, int rows)
{
    Bar1->setRange(0, rows + 1);
    Bar1->setValue(row);
    lb1->setText(QStringLiteral("总计%1人现%2人").arg(rows).arg(row));
    lb1->repaint();
}

void NewStudentWindow::Command3_Click()
{
    openPanel(Frame1);
    activateStep(Command3);
}

void NewStudentWindow::Command4_Click()
{
    openPanel(Frame6);
    Text4->setFocus();
    activateStep(Command4);
}

void NewStudentWindow::Command9_Click()
{
    closePanel(Frame1);
}

void NewStudentWindow::Command19_Click()
{
    closePanel(Frame6);
}

void NewStudentWindow::Command20_Click()
{
    closePanel(Frame7);
}

void NewStudentWindow::Command2_Click()
{
    // The list read from the workbook open so far is no longer tied to an open workbook.
    // A workbook is written only by the write-back, never on release.
    if (OpenImportWorkbook(this, m_book, Text2, Combo1) || !m_book)
        m_listFromBook = false;
}

void NewStudentWindow::Combo1_Click()
{
    const int index = Combo1->currentIndex();
    if (!m_book || index < 0)
        return;
    const int row = ListSheetHeaders(this, *m_book, index, List3, HeaderText::AsStored,
                                     {studentListCaptions(), {QStringLiteral("姓名"), QStringLiteral("学生姓名")}});
    ClearColumnMapping();
    m_mapping.captionRow = row;
    captionRowLabel->setText(captionRowNote(row));
    captionRowLabel->setVisible(!captionRowLabel->text().isEmpty());
}

void NewStudentWindow::List3_Click()
{
    const int position = List3->currentRow();
    if (position < 0)
        return;
    QStringList headers;
    for (int i = 0; i < List3->count(); ++i)
        headers << List3->item(i)->text();
    if (Option4->isChecked()) {
        if (m_mapping.scores.size() >= kMaxScoreColumns) {
            showNotice(this, QStringLiteral("成绩最多只能对应%1列，这一列没有加入。").arg(kMaxScoreColumns),
                       kTitleHintDots);
            return;
        }
        ColumnBinding score;
        if (bindColumn(score, headers, position)) {
            m_mapping.scores << score;
            List2->addItem(score.label);
        }
        return;
    }
    ColumnBinding &binding = Option1->isChecked() ? m_mapping.code : Option2->isChecked() ? m_mapping.name : m_mapping.sex;
    QLabel *label = Option1->isChecked() ? Label6 : Option2->isChecked() ? Label7 : Label8;
    if (bindColumn(binding, headers, position))
        label->setText(binding.label);
}

void NewStudentWindow::ClearColumnMapping()
{
    Label6->clear();
    Label7->clear();
    Label8->clear();
    List2->clear();
    m_mapping.clear();
    Option1->setChecked(true);
}

void NewStudentWindow::Command10_Click()
{
    ClearColumnMapping();
}

void NewStudentWindow::Command8_Click()
{
    if (!m_mapping.complete() || !m_book || m_book->currentSheet() < 0) {
        showNotice(this, QStringLiteral("没有新生分班所需要的全部信息，请按要求设置好全部内容。"), kTitleHintDots);
        return;
    }
    m_editor->cancel();
    closePanel(Frame1);
    showReportPanel();
    List1->clear();
    List1->addItems(mappingSummary(m_mapping));

    CheckCounts counts;
    m_table = importStudents(*m_book, m_mapping, &counts, [this](int i, int n) { showProgress(i, n); });
    m_listFromBook = true;
    m_placedClasses = 0;
    Bar1->setValue(Bar1->maximum());
    layOutGrid();
    Text5->setPlainText(importSummary(counts));
}

void NewStudentWindow::Command21_Click()
{
    if (Text4->text().isEmpty() || Text6->text().isEmpty()) {
        showNotice(this, QStringLiteral("请输入所需要内容"), kTitleHintDots);
        return;
    }
    const std::optional<int> count = studentCountOf(Text4->text());
    if (!count) {
        showNotice(this, QStringLiteral("新生数目请输入1至%1之间的整数。").arg(kMaxTypedCount), kTitleHintDots);
        Text4->setFocus();
        return;
    }
    m_editor->cancel();
    m_table = manualTable(*count, splitSubjects(Text6->text()));
    m_listFromBook = false;
    m_placedClasses = 0;
    layOutGrid();
    for (int c = kColFirstScore; c < m_table.errorColumn(); ++c)
        Grid1->setColWidth(c, kManualScoreTwips);
    closePanel(Frame6);
}

void NewStudentWindow::layOutGrid()
{
    Grid1->setUpdatesEnabled(false);
    Grid1->setRows(1);
    Grid1->setFormatString(m_table.formatString());
    Grid1->setRows(int(m_table.rows.size()) + 1);
    for (int r = 1; r < Grid1->Rows(); ++r)
        Grid1->setRowHeight(r, kShownRowTwips);
    showRows();
    Grid1->widenColumnsToText(0, m_table.errorColumn() - 1, 1, Grid1->Rows() - 1);
    Grid1->setUpdatesEnabled(true);
}

void NewStudentWindow::showRows()
{
    Grid1->setUpdatesEnabled(false);
    const int cols = m_table.columnCount();
    for (int r = 0; r < m_table.rows.size(); ++r)
        for (int c = 0; c < cols; ++c)
            Grid1->setTextMatrix(r + 1, c, m_table.rows[r].cell(c));
    Grid1->setUpdatesEnabled(true);
}

void NewStudentWindow::Command15_Click()
{
    m_editor->CloseCellEditor();
    for (int r = 1; r < Grid1->Rows(); ++r) {
        const bool error = r <= m_table.rows.size() && !m_table.rows[r - 1].errors.isEmpty();
        Grid1->setRowHeight(r, error ? kShownRowTwips : 0);
    }
}

void NewStudentWindow::Command16_Click()
{
    m_editor->CloseCellEditor();
    for (int r = 1; r < Grid1->Rows(); ++r)
        Grid1->setRowHeight(r, kShownRowTwips);
}

bool NewStudentWindow::checkData()
{
    m_editor->CloseCellEditor();
    if (!m_table.hasStudents()) {
        showNotice(this, kNoStudents, kTitleHintDots);
        return false;
    }
    activateStep(Command5);
    showReportPanel();
    const CheckCounts counts = CheckStudentData(m_table, [this](int p, int n) { showProgress(p, n); });
    Bar1->setValue(Bar1->maximum());
    showRows();
    Text5->setPlainText(checkReport(counts));
    return true;
}

void NewStudentWindow::Command5_Click()
{
    checkData();
}

void NewStudentWindow::Command6_Click()
{
    if (!checkData())
        return;
    const bool go = askYesNo(this, QStringLiteral("是否继续分班？"), kTitleHintDots);
    Frame3->hide();
    if (!go)
        return;
    Frame5->show();
    Text3->setFocus();
    activateStep(Command6);
}

void NewStudentWindow::Command18_Click()
{
    const std::optional<int> classes = classCountOf(Text3->text());
    if (!classes) {
        showNotice(this, QStringLiteral("请输入数字"));
        Text3->clear();
        Text3->setFocus();
        return;
    }
    m_editor->CloseCellEditor();
    Frame5->hide();
    showReportPanel();
    Bar1->setRange(0, std::max(1, 2 * int(m_table.rows.size())));
    Bar1->setValue(1);
    const QString report = PlaceStudents(m_table, *classes, [this](int value, int maximum) {
        Bar1->setRange(0, std::max(1, maximum));
        Bar1->setValue(value);
    });
    m_placedClasses = *classes;
    Text5->setPlainText(report);
    // The rows are in a new order: every row is shown again.
    showRows();
    Command16_Click();
}

void NewStudentWindow::Command17_Click()
{
    Frame5->hide();
}

void NewStudentWindow::Command12_Click()
{
    Frame3->hide();
}

void NewStudentWindow::moveListItem(int step)
{
    const int row = List4->currentRow();
    const int other = row + step;
    if (row < 0 || other < 0 || other >= List4->count())
        return;
    const QString text = List4->item(row)->text();
    List4->item(row)->setText(List4->item(other)->text());
    List4->item(other)->setText(text);
    List4->setCurrentRow(other);
}

void NewStudentWindow::Command11_Click()
{
    moveListItem(-1);
}

void NewStudentWindow::Command13_Click()
{
    moveListItem(1);
}

void NewStudentWindow::Command1_Click()
{
    m_editor->CloseCellEditor();
    if (!m_table.hasStudents()) {
        showNotice(this, kNoStudents, kTitleHintDots);
        return;
    }
    openPanel(Frame7);
    activateStep(Command1);
}

void NewStudentWindow::Command14_Click()
{
    closePanel(Frame7);
    if (Option7->isChecked()) {
        if (!m_book || !m_listFromBook) {
            showNotice(this,
                       QStringLiteral("现在的新生名单不是从打开的Excel文件导入的，无法把分班结果存回原表。"),
                       kTitleHintDots);
            return;
        }
        QString message;
        writeBackPlacement(*m_book, m_table, &message);
        showNotice(this, message, kTitleHintDots);
        return;
    }
    ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
    if (Option5->isChecked()) {
        // The classes of the placement made, whatever the class-count box holds since.
        const int classes = classListCount(m_table, m_placedClasses);
        if (!classes) {
            showNotice(this, QStringLiteral("新生还没有分班，请先进行分班。"), kTitleHintDots);
            return;
        }
        fillClassLists(book, m_table, classes);
    } else {
        fillPlainList(book, m_table);
    }
    handOverWorkbook(book, this);
}

void NewStudentWindow::Command7_Click()
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
