// The main-window commands of this subsystem.
#include "operators/commands.h"

#include "app/main_window.h"
#include "app/startup.h"
#include "operators/activity_log_window.h"
#include "operators/backup.h"
#include "operators/database_settings_window.h"
#include "operators/login_window.h"
#include "operators/operator_settings_window.h"
#include "operators/password_window.h"
#include "operators/restore.h"
#include "platform/ui/dialog_service.h"

void registerOperatorCommands(form_main &mainWindow)
{
    ModmainRSgz::StartupHooks &hooks = ModmainRSgz::startupHooks();
    hooks.showLogin = [] { frmLogin::showLogin(); };
    hooks.showSysset = [] {
        sysset window(form_main::instance());
        ShowModal(&window);
    };
    mainWindow.setCommand(QStringLiteral("file3"), [] { frmLogin::showLogin(); });
    mainWindow.setCommand(QStringLiteral("menu_sys_0"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("Frm_czyset"), [] { return new Frm_czyset; });
    });
    mainWindow.setCommand(QStringLiteral("menu_sys_2"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("frm_czy_password"), [] { return frm_czy_password::create(); });
    });
    mainWindow.setCommand(QStringLiteral("menu_sys_1"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("Frm_czyrz"), [] { return new Frm_czyrz; });
    });
    mainWindow.setCommand(QStringLiteral("menu_sys_4"), [] { Modulback::Backup(); });
    // The restore replaces what every open window shows: they are closed first (edits asked about).
    mainWindow.setCommand(QStringLiteral("menu_sys_5"), [&mainWindow] {
        ModRestore::Restore([&mainWindow] { return mainWindow.closeAllChildWindows(); });
    });
}
