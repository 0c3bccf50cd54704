// SQLite provider: statement execution, fetching and error numbering over the SQLite C API.
#include "platform/db/sqlite_provider.h"

#include "platform/db/access_functions.h"
#include "platform/db/sql_translation.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QUuid>
#include <sqlite3.h>

namespace {

void bindValue(sqlite3_stmt *st, int index, const QVariant &v)
{
    if (v.isNull() || !v.isValid()) {
        sqlite3_bind_null(st, index);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Bool:
        sqlite3_bind_int(st, index, v.toBool() ? 1 : 0);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
        sqlite3_bind_int64(st, index, v.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(st, index, v.toDouble());
        break;
    case QMetaType::QDateTime:
        sqlite3_bind_text16(st, index, v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).utf16(), -1,
                            SQLITE_TRANSIENT);
        break;
    case QMetaType::QDate:
        sqlite3_bind_text16(st, index, v.toDate().toString(QStringLiteral("yyyy-MM-dd 00:00:00")).utf16(), -1,
                            SQLITE_TRANSIENT);
        break;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        sqlite3_bind_blob(st, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QString s = v.toString();
        sqlite3_bind_text16(st, index, s.utf16(), int(s.size() * 2), SQLITE_TRANSIENT);
    }
    }
}

QVariant columnValue(sqlite3_stmt *st, int i)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(st, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, i));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                                          sqlite3_column_bytes(st, i)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(st, i)), sqlite3_column_bytes(st, i)));
    default:
        return QVariant();
    }
}

} // namespace

SqliteProvider::SqliteProvider(const QString &path, bool create)
{
    if (!create && !QFileInfo(path).isFile())
        throw DbError(DbError::ProviderFailure, QStringLiteral("找不到文件“%1”。").arg(path));
    m_connectionName = QStringLiteral("rsgz-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            const QString text = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connectionName);
            throw DbError(DbError::ProviderFailure, QStringLiteral("无法打开数据库“%1”：%2").arg(path, text), {}, text);
        }
        m_db = *static_cast<sqlite3 *const *>(db.driver()->handle().data());
    }
    // A file that is not a database only shows itself on the first read.
    try {
        runPlain(QStringLiteral("select count(*) from sqlite_master"));
    } catch (const DbError &e) {
        close();
        throw DbError(DbError::ProviderFailure, QStringLiteral("无法打开数据库“%1”：%2").arg(path, e.nativeText), {},
                      e.nativeText);
    }
    registerAccessFunctions(m_db);
    // A double-quoted name that names no column must not silently become a text.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
}

SqliteProvider::~SqliteProvider() { close(); }

void SqliteProvider::close()
{
    if (!m_db)
        return;
    m_db = nullptr;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

void SqliteProvider::fail(int rc, const QString &sql)
{
    const QString native = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("database is closed");
    const int number = dbErrorNumberForSqlite(rc, native);
    throw DbError(number, dbErrorDescriptionForSqlite(number, native), sql, native);
}

void SqliteProvider::runPlain(const QString &sql) { runTranslated(sql, sql, {}, nullptr); }

int SqliteProvider::run(const QString &sqlText, const QVariantList &params, ResultSet *out)
{
    if (!m_db)
        throw DbError(DbError::ProviderFailure, QStringLiteral("数据库连接已关闭。"), sqlText);
    const int version = schemaVersion();
    if (version != m_cachedSchemaVersion) {
        m_columnCache.clear();
        m_cachedSchemaVersion = version;
    }
    const QStringList statements = translateAccessSql(sqlText, [this](const QString &t) {
        const QString key = t.toLower();
        auto it = m_columnCache.find(key);
        if (it == m_columnCache.end())
            it = m_columnCache.insert(key, columns(t));
        return *it;
    });
    if (statements.isEmpty())
        return 0;
    if (statements.size() == 1)
        return runTranslated(statements.first(), sqlText, params, out);
    // One statement of the system's SQL became several: they succeed or fail together.
    runTranslated(QStringLiteral("savepoint rsgz_translated"), sqlText, {}, nullptr);
    try {
        int changed = 0;
        for (int s = 0; s < statements.size(); ++s)
            changed += runTranslated(statements.at(s), sqlText, params, s == statements.size() - 1 ? out : nullptr);
        runTranslated(QStringLiteral("release rsgz_translated"), sqlText, {}, nullptr);
        return changed;
    } catch (...) {
        sqlite3_exec(m_db, "rollback to rsgz_translated; release rsgz_translated", nullptr, nullptr, nullptr);
        throw;
    }
}

int SqliteProvider::runTranslated(const QString &statement, const QString &sqlText, const QVariantList &params,
                                  ResultSet *out)
{
    const QByteArray utf8 = statement.toUtf8();
    const char *tail = nullptr;
    sqlite3_stmt *st = nullptr;
    int rc = sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &st, &tail);
    if (rc != SQLITE_OK)
        fail(rc, sqlText);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> guard(st, sqlite3_finalize);
    // One prepared statement per execute: anything after it but blanks is refused unrun.
    for (const char *p = tail; p && p < utf8.constData() + utf8.size(); ++p)
        if (!(*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == ';'))
            throw DbError(DbError::SyntaxError, QStringLiteral("语法错误：一次只能执行一条语句。"), sqlText);
    if (!st)
        return 0;  // blanks only
    const int wanted = sqlite3_bind_parameter_count(st);
    for (int i = 0; i < wanted && i < params.size(); ++i)
        bindValue(st, i + 1, params.at(i));
    const int ncol = sqlite3_column_count(st);
    const bool collect = out && ncol > 0;
    if (collect) {
        out->columns.clear();
        out->rows.clear();
        for (int i = 0; i < ncol; ++i)
            out->columns << QString::fromUtf8(sqlite3_column_name(st, i));
    }
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        if (!collect)
            continue;
        QVariantList row;
        row.reserve(ncol);
        for (int i = 0; i < ncol; ++i)
            row.append(columnValue(st, i));
        out->rows.append(std::move(row));
    }
    if (rc != SQLITE_DONE)
        fail(rc, sqlText);
    return ncol == 0 ? sqlite3_changes(m_db) : 0;
}

int SqliteProvider::schemaVersion()
{
    sqlite3_stmt *st = nullptr;
    int version = -1;
    if (sqlite3_prepare_v2(m_db, "pragma schema_version", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        version = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return version;
}

int SqliteProvider::execute(const QString &sql, const QVariantList &params) { return run(sql, params, nullptr); }

ResultSet SqliteProvider::query(const QString &sql, const QVariantList &params)
{
    ResultSet rs;
    run(sql, params, &rs);
    return rs;
}

QList<ColumnInfo> SqliteProvider::columns(const QString &table)
{
    QList<ColumnInfo> result;
    if (!m_db)
        return result;
    QString name = table.trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = "select name, type, pk, \"notnull\", dflt_value from pragma_table_info(?1)";
    if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
        fail(sqlite3_errcode(m_db), QString::fromUtf8(sql));
    const QByteArray n = name.toUtf8();
    sqlite3_bind_text(st, 1, n.constData(), int(n.size()), SQLITE_TRANSIENT);
    int pkCount = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        ColumnInfo c;
        c.name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        c.declaredType = accessTypeName(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1))));
        c.primaryKey = sqlite3_column_int(st, 2) > 0;
        c.notNull = sqlite3_column_int(st, 3) != 0;
        if (sqlite3_column_type(st, 4) != SQLITE_NULL)
            c.defaultSql = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 4)));
        pkCount += c.primaryKey ? 1 : 0;
        result.append(c);
    }
    sqlite3_finalize(st);
    // Columns that lead an index can be read in order, one distinct value at a time.
    const QByteArray indexSql = "select ii.name from pragma_index_list(?1) as il, pragma_index_xinfo(il.name) as ii "
                                "where il.partial = 0 and ii.seqno = 0 and ii.key = 1 and ii.coll = 'BINARY'";
    if (sqlite3_prepare_v2(m_db, indexSql.constData(), -1, &st, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(st, 1, n.constData(), int(n.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(st) == SQLITE_ROW) {
            const QString lead = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
            for (ColumnInfo &c : result)
                if (c.name.compare(lead, Qt::CaseInsensitive) == 0)
                    c.leadsIndex = true;
        }
    }
    sqlite3_finalize(st);
    // A lone INTEGER PRIMARY KEY is SQLite's auto-numbered key.
    if (pkCount == 1) {
        for (ColumnInfo &c : result)
            if (c.primaryKey && c.declaredType.compare(QLatin1String("integer"), Qt::CaseInsensitive) == 0)
                c.autoIncrement = true;
    }
    return result;
}

bool SqliteProvider::inTransaction() const { return m_db && !sqlite3_get_autocommit(m_db); }
