// FrmGZjs: the "工资计算" window: runs the month's calculation and reports its end.
#include "payroll/wage_calculation_window.h"

#include "app/program_state.h"
#include "payroll/month_generation_window.h"
#include "payroll/trial_window.h"
#include "payroll/wage_calculation.h"
#include "payroll/wage_months.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/message_service.h"
#include "platform/ui/design_layout.h"
#include "platform/ui/twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

FrmGZjs::FrmGZjs(QWidget *parent) : QWidget(parent), rsMonths(new Recordset(this))
{
    setObjectName(QStringLiteral("FrmGZjs"));
    setWindowTitle(QStringLiteral("工资计算"));
    resize(Twips::toPx(5400), Twips::toPx(2700));

    Label4 = new QLabel(QStringLiteral("选择月份"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(Twips::rect(480, 480, 1080, 300));
    DataRC = new DataCombo(this);
    DataRC->setObjectName(QStringLiteral("DataRC"));
    DataRC->setGeometry(Twips::rect(1680, 420, 2640, 330));
    DataRC->setAccessibleName(Label4->text());
    Label4->setBuddy(DataRC);

    Command1 = new QPushButton(QStringLiteral("执行工资计算(&F)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(480, 1500, 1800, 450));
    Command3 = new QPushButton(QStringLiteral("试算(&T)"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setGeometry(Twips::rect(2400, 1500, 1140, 450));
    Command2 = new QPushButton(QStringLiteral("关  闭(&Q)"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Twips::rect(3660, 1500, 1260, 450));
    connect(Command1, &QPushButton::clicked, this, &FrmGZjs::getgzZd);
    connect(Command3, &QPushButton::clicked, this, &FrmGZjs::trial);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
    (new DesignLayout(this))->stretch(DataRC, Qt::Horizontal).finish();

    try {
        rsMonths->Open(ModGzsc::MonthListSql(), cnMain, Recordset::adOpenStatic, Recordset::adLockReadOnly);
        DataRC->setRowSource(rsMonths, QStringLiteral("ye"));
    } catch (const DbError &e) {
        ReportPayrollError(e);
    }
    DataRC->setText(QString());
}

FrmGZjs::~FrmGZjs() = default;

void FrmGZjs::closeEvent(QCloseEvent *event)
{
    rsMonths->Close();
    QWidget::closeEvent(event);
}

void FrmGZjs::setMonth(const QString &month) { DataRC->setText(month); }

void FrmGZjs::trial()
{
    ModGzjs::TrialResult result;
    try {
        result = ModGzjs::TrialCalculation(cnMain, DataRC->text());
    } catch (const DbError &e) {
        ReportPayrollError(e);
        return;
    }
    if (result.failure) {
        MsgBox(ModGzjs::CalcFailureMessage(*result.failure), Msg::vbCritical);
        return;
    }
    if (m_trial)
        m_trial->close();
    m_trial = new FrmGZjsTrial(DataRC->text(), result, this);
    m_trial->show();
}

void FrmGZjs::getgzZd()
{
    std::optional<ModGzjs::CalcFailure> failure;
    try {
        failure = ModGzjs::CalculateMonth(cnMain, DataRC->text());
    } catch (const DbError &e) {
        ReportPayrollError(e);  // the dictionary could not be read; nothing was computed
        return;
    }
    if (failure) {
        MsgBox(ModGzjs::CalcFailureMessage(*failure), Msg::vbCritical);
        return;
    }
    MsgBox(QStringLiteral("本月工资计算完成!"), Msg::vbExclamation);
}
