// The main-window commands of this subsystem.
#include "payroll/commands.h"

#include "app/main_window.h"
#include "payroll/batch_modify_window.h"
#include "payroll/employee_generation_window.h"
#include "payroll/month_closing_window.h"
#include "payroll/month_generation_window.h"
#include "payroll/wage_calculation_window.h"
#include "payroll/wage_entry_window.h"

void registerPayrollCommands(form_main &mainWindow)
{
    mainWindow.setCommand(QStringLiteral("menu_gZset_2"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("FrmGzsC"), [] { return new FrmGzsC; });
    });
    mainWindow.setCommand(QStringLiteral("menu_gZset_3"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("FrmGZlr"), [] { return new FrmGZlr; });
    });
    mainWindow.setCommand(QStringLiteral("menu_gZset_4"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("FrmGZscYg"), [] { return new FrmGZscYg; });
    });
    mainWindow.setCommand(QStringLiteral("menu_gZset_5"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("FrmGZjs"), [] { return new FrmGZjs; });
    });
    mainWindow.setCommand(QStringLiteral("menu_gZset_6"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("FrmGZPlxg"), [] { return new FrmGZPlxg; });
    });
    mainWindow.setCommand(QStringLiteral("menu_gZset_11"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("FrmGZjz"), [] { return new FrmGZjz(FrmGZjz::Mode::Close); });
    });
    mainWindow.setCommand(QStringLiteral("menu_gZset_12"), [&mainWindow] {
        mainWindow.showChild(QStringLiteral("FrmGZfjz"), [] { return new FrmGZjz(FrmGZjz::Mode::Reopen); });
    });
}
