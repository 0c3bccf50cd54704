// Tests of the server database (PostgreSQL): the start-up that opens it by the settings, and two
// desks working on the same months. They run in the PostgreSQL pass of the tests only.
#include "payroll_fixture.h"
#include "support/test_postgres.h"

#include "app/program_state.h"
#include "app/startup.h"
#include "operators/backup.h"
#include "operators/restore.h"
#include "payroll/batch_modify.h"
#include "payroll/month_lock.h"
#include "payroll/wage_calculation.h"
#include "payroll/wage_months.h"

#include <QFile>
#include <QTest>

using namespace PayrollFixture;

namespace {

// Puts the month lock's wait back however the test ends.
struct ShortWait {
    int saved = ModGzLock::MonthLockWait();
    ShortWait() { ModGzLock::MonthLockWait() = 1; }
    ~ShortWait() { ModGzLock::MonthLockWait() = saved; }
};

} // namespace

class TestServerDatabase : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        if (!TestPostgres::enabled())
            QSKIP("runs against the test PostgreSQL cluster (RSGZ_TEST_POSTGRES)");
    }

    // [main] dbtype chooses the server; a new, empty database gets the base schema, a second
    // start finds it; a refused login says so and ends the program.
    void startupOpensTheServerTheSettingsName()
    {
        TestEnv env;
        env.openNewDatabase();  // stores the server's settings; start-up is pointed at an empty database instead
        cnMain.close();
        resetProgramState();
        const QString database = TestPostgres::createDatabase(), main = QStringLiteral("main");
        SaveSetting(kAppTitle, main, QStringLiteral("database"), database);
        SaveSetting(kAppTitle, main, QStringLiteral("dbtype"), QStringLiteral("postgresql"));
        ModmainRSgz::startupHooks() = {};
        ModmainRSgz::Main();
        QVERIFY2(cnMain.isOpen(), qPrintable(ModmainRSgz::lastOpenFailure()));
        QCOMPARE(strDbType, QStringLiteral("POSTGRESQL"));
        QCOMPARE(cnMain.providerKind(), QStringLiteral("POSTGRESQL"));
        QCOMPARE(strDataPath, env.folder());  // backups go to the program's folder
        QCOMPARE(scalar(cnMain, QStringLiteral("select czy_name from czyzd where sys_tag=1")).toString(), QStringLiteral("system"));
        QCOMPARE(scalar(cnMain, QStringLiteral("select count(*) from czy where [name]='system'")).toInt(), 47);
        cnMain.execute(QStringLiteral("insert into zwlx (zwlx) values ('保洁')"));
        cnMain.close();
        ModmainRSgz::Main();
        QCOMPARE(scalar(cnMain, QStringLiteral("select count(*) from czy")).toInt(), 47);
        QCOMPARE(scalar(cnMain, QStringLiteral("select count(*) from zwlx where zwlx='保洁'")).toInt(), 1);
        QVERIFY(env.messages.records.isEmpty());
        cnMain.close();

        int syssets = 0;
        ModmainRSgz::startupHooks().showSysset = [&] { ++syssets; };
        SaveSetting(kAppTitle, main, QStringLiteral("password"), QStringLiteral("wrong"));
        ModmainRSgz::Main();
        ModmainRSgz::startupHooks() = {};
        QVERIFY(!cnMain.isOpen());
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY2(env.messages.records[0].text.endsWith(QString::number(DbError::LoginRefused)), qPrintable(env.messages.texts().join('|')));
        QVERIFY(syssets == 1 && env.shell.endRequests == 1);
        TestPostgres::dropDatabase(database);
    }

    // A second desk waits for the month the first one is working on, then is told; other months
    // go on; nothing of the refused command is written.
    void aBusyMonthMakesTheSecondDeskWaitAndSaySo()
    {
        TestEnv env;
        Connection &first = openWithTwoMonths(env);
        setItem(first, QStringLiteral("T2"), QStringLiteral("t1*0.1"));
        Connection second;
        env.openSameDatabase(second);
        ShortWait wait;
        const QString busy = ModGzLock::MonthBusyMessage(QStringLiteral("200504"));
        {
            Transaction tx(first);
            ModGzLock::LockMonths(first, {QStringLiteral("200504")});
            const QString before = monthDump(second, QStringLiteral("200504"));

            const auto failure = ModGzjs::CalculateMonth(second, QStringLiteral("200504"));
            QVERIFY(failure && failure->error.isBusy());
            QVERIFY2(ModGzjs::CalcFailureMessage(*failure).startsWith(busy), qPrintable(ModGzjs::CalcFailureMessage(*failure)));
            try {
                ModGzsc::CopyMonth(second, QStringLiteral("200504"), QStringLiteral("200503"));
                QFAIL("the copy went on");
            } catch (const DbError &e) {
                QVERIFY(e.isBusy() && e.description == busy);
            }
            QVERIFY_THROWS_EXCEPTION(DbError, ModGzsc::GenerateEmployee(second, QStringLiteral("200504"), QStringLiteral("张三")));
            QVERIFY_THROWS_EXCEPTION(DbError, ModPlxg::RunBatchModify(second, QStringLiteral("t3"), QStringLiteral("5"),
                                                                      QStringLiteral("f1='001'")));
            QCOMPARE(monthDump(second, QStringLiteral("200504")), before);
            QCOMPARE(second.transactionDepth(), 0);

            // another month is not held up
            QVERIFY(!ModGzjs::CalculateMonth(second, QStringLiteral("200503")));
            QCOMPARE(wage(second, QStringLiteral("200503"), QStringLiteral("001"), QStringLiteral("t2")), 300.0);
            // a batch change of every month waits for the busy one too
            QVERIFY_THROWS_EXCEPTION(DbError, ModPlxg::RunBatchModify(second, QStringLiteral("t3"), QStringLiteral("5"), {}));
            QCOMPARE(scalar(second, QStringLiteral("select count(*) from rsgz where t3=5")).toInt(), 0);
        }
        // The first desk done, the month is free.
        QVERIFY(!ModGzjs::CalculateMonth(second, QStringLiteral("200504")));
        QCOMPARE(wage(first, QStringLiteral("200504"), QStringLiteral("002"), QStringLiteral("t2")), 600.0);
        QCOMPARE(ModPlxg::RunBatchModify(second, QStringLiteral("t3"), QStringLiteral("5"), {}), 6);
    }

    // 数据备份 dumps the server database under the usual name; 数据恢复 brings every month back
    // as it was, keys, their numbering and the closed-month guard included; a file that is no
    // dump is refused with the data untouched.
    void dumpAndRestoreRoundTripTheMonths()
    {
        TestEnv env;
        Connection &cn = openWithTwoMonths(env);
        const QString april = monthDump(cn, QStringLiteral("200504")), march = monthDump(cn, QStringLiteral("200503"));
        Modulback::Backup();
        QCOMPARE(env.messages.records.size(), 1);
        const QString done = env.messages.texts().first();
        const QString prefix = QStringLiteral("数据备份完成!备份后的文件名称为： ");
        QVERIFY2(done.startsWith(prefix), qPrintable(done));
        const QString dump = done.mid(prefix.size()).chopped(1);
        QVERIFY(QFileInfo(dump).fileName().startsWith(QLatin1String("data")) && dump.endsWith(QLatin1String(".bak")));
        QFile file(dump);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(5), QByteArray("PGDMP"));  // pg_dump's custom format
        QCOMPARE(file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());

        cn.execute(QStringLiteral("update rsgz set t1 = 1 where f0 = '200504'"));
        cn.execute(QStringLiteral("delete from rsgz where f0 = '200503'"));
        QVERIFY(ModRestore::RestoreFrom(cn, dump, [] { return true; }));
        QCOMPARE(monthDump(cn, QStringLiteral("200504")), april);
        QCOMPARE(monthDump(cn, QStringLiteral("200503")), march);
        QVERIFY(env.messages.texts().last().startsWith(QStringLiteral("数据恢复完成！")));
        // new rows are numbered after the restored ones; a closed month is still refused
        const int highest = scalar(cn, QStringLiteral("select max(id) from rsgz")).toInt();
        ModGzsc::GenerateMonthFromPersonnel(cn, QStringLiteral("200505"));
        QCOMPARE(scalar(cn, QStringLiteral("select min(id) from rsgz where f0 = '200505'")).toInt(), highest + 1);
        cn.execute(QStringLiteral("insert into gzjz (f0) values ('200504')"));
        QVERIFY_THROWS_EXCEPTION(DbError, cn.execute(QStringLiteral("update rsgz set t1 = 2 where f0 = '200504'")));

        QFile bogus(env.path(QStringLiteral("data200011.bak")));
        QVERIFY(bogus.open(QIODevice::WriteOnly) && bogus.write("not a dump") > 0);
        bogus.close();
        const QString now = monthDump(cn, QStringLiteral("200504"));
        QVERIFY(!ModRestore::RestoreFrom(cn, bogus.fileName(), [] { return true; }));
        QVERIFY(env.messages.texts().last().contains(QStringLiteral("不能用来恢复")));
        QCOMPARE(monthDump(cn, QStringLiteral("200504")), now);
    }
};

QTEST_MAIN(TestServerDatabase)
#include "tst_server_database.moc"
