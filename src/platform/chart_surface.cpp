#include "platform/chart_surface.h"

#include "platform/fonts.h"
#include "platform/units.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <cmath>

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

} // namespace

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

void ChartSurface::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(kFrameBack));
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // The frame: a border with the caption set into its top edge.
    const QFont captionFont = cjkFont(QStringLiteral("宋体"), 9);
    p.setFont(captionFont);
    const QFontMetrics metrics(captionFont);
    const int strip = captionHeight(metrics);
    const QRectF border(0.5, strip / 2.0, width() - 1.0, height() - strip / 2.0 - 1.0);
    p.setPen(QPen(palette().color(QPalette::Mid), 1));
    p.drawRect(border);
    const QRectF captionRect(8, 0, metrics.horizontalAdvance(m_frame.caption) + 6, strip);
    p.fillRect(captionRect, QColor(kFrameBack));
    p.setPen(QColor(kBlack));
    p.drawText(captionRect, Qt::AlignCenter, m_frame.caption);

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
    for (int z = 0; z <= top; ++z)
        paintLayer(p, z);
}

void ChartSurface::paintLayer(QPainter &p, int z)
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
                if (l.caption.isEmpty())
                    continue;
                p.save();
                p.setFont(cjkFont(l.face, l.pointSize, l.bold));
                p.setPen(QColor(l.fore));
                // A bar shows its caption only as far as the bar reaches.
                const int clip = l.opaque ? 0 : int(Qt::TextDontClip);
                const int wrap = l.wordWrap ? int(Qt::TextWordWrap) : 0;
                const int flags = int(l.alignment) | Qt::AlignTop | wrap | clip;
                if (l.lineHeight > 0) {
                    QRectF line = r;
                    for (const QString &text : l.caption.split(QLatin1Char('\n'))) {
                        p.drawText(line, flags, text);
                        line.translate(0, l.lineHeight * kScale);
                    }
                } else {
                    p.drawText(r, flags, l.caption);
                }
                p.restore();
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
