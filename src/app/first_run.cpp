// First run: the schema of a new local database.
#include "app/first_run.h"

#include "app/permissions.h"
#include "platform/db/connection.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Tables the program expects to find in every database; the tables it creates itself on first use
// (mytable, rsda, rs_codedict, rsgz, gzjz) follow them through the first-use routine.
const char *const kBaseTables[] = {
    // Operators; "system" is built in and hidden from operator management (sys_tag 1).
    "create table czyzd (czy_no integer primary key autoincrement, czy_name text, czy_pass text, "
    "zwlx text, sys_tag integer default 0)",
    // Permission names per operator.
    "create table czy ([name] text, czy_id integer, nr text)",
    // Job types offered when an operator is added.
    "create table zwlx (zwlx text, zwlxbm text)",
    // Operator activity log; the start time is filled in by the database, as local time text.
    "create table czyrz (tag integer primary key autoincrement, czyname text, czyxm text, "
    "init_time datetime default now(), last_time datetime)",
    // Personnel field dictionary; can_show is text so that a number 1 written into it reads back "1".
    "create table dh_codedict (id_no integer primary key autoincrement, xh integer, table_code text, "
    "table_name text, colm_code text, colm_name text, colm_type text, colm_cd integer, can_show text, "
    "nullbj text, colm_width integer, memo text)",
    // Print dictionary.
    "create table PR_codedict (id_no integer primary key autoincrement, xh integer, table_code text, "
    "table_name text, colm_code text, colm_name text, colm_type text, colm_cd integer, can_show text, "
    "colm_dq text, con_type text, sum_tag text)",
    // Department codes.
    "create table bmcode (bmcode text unique, name text, cg text, bmsm text, fzr text, dh text, "
    "point_h text, zzbj boolean, used_tag boolean)",
    // A table of the suite; only the type of its id is used (new tables copy it as their key).
    "create table ckv_zc (id integer primary key autoincrement)",
};

// Job types: name and code. The first one is what operator management preselects.
const char *const kJobTypes[][2] = {
    {"操作员", "01"}, {"管理员", "02"}, {"财务", "03"}, {"人事", "04"}, {"前台", "05"},
};

FirstUseTables g_firstUseTables = nullptr;

} // namespace

void SetFirstUseTables(FirstUseTables create) { g_firstUseTables = create; }

void CreateCompleteSchema(Connection &cn)
{
    CreateBaseSchema(cn);
    if (g_firstUseTables)
        g_firstUseTables(cn);
}

void CreateBaseSchema(Connection &cn)
{
    for (const char *sql : kBaseTables)
        cn.execute(QString::fromUtf8(sql));
    for (const auto &job : kJobTypes)
        cn.execute(QStringLiteral("insert into zwlx (zwlx, zwlxbm) values (?, ?)"),
                   {QString::fromUtf8(job[0]), QString::fromUtf8(job[1])});
    cn.execute(QStringLiteral("insert into czyzd (czy_name, czy_pass, zwlx, sys_tag) values ('system', '', ?, 1)"),
               {QString::fromUtf8(kJobTypes[1][0])});
    for (const QString &name : kPermissionNames)
        cn.execute(QStringLiteral("insert into czy ([name], czy_id, nr) values ('system', 1, ?)"), {name});
}

void CreateSchemaIfMissing(Connection &cn)
{
    Transaction tx(cn);
    if (cn.postgresHandle())
        cn.executeNative(QStringLiteral("select pg_advisory_xact_lock(7262003)"));
    if (!cn.tableExists(QStringLiteral("czyzd")))
        CreateCompleteSchema(cn);
    tx.commit();
}

void CreateDefaultDatabase(const QString &path)
{
    if (QFileInfo::exists(path))
        throw DbError(DbError::ProviderFailure, QStringLiteral("文件“%1”已存在。").arg(path));
    const QString folder = QFileInfo(path).absolutePath();
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0 && errno == EACCES)
        throw DbError(DbError::Cause::NoAccess, DbError::ProviderFailure,
                      QStringLiteral("无法创建数据库文件“%1”：没有权限进入文件夹“%2”。").arg(path, folder));
    if (!QFileInfo(folder).isDir())
        throw DbError(DbError::ProviderFailure,
                      QStringLiteral("无法创建数据库文件“%1”：文件夹“%2”不存在。").arg(path, folder));
    if (::euidaccess(QFile::encodeName(folder).constData(), W_OK) != 0)
        throw DbError(DbError::Cause::ReadOnly, DbError::ProviderFailure,
                      QStringLiteral("无法创建数据库文件“%1”：文件夹“%2”是只读的，没有写入权限。").arg(path, folder));
    // The file is made readable by its owner alone before anything is written into it: it will
    // hold the passwords and the pay.
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            throw DbError(DbError::ProviderFailure,
                          QStringLiteral("无法创建数据库文件“%1”：%2").arg(path, file.errorString()));
    }
    try {
        Connection cn;
        cn.openFile(path, true);
        Transaction tx(cn);
        CreateCompleteSchema(cn);
        tx.commit();
        cn.close();
    } catch (...) {
        // A half-made file would be taken for a database at the next start.
        QFile::remove(path);
        throw;
    }
}
