// Writes expressions of the tree as SQL with the old engine's meaning. What every backend shares
// (types, where a native operator will do, which implementation an operator needs) is here; how a
// backend spells names, literals, case-blind comparison and calls of the implementations is left
// to its dialect (the SQLite and the PostgreSQL emitter). The statement writer builds on it.
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
    ValueType type = ValueType::Unknown;  // Boolean: sql is a native condition (true, false or NULL)
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

// How an implementation reads an argument (the letters of FunctionInfo::arguments).
enum class ArgKind {
    Number,           // n: a number; a text must be a plain number
    ConvertedNumber,  // c: a number as the conversions read it
    Text,             // t
    Date,             // d
    Any,              // v: whatever it is
};
// The kinds of the arguments of a call of f with argc arguments.
QList<ArgKind> argumentKinds(const FunctionInfo &f, int argc);

// The function (acc_store_*) that checks and converts a value stored into a column of this type, or none.
const char *storeGuard(const QString &declaredType);
// The type of value a column declared with this type holds.
ValueType columnValueType(const QString &declaredType);
// A text literal: the value between single quotes, each quote doubled.
QString quoteText(const QString &text);

class ExpressionWriter {
public:
    explicit ExpressionWriter(SchemaLookup schemaLookup) : schema(std::move(schemaLookup)) {}
    virtual ~ExpressionWriter() = default;

    QString value(const Node &n) { return asValue(gen(n)); }
    QString condition(const Node &n) { return truth(gen(n)); }
    // A condition used as a value gives -1, 0 or Null.
    virtual QString asValue(const Emitted &e) const = 0;

protected:
    // ---- the dialect ----------------------------------------------------------------------
    virtual QString name(const QString &identifier) const = 0;
    virtual Emitted number(const QString &literal) const = 0;
    virtual QString dateLiteral(const QString &stored) const = 0;
    virtual Emitted param(const Node &n) = 0;
    // A table's own row number (rowid) where no column of that name exists; sql: the name as written.
    virtual Emitted rowIdentity(const Node &n, const QString &sql) const { (void)n; return {sql, ValueType::Number}; }
    // A value used as a condition.
    virtual QString truth(const Emitted &e) const = 0;
    // "a op b" compared without regard to letter case.
    virtual QString caselessComparison(const QString &a, const char *op, const QString &b) const = 0;
    // The operand of between or in that is compared without regard to letter case; left: the tested value.
    virtual QString caselessOperand(const QString &sql, bool left) const = 0;
    virtual QString like(const QString &a, const QString &pattern, bool negated, const QString &escape) const = 0;
    // The SQL name of an implementation of the language (acc_*).
    virtual QString implementation(const char *accName) const = 0;
    // A value handed to an implementation that reads it as kind.
    virtual QString argument(const Emitted &e, ArgKind kind) = 0;
    // A comparison of a and b: operands made comparable where the backend will not compare them.
    virtual void comparable(Emitted &a, Emitted &b) { (void)a, (void)b; }
    // The results of the branches of one conditional: made of one type where the backend needs it.
    virtual void oneType(std::vector<Emitted *> &branches) { (void)branches; }
    // A call of a function the language does not have: the backend's own of that name.
    virtual QString backendFunction(const QString &fn, const QStringList &args, bool distinct) const
    {
        return name(fn) + QLatin1Char('(') + (distinct ? QStringLiteral("DISTINCT ") : QString()) + args.join(QLatin1Char(','))
               + QLatin1Char(')');
    }
    // The Switch without a true condition: an invalid call, of the type of first.
    virtual QString invalidCall(const Emitted &first) const = 0;
    // A select inside an expression; guards, per item, the check of the column it goes into.
    virtual QString select(const Select &s, const QList<const char *> &guards = {}) = 0;

    // ---- shared ----------------------------------------------------------------------------
    QList<ColumnInfo> columnsOf(const QString &table);
    const ColumnInfo *findColumn(const Node &col) const;
    Emitted gen(const Node &n);
    Emitted call(const char *accName, std::initializer_list<std::pair<Emitted, ArgKind>> args, ValueType type);

    SchemaLookup schema;
    QHash<QString, QList<ColumnInfo>> tables;
    const Scope *scope = nullptr;

private:
    // Like compares texts: a number on either side is compared in its shortest text.
    QString textValue(const Node &n);
    // Whether a comparison of a and b must ignore letter case.
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
