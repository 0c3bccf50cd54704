// SelectShape: what a recordset's query looks like from outside — one base table it can write back to, or not.
#pragma once

#include <QString>

struct SelectShape {
    bool updatable = false;  // a plain select over one table: no join, no group by, no union, no into
    QString table;           // that table, without brackets
    QString reason;          // why the rows cannot be written back, when not updatable
    int fromOffset = -1;     // where the top-level FROM keyword starts in the text
};

// Looks at the top level of the statement only (subqueries in the condition do not matter).
SelectShape analyseSelect(const QString &sql);

// The same statement with one more column "expression as alias" at the end of the select list.
QString withExtraColumn(const QString &sql, const SelectShape &shape, const QString &expression,
                        const QString &alias);
