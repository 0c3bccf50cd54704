// Tests of FrmreportSetGZXM: preparation on first activation (a partial or broken dictionary too),
// adding, modifying, cancelling, the type list.
#include "app/main_window.h"
#include "dictionary/commands.h"
#include "dictionary/dictionary_tables.h"
#include "dictionary/wage_items_window.h"
#include "app/program_state.h"
#include "payroll/payroll_fixture.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/flex_grid.h"
#include "support/test_env.h"

#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <sqlite3.h>

using namespace PayrollFixture;

namespace {

QPushButton *button(QWidget &w, const char *name) { return w.findChild<QPushButton *>(QLatin1String(name)); }
DataGrid *grid(QWidget &w) { return w.findChild<DataGrid *>(QStringLiteral("DataGrid1")); }
FlexGrid *typeList(QWidget &w) { return w.findChild<FlexGrid *>(QStringLiteral("FlDict")); }

QString cell(DataGrid *g, int row, int column) { return g->model()->index(row, column).data().toString(); }

// Types into the grid's cell of the current row, as a person does.
void type(DataGrid *g, const QList<std::pair<int, QString>> &cells)
{
    for (const auto &[column, text] : cells)
        QVERIFY(g->model()->setData(g->model()->index(g->recordset()->currentRow(), column), text));
}

int count(const QString &sql) { return scalar(cnMain, sql).toInt(); }
QVariant hz(const char *column) { return scalar(cnMain, QStringLiteral("select %1 from rs_codedict where colm_code='T2'").arg(column)); }

// Which of add, modify, delete, save, cancel and exit are enabled, as "1"/"0" in that order.
QString buttons(QWidget &w)
{
    QString out;
    for (const char *name : {"cmdzj", "cmdxg", "cmdsc", "cmdbc", "cmdqx", "Cmdtc"})
        out += button(w, name)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    return out;
}

// Clicks the type column's cell button in the current row, then, when given, a row of the list.
void pickType(FrmreportSetGZXM &w, int listRow)
{
    DataGrid *g = grid(w);
    g->setCurrentColumn(FrmreportSetGZXM::kTypeColumn);
    const QRect r = g->cellButtonRect(g->currentIndex().row(), FrmreportSetGZXM::kTypeColumn);
    if (r.isEmpty())
        return w.DataGrid1_ButtonClick(FrmreportSetGZXM::kTypeColumn);  // no button shows: the click does nothing
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
    FlexGrid *list = typeList(w);
    if (listRow > 0 && list->isVisible())
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(listRow - 1, 0)).center());
}

} // namespace

class TestWageItemsWindow : public QObject {
    Q_OBJECT
private slots:
    void firstActivationPreparesTheDatabase();
    void addModifySaveCancelDelete();
    void moveButtonsAndFormulaCheck();
    void closingWithAnItemPending();
};

void TestWageItemsWindow::firstActivationPreparesTheDatabase()
{
    TestEnv env;
    env.openOlderDatabase();
    {
        FrmreportSetGZXM w;
        w.show();
        QVERIFY(env.messages.records.isEmpty() && cnMain.tableExists(QStringLiteral("rsgz")));
        QCOMPARE(count(QStringLiteral("select count(*) from mytable where table_name='rsgz' and lx='工资'")), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from rs_codedict where nullbj is null")), 0);
        DataGrid *g = grid(w);
        // The 43 default items in their order.
        QVERIFY(g->model()->rowCount() == 43 && cell(g, 3, 3) == QStringLiteral("T1") && cell(g, 42, 4) == QStringLiteral("实发合计"));
        // Browsing: only add, modify, delete and exit; the grid takes no typing, the type list stays shut.
        QCOMPARE(buttons(w), QStringLiteral("111001"));
        QVERIFY(!g->model()->setData(g->model()->index(3, 4), QStringLiteral("x")));
        pickType(w, 0);
        QVERIFY(!typeList(w)->isVisible());
    }
    // A second opening writes nothing.
    auto dump = [] {
        QString out;
        for (const char *table : {"rs_codedict", "mytable"})
            for (const QVariantList &row : cnMain.query(QStringLiteral("select * from %1 order by 1").arg(QLatin1String(table))).rows)
                for (const QVariant &v : row)
                    out += v.toString() + QLatin1Char('|');
        return out + QString::number(count(QStringLiteral("select count(*) from rsgz")));
    };
    const QString before = dump();
    {
        FrmreportSetGZXM again;
        again.show();
        QCOMPARE(dump(), before);
    }

    // A dictionary without its formula columns and its wage table: the table is made, the rows written.
    cnMain.execute(QStringLiteral("drop table rs_codedict"));
    cnMain.execute(QStringLiteral("drop table rsgz"));
    cnMain.execute(QStringLiteral("delete from mytable where table_name = 'rsgz'"));
    cnMain.execute(QStringLiteral("select * into rs_codedict from dh_codedict where id_no=0"));
    {
        FrmreportSetGZXM w;
        w.show();
        QVERIFY(env.messages.records.isEmpty() && cnMain.tableExists(QStringLiteral("rsgz")));
        QCOMPARE(grid(w)->model()->rowCount(), 43);
    }
    // A dictionary the query cannot read: its description followed by its number, nothing shown.
    cnMain.execute(QStringLiteral("drop table rs_codedict"));
    cnMain.execute(QStringLiteral("create table rs_codedict (table_code text)"));
    FrmreportSetGZXM w;
    w.show();
    QCOMPARE(env.messages.records.size(), 1);
    QVERIFY(env.messages.records.first().text.endsWith(QString::number(DbError::UnknownColumn)));
    QCOMPARE(grid(w)->model()->rowCount(), 0);
}

void TestWageItemsWindow::addModifySaveCancelDelete()
{
    TestEnv env;
    openPayrollDatabase(env);
    FrmreportSetGZXM w;
    w.show();
    DataGrid *g = grid(w);
    button(w, "cmdzj")->click();
    QCOMPARE(buttons(w), QStringLiteral("100110"));
    QVERIFY(cell(g, 43, 1) == QStringLiteral("rsgz") && cell(g, 43, 2) == QStringLiteral("工资管理"));  // the new row is preset
    type(g, {{0, "390"}, {3, "T41"}, {4, "补贴"}, {7, "1"}});
    pickType(w, 3);
    QVERIFY(!typeList(w)->isVisible() && cell(g, 43, 5) == QStringLiteral("MON"));
    // Leaving the list without choosing writes nothing.
    pickType(w, 0);
    QVERIFY(typeList(w)->isVisible());
    QTest::keyClick(typeList(w), Qt::Key_Escape);
    QVERIFY(!typeList(w)->isVisible());
    QCOMPARE(count(QStringLiteral("select count(*) from rs_codedict where colm_code='T41'")), 0);

    button(w, "cmdbc")->click();
    QCOMPARE(w.state(), FrmreportSetGZXM::State::Browsing);
    const QList<DictRow> rows = ModDict::WageDict(cnMain, QStringLiteral("rsgz"), true);
    const DictRow *added = ModDict::FindByColumn(rows, QStringLiteral("t41"));
    QVERIFY(added);
    QCOMPARE((QStringList{added->colmType, added->colmName, added->tableName, added->xh.toString()}),
             (QStringList{"MON", "补贴", "工资管理", "390"}));

    // Adding then cancelling leaves the dictionary as it was.
    button(w, "cmdzj")->click();
    type(g, {{3, "T42"}});
    button(w, "cmdqx")->click();
    QVERIFY(count(QStringLiteral("select count(*) from rs_codedict")) == 44 && env.messages.records.isEmpty());

    // Modifying, then cancelling: grid and dictionary as they were.
    Recordset *rs = w.items();
    rs->setAbsolutePosition(5);  // T2 奖金
    button(w, "cmdxg")->click();
    QCOMPARE(buttons(w), QStringLiteral("000110"));
    type(g, {{4, "奖金X"}, {9, "t1*0.1"}});
    button(w, "cmdqx")->click();
    QVERIFY(cell(g, 4, 4) == QStringLiteral("奖金") && hz("hzgs").isNull());

    rs->setAbsolutePosition(5);
    button(w, "cmdxg")->click();
    // A condition longer than the column takes is refused; the edit stays open with its values.
    type(g, {{9, "t1*0.1"}, {8, QString(300, QLatin1Char('x'))}});
    button(w, "cmdbc")->click();
    QCOMPARE(env.messages.records.size(), 1);
    QVERIFY(env.messages.records.first().text.contains(QString::number(DbError::ConstraintRefused)));
    QVERIFY(w.state() == FrmreportSetGZXM::State::Modifying && cell(g, 4, 9) == QStringLiteral("t1*0.1"));
    type(g, {{8, "f1='001'"}, {10, "奖金按基本工资一成"}});
    button(w, "cmdbc")->click();
    QCOMPARE(w.state(), FrmreportSetGZXM::State::Browsing);
    QVERIFY(hz("hzgs").toString() == QStringLiteral("t1*0.1") && hz("hztj").toString() == QStringLiteral("f1='001'"));

    // Delete asks first; No keeps the row.
    env.messages.answers = {Msg::vbNo, Msg::vbYes};
    button(w, "cmdsc")->click();
    QCOMPARE(env.messages.records.last().text, QStringLiteral("是否真的删除此条记录？"));
    QVERIFY(env.messages.records.last().flags == (Msg::vbYesNo | Msg::vbQuestion) && count(QStringLiteral("select count(*) from rs_codedict")) == 44);
    button(w, "cmdsc")->click();
    QCOMPARE(scalar(cnMain, QStringLiteral("select count(*) || ' ' || sum(colm_code='T2') from rs_codedict")).toString(),
             QStringLiteral("43 0"));
    QVERIFY(g->model()->rowCount() == 43 && rs->value(QStringLiteral("colm_code")).toString() == QStringLiteral("T3"));
}

void TestWageItemsWindow::moveButtonsAndFormulaCheck()
{
    TestEnv env;
    openPayrollDatabase(env);
    setItem(cnMain, QStringLiteral("T2"), QStringLiteral("t39*0.1"));
    setItem(cnMain, QStringLiteral("T3"), QStringLiteral("t1+nosuchcolumn"));
    setItem(cnMain, QStringLiteral("T39"), QStringLiteral("t1+t2"));
    FrmreportSetGZXM w;
    w.show();
    Recordset *rs = w.items();
    // Last, next (stays at the end), previous, first, previous (stays at the start), next.
    QStringList seen;
    for (int i : {4, 3, 2, 1, 2, 3}) {
        w.findChild<QToolButton *>(QStringLiteral("Cmdmove%1").arg(i))->click();
        seen << rs->value(QStringLiteral("colm_code")).toString();
    }
    QVERIFY(seen == (QStringList{"T40", "T40", "T39", "f0", "f0", "f1"}) && grid(w)->currentIndex().row() == 1);

    button(w, "cmdjc")->click();
    // One report naming the circular items and the unknown column.
    QVERIFY(env.messages.records.size() == 1 && env.messages.records.first().flags == Msg::vbExclamation);
    for (const char *named : {"T2", "T39", "nosuchcolumn"})
        QVERIFY2(env.messages.records.first().text.contains(QLatin1String(named)), named);
}

void TestWageItemsWindow::closingWithAnItemPending()
{
    TestEnv env;
    openPayrollDatabase(env);
    form_main main;
    registerDictionaryCommands(main);
    main.show();
    bool idleWhileModifying = true;  // modifying with nothing changed yet is nothing pending
    const auto open = [&] {
        main.runCommand(QStringLiteral("menu_gZset_1"));
        auto *w = static_cast<FrmreportSetGZXM *>(main.findChildWindow(QStringLiteral("FrmreportSetGZXM")));
        w->items()->setAbsolutePosition(5);  // T2 奖金
        button(*w, "cmdxg")->click();
        idleWhileModifying = idleWhileModifying && !w->hasPendingEdit();
        type(grid(*w), {{4, QStringLiteral("奖金 '; --😀")}});
        return w;
    };
    // "退出" with a change pending asks first: Cancel keeps the program; the window's own close with
    // No drops the change; closing the main window with Yes saves it, then ends the program.
    FrmreportSetGZXM *w = open();
    env.messages.answers = {Msg::vbCancel, Msg::vbNo, Msg::vbYes};
    main.menuItem(QStringLiteral("file5"))->trigger();
    QVERIFY(env.shell.endRequests == 0 && w->state() == FrmreportSetGZXM::State::Modifying);
    QVERIFY(w->parentWidget()->close());
    QCOMPARE(hz("colm_name").toString(), QStringLiteral("奖金"));
    open();
    QVERIFY(main.close());
    env.openSameDatabase(cnMain);  // closing the main window released it
    QVERIFY(hz("colm_name").toString() == QStringLiteral("奖金 '; --😀") && env.shell.endRequests == 1);
    QCOMPARE(env.messages.texts(), QStringList(3, QStringLiteral("数据尚未保存，是否保存？")));
    QCOMPARE(env.messages.records[0].flags, Msg::vbYesNoCancel | Msg::vbQuestion);
    QVERIFY(idleWhileModifying);
}

QTEST_MAIN(TestWageItemsWindow)
#include "tst_wage_items_window.moc"
