// Connection: chooses the provider from the connection string and forwards to it.
#include "platform/db/connection.h"

#include "platform/db/odbc_provider.h"
#include "platform/db/postgres_provider.h"
#include "platform/db/sqlite_provider.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

QString connectionStringValue(const QString &connectionString, const QString &key)
{
    const QStringList parts = connectionString.split(QLatin1Char(';'));
    for (const QString &part : parts) {
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (part.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1);
    }
    return {};
}

namespace {

// A database file that exists but may not be reached says so, rather than being taken for a
// missing file; a missing one is left to the provider's own message.
void checkFileAccess(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        if (errno == EACCES)
            throw DbError(DbError::Cause::NoAccess, DbError::ProviderFailure,
                          QStringLiteral("没有权限进入数据库文件“%1”所在的文件夹“%2”。")
                              .arg(path, QFileInfo(path).absolutePath()));
        return;
    }
    if (S_ISREG(st.st_mode) && ::euidaccess(native.constData(), R_OK) != 0)
        throw DbError(DbError::Cause::NoAccess, DbError::ProviderFailure,
                      QStringLiteral("没有读取数据库文件“%1”的权限。").arg(path));
}

// The provider's open, its failures of the surroundings said in Chinese with the file's name.
std::unique_ptr<Provider> openSqlite(const QString &path, bool create)
{
    if (!create)
        checkFileAccess(path);
    try {
        return std::make_unique<SqliteProvider>(path, create);
    } catch (const DbError &e) {
        if (!e.fromSurroundings())
            throw;
        throw DbError(e.cause, e.number,
                      QStringLiteral("无法打开数据库文件“%1”：%2").arg(path, dbErrorCauseDescription(e.cause)),
                      e.nativeText);
    }
}

} // namespace

Connection::Connection() = default;

Connection::~Connection()
{
    try {
        close();
    } catch (...) {
    }
}

void Connection::open(const QString &connectionString, const QString &user, const QString &password)
{
    close();
    const QString providerName = connectionStringValue(connectionString, QStringLiteral("provider")).trimmed();
    if (providerName.startsWith(QLatin1String("microsoft.jet.oledb"), Qt::CaseInsensitive)) {
        // The system writes folder + "\" + file; on this platform the separator is "/".
        QString file = connectionStringValue(connectionString, QStringLiteral("data source"));
        file.replace(QLatin1Char('\\'), QLatin1Char('/'));
        m_provider = openSqlite(file, false);
    } else if (providerName.startsWith(QLatin1String("sqloledb"), Qt::CaseInsensitive)) {
        QString u = connectionStringValue(connectionString, QStringLiteral("user id"));
        QString p = connectionStringValue(connectionString, QStringLiteral("pwd"));
        if (!user.isEmpty())
            u = user;
        if (!password.isEmpty())
            p = password;
        m_provider = std::make_unique<OdbcProvider>(connectionStringValue(connectionString, QStringLiteral("data source")),
                                                    connectionStringValue(connectionString, QStringLiteral("initial catalog")),
                                                    u, p, m_commandTimeout);
    } else {
        throw DbError(DbError::ProviderFailure, QStringLiteral("找不到提供程序“%1”。").arg(providerName));
    }
    m_connectionString = connectionString;
}

void Connection::openFile(const QString &path, bool create)
{
    close();
    m_provider = openSqlite(path, create);
    m_connectionString = QStringLiteral("provider=microsoft.jet.oledb.4.0;data source=") + path;
}

void Connection::openPostgres(const QString &server, int port, const QString &database, const QString &user,
                              const QString &password)
{
    close();
    m_provider = std::make_unique<PostgresProvider>(server, port, database, user, password, m_commandTimeout);
    m_connectionString = QStringLiteral("Provider=PostgreSQL;Server=%1;Port=%2;Database=%3;User ID=%4")
                             .arg(server)
                             .arg(port)
                             .arg(database, user);
}

void Connection::close()
{
    m_depth = 0;
    if (m_provider)
        m_provider->close();
    m_provider.reset();
}

bool Connection::isOpen() const { return m_provider && m_provider->isOpen(); }

QString Connection::providerKind() const { return isOpen() ? m_provider->kind() : QString(); }

void Connection::setCommandTimeout(int seconds)
{
    m_commandTimeout = seconds;
    if (m_provider)
        m_provider->setCommandTimeout(seconds);
}

Provider &Connection::provider() const
{
    if (!isOpen())
        throw DbError(DbError::ProviderFailure, QStringLiteral("对象关闭时，不允许操作。"));
    return *m_provider;
}

int Connection::execute(const QString &sql, const QVariantList &params) { return provider().execute(sql, params); }

ResultSet Connection::query(const QString &sql, const QVariantList &params) { return provider().query(sql, params); }

void Connection::executeNative(const QString &sql) { provider().executeNative(sql); }

QList<ColumnInfo> Connection::columns(const QString &table) { return provider().columns(table); }

bool Connection::tableExists(const QString &table) { return !columns(table).isEmpty(); }

void Connection::beginTransaction()
{
    provider().begin(m_depth);
    ++m_depth;
}

void Connection::commitTransaction()
{
    if (m_depth == 0)
        return;
    provider().commit(m_depth - 1);
    --m_depth;
}

void Connection::rollbackTransaction()
{
    if (m_depth == 0)
        return;
    --m_depth;
    provider().rollback(m_depth);
}

sqlite3 *Connection::sqliteHandle() const { return m_provider ? m_provider->sqliteHandle() : nullptr; }

pg_conn *Connection::postgresHandle() const { return m_provider ? m_provider->postgresHandle() : nullptr; }

void SavepointProvider::begin(int depth)
{
    runControl(depth == 0 ? QStringLiteral("begin") : QStringLiteral("savepoint sp%1").arg(depth));
}

void SavepointProvider::commit(int depth)
{
    runControl(depth == 0 ? QStringLiteral("commit") : QStringLiteral("release savepoint sp%1").arg(depth));
}

void SavepointProvider::rollback(int depth)
{
    if (depth == 0) {
        if (inTransaction())
            runControl(QStringLiteral("rollback"));
        return;
    }
    runControl(QStringLiteral("rollback to savepoint sp%1").arg(depth));
    runControl(QStringLiteral("release savepoint sp%1").arg(depth));
}

Transaction::Transaction(Connection &cn) : m_cn(cn) { m_cn.beginTransaction(); }

Transaction::~Transaction()
{
    if (m_done)
        return;
    try {
        m_cn.rollbackTransaction();
    } catch (...) {
    }
}

void Transaction::commit()
{
    m_cn.commitTransaction();
    m_done = true;
}
