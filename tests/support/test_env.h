// TestEnv: a fresh program folder, settings store and scripted services for one test case.
#pragma once

#include "platform/shell/shell.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/message_service.h"

#include <QTemporaryDir>

class Connection;

class TestEnv {
public:
    TestEnv();   // installs the scripted services, empties the settings, resets the program state
    ~TestEnv();  // restores the real services and resets the program state
    TestEnv(const TestEnv &) = delete;
    TestEnv &operator=(const TestEnv &) = delete;

    QString folder() const { return shell.folder; }  // the program folder of this case
    QString path(const QString &name) const { return folder() + QLatin1Char('/') + name; }
    QString dbPath() const { return path(QStringLiteral("hydb.mdb")); }

    // Creates hydb.mdb in the program folder with the first-run code and opens cnMain on it
    // in local mode (strDbType, strDataPath and strDataFile set as start-up sets them). When the
    // tests run against PostgreSQL: a new database on the test cluster instead, with the same
    // first-run schema, cnMain opened on it in server mode and its settings stored.
    Connection &openNewDatabase();
    // The same with a database as earlier versions of the program made it on first run: the base
    // schema alone, the personnel and wage tables left for the windows to create on first use.
    Connection &openOlderDatabase();
    // Opens cn on the database openNewDatabase made (a second desk on the same data).
    void openSameDatabase(Connection &cn) const;
    // Opens cn on a new empty database of its own: a SQLite file of that name in the program
    // folder, or a new PostgreSQL database.
    void openScratchDatabase(Connection &cn, const QString &name);
    static bool onPostgres();

    ScriptedMessageService messages;
    ScriptedDialogService dialogs;
    TestShell shell;

private:
    Connection &openDatabase();
    QTemporaryDir m_dir;
    QStringList m_postgresDatabases;
};

// Makes the database refuse, by a trigger of its own, every row of table that event ("insert",
// "update", "delete") meets while condition (over new.* or old.*) holds, as a database refuses what
// the program cannot foresee.
void refuseRows(Connection &cn, const QString &name, const QString &event, const QString &table,
                const QString &condition = QStringLiteral("1=1"));

// Runs the enclosed code as an ordinary user, so that file permissions apply: a root test process
// takes the identity of "nobody" for the scope (and opens the case's folder to it); any other
// process is ordinary already and changes nothing.
class AsOrdinaryUser {
public:
    explicit AsOrdinaryUser(const TestEnv &env);
    ~AsOrdinaryUser();
    AsOrdinaryUser(const AsOrdinaryUser &) = delete;
    AsOrdinaryUser &operator=(const AsOrdinaryUser &) = delete;

private:
    bool m_switched = false;
};
