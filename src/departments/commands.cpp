// The main-window commands of this subsystem.
#include "departments/commands.h"

#include "app/main_window.h"

void registerDepartmentCommands(form_main &mainWindow) { (void)mainWindow; }
