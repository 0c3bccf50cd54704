// Recursive-descent parser of the system's SQL: expressions with the old engine's operator
// precedence, and the select, insert, update and delete statements built around them.
#include "platform/db/jet_parser.h"

#include "platform/db/db_error.h"
#include "platform/db/jet_functions.h"
#include "platform/db/sql_tokenizer.h"
#include "platform/db/sql_translation.h"

#include <QRegularExpression>
#include <QSet>
#include <cmath>

namespace jet {

namespace {

using sqltok::Kind;

struct Tok {
    Kind kind = Kind::Punct;
    int start = 0;
    QString text;
};

[[noreturn]] void syntaxError(const QString &source, int at, const QString &what)
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

class Parser {
public:
    explicit Parser(const QString &source) : m_source(source), m_toks(tokenize(source)) {}

    bool atEnd() const { return m_pos >= int(m_toks.size()); }

    void expectEnd()
    {
        if (isPunct(";")) {
            ++m_pos;
            if (!atEnd())
                fail(QStringLiteral("一次只能执行一条语句"));
        }
        if (!atEnd())
            fail(isPunct(")") ? QStringLiteral("多余的右括号") : QStringLiteral("表达式之后有多余的内容"));
    }

    // ---- expressions --------------------------------------------------------------------

    NodePtr expression() { return binaryLevel(0); }

    Statement statement()
    {
        Statement st;
        if (isWord("select")) {
            st.kind = StatementKind::Select;
            st.select = select();
        } else if (isWord("insert")) {
            st.kind = StatementKind::Insert;
            st.insert = insert();
        } else if (isWord("update")) {
            st.kind = StatementKind::Update;
            st.update = update();
        } else if (isWord("delete")) {
            st.kind = StatementKind::Delete;
            st.del = del();
        } else {
            fail(QStringLiteral("应为 SELECT、INSERT、UPDATE 或 DELETE 语句"));
        }
        return st;
    }

private:
    const Tok *peek(int ahead = 0) const
    {
        const int i = m_pos + ahead;
        return i < int(m_toks.size()) ? &m_toks[size_t(i)] : nullptr;
    }
    int here() const { return atEnd() ? int(m_source.size()) : m_toks[size_t(m_pos)].start; }

    [[noreturn]] void fail(const QString &what) const { syntaxError(m_source, here(), what); }

    bool isWord(const char *w, int ahead = 0) const
    {
        const Tok *t = peek(ahead);
        return t && t->kind == Kind::Word && sqltok::equalsWord(t->text.constData(), int(t->text.size()), w);
    }
    bool isPunct(const char *p, int ahead = 0) const
    {
        const Tok *t = peek(ahead);
        return t && t->kind == Kind::Punct && t->text == QLatin1String(p);
    }
    bool acceptWord(const char *w)
    {
        if (!isWord(w))
            return false;
        ++m_pos;
        return true;
    }
    bool acceptPunct(const char *p)
    {
        if (!isPunct(p))
            return false;
        ++m_pos;
        return true;
    }
    void expectWord(const char *w)
    {
        if (!acceptWord(w))
            fail(QStringLiteral("缺少 %1").arg(QString::fromLatin1(w).toUpper()));
    }
    void expectPunct(const char *p)
    {
        if (!acceptPunct(p))
            fail(QStringLiteral("缺少“%1”").arg(QString::fromLatin1(p)));
    }

    NodePtr make(NodeKind kind, int position, Op op = Op::None)
    {
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->op = op;
        n->position = position;
        return n;
    }
    NodePtr binary(Op op, NodePtr a, NodePtr b)
    {
        NodePtr n = make(NodeKind::Binary, a->position, op);
        n->args.push_back(std::move(a));
        n->args.push_back(std::move(b));
        return n;
    }

    // The logical levels, loosest first: Imp, Eqv, Xor, Or, And; then Not.
    NodePtr binaryLevel(int level)
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

    NodePtr notLevel()
    {
        const int at = here();
        if (acceptWord("not")) {
            NodePtr n = make(NodeKind::Unary, at, Op::Not);
            n->args.push_back(notLevel());
            return n;
        }
        return comparison();
    }

    NodePtr comparison()
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

    NodePtr concatenation()
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

    NodePtr additive()
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

    NodePtr modulo()
    {
        NodePtr left = integerDivision();
        while (acceptWord("mod"))
            left = binary(Op::Mod, std::move(left), integerDivision());
        return left;
    }

    NodePtr integerDivision()
    {
        NodePtr left = multiplicative();
        while (acceptPunct("\\"))
            left = binary(Op::IntDiv, std::move(left), multiplicative());
        return left;
    }

    NodePtr multiplicative()
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
    NodePtr unary()
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
    NodePtr power()
    {
        NodePtr left = primary();
        while (acceptPunct("^"))
            left = binary(Op::Pow, std::move(left), powerOperand());
        return left;
    }

    NodePtr powerOperand()
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

    NodePtr primary()
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

    NodePtr textLiteral()
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

    NodePtr punctuationPrimary()
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

    NodePtr wordPrimary()
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

    NodePtr caseExpression()
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

    // A name: a word, [bracketed] or `quoted`.
    bool atName() const
    {
        const Tok *t = peek();
        if (!t)
            return false;
        if (t->kind == Kind::Bracketed || (t->kind == Kind::Quoted && t->text.startsWith(QLatin1Char('`'))))
            return true;
        return t->kind == Kind::Word && !reservedWords().contains(t->text.toLower());
    }
    QString name()
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

    NodePtr columnReference()
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

    // ---- statements ---------------------------------------------------------------------

    QString optionalAlias()
    {
        if (acceptWord("as"))
            return name();
        return atName() ? name() : QString();
    }

    std::unique_ptr<Select> select()
    {
        auto s = std::make_unique<Select>();
        expectWord("select");
        if (acceptWord("distinct") || acceptWord("distinctrow"))
            s->distinct = true;
        else
            acceptWord("all");
        if (acceptWord("top")) {
            s->top = primary();
            s->topPercent = acceptWord("percent");
        }
        do {
            SelectItem item;
            item.expr = expression();
            if (item.expr->kind != NodeKind::Star)
                item.alias = optionalAlias();
            s->items.push_back(std::move(item));
        } while (acceptPunct(","));
        if (acceptWord("into"))
            s->into = name();
        if (acceptWord("from"))
            s->from = tableList();
        if (acceptWord("where"))
            s->where = expression();
        if (acceptWord("group")) {
            expectWord("by");
            do
                s->groupBy.push_back(expression());
            while (acceptPunct(","));
        }
        if (acceptWord("having"))
            s->having = expression();
        if (isWord("union") || isWord("except") || isWord("intersect")) {
            s->compound = peek()->text.toLower();
            ++m_pos;
            if (acceptWord("all"))
                s->compound += QStringLiteral(" all");
            s->next = select();
            return s;  // the order by of the last part orders the whole
        }
        if (acceptWord("order")) {
            expectWord("by");
            do {
                OrderItem o;
                o.expr = expression();
                o.descending = acceptWord("desc");
                if (!o.descending)
                    acceptWord("asc");
                s->orderBy.push_back(std::move(o));
            } while (acceptPunct(","));
        }
        if (acceptWord("limit")) {
            s->limit = expression();
            if (acceptWord("offset"))
                s->offset = expression();
        }
        return s;
    }

    TableRef tableFactor(JoinKind join)
    {
        TableRef ref;
        ref.join = join;
        if (acceptPunct("(")) {
            if (isWord("select")) {
                ref.subquery = select();
                expectPunct(")");
            } else {
                ref.nested = tableList();
                expectPunct(")");
            }
        } else {
            ref.name = name();
            if (acceptPunct("(")) {
                ref.function = true;
                if (!isPunct(")"))
                    do
                        ref.args.push_back(expression());
                    while (acceptPunct(","));
                expectPunct(")");
            }
        }
        ref.alias = optionalAlias();
        return ref;
    }

    std::vector<TableRef> tableList()
    {
        std::vector<TableRef> refs;
        refs.push_back(tableFactor(JoinKind::First));
        for (;;) {
            JoinKind kind;
            if (acceptPunct(",")) {
                kind = JoinKind::Comma;
            } else if (acceptWord("inner")) {
                kind = JoinKind::Inner;
            } else if (acceptWord("left")) {
                acceptWord("outer");
                kind = JoinKind::Left;
            } else if (acceptWord("right")) {
                acceptWord("outer");
                kind = JoinKind::Right;
            } else if (acceptWord("cross")) {
                kind = JoinKind::Cross;
            } else if (isWord("join")) {
                kind = JoinKind::Inner;
            } else {
                return refs;
            }
            if (kind != JoinKind::Comma)
                expectWord("join");
            TableRef ref = tableFactor(kind);
            if (kind == JoinKind::Inner || kind == JoinKind::Left || kind == JoinKind::Right) {
                expectWord("on");
                ref.on = expression();
            }
            refs.push_back(std::move(ref));
        }
    }

    std::unique_ptr<Insert> insert()
    {
        auto ins = std::make_unique<Insert>();
        expectWord("insert");
        expectWord("into");
        ins->table = name();
        if (acceptPunct("(")) {
            do
                ins->columns << name();
            while (acceptPunct(","));
            expectPunct(")");
        }
        if (acceptWord("values")) {
            do {
                expectPunct("(");
                std::vector<NodePtr> row;
                do
                    row.push_back(expression());
                while (acceptPunct(","));
                expectPunct(")");
                ins->rows.push_back(std::move(row));
            } while (acceptPunct(","));
        } else if (acceptWord("default")) {
            expectWord("values");
            ins->defaultValues = true;
        } else if (isWord("select")) {
            ins->select = select();
        } else if (isPunct("(") && isWord("select", 1)) {
            ++m_pos;
            ins->select = select();
            expectPunct(")");
        } else {
            fail(QStringLiteral("缺少 VALUES 或 SELECT"));
        }
        return ins;
    }

    std::unique_ptr<Update> update()
    {
        auto up = std::make_unique<Update>();
        expectWord("update");
        up->table = name();
        if (!isWord("set"))
            up->alias = optionalAlias();
        expectWord("set");
        do {
            Assignment a;
            a.column = name();
            if (acceptPunct(".")) {  // a qualified target: T.column
                a.column = name();
            }
            expectPunct("=");
            a.value = expression();
            up->sets.push_back(std::move(a));
        } while (acceptPunct(","));
        if (acceptWord("where"))
            up->where = expression();
        return up;
    }

    std::unique_ptr<Delete> del()
    {
        auto d = std::make_unique<Delete>();
        expectWord("delete");
        if (!acceptPunct("*") && atName() && !isWord("from")) {
            name();  // delete T.* from T
            expectPunct(".");
            expectPunct("*");
        }
        expectWord("from");
        d->table = name();
        if (acceptWord("where"))
            d->where = expression();
        return d;
    }

    const QString &m_source;
    std::vector<Tok> m_toks;
    int m_pos = 0;
};

void collectNames(const Node &node, ExpressionNames &out)
{
    auto addOnce = [](QStringList &list, const QString &name) {
        for (const QString &n : list)
            if (n.compare(name, Qt::CaseInsensitive) == 0)
                return;
        list << name;
    };
    if (node.kind == NodeKind::Column)
        addOnce(out.columns, node.text);
    if (node.kind == NodeKind::Call)
        addOnce(findFunction(node.text) ? out.functions : out.unknownFunctions, node.text);
    for (const NodePtr &a : node.args)
        collectNames(*a, out);
}

void checkCalls(const Node &node, const QString &source)
{
    if (node.kind == NodeKind::Call) {
        const FunctionInfo *f = findFunction(node.text);
        if (!f)
            throw DbError(DbError::SyntaxError, QStringLiteral("表达式中有未定义的函数“%1”。").arg(node.text), source);
        const int n = int(node.args.size());
        if (n < f->minArgs || (f->maxArgs >= 0 && n > f->maxArgs))
            throw DbError(DbError::SyntaxError,
                          QStringLiteral("函数“%1”的参数个数不对（给了 %2 个）。").arg(QString::fromLatin1(f->name)).arg(n),
                          source);
        if (f->form == FunctionForm::Aggregate)
            throw DbError(DbError::SyntaxError,
                          QStringLiteral("不能在公式或条件中使用合计函数“%1”。").arg(QString::fromLatin1(f->name)), source);
        if (f->form == FunctionForm::Switch && n % 2 != 0)
            throw DbError(DbError::SyntaxError, QStringLiteral("函数 Switch 的参数应成对出现。"), source);
    }
    if (node.kind == NodeKind::Star)
        throw DbError(DbError::SyntaxError, QStringLiteral("语法错误：公式或条件中不能使用“*”。"), source);
    if (node.kind == NodeKind::Subquery || node.kind == NodeKind::InSelect || node.kind == NodeKind::Exists)
        throw DbError(DbError::SyntaxError, QStringLiteral("公式或条件中不能包含子查询。"), source);
    for (const NodePtr &a : node.args)
        checkCalls(*a, source);
}

} // namespace

NodePtr parseExpression(const QString &text)
{
    Parser p(text);
    if (p.atEnd())
        syntaxError(text, 0, QStringLiteral("表达式为空"));
    NodePtr n = p.expression();
    if (!p.atEnd())
        p.expectEnd();
    return n;
}

Statement parseStatement(const QString &text)
{
    Parser p(text);
    Statement st = p.statement();
    p.expectEnd();
    return st;
}

bool isDataStatement(const QString &text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && (text.at(i).isSpace() || text.at(i) == QLatin1Char('(')))
        ++i;
    int j = i;
    while (j < n && text.at(j).unicode() < 128 && text.at(j).isLetter())
        ++j;
    const QString word = text.mid(i, j - i).toLower();
    return word == QLatin1String("select") || word == QLatin1String("insert") || word == QLatin1String("update")
        || word == QLatin1String("delete");
}

ExpressionNames namesIn(const Node &node)
{
    ExpressionNames names;
    collectNames(node, names);
    return names;
}

NodePtr checkUserExpression(const QString &text, ExpressionKind kind)
{
    (void)kind;  // a condition and a value share one grammar; what differs is how the result is used
    NodePtr n = parseExpression(text);
    checkCalls(*n, text);
    return n;
}

} // namespace jet
