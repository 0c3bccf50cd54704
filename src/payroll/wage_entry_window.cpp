// FrmGZlr: wage entry and modification of one month of rsgz, boxes built from rs_codedict.
#include "payroll/wage_entry_window.h"

#include "payroll/month_lock.h"

#include "app/program_state.h"
#include "app/sql_text.h"
#include "dictionary/dictionary_fields.h"
#include "dictionary/editor_frame.h"
#include "dictionary/dictionary_tables.h"
#include "dictionary/personnel_tables.h"
#include "payroll/month_lock.h"
#include "payroll/wage_fields.h"
#include "payroll/wage_months.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/keyed_toolbar.h"
#include "platform/ui/message_service.h"
#include "platform/ui/program_picture.h"
#include "platform/ui/twips.h"
#include "printing/dictionary_report.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>

namespace {

void place(QWidget *w, int left, int top, int width, int height) { w->setGeometry(Twips::rect(left, top, width, height)); }

QString cellText(const Recordset *rs, int row, const char *field)
{
    const int c = rs->fieldIndex(QString::fromLatin1(field));
    const QVariant v = c < 0 ? QVariant() : rs->valueAt(row, c);
    return fieldValueText(v).trimmed();
}

QLabel *label(const char *name, const char *caption, QWidget *parent)
{
    auto *l = new QLabel(QString::fromUtf8(caption), parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

} // namespace

FrmGZlr::FrmGZlr(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmGZlr"));
    setWindowTitle(QStringLiteral("工资修改"));

    m_entryPage = new QWidget;
    m_entryPage->setObjectName(QStringLiteral("EntryPage"));
    m_frame = BuildEditorFrame(
        this, m_entryPage, QStringLiteral("月份工资列表"), [this](const QString &key) { Toolbar1_ButtonClick(key); },
        [this](int i) { Cmdmove_Click(i); });

    Image1 = label("Image1", "", m_entryPage);
    Image1->setScaledContents(true);
    place(Image1, kListLeft, 700, kListWidth, 5000);
    Label3 = label("Label3", "选择月份", m_entryPage);
    place(Label3, 120, 180, 900, 300);
    DataRC = new DataCombo(m_entryPage);
    DataRC->setObjectName(QStringLiteral("DataRC"));
    DataRC->setStyle(DataCombo::dbcDropdownList);
    DataRC->setAccessibleName(Label3->text());
    Label3->setBuddy(DataRC);
    place(DataRC, 1020, 120, 1400, 375);
    connect(DataRC, &QComboBox::activated, this, &FrmGZlr::chooseMonth);
    Label2 = label("Label2", "选择参数类型", m_entryPage);
    place(Label2, 2550, 180, 1200, 300);
    Class = new DataCombo(m_entryPage);
    Class->setObjectName(QStringLiteral("Class"));
    Class->setStyle(DataCombo::dbcDropdownList);
    Class->setAccessibleName(Label2->text());
    Label2->setBuddy(Class);
    place(Class, 3750, 120, 1500, 375);
    connect(Class, &QComboBox::activated, this, [this] {
        // The boxes, and the rows they edit, belong to the table now chosen: an open month of the
        // earlier table is closed rather than shown through the new table's fields.
        try {
            m_tableName = chosenTable();
            delete rstspzd;
            rstspzd = nullptr;
            txtspzd_set(m_tableName);
            applyFrameSize();
        } catch (const DbError &e) {
            reportError(e);
        }
    });
    Label1 = label("Label1", "请输入查询员工编号:", m_entryPage);
    place(Label1, 5400, 180, 1900, 300);
    Txtfind = new QLineEdit(m_entryPage);
    Txtfind->setObjectName(QStringLiteral("Txtfind"));
    Txtfind->setAccessibleName(Label1->text());
    Label1->setBuddy(Txtfind);
    place(Txtfind, 7300, 120, 1600, 375);

    Framspzd = new QFrame(m_entryPage);
    Framspzd->setObjectName(QStringLiteral("Framspzd"));
    place(Framspzd, 120, kFrameTop, 4300, kFrameDesignHeight);
    Scrspzd = new QScrollBar(Qt::Vertical, m_entryPage);
    Scrspzd->setObjectName(QStringLiteral("Scrspzd"));
    Scrspzd->setAccessibleName(QStringLiteral("滚动输入项"));
    Scrspzd->setRange(0, 0);
    place(Scrspzd, 4440, kFrameTop, 255, 5000);
    connect(Scrspzd, &QScrollBar::valueChanged, this, [this](int value) {
        Framspzd->move(Framspzd->x(), Twips::toPx(frameTop(value)));
    });
    makeCaption(0);
    makeBox(0);

    GridspZd1 = new DataGrid(m_entryPage);
    GridspZd1->setObjectName(QStringLiteral("GridspZd1"));
    GridspZd1->setAccessibleName(QStringLiteral("员工列表"));
    GridspZd1->setBoundColumns({QStringLiteral("f1"), QStringLiteral("f2")},
                               {QStringLiteral("员工编号"), QStringLiteral("姓名")});
    place(GridspZd1, kListLeft, 700, kListWidth, 5000);

    rsClass = new Recordset(this);
    rsMonths = new Recordset(this);
    Form_Load();
}

FrmGZlr::~FrmGZlr() = default;

void FrmGZlr::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    LayoutEditorFrame(this, m_frame);
    // The name list and the scroll bar reach down to the bottom of the entry page, the list (and
    // the picture under it) to its right edge when the window is wider than its design.
    const int pageHeight = m_frame.SSTab1->height() - m_frame.SSTab1->tabBar()->sizeHint().height() - 8;
    const int listHeight = qMax(Twips::toPx(1500), pageHeight - Twips::toPx(kFrameTop + 60));
    const int listWidth = qMax(Twips::toPx(kListWidth), m_frame.SSTab1->width() - 8 - Twips::toPx(kListLeft + 120));
    GridspZd1->resize(listWidth, listHeight);
    Scrspzd->resize(Scrspzd->width(), listHeight);
    Image1->resize(listWidth, listHeight);
}

void FrmGZlr::Form_Load()
{
    resize(Twips::toPx(9315), Twips::toPx(6750));
    // The boxes stand where the design puts them (a frame scrolls only past 15 of them): the window
    // grows from its design size but keeps every box in sight.
    setMinimumSize(size());
    setEditing(false);
    const bool loaded = OpenEditorCatalogue(*rsClass, *Class, QStringLiteral("工资"), [this] {
        m_tableName = cellText(rsClass, 0, "table_name");
        txtspzd_set(m_tableName);
    });
    if (!loaded)
        return;
    // From here on a failure only leaves a picture or the month list out.
    ShowProgramPicture(Image1, QStringLiteral("back.gif"));
    try {
        rsMonths->Open(ModGzsc::MonthListSql(), cnMain, Recordset::adOpenStatic, Recordset::adLockReadOnly);
        DataRC->setRowSource(rsMonths, QStringLiteral("ye"));
        DataRC->setCurrentIndex(-1);
    } catch (const DbError &) {
    }
    applyFrameSize();
}

QString FrmGZlr::chosenTable() const { return Class->boundText().trimmed(); }

void FrmGZlr::applyFrameSize()
{
    const int n = int(txtspzd.size());
    Framspzd->resize(Framspzd->width(), Twips::toPx(frameHeight(n)));
    Scrspzd->setRange(0, scrollMax(n));
    Scrspzd->setValue(0);
    Framspzd->move(Framspzd->x(), Twips::toPx(frameTop(0)));
}

QLabel *FrmGZlr::makeCaption(int index)
{
    auto *l = new QLabel(Framspzd);
    l->setObjectName(QStringLiteral("Labspzd_%1").arg(index));
    l->setAlignment(Qt::AlignVCenter | Qt::AlignRight);
    place(l, kCaptionLeft, captionTop(index), kCaptionWidth, kCaptionHeight);
    Labspzd.append(l);
    return l;
}

QLineEdit *FrmGZlr::makeBox(int index)
{
    auto *box = new QLineEdit(Framspzd);
    box->setObjectName(QStringLiteral("txtspzd_%1").arg(index));
    place(box, kBoxLeft, boxTop(index), kBoxWidth, kBoxHeight);
    box->setReadOnly(!m_editing);
    box->installEventFilter(this);
    Labspzd.value(index)->setBuddy(box);
    txtspzd.append(box);
    return box;
}

void FrmGZlr::removeExtraFields()
{
    while (txtspzd.size() > 1) {
        delete txtspzd.takeLast();
        delete Labspzd.takeLast();
    }
}

void FrmGZlr::txtspzd_set(const QString &table)
{
    m_frame.SSTab1->setCurrentIndex(0);
    auto dict = std::make_unique<Recordset>(this);
    dict->Open(ModDict::WageDictShownSql(table), cnMain, Recordset::adOpenStatic, Recordset::adLockReadOnly);
    delete rsDict;
    rsDict = dict.release();

    removeExtraFields();
    const int n = rsDict->RecordCount();
    if (n < 1) {
        // No field in use: box 0 alone stays, empty and without a column.
        Labspzd[0]->clear();
        txtspzd[0]->clear();
        setBoxDataField(txtspzd[0], QString());
        m_fieldList = QStringLiteral("id");
    } else {
        setBoxDataField(txtspzd[0], cellText(rsDict, 0, "colm_code"));
        if (m_frame.Gridspzd->columnCount() > 1) {
            m_frame.Gridspzd->setColumnCaption(1, cellText(rsDict, 0, "colm_name"));
            m_frame.Gridspzd->setColumnWidthTwips(0, 0);
        }
        m_fieldList = QStringLiteral("id,") + cellText(rsDict, 0, "colm_code");
        for (int i = 1; i < n; ++i) {
            m_fieldList += QLatin1Char(',') + cellText(rsDict, i, "colm_code");
            makeCaption(i)->show();
            makeBox(i)->show();
        }
    }
    SetupWageFields(table, Labspzd, txtspzd);
    m_frame.SSTab1->setCurrentIndex(0);
}

void FrmGZlr::chooseMonth()
{
    const QString month = DataRC->text();
    if (month.isEmpty())
        return;
    try {
        GEtjl(QStringLiteral("f0='") + SqlQuote(month) + QLatin1Char('\''));
    } catch (const DbError &e) {
        reportError(e);
    }
}

void FrmGZlr::GEtjl(const QString &strtj)
{
    auto rs = std::make_unique<Recordset>(this);
    rs->Open(QStringLiteral("select ") + m_fieldList + QStringLiteral("  from ") + m_tableName + QStringLiteral(" where ") +
                 strtj + QStringLiteral("  order by f1,[id]"),
             cnMain, Recordset::adOpenDynamic, Recordset::adLockOptimistic);
    connect(rs.get(), &Recordset::moved, this, &FrmGZlr::getgznr);
    connect(rs.get(), &Recordset::reset, this, &FrmGZlr::getgznr);
    m_frame.Gridspzd->setRecordset(rs.get());
    GridspZd1->setRecordset(rs.get());
    delete rstspzd;
    rstspzd = rs.release();
    SetGridCaptions(m_frame.Gridspzd, QStringLiteral("rsgz"));
    getgznr();
}

void FrmGZlr::getgznr()
{
    // Runs on every move, also those the grids make, so no error may leave it.
    if (!rstspzd || !rstspzd->isOpen() || rstspzd->bof() || rstspzd->eof() || rstspzd->currentRow() < 0)
        return;
    try {
        FillFieldsFromRecord(txtspzd, int(txtspzd.size()), *rstspzd);
    } catch (const DbError &e) {
        reportError(e);
    }
}

void FrmGZlr::cmd_yd(bool move_qian, bool move_hou) { SetMoveButtons(m_frame.Cmdmove, move_qian, move_hou); }

void FrmGZlr::cmdmoveSet(bool blnbj)
{
    for (QPushButton *b : m_frame.Cmdmove)
        b->setEnabled(blnbj);
}

void FrmGZlr::kongjian_enabled(bool jzbl) { SetEditorToolbar(*m_frame.Toolbar1, jzbl); }

// Browsing or editing. While the boxes are being changed nothing may move the row under them
// (the grids and the month and table choosers are disabled), so a save writes the row shown.
void FrmGZlr::setEditing(bool editing)
{
    m_editing = editing;
    LockFields(txtspzd, int(txtspzd.size()), !editing);
    cmdmoveSet(!editing);
    kongjian_enabled(!editing);
    for (QWidget *w : {static_cast<QWidget *>(m_frame.Gridspzd), static_cast<QWidget *>(GridspZd1),
                       static_cast<QWidget *>(DataRC), static_cast<QWidget *>(Class)})
        w->setEnabled(!editing);
}

void FrmGZlr::reportError(const DbError &e)
{
    MsgBox(e.numbered(), Msg::vbOKOnly + Msg::vbCritical);
}

void FrmGZlr::Toolbar1_ButtonClick(const QString &key)
{
    try {
        if (key == QLatin1String("new")) {
            m_frame.Gridspzd->setRecordset(nullptr);
            setEditing(true);
        } else if (key == QLatin1String("Edit")) {
            setEditing(true);
        } else if (key == QLatin1String("save")) {
            cmdSave();
        } else if (key == QLatin1String("cancel")) {
            cmdCancel();
        } else if (key == QLatin1String("delete")) {
            cmdDelete();
        } else if (key == QLatin1String("find")) {
            cmdFind();
        } else if (key == QLatin1String("printview")) {
            if (rstspzd)
                DictReport(chosenTable(), *rstspzd, QStringLiteral("v"));
        } else if (key == QLatin1String("exit")) {
            close();
        }
    } catch (const DbError &e) {
        reportError(e);
    }
}

void FrmGZlr::cmdSave()
{
    if (!CheckWageFields(chosenTable(), txtspzd))
        return;  // its message is shown; editing goes on
    if (!rstspzd || !rstspzd->isOpen() || rstspzd->bof() || rstspzd->eof())
        return;
    const QVariant id = rstspzd->value(QStringLiteral("ID"));
    const QString table = m_tableName.trimmed();
    try {
        // The null statements and the update stand or fall together.
        Transaction tx(cnMain);
        // Another desk may have changed the row since it was shown: then nothing is overwritten.
        QStringList columns;
        QVariantList shown;
        for (int c = 0; c < rstspzd->fieldCount(); ++c)
            if (rstspzd->fieldName(c).compare(QLatin1String("id"), Qt::CaseInsensitive) != 0) {
                columns << rstspzd->fieldName(c);
                shown << rstspzd->value(c);
            }
        if (!ModGzLock::HoldUnchangedRow(cnMain, table, id.toLongLong(), columns, shown)) {
            MsgBox(ModGzLock::RowChangedMessage(), Msg::vbExclamation);
            return;
        }
        BuildUpdateSetList(txtspzd, int(txtspzd.size()), table, id.toLongLong());
        if (!strUpdateSet.isEmpty())
            cnMain.execute(QStringLiteral("update [") + table + QStringLiteral("] set ") + strUpdateSet +
                           QStringLiteral(" where ID=") + QString::number(id.toLongLong()));
        tx.commit();
    } catch (const DbError &e) {
        reportError(e);  // nothing is written; the typed values stay for another try
        return;
    }
    MsgBox(QStringLiteral("数据信息。更新完成！"), Msg::vbOKOnly + Msg::vbExclamation);
    rstspzd->Requery();
    // The saved row stays the current one.
    if (!rstspzd->Find(QStringLiteral("id=") + QString::number(id.toLongLong())) && rstspzd->RecordCount() > 0)
        rstspzd->MoveFirst();
    m_frame.Gridspzd->setRecordset(rstspzd);
    SetGridCaptions(m_frame.Gridspzd, QStringLiteral("rsgz"));
    setEditing(false);
}

// Back to the row as stored: the boxes are filled again and the grid shows the month.
void FrmGZlr::cmdCancel()
{
    setEditing(false);
    if (rstspzd) {
        m_frame.Gridspzd->setRecordset(rstspzd);
        SetGridCaptions(m_frame.Gridspzd, QStringLiteral("rsgz"));
    }
    getgznr();
}

bool FrmGZlr::hasPendingEdit() const
{
    if (!m_editing || !rstspzd || !rstspzd->isOpen() || rstspzd->currentRow() < 0)
        return false;
    for (const QLineEdit *box : txtspzd) {
        const QString field = boxDataField(box);
        if (field.isEmpty() || rstspzd->fieldIndex(field) < 0)
            continue;
        const QVariant stored = rstspzd->value(field);
        if (box->text() != (stored.isNull() ? QString() : stored.toString()))
            return true;
    }
    return false;
}

bool FrmGZlr::savePendingEdit()
{
    try {
        cmdSave();
    } catch (const DbError &e) {
        reportError(e);
    }
    return !m_editing;
}

void FrmGZlr::discardPendingEdit()
{
    try {
        cmdCancel();
    } catch (const DbError &e) {
        reportError(e);
    }
}

void FrmGZlr::closeEvent(QCloseEvent *event)
{
    if (!OpenWindows::ConfirmPendingEdit(*this)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void FrmGZlr::cmdDelete()
{
    if (!rstspzd)
        return;  // no month open
    DeleteCurrentRecord(*rstspzd);
}

void FrmGZlr::cmdFind()
{
    // The employee number typed in Txtfind, searched forward from the current row within the open month.
    if (!rstspzd)
        return;  // no month open
    FindEmployeeNumber(*rstspzd, Txtfind->text());
}

void FrmGZlr::Cmdmove_Click(int index)
{
    if (!rstspzd)
        return;
    try {
        MoveByButton(*rstspzd, index, [this](bool back, bool forward) { cmd_yd(back, forward); });
    } catch (const DbError &e) {
        reportError(e);
    }
}

bool FrmGZlr::eventFilter(QObject *watched, QEvent *event)
{
    return HandleFieldBoxEvent(txtspzd, watched, event) || QWidget::eventFilter(watched, event);
}
