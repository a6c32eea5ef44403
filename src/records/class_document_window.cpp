#include "records/class_document_window.h"

#include "kit/database_unavailable.h"
#include "kit/save_report.h"
#include "kit/sign_in_toggle.h"
#include "kit/text_box.h"
#include "kit/unsaved_changes.h"
#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "widgets/data_control.h"
#include "widgets/fonts.h"
#include "widgets/messages.h"
#include "records/class_documents.h"
#include "records/notice_layout.h"
#include "school/teacher_title.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

using namespace records;

ClassDocumentWindow::ClassDocumentWindow(const Twin &twin, WindowHost &host, QWidget *parent)
    : QWidget(parent), FormWindow(host), m_twin(twin)
{
    setObjectName(QString::fromUtf16(twin.name));
    setWindowTitle(twin.caption);

    choicePanel = named(new QFrame(this), "Frame3");
    choicePanel->setFrameShape(QFrame::StyledPanel);
    choiceHeading = named(new QLabel(twin.heading, choicePanel), "Label6");
    choiceHeading->setFont(cjkFont(QStringLiteral("黑体"), 11, true));
    gradeGroupCombo = named(new QComboBox(choicePanel), "Combo1");
    classCombo = named(new QComboBox(choicePanel), "Combo2");
    headTeacherCombo = named(new QComboBox(choicePanel), "Combo3");
    usageNote = named(new QLabel(QStringLiteral("使用说明:\n本工作计划用于班主任编辑、保存、打印") + word()
                                  + QStringLiteral("。使用时，班主任须先登陆，才能操作。您可以使用上面模板内容，"
                                                   "通过选中、复制的方式粘贴到你的编辑框中。"),
                              choicePanel),
                   "Label4");
    usageNote->setWordWrap(true);

    editorHeading = named(new QLabel(twin.header, this), "Label3");
    editorHeading->setAlignment(Qt::AlignCenter);
    editorHeading->setFont(cjkFont(QStringLiteral("黑体"), 12, true));
    titleLabel = named(new QLabel(this), "Label1");
    titleLabel->setAlignment(Qt::AlignCenter);
    titleLabel->setFrameShape(QFrame::Box);
    documentBox = named(new QPlainTextEdit(this), "Text1");
    documentBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    documentBox->setReadOnly(true);

    editorPanel = named(new QFrame(this), "Frame2");
    editorPanel->setFrameShape(QFrame::StyledPanel);
    // The summary window's list lies outside the panel: a summary can be read before signing in.
    QWidget *listParent = twin.listInPanel ? static_cast<QWidget *>(editorPanel) : this;
    documentListLabel = named(new QLabel(twin.listLabel, listParent), "lblLabels0");
    documentCombo = named(new QComboBox(listParent), "Combo4");
    creationLabel = named(new QLabel(twin.createLabel, editorPanel), "lblLabels1");
    newDocumentBox = named(new QLineEdit(editorPanel), "Text5");
    newDocumentBox->setReadOnly(true);
    newKindBox = named(new QLineEdit(editorPanel), "Text2");
    newKindBox->setReadOnly(true);
    newKindBox->hide();
    createButton = named(new QPushButton(QStringLiteral("创建(&J)"), editorPanel), "Command3");
    saveButton = named(new QPushButton(QStringLiteral("保存内容(&S)"), editorPanel), "Command7");
    openTemplatesButton = named(new QPushButton(QStringLiteral("打开模板(&O)"), editorPanel), "Command1");
    printButton = named(new QPushButton(QStringLiteral("打印(&P)"), editorPanel), "Command2");
    signInButton = named(new QPushButton(this), "Command10");
    closeButton = named(new QPushButton(QStringLiteral("关闭(&C)"), this), "cmdClose");
    statusLabel = named(new QLabel(this), "Label5");
    statusLabel->setWordWrap(true);

    // Drop-down lists: a text shown is always one chosen, never one typed.
    for (QComboBox *box : {gradeGroupCombo, classCombo, headTeacherCombo, documentCombo})
        fitDropDown(box);
    // Room for the longest display name.
    const QString longest = QStringLiteral("05-06初三十二班上学年工作计划");
    documentCombo->setMinimumContentsLength(int(longest.size()));
    newDocumentBox->setMinimumWidth(newDocumentBox->fontMetrics().horizontalAdvance(longest) + 2 * newDocumentBox->fontMetrics().height());

    auto *choices = new QGridLayout(choicePanel);
    choices->addWidget(choiceHeading, 0, 0, 1, 2);
    int line = 1;
    for (const auto &[caption, combo] : {std::pair{QStringLiteral("选年级组名称:"), gradeGroupCombo},
                                         std::pair{QStringLiteral("选择班级名称:"), classCombo},
                                         std::pair{QStringLiteral("选择班主任名:"), headTeacherCombo}}) {
        choices->addWidget(new QLabel(caption, choicePanel), line, 0);
        choices->addWidget(combo, line++, 1);
    }
    choices->addWidget(usageNote, line, 0, 1, 2, Qt::AlignTop);
    choices->setRowStretch(line, 1);
    choices->setColumnStretch(1, 1);
    // The instructions wrap within the panel and are shown whole.
    const QFontMetrics metrics = choicePanel->fontMetrics();
    const QMargins margins = choices->contentsMargins();
    const int inner = metrics.horizontalAdvance(QStringLiteral("选年级组名称:初二年级组")) + 4 * metrics.height();
    choicePanel->setFixedWidth(inner + margins.left() + margins.right());
    usageNote->setMinimumHeight(usageNote->heightForWidth(inner));

    auto *listRow = new QHBoxLayout;
    listRow->addWidget(documentListLabel);
    listRow->addWidget(documentCombo, 1);
    auto *panel = new QGridLayout(editorPanel);
    int row = 0;
    if (twin.listInPanel)
        panel->addLayout(listRow, row++, 0, 1, 4);
    panel->addWidget(creationLabel, row, 0);
    panel->addWidget(newDocumentBox, row, 1, 1, 2);
    panel->addWidget(createButton, row++, 3);
    panel->addWidget(saveButton, row, 1);
    panel->addWidget(openTemplatesButton, row, 2);
    panel->addWidget(printButton, row, 3);
    panel->setColumnStretch(1, 1);
    panel->setColumnStretch(2, 1);

    auto *editing = new QVBoxLayout;
    editing->addWidget(editorHeading);
    editing->addWidget(titleLabel);
    editing->addWidget(documentBox, 1);
    if (!twin.listInPanel)
        editing->addLayout(listRow);
    editing->addWidget(editorPanel);

    auto *body = new QHBoxLayout;
    body->addWidget(choicePanel);
    body->addLayout(editing, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(statusLabel, 1);
    bottom->addWidget(signInButton);
    bottom->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(bottom);

    m_context = new ClassContext({.gradeGroup = gradeGroupCombo,
                                  .klass = classCombo,
                                  .headTeachers = headTeacherCombo,
                                  .toggle = signInButton,
                                  .editors = {editorPanel},
                                  .checks = ClassContext::Checks::EitherClassOrTeacher},
                                 *this, this);
    m_context->setLeaveCheck([this] { return askToSave(); });
    editorPanel->setEnabled(false);

    connect(m_context, &ClassContext::gradeGroupChosen, this, &ClassDocumentWindow::gradeGroupChosen);
    connect(m_context, &ClassContext::classChosen, this, &ClassDocumentWindow::classChosen);
    connect(m_context, &ClassContext::signInShown, this, &ClassDocumentWindow::signInShown);
    connect(documentBox, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_settingText)
            m_unsaved = true;
    });
    connect(documentCombo, &QComboBox::activated, this, &ClassDocumentWindow::documentChosen);
    connect(createButton, &QPushButton::clicked, this, &ClassDocumentWindow::CreateClassDocument);
    connect(saveButton, &QPushButton::clicked, this, &ClassDocumentWindow::SaveClassDocument);
    connect(openTemplatesButton, &QPushButton::clicked, this, &ClassDocumentWindow::openTemplatesClicked);
    connect(printButton, &QPushButton::clicked, this, &ClassDocumentWindow::SendToPrintPage);
    connect(closeButton, &QPushButton::clicked, this, [this] { CloseWindow(this); });
}

QString ClassDocumentWindow::word() const
{
    return documentWord(m_twin.kind);
}

void ClassDocumentWindow::Form_Load()
{
    showFixedDialogFrame(this);
    SetWindowSize(this, m_twin.widthTwips, m_twin.heightTwips);
    CentreOnMainWindow(this, host().hostWidget(), 400);
    statusLabel->setText(m_twin.loadStatus);
    if (!databaseAvailable(*this, this))
        return;
    m_context->load();
}

void ClassDocumentWindow::setEditorText(const QString &text)
{
    m_settingText = true;
    setBoxText(documentBox, text);
    m_settingText = false;
}

QString ClassDocumentWindow::unsavedQuestion() const
{
    return QStringLiteral("保存你刚才修改的") + word() + QStringLiteral("内容吗?");
}

bool ClassDocumentWindow::saveAnswered()
{
    if (!m_open) {
        showNotice(this,
                   QStringLiteral("没有打开的") + word() + QStringLiteral("，内容无处保存。请先选择或创建") + word()
                       + QStringLiteral("。"),
                   kTitleHint);
        return false;
    }
    return SaveClassDocument();
}

bool ClassDocumentWindow::askToSave()
{
    // No leaves the changes marked, so the next choice asks again.
    return !m_unsaved || settleUnsavedChanges(this, unsavedQuestion(), [this] { return saveAnswered(); },
                                              UnsavedButtons::YesNo);
}

bool ClassDocumentWindow::mayClose()
{
    return !m_unsaved || settleUnsavedChanges(this, unsavedQuestion(), [this] { return saveAnswered(); });
}

void ClassDocumentWindow::closeDocument()
{
    m_open.reset();
    setEditorText(QString());
    newDocumentBox->clear();
    newKindBox->clear();
}

void ClassDocumentWindow::gradeGroupChosen()
{
    m_listed.clear();
    documentCombo->clear();
    titleLabel->setText(m_context->gradeGroup());
    closeDocument();
}

void ClassDocumentWindow::classChosen()
{
    ListClassDocuments();
    titleLabel->setText(classDocumentTitle(m_twin.kind, m_context->gradeGroup(), m_context->className(),
                                       m_context->headTeacher()));
    closeDocument();
}

void ClassDocumentWindow::signInShown(bool signedIn, ClassContext::Shown when)
{
    const QString teacher = QStringLiteral("(") + m_context->headTeacher() + QStringLiteral(")");
    if (signedIn)
        statusLabel->setText(QStringLiteral("班主任") + teacher + QStringLiteral("已经登陆，可以进行本班") + word()
                        + QStringLiteral("了。"));
    else if (when == ClassContext::Shown::ClassStep)
        statusLabel->setText(QStringLiteral("班主任任") + teacher + QStringLiteral("没有登陆，还不可以进行本班") + word()
                        + QStringLiteral("。"));
    else
        statusLabel->setText(QStringLiteral("班主任") + teacher + QStringLiteral("退出了登陆，不可以进行本班") + word()
                        + QStringLiteral("了。"));
    documentBox->setReadOnly(!signedIn);
}

std::optional<QVector<Document>> ClassDocumentWindow::readListed()
{
    const auto rows = readDocuments(connection(), m_twin.kind, m_context->identity().classCode);
    if (!rows) {
        reportSaveFailure(this, m_twin.dataErrorPrefix, connection().error());   // a read, in this window's words
        return std::nullopt;
    }
    return documentsInSection(*rows, m_context->gradeGroup());
}

void ClassDocumentWindow::showListed(const QVector<Document> &listed)
{
    m_listed = listed;
    documentCombo->clear();
    for (const Document &d : m_listed)
        documentCombo->addItem(d.displayName);
    int open = -1;
    for (int i = 0; m_open && i < m_listed.size(); ++i) {
        if (m_listed[i].id == *m_open)
            open = i;
    }
    documentCombo->setCurrentIndex(open);
}

void ClassDocumentWindow::ListClassDocuments()
{
    m_open.reset();
    const std::optional<QVector<Document>> listed = readListed();
    showListed(listed.value_or(QVector<Document>()));
}

void ClassDocumentWindow::documentChosen()
{
    const int k = documentCombo->currentIndex();
    if (k < 0 || k >= m_listed.size())
        return;
    chooseDocument(m_listed[k].id);
}

void ClassDocumentWindow::chooseDocument(qint64 id)
{
    if (!askToSave()) {
        // The open document stays; the list shows it again.
        const std::optional<QVector<Document>> listed = readListed();
        showListed(listed.value_or(m_listed));
        return;
    }
    const std::optional<QVector<Document>> listed = readListed();
    if (!listed)
        return;
    for (const Document &d : *listed) {
        if (d.id != id)
            continue;
        m_open = d.id;
        m_openRead = d;
        showListed(*listed);
        setEditorText(d.text);
        m_unsaved = false;
        titleLabel->setText(openDocumentTitle(d.displayName, m_context->headTeacher()));
        newDocumentBox->clear();
        return;
    }
    // Gone since it was listed.
    showListed(*listed);
    showNotice(this, kRowGoneText, kTitleHint);
}

void ClassDocumentWindow::CreateClassDocument()
{
    // A class of the grade group shown must be chosen: a new grade group keeps
    // no class of the one before.
    if (!m_context->hasClass()) {
        showNotice(this, QStringLiteral("请至少选择一个班级。"), kTitleHint);
        return;
    }
    const DateParts date = dateParts(session().today());
    const QString kind = classDocumentKind(m_twin.kind, m_context->identity().classCode, date);
    const QString name = classDocumentName(m_twin.kind, date, m_context->gradeGroup(), m_context->className());
    newKindBox->setText(kind);
    newDocumentBox->setText(name);
    const std::optional<QVector<Document>> listed = readListed();
    if (!listed)
        return;
    const QString dear = QStringLiteral("　　尊敬的") + school::withTeacherTitle(m_context->headTeacher()) + QStringLiteral(",");
    // Only a document of this section counts: a class of another section with the
    // same class code keeps its own. The existing one is not opened here, so the
    // editor's text cannot be saved into it unseen; the user opens it from the list.
    if (documentOfKind(*listed, kind)) {
        showNotice(this, dear + QStringLiteral("您要添加的（") + name + m_twin.duplicateBracket
                             + QStringLiteral("\r已经存在了,直接选中它进行修改即可。"));
        return;
    }
    if (!askYesNo(this,
                  dear + QStringLiteral("您确实要新创建一个名称为 \r（") + name + QStringLiteral("）的") + word()
                      + QStringLiteral("吗?"),
                  kTitleHintDots)
        || !m_context->toggle()->confirmSignedIn(QStringLiteral("班主任(%1)没有登陆，") + word()
                                                 + QStringLiteral("没有创建。请登陆后再创建。")))
        return;
    const QString text = boxText(documentBox);
    const InsertOutcome r = saveWith<InsertOutcome>(connection(), [&](db::Connection &c) {
        return insertDocument(c, kind, text, name);
    });
    if (!r.ok) {
        reportSaveFailure(this, word() + QStringLiteral("没有创建："), r.error, kTitleHint);
        return;
    }
    // The new row holds the editor's text; only a document open before has changes of its own.
    if (!m_open)
        m_unsaved = false;
    chooseDocument(r.id);
}

bool ClassDocumentWindow::SaveClassDocument()
{
    if (!m_open)
        return true;
    if (!m_context->toggle()->confirmSignedIn())
        return false;
    const qint64 id = *m_open;
    const QString text = boxText(documentBox);
    const SaveOutcome r = saveWith<SaveOutcome>(connection(), [&](db::Connection &c) {
        return updateDocumentText(c, m_openRead, text, QStringLiteral("%1(%2)").arg(word(), m_openRead.displayName));
    });
    if (!r.ok) {
        reportSaveFailure(this, word() + QStringLiteral("没有保存："), r.error, kTitleHint);
        return false;
    }
    for (Document &d : m_listed) {
        if (d.id == id)
            d.text = text;
    }
    m_openRead.text = text;
    m_unsaved = false;
    return true;
}

void ClassDocumentWindow::openTemplatesClicked()
{
    host().showWindow(m_twin.templates);
}

void ClassDocumentWindow::SendToPrintPage()
{
    host().handToPrintPage(classPrintText(gradeGroupCombo->currentText(), classCombo->currentText(), word(), headTeacherCombo->currentText(),
                                          boxText(documentBox)));
}

PlanWindow::PlanWindow(WindowHost &host, QWidget *parent)
    : ClassDocumentWindow({.kind = DocumentKind::Plan,
                           .name = kPlanWindow,
                           .templates = kPlanTemplateWindow,
                           .caption = QStringLiteral("班主任年初工作计划"),
                           .widthTwips = 8760,
                           .heightTwips = 6180,
                           .duplicateBracket = QStringLiteral("） "),
                           .loadStatus = QStringLiteral("提示：请选择年级组、班级，并且在班主任登陆后，方可操作。"),
                           .header = QStringLiteral("班主任编辑工作计划"),
                           .listLabel = QStringLiteral("原有的工作计划:"),
                           .createLabel = QStringLiteral("创建新工作计划:"),
                           .heading = QStringLiteral("选择班级"),
                           .listInPanel = true,
                           .dataErrorPrefix = QStringLiteral("数据错误提示：")},
                          host, parent)
{
}

SummaryWindow::SummaryWindow(WindowHost &host, QWidget *parent)
    : ClassDocumentWindow({.kind = DocumentKind::Summary,
                           .name = kSummaryWindow,
                           .templates = kSummaryTemplateWindow,
                           .caption = QStringLiteral("班主任年终工作总结"),
                           .widthTwips = 8775,
                           .heightTwips = 6165,
                           .duplicateBracket = QStringLiteral("）"),
                           .loadStatus = QStringLiteral("提示：请选择年级组、班级，然后班主任登陆，才可编写工作总结。"),
                           .header = QStringLiteral("========班主任编辑工作总结========"),
                           .listLabel = QStringLiteral("已存在的工作总结:"),
                           .createLabel = QStringLiteral("创造新的工作总结:"),
                           .heading = QStringLiteral("请选择班级："),
                           .listInPanel = false,
                           .dataErrorPrefix = kDataErrorPrefix},
                          host, parent)
{
}

} // namespace tessaly
