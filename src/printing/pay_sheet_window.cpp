// FrmgzDprint: the pay sheet window "工资单打印": one month, a caption row, one row per employee, "合计".
#include "printing/pay_sheet_window.h"

FrmgzDprint::FrmgzDprint(QWidget *parent)
    : PayGridWindow(QStringLiteral("FrmgzDprint"), QStringLiteral("工资单打印"), ModPayGrid::PayTable::Sheet, parent)
{
}
