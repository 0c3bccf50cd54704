// FrmRSdagl: the personnel records editor, one caption and input box per dh_codedict row over rsda.
#include "dictionary/personnel_editor_window.h"

#include "dictionary/personnel_import_window.h"

#include "app/program_state.h"
#include "app/sql_text.h"
#include "dictionary/dictionary_fields.h"
#include "dictionary/editor_frame.h"
#include "dictionary/dictionary_tables.h"
#include "dictionary/personnel_tables.h"
#include "platform/db/recordset.h"
#include "platform/ui/bound_line_edit.h"
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
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>

namespace {

void place(QWidget *w, int left, int top, int width, int height) { w->setGeometry(Twips::rect(left, top, width, height)); }

QString text(const Recordset *rs, int row, const char *field)
{
    const int c = rs->fieldIndex(QString::fromLatin1(field));
    const QVariant v = c < 0 ? QVariant() : rs->valueAt(row, c);
    return fieldValueText(v).trimmed();
}

} // namespace

FrmRSdagl::FrmRSdagl(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmRSdagl"));
    setWindowTitle(QStringLiteral("人事档案管理"));

    // Tab 0: the entry canvas, in a scroll area so that every box stays reachable in a small window.
    m_scroll = new QScrollArea;
    m_scroll->setObjectName(QStringLiteral("ScrEntry"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_entryPage = new QWidget;
    m_entryPage->setObjectName(QStringLiteral("EntryPage"));
    m_entryPage->resize(Twips::toPx(kEntryWidth), Twips::toPx(kEntryHeight));
    m_scroll->setWidget(m_entryPage);
    m_scroll->viewport()->installEventFilter(this);
    m_frame = BuildEditorFrame(
        this, m_scroll, QStringLiteral("员工档案列表"), [this](const QString &key) { Toolbar1_ButtonClick(key); },
        [this](int i) { Cmdmove_Click(i); });
    // Employees kept in a spreadsheet come in through the import window.
    m_frame.Toolbar1->addButton(QStringLiteral("import"), QStringLiteral("导入"),
                                QStringLiteral("从 xlsx 或 csv 文件导入员工"));

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
    Line1 = new QFrame(m_entryPage);
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

    rsClass = new Recordset(this);
    Form_Load();
}

FrmRSdagl::~FrmRSdagl() = default;

void FrmRSdagl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The entry page scrolls when the window is smaller than the designed 11625 × 7755.
    LayoutEditorFrame(this, m_frame);
}

void FrmRSdagl::Form_Load()
{
    resize(Twips::toPx(9315), Twips::toPx(6750));
    setEditing(false);
    const bool loaded = OpenEditorCatalogue(*rsClass, *Class, QStringLiteral("人事"), [this] {
        BuildFields(tableCode());
        rsClass->MoveFirst();
    });
    if (loaded)
        ShowProgramPicture(Image1, QStringLiteral("back.gif"));
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
    m_frame.SSTab1->setCurrentIndex(0);
    // Both sets are opened before the old ones are let go, so a failure leaves the window as it was.
    auto records = std::make_unique<Recordset>(this);
    auto dict = std::make_unique<Recordset>(this);
    records->Open(QStringLiteral("select * from ") + tableCode + QStringLiteral(" order by [id]"), cnMain,
                  Recordset::adOpenDynamic, Recordset::adLockOptimistic);
    dict->Open(ModDict::PersonnelDictSql(tableCode), cnMain, Recordset::adOpenStatic, Recordset::adLockReadOnly);
    m_frame.Gridspzd->setRecordset(records.get());
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
        m_frame.SSTab1->setCurrentIndex(0);
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
    m_entryPage->resize(m_entryPage->width(), qMax(Twips::toPx(kEntryHeight), Twips::toPx(boxTop(n) + 300)));
    fitEntryPage();
    spzdbt_set();
    m_frame.SSTab1->setCurrentIndex(0);
}

void FrmRSdagl::spzdbt_set()
{
    if (!rsDict || !rsDict->isOpen())
        return;
    const int n = rsDict->RecordCount();
    for (int i = 1; i <= n && i < m_frame.Gridspzd->columnCount(); ++i)
        m_frame.Gridspzd->setColumnCaption(i, text(rsDict, i - 1, "colm_name"));
    if (m_frame.Gridspzd->columnCount() > 0)
        m_frame.Gridspzd->setColumnWidthTwips(0, 0);
}

void FrmRSdagl::cmd_yd(bool move_qian, bool move_hou) { SetMoveButtons(m_frame.Cmdmove, move_qian, move_hou); }

void FrmRSdagl::cmdmoveSet(bool blnbj)
{
    for (QPushButton *b : m_frame.Cmdmove)
        b->setEnabled(blnbj);
}

void FrmRSdagl::kongjian_enabled(bool jzbl) { SetEditorToolbar(*m_frame.Toolbar1, jzbl); }

// Browsing or editing: boxes, navigation and toolbar together. While a row is being edited the
// grid and the category list cannot move away from it, so a pending edit is never written unchecked.
void FrmRSdagl::setEditing(bool editing)
{
    m_editing = editing;
    LockFields(fieldBoxes(), int(txtspzd.size()), !editing);
    cmdmoveSet(!editing);
    kongjian_enabled(!editing);
    m_frame.Gridspzd->setEnabled(!editing);
    Class->setEnabled(!editing);
    m_frame.Toolbar1->setButtonEnabled(QStringLiteral("import"), !editing);
}

void FrmRSdagl::reportError(const DbError &e)
{
    MsgBox(e.numbered(), Msg::vbOKOnly + Msg::vbCritical);
}

void FrmRSdagl::Toolbar1_ButtonClick(const QString &key)
{
    if (!rsRecords && key != QLatin1String("exit") && key != QLatin1String("help") && key != QLatin1String("print"))
        return;  // nothing was opened (a new database, or a failed opening)
    try {
        if (key == QLatin1String("new")) {
            m_frame.Gridspzd->setRecordset(nullptr);
            rsRecords->AddNew();
            setEditing(true);
            // The new record starts at its first box.
            m_frame.SSTab1->setCurrentIndex(0);
            txtspzd[0]->setFocus(Qt::OtherFocusReason);
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
        } else if (key == QLatin1String("import")) {
            openImport();
        } else if (key == QLatin1String("exit")) {
            close();
        }
    } catch (const DbError &e) {
        reportError(e);
    }
}

void FrmRSdagl::openImport()
{
    if (m_import) {
        m_import->raise();
        m_import->activateWindow();
        return;
    }
    auto *w = new FrmRsdr(tableCode(), this);
    m_import = w;
    // The imported employees show at once.
    connect(w, &FrmRsdr::imported, this, [this] { BuildFields(tableCode()); });
    w->show();
}

void FrmRSdagl::cmdSave()
{
    if (!CheckPersonnelFields(tableCode(), fieldBoxes()))
        return;  // its message is shown; editing goes on
    if (rsRecords->RecordCount() >= 1) {
        try {
            if (numberAlreadyUsed())
                return;  // its message is shown; editing goes on
            rsRecords->Update();
        } catch (const DbError &e) {
            reportError(e);  // the row stays pending with what was typed; editing goes on
            return;
        }
    }
    m_frame.Gridspzd->setRecordset(rsRecords);
    spzdbt_set();
    setEditing(false);
}

// Each employee has a number of their own: a second employee with the same number would get two
// wage rows a month. Blanks at either end do not make a number different.
bool FrmRSdagl::numberAlreadyUsed()
{
    const int numberColumn = rsRecords->fieldIndex(QStringLiteral("f1"));
    const int idColumn = rsRecords->fieldIndex(QStringLiteral("id"));
    if (numberColumn < 0 || rsRecords->currentRow() < 0)
        return false;
    const QString number = rsRecords->value(numberColumn).toString().trimmed();
    if (number.isEmpty())
        return false;
    const QVariant id = idColumn < 0 ? QVariant() : rsRecords->value(idColumn);
    QString sql = QStringLiteral("select count(*) from ") + rsRecords->baseTable() +
                  QStringLiteral(" where trim(f1)=?");
    QVariantList params{number};
    if (!id.isNull()) {
        sql += QStringLiteral(" and id<>?");
        params << id;
    }
    if (cnMain.query(sql, params).rows.value(0).value(0).toLongLong() == 0)
        return false;
    MsgBox(QStringLiteral("员工编号“%1”已被其他员工使用，请重新输入。").arg(number), Msg::vbOKOnly + Msg::vbExclamation);
    return true;
}

bool FrmRSdagl::hasPendingEdit() const { return m_editing && rsRecords && rsRecords->hasChanges(); }

bool FrmRSdagl::savePendingEdit()
{
    cmdSave();
    return !m_editing;
}

void FrmRSdagl::discardPendingEdit()
{
    try {
        cmdCancel();
    } catch (const DbError &e) {
        reportError(e);
    }
}

void FrmRSdagl::closeEvent(QCloseEvent *event)
{
    if (!OpenWindows::ConfirmPendingEdit(*this)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void FrmRSdagl::cmdCancel()
{
    if (rsRecords->RecordCount() >= 1) {
        rsRecords->CancelUpdate();
        m_frame.Gridspzd->setRecordset(rsRecords);
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

// The entry page as wide as the tab when the tab is wider than the design: the boxes grow (to twice
// their width at most), and the find box, the category list and the picture keep to the right.
void FrmRSdagl::fitEntryPage()
{
    if (!Line1)
        return;  // still being built
    const int extra = qMax(0, m_scroll->viewport()->width() - Twips::toPx(kEntryWidth));
    m_entryPage->resize(Twips::toPx(kEntryWidth) + extra, m_entryPage->height());
    const struct {
        QWidget *widget;
        int left;
    } right[] = {{Label1, 6600}, {Txtfind, 8700}, {Label2, 6600}, {Class, 8700}, {Image1, 5400}};
    for (const auto &r : right)
        r.widget->move(Twips::toPx(r.left) + extra, r.widget->y());
    Line1->resize(Twips::toPx(10600) + extra, Line1->height());
    for (BoundLineEdit *box : std::as_const(txtspzd))
        box->resize(Twips::toPx(kBoxWidth) + qMin(extra, Twips::toPx(kBoxWidth)), box->height());
}

bool FrmRSdagl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize)
        fitEntryPage();
    // Enter (or Tab) into a box out of sight scrolls the page to it.
    if (event->type() == QEvent::FocusIn)
        for (BoundLineEdit *box : std::as_const(txtspzd))
            if (watched == box) {
                // The whole box with its caption and a little room, not only its text cursor.
                const QRect r = box->geometry().united(Labspzd.value(int(txtspzd.indexOf(box)))->geometry());
                m_scroll->ensureVisible(r.center().x(), r.center().y(), r.width() / 2 + Twips::toPx(120),
                                        r.height() / 2 + Twips::toPx(kBoxGap * 4));
            }
    return HandleFieldBoxEvent(QList<QLineEdit *>(txtspzd.cbegin(), txtspzd.cend()), watched, event) || QWidget::eventFilter(watched, event);
}
