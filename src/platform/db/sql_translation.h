// Translation of the system's Access SQL into statements SQLite runs.
#pragma once

#include "platform/db/connection.h"

#include <functional>

// Looks up the columns of an existing table (empty list when it does not exist).
using SchemaLookup = std::function<QList<ColumnInfo>(const QString &table)>;

// Rewrites one statement of the system's SQL into one or more SQLite statements, run in order.
// Only what SQLite lacks is rewritten; everything else comes back unchanged.
QStringList translateAccessSql(const QString &sql, const SchemaLookup &schema);
