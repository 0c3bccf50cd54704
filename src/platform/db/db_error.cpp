// DbError construction and the SQLite → ADO error numbering.
#include "platform/db/db_error.h"

#include "platform/db/access_values.h"

#include <sqlite3.h>

DbError::DbError(int number_, QString description_, QString sql_, QString nativeText_)
    : number(number_), description(std::move(description_)), sql(std::move(sql_)),
      nativeText(std::move(nativeText_))
{
    cause = dbErrorCauseOf(nativeText);
    if (cause == Cause::Statement)
        cause = dbErrorCauseOf(description);
    m_what = QStringLiteral("%1 (%2)%3")
                 .arg(description)
                 .arg(number)
                 .arg(sql.isEmpty() ? QString() : QStringLiteral(" in: ") + sql)
                 .toStdString();
}

DbError::DbError(Cause cause_, int number_, QString description_, QString nativeText_)
    : DbError(number_, std::move(description_), {}, std::move(nativeText_))
{
    cause = cause_;
}

QString DbError::numbered(const QString &between) const
{
    return fromSurroundings() ? description : description + between + QString::number(number);
}

namespace {

bool startsWithAny(const QString &m, std::initializer_list<const char *> texts)
{
    for (const char *t : texts)
        if (m.startsWith(QLatin1String(t)))
            return true;
    return false;
}

bool containsAny(const QString &m, std::initializer_list<const char *> texts)
{
    for (const char *t : texts)
        if (m.contains(QLatin1String(t)))
            return true;
    return false;
}

// The name after "prefix" in a SQLite message ("no such table: rsda" → "rsda").
QString nameAfter(const QString &message, const QString &prefix)
{
    const int at = int(message.indexOf(prefix, 0, Qt::CaseInsensitive));
    if (at < 0)
        return {};
    return message.mid(at + prefix.size()).section(QLatin1Char(' '), 0, 0).trimmed();
}

struct CauseText {
    DbError::Cause cause;
    const char *sqlite;   // SQLite's message for it (sqlite3_errstr), lower case
    const char *chinese;  // what a person is shown
};

const CauseText kCauses[] = {
    {DbError::Cause::Busy, "database is locked", "数据库正被其他程序使用，请稍后再试。"},
    {DbError::Cause::Busy, "database table is locked", "数据库正被其他程序使用，请稍后再试。"},
    {DbError::Cause::Busy, "database schema is locked", "数据库正被其他程序使用，请稍后再试。"},
    {DbError::Cause::ReadOnly, "attempt to write a readonly database",
     "数据库文件或它所在的文件夹是只读的，不能写入。请检查文件和文件夹的写入权限。"},
    {DbError::Cause::NoAccess, "access permission denied", "没有访问数据库文件的权限。"},
    {DbError::Cause::DiskFull, "database or disk is full", "磁盘已满，数据无法写入。"},
    {DbError::Cause::DiskIo, "disk i/o error", "读写磁盘时出错，数据无法读写。"},
    {DbError::Cause::NotDatabase, "file is not a database", "文件不是数据库，或者已经损坏。"},
    {DbError::Cause::NotDatabase, "database disk image is malformed", "文件不是数据库，或者已经损坏。"},
};

} // namespace

DbError::Cause dbErrorCauseOf(const QString &text)
{
    if (text.isEmpty())
        return DbError::Cause::Statement;
    const QString m = text.toLower();
    for (const CauseText &c : kCauses)
        if (m.contains(QLatin1String(c.sqlite)) || text.contains(QString::fromUtf8(c.chinese)))
            return c.cause;
    return DbError::Cause::Statement;
}

QString dbErrorCauseDescription(DbError::Cause cause)
{
    for (const CauseText &c : kCauses)
        if (c.cause == cause)
            return QString::fromUtf8(c.chinese);
    return {};
}

int dbErrorNumberForSqlite(int resultCode, const QString &message)
{
    const int primary = resultCode & 0xff;
    if (primary == SQLITE_CONSTRAINT)
        return DbError::ConstraintRefused;
    if (primary == SQLITE_MISMATCH)
        return DbError::TypeMismatch;
    // The expression language's own faults, raised by its functions and operators.
    if (message == QString::fromUtf8(accval::kOverflowText))
        return DbError::Overflow;
    if (message == QString::fromUtf8(accval::kDivisionByZeroText))
        return DbError::DivisionByZero;
    if (message == QString::fromUtf8(accval::kInvalidCallText))
        return DbError::InvalidCall;
    if (message == QString::fromUtf8(accval::kTypeMismatchText))
        return DbError::TypeMismatch;
    if (primary != SQLITE_ERROR)
        return DbError::ProviderFailure;  // cannot open, not a database, busy, locked, read-only, I/O ...
    const QString m = message.toLower();
    if (startsWithAny(m, {"no such table", "no such view", "no such index", "no such trigger"}))
        return DbError::ObjectNotFound;
    if (m.startsWith(QLatin1String("no such column")) || m.contains(QLatin1String("has no column named")))
        return DbError::UnknownColumn;
    // Faults of the statement itself; the old engine reported them all as errors in the command,
    // an existing table or column included.
    if (containsAny(m, {"syntax error", "already exists", "duplicate column", "ambiguous column"})
        || startsWithAny(m, {"incomplete input", "unrecognized token", "no such function", "wrong number of arguments",
                             "misuse of", "no such collation", "cannot add a", "near \""})
        || (m.contains(QLatin1String(" columns but ")) && m.contains(QLatin1String("values were supplied"))))
        return DbError::SyntaxError;
    return DbError::ProviderFailure;
}

QString dbErrorDescriptionForSqlite(int number, const QString &message)
{
    const QString m = message.toLower();
    switch (number) {
    case DbError::ObjectNotFound: {
        QString name = nameAfter(message, QStringLiteral(": "));
        return QStringLiteral("找不到输入表或查询“%1”。").arg(name);
    }
    case DbError::UnknownColumn: {
        QString name = nameAfter(message, QStringLiteral("no such column: "));
        if (name.isEmpty())
            name = nameAfter(message, QStringLiteral("has no column named "));
        return QStringLiteral("找不到字段“%1”。").arg(name);
    }
    case DbError::SyntaxError:
        if (m.contains(QLatin1String("already exists")))
            return QStringLiteral("对象已存在：%1").arg(message);
        return QStringLiteral("SQL 语句错误：%1").arg(message);
    case DbError::ConstraintRefused:
        if (m.contains(QLatin1String("check constraint")) && m.contains(QLatin1String("length(")))
            return QStringLiteral("字段太小，不能接受所要添加的数据的数量。试着插入或粘贴较少的数据。");
        if (m.contains(QLatin1String("unique")) || m.contains(QLatin1String("primary key")))
            return QStringLiteral("由于将在索引、主关键字或关系中创建重复的值，请求对表的改变没有成功。");
        if (m.contains(QLatin1String("not null")))
            return QStringLiteral("字段“%1”不能包含 Null 值。").arg(nameAfter(message, QStringLiteral("not null constraint failed: ")));
        if (!m.contains(QLatin1String("constraint failed")))
            return message;  // a refusal worded by a trigger of the database itself
        return QStringLiteral("数据违反了表的约束：%1").arg(message);
    case DbError::TypeMismatch:
        return QStringLiteral("表达式中类型不匹配。");
    case DbError::Overflow:
        return QStringLiteral("溢出：数值超出了它的类型或字段所能容纳的范围。");
    case DbError::DivisionByZero:
        return QStringLiteral("除数为零。");
    case DbError::InvalidCall:
        return QStringLiteral("无效的过程调用或参数。");
    default:
        if (const DbError::Cause cause = dbErrorCauseOf(message); cause != DbError::Cause::Statement)
            return dbErrorCauseDescription(cause);
        return message;
    }
}
