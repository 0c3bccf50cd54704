// ODBC provider over QODBC.
#include "platform/db/odbc_provider.h"

OdbcProvider::OdbcProvider(const QString &, const QString &, const QString &, const QString &, int)
{
    throw DbError(DbError::ProviderFailure, QStringLiteral("ODBC provider not available yet"));
}
OdbcProvider::~OdbcProvider() = default;
bool OdbcProvider::isOpen() const { return false; }
void OdbcProvider::close() {}
int OdbcProvider::execute(const QString &, const QVariantList &) { return 0; }
ResultSet OdbcProvider::query(const QString &, const QVariantList &) { return {}; }
QList<ColumnInfo> OdbcProvider::columns(const QString &) { return {}; }
void OdbcProvider::begin(int) {}
void OdbcProvider::commit(int) {}
void OdbcProvider::rollback(int) {}
QString OdbcProvider::odbcConnectionString(const QString &, const QString &, const QString &, const QString &, int)
{
    return {};
}
