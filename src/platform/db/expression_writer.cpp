// The shared expression writer: operators the backends do differently become calls of the acc_*
// implementations; where both operands are known to be numbers the native operator is kept, so
// that formulas over the wage columns stay fast.
#include "platform/db/expression_writer.h"

#include "platform/db/sql_translation.h"

namespace jet {

namespace {

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

ValueType valueType(const Emitted &e) { return e.type == ValueType::Boolean ? ValueType::Number : e.type; }

QString baseType(const QString &declared)
{
    QString t = declared.trimmed().toLower();
    const qsizetype paren = t.indexOf(QLatin1Char('('));
    if (paren >= 0)
        t.truncate(paren);
    return t.simplified();
}

} // namespace

QString quoteText(const QString &text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

QList<ArgKind> argumentKinds(const FunctionInfo &f, int argc)
{
    QList<ArgKind> kinds;
    const QStringList forms = QString::fromLatin1(f.arguments).split(QLatin1Char('|'));
    QString form = forms.last();
    for (const QString &candidate : forms)
        if (candidate.size() == argc) {
            form = candidate;
            break;
        }
    for (int i = 0; i < argc; ++i) {
        switch (i < form.size() ? form.at(i).toLatin1() : 'v') {
        case 'n': kinds << ArgKind::Number; break;
        case 'c': kinds << ArgKind::ConvertedNumber; break;
        case 't': kinds << ArgKind::Text; break;
        case 'd': kinds << ArgKind::Date; break;
        default: kinds << ArgKind::Any; break;
        }
    }
    return kinds;
}

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

QList<ColumnInfo> ExpressionWriter::columnsOf(const QString &table)
{
    const QString key = table.toLower();
    auto it = tables.find(key);
    if (it == tables.end())
        it = tables.insert(key, schema ? schema(table) : QList<ColumnInfo>());
    return *it;
}

const ColumnInfo *ExpressionWriter::findColumn(const Node &col) const
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

Emitted ExpressionWriter::call(const char *accName, std::initializer_list<std::pair<Emitted, ArgKind>> args,
                               ValueType type)
{
    QStringList list;
    for (const auto &[e, kind] : args)
        list << argument(e, kind);
    return {implementation(accName) + QLatin1Char('(') + list.join(QLatin1Char(',')) + QLatin1Char(')'), type};
}

Emitted ExpressionWriter::gen(const Node &n)
{
    switch (n.kind) {
    case NodeKind::Number:
        return number(n.text);
    case NodeKind::Text:
        return {quoteText(n.text), ValueType::Text};
    case NodeKind::Date:
        return {dateLiteral(n.text), ValueType::Date};
    case NodeKind::Null:
        return {QStringLiteral("NULL"), ValueType::Null};
    case NodeKind::Boolean:
        return {n.text == QLatin1String("true") ? QStringLiteral("-1") : QStringLiteral("0"), ValueType::Number};
    case NodeKind::Param:
        return param(n);
    case NodeKind::Column: {
        const QString sql = n.qualifier.isEmpty() ? name(n.text) : name(n.qualifier) + QLatin1Char('.') + name(n.text);
        if (const ColumnInfo *c = findColumn(n))
            return {sql, columnValueType(c->declaredType)};
        const QString lower = n.text.toLower();
        if (lower == QLatin1String("rowid") || lower == QLatin1String("oid") || lower == QLatin1String("_rowid_"))
            return rowIdentity(n, sql);
        return {sql, ValueType::Unknown};
    }
    case NodeKind::Star:
        return {n.qualifier.isEmpty() ? QStringLiteral("*") : name(n.qualifier) + QStringLiteral(".*"), ValueType::Unknown};
    case NodeKind::Unary:
        return unary(n);
    case NodeKind::Binary:
        return binary(n);
    case NodeKind::Call:
        return functionCall(n);
    case NodeKind::Between: {
        Emitted x = gen(*n.args[0]), lo = gen(*n.args[1]), hi = gen(*n.args[2]);
        comparable(x, lo);
        comparable(x, hi);
        const bool nocase = caseless(*n.args[0], x, *n.args[1], lo) && caseless(*n.args[0], x, *n.args[2], hi);
        const QString vx = asValue(x), vlo = asValue(lo), vhi = asValue(hi);
        return {QStringLiteral("(%1 %2BETWEEN %3 AND %4)")
                    .arg(nocase ? caselessOperand(vx, true) : vx, n.negated ? QStringLiteral("NOT ") : QString(),
                         nocase ? caselessOperand(vlo, false) : vlo, nocase ? caselessOperand(vhi, false) : vhi),
                ValueType::Boolean};
    }
    case NodeKind::InList: {
        Emitted x = gen(*n.args[0]);
        std::vector<Emitted> items;
        bool nocase = true;
        for (size_t i = 1; i < n.args.size(); ++i) {
            Emitted e = gen(*n.args[i]);
            comparable(x, e);
            nocase = nocase && caseless(*n.args[0], x, *n.args[i], e);
            items.push_back(e);
        }
        QStringList list;
        for (const Emitted &e : items)
            list << (nocase ? caselessOperand(asValue(e), false) : asValue(e));
        return {QStringLiteral("(%1 %2IN (%3))")
                    .arg(nocase ? caselessOperand(asValue(x), true) : asValue(x),
                         n.negated ? QStringLiteral("NOT ") : QString(), list.join(QLatin1Char(','))),
                ValueType::Boolean};
    }
    case NodeKind::InSelect:
        return {QStringLiteral("(%1 %2IN (%3))")
                    .arg(value(*n.args[0]), n.negated ? QStringLiteral("NOT ") : QString(), select(*n.select)),
                ValueType::Boolean};
    case NodeKind::IsNull:
        return {QStringLiteral("(%1 IS %2NULL)").arg(value(*n.args[0]), n.negated ? QStringLiteral("NOT ") : QString()),
                ValueType::Boolean};
    case NodeKind::Like:
        return {like(textValue(*n.args[0]), textValue(*n.args[1]), n.negated,
                     n.args.size() > 2 ? value(*n.args[2]) : QString()),
                ValueType::Boolean};
    case NodeKind::Case:
        return caseExpression(n);
    case NodeKind::Subquery:
        return {QLatin1Char('(') + select(*n.select) + QLatin1Char(')'), ValueType::Unknown};
    case NodeKind::Exists:
        return {QStringLiteral("(EXISTS (") + select(*n.select) + QStringLiteral("))"), ValueType::Boolean};
    }
    return {QStringLiteral("NULL"), ValueType::Null};
}

QString ExpressionWriter::textValue(const Node &n)
{
    const Emitted e = gen(n);
    return e.type == ValueType::Text ? e.sql : call("acc_cstr", {{e, ArgKind::Text}}, ValueType::Text).sql;
}

bool ExpressionWriter::caseless(const Node &a, const Emitted &ea, const Node &b, const Emitted &eb)
{
    auto textual = [](ValueType t) { return t == ValueType::Text || t == ValueType::Unknown; };
    if (!textual(ea.type) || !textual(eb.type))
        return false;
    return !isCaselessLiteral(a) && !isCaselessLiteral(b);
}

Emitted ExpressionWriter::unary(const Node &n)
{
    const Emitted x = gen(*n.args[0]);
    switch (n.op) {
    case Op::Neg:
        if (numeric(x.type))
            return {QStringLiteral("(-") + asValue(x) + QLatin1Char(')'), ValueType::Number};
        return call("acc_neg", {{x, ArgKind::Number}}, x.type == ValueType::Date ? ValueType::Unknown : ValueType::Number);
    case Op::Pos:
        return x;
    default:  // Not
        if (x.type == ValueType::Boolean)
            return {QStringLiteral("(NOT ") + x.sql + QLatin1Char(')'), ValueType::Boolean};
        return call("acc_not", {{x, ArgKind::ConvertedNumber}}, ValueType::Number);
    }
}

Emitted ExpressionWriter::comparison(const Node &n, const char *op)
{
    Emitted a = gen(*n.args[0]), b = gen(*n.args[1]);
    // A text written as a date compares with a date as a date.
    auto dated = [this](const Node &lit, Emitted &e, const Emitted &other) {
        if (other.type != ValueType::Date || lit.kind != NodeKind::Text)
            return;
        const QString iso = accessDateLiteralText(lit.text);
        if (!iso.isEmpty())
            e = {dateLiteral(iso), ValueType::Date};
    };
    dated(*n.args[0], a, b);
    dated(*n.args[1], b, a);
    comparable(a, b);
    if (caseless(*n.args[0], a, *n.args[1], b))
        return {caselessComparison(asValue(a), op, asValue(b)), ValueType::Boolean};
    return {QStringLiteral("(%1 %2 %3)").arg(asValue(a), QLatin1String(op), asValue(b)), ValueType::Boolean};
}

Emitted ExpressionWriter::logical(const Node &n, const char *sqlOp, const char *fn)
{
    const Emitted a = gen(*n.args[0]), b = gen(*n.args[1]);
    if (a.type == ValueType::Boolean && b.type == ValueType::Boolean) {
        if (n.op == Op::Imp)
            return {QStringLiteral("(NOT %1 OR %2)").arg(a.sql, b.sql), ValueType::Boolean};
        return {QStringLiteral("(%1 %2 %3)").arg(a.sql, QLatin1String(sqlOp), b.sql), ValueType::Boolean};
    }
    return call(fn, {{a, ArgKind::ConvertedNumber}, {b, ArgKind::ConvertedNumber}}, ValueType::Number);
}

Emitted ExpressionWriter::binary(const Node &n)
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
        return {implementation("acc_cat") + QLatin1Char('(') + parts.join(QLatin1Char(',')) + QLatin1Char(')'),
                ValueType::Text};
    }
    default:
        break;
    }
    const Emitted a = gen(*n.args[0]), b = gen(*n.args[1]);
    const bool nums = numeric(a.type) && numeric(b.type);
    auto native = [&](const char *op) {
        return Emitted{QStringLiteral("(%1 %2 %3)").arg(asValue(a), QLatin1String(op), asValue(b)), ValueType::Number};
    };
    constexpr ArgKind N = ArgKind::Number, D = ArgKind::Date, V = ArgKind::Any;
    switch (n.op) {
    case Op::Pipe:
        return {QStringLiteral("(%1 || %2)").arg(asValue(a), asValue(b)), ValueType::Text};
    case Op::Add:
        if (nums)
            return native("+");
        // the date is the operand that is one; the other counts days
        if (a.type == ValueType::Date)
            return call("acc_date_add", {{a, D}, {b, N}}, ValueType::Date);
        if (b.type == ValueType::Date)
            return call("acc_date_add", {{b, D}, {a, N}}, ValueType::Date);
        return call("acc_add", {{a, V}, {b, V}},
                    a.type == ValueType::Text && b.type == ValueType::Text ? ValueType::Text : ValueType::Unknown);
    case Op::Sub:
        if (nums)
            return native("-");
        if (a.type == ValueType::Date && b.type == ValueType::Date)
            return call("acc_date_diff", {{a, D}, {b, D}}, ValueType::Number);
        if (a.type == ValueType::Date)
            return call("acc_date_sub", {{a, D}, {b, N}}, ValueType::Date);
        return call("acc_sub", {{a, N}, {b, N}}, ValueType::Number);
    case Op::Mul:
        if (nums)
            return native("*");
        return call("acc_mul", {{a, N}, {b, N}}, ValueType::Number);
    case Op::Div:
        return call("acc_div", {{a, N}, {b, N}}, ValueType::Number);
    case Op::IntDiv:
        return call("acc_idiv", {{a, N}, {b, N}}, ValueType::Number);
    case Op::Mod:
        return call("acc_mod", {{a, N}, {b, N}}, ValueType::Number);
    case Op::Pow:
        return call("acc_pow", {{a, N}, {b, N}}, ValueType::Number);
    default:
        return {QStringLiteral("NULL"), ValueType::Null};
    }
}

void ExpressionWriter::concatenationParts(const Node &n, QStringList &parts)
{
    if (n.kind == NodeKind::Binary && n.op == Op::Concat) {
        concatenationParts(*n.args[0], parts);
        concatenationParts(*n.args[1], parts);
        return;
    }
    const Emitted e = gen(n);
    parts << (e.type == ValueType::Date ? implementation("acc_cstr_date") + QLatin1Char('(') + e.sql + QLatin1Char(')')
                                         : argument(e, ArgKind::Text));
}

Emitted ExpressionWriter::caseExpression(const Node &n)
{
    size_t i = 0;
    QString operand;
    if (n.hasOperand)
        operand = QLatin1Char(' ') + value(*n.args[i++]);
    const size_t pairsEnd = n.args.size() - (n.hasElse ? 1 : 0);
    QStringList whens;
    std::vector<Emitted> results;
    for (; i + 1 < pairsEnd; i += 2) {
        whens << (n.hasOperand ? value(*n.args[i]) : condition(*n.args[i]));
        results.push_back(gen(*n.args[i + 1]));
    }
    if (n.hasElse)
        results.push_back(gen(*n.args.back()));
    std::vector<Emitted *> branches;
    for (Emitted &e : results)
        branches.push_back(&e);
    oneType(branches);
    QString sql = QStringLiteral("(CASE") + operand;
    ValueType type = ValueType::Null;
    for (size_t k = 0; k < results.size(); ++k) {
        if (k < size_t(whens.size()))
            sql += QStringLiteral(" WHEN ") + whens.at(int(k)) + QStringLiteral(" THEN ") + asValue(results[k]);
        else
            sql += QStringLiteral(" ELSE ") + asValue(results[k]);
        type = merged(type, valueType(results[k]));
    }
    return {sql + QStringLiteral(" END)"), type};
}

Emitted ExpressionWriter::functionCall(const Node &n)
{
    const FunctionInfo *f = findFunction(n.text);
    const int argc = int(n.args.size());
    if (!f || argc < f->minArgs || (f->maxArgs >= 0 && argc > f->maxArgs)) {
        // Not the old engine's: the backend's own function of that name, or the backend's error for it.
        QStringList args;
        for (const NodePtr &a : n.args)
            args << (a->kind == NodeKind::Star ? QStringLiteral("*") : value(*a));
        return {backendFunction(n.text, args, n.distinct), ValueType::Unknown};
    }
    // Conditionals: the values of their branches, made of one type.
    auto branchesOf = [this](std::vector<Emitted> &values) {
        std::vector<Emitted *> refs;
        for (Emitted &e : values)
            refs.push_back(&e);
        oneType(refs);
        ValueType type = ValueType::Null;
        for (const Emitted &e : values)
            type = merged(type, valueType(e));
        return type;
    };
    switch (f->form) {
    case FunctionForm::IIf: {
        std::vector<Emitted> v{gen(*n.args[1]), gen(*n.args[2])};
        const ValueType type = branchesOf(v);
        return {QStringLiteral("(CASE WHEN %1 THEN %2 ELSE %3 END)").arg(condition(*n.args[0]), asValue(v[0]), asValue(v[1])),
                type};
    }
    case FunctionForm::Switch: {
        std::vector<Emitted> v;
        for (int i = 0; i + 1 < argc; i += 2)
            v.push_back(gen(*n.args[size_t(i + 1)]));
        const ValueType type = branchesOf(v);
        QString sql = QStringLiteral("(CASE");
        for (int i = 0; i + 1 < argc; i += 2)
            sql += QStringLiteral(" WHEN ") + condition(*n.args[size_t(i)]) + QStringLiteral(" THEN ") + asValue(v[size_t(i / 2)]);
        if (argc % 2)
            sql += QStringLiteral(" ELSE ") + invalidCall(v.front());
        return {sql + QStringLiteral(" END)"), type};
    }
    case FunctionForm::Choose: {
        std::vector<Emitted> v;
        for (int i = 1; i < argc; ++i)
            v.push_back(gen(*n.args[size_t(i)]));
        const ValueType type = branchesOf(v);
        QString sql = QStringLiteral("(CASE ") + call("acc_choose_index", {{gen(*n.args[0]), ArgKind::ConvertedNumber}},
                                                      ValueType::Number).sql;
        for (int i = 1; i < argc; ++i)
            sql += QStringLiteral(" WHEN %1 THEN ").arg(i) + asValue(v[size_t(i - 1)]);
        return {sql + QStringLiteral(" END)"), type};
    }
    case FunctionForm::IsNull:
        return {QStringLiteral("(%1 IS NULL)").arg(value(*n.args[0])), ValueType::Boolean};
    case FunctionForm::Nz: {
        std::vector<Emitted> v{gen(*n.args[0])};
        if (argc == 2) {
            v.push_back(gen(*n.args[1]));
        } else {
            // Nz without a replacement gives 0 to a number and an empty text to anything else.
            const bool number = numeric(v[0].type);
            v.push_back(number ? Emitted{QStringLiteral("0"), ValueType::Number} : Emitted{QStringLiteral("''"), ValueType::Text});
        }
        ValueType type = branchesOf(v);
        if (argc == 1)
            type = v[1].type;
        return {QStringLiteral("coalesce(%1,%2)").arg(asValue(v[0]), asValue(v[1])), type};
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
    const QList<ArgKind> kinds = argumentKinds(*f, argc);
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << argument(gen(*n.args[size_t(i)]), kinds.at(i));
    return {implementation(f->sqliteName) + QLatin1Char('(') + args.join(QLatin1Char(',')) + QLatin1Char(')'), f->result};
}

} // namespace jet
