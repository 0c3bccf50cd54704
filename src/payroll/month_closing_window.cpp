// FrmGZjz: closing and reopening wage months from the wage menu.
#include "payroll/month_closing_window.h"

#include "app/program_state.h"
#include "payroll/month_closing.h"
#include "payroll/month_generation_window.h"
#include "platform/db/db_error.h"
#include "platform/ui/message_service.h"
#include "platform/ui/design_layout.h"
#include "platform/ui/twips.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

FrmGZjz::FrmGZjz(Mode mode, QWidget *parent) : QWidget(parent), m_mode(mode)
{
    const bool closing = mode == Mode::Close;
    setObjectName(closing ? QStringLiteral("FrmGZjz") : QStringLiteral("FrmGZfjz"));
    setWindowTitle(closing ? QStringLiteral("月末结账") : QStringLiteral("反结账"));
    resize(Twips::toPx(5400), Twips::toPx(2700));

    Label1 = new QLabel(QStringLiteral("选择月份"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(480, 480, 1080, 300));
    cmbMonth = new QComboBox(this);
    cmbMonth->setObjectName(QStringLiteral("cmbMonth"));
    cmbMonth->setGeometry(Twips::rect(1680, 420, 2640, 330));
    cmbMonth->setAccessibleName(Label1->text());
    Label1->setBuddy(cmbMonth);

    cmdRun = new QPushButton(closing ? QStringLiteral("结  账(&J)") : QStringLiteral("反结账(&R)"), this);
    cmdRun->setObjectName(QStringLiteral("cmdRun"));
    cmdRun->setGeometry(Twips::rect(480, 1500, 2040, 450));
    cmdClose = new QPushButton(QStringLiteral("关  闭(&Q)"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setGeometry(Twips::rect(2880, 1500, 1440, 450));
    connect(cmdRun, &QPushButton::clicked, this, &FrmGZjz::run);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    (new DesignLayout(this))->stretch(cmbMonth, Qt::Horizontal).finish();
    refresh();
}

void FrmGZjz::refresh()
{
    const QString keep = ModGzjz::MonthOfCaption(cmbMonth->currentText());
    cmbMonth->clear();
    try {
        for (const ModGzjz::MonthState &m : ModGzjz::Months(cnMain))
            cmbMonth->addItem(ModGzjz::MonthCaption(m), m.month);
    } catch (const DbError &e) {
        ReportPayrollError(e);
    }
    const int at = cmbMonth->findData(keep);
    cmbMonth->setCurrentIndex(at >= 0 ? at : 0);
}

void FrmGZjz::run()
{
    const QString month = cmbMonth->currentData().toString();
    if (month.isEmpty()) {
        MsgBox(QStringLiteral("请选择月份。"), Msg::vbExclamation);
        return;
    }
    try {
        if (m_mode == Mode::Close) {
            if (ModGzjz::CloseMonth(cnMain, month, strCzyName) == ModGzjz::Outcome::AlreadyClosed)
                MsgBox(QStringLiteral("%1 已经结账。").arg(month), Msg::vbExclamation);
            else
                MsgBox(QStringLiteral("%1 结账完成，本月工资不能再修改。").arg(month), Msg::vbInformation);
        } else if (strCzyName != ModGzjz::kAdministrator) {
            MsgBox(QStringLiteral("只有系统管理员 system 才能反结账。"), Msg::vbExclamation);
        } else if (MsgBox(QStringLiteral("确认将 %1 反结账吗？反结账后本月工资可以再修改。").arg(month),
                          Msg::vbYesNo + Msg::vbQuestion) == Msg::vbYes) {
            if (ModGzjz::ReopenMonth(cnMain, month, strCzyName) == ModGzjz::Outcome::NotClosed)
                MsgBox(QStringLiteral("%1 没有结账。").arg(month), Msg::vbExclamation);
            else
                MsgBox(QStringLiteral("%1 反结账完成。").arg(month), Msg::vbInformation);
        }
    } catch (const DbError &e) {
        ReportPayrollError(e);
    }
    refresh();
}
