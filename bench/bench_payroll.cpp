// bench_payroll: month generation, month copy and the calculation, the system's path beside plain SQLite.
#include "app/first_run.h"
#include "dictionary/personnel_import.h"
#include "dictionary/personnel_tables.h"
#include "dictionary/wage_formulas.h"
#include "payroll/trial_calculation.h"
#include "payroll/wage_calculation.h"
#include "payroll/wage_months.h"
#include "platform/db/access_functions.h"
#include "platform/db/connection.h"
#include "platform/print/sheet_reader.h"
#include "platform/print/sheet_writer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <sys/resource.h>


namespace {

// Ten formula items over the default dictionary, some with conditions, the totals last.
struct BenchItem {
    const char *code;
    const char *formula;
    const char *condition;
};
const BenchItem kItems[] = {
    {"T2", "round(t1*0.1, 2)", "t1>=3000"},
    {"T3", "t1*0.05", "f1 like '%1'"},
    {"T4", "round(t1*0.08, 2)", nullptr},
    {"T5", "round(t1*0.07, 2)", nullptr},
    {"T6", "iif(t3>100, 20, 0)", "t2>0"},
    {"T7", "Int(t1/30)", nullptr},
    {"T8", "t7*2", "t1<4000"},
    {"T9", "Nz(t8, 0)+t6", nullptr},
    {"T39", "t1+t2+t3+t7+t8-t4-t5-t6", nullptr},
    {"T40", "t39-iif(t39>5000,(t39-5000)*0.1,0)", nullptr},
};

} // namespace

#include "payroll_server.h"

namespace {

void check(int rc, sqlite3 *db, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

void plainExec(sqlite3 *db, const QString &sql)
{
    char *err = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "plain: %s\n%s\n", err, qPrintable(sql));
        std::exit(1);
    }
}

// The database of one size: N employees, eleven months of N rows, the dictionary with ten formulas.
void buildDatabase(const QString &path, int n)
{
    CreateDefaultDatabase(path);
    Connection cn;
    cn.openFile(path);
    ModJgupdate::CreateWageTables(cn);
    ModJgupdate::WriteDefaultWageItems(cn);
    for (const BenchItem &item : kItems)
        cn.execute(QStringLiteral("update rs_codedict set hzgs=?, hztj=?, can_show='1' where table_code='rsgz' and colm_code=?"),
                   {QString::fromUtf8(item.formula),
                    item.condition ? QVariant(QString::fromUtf8(item.condition)) : QVariant(),
                    QString::fromUtf8(item.code)});

    sqlite3 *db = cn.sqliteHandle();
    check(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt *person = nullptr;
    check(sqlite3_prepare_v2(db, "insert into rsda (f1,f2,f3,f4,f5,f6,f8,f9) values (?,?,?,?,?,?,?,?)", -1, &person,
                             nullptr),
          db, "prepare rsda");
    for (int i = 1; i <= n; ++i) {
        const QByteArray number = QByteArray::number(i).rightJustified(6, '0');
        const QByteArray name = QStringLiteral("员工%1").arg(i).toUtf8();
        sqlite3_bind_text(person, 1, number.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(person, 2, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(person, 3, "A", -1, SQLITE_STATIC);
        sqlite3_bind_text(person, 4, i % 2 ? "男" : "女", -1, SQLITE_STATIC);
        sqlite3_bind_double(person, 5, 1500 + (i * 37) % 6000);
        sqlite3_bind_text(person, 6, "6222020200112233445", -1, SQLITE_STATIC);
        sqlite3_bind_text(person, 7, "健身路1号", -1, SQLITE_STATIC);
        sqlite3_bind_text(person, 8, "010-12345678", -1, SQLITE_STATIC);
        check(sqlite3_step(person), db, "insert rsda");
        sqlite3_reset(person);
    }
    sqlite3_finalize(person);

    QByteArray sql = "insert into rsgz (f0,f1,f2";
    for (int t = 1; t <= 40; ++t)
        sql += ",t" + QByteArray::number(t);
    sql += ") values (?,?,?";
    for (int t = 1; t <= 40; ++t)
        sql += ",?";
    sql += ")";
    sqlite3_stmt *wage = nullptr;
    check(sqlite3_prepare_v2(db, sql.constData(), -1, &wage, nullptr), db, "prepare rsgz");
    for (int m = 1; m <= 11; ++m) {
        const QByteArray month = "2004" + QByteArray::number(m).rightJustified(2, '0');
        for (int i = 1; i <= n; ++i) {
            const QByteArray number = QByteArray::number(i).rightJustified(6, '0');
            const QByteArray name = QStringLiteral("员工%1").arg(i).toUtf8();
            sqlite3_bind_text(wage, 1, month.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(wage, 2, number.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(wage, 3, name.constData(), -1, SQLITE_TRANSIENT);
            for (int t = 1; t <= 40; ++t)
                sqlite3_bind_double(wage, 3 + t, t <= 9 || t >= 39 ? double((i * t * 13) % 5000) : 0.0);
            check(sqlite3_step(wage), db, "insert rsgz");
            sqlite3_reset(wage);
        }
    }
    sqlite3_finalize(wage);
    check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db, "commit");
    cn.close();
}

// Wall time of one piece of work; with BENCH_CPU set, the process's CPU time is printed beside it
// on stderr (on a busy machine the two differ by the time spent waiting for a core).
double timeMs(const std::function<void()> &work)
{
    QElapsedTimer t;
    const std::clock_t c0 = std::clock();
    t.start();
    work();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (qEnvironmentVariableIsSet("BENCH_CPU"))
        std::fprintf(stderr, "  wall %.1f ms, cpu %.1f ms\n", ms, double(std::clock() - c0) * 1000.0 / CLOCKS_PER_SEC);
    return ms;
}

// The process's peak resident memory so far, in MB.
double peakRssMb()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void report(const char *name, int n, double ours, double plain)
{
    std::printf("bench %s n=%d ours_ms=%.1f plain_ms=%.1f ratio=%.2f rss_mb=%.0f\n", name, n, ours, plain, ours / plain,
                peakRssMb());
    std::fflush(stdout);
}

void runSize(int n, const QString &folder)
{
    const QString oursPath = folder + QStringLiteral("/ours_%1.db").arg(n);
    const QString plainPath = folder + QStringLiteral("/plain_%1.db").arg(n);
    buildDatabase(oursPath, n);
    QFile::copy(oursPath, plainPath);

    Connection cn;
    cn.openFile(oursPath);
    sqlite3 *plain = nullptr;
    if (sqlite3_open(plainPath.toUtf8().constData(), &plain) != SQLITE_OK)
        std::exit(1);
    registerAccessFunctions(plain);  // the formulas call Int and Nz on both sides

    // The plain side runs the very statements the system builds, prepared in advance.
    auto plainTx = [plain](const QStringList &statements) {
        plainExec(plain, QStringLiteral("begin"));
        for (const QString &s : statements)
            plainExec(plain, s);
        plainExec(plain, QStringLiteral("commit"));
    };
    QStringList calcStatements;
    for (const ModGzgs::FormulaItem &item : ModGzgs::ReadFormulaItems(cn, QStringLiteral("rsgz")))
        calcStatements << ModGzjs::CalcStatement(item, QStringLiteral("200412"));
    if (calcStatements.size() != 10)
        std::exit(2);

    // Several rounds of each figure, the best kept; which side goes first alternates by round.
    const int rounds = n <= 10000 ? 5 : 3;
    auto measure = [rounds](const char *name, int size, const std::function<void(int)> &oursWork,
                            const std::function<void(int)> &plainWork) {
        double ours = 1e99, base = 1e99;
        for (int r = 0; r < rounds; ++r) {
            if (r % 2 == 0) {
                ours = std::min(ours, timeMs([&] { oursWork(r); }));
                base = std::min(base, timeMs([&] { plainWork(r); }));
            } else {
                base = std::min(base, timeMs([&] { plainWork(r); }));
                ours = std::min(ours, timeMs([&] { oursWork(r); }));
            }
        }
        report(name, size, ours, base);
    };
    auto month = [](const char *prefix, int r) { return QLatin1String(prefix) + QString::number(r + 1); };

    measure(
        "generate", n, [&](int r) { ModGzsc::GenerateMonthFromPersonnel(cn, month("20060", r)); },
        [&](int r) { plainTx({ModGzsc::GenerateFromPersonnelSql(month("20060", r))}); });
    measure(
        "copy", n, [&](int r) { ModGzsc::CopyMonth(cn, month("20050", r), QStringLiteral("200411")); },
        [&](int r) {
            plainTx({ModGzsc::DeleteMonthSql(month("20050", r)), ModGzsc::CopyMonthSql(month("20050", r), QStringLiteral("200411"))});
        });
    // Copy onto a month that exists: the delete has rows to remove.
    measure(
        "copy_replace", n, [&](int r) { ModGzsc::CopyMonth(cn, month("20050", r), QStringLiteral("200410")); },
        [&](int r) {
            plainTx({ModGzsc::DeleteMonthSql(month("20050", r)), ModGzsc::CopyMonthSql(month("20050", r), QStringLiteral("200410"))});
        });

    // The calculation runs on a month that the generation made, as it would in use.
    ModGzsc::GenerateMonthFromPersonnel(cn, QStringLiteral("200412"));
    plainTx({ModGzsc::GenerateFromPersonnelSql(QStringLiteral("200412"))});
    measure(
        "calculate", n,
        [&](int) {
            if (ModGzjs::CalculateMonth(cn, QStringLiteral("200412"), nullptr, ModGzjs::CalcMode::ItemByItem))
                std::exit(3);
        },
        [&](int) { plainTx(calcStatements); });
    measure(
        "calculate_fused", n,
        [&](int) {
            if (ModGzjs::CalculateMonth(cn, QStringLiteral("200412"), nullptr, ModGzjs::CalcMode::Fused))
                std::exit(3);
        },
        [&](int) { plainTx(calcStatements); });

    // The trial runs the same calculation and rolls it back; plain is the real calculation.
    if (n >= 10000)
        measure(
            "trial_calculate", n,
            [&](int) {
                if (ModGzjs::TrialCalculation(cn, QStringLiteral("200412")).failure)
                    std::exit(6);
            },
            [&](int) { ModGzjs::CalculateMonth(cn, QStringLiteral("200412")); });

    // Both sides must have computed the same month.
    const QString totalSql = QStringLiteral("select count(*), sum(t40) from rsgz where f0='200412'");
    const ResultSet oursTotal = cn.query(totalSql);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(plain, totalSql.toUtf8().constData(), -1, &st, nullptr);
    sqlite3_step(st);
    const qint64 plainRows = sqlite3_column_int64(st, 0);
    const double plainSum = sqlite3_column_double(st, 1);
    sqlite3_finalize(st);
    if (oursTotal.rows.first().value(0).toLongLong() != n || plainRows != n ||
        std::abs(oursTotal.rows.first().value(1).toDouble() - plainSum) > 1e-6 * std::abs(plainSum)) {
        std::fprintf(stderr, "results differ\n");
        std::exit(4);
    }

    sqlite3_close(plain);
    cn.close();
    QFile::remove(oursPath);
    QFile::remove(plainPath);
}

// The month list of a wage table of employees × months rows: the system's statement against the
// same statement run plainly (SQLite groups every row).
void runMonthList(int employees, int months, const QString &folder)
{
    const QString path = folder + QStringLiteral("/months.db");
    CreateDefaultDatabase(path);
    Connection cn;
    cn.openFile(path);
    ModJgupdate::CreateWageTables(cn);
    sqlite3 *db = cn.sqliteHandle();
    const QByteArray fill = "with recursive e(i) as (select 1 union all select i + 1 from e where i < "
                            + QByteArray::number(employees)
                            + "), m(k) as (select 0 union all select k + 1 from m where k < " + QByteArray::number(months - 1)
                            + ") insert into rsgz (f0, f1, f2) select printf('%04d%02d', 2001 + k / 12, k % 12 + 1), "
                              "printf('%06d', i), 'e' || i from m, e";
    check(sqlite3_exec(db, fill.constData(), nullptr, nullptr, nullptr), db, "fill months");
    const QByteArray plainSql = ModGzsc::MonthListSql().toUtf8();
    double ours = 1e99, base = 1e99;
    qsizetype oursCount = 0, plainCount = 0;
    for (int r = 0; r < 5; ++r) {
        ours = std::min(ours, timeMs([&] { oursCount = ModGzsc::MonthList(cn).size(); }));
        base = std::min(base, timeMs([&] {
            sqlite3_stmt *st = nullptr;
            sqlite3_prepare_v2(db, plainSql.constData(), -1, &st, nullptr);
            plainCount = 0;
            while (sqlite3_step(st) == SQLITE_ROW)
                ++plainCount;
            sqlite3_finalize(st);
        }));
    }
    if (oursCount != months || plainCount != months) {
        std::fprintf(stderr, "month lists differ: %lld %lld\n", qlonglong(oursCount), qlonglong(plainCount));
        std::exit(5);
    }
    report("month_list", employees, ours, base);  // n employees, each in every one of the months
    cn.close();
    QFile::remove(path);
}

// Importing a workbook of employees: read, checked and inserted, against inserting the same rows
// through the C API.
void runImport(int n, const QString &folder)
{
    const QString path = folder + QStringLiteral("/import.db");
    const QString book = folder + QStringLiteral("/import.xlsx");
    CreateDefaultDatabase(path);
    Connection cn;
    cn.openFile(path);
    ModJgupdate::CreatePersonnelTables(cn);
    SheetWriter sheet(n + 1, 5);
    sheet.setRow(0, {QStringLiteral("员工编号"), QStringLiteral("姓名"), QStringLiteral("性别"), QStringLiteral("基本工资"),
                     QStringLiteral("电话")});
    for (int i = 1; i <= n; ++i)
        sheet.setRow(i, {QString::number(i).rightJustified(6, QLatin1Char('0')), QStringLiteral("员工%1").arg(i),
                         i % 2 ? QStringLiteral("男") : QStringLiteral("女"), QString::number(1500 + (i * 37) % 6000),
                         QStringLiteral("010-12345678")});
    if (!sheet.writeXlsx(book).isEmpty())
        std::exit(7);
    double ours = 1e99, base = 1e99;
    for (int r = 0; r < 3; ++r) {
        cn.execute(QStringLiteral("delete from rsda"));
        ours = std::min(ours, timeMs([&] {
            const ModRsdr::ImportPlan plan = ModRsdr::PlanImport(cn, ReadSheetFile(book));
            if (ModRsdr::RunImport(cn, plan) != n)
                std::exit(8);
        }));
        cn.execute(QStringLiteral("delete from rsda"));
        base = std::min(base, timeMs([&] {
            sqlite3 *db = cn.sqliteHandle();
            sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
            sqlite3_stmt *st = nullptr;
            sqlite3_prepare_v2(db, "insert into rsda (f1, f2, f4, f5, f9) values (?, ?, ?, ?, ?)", -1, &st, nullptr);
            for (int i = 1; i <= n; ++i) {
                for (int c = 0; c < 5; ++c) {
                    const QByteArray v = sheet.cell(i, c).toUtf8();
                    if (c == 3)
                        sqlite3_bind_double(st, c + 1, v.toDouble());
                    else
                        sqlite3_bind_text(st, c + 1, v.constData(), int(v.size()), SQLITE_TRANSIENT);
                }
                sqlite3_step(st);
                sqlite3_reset(st);
            }
            sqlite3_finalize(st);
            sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
        }));
    }
    report("import_xlsx", n, ours, base);
    cn.close();
}

// The server figures of one size: the system's path on a PostgreSQL database beside the same SQL
// sent through libpq (the generation and copy statements as the system writes them, which
// PostgreSQL reads as they stand; the calculation's statements as the translation writes them).
void runServerSize(int n, const server_bench::Cluster &c, const QString &program)
{
    using namespace server_bench;
    build(c, n, kItems, int(std::size(kItems)));
    Connection cn;
    open(cn, c, QStringLiteral("bench_ours"));
    PGconn *plain = connect(c, QStringLiteral("bench_plain"));
    auto plainTx = [plain](const QStringList &statements) {
        run(plain, QStringLiteral("begin"));
        for (const QString &sql : statements)
            run(plain, sql);
        run(plain, QStringLiteral("commit"));
    };
    const SchemaLookup lookup = [&cn](const QString &t) { return cn.columns(t); };
    QStringList calc;
    for (const ModGzgs::FormulaItem &item : ModGzgs::ReadFormulaItems(cn, QStringLiteral("rsgz")))
        calc << translateAccessSqlForPostgres(ModGzjs::CalcStatement(item, QStringLiteral("200412")), lookup);
    const int rounds = 3;
    auto measure = [&](const char *name, const std::function<void(int)> &ours, const std::function<void(int)> &base) {
        double o = 1e99, b = 1e99;
        for (int r = 0; r < rounds; ++r) {
            o = std::min(o, timeMs([&] { ours(r); }));
            b = std::min(b, timeMs([&] { base(r); }));
        }
        report(name, n, o, b);
    };
    auto month = [](const char *prefix, int r) { return QLatin1String(prefix) + QString::number(r + 1); };
    measure(
        "server_generate", [&](int r) { ModGzsc::GenerateMonthFromPersonnel(cn, month("20060", r)); },
        [&](int r) { plainTx({ModGzsc::GenerateFromPersonnelSql(month("20070", r))}); });
    measure(
        "server_copy", [&](int r) { ModGzsc::CopyMonth(cn, month("20050", r), QStringLiteral("200411")); },
        [&](int r) {
            plainTx({ModGzsc::DeleteMonthSql(month("20050", r)), ModGzsc::CopyMonthSql(month("20050", r), QStringLiteral("200411"))});
        });
    ModGzsc::GenerateMonthFromPersonnel(cn, QStringLiteral("200412"));
    plainTx({ModGzsc::GenerateFromPersonnelSql(QStringLiteral("200412"))});
    measure(
        "server_calculate",
        [&](int) {
            if (ModGzjs::CalculateMonth(cn, QStringLiteral("200412"), nullptr, ModGzjs::CalcMode::ItemByItem))
                std::exit(3);
        },
        [&](int) { plainTx(calc); });
    measure(
        "server_calculate_fused",
        [&](int) {
            if (ModGzjs::CalculateMonth(cn, QStringLiteral("200412")))
                std::exit(3);
        },
        [&](int) { plainTx(calc); });
    const QString total = QStringLiteral("select count(*), sum(t40) from rsgz where f0='200412'");
    PGresult *r = PQexec(plain, total.toUtf8().constData());
    const double plainSum = QByteArray(PQgetvalue(r, 0, 1)).toDouble();
    const qint64 plainRows = QByteArray(PQgetvalue(r, 0, 0)).toLongLong();
    PQclear(r);
    const QVariantList ours = cn.query(total).rows.value(0);
    if (ours.value(0).toLongLong() != n || plainRows != n || std::abs(ours.value(1).toDouble() - plainSum) > 1e-6 * std::abs(plainSum)) {
        std::fprintf(stderr, "results differ\n");
        std::exit(4);
    }
    PQfinish(plain);
    cn.close();

    // Two desks: different months at once, the same two one after the other, the same month at once.
    twoAtOnce(program, c, QStringLiteral("200410"), QStringLiteral("200411"), "server_two_processes_different_months", n);
    QElapsedTimer serial;
    serial.start();
    for (const char *m : {"200410", "200411"}) {
        QProcess one;
        one.start(program, {QStringLiteral("--server-calculate"), c.settingsFile, QLatin1String(m)});
        one.waitForFinished(-1);
    }
    std::printf("bench server_two_months_one_after_the_other n=%d wall_ms=%.1f\n", n, double(serial.nsecsElapsed()) / 1e6);
    twoAtOnce(program, c, QStringLiteral("200409"), QStringLiteral("200409"), "server_two_processes_same_month", n);
}

int runServer(const QList<int> &sizes, const QString &program)
{
    // The tests' cluster when one is named, otherwise a throw-away one of scripts/postgres.sh.
    QString settings = qEnvironmentVariable("RSGZ_TEST_POSTGRES");
    QTemporaryDir dir;
    const QString script = QStringLiteral(RSGZ_SOURCE_DIR "/scripts/postgres.sh");
    if (settings.isEmpty()) {
        if (QProcess::execute(script, {QStringLiteral("start"), dir.path() + QStringLiteral("/pg")}) != 0)
            return 1;
        settings = dir.path() + QStringLiteral("/pg/settings");
    }
    const server_bench::Cluster c = server_bench::readCluster(settings);
    for (int n : sizes)
        runServerSize(n, c, program);
    if (qEnvironmentVariableIsEmpty("RSGZ_TEST_POSTGRES"))
        QProcess::execute(script, {QStringLiteral("stop"), dir.path() + QStringLiteral("/pg")});
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QList<int> sizes{1000, 10000, 100000};
    if (argc > 3 && QByteArray(argv[1]) == "--server-calculate")
        return server_bench::calculateChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc > 1 && QByteArray(argv[1]) == "--server") {
        QList<int> serverSizes;
        for (int i = 2; i < argc; ++i)
            serverSizes << QByteArray(argv[i]).toInt();
        return runServer(serverSizes.isEmpty() ? QList<int>{10000, 100000} : serverSizes, QCoreApplication::applicationFilePath());
    }
    if (argc > 1 && QByteArray(argv[1]) == "import") {
        QTemporaryDir dir;
        runImport(10000, dir.path());
        return 0;
    }
    if (argc > 1 && QByteArray(argv[1]) == "months") {
        QTemporaryDir dir;
        runMonthList(100000, 60, dir.path());
        return 0;
    }
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i)
            sizes << QByteArray(argv[i]).toInt();
    }
    QTemporaryDir dir;
    for (int n : sizes)
        runSize(n, dir.path());
    if (argc <= 1) {
        runImport(10000, dir.path());
        runMonthList(100000, 60, dir.path());
    }
    return 0;
}
