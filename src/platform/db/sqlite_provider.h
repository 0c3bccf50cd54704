// The SQLite provider: runs the system's SQL on a local SQLite file through the C API.
#pragma once

#include "platform/db/connection.h"

#include <QHash>
#include <QSqlDatabase>

class SqliteProvider : public SavepointProvider {
public:
    // Opens the file; without create a missing file is a failure, as the old provider had it.
    SqliteProvider(const QString &path, bool create);
    ~SqliteProvider() override;

    QString kind() const override { return QStringLiteral("ACCESS"); }
    bool isOpen() const override { return m_db != nullptr; }
    void close() override;
    int execute(const QString &sql, const QVariantList &params) override;
    ResultSet query(const QString &sql, const QVariantList &params) override;
    QList<ColumnInfo> columns(const QString &table) override;
    sqlite3 *sqliteHandle() const override { return m_db; }

protected:
    void runControl(const QString &sql) override { runPlain(sql); }
    bool inTransaction() const override;

private:
    // Runs the translated statements; the last one's rows go to out when out is given.
    int run(const QString &sql, const QVariantList &params, ResultSet *out);
    // Runs one translated statement; sqlText is the system's statement, named in errors.
    int runTranslated(const QString &statement, const QString &sqlText, const QVariantList &params, ResultSet *out);
    void runPlain(const QString &sql);
    [[noreturn]] void fail(int rc, const QString &sql);
    int schemaVersion();

    QString m_connectionName;
    sqlite3 *m_db = nullptr;
    // Column lists read for the translation, kept while the schema is unchanged.
    QHash<QString, QList<ColumnInfo>> m_columnCache;
    int m_cachedSchemaVersion = -1;
};
