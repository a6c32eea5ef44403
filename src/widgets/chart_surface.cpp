#include "widgets/chart_surface.h"

#include "widgets/fonts.h"
#include "widgets/units.h"

#include <QFontMetricsF>
#include <QHash>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <optional>

namespace tessaly::chart {

int roundEven(double value)
{
    return int(std::nearbyint(value));   // the default rounding mode: to nearest, ties to even
}

namespace {

template <class E>
E &member(QMap<QString, QVector<E>> &arrays, const QString &array, int index)
{
    QVector<E> &items = arrays[array];
    const int at = std::max(index, 0);
    if (at >= items.size())
        items.resize(at + 1);
    return items[at];
}

template <class E>
const E *found(const QMap<QString, QVector<E>> &arrays, const QString &array, int index)
{
    const auto it = arrays.constFind(array);
    if (it == arrays.constEnd() || index < 0 || index >= it->size())
        return nullptr;
    return &(*it)[index];
}

template <class E>
void hideFrom(QMap<QString, QVector<E>> &arrays, const QString &array, int first)
{
    const auto it = arrays.find(array);
    if (it == arrays.end())
        return;
    for (int i = std::max(first, 0); i < it->size(); ++i)
        (*it)[i].visible = false;
}

constexpr double kScale = 1.0 / kTwipsPerPixel;

QRectF pixels(int left, int top, int width, int height)
{
    return {left * kScale, top * kScale, width * kScale, height * kScale};
}

// The height of the caption strip: the frame's border starts half way down it.
int captionHeight(const QFontMetrics &metrics)
{
    return metrics.height();
}

int captionFlags(const LabelElement &l)
{
    // A bar shows its caption only as far as the bar reaches.
    const int clip = l.opaque ? 0 : int(Qt::TextDontClip);
    const int wrap = l.wordWrap ? int(Qt::TextWordWrap) : 0;
    return int(l.alignment) | Qt::AlignTop | wrap | clip;
}

// What the lines laid out from `box`, one lineStep apart, cover: a rectangle
// a line, leaving out the font's empty room above and below its glyphs.
QList<QRectF> inksOf(const QFont &font, const QRectF &box, int flags, const QStringList &lines, qreal lineStep)
{
    const QFontMetricsF m(font);
    const qreal em = m.horizontalAdvance(QChar(0x4E00));
    const qreal above = std::max(0.0, m.ascent() - 0.92 * em);
    const qreal below = std::max(0.0, m.descent() - 0.14 * em);
    QList<QRectF> inks;
    QRectF line = box;
    for (const QString &text : lines) {
        QRectF r = m.boundingRect(line, flags, text);
        if (r.height() > above + below)
            r.adjust(0, above, 0, -below);
        if (!text.isEmpty())
            inks.append(r);
        line.translate(0, lineStep);
    }
    return inks;
}

QRectF unionOf(const QList<QRectF> &rects)
{
    QRectF all;
    for (const QRectF &r : rects)
        all = all.isNull() ? r : all.united(r);
    return all;
}

QList<QRectF> moved(QList<QRectF> rects, const QPointF &by)
{
    for (QRectF &r : rects)
        r.translate(by);
    return rects;
}

bool clear(const QList<QRectF> &inks, const QList<QRectF> &obstacles, const QRectF &inside)
{
    for (const QRectF &ink : inks) {
        // Touching edges is no overlap.
        const QRectF core = ink.adjusted(0.25, 0.25, -0.25, -0.25);
        if (!inside.contains(core))
            return false;
        for (const QRectF &o : obstacles)
            if (core.intersects(o))
                return false;
    }
    return true;
}

// The shortest move, along one axis, that takes the caption clear of the
// obstacles and keeps it inside; nullopt when there is none.
std::optional<QPointF> clearing(const QList<QRectF> &inks, const QList<QRectF> &obstacles, const QRectF &inside)
{
    if (clear(inks, obstacles, inside))
        return QPointF();
    const QRectF ink = unionOf(inks);
    QList<QPointF> moves;
    const qreal gap = 0.5;
    for (const QRectF &o : obstacles) {
        moves.append({0, o.bottom() - ink.top() + gap});
        moves.append({0, o.top() - ink.bottom() - gap});
        moves.append({o.right() - ink.left() + gap, 0});
        moves.append({o.left() - ink.right() - gap, 0});
    }
    moves.append({inside.left() - ink.left(), 0});
    moves.append({inside.right() - ink.right(), 0});
    moves.append({0, inside.bottom() - ink.bottom()});
    // Down or aside before up: a caption below an axis stays below it.
    const auto cost = [](const QPointF &m) { return std::abs(m.x()) + (m.y() < 0 ? -2 * m.y() : m.y()); };
    std::stable_sort(moves.begin(), moves.end(), [&](const QPointF &a, const QPointF &b) { return cost(a) < cost(b); });
    for (const QPointF &m : moves) {
        // A caption stays beside what it names: at most half its width aside.
        if (std::abs(m.x()) > ink.width() / 2)
            continue;
        if (clear(moved(inks, m), obstacles, inside))
            return m;
    }
    return std::nullopt;
}

} // namespace

QList<DrawnCaption> fitCaptions(const ChartFrame &frame, const QRectF &frameCaption)
{
    const QRectF inside(kCaptionMargin, kCaptionMargin, frame.width * kScale - 2 * kCaptionMargin,
                        frame.height * kScale - 2 * kCaptionMargin);
    int top = 0;
    for (const QVector<LabelElement> &items : frame.labels())
        for (const LabelElement &l : items)
            top = std::max(top, l.z);

    QList<DrawnCaption> drawn;
    QList<QRectF> placed;
    if (!frameCaption.isEmpty())
        placed.append(frameCaption);
    // Opaque labels first, in drawing order: a caption stays in the part of its
    // label that the labels drawn over it leave open, cut off at its edges, and
    // shrinks to that part's width.
    QList<const LabelElement *> opaque;
    for (int z = 0; z <= top; ++z)
        for (const QVector<LabelElement> &items : frame.labels())
            for (const LabelElement &l : items)
                if (l.visible && l.opaque && l.z == z)
                    opaque.append(&l);
    for (qsizetype i = 0; i < opaque.size(); ++i) {
        const LabelElement &l = *opaque[i];
        if (l.caption.isEmpty())
            continue;
        DrawnCaption c{&l, {}, {l.caption}, pixels(l.left, l.top, l.width, l.height), {}, captionFlags(l)};
        for (qsizetype j = i + 1; j < opaque.size(); ++j) {
            const QRectF over = pixels(opaque[j]->left, opaque[j]->top, opaque[j]->width, opaque[j]->height);
            if (!over.intersects(c.box))
                continue;
            if (over.left() > c.box.left())
                c.box.setRight(std::min(c.box.right(), over.left()));
            else
                c.box.setLeft(std::max(c.box.left(), over.right()));
        }
        for (qreal points = l.pointSize;; points -= 0.5) {
            c.font = cjkFont(l.face, std::max(points, kSmallestPoints), l.bold);
            c.ink = unionOf(inksOf(c.font, c.box, c.flags, c.lines, 0));
            if (c.ink.width() <= c.box.width() + 0.5 || points <= kSmallestPoints)
                break;
        }
        c.ink = c.ink & c.box & inside;
        if (c.ink.isEmpty())
            continue;   // a bar of no height shows nothing
        c.inks = {c.ink};
        placed.append(c.ink);
        drawn.append(c);
    }

    // Transparent captions, the shortest first: arrows, axis numbers and
    // values stay where they mark something; longer texts make way for them.
    QList<const LabelElement *> transparent;
    for (int z = 0; z <= top; ++z)
        for (const QVector<LabelElement> &items : frame.labels())
            for (const LabelElement &l : items)
                if (l.visible && !l.opaque && l.z == z && !l.caption.isEmpty())
                    transparent.append(&l);
    std::stable_sort(transparent.begin(), transparent.end(), [](const LabelElement *a, const LabelElement *b) {
        return a->caption.size() < b->caption.size();
    });
    for (const LabelElement *label : transparent) {
        const LabelElement &l = *label;
        const int z = l.z;
        DrawnCaption c{&l, {}, l.lineHeight > 0 ? l.caption.split(QLatin1Char('\n')) : QStringList{l.caption},
                       pixels(l.left, l.top, l.width, l.height), {}, captionFlags(l)};
        const qreal step = l.lineHeight * kScale;
        // A bordered box or a label of stepped lines holds its lines; other
        // captions may run below their labels where nothing else stands.
        const bool boxed = l.border || l.lineHeight > 0;
        // The largest size, from the label's own down to the smallest, at which it fits.
        for (qreal points = l.pointSize;; points -= 0.5) {
            c.font = cjkFont(l.face, std::max(points, kSmallestPoints), l.bold);
            c.inks = inksOf(c.font, c.box, c.flags, c.lines, step);
            c.ink = unionOf(c.inks);
            const QFontMetricsF m(c.font);
            const bool fits = c.ink.width() <= c.box.width() + 0.5
                              && (!boxed || c.ink.bottom() <= c.box.bottom() + (l.border ? -2 : 0.5))
                              && (step == 0 || m.horizontalAdvance(QChar(0x4E00)) <= step);
            if (fits || points <= kSmallestPoints)
                break;
        }
        // What an opaque label of a higher layer mostly hides stays hidden; a
        // caption it would cut is moved clear of it.
        QList<QRectF> obstacles = placed;
        bool hidden = false;
        for (const QVector<LabelElement> &covers : frame.labels())
            for (const LabelElement &cover : covers) {
                if (!cover.visible || !cover.opaque || cover.z <= z)
                    continue;
                const QRectF r = pixels(cover.left, cover.top, cover.width, cover.height);
                const QRectF under = r & c.ink;
                if (under.width() * under.height() * 2 >= c.ink.width() * c.ink.height())
                    hidden = true;
                obstacles.append(r);
            }
        // Beyond the frame's edge a caption is not seen at all.
        if (hidden || !c.ink.intersects(inside))
            continue;
        std::optional<QPointF> move = clearing(c.inks, obstacles, inside);
        if (!move && c.lines.size() == 1 && !l.wordWrap) {
            const QFontMetricsF m(c.font);
            c.lines[0] = m.elidedText(l.caption, Qt::ElideRight, c.box.width());
            c.inks = inksOf(c.font, c.box, c.flags, c.lines, step);
            c.ink = unionOf(c.inks);
            move = clearing(c.inks, obstacles, inside);
        }
        if (move) {
            c.box.translate(*move);
            c.ink.translate(*move);
            c.inks = moved(c.inks, *move);
        }
        placed.append(c.inks);
        drawn.append(c);
    }
    return drawn;
}

LabelElement &ChartFrame::label(const QString &array, int index) { return member(m_labels, array, index); }
LineElement &ChartFrame::line(const QString &array, int index) { return member(m_lines, array, index); }
ShapeElement &ChartFrame::shape(const QString &array, int index) { return member(m_shapes, array, index); }

const LabelElement *ChartFrame::findLabel(const QString &array, int index) const
{
    return found(m_labels, array, index);
}
const LineElement *ChartFrame::findLine(const QString &array, int index) const
{
    return found(m_lines, array, index);
}
const ShapeElement *ChartFrame::findShape(const QString &array, int index) const
{
    return found(m_shapes, array, index);
}

void ChartFrame::hideLabelsFrom(const QString &array, int first) { hideFrom(m_labels, array, first); }
void ChartFrame::hideLinesFrom(const QString &array, int first) { hideFrom(m_lines, array, first); }
void ChartFrame::hideShapesFrom(const QString &array, int first) { hideFrom(m_shapes, array, first); }

const LabelElement *ChartFrame::labelAt(int x, int y) const
{
    // The last one drawn is on top: by layer, transparent labels after opaque ones.
    const LabelElement *hit = nullptr;
    for (const QVector<LabelElement> &items : m_labels)
        for (const LabelElement &l : items)
            if (l.visible && x >= l.left && x < l.left + l.width && y >= l.top && y < l.top + l.height
                && (!hit || std::pair(l.z, !l.opaque) >= std::pair(hit->z, !hit->opaque)))
                hit = &l;
    return hit;
}

ChartSurface::ChartSurface(const ChartFrame &frame, QWidget *parent) : QWidget(parent), m_frame(frame)
{
    setObjectName(frame.caption);
    setMouseTracking(true);
    place();
}

void ChartSurface::place()
{
    setGeometry(twipsToPixels(m_frame.left), twipsToPixels(m_frame.top), twipsToPixels(m_frame.width),
                twipsToPixels(m_frame.height));
    update();
}

void ChartSurface::setBlank(bool blank)
{
    m_blank = blank;
    update();
}

QRectF ChartSurface::captionRect() const
{
    const QFontMetrics metrics(cjkFont(QStringLiteral("宋体"), 9));
    return {8, 0, qreal(metrics.horizontalAdvance(m_frame.caption) + 6), qreal(captionHeight(metrics))};
}

void ChartSurface::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(kFrameBack));
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // The frame: a border with the caption set into its top edge.
    const QFont captionFont = cjkFont(QStringLiteral("宋体"), 9);
    p.setFont(captionFont);
    const QRectF captionStrip = captionRect();
    const qreal strip = captionStrip.height();
    const QRectF border(0.5, strip / 2.0, width() - 1.0, height() - strip / 2.0 - 1.0);
    p.setPen(QPen(palette().color(QPalette::Mid), 1));
    p.drawRect(border);
    p.fillRect(captionStrip, QColor(kFrameBack));
    p.setPen(QColor(kBlack));
    p.drawText(captionStrip, Qt::AlignCenter, m_frame.caption);
    if (m_blank)
        return;

    int top = 0;
    for (const auto &items : m_frame.labels())
        for (const LabelElement &l : items)
            top = std::max(top, l.z);
    for (const auto &items : m_frame.lines())
        for (const LineElement &l : items)
            top = std::max(top, l.z);
    for (const auto &items : m_frame.shapes())
        for (const ShapeElement &s : items)
            top = std::max(top, s.z);
    const QList<DrawnCaption> fitted = fitCaptions(m_frame, captionStrip);
    QHash<const LabelElement *, const DrawnCaption *> captions;
    for (const DrawnCaption &c : fitted)
        captions.insert(c.label, &c);
    for (int z = 0; z <= top; ++z)
        paintLayer(p, z, captions);
}

void ChartSurface::paintLayer(QPainter &p, int z, const QHash<const LabelElement *, const DrawnCaption *> &captions)
{
    for (const QVector<ShapeElement> &items : m_frame.shapes())
        for (const ShapeElement &s : items) {
            if (!s.visible || s.z != z || s.kind != ShapeElement::Kind::Rectangle)
                continue;
            const QRectF r = pixels(s.left, s.top, s.width, s.height);
            if (s.filled)
                p.fillRect(r, QColor(s.fill));
            if (s.hatched) {
                p.setPen(QPen(QColor(s.hatch), 1));
                const double step = 8;
                for (double x = r.left() + step; x < r.right(); x += step)
                    p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
                for (double y = r.top() + step; y < r.bottom(); y += step)
                    p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
            }
            p.setPen(QPen(QColor(s.border), 1));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r);
        }

    const auto drawCaption = [&](const LabelElement &l) {
        const DrawnCaption *c = captions.value(&l);
        if (!c)
            return;
        p.save();
        p.setFont(c->font);
        p.setPen(QColor(l.fore));
        QRectF line = c->box;
        for (const QString &text : c->lines) {
            p.drawText(line, c->flags, text);
            line.translate(0, l.lineHeight * kScale);
        }
        p.restore();
    };
    const auto drawLabels = [&](bool opaque) {
        for (const QVector<LabelElement> &items : m_frame.labels())
            for (const LabelElement &l : items) {
                if (!l.visible || l.z != z || l.opaque != opaque)
                    continue;
                const QRectF r = pixels(l.left, l.top, l.width, l.height);
                if (l.opaque)
                    p.fillRect(r, QColor(l.back));
                if (l.border) {
                    p.setPen(QPen(QColor(kBlack), 1));
                    p.setBrush(Qt::NoBrush);
                    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
                }
                drawCaption(l);
            }
    };
    drawLabels(true);

    for (const QVector<LineElement> &items : m_frame.lines())
        for (const LineElement &l : items) {
            if (!l.visible || l.z != z)
                continue;
            QPen pen{QColor(l.colour), double(std::max(l.width, 1))};
            pen.setStyle(l.dotted ? Qt::DotLine : Qt::SolidLine);
            pen.setCapStyle(Qt::FlatCap);
            p.setPen(pen);
            p.drawLine(QPointF(l.x1 * kScale, l.y1 * kScale), QPointF(l.x2 * kScale, l.y2 * kScale));
        }

    for (const QVector<ShapeElement> &items : m_frame.shapes())
        for (const ShapeElement &s : items) {
            if (!s.visible || s.z != z || s.kind != ShapeElement::Kind::Circle)
                continue;
            p.setPen(QPen(QColor(s.border), 1));
            p.setBrush(s.filled ? QBrush(QColor(s.fill)) : QBrush(Qt::NoBrush));
            p.drawEllipse(pixels(s.left, s.top, s.width, s.height));
        }

    drawLabels(false);
}

bool ChartSurface::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const LabelElement *l = m_frame.labelAt(pixelsToTwips(help->pos().x()), pixelsToTwips(help->pos().y()));
        if (l && !l->toolTip.isEmpty())
            QToolTip::showText(help->globalPos(), l->toolTip, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void ChartSurface::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    const LabelElement *l = m_frame.labelAt(pixelsToTwips(at.x()), pixelsToTwips(at.y()));
    if (l && l->pointer)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    QWidget::mouseMoveEvent(event);
}

} // namespace tessaly::chart
