// Frm_czyrz: the operator log window.
#include "operators/activity_log_window.h"

#include "app/program_state.h"
#include "app/sql_dialect.h"
#include "app/sql_text.h"
#include "operators/activity_log.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/keyed_toolbar.h"
#include "platform/ui/message_service.h"
#include "platform/ui/program_picture.h"
#include "platform/ui/twips.h"
#include "printing/spreadsheet_export.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {
const QString kCaption = QStringLiteral("操作员日志");
// The date box shows its minimum as blank: that value stands for "no start date".
const QDate kNoDate(1900, 1, 1);
} // namespace

Frm_czyrz::Frm_czyrz(QWidget *parent) : QWidget(parent), rsLog(new Recordset(this))
{
    setObjectName(QStringLiteral("Frm_czyrz"));
    setWindowTitle(kCaption);
    resize(Twips::toPx(kWidth), Twips::toPx(kHeight));

    Toolbar1 = new KeyedToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const char *const buttons[][2] = {{"new", "新增"},    {"dc", "导出"},       {"edit", "修改"},  {"save", "保存"},
                                      {"cancel", "取消"}, {"delete", "删除"},   {"find", "查询"},  {"printview", "预览"},
                                      {"print", "打印"},  {"help", "帮助"},     {"exit", "退出"}};
    for (const auto &b : buttons)
        Toolbar1->addButton(QString::fromLatin1(b[0]), QString::fromUtf8(b[1]));
    connect(Toolbar1, &KeyedToolBar::buttonClicked, this, &Frm_czyrz::Toolbar1_ButtonClick);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(Twips::rect(120, 600, 7660, 1260));
    Image1->setScaledContents(true);

    Label1 = new QLabel(QStringLiteral("员工工作情况"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont titleFont = Label1->font();
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    Label1->setFont(titleFont);
    Label1->setGeometry(Twips::rect(240, 660, 3000, 420));

    Label2 = new QLabel(QStringLiteral("操作员姓名"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(Twips::rect(240, 1260, 1100, 300));
    txtname = new QLineEdit(this);
    txtname->setObjectName(QStringLiteral("txtname"));
    txtname->setAccessibleName(Label2->text());
    Label2->setBuddy(txtname);
    txtname->setGeometry(Twips::rect(1380, 1200, 2100, 375));

    Label3 = new QLabel(QStringLiteral("开始日期"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(Twips::rect(3720, 1260, 900, 300));
    txtkssj = new QDateEdit(this);
    txtkssj->setObjectName(QStringLiteral("txtkssj"));
    txtkssj->setAccessibleName(Label3->text());
    Label3->setBuddy(txtkssj);
    txtkssj->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    txtkssj->setCalendarPopup(true);
    txtkssj->setMinimumDate(kNoDate);
    txtkssj->setSpecialValueText(QStringLiteral(" "));  // the minimum shows blank: no start date
    txtkssj->setDate(kNoDate);
    txtkssj->setGeometry(Twips::rect(4680, 1200, 1800, 375));
    // Return in a filter box runs the query, as a click on 查询 would.
    connect(txtname, &QLineEdit::returnPressed, this, [this] { Toolbar1_ButtonClick(QStringLiteral("find")); });

    MSGrid = new DataGrid(this);
    MSGrid->setObjectName(QStringLiteral("MSGrid"));
    MSGrid->setAccessibleName(Label1->text());
    MSGrid->setSortable(true);  // the log's query fixes no order

    Form_Load();
}

Frm_czyrz::~Frm_czyrz() { finishUse(); }

QString Frm_czyrz::LoadSql()
{
    return QStringLiteral("select tag,czyname,czyxm,") + ModGetDAte::DateColumnText(QStringLiteral("init_time")) +
           QStringLiteral(",") + ModGetDAte::DateColumnText(QStringLiteral("last_time")) +
           QStringLiteral(" from czyrz where last_time is not null");
}

QString Frm_czyrz::FindSql(const QString &name, const QDate &from)
{
    QString condition;
    if (!name.isEmpty())
        condition = QStringLiteral("czyname='") + SqlQuote(name) + QStringLiteral("'");
    if (from.isValid()) {
        if (!condition.isEmpty())
            condition += QStringLiteral(" and ");
        condition += ModGetDAte::DateColumnText(QStringLiteral("init_time")) + QStringLiteral(">=") +
                     ModGetDAte::DateLiteral(from.startOfDay());
    }
    const QString sql =
        QStringLiteral("select [tag],[czyname],czyxm,init_time,last_time from czyrz where last_time is not null");
    return condition.isEmpty() ? sql : sql + QStringLiteral(" and ") + condition;
}

void Frm_czyrz::setStartDate(const QDate &date) { txtkssj->setDate(date.isValid() ? date : kNoDate); }

QDate Frm_czyrz::startDate() const { return txtkssj->date() == kNoDate ? QDate() : txtkssj->date(); }

void Frm_czyrz::reportError(const DbError &e) { MsgBox(e.numbered(), Msg::vbCritical); }

void Frm_czyrz::Form_Load()
{
    try {
        Modczyrz::LogUseStart(kCaption);
    } catch (const DbError &e) {
        reportError(e);
    }
    try {
        openLog(LoadSql());
    } catch (const DbError &e) {
        reportError(e);
    }
    // Decorative pictures beside the program; the second replaces the first.
    ShowProgramPicture(Image1, QStringLiteral("book.wmf"));
    ShowProgramPicture(Image1, QStringLiteral("back.gif"));
    Image1->lower();
}

void Frm_czyrz::openLog(const QString &sql)
{
    rsLog->Close();
    MSGrid->setRecordset(nullptr);
    rsLog->Open(sql, cnMain, Recordset::adOpenDynamic, Recordset::adLockOptimistic);
    MSGrid->setRecordset(rsLog);
    msgrid_set();
}

void Frm_czyrz::msgrid_set()
{
    static const char *const captions[] = {"序号", "操作员姓名", "内  容", "开始时间", "结束时间"};
    static const int widths[] = {500, 1300, 1500, 2100, 2100};
    for (int c = 0; c < 5 && c < MSGrid->columnCount(); ++c) {
        MSGrid->setColumnCaption(c, QString::fromUtf8(captions[c]));
        MSGrid->setColumnWidthTwips(c, widths[c]);
    }
    // The times with their 上午/下午 marker are wider than the designed width in this font: those
    // two columns grow to what they show so that the minutes and seconds stay readable.
    const QAbstractItemView *view = MSGrid;
    for (int c = 3; c < 5 && c < MSGrid->columnCount(); ++c)
        MSGrid->setColumnWidth(c, std::max(MSGrid->columnWidth(c), view->sizeHintForColumn(c)));
}

void Frm_czyrz::Toolbar1_ButtonClick(const QString &key)
{
    try {
        if (key == QLatin1String("find"))
            cmdFind();
        else if (key == QLatin1String("dc"))
            print_lx(QStringLiteral("E"));
        else if (key == QLatin1String("delete"))
            cmdDelete();
        else if (key == QLatin1String("exit"))
            close();
    } catch (const DbError &e) {
        reportError(e);
    }
}

void Frm_czyrz::cmdFind() { openLog(FindSql(txtname->text(), startDate())); }

void Frm_czyrz::cmdDelete()
{
    if (MsgBox(QStringLiteral("确认删除所有日志吗?"), Msg::vbYesNo | Msg::vbQuestion) != Msg::vbYes)
        return;
    cnMain.execute(QStringLiteral("delete    from czyrz where last_time is not null"));
    // The listing in force (the loading one or the last find) is read again.
    openLog(rsLog->source());
}

void Frm_czyrz::print_lx(const QString &strlx)
{
    ClsFlPrint printer;
    printer.strdate = QDate::currentDate().toString(QStringLiteral("yyyy-M-d"));
    printer.strGsname = strGsName;
    printer.strReportName = strGsName + QStringLiteral("操作员日志");
    printer.lx = strlx;
    printer.Flprint(DataGridCells(*MSGrid));
}

void Frm_czyrz::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The toolbar spans the window and the grid takes what lies below the filters.
    Toolbar1->setGeometry(0, 0, width(), Twips::toPx(540));
    MSGrid->setGeometry(Twips::toPx(120), Twips::toPx(1920), width() - Twips::toPx(240),
                        std::max(Twips::toPx(600), height() - Twips::toPx(2040)));
}

void Frm_czyrz::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Once, at the top of the main window's area and centred across it.
    auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (m_placed || !frame || !frame->mdiArea())
        return;
    m_placed = true;
    frame->move(std::max(0, (frame->mdiArea()->viewport()->width() - frame->width()) / 2), 0);
}

void Frm_czyrz::closeEvent(QCloseEvent *event)
{
    finishUse();
    event->accept();
}

// Releases the log and closes this use's row, once, however the window goes.
void Frm_czyrz::finishUse()
{
    if (m_finished)
        return;
    m_finished = true;
    rsLog->Close();
    if (!cnMain.isOpen())
        return;
    try {
        Modczyrz::LogUseEnd(kCaption);
    } catch (const DbError &e) {
        reportError(e);
    }
}
