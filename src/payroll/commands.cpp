// The main-window commands of this subsystem.
#include "payroll/commands.h"

#include "app/main_window.h"
#include "payroll/employee_generation_window.h"
#include "payroll/month_generation_window.h"
#include "payroll/wage_calculation_window.h"

void registerPayrollCommands(form_main &mainWindow)
{
    mainWindow.setCommand(QStringLiteral("menu_gZset_2"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("FrmGzsC"), [] { return new FrmGzsC; });
    });
    mainWindow.setCommand(QStringLiteral("menu_gZset_4"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("FrmGZscYg"), [] { return new FrmGZscYg; });
    });
    mainWindow.setCommand(QStringLiteral("menu_gZset_5"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("FrmGZjs"), [] { return new FrmGZjs; });
    });
}
