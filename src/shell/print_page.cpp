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
    titleShadow = titleLabel("Label1", QColor(0x9a, 0x9a, 0x9a), titleColumn);
    titleText = titleLabel("Label2", QColor(0x1c, 0x2f, 0x4a), titleColumn);
    titleText->raise();
    titleColumn->installEventFilter(this);

    documentBox = named(new QPlainTextEdit(this), "Text1");
    documentBox->setFont(cjkFont(QStringLiteral("宋体"), 12));
    documentBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    documentBox->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    wordHint = named(new QLabel(QStringLiteral("如果需要其它打印格式,可把以上内容复制到Word或Wps中进行打印"), this),
                   "Label3");
    startPrintButton = named(new QPushButton(QStringLiteral("打印开始"), this), "Command1");
    closeButton = named(new QPushButton(QStringLiteral("关闭打印"), this), "Command2");

    auto *top = new QHBoxLayout;
    top->addWidget(titleColumn);
    top->addWidget(documentBox, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(wordHint, 1);
    bottom->addWidget(startPrintButton);
    bottom->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    // The set-up panel floats over the page.
    setupPanel = named(new QFrame(this), "Picture1");
    setupPanel->setFrameShape(QFrame::Panel);
    setupPanel->setFrameShadow(QFrame::Raised);
    setupPanel->setAutoFillBackground(true);
    auto *heading = new QLabel(QStringLiteral("简 易 打 印 设 置 "), setupPanel);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.3);
    heading->setFont(headingFont);
    heading->setAlignment(Qt::AlignCenter);
    b5TopBox = setupBox("Text2", 4, setupPanel);
    b5LinesBox = setupBox("Text3", 2, setupPanel);
    b5LeftBox = setupBox("Text4", 4, setupPanel);
    b5CharsBox = setupBox("Text5", 2, setupPanel);
    a4TopBox = setupBox("Text6", 4, setupPanel);
    a4LinesBox = setupBox("Text7", 2, setupPanel);
    a4LeftBox = setupBox("Text8", 4, setupPanel);
    a4CharsBox = setupBox("Text9", 2, setupPanel);
    b5Option = named(new QRadioButton(QStringLiteral("用B5纸打印"), setupPanel), "Option1");
    a4Option = named(new QRadioButton(QStringLiteral("用A4纸打印"), setupPanel), "Option2");
    confirmPrintButton = named(new QPushButton(QStringLiteral("确 认"), setupPanel), "Command3");
    cancelPrintButton = named(new QPushButton(QStringLiteral("取 消"), setupPanel), "Command4");

    auto *grid = new QGridLayout(setupPanel);
    grid->setContentsMargins(14, 10, 14, 12);
    grid->setHorizontalSpacing(10);
    grid->addWidget(heading, 0, 0, 1, 5);
    const auto paper = [setupPanel = setupPanel](const QString &text) {
        auto *label = new QLabel(text, setupPanel);
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
        {u"上边页边距  1400", b5TopBox, u"上边页边距  1600", a4TopBox},
        {u"每页的行数  59行", b5LinesBox, u"每页的行数  70行", a4LinesBox},
        {u"左边页边距  1100", b5LeftBox, u"左边页边距  1300", a4LeftBox},
        {u"每行的字数 80半角", b5CharsBox, u"每行的字数 96半角", a4CharsBox},
    };
    int r = 3;
    for (const auto &row : rows) {
        grid->addWidget(new QLabel(QString::fromUtf16(row.b5), setupPanel), r, 0);
        grid->addWidget(row.b5Box, r, 1);
        grid->addWidget(new QLabel(QString::fromUtf16(row.a4), setupPanel), r, 3);
        grid->addWidget(row.a4Box, r, 4);
        ++r;
    }
    grid->setColumnMinimumWidth(2, 16);
    grid->addWidget(b5Option, r, 0, 1, 2, Qt::AlignCenter);
    grid->addWidget(a4Option, r, 3, 1, 2, Qt::AlignCenter);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(confirmPrintButton);
    buttons->addWidget(cancelPrintButton);
    buttons->addStretch(1);
    grid->addLayout(buttons, r + 1, 0, 1, 5);
    setupPanel->adjustSize();
    setupPanel->hide();

    for (QLineEdit *box : setupBoxes())
        box->installEventFilter(this);

    connect(startPrintButton, &QPushButton::clicked, this, &PrintPage::startPrintClicked);
    connect(closeButton, &QPushButton::clicked, this, &PrintPage::closeClicked);
    connect(confirmPrintButton, &QPushButton::clicked, this, &PrintPage::confirmPrintClicked);
    connect(cancelPrintButton, &QPushButton::clicked, this, &PrintPage::cancelPrintClicked);
    resetPanel();
}

QList<QLineEdit *> PrintPage::setupBoxes() const
{
    return {b5TopBox, b5LinesBox, b5LeftBox, b5CharsBox, a4TopBox, a4LinesBox, a4LeftBox, a4CharsBox};
}

void PrintPage::resetPanel()
{
    b5TopBox->setText(QString::number(kPresetB5.topMargin));
    b5LinesBox->setText(QString::number(kPresetB5.linesPerPage));
    b5LeftBox->setText(QString::number(kPresetB5.leftMargin));
    b5CharsBox->setText(QString::number(kPresetB5.charsPerLine));
    a4TopBox->setText(QString::number(kPresetA4.topMargin));
    a4LinesBox->setText(QString::number(kPresetA4.linesPerPage));
    a4LeftBox->setText(QString::number(kPresetA4.leftMargin));
    a4CharsBox->setText(QString::number(kPresetA4.charsPerLine));
    a4Option->setChecked(true);
    setupPanel->hide();
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
    setBoxText(documentBox, document);
    const QString title = printTitle(document);
    titleShadow->setText(title);
    titleText->setText(title);
}

void PrintPage::startPrintClicked()
{
    placePanel();
    setupPanel->show();
    setupPanel->raise();
    b5TopBox->setFocus();
}

void PrintPage::closeClicked()
{
    CloseWindow(this);
}

void PrintPage::confirmPrintClicked()
{
    PrintPlainText();
}

void PrintPage::cancelPrintClicked()
{
    setupPanel->hide();
}

void PrintPage::PrintPlainText()
{
    const bool b5 = b5Option->isChecked();
    const std::optional<int> chars = printCount((b5 ? b5CharsBox : a4CharsBox)->text());
    const std::optional<int> lines = printCount((b5 ? b5LinesBox : a4LinesBox)->text());
    if (!chars || !lines) {
        showNotice(this, kCountRefusedMessage, kTitleHintInfo);
        return;
    }
    TextPageFormat format;
    format.paper = b5 ? QPageSize::B5 : QPageSize::A4;
    const PrintOutcome outcome = printTextPages(layoutPrintPages(boxText(documentBox), *chars, *lines), format, this);
    switch (outcome.status) {
    case PrintStatus::Printed:
        setupPanel->hide();
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
    setupPanel->adjustSize();
    setupPanel->move(std::max(0, (width() - setupPanel->width()) / 2),
                   std::max(0, (height() - setupPanel->height()) / 2));
}

void PrintPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placePanel();
}

bool PrintPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == titleShadow->parentWidget()) {
        // titleShadow stands 45 twips right of and below titleText: a shadowed title.
        const int w = twipsToPixels(kTitleWidthTwips);
        const int h = titleShadow->parentWidget()->height();
        const int shadow = twipsToPixels(kShadowTwips);
        titleText->setGeometry(0, 0, w, h - shadow);
        titleShadow->setGeometry(shadow, shadow, w, h - shadow);
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
