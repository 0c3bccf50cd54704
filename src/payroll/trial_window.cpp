// FrmGZjsTrial: the trial's items and employees in two grids; nothing is written until 确认计算.
#include "payroll/trial_window.h"

#include "app/program_state.h"
#include "payroll/month_generation_window.h"
#include "platform/ui/cell_table.h"
#include "printing/column_sums.h"
#include "platform/ui/flex_grid.h"
#include "platform/ui/message_service.h"
#include "platform/ui/design_layout.h"
#include "platform/ui/twips.h"
#include "printing/spreadsheet_export.h"

#include <QDate>
#include <QLabel>
#include <QPushButton>

namespace {

// A grid of captions in row 0, then rows whose columns are texts, counts or amounts.
std::shared_ptr<TextCells> table(const QStringList &header, const QList<QList<std::pair<QString, CellTable::Kind>>> &rows)
{
    auto cells = std::make_shared<TextCells>(false);
    cells->resize(int(rows.size()) + 1, int(header.size()));
    for (int c = 0; c < header.size(); ++c)
        cells->setCell(0, c, header.at(c), CellTable::Text);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows.at(r).size(); ++c)
            cells->setCell(r + 1, c, rows.at(r).at(c).first, rows.at(r).at(c).second);
    return cells;
}

std::pair<QString, CellTable::Kind> money(double v) { return {ModFlSum::MoneyText(v), CellTable::Money}; }
std::pair<QString, CellTable::Kind> text(const QString &t) { return {t, CellTable::Text}; }

void place(QWidget *w, int left, int top, int width, int height) { w->setGeometry(Twips::rect(left, top, width, height)); }

} // namespace

FrmGZjsTrial::FrmGZjsTrial(const QString &month, const ModGzjs::TrialResult &result, QWidget *parent)
    : QWidget(parent, Qt::Window), m_month(month)
{
    setObjectName(QStringLiteral("FrmGZjsTrial"));
    setWindowTitle(QStringLiteral("试算结果"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(Twips::toPx(9600), Twips::toPx(7800));

    Label1 = new QLabel(QStringLiteral("%1 月份试算（共 %2 行，没有写入数据库）：各工资项目的变化")
                            .arg(month).arg(result.rows), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    place(Label1, 240, 120, 9000, 300);
    FlTrial = new FlexGrid(this);
    FlTrial->setObjectName(QStringLiteral("FlTrial"));
    FlTrial->setAccessibleName(QStringLiteral("各工资项目的变化"));
    place(FlTrial, 240, 480, 9000, 3360);
    QList<QList<std::pair<QString, CellTable::Kind>>> items;
    for (const ModGzjs::TrialItem &i : result.items)
        items.append({text(i.caption), text(i.code), {QString::number(i.rowsChanged), CellTable::Number}, money(i.before),
                      money(i.after), money(i.after - i.before)});
    FlTrial->setTable(table({QStringLiteral("工资项目"), QStringLiteral("字段"), QStringLiteral("改变行数"),
                             QStringLiteral("计算前合计"), QStringLiteral("计算后合计"), QStringLiteral("差额")},
                            items));

    Label2 = new QLabel(QStringLiteral("实发合计（t40）变化最大的员工"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    place(Label2, 240, 3960, 9000, 300);
    FlEmployees = new FlexGrid(this);
    FlEmployees->setObjectName(QStringLiteral("FlEmployees"));
    FlEmployees->setAccessibleName(Label2->text());
    place(FlEmployees, 240, 4320, 9000, 2520);
    QList<QList<std::pair<QString, CellTable::Kind>>> people;
    for (const ModGzjs::TrialEmployee &e : result.largest)
        people.append({text(e.number), text(e.name), money(e.before), money(e.after), money(e.after - e.before)});
    FlEmployees->setTable(table({QStringLiteral("员工编号"), QStringLiteral("姓名"), QStringLiteral("计算前"),
                                 QStringLiteral("计算后"), QStringLiteral("差额")},
                                people));
    for (FlexGrid *grid : {FlTrial, FlEmployees})
        for (int c = 0; c < grid->Cols(); ++c)
            grid->setColWidth(c, c < 2 ? 1800 : 1300);

    cmdConfirm = new QPushButton(QStringLiteral("确认计算(&O)"), this);
    cmdConfirm->setObjectName(QStringLiteral("cmdConfirm"));
    place(cmdConfirm, 240, 7020, 1800, 450);
    cmdExport = new QPushButton(QStringLiteral("导出(&E)"), this);
    cmdExport->setObjectName(QStringLiteral("cmdExport"));
    place(cmdExport, 2280, 7020, 1440, 450);
    cmdClose = new QPushButton(QStringLiteral("关闭(&C)"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    place(cmdClose, 7800, 7020, 1440, 450);
    connect(cmdConfirm, &QPushButton::clicked, this, &FrmGZjsTrial::confirm);
    connect(cmdExport, &QPushButton::clicked, this, &FrmGZjsTrial::exportTable);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    (new DesignLayout(this))->stretch(FlTrial, Qt::Horizontal).stretch(FlEmployees).finish();
}

void FrmGZjsTrial::confirm()
{
    std::optional<ModGzjs::CalcFailure> failure;
    try {
        failure = ModGzjs::CalculateMonth(cnMain, m_month);
    } catch (const DbError &e) {
        ReportPayrollError(e);
        return;
    }
    if (failure) {
        MsgBox(ModGzjs::CalcFailureMessage(*failure), Msg::vbCritical);
        return;
    }
    MsgBox(QStringLiteral("本月工资计算完成!"), Msg::vbExclamation);
    emit calculated();
    close();
}

void FrmGZjsTrial::exportTable()
{
    ClsFlPrint printer;
    printer.strdate = QDate::currentDate().toString(QStringLiteral("yyyy-M-d"));
    printer.strGsname = strGsName;
    printer.strReportName = QStringLiteral("%1 月份工资试算").arg(m_month);
    printer.czy = strCzyName;
    printer.lx = QStringLiteral("E");
    printer.Flprint(*FlTrial);
}
