// FrmGZscYg: the "按员工生成工资" window: one employee's row of a month, replacing an existing one on request.
#include "payroll/employee_generation_window.h"

#include "app/program_state.h"
#include "payroll/month_generation_window.h"
#include "payroll/wage_months.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/message_service.h"
#include "platform/ui/design_layout.h"
#include "platform/ui/twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

FrmGZscYg::FrmGZscYg(QWidget *parent) : QWidget(parent), rsMonths(new Recordset(this)), rsNames(new Recordset(this))
{
    setObjectName(QStringLiteral("FrmGZscYg"));
    setWindowTitle(QStringLiteral("按员工生成工资"));
    resize(Twips::toPx(6600), Twips::toPx(3480));

    Label2 = new QLabel(QStringLiteral("要生成的工资月份 格式 如：200504 表示2005年4月工资"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(Twips::rect(360, 240, 6000, 300));
    DataRC = new DataCombo(this);
    DataRC->setObjectName(QStringLiteral("DataRC"));
    DataRC->setGeometry(Twips::rect(360, 600, 2640, 330));
    DataRC->setAccessibleName(Label2->text());
    Label2->setBuddy(DataRC);

    Label1 = new QLabel(QStringLiteral("要生成的员工姓名"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(360, 1140, 6000, 300));
    DataXm = new DataCombo(this);
    DataXm->setObjectName(QStringLiteral("DataXm"));
    DataXm->setGeometry(Twips::rect(360, 1500, 2640, 330));
    DataXm->setAccessibleName(Label1->text());
    Label1->setBuddy(DataXm);

    Command1 = new QPushButton(QStringLiteral("生成员工工资(&S)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(360, 2280, 2880, 450));
    Command2 = new QPushButton(QStringLiteral("关  闭(&Q)"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Twips::rect(4800, 2880, 1440, 420));
    connect(Command1, &QPushButton::clicked, this, &FrmGZscYg::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
    (new DesignLayout(this))->stretch(DataRC, Qt::Horizontal).stretch(DataXm, Qt::Horizontal).finish();

    try {
        rsMonths->Open(ModGzsc::MonthListSql(), cnMain, Recordset::adOpenStatic, Recordset::adLockReadOnly);
        DataRC->setRowSource(rsMonths, QStringLiteral("ye"));
        rsNames->Open(ModGzsc::EmployeeListSql(), cnMain, Recordset::adOpenStatic, Recordset::adLockReadOnly);
        DataXm->setRowSource(rsNames, QStringLiteral("f2"));
    } catch (const DbError &e) {
        ReportPayrollError(e);
    }
    DataRC->setText(QString());
    DataXm->setText(QString());
}

FrmGZscYg::~FrmGZscYg() = default;

void FrmGZscYg::closeEvent(QCloseEvent *event)
{
    rsMonths->Close();
    rsNames->Close();
    QWidget::closeEvent(event);
}

void FrmGZscYg::setMonth(const QString &month) { DataRC->setText(month); }

bool FrmGZscYg::YeXmCheck(const QString &strYe, const QString &strXm)
{
    return ModGzsc::YeXmCheck(cnMain, strYe, strXm);
}

void FrmGZscYg::Command1_Click()
{
    // The name is used without its outer blanks throughout, so that a row is always found again.
    const QString name = DataXm->text().trimmed();
    const QString month = DataRC->text();
    if (name.isEmpty() || month.isEmpty()) {
        MsgBox(QStringLiteral("要生成工资的月份或员工，不能为空！"), Msg::vbExclamation);
        return;
    }
    if (!ModGzsc::IsMonthKey(month)) {
        MsgBox(ModGzsc::kMonthFormatMessage, Msg::vbExclamation);
        return;
    }
    try {
        if (!YeXmCheck(month, name) &&
            MsgBox(QStringLiteral("当前月工资已存在，是否从新生成。"), Msg::vbYesNo | Msg::vbExclamation) != Msg::vbYes)
            return;
        ModGzsc::GenerateEmployee(cnMain, month, name);
    } catch (const DbError &e) {
        ReportPayrollError(e);
        return;
    }
    MsgBox(QStringLiteral("当前员工月工资生成完成！"), Msg::vbExclamation);
}
