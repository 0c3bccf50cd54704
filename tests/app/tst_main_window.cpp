// Tests of the main window: menu tree, command dispatch, single-instance children, status bar.
#include "support/test_env.h"

#include "app/main_window.h"
#include "app/program_state.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QWindow>

namespace {

// A child window that records what reaches it.
class Probe : public QWidget {
public:
    explicit Probe(const QString &title, int *closes = nullptr) : m_closes(closes) { setWindowTitle(title); }
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *e) override { keys << e->key(); }
    void closeEvent(QCloseEvent *e) override
    {
        if (m_closes)
            ++*m_closes;
        QWidget::closeEvent(e);
    }

private:
    int *m_closes;
};

int visibleChildren(const form_main &w)
{
    int n = 0;
    for (QMdiSubWindow *s : w.mdiArea()->subWindowList())
        n += s->isHidden() ? 0 : 1;
    return n;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void menuTree();
    void captions();
    void commandsRespectItemState();
    void childWindowsOpenOnce();
    void exitAndClose();
    void printerAndHelp();
    void statusBar();
};

void TestMainWindow::menuTree()
{
    TestEnv env;
    form_main w;
    QStringList bar;
    for (QAction *a : w.menuBar()->actions())
        bar << a->objectName() + QLatin1Char('=') + a->text() + (a->isVisible() ? QString() : QStringLiteral("(hidden)"));
    QCOMPARE(bar, QStringList({"file=文件(&F)", "menu_shezhi=初始设置(&S)", "menu_rs=人事资料管理", "menu_GZ=工资管理",
                               "menufind=数据查询(&U)(hidden)", "sys_set=系统设置(&E)", "hlep=帮助(&H)"}));

    // name, caption ("-" separator), visible, enabled, shortcut — in display order within each menu.
    struct Item { const char *name, *caption; bool visible, enabled; const char *keys; };
    const QList<QPair<QString, QList<Item>>> menus = {
        {"file", {{"file1", "打印设置", 1, 1, ""}, {"file3", "重新登陆", 1, 1, ""}, {"file4", "-", 1, 1, ""},
                  {"file6", "锁定屏幕", 0, 1, ""}, {"file7", "-", 0, 1, ""}, {"file5", "退出", 1, 1, "Ctrl+Q"}}},
        {"menu_shezhi", {{"menu_set_0", "&1.部门设置", 1, 1, ""}, {"menu_set_1", "&2.卡类型设置", 0, 0, "Ctrl+U"},
                         {"menu_set_2", "-", 1, 1, ""}, {"menu_set_3", "&3.锻炼项目设置", 0, 0, ""},
                         {"menu_set_4", "&4.宣传渠道设置", 0, 0, ""}, {"menu_set_5", "&5.卡类型有效时段设置", 0, 0, ""}}},
        {"menu_rs", {{"menu_rsSET_1", "人事资料档案", 1, 1, ""}, {"menu_rsSET_2", "-", 1, 1, ""},
                     {"menu_rsSET_3", "员工隶属部门设置", 1, 1, ""}}},
        {"menu_GZ", {{"menu_gZset_1", "工资项目及统计条件设置", 1, 1, ""}, {"menu_gZset_2", "快速生成月份工资", 1, 1, ""},
                     {"menu_gZset_3", "月份工资录入修改", 1, 1, ""}, {"menu_gZset_4", "按员工生成工资单", 1, 1, ""},
                     {"menu_gZset_5", "计算工资", 1, 1, ""}, {"menu_gZset_6", "工资批量修改", 1, 1, ""},
                     {"menu_gZset_7", "-", 1, 1, ""}, {"menu_gZset_8", "工资条查询打印", 1, 1, ""},
                     {"menu_gZset_9", "工资单查询", 1, 1, ""}}},
        {"sys_set", {{"menu_sys_0", "&1.操作员设置", 1, 0, ""}, {"menu_sys_1", "&2.操作员日志", 1, 0, ""},
                     {"menu_sys_2", "&3.口令变更", 1, 1, ""}, {"menu_sys_3", "-", 1, 1, ""},
                     {"menu_sys_4", "&4.数据备份", 1, 0, ""}, {"menu_sys_6", "&6.选择网络数据库", 0, 0, ""},
                     {"menu_sys_7", "&7.系统参数设置", 0, 0, ""}, {"menu_sys_9", "&9.清空数据库", 0, 0, ""},
                     {"menu_sys_10", "-", 0, 1, ""}}},
        {"hlep", {{"hlep1", "帮助内容 F1", 1, 1, ""}, {"help2", "索引", 1, 1, ""}, {"hlep3", "-", 1, 1, ""},
                  {"hlep4", "技术支持", 0, 1, ""}, {"hlep5", "关于....", 0, 1, ""}}},
    };
    for (const auto &[menuName, items] : menus) {
        auto *menu = w.findChild<QMenu *>(menuName);
        QVERIFY2(menu, qPrintable(menuName));
        const QList<QAction *> actions = menu->actions();
        QVERIFY2(actions.size() >= items.size(), qPrintable(menuName));
        for (int i = 0; i < items.size(); ++i) {
            const Item &it = items.at(i);
            QAction *a = actions.at(i);
            QCOMPARE(a, w.menuItem(QString::fromUtf8(it.name)));
            QCOMPARE(a->objectName(), QString::fromUtf8(it.name));
            if (qstrcmp(it.caption, "-") == 0)
                QVERIFY2(a->isSeparator(), it.name);
            else
                QCOMPARE(a->text(), QString::fromUtf8(it.caption));
            QCOMPARE(a->isVisible(), it.visible);
            QVERIFY2(a->isEnabled() == (it.enabled && it.visible), it.name);  // a hidden action is never enabled
            QCOMPARE(a->shortcut(), QKeySequence(QString::fromLatin1(it.keys)));
        }
    }
    // The suite's statistics: seventeen entries, separators at 4, 7, 10 and 13, all disabled.
    auto *find = w.findChild<QMenu *>(QStringLiteral("menufind"));
    QCOMPARE(find->actions().size(), 17);
    for (int i = 0; i < 17; ++i) {
        QAction *a = w.menuItem(QStringLiteral("menu_find_%1").arg(i));
        QCOMPARE(a, find->actions().at(i));
        QCOMPARE(a->isSeparator(), i == 4 || i == 7 || i == 10 || i == 13);
        QVERIFY(!a->isEnabled());
    }
    QCOMPARE(w.menuItem(QStringLiteral("menu_find_16"))->text(), QStringLiteral("&D.会员锻炼对比分析"));
    QCOMPARE(w.menuItem(QStringLiteral("menu_find_11"))->text(), QStringLiteral("&9.会员卡到期提醒"));
}

void TestMainWindow::captions()
{
    {
        TestEnv env;
        env.openNewDatabase();
        form_main w;
        QCOMPARE(w.windowTitle(), QStringLiteral("数据系统管理"));  // design caption until it loads
        w.show();
        QCOMPARE(w.windowTitle(), kAppTitle + QLatin1Char(' ') + env.folder() + QStringLiteral("/hydb.mdb"));
        QCOMPARE(w.menuItem(QStringLiteral("hlep5"))->text(), QStringLiteral("关于禾沐馆务"));
    }
    {
        TestEnv env;
        strDbType = QStringLiteral("SQLSERVER");
        form_main w;
        w.show();
        QCOMPARE(w.windowTitle(), kAppTitle);
    }
}

void TestMainWindow::commandsRespectItemState()
{
    TestEnv env;
    form_main w;
    w.show();
    int runs = 0;
    // "员工隶属部门设置" has no command: nothing opens, nothing is said.
    w.runCommand(QStringLiteral("menu_rsSET_3"));
    w.menuItem(QStringLiteral("menu_rsSET_3"))->trigger();
    QCOMPARE(visibleChildren(w), 0);
    QVERIFY(env.messages.records.isEmpty());
    QVERIFY(env.dialogs.shown.isEmpty());

    // A disabled item cannot be clicked until the login enables it.
    w.setCommand(QStringLiteral("menu_sys_0"), [&] { ++runs; });
    w.runCommand(QStringLiteral("menu_sys_0"));
    QCOMPARE(runs, 0);
    w.menuItem(QStringLiteral("menu_sys_0"))->setEnabled(true);
    w.menuItem(QStringLiteral("menu_sys_0"))->trigger();
    QCOMPARE(runs, 1);

    // Hidden items, and items of the hidden menu, are out of reach: the About box does not open.
    w.runCommand(QStringLiteral("hlep5"));
    QVERIFY(!w.findChild<QDialog *>(QStringLiteral("frmAbout")));
    w.setCommand(QStringLiteral("menu_find_0"), [&] { ++runs; });
    w.menuItem(QStringLiteral("menu_find_0"))->setEnabled(true);
    w.runCommand(QStringLiteral("menu_find_0"));
    QCOMPARE(runs, 1);

    // A database error of a command is reported, not thrown into the event loop.
    w.setCommand(QStringLiteral("menu_gZset_5"), [] { throw DbError(DbError::SyntaxError, QStringLiteral("坏语句")); });
    w.runCommand(QStringLiteral("menu_gZset_5"));
    QCOMPARE(env.messages.records.size(), 1);
    QCOMPARE(env.messages.records[0].text, QStringLiteral("坏语句-2147217900"));
    QCOMPARE(env.messages.records[0].flags, 16);
}

void TestMainWindow::childWindowsOpenOnce()
{
    TestEnv env;
    form_main w;
    w.show();
    int made = 0;
    auto factory = [&made](const QString &title) {
        return [&made, title]() -> QWidget * {
            ++made;
            auto *probe = new Probe(title);
            probe->resize(420, 310);
            return probe;
        };
    };
    w.setCommand(QStringLiteral("menu_gZset_3"), [&] { w.showChild(QStringLiteral("FrmGZlr"), factory(QStringLiteral("工资录入"))); });
    w.setCommand(QStringLiteral("menu_gZset_5"), [&] { w.showChild(QStringLiteral("FrmGZjs"), factory(QStringLiteral("工资计算"))); });
    w.runCommand(QStringLiteral("menu_gZset_3"));
    QWidget *entry = w.findChildWindow(QStringLiteral("FrmGZlr"));
    QVERIFY(entry);
    QCOMPARE(entry->size(), QSize(420, 310));  // the frame fits the size the window gave itself
    w.runCommand(QStringLiteral("menu_gZset_5"));
    QCOMPARE(w.mdiArea()->activeSubWindow()->widget(), w.findChildWindow(QStringLiteral("FrmGZjs")));
    // The second command brings the open window to the front; no second copy.
    w.runCommand(QStringLiteral("menu_gZset_3"));
    QCOMPARE(made, 2);
    QCOMPARE(visibleChildren(w), 2);
    QCOMPARE(w.mdiArea()->activeSubWindow()->widget(), entry);

    // The file menu lists the open children.
    auto *file = w.findChild<QMenu *>(QStringLiteral("file"));
    emit file->aboutToShow();
    QStringList listed;
    for (QAction *a : file->actions())
        if (a->text().contains(QStringLiteral("工资")))
            listed << a->text();
    QCOMPARE(listed, QStringList({"&1 工资录入", "&2 工资计算"}));

    // A child that closes itself is gone, and the next command makes a new one.
    QPointer<QWidget> closed(entry);
    entry->close();
    QTRY_VERIFY(!closed);
    QTRY_COMPARE(visibleChildren(w), 1);
    QVERIFY(!w.findChildWindow(QStringLiteral("FrmGZlr")));
    w.runCommand(QStringLiteral("menu_gZset_3"));
    QCOMPARE(made, 3);
    QVERIFY(w.findChildWindow(QStringLiteral("FrmGZlr")));
    emit file->aboutToShow();
    int entries = 0;
    for (QAction *a : file->actions())
        entries += a->text().contains(QStringLiteral("工资")) ? 1 : 0;
    QCOMPARE(entries, 2);
}

void TestMainWindow::exitAndClose()
{
    TestEnv env;
    env.openNewDatabase();
    form_main w;
    w.show();
    int closes = 0;
    w.showChild(QStringLiteral("Frm_czyrz"), [&] { return new Probe(QStringLiteral("操作员日志"), &closes); });
    // Exit ends at once: the open window's close steps do not run, the connection stays.
    w.menuItem(QStringLiteral("file5"))->trigger();
    QCOMPARE(env.shell.endRequests, 1);
    QCOMPARE(closes, 0);
    QVERIFY(cnMain.isOpen());
    // Closing the main window closes the children first, releases the connection and ends.
    QVERIFY(w.close());
    QCOMPARE(closes, 1);
    QVERIFY(!cnMain.isOpen());
    QCOMPARE(env.shell.endRequests, 2);
}

void TestMainWindow::printerAndHelp()
{
    TestEnv env;
    form_main w;
    w.show();
    // The printer dialog, cancelled: no message, nothing else happens.
    w.runCommand(QStringLiteral("file1"));
    QCOMPARE(env.dialogs.shown, QStringList({"CommonDialog1"}));
    QVERIFY(env.messages.records.isEmpty());

    // Help sends F1 to the active child window.
    auto *probe = static_cast<Probe *>(w.showChild(QStringLiteral("FrmRSdagl"), [] { return new Probe(QStringLiteral("人事")); }));
    w.runCommand(QStringLiteral("hlep1"));
    w.runCommand(QStringLiteral("help2"));
    QTRY_COMPARE(probe->keys, QList<int>({Qt::Key_F1, Qt::Key_F1}));
}

void TestMainWindow::statusBar()
{
    TestEnv env;
    form_main w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.findChild<QStatusBar *>(QStringLiteral("StatusBar1")));
    QCOMPARE(w.panelText(1), QStringLiteral("管理系统"));
    QCOMPARE(w.panelText(2), QStringLiteral("管理人:"));
    QCOMPARE(w.panelText(3), QStringLiteral("CAPS"));
    QCOMPARE(w.panelText(4), QStringLiteral("NUM"));
    QCOMPARE(w.panelText(5), QStringLiteral("Ins"));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{1,2}:\\d\\d$")).match(w.panelText(6)).hasMatch());
    QCOMPARE(w.panelText(7), QDate::currentDate().toString(QStringLiteral("yyyy-M-d")));
    QCOMPARE(w.panelText(8), QString());
    w.setPanelText(2, QStringLiteral("操做员:system"));
    QCOMPARE(w.panelText(2), QStringLiteral("操做员:system"));

    // The key-state panels follow the keys pressed, each press once.
    QVERIFY(!w.panelActive(3) && !w.panelActive(4) && !w.panelActive(5));
    QTest::keyClick(w.windowHandle(), Qt::Key_CapsLock);
    QTest::keyClick(w.windowHandle(), Qt::Key_Insert);
    QVERIFY(w.panelActive(3));
    QVERIFY(!w.panelActive(4));
    QVERIFY(w.panelActive(5));
    QTest::keyClick(w.windowHandle(), Qt::Key_CapsLock);
    QTest::keyClick(w.windowHandle(), Qt::Key_NumLock);
    QVERIFY(!w.panelActive(3));
    QVERIFY(w.panelActive(4));
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
