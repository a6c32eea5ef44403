#pragma once
// Multi-line text boxes and the program's documents, whose lines end in CR LF:
// the box keeps the lines as its paragraphs.
#include <QPlainTextEdit>
#include <QString>

namespace tessaly {

// Shows the document in the box.
void setBoxText(QPlainTextEdit *box, const QString &document);

// The box's current text as a document, its lines ending in CR LF.
QString boxText(const QPlainTextEdit *box);

// The length a text takes as a document: each line break (LF, CR, CR LF, a
// paragraph or line separator) counts as CR LF, two characters.
int documentLength(QStringView text);

// A box that takes at most maxLength characters of document (boxText's length):
// typing, an input method's text, pasting and dropping stop there, a pasted
// text is cut to the room left. Text the program sets or inserts is not cut, and
// a box above the limit still takes deletions.
class LimitedTextBox : public QPlainTextEdit {
public:
    explicit LimitedTextBox(int maxLength, QWidget *parent = nullptr);
    int maxLength() const { return m_maxLength; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    // Characters of document that may take the place of the selection.
    int room() const;

    int m_maxLength;
};

} // namespace tessaly
