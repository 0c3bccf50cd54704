// ModmainRSgz: start-up sequence, connection routines, centring, and the common database-error report.
#pragma once

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
void CenterForm(QWidget &form);

} // namespace ModmainRSgz

namespace ModCWCl {
// The common report of a database error (number and description, critical icon).
void ReportDbError(const DbError &error);
} // namespace ModCWCl
