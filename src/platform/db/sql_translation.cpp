// Access SQL → SQLite statements.
#include "platform/db/sql_translation.h"

QStringList translateAccessSql(const QString &sql, const SchemaLookup &schema)
{
    (void)schema;
    return {sql};
}
