// Tests of the personnel records editor FrmRSdagl, driven through its controls.
#include "support/test_env.h"

#include "dictionary/editor_driver.h"
#include "dictionary/personnel_editor_window.h"
#include "dictionary/personnel_tables.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/twips.h"

namespace {
using Editor = EditorDriver<FrmRSdagl>;

QStringList column(Connection &cn, const QString &sql)
{
    QStringList out;
    for (const QVariantList &r : cn.query(sql).rows)
        out << r.value(0).toString();
    return out;
}

Connection &personnelDatabase(TestEnv &env, const QStringList &numbers)
{
    Connection &cn = env.openNewDatabase();
    ModJgupdate::CreatePersonnelTables(cn);
    for (const QString &n : numbers)
        cn.execute(QString("insert into rsda (f1, f2, f5) values ('%1', '员工%1', 1000)").arg(n));
    return cn;
}
} // namespace

class TestPersonnelEditor : public QObject {
    Q_OBJECT
private slots:
    void firstOpeningCreatesTablesThenLaysOutFields();
    void addAndEditWithChecks();
    void navigationFindAndDelete();
    void numbersDuplicatesAndPendingEdits();
};

void TestPersonnelEditor::firstOpeningCreatesTablesThenLaysOutFields()
{
    TestEnv env;
    Connection &cn = env.openOlderDatabase();
    {
        Editor first;
        first.click("new");  // nothing was opened, so nothing happens
        QVERIFY(first.boxCount() == 1 && first.browsing());
    }
    QVERIFY(cn.tableExists("mytable") && cn.tableExists("rsda"));

    Editor e;
    QVERIFY(e.boxCount() == 15 && e.find<DataCombo>("Class")->text() == "人事档案");
    QVERIFY(e.box(14)->y() == Twips::toPx(900 + 395 * 14) && e.caption(14)->y() == Twips::toPx(960 + 395 * 14));
    QVERIFY(e.caption(4)->text() == "基本工资" && e.box(4)->accessibleName() == "基本工资");
    auto *grid = e.find<DataGrid>("Gridspzd");
    QVERIFY(grid->columnCaption(15) == "备注" && grid->columnWidthTwips(0) == 0 && e.browsing());

    // Another table of the list: the boxes are rebuilt for its fields and the surplus ones destroyed.
    cn.execute("create table rsdb (id integer primary key autoincrement, f1 char(20), f2 char(20))");
    cn.execute("create table rsdc (id integer primary key autoincrement, f1 char(20))");
    cn.execute("insert into rsdb (f1, f2) values ('C01', '丙')");
    cn.execute("insert into mytable (xh, table_name, table_name_explan, lx) values (6, 'rsdb', '临时档案', '人事'),"
               " (7, 'rsdc', '空档案', '人事')");
    cn.execute("insert into dh_codedict (xh,table_code,colm_code,colm_name,colm_type,colm_cd) values "
               "(5,'rsdb','f1','编号','CHAR',20), (6,'rsdb','f2','名称','CHAR',20)");
    Editor other;  // the table list is read on opening
    other.pick("Class", "临时档案");
    QVERIFY(other.boxCount() == 2 && !other.find<QLabel>("Labspzd_2"));
    QVERIFY(other.caption(1)->text() == "名称" && other.box(1)->text() == "丙");
    // A table without dictionary rows: box 0 alone is left, bound to nothing.
    other.pick("Class", "空档案");
    QVERIFY(other.boxCount() == 1 && other.box(0)->text().isEmpty() && env.messages.records.isEmpty());
}

void TestPersonnelEditor::addAndEditWithChecks()
{
    TestEnv env;
    Connection &cn = personnelDatabase(env, {});
    cn.execute("update dh_codedict set nullbj='1' where colm_code='f1'");
    Editor e;
    e.click("new");
    QVERIFY(e.editing());

    // Only the first failing box is reported; editing goes on and nothing is written.
    e.type(4, "12a");
    e.click("save");
    QVERIFY(env.messages.texts() == QStringList{"员工编号 数据不能为空!"} && e.editing());

    // Enter moves to the next box and from the last back to the first; box 2 is upper-cased.
    e.type(0, "A01");
    QTest::keyClick(e.box(0), Qt::Key_Return);
    QVERIFY(e.box(1)->hasFocus());
    typeInto(e.box(1), "张三");
    QTest::keyClick(e.box(1), Qt::Key_Return);
    QTest::keyClicks(e.box(2), "abc");
    QTest::keyClick(e.box(2), Qt::Key_Return);
    QCOMPARE(e.box(2)->text(), QString("ABC"));
    e.box(14)->setFocus();
    QTest::keyClick(e.box(14), Qt::Key_Enter);
    QVERIFY(e.box(0)->hasFocus());
    e.click("save");
    QCOMPARE(env.messages.texts().last(), QString("基本工资  请输入数字！"));
    QCOMPARE(column(cn, "select count(*) from rsda"), QStringList{"0"});

    e.type(4, "1200");
    e.click("save");
    QVERIFY(e.browsing() && e.find<DataGrid>("Gridspzd")->recordset() == e.w.records());
    QCOMPARE(column(cn, "select f1 & f2 & f3 & f5 from rsda"), QStringList{"A01张三ABC1200"});

    // The database refuses a value longer than its column (f4 is char(2)): the message carries
    // its number, the typed values stay and nothing is written.
    e.click("Edit");
    e.type(3, "男性别");
    e.type(1, "李四");
    e.click("save");
    QVERIFY(env.messages.records.last().text.endsWith(QString::number(DbError::ConstraintRefused)));
    QVERIFY(e.editing() && e.box(3)->text() == "男性别");
    QCOMPARE(column(cn, "select f2 from rsda"), QStringList{"张三"});

    // Cancel returns to the stored row; a cancelled new row is not written.
    e.click("cancel");
    QVERIFY(e.browsing() && e.box(1)->text() == "张三");
    e.click("new");
    e.type(0, "X'1");
    e.click("cancel");
    QVERIFY(column(cn, "select f1 from rsda") == QStringList{"A01"} && e.box(0)->text() == "A01");
}

void TestPersonnelEditor::navigationFindAndDelete()
{
    TestEnv env;
    Connection &cn = personnelDatabase(env, {"A01", "A02", "A03", "A04"});
    Editor e;
    Recordset *rs = e.w.records();
    e.move(3)->click();
    QVERIFY(e.box(0)->text() == "A04" && e.move(0)->isEnabled() && !e.move(2)->isEnabled() && !e.move(3)->isEnabled());
    for (int i = 0; i < 3; ++i)
        e.move(1)->click();
    QVERIFY(rs->AbsolutePosition() == 1 && !e.move(0)->isEnabled() && !e.move(1)->isEnabled() && e.move(2)->isEnabled());
    for (int i = 0; i < 3; ++i) {
        QVERIFY(e.move(2)->isEnabled());
        e.move(2)->click();
    }
    QVERIFY(!e.move(2)->isEnabled() && !e.move(3)->isEnabled());

    // Find by employee number, forward from the current row; a miss says so and goes to the last row.
    e.move(0)->click();
    auto *find = e.find<QLineEdit>("Txtfind");
    find->setText("A03");
    e.click("find");
    QCOMPARE(e.box(0)->text(), QString("A03"));
    find->setText("O'Neil");
    e.click("find");
    QVERIFY(env.messages.texts() == QStringList{"未查到数据!"} && rs->AbsolutePosition() == 4);

    // Delete asks first; Cancel keeps the row. Deleting the last row makes the new last row current.
    env.messages.answers = {Msg::vbCancel};
    e.click("delete");
    QVERIFY(env.messages.records.last().text == "确认删除当前记录" && env.messages.records.last().flags == 49);
    e.click("delete");
    QVERIFY(column(cn, "select f1 from rsda order by id") == (QStringList{"A01", "A02", "A03"}) && e.box(0)->text() == "A03");
    for (int i = 0; i < 3; ++i)
        e.click("delete");
    QCOMPARE(rs->RecordCount(), 0);

    // One row: the navigation buttons do nothing; the preview shows the list.
    cn.execute("insert into rsda (f1) values ('B01')");
    Editor one;
    one.move(2)->click();
    QCOMPARE(one.w.records()->AbsolutePosition(), 1);
    one.click("printview");
    std::unique_ptr<ReportPreview> preview(Editor::takePreview());
    QVERIFY(preview && preview->document().dataSource()->rowCount() == 1);
    QCOMPARE(preview->document().control("Label1")->caption, QString("员工编号"));
}

void TestPersonnelEditor::numbersDuplicatesAndPendingEdits()
{
    TestEnv env;
    Connection &cn = personnelDatabase(env, {"A01", "A02"});
    Editor e;
    e.click("new");
    // Only plain decimal numbers are numbers: no group separators, no inf or nan.
    e.type(0, "B01");
    for (const char *bad : {"3,500", "inf", "nan", "1e999", "0x10"}) {
        e.type(4, bad);
        e.click("save");
        QCOMPARE(env.messages.texts().last(), QString("基本工资  请输入数字！"));
    }
    // An employee number another employee has, blanks around it or not, is refused by name.
    e.type(4, " 2e3 ");
    for (const char *taken : {"A01", " A02 "}) {
        e.type(0, taken);
        e.click("save");
        QCOMPARE(env.messages.texts().last(), QString("员工编号“%1”已被其他员工使用，请重新输入。").arg(QString(taken).trimmed()));
        QVERIFY(e.editing());
    }
    QCOMPARE(column(cn, "select count(*) from rsda"), QStringList{"2"});
    // Hostile text goes in whole; the number is stored as a number.
    const QString name = "O'Neil; --😀张";
    e.type(0, "B01");
    e.type(1, name);
    e.click("save");
    const QVariantList stored = cn.query("select f2, f5 from rsda where f1='B01'").rows.value(0);
    QVERIFY(stored == (QVariantList{name, 2000.0}) && stored[1].typeId() == QMetaType::Double);
    // Saving a row with its own number is no duplicate.
    e.click("Edit");
    e.type(5, "6222");
    e.click("save");
    QVERIFY(e.browsing());

    // A change not saved: closing asks. Cancel keeps the window, a refused save keeps it too, No
    // drops the change; nothing pending closes at once.
    const int before = env.messages.records.size();
    e.click("Edit");
    e.type(4, "12a");
    env.messages.answers = {Msg::vbCancel, Msg::vbYes};
    QVERIFY(!e.w.close());
    QVERIFY(!e.w.close());
    QCOMPARE(env.messages.texts().mid(before),
             (QStringList{"数据尚未保存，是否保存？", "数据尚未保存，是否保存？", "基本工资  请输入数字！"}));
    e.type(4, "2500");
    env.messages.answers = {Msg::vbNo};
    QVERIFY(e.w.close());
    QCOMPARE(cn.query("select f5 from rsda where f1='B01'").rows[0][0].toDouble(), 2000.0);
    Editor again;
    again.click("Edit");
    again.type(4, "2500");
    env.messages.answers = {Msg::vbYes};
    QVERIFY(again.w.close());
    QCOMPARE(cn.query("select f5 from rsda where id=1").rows[0][0].toDouble(), 2500.0);
}

QTEST_MAIN(TestPersonnelEditor)
#include "tst_personnel_editor.moc"
