// The PostgreSQL provider: the system's SQL on a PostgreSQL server, opened through Qt's QPSQL
// driver and run through its libpq handle.
#pragma once

#include "platform/db/connection.h"

#include <QHash>

struct pg_conn;
struct pg_result;

class PostgresProvider : public SavepointProvider {
public:
    // Opens the database; the expression language's functions are created in it when missing.
    PostgresProvider(const QString &server, int port, const QString &database, const QString &user,
                     const QString &password, int timeoutSeconds);
    ~PostgresProvider() override;

    QString kind() const override { return QStringLiteral("POSTGRESQL"); }
    bool isOpen() const override { return m_conn != nullptr; }
    void close() override;
    int execute(const QString &sql, const QVariantList &params) override;
    ResultSet query(const QString &sql, const QVariantList &params) override;
    QList<ColumnInfo> columns(const QString &table) override;
    void setCommandTimeout(int seconds) override;
    void executeNative(const QString &sql) override;
    pg_conn *postgresHandle() const override { return m_conn; }

    // The connection's own settings as libpq reads them (host, port, dbname, user), for the tools.
    QString server() const { return m_server; }

protected:
    void runControl(const QString &sql) override { plain(sql); }
    bool inTransaction() const override;

private:
    // Runs the system's statement: translated, each resulting statement with the parameters it names.
    int run(const QString &sql, const QVariantList &params, ResultSet *out);
    int runTranslated(const QString &statement, const QString &sqlText, const QVariantList &params, ResultSet *out);
    // A statement of the backend's own, without parameters; errors as DbError.
    void plain(const QString &sql);
    void ensureFunctions();
    [[noreturn]] void fail(pg_result *res, const QString &sql);

    QString m_connectionName;
    QString m_server;
    pg_conn *m_conn = nullptr;
    QHash<QString, QList<ColumnInfo>> m_columnCache;
};

// The ADO number of a PostgreSQL failure from its SQLSTATE.
int dbErrorNumberForSqlstate(const QString &state);
// What a person is shown for it (the same Chinese texts as for the local file).
QString dbErrorDescriptionForPostgres(int number, const QString &state, const QString &message, const QString &column);
