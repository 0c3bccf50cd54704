// TestEnv: per-case folders and services; the settings store lives in a per-process temporary folder.
#include "test_env.h"

#include "app/first_run.h"
#include "app/program_state.h"
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
    Shell::install(nullptr);
    MessageService::install(nullptr);
    DialogService::install(nullptr);
}

Connection &TestEnv::openNewDatabase()
{
    CreateDefaultDatabase(dbPath());
    return openDatabase();
}

Connection &TestEnv::openOlderDatabase()
{
    SetFirstUseTables(nullptr);
    CreateDefaultDatabase(dbPath());
    SetFirstUseTables(&ModJgupdate::CreateFirstUseTables);
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
