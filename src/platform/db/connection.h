// Connection: the one database connection of the run, over the SQLite, the ODBC or the PostgreSQL provider.
#pragma once

#include "platform/db/db_error.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

struct sqlite3;
struct pg_conn;

// One column of a table as the provider reports it.
struct ColumnInfo {
    QString name;
    QString declaredType;        // as written when the table was made ("char(20)", "single", ...)
    bool primaryKey = false;
    bool autoIncrement = false;  // an auto-numbered key
    bool notNull = false;
    QString defaultSql;          // the default clause's expression, empty when none
    bool leadsIndex = false;     // the first column of an index in its plain (binary) order
    bool unique = false;         // alone in a unique index: its value finds one row
};

// The rows of one query, fetched whole (client-side, as the system's recordsets were).
struct ResultSet {
    QStringList columns;
    QList<QVariantList> rows;
};

// What a database engine has to offer the connection. Failures throw DbError.
class Provider {
public:
    virtual ~Provider() = default;
    virtual QString kind() const = 0;  // "ACCESS" (the local file), "SQLSERVER" or "POSTGRESQL"
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    virtual int execute(const QString &sql, const QVariantList &params) = 0;  // rows affected
    virtual ResultSet query(const QString &sql, const QVariantList &params) = 0;
    virtual QList<ColumnInfo> columns(const QString &table) = 0;  // empty when the table is missing
    virtual void begin(int depth) = 0;     // depth 0: outermost transaction; deeper: a savepoint
    virtual void commit(int depth) = 0;
    virtual void rollback(int depth) = 0;
    virtual void setCommandTimeout(int seconds) { (void)seconds; }
    // A statement in the backend's own SQL, run as it stands (no translation).
    virtual void executeNative(const QString &sql) { execute(sql, {}); }
    virtual sqlite3 *sqliteHandle() const { return nullptr; }
    virtual pg_conn *postgresHandle() const { return nullptr; }
};

// A provider whose nested transactions are SQL savepoints: depth 0 is the transaction itself.
class SavepointProvider : public Provider {
public:
    void begin(int depth) override;
    void commit(int depth) override;
    void rollback(int depth) override;

protected:
    virtual void runControl(const QString &sql) = 0;  // a statement of the backend's own, no parameters
    virtual bool inTransaction() const = 0;
};

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens from the system's connection string: the Jet provider's "data source" is a SQLite
    // file that must exist; "SQLOLEDB" hands server, catalogue, user and password to ODBC.
    void open(const QString &connectionString, const QString &user = {}, const QString &password = {});
    // Opens (or, with create, makes) a SQLite database file directly.
    void openFile(const QString &path, bool create = false);
    // Opens a database on a PostgreSQL server.
    void openPostgres(const QString &server, int port, const QString &database, const QString &user,
                      const QString &password);
    void close();
    bool isOpen() const;

    QString connectionString() const { return m_connectionString; }
    QString providerKind() const;  // "ACCESS", "SQLSERVER", "POSTGRESQL", or empty when closed
    int cursorLocation() const { return m_cursorLocation; }
    void setCursorLocation(int location) { m_cursorLocation = location; }
    int commandTimeout() const { return m_commandTimeout; }
    void setCommandTimeout(int seconds);

    // Runs one statement written in the system's SQL (rewritten where SQLite lacks something).
    int execute(const QString &sql, const QVariantList &params = {});
    // Runs a statement written in the backend's own SQL, unchanged (what the system's SQL cannot say).
    void executeNative(const QString &sql);
    ResultSet query(const QString &sql, const QVariantList &params = {});
    QList<ColumnInfo> columns(const QString &table);
    bool tableExists(const QString &table);

    // Transactions nest: the outermost begins a transaction, inner ones are savepoints.
    void beginTransaction();
    void commitTransaction();
    void rollbackTransaction();
    int transactionDepth() const { return m_depth; }

    sqlite3 *sqliteHandle() const;  // the C handle of the SQLite provider, null otherwise
    pg_conn *postgresHandle() const;  // the libpq handle of the PostgreSQL provider, null otherwise

private:
    Provider &provider() const;
    std::unique_ptr<Provider> m_provider;
    QString m_connectionString;
    int m_cursorLocation = 2;
    int m_commandTimeout = 30;
    int m_depth = 0;
};

// Scoped transaction: rolls back on destruction unless committed.
class Transaction {
public:
    explicit Transaction(Connection &cn);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit();

private:
    Connection &m_cn;
    bool m_done = false;
};

// Parses "key=value;key=value" (keys compared without case) as the system's connection strings are written.
QString connectionStringValue(const QString &connectionString, const QString &key);
