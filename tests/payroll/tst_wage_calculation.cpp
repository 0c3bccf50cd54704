// Tests of the wage calculation: order, conditions, items not in use, rollback of a refused month.
#include "payroll/payroll_fixture.h"
#include "payroll/wage_calculation.h"
#include "payroll/wage_months.h"
#include "support/test_env.h"

#include <QTest>

using namespace PayrollFixture;

namespace {

const QString kMonth = QStringLiteral("200504");

Connection &openWithMonth(TestEnv &env)
{
    Connection &cn = openPayrollDatabase(env);
    addPerson(cn, QStringLiteral("001"), QStringLiteral("张三"), 3000);
    addPerson(cn, QStringLiteral("002"), QStringLiteral("李四"), 6000);
    addPerson(cn, QStringLiteral("003"), QStringLiteral("O'Neil"), 1000);
    ModGzsc::GenerateMonthFromPersonnel(cn, kMonth);
    ModGzsc::GenerateMonthFromPersonnel(cn, QStringLiteral("200503"));
    return cn;
}

double w(Connection &cn, const QString &number, const QString &col) { return wage(cn, kMonth, number, col); }

} // namespace

class TestWageCalculation : public QObject {
    Q_OBJECT
private slots:
    void statements();
    void totalsAfterTheirItems();
    void conditionsLimitTheirOwnItem();
    void refusedStatementRollsTheMonthBack();
    void registeredFunctions();
};

void TestWageCalculation::statements()
{
    ModGzgs::FormulaItem item{10, QStringLiteral("T2"), QStringLiteral("奖金"), QStringLiteral("t1*0.1"), {}};
    QCOMPARE(ModGzjs::CalcStatement(item, QStringLiteral("2005'04")),
             QStringLiteral("update rsgz set T2=t1*0.1 where f0='2005''04'"));
    item.condition = QStringLiteral(" f1='001' or t1>5 ");
    QCOMPARE(ModGzjs::CalcStatement(item, kMonth),
             QStringLiteral("update rsgz set T2=t1*0.1 where f0='200504' and ( f1='001' or t1>5 )"));
}

void TestWageCalculation::totalsAfterTheirItems()
{
    TestEnv env;
    Connection &cn = openWithMonth(env);
    // T39 and T40 come last in the dictionary; they must see this run's T2 and T4, not the old 0.
    setItem(cn, QStringLiteral("T2"), QStringLiteral("  t1*0.1  "));
    setItem(cn, QStringLiteral("T4"), QStringLiteral("t1*0.02"), QStringLiteral(""));
    setItem(cn, QStringLiteral("T39"), QStringLiteral("t1+t2+t3-t4-t5-t6"), QStringLiteral("   "));
    setItem(cn, QStringLiteral("T40"), QStringLiteral("t39-iif(t39>5000,(t39-5000)*0.1,0)"));
    setItem(cn, QStringLiteral("T7"), QStringLiteral("999"), {}, QStringLiteral("0"));  // not in use
    int statements = -1;
    QVERIFY(!ModGzjs::CalculateMonth(cn, kMonth, &statements));
    QCOMPARE(statements, 4);
    QCOMPARE(w(cn, "001", "t39"), 3000 + 300 - 60.0);
    QCOMPARE(w(cn, "001", "t40"), 3240.0);
    QCOMPARE(w(cn, "002", "t39"), 6000 + 600 - 120.0);
    QCOMPARE(w(cn, "002", "t40"), 6480 - 148.0);
    QCOMPARE(w(cn, "003", "t2"), 100.0);
    QCOMPARE(scalar(cn, QStringLiteral("select sum(t7) from rsgz")).toDouble(), 0.0);
    QCOMPARE(scalar(cn, QStringLiteral("select sum(t2+t39+t40) from rsgz where f0 = '200503'")).toDouble(), 0.0);

    // A second run recomputes from the current values: the totals follow a changed item.
    cn.execute(QStringLiteral("update rsgz set t3 = 500 where f1 = '001'"));
    QVERIFY(!ModGzjs::CalculateMonth(cn, kMonth));
    QCOMPARE(w(cn, "001", "t39"), 3740.0);
    // A month without rows is no failure.
    QVERIFY(!ModGzjs::CalculateMonth(cn, QStringLiteral("")));
}

void TestWageCalculation::conditionsLimitTheirOwnItem()
{
    TestEnv env;
    Connection &cn = openWithMonth(env);
    setItem(cn, QStringLiteral("T2"), QStringLiteral("100"), QStringLiteral("f1='001'"));
    setItem(cn, QStringLiteral("T3"), QStringLiteral("t1+t2"), QStringLiteral("t1>2000"));
    setItem(cn, QStringLiteral("T5"), QStringLiteral("7"), QStringLiteral("f1='002' or f2='O''Neil'"));
    QVERIFY(!ModGzjs::CalculateMonth(cn, kMonth));
    QCOMPARE(w(cn, "001", "t2"), 100.0);
    QCOMPARE(w(cn, "002", "t2"), 0.0);
    // T3's rows come from its own condition, not from T2's.
    QCOMPARE(w(cn, "001", "t3"), 3100.0);
    QCOMPARE(w(cn, "002", "t3"), 6000.0);
    QCOMPARE(w(cn, "003", "t3"), 0.0);
    QCOMPARE(w(cn, "001", "t5"), 0.0);
    QCOMPARE(w(cn, "002", "t5"), 7.0);
    QCOMPARE(w(cn, "003", "t5"), 7.0);
    // The "or" stays inside the month.
    QCOMPARE(scalar(cn, QStringLiteral("select sum(t2+t3+t5) from rsgz where f0 = '200503'")).toDouble(), 0.0);
}

void TestWageCalculation::refusedStatementRollsTheMonthBack()
{
    TestEnv env;
    Connection &cn = openWithMonth(env);
    cn.execute(QStringLiteral("update rsgz set t2 = 11, t39 = 22"));
    const QString before = monthDump(cn, kMonth);
    setItem(cn, QStringLiteral("T2"), QStringLiteral("t1*0.1"));
    setItem(cn, QStringLiteral("T3"), QStringLiteral("t1+"), QStringLiteral("f1='001'"));
    setItem(cn, QStringLiteral("T39"), QStringLiteral("t1+t2"));
    int statements = -1;
    const auto failure = ModGzjs::CalculateMonth(cn, kMonth, &statements);
    QVERIFY(failure);
    QCOMPARE(statements, 1);
    QCOMPARE(failure->item.colmCode, QStringLiteral("T3"));
    QCOMPARE(monthDump(cn, kMonth), before);
    QCOMPARE(cn.transactionDepth(), 0);
    const QString text = ModGzjs::CalcFailureMessage(*failure);
    for (const QString &part : {QStringLiteral("销售提成"), QStringLiteral("T3"), QStringLiteral("t1+"),
                                QStringLiteral("f1='001'"), failure->error.description})
        QVERIFY2(text.contains(part), qPrintable(part));

    // An unknown column in the target is refused the same way.
    setItem(cn, QStringLiteral("T3"), {});
    cn.execute(QStringLiteral("update rs_codedict set colm_code = 'T99', hzgs = '1' where colm_code = 'T38'"));
    cn.execute(QStringLiteral("update rs_codedict set can_show = '1' where colm_code = 'T99'"));
    const auto second = ModGzjs::CalculateMonth(cn, kMonth);
    QVERIFY(second);
    QCOMPARE(second->item.colmCode, QStringLiteral("T99"));
    QCOMPARE(monthDump(cn, kMonth), before);
}

void TestWageCalculation::registeredFunctions()
{
    TestEnv env;
    Connection &cn = openWithMonth(env);
    cn.execute(QStringLiteral("update rsgz set t4 = null where f1 = '003'"));
    setItem(cn, QStringLiteral("T2"), QStringLiteral("Int(t1/7)"));
    setItem(cn, QStringLiteral("T5"), QStringLiteral("Nz(t4, 0) + 1"));
    setItem(cn, QStringLiteral("T6"), QStringLiteral("iif(t1 >= 3000, 50, 0)"));
    const auto failure = ModGzjs::CalculateMonth(cn, kMonth);
    QVERIFY2(!failure, failure ? qPrintable(ModGzjs::CalcFailureMessage(*failure)) : "");
    QCOMPARE(w(cn, "001", "t2"), 428.0);
    QCOMPARE(w(cn, "003", "t2"), 142.0);
    QCOMPARE(w(cn, "003", "t5"), 1.0);
    QCOMPARE(w(cn, "001", "t6"), 50.0);
    QCOMPARE(w(cn, "003", "t6"), 0.0);
}

QTEST_MAIN(TestWageCalculation)
#include "tst_wage_calculation.moc"
