// Tests of the pay sheet and pay slip tables, the money sums and the two windows.
#include "app/main_window.h"
#include "app/program_state.h"
#include "payroll/payroll_fixture.h"
#include "printing/column_sums.h"
#include "printing/commands.h"
#include "printing/pay_grid.h"
#include "printing/pay_sheet_window.h"
#include "printing/pay_slip_window.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/flex_grid.h"

#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

using namespace ModPayGrid;

namespace {

// The wage tables with a month of rows in 200504 and 200505; employees inserted out of number
// order, one with a Null item.
Connection &wageDatabase(TestEnv &env)
{
    Connection &cn = PayrollFixture::openPayrollDatabase(env);
    for (const char *month : {"200504", "200505"})
        cn.execute(QStringLiteral("insert into rsgz (f0,f1,f2,t1,t2) values ('%1','A02','李四',1500.5,20),"
                                  " ('%1','A01','张三',1200,0.1), ('%1','A01','张三乙',1000,null)").arg(month));
    return cn;
}

QStringList rowOf(const CellTable &t, int r)
{
    QStringList out;
    for (int c = 0; c < t.columnCount(); ++c)
        out << t.text(r, c);
    return out;
}

} // namespace

class TestPaySheet : public QObject {
    Q_OBJECT
private slots:
    void moneyIsRoundedAndTotalledToTheCent();
    void paySheetAndSlipTablesAndWindows();
};

void TestPaySheet::moneyIsRoundedAndTotalledToTheCent()
{
    using ModFlSum::LeadingNumber;
    const std::pair<const char16_t *, double> leading[] = {{u"  1 2.5x", 12.5}, {u"1.2.3", 1.2}, {u"2e3kg", 2000.0},
                                                           {u"5e", 5.0}, {u"合计", 0.0}, {u"-", 0.0}};
    for (const auto &[text, value] : leading)
        QCOMPARE(LeadingNumber(text), value);

    // Two decimals, half a cent away from zero as the decimal reads (1.005 lies just below in binary).
    const std::pair<double, const char *> money[] = {{1.005, "1.01"}, {2.675, "2.68"}, {-0.005, "-0.01"}, {-0.004, "0.00"},
                                                     {5108.18, "5108.18"}, {202277.5, "202277.50"}, {1200, "1200.00"},
                                                     {0.1 + 0.2, "0.30"}, {99999999999.995, "100000000000.00"}};
    for (const auto &[value, text] : money)
        QCOMPARE(ModFlSum::MoneyText(value), QString::fromLatin1(text));

    // Many amounts in cents add up to their exact decimal sum, whether taken from the values (the
    // totals row) or read back from the cell texts (FlSum), and the two agree.
    QRandomGenerator rng(20050430);
    const int n = 100000;
    ResultSet rs;
    rs.columns = {QStringLiteral("f0"), QStringLiteral("f1"), QStringLiteral("f2"), QStringLiteral("t1"), QStringLiteral("t2")};
    qint64 exact1 = 0, exact2 = 0;
    for (int i = 0; i < n; ++i) {
        const qint64 a = rng.bounded(2000000) - 100000, b = rng.bounded(99999999);  // up to 19999.99 and 999999.99
        exact1 += a;
        exact2 += b;
        rs.rows.append({QStringLiteral("200504"), QString::number(i), QStringLiteral("员工"), double(a) / 100, double(b) / 100});
    }
    const PayTable sheet(std::make_shared<const PayMonth>(rs, QStringList()), PayTable::Sheet);
    const auto decimal = [](qint64 cents) {
        return QStringLiteral("%1%2.%3").arg(cents < 0 ? "-" : "").arg(std::abs(cents) / 100).arg(std::abs(cents) % 100, 2, 10, QLatin1Char('0'));
    };
    QCOMPARE(sheet.text(n + 1, 3), decimal(exact1));
    QCOMPARE(sheet.text(n + 1, 4), decimal(exact2));
    struct BeforeTotals {  // FlSum runs while the totals cell is still empty: rows 1 … n
        const PayTable &t;
        int Rows() const { return t.Rows() - 1; }
        QString TextMatrix(int r, int c) const { return t.TextMatrix(r, c); }
    };
    QCOMPARE(ModFlSum::MoneyText(ModFlSum::FlSum(BeforeTotals{sheet}, 3)), decimal(exact1));
    QCOMPARE(ModFlSum::MoneyText(ModFlSum::FlSum(BeforeTotals{sheet}, 4)), decimal(exact2));
    QCOMPARE(sheet.number(n + 1, 4), double(exact2) / 100);
}

void TestPaySheet::paySheetAndSlipTablesAndWindows()
{
    TestEnv env;
    Connection &cn = wageDatabase(env);
    cn.execute(QStringLiteral("insert into rsgz (f0,f1,f2) values ('O''Brien','001','x')"));

    const ShownColumns shown = ReadShownColumns(cn, QStringLiteral("rsgz"));
    QCOMPARE(ColumnList(shown.codes), QStringLiteral("f0,f1,f2,T1,T2,T3,T4,T5,T6,T39,T40"));

    // Employee number order, ties by id; a Null cell stays empty; amounts with two decimals;
    // totals from the fourth column on.
    const PayTable sheet(QueryMonth(cn, QStringLiteral("rsgz"), shown, QStringLiteral("200504")), PayTable::Sheet);
    QCOMPARE(sheet.rowCount(), 5);
    QCOMPARE(rowOf(sheet, 0).mid(0, 4), QStringList({"月份", "员工编号", "姓名", "基本工资"}));
    QCOMPARE(rowOf(sheet, 1).mid(0, 5), QStringList({"200504", "A01", "张三", "1200.00", "0.10"}));
    QVERIFY(sheet.text(2, 2) == QStringLiteral("张三乙") && sheet.text(2, 4).isEmpty());
    QCOMPARE(rowOf(sheet, 4), QStringList({"合计", "", "", "3700.50", "20.10"}) + QStringList(6, QStringLiteral("0.00")));
    // Month and number are texts whatever they read, amounts money, captions and a Null text.
    QVERIFY(sheet.kind(1, 0) == CellTable::Text && sheet.kind(1, 1) == CellTable::Text && sheet.kind(0, 3) == CellTable::Text);
    QVERIFY(sheet.kind(1, 3) == CellTable::Money && sheet.kind(2, 4) == CellTable::Text && sheet.kind(4, 3) == CellTable::Money);
    QCOMPARE(sheet.number(3, 3), 1500.5);

    // A month with a quote in it is one value, and a month without rows (or no shown item) gives nothing.
    const PayTable quoted(QueryMonth(cn, QStringLiteral("rsgz"), shown, QStringLiteral("O'Brien")), PayTable::Sheet);
    QVERIFY(quoted.rowCount() == 3 && quoted.text(1, 1) == QStringLiteral("001") && quoted.kind(1, 1) == CellTable::Text);
    QVERIFY(!QueryMonth(cn, QStringLiteral("rsgz"), shown, QStringLiteral("209912")));
    QVERIFY(!QueryMonth(cn, QStringLiteral("rsgz"), ShownColumns{}, QStringLiteral("200504")));

    // A column holding any text stays text: its cells add the number they start with; the first
    // three columns get no total.
    ResultSet rs;
    rs.columns = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("e")};
    rs.rows = {{"9", "9", "9", QStringLiteral("12abc"), 2.5},
               {QVariant(), QVariant(), QVariant(), QStringLiteral("0.5元"), QVariant()},
               {QVariant(), QVariant(), QVariant(), 7.25, 1}};
    const PayTable mixed(std::make_shared<const PayMonth>(rs, QStringList{"A", "B"}), PayTable::Sheet);
    QCOMPARE(rowOf(mixed, 0), QStringList({"A", "B", "", "", ""}));
    QCOMPARE(rowOf(mixed, 3), QStringList({"", "", "", "7.25", "1.00"}));
    QVERIFY(mixed.kind(3, 3) == CellTable::Text && mixed.kind(3, 4) == CellTable::Money);
    QCOMPARE(rowOf(mixed, 4), QStringList({"合计", "", "", "19.75", "3.50"}));

    // Pay slips, 2N+1 rows: a caption row above each employee, the last row empty; slips come in
    // blocks of two rows.
    const PayTable slips(QueryMonth(cn, QStringLiteral("rsgz"), shown, QStringLiteral("200504")), PayTable::Slips);
    QVERIFY(slips.rowCount() == 7 && slips.blockRows() == 2 && sheet.blockRows() == 0);
    for (int r = 0; r < 6; r += 2)
        QCOMPARE(rowOf(slips, r), shown.captions);
    QCOMPARE(rowOf(slips, 1).mid(0, 4), QStringList({"200504", "A01", "张三", "1200.00"}));
    QVERIFY(slips.text(3, 2) == QStringLiteral("张三乙") && slips.text(3, 4).isEmpty() && slips.text(5, 2) == QStringLiteral("李四"));
    QCOMPARE(rowOf(slips, 6), QStringList(11));
    QVERIFY(slips.kind(2, 3) == CellTable::Text && slips.kind(3, 3) == CellTable::Money);

    // The windows: 200505 now holds one employee.
    cn.execute(QStringLiteral("delete from rsgz where f0 <> '200504'"));
    cn.execute(QStringLiteral("insert into rsgz (f0,f1,f2,t1) values ('200505','A09','王五',800)"));

    FrmgzDprint sheetWindow;
    sheetWindow.show();
    auto *grid = sheetWindow.findChild<FlexGrid *>(QStringLiteral("MSFl"));
    auto *month = sheetWindow.findChild<DataCombo *>(QStringLiteral("DataRC"));
    QVERIFY(grid && month && month->count() == 2 && grid->Cols() == 11);
    QVERIFY(month->text().isEmpty());  // nothing chosen at first

    // Picking an entry queries it; a month without rows afterwards leaves it on screen.
    month->setFocus();
    QTest::keyClick(month, Qt::Key_Down);
    QVERIFY(month->text() == QStringLiteral("200504") && grid->Rows() == 5 && grid->TextMatrix(0, 3) == QStringLiteral("基本工资"));
    QVERIFY(grid->TextMatrix(4, 0) == QStringLiteral("合计") && grid->TextMatrix(4, 3) == QStringLiteral("3700.50"));
    // Amounts to the right, the month and the names to the left.
    auto alignment = [grid](int row, int col) {
        return grid->model()->index(row - 1, col).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
    };
    QVERIFY(alignment(1, 0) == Qt::AlignLeft && alignment(1, 2) == Qt::AlignLeft && alignment(1, 3) == Qt::AlignRight);
    QVERIFY(alignment(4, 0) == Qt::AlignLeft && alignment(4, 10) == Qt::AlignRight);
    sheetWindow.selectMonth(QStringLiteral("209912"));
    QVERIFY(grid->Rows() == 5 && grid->TextMatrix(1, 2) == QStringLiteral("张三"));

    // An item hidden and another renamed while the window is open: the next query labels every
    // column with its own caption.
    cn.execute(QStringLiteral("update rs_codedict set can_show='0' where colm_code='T2'"));
    cn.execute(QStringLiteral("update rs_codedict set colm_name='提成' where colm_code='T3'"));
    month->setText(QStringLiteral("200505"));
    sheetWindow.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    QVERIFY(grid->Rows() == 3 && grid->Cols() == 10);
    QVERIFY(grid->TextMatrix(1, 2) == QStringLiteral("王五") && grid->TextMatrix(1, 3) == QStringLiteral("800.00"));
    QVERIFY(grid->TextMatrix(0, 4) == QStringLiteral("提成") && grid->TextMatrix(0, 8) == QStringLiteral("应发合计"));
    QCOMPARE(sheetWindow.columnList(), QStringLiteral("f0,f1,f2,T1,T3,T4,T5,T6,T39,T40"));

    // Printing without a printer: a PDF beside the program, and the message says where.
    sheetWindow.findChild<QPushButton *>(QStringLiteral("Command3"))->click();
    QVERIFY(env.messages.records.size() == 1 && env.messages.records[0].text.endsWith(env.path(QStringLiteral("book1.pdf"))));

    FrmgzTprint slipWindow;
    slipWindow.selectMonth(QStringLiteral("200504"));
    auto *slipGrid = slipWindow.findChild<FlexGrid *>(QStringLiteral("MSFl"));
    QVERIFY(slipGrid->Rows() == 7 && slipGrid->TextMatrix(2, 2) == QStringLiteral("姓名"));
    QVERIFY(slipGrid->TextMatrix(3, 2) == QStringLiteral("张三乙") && slipGrid->TextMatrix(3, 3) == QStringLiteral("1000.00"));

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
