// TestEnv: per-case folders and services; the settings store lives in a per-process temporary folder.
#include "test_env.h"

#include "app/first_run.h"
#include "app/program_state.h"
#include "platform/db/connection.h"
#include "support/test_postgres.h"
#include "dictionary/personnel_tables.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// QSettings reads XDG_CONFIG_HOME once per process, so it is pointed at a private folder before
// anything touches the settings; each case then empties the file.
QTemporaryDir &configDir()
{
    static QTemporaryDir dir;
    return dir;
}
struct ConfigHome {
    ConfigHome() { qputenv("XDG_CONFIG_HOME", configDir().path().toUtf8()); }
} g_configHome;
} // namespace

TestEnv::TestEnv()
{
    shell.folder = QDir::cleanPath(m_dir.path());
    Shell::install(&shell);
    MessageService::install(&messages);
    DialogService::install(&dialogs);
    QSettings s(kAppTitle, kAppTitle);
    s.clear();
    s.sync();
    resetProgramState();
    // A new database is made as the program makes it.
    SetFirstUseTables(&ModJgupdate::CreateFirstUseTables);
}

TestEnv::~TestEnv()
{
    resetProgramState();
    for (const QString &name : m_postgresDatabases)
        TestPostgres::dropDatabase(name);
    Shell::install(nullptr);
    MessageService::install(nullptr);
    DialogService::install(nullptr);
}

bool TestEnv::onPostgres() { return TestPostgres::enabled(); }

Connection &TestEnv::openNewDatabase()
{
    if (onPostgres()) {
        const QString name = TestPostgres::createDatabase();
        m_postgresDatabases.prepend(name);
        const TestPostgres::Server server = TestPostgres::server();
        const QString main = QStringLiteral("main");
        SaveSetting(kAppTitle, main, QStringLiteral("dbtype"), QStringLiteral("POSTGRESQL"));
        SaveSetting(kAppTitle, main, QStringLiteral("server"), server.host);
        SaveSetting(kAppTitle, main, QStringLiteral("port"), QString::number(server.port));
        SaveSetting(kAppTitle, main, QStringLiteral("database"), name);
        SaveSetting(kAppTitle, main, QStringLiteral("username"), server.user);
        SaveSetting(kAppTitle, main, QStringLiteral("password"), server.password);
        strDbType = QStringLiteral("POSTGRESQL");
        strDataPath = folder();
        strDataFile.clear();
        TestPostgres::open(cnMain, name);
        Transaction tx(cnMain);
        CreateCompleteSchema(cnMain);
        tx.commit();
        return cnMain;
    }
    CreateDefaultDatabase(dbPath());
    return openDatabase();
}

Connection &TestEnv::openOlderDatabase()
{
    SetFirstUseTables(nullptr);
    struct Restore {
        ~Restore() { SetFirstUseTables(&ModJgupdate::CreateFirstUseTables); }
    } restore;
    if (onPostgres())
        return openNewDatabase();
    CreateDefaultDatabase(dbPath());
    return openDatabase();
}

Connection &TestEnv::openDatabase()
{
    strDbType = QStringLiteral("ACCESS");
    strDataPath = folder();
    strDataFile = QStringLiteral("hydb.mdb");
    cnMain.openFile(dbPath());
    return cnMain;
}

void TestEnv::openSameDatabase(Connection &cn) const
{
    if (onPostgres())
        TestPostgres::open(cn, m_postgresDatabases.value(0));
    else
        cn.openFile(dbPath());
}

void TestEnv::openScratchDatabase(Connection &cn, const QString &name)
{
    if (onPostgres()) {
        const QString database = TestPostgres::createDatabase();
        m_postgresDatabases.append(database);
        TestPostgres::open(cn, database);
    } else {
        cn.openFile(path(name), true);
    }
}

void refuseRows(Connection &cn, const QString &name, const QString &event, const QString &table, const QString &condition)
{
    if (!cn.postgresHandle()) {
        cn.execute(QStringLiteral("create trigger %1 before %2 on %3 when %4 begin select raise(abort, 'refused'); end")
                       .arg(name, event, table, condition));
        return;
    }
    cn.executeNative(QStringLiteral("create function %1_refuse() returns trigger language plpgsql as $$ begin "
                                    "if %2 then raise exception 'refused'; end if; "
                                    "return case when tg_op = 'DELETE' then old else new end; end $$")
                         .arg(name, condition));
    cn.executeNative(QStringLiteral("create trigger %1 before %2 on %3 for each row execute function %1_refuse()")
                         .arg(name, event, table));
}

AsOrdinaryUser::AsOrdinaryUser(const TestEnv &env)
{
    if (::geteuid() != 0)
        return;
    ::chmod(QFile::encodeName(env.folder()).constData(), 0777);
    constexpr uid_t nobody = 65534;
    m_switched = ::setegid(nobody) == 0 && ::seteuid(nobody) == 0;
}

AsOrdinaryUser::~AsOrdinaryUser()
{
    if (m_switched && ::seteuid(0) == 0)
        (void)::setegid(0);
}
