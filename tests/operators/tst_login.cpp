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

const QStringList kPermissionItems = {QStringLiteral("menu_sys_0"), QStringLiteral("menu_sys_1"), QStringLiteral("menu_sys_4"), QStringLiteral("menu_sys_5"),
                               QStringLiteral("menu_sys_6"), QStringLiteral("menu_sys_7"), QStringLiteral("menu_sys_9")};
const QString kWrong = QStringLiteral("口令错误!请重新输入。");

void addOperator(Connection &cn, const QString &name, const QVariant &password, const QStringList &permissions = {})
{
    cn.execute(QStringLiteral("insert into czyzd (czy_name, czy_pass, zwlx, sys_tag) values (?, ?, '', 0)"),
               {name, password});
    for (const QString &nr : permissions)
        cn.execute(QStringLiteral("insert into czy ([name], czy_id, nr) values (?, 0, ?)"), {name, nr});
}

// One attempt as a person makes it: pick the operator, type the password, click 登录.
void attempt(QDialog *d, const QString &name, const QString &password)
{
    auto *combo = d->findChild<QComboBox *>(QStringLiteral("combname"));
    QVERIFY(combo);
    const int index = combo->findText(name, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(name));
    combo->setCurrentIndex(index);
    d->findChild<QLineEdit *>(QStringLiteral("txtPassword"))->setText(password);
    d->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
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
void cancel(QDialog *d) { d->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click(); }
// Leaves the login window without logging in and without ending the (test) program's run.
void cancelWithoutEnding(QDialog *d) { d->QDialog::reject(); }
void storeDatabase(const QString &folder, const QString &file)
{
    SaveSetting(kAppTitle, QStringLiteral("main_path"), QStringLiteral("path"), folder);
    SaveSetting(kAppTitle, QStringLiteral("main_path"), QStringLiteral("data"), file);
}

} // namespace

class TestLogin : public QObject {
    Q_OBJECT
private slots:
    void passwordsAndPreselection()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        addOperator(cn, QStringLiteral("Ann"), QStringLiteral("Secret"));
        addOperator(cn, QStringLiteral("Nul"), QVariant());
        addOperator(cn, QStringLiteral("O'Neil"), QStringLiteral("x'y"));
        form_main w;
        registerOperatorCommands(w);

        QStringList seen;  // title, preselected operator, entries, whether names can be typed, password echo
        env.dialogs.steps << [&](QDialog *d) {
            auto *combo = d->findChild<QComboBox *>(QStringLiteral("combname"));
            auto *pass = d->findChild<QLineEdit *>(QStringLiteral("txtPassword"));
            seen << d->windowTitle() << combo->currentText() << QString::number(combo->count())
                 << QString::number(combo->isEditable())
                 << QString(QChar(pass->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, pass)));
            attempt(d, QStringLiteral("Nul"), QString());        // a Null password matches nothing
            attempt(d, QStringLiteral("Ann"), QStringLiteral("secret"));  // case differs
            attempt(d, QStringLiteral("Ann"), QString());
            QVERIFY(d->isVisible());
            attempt(d, QStringLiteral("Ann"), QStringLiteral("Secret"));
        };
        login();
        QCOMPARE(env.dialogs.shown, QStringList{QStringLiteral("frmLogin")});
        // "system" is the first row of czyzd
        QCOMPARE(seen, QStringList({QStringLiteral("登录"), QStringLiteral("system"), QStringLiteral("4"), QStringLiteral("0"), QStringLiteral("*")}));
        QCOMPARE(env.messages.texts(), QStringList(3, kWrong));
        for (const auto &r : env.messages.records)
            QCOMPARE(r.flags, 48);
        QCOMPARE(strCzyName, QStringLiteral("Ann"));
        QCOMPARE(w.panelText(2), QStringLiteral("操做员:Ann"));
        QCOMPARE(w.panelText(1), QStringLiteral("禾沐馆务"));

        // The built-in operator's empty password, and a name with an apostrophe.
        env.messages.records.clear();
        env.dialogs.steps << loginAs(QStringLiteral("system"), QString()) << loginAs(QStringLiteral("O'Neil"), QStringLiteral("x'y"));
        login();
        QCOMPARE(strCzyName, QStringLiteral("system"));
        login();
        QCOMPARE(strCzyName, QStringLiteral("O'Neil"));
        QCOMPARE(w.panelText(2), QStringLiteral("操做员:O'Neil"));
        QVERIFY(env.messages.records.isEmpty());
        QCOMPARE(env.shell.endRequests, 0);
    }

    void permissionsFollowTheLastLogin()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        addOperator(cn, QStringLiteral("A"), QStringLiteral("a"),
                    {QStringLiteral("操作员设置"), QStringLiteral("操作员日志"), QStringLiteral("数据备份"),
                     QStringLiteral("选择网络数据库"), QStringLiteral("系统参数设置"), QStringLiteral("清空数据库"),
                     QStringLiteral("会员登记")});
        addOperator(cn, QStringLiteral("B"), QStringLiteral("b"), {QStringLiteral("操作员日志"), QStringLiteral("商品销售")});
        addOperator(cn, QStringLiteral("C"), QStringLiteral("c"));
        addOperator(cn, QStringLiteral("D'Arcy"), QStringLiteral("d"), {QStringLiteral("数据备份")});
        form_main w;
        registerOperatorCommands(w);
        QCOMPARE(enabledItems(w), QStringList());

        env.dialogs.steps << loginAs(QStringLiteral("A"), QStringLiteral("a"));
        login();
        QCOMPARE(enabledItems(w), kPermissionItems);

        // Re-login from the menu replaces operator, status bar and permissions.
        env.dialogs.steps << loginAs(QStringLiteral("B"), QStringLiteral("b"));
        w.runCommand(QStringLiteral("file3"));
        QCOMPARE(env.dialogs.shown.size(), 2);
        QCOMPARE(enabledItems(w), QStringList{QStringLiteral("menu_sys_1")});
        QCOMPARE(w.panelText(2), QStringLiteral("操做员:B"));
        QCOMPARE(strCzyName, QStringLiteral("B"));

        env.dialogs.steps << loginAs(QStringLiteral("D'Arcy"), QStringLiteral("d")) << loginAs(QStringLiteral("C"), QStringLiteral("c"));
        w.runCommand(QStringLiteral("file3"));
        QCOMPARE(enabledItems(w), (QStringList{QStringLiteral("menu_sys_4"), QStringLiteral("menu_sys_5")}));  // restore goes with backup
        w.runCommand(QStringLiteral("file3"));
        QCOMPARE(enabledItems(w), QStringList());
        QVERIFY(w.menuItem(QStringLiteral("menu_sys_2"))->isEnabled());  // password change needs no permission
        QVERIFY(env.messages.records.isEmpty());
    }

    void operatorIsTheChosenRowExactly()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        // Names that differ only in letter case, as an older database may hold them.
        const QStringList names{QStringLiteral("admin"), QStringLiteral("Admin"), QStringLiteral("ADMIN")};
        const QStringList passwords{QStringLiteral("a1"), QStringLiteral("A2"), QStringLiteral("A3")};
        addOperator(cn, names[0], passwords[0], {QStringLiteral("操作员设置")});
        addOperator(cn, names[1], passwords[1], {QStringLiteral("操作员日志")});
        addOperator(cn, names[2], passwords[2]);
        form_main w;
        registerOperatorCommands(w);
        const QList<QStringList> held{{QStringLiteral("menu_sys_0")}, {QStringLiteral("menu_sys_1")}, {}};
        for (int n = 0; n < names.size(); ++n) {
            for (int p = 0; p < passwords.size(); ++p) {
                strCzyName.clear();
                env.messages.records.clear();
                env.dialogs.steps << [&](QDialog *d) {
                    attempt(d, names[n], passwords[p]);
                    if (d->isVisible())
                        cancelWithoutEnding(d);
                };
                login();
                const QString tried = names[n] + QLatin1Char('/') + passwords[p];
                if (n == p) {
                    QVERIFY2(strCzyName == names[n] && env.messages.records.isEmpty(), qPrintable(tried));
                    QCOMPARE(enabledItems(w), held[n]);
                } else {
                    QVERIFY2(strCzyName.isEmpty() && env.messages.texts() == QStringList{kWrong}, qPrintable(tried));
                }
            }
        }
    }

    void reloginClosesWindowsTheNewOperatorMayNotUse()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        addOperator(cn, QStringLiteral("Boss"), QStringLiteral("b"), {QStringLiteral("操作员设置"), QStringLiteral("操作员日志")});
        addOperator(cn, QStringLiteral("Clerk"), QStringLiteral("c"), {QStringLiteral("操作员日志")});
        addOperator(cn, QStringLiteral("Temp"), QStringLiteral("t"));
        form_main w;
        registerOperatorCommands(w);
        env.dialogs.steps << loginAs(QStringLiteral("Boss"), QStringLiteral("b"));
        login();
        for (const char *item : {"menu_sys_0", "menu_sys_1", "menu_sys_2"})
            w.runCommand(QLatin1String(item));
        const auto open = [&] {
            QStringList out;
            for (const char *name : {"Frm_czyset", "Frm_czyrz", "frm_czy_password"})
                if (w.findChildWindow(QLatin1String(name)))
                    out << QLatin1String(name);
            return out;
        };
        const auto openLogRows = [&](const QString &what) {
            return cn.query(QStringLiteral("select count(*) from czyrz where last_time is null and czyxm=?"), {what})
                .rows[0][0].toInt();
        };
        QCOMPARE(open(), (QStringList{"Frm_czyset", "Frm_czyrz", "frm_czy_password"}));

        // The clerk may read the log but not manage operators: that window closes, as a close would.
        // The password window belongs to the operator who opened it and closes for another one.
        env.dialogs.steps << loginAs(QStringLiteral("Clerk"), QStringLiteral("c"));
        w.runCommand(QStringLiteral("file3"));
        QCOMPARE(open(), QStringList{"Frm_czyrz"});
        QVERIFY(openLogRows(QStringLiteral("操作员设置")) == 0 && openLogRows(QStringLiteral("操作员日志")) == 1);
        QApplication::processEvents();  // closed windows are deleted
        QVERIFY(!w.findChild<QWidget *>(QStringLiteral("Frm_czyset")));
        QVERIFY(!w.findChild<QWidget *>(QStringLiteral("frm_czy_password")));

        // Logging in again as the same operator keeps it.
        w.runCommand(QStringLiteral("menu_sys_2"));
        env.dialogs.steps << loginAs(QStringLiteral("Clerk"), QStringLiteral("c"));
        w.runCommand(QStringLiteral("file3"));
        QCOMPARE(open(), (QStringList{"Frm_czyrz", "frm_czy_password"}));

        env.dialogs.steps << loginAs(QStringLiteral("Temp"), QStringLiteral("t"));
        w.runCommand(QStringLiteral("file3"));
        QCOMPARE(open(), QStringList{});
        QCOMPARE(openLogRows(QStringLiteral("操作员日志")), 0);
        QVERIFY(env.messages.records.isEmpty());
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
        env.dialogs.steps << loginAs(QStringLiteral("system"), QString()) << cancel << [](QDialog *d) { d->reject(); };
        login();
        QCOMPARE(env.shell.endRequests, 1);
        w.runCommand(QStringLiteral("file3"));
        QCOMPARE(env.shell.endRequests, 2);
        w.runCommand(QStringLiteral("file3"));
        QCOMPARE(env.shell.endRequests, 3);

        // An empty operator table leaves nothing to choose and refuses the login without failing.
        cn.execute(QStringLiteral("delete from czyzd"));
        QString shownName = QStringLiteral("?");
        env.dialogs.steps << [&](QDialog *d) {
            shownName = d->findChild<QComboBox *>(QStringLiteral("combname"))->currentText();
            d->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        };
        login();
        QCOMPARE(shownName, QString());
        QCOMPARE(env.messages.texts(), QStringList{kWrong});
        QCOMPARE(strCzyName, QStringLiteral("system"));
    }

    void unreadableDatabaseIsReportedAndEnds()
    {
        TestEnv env;
        form_main w;
        registerOperatorCommands(w);

        // Nothing to log in to: the login window never shows, the failure is reported and the program ends.
        int reports = 0;
        const auto refused = [&](const QString &folder, const QString &file, const QString &reportedStart) {
            storeDatabase(folder, file);
            login();
            ++reports;
            QVERIFY(env.dialogs.shown.isEmpty());
            QCOMPARE(env.shell.endRequests, reports);
            QCOMPARE(env.messages.records.size(), reports);
            QCOMPARE(env.messages.records.last().flags, 16);
            QVERIFY2(env.messages.records.last().text.startsWith(reportedStart), qPrintable(env.messages.records.last().text));
        };
        strDbType = QStringLiteral("ACCESS");
        const QString gone = env.path(QStringLiteral("gone"));
        refused(gone, QStringLiteral("hydb.mdb"), QStringLiteral("无法打开数据库文件“") + gone + QStringLiteral("/hydb.mdb"));

        QFile junk(env.path(QStringLiteral("junk.mdb")));  // a file that is no database at all
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write(QByteArray(4096, 'j')) == 4096);
        junk.close();
        refused(env.folder(), QStringLiteral("junk.mdb"), QStringLiteral("无法打开数据库文件“") + junk.fileName());

        Connection bare;  // a database that opens but holds no operator table
        bare.openFile(env.path(QStringLiteral("bare.mdb")), true);
        bare.execute(QStringLiteral("create table t (x integer)"));
        bare.close();
        refused(env.folder(), QStringLiteral("bare.mdb"), QStringLiteral("无法打开数据库文件“") + env.path(QStringLiteral("bare.mdb")));
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
