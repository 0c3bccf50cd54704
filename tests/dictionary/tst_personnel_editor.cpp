// Tests of the personnel records editor FrmRSdagl, driven through its controls.
#include "support/test_env.h"

#include "app/program_state.h"
#include "dictionary/personnel_editor_window.h"
#include "dictionary/personnel_tables.h"
#include "platform/db/recordset.h"
#include "platform/print/report_preview.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/keyed_toolbar.h"
#include "platform/ui/twips.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

namespace {

// Latin text goes in key by key; other text as an input method commits it.
void typeInto(QWidget *w, const QString &text)
{
    bool latin = true;
    for (QChar c : text)
        latin = latin && c.unicode() < 128;
    if (latin) {
        QTest::keyClicks(w, text);
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(w, &commit);
}

struct Editor {
    FrmRSdagl w;
    Editor()
    {
        w.show();
        w.activateWindow();
        QTest::qWaitForWindowActive(&w);
    }
    QLineEdit *box(int i) const { return w.findChild<QLineEdit *>(QString("txtspzd_%1").arg(i)); }
    QLabel *caption(int i) const { return w.findChild<QLabel *>(QString("Labspzd_%1").arg(i)); }
    int boxCount() const
    {
        int n = 0;
        while (box(n))
            ++n;
        return n;
    }
    KeyedToolBar *bar() const { return w.findChild<KeyedToolBar *>("Toolbar1"); }
    void click(const QString &key) const { QTest::mouseClick(bar()->toolButton(key), Qt::LeftButton); }
    bool enabled(const QString &key) const { return bar()->isButtonEnabled(key); }
    QPushButton *move(int i) const { return w.findChild<QPushButton *>(QString("Cmdmove_%1").arg(i)); }
    void type(int i, const QString &text) const
    {
        box(i)->setFocus();
        box(i)->selectAll();
        QTest::keyClick(box(i), Qt::Key_Delete);
        typeInto(box(i), text);
    }
    bool browsing() const
    {
        return enabled("new") && enabled("Edit") && enabled("delete") && enabled("find") && enabled("printview") &&
               enabled("exit") && !enabled("save") && !enabled("cancel") && box(0)->isReadOnly() &&
               move(0)->isEnabled();
    }
    bool editing() const
    {
        return !enabled("new") && !enabled("Edit") && !enabled("delete") && !enabled("exit") && enabled("save") &&
               enabled("cancel") && !box(0)->isReadOnly() && !move(3)->isEnabled();
    }
};

void addEmployees(Connection &cn, const QStringList &numbers)
{
    for (const QString &n : numbers)
        cn.execute(QString("insert into rsda (f1, f2, f5) values ('%1', '员工%1', 1000)").arg(n));
}

QStringList column(Connection &cn, const QString &sql)
{
    QStringList out;
    for (const QVariantList &r : cn.query(sql).rows)
        out << r.value(0).toString();
    return out;
}

} // namespace

class TestPersonnelEditor : public QObject {
    Q_OBJECT
private slots:
    void firstOpeningCreatesTablesThenLaysOutFields();
    void addWithValidationThenSave();
    void databaseRefusalKeepsEditing();
    void navigationFindAndDelete();
    void rebuildForAnotherTable();
};

void TestPersonnelEditor::firstOpeningCreatesTablesThenLaysOutFields()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    {
        Editor first;
        QVERIFY(env.messages.records.isEmpty());
        QCOMPARE(first.boxCount(), 1);
        QVERIFY(!first.w.records());
        first.click("new");  // nothing is open, so nothing happens
        QVERIFY(first.browsing());
    }
    QVERIFY(cn.tableExists("mytable") && cn.tableExists("rsda"));
    QCOMPARE(cn.query("select count(*) from dh_codedict where table_code='rsda'").rows[0][0].toInt(), 15);

    Editor e;
    QCOMPARE(e.w.windowTitle(), QString("人事档案管理"));
    QCOMPARE(e.boxCount(), 15);
    QCOMPARE(e.w.findChild<DataCombo *>("Class")->text(), QString("人事档案"));
    QCOMPARE(e.w.findChild<QTabWidget *>("SSTab1")->currentIndex(), 0);
    for (int i : {0, 1, 14}) {
        QCOMPARE(e.box(i)->y(), Twips::toPx(900 + 395 * i));
        QCOMPARE(e.caption(i)->y(), Twips::toPx(960 + 395 * i));
        QCOMPARE(e.box(i)->x(), e.box(0)->x());
    }
    QCOMPARE(e.caption(4)->text(), QString("基本工资"));
    QCOMPARE(e.box(4)->accessibleName(), QString("基本工资"));
    auto *grid = e.w.findChild<DataGrid *>("Gridspzd");
    QCOMPARE(grid->columnCaption(1), QString("员工编号"));
    QCOMPARE(grid->columnCaption(15), QString("备注"));
    QCOMPARE(grid->columnWidthTwips(0), 0);
    QVERIFY(e.browsing());
}

void TestPersonnelEditor::addWithValidationThenSave()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    ModJgupdate::CreatePersonnelTables(cn);
    cn.execute("update dh_codedict set nullbj='1' where colm_code in ('f1','f2')");
    Editor e;
    e.click("new");
    QVERIFY(e.editing());
    QVERIFY(!e.w.findChild<DataGrid *>("Gridspzd")->recordset());

    // The first failing box alone is reported, and editing goes on.
    e.type(4, "12a");
    e.click("save");
    QCOMPARE(env.messages.texts(), QStringList{"员工编号 数据不能为空!"});
    QVERIFY(e.editing());

    // Enter moves to the next box, from the last one back to the first; box 2 is upper-cased on leaving.
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
    QCOMPARE(cn.query("select count(*) from rsda").rows[0][0].toInt(), 0);

    e.type(4, "1200");
    e.click("save");
    QCOMPARE(env.messages.records.size(), 2);
    QVERIFY(e.browsing());
    const ResultSet rs = cn.query("select f1, f2, f3, f5 from rsda");
    QCOMPARE(rs.rows.size(), 1);
    QCOMPARE(rs.rows[0][0].toString(), QString("A01"));
    QCOMPARE(rs.rows[0][1].toString(), QString("张三"));
    QCOMPARE(rs.rows[0][2].toString(), QString("ABC"));
    QCOMPARE(rs.rows[0][3].toDouble(), 1200.0);
    QCOMPARE(e.w.findChild<DataGrid *>("Gridspzd")->recordset(), e.w.records());
    QCOMPARE(e.w.findChild<DataGrid *>("Gridspzd")->columnCaption(2), QString("姓 名"));

    // Edit, then cancel: the row and the boxes go back to what was saved.
    e.click("Edit");
    QVERIFY(e.editing());
    e.type(1, "李四");
    e.click("cancel");
    QVERIFY(e.browsing());
    QCOMPARE(e.box(1)->text(), QString("张三"));
    QCOMPARE(column(cn, "select f2 from rsda"), QStringList{"张三"});

    // A new row that is cancelled is not written; a quote in a value is stored as typed.
    e.click("new");
    e.type(0, "X'1");
    e.click("cancel");
    QCOMPARE(column(cn, "select f1 from rsda"), QStringList{"A01"});
    QCOMPARE(e.box(0)->text(), QString("A01"));
}

void TestPersonnelEditor::databaseRefusalKeepsEditing()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    ModJgupdate::CreatePersonnelTables(cn);
    addEmployees(cn, {"A01"});
    Editor e;
    e.click("Edit");
    // f4 is char(2): the dictionary allows 20 characters, the column refuses the third.
    e.type(3, "男性别");
    e.type(1, "新名");
    e.click("save");
    QCOMPARE(env.messages.records.size(), 1);
    QVERIFY(env.messages.records[0].text.endsWith(QString::number(DbError::ConstraintRefused)));
    QVERIFY(e.editing());
    QCOMPARE(e.box(3)->text(), QString("男性别"));
    QCOMPARE(column(cn, "select f2 from rsda"), QStringList{"员工A01"});  // nothing half-written

    e.type(3, "男");
    e.click("save");
    QVERIFY(e.browsing());
    QCOMPARE(column(cn, "select f2 || f4 from rsda"), QStringList{"新名男"});
}

void TestPersonnelEditor::navigationFindAndDelete()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    ModJgupdate::CreatePersonnelTables(cn);
    addEmployees(cn, {"A01", "A02", "A03", "A04"});
    Editor e;
    Recordset *rs = e.w.records();
    QCOMPARE(e.box(0)->text(), QString("A01"));

    e.move(3)->click();
    QCOMPARE(e.box(0)->text(), QString("A04"));
    QVERIFY(e.move(0)->isEnabled() && !e.move(2)->isEnabled() && !e.move(3)->isEnabled());
    e.move(1)->click();
    e.move(1)->click();
    e.move(1)->click();
    QCOMPARE(rs->AbsolutePosition(), 1);
    QVERIFY(!e.move(0)->isEnabled() && !e.move(1)->isEnabled() && e.move(2)->isEnabled());
    e.move(2)->click();
    e.move(2)->click();
    QVERIFY(e.move(2)->isEnabled());
    e.move(2)->click();
    QCOMPARE(e.box(0)->text(), QString("A04"));
    QVERIFY(!e.move(2)->isEnabled() && e.move(0)->isEnabled());
    e.move(0)->click();
    QCOMPARE(e.box(0)->text(), QString("A01"));

    // Find by employee number, forward from the current row; a miss says so and goes to the last row.
    auto *find = e.w.findChild<QLineEdit *>("Txtfind");
    find->setText("A03");
    e.click("find");
    QCOMPARE(e.box(0)->text(), QString("A03"));
    find->setText("O'Neil");
    e.click("find");
    QCOMPARE(env.messages.texts(), QStringList{"未查到数据!"});
    QCOMPARE(env.messages.records[0].flags, 48);
    QCOMPARE(rs->AbsolutePosition(), 4);

    // Delete asks first; Cancel keeps the row. Deleting the last row makes the new last row current.
    env.messages.answers = {Msg::vbCancel};
    e.click("delete");
    QCOMPARE(env.messages.records.last().text, QString("确认删除当前记录"));
    QCOMPARE(env.messages.records.last().flags, 49);
    QCOMPARE(rs->RecordCount(), 4);
    e.click("delete");
    QCOMPARE(column(cn, "select f1 from rsda order by id"), (QStringList{"A01", "A02", "A03"}));
    QCOMPARE(e.box(0)->text(), QString("A03"));
    e.move(0)->click();
    e.click("delete");
    QCOMPARE(e.box(0)->text(), QString("A02"));
    e.click("delete");
    e.click("delete");
    QCOMPARE(rs->RecordCount(), 0);

    // One row: the navigation buttons do nothing.
    addEmployees(cn, {"B01"});
    Editor one;
    one.move(3)->click();
    one.move(2)->click();
    QCOMPARE(one.w.records()->AbsolutePosition(), 1);

    // The preview shows the list laid out from the print dictionary.
    one.click("printview");
    ReportPreview *preview = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<ReportPreview *>(w))
            preview = p;
    QVERIFY(preview);
    QCOMPARE(preview->document().control("Label1")->caption, QString("员工编号"));
    QCOMPARE(preview->document().dataSource()->rowCount(), 1);
    delete preview;
}

void TestPersonnelEditor::rebuildForAnotherTable()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    ModJgupdate::CreatePersonnelTables(cn);
    cn.execute("create table rsdb (id integer primary key autoincrement, f1 char(20), f2 char(20))");
    cn.execute("insert into rsdb (f1, f2) values ('C01', '丙')");
    cn.execute("insert into mytable (xh, table_name, table_name_explan, lx) values (6, 'rsdb', '临时档案', '人事')");
    cn.execute("insert into mytable (xh, table_name, table_name_explan, lx) values (7, 'rsdc', '空档案', '人事')");
    cn.execute("create table rsdc (id integer primary key autoincrement, f1 char(20))");
    for (const char *row : {"(5,'rsdb','f1','编号','CHAR',20,'1')", "(6,'rsdb','f2','名称','CHAR',20,'1')"})
        cn.execute(QString("insert into dh_codedict (xh,table_code,colm_code,colm_name,colm_type,colm_cd,can_show) "
                           "values %1").arg(row));
    Editor e;
    QCOMPARE(e.boxCount(), 15);
    auto *combo = e.w.findChild<DataCombo *>("Class");
    combo->setText("临时档案");
    emit combo->activated(combo->currentIndex());
    QCOMPARE(e.boxCount(), 2);
    QCOMPARE(e.caption(1)->text(), QString("名称"));
    QCOMPARE(e.box(1)->text(), QString("丙"));
    QVERIFY(!e.w.findChild<QLabel *>("Labspzd_2"));

    // A table without dictionary rows: only box 0 is left, bound to nothing.
    combo->setText("空档案");
    emit combo->activated(combo->currentIndex());
    QCOMPARE(e.boxCount(), 1);
    QVERIFY(e.box(0)->text().isEmpty());
    QVERIFY(env.messages.records.isEmpty());
}

QTEST_MAIN(TestPersonnelEditor)
#include "tst_personnel_editor.moc"
