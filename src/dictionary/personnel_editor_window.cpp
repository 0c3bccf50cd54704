// FrmRSdagl: the personnel records editor, one caption and input box per dh_codedict row over rsda.
#include "dictionary/personnel_editor_window.h"

#include "app/program_state.h"
#include "app/sql_text.h"
#include "dictionary/dictionary_fields.h"
#include "dictionary/dictionary_tables.h"
#include "dictionary/personnel_tables.h"
#include "platform/db/recordset.h"
#include "platform/shell/shell.h"
#include "platform/ui/bound_line_edit.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/keyed_toolbar.h"
#include "platform/ui/message_service.h"
#include "platform/ui/twips.h"
#include "printing/dictionary_report.h"

#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

void place(QWidget *w, int left, int top, int width, int height) { w->setGeometry(Twips::rect(left, top, width, height)); }

QString text(const Recordset *rs, int row, const char *field)
{
    const int c = rs->fieldIndex(QString::fromLatin1(field));
    const QVariant v = c < 0 ? QVariant() : rs->valueAt(row, c);
    return v.isNull() ? QString() : v.toString().trimmed();
}

} // namespace

FrmRSdagl::FrmRSdagl(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmRSdagl"));
    setWindowTitle(QStringLiteral("人事档案管理"));

    Toolbar1 = new KeyedToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    // Captions only: with pictures under them the buttons would not fit the 540-twip strip.
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const char *const buttons[][2] = {{"new", "新增"},     {"Edit", "修改"},      {"save", "保存"},   {"cancel", "取消"},
                                      {"delete", "删除"},  {"find", "查询"},      {"printview", "预览"},
                                      {"print", "打印"},   {"help", "帮助"},      {"exit", "退出"}};
    for (const auto &b : buttons)
        Toolbar1->addButton(QString::fromLatin1(b[0]), QString::fromUtf8(b[1]));
    connect(Toolbar1, &KeyedToolBar::buttonClicked, this, &FrmRSdagl::Toolbar1_ButtonClick);

    // First, previous, next and last, on the toolbar's strip to the right of its buttons.
    const char *const moveText[4] = {"|◀", "◀", "▶", "▶|"};
    const char *const moveName[4] = {"第一条", "上一条", "下一条", "最后一条"};
    for (int i = 0; i < 4; ++i) {
        Cmdmove[i] = new QPushButton(QString::fromUtf8(moveText[i]), this);
        Cmdmove[i]->setObjectName(QStringLiteral("Cmdmove_%1").arg(i));
        Cmdmove[i]->setAccessibleName(QString::fromUtf8(moveName[i]));
        Cmdmove[i]->setToolTip(QString::fromUtf8(moveName[i]));
        Cmdmove[i]->setFocusPolicy(Qt::NoFocus);
        connect(Cmdmove[i], &QPushButton::clicked, this, [this, i] { Cmdmove_Click(i); });
    }

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));

    // Tab 0: the entry canvas, in a scroll area so that every box stays reachable in a small window.
    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("ScrEntry"));
    scroll->setFrameShape(QFrame::NoFrame);
    m_entryPage = new QWidget;
    m_entryPage->setObjectName(QStringLiteral("EntryPage"));
    m_entryPage->resize(Twips::toPx(11500), Twips::toPx(7300));
    scroll->setWidget(m_entryPage);
    SSTab1->addTab(scroll, QStringLiteral("录入"));

    Image1 = new QLabel(m_entryPage);
    Image1->setObjectName(QStringLiteral("Image1"));
    place(Image1, 5400, 2000, 5700, 4800);
    Image1->setScaledContents(true);
    Label3 = new QLabel(QStringLiteral("员工档案管理"), m_entryPage);
    Label3->setObjectName(QStringLiteral("Label3"));
    QFont titleFont = Label3->font();
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    Label3->setFont(titleFont);
    place(Label3, 570, 120, 3000, 420);
    auto *Line1 = new QFrame(m_entryPage);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    place(Line1, 570, 600, 10600, 30);
    Label1 = new QLabel(QStringLiteral("请输入查询商品编号:"), m_entryPage);
    Label1->setObjectName(QStringLiteral("Label1"));
    place(Label1, 6600, 780, 2050, 300);
    Txtfind = new QLineEdit(m_entryPage);
    Txtfind->setObjectName(QStringLiteral("Txtfind"));
    Txtfind->setAccessibleName(Label1->text());
    Label1->setBuddy(Txtfind);
    place(Txtfind, 8700, 720, 2475, 375);
    Label2 = new QLabel(QStringLiteral("选择参数类型"), m_entryPage);
    Label2->setObjectName(QStringLiteral("Label2"));
    place(Label2, 6600, 1380, 2050, 300);
    Class = new DataCombo(m_entryPage);
    Class->setObjectName(QStringLiteral("Class"));
    Class->setStyle(DataCombo::dbcDropdownList);
    Class->setAccessibleName(Label2->text());
    Label2->setBuddy(Class);
    place(Class, 8700, 1320, 2475, 375);
    connect(Class, &QComboBox::activated, this, [this] {
        try {
            BuildFields(tableCode());
        } catch (const DbError &e) {
            reportError(e);
        }
    });

    makeCaption(0);
    makeBox(0);

    Gridspzd = new DataGrid;
    Gridspzd->setObjectName(QStringLiteral("Gridspzd"));
    Gridspzd->setAccessibleName(QStringLiteral("员工档案列表"));
    auto *browse = new QWidget;
    auto *browseLayout = new QVBoxLayout(browse);
    browseLayout->setContentsMargins(4, 4, 4, 4);
    browseLayout->addWidget(Gridspzd);
    SSTab1->addTab(browse, QStringLiteral("浏览"));

    rsClass = new Recordset(this);
    Form_Load();
}

FrmRSdagl::~FrmRSdagl() = default;

void FrmRSdagl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Toolbar1->setGeometry(0, 0, width(), Twips::toPx(540));
    const int moveLeft[4] = {6600, 7185, 7620, 8055}, moveWidth[4] = {570, 420, 420, 450};
    for (int i = 0; i < 4; ++i) {
        place(Cmdmove[i], moveLeft[i], 0, moveWidth[i], 480);
        Cmdmove[i]->raise();
    }
    // The tab fills the window below the toolbar; its entry page scrolls when the window is
    // smaller than the designed 11625 × 7755.
    SSTab1->setGeometry(Twips::toPx(60), Twips::toPx(540), width() - Twips::toPx(120), height() - Twips::toPx(600));
}

void FrmRSdagl::Form_Load()
{
    resize(Twips::toPx(9315), Twips::toPx(6750));
    setEditing(false);
    try {
        rsClass->Open(ModDict::CatalogueSql(QStringLiteral("人事")), cnMain, Recordset::adOpenStatic,
                      Recordset::adLockReadOnly);
        Class->setRowSource(rsClass, QStringLiteral("table_name_explan"), QStringLiteral("table_name"));
        if (rsClass->RecordCount() > 0) {
            Class->setText(text(rsClass, 0, "table_name_explan"));
            BuildFields(tableCode());
            rsClass->MoveFirst();
        }
    } catch (const DbError &e) {
        if (e.number == DbError::ObjectNotFound) {
            // A new database: the personnel tables are made now and shown at the next opening.
            try {
                ModJgupdate::CreatePersonnelTables();
            } catch (const DbError &e2) {
                MsgBox(e2.description + QString::number(e2.number));
            }
        } else {
            MsgBox(e.description + QString::number(e.number));
        }
        return;
    }
    const QString picture = Shell::instance().programFolder() + QStringLiteral("/back.gif");
    if (QFileInfo::exists(picture))
        Image1->setPixmap(QPixmap(picture));
}

QString FrmRSdagl::tableCode() const { return Class->boundText().trimmed(); }

QList<QLineEdit *> FrmRSdagl::fieldBoxes() const
{
    QList<QLineEdit *> out;
    for (BoundLineEdit *b : txtspzd)
        out << b;
    return out;
}

QLabel *FrmRSdagl::makeCaption(int index)
{
    auto *label = new QLabel(m_entryPage);
    label->setObjectName(QStringLiteral("Labspzd_%1").arg(index));
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignVCenter | Qt::AlignRight);
    place(label, kCaptionLeft, captionTop(index), kCaptionWidth, kCaptionHeight);
    Labspzd.append(label);
    return label;
}

BoundLineEdit *FrmRSdagl::makeBox(int index)
{
    auto *box = new BoundLineEdit(m_entryPage);
    box->setObjectName(QStringLiteral("txtspzd_%1").arg(index));
    place(box, kBoxLeft, boxTop(index), kBoxWidth, kBoxHeight);
    box->setLocked(!m_editing);
    box->installEventFilter(this);
    connect(box, &BoundLineEdit::writeFailed, this,
            [this](int number, const QString &description) { reportError(DbError(number, description)); });
    Labspzd.value(index)->setBuddy(box);
    txtspzd.append(box);
    return box;
}

void FrmRSdagl::removeExtraFields()
{
    while (txtspzd.size() > 1) {
        delete txtspzd.takeLast();
        delete Labspzd.takeLast();
    }
}

void FrmRSdagl::BuildFields(const QString &tableCode)
{
    SSTab1->setCurrentIndex(0);
    // Both sets are opened before the old ones are let go, so a failure leaves the window as it was.
    auto records = std::make_unique<Recordset>(this);
    auto dict = std::make_unique<Recordset>(this);
    records->Open(QStringLiteral("select * from ") + tableCode + QStringLiteral(" order by [id]"), cnMain,
                  Recordset::adOpenDynamic, Recordset::adLockOptimistic);
    dict->Open(ModDict::PersonnelDictSql(tableCode), cnMain, Recordset::adOpenStatic, Recordset::adLockReadOnly);
    Gridspzd->setRecordset(records.get());
    for (BoundLineEdit *box : std::as_const(txtspzd))
        box->bind(nullptr, box->dataField());
    delete rsRecords;
    delete rsDict;
    rsRecords = records.release();
    rsDict = dict.release();

    const int n = rsDict->RecordCount();
    removeExtraFields();
    if (n < 1) {
        // Nothing to lay out: box 0 stays, empty and unbound; the grid keeps its default captions.
        Labspzd[0]->clear();
        txtspzd[0]->bind(nullptr, QString());
        txtspzd[0]->setAccessibleName(QString());
        SSTab1->setCurrentIndex(0);
        return;
    }
    for (int i = 0; i < n; ++i) {
        if (i > 0) {
            makeCaption(i)->show();
            makeBox(i)->show();
        }
        const QString caption = text(rsDict, i, "colm_name");
        Labspzd[i]->setText(caption);
        txtspzd[i]->setAccessibleName(caption);
        txtspzd[i]->bind(nullptr, QString());
        txtspzd[i]->bind(rsRecords, text(rsDict, i, "colm_code"));
    }
    m_entryPage->resize(m_entryPage->width(), qMax(Twips::toPx(7300), Twips::toPx(boxTop(n) + 300)));
    spzdbt_set();
    SSTab1->setCurrentIndex(0);
}

void FrmRSdagl::spzdbt_set()
{
    if (!rsDict || !rsDict->isOpen())
        return;
    const int n = rsDict->RecordCount();
    for (int i = 1; i <= n && i < Gridspzd->columnCount(); ++i)
        Gridspzd->setColumnCaption(i, text(rsDict, i - 1, "colm_name"));
    if (Gridspzd->columnCount() > 0)
        Gridspzd->setColumnWidthTwips(0, 0);
}

void FrmRSdagl::cmd_yd(bool move_qian, bool move_hou) { SetMoveButtons(Cmdmove, move_qian, move_hou); }

void FrmRSdagl::cmdmoveSet(bool blnbj)
{
    for (QPushButton *b : Cmdmove)
        b->setEnabled(blnbj);
}

void FrmRSdagl::kongjian_enabled(bool jzbl) { SetEditorToolbar(*Toolbar1, jzbl); }

// Browsing or editing: boxes, navigation and toolbar together. While a row is being edited the
// grid and the category list cannot move away from it, so a pending edit is never written unchecked.
void FrmRSdagl::setEditing(bool editing)
{
    m_editing = editing;
    LockFields(fieldBoxes(), int(txtspzd.size()), !editing);
    cmdmoveSet(!editing);
    kongjian_enabled(!editing);
    Gridspzd->setEnabled(!editing);
    Class->setEnabled(!editing);
}

void FrmRSdagl::reportError(const DbError &e)
{
    MsgBox(e.description + QString::number(e.number), Msg::vbOKOnly + Msg::vbCritical);
}

void FrmRSdagl::Toolbar1_ButtonClick(const QString &key)
{
    if (!rsRecords && key != QLatin1String("exit") && key != QLatin1String("help") && key != QLatin1String("print"))
        return;  // nothing was opened (a new database, or a failed opening)
    try {
        if (key == QLatin1String("new")) {
            Gridspzd->setRecordset(nullptr);
            rsRecords->AddNew();
            setEditing(true);
        } else if (key == QLatin1String("Edit")) {
            if (rsRecords->currentRow() < 0)
                return;  // no current row to change
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
            DictReport(tableCode(), *rsRecords, QStringLiteral("v"));
        } else if (key == QLatin1String("exit")) {
            close();
        }
    } catch (const DbError &e) {
        reportError(e);
    }
}

void FrmRSdagl::cmdSave()
{
    if (!CheckPersonnelFields(tableCode(), fieldBoxes()))
        return;  // its message is shown; editing goes on
    if (rsRecords->RecordCount() >= 1) {
        try {
            rsRecords->Update();
        } catch (const DbError &e) {
            reportError(e);  // the row stays pending with what was typed; editing goes on
            return;
        }
    }
    Gridspzd->setRecordset(rsRecords);
    spzdbt_set();
    setEditing(false);
}

void FrmRSdagl::cmdCancel()
{
    if (rsRecords->RecordCount() >= 1) {
        rsRecords->CancelUpdate();
        Gridspzd->setRecordset(rsRecords);
    }
    spzdbt_set();
    setEditing(false);
}

void FrmRSdagl::cmdDelete()
{
    DeleteCurrentRecord(*rsRecords);
}

void FrmRSdagl::cmdFind()
{
    // The employee number typed in Txtfind, searched forward from the current row.
    FindEmployeeNumber(*rsRecords, Txtfind->text());
}

void FrmRSdagl::Cmdmove_Click(int index)
{
    if (!rsRecords)
        return;
    try {
        MoveByButton(*rsRecords, index, [this](bool back, bool forward) { cmd_yd(back, forward); });
    } catch (const DbError &e) {
        reportError(e);
    }
}

bool FrmRSdagl::eventFilter(QObject *watched, QEvent *event)
{
    return HandleFieldBoxEvent(QList<QLineEdit *>(txtspzd.cbegin(), txtspzd.cend()), watched, event) || QWidget::eventFilter(watched, event);
}
