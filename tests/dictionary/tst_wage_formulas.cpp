// Tests of the formula check: names read by an expression, database refusals and order problems.
#include "dictionary/wage_formulas.h"
#include "payroll/payroll_fixture.h"
#include "support/test_env.h"

#include <QTest>

using namespace PayrollFixture;

class TestWageFormulas : public QObject {
    Q_OBJECT
private slots:
    void namesRead();
    void checkFindsEveryProblemAndChangesNothing();
};

void TestWageFormulas::namesRead()
{
    QCOMPARE(ModGzgs::NamesRead(QStringLiteral("t1+T2*[T3] - iif(t4>0, t5, 0) + Int (t6) ")),
             (QStringList{"t1", "T2", "T3", "t4", "t5", "t6"}));
    // Quoted texts, numbers and SQL words read no column; a repeated name is listed once.
    QCOMPARE(ModGzgs::NamesRead(QStringLiteral("f1='t7' and t8 is not null or f2=\"t9\" and 1.5e3 > t8 + T10")),
             (QStringList{"f1", "t8", "f2", "T10"}));
    QCOMPARE(ModGzgs::NamesRead(QStringLiteral("f2='O''t11' or t12 between 1 and 2")), (QStringList{"f2", "t12"}));
}

void TestWageFormulas::checkFindsEveryProblemAndChangesNothing()
{
    TestEnv env;
    Connection &cn = openPayrollDatabase(env);
    addPerson(cn, QStringLiteral("001"), QStringLiteral("张三"), 3000);
    cn.execute(QStringLiteral("insert into rsgz (f0, f1, f2, t1) select '200504', f1, f2, f5 from rsda"));

    setItem(cn, QStringLiteral("T2"), QStringLiteral("t1*0.1"));
    setItem(cn, QStringLiteral("T3"), QStringLiteral("t99+1"));                            // unknown column
    setItem(cn, QStringLiteral("T4"), QStringLiteral("10"), QStringLiteral("f1= and"));    // bad condition
    setItem(cn, QStringLiteral("T5"), QStringLiteral("t39*0.1"));                          // reads a later total
    setItem(cn, QStringLiteral("T6"), QStringLiteral("5"), QStringLiteral("t40>0"));       // condition reads later
    setItem(cn, QStringLiteral("T7"), QStringLiteral("nosuch(t1)"), {}, QStringLiteral("0"));  // not in use
    // SQL typed as a formula is refused: a formula is one expression.
    setItem(cn, QStringLiteral("T8"), QStringLiteral("1 from rsgz; delete from rsgz; select 1"));
    setItem(cn, QStringLiteral("T39"), QStringLiteral("t1+t2+t3"));
    setItem(cn, QStringLiteral("T40"), QStringLiteral("t39"));
    cn.execute(QStringLiteral("update rs_codedict set colm_code = 'T41' where colm_code = 'T38'"));
    setItem(cn, QStringLiteral("T41"), QStringLiteral("1"));                               // no such column

    const QList<ModGzgs::FormulaProblem> problems = ModGzgs::CheckFormulas(cn, QStringLiteral("rsgz"));
    QStringList found;
    for (const ModGzgs::FormulaProblem &p : problems)
        found << p.colmCode + QLatin1Char(':') + p.part;
    QCOMPARE(found, (QStringList{"T3:公式", "T4:条件", "T5:公式", "T6:条件", "T8:公式", "T41:字段"}));
    QVERIFY(problems.at(0).message.contains(QStringLiteral("t99")));
    QCOMPARE(problems.at(0).text, QStringLiteral("t99+1"));
    QVERIFY(problems.at(2).message.contains(QStringLiteral("T39")));
    QVERIFY(problems.at(2).message.contains(QStringLiteral("应发合计")));
    QVERIFY(problems.at(3).message.contains(QStringLiteral("T40")));
    QCOMPARE(monthRows(cn, QStringLiteral("200504")), 1);
    QCOMPARE(wage(cn, QStringLiteral("200504"), QStringLiteral("001"), QStringLiteral("t2")), 0.0);
    QCOMPARE(cn.transactionDepth(), 0);

    const QString report = ModGzgs::FormulaCheckReport(problems);
    QVERIFY(report.contains(QStringLiteral("6")));
    for (const ModGzgs::FormulaProblem &p : problems)
        QVERIFY(report.contains(p.text));

    // Sound items, a total reading its own column included, give no problem.
    cn.execute(QStringLiteral("update rs_codedict set hzgs = null, hztj = null"));
    setItem(cn, QStringLiteral("T2"), QStringLiteral("iif(t1>3000, Int(t1*0.1), Nz(t2, 0))"), QStringLiteral("f2 like '张%'"));
    setItem(cn, QStringLiteral("T39"), QStringLiteral("t1+t2+t3-t4-t5-t6"));
    setItem(cn, QStringLiteral("T40"), QStringLiteral("t39 - t40*0"));
    const QList<ModGzgs::FormulaProblem> none = ModGzgs::CheckFormulas(cn, QStringLiteral("rsgz"));
    QVERIFY2(none.isEmpty(), qPrintable(ModGzgs::FormulaCheckReport(none)));
    QCOMPARE(ModGzgs::FormulaCheckReport(none), QStringLiteral("所有使用中的工资项目的公式和条件都正确。"));
}

QTEST_MAIN(TestWageFormulas)
#include "tst_wage_formulas.moc"
