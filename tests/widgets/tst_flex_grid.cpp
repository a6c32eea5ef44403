#include "widgets/flex_grid.h"
#include "widgets/units.h"
#include "fixtures/ui_helpers.h"

#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

using tessaly::FlexGrid;
using tessaly::pixelsToTwips;

namespace {

const QString kRegisterFormat = QStringLiteral(
    "^编号|^学 籍 号|^ 姓  名 |^性别|^民族|^政治面貌|>出 生 日 期|>户口性质|<原毕业学校|^住宿|"
    ">联 系  电 话|<　　籍　　　贯　　|<　家　庭　住　址　|　  特  长  　|<家长姓名|^与生关系|"
    "<　家　长　单　位　|>　　备      注　　|I  D|保存");

// A grid on screen (offscreen platform): 30 rows of 20 px (or what the font
// needs), 10 columns of 60 px, one fixed row and one fixed column, in a
// 320 x 220 frame.
void showGrid(FlexGrid &g)
{
    g.setRows(30);
    g.setCols(10);
    for (int r = 0; r < g.Rows(); ++r)
        g.setRowHeight(r, 300);
    for (int c = 0; c < g.Cols(); ++c)
        g.setColWidth(c, 900);
    for (int r = 0; r < g.Rows(); ++r)
        for (int c = 0; c < g.Cols(); ++c)
            g.setTextMatrix(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
    g.resize(320, 220);
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    QApplication::processEvents();
}

// The view drawing the cell at a point of the grid (the grid or one of its fixed strips),
// and the cell's rectangle there in grid coordinates.
QRect drawnRect(FlexGrid &g, int row, int col, const QPoint &at)
{
    QWidget *viewport = g.childAt(at);
    auto *view = viewport ? qobject_cast<QTableView *>(viewport->parentWidget()) : nullptr;
    if (!view)
        return {};
    QRect r = view->visualRect(view->model()->index(row, col));
    r.moveTopLeft(viewport->mapTo(&g, r.topLeft()));
    return r;
}

// Asks the view under a point of the grid for its tooltip, as a resting mouse
// does; the tooltip's text, empty when none shows.
QString toolTipAt(FlexGrid &g, const QPoint &gridPos)
{
    QToolTip::hideText();
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
        return QStringLiteral("(the last tooltip stays)");
    QWidget *viewport = g.childAt(gridPos);
    if (!viewport)
        return QString();
    const QPoint local = viewport->mapFrom(&g, gridPos);
    QHelpEvent help(QEvent::ToolTip, local, viewport->mapToGlobal(local));
    QCoreApplication::sendEvent(viewport, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

void clickAt(FlexGrid &g, const QPoint &gridPos)
{
    QWidget *target = g.childAt(gridPos);
    QVERIFY(target);
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&g, gridPos));
}

QStringList column(const FlexGrid &g, int col)
{
    QStringList texts;
    for (int r = 0; r < g.Rows(); ++r)
        texts << g.TextMatrix(r, col);
    return texts;
}

} // namespace

class TestFlexGrid : public QObject {
    Q_OBJECT

private slots:
    void formatString_data();
    void formatString();
    void formatStringWidthsFollowHeaderBlanks();
    void registerGridHidesLastTwoColumns();
    void twipsRoundTrip_data();
    void twipsRoundTrip();
    void rowsFitTheFont_data();
    void rowsFitTheFont();
    void widenColumnsToText();
    void cutOffTextShowsInATooltip();
    void textMatrixOutsideItems();
    void sortRows_data();
    void sortRows();
    void sortKeepsFixedRowsAndMovesHeights();
    void fillNotifiesViewsOnce();
    void refillPaintsOnce();
    void stripsCoverTheCellsLeftUndrawn();
    void textSourceShowsTheSameCells();
    void cellAttributesMoveWithSortedRows();
    void mergeEqualNeighbours();
    void mergeFollowsTextsAndReachesStrips();
    void cellGeometry_data();
    void cellGeometry();
    void clickMakesCellCurrent_data();
    void clickMakesCellCurrent();
    void clickOutsideCellsSendsNoClick();
    void scrollEmitted();
    void currentCellNeverScrolls();
    void arrowKeysStayInDataCells();
    void cellsNotEditable();
};

void TestFlexGrid::formatString_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QString>("alignments");  // c centre, l left, r right, per column

    QTest::newRow("marks") << "^序号|<名称|>密码" << QStringList{"序号", "名称", "密码"} << "clr";
    QTest::newRow("blanks kept") << "^序号|^班　级|^ 科  目 |> 姓  名 |>密  码"
                                 << QStringList{"序号", "班　级", " 科  目 ", " 姓  名 ", "密  码"} << "cccrr";
    QTest::newRow("no mark is left") << "^序号|^班名称|^班 实 际 名|^班 主 任|MM"
                                     << QStringList{"序号", "班名称", "班 实 际 名", "班 主 任", "MM"} << "ccccl";
    QTest::newRow("box drawing") << "^0 │59|^60│79|>前10名平均分" << QStringList{"0 │59", "60│79", "前10名平均分"}
                                 << "ccr";
    QTest::newRow("register")
        << kRegisterFormat
        << QStringList{"编号", "学 籍 号", " 姓  名 ", "性别", "民族", "政治面貌", "出 生 日 期", "户口性质",
                       "原毕业学校", "住宿", "联 系  电 话", "　　籍　　　贯　　", "　家　庭　住　址　",
                       "　  特  长  　", "家长姓名", "与生关系", "　家　长　单　位　", "　　备      注　　", "I  D",
                       "保存"}
        << "ccccccrrlcrllllclrll";
}

void TestFlexGrid::formatString()
{
    QFETCH(QString, format);
    QFETCH(QStringList, headers);
    QFETCH(QString, alignments);

    FlexGrid g;
    g.setRows(0);
    g.setCols(30);
    g.setFormatString(format);
    QCOMPARE(g.Cols(), headers.size());
    QCOMPARE(g.Rows(), 1);
    for (int c = 0; c < g.Cols(); ++c) {
        QCOMPARE(g.TextMatrix(0, c), headers[c]);
        const Qt::Alignment h = g.ColAlignment(c) & Qt::AlignHorizontal_Mask;
        const Qt::Alignment expected = alignments[c] == u'c' ? Qt::AlignHCenter
            : alignments[c] == u'r'                          ? Qt::AlignRight
                                                             : Qt::AlignLeft;
        QCOMPARE(h, expected);
        QVERIFY(g.ColWidth(c) > 0);
    }
}

void TestFlexGrid::formatStringWidthsFollowHeaderBlanks()
{
    FlexGrid g;
    g.setFormatString(QStringLiteral("^姓名|^ 姓  名 |^　姓　名　|^学 籍 号|^学籍号"));
    QVERIFY(g.ColWidth(0) < g.ColWidth(1));
    QVERIFY(g.ColWidth(1) < g.ColWidth(2));
    QVERIFY(g.ColWidth(4) < g.ColWidth(3));
    // Each column shows its whole header text, drawn bold in the fixed row.
    QFont bold = g.font();
    bold.setBold(true);
    const QFontMetrics fm(bold);
    for (int c = 0; c < g.Cols(); ++c)
        QVERIFY2(g.columnWidth(c) > fm.horizontalAdvance(g.TextMatrix(0, c)), qPrintable(g.TextMatrix(0, c)));
    // A blank is at least half an ideograph wide: " 姓  名 " takes four ideographs' room.
    const int ideograph = fm.horizontalAdvance(QChar(0x4E00));
    QVERIFY(g.columnWidth(1) >= 4 * ideograph);
    QVERIFY(g.columnWidth(3) >= 4 * ideograph);
}

void TestFlexGrid::registerGridHidesLastTwoColumns()
{
    FlexGrid g;
    g.setFixedCols(2);
    g.setFormatString(kRegisterFormat);
    g.setColWidth(g.Cols() - 2, 0);
    g.setColWidth(g.Cols() - 1, 0);
    QCOMPARE(g.Cols(), 20);
    QCOMPARE(g.ColWidth(18), 0);
    QCOMPARE(g.ColWidth(19), 0);
    QVERIFY(g.ColWidth(17) > 0);
    QCOMPARE(g.TextMatrix(0, 18), QStringLiteral("I  D"));
    // Hidden in the fixed strips as well, where the header row is drawn.
    for (QTableView *view : g.findChildren<QTableView *>()) {
        QVERIFY(view->isColumnHidden(18));
        QVERIFY(view->isColumnHidden(19));
        QCOMPARE(view->columnWidth(17), g.columnWidth(17));
    }
    QCOMPARE(g.cellRect(1, 19).width(), 0);
}

void TestFlexGrid::twipsRoundTrip_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("readBack");

    QTest::newRow("450") << 450 << 450;
    QTest::newRow("225") << 225 << 225;
    QTest::newRow("900") << 900 << 900;
    QTest::newRow("445 to whole pixels") << 445 << 450;
    QTest::newRow("8 is one pixel") << 8 << 15;
    QTest::newRow("7 is no pixel: hidden") << 7 << 0;
    QTest::newRow("0 hides") << 0 << 0;
    QTest::newRow("negative hides") << -30 << 0;
}

void TestFlexGrid::twipsRoundTrip()
{
    QFETCH(int, twips);
    QFETCH(int, readBack);

    FlexGrid g;
    g.setRows(4);
    g.setCols(4);
    g.setColWidth(2, twips);
    g.setRowHeight(2, twips);
    QCOMPARE(g.ColWidth(2), readBack);
    // A shown row is at least as high as a new row, the height the font needs.
    QCOMPARE(g.RowHeight(2), readBack == 0 ? 0 : std::max(readBack, g.RowHeight(3)));
    QCOMPARE(g.isColumnHidden(2), readBack == 0);
    QCOMPARE(g.isRowHidden(2), readBack == 0);
    // A hidden column or row comes back with the next width.
    g.setColWidth(2, 600);
    g.setRowHeight(2, 600);
    QCOMPARE(g.ColWidth(2), 600);
    QCOMPARE(g.RowHeight(2), 600);
    QVERIFY(!g.isColumnHidden(2));
    QVERIFY(!g.isRowHidden(2));
}

void TestFlexGrid::rowsFitTheFont_data()
{
    QTest::addColumn<double>("points");   // 0: the program's font as it is
    QTest::newRow("program font") << 0.0;
    QTest::newRow("16 points") << 16.0;
}

// Rows set low (a register's loaded rows, 225 twips) and rows added afterwards
// are as high as each other and leave room around the glyphs; a larger font
// raises them all.
void TestFlexGrid::rowsFitTheFont()
{
    QFETCH(double, points);
    tessaly::test::ProgramFontScope programFont;
    FlexGrid g;
    if (points > 0) {
        QFont f = g.font();
        f.setPointSizeF(points);
        g.setFont(f);
    }
    g.setFormatString(QStringLiteral("^序号|^ 姓  名 |^备注"));
    g.setRows(4);
    for (int r = 1; r < 4; ++r) {
        g.setTextMatrix(r, 1, QStringLiteral("张三丰"));
        g.setRowHeight(r, 225);
    }
    g.setRows(6);   // two rows added
    QFont bold = g.font();
    bold.setBold(true);
    const int glyphs = std::max(QFontMetrics(g.font()).height(), QFontMetrics(bold).height());
    for (int r = 0; r < g.Rows(); ++r) {
        QVERIFY2(g.cellRect(r, 1).height() >= glyphs + 2, qPrintable(QString::number(r)));
        QCOMPARE(g.RowHeight(r), g.RowHeight(5));
    }
    // 0 still hides a row; a row set taller keeps its height.
    g.setRowHeight(2, 0);
    QCOMPARE(g.RowHeight(2), 0);
    QVERIFY(g.isRowHidden(2));
    const int tall = 2 * pixelsToTwips(glyphs + 2);
    g.setRowHeight(3, tall);
    QCOMPARE(g.RowHeight(3), tall);

    // A larger font: the rows grow with it, hidden ones stay hidden.
    QFont larger = g.font();
    larger.setPointSizeF(larger.pointSizeF() * 2);
    g.setFont(larger);
    const int largerGlyphs = QFontMetrics(larger).height();
    for (int r : {0, 1, 4, 5}) {
        QVERIFY2(g.cellRect(r, 1).height() >= largerGlyphs + 2, qPrintable(QString::number(r)));
        QCOMPARE(g.RowHeight(r), g.RowHeight(1));
    }
    QCOMPARE(g.RowHeight(2), 0);

    // A smaller font: a row set taller keeps its own height.
    const int kept = g.RowHeight(3);
    QFont smaller = g.font();
    smaller.setPointSizeF(smaller.pointSizeF() / 2);
    g.setFont(smaller);
    QCOMPARE(g.RowHeight(3), kept);
    QCOMPARE(g.RowHeight(2), 0);
}

void TestFlexGrid::widenColumnsToText()
{
    FlexGrid g;
    g.setFormatString(QStringLiteral("^序号|^名称|^地址|^备注|ID"));
    g.setColWidth(4, 0);
    g.setRows(3);
    const QFontMetrics fm(g.font());
    const QString address = QStringLiteral("浙江省杭州市西湖区文三路一百二十三号四幢五单元五零一室");
    g.setTextMatrix(1, 1, QStringLiteral("一"));
    g.setTextMatrix(1, 2, QStringLiteral("人民路1号"));
    g.setTextMatrix(2, 2, address);
    g.setTextMatrix(2, 3, QStringLiteral("住校"));
    g.setTextMatrix(2, 4, QStringLiteral("1234567890"));
    const int nameWidth = g.ColWidth(1);

    g.widenColumnsToText(0, 4, 1, 1);   // row 1 only
    QCOMPARE(g.ColWidth(1), nameWidth);   // fits already: never narrower
    QVERIFY(g.columnWidth(2) > fm.horizontalAdvance(QStringLiteral("人民路1号")));
    QCOMPARE(g.ColWidth(4), 0);   // hidden stays hidden

    g.widenColumnsToText(0, 4, 1, 2);
    // The address stops at a sensible width, well short of its whole text.
    const int ideograph = fm.horizontalAdvance(QChar(0x4E00));
    QVERIFY2(g.columnWidth(2) >= 12 * ideograph, qPrintable(QString::number(g.columnWidth(2))));
    QVERIFY2(g.columnWidth(2) <= 20 * ideograph, qPrintable(QString::number(g.columnWidth(2))));
    QVERIFY(g.columnWidth(2) < fm.horizontalAdvance(address));
    QCOMPARE(g.ColWidth(4), 0);
    // Fixed strips follow the widths.
    for (QTableView *view : g.findChildren<QTableView *>())
        QCOMPARE(view->columnWidth(2), g.columnWidth(2));
}

void TestFlexGrid::cutOffTextShowsInATooltip()
{
    FlexGrid g;
    showGrid(g);
    const QString whole = QStringLiteral("浙江省杭州市西湖区文三路");
    g.setTextMatrix(2, 2, whole);
    g.setTextMatrix(0, 3, whole);   // a header cell, drawn by the fixed strip
    QCOMPARE(toolTipAt(g, g.cellRect(2, 2).center()), whole);
    QCOMPARE(toolTipAt(g, g.cellRect(0, 3).center()), whole);
    QCOMPARE(toolTipAt(g, g.cellRect(2, 3).center()), QString());   // "2,3" fits
    // Widened so that it fits: no tooltip.
    g.setColWidth(2, pixelsToTwips(QFontMetrics(g.font()).horizontalAdvance(whole) + 20));
    QCOMPARE(toolTipAt(g, g.cellRect(2, 2).center()), QString());
    QToolTip::hideText();
}

void TestFlexGrid::textMatrixOutsideItems()
{
    FlexGrid g;
    QCOMPARE(g.Rows(), 2);
    QCOMPARE(g.Cols(), 2);
    QCOMPARE(g.Row(), 1);
    QCOMPARE(g.Col(), 1);
    QCOMPARE(g.TextMatrix(1, 1), QString());
    g.setRows(5);
    g.setCols(4);
    QCOMPARE(g.TextMatrix(4, 3), QString());
    QCOMPARE(g.TextMatrix(-1, 0), QString());
    QCOMPARE(g.TextMatrix(5, 0), QString());
    QCOMPARE(g.TextMatrix(0, 4), QString());

    g.setTextMatrix(4, 3, QStringLiteral("张三"));
    QCOMPARE(g.TextMatrix(4, 3), QStringLiteral("张三"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("outside a grid of 5 x 4")));
    g.setTextMatrix(9, 9, QStringLiteral("x"));  // outside: ignored
    QCOMPARE(g.Rows(), 5);
    QCOMPARE(g.Cols(), 4);

    // Rows cut away lose their texts; rows added back are empty.
    g.setRows(3);
    g.setRows(5);
    QCOMPARE(g.TextMatrix(4, 3), QString());

    // clearTexts empties texts and keeps sizes.
    g.setTextMatrix(1, 1, QStringLiteral("李四"));
    g.setColWidth(1, 1200);
    g.clearTexts();
    QCOMPARE(g.TextMatrix(1, 1), QString());
    QCOMPARE(g.ColWidth(1), 1200);
}

void TestFlexGrid::sortRows_data()
{
    QTest::addColumn<QStringList>("rows");  // data rows, cells separated by ','
    QTest::addColumn<int>("fromCol");
    QTest::addColumn<int>("toCol");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("expected");

    const int generic = int(FlexGrid::SortKind::Generic);
    const int noCase = int(FlexGrid::SortKind::TextNoCase);
    QTest::newRow("numbers by value") << QStringList{"10", "9", "2", "100"} << 0 << 0 << true << generic
                                      << QStringList{"2", "9", "10", "100"};
    QTest::newRow("empty, numbers, texts") << QStringList{"b", "10", "", "a", "9"} << 0 << 0 << true << generic
                                           << QStringList{"", "9", "10", "a", "b"};
    QTest::newRow("descending") << QStringList{"b", "10", "", "a", "9"} << 0 << 0 << false << generic
                                << QStringList{"b", "a", "10", "9", ""};
    QTest::newRow("signs, decimals, blanks")
        << QStringList{"1.5", "-2", " 3 ", "+0.5", "1.50"} << 0 << 0 << true << generic
        << QStringList{"-2", "+0.5", "1.5", "1.50", " 3 "};
    QTest::newRow("not numbers compare as text")
        << QStringList{"12a", "1e3", "1.2.3", "5"} << 0 << 0 << true << generic
        << QStringList{"5", "1.2.3", "12a", "1e3"};
    QTest::newRow("several keys descending, stable")
        << QStringList{"男,600,a", "女,650,b", "男,700,c", ",500,d", "男,600,e"} << 0 << 1 << false << generic
        << QStringList{"男,700,c", "男,600,a", "男,600,e", "女,650,b", ",500,d"};
    QTest::newRow("later key decides ties") << QStringList{"1,b", "1,a", "0,z"} << 0 << 1 << true << generic
                                            << QStringList{"0,z", "1,a", "1,b"};
    QTest::newRow("range given backwards") << QStringList{"1,b", "1,a", "0,z"} << 1 << 0 << true << generic
                                           << QStringList{"0,z", "1,a", "1,b"};
    QTest::newRow("columns outside the keys do not count")
        << QStringList{"b,1", "a,1", "c,0"} << 1 << 1 << true << generic << QStringList{"c,0", "b,1", "a,1"};
    QTest::newRow("text is case sensitive") << QStringList{"b", "A", "a", "B"} << 0 << 0 << true << generic
                                            << QStringList{"A", "B", "a", "b"};
    QTest::newRow("text without case") << QStringList{"b", "A", "a", "B"} << 0 << 0 << true << noCase
                                       << QStringList{"A", "a", "b", "B"};
    QTest::newRow("without case, numbers as text") << QStringList{"10", "9", "2"} << 0 << 0 << true << noCase
                                                   << QStringList{"10", "2", "9"};
}

void TestFlexGrid::sortRows()
{
    QFETCH(QStringList, rows);
    QFETCH(int, fromCol);
    QFETCH(int, toCol);
    QFETCH(bool, ascending);
    QFETCH(int, kind);
    QFETCH(QStringList, expected);

    FlexGrid g;
    const int cols = int(rows.first().split(u',').size());
    g.setCols(cols);
    g.setRows(int(rows.size()) + 1);
    g.setFixedCols(0);
    for (int c = 0; c < cols; ++c)
        g.setTextMatrix(0, c, QStringLiteral("0"));  // a fixed row that would sort first
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList cells = rows[r].split(u',');
        for (int c = 0; c < cols; ++c)
            g.setTextMatrix(r + 1, c, cells[c]);
    }
    g.sortRows(fromCol, toCol, ascending, FlexGrid::SortKind(kind));

    QStringList got;
    for (int r = 1; r < g.Rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < cols; ++c)
            cells << g.TextMatrix(r, c);
        got << cells.join(u',');
    }
    QCOMPARE(got, expected);
    QCOMPARE(g.TextMatrix(0, 0), QStringLiteral("0"));
}

void TestFlexGrid::sortKeepsFixedRowsAndMovesHeights()
{
    FlexGrid g;
    g.setCols(2);
    g.setRows(5);
    g.setFixedRows(2);
    const QStringList keys{"总分", "0", "30", "10", "20"};
    for (int r = 0; r < keys.size(); ++r) {
        g.setTextMatrix(r, 0, keys[r]);
        g.setTextMatrix(r, 1, QStringLiteral("row %1").arg(r));
    }
    g.setRowHeight(2, 0);    // "30" is hidden
    g.setRowHeight(3, 900);  // "10" is tall
    g.setRowHeight(4, 600);
    g.setRow(3);

    g.sortRows(0, 0, true);

    QCOMPARE(column(g, 0), (QStringList{"总分", "0", "10", "20", "30"}));
    QCOMPARE(column(g, 1), (QStringList{"row 0", "row 1", "row 3", "row 4", "row 2"}));
    QCOMPARE(g.RowHeight(2), 900);
    QCOMPARE(g.RowHeight(3), 600);
    QCOMPARE(g.RowHeight(4), 0);
    QCOMPARE(g.Row(), 3);
    // The strip drawing the fixed column hides the same row.
    auto *fixedCols = g.findChild<QTableView *>(QStringLiteral("fixedCols"));
    QVERIFY(fixedCols);
    QVERIFY(fixedCols->isRowHidden(4));
    QCOMPARE(fixedCols->rowHeight(2), g.rowHeight(2));
}

void TestFlexGrid::mergeEqualNeighbours()
{
    FlexGrid g;
    g.setFixedCols(0);
    g.mergeCol(0);  // before the grid is filled, as a window sets it at load
    g.setRows(9);
    g.setCols(2);
    const QStringList subjects{"语文", "语文", "语文", "数学", "数学", "英语", "", "", "英语"};
    for (int r = 0; r < subjects.size(); ++r) {
        g.setTextMatrix(r, 0, subjects[r]);
        g.setTextMatrix(r, 1, QStringLiteral("同"));
    }
    g.applyMerges();

    QCOMPARE(g.rowSpan(0, 0), 1);  // the header never merges into the data rows
    QCOMPARE(g.rowSpan(1, 0), 2);
    QCOMPARE(g.rowSpan(3, 0), 2);
    QCOMPARE(g.rowSpan(5, 0), 1);
    QCOMPARE(g.rowSpan(6, 0), 1);  // empty cells stay apart
    QCOMPARE(g.rowSpan(7, 0), 1);
    QCOMPARE(g.rowSpan(1, 1), 1);  // a column without a merge
    QCOMPARE(g.columnSpan(1, 0), 1);

    // A row merge joins equal headers.
    g.setTextMatrix(0, 1, QStringLiteral("语文"));
    g.mergeRow(0);
    g.applyMerges();
    QCOMPARE(g.columnSpan(0, 0), 2);

    g.clearMerges();
    QCOMPARE(g.rowSpan(1, 0), 1);
    QCOMPARE(g.columnSpan(0, 0), 1);
}

void TestFlexGrid::fillNotifiesViewsOnce()
{
    FlexGrid g;
    g.setRows(40);
    g.setCols(6);
    QApplication::processEvents();
    QSignalSpy changed(g.model(), &QAbstractItemModel::dataChanged);
    for (int r = 2; r < 40; ++r)
        for (int c = 1; c < 5; ++c)
            g.setTextMatrix(r, c, QString::number(r * 10 + c));
    // Texts read back at once; the views hear of the whole fill in one signal.
    QCOMPARE(g.TextMatrix(39, 4), QStringLiteral("394"));
    QCOMPARE(g.TextMatrix(39, 5), QString());
    QCOMPARE(changed.count(), 0);
    QApplication::processEvents();
    QCOMPARE(changed.count(), 1);
    const auto topLeft = changed[0][0].value<QModelIndex>();
    const auto bottomRight = changed[0][1].value<QModelIndex>();
    QCOMPARE(QPoint(topLeft.column(), topLeft.row()), QPoint(1, 2));
    QCOMPARE(QPoint(bottomRight.column(), bottomRight.row()), QPoint(4, 39));

    // Rows dropped before the signal leaves are not named in it.
    g.setTextMatrix(39, 0, QStringLiteral("x"));
    g.setRows(10);
    QApplication::processEvents();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(g.TextMatrix(9, 3), QStringLiteral("93"));
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *w) { w->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void TestFlexGrid::refillPaintsOnce()
{
    // A window's refill: the grid cut down to its header, then grown and filled again.
    FlexGrid g;
    showGrid(g);
    PaintCounter counter(g.viewport());
    g.setRows(2);
    g.setCols(3);
    g.setRows(30);
    g.setCols(10);
    for (int r = 1; r < g.Rows(); ++r)
        for (int c = 1; c < g.Cols(); ++c)
            g.setTextMatrix(r, c, QString::number(r * 100 + c));
    for (int c = 0; c < g.Cols(); ++c)
        g.setColWidth(c, 600 + 60 * c);
    g.setColWidth(3, 0);
    g.setRowHeight(4, 450);
    // Runs of equal texts merged in the first column.
    for (int r = 1; r < g.Rows(); ++r)
        g.setTextMatrix(r, 0, QString::number(r / 3));
    g.mergeCol(0);
    QApplication::processEvents();
    QCOMPARE(counter.paints, 1);
    QCOMPARE(g.rowSpan(3, 0), 3);
    // The views' layout after the changed counts, sizes and spans asks for no second paint.
    QApplication::processEvents();
    QCOMPARE(counter.paints, 1);
}

void TestFlexGrid::textSourceShowsTheSameCells()
{
    // A large grid whose data cells come from a source looks and reads as the same
    // grid written cell by cell, and asks the source only for the cells in view.
    const auto textOf = [](int r, int c) { return r % 7 == 0 ? QString() : QStringLiteral("%1:%2").arg(r).arg(c); };
    FlexGrid written, sourced;
    for (FlexGrid *g : {&written, &sourced}) {
        g->setRows(400);
        g->setCols(300);
        g->setFixedCols(2);
        for (int r = 0; r < g->Rows(); ++r)
            g->setTextMatrix(r, 0, QString::number(r));
        g->setTextMatrix(0, 5, QStringLiteral("head"));
        g->resize(320, 220);
        g->show();
    }
    for (int r = 1; r < written.Rows(); ++r)
        for (int c = 1; c < written.Cols(); ++c)
            written.setTextMatrix(r, c, textOf(r, c));
    QSet<QPair<int, int>> asked;
    sourced.setTextSource({1, 1, sourced.Rows() - 1, sourced.Cols() - 1, [&](int r, int c) {
                               asked.insert({r, c});
                               return textOf(r, c);
                           }});
    // A text written in the source's cells wins over the source.
    sourced.setTextMatrix(3, 4, QStringLiteral("own"));
    written.setTextMatrix(3, 4, QStringLiteral("own"));
    QVERIFY(QTest::qWaitForWindowExposed(&written));
    QVERIFY(QTest::qWaitForWindowExposed(&sourced));
    QApplication::processEvents();
    QCOMPARE(sourced.grab().toImage(), written.grab().toImage());
    QVERIFY(!asked.isEmpty());
    QVERIFY(asked.size() < 200);   // a screenful, not 400 x 300
    for (const QPair<int, int> &cell : std::as_const(asked))
        QVERIFY2(cell.first < 20 && cell.second < 10, qPrintable(QStringLiteral("%1,%2").arg(cell.first).arg(cell.second)));
    for (const auto &[r, c] : {std::pair{1, 1}, {3, 4}, {7, 9}, {399, 299}, {0, 5}, {250, 0}})
        QCOMPARE(sourced.TextMatrix(r, c), written.TextMatrix(r, c));

    // Sorting moves the source's texts with their rows; after clearTexts the cells are empty.
    written.sortRows(2, 2, false);
    sourced.sortRows(2, 2, false);
    for (int r = 0; r < written.Rows(); r += 37)
        for (int c = 0; c < written.Cols(); c += 23)
            QCOMPARE(sourced.TextMatrix(r, c), written.TextMatrix(r, c));
    sourced.setTextSource({1, 1, 10, 10, textOf});
    sourced.clearTexts();
    QCOMPARE(sourced.TextMatrix(1, 1), QString());
}

void TestFlexGrid::stripsCoverTheCellsLeftUndrawn()
{
    // Two fixed rows and columns, a merged fixed cell: the grid leaves the cells under
    // its strips to them, and looks as it does when it draws them all itself.
    FlexGrid g;
    showGrid(g);
    g.setFixedRows(2);
    g.setFixedCols(2);
    g.setTextMatrix(0, 1, QStringLiteral("0,0"));
    g.mergeRow(0);
    QApplication::processEvents();
    const QImage withStrips = g.grab().toImage();
    const QList<QTableView *> strips = g.findChildren<QTableView *>();
    QCOMPARE(strips.size(), 3);
    for (QTableView *strip : strips)
        strip->hide();
    const QImage alone = g.grab().toImage();
    QCOMPARE(withStrips, alone);
}

void TestFlexGrid::cellAttributesMoveWithSortedRows()
{
    FlexGrid g;
    g.setRows(4);
    g.setCols(2);
    const QStringList keys{"", "3", "1", "2"};
    for (int r = 1; r < 4; ++r)
        g.setTextMatrix(r, 1, keys[r]);
    QAbstractItemModel *m = g.model();
    m->setData(m->index(1, 0), QColor(Qt::red), Qt::ForegroundRole);
    m->setData(m->index(3, 1), int(Qt::AlignRight), Qt::TextAlignmentRole);
    g.sortRows(1, 1, true);
    QCOMPARE(g.TextMatrix(3, 1), QStringLiteral("3"));
    QCOMPARE(m->index(3, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    QVERIFY(!m->index(1, 0).data(Qt::ForegroundRole).isValid());
    QCOMPARE(m->index(2, 1).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight));
    // Attributes leave with their columns.
    g.setCols(1);
    g.setCols(2);
    QVERIFY(!m->index(2, 1).data(Qt::TextAlignmentRole).isValid());
}

void TestFlexGrid::mergeFollowsTextsAndReachesStrips()
{
    FlexGrid g;
    g.setRows(6);
    g.setCols(3);
    g.mergeCol(0);
    const QStringList subjects{"学科", "语文", "语文", "数学", "数学", "数学"};
    for (int r = 0; r < subjects.size(); ++r)
        g.setTextMatrix(r, 0, subjects[r]);
    g.grab();  // painting brings the spans up to date
    QCOMPARE(g.rowSpan(1, 0), 2);
    QCOMPARE(g.rowSpan(3, 0), 3);

    g.setTextMatrix(2, 0, QStringLiteral("数学"));
    g.grab();
    QCOMPARE(g.rowSpan(1, 0), 1);
    QCOMPARE(g.rowSpan(2, 0), 4);
    // Column 0 is fixed: its strip draws the same span.
    for (QTableView *view : g.findChildren<QTableView *>())
        QCOMPARE(view->rowSpan(2, 0), 4);
}

void TestFlexGrid::cellGeometry_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("hScroll");
    QTest::addColumn<int>("vScroll");

    QTest::newRow("data cell") << 2 << 3 << 0 << 0;
    QTest::newRow("data cell, scrolled") << 12 << 6 << 100 << 145;
    QTest::newRow("header cell, scrolled") << 0 << 5 << 100 << 145;
    QTest::newRow("fixed column cell, scrolled") << 11 << 0 << 100 << 145;
    QTest::newRow("corner, scrolled") << 0 << 0 << 100 << 145;
}

void TestFlexGrid::cellGeometry()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, hScroll);
    QFETCH(int, vScroll);

    FlexGrid g;
    showGrid(g);
    g.horizontalScrollBar()->setValue(hScroll);
    g.verticalScrollBar()->setValue(vScroll);
    QApplication::processEvents();

    const QRect rect = g.cellRect(row, col);
    QVERIFY(g.rect().contains(rect));
    const QRect drawn = drawnRect(g, row, col, rect.center());
    QCOMPARE(rect, drawn);

    g.setRow(row);
    g.setCol(col);
    QCOMPARE(g.CellLeft(), pixelsToTwips(drawn.x()));
    QCOMPARE(g.CellTop(), pixelsToTwips(drawn.y()));
    QCOMPARE(g.CellWidth(), pixelsToTwips(drawn.width()));
    QCOMPARE(g.CellHeight(), pixelsToTwips(drawn.height()));
}

void TestFlexGrid::clickMakesCellCurrent_data()
{
    cellGeometry_data();
}

void TestFlexGrid::clickMakesCellCurrent()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, hScroll);
    QFETCH(int, vScroll);

    FlexGrid g;
    showGrid(g);
    g.setRow(1);
    g.setCol(1);
    g.horizontalScrollBar()->setValue(hScroll);
    g.verticalScrollBar()->setValue(vScroll);
    QApplication::processEvents();

    QList<QPoint> seen;  // (col, row) as the Click handler sees them
    connect(&g, &FlexGrid::Click, &g, [&] { seen << QPoint(g.Col(), g.Row()); });
    QSignalSpy down(&g, &FlexGrid::MouseDown);

    const QPoint at = g.cellRect(row, col).center();
    clickAt(g, at);

    QCOMPARE(seen, QList<QPoint>{QPoint(col, row)});
    QCOMPARE(g.MouseRow(), row);
    QCOMPARE(g.MouseCol(), col);
    QCOMPARE(down.size(), 1);
    QCOMPARE(down[0][0].toInt(), 1);  // left button
    QCOMPARE(down[0][2].toInt(), pixelsToTwips(at.x()));
    QCOMPARE(down[0][3].toInt(), pixelsToTwips(at.y()));
    QCOMPARE(g.horizontalScrollBar()->value(), hScroll);
    QCOMPARE(g.verticalScrollBar()->value(), vScroll);
}

void TestFlexGrid::clickOutsideCellsSendsNoClick()
{
    FlexGrid g;
    g.setRows(2);
    g.setCols(2);
    g.resize(400, 300);
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    g.setRow(1);
    g.setCol(1);
    QSignalSpy clicks(&g, &FlexGrid::Click);
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, QPoint(380, 280) - g.viewport()->pos());
    QCOMPARE(clicks.size(), 0);
    QCOMPARE(g.MouseRow(), -1);
    QCOMPARE(g.Row(), 1);
}

void TestFlexGrid::scrollEmitted()
{
    FlexGrid g;
    showGrid(g);
    QSignalSpy scrolls(&g, &FlexGrid::Scroll);
    g.verticalScrollBar()->setValue(40);
    QCOMPARE(scrolls.size(), 1);
    g.horizontalScrollBar()->setValue(30);
    QCOMPARE(scrolls.size(), 2);

    // The wheel over the header row scrolls the grid.
    QWidget *header = g.childAt(g.cellRect(0, 3).center());
    QVERIFY(header && header != g.viewport());
    const QPoint pos(10, 5);
    QWheelEvent wheel(pos, header->mapToGlobal(pos), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(header, &wheel);
    QVERIFY(g.verticalScrollBar()->value() > 40);
    QCOMPARE(scrolls.size(), 3);
}

void TestFlexGrid::currentCellNeverScrolls()
{
    FlexGrid g;
    showGrid(g);
    QSignalSpy scrolls(&g, &FlexGrid::Scroll);
    g.setRow(29);
    g.setCol(9);
    g.setFocus();
    QApplication::processEvents();
    QCOMPARE(g.Row(), 29);
    QCOMPARE(g.Col(), 9);
    QCOMPARE(scrolls.size(), 0);
    QCOMPARE(g.verticalScrollBar()->value(), 0);
    QCOMPARE(g.horizontalScrollBar()->value(), 0);
}

void TestFlexGrid::arrowKeysStayInDataCells()
{
    FlexGrid g;
    showGrid(g);
    g.activateWindow();
    g.setFocus();
    g.setRow(1);
    g.setCol(1);
    QTest::keyClick(&g, Qt::Key_Down);
    QCOMPARE(g.Row(), 2);
    QTest::keyClick(&g, Qt::Key_Up);
    QTest::keyClick(&g, Qt::Key_Up);
    QCOMPARE(g.Row(), 1);  // not into the header row
    QTest::keyClick(&g, Qt::Key_Left);
    QCOMPARE(g.Col(), 1);  // not into the fixed column

    // Moving down past the bottom scrolls the cell into view below the header row.
    for (int i = 0; i < 15; ++i)
        QTest::keyClick(&g, Qt::Key_Down);
    QCOMPARE(g.Row(), 16);
    const QRect cell = g.cellRect(16, 1);
    QVERIFY(g.viewport()->geometry().contains(cell));
    QVERIFY(cell.top() >= g.cellRect(0, 1).bottom());
}

void TestFlexGrid::cellsNotEditable()
{
    FlexGrid g;
    showGrid(g);
    const QPoint at = g.cellRect(3, 3).center();
    QWidget *target = g.childAt(at);
    QTest::mouseDClick(target, Qt::LeftButton, {}, target->mapFrom(&g, at));
    QTest::keyClicks(&g, QStringLiteral("abc"));
    QTest::keyClick(&g, Qt::Key_F2);
    QTest::keyClick(&g, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), &g);
    QVERIFY(g.findChildren<QLineEdit *>().isEmpty());
    QCOMPARE(g.TextMatrix(3, 3), QStringLiteral("3,3"));
    QVERIFY(!(g.model()->flags(g.model()->index(3, 3)) & Qt::ItemIsEditable));
}

QTEST_MAIN(TestFlexGrid)
#include "tst_flex_grid.moc"
