// The main-window commands of this subsystem.
#include "printing/commands.h"

#include "app/main_window.h"

void registerPrintingCommands(form_main &mainWindow) { (void)mainWindow; }
