// Tests of the wage calculation: order, conditions, items not in use, rollback of a refused month.
#include "payroll/payroll_fixture.h"
#include "payroll/wage_calculation.h"
#include "payroll/wage_months.h"
#include "support/test_env.h"

#include <QTest>
#include "payroll/month_lock.h"

#include <sqlite3.h>

using namespace PayrollFixture;

namespace {

const QString kMonth = QStringLiteral("200504");

Connection &openWithMonth(TestEnv &env) { return openWithTwoMonths(env); }

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
    void fusedEqualsItemByItem();
    void hostileFormulasChangeNothing();
    void lockedDatabaseBlamesNoFormula();
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
    QCOMPARE(statements, 3);  // T2 and T4 read only t1 and run as one update
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
    QCOMPARE(statements, 0);  // the formula is refused before anything runs
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

namespace {

// The rows of a month by employee, every wage item, as text.
QString itemsByEmployee(Connection &cn, const QString &month)
{
    QString out;
    QString items;
    for (int t = 1; t <= 40; ++t)
        items += QStringLiteral(",t%1").arg(t);
    const ResultSet rs = cn.query(QStringLiteral("select f1") + items + QStringLiteral(" from rsgz where f0 = ? order by f1, id"), {month});
    for (const QVariantList &row : rs.rows) {
        for (const QVariant &v : row)
            out += v.isNull() ? QStringLiteral("Null|") : v.toString() + QLatin1Char('|');
        out += QLatin1Char('\n');
    }
    return out;
}

} // namespace

// One update per run of independent items gives exactly the month that one update per item gives,
// with chains, conditions, items reading later items and items whose condition reads a column the
// run sets.
void TestWageCalculation::fusedEqualsItemByItem()
{
    TestEnv env;
    Connection &cn = openWithMonth(env);
    cn.execute(QStringLiteral("update rsgz set t6 = 5, t8 = null where f1 = '002'"));
    setItem(cn, QStringLiteral("T2"), QStringLiteral("round(t1*0.1, 2)"), QStringLiteral("t1>=3000"));
    setItem(cn, QStringLiteral("T3"), QStringLiteral("t1*0.05"), QStringLiteral("f1 like '%1'"));
    setItem(cn, QStringLiteral("T4"), QStringLiteral("t2 + t3 + t9"));          // reads T2, T3 and the later T9
    setItem(cn, QStringLiteral("T5"), QStringLiteral("t1 / 3"), QStringLiteral("t4 > 0"));
    setItem(cn, QStringLiteral("T6"), QStringLiteral("t6 + 1"));                // reads its own old value
    setItem(cn, QStringLiteral("T7"), QStringLiteral("(t1 > 2000) * -1 + t6"));
    setItem(cn, QStringLiteral("T8"), QStringLiteral("Nz(t8, 0) + 1"), QStringLiteral("t7 = 1 or f2 = '张三'"));
    setItem(cn, QStringLiteral("T9"), QStringLiteral("t8 & '0'"));
    setItem(cn, QStringLiteral("T39"), QStringLiteral("t1+t2+t3+t7+t8-t4-t5-t6"));
    setItem(cn, QStringLiteral("T40"), QStringLiteral("t39-iif(t39>5000,(t39-5000)*0.1,0)"));
    const QString before = itemsByEmployee(cn, QStringLiteral("200503"));
    QCOMPARE(itemsByEmployee(cn, kMonth), before);

    int fusedStatements = 0, itemStatements = 0;
    QVERIFY(!ModGzjs::CalculateMonth(cn, kMonth, &fusedStatements, ModGzjs::CalcMode::Fused));
    QVERIFY(!ModGzjs::CalculateMonth(cn, QStringLiteral("200503"), &itemStatements, ModGzjs::CalcMode::ItemByItem));
    QCOMPARE(itemStatements, 10);
    QVERIFY(fusedStatements < itemStatements);
    QCOMPARE(itemsByEmployee(cn, kMonth), itemsByEmployee(cn, QStringLiteral("200503")));
    QVERIFY(itemsByEmployee(cn, kMonth) != before);
    // twice in a row too: the second run starts from the first one's values
    QVERIFY(!ModGzjs::CalculateMonth(cn, kMonth, nullptr, ModGzjs::CalcMode::Fused));
    QVERIFY(!ModGzjs::CalculateMonth(cn, QStringLiteral("200503"), nullptr, ModGzjs::CalcMode::ItemByItem));
    QCOMPARE(itemsByEmployee(cn, kMonth), itemsByEmployee(cn, QStringLiteral("200503")));

    // A run refused part-way names the item at fault, and nothing stays written.
    setItem(cn, QStringLiteral("T3"), QStringLiteral("t1 / (t1 - 3000)"));
    const QString computed = monthDump(cn, kMonth);
    const auto failure = ModGzjs::CalculateMonth(cn, kMonth);
    QVERIFY(failure);
    QCOMPARE(failure->item.colmCode, QStringLiteral("T3"));
    QCOMPARE(failure->error.number, DbError::DivisionByZero);
    QCOMPARE(monthDump(cn, kMonth), computed);
}

// Formulas and conditions that would escape their place in the statement are refused before
// anything runs: every month and every other table stay as they were.
void TestWageCalculation::hostileFormulasChangeNothing()
{
    TestEnv env;
    Connection &cn = openWithMonth(env);
    auto everything = [&cn] {
        return monthDump(cn, kMonth) + monthDump(cn, QStringLiteral("200503"))
               + scalar(cn, QStringLiteral("select count(*) from czyzd")).toString()
               + scalar(cn, QStringLiteral("select count(*) from czy")).toString();
    };
    const QString before = everything();
    const struct {
        const char *formula;
        const char *condition;
    } hostile[] = {
        {"t1+0 -- 备注", nullptr}, {"t1; delete from czyzd", nullptr}, {"1", "1=1) or (1=1"},
        {"t1 /* x */", nullptr}, {"(8/100)*t1", "1=1; delete from czy"}, {"t1 where 1=1", nullptr},
        {"1) where (1=1", nullptr}, {"t1", "f0 = '200503' --"}, {"t1/0", nullptr}, {"'abc'", nullptr},
        {"'3,500'", nullptr}, {"CInt(40000)", nullptr}, {"t1 * 1e38", nullptr},
    };
    for (const auto &h : hostile) {
        setItem(cn, QStringLiteral("T2"), QString::fromUtf8(h.formula),
                h.condition ? QVariant(QString::fromUtf8(h.condition)) : QVariant());
        const auto failure = ModGzjs::CalculateMonth(cn, kMonth);
        QVERIFY2(failure, h.formula);
        QCOMPARE(failure->item.colmCode, QStringLiteral("T2"));
        QCOMPARE(everything(), before);
    }
    // A NUL character in a formula is refused without running the text before it (a PostgreSQL
    // database keeps no NUL in a text: there the formula is refused as it is stored).
    const QString nul = QStringLiteral("t1") + QChar(0) + QStringLiteral(" + 1");
    if (TestEnv::onPostgres()) {
        QVERIFY_THROWS_EXCEPTION(DbError, setItem(cn, QStringLiteral("T2"), nul));
    } else {
        setItem(cn, QStringLiteral("T2"), nul);
        QVERIFY(ModGzjs::CalculateMonth(cn, kMonth));
    }
    QCOMPARE(everything(), before);
    // (8/100)*t1 divides as floating point: 8% of the basic wage, not 0
    setItem(cn, QStringLiteral("T2"), QStringLiteral("(8/100)*t1"));
    QVERIFY(!ModGzjs::CalculateMonth(cn, kMonth));
    QCOMPARE(w(cn, "001", "t2"), 240.0);
}

// Another program holding the database stops the calculation with that said, not a formula blamed.
void TestWageCalculation::lockedDatabaseBlamesNoFormula()
{
    TestEnv env;
    Connection &cn = openWithMonth(env);
    setItem(cn, QStringLiteral("T2"), QStringLiteral("t1*0.1"));
    Connection other;
    env.openSameDatabase(other);
    other.beginTransaction();
    other.execute(QStringLiteral("update rsgz set t3 = 1 where f1 = '001'"));
    if (cn.sqliteHandle())
        sqlite3_busy_timeout(cn.sqliteHandle(), 50);
    const int wait = ModGzLock::MonthLockWait();
    ModGzLock::MonthLockWait() = 1;  // a server waits for the row that long
    const auto failure = ModGzjs::CalculateMonth(cn, kMonth);
    QVERIFY(failure);
    const QString text = ModGzjs::CalcFailureMessage(*failure);
    QVERIFY2(text.contains(QStringLiteral("数据库正被其他程序使用")) && !text.contains(QStringLiteral("公式")), qPrintable(text));
    ModGzLock::MonthLockWait() = wait;
    other.rollbackTransaction();
    QVERIFY(!ModGzjs::CalculateMonth(cn, kMonth));
}

QTEST_MAIN(TestWageCalculation)
#include "tst_wage_calculation.moc"
