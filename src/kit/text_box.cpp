#include "kit/text_box.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace tessaly {

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

} // namespace tessaly
