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
    static QString odbcConnectionString(const QString &server, const QString &database, const QString &user,
                                        const QString &password, int timeoutSeconds);

private:
    QString m_connectionName;
    int m_timeout = 50;
};
