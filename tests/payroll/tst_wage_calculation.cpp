// Tests of the wage calculation: order, conditions, items not in use, rollback of a refused month.
#include "payroll/month_lock.h"
#include "payroll/payroll_fixture.h"
#include "payroll/wage_calculation.h"
#include "payroll/wage_months.h"

#include <QTest>

#include <sqlite3.h>

using namespace PayrollFixture;

namespace {

const QString kMonth = QStringLiteral("200504");

double w(Connection &cn, const QString &number, const QString &col) { return wage(cn, kMonth, number, col); }

// One item of the month for employees 001, 002 and 003.
QList<double> item(Connection &cn, const QString &col)
{
    return {w(cn, "001", col), w(cn, "002", col), w(cn, "003", col)};
}

} // namespace

class TestWageCalculation : public QObject {
    Q_OBJECT
private slots:
    void totalsAfterTheirItems();
    void conditionsLimitTheirOwnItemAndRegisteredFunctions();
    void refusedStatementRollsTheMonthBack();
    void fusedEqualsItemByItem();
    void hostileFormulasChangeNothing();
    void lockedDatabaseBlamesNoFormula();
};

void TestWageCalculation::totalsAfterTheirItems()
{
    TestEnv env;
    Connection &cn = openWithTwoMonths(env);
    // T39 and T40 come last in the dictionary; they must see this run's T2 and T4, not the old 0.
    setItem(cn, QStringLiteral("T2"), QStringLiteral("  t1*0.1  "));
    setItem(cn, QStringLiteral("T4"), QStringLiteral("t1*0.02"), QStringLiteral(""));
    setItem(cn, QStringLiteral("T39"), QStringLiteral("t1+t2+t3-t4-t5-t6"), QStringLiteral("   "));
    setItem(cn, QStringLiteral("T40"), QStringLiteral("t39-iif(t39>5000,(t39-5000)*0.1,0)"));
    setItem(cn, QStringLiteral("T7"), QStringLiteral("999"), {}, QStringLiteral("0"));  // not in use
    int statements = -1;
    QVERIFY(!ModGzjs::CalculateMonth(cn, kMonth, &statements));
    QCOMPARE(statements, 3);  // T2 and T4 read only t1 and run as one update
    QCOMPARE(item(cn, "t39"), (QList<double>{3000 + 300 - 60, 6000 + 600 - 120, 1000 + 100 - 20}));
    QCOMPARE(item(cn, "t40"), (QList<double>{3240, 6480 - 148, 1080}));
    QCOMPARE(scalar(cn, QStringLiteral("select sum(t7) from rsgz")).toDouble(), 0.0);
    QCOMPARE(scalar(cn, QStringLiteral("select sum(t2+t39+t40) from rsgz where f0 = '200503'")).toDouble(), 0.0);

    // A second run recomputes from the current values: the totals follow a changed item.
    cn.execute(QStringLiteral("update rsgz set t3 = 500 where f1 = '001'"));
    QVERIFY(!ModGzjs::CalculateMonth(cn, kMonth));
    QCOMPARE(w(cn, "001", "t39"), 3740.0);
    // A month without rows is no failure, a quote in it included.
    QVERIFY(!ModGzjs::CalculateMonth(cn, QStringLiteral("2005'04")));
}

void TestWageCalculation::conditionsLimitTheirOwnItemAndRegisteredFunctions()
{
    TestEnv env;
    Connection &cn = openWithTwoMonths(env);
    cn.execute(QStringLiteral("update rsgz set t8 = null where f1 = '003'"));
    setItem(cn, QStringLiteral("T2"), QStringLiteral("100"), QStringLiteral("f1='001'"));
    setItem(cn, QStringLiteral("T3"), QStringLiteral("t1+t2"), QStringLiteral("t1>2000"));
    setItem(cn, QStringLiteral("T5"), QStringLiteral("7"), QStringLiteral("f1='002' or f2='O''Neil'"));
    setItem(cn, QStringLiteral("T4"), QStringLiteral("Int(t1/7)"));
    setItem(cn, QStringLiteral("T6"), QStringLiteral("iif(t1 >= 3000, 50, 0)"));
    setItem(cn, QStringLiteral("T7"), QStringLiteral("Nz(t8, 0) + 1"));
    const auto failure = ModGzjs::CalculateMonth(cn, kMonth);
    QVERIFY2(!failure, failure ? qPrintable(ModGzjs::CalcFailureMessage(*failure)) : "");
    QCOMPARE(item(cn, "t2"), (QList<double>{100, 0, 0}));
    // T3's rows come from its own condition, not from T2's.
    QCOMPARE(item(cn, "t3"), (QList<double>{3100, 6000, 0}));
    QCOMPARE(item(cn, "t5"), (QList<double>{0, 7, 7}));
    // The "or" stays inside the month.
    QCOMPARE(scalar(cn, QStringLiteral("select sum(t2+t3+t5) from rsgz where f0 = '200503'")).toDouble(), 0.0);
    QCOMPARE(item(cn, "t4"), (QList<double>{428, 857, 142}));
    QCOMPARE(item(cn, "t6"), (QList<double>{50, 50, 0}));
    QCOMPARE(item(cn, "t7"), (QList<double>{1, 1, 1}));
}

void TestWageCalculation::refusedStatementRollsTheMonthBack()
{
    TestEnv env;
    Connection &cn = openWithTwoMonths(env);
    cn.execute(QStringLiteral("update rsgz set t2 = 11, t39 = 22"));
    const QString before = monthDump(cn, kMonth);
    setItem(cn, QStringLiteral("T2"), QStringLiteral("t1*0.1"));
    setItem(cn, QStringLiteral("T3"), QStringLiteral("t1+"), QStringLiteral("f1='001'"));
    setItem(cn, QStringLiteral("T39"), QStringLiteral("t1+t2"));
    int statements = -1;
    const auto failure = ModGzjs::CalculateMonth(cn, kMonth, &statements);
    QVERIFY(failure && failure->item.colmCode == QStringLiteral("T3"));
    QCOMPARE(statements, 0);  // the formula is refused before anything runs
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
    QVERIFY(second && second->item.colmCode == QStringLiteral("T99"));
    QCOMPARE(monthDump(cn, kMonth), before);
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
    Connection &cn = openWithTwoMonths(env);
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
    QVERIFY(itemStatements == 10 && fusedStatements < itemStatements);
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
    QVERIFY(failure && failure->item.colmCode == QStringLiteral("T3") && failure->error.number == DbError::DivisionByZero);
    QCOMPARE(monthDump(cn, kMonth), computed);
}

// Formulas and conditions that would escape their place in the statement are refused before
// anything runs: every month and every other table stay as they were.
void TestWageCalculation::hostileFormulasChangeNothing()
{
    TestEnv env;
    Connection &cn = openWithTwoMonths(env);
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
        QVERIFY2(failure && failure->item.colmCode == QStringLiteral("T2"), h.formula);
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
    Connection &cn = openWithTwoMonths(env);
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
    const QString text = failure ? ModGzjs::CalcFailureMessage(*failure) : QString();
    QVERIFY2(text.contains(QStringLiteral("数据库正被其他程序使用")) && !text.contains(QStringLiteral("公式")), qPrintable(text));
    ModGzLock::MonthLockWait() = wait;
    other.rollbackTransaction();
    QVERIFY(!ModGzjs::CalculateMonth(cn, kMonth));
}

QTEST_MAIN(TestWageCalculation)
#include "tst_wage_calculation.moc"
