// Formulas without a stored result, evaluated from typed cells as a spreadsheet shows
// them: operators and their order, the functions, references across sheets, cycles and
// what is not evaluated, and bounded work on hostile input.
#include "workbook/formula.h"

#include <QtTest>

#include <memory>

using namespace tessaly;
using namespace tessaly::formula;
using workbook::SheetCells;

namespace {

const QStringList kSheets{QStringLiteral("成绩"), QStringLiteral("Sheet 2")};

Pending pending(const QString &text, excel::FormatKind kind = excel::FormatKind::Number,
                std::optional<Value> stored = std::nullopt)
{
    Pending p;
    p.tree = std::make_shared<const Node>(parseFormula(text, kSheets));
    p.kind = kind;
    p.stored = std::move(stored);
    return p;
}

//      A      B    C     D     E     F
// 1    张三   80   90.5  TRUE  "12"  #DIV/0!
// 2    李四   60   70
// 3    王五   95
Grid scores()
{
    Grid g;
    g.setValue(1, 1, Value::ofText(QStringLiteral("张三")));
    g.setValue(1, 2, Value::ofNumber(80));
    g.setValue(1, 3, Value::ofNumber(90.5));
    g.setValue(1, 4, Value::ofBoolean(true));
    g.setValue(1, 5, Value::ofText(QStringLiteral("12")));
    g.setValue(1, 6, Value::ofError(ErrorCode::Div0));
    g.setValue(2, 1, Value::ofText(QStringLiteral("李四")));
    g.setValue(2, 2, Value::ofNumber(60));
    g.setValue(2, 3, Value::ofNumber(70));
    g.setValue(3, 1, Value::ofText(QStringLiteral("王五")));
    g.setValue(3, 2, Value::ofNumber(95));
    return g;
}

// "Sheet 2": A1 100, A2 "abc", A3 =A1*2, B1 =成绩!B1+1 (formulas without results).
Grid secondSheet()
{
    Grid g;
    g.setValue(1, 1, Value::ofNumber(100));
    g.setValue(2, 1, Value::ofText(QStringLiteral("abc")));
    g.setFormula(3, 1, pending(QStringLiteral("A1*2")));
    g.setFormula(1, 2, pending(QStringLiteral("成绩!B1+1")));
    return g;
}

struct Run {
    SheetCells cells;
    int loads = 0;
    qint64 work = 0;
};

// Evaluates the first sheet's formulas; the second sheet is loaded when referenced.
Run evaluate(Grid first, Grid second = secondSheet())
{
    Run run;
    Evaluator evaluator(2, false, [&](int sheet, Grid *grid) {
        ++run.loads;
        if (sheet != 1)
            return false;
        *grid = second;
        return true;
    });
    evaluator.evaluateSheet(0, std::move(first), &run.cells);
    run.work = evaluator.work();
    return run;
}

QString at(const Run &run, int row, int col)
{
    return run.cells.value(row, col);
}

} // namespace

class TestFormula : public QObject {
    Q_OBJECT

private slots:
    // Each formula sits in H2 of the score grid.
    void formulas_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char *formula, const QString &shown) {
            QTest::newRow(formula) << QString::fromUtf8(formula) << shown;
        };
        // Operators in a spreadsheet's order: a sign before ^, ^ from the left.
        row("1+2*3", "7");
        row("(1+2)*3", "9");
        row("-2^2", "4");
        row("2^3^2", "64");
        row("10/4", "2.5");
        row("B1/0", "#DIV/0!");
        row("0^0", "#NUM!");
        row("50%", "0.5");
        row("-B2+1", "-59");
        row("\"a\"&1&TRUE", "a1TRUE");
        row("\"x\"\"y\"", "x\"y");
        row("A1&B1", "张三80");
        row("C3&\"\"", "");
        // What operands become: numeric text and booleans count, other text does not,
        // errors pass on, an empty cell is 0.
        row("B1+E1", "92");
        row("D1+1", "2");
        row("B1+A1", "#VALUE!");
        row("F1+1", "#DIV/0!");
        row("C3", "0");
        row("B1:B3", "60");  // the cell in the formula's row
        row("B1:C1", "#VALUE!");
        // Comparisons: numbers before texts before booleans, texts without case, 15 digits.
        row("B1>C1", "FALSE");
        row("\"abc\"=\"ABC\"", "TRUE");
        row("1<\"a\"", "TRUE");
        row("\"a\"<TRUE", "TRUE");
        row("0.1+0.2=0.3", "TRUE");
        row("C3=0", "TRUE");
        row("C3=\"\"", "TRUE");
        row("B1<>80", "FALSE");
        // Functions: references give their numbers, direct arguments are converted.
        row("SUM(B1:C3)", "395.5");
        row("SUM(B1:E1)", "170.5");
        row("SUM(D1,E1,1)", "1");
        row("SUM(TRUE,\"12\",1)", "14");
        row("SUM(B1:F1)", "#DIV/0!");
        row("SUM(A1,\"x\")", "#VALUE!");
        row("SUM($1:$1)", "#DIV/0!");
        row("SUM(3:3)", "95");
        row("SUM(B:B)", "235");
        row("AVERAGE(B1:B3)", "78.3333333333333");
        row("ROUND(AVERAGE(B1:B3),2)", "78.33");
        row("AVERAGE(C3:C9)", "#DIV/0!");
        row("COUNT(A1:F3)", "5");
        row("COUNT(1,\"2\",\"x\",TRUE)", "3");
        row("COUNTA(A1:F3)", "11");
        row("MAX(B1:C3)", "95");
        row("MIN(B1:C3,55)", "55");
        row("MAX(C3:C9)", "0");
        row("ROUND(2.675,2)", "2.68");
        row("ROUND(-2.5,0)", "-3");
        row("ROUND(1234.5,-2)", "1200");
        row("ROUND(1)", "#VALUE!");
        row("ABS(-3.5)", "3.5");
        row("IF(B1>=60,\"及格\",\"不及格\")", QStringLiteral("及格"));
        row("IF(B2>80,1)", "FALSE");
        row("IF(TRUE,,1)", "0");
        row("IF(A1,1,2)", "#VALUE!");
        row("IF(B1>0,B2,1/0)", "60");  // the branch not taken is not evaluated
        row("AND(B1>60,C1>60)", "TRUE");
        row("OR(B2>80,C2>80)", "FALSE");
        row("AND(A1:A3)", "#VALUE!");
        row("OR(D1,A1:A3)", "TRUE");
        row("RANK(B2,B1:B3)", "3");
        row("RANK(B3,$B$1:$B$3)", "1");
        row("RANK(B2,B1:B3,1)", "1");
        row("RANK(80,B1:C2)", "2");
        row("RANK(7,B1:B3)", "#N/A");
        row("_xlfn.RANK.EQ(B1,B1:B3)", "2");
        row("SUMIF(B1:B3,\">=80\",C1:C3)", "90.5");
        row("SUMIF(B1:B3,\">=80\")", "175");
        row("SUMIF(A1:A3,\"李四\",B1)", "60");  // the sum range takes the range's size
        row("SUMIF(C1:C3,\"\",B1:B3)", "95");
        row("COUNTIF(A1:A3,\"张*\")", "1");
        row("COUNTIF(A1:A3,\"?四\")", "1");
        row("COUNTIF(A1:A3,\"<>李四\")", "2");
        row("COUNTIF(B1:B3,\">=60\")", "3");
        row("COUNTIF(B1:C3,\"\")", "1");
        row("COUNTIF(E1,12)", "1");  // text that reads as the number
        row("COUNTIF(B:B,80)", "1");
        row("COUNTIF(D1:D3,TRUE)", "1");
        // Other sheets, by name without case; a formula there is evaluated first.
        row("'Sheet 2'!A1+1", "101");
        row("'sheet 2'!A2", "abc");
        row("SUM('Sheet 2'!A1:A5)", "300");
        row("'Sheet 2'!B1", "81");
        row("Nosuch!A1", "#REF!");
        // Not evaluated: the spreadsheet's #NAME?.
        row("FOO(1)", "#NAME?");
        row("VLOOKUP(1,B1:C3,2)", "#NAME?");
        row("1+myName", "#NAME?");
        row("{1,2}", "#NAME?");
        row("SUM(", "#NAME?");
        row("#N/A", "#N/A");
    }
    void formulas()
    {
        QFETCH(QString, formula);
        QFETCH(QString, shown);
        Grid grid = scores();
        grid.setFormula(2, 8, pending(formula));
        QCOMPARE(at(evaluate(std::move(grid)), 2, 8), shown);
    }

    // A cycle, through one cell or several, or through another sheet, reads #REF! and
    // so does what uses it; a chain is evaluated in whatever order it is written.
    void cycles()
    {
        Grid grid = scores();
        grid.setFormula(1, 8, pending(QStringLiteral("H2+1")));
        grid.setFormula(2, 8, pending(QStringLiteral("H1+1")));
        grid.setFormula(3, 8, pending(QStringLiteral("H3")));
        grid.setFormula(4, 8, pending(QStringLiteral("SUM(H1:H2)+1")));
        grid.setFormula(5, 8, pending(QStringLiteral("'Sheet 2'!A1")));  // Sheet 2!A1 = 成绩!H5
        grid.setFormula(1, 9, pending(QStringLiteral("I2+1")));
        grid.setFormula(2, 9, pending(QStringLiteral("I3+1")));
        grid.setFormula(3, 9, pending(QStringLiteral("B3")));
        Grid second;
        second.setFormula(1, 1, pending(QStringLiteral("成绩!H5")));
        const Run run = evaluate(std::move(grid), std::move(second));
        for (int row = 1; row <= 5; ++row)
            QCOMPARE(at(run, row, 8), QStringLiteral("#REF!"));
        QCOMPARE(at(run, 1, 9), QStringLiteral("97"));
        QCOMPARE(at(run, 2, 9), QStringLiteral("96"));
        QCOMPARE(at(run, 3, 9), QStringLiteral("95"));
        QCOMPARE(run.loads, 1);
    }

    // Chains far deeper than the stack allows are still evaluated; a cycle as long
    // reads #REF!.
    void longChains_data()
    {
        QTest::addColumn<bool>("closed");
        QTest::newRow("chain") << false;
        QTest::newRow("cycle") << true;
    }
    void longChains()
    {
        QFETCH(bool, closed);
        const int length = 20000;
        Grid grid;
        for (int row = 1; row < length; ++row)
            grid.setFormula(row, 1, pending(QStringLiteral("A%1+1").arg(row + 1)));
        grid.setFormula(length, 1, pending(closed ? QStringLiteral("A1") : QStringLiteral("1")));
        const Run run = evaluate(std::move(grid));
        QCOMPARE(at(run, 1, 1), closed ? QStringLiteral("#REF!") : QString::number(length));
        QCOMPARE(at(run, length / 2, 1), closed ? QStringLiteral("#REF!") : QString::number(length / 2 + 1));
    }

    // A shared formula used away from its first cell moves its relative references.
    void sharedFormulaMoves()
    {
        Grid grid = scores();
        Pending moved = pending(QStringLiteral("SUM(B1:C1)+$B$1"));
        moved.rowShift = 1;
        grid.setFormula(2, 8, moved);
        moved.rowShift = -5;  // off the sheet
        grid.setFormula(3, 8, moved);
        const Run run = evaluate(std::move(grid));
        QCOMPARE(at(run, 2, 8), QStringLiteral("210"));
        QCOMPARE(at(run, 3, 8), QStringLiteral("#REF!"));
    }

    // Where a stored result may stand for "not calculated" (an empty text), it stays
    // when the formula holds what is not evaluated; else the result is evaluated.
    void storedResultStandsForUnsupported()
    {
        Grid grid = scores();
        const Value empty = Value::ofText(QString());
        grid.setFormula(1, 8, pending(QStringLiteral("VLOOKUP(1,B1:C3,2)"), excel::FormatKind::Number, empty));
        grid.setFormula(2, 8, pending(QStringLiteral("B1/0"), excel::FormatKind::Number, empty));
        grid.setFormula(3, 8, pending(QStringLiteral("SUM(B1:B3)"), excel::FormatKind::Number, empty));
        grid.setFormula(4, 8, pending(QStringLiteral("H1&\"x\""), excel::FormatKind::Number, empty));
        const Run run = evaluate(std::move(grid));
        QCOMPARE(at(run, 1, 8), QString());
        QCOMPARE(at(run, 2, 8), QStringLiteral("#DIV/0!"));
        QCOMPARE(at(run, 3, 8), QStringLiteral("235"));
        QCOMPARE(at(run, 4, 8), QStringLiteral("x"));
    }

    // Results are shown through the cell's number format, as stored values are.
    void resultsThroughFormat()
    {
        Grid grid = scores();
        grid.setFormula(1, 8, pending(QStringLiteral("41486+B1-80"), excel::FormatKind::Date));
        grid.setFormula(2, 8, pending(QStringLiteral("B2>50"), excel::FormatKind::Date));
        grid.setFormula(3, 8, pending(QStringLiteral("10.6320601851852"), excel::FormatKind::Elapsed));
        const Run run = evaluate(std::move(grid));
        QCOMPARE(at(run, 1, 8), QStringLiteral("2013-07-31"));
        QCOMPARE(at(run, 2, 8), QStringLiteral("TRUE"));
        QCOMPARE(at(run, 3, 8), QStringLiteral("255:10:10"));
    }

    // Formulas that would take long or go deep stop at the bounds: trees too deep are
    // refused when parsed, and a sheet's work stops at its budget.
    void hostileFormulas()
    {
        Grid grid = scores();
        grid.setFormula(1, 8, pending(QString(5000, u'(') + u'1' + QString(5000, u')')));
        QString sum = QStringLiteral("1");
        for (int i = 0; i < 3000; ++i)
            sum += QStringLiteral("+1");
        grid.setFormula(2, 8, pending(sum));
        grid.setFormula(3, 8, pending(QString(5000, u'-') + u'1'));
        const Run run = evaluate(std::move(grid));
        for (int row = 1; row <= 3; ++row)
            QCOMPARE(at(run, row, 8), QStringLiteral("#NAME?"));

        // Formulas beyond the cap are not held (memory stays bounded): they read an error.
        Grid crowded;
        const auto one = std::make_shared<const Node>(parseFormula(QStringLiteral("1"), kSheets));
        for (int row = 1; row <= int(kMaxFormulas) + 5; ++row)
            crowded.setFormula(row, 1, Pending{one, 0, 0, excel::FormatKind::Number, std::nullopt});
        const Run capped = evaluate(std::move(crowded));
        QCOMPARE(at(capped, int(kMaxFormulas), 1), QStringLiteral("1"));
        QCOMPARE(at(capped, int(kMaxFormulas) + 1, 1), QStringLiteral("#VALUE!"));
        QCOMPARE(at(capped, int(kMaxFormulas) + 5, 1), QStringLiteral("#VALUE!"));

        // A chain one formula longer than the cap: what depends on the formula left out
        // reads an error, not a count short by what was left out.
        Grid chain;
        const int length = int(kMaxFormulas) + 1;
        for (int row = 1; row < length; ++row)
            chain.setFormula(row, 1, pending(QStringLiteral("A%1+1").arg(row + 1)));
        chain.setFormula(length, 1, pending(QStringLiteral("1")));
        const Run chained = evaluate(std::move(chain));
        QCOMPARE(at(chained, 1, 1), QStringLiteral("#VALUE!"));
        QCOMPARE(at(chained, length, 1), QStringLiteral("#VALUE!"));

        // 6000 ranks over 6000 numbers: more than the budget.
        const int rows = 6000;
        Grid big;
        for (int row = 1; row <= rows; ++row) {
            big.setValue(row, 1, Value::ofNumber(row));
            big.setFormula(row, 2, pending(QStringLiteral("RANK(A%1,A:A)").arg(row)));
        }
        const Run bounded = evaluate(std::move(big));
        QVERIFY2(bounded.work <= kWorkBudget + 2 * rows, qPrintable(QString::number(bounded.work)));
        QCOMPARE(at(bounded, 1, 2), QString::number(rows));
        QCOMPARE(at(bounded, rows, 2), QStringLiteral("#VALUE!"));   // beyond the budget
    }

    // A text that doubles in every cell stops at a cell's limit: the first result
    // longer than kMaxTextChars, and every cell after it, read #VALUE!.
    void doublingTextIsCapped()
    {
        Grid grid;
        grid.setValue(2, 6, Value::ofText(QStringLiteral("ab")));
        for (int row = 3; row <= 59; ++row)
            grid.setFormula(row, 6, pending(QStringLiteral("F%1&F%1").arg(row - 1)));
        grid.setFormula(1, 7, pending(QStringLiteral("F16&\"\"")));
        grid.setFormula(2, 7, pending(QStringLiteral("F2&REPT(F2,2)")));   // not evaluated, no crash
        const Run run = evaluate(std::move(grid));
        QCOMPARE(at(run, 15, 6).size(), 16384);   // 2 × 2^13
        QCOMPARE(at(run, 16, 6), QStringLiteral("#VALUE!"));
        QCOMPARE(at(run, 59, 6), QStringLiteral("#VALUE!"));
        QCOMPARE(at(run, 1, 7), QStringLiteral("#VALUE!"));

        // Exactly at the limit is still a text.
        Grid edge;
        edge.setValue(1, 1, Value::ofText(QString(kMaxTextChars - 1, u'x')));
        edge.setFormula(1, 2, pending(QStringLiteral("A1&\"y\"")));
        edge.setFormula(1, 3, pending(QStringLiteral("B1&\"z\"")));
        const Run atEdge = evaluate(std::move(edge));
        QCOMPARE(at(atEdge, 1, 2).size(), kMaxTextChars);
        QCOMPARE(at(atEdge, 1, 3), QStringLiteral("#VALUE!"));
    }
};

QTEST_GUILESS_MAIN(TestFormula)
#include "tst_formula.moc"
