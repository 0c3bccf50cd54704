// Tests of the pay sheet and pay slip tables, the column sums and the two windows.
#include "support/test_env.h"

#include "app/program_state.h"
#include "dictionary/personnel_tables.h"
#include "platform/db/connection.h"
#include "printing/column_sums.h"
#include "printing/pay_grid.h"

#include <QtTest>

using namespace ModPayGrid;

namespace {

// A month of wage rows; employees inserted out of number order, one with a Null item.
void fillMonth(Connection &cn, const QString &month)
{
    cn.execute(QStringLiteral("insert into rsgz (f0,f1,f2,t1,t2) values ('%1','A02','李四',1500.5,20)").arg(month));
    cn.execute(QStringLiteral("insert into rsgz (f0,f1,f2,t1,t2) values ('%1','A01','张三',1200,0.1)").arg(month));
    cn.execute(QStringLiteral("insert into rsgz (f0,f1,f2,t1,t2) values ('%1','A01','张三乙',1000,null)").arg(month));
}

Connection &wageDatabase(TestEnv &env)
{
    Connection &cn = env.openNewDatabase();
    ModJgupdate::CreateWageTables(cn);
    ModJgupdate::WriteDefaultWageItems(cn);
    return cn;
}

} // namespace

class TestPaySheet : public QObject {
    Q_OBJECT
private slots:
    void leadingNumbersAndSingleSums();
    void paySheetTable();
    void paySlipTable();
};

void TestPaySheet::leadingNumbersAndSingleSums()
{
    using ModFlSum::LeadingNumber;
    QCOMPARE(LeadingNumber(u"123abc"), 123.0);
    QCOMPARE(LeadingNumber(u"  1 2.5x"), 12.5);
    QCOMPARE(LeadingNumber(u"-7.25元"), -7.25);
    QCOMPARE(LeadingNumber(u"1.2.3"), 1.2);
    QCOMPARE(LeadingNumber(u"2e3kg"), 2000.0);
    QCOMPARE(LeadingNumber(u"5e"), 5.0);
    QCOMPARE(LeadingNumber(u"合计"), 0.0);
    QCOMPARE(LeadingNumber(u""), 0.0);
    QCOMPARE(LeadingNumber(u"-"), 0.0);

    QCOMPARE(ModFlSum::SingleText(1234.5f), QStringLiteral("1234.5"));
    QCOMPARE(ModFlSum::SingleText(0.1f + 0.2f), QStringLiteral("0.3"));
    QCOMPARE(ModFlSum::SingleText(-0.0f), QStringLiteral("0"));
    QCOMPARE(ModFlSum::SingleText(12345678.0f), QStringLiteral("1.234568E+07"));

    // Sums are single precision, rounded after each addition: 2^24 + 1 + 1 stays 2^24.
    PayTable t;
    t.cols = 1;
    t.rows = {{QStringLiteral("head 99")}, {QStringLiteral("16777216")}, {QStringLiteral("1")}, {QStringLiteral("1")}, {QString()}};
    QCOMPARE(ModFlSum::FlSum(t, 0), 16777216.0f);
    t.rows = {{QStringLiteral("head")}, {QStringLiteral("0.1")}, {QStringLiteral("0.2")}, {QStringLiteral("3x")}};
    QCOMPARE(ModFlSum::SingleText(ModFlSum::FlSum(t, 0)), QStringLiteral("3.3"));
}

void TestPaySheet::paySheetTable()
{
    TestEnv env;
    Connection &cn = wageDatabase(env);
    fillMonth(cn, QStringLiteral("200504"));
    fillMonth(cn, QStringLiteral("200505"));
    cn.execute(QStringLiteral("insert into rsgz (f0,f1,f2) values ('O''Brien','B1','x')"));

    const ShownColumns shown = ReadShownColumns(cn, QStringLiteral("rsgz"));
    QCOMPARE(shown.codes.size(), 11);
    const QString list = ColumnList(shown.codes);
    QCOMPARE(list, QStringLiteral("f0,f1,f2,T1,T2,T3,T4,T5,T6,T39,T40"));

    auto sheet = QueryPaySheet(cn, QStringLiteral("rsgz"), list, 11, QStringLiteral("200504"));
    QVERIFY(sheet);
    QCOMPARE(sheet->Rows(), 3 + 2);
    QCOMPARE(sheet->rows[0], shown.captions);
    // Employee number order, ties by id; Null cells stay empty.
    QCOMPARE(sheet->TextMatrix(1, 2), QStringLiteral("张三"));
    QCOMPARE(sheet->TextMatrix(2, 2), QStringLiteral("张三乙"));
    QCOMPARE(sheet->TextMatrix(2, 4), QString());
    QCOMPARE(sheet->TextMatrix(3, 3), QStringLiteral("1500.5"));
    const QStringList &totals = sheet->rows.last();
    QCOMPARE(totals[0], QStringLiteral("合计"));
    QVERIFY(totals[1].isEmpty() && totals[2].isEmpty());
    QCOMPARE(totals[3], QStringLiteral("3700.5"));
    QCOMPARE(totals[4], QStringLiteral("20.1"));
    QCOMPARE(totals[10], QStringLiteral("0"));

    // A month with a quote in it is one value, and a month without rows gives nothing.
    QCOMPARE(QueryPaySheet(cn, QStringLiteral("rsgz"), list, 11, QStringLiteral("O'Brien"))->Rows(), 3);
    QVERIFY(!QueryPaySheet(cn, QStringLiteral("rsgz"), list, 11, QStringLiteral("209912")));

    // Texts with trailing letters add their leading number; the first three columns get no total.
    ResultSet rs;
    rs.columns = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")};
    rs.rows = {{QStringLiteral("9"), QStringLiteral("9"), QStringLiteral("9"), QStringLiteral("12abc")},
               {QVariant(), QVariant(), QVariant(), QStringLiteral("0.5元")},
               {QVariant(), QVariant(), QVariant(), QVariant()}};
    const PayTable t = BuildPaySheet(rs, {QStringLiteral("A"), QStringLiteral("B")}, 4);
    QCOMPARE(t.rows[0], (QStringList{QStringLiteral("A"), QStringLiteral("B"), QString(), QString()}));
    QCOMPARE(t.rows.last(), (QStringList{QStringLiteral("合计"), QString(), QString(), QStringLiteral("12.5")}));
}

void TestPaySheet::paySlipTable()
{
    TestEnv env;
    Connection &cn = wageDatabase(env);
    fillMonth(cn, QStringLiteral("200504"));
    // A dictionary change after the column list was built: captions are read afresh, clipped to the columns.
    const QStringList codes = ReadShownColumns(cn, QStringLiteral("rsgz")).codes.mid(0, 4);
    cn.execute(QStringLiteral("update rs_codedict set colm_name='工号' where colm_code='f1'"));
    auto slips = QueryPaySlips(cn, QStringLiteral("rsgz"), ColumnList(codes), 4, QStringLiteral("200504"));
    QVERIFY(slips);
    QCOMPARE(slips->Rows(), 2 * 3 + 1);
    const QStringList caption{QStringLiteral("月份"), QStringLiteral("工号"), QStringLiteral("姓名"), QStringLiteral("基本工资")};
    for (int r = 0; r < 6; r += 2)
        QCOMPARE(slips->rows[r], caption);
    QCOMPARE(slips->rows[1], (QStringList{QStringLiteral("200504"), QStringLiteral("A01"), QStringLiteral("张三"), QStringLiteral("1200")}));
    QCOMPARE(slips->TextMatrix(3, 2), QStringLiteral("张三乙"));
    QCOMPARE(slips->TextMatrix(5, 2), QStringLiteral("李四"));
    QCOMPARE(slips->rows[6], QStringList(4));
    QVERIFY(!QueryPaySlips(cn, QStringLiteral("rsgz"), ColumnList(codes), 4, QStringLiteral("200506")));
}

QTEST_MAIN(TestPaySheet)
#include "tst_pay_sheet.moc"
