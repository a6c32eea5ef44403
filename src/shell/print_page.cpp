#include "shell/print_page.h"

#include "kit/text_box.h"
#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "widgets/fonts.h"
#include "widgets/messages.h"
#include "widgets/text_printer.h"
#include "widgets/units.h"
#include "shell/print_layout.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tessaly {

const QString PrintPage::kDigitsOnlyMessage =
    QStringLiteral("你改成“半角的数字”输入，否则累死你，也输不上新字符，嘿嘿……。");
const QString PrintPage::kCountRefusedMessage =
    QStringLiteral("每页的行数和每行的字数要填大于0的整数，没有打印。");

namespace {

constexpr int kTitleWidthTwips = 855;
constexpr int kShadowTwips = 45;

// The title top to bottom, one character a line, fitted to the label.
class VerticalTitleLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *) override
    {
        const VerticalTitle t = fitVerticalTitle(text(), font(), size());
        QPainter p(this);
        p.setFont(t.font);
        p.setPen(palette().color(QPalette::WindowText));
        QRectF line(0, 0, width(), t.lineHeight);
        for (const QString &c : t.characters) {
            p.drawText(line, Qt::AlignHCenter | Qt::AlignTop, c);
            line.translate(0, t.lineHeight);
        }
    }
};

QLabel *titleLabel(const char *name, const QColor &colour, QWidget *parent)
{
    auto *label = named(new VerticalTitleLabel(parent), name);
    label->setFont(cjkFont(QStringLiteral("楷体_GB2312"), 36, true));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    return label;
}

QLineEdit *setupBox(const char *name, int maxLength, QWidget *parent)
{
    auto *box = named(new QLineEdit(parent), name);
    box->setMaxLength(maxLength);
    box->setAlignment(Qt::AlignCenter);
    box->setFixedWidth(twipsToPixels(900));
    return box;
}

bool allDigits(const QString &text)
{
    for (const QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
    }
    return true;
}

// The keys a set-up box takes: digits and Backspace. Keys that type nothing
// (arrows, Delete), focus moves and shortcuts (Ctrl+C, Ctrl+V) are no typing.
bool refusedKey(const QKeyEvent *key)
{
    if (key->text().isEmpty() || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Tab
        || key->key() == Qt::Key_Backtab)
        return false;
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    return !allDigits(key->text());
}

} // namespace

PrintPage::PrintPage(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host)
{
    setObjectName(QString::fromUtf16(kPrintPage));
    setWindowTitle(QStringLiteral("打印页面"));

    auto *titleColumn = named(new QWidget(this), "titleColumn");
    titleColumn->setFixedWidth(twipsToPixels(kTitleWidthTwips + kShadowTwips));
    Label1 = titleLabel("Label1", QColor(0x9a, 0x9a, 0x9a), titleColumn);
    Label2 = titleLabel("Label2", QColor(0x1c, 0x2f, 0x4a), titleColumn);
    Label2->raise();
    titleColumn->installEventFilter(this);

    Text1 = named(new QPlainTextEdit(this), "Text1");
    Text1->setFont(cjkFont(QStringLiteral("宋体"), 12));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    Label3 = named(new QLabel(QStringLiteral("如果需要其它打印格式,可把以上内容复制到Word或Wps中进行打印"), this),
                   "Label3");
    Command1 = named(new QPushButton(QStringLiteral("打印开始"), this), "Command1");
    Command2 = named(new QPushButton(QStringLiteral("关闭打印"), this), "Command2");

    auto *top = new QHBoxLayout;
    top->addWidget(titleColumn);
    top->addWidget(Text1, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Label3, 1);
    bottom->addWidget(Command1);
    bottom->addWidget(Command2);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    // The set-up panel floats over the page.
    Picture1 = named(new QFrame(this), "Picture1");
    Picture1->setFrameShape(QFrame::Panel);
    Picture1->setFrameShadow(QFrame::Raised);
    Picture1->setAutoFillBackground(true);
    auto *heading = new QLabel(QStringLiteral("简 易 打 印 设 置 "), Picture1);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.3);
    heading->setFont(headingFont);
    heading->setAlignment(Qt::AlignCenter);
    Text2 = setupBox("Text2", 4, Picture1);
    Text3 = setupBox("Text3", 2, Picture1);
    Text4 = setupBox("Text4", 4, Picture1);
    Text5 = setupBox("Text5", 2, Picture1);
    Text6 = setupBox("Text6", 4, Picture1);
    Text7 = setupBox("Text7", 2, Picture1);
    Text8 = setupBox("Text8", 4, Picture1);
    Text9 = setupBox("Text9", 2, Picture1);
    Option1 = named(new QRadioButton(QStringLiteral("用B5纸打印"), Picture1), "Option1");
    Option2 = named(new QRadioButton(QStringLiteral("用A4纸打印"), Picture1), "Option2");
    Command3 = named(new QPushButton(QStringLiteral("确 认"), Picture1), "Command3");
    Command4 = named(new QPushButton(QStringLiteral("取 消"), Picture1), "Command4");

    auto *grid = new QGridLayout(Picture1);
    grid->setContentsMargins(14, 10, 14, 12);
    grid->setHorizontalSpacing(10);
    grid->addWidget(heading, 0, 0, 1, 5);
    const auto paper = [Picture1 = Picture1](const QString &text) {
        auto *label = new QLabel(text, Picture1);
        label->setAlignment(Qt::AlignCenter);
        return label;
    };
    grid->addWidget(paper(QStringLiteral("B5 打 印 纸")), 1, 0, 1, 2);
    grid->addWidget(paper(QStringLiteral("A4 打 印 纸")), 1, 3, 1, 2);
    for (int col : {0, 3}) {
        grid->addWidget(paper(QStringLiteral("默认值")), 2, col);
        grid->addWidget(paper(QStringLiteral("设定值")), 2, col + 1);
    }
    const struct {
        const char16_t *b5;
        QLineEdit *b5Box;
        const char16_t *a4;
        QLineEdit *a4Box;
    } rows[] = {
        {u"上边页边距  1400", Text2, u"上边页边距  1600", Text6},
        {u"每页的行数  59行", Text3, u"每页的行数  70行", Text7},
        {u"左边页边距  1100", Text4, u"左边页边距  1300", Text8},
        {u"每行的字数 80半角", Text5, u"每行的字数 96半角", Text9},
    };
    int r = 3;
    for (const auto &row : rows) {
        grid->addWidget(new QLabel(QString::fromUtf16(row.b5), Picture1), r, 0);
        grid->addWidget(row.b5Box, r, 1);
        grid->addWidget(new QLabel(QString::fromUtf16(row.a4), Picture1), r, 3);
        grid->addWidget(row.a4Box, r, 4);
        ++r;
    }
    grid->setColumnMinimumWidth(2, 16);
    grid->addWidget(Option1, r, 0, 1, 2, Qt::AlignCenter);
    grid->addWidget(Option2, r, 3, 1, 2, Qt::AlignCenter);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command3);
    buttons->addWidget(Command4);
    buttons->addStretch(1);
    grid->addLayout(buttons, r + 1, 0, 1, 5);
    Picture1->adjustSize();
    Picture1->hide();

    for (QLineEdit *box : setupBoxes())
        box->installEventFilter(this);

    connect(Command1, &QPushButton::clicked, this, &PrintPage::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &PrintPage::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &PrintPage::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &PrintPage::Command4_Click);
    resetPanel();
}

QList<QLineEdit *> PrintPage::setupBoxes() const
{
    return {Text2, Text3, Text4, Text5, Text6, Text7, Text8, Text9};
}

void PrintPage::resetPanel()
{
    Text2->setText(QString::number(kPresetB5.topMargin));
    Text3->setText(QString::number(kPresetB5.linesPerPage));
    Text4->setText(QString::number(kPresetB5.leftMargin));
    Text5->setText(QString::number(kPresetB5.charsPerLine));
    Text6->setText(QString::number(kPresetA4.topMargin));
    Text7->setText(QString::number(kPresetA4.linesPerPage));
    Text8->setText(QString::number(kPresetA4.leftMargin));
    Text9->setText(QString::number(kPresetA4.charsPerLine));
    Option2->setChecked(true);
    Picture1->hide();
}

void PrintPage::Form_Load()
{
    // Top left corner of the main window's client area, filling it.
    QWidget *frame = windowFrame(this);
    auto *sub = qobject_cast<QMdiSubWindow *>(frame);
    if (sub && sub->mdiArea())
        frame->resize(sub->mdiArea()->viewport()->size().expandedTo(frame->minimumSizeHint()));
    else
        SetWindowSize(this, 11000, 7500);
    frame->move(0, 0);
    resetPanel();
    setWenben(wenben);
}

void PrintPage::setWenben(const QString &document)
{
    wenben = document;
    setBoxText(Text1, document);
    const QString title = printTitle(document);
    Label1->setText(title);
    Label2->setText(title);
}

void PrintPage::Command1_Click()
{
    placePanel();
    Picture1->show();
    Picture1->raise();
    Text2->setFocus();
}

void PrintPage::Command2_Click()
{
    CloseWindow(this);
}

void PrintPage::Command3_Click()
{
    PrintPlainText();
}

void PrintPage::Command4_Click()
{
    Picture1->hide();
}

void PrintPage::PrintPlainText()
{
    const bool b5 = Option1->isChecked();
    const std::optional<int> chars = printCount((b5 ? Text5 : Text9)->text());
    const std::optional<int> lines = printCount((b5 ? Text3 : Text7)->text());
    if (!chars || !lines) {
        showNotice(this, kCountRefusedMessage, kTitleHintInfo);
        return;
    }
    TextPageFormat format;
    format.paper = b5 ? QPageSize::B5 : QPageSize::A4;
    const PrintOutcome outcome = printTextPages(layoutPrintPages(boxText(Text1), *chars, *lines), format, this);
    switch (outcome.status) {
    case PrintStatus::Printed:
        Picture1->hide();
        break;
    case PrintStatus::Cancelled:
        break;
    case PrintStatus::Failed:
        showNotice(this, outcome.error, kTitleHintInfo);
        break;
    }
}

void PrintPage::placePanel()
{
    Picture1->adjustSize();
    Picture1->move(std::max(0, (width() - Picture1->width()) / 2),
                   std::max(0, (height() - Picture1->height()) / 2));
}

void PrintPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placePanel();
}

bool PrintPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == Label1->parentWidget()) {
        // Label1 stands 45 twips right of and below Label2: a shadowed title.
        const int w = twipsToPixels(kTitleWidthTwips);
        const int h = Label1->parentWidget()->height();
        const int shadow = twipsToPixels(kShadowTwips);
        Label2->setGeometry(0, 0, w, h - shadow);
        Label1->setGeometry(shadow, shadow, w, h - shadow);
        return false;
    }
    const bool box = setupBoxes().contains(qobject_cast<QLineEdit *>(watched));
    if (box && event->type() == QEvent::KeyPress && refusedKey(static_cast<QKeyEvent *>(event))) {
        showNotice(this, kDigitsOnlyMessage, kTitleHint);
        return true;
    }
    if (box && event->type() == QEvent::InputMethod
        && !allDigits(static_cast<QInputMethodEvent *>(event)->commitString())) {
        // Characters an input method commits are typing too.
        showNotice(this, kDigitsOnlyMessage, kTitleHint);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tessaly
