// The main-window commands of this subsystem.
#pragma once

class form_main;

// Binds this subsystem's menu items of the main window to the windows and routines they run.
void registerPrintingCommands(form_main &mainWindow);
