#pragma once
// Multi-line text boxes and the program's documents, whose lines end in CR LF:
// the box keeps the lines as its paragraphs.
#include <QString>

class QPlainTextEdit;

namespace tessaly {

// Shows the document in the box.
void setBoxText(QPlainTextEdit *box, const QString &document);

// The box's current text as a document, its lines ending in CR LF.
QString boxText(const QPlainTextEdit *box);

} // namespace tessaly
