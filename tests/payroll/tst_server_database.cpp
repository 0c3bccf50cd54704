// Tests of the server database (PostgreSQL): the start-up that opens it by the settings, and two
// desks working on the same months. They run in the PostgreSQL pass of the tests only.
#include "payroll_fixture.h"
#include "support/test_postgres.h"

#include "app/program_state.h"
#include "app/startup.h"
#include "payroll/batch_modify.h"
#include "payroll/month_lock.h"
#include "payroll/wage_calculation.h"
#include "payroll/wage_months.h"

#include <QTest>

using namespace PayrollFixture;

namespace {

void storeServer(const QString &database, const QString &password)
{
    const TestPostgres::Server s = TestPostgres::server();
    const QString main = QStringLiteral("main");
    SaveSetting(kAppTitle, main, QStringLiteral("dbtype"), QStringLiteral("postgresql"));
    SaveSetting(kAppTitle, main, QStringLiteral("server"), s.host);
    SaveSetting(kAppTitle, main, QStringLiteral("port"), QString::number(s.port));
    SaveSetting(kAppTitle, main, QStringLiteral("database"), database);
    SaveSetting(kAppTitle, main, QStringLiteral("username"), s.user);
    SaveSetting(kAppTitle, main, QStringLiteral("password"), password);
}

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
        const QString database = TestPostgres::createDatabase();
        storeServer(database, TestPostgres::server().password);
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
        storeServer(database, QStringLiteral("wrong"));
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
};

QTEST_MAIN(TestServerDatabase)
#include "tst_server_database.moc"
