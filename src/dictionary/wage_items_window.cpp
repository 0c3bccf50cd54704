// FrmreportSetGZXM: edits the wage items (rs_codedict rows of "rsgz") in a grid; prepares the wage tables on first use.
#include "dictionary/wage_items_window.h"

#include "app/program_state.h"
#include "dictionary/dictionary_codes.h"
#include "dictionary/dictionary_tables.h"
#include "dictionary/personnel_tables.h"
#include "dictionary/wage_formulas.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/design_layout.h"
#include "platform/ui/flex_grid.h"
#include "platform/ui/message_service.h"
#include "platform/ui/twips.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace {

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption, int left, int top, int width)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(Twips::rect(left, top, width, 420));
    return b;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption, int top)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setGeometry(Twips::rect(120, top, 7800, 300));
    return l;
}

} // namespace

const QStringList &FrmreportSetGZXM::gridFields()
{
    static const QStringList fields{"xh",       "table_code", "table_name", "colm_code", "colm_name", "colm_type",
                                    "colm_cd", "can_show",   "hztj",       "hzgs",      "memo"};
    return fields;
}

const QStringList &FrmreportSetGZXM::gridCaptions()
{
    static const QStringList captions{"顺序号",   "英文名",   "中文名",   "字段英文名", "字段中文名", "数据类型",
                                      "字段字长", "是否使用", "汇总条件", "汇总工式",   "说明"};
    return captions;
}

FrmreportSetGZXM::FrmreportSetGZXM(QWidget *parent) : QWidget(parent), rsItems(new Recordset(this))
{
    setObjectName(QStringLiteral("FrmreportSetGZXM"));
    setWindowTitle(QStringLiteral("工资项目名称修改"));
    resize(Twips::toPx(13800), Twips::toPx(7080));

    DataGrid1 = new DataGrid(this);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setAccessibleName(QStringLiteral("工资项目"));
    DataGrid1->setGeometry(Twips::rect(120, 120, 13560, 4800));
    DataGrid1->setBoundColumns(gridFields(), gridCaptions());
    DataGrid1->setAllowUpdate(false);

    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("月份、姓名、卡号、基本工资不要修改。"), 5040);
    Label2 = makeLabel(this, QStringLiteral("Label2"), QStringLiteral("是否使用：0不使用该列  1使用该列"), 5340);
    Label3 = makeLabel(this, QStringLiteral("Label3"),
                       QStringLiteral("汇总条件和汇总公式字段，填写字段英文名称，如：t1+t2+t3."), 5640);

    Txttablename = new QLineEdit(QStringLiteral("rsgz"), this);
    Txttablename->setObjectName(QStringLiteral("Txttablename"));
    Txttablename->setAccessibleName(QStringLiteral("表名"));
    Txttablename->setReadOnly(true);
    Txttablename->setGeometry(Twips::rect(12480, 5040, 1200, 330));

    const QStyle::StandardPixmap icons[] = {QStyle::SP_MediaSkipBackward, QStyle::SP_MediaSeekBackward,
                                            QStyle::SP_MediaSeekForward, QStyle::SP_MediaSkipForward};
    const QString tips[] = {QStringLiteral("第一条"), QStringLiteral("上一条"), QStringLiteral("下一条"),
                            QStringLiteral("最后一条")};
    QToolButton **moves[] = {&Cmdmove1, &Cmdmove2, &Cmdmove3, &Cmdmove4};
    for (int i = 0; i < 4; ++i) {
        auto *b = new QToolButton(this);
        b->setObjectName(QStringLiteral("Cmdmove%1").arg(i + 1));
        b->setIcon(style()->standardIcon(icons[i]));
        b->setToolTip(tips[i]);
        b->setAccessibleName(tips[i]);
        b->setGeometry(Twips::rect(10320 + i * 510, 5040, 480, 420));
        connect(b, &QToolButton::clicked, this, [this, i] { Cmdmove_Click(i + 1); });
        *moves[i] = b;
    }

    const int top = 6300;
    cmdzj = makeButton(this, QStringLiteral("cmdzj"), QStringLiteral("增加"), 120, top, 1080);
    cmdxg = makeButton(this, QStringLiteral("cmdxg"), QStringLiteral("修改"), 1320, top, 1080);
    cmdsc = makeButton(this, QStringLiteral("cmdsc"), QStringLiteral("删除"), 2520, top, 1080);
    cmdbc = makeButton(this, QStringLiteral("cmdbc"), QStringLiteral("保存"), 3720, top, 1080);
    cmdqx = makeButton(this, QStringLiteral("cmdqx"), QStringLiteral("取消"), 4920, top, 1080);
    cmdjc = makeButton(this, QStringLiteral("cmdjc"), QStringLiteral("检查公式"), 6360, top, 1320);
    Cmdtc = makeButton(this, QStringLiteral("Cmdtc"), QStringLiteral("退 出"), 12360, top, 1320);
    connect(cmdzj, &QPushButton::clicked, this, &FrmreportSetGZXM::cmdzj_Click);
    connect(cmdxg, &QPushButton::clicked, this, &FrmreportSetGZXM::cmdxg_Click);
    connect(cmdsc, &QPushButton::clicked, this, &FrmreportSetGZXM::cmdsc_Click);
    connect(cmdbc, &QPushButton::clicked, this, &FrmreportSetGZXM::cmdbc_Click);
    connect(cmdqx, &QPushButton::clicked, this, &FrmreportSetGZXM::cmdqx_Click);
    connect(cmdjc, &QPushButton::clicked, this, &FrmreportSetGZXM::cmdjc_Click);
    connect(Cmdtc, &QPushButton::clicked, this, &QWidget::close);

    // The type pick list, shown over the grid while a row is added or modified.
    FlDict = new FlexGrid(this);
    FlDict->setObjectName(QStringLiteral("FlDict"));
    FlDict->setAccessibleName(QStringLiteral("数据类型"));
    FlDict->setCols(2);
    FlDict->setRows(1 + int(DictCodes::typePickList().size()));
    FlDict->setFixedRows(1);
    FlDict->setTextMatrix(0, 0, DictCodes::kTypePickHeader.code);
    FlDict->setTextMatrix(0, 1, DictCodes::kTypePickHeader.label);
    for (int r = 0; r < DictCodes::typePickList().size(); ++r) {
        FlDict->setTextMatrix(r + 1, 0, DictCodes::typePickList().at(r).code);
        FlDict->setTextMatrix(r + 1, 1, DictCodes::typePickList().at(r).label);
    }
    FlDict->setColWidth(0, 1100);
    FlDict->setColWidth(1, 1300);
    FlDict->resize(Twips::toPx(2700), Twips::toPx(1700));
    FlDict->hide();
    FlDict->installEventFilter(this);
    connect(FlDict, &QAbstractItemView::clicked, this, [this](const QModelIndex &i) { FlDict_Choose(i.row() + 1); });
    connect(FlDict, &QAbstractItemView::activated, this, [this](const QModelIndex &i) { FlDict_Choose(i.row() + 1); });

    connect(DataGrid1, &DataGrid::buttonClick, this, &FrmreportSetGZXM::DataGrid1_ButtonClick);
    // While modifying, every row the cursor reaches gets a pending edit, so that "取消" can undo it.
    connect(rsItems, &Recordset::moved, this, [this](int row) {
        if (m_state == State::Modifying && row >= 0)
            startRowEdit();
    });

    setState(State::Browsing);
    // The grid takes what the window gains or gives up; the buttons and the move buttons keep to
    // their corners.
    (new DesignLayout(this))->stretch(DataGrid1).finish();
}

FrmreportSetGZXM::~FrmreportSetGZXM() = default;

void FrmreportSetGZXM::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Form_Activate();
}

bool FrmreportSetGZXM::hasPendingEdit() const
{
    return m_state != State::Browsing && rsItems->isOpen() && rsItems->hasChanges();
}

bool FrmreportSetGZXM::savePendingEdit()
{
    cmdbc_Click();
    return m_state == State::Browsing;
}

void FrmreportSetGZXM::discardPendingEdit() { cmdqx_Click(); }

void FrmreportSetGZXM::closeEvent(QCloseEvent *event)
{
    if (!OpenWindows::ConfirmPendingEdit(*this)) {
        event->ignore();
        return;
    }
    DataGrid1->setRecordset(nullptr);
    rsItems->Close();
    QWidget::closeEvent(event);
}

void FrmreportSetGZXM::Form_Activate()
{
    if (m_activated)
        return;
    const QString code = Txttablename->text();
    try {
        const QString sql = ModDict::WageDictSql(code);
        try {
            rsItems->Open(sql, cnMain, Recordset::adOpenDynamic, Recordset::adLockOptimistic);
        } catch (const DbError &e) {
            if (e.number != DbError::ObjectNotFound)
                throw;
            // The dictionary or the wage table is missing: create what is missing, then go on.
            ModJgupdate::CreateWageTables(cnMain);
            rsItems->Open(sql, cnMain, Recordset::adOpenDynamic, Recordset::adLockOptimistic);
        }
        // A dictionary whose wage table has gone: the preparation completes it.
        if (!cnMain.tableExists(DictCodes::kWageTable))
            ModJgupdate::CreateWageTables(cnMain);
        if (rsItems->RecordCount() == 0) {
            ModJgupdate::WriteDefaultWageItems(cnMain);
            rsItems->Requery();
        }
    } catch (const DbError &e) {
        MsgBox(e.numbered());
        return;
    }
    m_caption = rsItems->RecordCount() > 0 ? rsItems->valueAt(0, rsItems->fieldIndex(QStringLiteral("table_name"))).toString()
                                           : QString();
    if (m_caption.isEmpty() && code == DictCodes::kWageTable)
        m_caption = DictCodes::kWageCaption;
    DataGrid1->setRecordset(rsItems);
    // Column widths once the grid has its columns.
    const int widths[] = {700, 700, 900, 1000, 1200, 900, 800, 800, 2200, 2200, 1800};
    for (int c = 0; c < gridFields().size(); ++c)
        DataGrid1->setColumnWidthTwips(c, widths[c]);
    m_activated = true;
}

QString FrmreportSetGZXM::tableCaption() const { return m_caption; }

void FrmreportSetGZXM::setState(State state)
{
    m_state = state;
    const bool browsing = state == State::Browsing;
    cmdzj->setEnabled(browsing || state == State::Adding);
    cmdxg->setEnabled(browsing);
    cmdsc->setEnabled(browsing);
    cmdjc->setEnabled(browsing);
    Cmdtc->setEnabled(browsing);
    cmdbc->setEnabled(!browsing);
    cmdqx->setEnabled(!browsing);
    DataGrid1->setAllowUpdate(!browsing);
    DataGrid1->setColumnButton(kTypeColumn, !browsing);
    if (browsing)
        FlDict->hide();
}

void FrmreportSetGZXM::reportError(const DbError &e)
{
    MsgBox(e.numbered(QStringLiteral("\n错误号：")), Msg::vbExclamation);
}

void FrmreportSetGZXM::startRowEdit()
{
    if (!rsItems->isOpen() || rsItems->EditMode() != Recordset::adEditNone || rsItems->currentRow() < 0)
        return;
    try {
        rsItems->setValue(QStringLiteral("xh"), rsItems->value(QStringLiteral("xh")));
    } catch (const DbError &e) {
        reportError(e);
    }
}

void FrmreportSetGZXM::cmdzj_Click()
{
    if (!rsItems->isOpen())
        return;
    try {
        rsItems->AddNew();
        // A new item belongs to the table being edited.
        rsItems->setValue(QStringLiteral("table_code"), Txttablename->text());
        rsItems->setValue(QStringLiteral("table_name"), tableCaption());
    } catch (const DbError &e) {
        reportError(e);
        return;
    }
    setState(State::Adding);
    DataGrid1->setCurrentColumn(2);
    DataGrid1->setFocus();
}

void FrmreportSetGZXM::cmdxg_Click()
{
    if (!rsItems->isOpen())
        return;
    try {
        if (rsItems->EditMode() != Recordset::adEditNone)
            rsItems->Update();
    } catch (const DbError &e) {
        reportError(e);
        return;
    }
    setState(State::Modifying);
    startRowEdit();
    DataGrid1->setCurrentColumn(2);
    DataGrid1->setFocus();
}

void FrmreportSetGZXM::cmdbc_Click()
{
    FlDict->hide();
    try {
        if (rsItems->isOpen())
            rsItems->Update();
    } catch (const DbError &e) {
        reportError(e);  // the edit stays pending; the user may correct it or cancel
        return;
    }
    setState(State::Browsing);
}

void FrmreportSetGZXM::cmdqx_Click()
{
    DataGrid1->setRecordset(nullptr);
    try {
        if (rsItems->isOpen())
            rsItems->CancelUpdate();
    } catch (const DbError &e) {
        reportError(e);
    }
    setState(State::Browsing);
    DataGrid1->setRecordset(rsItems);
}

void FrmreportSetGZXM::cmdsc_Click()
{
    if (!rsItems->isOpen() || rsItems->currentRow() < 0)
        return;
    if (MsgBox(QStringLiteral("是否真的删除此条记录？"), Msg::vbYesNo | Msg::vbQuestion) != Msg::vbYes)
        return;
    try {
        rsItems->Delete();
        // Stay on the row that followed the deleted one, or on the last row.
        if (rsItems->RecordCount() > 0) {
            rsItems->MoveNext();
            if (rsItems->eof())
                rsItems->MoveLast();
        }
    } catch (const DbError &e) {
        reportError(e);
    }
}

void FrmreportSetGZXM::cmdjc_Click()
{
    try {
        const QList<ModGzgs::FormulaProblem> problems = ModGzgs::CheckFormulas(cnMain, Txttablename->text());
        MsgBox(ModGzgs::FormulaCheckReport(problems), problems.isEmpty() ? Msg::vbInformation : Msg::vbExclamation);
    } catch (const DbError &e) {
        reportError(e);
    }
}

void FrmreportSetGZXM::Cmdmove_Click(int which)
{
    if (!rsItems->isOpen() || rsItems->RecordCount() == 0)
        return;
    try {
        switch (which) {
        case 1:
            rsItems->MoveFirst();
            break;
        case 2:
            if (!rsItems->bof() && rsItems->currentRow() != 0)
                rsItems->MovePrevious();
            break;
        case 3:
            if (!rsItems->eof() && rsItems->currentRow() != rsItems->RecordCount() - 1)
                rsItems->MoveNext();
            break;
        case 4:
            rsItems->MoveLast();
            break;
        default:
            break;
        }
    } catch (const DbError &e) {
        reportError(e);
    }
}

void FrmreportSetGZXM::DataGrid1_ButtonClick(int column)
{
    // The list is offered only while a row is added or modified.
    if (!cmdbc->isEnabled() || column != kTypeColumn)
        return;
    const int current = DataGrid1->currentIndex().isValid() ? DataGrid1->currentIndex().row() : 0;
    const int visibleRow = qMax(0, current - qMax(0, DataGrid1->rowAt(0)));
    int top = Twips::fromPx(DataGrid1->y()) + DataGrid1->rowHeightTwips() * (visibleRow + 3);
    int left = Twips::fromPx(DataGrid1->x()) + DataGrid1->columnLeftTwips(DataGrid1->currentColumn() + 1);
    // Kept inside the window when the row or the column is near its edge.
    top = qMin(top, Twips::fromPx(height() - FlDict->height()));
    left = qMin(left, Twips::fromPx(width() - FlDict->width()));
    FlDict->move(Twips::toPx(left), Twips::toPx(top));
    FlDict->show();
    FlDict->raise();
    FlDict->setFocus();
}

void FrmreportSetGZXM::FlDict_Choose(int row)
{
    if (!FlDict->isVisible() || row < 1 || row >= FlDict->Rows())
        return;
    const QString code = FlDict->TextMatrix(row, 0);
    FlDict->hide();
    const QModelIndex cell = DataGrid1->currentIndex();
    if (cell.isValid())
        DataGrid1->model()->setData(cell, code);
    DataGrid1->setFocus();
}

bool FrmreportSetGZXM::eventFilter(QObject *watched, QEvent *event)
{
    // Leaving the list without choosing hides it.
    if (watched == FlDict && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
        FlDict->hide();
    if (watched == FlDict && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            FlDict->hide();
            DataGrid1->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
