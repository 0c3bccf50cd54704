// Tests of the wage entry window FrmGZlr and the wage field routines it is built from.
#include "support/test_env.h"

#include "dictionary/editor_driver.h"
#include "dictionary/personnel_tables.h"
#include "payroll/month_lock.h"
#include "payroll/wage_entry_window.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/twips.h"

#include <QFrame>
#include <QScrollBar>

namespace {

struct Window : EditorDriver<FrmGZlr> {
    void chooseMonth(const QString &month) const { pick("DataRC", month); }
    DataGrid *grid() const { return find<DataGrid>("Gridspzd"); }
};

// The personnel and wage tables, the default wage items, three rows of 200504 and one of 200505.
Connection &wageDatabase(TestEnv &env)
{
    Connection &cn = env.openNewDatabase();
    ModJgupdate::CreatePersonnelTables(cn);
    ModJgupdate::CreateWageTables(cn);
    ModJgupdate::WriteDefaultWageItems(cn);
    cn.execute("insert into rsgz (f0,f1,f2,t1,t3) values ('200504','A02','李四',2000,5), ('200504','A01','张三',1000,5),"
               " ('200504','A03','王五',3000,5), ('200505','A01','张三',1100,5)");
    return cn;
}

QVariantList rowOf(Connection &cn, const QString &f0, const QString &f1)
{
    return cn.query(QString("select f2, t1, t2, t3 from rsgz where f0='%1' and f1='%2'").arg(f0, f1)).rows.value(0);
}

} // namespace

class TestWageEntry : public QObject {
    Q_OBJECT
private slots:
    void openedWithoutWageTable();
    void fieldsAndGridFromDictionary();
    void saveUpdatesOnlyCurrentRowAndRefusalsKeepEditing();
    void navigationFindAndDelete();
    void longValuesShownWholeAndPendingEdits();
    void rowChangedByAnotherDeskIsNotOverwritten();
};

// A database without the wage table: no fields, no month list, no message; delete has nothing to ask about.
void TestWageEntry::openedWithoutWageTable()
{
    TestEnv env;
    env.openOlderDatabase();
    Window e;
    e.click("delete");
    QVERIFY(e.boxCount() == 1 && env.messages.records.isEmpty());
}

void TestWageEntry::fieldsAndGridFromDictionary()
{
    TestEnv env;
    Connection &cn = wageDatabase(env);
    Window e;
    QCOMPARE(e.w.fieldList(), QString("id,f0,f1,f2,T1,T2,T3,T4,T5,T6,T39,T40"));
    QCOMPARE(e.boxCount(), 11);
    QVERIFY(e.caption(3)->text() == "基本工资" && e.box(10)->accessibleName() == "实发合计");
    QVERIFY(e.box(0)->text().isEmpty() && e.browsing());
    // Amounts stand to the right, the month and the number to the left.
    for (int i : {0, 1, 3, 10})
        QCOMPARE(e.box(i)->alignment() & Qt::AlignHorizontal_Mask, i < 3 ? Qt::AlignLeft : Qt::AlignRight);

    e.chooseMonth("200504");
    // Ordered by number; t2 defaults to 0.
    QVERIFY(e.w.rows()->RecordCount() == 3 && e.box(1)->text() == "A01" && e.box(3)->text() == "1000" && e.box(4)->text() == "0");
    // id has no dictionary row, so no width.
    QVERIFY(e.grid()->columnWidthTwips(0) == 0 && e.grid()->columnCaption(2) == "员工编号");
    QCOMPARE(e.grid()->columnWidthTwips(2), Twips::fromPx(Twips::toPx(1400)));  // Null colm_width
    // Eleven fields: the designed frame and no scrolling.
    auto *frame = e.find<QFrame>("Framspzd");
    auto *bar = e.find<QScrollBar>("Scrspzd");
    QVERIFY(frame->height() == Twips::toPx(6450) && bar->maximum() == 0);

    cn.execute("update rs_codedict set can_show='1' where colm_code in ('T7','T8','T9','T10','T11')");
    Window more;
    QCOMPARE(more.boxCount(), 16);
    frame = more.find<QFrame>("Framspzd");
    bar = more.find<QScrollBar>("Scrspzd");
    QVERIFY(frame->height() == Twips::toPx(6880) && bar->maximum() == 4);
    bar->setValue(3);
    QCOMPARE(frame->y(), Twips::toPx(400));

    // Rebuilding for fewer fields destroys the extra boxes and returns the frame to its design.
    cn.execute("update rs_codedict set can_show='0' where colm_code like 'T%'");
    more.pick("Class");
    QVERIFY(more.boxCount() == 3 && more.w.fieldList() == "id,f0,f1,f2");
    QVERIFY(bar->maximum() == 0 && frame->y() == Twips::toPx(700));
}


void TestWageEntry::saveUpdatesOnlyCurrentRowAndRefusalsKeepEditing()
{
    TestEnv env;
    Connection &cn = wageDatabase(env);
    cn.execute("update rs_codedict set colm_cd=30 where colm_code='f2'");
    Window e;
    e.chooseMonth("200504");
    e.move(2)->click();  // A02
    const QVariantList a01 = rowOf(cn, "200504", "A01"), a03 = rowOf(cn, "200504", "A03");

    e.click("Edit");
    QVERIFY(e.editing() && !e.grid()->isEnabled());
    e.type(2, "O'NEIL");
    e.type(4, "250.5");
    e.type(5, "");  // empty: set to Null
    e.click("save");
    QCOMPARE(env.messages.texts(), QStringList{"数据信息。更新完成！"});
    const QVariantList a02 = rowOf(cn, "200504", "A02");
    QCOMPARE(a02.mid(0, 3), (QVariantList{"O'NEIL", 2000.0, 250.5}));
    QVERIFY(a02[3].isNull());
    QVERIFY(rowOf(cn, "200504", "A01") == a01 && rowOf(cn, "200504", "A03") == a03);
    QCOMPARE(rowOf(cn, "200505", "A01")[1].toDouble(), 1100.0);
    QVERIFY(e.browsing() && e.box(1)->text() == "A02");  // still on the saved row

    // Cancel puts the stored row back in the boxes and the month back in the grid.
    e.click("new");
    QVERIFY(!e.grid()->recordset());
    e.type(3, "9999");
    e.click("cancel");
    QVERIFY(e.box(3)->text() == "2000" && e.grid()->recordset() == e.w.rows());

    e.move(0)->click();  // A01, whose t3 is not Null
    e.click("Edit");
    e.type(3, "12a");
    e.click("save");
    QVERIFY(env.messages.texts().last() == "基本工资  请输入数字！" && e.editing());

    // A name longer than its column is refused by the database: the null statement of the same
    // save is undone with it, and the typed values stay for another try.
    e.type(3, "1500");
    e.type(2, QString(25, QChar('x')));
    e.type(5, "");
    e.click("save");
    QVERIFY(env.messages.records.size() == 3 && env.messages.records[2].text.endsWith(QString::number(DbError::ConstraintRefused)));
    QVERIFY(e.editing() && e.box(2)->text().size() == 25);
    QCOMPARE(rowOf(cn, "200504", "A01"), a01);
}

void TestWageEntry::navigationFindAndDelete()
{
    TestEnv env;
    Connection &cn = wageDatabase(env);
    Window e;
    e.chooseMonth("200504");
    for (int k = 0; k < 2; ++k)
        e.move(2)->click();
    QVERIFY(e.box(1)->text() == "A03" && !e.move(2)->isEnabled() && !e.move(3)->isEnabled() && e.move(1)->isEnabled());
    for (int k = 0; k < 2; ++k)
        e.move(1)->click();
    QVERIFY(!e.move(0)->isEnabled() && !e.move(1)->isEnabled() && e.move(3)->isEnabled());

    // Enter upper-cases box 2 and wraps from the last box to the first.
    e.click("Edit");
    e.type(2, "abc");
    QTest::keyClick(e.box(2), Qt::Key_Return);
    QCOMPARE(e.box(2)->text(), QString("ABC"));
    e.box(10)->setFocus();
    QTest::keyClick(e.box(10), Qt::Key_Return);
    QVERIFY(e.box(0)->hasFocus());
    e.click("cancel");

    // Find by employee number within the month, forward from the current row.
    auto *find = e.find<QLineEdit>("Txtfind");
    find->setText("A02");
    e.click("find");
    QCOMPARE(e.box(2)->text(), QString("李四"));
    find->setText("A01");
    e.click("find");
    QVERIFY(env.messages.texts() == QStringList{"未查到数据!"} && e.box(1)->text() == "A03");

    // Delete: Cancel keeps the row; deleting the last row leaves the new last row current.
    env.messages.answers = {Msg::vbCancel};
    e.click("delete");
    QCOMPARE(e.w.rows()->RecordCount(), 3);
    e.click("delete");
    QVERIFY(e.box(1)->text() == "A02" && cn.query("select count(*) from rsgz").rows[0][0].toInt() == 3);

    // The month's preview goes through the print dictionary of the table.
    cn.execute("insert into PR_codedict (xh,table_code,table_name,colm_code,colm_name,colm_type,colm_cd,can_show,"
               "colm_dq,sum_tag) values (5,'rsgz','工资表','T1','基本工资','MON',8,'1','R','1')");
    e.click("printview");
    std::unique_ptr<ReportPreview> preview(Window::takePreview());
    QVERIFY(preview && preview->document().dataSource()->rowCount() == 2);
}

void TestWageEntry::longValuesShownWholeAndPendingEdits()
{
    TestEnv env;
    Connection &cn = wageDatabase(env);
    cn.execute("update rsgz set f1='A0-2005-00012' where f1='A01' and f0='200504'");
    Window e;
    e.chooseMonth("200504");
    // A number longer than its dictionary length is shown whole and never written back cut: the
    // save's check refuses it instead.
    QCOMPARE(e.box(1)->text(), QString("A0-2005-00012"));
    e.click("Edit");
    e.type(3, "1500");
    e.click("save");
    QVERIFY(env.messages.texts() == QStringList{"员工编号 输入数据超长!"} && e.editing());
    QCOMPARE(cn.query("select f1, t1 from rsgz where f2='张三' and f0='200504'").rows,
             QList<QVariantList>({{"A0-2005-00012", 1000.0}}));

    // Closing with the change pending asks: Cancel keeps the window, No drops the change.
    e.type(1, "A01");
    e.type(2, "张三 '; --😀");
    env.messages.records.clear();
    env.messages.answers = {Msg::vbCancel, Msg::vbNo};
    QVERIFY(!e.w.close());
    QVERIFY(e.w.close());
    QCOMPARE(env.messages.texts(), QStringList(2, "数据尚未保存，是否保存？"));
    QCOMPARE(cn.query("select count(*) from rsgz where f1='A01'").rows[0][0].toInt(), 1);  // only 200505's
}

// Two desks on one month: a save never writes over what the other desk stored since the row was shown.
void TestWageEntry::rowChangedByAnotherDeskIsNotOverwritten()
{
    TestEnv env;
    Connection &cn = wageDatabase(env);
    Connection other;
    env.openSameDatabase(other);
    Window e;
    const QString changed = ModGzLock::RowChangedMessage();
    // Shows the month afresh (A01 first, with t1 1000), lets the other desk write, then saves a value.
    auto saveAfter = [&](const char *otherDesk, const char *value) {
        e.click("cancel");
        e.chooseMonth("200504");
        if (otherDesk)
            other.execute(otherDesk);
        e.click("Edit");
        e.type(5, value);
        e.click("save");
    };
    saveAfter("update rsgz set t1 = 1500 where f0 = '200504' and f1 = 'A01'", "8");
    QVERIFY(env.messages.texts() == QStringList{changed} && env.messages.records.last().flags == 48);
    QCOMPARE(rowOf(cn, "200504", "A01"), (QVariantList{"张三", 1500.0, 0.0, 5.0}));
    QVERIFY(e.editing());  // the typed value stays for another look

    // A Null the other desk stored counts as a change too; so does a row it deleted.
    saveAfter("update rsgz set t2 = null where f0 = '200504' and f1 = 'A01'", "9");
    QCOMPARE(env.messages.texts(), QStringList(2, changed));
    saveAfter("delete from rsgz where f0 = '200504' and f1 = 'A01'", "9");
    QCOMPARE(env.messages.texts(), QStringList(3, changed));
    QVERIFY(rowOf(cn, "200504", "A01").isEmpty());

    // Shown afresh, the row saves.
    saveAfter(nullptr, "7");  // now A02 comes first
    QCOMPARE(env.messages.texts().last(), QString("数据信息。更新完成！"));
    QCOMPARE(rowOf(cn, "200504", "A02")[3].toDouble(), 7.0);
}

QTEST_MAIN(TestWageEntry)
#include "tst_wage_entry.moc"
