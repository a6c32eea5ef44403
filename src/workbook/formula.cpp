#include "workbook/formula.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>

namespace tessaly::formula {

// --- Values -------------------------------------------------------------------------

namespace {

struct ErrorName {
    ErrorCode code;
    const char *text;
};
constexpr ErrorName kErrorNames[] = {
    {ErrorCode::Null, "#NULL!"}, {ErrorCode::Div0, "#DIV/0!"}, {ErrorCode::Value, "#VALUE!"},
    {ErrorCode::Ref, "#REF!"},   {ErrorCode::Name, "#NAME?"},  {ErrorCode::Num, "#NUM!"},
    {ErrorCode::NA, "#N/A"},
};

} // namespace

QString errorText(ErrorCode code)
{
    for (const ErrorName &e : kErrorNames)
        if (e.code == code)
            return QString::fromLatin1(e.text);
    return QString();
}

std::optional<ErrorCode> errorOf(const QString &text)
{
    for (const ErrorName &e : kErrorNames)
        if (text.compare(QLatin1String(e.text), Qt::CaseInsensitive) == 0)
            return e.code;
    return std::nullopt;
}

Value Value::ofNumber(double n)
{
    if (!std::isfinite(n))
        return ofError(ErrorCode::Num);
    Value v;
    v.type = Type::Number;
    v.number = n;
    return v;
}

Value Value::ofText(const QString &t)
{
    Value v;
    v.type = Type::Text;
    v.text = t;
    return v;
}

Value Value::ofBoolean(bool b)
{
    Value v;
    v.type = Type::Boolean;
    v.number = b ? 1 : 0;
    return v;
}

Value Value::ofError(ErrorCode e)
{
    Value v;
    v.type = Type::Error;
    v.error = e;
    return v;
}

Function functionNamed(const QString &name)
{
    QString upper = name.toUpper();
    for (const char *prefix : {"_XLFN.", "_XLWS."})
        if (upper.startsWith(QLatin1String(prefix)))
            upper.remove(0, 6);
    static const std::pair<const char *, Function> names[] = {
        {"SUM", Function::Sum},       {"AVERAGE", Function::Average}, {"COUNT", Function::Count},
        {"COUNTA", Function::CountA}, {"MAX", Function::Max},         {"MIN", Function::Min},
        {"ROUND", Function::Round},   {"ABS", Function::Abs},         {"IF", Function::If},
        {"AND", Function::And},       {"OR", Function::Or},           {"RANK", Function::Rank},
        {"RANK.EQ", Function::Rank},  {"SUMIF", Function::SumIf},     {"COUNTIF", Function::CountIf},
    };
    for (const auto &[text, f] : names)
        if (upper == QLatin1String(text))
            return f;
    return Function::Unknown;
}

// --- Trees --------------------------------------------------------------------------

Node constant(Value v)
{
    Node n;
    n.kind = Node::Kind::Constant;
    n.value = std::move(v);
    return n;
}

Node reference(const Area &area)
{
    Node n;
    n.kind = Node::Kind::Reference;
    n.area = area;
    return n;
}

Node unsupported()
{
    return Node();
}

namespace {

bool withChildren(Node *n, std::vector<Node> children)
{
    int depth = 0;
    for (const Node &c : children)
        depth = std::max(depth, int(c.depth));
    if (depth + 1 > kMaxTreeDepth)
        return false;
    n->depth = quint16(depth + 1);
    n->args = std::move(children);
    return true;
}

} // namespace

bool unary(Op op, Node operand, Node *out)
{
    Node n;
    n.kind = Node::Kind::Unary;
    n.op = op;
    std::vector<Node> children;
    children.push_back(std::move(operand));
    if (!withChildren(&n, std::move(children)))
        return false;
    *out = std::move(n);
    return true;
}

bool binary(Op op, Node left, Node right, Node *out)
{
    Node n;
    n.kind = Node::Kind::Binary;
    n.op = op;
    std::vector<Node> children;
    children.push_back(std::move(left));
    children.push_back(std::move(right));
    if (!withChildren(&n, std::move(children)))
        return false;
    *out = std::move(n);
    return true;
}

bool call(Function f, std::vector<Node> args, Node *out)
{
    Node n;
    n.kind = Node::Kind::Call;
    n.function = f;
    if (!withChildren(&n, std::move(args)))
        return false;
    *out = std::move(n);
    return true;
}

// --- The formula text ---------------------------------------------------------------

namespace {

// Longest formula text a spreadsheet writes; nesting deeper than any tree allows.
constexpr qsizetype kMaxFormulaChars = 8192;
constexpr int kMaxNesting = kMaxTreeDepth;

bool isWordChar(QChar ch)
{
    const char16_t c = ch.unicode();
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))
        return true;
    if (c == u'_' || c == u'.' || c == u'$' || c == u'\\')
        return true;
    return c > 0x7F && (ch.isLetterOrNumber() || ch.isSurrogate());
}

// "$AB" / "AB": a column; "$12" / "12": a row. *relative says there was no $.
bool columnPart(QStringView s, int *col, bool *relative)
{
    *relative = !s.startsWith(u'$');
    if (!*relative)
        s = s.mid(1);
    if (s.isEmpty() || s.size() > 3)
        return false;
    int c = 0;
    for (QChar ch : s) {
        const char16_t u = ch.unicode() & ~0x20;
        if (u < u'A' || u > u'Z')
            return false;
        c = c * 26 + (u - u'A' + 1);
    }
    if (c > excel::kMaxCols)
        return false;
    *col = c;
    return true;
}

bool rowPart(QStringView s, int *row, bool *relative)
{
    *relative = !s.startsWith(u'$');
    if (!*relative)
        s = s.mid(1);
    if (s.isEmpty() || s.size() > 7)
        return false;
    int r = 0;
    for (QChar ch : s) {
        if (ch < u'0' || ch > u'9')
            return false;
        r = r * 10 + (ch.unicode() - u'0');
    }
    if (r < 1 || r > excel::kMaxRows)
        return false;
    *row = r;
    return true;
}

bool cellPart(QStringView s, int *row, int *col, bool *rowRelative, bool *colRelative)
{
    qsizetype split = s.startsWith(u'$') ? 1 : 0;
    while (split < s.size() && s[split].isLetter() && s[split].unicode() < 0x80)
        ++split;
    return columnPart(s.left(split), col, colRelative) && rowPart(s.mid(split), row, rowRelative);
}

class Parser {
public:
    Parser(const QString &text, const QStringList &sheets) : s(text), m_sheets(sheets) {}

    Node parse()
    {
        Node n;
        if (s.size() > kMaxFormulaChars || !comparison(&n))
            return unsupported();
        space();
        return m_pos == s.size() ? std::move(n) : unsupported();
    }

private:
    void space()
    {
        while (m_pos < s.size() && (s[m_pos] == u' ' || s[m_pos] == u'\n' || s[m_pos] == u'\r' || s[m_pos] == u'\t'))
            ++m_pos;
    }

    bool at(char16_t c)
    {
        space();
        return m_pos < s.size() && s[m_pos] == c;
    }

    bool take(const char *op)
    {
        space();
        const QLatin1StringView o(op);
        if (QStringView(s).mid(m_pos).startsWith(o)) {
            m_pos += o.size();
            return true;
        }
        return false;
    }

    // The binary operators by level, from the loosest; each level is left-associative
    // (2^3^2 is 64). Longer operators come first within a level.
    struct LevelOp {
        const char *text;
        Op op;
    };
    static constexpr LevelOp kComparisons[] = {{"<>", Op::Ne}, {"<=", Op::Le}, {">=", Op::Ge},
                                               {"<", Op::Lt},  {">", Op::Gt},  {"=", Op::Eq}};
    static constexpr LevelOp kConcatenation[] = {{"&", Op::Concat}};
    static constexpr LevelOp kAdditive[] = {{"+", Op::Add}, {"-", Op::Sub}};
    static constexpr LevelOp kMultiplicative[] = {{"*", Op::Mul}, {"/", Op::Div}};
    static constexpr LevelOp kPower[] = {{"^", Op::Pow}};
    static constexpr std::span<const LevelOp> kLevels[] = {kComparisons, kConcatenation, kAdditive,
                                                           kMultiplicative, kPower};

    bool comparison(Node *out) { return level(0, out); }

    bool level(size_t index, Node *out)
    {
        if (index == std::size(kLevels))
            return percent(out);
        if (!level(index + 1, out))
            return false;
        for (;;) {
            const auto op = std::find_if(kLevels[index].begin(), kLevels[index].end(),
                                         [&](const LevelOp &o) { return take(o.text); });
            if (op == kLevels[index].end())
                return true;
            Node right;
            if (!level(index + 1, &right) || !binary(op->op, std::move(*out), std::move(right), out))
                return false;
        }
    }

    bool percent(Node *out)
    {
        if (!prefix(out))
            return false;
        while (take("%"))
            if (!unary(Op::Percent, std::move(*out), out))
                return false;
        return true;
    }

    // A sign binds tighter than ^: -2^2 is 4.
    bool prefix(Node *out)
    {
        if (++m_nesting > kMaxNesting)
            return false;
        bool ok;
        if (take("-")) {
            Node operand;
            ok = prefix(&operand) && unary(Op::Neg, std::move(operand), out);
        } else if (take("+")) {
            Node operand;
            ok = prefix(&operand) && unary(Op::Plus, std::move(operand), out);
        } else {
            ok = primary(out);
        }
        --m_nesting;
        return ok;
    }

    bool primary(Node *out)
    {
        space();
        if (m_pos >= s.size())
            return false;
        const QChar ch = s[m_pos];
        if (ch == u'(') {
            ++m_pos;
            return comparison(out) && take(")");
        }
        if (ch == u'"')
            return string(out);
        if (ch == u'#')
            return error(out);
        if (ch == u'\'')
            return quotedSheet(out);
        if ((ch >= u'0' && ch <= u'9') || ch == u'.')
            return number(out);
        if (isWordChar(ch))
            return word(out);
        return false;
    }

    bool string(Node *out)
    {
        QString text;
        for (++m_pos; m_pos < s.size(); ++m_pos) {
            if (s[m_pos] == u'"') {
                if (m_pos + 1 < s.size() && s[m_pos + 1] == u'"') {
                    text += u'"';
                    ++m_pos;
                    continue;
                }
                ++m_pos;
                *out = constant(Value::ofText(text));
                return true;
            }
            text += s[m_pos];
        }
        return false;
    }

    bool error(Node *out)
    {
        for (const ErrorName &e : kErrorNames) {
            const QLatin1StringView name(e.text);
            if (QStringView(s).mid(m_pos).startsWith(name, Qt::CaseInsensitive)) {
                m_pos += name.size();
                *out = constant(Value::ofError(e.code));
                return true;
            }
        }
        return false;
    }

    bool number(Node *out)
    {
        const qsizetype start = m_pos;
        while (m_pos < s.size() && s[m_pos] >= u'0' && s[m_pos] <= u'9')
            ++m_pos;
        // "3:5": whole rows.
        if (m_pos < s.size() && s[m_pos] == u':' && m_pos > start)
            return rowRange(start, -1, out);
        if (m_pos < s.size() && s[m_pos] == u'.')
            for (++m_pos; m_pos < s.size() && s[m_pos] >= u'0' && s[m_pos] <= u'9';)
                ++m_pos;
        if (m_pos < s.size() && (s[m_pos] == u'E' || s[m_pos] == u'e')) {
            qsizetype e = m_pos + 1;
            if (e < s.size() && (s[e] == u'+' || s[e] == u'-'))
                ++e;
            if (e < s.size() && s[e] >= u'0' && s[e] <= u'9') {
                for (m_pos = e; m_pos < s.size() && s[m_pos] >= u'0' && s[m_pos] <= u'9';)
                    ++m_pos;
            }
        }
        bool ok = false;
        const double value = QStringView(s).mid(start, m_pos - start).toDouble(&ok);
        if (!ok)
            return false;
        *out = constant(Value::ofNumber(value));
        return true;
    }

    QStringView readWord()
    {
        const qsizetype start = m_pos;
        while (m_pos < s.size() && isWordChar(s[m_pos]))
            ++m_pos;
        return QStringView(s).mid(start, m_pos - start);
    }

    int sheetIndex(const QString &name) const
    {
        for (qsizetype i = 0; i < m_sheets.size(); ++i)
            if (m_sheets[i].compare(name, Qt::CaseInsensitive) == 0)
                return int(i);
        return -2;  // no such worksheet
    }

    bool quotedSheet(Node *out)
    {
        QString name;
        for (++m_pos; m_pos < s.size(); ++m_pos) {
            if (s[m_pos] == u'\'') {
                if (m_pos + 1 < s.size() && s[m_pos + 1] == u'\'') {
                    name += u'\'';
                    ++m_pos;
                    continue;
                }
                break;
            }
            name += s[m_pos];
        }
        if (m_pos + 1 >= s.size() || s[m_pos + 1] != u'!')
            return false;
        m_pos += 2;
        return sheetReference(sheetIndex(name), out);
    }

    bool word(Node *out)
    {
        const QStringView w = readWord();
        if (m_pos < s.size() && s[m_pos] == u'(') {
            ++m_pos;
            return functionCall(w.toString(), out);
        }
        if (m_pos < s.size() && s[m_pos] == u'!') {
            ++m_pos;
            return sheetReference(sheetIndex(w.toString()), out);
        }
        if (referenceFrom(w, -1, out))
            return true;
        if (w.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0) {
            *out = constant(Value::ofBoolean(true));
            return true;
        }
        if (w.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0) {
            *out = constant(Value::ofBoolean(false));
            return true;
        }
        if (w.isEmpty())
            return false;
        *out = unsupported();  // a defined name
        return true;
    }

    // After "Sheet!": a cell, an area, whole columns or whole rows.
    bool sheetReference(int sheet, Node *out)
    {
        const qsizetype start = m_pos;
        const QStringView w = readWord();
        if (!referenceFrom(w, sheet, out)) {
            m_pos = start;
            if (m_pos < s.size() && s[m_pos] >= u'0' && s[m_pos] <= u'9') {
                while (m_pos < s.size() && s[m_pos] >= u'0' && s[m_pos] <= u'9')
                    ++m_pos;
                return m_pos < s.size() && s[m_pos] == u':' && rowRange(start, sheet, out);
            }
            return false;
        }
        return true;
    }

    // A reference starting with the word w; false (nothing consumed) when w is none.
    bool referenceFrom(QStringView w, int sheet, Node *out)
    {
        Area a;
        a.sheet = sheet;
        bool r1 = false, c1 = false, r2 = false, c2 = false;
        const qsizetype after = m_pos;
        if (cellPart(w, &a.row1, &a.col1, &r1, &c1)) {
            a.row2 = a.row1;
            a.col2 = a.col1;
            r2 = r1;
            c2 = c1;
            if (m_pos < s.size() && s[m_pos] == u':') {
                ++m_pos;
                if (!cellPart(readWord(), &a.row2, &a.col2, &r2, &c2)) {
                    m_pos = after;
                    return false;
                }
            }
        } else if (w.size() > 0 && m_pos < s.size() && s[m_pos] == u':' && columnPart(w, &a.col1, &c1)) {
            ++m_pos;
            if (!columnPart(readWord(), &a.col2, &c2)) {
                m_pos = after;
                return false;
            }
            a.row1 = 1;
            a.row2 = excel::kMaxRows;
        } else if (w.startsWith(u'$') && m_pos < s.size() && s[m_pos] == u':' && rowPart(w, &a.row1, &r1)) {
            ++m_pos;
            if (!rowPart(readWord(), &a.row2, &r2)) {
                m_pos = after;
                return false;
            }
            a.col1 = 1;
            a.col2 = excel::kMaxCols;
        } else {
            return false;
        }
        *out = areaNode(a, r1, c1, r2, c2);
        return true;
    }

    bool rowRange(qsizetype start, int sheet, Node *out)
    {
        Area a;
        a.sheet = sheet;
        bool r1 = false, r2 = false;
        if (!rowPart(QStringView(s).mid(start, m_pos - start), &a.row1, &r1))
            return false;
        ++m_pos;  // ':'
        if (!rowPart(readWord(), &a.row2, &r2))
            return false;
        a.col1 = 1;
        a.col2 = excel::kMaxCols;
        *out = areaNode(a, r1, false, r2, false);
        return true;
    }

    static Node areaNode(Area a, bool r1, bool c1, bool r2, bool c2)
    {
        if (a.row1 > a.row2) {
            std::swap(a.row1, a.row2);
            std::swap(r1, r2);
        }
        if (a.col1 > a.col2) {
            std::swap(a.col1, a.col2);
            std::swap(c1, c2);
        }
        a.relative = quint8((r1 ? 1 : 0) | (c1 ? 2 : 0) | (r2 ? 4 : 0) | (c2 ? 8 : 0));
        // Whole rows and columns stay whole wherever a shared formula goes.
        if (a.row1 == 1 && a.row2 == excel::kMaxRows)
            a.relative &= quint8(~5);
        if (a.col1 == 1 && a.col2 == excel::kMaxCols)
            a.relative &= quint8(~10);
        return a.sheet == -2 ? constant(Value::ofError(ErrorCode::Ref)) : reference(a);
    }

    bool functionCall(const QString &name, Node *out)
    {
        if (++m_nesting > kMaxNesting)
            return false;
        std::vector<Node> args;
        bool ok = true;
        if (!take(")")) {
            for (;;) {
                Node arg;
                if (at(u',') || at(u')')) {
                    arg.kind = Node::Kind::Missing;
                } else if (!comparison(&arg)) {
                    ok = false;
                    break;
                }
                args.push_back(std::move(arg));
                if (take(","))
                    continue;
                ok = take(")");
                break;
            }
        }
        --m_nesting;
        return ok && call(functionNamed(name), std::move(args), out);
    }

    const QString &s;
    const QStringList &m_sheets;
    qsizetype m_pos = 0;
    int m_nesting = 0;
};

} // namespace

Node parseFormula(const QString &text, const QStringList &sheets)
{
    return Parser(text, sheets).parse();
}

// --- Typed cells --------------------------------------------------------------------

void Grid::setValue(int row, int col, Value value)
{
    if (row < 1 || col < 1 || value.type == Value::Type::Empty)
        return;
    Slot &slot = m_slots[key(row, col)];
    slot.value = std::move(value);
    slot.formula = -1;
}

void Grid::setFormula(int row, int col, Pending formula)
{
    if (row < 1 || col < 1 || !formula.tree)
        return;
    const auto existing = m_slots.find(key(row, col));
    if (!acceptsFormulas() && (existing == m_slots.end() || existing->second.formula < 0)) {
        setFormulaBeyondCap(row, col);
        return;
    }
    Slot &slot = m_slots[key(row, col)];
    if (slot.formula < 0) {
        slot.formula = int(m_formulas.size());
        m_formulas.push_back(std::move(formula));
        m_formulaKeys.push_back(key(row, col));
    } else {
        m_formulas[size_t(slot.formula)] = std::move(formula);
    }
    slot.value = Value();
    slot.state = 0;
}

void Grid::setFormulaBeyondCap(int row, int col)
{
    if (row < 1 || col < 1)
        return;
    Slot &slot = m_slots[key(row, col)];
    if (slot.formula >= 0)
        return;
    slot.value = Value::ofError(ErrorCode::Value);
    m_beyondCapKeys.push_back(key(row, col));
}

// --- Evaluation ---------------------------------------------------------------------

namespace {

// Nested evaluation calls allowed before the innermost cell is put off and evaluated
// on its own (keeps the stack small whatever the chain of references).
constexpr int kMaxFrames = 1500;
// Cells put off at once: a chain longer than this many frames' worth reads as an error.
constexpr size_t kMaxPutOff = 4096;

// Rounded to 15 significant digits, as a spreadsheet compares and rounds.
double significant15(double x)
{
    if (!std::isfinite(x) || x == 0)
        return x;
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", x);
    return std::strtod(buffer, nullptr);
}

double roundHalfAway(double x, double digits)
{
    const int d = int(std::clamp(std::trunc(digits), -308.0, 308.0));
    if (d > 15)
        return x;
    const double p = std::pow(10.0, std::abs(d));
    const double scaled = d >= 0 ? x * p : x / p;
    if (!std::isfinite(scaled))
        return x;
    const double r = std::round(significant15(scaled));
    return d >= 0 ? r / p : r * p;
}

// A text as a number: blanks around it allowed, a trailing % divides by 100.
bool textNumber(const QString &text, double *out)
{
    QStringView t = QStringView(text).trimmed();
    double scale = 1;
    if (t.endsWith(u'%')) {
        t.chop(1);
        t = t.trimmed();
        scale = 0.01;
    }
    if (t.isEmpty())
        return false;
    bool ok = false;
    const double n = t.toDouble(&ok);
    if (!ok || !std::isfinite(n))
        return false;
    *out = n * scale;
    return true;
}

bool toNumber(const Value &v, double *out, ErrorCode *error)
{
    switch (v.type) {
    case Value::Type::Number:
    case Value::Type::Boolean:
        *out = v.number;
        return true;
    case Value::Type::Empty:
        *out = 0;
        return true;
    case Value::Type::Text:
        if (textNumber(v.text, out))
            return true;
        *error = ErrorCode::Value;
        return false;
    case Value::Type::Error:
        *error = v.error;
        return false;
    }
    return false;
}

QString toText(const Value &v)
{
    switch (v.type) {
    case Value::Type::Number:
        return excel::numberText(v.number);
    case Value::Type::Boolean:
        return v.number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Value::Type::Text:
        return v.text;
    case Value::Type::Error:
        return errorText(v.error);
    case Value::Type::Empty:
        break;
    }
    return QString();
}

bool toBoolean(const Value &v, bool *out, ErrorCode *error)
{
    switch (v.type) {
    case Value::Type::Number:
    case Value::Type::Boolean:
    case Value::Type::Empty:
        *out = v.number != 0;
        return true;
    case Value::Type::Text:
        if (v.text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0
            || v.text.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0) {
            *out = v.text.size() == 4;
            return true;
        }
        *error = ErrorCode::Value;
        return false;
    case Value::Type::Error:
        *error = v.error;
        return false;
    }
    return false;
}

// -1, 0 or 1 as a spreadsheet orders values: numbers before texts before booleans,
// texts without case, an empty cell as the other side's kind of nothing.
int compareValues(Value a, Value b)
{
    const auto emptyLike = [](const Value &other) {
        if (other.type == Value::Type::Text)
            return Value::ofText(QString());
        if (other.type == Value::Type::Boolean)
            return Value::ofBoolean(false);
        return Value::ofNumber(0);
    };
    if (a.type == Value::Type::Empty)
        a = emptyLike(b);
    if (b.type == Value::Type::Empty)
        b = emptyLike(a);
    const auto rank = [](Value::Type t) { return t == Value::Type::Number ? 0 : t == Value::Type::Text ? 1 : 2; };
    if (rank(a.type) != rank(b.type))
        return rank(a.type) < rank(b.type) ? -1 : 1;
    if (a.type == Value::Type::Text) {
        const int c = a.text.compare(b.text, Qt::CaseInsensitive);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (a.number == b.number)
        return 0;
    // Only values equal to 15 significant digits need rounding to tell.
    if (std::fabs(a.number - b.number) > 1e-13 * std::max(std::fabs(a.number), std::fabs(b.number)))
        return a.number < b.number ? -1 : 1;
    const double x = significant15(a.number), y = significant15(b.number);
    return x < y ? -1 : x > y ? 1 : 0;
}

// A text pattern with * and ? (~ escapes either), without case; the steps it takes
// are added to *steps.
bool wildcardMatch(QStringView text, QStringView pattern, qint64 *steps)
{
    qsizetype t = 0, p = 0, starP = -1, starT = 0;
    while (t < text.size()) {
        ++*steps;
        if (p < pattern.size()) {
            QChar pc = pattern[p];
            bool literal = false;
            if (pc == u'~' && p + 1 < pattern.size()
                && (pattern[p + 1] == u'*' || pattern[p + 1] == u'?' || pattern[p + 1] == u'~')) {
                pc = pattern[p + 1];
                literal = true;
            }
            if (!literal && pc == u'*') {
                starP = ++p;
                starT = t;
                continue;
            }
            if ((!literal && pc == u'?') || pc.toCaseFolded() == text[t].toCaseFolded()) {
                p += literal ? 2 : 1;
                ++t;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP;
        t = ++starT;
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

// A SUMIF / COUNTIF criterion: "60", ">=60", "<>", "张*", TRUE, …
class Criterion {
public:
    explicit Criterion(const Value &v)
    {
        switch (v.type) {
        case Value::Type::Number:
        case Value::Type::Empty:
            m_kind = Kind::Number;
            m_number = v.number;
            return;
        case Value::Type::Boolean:
            m_kind = Kind::Boolean;
            m_number = v.number;
            return;
        case Value::Type::Error:
            m_kind = Kind::Error;
            m_error = v.error;
            return;
        case Value::Type::Text:
            break;
        }
        static const std::pair<const char *, Cmp> operators[] = {
            {"<>", Cmp::Ne}, {"<=", Cmp::Le}, {">=", Cmp::Ge}, {"<", Cmp::Lt}, {">", Cmp::Gt}, {"=", Cmp::Eq},
        };
        QString operand = v.text;
        for (const auto &[text, cmp] : operators) {
            if (operand.startsWith(QLatin1String(text))) {
                m_cmp = cmp;
                operand.remove(0, qsizetype(std::strlen(text)));
                break;
            }
        }
        if (operand.isEmpty()) {
            m_kind = Kind::Blank;
        } else if (textNumber(operand, &m_number)) {
            m_kind = Kind::Number;
        } else if (operand.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0
                   || operand.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0) {
            m_kind = Kind::Boolean;
            m_number = operand.size() == 4 ? 1 : 0;
        } else if (const auto e = errorOf(operand)) {
            m_kind = Kind::Error;
            m_error = *e;
        } else {
            m_kind = Kind::Text;
            m_text = operand;
            m_wildcard = operand.contains(u'*') || operand.contains(u'?');
        }
    }

    bool matches(const Value &v, qint64 *steps) const
    {
        if (m_cmp == Cmp::Eq)
            return equals(v, steps);
        if (m_cmp == Cmp::Ne)
            return !equals(v, steps);
        int c = 0;
        if (m_kind == Kind::Number && v.type == Value::Type::Number)
            c = compareValues(v, Value::ofNumber(m_number));
        else if (m_kind == Kind::Text && v.type == Value::Type::Text)
            c = compareValues(v, Value::ofText(m_text));
        else if (m_kind == Kind::Boolean && v.type == Value::Type::Boolean)
            c = compareValues(v, Value::ofBoolean(m_number != 0));
        else
            return false;
        switch (m_cmp) {
        case Cmp::Lt: return c < 0;
        case Cmp::Le: return c <= 0;
        case Cmp::Gt: return c > 0;
        case Cmp::Ge: return c >= 0;
        default: return false;
        }
    }

private:
    enum class Cmp { Eq, Ne, Lt, Le, Gt, Ge };
    enum class Kind { Number, Text, Boolean, Error, Blank };

    bool equals(const Value &v, qint64 *steps) const
    {
        switch (m_kind) {
        case Kind::Number: {
            double n = 0;
            if (v.type == Value::Type::Number)
                return compareValues(v, Value::ofNumber(m_number)) == 0;
            return v.type == Value::Type::Text && textNumber(v.text, &n) && significant15(n) == significant15(m_number);
        }
        case Kind::Boolean:
            return v.type == Value::Type::Boolean && v.number == m_number;
        case Kind::Error:
            return v.type == Value::Type::Error && v.error == m_error;
        case Kind::Blank:
            return v.type == Value::Type::Empty || (m_cmp == Cmp::Eq && v.type == Value::Type::Text && v.text.isEmpty());
        case Kind::Text:
            if (v.type != Value::Type::Text)
                return false;
            if (!m_wildcard) {
                *steps += 1;
                return v.text.compare(m_text, Qt::CaseInsensitive) == 0;
            }
            return wildcardMatch(v.text, m_text, steps);
        }
        return false;
    }

    Cmp m_cmp = Cmp::Eq;
    Kind m_kind = Kind::Number;
    double m_number = 0;
    ErrorCode m_error = ErrorCode::Value;
    QString m_text;
    bool m_wildcard = false;
};

QString display(const Value &v, excel::FormatKind kind, bool date1904)
{
    if (v.type == Value::Type::Number)
        return excel::serialText(v.number, kind, date1904);
    return toText(v);
}

} // namespace

struct Evaluator::State {
    int sheetCount = 0;
    bool date1904 = false;
    Loader loader;
    std::vector<std::unique_ptr<Grid>> grids;
    std::vector<quint8> tried;  // a loader was asked for the sheet

    qint64 work = 0;
    int frames = 0;
    bool putOff = false;       // the frame cap was reached: innermost cell evaluated on its own
    int putOffSheet = -1;
    quint64 putOffKey = 0;
    int currentSheet = -1;     // the cell being evaluated
    quint64 currentKey = 0;
    bool unsupported = false;  // the current cell's formula met something not evaluated

    // The rectangle a reference names from a cell, a shared formula's shift applied.
    struct Frame {
        int sheet;
        int row, col;
        int rowShift, colShift;
    };
    struct Rect {
        int sheet;
        int row1, col1, row2, col2;
        qint64 cells() const { return qint64(row2 - row1 + 1) * (col2 - col1 + 1); }
    };

    bool stopped() const { return putOff || work > kWorkBudget; }

    Grid *grid(int sheet)
    {
        if (sheet < 0 || sheet >= sheetCount)
            return nullptr;
        if (!grids[size_t(sheet)] && !tried[size_t(sheet)]) {
            tried[size_t(sheet)] = 1;
            auto g = std::make_unique<Grid>();
            if (loader && loader(sheet, g.get()))
                grids[size_t(sheet)] = std::move(g);
        }
        return grids[size_t(sheet)].get();
    }

    bool resolve(const Area &a, const Frame &f, Rect *out) const
    {
        const int sheet = a.sheet < 0 ? f.sheet : a.sheet;
        int r1 = a.row1, c1 = a.col1, r2 = a.row2, c2 = a.col2;
        if (a.relative & 1)
            r1 += f.rowShift;
        if (a.relative & 2)
            c1 += f.colShift;
        if (a.relative & 4)
            r2 += f.rowShift;
        if (a.relative & 8)
            c2 += f.colShift;
        if (sheet >= sheetCount || r1 < 1 || c1 < 1 || r2 > excel::kMaxRows || c2 > excel::kMaxCols || r1 > r2
            || c1 > c2)
            return false;
        *out = {sheet, r1, c1, r2, c2};
        return true;
    }

    Value cellValue(int sheet, int row, int col)
    {
        Grid *g = grid(sheet);
        if (!g)
            return Value::ofError(ErrorCode::Ref);
        const auto it = g->m_slots.find(Grid::key(row, col));
        if (it == g->m_slots.end())
            return Value();
        return slotValue(sheet, *g, it->first, it->second);
    }

    Value slotValue(int sheet, Grid &g, quint64 key, Grid::Slot &slot)
    {
        if (slot.formula < 0 || slot.state == 2)
            return slot.value;
        if (slot.state == 1)
            return Value::ofError(ErrorCode::Ref);  // a cycle
        evaluateCell(sheet, g, key, slot);
        return slot.value;
    }

    void evaluateCell(int sheet, Grid &g, quint64 key, Grid::Slot &slot)
    {
        const Pending &p = g.m_formulas[size_t(slot.formula)];
        const int savedSheet = currentSheet;
        const quint64 savedKey = currentKey;
        const bool savedUnsupported = unsupported;
        currentSheet = sheet;
        currentKey = key;
        unsupported = false;
        slot.state = 1;
        Value v = eval(*p.tree, Frame{sheet, int(key >> 32), int(key & 0xffffffffu), p.rowShift, p.colShift});
        if (putOff) {
            slot.state = 0;
        } else {
            if (work > kWorkBudget)
                v = Value::ofError(ErrorCode::Value);   // not evaluated within the budget
            else if (unsupported && p.stored)
                v = *p.stored;
            else if (v.type == Value::Type::Empty)
                v = Value::ofNumber(0);
            slot.value = std::move(v);
            slot.state = 2;
        }
        currentSheet = savedSheet;
        currentKey = savedKey;
        unsupported = savedUnsupported;
    }

    // Calls fn(row, col, value) for each cell of the rectangle that holds something; the
    // cost is the smaller of the rectangle and the sheet. False when the sheet cannot be
    // read.
    template <typename Fn>
    bool forEachCell(const Rect &r, Fn &&fn)
    {
        Grid *g = grid(r.sheet);
        if (!g)
            return false;
        if (r.cells() <= qint64(g->m_slots.size())) {
            for (int row = r.row1; row <= r.row2; ++row)
                for (int col = r.col1; col <= r.col2; ++col) {
                    if (stopped())
                        return true;
                    ++work;
                    const auto it = g->m_slots.find(Grid::key(row, col));
                    if (it != g->m_slots.end() && !fn(row, col, slotValue(r.sheet, *g, it->first, it->second)))
                        return true;
                }
            return true;
        }
        std::vector<quint64> inside;
        work += qint64(g->m_slots.size());
        for (const auto &[key, slot] : g->m_slots) {
            const int row = int(key >> 32), col = int(key & 0xffffffffu);
            if (row >= r.row1 && row <= r.row2 && col >= r.col1 && col <= r.col2)
                inside.push_back(key);
        }
        std::sort(inside.begin(), inside.end());
        for (const quint64 key : inside) {
            if (stopped())
                return true;
            ++work;
            Grid::Slot &slot = g->m_slots.find(key)->second;
            if (!fn(int(key >> 32), int(key & 0xffffffffu), slotValue(r.sheet, *g, key, slot)))
                return true;
        }
        return true;
    }

    Value eval(const Node &n, const Frame &f)
    {
        ++work;
        if (stopped())
            return Value::ofError(ErrorCode::Value);
        if (frames >= kMaxFrames) {
            putOff = true;
            putOffSheet = currentSheet;
            putOffKey = currentKey;
            return Value::ofError(ErrorCode::Value);
        }
        ++frames;
        Value v = evalNode(n, f);
        --frames;
        return v;
    }

    Value evalNode(const Node &n, const Frame &f)
    {
        switch (n.kind) {
        case Node::Kind::Constant:
            return n.value;
        case Node::Kind::Missing:
            return Value();
        case Node::Kind::Unsupported:
            unsupported = true;
            return Value::ofError(ErrorCode::Name);
        case Node::Kind::Reference:
            return referenceValue(n.area, f);
        case Node::Kind::Unary:
            return unaryValue(n, f);
        case Node::Kind::Binary:
            return binaryValue(n, f);
        case Node::Kind::Call:
            return callValue(n, f);
        }
        return Value::ofError(ErrorCode::Value);
    }

    // A reference where one value is wanted: its cell, or the cell of a one-row or
    // one-column area in the formula's own row or column.
    Value referenceValue(const Area &a, const Frame &f)
    {
        Rect r;
        if (!resolve(a, f, &r))
            return Value::ofError(ErrorCode::Ref);
        if (r.row1 == r.row2 && r.col1 == r.col2)
            return cellValue(r.sheet, r.row1, r.col1);
        if (r.col1 == r.col2 && f.row >= r.row1 && f.row <= r.row2)
            return cellValue(r.sheet, f.row, r.col1);
        if (r.row1 == r.row2 && f.col >= r.col1 && f.col <= r.col2)
            return cellValue(r.sheet, r.row1, f.col);
        return Value::ofError(ErrorCode::Value);
    }

    Value unaryValue(const Node &n, const Frame &f)
    {
        const Value v = eval(n.args[0], f);
        if (n.op == Op::Plus)
            return v;
        double x = 0;
        ErrorCode e = ErrorCode::Value;
        if (!toNumber(v, &x, &e))
            return Value::ofError(e);
        return Value::ofNumber(n.op == Op::Neg ? -x : x / 100);
    }

    Value binaryValue(const Node &n, const Frame &f)
    {
        const Value a = eval(n.args[0], f);
        const Value b = eval(n.args[1], f);
        if (a.isError())
            return a;
        if (b.isError())
            return b;
        switch (n.op) {
        case Op::Concat: {
            const QString left = toText(a), right = toText(b);
            if (left.size() + right.size() > kMaxTextChars)
                return Value::ofError(ErrorCode::Value);
            return Value::ofText(left + right);
        }
        case Op::Eq: return Value::ofBoolean(compareValues(a, b) == 0);
        case Op::Ne: return Value::ofBoolean(compareValues(a, b) != 0);
        case Op::Lt: return Value::ofBoolean(compareValues(a, b) < 0);
        case Op::Le: return Value::ofBoolean(compareValues(a, b) <= 0);
        case Op::Gt: return Value::ofBoolean(compareValues(a, b) > 0);
        case Op::Ge: return Value::ofBoolean(compareValues(a, b) >= 0);
        default:
            break;
        }
        double x = 0, y = 0;
        ErrorCode e = ErrorCode::Value;
        if (!toNumber(a, &x, &e) || !toNumber(b, &y, &e))
            return Value::ofError(e);
        switch (n.op) {
        case Op::Add: return Value::ofNumber(x + y);
        case Op::Sub: return Value::ofNumber(x - y);
        case Op::Mul: return Value::ofNumber(x * y);
        case Op::Div:
            return y == 0 ? Value::ofError(ErrorCode::Div0) : Value::ofNumber(x / y);
        case Op::Pow:
            if ((x == 0 && y == 0) || (x < 0 && y != std::trunc(y)))
                return Value::ofError(ErrorCode::Num);
            if (x == 0 && y < 0)
                return Value::ofError(ErrorCode::Div0);
            return Value::ofNumber(std::pow(x, y));
        default:
            return Value::ofError(ErrorCode::Value);
        }
    }

    // Each value of the arguments: a reference's cells (fromReference true) or the
    // argument's own value. visit returns false to stop; an error it sets ends the walk.
    template <typename Visit>
    std::optional<ErrorCode> eachValue(const std::vector<Node> &args, const Frame &f, Visit &&visit)
    {
        std::optional<ErrorCode> error;
        for (const Node &arg : args) {
            if (arg.kind == Node::Kind::Reference) {
                Rect r;
                if (!resolve(arg.area, f, &r) || !forEachCell(r, [&](int, int, const Value &v) {
                        return visit(v, true, &error);
                    }))
                    return ErrorCode::Ref;
            } else {
                const Value v = arg.kind == Node::Kind::Missing ? Value::ofNumber(0) : eval(arg, f);
                visit(v, false, &error);
            }
            if (error || stopped())
                return error;
        }
        return error;
    }

    Value callValue(const Node &n, const Frame &f)
    {
        const std::vector<Node> &args = n.args;
        const auto arity = [&](size_t low, size_t high) { return args.size() >= low && args.size() <= high; };
        switch (n.function) {
        case Function::Sum:
        case Function::Average:
        case Function::Max:
        case Function::Min:
            return statistic(n.function, args, f);
        case Function::Count:
        case Function::CountA: {
            double count = 0;
            const bool all = n.function == Function::CountA;
            eachValue(args, f, [&](const Value &v, bool fromReference, std::optional<ErrorCode> *) {
                double x = 0;
                ErrorCode ignored;
                if (all)
                    count += v.type != Value::Type::Empty ? 1 : 0;
                else if (v.type == Value::Type::Number || (!fromReference && v.type != Value::Type::Error
                                                           && toNumber(v, &x, &ignored)))
                    count += 1;
                return true;
            });
            return Value::ofNumber(count);
        }
        case Function::And:
        case Function::Or: {
            const bool isAnd = n.function == Function::And;
            bool result = isAnd, any = false;
            const auto error = eachValue(args, f, [&](const Value &v, bool fromReference,
                                                      std::optional<ErrorCode> *err) {
                if (v.isError()) {
                    *err = v.error;
                    return false;
                }
                if (fromReference && v.type != Value::Type::Number && v.type != Value::Type::Boolean)
                    return true;
                bool b = false;
                ErrorCode e;
                if (!toBoolean(v, &b, &e)) {
                    *err = e;
                    return false;
                }
                any = true;
                result = isAnd ? result && b : result || b;
                return true;
            });
            if (error)
                return Value::ofError(*error);
            return any ? Value::ofBoolean(result) : Value::ofError(ErrorCode::Value);
        }
        case Function::Round:
        case Function::Abs: {
            const bool round = n.function == Function::Round;
            if (!arity(round ? 2 : 1, round ? 2 : 1))
                return Value::ofError(ErrorCode::Value);
            double x = 0, digits = 0;
            ErrorCode e = ErrorCode::Value;
            if (!toNumber(eval(args[0], f), &x, &e) || (round && !toNumber(eval(args[1], f), &digits, &e)))
                return Value::ofError(e);
            return Value::ofNumber(round ? roundHalfAway(x, digits) : std::fabs(x));
        }
        case Function::If: {
            if (!arity(2, 3))
                return Value::ofError(ErrorCode::Value);
            bool condition = false;
            ErrorCode e = ErrorCode::Value;
            if (!toBoolean(eval(args[0], f), &condition, &e))
                return Value::ofError(e);
            if (!condition && args.size() < 3)
                return Value::ofBoolean(false);
            const Node &branch = args[condition ? 1 : 2];
            return branch.kind == Node::Kind::Missing ? Value::ofNumber(0) : eval(branch, f);
        }
        case Function::Rank:
            return rank(args, f);
        case Function::SumIf:
        case Function::CountIf:
            return conditional(n.function == Function::SumIf, args, f);
        case Function::Unknown:
            break;
        }
        unsupported = true;
        return Value::ofError(ErrorCode::Name);
    }

    Value statistic(Function fn, const std::vector<Node> &args, const Frame &f)
    {
        double total = 0, count = 0;
        double best = 0;
        bool any = false;
        const auto error = eachValue(args, f, [&](const Value &v, bool fromReference, std::optional<ErrorCode> *err) {
            if (v.isError()) {
                *err = v.error;
                return false;
            }
            double x = 0;
            if (fromReference) {
                if (v.type != Value::Type::Number)
                    return true;
                x = v.number;
            } else {
                ErrorCode e;
                if (!toNumber(v, &x, &e)) {
                    *err = e;
                    return false;
                }
            }
            total += x;
            count += 1;
            if (!any || (fn == Function::Max ? x > best : x < best))
                best = x;
            any = true;
            return true;
        });
        if (error)
            return Value::ofError(*error);
        switch (fn) {
        case Function::Sum:
            return Value::ofNumber(total);
        case Function::Average:
            return count > 0 ? Value::ofNumber(total / count) : Value::ofError(ErrorCode::Div0);
        default:
            return Value::ofNumber(any ? best : 0);
        }
    }

    // RANK(number, reference, [order]): 1 + the numbers of the reference above it
    // (below it when order is not 0); #N/A when it is not among them.
    Value rank(const std::vector<Node> &args, const Frame &f)
    {
        if (args.size() < 2 || args.size() > 3 || args[1].kind != Node::Kind::Reference)
            return Value::ofError(ErrorCode::Value);
        double x = 0, order = 0;
        ErrorCode e = ErrorCode::Value;
        if (!toNumber(eval(args[0], f), &x, &e))
            return Value::ofError(e);
        if (args.size() == 3 && args[2].kind != Node::Kind::Missing && !toNumber(eval(args[2], f), &order, &e))
            return Value::ofError(e);
        Rect r;
        if (!resolve(args[1].area, f, &r))
            return Value::ofError(ErrorCode::Ref);
        double before = 0;
        bool found = false;
        if (!forEachCell(r, [&](int, int, const Value &v) {
                if (v.type == Value::Type::Number) {
                    found = found || v.number == x;
                    before += (order == 0 ? v.number > x : v.number < x) ? 1 : 0;
                }
                return true;
            }))
            return Value::ofError(ErrorCode::Ref);
        return found ? Value::ofNumber(before + 1) : Value::ofError(ErrorCode::NA);
    }

    // SUMIF(range, criterion, [sum range]) and COUNTIF(range, criterion). The sum range
    // takes the range's size from its first cell.
    Value conditional(bool sum, const std::vector<Node> &args, const Frame &f)
    {
        if (args.size() < 2 || args.size() > (sum ? 3u : 2u) || args[0].kind != Node::Kind::Reference)
            return Value::ofError(ErrorCode::Value);
        Rect range;
        if (!resolve(args[0].area, f, &range))
            return Value::ofError(ErrorCode::Ref);
        const Value criterionValue = eval(args[1], f);
        const Criterion criterion(criterionValue);
        const bool blanksMatch = criterion.matches(Value(), &work);
        if (!sum) {
            double matched = 0, held = 0;
            if (!forEachCell(range, [&](int, int, const Value &v) {
                    held += 1;
                    matched += criterion.matches(v, &work) ? 1 : 0;
                    return true;
                }))
                return Value::ofError(ErrorCode::Ref);
            return Value::ofNumber(matched + (blanksMatch ? double(range.cells()) - held : 0));
        }
        Rect sums = range;
        if (args.size() == 3 && args[2].kind != Node::Kind::Missing) {
            if (args[2].kind != Node::Kind::Reference || !resolve(args[2].area, f, &sums))
                return Value::ofError(args[2].kind == Node::Kind::Reference ? ErrorCode::Ref : ErrorCode::Value);
            sums.row2 = std::min(excel::kMaxRows, sums.row1 + (range.row2 - range.row1));
            sums.col2 = std::min(excel::kMaxCols, sums.col1 + (range.col2 - range.col1));
        }
        double total = 0;
        bool ok;
        if (blanksMatch) {
            // Blank cells of the range count: walk the numbers to add instead.
            ok = forEachCell(sums, [&](int row, int col, const Value &v) {
                if (v.type == Value::Type::Number
                    && criterion.matches(cellValue(range.sheet, range.row1 + row - sums.row1,
                                                   range.col1 + col - sums.col1), &work))
                    total += v.number;
                return true;
            });
        } else {
            ok = forEachCell(range, [&](int row, int col, const Value &v) {
                if (criterion.matches(v, &work)) {
                    const Value add = cellValue(sums.sheet, sums.row1 + row - range.row1, sums.col1 + col - range.col1);
                    if (add.type == Value::Type::Number)
                        total += add.number;
                }
                return true;
            });
        }
        return ok ? Value::ofNumber(total) : Value::ofError(ErrorCode::Ref);
    }

    // Evaluates one cell from the top; a cell put off on the way is evaluated first.
    void evaluateFromTop(int sheet, quint64 key)
    {
        std::vector<std::pair<int, quint64>> stack{{sheet, key}};
        while (!stack.empty() && work <= kWorkBudget) {
            const auto [s, k] = stack.back();
            Grid *g = grid(s);
            Grid::Slot &slot = g->m_slots.find(k)->second;
            if (slot.state == 2 || slot.formula < 0) {
                stack.pop_back();
                continue;
            }
            frames = 0;
            putOff = false;
            evaluateCell(s, *g, k, slot);
            if (!putOff)
                continue;
            putOff = false;
            const std::pair<int, quint64> next{putOffSheet, putOffKey};
            if (next == stack.back() || stack.size() >= kMaxPutOff) {
                // Too deep to evaluate: the whole chain reads as an error.
                for (const auto &[ss, kk] : stack) {
                    Grid::Slot &waiting = grids[size_t(ss)]->m_slots.find(kk)->second;
                    waiting.value = Value::ofError(ErrorCode::Ref);
                    waiting.state = 2;
                }
                return;
            }
            stack.push_back(next);
        }
    }
};

Evaluator::Evaluator(int sheetCount, bool date1904, Loader loader) : d(std::make_unique<State>())
{
    d->sheetCount = std::max(0, sheetCount);
    d->date1904 = date1904;
    d->loader = std::move(loader);
    d->grids.resize(size_t(d->sheetCount));
    d->tried.resize(size_t(d->sheetCount));
}

Evaluator::~Evaluator() = default;

qint64 Evaluator::work() const
{
    return d->work;
}

void Evaluator::evaluateSheet(int sheet, Grid grid, workbook::SheetCells *cells)
{
    if (sheet < 0 || sheet >= d->sheetCount)
        return;
    d->grids[size_t(sheet)] = std::make_unique<Grid>(std::move(grid));
    d->tried[size_t(sheet)] = 1;
    Grid &g = *d->grids[size_t(sheet)];
    std::vector<quint64> order = g.m_formulaKeys;
    std::sort(order.begin(), order.end());
    for (const quint64 key : order)
        if (d->work <= kWorkBudget)
            d->evaluateFromTop(sheet, key);
    for (const quint64 key : order) {
        const Grid::Slot &slot = g.m_slots.find(key)->second;
        if (slot.formula < 0)
            continue;  // a later record gave the cell a value
        const Pending &p = g.m_formulas[size_t(slot.formula)];
        // A formula the work budget left unevaluated reads as an error, never as a value.
        const Value v = slot.state == 2 ? slot.value : Value::ofError(ErrorCode::Value);
        cells->set(int(key >> 32), int(key & 0xffffffffu), display(v, p.kind, d->date1904));
    }
    for (const quint64 key : g.m_beyondCapKeys) {
        const Grid::Slot &slot = g.m_slots.find(key)->second;
        if (slot.formula < 0 && slot.value.isError())   // no later record gave the cell a value
            cells->set(int(key >> 32), int(key & 0xffffffffu), errorText(slot.value.error));
    }
}

} // namespace tessaly::formula
