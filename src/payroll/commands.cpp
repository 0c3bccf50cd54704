// The main-window commands of this subsystem.
#include "payroll/commands.h"

#include "app/main_window.h"

void registerPayrollCommands(form_main &mainWindow) { (void)mainWindow; }
