#include "kit/text_box.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

namespace tessaly {

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

// The longest start of `text` whose document length is at most `room`, never
// ending inside a surrogate pair.
QString cutToRoom(const QString &text, int room)
{
    int used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const qsizetype step = text.at(end).isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
        const int cost = isLineBreak(text.at(end)) ? 2 : int(step);
        if (used + cost > room)
            break;
        used += cost;
        end += step;
    }
    return text.left(end);
}

} // namespace

void setBoxText(QPlainTextEdit *box, const QString &document)
{
    QString text = document;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box->setPlainText(text);
}

QString boxText(const QPlainTextEdit *box)
{
    // The raw text keeps no-break spaces as they are; paragraphs end in U+2029.
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text;
}

int documentLength(QStringView text)
{
    int length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        length += isLineBreak(text.at(i)) ? 2 : 1;
    }
    return length;
}

LimitedTextBox::LimitedTextBox(int maxLength, QWidget *parent) : QPlainTextEdit(parent), m_maxLength(maxLength) {}

int LimitedTextBox::room() const
{
    return m_maxLength - int(boxText(this).size()) + documentLength(textCursor().selectedText());
}

void LimitedTextBox::keyPressEvent(QKeyEvent *event)
{
    // Keys that insert: Enter (a line break), a printable text or a tab without Ctrl or Alt.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const QString text = event->text();
    const bool printable = !text.isEmpty() && (text.at(0).isPrint() || text.at(0) == u'\t')
                           && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (!isReadOnly() && (enter || printable) && (enter ? 2 : documentLength(text)) > room()) {
        QApplication::beep();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void LimitedTextBox::inputMethodEvent(QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    const QString fits = cutToRoom(commit, room());
    if (fits.size() == commit.size()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QApplication::beep();
    QInputMethodEvent cut(event->preeditString(), event->attributes());
    cut.setCommitString(fits, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&cut);
    event->accept();
}

void LimitedTextBox::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasText() || isReadOnly()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    const QString fits = cutToRoom(text, room());
    if (fits.size() < text.size())
        QApplication::beep();
    if (fits.isEmpty())
        return;
    QTextCursor cursor = textCursor();
    cursor.insertText(fits);
    setTextCursor(cursor);
    ensureCursorVisible();
}

} // namespace tessaly
