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
#include <memory>
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

    choiceFrame = named(new QGroupBox(this), "Frame1");
    showButton = named(new QPushButton(QStringLiteral("显示成绩"), choiceFrame), "Command11");
    previewButton = named(new QPushButton(QStringLiteral("打印预览"), choiceFrame), "Command1");
    previewButton->setEnabled(false);
    const ReportSteps steps = buildReportSteps(
        choiceFrame,
        {QStringLiteral("②选择可比较的班级:"),
         QStringLiteral("　　在同一年级组中，考的科目与试题可能不同( 如高中有文科班与理科班),"
                        "所以需要您选出可比较班级，才会给学生排出正确的年级组名次。"),
         QStringLiteral("③选择已有的考试名称:"), QStringLiteral("(打印0次考试科目)")},
        nullptr, {showButton, previewButton});
    captionLabels = steps.captionLabels;
    groupTree = steps.groupTree;
    classList = steps.classList;
    examCombo = steps.examCombo;
    subjectList = steps.subjectList;

    titleLabel = named(new QLabel(QStringLiteral("打印成绩单"), this), "Label4");
    titleLabel->setFont(cjkFont(QStringLiteral("黑体"), 16, true));
    titleLabel->setAlignment(Qt::AlignCenter);
    gridFrame = named(new QGroupBox(this), "Frame2");
    gridTitle = named(new QLabel(QStringLiteral("显示各科成绩内容"), gridFrame), "Label13");
    gridTitle->setAlignment(Qt::AlignCenter);
    resultGrid = named(new FlexGrid(gridFrame), "Grid1");
    m_fontSize = resultGrid->font().pointSizeF();
    m_gridLayout = new QVBoxLayout(gridFrame);
    m_gridLayout->addWidget(gridTitle);
    m_gridLayout->addWidget(resultGrid, 1);

    progressPanel = named(new QWidget(gridFrame), "Picture1");
    progressLabel = named(new QLabel(progressPanel), "Label7");
    stepProgressBar = named(new QProgressBar(progressPanel), "Bar1");
    progressBar = named(new QProgressBar(progressPanel), "Bar2");
    auto *progress = new QVBoxLayout(progressPanel);
    progress->addWidget(progressLabel);
    progress->addWidget(stepProgressBar);
    progress->addWidget(progressBar);
    // Opaque: drawing the panel never draws the grid beneath it again.
    progressPanel->setAutoFillBackground(true);
    progressPanel->hide();
    m_gridLayout->addWidget(progressPanel);

    Preview = named(new PaperPreview(kTranscriptPage, QStringLiteral("成绩单预览图"), this), "Preview");

    assembleReportView(this, choiceFrame, gridFrame, titleLabel, true, Preview);

    // The options panel floats over the preview.
    optionsPanel = named(new QGroupBox(QStringLiteral("打印的项目设置"), this), "Picture4");
    optionsPanel->setAutoFillBackground(true);
    const QString boxes[] = {QStringLiteral("打印学生总分"), QStringLiteral("打印各科年级组名次"),
                             QStringLiteral("打印各科班内名次"), QStringLiteral("打印各科标准分"),
                             QStringLiteral("打印总分班内名次"), QStringLiteral("打印总分年级组名次")};
    auto *panel = new QGridLayout(optionsPanel);
    for (int i = 0; i < kOptionBoxes; ++i) {
        auto *box = new QCheckBox(boxes[i], optionsPanel);
        box->setObjectName(QStringLiteral("Check1_%1").arg(i));
        box->setChecked(true);
        fieldChecks << box;
        panel->addWidget(box, i / 2, i % 2);
        connect(box, &QCheckBox::clicked, this, [this, i] { fieldChecked(i); });
    }
    byNumberOption = named(new QRadioButton(QStringLiteral("按学生学号打印"), optionsPanel), "Option1");
    byRankOption = named(new QRadioButton(QStringLiteral("按总分名次打印"), optionsPanel), "Option2");
    classTopOption = named(new QRadioButton(QStringLiteral("打印班级前"), optionsPanel), "Option3");
    groupTopOption = named(new QRadioButton(QStringLiteral("打印年级组前"), optionsPanel), "Option4");
    byNumberOption->setChecked(true);
    classTopBox = named(new QLineEdit(optionsPanel), "Text2");
    groupTopBox = named(new QLineEdit(optionsPanel), "Text3");
    for (QLineEdit *count : {classTopBox, groupTopBox})
        count->setMaximumWidth(count->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    auto *orders = new QWidget(optionsPanel);
    auto *orderLayout = new QGridLayout(orders);
    orderLayout->setContentsMargins(0, 0, 0, 0);
    orderLayout->addWidget(byNumberOption, 0, 0);
    orderLayout->addWidget(byRankOption, 0, 1, 1, 3);
    auto countRow = [&](QRadioButton *option, QLineEdit *count, int row) {
        orderLayout->addWidget(option, row, 0);
        orderLayout->addWidget(count, row, 1);
        orderLayout->addWidget(new QLabel(QStringLiteral("名"), orders), row, 2);
        return option;
    };
    countRow(classTopOption, classTopBox, 1);
    countRow(groupTopOption, groupTopBox, 2);
    panel->addWidget(orders, 3, 0, 1, 2);
    QGroupBox *zoom = addZoomOptions(optionsPanel, zoomOptions);
    panel->addWidget(zoom, 4, 0, 1, 2);
    applyOptionsButton = named(new QPushButton(QStringLiteral("确定"), optionsPanel), "Command8");
    panel->addWidget(applyOptionsButton, 5, 1, Qt::AlignRight);
    optionsPanel->hide();


    connect(groupTree, &ClassTree::NodeClick, this, &TranscriptWindow::groupNodeClicked);
    connect(examCombo, &QComboBox::activated, this, &TranscriptWindow::examChosen);
    connect(subjectList, &QListWidget::itemChanged, this, &TranscriptWindow::subjectClicked);
    connect(showButton, &QPushButton::clicked, this, &TranscriptWindow::showClicked);
    connect(previewButton, &QPushButton::clicked, this, &TranscriptWindow::previewClicked);
    connect(Preview->exportButton, &QPushButton::clicked, this, &TranscriptWindow::exportClicked);
    connect(Preview->optionsButton, &QPushButton::clicked, this, &TranscriptWindow::optionsClicked);
    connect(Preview->closeButton, &QPushButton::clicked, this, &TranscriptWindow::closeClicked);
    connect(Preview, &PaperPreview::closed, this, &TranscriptWindow::ClosePreview);
    connect(applyOptionsButton, &QPushButton::clicked, this, &TranscriptWindow::applyOptionsClicked);
    connect(classTopOption, &QRadioButton::clicked, classTopBox, qOverload<>(&QWidget::setFocus));
    connect(groupTopOption, &QRadioButton::clicked, groupTopBox, qOverload<>(&QWidget::setFocus));
}

QSize TranscriptWindow::sizeHint() const
{
    return {1000, 700};
}

void TranscriptWindow::Form_Load()
{
    MoveToTopLeft(this);
    m_zoomScale = QStringLiteral("1");
    groupTree->BuildClassTree(connection());
    buildHeader();
}

void TranscriptWindow::setColumnWidth(int col, int twips)
{
    if (col >= m_widths.size())
        m_widths.resize(col + 1);
    m_widths[col] = twips;
    resultGrid->setColWidth(col, twips);
}

void TranscriptWindow::buildHeader(int cols)
{
    resultGrid->clearMerges();
    resultGrid->clearTexts();
    resultGrid->setCols(cols);
    resultGrid->setRows(3);
    resultGrid->setFixedRows(2);
    resultGrid->setFixedCols(2);
    m_widths.fill(0, cols);
    const QString heads[] = {QStringLiteral(" 学  号"), QStringLiteral(" 姓  名"), QStringLiteral(" 总分")};
    for (int c = 0; c < 3; ++c) {
        resultGrid->setTextMatrix(0, c, heads[c]);
        resultGrid->setTextMatrix(1, c, heads[c]);
    }
    resultGrid->setTextMatrix(0, 4, QStringLiteral("名次"));
    resultGrid->setTextMatrix(0, 5, QStringLiteral("名次"));
    resultGrid->setTextMatrix(1, 4, QStringLiteral("班内"));
    resultGrid->setTextMatrix(1, 5, QStringLiteral("年级"));
    for (int i = 0; i < 4; ++i) {
        resultGrid->setTextMatrix(0, 6 + i, kSubjectHeading);
        resultGrid->setTextMatrix(1, 6 + i, kEmptySubjectColumns[i]);
    }
    for (int c = 0; c < 10; ++c)
        setColumnWidth(c, kHeaderWidths[c]);
    resultGrid->mergeRow(0);
    for (int c : {0, 1, 2, 4, 5})
        resultGrid->mergeCol(c);
}

bool TranscriptWindow::isSummaryRow(int row) const
{
    return resultGrid->TextMatrix(row, 0) == kSummaryRowLabel;
}

void TranscriptWindow::groupNodeClicked(QTreeWidgetItem *node)
{
    if (!node)
        return;
    const std::optional<ClassNode> chosen = groupTree->SelectClassNode(node);
    QTreeWidgetItem *root = node->parent() ? node->parent() : node;
    m_gradeGroup = root->text(0);
    m_nodeKey = ClassTree::keyOf(node);
    m_clickedClass = chosen ? chosen->className : QString();
    m_transcript = {};

    titleLabel->setText(QStringLiteral("打印") + m_nodeKey + QStringLiteral("成绩单"));
    captionLabels[0]->setText(QStringLiteral("②选择(") + m_nodeKey.left(4) + QStringLiteral(")可比较的班级"));
    gridTitle->setText(m_nodeKey.left(4) + QStringLiteral("各科成绩"));
    subjectList->clear();
    examCombo->clear();
    classList->clear();
    m_subjects.clear();

    // Comparable classes: the other classes of this very grade group.
    for (int i = 0; i < root->childCount(); ++i) {
        const std::optional<ClassNode> c = groupTree->SelectClassNode(root->child(i));
        if (!c || c->className == m_clickedClass)
            continue;
        addTicked(classList, c->className);
    }

    const QDate today = session().today();
    m_sectionTable = school::sectionTableOf(m_gradeGroup);
    const int grade = school::gradeOf(m_gradeGroup);
    m_classCode = grade > 0 ? QString::number(school::cohortYear(grade, today)) : QString();
    if (chosen && grade > 0) {
        const school::ClassIdentity identity = school::ResolveClassCode(m_gradeGroup, m_clickedClass, today);
        m_classCode = identity.isValid() ? identity.classCode : QString();
    }

    buildHeader();
    previewButton->setEnabled(false);

    m_columns.clear();
    const auto records = readCohortStudents(connection(), m_sectionTable, m_classCode);
    if (!records)
        reportReadFailure(this, connection().error());
    if (records && !records->isEmpty()) {
        resultGrid->setUpdatesEnabled(false);
        resultGrid->setRows(2 + int(records->size()) + 3);
        int row = 2;
        for (const CohortStudent &record : *records) {
            resultGrid->setTextMatrix(row, 0, school::shownId(m_classCode, record.studentNumber));
            resultGrid->setTextMatrix(row, 1, record.name);
            ++row;
        }
        for (int i = 0; i < 3; ++i) {
            resultGrid->setTextMatrix(row + i, 0, kSummaryRowLabel);
            resultGrid->setTextMatrix(row + i, 1, kSummaryLabels[i]);
            resultGrid->setTextMatrix(row + i, kSortKeyColumn, kSummarySortKey);
        }
        // The designed widths are for a narrower font: numbers and names are not cut off.
        resultGrid->widenColumnsToText(0, 1, 2, row - 1);
        resultGrid->setUpdatesEnabled(true);
        m_columns = db::tableColumns(connection(), m_sectionTable);
    } else {
        resultGrid->setRows(2);
    }
    examCombo->addItems(school::ListExamNames(m_columns));
    examCombo->setCurrentIndex(-1);
    for (int i = 0; i < kOptionBoxes; ++i) {
        fieldChecks[i]->setChecked(true);
        fieldChecked(i);
    }
}

void TranscriptWindow::examChosen()
{
    if (examCombo->currentIndex() < 0)
        return;
    m_listing = true;
    subjectList->clear();
    m_subjects = school::examSubjects(m_columns, examCombo->currentText());
    for (const school::ExamSubject &s : m_subjects) {
        addTicked(subjectList, s.subject);
    }
    m_listing = false;
    gridTitle->setText(m_nodeKey.left(4) + examCombo->currentText());
    captionLabels[5]->setText(kAllSubjects);
}

void TranscriptWindow::subjectClicked()
{
    if (m_listing)
        return;
    captionLabels[5]->setText(QStringLiteral("(打印%1科)").arg(tickedTexts(subjectList).size()));
}

void TranscriptWindow::showProgress(const TranscriptProgress &p)
{
    // Drawn by the caller: a bar's value alone would repaint it at once.
    progressPanel->setUpdatesEnabled(false);
    progressLabel->setText(p.caption);
    stepProgressBar->setRange(0, p.bar1Max);
    stepProgressBar->setValue(p.bar1);
    progressBar->setRange(0, p.bar2Max);
    progressBar->setValue(p.bar2);
    progressPanel->setUpdatesEnabled(true);
}

void TranscriptWindow::showClicked()
{
    if (examCombo->currentIndex() < 0) {
        showNotice(this, kNoExam, kTitleHintDots);
        return;
    }
    QStringList subjects, columns;
    for (int i = 0; i < subjectList->count() && i < m_subjects.size(); ++i) {
        if (!isTicked(subjectList->item(i)))
            continue;
        subjects << m_subjects[i].subject;
        columns << m_subjects[i].column;
    }
    if (subjects.isEmpty()) {
        showNotice(this, kNoSubject, kTitleHintDots);
        return;
    }
    QStringList comparable;
    for (const QString &name : tickedTexts(classList))
        comparable << school::ResolveClassCode(m_gradeGroup, name, session().today()).classCode;

    // The panel is drawn at most once a frame: now, and then as the computation goes.
    FramePacer pacer;
    progressPanel->show();
    showProgress({kReadingCaption, 0, stepProgressBar->maximum(), 0, progressBar->maximum()});
    progressPanel->repaint();
    auto finish = [this] {
        progressPanel->hide();
        previewButton->setEnabled(true);
    };

    TranscriptInput input;
    input.classCode = m_classCode;
    input.subjects = subjects;
    const auto students = readTranscriptStudents(connection(), m_sectionTable, m_classCode, comparable, columns);
    if (!students) {
        reportReadFailure(this, connection().error());
        progressPanel->hide();
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
        progressPanel->repaint();
    });
    showProgress(last);
    showTranscript(m_transcript, int(subjects.size()));
    captionLabels[5]->setText(kAllSubjects);
    finish();
}

namespace {
// The text of a student's cell of the transcript grid (column 3, the sort key, has none).
const QString &transcriptCell(const TranscriptRow &row, int col)
{
    static const QString none;
    switch (col) {
    case 0: return row.shownId;
    case 1: return row.name;
    case 2: return row.total;
    case 4: return row.classRank;
    case 5: return row.gradeRank;
    default: break;
    }
    const int s = (col - 6) / 4;
    if (col < 6 || s >= row.subjects.size())
        return none;
    const SubjectCells &cells = row.subjects[s];
    switch ((col - 6) % 4) {
    case 0: return cells.score;
    case 1: return cells.standard;
    case 2: return cells.classRank;
    default: return cells.gradeRank;
    }
}
} // namespace

void TranscriptWindow::showTranscript(const Transcript &t, int n)
{
    resultGrid->setUpdatesEnabled(false);
    const int cols = 6 + 4 * n;
    buildHeader(cols);
    const int rows = int(t.rows.size());
    resultGrid->setRows(2 + rows + (rows > 0 ? 3 : 0));
    for (int k = 1; k <= n; ++k) {
        for (int i = 0; i < 4; ++i) {
            const int c = 4 * k + 2 + i;
            setColumnWidth(c, kSubjectWidths[i]);
            resultGrid->setTextMatrix(1, c, kSubjectColumns[i]);
        }
    }
    int k = 0;
    for (int i = 0; i < subjectList->count() && k < n; ++i) {
        if (!isTicked(subjectList->item(i)))
            continue;
        ++k;
        for (int c = 4 * k + 2; c <= 4 * k + 5; ++c)
            resultGrid->setTextMatrix(0, c, subjectList->item(i)->text());
    }
    // The students' cells are made when the grid shows them; each column's longest
    // text is kept for fitColumnsToTexts.
    m_longest.fill(QString(), cols);
    for (const TranscriptRow &row : t.rows)
        for (int c = 0; c < cols; ++c) {
            const QString &text = transcriptCell(row, c);
            if (text.size() > m_longest[c].size())
                m_longest[c] = text;
        }
    if (rows > 0) {
        const auto kept = std::make_shared<const QVector<TranscriptRow>>(t.rows);
        resultGrid->setTextSource({2, 0, 1 + rows, cols - 1, [kept](int row, int col) {
                                       return transcriptCell(kept->at(row - 2), col);
                                   }});
        const int first = 2 + rows;
        for (int i = 0; i < 3; ++i) {
            resultGrid->setTextMatrix(first + i, 0, kSummaryRowLabel);
            resultGrid->setTextMatrix(first + i, 1, kSummaryLabels[i]);
            resultGrid->setTextMatrix(first + i, kSortKeyColumn, kSummarySortKey);
            for (int s = 0; s < n; ++s) {
                const SubjectSummary &sum = t.summaries[s];
                const QString text = i == 0 ? sum.average : i == 1 ? sum.participants : sum.stdDev;
                for (int c = 4 * (s + 1) + 2; c <= 4 * (s + 1) + 5; ++c)
                    resultGrid->setTextMatrix(first + i, c, text);
            }
            resultGrid->mergeRow(first + i, 6);
        }
    }
    fitColumnsToTexts();
    for (int c = 0; c < resultGrid->Cols(); ++c)
        if (m_widths[c] > 0 && resultGrid->ColWidth(c) > m_widths[c] + 14)
            m_widths[c] = resultGrid->ColWidth(c);
    for (int i = 0; i < kOptionBoxes; ++i)
        fieldChecked(i);
    resultGrid->setUpdatesEnabled(true);
}

void TranscriptWindow::fitColumnsToTexts()
{
    // The designed widths are for the original font: a column whose texts it cuts off widens.
    // Measuring every cell costs more than the rest of the transcript: each column
    // is measured on its header and summary rows and on its longest text.
    const int last = resultGrid->Cols() - 1;
    resultGrid->widenColumnsToText(0, last, 1, 1);
    if (m_transcript.rows.isEmpty())
        return;
    resultGrid->widenColumnsToText(0, last, resultGrid->Rows() - 3, resultGrid->Rows() - 1);
    for (int c = 0; c <= last && c < m_longest.size(); ++c) {
        if (m_longest[c].isEmpty())
            continue;
        // The options may have put the rows into another order.
        for (int r = 2; r < resultGrid->Rows(); ++r) {
            if (resultGrid->TextMatrix(r, c) == m_longest[c]) {
                resultGrid->widenColumnsToText(c, c, r, r);
                break;
            }
        }
    }
}

void TranscriptWindow::fieldChecked(int index)
{
    // Subjects that have no column group (chosen after the computation) are left out.
    const int groups = std::max(0, (resultGrid->Cols() - 6) / 4);
    const int subjects = std::min(int(tickedTexts(subjectList).size()), groups);
    const BoxColumns box = columnsOfBox(index, subjects);
    const bool ticked = fieldChecks[index]->isChecked();
    for (int c : box.columns)
        if (c < resultGrid->Cols())
            setColumnWidth(c, ticked ? box.width : 0);
    setColumnWidth(kSortKeyColumn, 0);
}

void TranscriptWindow::SortByKeyColumn(int source)
{
    resultGrid->setUpdatesEnabled(false);
    for (int r = 2; r < resultGrid->Rows(); ++r) {
        resultGrid->setRowHeight(r, kPageRowHeight);
        resultGrid->setTextMatrix(r, kSortKeyColumn, sortKeyOf(resultGrid->TextMatrix(r, source), isSummaryRow(r)));
    }
    resultGrid->sortRows(kSortKeyColumn, kSortKeyColumn, true);
    resultGrid->setUpdatesEnabled(true);
}

void TranscriptWindow::previewClicked()
{
    const QString title = examCombo->currentText().isEmpty()
        ? QString()
        : QStringLiteral("    ") + gridTitle->text() + QStringLiteral("报表    ");
    Preview->OpenPaperPreview(resultGrid, title, session().today());
}

void TranscriptWindow::ClosePreview()
{
    m_gridLayout->insertWidget(1, resultGrid, 1);
    resultGrid->show();
    SortByKeyColumn(0);
}

void TranscriptWindow::optionsClicked()
{
    showOptionsPanel(optionsPanel);
}

void TranscriptWindow::applyOptionsClicked()
{
    // 1. The width scale, and the font with it; no text is cut off.
    const int chosen = chosenZoom(zoomOptions);
    const ZoomStep step = zoomStep(m_zoomScale, Zoom(chosen));
    resultGrid->setUpdatesEnabled(false);
    applyZoomFont(resultGrid, m_fontSize, chosen);
    for (int c = 0; c < m_widths.size(); ++c)
        setColumnWidth(c, scaledWidth(m_widths[c], step.factor));
    fitColumnsToTexts();
    resultGrid->setUpdatesEnabled(true);
    m_zoomScale = step.scale;

    // 2. to 5. The order or filter.
    if (byNumberOption->isChecked()) {
        SortByKeyColumn(0);
    } else if (byRankOption->isChecked()) {
        SortByKeyColumn(5);
    } else {
        const bool classFilter = classTopOption->isChecked();
        QLineEdit *box = classFilter ? classTopBox : groupTopBox;
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
        resultGrid->setUpdatesEnabled(false);
        for (int r = 2; r < resultGrid->Rows(); ++r) {
            const bool shown = isSummaryRow(r) || keptByTopCount(resultGrid->TextMatrix(r, rankColumn), *n);
            resultGrid->setRowHeight(r, shown ? kPageRowHeight : 0);
        }
        resultGrid->setUpdatesEnabled(true);
    }
    // 6.
    optionsPanel->hide();
    Preview->showFirstPageLabel();
}

void TranscriptWindow::exportClicked()
{
    ShownTable table;
    table.title = Preview->titleBox->text();
    for (int r = 0; r < resultGrid->Rows(); ++r) {
        if (r >= 2 && resultGrid->RowHeight(r) == 0)
            continue;
        QStringList texts;
        for (int c = 0; c < resultGrid->Cols(); ++c)
            if (c < m_widths.size() && m_widths[c] > 0)
                texts << resultGrid->TextMatrix(r, c);
        table.rows << texts;
    }
    ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
    addTranscriptSheet(book, table);
    handOverWorkbook(book, this);
}

void TranscriptWindow::closeClicked()
{
    CloseWindow(this);
}

} // namespace tessaly
