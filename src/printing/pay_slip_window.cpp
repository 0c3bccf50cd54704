// FrmgzTprint: the pay slip window "工资条打印": a caption row above each employee of one month.
#include "printing/pay_slip_window.h"

#include "app/program_state.h"

FrmgzTprint::FrmgzTprint(QWidget *parent)
    : PayGridWindow(QStringLiteral("FrmgzTprint"), QStringLiteral("工资条打印"), parent)
{
}

std::optional<PayTable> FrmgzTprint::queryMonth(const QString &month)
{
    return ModPayGrid::QueryPaySlips(cnMain, m_tableName, columnList(), columnCount(), month);
}
