// The main-window commands of this subsystem.
#include "printing/commands.h"

#include "app/main_window.h"
#include "printing/pay_sheet_window.h"
#include "printing/pay_slip_window.h"

void registerPrintingCommands(form_main &mainWindow)
{
    mainWindow.setCommand(QStringLiteral("menu_gZset_8"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("FrmgzTprint"), [] { return new FrmgzTprint; });
    });
    mainWindow.setCommand(QStringLiteral("menu_gZset_9"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("FrmgzDprint"), [] { return new FrmgzDprint; });
    });
}
