// Writes the tree of the system's SQL as PostgreSQL SQL with the old engine's meaning, as the
// SQLite emitter does for SQLite: names in double quotes and lower case (the old engine compared
// names without case), texts compared without case through lower(), Null sorted first, and the
// language's operators and functions as the functions of the schema "acc" (postgres_functions.h),
// each argument converted to the type the function takes.
#pragma once

#include "platform/db/jet_ast.h"
#include "platform/db/jet_functions.h"
#include "platform/db/sql_translation.h"

namespace jet {

class PostgresEmitter {
public:
    // paramTypes: what each parameter of the statement ($1, $2, …) holds.
    explicit PostgresEmitter(SchemaLookup schema, QList<ValueType> paramTypes = {});
    ~PostgresEmitter();

    QStringList statement(const Statement &st);
    QString value(const Node &n, const QString &table = {});
    QString condition(const Node &n, const QString &table = {});

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// A name as PostgreSQL reads the system's names: in double quotes, in lower case.
QString postgresName(const QString &name);

} // namespace jet
