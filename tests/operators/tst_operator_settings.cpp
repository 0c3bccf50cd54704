// Tests of operator management: adding, deleting, permissions, refused writes, and the window's log rows.
#include "support/test_env.h"

#include "app/main_window.h"
#include "app/permissions.h"
#include "app/program_state.h"
#include "operators/commands.h"
#include "operators/login_window.h"
#include "operators/operator_accounts.h"
#include "platform/db/connection.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/keyed_toolbar.h"

#include <QAccessible>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

using ModCzygl::OperatorPermissions;

namespace {

// The window opened from the menu by "system", who holds every permission.
struct Driver {
    form_main main;
    QWidget *w = nullptr;
    Driver()
    {
        registerOperatorCommands(main);
        main.resize(1000, 750);
        main.show();
        strCzyName = QStringLiteral("system");
        mCzyqx(strCzyName);
        main.runCommand(QStringLiteral("menu_sys_0"));
        w = main.findChildWindow(QStringLiteral("Frm_czyset"));
    }
    template <class T>
    T *find(const char *name) const { return w->findChild<T *>(QLatin1String(name)); }
    KeyedToolBar *bar() const { return find<KeyedToolBar>("Toolbar1"); }
    void click(const char *key) const { QTest::mouseClick(bar()->toolButton(QLatin1String(key)), Qt::LeftButton); }
    void add(const QString &name, const QString &pass, const QString &confirm) const
    {
        click("new");  // clears the boxes; while adding it is disabled, and the boxes are retyped
        const std::pair<const char *, QString> boxes[] = {{"Text1", name}, {"Text2", pass}, {"Text3", confirm}};
        for (const auto &[box, text] : boxes) {
            find<QLineEdit>(box)->clear();
            QTest::keyClicks(find<QLineEdit>(box), text);
        }
        click("save");
    }
    void openTab(int tab) const
    {
        QTabBar *tabs = find<QTabWidget>("SSTab1")->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
    }
    DataGrid *grid() const { return find<DataGrid>("DataGrid1"); }
    void pickRow(int row) const
    {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(grid()->model()->index(row, 0)).center());
    }
    QStringList gridNames() const
    {
        QStringList out;
        for (int r = 0; r < grid()->model()->rowCount(); ++r)
            out << grid()->model()->index(r, 0).data().toString();
        return out;
    }
    QString currentName() const { return grid()->currentIndex().siblingAtColumn(0).data().toString(); }
    QTreeWidget *list() const { return find<QTreeWidget>("ListView1"); }
    QStringList checked() const
    {
        QStringList out;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            if (list()->topLevelItem(i)->checkState(0) == Qt::Checked)
                out << list()->topLevelItem(i)->text(0);
        return out;
    }
    void check(const QString &name, bool on) const
    {
        list()->findItems(name, Qt::MatchExactly).first()->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    }
};

QList<QVariantList> rows(Connection &cn, const QString &sql) { return cn.query(sql).rows; }
int count(Connection &cn, const QString &sql) { return rows(cn, sql).first().first().toInt(); }

void addOperator(Connection &cn, const QString &name, const QStringList &permissions)
{
    cn.execute(QStringLiteral("insert into czyzd (czy_name, czy_pass, zwlx) values (?, 'p', 'x')"), {name});
    for (const QString &nr : permissions)
        cn.execute(QStringLiteral("insert into czy ([name], czy_id, nr) values (?, 0, ?)"), {name, nr});
}

} // namespace

class TestOperatorSettings : public QObject {
    Q_OBJECT
private slots:
    void addingOperatorsAndTheLogOfTheWindow()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        Driver d;
        QVERIFY(d.w);
        QCOMPARE(rows(cn, QStringLiteral("select czyname, czyxm from czyrz where last_time is null")),
                 (QList<QVariantList>{{QStringLiteral("system"), QStringLiteral("操作员设置")}}));
        QVERIFY(d.gridNames().isEmpty());  // the built-in "system" is not listed

        // Refused in the order of the checks: duplicate (whatever the passwords), no password, mismatch.
        d.add(QStringLiteral("system"), QStringLiteral("a"), QStringLiteral("b"));
        d.add(QStringLiteral("Ann"), QString(), QString());
        d.add(QStringLiteral("Ann"), QStringLiteral("a"), QStringLiteral("b"));
        QCOMPARE(env.messages.texts(), QStringList({QStringLiteral("操作员姓名重复，请重新输入。"), QStringLiteral("口令输入不一致，请重新输入")}));
        QVERIFY(env.messages.records[0].flags == 48 && env.messages.records[1].flags == 16);
        QCOMPARE(count(cn, QStringLiteral("select count(*) from czyzd")), 1);

        // An empty job type is stored as "操作员"; a name with an apostrophe goes in whole.
        d.find<DataCombo>("datazwlx")->setText(QString());
        d.add(QStringLiteral("Ann"), QStringLiteral("a"), QStringLiteral("a"));
        QVERIFY(d.bar()->isButtonEnabled(QStringLiteral("new")) && !d.bar()->isButtonEnabled(QStringLiteral("save")));
        d.add(QStringLiteral("O'Neil"), QStringLiteral("o'k"), QStringLiteral("o'k"));
        QCOMPARE(env.messages.texts().mid(2), QStringList(2, QStringLiteral("操作员增加完成。")));
        QCOMPARE(rows(cn, QStringLiteral("select czy_name, czy_pass, zwlx, sys_tag from czyzd where czy_no>1 order by czy_no")),
                 (QList<QVariantList>{{QStringLiteral("Ann"), QStringLiteral("a"), QStringLiteral("操作员"), 0},
                                      {QStringLiteral("O'Neil"), QStringLiteral("o'k"), QStringLiteral("操作员"), 0}}));
        QCOMPARE(d.gridNames(), QStringList({QStringLiteral("Ann"), QStringLiteral("O'Neil")}));
        QCOMPARE(d.find<DataCombo>("combczy")->count(), 2);

        // A name equal to another but for letter case or outer blanks is a duplicate as well; hostile
        // names (SQL pieces, NUL, Chinese, emoji, far too long) are stored exactly as typed.
        env.messages.records.clear();
        for (const QString &taken : {QStringLiteral("ANN"), QStringLiteral("o'neil"), QStringLiteral(" System ")})
            d.add(taken, QStringLiteral("p"), QStringLiteral("p"));
        QCOMPARE(env.messages.texts(), QStringList(3, QStringLiteral("操作员姓名重复，请重新输入。")));
        const QStringList hostile{QStringLiteral("x'); delete from czy; --"), QStringLiteral("张三😀"), QString(300, QChar(u'长'))};
        d.click("new");  // pasted, as no key types a NUL
        for (const auto &[box, text] : {std::pair{"Text1", QStringLiteral("nul") + QChar(0) + 'x'}, {"Text2", QString('p')}, {"Text3", QString('p')}})
            d.find<QLineEdit>(box)->setText(text);
        d.click("save");
        QCOMPARE(env.messages.texts().last(), QStringLiteral("操作员姓名和口令中不能含有控制字符，请重新输入。"));
        for (const QString &name : hostile) {
            QCOMPARE(ModCzygl::AddOperator(cn, name, QStringLiteral("p"), QStringLiteral("p"), {}), ModCzygl::AddResult::Added);
            QCOMPARE(ModCzygl::AddOperator(cn, name, QStringLiteral("q"), QStringLiteral("q"), {}), ModCzygl::AddResult::Duplicate);
            QCOMPARE(count(cn, QStringLiteral("select count(*) from czyzd where czy_name='") + QString(name).replace("'", "''") + "'"), 1);
        }
        QVERIFY(count(cn, QStringLiteral("select count(*) from czy")) > 0);
        cn.execute(QStringLiteral("delete from czyzd where czy_no>3"));

        // A table from before sys_tag had a default still gets a listed operator.
        cn.execute(QStringLiteral("create table czyzd_old as select * from czyzd"));
        cn.execute(QStringLiteral("drop table czyzd"));
        cn.execute(QStringLiteral("create table czyzd (czy_no integer primary key autoincrement, czy_name text, "
                                  "czy_pass text, zwlx text, sys_tag integer)"));
        cn.execute(QStringLiteral("insert into czyzd select * from czyzd_old"));
        QCOMPARE(ModCzygl::AddOperator(cn, QStringLiteral("Bo"), QStringLiteral("b"), QStringLiteral("b"), {}),
                 ModCzygl::AddResult::Added);
        QCOMPARE(count(cn, QStringLiteral("select count(*) from czyzd where czy_name='Bo' and sys_tag=0")), 1);

        // Exit closes the window and its use's log row.
        d.click("exit");
        QTRY_VERIFY(!d.main.findChildWindow(QStringLiteral("Frm_czyset")));
        QCOMPARE(rows(cn, QStringLiteral("select count(*), count(last_time) from czyrz")), (QList<QVariantList>{{1, 1}}));
    }

    void permissionTab()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        addOperator(cn, QStringLiteral("Ann"), {QStringLiteral("会员登记")});
        addOperator(cn, QStringLiteral("O'Neil"), {QStringLiteral("数据备份"), QStringLiteral("不存在的权限")});
        Driver d;
        QVERIFY(d.w);
        cn.execute(QStringLiteral("delete from czy where [name]='system' and nr<>'收入查询'"));
        cn.execute(QStringLiteral("insert into czy ([name], czy_id, nr) values ('system', 1, '收入查询')"));

        // Opened twice: "system" holds every permission exactly once; the grid's operator is shown.
        d.pickRow(1);
        d.openTab(1);
        d.openTab(0);
        d.openTab(1);
        QCOMPARE(count(cn, QStringLiteral("select count(*) from czy where [name]='system' and czy_id=1")), 47);
        QCOMPARE(OperatorPermissions(cn, QStringLiteral("system")), kPermissionNames);
        QCOMPARE(d.find<DataCombo>("combczy")->text(), QStringLiteral("O'Neil"));
        QCOMPARE(d.checked(), QStringList{QStringLiteral("数据备份")});

        // Saved in list order under the operator's number.
        d.check(QStringLiteral("操作员日志"), true);
        d.check(QStringLiteral("卡类型设置"), true);
        d.click("save");
        QCOMPARE(env.messages.texts(), QStringList{QStringLiteral("操作员权限修改完成。")});
        QCOMPARE(env.messages.records.last().flags, 32);
        const QVariant no = rows(cn, QStringLiteral("select czy_no from czyzd where czy_name='O''Neil'")).first().first();
        QCOMPARE(rows(cn, QStringLiteral("select nr, czy_id from czy where [name]='O''Neil' order by rowid")),
                 (QList<QVariantList>{{QStringLiteral("卡类型设置"), no}, {QStringLiteral("操作员日志"), no}, {QStringLiteral("数据备份"), no}}));

        // Another operator from the list; "全选" on and off, then saved: none left.
        auto *combo = d.find<DataCombo>("combczy");
        combo->setCurrentIndex(combo->findText(QStringLiteral("Ann")));
        emit combo->activated(combo->currentIndex());
        QCOMPARE(d.checked(), QStringList{QStringLiteral("会员登记")});
        QTest::mouseClick(d.find<QWidget>("Check1"), Qt::LeftButton);
        QCOMPARE(d.checked(), kPermissionNames);
        // Toggled by assistive technology (no click at all), it clears the list just the same.
        QAccessibleInterface *box = QAccessible::queryAccessibleInterface(d.find<QWidget>("Check1"));
        QVERIFY(box && box->actionInterface());
        box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QVERIFY(d.checked().isEmpty());
        d.click("save");
        QVERIFY(OperatorPermissions(cn, QStringLiteral("Ann")).isEmpty());
        const QStringList before = OperatorPermissions(cn, QStringLiteral("O'Neil"));
        QCOMPARE(before.size(), 3);

        // Statements the database itself refuses, after others of the same command have run: the old
        // rows stay, for a permission save and for a delete alike.
        refuseRows(cn, QStringLiteral("t1"), QStringLiteral("insert"), QStringLiteral("czy"), QStringLiteral("new.nr='清空数据库'"));
        refuseRows(cn, QStringLiteral("t2"), QStringLiteral("delete"), QStringLiteral("czyzd"));
        combo->setCurrentIndex(combo->findText(QStringLiteral("O'Neil")));
        emit combo->activated(combo->currentIndex());
        d.check(QStringLiteral("数据备份"), false);
        d.check(QStringLiteral("操作员设置"), true);
        d.check(QStringLiteral("清空数据库"), true);
        env.messages.records.clear();
        d.click("save");
        QCOMPARE(OperatorPermissions(cn, QStringLiteral("O'Neil")), before);
        d.openTab(0);
        d.pickRow(1);
        d.click("delete");
        QCOMPARE(OperatorPermissions(cn, QStringLiteral("O'Neil")), before);
        QCOMPARE(d.gridNames(), QStringList({QStringLiteral("Ann"), QStringLiteral("O'Neil")}));
        QCOMPARE(env.messages.records.size(), 3);  // report, confirmation, report
        QVERIFY(env.messages.records[0].flags == 16 && env.messages.records[2].flags == 16);
    }

    // Deleting from the window; names that differ only in letter case (an older database may hold
    // them) are different operators: saving, reading and deleting one touches none of the other's rows.
    void deletingOperators()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        for (const char *name : {"A", "B'b", "C", "D", "a"})
            addOperator(cn, QString::fromLatin1(name), {QStringLiteral("会员登记")});
        ModCzygl::SaveOperatorPermissions(cn, QStringLiteral("a"), {QStringLiteral("操作员设置")});
        ModCzygl::SaveOperatorPermissions(cn, QStringLiteral("A"), {QStringLiteral("操作员日志"), QStringLiteral("数据备份")});
        QCOMPARE(OperatorPermissions(cn, QStringLiteral("a")), QStringList{QStringLiteral("操作员设置")});
        QVERIFY(ModCzygl::DeleteOperator(cn, QStringLiteral("a")));
        QCOMPARE(OperatorPermissions(cn, QStringLiteral("A")).size(), 2);
        Driver d;
        QVERIFY(d.w);

        env.messages.answers << Msg::vbNo;
        d.click("delete");
        QCOMPARE(env.messages.texts(), QStringList{QStringLiteral("确认删除当前 'A' 操作员吗?")});
        QCOMPARE(env.messages.records.first().flags, 36);
        d.pickRow(1);
        d.click("delete");
        QCOMPARE(d.gridNames(), QStringList({QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("D")}));
        QVERIFY(OperatorPermissions(cn, QStringLiteral("B'b")).isEmpty());
        QCOMPARE(d.currentName(), QStringLiteral("C"));  // the second row of the re-read list
        d.click("delete");
        QCOMPARE(d.currentName(), QStringLiteral("D"));
        d.click("delete");
        QCOMPARE(d.currentName(), QStringLiteral("A"));  // the one row left stays current
        d.click("delete");
        d.click("delete");  // nothing left: no question, no report
        QVERIFY(d.gridNames().isEmpty());
        QCOMPARE(env.messages.records.size(), 5);

        QVERIFY(!ModCzygl::DeleteOperator(cn, QStringLiteral("system")));
        QCOMPARE(rows(cn, QStringLiteral("select czy_name from czyzd")), (QList<QVariantList>{{QStringLiteral("system")}}));
        QCOMPARE(OperatorPermissions(cn, QStringLiteral("system")).size(), 47);
    }
};

QTEST_MAIN(TestOperatorSettings)
#include "tst_operator_settings.moc"
