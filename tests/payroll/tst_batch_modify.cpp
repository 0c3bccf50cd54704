// Tests of the batch modification: the condition builder, the update statement and the window.
#include "support/test_env.h"

#include "app/program_state.h"
#include "app/sql_text.h"
#include "dictionary/personnel_tables.h"
#include "payroll/batch_modify.h"
#include "platform/db/connection.h"

#include <QtTest>

using namespace ModPlxg;

namespace {

QList<WageItem> items()
{
    return {{QStringLiteral("月份"), QStringLiteral("f0"), QStringLiteral("CHAR")},
            {QStringLiteral("员工编号"), QStringLiteral("f1"), QStringLiteral("CHAR")},
            {QStringLiteral("姓名"), QStringLiteral("f2"), QStringLiteral("char")},
            {QStringLiteral("基本工资"), QStringLiteral("T1"), QStringLiteral("NUME")},
            {QStringLiteral("入职日期"), QStringLiteral("T7"), QStringLiteral("Date")},
            {QStringLiteral("比例"), QStringLiteral("T8"), QStringLiteral("BFL")}};
}

QList<ConditionRow> rows(std::initializer_list<std::pair<int, ConditionRow>> filled)
{
    QList<ConditionRow> r(kConditionRows, ConditionRow{QString(), QStringLiteral("="), QString()});
    for (const auto &f : filled)
        r[f.first] = f.second;
    return r;
}

QStringList andConnectors() { return QStringList(kConnectors, QStringLiteral("and")); }

void addMonth(Connection &cn, const QString &month, const QStringList &names)
{
    int n = 0;
    for (const QString &name : names)
        cn.execute(QStringLiteral("insert into rsgz (f0,f1,f2,t1) values ('%1','%2','%3',%4)")
                       .arg(month, QStringLiteral("A%1").arg(++n, 2, 10, QLatin1Char('0')), SqlQuote(name))
                       .arg(1000 * n));
}

} // namespace

class TestBatchModify : public QObject {
    Q_OBJECT
private slots:
    void conditionTexts();
    void valueChecks();
    void updateStatement();
};

void TestBatchModify::conditionTexts()
{
    TestEnv env;
    strDbType = QStringLiteral("ACCESS");
    // A month row on a text item.
    auto r = BuildCondition(items(), rows({{0, {QStringLiteral("月份"), QStringLiteral("="), QStringLiteral("200504")}}}),
                            andConnectors());
    QVERIFY(r.ok);
    QCOMPARE(r.condition, QStringLiteral("f0='200504'"));
    QCOMPARE(r.values[0], QStringLiteral("'200504'"));

    // Rows 0 and 2 filled: the connector between them is the one after the empty row 1.
    QStringList connectors = andConnectors();
    connectors[1] = QStringLiteral("or");
    r = BuildCondition(items(),
                       rows({{0, {QStringLiteral(" 月份 "), QStringLiteral("="), QStringLiteral("200504")}},
                             {2, {QStringLiteral("基本工资"), QStringLiteral(">="), QStringLiteral("1500")}}}),
                       connectors);
    QCOMPARE(r.condition, QStringLiteral("f0='200504' or T1>=1500"));

    // The first filled row needs no connector; like keeps the pattern as typed, blanks around the operator.
    r = BuildCondition(items(), rows({{3, {QStringLiteral("姓名"), QStringLiteral("like"), QStringLiteral("张%")}}}),
                       andConnectors());
    QCOMPARE(r.condition, QStringLiteral("f2 like '张%'"));

    // Quotes inside a text value are doubled; items of other types go in as typed.
    r = BuildCondition(items(),
                       rows({{0, {QStringLiteral("姓名"), QStringLiteral("="), QStringLiteral("O'Neil")}},
                             {1, {QStringLiteral("比例"), QStringLiteral("<"), QStringLiteral("t1/2")}}}),
                       andConnectors());
    QCOMPARE(r.condition, QStringLiteral("f2='O''Neil' and T8<t1/2"));

    // Dates become the database's date literal; the rewritten value is kept as it stands next time.
    r = BuildCondition(items(), rows({{0, {QStringLiteral("入职日期"), QStringLiteral(">"), QStringLiteral("2005-3-17")}},
                                      {1, {QStringLiteral("入职日期"), QStringLiteral("<"), QStringLiteral("2005/04/01 8:30")}}}),
                       andConnectors());
    QCOMPARE(r.condition, QStringLiteral("T7>#2005-3-17# and T7<#2005-4-1 8:30:00#"));
    const auto again = BuildCondition(
        items(), rows({{0, {QStringLiteral("入职日期"), QStringLiteral(">"), r.values[0]}},
                       {1, {QStringLiteral("入职日期"), QStringLiteral("<"), r.values[1]}}}),
        andConnectors());
    QCOMPARE(again.condition, r.condition);
    strDbType = QStringLiteral("SQLSERVER");
    r = BuildCondition(items(), rows({{0, {QStringLiteral("入职日期"), QStringLiteral("="), QStringLiteral("2005年3月17日")}}}),
                       andConnectors());
    QCOMPARE(r.condition, QStringLiteral("T7='2005-3-17'"));

    // A caption that names no item is a missing record, not a silently dropped row.
    try {
        BuildCondition(items(), rows({{0, {QStringLiteral("奖金"), QStringLiteral("="), QStringLiteral("1")}}}),
                       andConnectors());
        QFAIL("an unknown item was accepted");
    } catch (const DbError &e) {
        QCOMPARE(e.number, int(DbError::NoCurrentRecord));
    }
}

void TestBatchModify::valueChecks()
{
    TestEnv env;
    strDbType = QStringLiteral("ACCESS");
    // A failing number check ends the build; rows before it are already rewritten.
    auto r = BuildCondition(items(),
                            rows({{0, {QStringLiteral("月份"), QStringLiteral("="), QStringLiteral("200504")}},
                                  {1, {QStringLiteral("基本工资"), QStringLiteral("="), QStringLiteral("12a")}},
                                  {2, {QStringLiteral("姓名"), QStringLiteral("="), QStringLiteral("李四")}}}),
                            andConnectors());
    QVERIFY(!r.ok);
    QCOMPARE(r.failedRow, 1);
    QCOMPARE(r.message, QStringLiteral("请输入数字"));
    QCOMPARE(r.values, (QStringList{QStringLiteral("'200504'"), QStringLiteral("12a"), QStringLiteral("李四"),
                                    QString(), QString(), QString(), QString(), QString()}));
    // Corrected and run again over the rewritten first row: it is not quoted twice.
    r = BuildCondition(items(),
                       rows({{0, {QStringLiteral("月份"), QStringLiteral("="), r.values[0]}},
                             {1, {QStringLiteral("基本工资"), QStringLiteral("="), QStringLiteral(" -1.5e2 ")}}}),
                       andConnectors());
    QVERIFY(r.ok);
    QCOMPARE(r.condition, QStringLiteral("f0='200504' and T1= -1.5e2 "));

    r = BuildCondition(items(), rows({{0, {QStringLiteral("入职日期"), QStringLiteral("="), QStringLiteral("2005-2-30")}}}),
                       andConnectors());
    QVERIFY(!r.ok);
    QCOMPARE(r.message, QStringLiteral("日期输入错误"));

    for (const char *good : {"12", "-3", "+.5", "1.", "2E3", " 7 "})
        QVERIFY2(IsNumberText(QLatin1String(good)), good);
    for (const char *bad : {"", "1,000", "1e", "1 2", "abc", "1;drop table rsgz"})
        QVERIFY2(!IsNumberText(QLatin1String(bad)), bad);
    QCOMPARE(TypeClass(QStringLiteral("datetime")), QStringLiteral("DATETIME"));
    QCOMPARE(TypeClass(QStringLiteral("nume")), QStringLiteral("NUME"));
    QCOMPARE(TypeClass(QStringLiteral("MON")), QStringLiteral("STR"));
}

void TestBatchModify::updateStatement()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    ModJgupdate::CreateWageTables(cn);
    ModJgupdate::WriteDefaultWageItems(cn);
    addMonth(cn, QStringLiteral("200504"), {QStringLiteral("张三"), QStringLiteral("O'Neil"), QStringLiteral("李四")});
    addMonth(cn, QStringLiteral("200505"), {QStringLiteral("张三"), QStringLiteral("李四")});

    // The window's item list: shown items in dictionary order.
    const QList<WageItem> dict = ReadWageItems(cn);
    QCOMPARE(dict.size(), 11);
    QCOMPARE(dict.first().code, QStringLiteral("f0"));
    QCOMPARE(dict.last().name, QStringLiteral("实发合计"));

    const auto r = BuildCondition(dict,
                                  rows({{0, {QStringLiteral("月份"), QStringLiteral("="), QStringLiteral("200504")}},
                                        {1, {QStringLiteral("姓名"), QStringLiteral("<>"), QStringLiteral("O'Neil")}}}),
                                  andConnectors());
    QCOMPARE(RunBatchModify(cn, QStringLiteral("T2"), QStringLiteral("t1/10"), r.condition), 2);
    const auto got = cn.query(QStringLiteral("select f0,f2,t2 from rsgz order by f0,f1")).rows;
    QCOMPARE(got.size(), 5);
    QCOMPARE(got[0][2].toDouble(), 100.0);
    QCOMPARE(got[1][2].toDouble(), 0.0);  // O'Neil
    QCOMPARE(got[2][2].toDouble(), 300.0);
    QCOMPARE(got[3][2].toDouble(), 0.0);  // another month
    // No condition: every row of every month.
    QCOMPARE(BatchUpdateSql(QStringLiteral("T3"), QStringLiteral("5"), QString()), QStringLiteral("update rsgz set T3=5"));
    QCOMPARE(RunBatchModify(cn, QStringLiteral("T3"), QStringLiteral("5"), QString()), 5);
}

QTEST_MAIN(TestBatchModify)
#include "tst_batch_modify.moc"
