// Small helpers of the table-creation routines: missing columns, existing rows.
#pragma once

#include "platform/db/connection.h"

#include <QList>
#include <QString>

namespace SchemaSteps {

struct ColumnStep {
    QString column;     // the column the statement adds
    QString statement;  // the system's "alter table … add column …" text
};

inline bool hasColumn(const QList<ColumnInfo> &columns, const QString &name)
{
    for (const ColumnInfo &c : columns)
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Executes, in order, the statements of the columns that the table does not have yet.
inline void addMissingColumns(Connection &cn, const QString &table, const QList<ColumnStep> &steps)
{
    const QList<ColumnInfo> existing = cn.columns(table);
    for (const ColumnStep &s : steps)
        if (!hasColumn(existing, s.column))
            cn.execute(s.statement);
}

inline bool hasRows(Connection &cn, const QString &sql) { return !cn.query(sql).rows.isEmpty(); }

} // namespace SchemaSteps
