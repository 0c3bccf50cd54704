// The PostgreSQL dialect of the statement writer.
#include "platform/db/postgres_emitter.h"

#include "platform/db/statement_writer.h"

#include <QRegularExpression>

namespace jet {

namespace {

bool numeric(ValueType t) { return t == ValueType::Number || t == ValueType::Boolean; }

bool isTextLiteral(const Emitted &e) { return e.type == ValueType::Text && e.sql.startsWith(QLatin1Char('\'')); }

bool isNumberLiteral(const Emitted &e)
{
    static const QRegularExpression re(QStringLiteral("^\\(?-?[0-9.]"));
    return e.type == ValueType::Number && re.match(e.sql).hasMatch();
}

// A reference to a column: a name in double quotes, maybe qualified.
bool isColumn(const Emitted &e) { return e.sql.startsWith(QLatin1Char('"')); }

} // namespace

QString postgresName(const QString &name)
{
    QString q = name.toLower();
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

struct PostgresEmitter::Impl final : StatementWriter {
    Impl(SchemaLookup schema, QList<ValueType> types) : StatementWriter(std::move(schema)), paramTypes(std::move(types)) {}

    QList<ValueType> paramTypes;
    int nextParam = 0;

    QString asValue(const Emitted &e) const override
    {
        return e.type == ValueType::Boolean ? QStringLiteral("(-(") + e.sql + QStringLiteral(")::int)") : e.sql;
    }
    QString name(const QString &identifier) const override { return postgresName(identifier); }
    Emitted number(const QString &literal) const override
    {
        // Whole numbers within 64 bits stay exact integers; any other number is a double, as in the old engine.
        bool whole = !literal.isEmpty();
        for (QChar c : literal)
            whole = whole && c.isDigit();
        if (whole && literal.size() <= 18)
            return {literal, ValueType::Number};
        return {QStringLiteral("(%1)::float8").arg(literal), ValueType::Number};
    }
    QString dateLiteral(const QString &stored) const override { return QStringLiteral("TIMESTAMP ") + quoteText(stored); }
    Emitted param(const Node &n) override
    {
        int index = ++nextParam;
        if (n.text.size() > 1 && n.text.at(0) == QLatin1Char('?')) {
            bool ok = false;
            const int given = n.text.mid(1).toInt(&ok);
            if (ok)
                index = given;
        }
        return {QStringLiteral("$%1").arg(index), paramTypes.value(index - 1, ValueType::Unknown)};
    }
    // The row's place in its table: in the order rows were added while none was changed.
    Emitted rowIdentity(const Node &n, const QString &) const override
    {
        return {n.qualifier.isEmpty() ? QStringLiteral("ctid") : name(n.qualifier) + QStringLiteral(".ctid"), ValueType::Unknown};
    }
    QString truth(const Emitted &e) const override
    {
        if (e.type == ValueType::Boolean)
            return e.sql;
        if (e.type == ValueType::Null)
            return QStringLiteral("NULL::boolean");
        return QStringLiteral("acc.truth(") + e.sql + QLatin1Char(')');
    }
    QString caselessComparison(const QString &a, const char *op, const QString &b) const override
    {
        return QStringLiteral("(%1 %2 %3)").arg(caselessOperand(a, true), QLatin1String(op), caselessOperand(b, false));
    }
    QString caselessOperand(const QString &sql, bool) const override { return QStringLiteral("lower((%1)::text)").arg(sql); }
    QString like(const QString &a, const QString &pattern, bool negated, const QString &escape) const override
    {
        // The old engine's Like ignores letter case and has no escape character unless given one.
        return QStringLiteral("(%1 %2ILIKE %3 ESCAPE %4)")
            .arg(a, negated ? QStringLiteral("NOT ") : QString(), pattern, escape.isEmpty() ? QStringLiteral("''") : escape);
    }
    QString implementation(const char *accName) const override
    {
        const QString n = QLatin1String(accName);
        return QStringLiteral("acc.\"%1\"").arg(n.startsWith(QLatin1String("acc_")) ? n.mid(4) : n);
    }
    QString argument(const Emitted &e, ArgKind kind) override
    {
        const QString v = asValue(e);
        if (e.type == ValueType::Null)
            return v;
        switch (kind) {
        case ArgKind::Number:
            return numeric(e.type) ? v : QStringLiteral("acc.num(") + v + QLatin1Char(')');
        case ArgKind::ConvertedNumber:
            return numeric(e.type) ? v : QStringLiteral("acc.cnum(") + v + QLatin1Char(')');
        case ArgKind::Text:
            return e.type == ValueType::Text ? v : QStringLiteral("acc.t(") + v + QLatin1Char(')');
        case ArgKind::Date:
            return e.type == ValueType::Date ? v : QStringLiteral("acc.d(") + v + QLatin1Char(')');
        case ArgKind::Any:
            break;
        }
        return v;
    }
    // The old engine compared a number with a text as numbers, except where a text column met a
    // number written in the statement; a date with a text as texts.
    void comparable(Emitted &a, Emitted &b) override
    {
        auto numberAndText = [](Emitted &number, Emitted &text) {
            if (isColumn(text) && isNumberLiteral(number))
                number = {QStringLiteral("acc.t(") + number.sql + QLatin1Char(')'), ValueType::Text};
            else
                text = {QStringLiteral("acc.number_or_null(") + text.sql + QLatin1Char(')'), ValueType::Number};
        };
        if (numeric(a.type) && b.type == ValueType::Text)
            numberAndText(a, b);
        else if (a.type == ValueType::Text && numeric(b.type))
            numberAndText(b, a);
        else if (a.type == ValueType::Date && b.type == ValueType::Text && !isTextLiteral(b))
            a = {QStringLiteral("acc.t(") + a.sql + QLatin1Char(')'), ValueType::Text};
        else if (a.type == ValueType::Text && b.type == ValueType::Date && !isTextLiteral(a))
            b = {QStringLiteral("acc.t(") + b.sql + QLatin1Char(')'), ValueType::Text};
    }
    // Branches that give texts and numbers or dates: all texts, as the old engine would show them.
    void oneType(std::vector<Emitted *> &branches) override
    {
        bool text = false, other = false;
        for (const Emitted *e : branches) {
            text = text || e->type == ValueType::Text;
            other = other || numeric(e->type) || e->type == ValueType::Date;
        }
        if (!text || !other)
            return;
        for (Emitted *e : branches)
            if (e->type != ValueType::Text && e->type != ValueType::Null)
                *e = {argument(*e, ArgKind::Text), ValueType::Text};
    }
    // SQLite's group_concat, which plain SQL written for the local file uses, is string_agg here.
    QString backendFunction(const QString &fn, const QStringList &args, bool distinct) const override
    {
        if (fn.compare(QLatin1String("group_concat"), Qt::CaseInsensitive) == 0 && !args.isEmpty())
            return QStringLiteral("string_agg(%1(%2)::text, %3)")
                .arg(distinct ? QStringLiteral("DISTINCT ") : QString(), args.at(0), args.value(1, QStringLiteral("','")));
        return StatementWriter::backendFunction(fn, args, distinct);
    }
    QString invalidCall(const Emitted &first) const override
    {
        const char *witness = first.type == ValueType::Text   ? "NULL::text"
                              : numeric(first.type)            ? "NULL::float8"
                              : first.type == ValueType::Date ? "NULL::timestamp"
                                                               : nullptr;
        return QStringLiteral("acc.invalid_call(%1)").arg(witness ? QLatin1String(witness) : asValue(first));
    }
    QString guarded(const char *guard, const Emitted &value) override
    {
        const QString g = QLatin1String(guard);
        const ArgKind kind = g == QLatin1String("acc_store_text")                                         ? ArgKind::Text
                             : g == QLatin1String("acc_store_date") || g == QLatin1String("acc_store_bool") ? ArgKind::Any
                                                                                                          : ArgKind::Number;
        return implementation(guard) + QLatin1Char('(') + argument(value, kind) + QLatin1Char(')');
    }
    QString order(bool descending) const override
    {
        return descending ? QStringLiteral(" DESC NULLS LAST") : QStringLiteral(" NULLS FIRST");
    }
    // Numbers given to an auto-numbered key by the insert itself: the key's own numbering goes on after the largest.
    QStringList afterInsert(const QString &table, const QList<ColumnInfo> &given) override
    {
        QStringList out;
        for (const ColumnInfo &c : given)
            if (c.autoIncrement)
                out << QStringLiteral("SELECT setval(pg_get_serial_sequence(%1, %2), (SELECT coalesce(max(%3), 0) FROM %4) + 1, false)")
                           .arg(quoteText(name(table)), quoteText(c.name), name(c.name), name(table));
        return out;
    }
    QStringList createTable(const QString &accessSql) override { return translateAccessSqlForPostgres(accessSql, nullptr); }
};

PostgresEmitter::PostgresEmitter(SchemaLookup schema, QList<ValueType> paramTypes)
    : d(std::make_unique<Impl>(std::move(schema), std::move(paramTypes)))
{
}

PostgresEmitter::~PostgresEmitter() = default;

QStringList PostgresEmitter::statement(const Statement &st) { return d->statement(st); }

QString PostgresEmitter::value(const Node &n, const QString &table) { return d->over(n, table, false); }

QString PostgresEmitter::condition(const Node &n, const QString &table) { return d->over(n, table, true); }

} // namespace jet
