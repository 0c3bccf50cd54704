// The SQLite expression writer: operators SQLite does differently become calls of the acc_*
// functions registered on every connection; where both operands are known to be numbers the native
// operator is kept, so that formulas over the wage columns stay fast.
#include "platform/db/sqlite_expression_writer.h"

#include "platform/db/sql_translation.h"
#include "platform/db/sqlite_emitter.h"

#include <sqlite3.h>

namespace jet {

namespace {

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


} // namespace

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

QString sqliteName(const QString &name) { return ident(name); }

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

QList<ColumnInfo> SqliteExpressionWriter::columnsOf(const QString &table)
{
    const QString key = table.toLower();
    auto it = tables.find(key);
    if (it == tables.end())
        it = tables.insert(key, schema ? schema(table) : QList<ColumnInfo>());
    return *it;
}

const ColumnInfo *SqliteExpressionWriter::findColumn(const Node &col) const
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

Emitted SqliteExpressionWriter::call(const char *fn, std::initializer_list<QString> args, ValueType type)
{
    QStringList list(args);
    return {QLatin1String(fn) + QLatin1Char('(') + list.join(QLatin1Char(',')) + QLatin1Char(')'), type};
}

Emitted SqliteExpressionWriter::gen(const Node &n)
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
QString SqliteExpressionWriter::textValue(const Node &n)
{
    const Emitted e = gen(n);
    return e.type == ValueType::Text ? e.sql : QStringLiteral("acc_cstr(") + asValue(e) + QLatin1Char(')');
}

// Whether a comparison of a and b needs SQLite told to ignore letter case.
bool SqliteExpressionWriter::caseless(const Node &a, const Emitted &ea, const Node &b, const Emitted &eb)
{
    auto textual = [](ValueType t) { return t == ValueType::Text || t == ValueType::Unknown; };
    if (!textual(ea.type) || !textual(eb.type))
        return false;
    return !isCaselessLiteral(a) && !isCaselessLiteral(b);
}

Emitted SqliteExpressionWriter::unary(const Node &n)
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

Emitted SqliteExpressionWriter::comparison(const Node &n, const char *op)
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

Emitted SqliteExpressionWriter::logical(const Node &n, const char *sqlOp, const char *fn)
{
    const Emitted a = gen(*n.args[0]), b = gen(*n.args[1]);
    if (a.type == ValueType::Boolean && b.type == ValueType::Boolean) {
        if (n.op == Op::Imp)
            return {QStringLiteral("(NOT %1 OR %2)").arg(a.sql, b.sql), ValueType::Boolean};
        return {QStringLiteral("(%1 %2 %3)").arg(a.sql, QLatin1String(sqlOp), b.sql), ValueType::Boolean};
    }
    return call(fn, {asValue(a), asValue(b)}, ValueType::Number);
}

Emitted SqliteExpressionWriter::binary(const Node &n)
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
void SqliteExpressionWriter::concatenationParts(const Node &n, QStringList &parts)
{
    if (n.kind == NodeKind::Binary && n.op == Op::Concat) {
        concatenationParts(*n.args[0], parts);
        concatenationParts(*n.args[1], parts);
        return;
    }
    const Emitted e = gen(n);
    parts << (e.type == ValueType::Date ? QStringLiteral("acc_cstr_date(") + e.sql + QLatin1Char(')') : asValue(e));
}

Emitted SqliteExpressionWriter::caseExpression(const Node &n)
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

Emitted SqliteExpressionWriter::functionCall(const Node &n)
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

} // namespace jet
