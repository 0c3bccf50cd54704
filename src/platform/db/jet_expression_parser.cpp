// The expression parser: recursive descent over the tokens of one text, with the old engine's
// operator precedence (^, unary minus, * /, \\, Mod, + -, &, comparisons, Not, And, Or, Xor, Eqv, Imp).
#include "platform/db/jet_expression_parser.h"

#include "platform/db/db_error.h"
#include "platform/db/jet_functions.h"
#include "platform/db/sql_translation.h"

#include <QRegularExpression>
#include <cmath>

namespace jet {

using sqltok::Kind;

void syntaxError(const QString &source, int at, const QString &what)
{
    const QString near = at >= source.size() ? QStringLiteral("语句末尾") : QStringLiteral("“%1”").arg(source.mid(at, 12));
    throw DbError(DbError::SyntaxError, QStringLiteral("语法错误：%1（在%2附近，第 %3 个字符）。").arg(what, near).arg(at + 1),
                  source);
}

std::vector<Tok> tokenize(const QString &source)
{
    std::vector<Tok> toks;
    if (const qsizetype nul = source.indexOf(QChar(0)); nul >= 0)
        syntaxError(source, int(nul), QStringLiteral("语句中含有 NUL 字符"));
    const QChar *s = source.constData();
    const int n = int(source.size());
    for (int pos = 0; pos < n;) {
        const sqltok::Token t = sqltok::next(s, n, pos);
        const QString text = source.mid(t.start, t.length);
        if (t.kind == Kind::Space) {
            if (text.startsWith(QLatin1String("--")) || text.startsWith(QLatin1String("/*")))
                syntaxError(source, pos, QStringLiteral("不能使用注释"));
        } else if (t.kind == Kind::Punct && !toks.empty() && toks.back().kind == Kind::Punct
                   && toks.back().start + toks.back().text.size() == pos) {
            // two-character operators: <> <= >= != ||
            const QString pair = toks.back().text + text;
            if (pair == QLatin1String("<>") || pair == QLatin1String("<=") || pair == QLatin1String(">=")
                || pair == QLatin1String("!=") || pair == QLatin1String("||") || pair == QLatin1String("==")) {
                toks.back().text = pair;
                pos += t.length;
                continue;
            }
            toks.push_back({t.kind, pos, text});
        } else {
            toks.push_back({t.kind, pos, text});
        }
        pos += t.length;
    }
    return toks;
}

// Words that end an expression or a name list and can never be a bare column or alias.
const QSet<QString> &reservedWords()
{
    static const QSet<QString> words = [] {
        QSet<QString> w;
        for (const char *k : {"and", "or", "not", "xor", "eqv", "imp", "mod", "like", "is", "between", "in",
                              "null", "true", "false", "select", "from", "where", "group", "order", "by", "having",
                              "union", "into", "values", "set", "on", "join", "inner", "left", "right", "outer",
                              "full", "cross", "as", "case", "when", "then", "else", "end", "exists", "distinct",
                              "limit", "offset", "escape", "asc", "desc", "top", "all", "distinctrow", "except",
                              "intersect", "default", "percent", "update", "delete", "insert"})
            w.insert(QString::fromLatin1(k));
        return w;
    }();
    return words;
}

void ExpressionParser::expectEnd()
{
    if (isPunct(";")) {
        ++m_pos;
        if (!atEnd())
            fail(QStringLiteral("一次只能执行一条语句"));
    }
    if (!atEnd())
        fail(isPunct(")") ? QStringLiteral("多余的右括号") : QStringLiteral("表达式之后有多余的内容"));
}

// The logical levels, loosest first: Imp, Eqv, Xor, Or, And; then Not.
NodePtr ExpressionParser::binaryLevel(int level)
{
    static const struct {
        const char *word;
        Op op;
    } levels[] = {{"imp", Op::Imp}, {"eqv", Op::Eqv}, {"xor", Op::Xor}, {"or", Op::Or}, {"and", Op::And}};
    if (level == 5)
        return notLevel();
    NodePtr left = binaryLevel(level + 1);
    while (acceptWord(levels[level].word))
        left = binary(levels[level].op, std::move(left), binaryLevel(level + 1));
    return left;
}

NodePtr ExpressionParser::notLevel()
{
    const int at = here();
    if (acceptWord("not")) {
        NodePtr n = make(NodeKind::Unary, at, Op::Not);
        n->args.push_back(notLevel());
        return n;
    }
    return comparison();
}

NodePtr ExpressionParser::comparison()
{
    NodePtr left = concatenation();
    for (;;) {
        static const struct {
            const char *text;
            Op op;
        } ops[] = {{"=", Op::Eq}, {"==", Op::Eq}, {"<>", Op::Ne}, {"!=", Op::Ne}, {"<", Op::Lt},
                   {"<=", Op::Le}, {">", Op::Gt}, {">=", Op::Ge}};
        bool matched = false;
        for (const auto &o : ops) {
            if (acceptPunct(o.text)) {
                left = binary(o.op, std::move(left), concatenation());
                matched = true;
                break;
            }
        }
        if (matched)
            continue;
        const bool negated = isWord("not") && (isWord("like", 1) || isWord("between", 1) || isWord("in", 1));
        if (negated)
            ++m_pos;
        if (acceptWord("like")) {
            NodePtr n = make(NodeKind::Like, left->position);
            n->negated = negated;
            n->args.push_back(std::move(left));
            n->args.push_back(concatenation());
            if (acceptWord("escape"))
                n->args.push_back(concatenation());
            left = std::move(n);
        } else if (acceptWord("between")) {
            NodePtr n = make(NodeKind::Between, left->position);
            n->negated = negated;
            n->args.push_back(std::move(left));
            n->args.push_back(concatenation());
            expectWord("and");
            n->args.push_back(concatenation());
            left = std::move(n);
        } else if (acceptWord("in")) {
            expectPunct("(");
            NodePtr n;
            if (isWord("select")) {
                n = make(NodeKind::InSelect, left->position);
                n->select = select();
                n->args.push_back(std::move(left));
            } else {
                n = make(NodeKind::InList, left->position);
                n->args.push_back(std::move(left));
                do
                    n->args.push_back(expression());
                while (acceptPunct(","));
            }
            n->negated = negated;
            expectPunct(")");
            left = std::move(n);
        } else if (acceptWord("is")) {
            NodePtr n = make(NodeKind::IsNull, left->position);
            n->negated = acceptWord("not");
            expectWord("null");
            n->args.push_back(std::move(left));
            left = std::move(n);
        } else {
            return left;
        }
    }
}

NodePtr ExpressionParser::concatenation()
{
    NodePtr left = additive();
    for (;;) {
        if (acceptPunct("&"))
            left = binary(Op::Concat, std::move(left), additive());
        else if (acceptPunct("||"))
            left = binary(Op::Pipe, std::move(left), additive());
        else
            return left;
    }
}

NodePtr ExpressionParser::additive()
{
    NodePtr left = modulo();
    for (;;) {
        if (acceptPunct("+"))
            left = binary(Op::Add, std::move(left), modulo());
        else if (acceptPunct("-"))
            left = binary(Op::Sub, std::move(left), modulo());
        else
            return left;
    }
}

NodePtr ExpressionParser::modulo()
{
    NodePtr left = integerDivision();
    while (acceptWord("mod"))
        left = binary(Op::Mod, std::move(left), integerDivision());
    return left;
}

NodePtr ExpressionParser::integerDivision()
{
    NodePtr left = multiplicative();
    while (acceptPunct("\\"))
        left = binary(Op::IntDiv, std::move(left), multiplicative());
    return left;
}

NodePtr ExpressionParser::multiplicative()
{
    NodePtr left = unary();
    for (;;) {
        if (acceptPunct("*"))
            left = binary(Op::Mul, std::move(left), unary());
        else if (acceptPunct("/"))
            left = binary(Op::Div, std::move(left), unary());
        else
            return left;
    }
}

// Unary minus binds looser than ^: -2^2 is -(2^2).
NodePtr ExpressionParser::unary()
{
    const int at = here();
    if (acceptPunct("-")) {
        NodePtr n = make(NodeKind::Unary, at, Op::Neg);
        n->args.push_back(unary());
        return n;
    }
    if (acceptPunct("+")) {
        NodePtr n = make(NodeKind::Unary, at, Op::Pos);
        n->args.push_back(unary());
        return n;
    }
    return power();
}

// ^ is left-associative (2^3^2 = 64); its right operand may carry a sign (2^-1).
NodePtr ExpressionParser::power()
{
    NodePtr left = primary();
    while (acceptPunct("^"))
        left = binary(Op::Pow, std::move(left), powerOperand());
    return left;
}

NodePtr ExpressionParser::powerOperand()
{
    const int at = here();
    if (acceptPunct("-")) {
        NodePtr n = make(NodeKind::Unary, at, Op::Neg);
        n->args.push_back(powerOperand());
        return n;
    }
    if (acceptPunct("+"))
        return powerOperand();
    return primary();
}

NodePtr ExpressionParser::primary()
{
    const Tok *t = peek();
    if (!t)
        fail(QStringLiteral("缺少操作数"));
    const int at = t->start;
    switch (t->kind) {
    case Kind::Number: {
        ++m_pos;
        const QByteArray latin = t->text.toLatin1();
        char *end = nullptr;
        const double v = std::strtod(latin.constData(), &end);
        static const QRegularExpression plain(QStringLiteral("^(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
        if (end != latin.constData() + latin.size() || !plain.match(t->text).hasMatch())
            syntaxError(m_source, at, QStringLiteral("数字“%1”的写法不对").arg(t->text));
        if (!std::isfinite(v))
            throw DbError(DbError::Overflow, QStringLiteral("溢出：数字“%1”超出范围。").arg(t->text), m_source);
        NodePtr n = make(NodeKind::Number, at);
        n->text = t->text;
        return n;
    }
    case Kind::String:
    case Kind::Quoted:
        if (t->kind == Kind::Quoted && t->text.startsWith(QLatin1Char('`')))
            return columnReference();
        return textLiteral();
    case Kind::Date: {
        ++m_pos;
        NodePtr n = make(NodeKind::Date, at);
        n->text = accessDateLiteralText(t->text.mid(1, t->text.size() - 2));
        if (n->text.isEmpty())
            syntaxError(m_source, at, QStringLiteral("日期“%1”的写法不对").arg(t->text));
        return n;
    }
    case Kind::Bracketed:
        return columnReference();
    case Kind::Punct:
        return punctuationPrimary();
    case Kind::Word:
        return wordPrimary();
    default:
        fail(QStringLiteral("无法识别的符号"));
    }
}

NodePtr ExpressionParser::textLiteral()
{
    const Tok *t = peek();
    const QChar quote = t->text.at(0);
    if (t->text.size() < 2 || !t->text.endsWith(quote))
        syntaxError(m_source, t->start, QStringLiteral("字符串缺少结束的引号"));
    NodePtr n = make(NodeKind::Text, t->start);
    n->text = t->text.mid(1, t->text.size() - 2);
    n->text.replace(QString(2, quote), QString(quote));
    ++m_pos;
    return n;
}

NodePtr ExpressionParser::punctuationPrimary()
{
    const Tok *t = peek();
    const int at = t->start;
    if (t->text == QLatin1String("(")) {
        ++m_pos;
        if (isWord("select")) {
            NodePtr n = make(NodeKind::Subquery, at);
            n->select = select();
            expectPunct(")");
            return n;
        }
        NodePtr inner = expression();
        expectPunct(")");
        return inner;
    }
    if (t->text == QLatin1String("?") || t->text == QLatin1String(":") || t->text == QLatin1String("@")) {
        ++m_pos;
        NodePtr n = make(NodeKind::Param, at);
        n->text = t->text;
        const Tok *next = peek();
        if (next && next->start == at + 1
            && ((t->text == QLatin1String("?") && next->kind == Kind::Number)
                || (t->text != QLatin1String("?") && next->kind == Kind::Word))) {
            n->text += next->text;
            ++m_pos;
        } else if (t->text != QLatin1String("?")) {
            syntaxError(m_source, at, QStringLiteral("参数名不完整"));
        }
        return n;
    }
    if (t->text == QLatin1String("*")) {
        ++m_pos;
        return make(NodeKind::Star, at);
    }
    if (t->text == QLatin1String(")"))
        fail(QStringLiteral("多余的右括号"));
    if (t->text == QLatin1String(";"))
        fail(QStringLiteral("一次只能执行一条语句"));
    fail(QStringLiteral("缺少操作数"));
}

NodePtr ExpressionParser::wordPrimary()
{
    const Tok *t = peek();
    const int at = t->start;
    const QString lower = t->text.toLower();
    if (lower == QLatin1String("null")) {
        ++m_pos;
        return make(NodeKind::Null, at);
    }
    if (lower == QLatin1String("true") || lower == QLatin1String("false")) {
        ++m_pos;
        NodePtr n = make(NodeKind::Boolean, at);
        n->text = lower;
        return n;
    }
    if (lower == QLatin1String("exists")) {
        ++m_pos;
        expectPunct("(");
        NodePtr n = make(NodeKind::Exists, at);
        n->select = select();
        expectPunct(")");
        return n;
    }
    if (lower == QLatin1String("case"))
        return caseExpression();
    if (isPunct("(", 1)) {
        // Left, Right and Asc are words of the statements too; followed by a bracket they are functions
        if (reservedWords().contains(lower) && !findFunction(lower))
            fail(QStringLiteral("“%1”不能用作函数名").arg(t->text));
        ++m_pos;
        ++m_pos;
        NodePtr n = make(NodeKind::Call, at);
        n->text = t->text;
        if (!isPunct(")")) {
            n->distinct = acceptWord("distinct");
            if (!n->distinct)
                acceptWord("all");
            do
                n->args.push_back(expression());
            while (acceptPunct(","));
        }
        expectPunct(")");
        return n;
    }
    if (reservedWords().contains(lower))
        fail(QStringLiteral("缺少操作数"));
    return columnReference();
}

NodePtr ExpressionParser::caseExpression()
{
    NodePtr n = make(NodeKind::Case, here());
    expectWord("case");
    if (!isWord("when")) {
        n->hasOperand = true;
        n->args.push_back(expression());
    }
    if (!isWord("when"))
        fail(QStringLiteral("缺少 WHEN"));
    while (acceptWord("when")) {
        n->args.push_back(expression());
        expectWord("then");
        n->args.push_back(expression());
    }
    if (acceptWord("else")) {
        n->hasElse = true;
        n->args.push_back(expression());
    }
    expectWord("end");
    return n;
}

QString ExpressionParser::name()
{
    if (!atName())
        fail(QStringLiteral("缺少名称"));
    const Tok *t = peek();
    ++m_pos;
    QString n = sqltok::identifierName(t->text, t->kind);
    if (n.isEmpty())
        syntaxError(m_source, t->start, QStringLiteral("名称不能为空"));
    return n;
}

NodePtr ExpressionParser::columnReference()
{
    const int at = here();
    NodePtr n = make(NodeKind::Column, at);
    n->text = name();
    if (isPunct(".")) {
        ++m_pos;
        n->qualifier = n->text;
        if (acceptPunct("*")) {
            n->kind = NodeKind::Star;
            n->text.clear();
            return n;
        }
        n->text = name();
    }
    return n;
}

} // namespace jet
