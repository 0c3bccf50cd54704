// Writes expressions of the tree as SQLite SQL with the old engine's meaning. The SQLite emitter
// builds its statements on it; the writer asks it for the sub-queries an expression holds.
#pragma once

#include "platform/db/connection.h"
#include "platform/db/jet_ast.h"
#include "platform/db/jet_functions.h"
#include "platform/db/sql_translation.h"

#include <QHash>

namespace jet {

// One expression written: its SQL and what it gives.
struct Emitted {
    QString sql;
    ValueType type = ValueType::Unknown;  // Boolean: sql is a native SQLite condition (1, 0 or NULL)
};

struct ScopeEntry {
    QString alias;  // the name columns are qualified with: the alias, or the table's own name
    QList<ColumnInfo> columns;
};

// The tables whose columns an expression may name, innermost first through parent.
struct Scope {
    std::vector<ScopeEntry> entries;
    const Scope *parent = nullptr;
};

// A name as SQLite reads it: bare when it can be, in backquotes otherwise.
QString sqliteName(const QString &name);
// The function that checks and converts a value stored into a column of this type, or none.
const char *storeGuard(const QString &declaredType);

class SqliteExpressionWriter {
public:
    explicit SqliteExpressionWriter(SchemaLookup schemaLookup) : schema(std::move(schemaLookup)) {}
    virtual ~SqliteExpressionWriter() = default;

    QString value(const Node &n) { return asValue(gen(n)); }
    QString condition(const Node &n) { return gen(n).sql; }
    static QString asValue(const Emitted &e)
    {
        return e.type == ValueType::Boolean ? QStringLiteral("(-") + e.sql + QLatin1Char(')') : e.sql;
    }

protected:
    // A select inside an expression; guards, per item, the check of the column it goes into.
    virtual QString select(const Select &s, const QList<const char *> &guards = {}) = 0;

    QList<ColumnInfo> columnsOf(const QString &table);
    const ColumnInfo *findColumn(const Node &col) const;
    Emitted gen(const Node &n);

    SchemaLookup schema;
    QHash<QString, QList<ColumnInfo>> tables;
    const Scope *scope = nullptr;

private:
    Emitted call(const char *fn, std::initializer_list<QString> args, ValueType type);
    // Like compares texts: a number on either side is compared in its shortest text.
    QString textValue(const Node &n);
    // Whether a comparison of a and b needs SQLite told to ignore letter case.
    static bool caseless(const Node &a, const Emitted &ea, const Node &b, const Emitted &eb);
    Emitted unary(const Node &n);
    Emitted comparison(const Node &n, const char *op);
    Emitted logical(const Node &n, const char *sqlOp, const char *fn);
    Emitted binary(const Node &n);
    // a & b & c becomes one acc_cat(a, b, c); a date operand is written as the old engine wrote dates.
    void concatenationParts(const Node &n, QStringList &parts);
    Emitted caseExpression(const Node &n);
    Emitted functionCall(const Node &n);
};

} // namespace jet
