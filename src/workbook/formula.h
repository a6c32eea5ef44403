#pragma once
// Formulas of workbook cells that carry no stored result, evaluated from the workbook's
// own cells as a spreadsheet would: numbers, texts, booleans and errors; cell and range
// references on any worksheet; + - * / ^ & %, comparisons, unary minus; and SUM,
// AVERAGE, COUNT, COUNTA, MAX, MIN, ROUND, ABS, IF, AND, OR, RANK (RANK.EQ), SUMIF and
// COUNTIF. Both readers build the same expression tree: the .xlsx reader from the
// formula's text (parseFormula), the .xls reader from its parsed tokens.
//
// Anything else (an unknown function, a defined name, an array) evaluates to #NAME?
// and marks the evaluation unsupported. A cycle reads #REF!. The work is bounded: deep
// trees are refused when built, nesting and the total work of one sheet's evaluation
// are capped, and a range costs what it holds, not what it spans; a joined text is
// capped at kMaxTextChars. A cell the bounds leave unevaluated reads #VALUE!.
#include "workbook/excel_values.h"
#include "workbook/workbook_cells.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tessaly::formula {

enum class ErrorCode : quint8 { Null, Div0, Value, Ref, Name, Num, NA };

// "#DIV/0!" and the others, as a spreadsheet shows them.
QString errorText(ErrorCode code);
std::optional<ErrorCode> errorOf(const QString &text);

struct Value {
    enum class Type : quint8 { Empty, Number, Text, Boolean, Error };
    Type type = Type::Empty;
    ErrorCode error = ErrorCode::Value;
    double number = 0;  // also a boolean's 0 or 1
    QString text;

    static Value ofNumber(double n);
    static Value ofText(const QString &t);
    static Value ofBoolean(bool b);
    static Value ofError(ErrorCode e);
    bool isError() const { return type == Type::Error; }
};

// A rectangle of cells; rows and columns from 1. sheet -1 is the formula's own sheet.
// relative: bit 0 first row, 1 first column, 2 last row, 3 last column written without
// $ (moved when a shared formula is used in another cell).
struct Area {
    int sheet = -1;
    int row1 = 0, col1 = 0, row2 = 0, col2 = 0;
    quint8 relative = 0;
};

enum class Op : quint8 { Add, Sub, Mul, Div, Pow, Concat, Eq, Ne, Lt, Le, Gt, Ge, Neg, Plus, Percent };
enum class Function : quint8 {
    Unknown, Sum, Average, Count, CountA, Max, Min, Round, Abs, If, And, Or, Rank, SumIf, CountIf
};

// The function of a name as a formula's text writes it ("sum", "_xlfn.RANK.EQ").
Function functionNamed(const QString &name);

struct Node {
    enum class Kind : quint8 { Constant, Reference, Unary, Binary, Call, Missing, Unsupported };
    Kind kind = Kind::Unsupported;
    Op op = Op::Add;
    Function function = Function::Unknown;
    quint16 depth = 1;  // levels of the tree below and including this node
    Value value;        // Constant
    Area area;          // Reference
    std::vector<Node> args;
};

// Deepest tree a formula may build; deeper ones are refused.
inline constexpr int kMaxTreeDepth = 128;

// Node builders: false when the tree would grow beyond kMaxTreeDepth.
Node constant(Value v);
Node reference(const Area &area);
Node unsupported();
bool unary(Op op, Node operand, Node *out);
bool binary(Op op, Node left, Node right, Node *out);
bool call(Function f, std::vector<Node> args, Node *out);

// The tree of a formula's text, without its leading '='. Sheet names are looked up in
// sheets (case-insensitively); an unknown one gives #REF!. A text that does not parse
// gives an Unsupported tree.
Node parseFormula(const QString &text, const QStringList &sheets);

// A formula cell whose result must be evaluated.
struct Pending {
    std::shared_ptr<const Node> tree;
    int rowShift = 0, colShift = 0;  // a shared formula used away from its first cell
    excel::FormatKind kind = excel::FormatKind::Number;
    // A stored result that may as well stand for "not calculated" (.xls writes an empty
    // text result for both): kept when the formula cannot be evaluated.
    std::optional<Value> stored;
};

// Formulas a sheet may hold for evaluation; those beyond read #VALUE!.
inline constexpr size_t kMaxFormulas = 100000;

// The longest text a formula may give (a spreadsheet cell's limit); a longer one
// reads #VALUE!.
inline constexpr qsizetype kMaxTextChars = 32767;

// The typed cells of one worksheet.
class Grid {
public:
    void setValue(int row, int col, Value value);
    // Once the grid holds kMaxFormulas, the cell reads #VALUE! instead (setFormulaBeyondCap).
    void setFormula(int row, int col, Pending formula);
    // A formula cell the grid holds no more room for: it reads #VALUE!, never a value
    // that stands for its result.
    void setFormulaBeyondCap(int row, int col);
    bool acceptsFormulas() const { return m_formulas.size() < kMaxFormulas; }

private:
    friend class Evaluator;
    struct Slot {
        Value value;
        int formula = -1;  // index in m_formulas while not yet evaluated
        quint8 state = 0;  // 0 waiting, 1 evaluating, 2 done
    };
    static quint64 key(int row, int col) { return (quint64(quint32(row)) << 32) | quint32(col); }
    std::unordered_map<quint64, Slot> m_slots;
    std::vector<Pending> m_formulas;
    std::vector<quint64> m_formulaKeys;
    std::vector<quint64> m_beyondCapKeys;
};

// Work units (nodes evaluated, cells visited) one sheet's evaluation may spend.
inline constexpr qint64 kWorkBudget = 20'000'000;

class Evaluator {
public:
    // Fills the typed cells of another sheet (by position among the worksheets) on the
    // first reference to it; false when it cannot be read.
    using Loader = std::function<bool(int sheet, Grid *grid)>;

    Evaluator(int sheetCount, bool date1904, Loader loader);
    ~Evaluator();

    // Evaluates every pending formula of the sheet and sets each result in cells as a
    // spreadsheet shows it, through the cell's number format.
    void evaluateSheet(int sheet, Grid grid, workbook::SheetCells *cells);

    // The work spent so far.
    qint64 work() const;

private:
    struct State;
    std::unique_ptr<State> d;
};

} // namespace tessaly::formula
