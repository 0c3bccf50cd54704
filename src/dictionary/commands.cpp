// The main-window commands of this subsystem.
#include "dictionary/commands.h"

#include "app/first_run.h"
#include "app/main_window.h"
#include "dictionary/personnel_tables.h"
#include "dictionary/personnel_editor_window.h"
#include "dictionary/wage_items_window.h"

void registerDictionaryCommands(form_main &mainWindow)
{
    // A database made on first run holds this subsystem's tables from the start.
    SetFirstUseTables(&ModJgupdate::CreateFirstUseTables);
    mainWindow.setCommand(QStringLiteral("menu_rsSET_1"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("FrmRSdagl"), [] { return new FrmRSdagl; });
    });
    mainWindow.setCommand(QStringLiteral("menu_gZset_1"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("FrmreportSetGZXM"), [] { return new FrmreportSetGZXM; });
    });
}
