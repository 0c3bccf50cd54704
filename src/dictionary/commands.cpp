// The main-window commands of this subsystem.
#include "dictionary/commands.h"

#include "app/main_window.h"

void registerDictionaryCommands(form_main &mainWindow) { (void)mainWindow; }
