#pragma once
// Charts made of elements: a titled frame holding numbered arrays of labels,
// lines and shapes, placed in twips from the frame's top-left corner (x to
// the right, y downwards). A chart is drawn only by moving, sizing, colouring,
// captioning, showing and hiding its elements; ChartSurface shows a frame.
//
//   ChartFrame f{u"总体级别分布图"_s, 4320, 480, 2295, 3255};
//   LabelElement &bar = f.label(u"Label2"_s, 0);
//   bar.top = 2880 - h; bar.height = h;
//   surface->update();
//
// Tests read the elements (geometry, captions, colours) and where their captions
// are drawn (fitCaptions).
#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QVector>
#include <QWidget>

class QPainter;

namespace tessaly::chart {

// A colour written &HBBGGRR (0x0000FF is red, 0xFF0000 blue).
constexpr QRgb bgr(unsigned value)
{
    return qRgb(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}
inline constexpr QRgb kRed = bgr(0x0000FF);
inline constexpr QRgb kBrightGreen = bgr(0x00FF00);
inline constexpr QRgb kGreen = bgr(0x00C000);
inline constexpr QRgb kBlue = bgr(0xFF0000);
inline constexpr QRgb kOrange = bgr(0x0080FF);
inline constexpr QRgb kCyan = bgr(0xFFFF00);
inline constexpr QRgb kWhite = bgr(0xFFFFFF);
inline constexpr QRgb kBlack = bgr(0x000000);
// The frame's own background (the Windows button face).
inline constexpr QRgb kFrameBack = bgr(0xF0F0F0);

// A whole number from a computed value: the nearest, an exact half going to the
// even neighbour (442.5 -> 442, 147.5 -> 148).
int roundEven(double value);

struct LabelElement {
    int left = 0, top = 0, width = 0, height = 0;
    QString caption;
    QString face = QStringLiteral("宋体");   // font face, as the Windows face is named
    qreal pointSize = 9;
    bool bold = false;
    QRgb fore = kBlack;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool wordWrap = true;     // false: one line, running past the label's sides
    QRgb back = kWhite;
    bool opaque = false;      // transparent: only the caption is drawn
    bool border = false;      // thin border
    QString toolTip;          // shown while the mouse rests on the label
    bool pointer = false;     // the chart pointer while the mouse is over the label
    int lineHeight = 0;       // twips between the caption's lines; 0: the font's own
    int z = 0;                // a higher layer is drawn over a lower one
    bool visible = true;
};

struct LineElement {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    QRgb colour = kBlack;
    int width = 1;            // 1 or 2
    bool dotted = false;
    int z = 0;
    bool visible = true;
};

struct ShapeElement {
    enum class Kind { Circle, Rectangle };
    Kind kind = Kind::Circle;
    int left = 0, top = 0, width = 0, height = 0;
    QRgb fill = kWhite;
    QRgb border = kBlack;
    bool filled = true;
    bool hatched = false;     // white horizontal and vertical hatching over the fill
    QRgb hatch = kWhite;
    int z = 0;
    bool visible = true;
};

// A titled frame and its element arrays, addressed by array name and index
// (label(u"Label7"_s, 26)). An index past an array's end grows the array with
// default elements, so an array holds as many members as a chart places.
class ChartFrame {
public:
    ChartFrame() = default;
    ChartFrame(const QString &caption, int left, int top, int width, int height)
        : caption(caption), left(left), top(top), width(width), height(height)
    {
    }

    QString caption;
    int left = 0, top = 0, width = 0, height = 0;   // in the window, twips

    LabelElement &label(const QString &array, int index);
    LineElement &line(const QString &array, int index);
    ShapeElement &shape(const QString &array, int index);
    // Reading without growing: nullptr for a member that does not exist.
    const LabelElement *findLabel(const QString &array, int index) const;
    const LineElement *findLine(const QString &array, int index) const;
    const ShapeElement *findShape(const QString &array, int index) const;

    int labelCount(const QString &array) const { return int(m_labels.value(array).size()); }
    int lineCount(const QString &array) const { return int(m_lines.value(array).size()); }
    int shapeCount(const QString &array) const { return int(m_shapes.value(array).size()); }

    // Hides the members from `first` to the array's end.
    void hideLabelsFrom(const QString &array, int first);
    void hideLinesFrom(const QString &array, int first);
    void hideShapesFrom(const QString &array, int first);

    // Drawing order, layer by layer (z): rectangles, opaque labels, lines, circles,
    // transparent labels. An opaque label's caption is cut off at its edges.
    const QMap<QString, QVector<LabelElement>> &labels() const { return m_labels; }
    const QMap<QString, QVector<LineElement>> &lines() const { return m_lines; }
    const QMap<QString, QVector<ShapeElement>> &shapes() const { return m_shapes; }

    // The topmost label under a point (twips); nullptr when none.
    const LabelElement *labelAt(int x, int y) const;

private:
    QMap<QString, QVector<LabelElement>> m_labels;
    QMap<QString, QVector<LineElement>> m_lines;
    QMap<QString, QVector<ShapeElement>> m_shapes;
};

// A caption as it is drawn, in pixels from the frame's top-left corner. A
// transparent label's caption is fitted: shrunk (down to kSmallestPoints) until
// it fits its label's width (and height, for a bordered label or one of stepped
// lines), then moved the least distance that keeps it clear of the
// captions placed before it (shorter ones first) and inside the frame, at least
// kCaptionMargin from its border, and
// elided to its label when no such place exists. An opaque label's caption stays in its label, cut off
// at its edges.
struct DrawnCaption {
    const LabelElement *label = nullptr;
    QFont font;
    QStringList lines;   // one line, or the caption's lines of a label with lineHeight
    QRectF box;          // where the text is laid out, with `flags`
    QRectF ink;          // what the text covers
    int flags = 0;
    QList<QRectF> inks;  // what the text covers, line by line
};
inline constexpr qreal kSmallestPoints = 6;
// Pixels a transparent caption keeps from the frame's border.
inline constexpr qreal kCaptionMargin = 3;
// Every visible caption of the frame as it is drawn; `frameCaption` is the
// frame's title strip, which captions keep clear of.
QList<DrawnCaption> fitCaptions(const ChartFrame &frame, const QRectF &frameCaption = {});

// Shows a ChartFrame: the frame's border and caption, then its visible
// elements, at the frame's position in its parent. Geometry is converted from
// twips to device-independent pixels and drawn with antialiasing, so it stays
// sharp at any screen scale. Labels show their tooltips; a label marked with
// `pointer` shows the pointing-hand cursor.
class ChartSurface : public QWidget {
    Q_OBJECT
public:
    explicit ChartSurface(const ChartFrame &frame, QWidget *parent = nullptr);

    const ChartFrame &frame() const { return m_frame; }
    // For changing elements; call update() afterwards (or place() after moving the frame).
    ChartFrame &frame() { return m_frame; }
    // Moves and sizes the widget to the frame's left, top, width and height.
    void place();
    // A blank surface shows its frame and caption only, none of the elements:
    // a chart before anything is drawn in it.
    void setBlank(bool blank);
    bool isBlank() const { return m_blank; }
    // The frame's title strip, in pixels.
    QRectF captionRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void paintLayer(QPainter &p, int z, const QHash<const LabelElement *, const DrawnCaption *> &captions);

    ChartFrame m_frame;
    bool m_blank = false;
};

} // namespace tessaly::chart
