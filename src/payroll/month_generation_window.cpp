// FrmGzsC: the "快速生成工资" window: a month from the personnel table, or a copy of another month.
#include "payroll/month_generation_window.h"

#include "app/program_state.h"
#include "payroll/wage_months.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/message_service.h"
#include "platform/ui/design_layout.h"
#include "platform/ui/twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace {
const QString kMonthHint = QStringLiteral("要生成的工资月份 格式 如：200504 表示2005年4月工资");
const QString kDone = QStringLiteral("当月工资生成完成！");
const QString kEmptyMonth = QStringLiteral("要生成工资的月份，不能为空！");
const QString kExists = QStringLiteral("当前月工资已存在，是否从新生成。");
} // namespace

void ReportPayrollError(const DbError &e)
{
    MsgBox(e.numbered(QStringLiteral("\n错误号：")), Msg::vbCritical);
}

FrmGzsC::FrmGzsC(QWidget *parent) : QWidget(parent), rsMonths(new Recordset(this))
{
    setObjectName(QStringLiteral("FrmGzsC"));
    setWindowTitle(QStringLiteral("快速生成工资"));
    resize(Twips::toPx(6600), Twips::toPx(3480));

    Label2 = new QLabel(kMonthHint, this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(Twips::rect(360, 240, 6000, 300));
    DataRC = new DataCombo(this);
    DataRC->setObjectName(QStringLiteral("DataRC"));
    DataRC->setGeometry(Twips::rect(360, 600, 2640, 330));
    DataRC->setAccessibleName(kMonthHint);
    Label2->setBuddy(DataRC);

    Label1 = new QLabel(QStringLiteral("要复制的工资月份"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(360, 1140, 6000, 300));
    DataRC0 = new DataCombo(this);
    DataRC0->setObjectName(QStringLiteral("DataRC0"));
    DataRC0->setGeometry(Twips::rect(360, 1500, 2640, 330));
    DataRC0->setAccessibleName(Label1->text());
    Label1->setBuddy(DataRC0);

    CmdgzDA = new QPushButton(QStringLiteral("从人事档案生成当月工资"), this);
    CmdgzDA->setObjectName(QStringLiteral("CmdgzDA"));
    CmdgzDA->setGeometry(Twips::rect(360, 2280, 2880, 450));
    Command1 = new QPushButton(QStringLiteral("由上月生成当月工资"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(3360, 2280, 2880, 450));
    Command2 = new QPushButton(QStringLiteral("关  闭(&Q)"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Twips::rect(4800, 2880, 1440, 420));
    connect(CmdgzDA, &QPushButton::clicked, this, &FrmGzsC::CmdgzDA_Click);
    connect(Command1, &QPushButton::clicked, this, &FrmGzsC::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
    (new DesignLayout(this))->stretch(DataRC, Qt::Horizontal).stretch(DataRC0, Qt::Horizontal).finish();

    // The month lists are read once, when the window opens.
    try {
        rsMonths->Open(ModGzsc::MonthListSql(), cnMain, Recordset::adOpenStatic, Recordset::adLockReadOnly);
        DataRC->setRowSource(rsMonths, QStringLiteral("ye"));
        DataRC0->setRowSource(rsMonths, QStringLiteral("ye"));
    } catch (const DbError &e) {
        ReportPayrollError(e);
    }
    DataRC->setText(QString());
    DataRC0->setText(QString());
}

FrmGzsC::~FrmGzsC() = default;

void FrmGzsC::closeEvent(QCloseEvent *event)
{
    rsMonths->Close();
    QWidget::closeEvent(event);
}

void FrmGzsC::setMonth(const QString &month) { DataRC->setText(month); }

bool FrmGzsC::YeCheck(const QString &strYe) { return ModGzsc::YeCheck(cnMain, strYe); }

void FrmGzsC::CmdgzDA_Click()
{
    const QString month = DataRC->text();
    if (month.isEmpty()) {
        MsgBox(kEmptyMonth, Msg::vbExclamation);
        return;
    }
    if (!ModGzsc::IsMonthKey(month)) {
        MsgBox(ModGzsc::kMonthFormatMessage, Msg::vbExclamation);
        return;
    }
    try {
        if (!YeCheck(month)) {
            MsgBox(QStringLiteral("当前月工资已存在。"), Msg::vbExclamation);
            return;
        }
        ModGzsc::GenerateMonthFromPersonnel(cnMain, month);
    } catch (const DbError &e) {
        ReportPayrollError(e);
        return;
    }
    MsgBox(kDone, Msg::vbExclamation);
}

void FrmGzsC::Command1_Click()
{
    const QString month = DataRC->text();
    const QString source = DataRC0->text();
    if (month.isEmpty()) {
        MsgBox(kEmptyMonth, Msg::vbExclamation);
        return;
    }
    // Both months are keys the payroll finds again, before anything is asked or deleted.
    if (!ModGzsc::IsMonthKey(month) || !ModGzsc::IsMonthKey(source)) {
        MsgBox(ModGzsc::kMonthFormatMessage, Msg::vbExclamation);
        return;
    }
    // Copying a month onto itself would delete the rows it is to copy.
    if (month == source) {
        MsgBox(QStringLiteral("要生成的工资月份与要复制的工资月份相同，不能复制！"), Msg::vbExclamation);
        return;
    }
    try {
        // A source without rows would leave the target month deleted and nothing in its place.
        if (YeCheck(source)) {
            MsgBox(ModGzsc::kEmptySourceMessage, Msg::vbExclamation);
            return;
        }
        if (!YeCheck(month) && MsgBox(kExists, Msg::vbYesNo | Msg::vbExclamation) != Msg::vbYes)
            return;
        if (ModGzsc::CopyMonth(cnMain, month, source) < 0) {
            MsgBox(ModGzsc::kEmptySourceMessage, Msg::vbExclamation);
            return;
        }
    } catch (const DbError &e) {
        ReportPayrollError(e);
        return;
    }
    MsgBox(kDone, Msg::vbExclamation);
}
