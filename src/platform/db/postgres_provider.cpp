// PostgreSQL provider: opening through QPSQL, statements through libpq with typed parameters,
// values read back as the local file gives them, SQLSTATE → ADO error numbering.
#include "platform/db/postgres_provider.h"

#include "platform/db/postgres_functions.h"
#include "platform/db/sql_translation.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QTimeZone>
#include <QUuid>
#include <libpq-fe.h>
#include <cmath>
#include <memory>

namespace {

// OIDs of the built-in types the provider reads and binds.
enum : Oid { kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25, kOid = 26, kFloat4 = 700,
             kFloat8 = 701, kNumeric = 1700, kTimestamp = 1114 };

using Result = std::unique_ptr<PGresult, void (*)(PGresult *)>;

Result wrap(PGresult *r) { return Result(r, PQclear); }

bool failed(PGresult *r)
{
    const ExecStatusType s = PQresultStatus(r);
    return !r || (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK && s != PGRES_EMPTY_QUERY);
}

QString field(PGresult *r, int code)
{
    const char *v = r ? PQresultErrorField(r, code) : nullptr;
    return v ? QString::fromUtf8(v) : QString();
}

// One parameter as libpq takes it: its text (or bytes), its type, and the type the translation sees.
struct Bound {
    QByteArray data;
    bool null = false;
    bool binary = false;
    Oid type = 0;
    jet::ValueType valueType = jet::ValueType::Unknown;
};

Bound bind(const QVariant &v)
{
    Bound b;
    if (!v.isValid() || v.isNull()) {
        b.null = true;
        b.valueType = jet::ValueType::Null;
        return b;
    }
    switch (v.typeId()) {
    case QMetaType::Bool:
        b = {v.toBool() ? "1" : "0", false, false, kInt8, jet::ValueType::Number};
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
        b = {QByteArray::number(v.toLongLong()), false, false, kInt8, jet::ValueType::Number};
        break;
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        const QByteArray text = std::isnan(d)   ? QByteArray("NaN")
                                : std::isinf(d) ? QByteArray(d > 0 ? "Infinity" : "-Infinity")
                                                : QByteArray::number(d, 'g', 17);
        b = {text, false, false, kFloat8, jet::ValueType::Number};
        break;
    }
    case QMetaType::QDateTime:
        b = {v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8(), false, false, kTimestamp,
             jet::ValueType::Date};
        break;
    case QMetaType::QDate:
        b = {v.toDate().toString(QStringLiteral("yyyy-MM-dd 00:00:00")).toUtf8(), false, false, kTimestamp, jet::ValueType::Date};
        break;
    case QMetaType::QByteArray:
        b = {v.toByteArray(), false, true, kBytea, jet::ValueType::Unknown};
        break;
    default: {
        const QString text = v.toString();
        // PostgreSQL keeps no NUL character in a text: refused, rather than cut off there unseen.
        if (text.contains(QChar(0)))
            throw DbError(DbError::ConstraintRefused, QStringLiteral("文本中含有 NUL 字符，数据库不能保存它。"));
        b = {text.toUtf8(), false, false, kText, jet::ValueType::Text};
    }
    }
    return b;
}

// A value read back as the local file gives it: whole numbers as integers, numbers as doubles,
// dates as their stored text "yyyy-MM-dd HH:mm:ss", texts as texts.
QVariant valueOf(PGresult *r, int row, int col)
{
    if (PQgetisnull(r, row, col))
        return QVariant();
    const char *text = PQgetvalue(r, row, col);
    const int length = PQgetlength(r, row, col);
    switch (PQftype(r, col)) {
    case kBool:
        return QVariant(qlonglong(text[0] == 't' ? 1 : 0));
    case kInt8:
    case kInt2:
    case kInt4:
    case kOid:
        return QVariant(QByteArray::fromRawData(text, length).toLongLong());
    case kFloat4:
    case kFloat8:
        return QVariant(QByteArray::fromRawData(text, length).toDouble());
    case kNumeric: {
        const QByteArray n = QByteArray::fromRawData(text, length);
        bool ok = false;
        const qlonglong whole = n.toLongLong(&ok);
        return ok ? QVariant(whole) : QVariant(n.toDouble());
    }
    case kBytea: {
        size_t size = 0;
        unsigned char *bytes = PQunescapeBytea(reinterpret_cast<const unsigned char *>(text), &size);
        const QByteArray out(reinterpret_cast<const char *>(bytes), qsizetype(size));
        PQfreemem(bytes);
        return QVariant(out);
    }
    default:
        return QVariant(QString::fromUtf8(text, length));
    }
}

// The highest parameter ($n) a statement names.
int parametersNamed(const QString &statement)
{
    static const QRegularExpression re(QStringLiteral("\\$(\\d+)"));
    int highest = 0;
    for (auto it = re.globalMatch(statement); it.hasNext();)
        highest = std::max(highest, it.next().captured(1).toInt());
    return highest;
}

// The type a column reports: the name it was declared with in the system's SQL.
QString accessType(const QString &formatted, const QString &domainSchema, const QString &typeName)
{
    if (domainSchema == QLatin1String("acc"))
        return typeName;
    static const QRegularExpression varying(QStringLiteral("^character varying\\((\\d+)\\)$"));
    static const QRegularExpression fixed(QStringLiteral("^character\\((\\d+)\\)$"));
    if (const auto m = varying.match(formatted); m.hasMatch())
        return QStringLiteral("varchar(%1)").arg(m.captured(1));
    if (const auto m = fixed.match(formatted); m.hasMatch())
        return QStringLiteral("char(%1)").arg(m.captured(1));
    if (formatted == QLatin1String("bigint") || formatted == QLatin1String("integer"))
        return QStringLiteral("integer");
    if (formatted == QLatin1String("double precision"))
        return QStringLiteral("double");
    if (formatted == QLatin1String("character varying"))
        return QStringLiteral("text");
    if (formatted.startsWith(QLatin1String("timestamp")))
        return QStringLiteral("datetime");
    if (formatted.startsWith(QLatin1String("numeric")))
        return QStringLiteral("numeric");
    return formatted;
}

bool isDefinition(const QString &sql)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(create|alter|drop)\\b"), QRegularExpression::CaseInsensitiveOption);
    return re.match(sql).hasMatch();
}

} // namespace

PostgresProvider::PostgresProvider(const QString &server, int port, const QString &database, const QString &user,
                                   const QString &password, int timeoutSeconds)
    : m_server(server)
{
    m_connectionName = QStringLiteral("rsgz-pg-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
        if (!db.isValid()) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connectionName);
            throw DbError(DbError::ProviderFailure, QStringLiteral("找不到 PostgreSQL 的数据库驱动（QPSQL）。"));
        }
        db.setHostName(server);
        if (port > 0)
            db.setPort(port);
        db.setDatabaseName(database);
        db.setUserName(user);
        db.setPassword(password);
        db.setConnectOptions(QStringLiteral("connect_timeout=%1;application_name=rsgz").arg(qBound(2, timeoutSeconds / 5, 15)));
        if (!db.open()) {
            const QString text = db.lastError().databaseText().isEmpty() ? db.lastError().text() : db.lastError().databaseText();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connectionName);
            const QString t = text.toLower();
            const int number = t.contains(QLatin1String("password")) || t.contains(QLatin1String("authentication"))
                                       || (t.contains(QLatin1String("role")) && t.contains(QLatin1String("does not exist")))
                                   ? DbError::LoginRefused
                                   : DbError::ProviderFailure;
            throw DbError(number, QStringLiteral("无法连接到 PostgreSQL 服务器“%1”上的数据库“%2”：%3").arg(server, database, text.trimmed()),
                          {}, text);
        }
        m_conn = *static_cast<PGconn *const *>(db.driver()->handle().data());
    }
    // The server's notices ("already exists, skipping") are nothing a person needs to see.
    PQsetNoticeProcessor(m_conn, [](void *, const char *) {}, nullptr);
    try {
        // Dates in the stored form, times of the desk's own time zone (as the local file keeps them).
        plain(QStringLiteral("SET DateStyle = ISO, YMD"));
        const QByteArray zone = QTimeZone::systemTimeZoneId();
        if (!zone.isEmpty()) {
            try {
                plain(QStringLiteral("SET TimeZone = '%1'").arg(QString::fromLatin1(zone).replace(QLatin1Char('\''), QString())));
            } catch (const DbError &) {
                // a zone the server does not know: the server's own stays
            }
        }
        setCommandTimeout(timeoutSeconds);
        ensureFunctions();
    } catch (...) {
        close();
        throw;
    }
}

PostgresProvider::~PostgresProvider() { close(); }

void PostgresProvider::close()
{
    if (!m_conn)
        return;
    m_conn = nullptr;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

void PostgresProvider::fail(PGresult *res, const QString &sql)
{
    QString state = field(res, PG_DIAG_SQLSTATE);
    QString message = field(res, PG_DIAG_MESSAGE_PRIMARY);
    if (message.isEmpty())
        message = QString::fromUtf8(PQerrorMessage(m_conn)).trimmed();
    if (state.isEmpty() && PQstatus(m_conn) != CONNECTION_OK)
        state = QStringLiteral("08006");
    const int number = dbErrorNumberForSqlstate(state);
    DbError e(number, dbErrorDescriptionForPostgres(number, state, message, field(res, PG_DIAG_COLUMN_NAME)), sql, message);
    if (state == QLatin1String("55P03") || state == QLatin1String("40P01") || state == QLatin1String("40001"))
        e.cause = DbError::Cause::Busy;
    else if (state == QLatin1String("53100"))
        e.cause = DbError::Cause::DiskFull;
    else if (state == QLatin1String("25006"))
        e.cause = DbError::Cause::ReadOnly;
    else if (state == QLatin1String("42501"))
        e.cause = DbError::Cause::NoAccess;
    if (number == DbError::ObjectNotFound || number == DbError::UnknownColumn)
        m_columnCache.clear();
    throw e;
}

void PostgresProvider::plain(const QString &sql)
{
    if (!m_conn)
        throw DbError(DbError::ProviderFailure, QStringLiteral("数据库连接已关闭。"), sql);
    Result r = wrap(PQexec(m_conn, sql.toUtf8().constData()));
    if (failed(r.get()))
        fail(r.get(), sql);
}

void PostgresProvider::executeNative(const QString &sql)
{
    plain(sql);
    m_columnCache.clear();
}

bool PostgresProvider::inTransaction() const { return m_conn && PQtransactionStatus(m_conn) != PQTRANS_IDLE; }

void PostgresProvider::setCommandTimeout(int seconds)
{
    if (m_conn)
        plain(QStringLiteral("SET statement_timeout = %1").arg(qMax(0, seconds) * 1000));
}

// The language's functions: created on the first connection to a database, replaced by a newer
// program; two desks starting at once create them once.
void PostgresProvider::ensureFunctions()
{
    // read from the catalogue: calling a function that is not there yet would end the transaction
    const QString versionSql = QStringLiteral("select coalesce((select substring(prosrc from '[0-9]+')::int from pg_proc "
                                              "where oid = to_regprocedure('acc.version()')), 0)");
    auto installed = [&] {
        Result r = wrap(PQexec(m_conn, versionSql.toUtf8().constData()));
        return failed(r.get()) || PQntuples(r.get()) != 1 ? 0 : QByteArray(PQgetvalue(r.get(), 0, 0)).toInt();
    };
    if (installed() >= pgfunctions::kVersion)
        return;
    plain(QStringLiteral("BEGIN"));
    try {
        plain(QStringLiteral("SELECT pg_advisory_xact_lock(7262001)"));
        if (installed() < pgfunctions::kVersion) {
            for (const char *script : {pgfunctions::valuesScript(), pgfunctions::operatorsScript(),
                                       pgfunctions::libraryScript(), pgfunctions::formatScript()})
                plain(QString::fromUtf8(script));
            plain(QStringLiteral("create or replace function acc.version() returns int language sql immutable as "
                                 "'select %1'").arg(pgfunctions::kVersion));
        }
        plain(QStringLiteral("COMMIT"));
    } catch (...) {
        Result r = wrap(PQexec(m_conn, "ROLLBACK"));
        throw;
    }
}

int PostgresProvider::run(const QString &sqlText, const QVariantList &params, ResultSet *out)
{
    if (!m_conn)
        throw DbError(DbError::ProviderFailure, QStringLiteral("数据库连接已关闭。"), sqlText);
    QList<jet::ValueType> types;
    for (const QVariant &v : params)
        types << bind(v).valueType;
    const SchemaLookup lookup = [this](const QString &t) {
        const QString key = t.toLower();
        auto it = m_columnCache.find(key);
        if (it == m_columnCache.end())
            it = m_columnCache.insert(key, columns(t));
        return *it;
    };
    const QStringList statements = translateAccessSqlForPostgres(sqlText, lookup, types);
    if (statements.isEmpty())
        return 0;
    if (isDefinition(sqlText) || statements.size() > 1)
        m_columnCache.clear();
    // One statement of the system's SQL is one unit: in a transaction a failed one leaves the
    // transaction usable (as in the local file), several made of one succeed or fail together.
    const bool outer = !inTransaction();
    const bool several = statements.size() > 1;
    if (!outer || several)
        plain(outer ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT rsgz_statement"));
    try {
        int changed = 0;
        for (int s = 0; s < statements.size(); ++s)
            changed += runTranslated(statements.at(s), sqlText, params, s == statements.size() - 1 ? out : nullptr);
        if (!outer || several)
            plain(outer ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE SAVEPOINT rsgz_statement"));
        if (several)
            m_columnCache.clear();
        return changed;
    } catch (...) {
        if (!outer || several) {
            Result r = wrap(PQexec(m_conn, outer ? "ROLLBACK" : "ROLLBACK TO SAVEPOINT rsgz_statement; RELEASE SAVEPOINT rsgz_statement"));
        }
        throw;
    }
}

int PostgresProvider::runTranslated(const QString &statement, const QString &sqlText, const QVariantList &params,
                                    ResultSet *out)
{
    const int count = std::min<int>(parametersNamed(statement), int(params.size()));
    std::vector<Bound> bound;
    std::vector<const char *> values(size_t(count), nullptr);
    std::vector<int> lengths(size_t(count), 0), formats(size_t(count), 0);
    std::vector<Oid> types(size_t(count), 0);
    bound.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        bound.push_back(bind(params.at(i)));
        const Bound &b = bound.back();
        values[size_t(i)] = b.null ? nullptr : b.data.constData();
        lengths[size_t(i)] = int(b.data.size());
        formats[size_t(i)] = b.binary ? 1 : 0;
        types[size_t(i)] = b.type;
    }
    const QByteArray utf8 = statement.toUtf8();
    Result r = wrap(PQexecParams(m_conn, utf8.constData(), count, types.data(), values.data(), lengths.data(),
                                 formats.data(), 0));
    if (failed(r.get()))
        fail(r.get(), sqlText);
    if (PQresultStatus(r.get()) == PGRES_TUPLES_OK) {
        if (out) {
            out->columns.clear();
            out->rows.clear();
            const int ncol = PQnfields(r.get()), nrow = PQntuples(r.get());
            for (int c = 0; c < ncol; ++c)
                out->columns << QString::fromUtf8(PQfname(r.get(), c));
            out->rows.reserve(nrow);
            for (int row = 0; row < nrow; ++row) {
                QVariantList values;
                values.reserve(ncol);
                for (int c = 0; c < ncol; ++c)
                    values.append(valueOf(r.get(), row, c));
                out->rows.append(std::move(values));
            }
        }
        return 0;
    }
    return QByteArray(PQcmdTuples(r.get())).toInt();
}

int PostgresProvider::execute(const QString &sql, const QVariantList &params) { return run(sql, params, nullptr); }

ResultSet PostgresProvider::query(const QString &sql, const QVariantList &params)
{
    ResultSet rs;
    run(sql, params, &rs);
    return rs;
}

QList<ColumnInfo> PostgresProvider::columns(const QString &table)
{
    QList<ColumnInfo> result;
    if (!m_conn)
        return result;
    QString name = table.trimmed();
    if ((name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        || (name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"'))))
        name = name.mid(1, name.size() - 2);
    const char *sql =
        "select a.attname, format_type(a.atttypid, a.atttypmod), tn.nspname, t.typname, a.attnotnull, "
        "a.attidentity <> '', pg_get_expr(d.adbin, d.adrelid), "
        "exists (select 1 from pg_index i where i.indrelid = a.attrelid and i.indisprimary and a.attnum = any(i.indkey)), "
        "exists (select 1 from pg_index i where i.indrelid = a.attrelid and i.indkey[0] = a.attnum and i.indpred is null), "
        "exists (select 1 from pg_index i where i.indrelid = a.attrelid and i.indisunique and i.indnatts = 1 "
        "and i.indkey[0] = a.attnum and i.indpred is null) "
        "from pg_attribute a join pg_type t on t.oid = a.atttypid join pg_namespace tn on tn.oid = t.typnamespace "
        "left join pg_attrdef d on d.adrelid = a.attrelid and d.adnum = a.attnum "
        "where a.attrelid = to_regclass(quote_ident($1)) and a.attnum > 0 and not a.attisdropped order by a.attnum";
    const QByteArray key = name.toLower().toUtf8();
    const char *values[] = {key.constData()};
    Result r = wrap(PQexecParams(m_conn, sql, 1, nullptr, values, nullptr, nullptr, 0));
    if (failed(r.get()))
        fail(r.get(), QString::fromUtf8(sql));
    for (int row = 0; row < PQntuples(r.get()); ++row) {
        auto text = [&](int c) { return QString::fromUtf8(PQgetvalue(r.get(), row, c)); };
        ColumnInfo c;
        c.name = text(0);
        c.declaredType = accessType(text(1), text(2), text(3));
        c.notNull = text(4) == QLatin1String("t");
        c.autoIncrement = text(5) == QLatin1String("t");
        if (!PQgetisnull(r.get(), row, 6))
            c.defaultSql = text(6);
        c.primaryKey = text(7) == QLatin1String("t");
        c.leadsIndex = text(8) == QLatin1String("t");
        c.unique = text(9) == QLatin1String("t");
        result.append(c);
    }
    return result;
}

// ---- error numbering ----------------------------------------------------------------------------

int dbErrorNumberForSqlstate(const QString &state)
{
    static const QHash<QString, int> exact = {
        {QStringLiteral("42P01"), DbError::ObjectNotFound},    {QStringLiteral("42703"), DbError::UnknownColumn},
        {QStringLiteral("22012"), DbError::DivisionByZero},    {QStringLiteral("22003"), DbError::Overflow},
        {QStringLiteral("22P02"), DbError::TypeMismatch},      {QStringLiteral("42804"), DbError::TypeMismatch},
        {QStringLiteral("22023"), DbError::InvalidCall},       {QStringLiteral("2201E"), DbError::InvalidCall},
        {QStringLiteral("2201F"), DbError::InvalidCall},       {QStringLiteral("22008"), DbError::InvalidCall},
        {QStringLiteral("22001"), DbError::ConstraintRefused}, {QStringLiteral("P0001"), DbError::ConstraintRefused},
        {QStringLiteral("28P01"), DbError::LoginRefused},      {QStringLiteral("28000"), DbError::LoginRefused},
    };
    if (const auto it = exact.constFind(state); it != exact.constEnd())
        return *it;
    if (state.startsWith(QLatin1String("23")))
        return DbError::ConstraintRefused;  // unique, not null, check, foreign key
    if (state.startsWith(QLatin1String("42")))
        return DbError::SyntaxError;  // syntax, an existing object, unknown function or operator, ambiguity
    return DbError::ProviderFailure;
}

QString dbErrorDescriptionForPostgres(int number, const QString &state, const QString &message, const QString &column)
{
    // The name in double quotes that a PostgreSQL message gives first ('relation "rsda" does not exist').
    static const QRegularExpression quoted(QStringLiteral("\"([^\"]*)\""));
    const QString name = quoted.match(message).captured(1);
    switch (number) {
    case DbError::ObjectNotFound:
        return QStringLiteral("找不到输入表或查询“%1”。").arg(name);
    case DbError::UnknownColumn:
        return QStringLiteral("找不到字段“%1”。").arg(name);
    case DbError::SyntaxError:
        if (state == QLatin1String("42P07") || state == QLatin1String("42701") || state == QLatin1String("42710"))
            return QStringLiteral("对象已存在：%1").arg(message);
        return QStringLiteral("SQL 语句错误：%1").arg(message);
    case DbError::ConstraintRefused:
        if (state == QLatin1String("22001"))
            return QStringLiteral("字段太小，不能接受所要添加的数据的数量。试着插入或粘贴较少的数据。");
        if (state == QLatin1String("23505"))
            return QStringLiteral("由于将在索引、主关键字或关系中创建重复的值，请求对表的改变没有成功。");
        if (state == QLatin1String("23502"))
            return QStringLiteral("字段“%1”不能包含 Null 值。").arg(column.isEmpty() ? name : column);
        if (state == QLatin1String("P0001"))
            return message;  // a refusal worded by the database itself
        return QStringLiteral("数据违反了表的约束：%1").arg(message);
    case DbError::LoginRefused:
        return QStringLiteral("登录失败：%1").arg(message);
    case DbError::TypeMismatch:
    case DbError::Overflow:
    case DbError::DivisionByZero:
    case DbError::InvalidCall:
        return dbErrorDescriptionForSqlite(number, message);
    default:
        if (state == QLatin1String("55P03") || state == QLatin1String("40P01") || state == QLatin1String("40001"))
            return dbErrorCauseDescription(DbError::Cause::Busy);
        if (state == QLatin1String("57014"))
            return QStringLiteral("数据库操作超时，已取消。");
        if (state.startsWith(QLatin1String("08")))
            return QStringLiteral("与数据库服务器的连接中断：%1").arg(message);
        return message;
    }
}
