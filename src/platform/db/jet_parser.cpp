// The statement parser: select, insert, update and delete of the system's SQL around the
// expressions of the expression parser; and the checks of a user's formula or condition.
#include "platform/db/jet_parser.h"

#include "platform/db/db_error.h"
#include "platform/db/jet_expression_parser.h"
#include "platform/db/jet_functions.h"

namespace jet {

namespace {

using sqltok::Kind;

class StatementParser final : public ExpressionParser {
public:
    using ExpressionParser::ExpressionParser;

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
    QString optionalAlias()
    {
        if (acceptWord("as"))
            return name();
        return atName() ? name() : QString();
    }

    std::unique_ptr<Select> select() override
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
    StatementParser p(text);
    if (p.atEnd())
        syntaxError(text, 0, QStringLiteral("表达式为空"));
    NodePtr n = p.expression();
    if (!p.atEnd())
        p.expectEnd();
    return n;
}

Statement parseStatement(const QString &text)
{
    StatementParser p(text);
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
