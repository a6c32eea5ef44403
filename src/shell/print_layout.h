#pragma once
// The print page's rules, free of widgets: the title it shows for a document,
// the count boxes of its set-up panel, and how a document is broken into the
// lines and pages that are printed.
//
// A document is plain text whose lines end in CR LF; its first line is the title.
#include <QFont>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>

namespace tessaly {

// The two paper presets of the set-up panel: the initial texts of their boxes.
struct PrintPreset {
    int topMargin;      // twips; shown, never read by printing
    int linesPerPage;
    int leftMargin;     // twips; shown, never read by printing
    int charsPerLine;   // half-width columns
};
inline constexpr PrintPreset kPresetB5{1400, 59, 1100, 80};
inline constexpr PrintPreset kPresetA4{1600, 70, 1300, 96};

// The title of a document: its text with the blanks (U+0020) at both ends
// removed, up to the first CR LF; empty when it holds no CR LF.
QString printTitle(const QString &document);

// A count box's value: a whole number of at least 1. nullopt for an empty box,
// a text that is not a number, or 0.
std::optional<int> printCount(const QString &boxText);

// Printed lines, page by page.
using PrintedPages = QList<QStringList>;

// Breaks the document into lines of charsPerLine columns and pages of
// linesPerPage lines:
// - a full-width character (two bytes in GBK) takes two columns and is never
//   split across the end of a line: a line that would end in its middle ends
//   one column early;
// - a tab prints as two blanks;
// - CR LF ends a line; a lone CR or LF prints as a blank;
// - a line ends when it is full, and a CR LF right after a full line ends an
//   empty one;
// - a page holds linesPerPage lines, counting both kinds of line end.
// Nothing is added: no header, footer or page number; the title is the first
// line. A page left without any line at the end is not printed. Counts below 1
// give no pages (the page refuses them first).
PrintedPages layoutPrintPages(const QString &document, int charsPerLine, int linesPerPage);

// The title set top to bottom, one character a line, in a box (pixels): the
// font shrunk from its own size, down to `smallest` points, until the widest
// character fits the box's width and the column its height. A column still
// too tall at the smallest size is cut after the last character that fits,
// which becomes "︙". Blanks at either end take no line.
struct VerticalTitle {
    QFont font;
    QStringList characters;   // one a line
    qreal lineHeight = 0;     // pixels
};
inline constexpr qreal kSmallestTitlePoints = 12;
VerticalTitle fitVerticalTitle(const QString &title, const QFont &font, const QSizeF &box,
                               qreal smallest = kSmallestTitlePoints);

} // namespace tessaly
