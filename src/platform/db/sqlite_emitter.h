// Writes the tree of the system's SQL as SQLite SQL with the old engine's meaning: / divides as
// floating point, comparisons used as values are -1/0, & joins texts, texts compare without case,
// and values stored into typed columns are checked and converted as the old database did. The
// implementations of the language are the acc_* functions registered on every SQLite connection.
#pragma once

#include "platform/db/jet_ast.h"
#include "platform/db/jet_functions.h"
#include "platform/db/sql_translation.h"

namespace jet {

class SqliteEmitter {
public:
    explicit SqliteEmitter(SchemaLookup schema);
    ~SqliteEmitter();

    // One statement of the system's SQL as the SQLite statements that do its work, in order
    // (select … into becomes create table + insert … select).
    QStringList statement(const Statement &st);

    // An expression over the columns of table (empty: no table), as a value or as a condition.
    QString value(const Node &n, const QString &table = {});
    QString condition(const Node &n, const QString &table = {});

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// A name as SQLite reads it: bare when it can be, in backquotes otherwise.
QString sqliteName(const QString &name);

} // namespace jet
