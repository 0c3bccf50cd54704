// Tests of the month statements: months stored as typed, quoted texts, and replacements that fail whole.
#include "payroll/payroll_fixture.h"
#include "payroll/wage_months.h"
#include "support/test_env.h"

#include <QTest>

using namespace PayrollFixture;

class TestMonthGeneration : public QObject {
    Q_OBJECT
private slots:
    void generateFromPersonnelAndFailedCopyKeepsTheOldRows();
};

void TestMonthGeneration::generateFromPersonnelAndFailedCopyKeepsTheOldRows()
{
    TestEnv env;
    Connection &cn = openPayrollDatabase(env);
    addPerson(cn, QStringLiteral("002"), QStringLiteral("李四"), 2500.5);
    addPerson(cn, QStringLiteral("001"), QStringLiteral("O'Brien"), 3000);
    QVERIFY(ModGzsc::MonthList(cn).isEmpty());
    QVERIFY(ModGzsc::YeCheck(cn, QStringLiteral("200504")));

    QCOMPARE(ModGzsc::GenerateMonthFromPersonnel(cn, QStringLiteral("200504")), 2);
    QCOMPARE(ModGzsc::GenerateMonthFromPersonnel(cn, QStringLiteral(" 2005'4 ")), 2);  // stored as typed
    QVERIFY(!ModGzsc::YeCheck(cn, QStringLiteral("200504")));
    QVERIFY(!ModGzsc::YeCheck(cn, QStringLiteral(" 2005'4 ")));
    QVERIFY(ModGzsc::YeCheck(cn, QStringLiteral("2005'4")));
    QCOMPARE(ModGzsc::MonthList(cn), (QStringList{" 2005'4 ", "200504"}));

    QCOMPARE(wage(cn, QStringLiteral("200504"), QStringLiteral("002"), QStringLiteral("t1")), 2500.5);
    QCOMPARE(scalar(cn, QStringLiteral("select f2 from rsgz where f0 = '200504' and f1 = '001'")).toString(),
             QStringLiteral("O'Brien"));
    QCOMPARE(scalar(cn, QStringLiteral("select sum(t2+t20+t40) from rsgz")).toDouble(), 0.0);
    QVERIFY(!ModGzsc::YeXmCheck(cn, QStringLiteral("200504"), QStringLiteral("O'Brien")));
    QVERIFY(ModGzsc::YeXmCheck(cn, QStringLiteral("200504"), QStringLiteral("王五")));
    QCOMPARE(ModGzsc::EmployeeNames(cn), (QStringList{"O'Brien", "李四"}));  // by number

    ModGzsc::GenerateMonthFromPersonnel(cn, QStringLiteral("200505"));
    cn.execute(QStringLiteral("update rsgz set t2 = 77 where f0 = '200505'"));
    const QString before = monthDump(cn, QStringLiteral("200505"));
    // The database refuses the copied rows; the delete before them must not remain.
    refuseRows(cn, QStringLiteral("refuse"), QStringLiteral("insert"), QStringLiteral("rsgz"), QStringLiteral("new.f0 = '200505'"));
    QVERIFY_THROWS_EXCEPTION(DbError, ModGzsc::CopyMonth(cn, QStringLiteral("200505"), QStringLiteral("200504")));
    QCOMPARE(monthDump(cn, QStringLiteral("200505")), before);
    QVERIFY_THROWS_EXCEPTION(DbError, ModGzsc::GenerateEmployee(cn, QStringLiteral("200505"), QStringLiteral("李四")));
    QCOMPARE(monthDump(cn, QStringLiteral("200505")), before);
    QCOMPARE(cn.transactionDepth(), 0);
}

QTEST_MAIN(TestMonthGeneration)
#include "tst_month_generation.moc"
