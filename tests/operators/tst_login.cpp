// Tests of the login window and the operator permissions it applies to the main menu.
#include "support/test_env.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/startup.h"
#include "operators/commands.h"
#include "platform/db/connection.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const QStringList kPermissionItems = {"menu_sys_0", "menu_sys_1", "menu_sys_4", "menu_sys_5", "menu_sys_6", "menu_sys_7", "menu_sys_9"};
const QString kWrong = "口令错误!请重新输入。";

void addOperator(Connection &cn, const QString &name, const QVariant &password, const QStringList &permissions = {})
{
    cn.execute("insert into czyzd (czy_name, czy_pass, zwlx, sys_tag) values (?, ?, '', 0)", {name, password});
    for (const QString &nr : permissions)
        cn.execute("insert into czy ([name], czy_id, nr) values (?, 0, ?)", {name, nr});
}

// One attempt as a person makes it: pick the operator, type the password, click 登录.
void attempt(QDialog *d, const QString &name, const QString &password)
{
    auto *combo = d->findChild<QComboBox *>("combname");
    QVERIFY(combo);
    const int index = combo->findText(name, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(name));
    combo->setCurrentIndex(index);
    d->findChild<QLineEdit *>("txtPassword")->setText(password);
    d->findChild<QPushButton *>("cmdOK")->click();
}

std::function<void(QDialog *)> loginAs(const QString &name, const QString &password)
{
    return [=](QDialog *d) { attempt(d, name, password); };
}

// A hidden action always reports itself disabled; its own enabled state shows once it is made visible.
QStringList enabledItems(form_main &w)
{
    QStringList out;
    for (const QString &item : kPermissionItems) {
        QAction *action = w.menuItem(item);
        const bool hidden = !action->isVisible();
        action->setVisible(true);
        if (action->isEnabled())
            out << item;
        action->setVisible(!hidden);
    }
    return out;
}

void login() { ModmainRSgz::startupHooks().showLogin(); }
void cancel(QDialog *d) { d->findChild<QPushButton *>("cmdCancel")->click(); }

} // namespace

class TestLogin : public QObject {
    Q_OBJECT
private slots:
    void passwordsAndPreselection()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        addOperator(cn, "Ann", "Secret");
        addOperator(cn, "Nul", QVariant());
        addOperator(cn, "O'Neil", "x'y");
        form_main w;
        registerOperatorCommands(w);

        QStringList seen;  // title, preselected operator, entries, whether names can be typed, password echo
        env.dialogs.steps << [&](QDialog *d) {
            auto *combo = d->findChild<QComboBox *>("combname");
            auto *pass = d->findChild<QLineEdit *>("txtPassword");
            seen << d->windowTitle() << combo->currentText() << QString::number(combo->count())
                 << QString::number(combo->isEditable())
                 << QString(QChar(pass->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, pass)));
            attempt(d, "Nul", QString());  // a Null password matches nothing
            attempt(d, "Ann", "secret");   // case differs
            attempt(d, "Ann", QString());
            QVERIFY(d->isVisible());
            attempt(d, "Ann", "Secret");
        };
        login();
        QCOMPARE(env.dialogs.shown, QStringList{"frmLogin"});
        // "system" is the first row of czyzd
        QCOMPARE(seen, QStringList({"登录", "system", "4", "0", "*"}));
        QCOMPARE(env.messages.texts(), QStringList(3, kWrong));
        for (const auto &r : env.messages.records)
            QCOMPARE(r.flags, 48);
        QVERIFY(strCzyName == "Ann" && w.panelText(2) == "操做员:Ann");

        // The built-in operator's empty password, and a name with an apostrophe.
        env.messages.records.clear();
        env.dialogs.steps << loginAs("system", QString()) << loginAs("O'Neil", "x'y");
        login();
        QCOMPARE(strCzyName, QString("system"));
        login();
        QVERIFY(strCzyName == "O'Neil" && w.panelText(2) == "操做员:O'Neil");
        QVERIFY(env.messages.records.isEmpty());
        QCOMPARE(env.shell.endRequests, 0);
    }

    // Each login replaces operator, status bar and permissions, and closes the windows the new
    // operator may not use, as a close would; the password window belongs to the operator who opened it.
    void reloginReplacesPermissionsAndWindows()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        addOperator(cn, "A", "a", {"操作员设置", "操作员日志", "数据备份", "选择网络数据库", "系统参数设置", "清空数据库", "会员登记"});
        addOperator(cn, "B", "b", {"操作员日志", "商品销售"});
        addOperator(cn, "C", "c");
        addOperator(cn, "D'Arcy", "d", {"数据备份"});
        form_main w;
        registerOperatorCommands(w);
        QCOMPARE(enabledItems(w), QStringList());
        env.dialogs.steps << loginAs("A", "a");
        login();
        QCOMPARE(enabledItems(w), kPermissionItems);
        for (const char *item : {"menu_sys_0", "menu_sys_1", "menu_sys_2"})
            w.runCommand(QLatin1String(item));
        const auto relogin = [&](const QString &name, const QString &password) {
            env.dialogs.steps << loginAs(name, password);
            w.runCommand("file3");
        };
        const auto open = [&] {
            QStringList out;
            for (const char *name : {"Frm_czyset", "Frm_czyrz", "frm_czy_password"})
                if (w.findChildWindow(QLatin1String(name)))
                    out << QLatin1String(name);
            return out;
        };
        const auto openLogRows = [&](const QString &what) {
            return cn.query("select count(*) from czyrz where last_time is null and czyxm=?", {what}).rows[0][0].toInt();
        };
        QCOMPARE(open(), (QStringList{"Frm_czyset", "Frm_czyrz", "frm_czy_password"}));

        relogin("B", "b");  // may read the log but not manage operators
        QCOMPARE(enabledItems(w), QStringList{"menu_sys_1"});
        QVERIFY(w.panelText(2) == "操做员:B" && strCzyName == "B");
        QCOMPARE(open(), QStringList{"Frm_czyrz"});
        QVERIFY(openLogRows("操作员设置") == 0 && openLogRows("操作员日志") == 1);
        QApplication::processEvents();  // closed windows are deleted
        QVERIFY(!w.findChild<QWidget *>("Frm_czyset") && !w.findChild<QWidget *>("frm_czy_password"));
        // Logging in again as the same operator keeps it.
        w.runCommand("menu_sys_2");
        relogin("B", "b");
        QCOMPARE(open(), (QStringList{"Frm_czyrz", "frm_czy_password"}));

        relogin("D'Arcy", "d");
        QCOMPARE(enabledItems(w), (QStringList{"menu_sys_4", "menu_sys_5"}));  // restore goes with backup
        QVERIFY(open().isEmpty() && openLogRows("操作员日志") == 0);
        relogin("C", "c");
        QCOMPARE(enabledItems(w), QStringList());
        QVERIFY(w.menuItem("menu_sys_2")->isEnabled());  // password change needs no permission
        QCOMPARE(env.dialogs.shown.size(), 5);
        QVERIFY(env.messages.records.isEmpty());
    }

    void operatorIsTheChosenRowExactly()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        // Names that differ only in letter case, as an older database may hold them.
        const QStringList names{"admin", "Admin", "ADMIN"}, passwords{"a1", "A2", "A3"};
        addOperator(cn, names[0], passwords[0], {"操作员设置"});
        addOperator(cn, names[1], passwords[1], {"操作员日志"});
        addOperator(cn, names[2], passwords[2]);
        form_main w;
        registerOperatorCommands(w);
        const QList<QStringList> held{{"menu_sys_0"}, {"menu_sys_1"}, {}};
        for (int n = 0; n < names.size(); ++n) {
            for (int p = 0; p < passwords.size(); ++p) {
                strCzyName.clear();
                env.messages.records.clear();
                env.dialogs.steps << [&](QDialog *d) {
                    attempt(d, names[n], passwords[p]);
                    if (d->isVisible())
                        d->QDialog::reject();  // leaves without ending the (test) program's run
                };
                login();
                const QString tried = names[n] + '/' + passwords[p];
                if (n == p) {
                    QVERIFY2(strCzyName == names[n] && env.messages.records.isEmpty(), qPrintable(tried));
                    QCOMPARE(enabledItems(w), held[n]);
                } else {
                    QVERIFY2(strCzyName.isEmpty() && env.messages.texts() == QStringList{kWrong}, qPrintable(tried));
                }
            }
        }
    }

    void cancellingEndsTheProgram()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        form_main w;
        registerOperatorCommands(w);

        env.dialogs.steps << cancel;
        login();
        QCOMPARE(env.shell.endRequests, 1);
        QCOMPARE(strCzyName, QString());

        // Also when cancelling a re-login, and when the window is closed with Esc.
        env.dialogs.steps << loginAs("system", QString()) << cancel << [](QDialog *d) { d->reject(); };
        login();
        QCOMPARE(env.shell.endRequests, 1);
        w.runCommand("file3");
        QCOMPARE(env.shell.endRequests, 2);
        w.runCommand("file3");
        QCOMPARE(env.shell.endRequests, 3);

        // An empty operator table leaves nothing to choose and refuses the login without failing.
        cn.execute("delete from czyzd");
        QString shownName = "?";
        env.dialogs.steps << [&](QDialog *d) {
            shownName = d->findChild<QComboBox *>("combname")->currentText();
            d->findChild<QPushButton *>("cmdOK")->click();
        };
        login();
        QCOMPARE(shownName, QString());
        QCOMPARE(env.messages.texts(), QStringList{kWrong});
        QCOMPARE(strCzyName, QString("system"));
    }

    // A database file that cannot be read (no database at all, or one without the operator table):
    // the login window never shows, the failure is reported and the program ends.
    void unreadableDatabaseIsReportedAndEnds()
    {
        TestEnv env;
        form_main w;
        registerOperatorCommands(w);
        strDbType = "ACCESS";
        QFile junk(env.path("junk.mdb"));
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write(QByteArray(4096, 'j')) == 4096);
        junk.close();
        Connection bare;
        bare.openFile(env.path("bare.mdb"), true);
        bare.execute("create table t (x integer)");
        bare.close();
        for (const QString file : {"junk.mdb", "bare.mdb"}) {
            SaveSetting(kAppTitle, "main_path", "path", env.folder());
            SaveSetting(kAppTitle, "main_path", "data", file);
            env.messages.records.clear();
            login();
            QVERIFY(env.dialogs.shown.isEmpty());
            QCOMPARE(env.messages.records.size(), 1);
            QCOMPARE(env.messages.records.last().flags, 16);
            QVERIFY2(env.messages.records.last().text.startsWith("无法打开数据库文件“" + env.path(file)),
                     qPrintable(env.messages.records.last().text));
        }
        QCOMPARE(env.shell.endRequests, 2);
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
