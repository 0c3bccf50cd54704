// ODBC provider over QODBC and the FreeTDS driver: the server branch of the connection.
#include "platform/db/odbc_provider.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

namespace {

// ODBC connection-string value: braces around values that would otherwise end or confuse the pair.
QString odbcValue(const QString &v)
{
    const bool needsBraces = v.contains(QLatin1Char(';')) || v.contains(QLatin1Char('{')) || v.contains(QLatin1Char('}'))
                          || v.contains(QLatin1Char('=')) || (!v.isEmpty() && (v.front().isSpace() || v.back().isSpace()));
    if (!needsBraces)
        return v;
    QString inner = v;
    inner.replace(QLatin1Char('}'), QLatin1String("}}"));
    return QLatin1Char('{') + inner + QLatin1Char('}');
}

const char *const kFreeTdsLibrary = "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so";

} // namespace

QString OdbcProvider::odbcDriver()
{
    QString folder = qEnvironmentVariable("ODBCSYSINI");
    if (folder.isEmpty())
        folder = QStringLiteral("/etc");
    QFile ini(folder + QStringLiteral("/odbcinst.ini"));
    if (ini.open(QIODevice::ReadOnly)) {
        const QString text = QString::fromUtf8(ini.readAll());
        if (text.contains(QLatin1String("[FreeTDS]"), Qt::CaseInsensitive))
            return QStringLiteral("{FreeTDS}");
    }
    return QLatin1Char('{') + QString::fromLatin1(kFreeTdsLibrary) + QLatin1Char('}');
}

int OdbcProvider::loginTimeout(int commandTimeoutSeconds)
{
    return qBound(2, commandTimeoutSeconds / 5, 15);
}

QString OdbcProvider::odbcConnectionString(const QString &server, const QString &database, const QString &user,
                                           const QString &password, int timeoutSeconds)
{
    // The system writes the server as "host" or "host,port".
    QString host = server.trimmed();
    QString port;
    const int comma = int(host.lastIndexOf(QLatin1Char(',')));
    if (comma > 0) {
        port = host.mid(comma + 1).trimmed();
        host = host.left(comma).trimmed();
    }
    QString s = QStringLiteral("DRIVER=%1;SERVER=%2;").arg(odbcDriver(), odbcValue(host));
    if (!port.isEmpty())
        s += QStringLiteral("PORT=%1;").arg(odbcValue(port));
    s += QStringLiteral("DATABASE=%1;UID=%2;PWD=%3;TDS_Version=7.4;ClientCharset=UTF-8;")
             .arg(odbcValue(database), odbcValue(user), odbcValue(password));
    (void)timeoutSeconds;  // the login time-out goes to the driver as a connection attribute
    return s;
}

int OdbcProvider::odbcErrorNumber(const QString &nativeCode, const QString &text)
{
    const QString code = nativeCode.trimmed();
    const QString t = text.toLower();
    const auto has = [&](const char *s) { return t.contains(QLatin1String(s)); };
    // SQL Server error numbers, then the SQLSTATE or the words FreeTDS puts in its text.
    if (code == QLatin1String("18456") || code == QLatin1String("18452") || has("28000") || has("login failed"))
        return DbError::LoginRefused;
    if (code == QLatin1String("208") || has("42s02") || has("invalid object name"))
        return DbError::ObjectNotFound;
    if (code == QLatin1String("207") || has("42s22") || has("invalid column name"))
        return DbError::UnknownColumn;
    if (code == QLatin1String("2627") || code == QLatin1String("2601") || code == QLatin1String("547")
        || code == QLatin1String("515") || code == QLatin1String("8152") || has("23000") || has("22001")
        || has("would be truncated") || has("duplicate key"))
        return DbError::ConstraintRefused;
    if (code == QLatin1String("102") || code == QLatin1String("156") || has("incorrect syntax"))
        return DbError::SyntaxError;
    return DbError::ProviderFailure;  // cannot reach the server, and everything else
}

OdbcProvider::OdbcProvider(const QString &server, const QString &database, const QString &user,
                           const QString &password, int timeoutSeconds)
    : m_timeout(timeoutSeconds)
{
    m_connectionName = QStringLiteral("rsgz-odbc-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QSqlError error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_connectionName);
        if (!db.isValid()) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connectionName);
            throw DbError(DbError::ProviderFailure, QStringLiteral("找不到 ODBC 数据库驱动。"));
        }
        db.setDatabaseName(odbcConnectionString(server, database, user, password, timeoutSeconds));
        const int login = loginTimeout(timeoutSeconds);
        db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1").arg(login));
        m_open = db.open();
        if (!m_open)
            error = db.lastError();
    }
    if (!m_open) {
        QSqlDatabase::removeDatabase(m_connectionName);
        const QString native = error.databaseText().isEmpty() ? error.text() : error.databaseText();
        const int number = odbcErrorNumber(error.nativeErrorCode(), native + QLatin1Char(' ') + error.driverText());
        const QString description = number == DbError::LoginRefused
            ? QStringLiteral("用户“%1”登录失败。").arg(user)
            : QStringLiteral("不能连接到 SQL Server“%1”：%2").arg(server, native);
        throw DbError(number, description, {}, native);
    }
}

OdbcProvider::~OdbcProvider() { close(); }

bool OdbcProvider::isOpen() const { return m_open; }

void OdbcProvider::close()
{
    if (!m_open)
        return;
    m_open = false;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

void OdbcProvider::fail(const QString &sql, const QSqlError &error)
{
    const QString native = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    throw DbError(odbcErrorNumber(error.nativeErrorCode(), native), native, sql, native);
}

namespace {

// Runs sql with positional parameters on the connection; the query is forward-only.
bool runQuery(QSqlQuery &q, const QString &sql, const QVariantList &params)
{
    q.setForwardOnly(true);
    if (params.isEmpty())
        return q.exec(sql);
    if (!q.prepare(sql))
        return false;
    for (const QVariant &v : params)
        q.addBindValue(v);
    return q.exec();
}

} // namespace

int OdbcProvider::execute(const QString &sql, const QVariantList &params)
{
    if (!m_open)
        throw DbError(DbError::ProviderFailure, QStringLiteral("数据库连接已关闭。"), sql);
    QSqlQuery q(QSqlDatabase::database(m_connectionName, false));
    if (!runQuery(q, sql, params))
        fail(sql, q.lastError());
    return std::max(0, q.numRowsAffected());
}

ResultSet OdbcProvider::query(const QString &sql, const QVariantList &params)
{
    if (!m_open)
        throw DbError(DbError::ProviderFailure, QStringLiteral("数据库连接已关闭。"), sql);
    QSqlQuery q(QSqlDatabase::database(m_connectionName, false));
    if (!runQuery(q, sql, params))
        fail(sql, q.lastError());
    ResultSet rs;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        rs.columns << rec.fieldName(i);
    while (q.next()) {
        QVariantList row;
        row.reserve(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            row.append(q.value(i));
        rs.rows.append(std::move(row));
    }
    if (q.lastError().isValid())
        fail(sql, q.lastError());
    return rs;
}

QList<ColumnInfo> OdbcProvider::columns(const QString &table)
{
    QString name = table.trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    const ResultSet rs = query(QStringLiteral(
        "select c.COLUMN_NAME, c.DATA_TYPE, c.CHARACTER_MAXIMUM_LENGTH, c.IS_NULLABLE, c.COLUMN_DEFAULT, "
        "COLUMNPROPERTY(object_id(c.TABLE_SCHEMA + '.' + c.TABLE_NAME), c.COLUMN_NAME, 'IsIdentity'), "
        "(select count(*) from INFORMATION_SCHEMA.TABLE_CONSTRAINTS t join INFORMATION_SCHEMA.KEY_COLUMN_USAGE k "
        "on k.CONSTRAINT_NAME = t.CONSTRAINT_NAME and k.TABLE_NAME = t.TABLE_NAME "
        "where t.CONSTRAINT_TYPE = 'PRIMARY KEY' and t.TABLE_NAME = c.TABLE_NAME and k.COLUMN_NAME = c.COLUMN_NAME) "
        "from INFORMATION_SCHEMA.COLUMNS c where c.TABLE_NAME = ? order by c.ORDINAL_POSITION"),
                               {name});
    QList<ColumnInfo> result;
    for (const QVariantList &row : rs.rows) {
        ColumnInfo c;
        c.name = row.value(0).toString();
        c.declaredType = row.value(1).toString();
        if (!row.value(2).isNull() && row.value(2).toInt() > 0)
            c.declaredType += QStringLiteral("(%1)").arg(row.value(2).toInt());
        c.notNull = row.value(3).toString().compare(QLatin1String("NO"), Qt::CaseInsensitive) == 0;
        c.defaultSql = row.value(4).toString();
        c.autoIncrement = row.value(5).toInt() == 1;
        c.primaryKey = row.value(6).toInt() > 0;
        result.append(c);
    }
    return result;
}

void OdbcProvider::begin(int depth)
{
    if (depth == 0) {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (!db.transaction())
            fail(QStringLiteral("begin transaction"), db.lastError());
        return;
    }
    execute(QStringLiteral("save transaction sp%1").arg(depth), {});
}

void OdbcProvider::commit(int depth)
{
    if (depth > 0)
        return;  // a savepoint ends with the transaction that holds it
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.commit())
        fail(QStringLiteral("commit"), db.lastError());
}

void OdbcProvider::rollback(int depth)
{
    if (depth > 0) {
        execute(QStringLiteral("rollback transaction sp%1").arg(depth), {});
        return;
    }
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.rollback())
        fail(QStringLiteral("rollback"), db.lastError());
}
