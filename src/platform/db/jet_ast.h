// The tree of one statement or expression of the system's SQL (the old engine's language), as the
// parser builds it and the emitters walk it. It holds no SQL text of any backend.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace jet {

struct Select;

enum class NodeKind {
    Number,    // text: the literal as written ("3500", "0.5", "1e3")
    Text,      // text: the value, quotes removed
    Date,      // text: "yyyy-MM-dd HH:mm:ss"
    Null,
    Boolean,   // text: "true" or "false"
    Param,     // text: "?", "?1", ":name" as written
    Column,    // text: the name; qualifier: the table or alias before the dot, if any
    Star,      // * or T.* (qualifier) in a select list or count(*)
    Unary,     // op: Neg, Pos, Not; args[0]
    Binary,    // op; args[0], args[1]
    Call,      // text: the function name as written; args
    Between,   // args[0] between args[1] and args[2]; negated
    InList,    // args[0] in (args[1..]); negated
    InSelect,  // args[0] in (select); negated
    IsNull,    // args[0] is [not] null; negated
    Like,      // args[0] like args[1] [escape args[2]]; negated
    Case,      // args: [operand], when/then pairs, [else]; hasOperand, hasElse
    Subquery,  // (select …) as a value
    Exists,    // exists (select …)
};

enum class Op {
    None,
    Neg, Pos, Not,
    Pow, Mul, Div, IntDiv, Mod, Add, Sub, Concat, Pipe,
    Eq, Ne, Lt, Le, Gt, Ge,
    And, Or, Xor, Eqv, Imp,
};

struct Node;
using NodePtr = std::unique_ptr<Node>;

struct Node {
    NodeKind kind = NodeKind::Null;
    Op op = Op::None;
    QString text;
    QString qualifier;
    bool negated = false;
    bool hasOperand = false;  // Case
    bool hasElse = false;     // Case
    bool distinct = false;    // Call: count(distinct x)
    int position = 0;         // where it starts in the source text
    std::vector<NodePtr> args;
    std::unique_ptr<Select> select;  // InSelect, Subquery, Exists
};

// ---- statements -----------------------------------------------------------------------------

enum class JoinKind { First, Comma, Inner, Left, Right, Cross };

struct TableRef {
    JoinKind join = JoinKind::First;
    QString name;                    // a table, or empty for a sub-query or a bracketed join
    QString alias;
    std::unique_ptr<Select> subquery;
    std::vector<TableRef> nested;    // ( a inner join b on … ) written in brackets
    bool function = false;           // name(args): a table-valued function
    std::vector<NodePtr> args;
    NodePtr on;
};

struct SelectItem {
    NodePtr expr;   // Star for * and T.*
    QString alias;
};

struct OrderItem {
    NodePtr expr;
    bool descending = false;
};

struct Select {
    bool distinct = false;
    NodePtr top;                     // TOP n
    bool topPercent = false;
    std::vector<SelectItem> items;
    QString into;                    // select … into T
    std::vector<TableRef> from;
    NodePtr where;
    std::vector<NodePtr> groupBy;
    NodePtr having;
    std::vector<OrderItem> orderBy;
    NodePtr limit, offset;
    QString compound;                // "union", "union all", … joining next
    std::unique_ptr<Select> next;
};

struct Assignment {
    QString column;
    NodePtr value;
};

struct Insert {
    QString table;
    QStringList columns;
    std::vector<std::vector<NodePtr>> rows;  // values (…), (…)
    std::unique_ptr<Select> select;
    bool defaultValues = false;
};

struct Update {
    QString table;
    QString alias;
    std::vector<Assignment> sets;
    NodePtr where;
};

struct Delete {
    QString table;
    NodePtr where;
};

enum class StatementKind { Select, Insert, Update, Delete };

struct Statement {
    StatementKind kind = StatementKind::Select;
    std::unique_ptr<Select> select;
    std::unique_ptr<Insert> insert;
    std::unique_ptr<Update> update;
    std::unique_ptr<Delete> del;
};

} // namespace jet
