// The SQLite dialect of the statement writer: backquoted names, COLLATE NOCASE, the acc_* functions
// as registered on the connection, taking whatever value they are given.
#include "platform/db/sqlite_emitter.h"

#include "platform/db/statement_writer.h"

#include <sqlite3.h>

namespace jet {

namespace {

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

} // namespace

QString sqliteName(const QString &name)
{
    if (isPlainName(name))
        return name;
    QString q = name;
    q.replace(QLatin1Char('`'), QLatin1String("``"));
    return QLatin1Char('`') + q + QLatin1Char('`');
}

struct SqliteEmitter::Impl final : StatementWriter {
    using StatementWriter::StatementWriter;

    QString asValue(const Emitted &e) const override
    {
        return e.type == ValueType::Boolean ? QStringLiteral("(-") + e.sql + QLatin1Char(')') : e.sql;
    }
    QString name(const QString &identifier) const override { return sqliteName(identifier); }
    Emitted number(const QString &literal) const override { return {literal, ValueType::Number}; }
    QString dateLiteral(const QString &stored) const override { return quoteText(stored); }
    Emitted param(const Node &n) override { return {n.text, ValueType::Unknown}; }
    QString truth(const Emitted &e) const override { return e.sql; }
    QString caselessComparison(const QString &a, const char *op, const QString &b) const override
    {
        return QStringLiteral("(%1 %2 %3 COLLATE NOCASE)").arg(a, QLatin1String(op), b);
    }
    QString caselessOperand(const QString &sql, bool left) const override
    {
        return left ? sql + QStringLiteral(" COLLATE NOCASE") : sql;
    }
    QString like(const QString &a, const QString &pattern, bool negated, const QString &escape) const override
    {
        return QStringLiteral("(%1 %2LIKE %3%4)")
            .arg(a, negated ? QStringLiteral("NOT ") : QString(), pattern,
                 escape.isEmpty() ? QString() : QStringLiteral(" ESCAPE ") + escape);
    }
    QString implementation(const char *accName) const override { return QLatin1String(accName); }
    QString argument(const Emitted &e, ArgKind) override { return asValue(e); }
    QString invalidCall(const Emitted &) const override { return QStringLiteral("acc_invalid_call()"); }
    QString guarded(const char *guard, const Emitted &value) override
    {
        return QLatin1String(guard) + QLatin1Char('(') + asValue(value) + QLatin1Char(')');
    }
    QString order(bool descending) const override { return descending ? QStringLiteral(" DESC") : QString(); }
    QStringList createTable(const QString &accessSql) override { return translateAccessSql(accessSql, nullptr); }
};

SqliteEmitter::SqliteEmitter(SchemaLookup schema) : d(std::make_unique<Impl>(std::move(schema))) {}

SqliteEmitter::~SqliteEmitter() = default;

QString SqliteEmitter::value(const Node &n, const QString &table) { return d->over(n, table, false); }

QString SqliteEmitter::condition(const Node &n, const QString &table) { return d->over(n, table, true); }

QStringList SqliteEmitter::statement(const Statement &st) { return d->statement(st); }

} // namespace jet
