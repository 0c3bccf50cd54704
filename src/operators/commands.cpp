// The main-window commands of this subsystem.
#include "operators/commands.h"

#include "app/main_window.h"

void registerOperatorCommands(form_main &mainWindow) { (void)mainWindow; }
