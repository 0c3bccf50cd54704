// Translation of the system's Access SQL into statements SQLite or PostgreSQL runs.
#pragma once

#include "platform/db/connection.h"
#include "platform/db/jet_functions.h"

#include <functional>

// Looks up the columns of an existing table (empty list when it does not exist).
using SchemaLookup = std::function<QList<ColumnInfo>(const QString &table)>;

// Rewrites one statement of the system's SQL into one or more SQLite statements, run in order.
// Only what SQLite lacks is rewritten; everything else comes back unchanged.
QStringList translateAccessSql(const QString &sql, const SchemaLookup &schema);
// The same for PostgreSQL; paramTypes: what each parameter ($1, $2, …) of the statement holds.
QStringList translateAccessSqlForPostgres(const QString &sql, const SchemaLookup &schema,
                                          const QList<jet::ValueType> &paramTypes = {});

// The type a column was declared with in the system's SQL, from the type SQLite keeps for it
// (the translation gives some Access types an affinity word: "single real" is reported as "single").
QString accessTypeName(const QString &sqliteDeclaredType);

// Reads the text between the # of an Access date literal ("2005-3-17 14:09:00", "3/17/2005",
// "2005-3-17 2:09 PM") as stored text "yyyy-MM-dd HH:mm:ss"; empty when it is not a date.
QString accessDateLiteralText(const QString &inner);
