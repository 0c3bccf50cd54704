// ModmainRSgz: start-up sequence, connection routines, centring, and the common database-error report.
#pragma once

#include <QString>
#include <functional>

class QWidget;
struct DbError;

namespace ModmainRSgz {

// Windows of other subsystems that the start-up sequence shows; set when the commands are registered.
struct StartupHooks {
    std::function<void()> showLogin;   // frmLogin, modally
    std::function<void()> showSysset;  // the database settings window, modally
};
StartupHooks &startupHooks();

void Main();                     // the start-up sequence
void OpenAccessConnection();
void OpenSqlServerConnection();
// Opens cnMain on the PostgreSQL database of [main] server, port, database, username and
// password (the same messages and settings window as the SQL Server branch); a new, empty
// database gets the base schema.
void OpenPostgresConnection();
// The open routine of the database kind strDbType; any other kind opens nothing.
void OpenConnectionOfKind();
void CenterForm(QWidget &form);

// Why the last open routine left cnMain closed, for a person to read ("无法打开数据库文件“…”：…");
// empty after an open that succeeded. The login window shows it when it still finds cnMain closed,
// then ends the program.
QString lastOpenFailure();

// The server open's answer to a failed attempt (messages, settings window, end of program).
// True when the same connection string is to be tried again.
// retryText: the question asked when the server cannot be reached (empty: SQL Server's).
bool SqlServerOpenFailed(const DbError &error, const QString &retryText = {});

} // namespace ModmainRSgz

namespace ModCWCl {
// The common report of a database error (number and description, critical icon).
void ReportDbError(const DbError &error);
} // namespace ModCWCl
