// Recursive-descent parser and evaluator for filter conditions and aggregate expressions.
//
//   or      := and { OR and }
//   and     := not { AND not }
//   not     := NOT not | compare
//   compare := sum [ (= | <> | < | > | <= | >=) sum | IS [NOT] NULL ]
//   sum     := product { (+ | -) product }
//   product := unary { (* | /) unary }
//   unary   := - unary | primary
//   primary := number | 'text' | field | [field] | ( or ) | SUM|MAX|MIN|COUNT|AVG ( sum | * )

#include "filterexpression.h"

#include "errors.h"
#include "sysutils.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace {

enum class Kind { Const, Field, Neg, Add, Sub, Mul, Div, Eq, Ne, Lt, Gt, Le, Ge, IsNull, IsNotNull, And, Or, Not, Agg };
enum class AggFunc { Sum, Max, Min, Count, Avg };

bool IsLogical(Kind k)
{
    switch (k) {
    case Kind::Eq: case Kind::Ne: case Kind::Lt: case Kind::Gt: case Kind::Le: case Kind::Ge:
    case Kind::IsNull: case Kind::IsNotNull: case Kind::And: case Kind::Or: case Kind::Not:
        return true;
    default:
        return false;
    }
}

bool IsDigits(const QString& s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

double DayNumber(const QDateTime& dt)
{
    static const QDate epoch(1899, 12, 30);
    return double(epoch.daysTo(dt.date())) + dt.time().msecsSinceStartOfDay() / 86400000.0;
}

bool IsNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Double: case QMetaType::Int: case QMetaType::LongLong: case QMetaType::Float:
    case QMetaType::UInt: case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

bool TextToNumber(const QString& text, double& out)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    out = t.toDouble(&ok);
    return ok;
}

// "dd/MM/yyyy[ HH:mm:ss]" or ISO "yyyy-MM-dd[THH:mm:ss[.zzz]]", as a wall-clock value.
QDateTime TextToDateTime(const QString& text)
{
    const QString t = text.trimmed();
    if (t.size() >= 10 && t.at(2) == QLatin1Char('/')) {
        const QDate date = QDate::fromString(t.left(10), QStringLiteral("dd/MM/yyyy"));
        if (t.size() == 10)
            return WallClock(date);
        if (t.size() == 19 && t.at(10) == QLatin1Char(' '))
            return WallClock(date, QTime::fromString(t.mid(11), QStringLiteral("HH:mm:ss")));
        return {};
    }
    return WallClockFromIsoText(t);
}

// A comparable pair: ok is false when one side is null or the two cannot be compared.
int Compare(const QVariant& a, const QVariant& b, bool ci, bool& ok)
{
    ok = a.isValid() && b.isValid();
    if (!ok)
        return 0;
    const int ta = a.typeId(), tb = b.typeId();
    if (ta == QMetaType::QString && tb == QMetaType::QString)
        return QString::compare(*static_cast<const QString*>(a.constData()), *static_cast<const QString*>(b.constData()),
                                ci ? Qt::CaseInsensitive : Qt::CaseSensitive);
    double x = 0, y = 0;
    auto toNumber = [&](const QVariant& v, double& out) {
        if (IsNumber(v)) { out = v.toDouble(); return true; }
        if (v.typeId() == QMetaType::QDateTime) { out = DayNumber(v.toDateTime()); return true; }
        if (v.typeId() == QMetaType::QString) {
            // A text beside a date-time is read as a date; beside a number, as a number.
            const QVariant& other = (&v == &a) ? b : a;
            if (other.typeId() == QMetaType::QDateTime) {
                const QDateTime dt = TextToDateTime(v.toString());
                if (!dt.isValid()) return false;
                out = DayNumber(dt);
                return true;
            }
            return TextToNumber(v.toString(), out);
        }
        return false;
    };
    if (!toNumber(a, x) || !toNumber(b, y)) {
        ok = false;
        return 0;
    }
    return x < y ? -1 : (x > y ? 1 : 0);
}

struct Token {
    enum Type { End, Ident, Text, Number, Op } type = End;
    QString text;
    double number = 0;
    int pos = 0;
};

}  // namespace

struct TFilterExpression::Node {
    Kind kind = Kind::Const;
    QVariant value;
    int slot = -1;
    TFieldType fieldType = TFieldType::String;
    AggFunc func = AggFunc::Sum;
    bool countAll = false;
    int depth = 1;  // levels of the tree from this node down
    std::unique_ptr<Node> a, b;
};

namespace {

using Node = TFilterExpression::Node;

// The parser and the evaluator recurse once per level: nesting of parentheses, NOT and minus
// signs, and the depth of the tree, are bounded so that no text can exhaust the stack.
constexpr int kMaxNesting = 100;
constexpr int kMaxDepth = 1000;

class Parser {
public:
    Parser(const QString& text, TFilterExpression::Mode mode, const TFilterExpression::Resolver& resolve)
        : text_(text), mode_(mode), resolve_(resolve)
    {
        Advance();
    }

    std::unique_ptr<Node> ParseAll()
    {
        auto node = ParseOr();
        if (tok_.type != Token::End)
            Fail(QStringLiteral("\"%1\" inesperado").arg(tok_.text));
        return node;
    }

    [[noreturn]] void Fail(const QString& detail) const
    {
        const QString what = mode_ == TFilterExpression::Mode::Filter ? QStringLiteral("Filtro inválido")
                                                                       : QStringLiteral("Expressão de agregado inválida");
        throw EDatabaseError(QStringLiteral("%1: \"%2\" (%3).").arg(what, text_, detail));
    }

private:
    void Advance()
    {
        const qsizetype n = text_.size();
        while (pos_ < n && text_.at(pos_).isSpace())
            ++pos_;
        tok_ = Token();
        tok_.pos = int(pos_);
        if (pos_ >= n)
            return;
        const QChar c = text_.at(pos_);
        if (c == QLatin1Char('\'')) {
            QString s;
            ++pos_;
            for (;;) {
                if (pos_ >= n)
                    Fail(QStringLiteral("texto sem aspa de fechamento"));
                if (text_.at(pos_) == QLatin1Char('\'')) {
                    if (pos_ + 1 < n && text_.at(pos_ + 1) == QLatin1Char('\'')) {
                        s += QLatin1Char('\'');
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                s += text_.at(pos_++);
            }
            tok_.type = Token::Text;
            tok_.text = s;
            return;
        }
        if (c == QLatin1Char('[')) {
            const qsizetype close = text_.indexOf(QLatin1Char(']'), pos_);
            if (close < 0)
                Fail(QStringLiteral("nome de campo sem \"]\""));
            tok_.type = Token::Ident;
            tok_.text = text_.mid(pos_ + 1, close - pos_ - 1).trimmed();
            pos_ = close + 1;
            return;
        }
        if (c.isDigit() || (c == QLatin1Char('.') && pos_ + 1 < n && text_.at(pos_ + 1).isDigit())) {
            const qsizetype start = pos_;
            while (pos_ < n && (text_.at(pos_).isDigit() || text_.at(pos_) == QLatin1Char('.')))
                ++pos_;
            bool ok = false;
            tok_.text = text_.mid(start, pos_ - start);
            tok_.number = tok_.text.toDouble(&ok);
            if (!ok)
                Fail(QStringLiteral("número inválido %1").arg(tok_.text));
            tok_.type = Token::Number;
            return;
        }
        if (c.isLetter() || c == QLatin1Char('_')) {
            const qsizetype start = pos_;
            while (pos_ < n && (text_.at(pos_).isLetterOrNumber() || text_.at(pos_) == QLatin1Char('_')))
                ++pos_;
            tok_.type = Token::Ident;
            tok_.text = text_.mid(start, pos_ - start);
            return;
        }
        static const char* const ops[] = {"<>", "<=", ">=", "!=", "=", "<", ">", "+", "-", "*", "/", "(", ")"};
        for (const char* op : ops) {
            const QLatin1String o(op);
            if (text_.mid(pos_, o.size()) == o) {
                tok_.type = Token::Op;
                tok_.text = o;
                pos_ += o.size();
                return;
            }
        }
        Fail(QStringLiteral("caractere \"%1\" inesperado").arg(c));
    }

    bool IsKeyword(const char* word) const
    {
        return tok_.type == Token::Ident && tok_.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool IsOp(const char* op) const { return tok_.type == Token::Op && tok_.text == QLatin1String(op); }
    void Expect(const char* op)
    {
        if (!IsOp(op))
            Fail(tok_.type == Token::End ? QStringLiteral("esperado \"%1\" no fim").arg(QLatin1String(op))
                                         : QStringLiteral("esperado \"%1\" antes de \"%2\"").arg(QLatin1String(op), tok_.text));
        Advance();
    }

    std::unique_ptr<Node> Make(Kind kind, std::unique_ptr<Node> a, std::unique_ptr<Node> b = {}) const
    {
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->depth = 1 + std::max(a ? a->depth : 0, b ? b->depth : 0);
        if (n->depth > kMaxDepth)
            Fail(QStringLiteral("expressão longa demais (mais de %1 níveis)").arg(kMaxDepth));
        n->a = std::move(a);
        n->b = std::move(b);
        return n;
    }

    // Counts one level of recursion while it lives.
    class Nesting {
    public:
        explicit Nesting(Parser& parser) : parser_(parser)
        {
            if (++parser_.nesting_ > kMaxNesting)
                parser_.Fail(QStringLiteral("expressão aninhada demais (mais de %1 níveis)").arg(kMaxNesting));
        }
        ~Nesting() { --parser_.nesting_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& parser_;
    };

    void RequireLogical(const Node& n, const char* op) const
    {
        if (!IsLogical(n.kind))
            Fail(QStringLiteral("%1 precisa de condições").arg(QLatin1String(op)));
    }

    std::unique_ptr<Node> ParseOr()
    {
        const Nesting nesting(*this);
        auto left = ParseAnd();
        while (IsKeyword("OR")) {
            Advance();
            auto right = ParseAnd();
            RequireLogical(*left, "OR");
            RequireLogical(*right, "OR");
            left = Make(Kind::Or, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<Node> ParseAnd()
    {
        auto left = ParseNot();
        while (IsKeyword("AND")) {
            Advance();
            auto right = ParseNot();
            RequireLogical(*left, "AND");
            RequireLogical(*right, "AND");
            left = Make(Kind::And, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<Node> ParseNot()
    {
        if (IsKeyword("NOT")) {
            const Nesting nesting(*this);
            Advance();
            auto inner = ParseNot();
            RequireLogical(*inner, "NOT");
            return Make(Kind::Not, std::move(inner));
        }
        return ParseCompare();
    }

    std::unique_ptr<Node> ParseCompare()
    {
        auto left = ParseSum();
        if (IsKeyword("IS")) {
            Advance();
            bool negate = false;
            if (IsKeyword("NOT")) {
                negate = true;
                Advance();
            }
            if (!IsKeyword("NULL"))
                Fail(QStringLiteral("esperado NULL depois de IS"));
            Advance();
            return Make(negate ? Kind::IsNotNull : Kind::IsNull, std::move(left));
        }
        static const std::pair<const char*, Kind> ops[] = {{"=", Kind::Eq}, {"<>", Kind::Ne}, {"!=", Kind::Ne}, {"<", Kind::Lt},
                                                           {">", Kind::Gt}, {"<=", Kind::Le}, {">=", Kind::Ge}};
        for (const auto& [op, kind] : ops) {
            if (!IsOp(op))
                continue;
            Advance();
            auto right = ParseSum();
            if (IsLogical(left->kind) || IsLogical(right->kind))
                Fail(QStringLiteral("comparação entre condições"));
            return Make(kind, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<Node> ParseSum()
    {
        auto left = ParseProduct();
        while (IsOp("+") || IsOp("-")) {
            const Kind kind = IsOp("+") ? Kind::Add : Kind::Sub;
            Advance();
            left = Make(kind, std::move(left), ParseProduct());
        }
        return left;
    }

    std::unique_ptr<Node> ParseProduct()
    {
        auto left = ParseUnary();
        while (IsOp("*") || IsOp("/")) {
            const Kind kind = IsOp("*") ? Kind::Mul : Kind::Div;
            Advance();
            left = Make(kind, std::move(left), ParseUnary());
        }
        return left;
    }

    std::unique_ptr<Node> ParseUnary()
    {
        if (IsOp("-")) {
            const Nesting nesting(*this);
            Advance();
            return Make(Kind::Neg, ParseUnary());
        }
        return ParsePrimary();
    }

    bool AggregateName(AggFunc& func) const
    {
        if (tok_.type != Token::Ident)
            return false;
        static const std::pair<const char*, AggFunc> names[] = {
            {"SUM", AggFunc::Sum}, {"MAX", AggFunc::Max}, {"MIN", AggFunc::Min}, {"COUNT", AggFunc::Count}, {"AVG", AggFunc::Avg}};
        for (const auto& [name, f] : names)
            if (tok_.text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
                func = f;
                return true;
            }
        return false;
    }

    std::unique_ptr<Node> ParsePrimary()
    {
        if (tok_.type == Token::Number || tok_.type == Token::Text) {
            auto n = std::make_unique<Node>();
            n->value = tok_.type == Token::Number ? QVariant(tok_.number) : QVariant(tok_.text);
            Advance();
            return n;
        }
        if (IsOp("(")) {
            Advance();
            auto inner = ParseOr();
            Expect(")");
            return inner;
        }
        if (tok_.type != Token::Ident)
            Fail(tok_.type == Token::End ? QStringLiteral("expressão incompleta")
                                         : QStringLiteral("\"%1\" inesperado").arg(tok_.text));
        AggFunc func;
        if (mode_ == TFilterExpression::Mode::Aggregate && AggregateName(func)) {
            const QString name = tok_.text;
            Advance();
            if (IsOp("(")) {
                if (insideAggregate_)
                    Fail(QStringLiteral("agregado dentro de agregado"));
                Advance();
                auto n = std::make_unique<Node>();
                n->kind = Kind::Agg;
                n->func = func;
                if (func == AggFunc::Count && IsOp("*")) {
                    n->countAll = true;
                    Advance();
                } else {
                    insideAggregate_ = true;
                    n->a = ParseSum();
                    insideAggregate_ = false;
                }
                Expect(")");
                return n;
            }
            return FieldNode(name);
        }
        const QString name = tok_.text;
        Advance();
        return FieldNode(name);
    }

    std::unique_ptr<Node> FieldNode(const QString& name)
    {
        for (const char* word : {"AND", "OR", "NOT", "IS", "NULL"})
            if (name.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
                Fail(QStringLiteral("%1 fora de lugar").arg(name));
        TFilterExpression::FieldRef ref;
        if (!resolve_(name, ref))
            Fail(QStringLiteral("campo %1 não encontrado").arg(name));
        if (mode_ == TFilterExpression::Mode::Aggregate && !insideAggregate_)
            Fail(QStringLiteral("o campo %1 está fora de uma função de agregado").arg(name));
        auto n = std::make_unique<Node>();
        n->kind = Kind::Field;
        n->slot = ref.slot;
        n->fieldType = ref.type;
        return n;
    }

    const QString& text_;
    TFilterExpression::Mode mode_;
    const TFilterExpression::Resolver& resolve_;
    qsizetype pos_ = 0;
    Token tok_;
    bool insideAggregate_ = false;
    int nesting_ = 0;
};

bool ContainsAggregate(const Node* n)
{
    if (!n)
        return false;
    return n->kind == Kind::Agg || ContainsAggregate(n->a.get()) || ContainsAggregate(n->b.get());
}

// Collects the FIELD = 'text' terms of an AND chain; returns whether the chain holds nothing else.
bool CollectKeyTerms(const Node* n, QList<TFilterExpression::KeyTerm>& out)
{
    if (n->kind == Kind::And) {
        const bool left = CollectKeyTerms(n->a.get(), out);
        const bool right = CollectKeyTerms(n->b.get(), out);
        return left && right;
    }
    if (n->kind != Kind::Eq)
        return false;
    const Node* field = n->a->kind == Kind::Field ? n->a.get() : n->b.get();
    const Node* constant = n->a->kind == Kind::Field ? n->b.get() : n->a.get();
    if (field->kind != Kind::Field || constant->kind != Kind::Const || constant->value.typeId() != QMetaType::QString)
        return false;
    if (field->fieldType != TFieldType::String && field->fieldType != TFieldType::FixedString)
        return false;
    out.append({field->slot, constant->value.toString()});
    return true;
}

QVariant Number(double v) { return QVariant(v); }

QVariant Eval(const Node* n, const TRowCells* row, bool ci)
{
    switch (n->kind) {
    case Kind::Const:
        return n->value;
    case Kind::Field:
        return row ? (*row)[n->slot] : QVariant();
    case Kind::Neg: {
        const QVariant v = Eval(n->a.get(), row, ci);
        double x;
        if (!v.isValid()) return {};
        if (IsNumber(v)) return Number(-v.toDouble());
        return v.typeId() == QMetaType::QString && TextToNumber(v.toString(), x) ? Number(-x) : QVariant();
    }
    case Kind::Add: case Kind::Sub: case Kind::Mul: case Kind::Div: {
        const QVariant va = Eval(n->a.get(), row, ci), vb = Eval(n->b.get(), row, ci);
        if (!va.isValid() || !vb.isValid()) return {};
        auto num = [](const QVariant& v, double& out) {
            if (IsNumber(v)) { out = v.toDouble(); return true; }
            if (v.typeId() == QMetaType::QDateTime) { out = DayNumber(v.toDateTime()); return true; }
            return v.typeId() == QMetaType::QString && TextToNumber(v.toString(), out);
        };
        double x, y;
        if (!num(va, x) || !num(vb, y)) return {};
        switch (n->kind) {
        case Kind::Add: return Number(x + y);
        case Kind::Sub: return Number(x - y);
        case Kind::Mul: return Number(x * y);
        default: return y == 0 ? QVariant() : Number(x / y);
        }
    }
    case Kind::Eq: case Kind::Ne: case Kind::Lt: case Kind::Gt: case Kind::Le: case Kind::Ge: {
        bool ok = false;
        const int c = Compare(Eval(n->a.get(), row, ci), Eval(n->b.get(), row, ci), ci, ok);
        if (!ok) return false;
        switch (n->kind) {
        case Kind::Eq: return c == 0;
        case Kind::Ne: return c != 0;
        case Kind::Lt: return c < 0;
        case Kind::Gt: return c > 0;
        case Kind::Le: return c <= 0;
        default: return c >= 0;
        }
    }
    case Kind::IsNull:
        return !Eval(n->a.get(), row, ci).isValid();
    case Kind::IsNotNull:
        return Eval(n->a.get(), row, ci).isValid();
    case Kind::And:
        return Eval(n->a.get(), row, ci).toBool() && Eval(n->b.get(), row, ci).toBool();
    case Kind::Or:
        return Eval(n->a.get(), row, ci).toBool() || Eval(n->b.get(), row, ci).toBool();
    case Kind::Not:
        return !Eval(n->a.get(), row, ci).toBool();
    case Kind::Agg:
        return {};
    }
    return {};
}

// MAX/MIN order: two texts of digits only compare as whole numbers, anything else as values.
int AggregateOrder(const QVariant& a, const QVariant& b)
{
    if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString) {
        const QString& x = *static_cast<const QString*>(a.constData());
        const QString& y = *static_cast<const QString*>(b.constData());
        // Digit-only texts rank below every other text, so that the order stays total when a
        // column mixes numbers with other texts (a number never sits between two texts).
        const bool dx = IsDigits(x), dy = IsDigits(y);
        if (dx != dy)
            return dx ? -1 : 1;
        if (dx) {
            qsizetype i = 0, j = 0;
            while (i < x.size() - 1 && x.at(i) == QLatin1Char('0')) ++i;
            while (j < y.size() - 1 && y.at(j) == QLatin1Char('0')) ++j;
            const qsizetype lx = x.size() - i, ly = y.size() - j;
            if (lx != ly) return lx < ly ? -1 : 1;
            const int c = QStringView(x).mid(i).compare(QStringView(y).mid(j));
            if (c != 0) return c;
            return x.size() < y.size() ? -1 : (x.size() > y.size() ? 1 : 0);
        }
    }
    return TFilterExpression::CompareValues(a, b, false);
}

QVariant Fold(const Node* n, qsizetype count, const std::function<TRowCells(qsizetype)>& rowAt, bool ci)
{
    if (n->kind != Kind::Agg) {
        if (!ContainsAggregate(n))
            return Eval(n, nullptr, ci);
        // Arithmetic over aggregate results: evaluate each side folded.
        Node copy;
        copy.kind = n->kind;
        auto side = [&](const Node* s) {
            auto c = std::make_unique<Node>();
            c->value = s ? Fold(s, count, rowAt, ci) : QVariant();
            return c;
        };
        copy.a = side(n->a.get());
        if (n->b) copy.b = side(n->b.get());
        return Eval(&copy, nullptr, ci);
    }
    if (count == 0)
        return {};
    if (n->countAll)
        return Number(double(count));
    double sum = 0;
    qsizetype seen = 0;
    QVariant best;
    for (qsizetype i = 0; i < count; ++i) {
        const TRowCells row = rowAt(i);
        const QVariant v = Eval(n->a.get(), &row, ci);
        if (!v.isValid())
            continue;
        switch (n->func) {
        case AggFunc::Max:
            if (!best.isValid() || AggregateOrder(v, best) > 0) best = v;
            break;
        case AggFunc::Min:
            if (!best.isValid() || AggregateOrder(v, best) < 0) best = v;
            break;
        case AggFunc::Count:
            break;
        default: {
            double x = 0;
            if (IsNumber(v)) x = v.toDouble();
            else if (v.typeId() == QMetaType::QDateTime) x = DayNumber(v.toDateTime());
            else if (!TextToNumber(v.toString(), x)) continue;
            sum += x;
        }
        }
        ++seen;
    }
    switch (n->func) {
    case AggFunc::Count: return Number(double(seen));
    case AggFunc::Max: case AggFunc::Min: return best;
    case AggFunc::Sum: return seen ? Number(sum) : QVariant();
    case AggFunc::Avg: return seen ? Number(sum / double(seen)) : QVariant();
    }
    return {};
}

}  // namespace

TFilterExpression::~TFilterExpression() = default;

std::shared_ptr<TFilterExpression> TFilterExpression::Parse(const QString& text, Mode mode, const Resolver& resolve,
                                                            bool caseInsensitive)
{
    Parser parser(text, mode, resolve);
    std::shared_ptr<TFilterExpression> e(new TFilterExpression);
    e->root_ = parser.ParseAll();
    e->caseInsensitive_ = caseInsensitive;
    if (mode == Mode::Filter) {
        if (!IsLogical(e->root_->kind))
            parser.Fail(QStringLiteral("a expressão não é uma condição"));
        e->keyTermsOnly_ = CollectKeyTerms(e->root_.get(), e->keyTerms_);
        return e;
    }
    if (!ContainsAggregate(e->root_.get()))
        parser.Fail(QStringLiteral("falta uma função de agregado"));
    if (IsLogical(e->root_->kind))
        parser.Fail(QStringLiteral("uma condição não é um agregado"));
    const Node* r = e->root_.get();
    if (r->kind == Kind::Agg && (r->func == AggFunc::Max || r->func == AggFunc::Min) && r->a && r->a->kind == Kind::Field &&
        (r->a->fieldType == TFieldType::String || r->a->fieldType == TFieldType::FixedString))
        e->resultType_ = TFieldType::String;
    else if (r->kind == Kind::Agg && (r->func == AggFunc::Max || r->func == AggFunc::Min) && r->a && r->a->kind == Kind::Field &&
             r->a->fieldType == TFieldType::DateTime)
        e->resultType_ = TFieldType::DateTime;
    return e;
}

bool TFilterExpression::Matches(const TRowCells& row) const
{
    if (keyTermsOnly_) {
        // An AND of FIELD = 'text' terms over texts, as a list filtered by its item is: each text
        // compared in place. A cell of another kind goes by the general rule.
        for (const KeyTerm& term : keyTerms_) {
            const QVariant& cell = row[term.slot];
            const int type = cell.typeId();  // 0 for a null cell
            if (type == QMetaType::UnknownType)
                return false;
            if (type != QMetaType::QString)
                return Eval(root_.get(), &row, caseInsensitive_).toBool();
            if (QString::compare(*static_cast<const QString*>(cell.constData()), term.text,
                                 caseInsensitive_ ? Qt::CaseInsensitive : Qt::CaseSensitive) != 0)
                return false;
        }
        return true;
    }
    return Eval(root_.get(), &row, caseInsensitive_).toBool();
}

QVariant TFilterExpression::Aggregate(qsizetype count, const std::function<TRowCells(qsizetype)>& rowAt) const
{
    return Fold(root_.get(), count, rowAt, caseInsensitive_);
}

int TFilterExpression::CompareValues(const QVariant& a, const QVariant& b, bool caseInsensitive)
{
    if (!a.isValid() || !b.isValid())
        return a.isValid() ? 1 : (b.isValid() ? -1 : 0);
    bool ok = false;
    const int c = Compare(a, b, caseInsensitive, ok);
    if (ok)
        return c;
    return QString::compare(a.toString(), b.toString(), caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
}
