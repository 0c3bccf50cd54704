// Tests of the pay sheet and pay slip tables, the column sums and the two windows.
#include "support/test_env.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "dictionary/personnel_tables.h"
#include "platform/db/connection.h"
#include "printing/column_sums.h"
#include "printing/commands.h"
#include "printing/pay_grid.h"
#include "printing/pay_sheet_window.h"
#include "printing/pay_slip_window.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/flex_grid.h"

#include <QRandomGenerator>
#include <QPushButton>

#include <QtTest>

using namespace ModPayGrid;

namespace {

// A month of wage rows; employees inserted out of number order, one with a Null item.
void fillMonth(Connection &cn, const QString &month)
{
    cn.execute(QStringLiteral("insert into rsgz (f0,f1,f2,t1,t2) values ('%1','A02','李四',1500.5,20),"
                              " ('%1','A01','张三',1200,0.1), ('%1','A01','张三乙',1000,null)").arg(month));
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
    void paySheetAndSlipTables();
    void payWindows();
};

void TestPaySheet::leadingNumbersAndSingleSums()
{
    using ModFlSum::LeadingNumber;
    const std::pair<const char16_t *, double> cases[] = {{u"  1 2.5x", 12.5}, {u"1.2.3", 1.2}, {u"2e3kg", 2000.0},
                                                         {u"5e", 5.0}, {u"合计", 0.0}, {u"-", 0.0}};
    for (const auto &[text, value] : cases)
        QCOMPARE(LeadingNumber(text), value);
    // Plain decimals and decimals followed by text read as the full conversion reads them.
    QRandomGenerator digits(7);
    for (int i = 0; i < 5000; ++i) {
        QString t = QString::number(digits.bounded(2000000000)) + QString::number(digits.bounded(1000000));
        t.insert(int(digits.bounded(int(t.size()) + 1)), QLatin1Char('.'));
        if (i % 2)
            t.prepend(QLatin1Char('-'));
        QCOMPARE(LeadingNumber(t), t.toDouble());
        QCOMPARE(LeadingNumber(t + QStringLiteral("元")), t.toDouble());
    }

    QCOMPARE(ModFlSum::SingleText(-0.0f), QStringLiteral("0"));
    // Every value reads as the C library's seven-digit general form: cents, whole amounts, large and tiny values.
    QRandomGenerator rng(20050430);
    for (int i = 0; i < 20000; ++i) {
        const int scale = i % 4;
        float f = float(rng.bounded(20000000) - 10000000) / (scale == 0 ? 100.0f : scale == 1 ? 1.0f : scale == 2 ? 7.0f : 1e6f);
        if (i % 97 == 0)
            f = float(rng.generateDouble() * 1e12);
        if (f == 0.0f)
            continue;
        QCOMPARE(ModFlSum::SingleText(f), QString::asprintf("%.7G", double(f)));
    }

    // Sums are single precision, rounded after each addition: 2^24 + 1 + 1 stays 2^24.
    PayTable t;
    t.cols = 1;
    t.rows = {{QStringLiteral("head 99")}, {QStringLiteral("16777216")}, {QStringLiteral("1")}, {QStringLiteral("1")}, {QString()}};
    QCOMPARE(ModFlSum::FlSum(t, 0), 16777216.0f);
    t.rows = {{QStringLiteral("head")}, {QStringLiteral("0.1")}, {QStringLiteral("0.2")}, {QStringLiteral("3x")}};
    QCOMPARE(ModFlSum::SingleText(ModFlSum::FlSum(t, 0)), QStringLiteral("3.3"));
}

void TestPaySheet::paySheetAndSlipTables()
{
    TestEnv env;
    Connection &cn = wageDatabase(env);
    fillMonth(cn, QStringLiteral("200504"));
    fillMonth(cn, QStringLiteral("200505"));
    cn.execute(QStringLiteral("insert into rsgz (f0,f1,f2) values ('O''Brien','B1','x')"));

    const QString list = ColumnList(ReadShownColumns(cn, QStringLiteral("rsgz")).codes);
    QCOMPARE(list, QStringLiteral("f0,f1,f2,T1,T2,T3,T4,T5,T6,T39,T40"));

    // Employee number order, ties by id; a Null cell stays empty; totals from the fourth column on.
    auto sheet = QueryPaySheet(cn, QStringLiteral("rsgz"), list, 11, QStringLiteral("200504"));
    QVERIFY(sheet->TextMatrix(2, 2) == QStringLiteral("张三乙") && sheet->TextMatrix(2, 4).isEmpty());
    QCOMPARE(sheet->rows.last(), QStringList({QStringLiteral("合计"), QString(), QString(), QStringLiteral("3700.5"),
                                              QStringLiteral("20.1")}) + QStringList(6, QStringLiteral("0")));

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

    // Pay slips, 2N+1 rows. A dictionary change after the column list was built: captions are read afresh, clipped to the columns.
    const QStringList codes = ReadShownColumns(cn, QStringLiteral("rsgz")).codes.mid(0, 4);
    cn.execute(QStringLiteral("update rs_codedict set colm_name='工号' where colm_code='f1'"));
    auto slips = QueryPaySlips(cn, QStringLiteral("rsgz"), ColumnList(codes), 4, QStringLiteral("200504"));
    QVERIFY(slips && slips->Rows() == 2 * 3 + 1);
    const QStringList caption{QStringLiteral("月份"), QStringLiteral("工号"), QStringLiteral("姓名"), QStringLiteral("基本工资")};
    for (int r = 0; r < 6; r += 2)
        QCOMPARE(slips->rows[r], caption);
    QCOMPARE(slips->rows[1], (QStringList{QStringLiteral("200504"), QStringLiteral("A01"), QStringLiteral("张三"), QStringLiteral("1200")}));
    QVERIFY(slips->TextMatrix(3, 2) == QStringLiteral("张三乙") && slips->TextMatrix(5, 2) == QStringLiteral("李四"));
    QCOMPARE(slips->rows[6], QStringList(4));
    QVERIFY(!QueryPaySlips(cn, QStringLiteral("rsgz"), ColumnList(codes), 4, QStringLiteral("200506")));
}

void TestPaySheet::payWindows()
{
    TestEnv env;
    Connection &cn = wageDatabase(env);
    fillMonth(cn, QStringLiteral("200504"));
    cn.execute(QStringLiteral("insert into rsgz (f0,f1,f2,t1) values ('200505','A09','王五',800)"));

    FrmgzDprint sheet;
    sheet.show();
    auto *grid = sheet.findChild<FlexGrid *>(QStringLiteral("MSFl"));
    auto *month = sheet.findChild<DataCombo *>(QStringLiteral("DataRC"));
    QVERIFY(grid && month && month->count() == 2 && grid->Cols() == 11);
    QVERIFY(month->text().isEmpty());  // nothing chosen at first

    // Picking an entry queries it; a month without rows afterwards leaves it on screen.
    month->setFocus();
    QTest::keyClick(month, Qt::Key_Down);
    QCOMPARE(month->text(), QStringLiteral("200504"));
    QCOMPARE(grid->Rows(), 5);
    QCOMPARE(grid->TextMatrix(0, 3), QStringLiteral("基本工资"));
    QVERIFY(grid->TextMatrix(4, 0) == QStringLiteral("合计") && grid->TextMatrix(4, 3) == QStringLiteral("3700.5"));
    sheet.selectMonth(QStringLiteral("209912"));
    QVERIFY(grid->Rows() == 5 && grid->TextMatrix(1, 2) == QStringLiteral("张三"));
    // A month with rows after it: cleared and refilled.
    month->setText(QStringLiteral("200505"));
    sheet.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    QCOMPARE(grid->Rows(), 3);
    QVERIFY(grid->TextMatrix(1, 2) == QStringLiteral("王五") && grid->TextMatrix(2, 3) == QStringLiteral("800"));

    // Printing without a printer: a PDF beside the program, and the message says where.
    sheet.findChild<QPushButton *>(QStringLiteral("Command3"))->click();
    QVERIFY(env.messages.records.size() == 1 && env.messages.records[0].text.endsWith(env.path(QStringLiteral("book1.pdf"))));
    // Export writes the grid as it is on screen.
    sheet.findChild<QPushButton *>(QStringLiteral("Command4"))->click();
    QCOMPARE(env.messages.records.last().text,
             QStringLiteral("导出后，保存文件名称为") + env.path(QStringLiteral("book1.xlsx")));

    FrmgzTprint slips;
    slips.selectMonth(QStringLiteral("200504"));
    auto *slipGrid = slips.findChild<FlexGrid *>(QStringLiteral("MSFl"));
    QCOMPARE(slipGrid->Rows(), 7);
    QVERIFY(slipGrid->TextMatrix(2, 2) == QStringLiteral("姓名") && slipGrid->TextMatrix(3, 2) == QStringLiteral("张三乙"));
    QCOMPARE(slipGrid->TextMatrix(3, 4), QString());  // a Null item

    // The wage menu opens each window once.
    form_main main;
    registerPrintingCommands(main);
    main.runCommand(QStringLiteral("menu_gZset_9"));
    main.runCommand(QStringLiteral("menu_gZset_8"));
    main.runCommand(QStringLiteral("menu_gZset_9"));
    QVERIFY(qobject_cast<FrmgzDprint *>(main.findChildWindow(QStringLiteral("FrmgzDprint")))
            && qobject_cast<FrmgzTprint *>(main.findChildWindow(QStringLiteral("FrmgzTprint"))));
    QCOMPARE(main.findChildren<FrmgzDprint *>().size(), 1);

    // No shown item: said so, and no statement is sent.
    env.messages.records.clear();
    cn.execute(QStringLiteral("update rs_codedict set can_show='0'"));
    FrmgzDprint empty;
    empty.selectMonth(QStringLiteral("200504"));
    QVERIFY(env.messages.records.size() == 1 && env.messages.records[0].text.contains(QStringLiteral("没有要显示的工资项目")));
    QCOMPARE(empty.findChild<FlexGrid *>(QStringLiteral("MSFl"))->Rows(), 0);
    // A database error is shown with its description and number.
    cn.execute(QStringLiteral("update rs_codedict set can_show='1' where colm_code in ('f1','f2','T1')"));
    FrmgzTprint failing;
    QCOMPARE(failing.columnList(), QStringLiteral("f1,f2,T1"));
    cn.execute(QStringLiteral("drop table rsgz"));
    failing.selectMonth(QStringLiteral("200504"));
    QCOMPARE(env.messages.records.size(), 2);
    QVERIFY(env.messages.records[1].text.endsWith(QString::number(DbError::ObjectNotFound)) && env.messages.records[1].flags == 16);
}

QTEST_MAIN(TestPaySheet)
#include "tst_pay_sheet.moc"
