// The window shared by the pay sheet and the pay slips: month chooser, query, grid and print buttons.
#include "printing/pay_grid_window.h"

#include "app/program_state.h"
#include "payroll/wage_months.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/flex_grid.h"
#include "platform/ui/message_service.h"
#include "platform/ui/twips.h"
#include "printing/spreadsheet_export.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int kWidth = 12000, kHeight = 7200;  // twips
constexpr int kGridTop = 720, kMargin = 120;
} // namespace

PayGridWindow::PayGridWindow(const QString &name, const QString &caption, ModPayGrid::PayTable::Layout layout,
                             QWidget *parent)
    : QWidget(parent), m_layout(layout), rsMonths(new Recordset(this))
{
    setObjectName(name);
    setWindowTitle(caption);
    resize(Twips::toPx(kWidth), Twips::toPx(kHeight));

    Label2 = new QLabel(QStringLiteral("选择工资月份 "), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(Twips::rect(240, 240, 1560, 300));
    DataRC = new DataCombo(this);
    DataRC->setObjectName(QStringLiteral("DataRC"));
    DataRC->setGeometry(Twips::rect(1800, 180, 1800, 360));
    DataRC->setAccessibleName(Label2->text().trimmed());
    Label2->setBuddy(DataRC);

    auto button = [this](const char *objectName, const QString &text, int left) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(objectName));
        b->setGeometry(Twips::rect(left, 150, 1200, 420));
        return b;
    };
    Command1 = button("Command1", QStringLiteral("查 询(&F)"), 3840);
    Command3 = button("Command3", QStringLiteral("打 印(&P)"), 5160);
    Command5 = button("Command5", QStringLiteral("预 览(&V)"), 6480);
    Command4 = button("Command4", QStringLiteral("导 出(&E)"), 7800);
    Command2 = button("Command2", QStringLiteral("关  闭(&Q)"), 9120);

    MSFl = new FlexGrid(this);
    MSFl->setObjectName(QStringLiteral("MSFl"));
    MSFl->setAccessibleName(caption);
    MSFl->setFixedRows(1);

    // Picking an entry (or confirming a typed month) queries; opening the list alone does not.
    connect(DataRC, &QComboBox::activated, this, &PayGridWindow::gzfind);
    connect(Command1, &QPushButton::clicked, this, &PayGridWindow::gzfind);
    connect(Command3, &QPushButton::clicked, this, [this] { print_lx(QStringLiteral("P")); });
    connect(Command5, &QPushButton::clicked, this, [this] { print_lx(QStringLiteral("V")); });
    connect(Command4, &QPushButton::clicked, this, [this] { print_lx(QStringLiteral("E")); });
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);

    m_tableName = QStringLiteral("rsgz");
    try {
        rsMonths->Open(ModGzsc::MonthListSql(), cnMain, Recordset::adOpenStatic, Recordset::adLockReadOnly);
        DataRC->setRowSource(rsMonths, QStringLiteral("ye"));
        getgzZd();
    } catch (const DbError &e) {
        reportError(e);
    }
    DataRC->setCurrentIndex(-1);  // nothing chosen at first
}

PayGridWindow::~PayGridWindow() = default;

void PayGridWindow::reportError(const DbError &e)
{
    MsgBox(e.description + QString::number(e.number), Msg::vbCritical);
}

void PayGridWindow::readColumns()
{
    m_shown = ModPayGrid::ReadShownColumns(cnMain, m_tableName);
    m_columnList = ModPayGrid::ColumnList(m_shown.codes);
    if (!m_shown.codes.isEmpty())
        m_cols = int(m_shown.codes.size());
}

void PayGridWindow::getgzZd()
{
    readColumns();
    if (!m_shown.codes.isEmpty()) {
        MSFl->setCols(m_cols);
        if (MSFl->Rows() == 0)
            MSFl->setRows(1);
    }
}

void PayGridWindow::gzfind()
{
    try {
        // Codes and captions together at every query: an item hidden or renamed while the window
        // is open changes both, never the one without the other.
        readColumns();
        if (m_columnList.isEmpty()) {
            MsgBox(QStringLiteral("没有要显示的工资项目，请先在“工资项目及统计条件设置”中设置要使用的项目。"), Msg::vbExclamation);
            return;
        }
        auto month = ModPayGrid::QueryMonth(cnMain, m_tableName, m_shown, DataRC->text());
        if (!month)
            return;  // no row for that month: the grid keeps what it showed
        MSFl->setTable(std::make_shared<const ModPayGrid::PayTable>(std::move(month), m_layout));
        MSFl->scrollToTop();
    } catch (const DbError &e) {
        reportError(e);
    }
}

void PayGridWindow::print_lx(const QString &strlx)
{
    ClsFlPrint printer;
    printer.strdate = ClsFlPrint::NowText();
    printer.strGsname = strGsName;
    printer.strReportName = DataRC->text() + QStringLiteral("工资表");
    printer.lx = strlx;
    printer.Flprint(*MSFl);
}

void PayGridWindow::selectMonth(const QString &month)
{
    DataRC->setText(month);
    gzfind();
}

void PayGridWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int m = Twips::toPx(kMargin);
    const int top = Twips::toPx(kGridTop);
    MSFl->setGeometry(m, top, qMax(0, width() - 2 * m), qMax(0, height() - top - m));
}

void PayGridWindow::closeEvent(QCloseEvent *event)
{
    rsMonths->Close();
    QWidget::closeEvent(event);
}
