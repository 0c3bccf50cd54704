// bench_payroll --server: generation, copy and the calculation on a PostgreSQL database beside the
// same SQL sent plainly through libpq, and two processes computing months at once.
#pragma once

#include "app/first_run.h"
#include "dictionary/personnel_tables.h"
#include "dictionary/wage_formulas.h"
#include "payroll/wage_calculation.h"
#include "payroll/wage_months.h"
#include "platform/db/connection.h"
#include "platform/db/sql_translation.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <libpq-fe.h>

namespace server_bench {

struct Cluster {
    QString host, user, password;
    int port = 0;
    QString settingsFile;
};

QString conninfo(const Cluster &c, const QString &database)
{
    return QStringLiteral("host=%1 port=%2 user=%3 password=%4 dbname=%5").arg(c.host).arg(c.port).arg(c.user, c.password, database);
}

PGconn *connect(const Cluster &c, const QString &database)
{
    PGconn *pg = PQconnectdb(conninfo(c, database).toUtf8().constData());
    if (PQstatus(pg) != CONNECTION_OK) {
        std::fprintf(stderr, "connect: %s\n", PQerrorMessage(pg));
        std::exit(1);
    }
    PQsetNoticeProcessor(pg, [](void *, const char *) {}, nullptr);
    return pg;
}

void run(PGconn *pg, const QString &sql)
{
    PGresult *r = PQexec(pg, sql.toUtf8().constData());
    if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK) {
        std::fprintf(stderr, "plain: %s\n%s\n", PQresultErrorMessage(r), qPrintable(sql.left(300)));
        std::exit(1);
    }
    PQclear(r);
}

Cluster readCluster(const QString &settings)
{
    QSettings s(settings, QSettings::IniFormat);
    s.beginGroup(QStringLiteral("main"));
    return {s.value(QStringLiteral("server")).toString(), s.value(QStringLiteral("username")).toString(),
            s.value(QStringLiteral("password")).toString(), s.value(QStringLiteral("port")).toInt(), settings};
}

void open(Connection &cn, const Cluster &c, const QString &database)
{
    cn.openPostgres(c.host, c.port, database, c.user, c.password);
}

// The database of one size: n employees, eleven months, the ten formulas (as the SQLite bench has them).
void build(const Cluster &c, int n, const BenchItem *items, int itemCount)
{
    PGconn *admin = connect(c, QStringLiteral("postgres"));
    run(admin, QStringLiteral("drop database if exists bench_ours with (force)"));
    run(admin, QStringLiteral("drop database if exists bench_plain with (force)"));
    run(admin, QStringLiteral("create database bench_ours"));
    {
        Connection cn;
        open(cn, c, QStringLiteral("bench_ours"));
        SetFirstUseTables(&ModJgupdate::CreateFirstUseTables);
        CreateSchemaIfMissing(cn);
        for (int i = 0; i < itemCount; ++i)
            cn.execute(QStringLiteral("update rs_codedict set hzgs=?, hztj=?, can_show='1' where table_code='rsgz' and colm_code=?"),
                       {QString::fromUtf8(items[i].formula),
                        items[i].condition ? QVariant(QString::fromUtf8(items[i].condition)) : QVariant(),
                        QString::fromUtf8(items[i].code)});
        cn.executeNative(QStringLiteral(
            "insert into rsda (f1,f2,f3,f4,f5,f6,f8,f9) select lpad(i::text, 6, '0'), '员工' || i, 'A', "
            "case when i % 2 = 1 then '男' else '女' end, 1500 + (i * 37) % 6000, '6222020200112233445', '健身路1号', "
            "'010-12345678' from generate_series(1, %1) i").arg(n));
        QString cols, values;
        for (int t = 1; t <= 40; ++t) {
            cols += QStringLiteral(",t%1").arg(t);
            values += t <= 9 || t >= 39 ? QStringLiteral(",(i * %1 * 13) %% 5000").arg(t).replace(QLatin1String("%%"), QLatin1String("%"))
                                        : QStringLiteral(",0");
        }
        cn.executeNative(QStringLiteral("insert into rsgz (f0,f1,f2%1) select '2004' || lpad(m::text, 2, '0'), lpad(i::text, 6, '0'), "
                                        "'员工' || i%2 from generate_series(1, 11) m, generate_series(1, %3) i")
                             .arg(cols, values)
                             .arg(n));
        cn.executeNative(QStringLiteral("analyze"));
    }
    run(admin, QStringLiteral("create database bench_plain template bench_ours"));
    PQfinish(admin);
}

// One process computing one month (the child of the two-process run): prints its milliseconds.
int calculateChild(const QString &settings, const QString &month)
{
    const Cluster c = readCluster(settings);
    Connection cn;
    open(cn, c, QStringLiteral("bench_ours"));
    QElapsedTimer t;
    t.start();
    const auto failure = ModGzjs::CalculateMonth(cn, month);
    std::printf("%s %.1f %s\n", qPrintable(month), double(t.nsecsElapsed()) / 1e6,
                failure ? qPrintable(ModGzjs::CalcFailureMessage(*failure).section(QLatin1Char('\n'), 0, 0)) : "ok");
    return failure ? 1 : 0;
}

// Two processes at once on the months given; the wall time and each one's line.
void twoAtOnce(const QString &program, const Cluster &c, const QString &a, const QString &b, const char *name, int n)
{
    QProcess first, second;
    QElapsedTimer t;
    t.start();
    first.start(program, {QStringLiteral("--server-calculate"), c.settingsFile, a});
    second.start(program, {QStringLiteral("--server-calculate"), c.settingsFile, b});
    first.waitForFinished(-1);
    second.waitForFinished(-1);
    const double wall = double(t.nsecsElapsed()) / 1e6;
    std::printf("bench %s n=%d wall_ms=%.1f first: %s second: %s\n", name, n, wall,
                qPrintable(QString::fromUtf8(first.readAllStandardOutput()).trimmed()),
                qPrintable(QString::fromUtf8(second.readAllStandardOutput()).trimmed()));
    std::fflush(stdout);
}

} // namespace server_bench
