// ModServerBackup: pg_dump and pg_restore run for the server database of the connection.
#include "operators/server_backup.h"

#include "app/program_state.h"
#include "platform/db/connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <libpq-fe.h>

namespace ModServerBackup {

namespace {

constexpr int kToolTimeoutMs = 30 * 60 * 1000;

void setWhy(QString *why, const QString &text)
{
    if (why)
        *why = text;
}

// Runs a client program for cn's database (its host, port, user, password and database);
// its standard output in out. False with the reason in why.
bool runTool(Connection &cn, const QString &name, QStringList args, QByteArray *out, QString *why)
{
    const QString tool = FindTool(name);
    if (tool.isEmpty()) {
        setWhy(why, MissingToolText(name));
        return false;
    }
    PGconn *pg = cn.postgresHandle();
    if (!pg) {
        setWhy(why, QStringLiteral("没有打开的 PostgreSQL 数据库。"));
        return false;
    }
    args << QStringLiteral("--host=%1").arg(QString::fromUtf8(PQhost(pg))) << QStringLiteral("--port=%1").arg(QString::fromUtf8(PQport(pg)))
         << QStringLiteral("--username=%1").arg(QString::fromUtf8(PQuser(pg)));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), QString::fromUtf8(PQpass(pg)));
    env.insert(QStringLiteral("PGDATABASE"), QString::fromUtf8(PQdb(pg)));
    p.setProcessEnvironment(env);
    p.start(tool, args);
    if (!p.waitForStarted() || !p.waitForFinished(kToolTimeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        const QString err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        setWhy(why, QStringLiteral("%1 没有完成：%2").arg(name, err.isEmpty() ? p.errorString() : err));
        p.kill();
        p.waitForFinished();
        return false;
    }
    if (out)
        *out = p.readAllStandardOutput();
    return true;
}

QString dumpBackupCurrent(Connection &cn, const QString &keep, QString *why)
{
    QString target = Modulback::BackupTargetName(strDataPath, QDateTime::currentDateTime());
    const QString stem = target.chopped(4);
    for (int n = 1; QFileInfo(target) == QFileInfo(keep); ++n)
        target = stem + QStringLiteral("-%1.bak").arg(n);
    return DumpDatabase(cn, target, why) == Modulback::CopyResult::Done ? target : QString();
}

// A pg_dump archive of this program's data: pg_restore reads its table of contents and finds the operators' table.
QString prepareDump(const QString &backup, QString *why)
{
    const QString tool = FindTool(QStringLiteral("pg_restore"));
    if (tool.isEmpty()) {
        setWhy(why, MissingToolText(QStringLiteral("pg_restore")));
        return {};
    }
    QProcess p;
    p.start(tool, {QStringLiteral("--list"), backup});
    const bool ran = p.waitForFinished(kToolTimeoutMs) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!ran || !QString::fromUtf8(p.readAllStandardOutput()).contains(QLatin1String(" TABLE public czyzd "))) {
        setWhy(why, QStringLiteral("它不是本程序的 PostgreSQL 数据备份（pg_dump 备份文件）。"));
        return {};
    }
    return backup;
}

// The dump's statements, made to run inside one transaction of the connection: its settings last
// only as long as that transaction, the client program's own commands are dropped.
QString restoreScript(const QByteArray &script)
{
    QStringList out;
    for (QString line : QString::fromUtf8(script).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('\\')))
            continue;
        if (line.startsWith(QLatin1String("SET ")))
            line.insert(4, QLatin1String("LOCAL "));
        line.replace(QLatin1String("set_config('search_path', '', false)"), QLatin1String("set_config('search_path', '', true)"));
        out << line;
    }
    return out.join(QLatin1Char('\n'));
}

bool replaceData(Connection &cn, const QString &prepared, QString *why)
{
    QByteArray script;
    if (!runTool(cn, QStringLiteral("pg_restore"), {QStringLiteral("--no-owner"), QStringLiteral("--no-privileges"),
                                                   QStringLiteral("--file=-"), prepared},
                 &script, why))
        return false;
    try {
        Transaction tx(cn);
        cn.executeNative(QStringLiteral("SET LOCAL statement_timeout = 0"));  // a large payroll takes its time
        cn.executeNative(QStringLiteral("DROP SCHEMA IF EXISTS rsgz_replaced CASCADE"));
        cn.executeNative(QStringLiteral("ALTER SCHEMA public RENAME TO rsgz_replaced"));
        cn.executeNative(restoreScript(script));
        cn.executeNative(QStringLiteral("DROP SCHEMA rsgz_replaced CASCADE"));
        tx.commit();
    } catch (const DbError &e) {
        setWhy(why, e.description);
        return false;
    }
    return true;
}

} // namespace

QString FindTool(const QString &name)
{
    const QString onPath = QStandardPaths::findExecutable(name);
    if (!onPath.isEmpty())
        return onPath;
    // Debian keeps the client programs of each version in a folder of its own; the newest reads every older server.
    QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(), [](const QString &a, const QString &b) { return a.toDouble() > b.toDouble(); });
    for (const QString &v : versions) {
        const QString path = QStringLiteral("/usr/lib/postgresql/%1/bin/%2").arg(v, name);
        if (QFileInfo(path).isExecutable())
            return path;
    }
    return {};
}

QString MissingToolText(const QString &name)
{
    return QStringLiteral("找不到 PostgreSQL 的程序 %1，请安装 PostgreSQL 客户端（Debian 的 postgresql-client 软件包）。").arg(name);
}

Modulback::CopyResult DumpDatabase(Connection &cn, const QString &target, QString *why)
{
    if (!QFileInfo(QFileInfo(target).absolutePath()).isDir())
        return Modulback::CopyResult::TargetNotReady;
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    // The data schema only: the expression language's functions come with the program.
    if (!runTool(cn, QStringLiteral("pg_dump"), {QStringLiteral("--format=custom"), QStringLiteral("--schema=public"),
                                                QStringLiteral("--rows-per-insert=1000"), QStringLiteral("--no-owner"),
                                                QStringLiteral("--no-privileges"), QStringLiteral("--file=") + part},
                 nullptr, why)) {
        QFile::remove(part);
        return Modulback::CopyResult::Failed;
    }
    QFile::setPermissions(part, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) != 0) {
        setWhy(why, QStringLiteral("无法替换文件“%1”：%2").arg(target, QString::fromLocal8Bit(std::strerror(errno))));
        QFile::remove(part);
        return Modulback::CopyResult::Failed;
    }
    return Modulback::CopyResult::Done;
}

ModRestore::Steps PostgresSteps() { return {&prepareDump, &dumpBackupCurrent, &replaceData}; }

} // namespace ModServerBackup
