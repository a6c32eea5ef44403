#include "widgets/flex_grid.h"

#include "widgets/units.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>

#include <algorithm>
#include <numeric>
#include <optional>
#include <utility>

namespace tessaly {

namespace {

constexpr Qt::Alignment kDefaultAlignment = Qt::AlignLeft | Qt::AlignVCenter;
constexpr int kTextPadding = 4;          // pixels left and right of a cell's text
constexpr int kDefaultColWidth = 64;     // pixels
constexpr int kRowPadding = 6;           // pixels a row has beyond its font's height
constexpr int kFittedColumnIdeographs = 16;   // widest a column widens to fit its texts
constexpr int kMeasuredTextsKept = 20000;     // widths kept before the cache starts again
const QColor kDefaultBackColorBkg(0x80, 0x80, 0x80);

QFont fixedRowFont(QFont font)
{
    font.setBold(true);
    return font;
}

Qt::Alignment withVertical(Qt::Alignment alignment)
{
    if (!(alignment & Qt::AlignVertical_Mask))
        alignment |= Qt::AlignVCenter;
    return alignment;
}

// The width a header text asks for: its drawn width, but at least its width in a
// font where every non-ASCII character is one ideograph wide and an ASCII
// character (a blank too) half of that, the measure the format strings are
// written for.
int headerTextWidth(const QFontMetrics &fm, const QString &text)
{
    int halves = 0;
    for (const QChar c : text)
        halves += c.unicode() < 0x80 ? 1 : 2;
    const int ideograph = fm.horizontalAdvance(QChar(0x4E00));
    return std::max(fm.horizontalAdvance(text), (halves * ideograph + 1) / 2);
}

// The lowest a shown row may be: the height of its font (the fixed rows' bold
// one too) with room for the grid line and a margin above and below.
int fontRowHeight(const QFont &font)
{
    return std::max(QFontMetrics(font).height(), QFontMetrics(fixedRowFont(font)).height()) + kRowPadding;
}

int mouseButtonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int mouseButtonsCode(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0)
        | (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftCode(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
        | (modifiers & Qt::AltModifier ? 4 : 0);
}

// An optional sign and digits with at most one decimal point, blanks around them.
bool readNumber(const QString &text, double *value)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        ++i;
    int digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (c == u'.' && !point)
            point = true;
        else
            return false;
    }
    if (digits == 0)
        return false;
    bool ok = false;
    *value = t.toDouble(&ok);
    return ok;
}

using SortKey = GridTextKey;

SortKey sortKey(const QString &text, FlexGrid::SortKind kind)
{
    SortKey key;
    key.text = text;
    if (kind == FlexGrid::SortKind::Generic) {
        if (text.trimmed().isEmpty())
            key.rank = 0;
        else if (readNumber(text, &key.number))
            key.rank = 1;
        else
            key.rank = 2;
    }
    return key;
}

int compareKeys(const SortKey &a, const SortKey &b, FlexGrid::SortKind kind)
{
    if (kind == FlexGrid::SortKind::TextNoCase)
        return QString::compare(a.text, b.text, Qt::CaseInsensitive);
    if (a.rank != b.rank)
        return a.rank < b.rank ? -1 : 1;
    if (a.rank == 1)
        return a.number < b.number ? -1 : (b.number < a.number ? 1 : 0);
    if (a.rank == 2)
        return QString::compare(a.text, b.text);
    return 0;
}

// Where a section starts in content coordinates; a hidden one starts where the
// visible section before it ends.
int sectionStart(const QHeaderView *header, int logical)
{
    if (!header->isSectionHidden(logical))
        return header->sectionPosition(logical);
    for (int v = header->visualIndex(logical) - 1; v >= 0; --v) {
        const int l = header->logicalIndex(v);
        if (!header->isSectionHidden(l))
            return header->sectionPosition(l) + header->sectionSize(l);
    }
    return 0;
}

} // namespace

bool readGridNumber(const QString &text, double *value)
{
    return readNumber(text, value);
}

GridTextKey gridTextKey(const QString &text)
{
    return sortKey(text, FlexGrid::SortKind::Generic);
}

int compareGridKeys(const GridTextKey &a, const GridTextKey &b)
{
    return compareKeys(a, b, FlexGrid::SortKind::Generic);
}

int compareGridTexts(const QString &a, const QString &b)
{
    return compareGridKeys(gridTextKey(a), gridTextKey(b));
}

// Rows of texts plus the attributes set on single cells. Texts written through
// setText are announced to the views once, at the next event loop, as one
// dataChanged over the cells written.
class FlexGridModel : public QAbstractTableModel {
public:
    explicit FlexGridModel(QObject *parent) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_cols; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole || role == Qt::EditRole) {
            QString t = text(index.row(), index.column());
            return t.isEmpty() ? QVariant() : QVariant(std::move(t));
        }
        if (m_attributes.isEmpty())
            return {};
        const auto it = m_attributes.constFind(key(index.row(), index.column()));
        return it == m_attributes.cend() ? QVariant() : it->value(role);
    }

    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (!index.isValid())
            return false;
        if (role == Qt::DisplayRole || role == Qt::EditRole) {
            setText(index.row(), index.column(), value.toString());
            return true;
        }
        QHash<int, QVariant> &cell = m_attributes[key(index.row(), index.column())];
        if (value.isValid())
            cell.insert(role, value);
        else
            cell.remove(role);
        emit dataChanged(index, index, {role});
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    }

    // The attributes set on a cell; null when it has none.
    const QHash<int, QVariant> *attributesOf(int row, int col) const
    {
        if (m_attributes.isEmpty())
            return nullptr;
        const auto it = m_attributes.constFind(key(row, col));
        return it == m_attributes.cend() || it->isEmpty() ? nullptr : &*it;
    }

    // The text written in the cell, else the source's text where it has one.
    QString text(int row, int col) const
    {
        const std::vector<QString> &r = m_rows[size_t(row)];
        if (size_t(col) < r.size() && !r[size_t(col)].isEmpty())
            return r[size_t(col)];
        if (m_source.text && row >= m_source.top && row <= m_source.bottom && col >= m_source.left
            && col <= m_source.right)
            return m_source.text(row, col);
        return QString();
    }

    void setSource(FlexGrid::TextSource source)
    {
        const FlexGrid::TextSource before = std::exchange(m_source, std::move(source));
        for (const FlexGrid::TextSource &s : {before, m_source})
            if (s.text && !m_rows.empty() && m_cols > 0 && s.top <= s.bottom && s.left <= s.right)
                touch(std::max(0, s.top), std::max(0, s.left), s.bottom, s.right);
    }

    // The source's texts written into the cells, the source dropped: rows moved keep their texts.
    void keepSourceTexts()
    {
        if (!m_source.text)
            return;
        const FlexGrid::TextSource source = std::exchange(m_source, {});
        const int bottom = std::min(source.bottom, int(m_rows.size()) - 1);
        const int right = std::min(source.right, m_cols - 1);
        for (int row = std::max(0, source.top); row <= bottom; ++row) {
            std::vector<QString> &r = m_rows[size_t(row)];
            for (int col = std::max(0, source.left); col <= right; ++col) {
                if (size_t(col) < r.size() && !r[size_t(col)].isEmpty())
                    continue;
                QString t = source.text(row, col);
                if (t.isEmpty())
                    continue;
                if (r.size() < size_t(m_cols))
                    r.resize(size_t(m_cols));
                r[size_t(col)] = std::move(t);
            }
        }
    }

    void setText(int row, int col, const QString &value)
    {
        std::vector<QString> &r = m_rows[size_t(row)];
        if (size_t(col) >= r.size()) {
            if (value.isEmpty())
                return;
            r.resize(size_t(m_cols));
        }
        r[size_t(col)] = value;
        touch(row, col, row, col);
    }

    void clearTexts()
    {
        m_source = {};
        for (std::vector<QString> &r : m_rows)
            r.clear();
        if (!m_rows.empty() && m_cols > 0)
            touch(0, 0, int(m_rows.size()) - 1, m_cols - 1);
    }

    void setRowCount(int n)
    {
        const int rows = int(m_rows.size());
        if (n > rows) {
            beginInsertRows({}, rows, n - 1);
            m_rows.resize(size_t(n));
            endInsertRows();
        } else if (n < rows) {
            beginRemoveRows({}, n, rows - 1);
            m_rows.resize(size_t(n));
            if (!m_attributes.isEmpty())
                m_attributes.removeIf([n](auto it) { return int(it.key() >> 32) >= n; });
            endRemoveRows();
        }
    }

    void setColumnCount(int n)
    {
        if (n > m_cols) {
            beginInsertColumns({}, m_cols, n - 1);
            m_cols = n;
            endInsertColumns();
        } else if (n < m_cols) {
            beginRemoveColumns({}, n, m_cols - 1);
            m_cols = n;
            for (std::vector<QString> &r : m_rows)
                if (r.size() > size_t(n))
                    r.resize(size_t(n));
            if (!m_attributes.isEmpty())
                m_attributes.removeIf([n](auto it) { return int(quint32(it.key())) >= n; });
            endRemoveColumns();
        }
    }

    // Puts row first + order[i] at row first + i, attributes with it.
    void permuteRows(int first, const std::vector<int> &order)
    {
        keepSourceTexts();
        std::vector<std::vector<QString>> moved(order.size());
        for (size_t i = 0; i < order.size(); ++i)
            moved[i] = std::move(m_rows[size_t(first + order[i])]);
        for (size_t i = 0; i < order.size(); ++i)
            m_rows[size_t(first) + i] = std::move(moved[i]);
        if (!m_attributes.isEmpty()) {
            std::vector<int> to(order.size());
            for (size_t i = 0; i < order.size(); ++i)
                to[size_t(order[i])] = first + int(i);
            QHash<quint64, QHash<int, QVariant>> attributes;
            for (auto it = m_attributes.cbegin(); it != m_attributes.cend(); ++it) {
                const int row = int(it.key() >> 32);
                const int col = int(quint32(it.key()));
                const bool inside = row >= first && row < first + int(order.size());
                attributes.insert(key(inside ? to[size_t(row - first)] : row, col), it.value());
            }
            m_attributes = std::move(attributes);
        }
        if (m_cols > 0)
            touch(first, 0, first + int(order.size()) - 1, m_cols - 1);
    }

    // Sends the pending dataChanged now.
    void flush()
    {
        if (!m_pending)
            return;
        m_pending = false;
        const int rows = rowCount();
        const int top = m_top, left = m_left;
        const int bottom = std::min(m_bottom, rows - 1), right = std::min(m_right, m_cols - 1);
        if (top <= bottom && left <= right)
            emit dataChanged(index(top, left), index(bottom, right), {Qt::DisplayRole, Qt::EditRole});
    }

private:
    static quint64 key(int row, int col) { return (quint64(quint32(row)) << 32) | quint32(col); }

    void touch(int top, int left, int bottom, int right)
    {
        if (!m_pending) {
            m_pending = true;
            m_top = top, m_left = left, m_bottom = bottom, m_right = right;
            QMetaObject::invokeMethod(this, [this] { flush(); }, Qt::QueuedConnection);
            return;
        }
        m_top = std::min(m_top, top);
        m_left = std::min(m_left, left);
        m_bottom = std::max(m_bottom, bottom);
        m_right = std::max(m_right, right);
    }

    // A row's vector is empty until a text is written in it, then Cols long.
    std::vector<std::vector<QString>> m_rows;
    int m_cols = 0;
    FlexGrid::TextSource m_source;
    QHash<quint64, QHash<int, QVariant>> m_attributes;
    bool m_pending = false;
    int m_top = 0, m_left = 0, m_bottom = 0, m_right = 0;
};

// A fixed strip: a table view whose layout and scroll range the grid brings up to date.
class FlexGridStrip : public QTableView {
public:
    using QTableView::QTableView;
    using QAbstractItemView::executeDelayedItemsLayout;
    using QTableView::updateGeometries;
};

// Asks the grid to bring its views up to date before the next paint: their delayed
// layouts, resized rows and columns, spans.
const QEvent::Type kBeforePaintEvent = QEvent::Type(QEvent::registerEventType());

// Draws fixed cells as headers and applies the column alignments.
class FlexGridDelegate : public QStyledItemDelegate {
public:
    explicit FlexGridDelegate(FlexGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

protected:
    // Per cell: the attributes looked up once, the fixed rows' font and the fixed
    // cells' palette made once for the font and palette they come from.
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const int row = index.row();
        const int col = index.column();
        const bool fixedRow = row < m_grid->m_fixedRows;
        const bool fixed = fixedRow || col < m_grid->m_fixedCols;
        const QHash<int, QVariant> *own = m_grid->m_model->attributesOf(row, col);
        const auto hasOwn = [own](int role) { return own && own->value(role).isValid(); };
        if (!hasOwn(Qt::TextAlignmentRole))
            option->displayAlignment = fixedRow ? Qt::AlignCenter : m_grid->ColAlignment(col);
        if (fixedRow) {
            if (!m_fixedMetrics || option->font != m_fixedFrom) {
                m_fixedFrom = option->font;
                m_fixedFont = fixedRowFont(option->font);
                m_fixedMetrics.emplace(m_fixedFont);
            }
            option->font = m_fixedFont;
            option->fontMetrics = *m_fixedMetrics;
        }
        if (!hasOwn(Qt::BackgroundRole))
            option->backgroundBrush = fixed ? m_grid->m_backColorFixed : m_grid->m_backColor;
        if (fixed) {
            if (!hasOwn(Qt::ForegroundRole)) {
                if (option->palette.cacheKey() != m_paletteFrom) {
                    m_paletteFrom = option->palette.cacheKey();
                    m_fixedPalette = option->palette;
                    m_fixedPalette.setColor(QPalette::Text, m_fixedPalette.color(QPalette::ButtonText));
                }
                option->palette = m_fixedPalette;
            }
            option->state &= ~QStyle::State_HasFocus;
        }
        option->state &= ~QStyle::State_Selected;
        if (option->rect.height() >= 2 * option->fontMetrics.lineSpacing())
            option->features |= QStyleOptionViewItem::WrapText;
        else
            option->features &= ~QStyleOptionViewItem::WrapText;
    }

private:
    FlexGrid *m_grid;
    mutable QFont m_fixedFrom;
    mutable QFont m_fixedFont;
    mutable std::optional<QFontMetrics> m_fixedMetrics;
    mutable qint64 m_paletteFrom = 0;
    mutable QPalette m_fixedPalette;
};

FlexGrid::FlexGrid(QWidget *parent)
    : QTableView(parent)
    , m_backColorFixed(palette().color(QPalette::Button))
    , m_backColorBkg(kDefaultBackColorBkg)
    , m_backColor(palette().color(QPalette::Base))
{
    m_model = new FlexGridModel(this);
    setModel(m_model);
    m_delegate = new FlexGridDelegate(this);

    auto setUp = [this](QTableView *view) {
        view->horizontalHeader()->hide();
        view->verticalHeader()->hide();
        for (QHeaderView *header : {view->horizontalHeader(), view->verticalHeader()}) {
            header->setSectionResizeMode(QHeaderView::Fixed);
            header->setMinimumSectionSize(1);
        }
        view->horizontalHeader()->setDefaultSectionSize(kDefaultColWidth);
        view->verticalHeader()->setDefaultSectionSize(fontRowHeight(font()));
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setSelectionMode(QAbstractItemView::NoSelection);
        view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        view->setTextElideMode(Qt::ElideNone);
        view->setWordWrap(false);
        view->setCornerButtonEnabled(false);
        view->setItemDelegate(m_delegate);
        view->viewport()->setMouseTracking(true);
        QPalette p = view->viewport()->palette();
        p.setColor(QPalette::Base, m_backColorBkg);
        view->viewport()->setPalette(p);
    };
    setUp(this);
    const std::pair<QTableView **, const char *> strips[] = {
        {&m_left, "fixedCols"}, {&m_top, "fixedRows"}, {&m_corner, "fixedCorner"}};
    for (auto [strip, name] : strips) {
        auto *view = new FlexGridStrip(this);
        view->setObjectName(QLatin1String(name));
        view->setModel(model());
        setUp(view);
        view->setFrameShape(QFrame::NoFrame);
        view->setFocusPolicy(Qt::NoFocus);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->viewport()->installEventFilter(this);
        view->hide();
        *strip = view;
    }

    QAbstractItemModel *m = model();
    auto structureChanged = [this] {
        if (hasMerges())
            markMergesDirty();
    };
    connect(m, &QAbstractItemModel::rowsInserted, this, structureChanged);
    connect(m, &QAbstractItemModel::rowsRemoved, this, structureChanged);
    connect(m, &QAbstractItemModel::columnsInserted, this,
            [this, structureChanged](const QModelIndex &, int first, int last) {
                m_align.insert(m_align.begin() + first, size_t(last - first + 1), kDefaultAlignment);
                structureChanged();
            });
    connect(m, &QAbstractItemModel::columnsRemoved, this,
            [this, structureChanged](const QModelIndex &, int first, int last) {
                m_align.erase(m_align.begin() + first, m_align.begin() + last + 1);
                const int cols = columnCount();
                m_mergeCols.removeIf([cols](auto it) { return it.key() >= cols; });
                structureChanged();
            });
    connect(m, &QAbstractItemModel::rowsRemoved, this, [this] {
        const int rows = rowCount();
        m_mergeRows.removeIf([rows](auto it) { return it.key() >= rows; });
    });
    // A changed row or column count lays the views out later. Left to the paint, that
    // layout asks for a second paint of the whole grid; it runs before the paint instead.
    connect(m, &QAbstractItemModel::rowsInserted, this, &FlexGrid::postBeforePaint);
    connect(m, &QAbstractItemModel::rowsRemoved, this, &FlexGrid::postBeforePaint);
    connect(m, &QAbstractItemModel::columnsInserted, this, &FlexGrid::postBeforePaint);
    connect(m, &QAbstractItemModel::columnsRemoved, this, &FlexGrid::postBeforePaint);
    // So does a resized row or column: a table view brings its scroll range and drawing
    // up to date on a timer, which runs after the paint and paints again.
    for (QTableView *view : views()) {
        const std::pair<QHeaderView *, const char *> resizes[] = {
            {view->verticalHeader(), SLOT(rowResized(int,int,int))},
            {view->horizontalHeader(), SLOT(columnResized(int,int,int))}};
        for (const auto &[header, slot] : resizes) {
            if (!disconnect(header, SIGNAL(sectionResized(int,int,int)), view, slot))
                continue;   // the view keeps its own timer
            connect(header, &QHeaderView::sectionResized, this, [this, view] {
                if (!m_resized.contains(view))
                    m_resized.append(view);
                postBeforePaint();
            });
        }
    }

    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        syncStripScroll();
        emit Scroll();
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        syncStripScroll();
        emit Scroll();
    });
    for (QTableView *strip : {m_left, m_top, m_corner}) {
        connect(strip->horizontalScrollBar(), &QScrollBar::rangeChanged, this, &FlexGrid::syncStripScroll);
        connect(strip->verticalScrollBar(), &QScrollBar::rangeChanged, this, &FlexGrid::syncStripScroll);
    }

    m_model->setRowCount(2);
    m_model->setColumnCount(2);
    syncCurrent();
    styleFixed();
}

FlexGrid::~FlexGrid()
{
    // The strips watch the model and use the delegate: let them go first, and
    // unhook them before, so the event filter never sees a strip being destroyed.
    QTableView *strips[] = {m_corner, m_top, m_left};
    m_corner = m_top = m_left = nullptr;
    m_resized.clear();
    for (QTableView *strip : strips) {
        if (strip)
            strip->viewport()->removeEventFilter(this);
    }
    for (QTableView *strip : strips)
        delete strip;
}

int FlexGrid::rowCount() const
{
    return m_model->rowCount();
}

int FlexGrid::columnCount() const
{
    return m_model->columnCount();
}

QList<QTableView *> FlexGrid::views() const
{
    return {const_cast<FlexGrid *>(this), m_left, m_top, m_corner};
}

void FlexGrid::setRows(int n)
{
    n = std::max(0, n);
    m_model->setRowCount(n);
    m_row = std::clamp(m_row, 0, std::max(0, n - 1));
    syncCurrent();
    layoutStrips();
}

void FlexGrid::setCols(int n)
{
    n = std::max(0, n);
    m_model->setColumnCount(n);
    m_col = std::clamp(m_col, 0, std::max(0, n - 1));
    syncCurrent();
    layoutStrips();
}

void FlexGrid::setFixedRows(int n)
{
    m_fixedRows = std::max(0, n);
    styleFixed();
}

void FlexGrid::setFixedCols(int n)
{
    m_fixedCols = std::max(0, n);
    styleFixed();
}

void FlexGrid::styleFixed()
{
    // The strips take the sizes the grid has now, then their places.
    copySizesTo(m_top, false, true);
    copySizesTo(m_corner, false, true);
    copySizesTo(m_left, true, true);
    if (hasMerges())
        markMergesDirty();
    layoutStrips();
    for (QTableView *view : views())
        view->viewport()->update();
}

void FlexGrid::copySizesTo(QTableView *strip, bool allRows, bool allCols)
{
    const int rows = allRows ? rowCount() : std::min(m_fixedRows, rowCount());
    for (int r = 0; r < rows; ++r) {
        const bool hidden = isRowHidden(r);
        if (strip->isRowHidden(r) != hidden)
            strip->setRowHidden(r, hidden);
        if (!hidden && strip->rowHeight(r) != rowHeight(r))
            strip->verticalHeader()->resizeSection(r, rowHeight(r));
    }
    const int cols = allCols ? columnCount() : std::min(m_fixedCols, columnCount());
    for (int c = 0; c < cols; ++c) {
        const bool hidden = isColumnHidden(c);
        if (strip->isColumnHidden(c) != hidden)
            strip->setColumnHidden(c, hidden);
        if (!hidden && strip->columnWidth(c) != columnWidth(c))
            strip->horizontalHeader()->resizeSection(c, columnWidth(c));
    }
}

void FlexGrid::applyColSize(int col, int px, bool hidden)
{
    for (QTableView *view : views()) {
        if (hidden) {
            if (!view->isColumnHidden(col))
                view->setColumnHidden(col, true);
        } else {
            if (view->isColumnHidden(col))
                view->setColumnHidden(col, false);
            view->horizontalHeader()->resizeSection(col, px);
        }
    }
    if (col < m_fixedCols)
        layoutStrips();
}

void FlexGrid::applyRowSize(int row, int px, bool hidden)
{
    const bool fixed = row < m_fixedRows;
    for (QTableView *view : views()) {
        if (!fixed && (view == m_top || view == m_corner))
            continue;
        if (hidden) {
            if (!view->isRowHidden(row))
                view->setRowHidden(row, true);
        } else {
            if (view->isRowHidden(row))
                view->setRowHidden(row, false);
            view->verticalHeader()->resizeSection(row, px);
        }
    }
    if (fixed)
        layoutStrips();
}

int FlexGrid::fixedHeightPx() const
{
    int h = 0;
    for (int r = 0, n = std::min(m_fixedRows, rowCount()); r < n; ++r)
        h += rowHeight(r);
    return h;
}

int FlexGrid::fixedWidthPx() const
{
    int w = 0;
    for (int c = 0, n = std::min(m_fixedCols, columnCount()); c < n; ++c)
        w += columnWidth(c);
    return w;
}

void FlexGrid::layoutStrips()
{
    if (!m_corner)
        return;
    const QRect vp = viewport()->geometry();
    const int fh = std::min(fixedHeightPx(), vp.height());
    const int fw = std::min(fixedWidthPx(), vp.width());
    auto place = [](QTableView *strip, bool shown, const QRect &rect) {
        if (shown && strip->geometry() != rect)
            strip->setGeometry(rect);
        strip->setVisible(shown);
    };
    place(m_left, m_fixedCols > 0 && fw > 0, QRect(vp.x(), vp.y(), fw, vp.height()));
    place(m_top, m_fixedRows > 0 && fh > 0, QRect(vp.x(), vp.y(), vp.width(), fh));
    place(m_corner, m_fixedRows > 0 && m_fixedCols > 0 && fh > 0 && fw > 0, QRect(vp.x(), vp.y(), fw, fh));
    m_top->raise();
    m_corner->raise();
    syncStripScroll();
}

void FlexGrid::syncStripScroll()
{
    if (!m_corner)
        return;
    m_top->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
    m_top->verticalScrollBar()->setValue(0);
    m_left->horizontalScrollBar()->setValue(0);
    m_left->verticalScrollBar()->setValue(verticalScrollBar()->value());
    m_corner->horizontalScrollBar()->setValue(0);
    m_corner->verticalScrollBar()->setValue(0);
}

void FlexGrid::updateGeometries()
{
    QTableView::updateGeometries();
    verticalScrollBar()->setSingleStep(verticalHeader()->defaultSectionSize());
    horizontalScrollBar()->setSingleStep(kDefaultColWidth / 2);
    layoutStrips();
}

QString FlexGrid::TextMatrix(int row, int col) const
{
    if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount())
        return {};
    return m_model->text(row, col);
}

void FlexGrid::setTextMatrix(int row, int col, const QString &text)
{
    if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount()) {
        qWarning("FlexGrid::setTextMatrix: cell (%d, %d) outside a grid of %d x %d", row, col,
                 rowCount(), columnCount());
        return;
    }
    if (!m_mergesDirty && (m_mergeCols.contains(col) || m_mergeRows.contains(row)))
        markMergesDirty();
    m_model->setText(row, col, text);
}

void FlexGrid::setFormatString(const QString &format)
{
    if (format.isEmpty())
        return;
    const QStringList entries = format.split(u'|');
    setCols(int(entries.size()));
    if (rowCount() < 1)
        setRows(1);
    const QFontMetrics fm(fixedRowFont(font()));
    for (int c = 0; c < entries.size(); ++c) {
        QString header = entries[c];
        Qt::Alignment alignment = kDefaultAlignment;
        if (!header.isEmpty()) {
            const QChar mark = header[0];
            if (mark == u'^' || mark == u'<' || mark == u'>') {
                alignment = mark == u'^' ? Qt::AlignCenter
                                         : (mark == u'<' ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
                header.remove(0, 1);
            }
        }
        m_align[size_t(c)] = alignment;
        setTextMatrix(0, c, header);
        applyColSize(c, headerTextWidth(fm, header) + 2 * kTextPadding + (showGrid() ? 1 : 0), false);
    }
    layoutStrips();
    for (QTableView *view : views())
        view->viewport()->update();
}

int FlexGrid::ColWidth(int col) const
{
    if (col < 0 || col >= columnCount() || isColumnHidden(col))
        return 0;
    return pixelsToTwips(columnWidth(col));
}

void FlexGrid::setColWidth(int col, int twips)
{
    if (col < 0 || col >= columnCount())
        return;
    const int px = twipsToPixels(std::max(0, twips));
    applyColSize(col, px, px <= 0);
}

int FlexGrid::RowHeight(int row) const
{
    if (row < 0 || row >= rowCount() || isRowHidden(row))
        return 0;
    return pixelsToTwips(rowHeight(row));
}

void FlexGrid::setRowHeight(int row, int twips)
{
    if (row < 0 || row >= rowCount())
        return;
    const int px = twipsToPixels(std::max(0, twips));
    applyRowSize(row, std::max(px, fontRowHeight(font())), px <= 0);
}

void FlexGrid::widenColumnsToText(int firstCol, int lastCol, int fromRow, int toRow)
{
    firstCol = std::max(0, firstCol);
    lastCol = std::min(lastCol, columnCount() - 1);
    fromRow = std::max(0, fromRow);
    toRow = std::min(toRow, rowCount() - 1);
    const QFontMetrics fm(font());
    if (m_widthFont != font() || m_textWidths.size() > kMeasuredTextsKept) {
        m_textWidths.clear();
        m_widthFont = font();
    }
    const int room = 2 * kTextPadding + (showGrid() ? 1 : 0);
    const int widest = kFittedColumnIdeographs * fm.horizontalAdvance(QChar(0x4E00)) + room;
    for (int c = firstCol; c <= lastCol; ++c) {
        if (isColumnHidden(c))
            continue;
        int needed = 0;
        for (int r = fromRow; r <= toRow && needed < widest; ++r) {
            const QString text = TextMatrix(r, c);
            auto width = m_textWidths.constFind(text);
            if (width == m_textWidths.cend())
                width = m_textWidths.insert(text, fm.horizontalAdvance(text));
            needed = std::max(needed, *width + room);
        }
        needed = std::min(needed, widest);
        if (needed > columnWidth(c))
            applyColSize(c, needed, false);
    }
}

int FlexGrid::textRoom(int col) const
{
    return columnWidth(col) - 2 * kTextPadding - (showGrid() ? 1 : 0);
}

bool FlexGrid::showCellToolTip(QTableView *view, QHelpEvent *event)
{
    const QModelIndex index = view->indexAt(event->pos());
    const QString text = index.isValid() ? index.data().toString() : QString();
    const QRect rect = index.isValid() ? view->visualRect(index) : QRect();
    const QVariant ownFont = index.isValid() ? index.data(Qt::FontRole) : QVariant();
    const QFont cellFont = index.row() < m_fixedRows ? fixedRowFont(font())
                           : ownFont.isValid()       ? qvariant_cast<QFont>(ownFont).resolve(font())
                                                     : font();
    const int needed = QFontMetrics(cellFont).horizontalAdvance(text) + 2 * kTextPadding;
    if (!text.isEmpty() && needed > rect.width())
        QToolTip::showText(event->globalPos(), text, view->viewport(), rect);
    else
        QToolTip::hideText();
    return true;
}

Qt::Alignment FlexGrid::ColAlignment(int col) const
{
    if (col < 0 || size_t(col) >= m_align.size())
        return kDefaultAlignment;
    return m_align[size_t(col)];
}

void FlexGrid::setColAlignment(int col, Qt::Alignment alignment)
{
    if (col < 0 || size_t(col) >= m_align.size())
        return;
    m_align[size_t(col)] = withVertical(alignment);
    for (QTableView *view : views())
        view->viewport()->update();
}

void FlexGrid::setRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    m_row = row;
    syncCurrent();
}

void FlexGrid::setCol(int col)
{
    if (col < 0 || col >= columnCount())
        return;
    m_col = col;
    syncCurrent();
}

void FlexGrid::syncCurrent()
{
    if (m_row >= rowCount() || m_col >= columnCount())
        return;
    const QModelIndex index = model()->index(m_row, m_col);
    if (currentIndex() == index)
        return;
    // Making a cell current never scrolls.
    m_syncing = true;
    const bool autoScroll = hasAutoScroll();
    setAutoScroll(false);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    setAutoScroll(autoScroll);
    m_syncing = false;
}

void FlexGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_keyMove && !m_syncing && current.isValid()) {
        m_row = current.row();
        m_col = current.column();
    }
}

void FlexGrid::keyPressEvent(QKeyEvent *event)
{
    m_keyMove = true;
    QTableView::keyPressEvent(event);
    m_keyMove = false;
}

QModelIndex FlexGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    // The keys move within the data cells.
    const QModelIndex index = QTableView::moveCursor(cursorAction, modifiers);
    if (!index.isValid())
        return index;
    int row = index.row();
    int col = index.column();
    if (rowCount() > m_fixedRows)
        row = std::max(row, m_fixedRows);
    if (columnCount() > m_fixedCols)
        col = std::max(col, m_fixedCols);
    return model()->index(row, col);
}

void FlexGrid::scrollTo(const QModelIndex &index, ScrollHint)
{
    // Brings a data cell out from under the fixed strips and into the viewport.
    if (!index.isValid())
        return;
    updateGeometries();   // scroll ranges as the sizes are now, after a resize just made
    const QRect vp = viewport()->rect();
    const int row = index.row();
    const int col = index.column();
    if (row >= m_fixedRows && !isRowHidden(row)) {
        const int fh = std::min(fixedHeightPx(), vp.height());
        const int top = rowViewportPosition(row);
        const int bottom = top + rowHeight(row);
        QScrollBar *bar = verticalScrollBar();
        if (top < fh)
            bar->setValue(bar->value() - (fh - top));
        else if (bottom > vp.height())
            bar->setValue(bar->value() + std::min(bottom - vp.height(), top - fh));
    }
    if (col >= m_fixedCols && !isColumnHidden(col)) {
        const int fw = std::min(fixedWidthPx(), vp.width());
        const int left = columnViewportPosition(col);
        const int right = left + columnWidth(col);
        QScrollBar *bar = horizontalScrollBar();
        if (left < fw)
            bar->setValue(bar->value() - (fw - left));
        else if (right > vp.width())
            bar->setValue(bar->value() + std::min(right - vp.width(), left - fw));
    }
}

QRect FlexGrid::cellRect(int row, int col) const
{
    if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount())
        return {};
    const int x = sectionStart(horizontalHeader(), col) - (col < m_fixedCols ? 0 : horizontalOffset());
    const int y = sectionStart(verticalHeader(), row) - (row < m_fixedRows ? 0 : verticalOffset());
    const int line = showGrid() ? 1 : 0;
    const int w = isColumnHidden(col) ? 0 : std::max(0, columnWidth(col) - line);
    const int h = isRowHidden(row) ? 0 : std::max(0, rowHeight(row) - line);
    return QRect(viewport()->geometry().topLeft() + QPoint(x, y), QSize(w, h));
}

int FlexGrid::CellLeft() const { return pixelsToTwips(cellRect(m_row, m_col).x()); }
int FlexGrid::CellTop() const { return pixelsToTwips(cellRect(m_row, m_col).y()); }
int FlexGrid::CellWidth() const { return pixelsToTwips(cellRect(m_row, m_col).width()); }
int FlexGrid::CellHeight() const { return pixelsToTwips(cellRect(m_row, m_col).height()); }

QPoint FlexGrid::cellAt(const QPoint &gridPos) const
{
    const QRect vp = viewport()->geometry();
    if (!vp.contains(gridPos))
        return {-1, -1};
    const QPoint p = gridPos - vp.topLeft();
    // Over a fixed strip the cell is found in the unscrolled layout.
    const int fh = m_fixedRows > 0 ? std::min(fixedHeightPx(), vp.height()) : 0;
    const int fw = m_fixedCols > 0 ? std::min(fixedWidthPx(), vp.width()) : 0;
    const int row = p.y() < fh ? rowAt(p.y() - verticalOffset()) : rowAt(p.y());
    const int col = p.x() < fw ? columnAt(p.x() - horizontalOffset()) : columnAt(p.x());
    if (row < 0 || col < 0)
        return {-1, -1};
    return {col, row};
}

void FlexGrid::handleMouse(QEvent::Type type, const QPoint &gridPos, Qt::MouseButton button,
                           Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    const QPoint cell = cellAt(gridPos);
    m_mouseRow = cell.y();
    m_mouseCol = cell.x();
    const int x = pixelsToTwips(gridPos.x());
    const int y = pixelsToTwips(gridPos.y());
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (button == Qt::LeftButton && m_mouseRow >= 0) {
            m_row = m_mouseRow;
            m_col = m_mouseCol;
            syncCurrent();
            m_pressed = true;
        }
        emit MouseDown(mouseButtonCode(button), shiftCode(modifiers), x, y);
        break;
    case QEvent::MouseMove:
        emit MouseMove(mouseButtonsCode(buttons), shiftCode(modifiers), x, y);
        break;
    case QEvent::MouseButtonRelease: {
        const bool click = button == Qt::LeftButton && m_pressed;
        if (click)
            m_pressed = false;
        emit MouseUp(mouseButtonCode(button), shiftCode(modifiers), x, y);
        if (click)
            emit Click();
        break;
    }
    default:
        break;
    }
}

void FlexGrid::mousePressEvent(QMouseEvent *event)
{
    handleMouse(event->type(), viewport()->mapTo(this, event->position().toPoint()), event->button(),
                event->buttons(), event->modifiers());
    event->accept();
}

void FlexGrid::mouseMoveEvent(QMouseEvent *event)
{
    handleMouse(event->type(), viewport()->mapTo(this, event->position().toPoint()), event->button(),
                event->buttons(), event->modifiers());
    event->accept();
}

void FlexGrid::mouseReleaseEvent(QMouseEvent *event)
{
    handleMouse(event->type(), viewport()->mapTo(this, event->position().toPoint()), event->button(),
                event->buttons(), event->modifiers());
    event->accept();
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    handleMouse(event->type(), viewport()->mapTo(this, event->position().toPoint()), event->button(),
                event->buttons(), event->modifiers());
    event->accept();
}

bool FlexGrid::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    const bool strip = widget && m_corner
        && (widget == m_top->viewport() || widget == m_left->viewport() || widget == m_corner->viewport());
    if (strip) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            auto *me = static_cast<QMouseEvent *>(event);
            handleMouse(event->type(), widget->mapTo(this, me->position().toPoint()), me->button(),
                        me->buttons(), me->modifiers());
            return true;
        }
        case QEvent::Wheel:
            QCoreApplication::sendEvent(viewport(), event);
            return true;
        case QEvent::ToolTip: {
            QTableView *view = widget == m_top->viewport() ? m_top : widget == m_left->viewport() ? m_left : m_corner;
            return showCellToolTip(view, static_cast<QHelpEvent *>(event));
        }
        case QEvent::Paint:
            applyMerges();
            break;
        default:
            break;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void FlexGrid::postBeforePaint()
{
    if (m_beforePaintPosted)
        return;
    m_beforePaintPosted = true;
    // Ahead of the paint: an update request waits at a lower priority.
    QCoreApplication::postEvent(this, new QEvent(kBeforePaintEvent), Qt::HighEventPriority);
}

bool FlexGrid::event(QEvent *event)
{
    if (event->type() == kBeforePaintEvent) {
        m_beforePaintPosted = false;
        executeDelayedItemsLayout();
        for (QTableView *strip : {m_left, m_top, m_corner})
            if (strip)
                static_cast<FlexGridStrip *>(strip)->executeDelayedItemsLayout();
        const QList<QTableView *> resized = std::exchange(m_resized, {});
        for (QTableView *view : resized) {
            if (view == this)
                updateGeometries();
            else
                static_cast<FlexGridStrip *>(view)->updateGeometries();
            view->viewport()->update();
        }
        // Spans set in a paint would ask for another.
        applyMerges();
        return true;
    }
    return QTableView::event(event);
}

bool FlexGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Paint) {
        applyMerges();
        // The fixed strips lie over the viewport's first rows and columns and draw
        // those cells themselves: the grid draws only the cells they leave uncovered.
        QRegion covered;
        for (QTableView *strip : {m_left, m_top, m_corner})
            if (strip && strip->isVisible())
                covered += strip->geometry().translated(-viewport()->pos());
        if (!covered.isEmpty()) {
            const QRegion uncovered = static_cast<QPaintEvent *>(event)->region() - covered;
            if (uncovered.isEmpty())
                return true;
            QPaintEvent paint(uncovered);
            return QTableView::viewportEvent(&paint);
        }
    }
    if (event->type() == QEvent::ToolTip)
        return showCellToolTip(this, static_cast<QHelpEvent *>(event));
    return QTableView::viewportEvent(event);
}

void FlexGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_corner) {
        const int lowest = fontRowHeight(font());
        // A new default size resizes every shown row: each keeps its own height.
        QVector<int> heights(rowCount());
        for (int r = 0; r < heights.size(); ++r)
            heights[r] = rowHeight(r);
        for (QTableView *view : views())
            view->verticalHeader()->setDefaultSectionSize(lowest);
        for (int r = 0; r < heights.size(); ++r) {
            if (!isRowHidden(r))
                applyRowSize(r, std::max(heights[r], lowest), false);
        }
        layoutStrips();
    }
}

bool FlexGrid::hasMerges() const
{
    return !m_mergeCols.isEmpty() || !m_mergeRows.isEmpty() || !m_fixedSpans.isEmpty();
}

void FlexGrid::mergeRow(int row, int fromCol, int toCol)
{
    if (row < 0)
        return;
    m_mergeRows.insert(row, {std::max(0, fromCol), toCol});
    markMergesDirty();
    viewport()->update();
}

void FlexGrid::mergeCol(int col, int fromRow, int toRow)
{
    if (col < 0)
        return;
    m_mergeCols.insert(col, {std::max(0, fromRow), toRow});
    markMergesDirty();
    viewport()->update();
}

void FlexGrid::mergeCells(int row, int col, int rowSpan, int colSpan)
{
    if (row < 0 || col < 0 || rowSpan < 1 || colSpan < 1)
        return;
    m_fixedSpans.append({row, col, rowSpan, colSpan});
    // Spans up to date and no standing merge to come after it: the new span alone
    // is added, as rebuilding them all would (a grid of many spans builds in linear time).
    if (!m_mergesDirty && m_mergeCols.isEmpty() && m_mergeRows.isEmpty()) {
        const int rs = std::min(rowSpan, rowCount() - row);
        const int cs = std::min(colSpan, columnCount() - col);
        if (rs > 1 || cs > 1) {
            for (QTableView *view : views())
                view->setSpan(row, col, rs, cs);
            m_hasSpans = true;
        }
        return;
    }
    markMergesDirty();
    applyMerges();
}

void FlexGrid::clearMerges()
{
    m_mergeCols.clear();
    m_mergeRows.clear();
    m_fixedSpans.clear();
    if (m_hasSpans)
        for (QTableView *view : views())
            view->clearSpans();
    m_hasSpans = false;
    m_mergesDirty = false;
}

void FlexGrid::applyMerges()
{
    if (!m_mergesDirty)
        return;
    m_mergesDirty = false;
    const QList<QTableView *> all = views();
    if (m_hasSpans)
        for (QTableView *view : all)
            view->clearSpans();
    m_hasSpans = false;
    const int rows = rowCount();
    const int cols = columnCount();
    auto span = [&](int row, int col, int rowSpan, int colSpan) {
        for (QTableView *view : all)
            view->setSpan(row, col, rowSpan, colSpan);
        m_hasSpans = true;
    };

    for (const Span &s : std::as_const(m_fixedSpans)) {
        if (s.row >= rows || s.col >= cols)
            continue;
        const int rs = std::min(s.rowSpan, rows - s.row);
        const int cs = std::min(s.colSpan, cols - s.col);
        if (rs > 1 || cs > 1)
            span(s.row, s.col, rs, cs);
    }

    // Runs of equal non-empty texts within [from, to] of one line; a blocked cell
    // (already merged the other way) ends a run.
    auto runs = [](int from, int to, auto text, auto blocked, auto emitRun) {
        int start = from;
        while (start <= to) {
            int end = start + 1;
            const QString first = text(start);
            if (!first.isEmpty() && !blocked(start))
                while (end <= to && !blocked(end) && text(end) == first)
                    ++end;
            if (end - start > 1)
                emitRun(start, end - start);
            start = end;
        }
    };

    QSet<qint64> merged;  // cells inside a column merge, for the row merges
    const auto key = [](int row, int col) { return (qint64(row) << 32) | quint32(col); };
    for (auto it = m_mergeCols.cbegin(); it != m_mergeCols.cend(); ++it) {
        const int col = it.key();
        if (col >= cols)
            continue;
        const int from = it->from;
        const int to = it->to < 0 ? rows - 1 : std::min(it->to, rows - 1);
        auto text = [&](int r) { return TextMatrix(r, col); };
        auto free = [](int) { return false; };
        auto emitRun = [&](int start, int length) {
            span(start, col, length, 1);
            if (!m_mergeRows.isEmpty())
                for (int r = start; r < start + length; ++r)
                    merged.insert(key(r, col));
        };
        runs(from, std::min(to, m_fixedRows - 1), text, free, emitRun);
        runs(std::max(from, m_fixedRows), to, text, free, emitRun);
    }
    for (auto it = m_mergeRows.cbegin(); it != m_mergeRows.cend(); ++it) {
        const int row = it.key();
        if (row >= rows)
            continue;
        const int from = it->from;
        const int to = it->to < 0 ? cols - 1 : std::min(it->to, cols - 1);
        auto text = [&](int c) { return TextMatrix(row, c); };
        auto blocked = [&](int c) { return merged.contains(key(row, c)); };
        auto emitRun = [&](int start, int length) { span(row, start, 1, length); };
        runs(from, std::min(to, m_fixedCols - 1), text, blocked, emitRun);
        runs(std::max(from, m_fixedCols), to, text, blocked, emitRun);
    }
}

void FlexGrid::sortRows(int fromCol, int toCol, bool ascending, SortKind kind)
{
    const int rows = rowCount();
    const int cols = columnCount();
    const int first = m_fixedRows;
    const int count = rows - first;
    if (count < 2 || cols == 0)
        return;
    if (fromCol > toCol)
        std::swap(fromCol, toCol);
    fromCol = std::clamp(fromCol, 0, cols - 1);
    toCol = std::clamp(toCol, 0, cols - 1);
    const int keyCount = toCol - fromCol + 1;

    std::vector<SortKey> keys(size_t(count) * size_t(keyCount));
    for (int i = 0; i < count; ++i)
        for (int k = 0; k < keyCount; ++k)
            keys[size_t(i) * size_t(keyCount) + size_t(k)] = sortKey(TextMatrix(first + i, fromCol + k), kind);

    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        for (int k = 0; k < keyCount; ++k) {
            int c = compareKeys(keys[size_t(a) * size_t(keyCount) + size_t(k)],
                                keys[size_t(b) * size_t(keyCount) + size_t(k)], kind);
            if (!ascending)
                c = -c;
            if (c != 0)
                return c < 0;
        }
        return false;
    });
    bool moved = false;
    for (int i = 0; i < count && !moved; ++i)
        moved = order[size_t(i)] != i;
    if (!moved)
        return;

    // Whole rows move: their cells and their heights.
    std::vector<int> heights(static_cast<size_t>(count));
    std::vector<char> hidden(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        heights[size_t(i)] = rowHeight(first + i);
        hidden[size_t(i)] = isRowHidden(first + i);
    }
    m_model->permuteRows(first, order);
    if (hasMerges())
        markMergesDirty();
    for (int i = 0; i < count; ++i) {
        const int from = order[size_t(i)];
        const int row = first + i;
        if (bool(hidden[size_t(from)]) != isRowHidden(row)
            || (!hidden[size_t(from)] && heights[size_t(from)] != rowHeight(row)))
            applyRowSize(row, heights[size_t(from)], hidden[size_t(from)]);
    }
}

void FlexGrid::setTextSource(TextSource source)
{
    m_model->setSource(std::move(source));
    if (hasMerges())
        markMergesDirty();
}

void FlexGrid::clearTexts()
{
    m_model->clearTexts();
    if (hasMerges())
        markMergesDirty();
}

void FlexGrid::setBackColorFixed(const QColor &color)
{
    m_backColorFixed = color;
    for (QTableView *view : views())
        view->viewport()->update();
}

void FlexGrid::setBackColorBkg(const QColor &color)
{
    m_backColorBkg = color;
    for (QTableView *view : views()) {
        QPalette p = view->viewport()->palette();
        p.setColor(QPalette::Base, color);
        view->viewport()->setPalette(p);
    }
}

void FlexGrid::setScrollBars(int bars)
{
    m_scrollBars = bars & 3;
    setHorizontalScrollBarPolicy(m_scrollBars & 1 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(m_scrollBars & 2 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

} // namespace tessaly

#include "moc_flex_grid.cpp"
