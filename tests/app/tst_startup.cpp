// Tests of the start-up sequence: settings rules of the local database, the server open's failure
// answers, the common database-error report and window centring.
#include "support/test_env.h"

#include "app/first_run.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/startup.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <sqlite3.h>

namespace {
QString stored(const QString &key) { return GetSetting(kAppTitle, QStringLiteral("main_path"), key, QStringLiteral("<none>")); }
void store(const QString &key, const QString &value) { SaveSetting(kAppTitle, QStringLiteral("main_path"), key, value); }
QStringList storedKeys() { return QSettings(kAppTitle, kAppTitle).allKeys(); }

// Clears the hooks a test sets, whatever way it ends.
struct HooksGuard {
    ~HooksGuard() { ModmainRSgz::startupHooks() = {}; }
};
} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void defaultDatabaseIsMadeAndOpened()
    {
        // The first start makes the default database, shows the main window, then the login.
        TestEnv env;
        HooksGuard guard;
        form_main mainWindow;
        QList<bool> seen;  // at each login: the window shown, the connection open
        ModmainRSgz::startupHooks().showLogin = [&] { seen << mainWindow.isVisible() << cnMain.isOpen(); };
        ModmainRSgz::Main();
        QCOMPARE(seen, QList<bool>({true, true}));
        QCOMPARE(strDbType, QStringLiteral("ACCESS"));
        QCOMPARE(cnMain.cursorLocation(), 3);
        QCOMPARE(mainWindow.windowTitle(), kAppTitle + QLatin1Char(' ') + env.dbPath());
        QCOMPARE(strDataPath, env.folder());
        QCOMPARE(strDataFile, QStringLiteral("hydb.mdb"));
        QCOMPARE(cnMain.connectionString(), QStringLiteral("provider=microsoft.jet.oledb.4.0;data source=") + env.folder() +
                                                QStringLiteral("\\hydb.mdb;Jet OLEDB:Database password=297"));
        QVERIFY(QFile::exists(env.dbPath()));
        QVERIFY(storedKeys().isEmpty());  // nothing written while the default opens
        QVERIFY(ModmainRSgz::lastOpenFailure().isEmpty());
        QVERIFY(env.messages.records.isEmpty());

        // The next starts open the same file; it is not made again. "25" and the empty text both
        // mean: no folder stored; the stored file name is then not used, and both are left as they were.
        cnMain.execute(QStringLiteral("insert into zwlx (zwlx) values ('保洁')"));
        for (const QString &folder : {QStringLiteral("25"), QString()}) {
            store(QStringLiteral("path"), folder);
            store(QStringLiteral("data"), QStringLiteral("other.mdb"));
            cnMain.close();
            ModmainRSgz::OpenAccessConnection();
            QVERIFY(cnMain.isOpen() && strDataPath == env.folder() && strDataFile == QStringLiteral("hydb.mdb"));
            QCOMPARE(cnMain.query(QStringLiteral("select count(*) from zwlx where zwlx='保洁'")).rows[0][0].toInt(), 1);
            QCOMPARE(stored(QStringLiteral("path")), folder);
            QCOMPARE(stored(QStringLiteral("data")), QStringLiteral("other.mdb"));
        }
    }

    void storedFolderIsUsedButNeverFilled()
    {
        TestEnv env;
        const QString elsewhere = env.path(QStringLiteral("data"));
        QVERIFY(QDir().mkpath(elsewhere));

        // A folder without a file name: the file "25" is tried there, fails, and both are written back.
        store(QStringLiteral("path"), elsewhere);
        ModmainRSgz::OpenAccessConnection();
        QVERIFY(!cnMain.isOpen());
        QCOMPARE(strDataFile, QStringLiteral("25"));
        QCOMPARE(stored(QStringLiteral("path")), elsewhere);
        QCOMPARE(stored(QStringLiteral("data")), QStringLiteral("25"));
        QVERIFY(!QFile::exists(elsewhere + QStringLiteral("/25")));
        QVERIFY(env.messages.records.isEmpty());  // nothing shown: the login window reports it
        QVERIFY(ModmainRSgz::lastOpenFailure().startsWith(QStringLiteral("无法打开数据库文件“") + elsewhere +
                                                          QStringLiteral("/25”：")));

        // A stored folder whose database is missing gets no new empty database, nor does the default place.
        store(QStringLiteral("data"), QStringLiteral("hydb.mdb"));
        ModmainRSgz::OpenAccessConnection();
        QVERIFY(!cnMain.isOpen());
        QVERIFY(!QFile::exists(elsewhere + QStringLiteral("/hydb.mdb")));
        QVERIFY(!QFile::exists(env.dbPath()));
        QVERIFY(ModmainRSgz::lastOpenFailure().contains(elsewhere + QStringLiteral("/hydb.mdb")));

        // Once the stored folder holds the stored file, that one opens.
        CreateDefaultDatabase(elsewhere + QStringLiteral("/center.mdb"));
        store(QStringLiteral("data"), QStringLiteral("center.mdb"));
        ModmainRSgz::OpenAccessConnection();
        QVERIFY(cnMain.isOpen());
        QCOMPARE(strDataPath, elsewhere);
        QCOMPARE(strDataFile, QStringLiteral("center.mdb"));
        QVERIFY(ModmainRSgz::lastOpenFailure().isEmpty());
    }

    void firstRunThatCannotMakeTheDatabaseStoresNothing()
    {
        TestEnv env;
        // The program folder cannot hold a new file (it is a file itself, or read-only): said, and the
        // settings stay empty, so the next start tries the default again.
        const QString caseFolder = env.folder();
        QFile notAFolder(env.path(QStringLiteral("program")));
        QVERIFY(notAFolder.open(QIODevice::WriteOnly));
        notAFolder.close();
        env.shell.folder = notAFolder.fileName();
        ModmainRSgz::OpenAccessConnection();
        QVERIFY(!cnMain.isOpen());
        QVERIFY(storedKeys().isEmpty());
        QVERIFY2(ModmainRSgz::lastOpenFailure().startsWith(QStringLiteral("无法创建数据库文件")),
                 qPrintable(ModmainRSgz::lastOpenFailure()));

        const QString readOnly = caseFolder + QStringLiteral("/readonly");
        env.shell.folder = caseFolder;
        QVERIFY(QDir().mkpath(readOnly));
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        {
            AsOrdinaryUser ordinary(env);
            env.shell.folder = readOnly;
            ModmainRSgz::OpenAccessConnection();
        }
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!cnMain.isOpen() && storedKeys().isEmpty());
        QVERIFY2(ModmainRSgz::lastOpenFailure().contains(QStringLiteral("只读")), qPrintable(ModmainRSgz::lastOpenFailure()));
        QVERIFY(!QFile::exists(readOnly + QStringLiteral("/hydb.mdb")));

        // Once the folder can take it, the next start makes and opens the default database.
        ModmainRSgz::OpenAccessConnection();
        QVERIFY(cnMain.isOpen() && storedKeys().isEmpty());
    }

    void serverSettingsAskedThenRetriedWithTheSameConnectionString()
    {
        // Nothing stored: the settings window comes before any connection attempt and its messages.
        TestEnv env;
        HooksGuard guard;
        int syssets = 0, messagesBefore = -1;
        ModmainRSgz::startupHooks().showSysset = [&] {
            if (++syssets == 1)
                messagesBefore = int(env.messages.records.size());
        };
        env.messages.answers = {Msg::vbCancel, Msg::vbCancel};
        ModmainRSgz::OpenSqlServerConnection();
        QVERIFY(syssets >= 1);
        QCOMPARE(messagesBefore, 0);
        QVERIFY(!cnMain.isOpen());
        QCOMPARE(strConnect,
                 QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=false;User ID=;pwd=;Initial Catalog=;Data Source="));

        // Saving the settings ends the program: nothing is tried with them, nothing more is shown.
        {
            TestEnv saving;
            ModmainRSgz::startupHooks().showSysset = [] { Shell::instance().endProgram(); };
            ModmainRSgz::OpenSqlServerConnection();
            QVERIFY(saving.messages.records.isEmpty() && strConnect.isEmpty() && saving.shell.endRequests == 1);
        }

        // Stored settings that fail: each retry uses the connection string read at the start.
        TestEnv stored;
        for (const auto &[key, value] : {std::pair{"server", "127.0.0.1,1"}, {"database", "rsgz"}, {"username", "sa"}, {"password", "pw"}})
            SaveSetting(kAppTitle, QStringLiteral("main"), QString::fromLatin1(key), QString::fromLatin1(value));
        const QString expected = QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=false;User ID=sa;pwd=pw;"
                                                "Initial Catalog=rsgz;Data Source=127.0.0.1,1");
        QStringList seenBySysset;
        ModmainRSgz::startupHooks().showSysset = [&] {
            seenBySysset << strConnect;
            // Values typed into the settings window take effect only at the next start.
            SaveSetting(kAppTitle, QStringLiteral("main"), QStringLiteral("server"), QStringLiteral("other"));
        };
        stored.messages.answers = {Msg::vbOK, Msg::vbOK, Msg::vbCancel};
        ModmainRSgz::OpenSqlServerConnection();

        QCOMPARE(cnMain.commandTimeout(), 50);
        QVERIFY(!cnMain.isOpen());
        QCOMPARE(strConnect, expected);
        QCOMPARE(seenBySysset, QStringList({expected, expected}));
        QCOMPARE(stored.messages.records.size(), 3);
        for (const auto &m : stored.messages.records) {
            QCOMPARE(m.text, QStringLiteral("您输入的系统信息有误，无法连接到SQL SERVER，请重试！"));
            QCOMPARE(m.flags, 49);
        }
        QCOMPARE(stored.shell.endRequests, 1);  // Cancel ends the program
        QVERIFY(!ModmainRSgz::lastOpenFailure().isEmpty());
    }

    void serverFailureAnswers()
    {
        const struct {
            int number;
            QString description, text;
            int flags, syssets;  // a refused login or a missing database also opens the settings and ends
        } cases[] = {
            {DbError::LoginRefused, QStringLiteral("用户 'sa' 登录失败。"), QStringLiteral("用户 'sa' 登录失败。-2147217843"), 48, 1},
            {DbError::ObjectNotFound, QStringLiteral("无法打开数据库 \"rsgz\"。"), QStringLiteral("无法打开数据库 \"rsgz\"。-2147217865"), 48, 1},
            {DbError::SyntaxError, QStringLiteral("语法错误"), QStringLiteral("语法错误-2147217900"), 0, 0},
        };
        for (const auto &c : cases) {
            TestEnv env;
            HooksGuard guard;
            int syssets = 0;
            ModmainRSgz::startupHooks().showSysset = [&] { ++syssets; };
            env.messages.answers = {Msg::vbOK};
            QVERIFY(!ModmainRSgz::SqlServerOpenFailed(DbError(c.number, c.description)));
            QCOMPARE(env.messages.texts(), QStringList{c.text});
            QCOMPARE(env.messages.records[0].flags, c.flags);
            QCOMPARE(syssets, c.syssets);
            QCOMPARE(env.shell.endRequests, c.syssets);
        }
    }

    void reportDbError()
    {
        TestEnv env;
        ModCWCl::ReportDbError(DbError(DbError::ProviderFailure, QStringLiteral("连接失败")));
        ModCWCl::ReportDbError(DbError(DbError::ObjectNotFound, QStringLiteral("no such table: v_hy")));
        ModCWCl::ReportDbError(DbError(DbError::ConstraintRefused, QStringLiteral("值重复")));
        // A database another program holds is no fault of the data: said as it is.
        ModCWCl::ReportDbError(DbError(DbError::ProviderFailure, dbErrorDescriptionForSqlite(DbError::ProviderFailure,
                                       QString::fromUtf8(sqlite3_errstr(SQLITE_BUSY)))));
        QCOMPARE(env.messages.texts(), QStringList({QStringLiteral("数据有误，请重新输入!-2147467259连接失败"),
                                                    QStringLiteral("错误号 -2147217873值重复，退出"),
                                                    QStringLiteral("数据库正被其他程序使用，请稍后再试。")}));
        QVERIFY(env.messages.records[0].flags == 16 && env.messages.records[2].flags == 16);
        QCOMPARE(env.shell.endRequests, 0);
    }

    void centerForm()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QWidget small;
        small.resize(300, 200);
        ModmainRSgz::CenterForm(small);
        QCOMPARE(small.pos(), QPoint(screen.left() + (screen.width() - 300) / 2, screen.top() + (screen.height() - 200) / 2));
        // A window larger than the screen gets a negative left and top.
        QWidget large;
        large.resize(screen.width() + 200, screen.height() + 100);
        ModmainRSgz::CenterForm(large);
        QCOMPARE(large.pos(), QPoint(screen.left() - 100, screen.top() - 50));
    }

};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
