// Tests of the main window: menu tree, command dispatch, single-instance children, status bar.
#include "support/test_env.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "platform/print/program_printer.h"
#include "platform/print/report_document.h"

#include <QAccessible>
#include <QAction>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpinBox>
#include <QRegularExpression>
#include <QTest>

namespace {

// A child window that records the keys that reach it.
class Probe : public QWidget {
public:
    explicit Probe(const QString &title) { setWindowTitle(title); }
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *e) override { keys << e->key(); }
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
    void menuStatesAndCaptions()
    {
        TestEnv env;
        env.openNewDatabase();
        form_main w;
        auto item = [&w](const char *name) { return w.menuItem(QString::fromLatin1(name)); };
        // Hidden items are never enabled; the disabled ones wait for the login.
        for (const char *name : {"file6", "menu_set_1", "menu_set_5", "menu_sys_6", "menu_sys_9", "hlep4", "hlep5"})
            QVERIFY2(!item(name)->isVisible() && !item(name)->isEnabled(), name);
        for (const char *name : {"menu_sys_0", "menu_sys_1", "menu_sys_4", "menu_sys_5"})
            QVERIFY2(item(name)->isVisible() && !item(name)->isEnabled(), name);
        for (const char *name : {"file1", "file5", "menu_set_0", "menu_rsSET_3", "menu_gZset_9", "menu_sys_2", "help2"})
            QVERIFY2(item(name)->isVisible() && item(name)->isEnabled(), name);
        QCOMPARE(item("file5")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QCOMPARE(item("menu_set_1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+U")));
        QVERIFY(item("menu_gZset_7")->isSeparator());
        QCOMPARE(w.findChild<QMenu *>(QStringLiteral("menu_GZ"))->actions().at(2), item("menu_gZset_3"));
        // The suite's statistics menu is hidden and each of its entries disabled.
        auto *find = w.findChild<QMenu *>(QStringLiteral("menufind"));
        QVERIFY(!find->menuAction()->isVisible());
        QCOMPARE(find->actions().size(), 17);
        for (QAction *a : find->actions())
            QVERIFY(!a->isEnabled());

        QCOMPARE(w.windowTitle(), QStringLiteral("数据系统管理"));  // design caption until it loads
        w.show();
        // a server database has no file to show
        QCOMPARE(w.windowTitle(), TestEnv::onPostgres() ? kAppTitle : kAppTitle + QLatin1Char(' ') + env.folder() + QStringLiteral("/hydb.mdb"));
        strDbType = QStringLiteral("SQLSERVER");  // a server database has no file to show
        form_main server;
        server.show();
        QCOMPARE(server.windowTitle(), kAppTitle);
    }

    void commandsRespectItemState()
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

        // Help sends F1 to the active child window.
        auto *probe = static_cast<Probe *>(w.showChild(QStringLiteral("FrmRSdagl"), [] { return new Probe(QStringLiteral("人事")); }));
        w.runCommand(QStringLiteral("hlep1"));
        w.runCommand(QStringLiteral("help2"));
        QTRY_COMPARE(probe->keys, QList<int>({Qt::Key_F1, Qt::Key_F1}));

        // A database error of a command is reported, not thrown into the event loop.
        w.setCommand(QStringLiteral("menu_gZset_5"), [] { throw DbError(DbError::SyntaxError, QStringLiteral("坏语句")); });
        w.runCommand(QStringLiteral("menu_gZset_5"));
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records[0].text, QStringLiteral("坏语句-2147217900"));
        QCOMPARE(env.messages.records[0].flags, 16);
    }

    void childWindowsOpenOnce()
    {
        TestEnv env;
        form_main w;
        w.show();
        int made = 0;
        auto open = [&](const QString &name, const QString &title) {
            w.showChild(name, [&made, title]() -> QWidget * {
                ++made;
                auto *probe = new Probe(title);
                probe->resize(420, 310);
                return probe;
            });
        };
        auto *file = w.findChild<QMenu *>(QStringLiteral("file"));
        auto listed = [file] {  // the file menu lists the open children
            emit file->aboutToShow();
            QStringList texts;
            for (QAction *a : file->actions())
                if (a->text().contains(QStringLiteral("工资")))
                    texts << a->text();
            return texts;
        };
        open(QStringLiteral("FrmGZlr"), QStringLiteral("工资录入"));
        QWidget *entry = w.findChildWindow(QStringLiteral("FrmGZlr"));
        QVERIFY(entry);
        QCOMPARE(entry->size(), QSize(420, 310));  // the frame fits the size the window gave itself
        open(QStringLiteral("FrmGZjs"), QStringLiteral("工资计算"));
        QCOMPARE(w.mdiArea()->activeSubWindow()->widget(), w.findChildWindow(QStringLiteral("FrmGZjs")));
        // Asking again brings the open window to the front; no second copy.
        open(QStringLiteral("FrmGZlr"), QStringLiteral("工资录入"));
        QCOMPARE(made, 2);
        QCOMPARE(visibleChildren(w), 2);
        QCOMPARE(w.mdiArea()->activeSubWindow()->widget(), entry);
        QCOMPARE(listed(), QStringList({"&1 工资录入", "&2 工资计算"}));

        // A child that closes itself is gone, and the next request makes a new one.
        QPointer<QWidget> closed(entry);
        entry->close();
        QTRY_VERIFY(!closed);
        QTRY_COMPARE(visibleChildren(w), 1);
        QVERIFY(!w.findChildWindow(QStringLiteral("FrmGZlr")));
        open(QStringLiteral("FrmGZlr"), QStringLiteral("工资录入"));
        QCOMPARE(made, 3);
        QVERIFY(w.findChildWindow(QStringLiteral("FrmGZlr")));
        QCOMPARE(listed().size(), 2);
    }

    void statusBar()
    {
        TestEnv env;
        form_main w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.panelText(2), QStringLiteral("管理人:"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{1,2}:\\d\\d$")).match(w.panelText(6)).hasMatch());
        QCOMPARE(w.panelText(7), QDate::currentDate().toString(QStringLiteral("yyyy-M-d")));

        // The key-state panels follow the keys pressed, each press once.
        QVERIFY(!w.panelActive(3) && !w.panelActive(4) && !w.panelActive(5));
        QTest::keyClick(w.windowHandle(), Qt::Key_CapsLock);
        QTest::keyClick(w.windowHandle(), Qt::Key_Insert);
        QVERIFY(w.panelActive(3) && !w.panelActive(4) && w.panelActive(5));
        QTest::keyClick(w.windowHandle(), Qt::Key_CapsLock);
        QTest::keyClick(w.windowHandle(), Qt::Key_NumLock);
        QVERIFY(!w.panelActive(3) && w.panelActive(4));

        // Screen readers read what the operator, time and date panels show, after what each is.
        auto spoken = [&w](int panel) {
            QWidget *label = w.findChild<QWidget *>(QStringLiteral("StatusBar1_%1").arg(panel));
            return QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
        };
        w.setPanelText(2, QStringLiteral("操做员:O'Neil"));
        QCOMPARE(spoken(2), QStringLiteral("操作员：操做员:O'Neil"));
        QCOMPARE(spoken(6), QStringLiteral("时间：") + w.panelText(6));
        QCOMPARE(spoken(7), QStringLiteral("日期：") + w.panelText(7));
    }

    void printerDialogKeepsItsChoice()
    {
        TestEnv env;
        form_main w;
        const auto chooseCopies = [](int copies, bool accept) {
            return [=](QDialog *d) {
                auto *spin = d->findChild<QSpinBox *>("copies");
                QVERIFY(spin);
                spin->setValue(copies);
                accept ? d->accept() : d->reject();
            };
        };
        // The dialog of "打印设置" edits the program's printer; a cancelled dialog changes nothing.
        env.dialogs.steps << chooseCopies(3, true) << chooseCopies(5, false);
        w.runCommand("file1");
        w.runCommand("file1");
        QCOMPARE(ProgramPrinter().copyCount(), 3);

        // A later print starts from it: the print dialog of a report offers three copies.
        int offered = 0;
        env.dialogs.steps << [&](QDialog *d) { offered = static_cast<QPrintDialog *>(d)->printer()->copyCount(); };
        ReportDocument doc;
        QVERIFY(!doc.printWithDialog(nullptr));
        QCOMPARE(offered, 3);
        QCOMPARE(env.dialogs.shown, (QStringList{"CommonDialog1", "CommonDialog1", "PrintDialog"}));
        QVERIFY(env.messages.records.isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
