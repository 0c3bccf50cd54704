// The ODBC provider: the server database through Qt's QODBC driver and FreeTDS.
#pragma once

#include "platform/db/connection.h"

class OdbcProvider : public Provider {
public:
    // Takes the values of the system's SQLOLEDB connection string and opens the server through ODBC.
    OdbcProvider(const QString &server, const QString &database, const QString &user, const QString &password,
                 int timeoutSeconds);
    ~OdbcProvider() override;

    QString kind() const override { return QStringLiteral("SQLSERVER"); }
    bool isOpen() const override;
    void close() override;
    int execute(const QString &sql, const QVariantList &params) override;
    ResultSet query(const QString &sql, const QVariantList &params) override;
    QList<ColumnInfo> columns(const QString &table) override;
    void begin(int depth) override;
    void commit(int depth) override;
    void rollback(int depth) override;
    void setCommandTimeout(int seconds) override { m_timeout = seconds; }

    // The ODBC connection string handed to the driver for these values.
    // The server value "host,port" gives SERVER=host;PORT=port; values holding ';', '{', '}' or edge
    // blanks are written in braces, a '}' doubled.
    static QString odbcConnectionString(const QString &server, const QString &database, const QString &user,
                                        const QString &password, int timeoutSeconds);
    // The DRIVER value: the registered FreeTDS driver, or the driver library itself when none is registered.
    static QString odbcDriver();
    // The number a failure of the driver gets, from its native error code and message text.
    static int odbcErrorNumber(const QString &nativeCode, const QString &text);
    // Seconds the login may take for a command time-out (short: a missing server is reported promptly).
    static int loginTimeout(int commandTimeoutSeconds);

private:
    [[noreturn]] void fail(const QString &sql, const class QSqlError &error);
    QString m_connectionName;
    int m_timeout = 50;
    bool m_open = false;
};
