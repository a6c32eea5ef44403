#include "reports/transcript_window.h"

#include "kit/frame_pacer.h"
#include "kit/save_report.h"
#include "kit/window_steps.h"
#include "kit/workbook_export.h"
#include "widgets/data_control.h"
#include "db/database.h"
#include "workbook/export_workbook.h"
#include "widgets/flex_grid.h"
#include "widgets/fonts.h"
#include "widgets/messages.h"
#include "reports/paper_preview.h"
#include "reports/report_steps.h"
#include "reports/transcript_export.h"
#include "reports/transcript_options.h"
#include "school/exam_columns.h"

#include <QCheckBox>
#include <algorithm>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tessaly {

using namespace reports;

namespace {

const QString kSubjectHeading = QStringLiteral("　 学科名称");
const QString kNoExam = QStringLiteral("请选择考试名称。");
const QString kNoSubject = QStringLiteral("请选择考试科目后,才能显示。");
const QString kNoOwnStudent =
    QStringLiteral("非常报欠，本班没有任何学生信息，请管理员或班主任输入本班本班学籍。");
const QString kAllSubjects = QStringLiteral("(打印全部科目)");

// Columns 0 … 9 of the empty transcript grid.
const int kHeaderWidths[] = {800, 820, 600, 0, 450, 450, 530, 530, 450, 450};
const QString kSubjectColumns[] = {QStringLiteral("原分"), QStringLiteral("标分"),
                                   QStringLiteral("班名"), QStringLiteral("组名")};
const int kSubjectWidths[] = {530, 530, 450, 450};
// The empty grid names its last column 组次; a computed transcript 组名.
const QString kEmptySubjectColumns[] = {QStringLiteral("原分"), QStringLiteral("标分"),
                                        QStringLiteral("班名"), QStringLiteral("组次")};
const QString kSummaryLabels[] = {QStringLiteral("平均分数"), QStringLiteral("参考人数"),
                                  QStringLiteral("标 准 差")};

} // namespace

TranscriptWindow::TranscriptWindow(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("打印成绩单"));
    setWindowTitle(QStringLiteral("打印成绩单"));

    Frame1 = named(new QGroupBox(this), "Frame1");
    Command11 = named(new QPushButton(QStringLiteral("显示成绩"), Frame1), "Command11");
    Command1 = named(new QPushButton(QStringLiteral("打印预览"), Frame1), "Command1");
    Command1->setEnabled(false);
    const ReportSteps steps = buildReportSteps(
        Frame1,
        {QStringLiteral("②选择可比较的班级:"),
         QStringLiteral("　　在同一年级组中，考的科目与试题可能不同( 如高中有文科班与理科班),"
                        "所以需要您选出可比较班级，才会给学生排出正确的年级组名次。"),
         QStringLiteral("③选择已有的考试名称:"), QStringLiteral("(打印0次考试科目)")},
        nullptr, {Command11, Command1});
    lblLabels = steps.lblLabels;
    TreeView1 = steps.TreeView1;
    List2 = steps.List2;
    Combo1 = steps.Combo1;
    List1 = steps.List1;

    Label4 = named(new QLabel(QStringLiteral("打印成绩单"), this), "Label4");
    Label4->setFont(cjkFont(QStringLiteral("黑体"), 16, true));
    Label4->setAlignment(Qt::AlignCenter);
    Frame2 = named(new QGroupBox(this), "Frame2");
    Label13 = named(new QLabel(QStringLiteral("显示各科成绩内容"), Frame2), "Label13");
    Label13->setAlignment(Qt::AlignCenter);
    Grid1 = named(new FlexGrid(Frame2), "Grid1");
    m_fontSize = Grid1->font().pointSizeF();
    m_gridLayout = new QVBoxLayout(Frame2);
    m_gridLayout->addWidget(Label13);
    m_gridLayout->addWidget(Grid1, 1);

    Picture1 = named(new QWidget(Frame2), "Picture1");
    Label7 = named(new QLabel(Picture1), "Label7");
    Bar1 = named(new QProgressBar(Picture1), "Bar1");
    Bar2 = named(new QProgressBar(Picture1), "Bar2");
    auto *progress = new QVBoxLayout(Picture1);
    progress->addWidget(Label7);
    progress->addWidget(Bar1);
    progress->addWidget(Bar2);
    // Opaque: drawing the panel never draws the grid beneath it again.
    Picture1->setAutoFillBackground(true);
    Picture1->hide();
    m_gridLayout->addWidget(Picture1);

    Preview = named(new PaperPreview(kTranscriptPage, QStringLiteral("成绩单预览图"), this), "Preview");

    assembleReportView(this, Frame1, Frame2, Label4, true, Preview);

    // The options panel floats over the preview.
    Picture4 = named(new QGroupBox(QStringLiteral("打印的项目设置"), this), "Picture4");
    Picture4->setAutoFillBackground(true);
    const QString boxes[] = {QStringLiteral("打印学生总分"), QStringLiteral("打印各科年级组名次"),
                             QStringLiteral("打印各科班内名次"), QStringLiteral("打印各科标准分"),
                             QStringLiteral("打印总分班内名次"), QStringLiteral("打印总分年级组名次")};
    auto *panel = new QGridLayout(Picture4);
    for (int i = 0; i < kOptionBoxes; ++i) {
        auto *box = new QCheckBox(boxes[i], Picture4);
        box->setObjectName(QStringLiteral("Check1_%1").arg(i));
        box->setChecked(true);
        Check1 << box;
        panel->addWidget(box, i / 2, i % 2);
        connect(box, &QCheckBox::clicked, this, [this, i] { Check1_Click(i); });
    }
    Option1 = named(new QRadioButton(QStringLiteral("按学生学号打印"), Picture4), "Option1");
    Option2 = named(new QRadioButton(QStringLiteral("按总分名次打印"), Picture4), "Option2");
    Option3 = named(new QRadioButton(QStringLiteral("打印班级前"), Picture4), "Option3");
    Option4 = named(new QRadioButton(QStringLiteral("打印年级组前"), Picture4), "Option4");
    Option1->setChecked(true);
    Text2 = named(new QLineEdit(Picture4), "Text2");
    Text3 = named(new QLineEdit(Picture4), "Text3");
    for (QLineEdit *count : {Text2, Text3})
        count->setMaximumWidth(count->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    auto *orders = new QWidget(Picture4);
    auto *orderLayout = new QGridLayout(orders);
    orderLayout->setContentsMargins(0, 0, 0, 0);
    orderLayout->addWidget(Option1, 0, 0);
    orderLayout->addWidget(Option2, 0, 1, 1, 3);
    auto countRow = [&](QRadioButton *option, QLineEdit *count, int row) {
        orderLayout->addWidget(option, row, 0);
        orderLayout->addWidget(count, row, 1);
        orderLayout->addWidget(new QLabel(QStringLiteral("名"), orders), row, 2);
        return option;
    };
    countRow(Option3, Text2, 1);
    countRow(Option4, Text3, 2);
    panel->addWidget(orders, 3, 0, 1, 2);
    QGroupBox *zoom = addZoomOptions(Picture4, Option7);
    panel->addWidget(zoom, 4, 0, 1, 2);
    Command8 = named(new QPushButton(QStringLiteral("确定"), Picture4), "Command8");
    panel->addWidget(Command8, 5, 1, Qt::AlignRight);
    Picture4->hide();


    connect(TreeView1, &ClassTree::NodeClick, this, &TranscriptWindow::TreeView1_NodeClick);
    connect(Combo1, &QComboBox::activated, this, &TranscriptWindow::Combo1_Click);
    connect(List1, &QListWidget::itemChanged, this, &TranscriptWindow::List1_Click);
    connect(Command11, &QPushButton::clicked, this, &TranscriptWindow::Command11_Click);
    connect(Command1, &QPushButton::clicked, this, &TranscriptWindow::Command1_Click);
    connect(Preview->Command2, &QPushButton::clicked, this, &TranscriptWindow::Command2_Click);
    connect(Preview->Command6, &QPushButton::clicked, this, &TranscriptWindow::Command6_Click);
    connect(Preview->Command7, &QPushButton::clicked, this, &TranscriptWindow::Command7_Click);
    connect(Preview, &PaperPreview::closed, this, &TranscriptWindow::ClosePreview);
    connect(Command8, &QPushButton::clicked, this, &TranscriptWindow::Command8_Click);
    connect(Option3, &QRadioButton::clicked, Text2, qOverload<>(&QWidget::setFocus));
    connect(Option4, &QRadioButton::clicked, Text3, qOverload<>(&QWidget::setFocus));
}

QSize TranscriptWindow::sizeHint() const
{
    return {1000, 700};
}

void TranscriptWindow::Form_Load()
{
    MoveToTopLeft(this);
    m_zoomScale = QStringLiteral("1");
    TreeView1->BuildClassTree(connection());
    buildHeader();
}

void TranscriptWindow::setColumnWidth(int col, int twips)
{
    if (col >= m_widths.size())
        m_widths.resize(col + 1);
    m_widths[col] = twips;
    Grid1->setColWidth(col, twips);
}

void TranscriptWindow::buildHeader()
{
    Grid1->clearMerges();
    Grid1->setCols(10);
    Grid1->setRows(3);
    Grid1->setFixedRows(2);
    Grid1->setFixedCols(2);
    Grid1->clearTexts();
    m_widths.fill(0, 10);
    const QString heads[] = {QStringLiteral(" 学  号"), QStringLiteral(" 姓  名"), QStringLiteral(" 总分")};
    for (int c = 0; c < 3; ++c) {
        Grid1->setTextMatrix(0, c, heads[c]);
        Grid1->setTextMatrix(1, c, heads[c]);
    }
    Grid1->setTextMatrix(0, 4, QStringLiteral("名次"));
    Grid1->setTextMatrix(0, 5, QStringLiteral("名次"));
    Grid1->setTextMatrix(1, 4, QStringLiteral("班内"));
    Grid1->setTextMatrix(1, 5, QStringLiteral("年级"));
    for (int i = 0; i < 4; ++i) {
        Grid1->setTextMatrix(0, 6 + i, kSubjectHeading);
        Grid1->setTextMatrix(1, 6 + i, kEmptySubjectColumns[i]);
    }
    for (int c = 0; c < 10; ++c)
        setColumnWidth(c, kHeaderWidths[c]);
    Grid1->mergeRow(0);
    for (int c : {0, 1, 2, 4, 5})
        Grid1->mergeCol(c);
}

bool TranscriptWindow::isSummaryRow(int row) const
{
    return Grid1->TextMatrix(row, 0) == kSummaryRowLabel;
}

void TranscriptWindow::TreeView1_NodeClick(QTreeWidgetItem *node)
{
    if (!node)
        return;
    const std::optional<ClassNode> chosen = TreeView1->SelectClassNode(node);
    QTreeWidgetItem *root = node->parent() ? node->parent() : node;
    m_gradeGroup = root->text(0);
    m_nodeKey = ClassTree::keyOf(node);
    m_clickedClass = chosen ? chosen->className : QString();
    m_transcript = {};

    Label4->setText(QStringLiteral("打印") + m_nodeKey + QStringLiteral("成绩单"));
    lblLabels[0]->setText(QStringLiteral("②选择(") + m_nodeKey.left(4) + QStringLiteral(")可比较的班级"));
    Label13->setText(m_nodeKey.left(4) + QStringLiteral("各科成绩"));
    List1->clear();
    Combo1->clear();
    List2->clear();
    m_subjects.clear();

    // Comparable classes: the other classes of this very grade group.
    for (int i = 0; i < root->childCount(); ++i) {
        const std::optional<ClassNode> c = TreeView1->SelectClassNode(root->child(i));
        if (!c || c->className == m_clickedClass)
            continue;
        addTicked(List2, c->className);
    }

    const QDate today = session().today();
    m_sectionTable = reg::sectionTableOf(m_gradeGroup);
    const int grade = reg::gradeOf(m_gradeGroup);
    m_classCode = grade > 0 ? QString::number(reg::cohortYear(grade, today)) : QString();
    if (chosen && grade > 0) {
        const reg::ClassIdentity identity = reg::ResolveClassCode(m_gradeGroup, m_clickedClass, today);
        m_classCode = identity.isValid() ? identity.classCode : QString();
    }

    buildHeader();
    Command1->setEnabled(false);

    m_columns.clear();
    const auto records = readCohortStudents(connection(), m_sectionTable, m_classCode);
    if (!records)
        reportReadFailure(this, connection().error());
    if (records && !records->isEmpty()) {
        Grid1->setUpdatesEnabled(false);
        Grid1->setRows(2 + int(records->size()) + 3);
        int row = 2;
        for (const CohortStudent &record : *records) {
            Grid1->setTextMatrix(row, 0, reg::shownId(m_classCode, record.studentNumber));
            Grid1->setTextMatrix(row, 1, record.name);
            ++row;
        }
        for (int i = 0; i < 3; ++i) {
            Grid1->setTextMatrix(row + i, 0, kSummaryRowLabel);
            Grid1->setTextMatrix(row + i, 1, kSummaryLabels[i]);
            Grid1->setTextMatrix(row + i, kSortKeyColumn, kSummarySortKey);
        }
        // The designed widths are for a narrower font: numbers and names are not cut off.
        Grid1->widenColumnsToText(0, 1, 2, row - 1);
        Grid1->setUpdatesEnabled(true);
        m_columns = db::tableColumns(connection(), m_sectionTable);
    } else {
        Grid1->setRows(2);
    }
    Combo1->addItems(score::ListExamNames(m_columns));
    Combo1->setCurrentIndex(-1);
    for (int i = 0; i < kOptionBoxes; ++i) {
        Check1[i]->setChecked(true);
        Check1_Click(i);
    }
}

void TranscriptWindow::Combo1_Click()
{
    if (Combo1->currentIndex() < 0)
        return;
    m_listing = true;
    List1->clear();
    m_subjects = grades::examSubjects(m_columns, Combo1->currentText());
    for (const grades::ExamSubject &s : m_subjects) {
        addTicked(List1, s.subject);
    }
    m_listing = false;
    Label13->setText(m_nodeKey.left(4) + Combo1->currentText());
    lblLabels[5]->setText(kAllSubjects);
}

void TranscriptWindow::List1_Click()
{
    if (m_listing)
        return;
    lblLabels[5]->setText(QStringLiteral("(打印%1科)").arg(tickedTexts(List1).size()));
}

void TranscriptWindow::showProgress(const TranscriptProgress &p)
{
    // Drawn by the caller: a bar's value alone would repaint it at once.
    Picture1->setUpdatesEnabled(false);
    Label7->setText(p.caption);
    Bar1->setRange(0, p.bar1Max);
    Bar1->setValue(p.bar1);
    Bar2->setRange(0, p.bar2Max);
    Bar2->setValue(p.bar2);
    Picture1->setUpdatesEnabled(true);
}

void TranscriptWindow::Command11_Click()
{
    if (Combo1->currentIndex() < 0) {
        showNotice(this, kNoExam, kTitleHintDots);
        return;
    }
    QStringList subjects, columns;
    for (int i = 0; i < List1->count() && i < m_subjects.size(); ++i) {
        if (!isTicked(List1->item(i)))
            continue;
        subjects << m_subjects[i].subject;
        columns << m_subjects[i].column;
    }
    if (subjects.isEmpty()) {
        showNotice(this, kNoSubject, kTitleHintDots);
        return;
    }
    QStringList comparable;
    for (const QString &name : tickedTexts(List2))
        comparable << reg::ResolveClassCode(m_gradeGroup, name, session().today()).classCode;

    // The panel is drawn at most once a frame: now, and then as the computation goes.
    FramePacer pacer;
    Picture1->show();
    showProgress({kReadingCaption, 0, Bar1->maximum(), 0, Bar2->maximum()});
    Picture1->repaint();
    auto finish = [this] {
        Picture1->hide();
        Command1->setEnabled(true);
    };

    TranscriptInput input;
    input.classCode = m_classCode;
    input.subjects = subjects;
    const auto students = readTranscriptStudents(connection(), m_sectionTable, m_classCode, comparable, columns);
    if (!students) {
        reportReadFailure(this, connection().error());
        Picture1->hide();
        return;
    }
    input.students = *students;
    const bool anyOwn = std::any_of(input.students.cbegin(), input.students.cend(),
                                    [&](const TranscriptStudent &s) { return inOwnClass(m_classCode, s.studentNumber); });
    if (!input.students.isEmpty() && !anyOwn) {
        finish();
        showNotice(this, kNoOwnStudent, kTitleHintDots);
        return;
    }
    // The panel follows the computation; it ends showing the last step.
    TranscriptProgress last;
    m_transcript = computeTranscript(input, [&](const TranscriptProgress &p) {
        last = p;
        if (!pacer.due())
            return;
        showProgress(p);
        Picture1->repaint();
    });
    showProgress(last);
    showTranscript(m_transcript, int(subjects.size()));
    lblLabels[5]->setText(kAllSubjects);
    finish();
}

void TranscriptWindow::showTranscript(const Transcript &t, int n)
{
    Grid1->setUpdatesEnabled(false);
    buildHeader();
    Grid1->setCols(6 + 4 * n);
    m_widths.resize(6 + 4 * n);
    const int rows = int(t.rows.size());
    Grid1->setRows(2 + rows + (rows > 0 ? 3 : 0));
    for (int k = 1; k <= n; ++k) {
        for (int i = 0; i < 4; ++i) {
            const int c = 4 * k + 2 + i;
            setColumnWidth(c, kSubjectWidths[i]);
            Grid1->setTextMatrix(1, c, kSubjectColumns[i]);
        }
    }
    int k = 0;
    for (int i = 0; i < List1->count() && k < n; ++i) {
        if (!isTicked(List1->item(i)))
            continue;
        ++k;
        for (int c = 4 * k + 2; c <= 4 * k + 5; ++c)
            Grid1->setTextMatrix(0, c, List1->item(i)->text());
    }
    // Each column's longest student text, measured by fitColumnsToTexts.
    m_longest.fill(QString(), Grid1->Cols());
    auto put = [&](int g, int c, const QString &text) {
        Grid1->setTextMatrix(g, c, text);
        if (text.size() > m_longest[c].size())
            m_longest[c] = text;
    };
    for (int r = 0; r < rows; ++r) {
        const TranscriptRow &row = t.rows[r];
        const int g = r + 2;
        put(g, 0, row.shownId);
        put(g, 1, row.name);
        put(g, 2, row.total);
        put(g, 4, row.classRank);
        put(g, 5, row.gradeRank);
        for (int s = 0; s < n; ++s) {
            const SubjectCells &cells = row.subjects[s];
            const int c = 4 * (s + 1) + 2;
            put(g, c, cells.score);
            put(g, c + 1, cells.standard);
            put(g, c + 2, cells.classRank);
            put(g, c + 3, cells.gradeRank);
        }
    }
    if (rows > 0) {
        const int first = 2 + rows;
        for (int i = 0; i < 3; ++i) {
            Grid1->setTextMatrix(first + i, 0, kSummaryRowLabel);
            Grid1->setTextMatrix(first + i, 1, kSummaryLabels[i]);
            Grid1->setTextMatrix(first + i, kSortKeyColumn, kSummarySortKey);
            for (int s = 0; s < n; ++s) {
                const SubjectSummary &sum = t.summaries[s];
                const QString text = i == 0 ? sum.average : i == 1 ? sum.participants : sum.stdDev;
                for (int c = 4 * (s + 1) + 2; c <= 4 * (s + 1) + 5; ++c)
                    Grid1->setTextMatrix(first + i, c, text);
            }
            Grid1->mergeRow(first + i, 6);
        }
    }
    fitColumnsToTexts();
    for (int c = 0; c < Grid1->Cols(); ++c)
        if (m_widths[c] > 0 && Grid1->ColWidth(c) > m_widths[c] + 14)
            m_widths[c] = Grid1->ColWidth(c);
    for (int i = 0; i < kOptionBoxes; ++i)
        Check1_Click(i);
    Grid1->setUpdatesEnabled(true);
}

void TranscriptWindow::fitColumnsToTexts()
{
    // The designed widths are for the original font: a column whose texts it cuts off widens.
    // Measuring every cell costs more than the rest of the transcript: each column
    // is measured on its header and summary rows and on its longest text.
    const int last = Grid1->Cols() - 1;
    Grid1->widenColumnsToText(0, last, 1, 1);
    if (m_transcript.rows.isEmpty())
        return;
    Grid1->widenColumnsToText(0, last, Grid1->Rows() - 3, Grid1->Rows() - 1);
    for (int c = 0; c <= last && c < m_longest.size(); ++c) {
        if (m_longest[c].isEmpty())
            continue;
        // The options may have put the rows into another order.
        for (int r = 2; r < Grid1->Rows(); ++r) {
            if (Grid1->TextMatrix(r, c) == m_longest[c]) {
                Grid1->widenColumnsToText(c, c, r, r);
                break;
            }
        }
    }
}

void TranscriptWindow::Check1_Click(int index)
{
    // Subjects that have no column group (chosen after the computation) are left out.
    const int groups = std::max(0, (Grid1->Cols() - 6) / 4);
    const int subjects = std::min(int(tickedTexts(List1).size()), groups);
    const BoxColumns box = columnsOfBox(index, subjects);
    const bool ticked = Check1[index]->isChecked();
    for (int c : box.columns)
        if (c < Grid1->Cols())
            setColumnWidth(c, ticked ? box.width : 0);
    setColumnWidth(kSortKeyColumn, 0);
}

void TranscriptWindow::SortByKeyColumn(int source)
{
    Grid1->setUpdatesEnabled(false);
    for (int r = 2; r < Grid1->Rows(); ++r) {
        Grid1->setRowHeight(r, kPageRowHeight);
        Grid1->setTextMatrix(r, kSortKeyColumn, sortKeyOf(Grid1->TextMatrix(r, source), isSummaryRow(r)));
    }
    Grid1->sortRows(kSortKeyColumn, kSortKeyColumn, true);
    Grid1->setUpdatesEnabled(true);
}

void TranscriptWindow::Command1_Click()
{
    const QString title = Combo1->currentText().isEmpty()
        ? QString()
        : QStringLiteral("    ") + Label13->text() + QStringLiteral("报表    ");
    Preview->OpenPaperPreview(Grid1, title, session().today());
}

void TranscriptWindow::ClosePreview()
{
    m_gridLayout->insertWidget(1, Grid1, 1);
    Grid1->show();
    SortByKeyColumn(0);
}

void TranscriptWindow::Command6_Click()
{
    showOptionsPanel(Picture4);
}

void TranscriptWindow::Command8_Click()
{
    // 1. The width scale, and the font with it; no text is cut off.
    const int chosen = chosenZoom(Option7);
    const ZoomStep step = zoomStep(m_zoomScale, Zoom(chosen));
    Grid1->setUpdatesEnabled(false);
    applyZoomFont(Grid1, m_fontSize, chosen);
    for (int c = 0; c < m_widths.size(); ++c)
        setColumnWidth(c, scaledWidth(m_widths[c], step.factor));
    fitColumnsToTexts();
    Grid1->setUpdatesEnabled(true);
    m_zoomScale = step.scale;

    // 2. to 5. The order or filter.
    if (Option1->isChecked()) {
        SortByKeyColumn(0);
    } else if (Option2->isChecked()) {
        SortByKeyColumn(5);
    } else {
        const bool classFilter = Option3->isChecked();
        QLineEdit *box = classFilter ? Text2 : Text3;
        if (box->text().isEmpty()) {
            showNotice(this, classFilter ? kClassCountMissing : kGradeCountMissing, QString());
            box->setFocus();
            return;
        }
        const std::optional<int> n = topCount(box->text());
        if (!n) {
            showNotice(this, kCountInvalid, QString());
            box->setFocus();
            return;
        }
        SortByKeyColumn(5);
        const int rankColumn = classFilter ? 4 : 5;
        Grid1->setUpdatesEnabled(false);
        for (int r = 2; r < Grid1->Rows(); ++r) {
            const bool shown = isSummaryRow(r) || keptByTopCount(Grid1->TextMatrix(r, rankColumn), *n);
            Grid1->setRowHeight(r, shown ? kPageRowHeight : 0);
        }
        Grid1->setUpdatesEnabled(true);
    }
    // 6.
    Picture4->hide();
    Preview->showFirstPageLabel();
}

void TranscriptWindow::Command2_Click()
{
    ShownTable table;
    table.title = Preview->Text1->text();
    for (int r = 0; r < Grid1->Rows(); ++r) {
        if (r >= 2 && Grid1->RowHeight(r) == 0)
            continue;
        QStringList texts;
        for (int c = 0; c < Grid1->Cols(); ++c)
            if (c < m_widths.size() && m_widths[c] > 0)
                texts << Grid1->TextMatrix(r, c);
        table.rows << texts;
    }
    ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
    addTranscriptSheet(book, table);
    handOverWorkbook(book, this);
}

void TranscriptWindow::Command7_Click()
{
    CloseWindow(this);
}

} // namespace tessaly
