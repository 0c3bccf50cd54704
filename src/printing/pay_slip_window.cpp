// FrmgzTprint: the pay slip window "工资条打印": a caption row above each employee of one month.
#include "printing/pay_slip_window.h"

FrmgzTprint::FrmgzTprint(QWidget *parent)
    : PayGridWindow(QStringLiteral("FrmgzTprint"), QStringLiteral("工资条打印"), ModPayGrid::PayTable::Slips, parent)
{
}
