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

    Frame3 = named(new QFrame(this), "Frame3");
    Frame3->setFrameShape(QFrame::StyledPanel);
    Label6 = named(new QLabel(twin.heading, Frame3), "Label6");
    Label6->setFont(cjkFont(QStringLiteral("黑体"), 11, true));
    Combo1 = named(new QComboBox(Frame3), "Combo1");
    Combo2 = named(new QComboBox(Frame3), "Combo2");
    Combo3 = named(new QComboBox(Frame3), "Combo3");
    Label4 = named(new QLabel(QStringLiteral("使用说明:\n本工作计划用于班主任编辑、保存、打印") + word()
                                  + QStringLiteral("。使用时，班主任须先登陆，才能操作。您可以使用上面模板内容，"
                                                   "通过选中、复制的方式粘贴到你的编辑框中。"),
                              Frame3),
                   "Label4");
    Label4->setWordWrap(true);

    Label3 = named(new QLabel(twin.header, this), "Label3");
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setFont(cjkFont(QStringLiteral("黑体"), 12, true));
    Label1 = named(new QLabel(this), "Label1");
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFrameShape(QFrame::Box);
    Text1 = named(new QPlainTextEdit(this), "Text1");
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setReadOnly(true);

    Frame2 = named(new QFrame(this), "Frame2");
    Frame2->setFrameShape(QFrame::StyledPanel);
    // The summary window's list lies outside the panel: a summary can be read before signing in.
    QWidget *listParent = twin.listInPanel ? static_cast<QWidget *>(Frame2) : this;
    lblLabels0 = named(new QLabel(twin.listLabel, listParent), "lblLabels0");
    Combo4 = named(new QComboBox(listParent), "Combo4");
    lblLabels1 = named(new QLabel(twin.createLabel, Frame2), "lblLabels1");
    Text5 = named(new QLineEdit(Frame2), "Text5");
    Text5->setReadOnly(true);
    Text2 = named(new QLineEdit(Frame2), "Text2");
    Text2->setReadOnly(true);
    Text2->hide();
    Command3 = named(new QPushButton(QStringLiteral("创建(&J)"), Frame2), "Command3");
    Command7 = named(new QPushButton(QStringLiteral("保存内容(&S)"), Frame2), "Command7");
    Command1 = named(new QPushButton(QStringLiteral("打开模板(&O)"), Frame2), "Command1");
    Command2 = named(new QPushButton(QStringLiteral("打印(&P)"), Frame2), "Command2");
    Command10 = named(new QPushButton(this), "Command10");
    cmdClose = named(new QPushButton(QStringLiteral("关闭(&C)"), this), "cmdClose");
    Label5 = named(new QLabel(this), "Label5");
    Label5->setWordWrap(true);

    // Drop-down lists: a text shown is always one chosen, never one typed.
    for (QComboBox *box : {Combo1, Combo2, Combo3, Combo4})
        fitDropDown(box);
    // Room for the longest display name.
    const QString longest = QStringLiteral("05-06初三十二班上学年工作计划");
    Combo4->setMinimumContentsLength(int(longest.size()));
    Text5->setMinimumWidth(Text5->fontMetrics().horizontalAdvance(longest) + 2 * Text5->fontMetrics().height());

    auto *choices = new QGridLayout(Frame3);
    choices->addWidget(Label6, 0, 0, 1, 2);
    int line = 1;
    for (const auto &[caption, combo] : {std::pair{QStringLiteral("选年级组名称:"), Combo1},
                                         std::pair{QStringLiteral("选择班级名称:"), Combo2},
                                         std::pair{QStringLiteral("选择班主任名:"), Combo3}}) {
        choices->addWidget(new QLabel(caption, Frame3), line, 0);
        choices->addWidget(combo, line++, 1);
    }
    choices->addWidget(Label4, line, 0, 1, 2, Qt::AlignTop);
    choices->setRowStretch(line, 1);
    choices->setColumnStretch(1, 1);
    // The instructions wrap within the panel and are shown whole.
    const QFontMetrics metrics = Frame3->fontMetrics();
    const QMargins margins = choices->contentsMargins();
    const int inner = metrics.horizontalAdvance(QStringLiteral("选年级组名称:初二年级组")) + 4 * metrics.height();
    Frame3->setFixedWidth(inner + margins.left() + margins.right());
    Label4->setMinimumHeight(Label4->heightForWidth(inner));

    auto *listRow = new QHBoxLayout;
    listRow->addWidget(lblLabels0);
    listRow->addWidget(Combo4, 1);
    auto *panel = new QGridLayout(Frame2);
    int row = 0;
    if (twin.listInPanel)
        panel->addLayout(listRow, row++, 0, 1, 4);
    panel->addWidget(lblLabels1, row, 0);
    panel->addWidget(Text5, row, 1, 1, 2);
    panel->addWidget(Command3, row++, 3);
    panel->addWidget(Command7, row, 1);
    panel->addWidget(Command1, row, 2);
    panel->addWidget(Command2, row, 3);
    panel->setColumnStretch(1, 1);
    panel->setColumnStretch(2, 1);

    auto *editing = new QVBoxLayout;
    editing->addWidget(Label3);
    editing->addWidget(Label1);
    editing->addWidget(Text1, 1);
    if (!twin.listInPanel)
        editing->addLayout(listRow);
    editing->addWidget(Frame2);

    auto *body = new QHBoxLayout;
    body->addWidget(Frame3);
    body->addLayout(editing, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Label5, 1);
    bottom->addWidget(Command10);
    bottom->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(bottom);

    m_context = new ClassContext({.gradeGroup = Combo1,
                                  .klass = Combo2,
                                  .headTeachers = Combo3,
                                  .toggle = Command10,
                                  .editors = {Frame2},
                                  .checks = ClassContext::Checks::EitherClassOrTeacher},
                                 *this, this);
    m_context->setLeaveCheck([this] { return askToSave(); });
    Frame2->setEnabled(false);

    connect(m_context, &ClassContext::gradeGroupChosen, this, &ClassDocumentWindow::gradeGroupChosen);
    connect(m_context, &ClassContext::classChosen, this, &ClassDocumentWindow::classChosen);
    connect(m_context, &ClassContext::signInShown, this, &ClassDocumentWindow::signInShown);
    connect(Text1, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_settingText)
            m_unsaved = true;
    });
    connect(Combo4, &QComboBox::activated, this, &ClassDocumentWindow::Combo4_Click);
    connect(Command3, &QPushButton::clicked, this, &ClassDocumentWindow::CreateClassDocument);
    connect(Command7, &QPushButton::clicked, this, &ClassDocumentWindow::SaveClassDocument);
    connect(Command1, &QPushButton::clicked, this, &ClassDocumentWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &ClassDocumentWindow::SendToPrintPage);
    connect(cmdClose, &QPushButton::clicked, this, [this] { CloseWindow(this); });
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
    Label5->setText(m_twin.loadStatus);
    if (!databaseAvailable(*this, this))
        return;
    m_context->load();
}

void ClassDocumentWindow::setEditorText(const QString &text)
{
    m_settingText = true;
    setBoxText(Text1, text);
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
    Text5->clear();
    Text2->clear();
}

void ClassDocumentWindow::gradeGroupChosen()
{
    m_listed.clear();
    Combo4->clear();
    Label1->setText(m_context->gradeGroup());
    closeDocument();
}

void ClassDocumentWindow::classChosen()
{
    ListClassDocuments();
    Label1->setText(classDocumentTitle(m_twin.kind, m_context->gradeGroup(), m_context->className(),
                                       m_context->headTeacher()));
    closeDocument();
}

void ClassDocumentWindow::signInShown(bool signedIn, ClassContext::Shown when)
{
    const QString teacher = QStringLiteral("(") + m_context->headTeacher() + QStringLiteral(")");
    if (signedIn)
        Label5->setText(QStringLiteral("班主任") + teacher + QStringLiteral("已经登陆，可以进行本班") + word()
                        + QStringLiteral("了。"));
    else if (when == ClassContext::Shown::ClassStep)
        Label5->setText(QStringLiteral("班主任任") + teacher + QStringLiteral("没有登陆，还不可以进行本班") + word()
                        + QStringLiteral("。"));
    else
        Label5->setText(QStringLiteral("班主任") + teacher + QStringLiteral("退出了登陆，不可以进行本班") + word()
                        + QStringLiteral("了。"));
    Text1->setReadOnly(!signedIn);
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
    Combo4->clear();
    for (const Document &d : m_listed)
        Combo4->addItem(d.displayName);
    int open = -1;
    for (int i = 0; m_open && i < m_listed.size(); ++i) {
        if (m_listed[i].id == *m_open)
            open = i;
    }
    Combo4->setCurrentIndex(open);
}

void ClassDocumentWindow::ListClassDocuments()
{
    m_open.reset();
    const std::optional<QVector<Document>> listed = readListed();
    showListed(listed.value_or(QVector<Document>()));
}

void ClassDocumentWindow::Combo4_Click()
{
    const int k = Combo4->currentIndex();
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
        Label1->setText(openDocumentTitle(d.displayName, m_context->headTeacher()));
        Text5->clear();
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
    Text2->setText(kind);
    Text5->setText(name);
    const std::optional<QVector<Document>> listed = readListed();
    if (!listed)
        return;
    const QString dear = QStringLiteral("　　尊敬的") + withTeacherTitle(m_context->headTeacher()) + QStringLiteral(",");
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
    const QString text = boxText(Text1);
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
    const QString text = boxText(Text1);
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

void ClassDocumentWindow::Command1_Click()
{
    host().showWindow(m_twin.templates);
}

void ClassDocumentWindow::SendToPrintPage()
{
    host().handToPrintPage(classPrintText(Combo1->currentText(), Combo2->currentText(), word(), Combo3->currentText(),
                                          boxText(Text1)));
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
