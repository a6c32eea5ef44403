#include "shell/print_layout.h"

#include "workbook/gbk.h"

#include <QFontMetricsF>
#include <QVector>

namespace tessaly {

QString printTitle(const QString &document)
{
    qsizetype first = 0;
    qsizetype end = document.size();
    while (first < end && document.at(first) == QLatin1Char(' '))
        ++first;
    while (end > first && document.at(end - 1) == QLatin1Char(' '))
        --end;
    const QStringView trimmed = QStringView(document).mid(first, end - first);
    const qsizetype lineEnd = trimmed.indexOf(u"\r\n");
    return lineEnd < 0 ? QString() : trimmed.left(lineEnd).toString();
}

std::optional<int> printCount(const QString &boxText)
{
    const QString text = boxText.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    for (const QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1)
        return std::nullopt;
    return n;
}

PrintedPages layoutPrintPages(const QString &document, int charsPerLine, int linesPerPage)
{
    PrintedPages pages;
    if (charsPerLine < 1 || linesPerPage < 1)
        return pages;

    // Code points, so a character outside the BMP is one character, with their
    // GBK widths.
    const QList<uint> text = document.toUcs4();
    const qsizetype n = text.size();
    QVector<int> width(n);
    for (qsizetype i = 0; i < n; ++i) {
        const char32_t cp = text[i];
        width[i] = cp < 0x80 ? 1 : gbkByteWidth(QString::fromUcs4(&cp, 1));
    }

    QStringList page;
    QString line;
    int c = 0;                  // columns used on the line
    int cap = charsPerLine;     // columns the line can still hold, less one per full-width character
    int k = 0;                  // lines on the page
    const auto endLine = [&] {
        page.append(line);
        line.clear();
        c = 0;
        cap = charsPerLine;
        ++k;
    };

    for (qsizetype p = 0; p < n; ++p) {
        const char32_t ch = text[p];
        if (ch == U'\r' && p + 1 < n && text[p + 1] == U'\n') {
            endLine();
            ++p;
        } else {
            if (width[p] == 2)
                --cap;
            if (ch == U'\t') {
                line += QStringLiteral("  ");
                c += 2;
            } else {
                if (ch == U'\r' || ch == U'\n')
                    line += QLatin1Char(' ');
                else
                    line += QString::fromUcs4(&ch, 1);
                ++c;
            }
            // One column left and a full-width character next: leave the column empty.
            if (p + 1 < n && width[p + 1] == 2 && cap - c == 1)
                ++c;
            if (c >= cap)
                endLine();
        }
        if (k == linesPerPage) {
            pages.append(page);
            page.clear();
            k = 0;
        }
    }
    if (!line.isEmpty())
        page.append(line);
    if (!page.isEmpty())
        pages.append(page);
    return pages;
}

VerticalTitle fitVerticalTitle(const QString &title, const QFont &font, const QSizeF &box, qreal smallest)
{
    VerticalTitle t;
    for (const char32_t cp : title.trimmed().toUcs4())
        t.characters.append(QString::fromUcs4(&cp, 1));
    const qreal own = font.pointSizeF() > 0 ? font.pointSizeF() : smallest;
    for (qreal points = own;; points -= 1) {
        t.font = font;
        t.font.setPointSizeF(std::max(points, smallest));
        const QFontMetricsF m(t.font);
        t.lineHeight = m.lineSpacing();
        qreal widest = 0;
        for (const QString &c : t.characters)
            widest = std::max(widest, m.horizontalAdvance(c));
        if ((widest <= box.width() && t.characters.size() * t.lineHeight <= box.height()) || points <= smallest)
            break;
    }
    const qsizetype fit = t.lineHeight > 0 ? qsizetype(box.height() / t.lineHeight) : 0;
    if (t.characters.size() > fit) {
        t.characters.resize(std::max<qsizetype>(fit, 1));
        t.characters.last() = QStringLiteral("︙");
    }
    return t;
}

} // namespace tessaly
