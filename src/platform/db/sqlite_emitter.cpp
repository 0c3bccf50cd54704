// The SQLite emitter: walks the tree and writes SQLite SQL whose results are the old engine's.
// Operators SQLite does differently become calls of the acc_* functions registered on every
// connection; where both operands are known to be numbers the native operator is kept, so that
// formulas over the wage columns stay fast.
#include "platform/db/sqlite_emitter.h"

#include "platform/db/jet_parser.h"

#include <QHash>
#include <sqlite3.h>

namespace jet {

namespace {

struct Emitted {
    QString sql;
    ValueType type = ValueType::Unknown;  // Boolean: sql is a native SQLite condition (1, 0 or NULL)
};

QString quoteText(const QString &text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

bool isPlainName(const QString &name)
{
    if (name.isEmpty() || !(name.at(0).isLetter() || name.at(0) == QLatin1Char('_')) || name.at(0).unicode() > 127)
        return false;
    for (QChar c : name)
        if (c.unicode() > 127 || !(c.isLetterOrNumber() || c == QLatin1Char('_')))
            return false;
    const QByteArray latin = name.toLatin1();
    return !sqlite3_keyword_check(latin.constData(), int(latin.size()));
}

QString ident(const QString &name)
{
    if (isPlainName(name))
        return name;
    QString q = name;
    q.replace(QLatin1Char('`'), QLatin1String("``"));
    return QLatin1Char('`') + q + QLatin1Char('`');
}

// A text literal whose value holds no letter: comparing it with or without case gives the same.
bool isCaselessLiteral(const Node &n)
{
    if (n.kind != NodeKind::Text)
        return false;
    for (QChar c : n.text)
        if (c.toLower() != c.toUpper())
            return false;
    return true;
}

ValueType merged(ValueType a, ValueType b)
{
    if (a == ValueType::Null)
        return b;
    if (b == ValueType::Null || a == b)
        return a;
    return ValueType::Unknown;
}

bool numeric(ValueType t) { return t == ValueType::Number || t == ValueType::Boolean; }

QString baseType(const QString &declared)
{
    QString t = declared.trimmed().toLower();
    const qsizetype paren = t.indexOf(QLatin1Char('('));
    if (paren >= 0)
        t.truncate(paren);
    return t.simplified();
}

// The function that checks and converts a value stored into a column of this type, or none.
const char *storeGuard(const QString &declared)
{
    const QString t = baseType(declared);
    static const QHash<QString, const char *> guards = [] {
        QHash<QString, const char *> h;
        for (const char *n : {"single", "float4", "ieeesingle"})
            h.insert(QString::fromLatin1(n), "acc_store_single");
        for (const char *n : {"double", "float", "float8", "real", "number", "numeric", "decimal", "ieeedouble",
                              "double precision"})
            h.insert(QString::fromLatin1(n), "acc_store_double");
        for (const char *n : {"currency", "money"})
            h.insert(QString::fromLatin1(n), "acc_store_currency");
        for (const char *n : {"int", "integer", "long", "int4", "counter", "autoincrement", "mediumint"})
            h.insert(QString::fromLatin1(n), "acc_store_long");
        for (const char *n : {"smallint", "short", "int2"})
            h.insert(QString::fromLatin1(n), "acc_store_integer");
        for (const char *n : {"byte", "tinyint", "int1"})
            h.insert(QString::fromLatin1(n), "acc_store_byte");
        for (const char *n : {"char", "varchar", "text", "memo", "nchar", "nvarchar", "string", "longtext",
                              "character", "character varying", "national character", "national char",
                              "national character varying", "note", "longchar"})
            h.insert(QString::fromLatin1(n), "acc_store_text");
        for (const char *n : {"datetime", "date", "time", "timestamp"})
            h.insert(QString::fromLatin1(n), "acc_store_date");
        for (const char *n : {"bit", "yesno", "logical", "boolean", "bool"})
            h.insert(QString::fromLatin1(n), "acc_store_bool");
        return h;
    }();
    return guards.value(t, nullptr);
}

struct ScopeEntry {
    QString alias;  // the name columns are qualified with: the alias, or the table's own name
    QList<ColumnInfo> columns;
};

struct Scope {
    std::vector<ScopeEntry> entries;
    const Scope *parent = nullptr;
};

} // namespace

ValueType columnValueType(const QString &declaredType)
{
    const char *guard = storeGuard(declaredType);
    if (!guard) {
        const QString t = baseType(declaredType);
        if (t == QLatin1String("bigint"))
            return ValueType::Number;
        return ValueType::Unknown;
    }
    const QString g = QString::fromLatin1(guard);
    if (g == QLatin1String("acc_store_text"))
        return ValueType::Text;
    if (g == QLatin1String("acc_store_date"))
        return ValueType::Date;
    return ValueType::Number;
}

struct SqliteEmitter::Impl {
    SchemaLookup schema;
    QHash<QString, QList<ColumnInfo>> tables;
    const Scope *scope = nullptr;

    QList<ColumnInfo> columnsOf(const QString &table)
    {
        const QString key = table.toLower();
        auto it = tables.find(key);
        if (it == tables.end())
            it = tables.insert(key, schema ? schema(table) : QList<ColumnInfo>());
        return *it;
    }

    const ColumnInfo *findColumn(const Node &col) const
    {
        for (const Scope *s = scope; s; s = s->parent) {
            for (const ScopeEntry &e : s->entries) {
                if (!col.qualifier.isEmpty() && e.alias.compare(col.qualifier, Qt::CaseInsensitive) != 0)
                    continue;
                for (const ColumnInfo &c : e.columns)
                    if (c.name.compare(col.text, Qt::CaseInsensitive) == 0)
                        return &c;
            }
        }
        return nullptr;
    }

    static QString asValue(const Emitted &e)
    {
        return e.type == ValueType::Boolean ? QStringLiteral("(-") + e.sql + QLatin1Char(')') : e.sql;
    }
    QString value(const Node &n) { return asValue(gen(n)); }
    QString condition(const Node &n) { return gen(n).sql; }

    Emitted call(const char *fn, std::initializer_list<QString> args, ValueType type)
    {
        QStringList list(args);
        return {QLatin1String(fn) + QLatin1Char('(') + list.join(QLatin1Char(',')) + QLatin1Char(')'), type};
    }

    Emitted gen(const Node &n)
    {
        switch (n.kind) {
        case NodeKind::Number:
            return {n.text, ValueType::Number};
        case NodeKind::Text:
            return {quoteText(n.text), ValueType::Text};
        case NodeKind::Date:
            return {quoteText(n.text), ValueType::Date};
        case NodeKind::Null:
            return {QStringLiteral("NULL"), ValueType::Null};
        case NodeKind::Boolean:
            return {n.text == QLatin1String("true") ? QStringLiteral("-1") : QStringLiteral("0"), ValueType::Number};
        case NodeKind::Param:
            return {n.text, ValueType::Unknown};
        case NodeKind::Column: {
            const QString sql = n.qualifier.isEmpty() ? ident(n.text) : ident(n.qualifier) + QLatin1Char('.') + ident(n.text);
            if (const ColumnInfo *c = findColumn(n))
                return {sql, columnValueType(c->declaredType)};
            const QString lower = n.text.toLower();
            if (lower == QLatin1String("rowid") || lower == QLatin1String("oid") || lower == QLatin1String("_rowid_"))
                return {sql, ValueType::Number};
            return {sql, ValueType::Unknown};
        }
        case NodeKind::Star:
            return {n.qualifier.isEmpty() ? QStringLiteral("*") : ident(n.qualifier) + QStringLiteral(".*"),
                    ValueType::Unknown};
        case NodeKind::Unary:
            return unary(n);
        case NodeKind::Binary:
            return binary(n);
        case NodeKind::Call:
            return functionCall(n);
        case NodeKind::Between: {
            const Emitted x = gen(*n.args[0]), lo = gen(*n.args[1]), hi = gen(*n.args[2]);
            const bool nocase = caseless(*n.args[0], x, *n.args[1], lo) && caseless(*n.args[0], x, *n.args[2], hi);
            return {QStringLiteral("(%1%2 %3BETWEEN %4 AND %5)")
                        .arg(asValue(x), nocase ? QStringLiteral(" COLLATE NOCASE") : QString(),
                             n.negated ? QStringLiteral("NOT ") : QString(), asValue(lo), asValue(hi)),
                    ValueType::Boolean};
        }
        case NodeKind::InList: {
            const Emitted x = gen(*n.args[0]);
            QStringList items;
            bool nocase = true;
            for (size_t i = 1; i < n.args.size(); ++i) {
                const Emitted e = gen(*n.args[i]);
                nocase = nocase && caseless(*n.args[0], x, *n.args[i], e);
                items << asValue(e);
            }
            return {QStringLiteral("(%1%2 %3IN (%4))")
                        .arg(asValue(x), nocase ? QStringLiteral(" COLLATE NOCASE") : QString(),
                             n.negated ? QStringLiteral("NOT ") : QString(), items.join(QLatin1Char(','))),
                    ValueType::Boolean};
        }
        case NodeKind::InSelect:
            return {QStringLiteral("(%1 %2IN (%3))")
                        .arg(value(*n.args[0]), n.negated ? QStringLiteral("NOT ") : QString(), select(*n.select)),
                    ValueType::Boolean};
        case NodeKind::IsNull:
            return {QStringLiteral("(%1 IS %2NULL)").arg(value(*n.args[0]), n.negated ? QStringLiteral("NOT ") : QString()),
                    ValueType::Boolean};
        case NodeKind::Like: {
            QString sql = QStringLiteral("(%1 %2LIKE %3")
                              .arg(textValue(*n.args[0]), n.negated ? QStringLiteral("NOT ") : QString(), textValue(*n.args[1]));
            if (n.args.size() > 2)
                sql += QStringLiteral(" ESCAPE ") + value(*n.args[2]);
            return {sql + QLatin1Char(')'), ValueType::Boolean};
        }
        case NodeKind::Case:
            return caseExpression(n);
        case NodeKind::Subquery:
            return {QLatin1Char('(') + select(*n.select) + QLatin1Char(')'), ValueType::Unknown};
        case NodeKind::Exists:
            return {QStringLiteral("(EXISTS (") + select(*n.select) + QStringLiteral("))"), ValueType::Boolean};
        }
        return {QStringLiteral("NULL"), ValueType::Null};
    }

    // Like compares texts: a number on either side is compared in its shortest text.
    QString textValue(const Node &n)
    {
        const Emitted e = gen(n);
        return e.type == ValueType::Text ? e.sql : QStringLiteral("acc_cstr(") + asValue(e) + QLatin1Char(')');
    }

    // Whether a comparison of a and b needs SQLite told to ignore letter case.
    static bool caseless(const Node &a, const Emitted &ea, const Node &b, const Emitted &eb)
    {
        auto textual = [](ValueType t) { return t == ValueType::Text || t == ValueType::Unknown; };
        if (!textual(ea.type) || !textual(eb.type))
            return false;
        return !isCaselessLiteral(a) && !isCaselessLiteral(b);
    }

    Emitted unary(const Node &n)
    {
        const Emitted x = gen(*n.args[0]);
        switch (n.op) {
        case Op::Neg:
            if (numeric(x.type))
                return {QStringLiteral("(-") + asValue(x) + QLatin1Char(')'), ValueType::Number};
            return call("acc_neg", {asValue(x)}, x.type == ValueType::Date ? ValueType::Unknown : ValueType::Number);
        case Op::Pos:
            return x;
        default:  // Not
            if (x.type == ValueType::Boolean)
                return {QStringLiteral("(NOT ") + x.sql + QLatin1Char(')'), ValueType::Boolean};
            return call("acc_not", {asValue(x)}, ValueType::Number);
        }
    }

    Emitted comparison(const Node &n, const char *op)
    {
        Emitted a = gen(*n.args[0]), b = gen(*n.args[1]);
        // A text written as a date compares with a date as a date.
        auto dated = [](const Node &lit, Emitted &e, const Emitted &other) {
            if (other.type != ValueType::Date || lit.kind != NodeKind::Text)
                return;
            const QString iso = accessDateLiteralText(lit.text);
            if (!iso.isEmpty())
                e = {quoteText(iso), ValueType::Date};
        };
        dated(*n.args[0], a, b);
        dated(*n.args[1], b, a);
        const bool nocase = caseless(*n.args[0], a, *n.args[1], b);
        return {QStringLiteral("(%1 %2 %3%4)")
                    .arg(asValue(a), QLatin1String(op), asValue(b), nocase ? QStringLiteral(" COLLATE NOCASE") : QString()),
                ValueType::Boolean};
    }

    Emitted logical(const Node &n, const char *sqlOp, const char *fn)
    {
        const Emitted a = gen(*n.args[0]), b = gen(*n.args[1]);
        if (a.type == ValueType::Boolean && b.type == ValueType::Boolean) {
            if (n.op == Op::Imp)
                return {QStringLiteral("(NOT %1 OR %2)").arg(a.sql, b.sql), ValueType::Boolean};
            return {QStringLiteral("(%1 %2 %3)").arg(a.sql, QLatin1String(sqlOp), b.sql), ValueType::Boolean};
        }
        return call(fn, {asValue(a), asValue(b)}, ValueType::Number);
    }

    Emitted binary(const Node &n)
    {
        switch (n.op) {
        case Op::Eq: return comparison(n, "=");
        case Op::Ne: return comparison(n, "<>");
        case Op::Lt: return comparison(n, "<");
        case Op::Le: return comparison(n, "<=");
        case Op::Gt: return comparison(n, ">");
        case Op::Ge: return comparison(n, ">=");
        case Op::And: return logical(n, "AND", "acc_and");
        case Op::Or: return logical(n, "OR", "acc_or");
        case Op::Xor: return logical(n, "<>", "acc_xor");
        case Op::Eqv: return logical(n, "=", "acc_eqv");
        case Op::Imp: return logical(n, "", "acc_imp");
        case Op::Concat: {
            QStringList parts;
            concatenationParts(n, parts);
            return {QStringLiteral("acc_cat(") + parts.join(QLatin1Char(',')) + QLatin1Char(')'), ValueType::Text};
        }
        default:
            break;
        }
        const Emitted a = gen(*n.args[0]), b = gen(*n.args[1]);
        const QString va = asValue(a), vb = asValue(b);
        const bool nums = numeric(a.type) && numeric(b.type);
        switch (n.op) {
        case Op::Pipe:
            return {QStringLiteral("(%1 || %2)").arg(va, vb), ValueType::Text};
        case Op::Add:
            if (nums)
                return {QStringLiteral("(%1 + %2)").arg(va, vb), ValueType::Number};
            if (a.type == ValueType::Date || b.type == ValueType::Date)
                return call("acc_date_add", {va, vb}, ValueType::Date);
            return call("acc_add", {va, vb},
                        a.type == ValueType::Text && b.type == ValueType::Text ? ValueType::Text : ValueType::Unknown);
        case Op::Sub:
            if (nums)
                return {QStringLiteral("(%1 - %2)").arg(va, vb), ValueType::Number};
            if (a.type == ValueType::Date && b.type == ValueType::Date)
                return call("acc_date_diff", {va, vb}, ValueType::Number);
            if (a.type == ValueType::Date)
                return call("acc_date_sub", {va, vb}, ValueType::Date);
            return call("acc_sub", {va, vb}, ValueType::Number);
        case Op::Mul:
            if (nums)
                return {QStringLiteral("(%1 * %2)").arg(va, vb), ValueType::Number};
            return call("acc_mul", {va, vb}, ValueType::Number);
        case Op::Div:
            return call("acc_div", {va, vb}, ValueType::Number);
        case Op::IntDiv:
            return call("acc_idiv", {va, vb}, ValueType::Number);
        case Op::Mod:
            return call("acc_mod", {va, vb}, ValueType::Number);
        case Op::Pow:
            return call("acc_pow", {va, vb}, ValueType::Number);
        default:
            return {QStringLiteral("NULL"), ValueType::Null};
        }
    }

    // a & b & c becomes one acc_cat(a, b, c); a date operand is written as the old engine wrote dates.
    void concatenationParts(const Node &n, QStringList &parts)
    {
        if (n.kind == NodeKind::Binary && n.op == Op::Concat) {
            concatenationParts(*n.args[0], parts);
            concatenationParts(*n.args[1], parts);
            return;
        }
        const Emitted e = gen(n);
        parts << (e.type == ValueType::Date ? QStringLiteral("acc_cstr_date(") + e.sql + QLatin1Char(')') : asValue(e));
    }

    Emitted caseExpression(const Node &n)
    {
        QString sql = QStringLiteral("(CASE");
        size_t i = 0;
        if (n.hasOperand)
            sql += QLatin1Char(' ') + value(*n.args[i++]);
        ValueType type = ValueType::Null;
        const size_t pairsEnd = n.args.size() - (n.hasElse ? 1 : 0);
        for (; i + 1 < pairsEnd; i += 2) {
            const Emitted then = gen(*n.args[i + 1]);
            sql += QStringLiteral(" WHEN ") + (n.hasOperand ? value(*n.args[i]) : condition(*n.args[i]))
                   + QStringLiteral(" THEN ") + asValue(then);
            type = merged(type, then.type == ValueType::Boolean ? ValueType::Number : then.type);
        }
        if (n.hasElse) {
            const Emitted e = gen(*n.args.back());
            sql += QStringLiteral(" ELSE ") + asValue(e);
            type = merged(type, e.type == ValueType::Boolean ? ValueType::Number : e.type);
        }
        return {sql + QStringLiteral(" END)"), type};
    }

    Emitted functionCall(const Node &n)
    {
        const FunctionInfo *f = findFunction(n.text);
        const int argc = int(n.args.size());
        if (!f || argc < f->minArgs || (f->maxArgs >= 0 && argc > f->maxArgs)) {
            // Not the old engine's: SQLite's own function of that name, or SQLite's error for it.
            QStringList args;
            for (const NodePtr &a : n.args)
                args << (a->kind == NodeKind::Star ? QStringLiteral("*") : value(*a));
            return {ident(n.text) + QLatin1Char('(') + (n.distinct ? QStringLiteral("DISTINCT ") : QString())
                        + args.join(QLatin1Char(',')) + QLatin1Char(')'),
                    ValueType::Unknown};
        }
        auto valueType = [](const Emitted &e) { return e.type == ValueType::Boolean ? ValueType::Number : e.type; };
        switch (f->form) {
        case FunctionForm::IIf: {
            const Emitted a = gen(*n.args[1]), b = gen(*n.args[2]);
            return {QStringLiteral("(CASE WHEN %1 THEN %2 ELSE %3 END)").arg(condition(*n.args[0]), asValue(a), asValue(b)),
                    merged(valueType(a), valueType(b))};
        }
        case FunctionForm::Switch: {
            QString sql = QStringLiteral("(CASE");
            ValueType type = ValueType::Null;
            for (int i = 0; i + 1 < argc; i += 2) {
                const Emitted v = gen(*n.args[size_t(i + 1)]);
                sql += QStringLiteral(" WHEN ") + condition(*n.args[size_t(i)]) + QStringLiteral(" THEN ") + asValue(v);
                type = merged(type, valueType(v));
            }
            if (argc % 2)
                sql += QStringLiteral(" ELSE acc_invalid_call()");
            return {sql + QStringLiteral(" END)"), type};
        }
        case FunctionForm::Choose: {
            QString sql = QStringLiteral("(CASE acc_choose_index(") + value(*n.args[0]) + QLatin1Char(')');
            ValueType type = ValueType::Null;
            for (int i = 1; i < argc; ++i) {
                const Emitted v = gen(*n.args[size_t(i)]);
                sql += QStringLiteral(" WHEN %1 THEN ").arg(i) + asValue(v);
                type = merged(type, valueType(v));
            }
            return {sql + QStringLiteral(" END)"), type};
        }
        case FunctionForm::IsNull:
            return {QStringLiteral("(%1 IS NULL)").arg(value(*n.args[0])), ValueType::Boolean};
        case FunctionForm::Nz: {
            const Emitted x = gen(*n.args[0]);
            if (argc == 2) {
                const Emitted y = gen(*n.args[1]);
                return {QStringLiteral("coalesce(%1,%2)").arg(asValue(x), asValue(y)), merged(valueType(x), valueType(y))};
            }
            // Nz without a replacement gives 0 to a number and an empty text to anything else.
            const bool number = numeric(x.type);
            return {QStringLiteral("coalesce(%1,%2)").arg(asValue(x), number ? QStringLiteral("0") : QStringLiteral("''")),
                    number ? ValueType::Number : ValueType::Text};
        }
        case FunctionForm::Aggregate: {
            QString arg = n.args[0]->kind == NodeKind::Star ? QStringLiteral("*") : value(*n.args[0]);
            const ValueType t = f->result == ValueType::Unknown ? valueType(gen(*n.args[0])) : f->result;
            return {QLatin1String(f->sqliteName) + QLatin1Char('(') + (n.distinct ? QStringLiteral("DISTINCT ") : QString())
                        + arg + QLatin1Char(')'),
                    n.args[0]->kind == NodeKind::Star ? ValueType::Number : t};
        }
        case FunctionForm::Scalar:
            break;
        }
        QStringList args;
        for (const NodePtr &a : n.args)
            args << value(*a);
        return {QLatin1String(f->sqliteName) + QLatin1Char('(') + args.join(QLatin1Char(',')) + QLatin1Char(')'), f->result};
    }

    // ---- statements ---------------------------------------------------------------------

    void addTables(Scope &s, const std::vector<TableRef> &refs)
    {
        for (const TableRef &r : refs) {
            if (!r.nested.empty()) {
                addTables(s, r.nested);
            } else if (r.function) {
                s.entries.push_back({r.alias.isEmpty() ? r.name : r.alias, {}});
            } else if (!r.name.isEmpty()) {
                s.entries.push_back({r.alias.isEmpty() ? r.name : r.alias, columnsOf(r.name)});
            } else if (r.subquery) {
                s.entries.push_back({r.alias, {}});
            }
        }
    }

    QString tableList(const std::vector<TableRef> &refs)
    {
        QString sql;
        for (const TableRef &r : refs) {
            switch (r.join) {
            case JoinKind::First: break;
            case JoinKind::Comma: sql += QStringLiteral(", "); break;
            case JoinKind::Inner: sql += QStringLiteral(" INNER JOIN "); break;
            case JoinKind::Left: sql += QStringLiteral(" LEFT JOIN "); break;
            case JoinKind::Right: sql += QStringLiteral(" RIGHT JOIN "); break;
            case JoinKind::Cross: sql += QStringLiteral(" CROSS JOIN "); break;
            }
            if (!r.nested.empty())
                sql += QLatin1Char('(') + tableList(r.nested) + QLatin1Char(')');
            else if (r.subquery)
                sql += QLatin1Char('(') + select(*r.subquery) + QLatin1Char(')');
            else
                sql += ident(r.name);
            if (r.function) {
                QStringList args;
                for (const NodePtr &a : r.args)
                    args << value(*a);
                sql += QLatin1Char('(') + args.join(QLatin1Char(',')) + QLatin1Char(')');
            }
            if (!r.alias.isEmpty())
                sql += QStringLiteral(" AS ") + ident(r.alias);
            if (r.on)
                sql += QStringLiteral(" ON ") + condition(*r.on);
        }
        return sql;
    }

    // "select X [as a] from T group by X [order by X]" over a column that leads an index: the
    // distinct values are read through the index one at a time (a skip scan) instead of grouping
    // every row of the table. Gives the same rows, a Null group included.
    QString distinctThroughIndex(const Select &s)
    {
        if (s.from.size() != 1 || s.from[0].name.isEmpty() || s.where || s.having || s.next || s.distinct || s.top
            || s.limit || s.items.size() != 1 || s.groupBy.size() != 1 || s.orderBy.size() > 1)
            return {};
        const Node &item = *s.items[0].expr, &group = *s.groupBy[0];
        auto isColumn = [&](const Node &n) {
            return n.kind == NodeKind::Column && n.text.compare(item.text, Qt::CaseInsensitive) == 0
                && (n.qualifier.isEmpty() || n.qualifier.compare(s.from[0].alias.isEmpty() ? s.from[0].name : s.from[0].alias,
                                                                 Qt::CaseInsensitive) == 0);
        };
        if (!isColumn(item) || !isColumn(group) || (!s.orderBy.empty() && (!isColumn(*s.orderBy[0].expr) || s.orderBy[0].descending)))
            return {};
        const ColumnInfo *column = nullptr;
        for (const ColumnInfo &c : columnsOf(s.from[0].name))
            if (c.name.compare(item.text, Qt::CaseInsensitive) == 0)
                column = &c;
        if (!column || !column->leadsIndex)
            return {};
        const QString x = ident(column->name), t = ident(s.from[0].name);
        const QString alias = ident(s.items[0].alias.isEmpty() ? column->name : s.items[0].alias);
        return QStringLiteral("WITH RECURSIVE skip(v) AS (SELECT min(%1) FROM %2 UNION ALL SELECT (SELECT min(%1) FROM %2 "
                              "WHERE %1 > skip.v) FROM skip WHERE skip.v IS NOT NULL) "
                              "SELECT NULL AS %3 WHERE EXISTS (SELECT 1 FROM %2 WHERE %1 IS NULL) "
                              "UNION ALL SELECT v FROM skip WHERE v IS NOT NULL ORDER BY 1")
            .arg(x, t, alias);
    }

    // guards: per item, the store guard of the column the item goes into (insert … select).
    QString select(const Select &s, const QList<const char *> &guards = {})
    {
        if (!scope && guards.isEmpty()) {
            const QString skip = distinctThroughIndex(s);
            if (!skip.isEmpty())
                return skip;
        }
        Scope local;
        local.parent = scope;
        addTables(local, s.from);
        const Scope *saved = scope;
        scope = &local;
        QString sql = QStringLiteral("SELECT ");
        if (s.distinct)
            sql += QStringLiteral("DISTINCT ");
        QStringList items;
        for (size_t i = 0; i < s.items.size(); ++i) {
            const SelectItem &item = s.items[i];
            QString v = value(*item.expr);
            if (int(i) < guards.size() && guards.at(int(i)) && !sameGuardColumn(*item.expr, guards.at(int(i))))
                v = QLatin1String(guards.at(int(i))) + QLatin1Char('(') + v + QLatin1Char(')');
            if (!item.alias.isEmpty())
                v += QStringLiteral(" AS ") + ident(item.alias);
            items << v;
        }
        sql += items.join(QStringLiteral(", "));
        if (!s.from.empty())
            sql += QStringLiteral(" FROM ") + tableList(s.from);
        if (s.where)
            sql += QStringLiteral(" WHERE ") + condition(*s.where);
        if (!s.groupBy.empty()) {
            QStringList g;
            for (const NodePtr &e : s.groupBy)
                g << value(*e);
            sql += QStringLiteral(" GROUP BY ") + g.join(QStringLiteral(", "));
        }
        if (s.having)
            sql += QStringLiteral(" HAVING ") + condition(*s.having);
        if (s.next)
            sql += QLatin1Char(' ') + s.compound.toUpper() + QLatin1Char(' ') + select(*s.next);
        if (!s.orderBy.empty()) {
            QStringList o;
            for (const OrderItem &item : s.orderBy)
                o << value(*item.expr) + (item.descending ? QStringLiteral(" DESC") : QString());
            sql += QStringLiteral(" ORDER BY ") + o.join(QStringLiteral(", "));
        }
        if (s.top)
            sql += QStringLiteral(" LIMIT ") + value(*s.top);
        else if (s.limit)
            sql += QStringLiteral(" LIMIT ") + value(*s.limit)
                   + (s.offset ? QStringLiteral(" OFFSET ") + value(*s.offset) : QString());
        scope = saved;
        return sql;
    }

    // A column whose values were stored through the same check: they go back in unchanged.
    bool sameGuardColumn(const Node &n, const char *guard) const
    {
        if (n.kind != NodeKind::Column)
            return false;
        const ColumnInfo *c = findColumn(n);
        const char *own = c ? storeGuard(c->declaredType) : nullptr;
        return own && qstrcmp(own, guard) == 0;
    }

    // A value going into a column: checked and converted as the column's type requires.
    QString stored(const QList<ColumnInfo> &columns, const QString &column, const Node &valueNode)
    {
        const Emitted e = gen(valueNode);
        const QString v = asValue(e);
        for (const ColumnInfo &c : columns) {
            if (c.name.compare(column, Qt::CaseInsensitive) != 0)
                continue;
            const char *guard = storeGuard(c.declaredType);
            if (!guard || e.type == ValueType::Null || sameGuardColumn(valueNode, guard))
                return v;
            const ValueType target = columnValueType(c.declaredType);
            if ((target == ValueType::Text && e.type == ValueType::Text) || (target == ValueType::Date && e.type == ValueType::Date))
                return v;
            return QLatin1String(guard) + QLatin1Char('(') + v + QLatin1Char(')');
        }
        return v;
    }

    QStringList update(const Update &u)
    {
        Scope local;
        const QList<ColumnInfo> columns = columnsOf(u.table);
        local.entries.push_back({u.alias.isEmpty() ? u.table : u.alias, columns});
        scope = &local;
        QStringList sets;
        for (const Assignment &a : u.sets)
            sets << ident(a.column) + QStringLiteral(" = ") + stored(columns, a.column, *a.value);
        QString sql = QStringLiteral("UPDATE ") + ident(u.table) + (u.alias.isEmpty() ? QString() : QStringLiteral(" AS ") + ident(u.alias))
                      + QStringLiteral(" SET ") + sets.join(QStringLiteral(", "));
        if (u.where)
            sql += QStringLiteral(" WHERE ") + condition(*u.where);
        scope = nullptr;
        return {sql};
    }

    QStringList remove(const Delete &d)
    {
        Scope local;
        local.entries.push_back({d.table, columnsOf(d.table)});
        scope = &local;
        QString sql = QStringLiteral("DELETE FROM ") + ident(d.table);
        if (d.where)
            sql += QStringLiteral(" WHERE ") + condition(*d.where);
        scope = nullptr;
        return {sql};
    }

    QStringList insert(const Insert &ins)
    {
        const QList<ColumnInfo> columns = columnsOf(ins.table);
        QStringList targets = ins.columns;
        if (targets.isEmpty())
            for (const ColumnInfo &c : columns)
                targets << c.name;
        QString sql = QStringLiteral("INSERT INTO ") + ident(ins.table);
        if (!ins.columns.isEmpty()) {
            QStringList names;
            for (const QString &c : ins.columns)
                names << ident(c);
            sql += QStringLiteral(" (") + names.join(QLatin1Char(',')) + QLatin1Char(')');
        }
        if (ins.defaultValues)
            return {sql + QStringLiteral(" DEFAULT VALUES")};
        Scope none;
        scope = &none;
        if (ins.select) {
            QList<const char *> guards;
            bool star = false;
            for (const SelectItem &item : ins.select->items)
                star = star || item.expr->kind == NodeKind::Star;
            if (!star && !ins.select->next) {
                for (int i = 0; i < targets.size(); ++i) {
                    const char *g = nullptr;
                    for (const ColumnInfo &c : columns)
                        if (c.name.compare(targets.at(i), Qt::CaseInsensitive) == 0)
                            g = storeGuard(c.declaredType);
                    guards << g;
                }
            }
            sql += QLatin1Char(' ') + select(*ins.select, guards);
            scope = nullptr;
            return {sql};
        }
        QStringList rows;
        for (const std::vector<NodePtr> &row : ins.rows) {
            QStringList values;
            for (size_t i = 0; i < row.size(); ++i)
                values << (int(i) < targets.size() ? stored(columns, targets.at(int(i)), *row[i]) : value(*row[i]));
            rows << QLatin1Char('(') + values.join(QLatin1Char(',')) + QLatin1Char(')');
        }
        scope = nullptr;
        return {sql + QStringLiteral(" VALUES ") + rows.join(QLatin1Char(','))};
    }

    QStringList selectInto(const Select &s);
};

SqliteEmitter::SqliteEmitter(SchemaLookup schema) : d(std::make_unique<Impl>()) { d->schema = std::move(schema); }

SqliteEmitter::~SqliteEmitter() = default;

QString SqliteEmitter::value(const Node &n, const QString &table)
{
    Scope s;
    if (!table.isEmpty())
        s.entries.push_back({table, d->columnsOf(table)});
    d->scope = &s;
    const QString sql = d->value(n);
    d->scope = nullptr;
    return sql;
}

QString SqliteEmitter::condition(const Node &n, const QString &table)
{
    Scope s;
    if (!table.isEmpty())
        s.entries.push_back({table, d->columnsOf(table)});
    d->scope = &s;
    const QString sql = d->condition(n);
    d->scope = nullptr;
    return sql;
}

QStringList SqliteEmitter::statement(const Statement &st)
{
    switch (st.kind) {
    case StatementKind::Select:
        if (!st.select->into.isEmpty())
            return d->selectInto(*st.select);
        return {d->select(*st.select)};
    case StatementKind::Insert:
        return d->insert(*st.insert);
    case StatementKind::Update:
        return d->update(*st.update);
    case StatementKind::Delete:
        return d->remove(*st.del);
    }
    return {};
}

// select … into T: a new table with the source columns' definitions (an auto-numbered key stays
// auto-numbered), filled by insert … select.
QStringList SqliteEmitter::Impl::selectInto(const Select &s)
{
    struct Def {
        QString name;
        QString type;
        bool autoIncrement = false;
    };
    QList<Def> defs;
    QList<ColumnInfo> sourceColumns;
    QString source, alias;
    const bool single = s.from.size() == 1 && !s.from[0].name.isEmpty() && !s.next;
    if (single) {
        source = s.from[0].name;
        alias = s.from[0].alias;
        sourceColumns = columnsOf(source);
    }
    int expressionNumber = 1000;
    for (const SelectItem &item : s.items) {
        const Node &e = *item.expr;
        if (e.kind == NodeKind::Star) {
            for (const ColumnInfo &c : sourceColumns)
                defs.append({c.name, c.declaredType, c.autoIncrement});
            continue;
        }
        const ColumnInfo *found = nullptr;
        if (e.kind == NodeKind::Column)
            for (const ColumnInfo &c : sourceColumns)
                if (c.name.compare(e.text, Qt::CaseInsensitive) == 0)
                    found = &c;
        const QString name = !item.alias.isEmpty() ? item.alias
                             : found             ? found->name
                             : e.kind == NodeKind::Column ? e.text
                                                          : QStringLiteral("Expr%1").arg(expressionNumber++);
        defs.append({name, found ? found->declaredType : QString(), found && found->autoIncrement});
    }
    QStringList columnDefs, names;
    bool keyUsed = false;
    for (const Def &def : defs) {
        QString text = ident(def.name);
        if (def.autoIncrement && !keyUsed) {
            text += QStringLiteral(" counter");
            keyUsed = true;
        } else if (!def.type.isEmpty()) {
            text += QLatin1Char(' ') + def.type;
        }
        columnDefs << text;
        names << ident(def.name);
    }
    const QStringList create = translateAccessSql(
        QStringLiteral("create table %1 (%2)").arg(ident(s.into), columnDefs.join(QStringLiteral(", "))), nullptr);
    return create + QStringList{QStringLiteral("INSERT INTO %1 (%2) ").arg(ident(s.into), names.join(QLatin1Char(','))) + select(s)};
}

} // namespace jet
