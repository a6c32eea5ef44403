#include "widgets/flex_grid.h"
#include "reports/paper_preview.h"

#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace tessaly;
using namespace tessaly::reports;
using namespace Qt::StringLiterals;

namespace {

// A grid of `rows` rows (two header rows) in its own parent, as a window holds it.
struct PreviewFixture {
    QWidget window;
    FlexGrid *grid = new FlexGrid(&window);
    PaperPreview *preview = new PaperPreview(kTranscriptPage, u"成绩单预览图"_s, &window);

    explicit PreviewFixture(int rows)
    {
        window.resize(900, 700);
        grid->setCols(4);
        grid->setRows(rows);
        grid->setFixedRows(2);
        for (int r = 0; r < rows; ++r)
            grid->setTextMatrix(r, 0, QString::number(r));
        preview->hide();
        preview->OpenPaperPreview(grid, u"    初一各科成绩报表    "_s, QDate(2025, 10, 15));
    }
    int rowHeight() const { return grid->RowHeight(0); }
    // A press on the edge zone at (x, y), a drag to (toX, toY) and the release.
    void drag(int x, int y, int toX, int toY)
    {
        emit grid->MouseMove(0, 0, x, y);
        emit grid->MouseDown(1, 0, x, y);
        emit grid->MouseMove(1, 0, toX, toY);
        emit grid->MouseUp(1, 0, toX, toY);
    }
    QList<int> hiddenRows() const
    {
        QList<int> hidden;
        for (int r = 0; r < grid->Rows(); ++r)
            if (grid->RowHeight(r) == 0)
                hidden << r;
        return hidden;
    }
};

QList<int> range(int first, int last)
{
    QList<int> rows;
    for (int r = first; r <= last; ++r)
        rows << r;
    return rows;
}

} // namespace

class PaperPreviewTest : public QObject {
    Q_OBJECT
private slots:
    void paging_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("perPage");
        QTest::addColumn<int>("pages");
        QTest::newRow("50 rows, R 10") << 50 << 10 << 6;
        QTest::newRow("exactly full") << 18 << 10 << 2;
        QTest::newRow("headers only") << 2 << 10 << 1;
        QTest::newRow("R 3: one row a page") << 7 << 3 << 5;
    }
    void paging()
    {
        QFETCH(int, rows);
        QFETCH(int, perPage);
        QFETCH(int, pages);
        QCOMPARE(pageCount(rows, perPage), pages);
        QCOMPARE(pageRows(pages, perPage).last >= rows - 1, true);
    }

    void lastPageBySize_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("last");
        QTest::newRow("100 rows, 20 fit") << 100 << 40 << 7;
        QTest::newRow("header and one row") << 2 << 40 << 0;
        QTest::newRow("three rows") << 3 << 40 << 1;
        // Page 7 starts at row 80: with 12 rows shown, row 99 needs page 8.
        QTest::newRow("the rest does not fit") << 100 << 12 << 8;
        QTest::newRow("never beyond the last row's page") << 100 << 0 << 8;
    }
    void lastPageBySize()
    {
        QFETCH(int, rows);
        QFETCH(int, shown);
        QFETCH(int, last);
        QCOMPARE(reports::lastPageBySize(rows, 15, shown), last);
    }

    void pageRowsOfFiftyRows()
    {
        QCOMPARE(pageRows(1, 10).first, 2);
        QCOMPARE(pageRows(1, 10).last, 9);
        QCOMPARE(pageRows(6, 10).first, 42);
        QCOMPARE(pageRows(6, 10).last, 49);
    }

    void rowsPerPageIsClamped()
    {
        QCOMPARE(rowsPerPage(14300, 900), 15);
        QCOMPARE(rowsPerPage(1000, 900), kMinRowsPerPage);
        QCOMPARE(rowsPerPage(-500, 300), kMinRowsPerPage);
        QCOMPARE(rowsPerPage(14300, 0), 14300);   // a hidden header row divides by nothing
    }

    void transcriptPageLayout()
    {
        const PreviewGeometry g = layoutPreviewPage({}, 1100, 950, 9440, 14300, 9700, 300, 600);
        QCOMPARE(g.titleTop, 1100);
        QCOMPARE(g.titleLeft, 1000);
        QCOMPARE(g.labelTop, 1550);
        QCOMPARE(g.tableTop, 1800);
        QCOMPARE(g.dateLeft, 1150);
        QCOMPARE(g.pageLabelLeft, 950 + 9440 - 600 - 200);
        QCOMPARE(g.paperWidth, 9700);
        QCOMPARE(g.paperHeight, 16700);
        QCOMPARE(g.scrollMax, 10360);
        QCOMPARE(g.rowsPerPage, 47);
        QCOMPARE(g.tableHeight, 47 * 300);

        // The report's header row of 900: 15 rows, 13500 high.
        const PreviewGeometry report = layoutPreviewPage({}, 1100, 700, 10240, 14300, 11450, 900, 600);
        QCOMPARE(report.rowsPerPage, 15);
        QCOMPARE(report.tableHeight, 13500);
    }

    void layoutKeepsZeroArgumentsAndClampsTheRest()
    {
        const PreviewGeometry g = layoutPreviewPage({}, 1100, 950, 9440, 14300, 9700, 300, 600);
        const PreviewGeometry kept = layoutPreviewPage(g, 0, 0, 0, 0, 9700, 300, 600);
        QCOMPARE(kept.titleTop, 1100);
        QCOMPARE(kept.tableLeft, 950);
        QCOMPARE(kept.tableWidth, 9440);
        QCOMPARE(kept.tableHeight, g.tableHeight);

        const PreviewGeometry narrow = layoutPreviewPage(g, -400, -30, -10, 100, 9700, 300, 600);
        QCOMPARE(narrow.titleTop, 0);
        QCOMPARE(narrow.tableLeft, 0);
        QCOMPARE(narrow.tableWidth, kMinTableWidth);
        QCOMPARE(narrow.rowsPerPage, kMinRowsPerPage);
        QCOMPARE(narrow.tableHeight, 3 * 300);
        QCOMPARE(narrow.scrollMax >= narrow.scrollMin, true);
    }

    void edgeZones_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("edge");
        QTest::newRow("left") << 10 << 500 << int(Edge::Left);
        QTest::newRow("right") << 1960 << 500 << int(Edge::Right);
        QTest::newRow("bottom") << 500 << 2990 << int(Edge::Bottom);
        QTest::newRow("top") << 500 << 5 << int(Edge::Top);
        QTest::newRow("corner: left first") << 0 << 0 << int(Edge::Left);
        QTest::newRow("inside") << 500 << 500 << int(Edge::None);
    }
    void edgeZones()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, edge);
        QCOMPARE(int(edgeAt(x, y, 2000, 3000)), edge);
    }

    void openingShowsTitleDateAndFirstPage()
    {
        PreviewFixture f(50);
        QCOMPARE(f.preview->state(), PaperPreview::Shown);
        QCOMPARE(f.grid->parentWidget(), f.preview->paperSheet);
        QCOMPARE(f.preview->titleBox->text(), u"    初一各科成绩报表    "_s);
        QVERIFY(f.preview->drawnAtLabel->text().startsWith(u"制表时间:"_s));
        QCOMPARE(f.preview->pageLabel->text(), u"第1页"_s);
        QCOMPARE(f.grid->ScrollBars(), 0);
        // The paper box with its caption on the toolbar.
        QCOMPARE(f.preview->paperLabel->text(), u"选打印纸"_s);
        QVERIFY(f.preview->paperLabel->isVisibleTo(f.preview));
        f.preview->toolbarPanel->layout()->activate();
        QVERIFY(f.preview->paperLabel->geometry().right() < f.preview->paperCombo->geometry().left());
    }

    void pageTurnsHideAndShowRows()
    {
        PreviewFixture f(50);
        f.preview->LayoutPreviewPage(0, 0, 0, 10 * f.rowHeight());
        QCOMPARE(f.preview->rowsPerPage(), 10);

        f.preview->previousPageClicked();   // page 1: nothing
        QCOMPARE(f.preview->currentPage(), 1);
        for (int i = 0; i < 8; ++i)
            f.preview->nextPageClicked();
        QCOMPARE(f.preview->currentPage(), 6);
        QCOMPARE(f.preview->pageLabel->text(), u"第6页"_s);
        QCOMPARE(f.hiddenRows(), range(2, 41));

        f.preview->previousPageClicked();
        QCOMPARE(f.preview->currentPage(), 5);
        QCOMPARE(f.hiddenRows(), range(2, 33));

        // The options' 确定 sets only the label: the pages turned over can still be
        // turned back, and the next page is numbered from the page shown.
        f.preview->showFirstPageLabel();
        QCOMPARE(f.preview->pageLabel->text(), u"第1页"_s);
        QCOMPARE(f.preview->currentPage(), 5);
        QCOMPARE(f.hiddenRows(), range(2, 33));
        f.preview->nextPageClicked();
        QCOMPARE(f.preview->pageLabel->text(), u"第6页"_s);
        for (int i = 0; i < 5; ++i)
            f.preview->previousPageClicked();
        QCOMPARE(f.preview->pageLabel->text(), u"第1页"_s);
        QVERIFY(f.hiddenRows().isEmpty());
    }

    void edgeDrops()
    {
        PreviewFixture f(50);
        const PreviewGeometry before = f.preview->geometry();

        // A top edge dropped 300 lower moves the title and the table down by 300.
        f.drag(400, 5, 400, 300);
        QCOMPARE(f.preview->geometry().titleTop, before.titleTop + 300);
        QCOMPARE(f.preview->geometry().tableTop, before.tableTop + 300);
        QCOMPARE(f.preview->state(), PaperPreview::Dropped);
        QCOMPARE(f.preview->grabbedEdge(), Edge::None);

        // Press and release on the right edge zone without moving: the width stays.
        const int w = f.preview->geometry().tableWidth;
        emit f.grid->MouseMove(0, 0, w - 10, 500);
        emit f.grid->MouseDown(1, 0, w - 10, 500);
        emit f.grid->MouseUp(1, 0, w - 10, 500);
        QCOMPARE(f.preview->geometry().tableWidth, w);

        // The right edge dragged far past the left one: the narrowest table.
        f.drag(w - 10, 500, -5000, 500);
        QCOMPARE(f.preview->geometry().tableWidth, kMinTableWidth);

        // The left edge dragged left of the paper stops at 0.
        f.drag(10, 500, -5000, 500);
        QCOMPARE(f.preview->geometry().tableLeft, 0);
    }

    void bottomDropKeepsAtLeastThreeRowsAndAValidPage()
    {
        PreviewFixture f(50);
        const int h = f.rowHeight();
        f.preview->LayoutPreviewPage(0, 0, 0, 10 * h);
        for (int i = 0; i < 5; ++i)
            f.preview->nextPageClicked();
        QCOMPARE(f.preview->currentPage(), 6);

        // Up by two rows: R 8, pages of 6 rows; page 6 still exists (rows 32 to 37).
        const int bottom = 10 * h;
        f.drag(400, bottom - 10, 400, bottom - 10 - 2 * h);
        QCOMPARE(f.preview->rowsPerPage(), 8);
        QCOMPARE(f.preview->currentPage(), 6);

        // Dragged above the table's top: three rows a page, never zero.
        f.drag(400, 8 * h - 10, 400, -3000);
        QCOMPARE(f.preview->rowsPerPage(), kMinRowsPerPage);
        QCOMPARE(f.preview->geometry().tableHeight, 3 * h);
        QCOMPARE(pageCount(50, f.preview->rowsPerPage()), 48);

        // Much taller again: page 6 is beyond the last page and falls back to it.
        f.drag(400, 3 * h - 10, 400, 60 * h);
        QCOMPARE(f.preview->rowsPerPage(), 60);
        QCOMPARE(f.preview->currentPage(), 1);
        QCOMPARE(f.preview->pageLabel->text(), u"第1页"_s);
    }

    void pressAwayFromTheEdgesMovesNothing()
    {
        PreviewFixture f(50);
        const PreviewGeometry before = f.preview->geometry();
        emit f.grid->MouseMove(0, 0, 10, 500);    // over the left edge zone
        emit f.grid->MouseMove(0, 0, 500, 500);   // and away again
        emit f.grid->MouseDown(1, 0, 500, 500);
        emit f.grid->MouseMove(1, 0, 2000, 500);
        emit f.grid->MouseUp(1, 0, 2000, 500);
        QCOMPARE(f.preview->geometry().tableLeft, before.tableLeft);
    }

    void closingRestoresRowsAndHandsTheGridBack()
    {
        PreviewFixture f(50);
        QSignalSpy closed(f.preview, &PaperPreview::closed);
        f.preview->LayoutPreviewPage(0, 0, 0, 10 * f.rowHeight());
        f.preview->nextPageClicked();
        f.preview->ClosePaperPreview();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(f.preview->state(), PaperPreview::Closed);
        QVERIFY(f.hiddenRows().isEmpty());
        QCOMPARE(f.grid->ScrollBars(), 3);
        QVERIFY(f.grid->parentWidget() != f.preview->paperSheet);

        // Mouse events after closing do nothing.
        emit f.grid->MouseDown(1, 0, 10, 10);
        QCOMPARE(f.preview->state(), PaperPreview::Closed);
    }
};

QTEST_MAIN(PaperPreviewTest)
#include "tst_paper_preview.moc"
