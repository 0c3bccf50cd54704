// The main-window commands of this subsystem.
#include "departments/commands.h"

#include "app/main_window.h"
#include "departments/department_editor_window.h"

void registerDepartmentCommands(form_main &mainWindow)
{
    mainWindow.setCommand(QStringLiteral("menu_set_0"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("Form_bmbmdy"), [] { return new Form_bmbmdy; });
    });
}
