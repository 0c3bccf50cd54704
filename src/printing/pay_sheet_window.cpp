// FrmgzDprint: the pay sheet window "工资单打印": one month, a caption row, one row per employee, "合计".
#include "printing/pay_sheet_window.h"

#include "app/program_state.h"

FrmgzDprint::FrmgzDprint(QWidget *parent)
    : PayGridWindow(QStringLiteral("FrmgzDprint"), QStringLiteral("工资单打印"), parent)
{
}

std::optional<PayTable> FrmgzDprint::queryMonth(const QString &month)
{
    return ModPayGrid::QueryPaySheet(cnMain, m_tableName, columnList(), columnCount(), month);
}
