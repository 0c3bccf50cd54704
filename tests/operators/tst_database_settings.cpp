// Tests of the database settings window: refusals, storing the values, cancelling, the server's port.
#include "support/test_env.h"

#include "app/program_state.h"
#include "operators/database_settings_window.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

QString stored(const QString &key) { return GetSetting(kAppTitle, QStringLiteral("main"), key, QStringLiteral("<none>")); }

void type(QDialog *dialog, const QString &box, const QString &text)
{
    auto *edit = dialog->findChild<QLineEdit *>(box);
    QVERIFY2(edit, qPrintable(box));
    edit->setText(text);
}

void click(QDialog *dialog, const QString &button)
{
    auto *b = dialog->findChild<QPushButton *>(button);
    QVERIFY2(b, qPrintable(button));
    b->click();
}

} // namespace

class TestDatabaseSettings : public QObject {
    Q_OBJECT
private slots:
    // Without server or database the values are refused and nothing is stored; Cancel stores
    // nothing either; saving stores them and ends the program.
    void refusesStoresAndEnds()
    {
        TestEnv env;
        SaveSetting(kAppTitle, QStringLiteral("main"), QStringLiteral("server"), QStringLiteral("old"));
        sysset window;
        QCOMPARE(window.windowTitle(), QStringLiteral("系统设置"));
        // The stored values are not shown.
        for (const char *box : {"server", "database", "username", "password"})
            QVERIFY(window.findChild<QLineEdit *>(QLatin1String(box))->text().isEmpty());
        QCOMPARE(window.findChild<QLineEdit *>(QStringLiteral("server"))->accessibleName(), QStringLiteral("请输入服务器名称："));

        int shownResult = -1;
        env.dialogs.steps << [&](QDialog *d) {
            type(d, QStringLiteral("database"), QStringLiteral("gym"));
            click(d, QStringLiteral("Command1"));  // no server
            type(d, QStringLiteral("server"), QStringLiteral("srv01"));
            type(d, QStringLiteral("database"), QString());
            click(d, QStringLiteral("Command1"));  // no database
            shownResult = d->isVisible();
            click(d, QStringLiteral("Command2"));
        };
        const int result = ShowModal(&window);
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(shownResult, 1);
        QCOMPARE(env.messages.texts(), QStringList(2, QStringLiteral("服务器名称与数据库名称都不能为空！")));
        QVERIFY(env.messages.records[0].title == QStringLiteral("提示") && env.messages.records[0].flags == 48);
        QCOMPARE(stored(QStringLiteral("server")), QStringLiteral("old"));
        QCOMPARE(stored(QStringLiteral("database")), QStringLiteral("<none>"));
        QCOMPARE(env.shell.endRequests, 0);

        // Saved: stored as typed (user name and password may be empty), and the program ends.
        env.messages.records.clear();
        sysset saving;
        env.dialogs.steps << [](QDialog *d) {
            type(d, QStringLiteral("server"), QStringLiteral(" srv01\\SQL "));
            type(d, QStringLiteral("database"), QStringLiteral("hydb"));
            type(d, QStringLiteral("password"), QStringLiteral("p;w'd"));
            click(d, QStringLiteral("Command1"));
        };
        QCOMPARE(ShowModal(&saving), int(QDialog::Accepted));
        QVERIFY(env.messages.records.isEmpty());
        QCOMPARE(stored(QStringLiteral("server")), QStringLiteral(" srv01\\SQL "));
        QCOMPARE(stored(QStringLiteral("database")), QStringLiteral("hydb"));
        QCOMPARE(stored(QStringLiteral("username")), QString());
        QCOMPARE(stored(QStringLiteral("password")), QStringLiteral("p;w'd"));
        QCOMPARE(env.shell.endRequests, 1);
        QCOMPARE(saving.findChild<QLineEdit *>(QStringLiteral("port")), nullptr);  // asked for PostgreSQL only
        QCOMPARE(stored(QStringLiteral("port")), QStringLiteral("<none>"));
    }

    // For a PostgreSQL server the window also asks for the port: shown with the stored one,
    // only a whole number 1-65535 is stored, anything else is refused with nothing stored.
    void postgresAsksForPort()
    {
        TestEnv env;
        const QString kindBefore = strDbType;
        strDbType = QStringLiteral("POSTGRESQL");
        SaveSetting(kAppTitle, QStringLiteral("main"), QStringLiteral("port"), QStringLiteral("5544"));
        sysset window;
        strDbType = kindBefore;
        auto *port = window.findChild<QLineEdit *>(QStringLiteral("port"));
        QVERIFY(port);
        QCOMPARE(port->accessibleName(), QStringLiteral("请输入服务器端口："));
        QCOMPARE(port->text(), QStringLiteral("5544"));
        QVERIFY(port->geometry().bottom() < window.findChild<QPushButton *>(QStringLiteral("Command1"))->geometry().top());
        QVERIFY(window.rect().contains(window.findChild<QPushButton *>(QStringLiteral("Command2"))->geometry()));

        const QStringList refused = {QStringLiteral("3,500"), QStringLiteral("0"), QStringLiteral("65536"), QStringLiteral("-1"),
                                     QStringLiteral("54 32"), QStringLiteral("5432;"), QString()};
        env.dialogs.steps << [&](QDialog *d) {
            type(d, QStringLiteral("server"), QStringLiteral("db.centre.lan"));
            type(d, QStringLiteral("database"), QStringLiteral("rsgz"));
            for (const QString &text : refused) {
                type(d, QStringLiteral("port"), text);
                click(d, QStringLiteral("Command1"));
            }
            QCOMPARE(stored(QStringLiteral("server")), QStringLiteral("<none>"));
            type(d, QStringLiteral("port"), QStringLiteral(" 6543 "));
            click(d, QStringLiteral("Command1"));
        };
        QCOMPARE(ShowModal(&window), int(QDialog::Accepted));
        QCOMPARE(env.messages.records.size(), refused.size());
        QCOMPARE(env.messages.records.first().text, QStringLiteral("服务器端口应为 1 到 65535 之间的整数！"));
        QCOMPARE(stored(QStringLiteral("port")), QStringLiteral("6543"));
        QCOMPARE(stored(QStringLiteral("server")), QStringLiteral("db.centre.lan"));
        QCOMPARE(env.shell.endRequests, 1);
    }
};

QTEST_MAIN(TestDatabaseSettings)
#include "tst_database_settings.moc"
