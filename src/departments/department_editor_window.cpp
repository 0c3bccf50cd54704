// Form_bmbmdy: the department code editor: controls, loading, closing, moves and the entry boxes' keys.
#include "departments/department_editor_window.h"

#include "app/program_state.h"
#include "departments/department_codes.h"
#include "operators/activity_log.h"
#include "platform/db/recordset.h"
#include "platform/ui/bound_line_edit.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/keyed_toolbar.h"
#include "platform/ui/message_service.h"
#include "platform/ui/twips.h"
#include "platform/ui/user_moves.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kWidth = 9420, kHeight = 5910, kToolbarHeight = 540;

void place(QWidget *w, int left, int top, int width, int height) { w->setGeometry(Twips::rect(left, top, width, height)); }

// The toolbar keys a keyboard shortcut stands for (the shortcuts of the buttons' tool tips).
const char *const kShortcuts[][2] = {{"Ctrl+P", "print"}, {"Ctrl+N", "Add"},  {"Ctrl+W", "Save"}, {"Ctrl+U", "Cancel"},
                                     {"Ctrl+F", "Find"},  {"F9", "Calc"},     {"Ctrl+Q", "Quit"}};

// The toolbar key of a pressed shortcut, empty when the key is none of them.
QString shortcutKey(const QKeyEvent *ke)
{
    const QKeySequence pressed(ke->keyCombination());
    for (const auto &s : kShortcuts)
        if (pressed == QKeySequence(QString::fromLatin1(s[0])))
            return QString::fromLatin1(s[1]);
    return QString();
}

} // namespace

Form_bmbmdy::Form_bmbmdy(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form_bmbmdy"));
    setWindowTitle(kCaption);
    rsBrowse = new Recordset(this);
    rsEntry = new Recordset(this);
    m_moves = new UserMoves(this);
    buildControls();
    Form_Load();
}

Form_bmbmdy::~Form_bmbmdy() { finishUse(); }

const QStringList &Form_bmbmdy::calculators()
{
    static const QStringList names{QStringLiteral("gnome-calculator"), QStringLiteral("galculator"),
                                   QStringLiteral("qalculate-gtk"), QStringLiteral("kcalc"), QStringLiteral("xcalc")};
    return names;
}

void Form_bmbmdy::buildToolbar()
{
    Toolbar = new KeyedToolBar(this);
    Toolbar->setObjectName(QStringLiteral("Toolbar"));
    Toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Key, caption, tool tip; an empty key is a separator. The catering system's "Sprk" is not
    // part of this system, and the keys without an action are left out.
    const char *const buttons[][3] = {{"PrintView", "预览", "打印预览"}, {"print", "打印", "打印 Ctrl+P"},
                                      {"", "", ""},                    {"Add", "增加", "增加 Ctrl+N"},
                                      {"", "", ""},                    {"Save", "保存", "保存 Ctrl+W"},
                                      {"Cancel", "撤销", "撤销 Ctrl+U"}, {"Dele", "删除", "删除"},
                                      {"", "", ""},                    {"Find", "查找", "查找 Ctrl+F"},
                                      {"", "", ""},                    {"Calc", "计算器", "计算器 F9"},
                                      {"", "", ""},                    {"Quit", "退出", "退出 Ctrl+Q"}};
    for (const auto &b : buttons) {
        if (!*b[0])
            Toolbar->addSeparator();
        else
            Toolbar->addButton(QString::fromLatin1(b[0]), QString::fromUtf8(b[1]), QString::fromUtf8(b[2]));
    }
    connect(Toolbar, &KeyedToolBar::buttonClicked, this, &Form_bmbmdy::Toolbar_ButtonClick);

}

void Form_bmbmdy::buildControls()
{
    buildToolbar();
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));

    // Tab 0: the boxes on a canvas in twips, the grid below them.
    auto *definition = new QWidget;
    auto *defLayout = new QVBoxLayout(definition);
    defLayout->setContentsMargins(Twips::toPx(60), 0, Twips::toPx(60), Twips::toPx(60));
    auto *canvas = new QWidget;
    canvas->setObjectName(QStringLiteral("DefinitionCanvas"));
    canvas->setFixedHeight(Twips::toPx(1500));
    defLayout->addWidget(canvas);

    const char *const captions[5] = {" 部门编码", " 部门名称", " 部门类别", " 负责人：", " 电  话："};
    const char *const fields[5] = {"bmcode", "name", "cg", "fzr", "dh"};
    const int labelLeft[5] = {60, 2790, 6420, 60, 2790}, labelTop[5] = {180, 180, 180, 630, 630};
    const int boxLeft[5] = {1140, 3870, 7500, 1140, 3870}, boxWidth[5] = {1500, 2400, 1500, 1500, 2400};
    for (int i = 0; i < 5; ++i) {
        Label1[i] = new QLabel(QString::fromUtf8(captions[i]), canvas);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        place(Label1[i], labelLeft[i], labelTop[i], 1080, 300);
        Text1[i] = new BoundLineEdit(canvas);
        Text1[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
        Text1[i]->setProperty("dataField", QString::fromLatin1(fields[i]));
        Text1[i]->setAccessibleName(Label1[i]->text().trimmed());
        Label1[i]->setBuddy(Text1[i]);
        place(Text1[i], boxLeft[i], labelTop[i] - 30, boxWidth[i], 330);
    }
    Text1[2]->setToolTip(QStringLiteral("1 采购部门 2 仓库 3 营业部门 4 非营业部门"));

    // Box 14 (the kind name) lies over box 2 (the kind code) and gives way while the code is typed.
    Text1[14] = new BoundLineEdit(canvas);
    Text1[14]->setObjectName(QStringLiteral("Text1_14"));
    Text1[14]->setAccessibleName(QStringLiteral("部门类别名称"));
    Text1[14]->setFocusPolicy(Qt::ClickFocus);
    Text1[14]->setGeometry(Text1[2]->geometry());
    Text1[14]->raise();
    Text1[13] = new BoundLineEdit(canvas);
    Text1[13]->setObjectName(QStringLiteral("Text1_13"));
    Text1[13]->setAccessibleName(QStringLiteral("级别"));
    Text1[13]->setToolTip(QStringLiteral("级别"));
    Text1[13]->setLocked(true);
    Text1[13]->setFocusPolicy(Qt::NoFocus);
    place(Text1[13], 7500, 600, 600, 330);
    for (int i : {0, 1, 2, 3, 4, 14}) {
        Text1[i]->installEventFilter(this);
        connect(Text1[i], &BoundLineEdit::writeFailed, this,
                [this](int number, const QString &description) { reportError(DbError(number, description)); });
    }
    for (int i = 0; i < 4; ++i)
        setTabOrder(Text1[i], Text1[i + 1]);

    LabbmBmcd = new QLabel(QStringLiteral("部门编码长度设定为："), canvas);
    LabbmBmcd->setObjectName(QStringLiteral("LabbmBmcd"));
    place(LabbmBmcd, 60, 1110, 4200, 300);

    const char *const moveText[4] = {"|◀", "◀", "▶", "▶|"};
    const char *const moveName[4] = {"第一条", "上一条", "下一条", "最后一条"};
    for (int i = 0; i < 4; ++i) {
        Cmdmove[i] = new QPushButton(QString::fromUtf8(moveText[i]), canvas);
        Cmdmove[i]->setObjectName(QStringLiteral("Cmdmove_%1").arg(i));
        Cmdmove[i]->setAccessibleName(QString::fromUtf8(moveName[i]));
        Cmdmove[i]->setToolTip(QString::fromUtf8(moveName[i]));
        Cmdmove[i]->setFocusPolicy(Qt::NoFocus);
        place(Cmdmove[i], 6420 + i * 660, 1050, 630, 360);
        connect(Cmdmove[i], &QPushButton::clicked, this, [this, i] { Cmdmove_Click(i); });
    }

    daGridDy = new DataGrid;
    daGridDy->setObjectName(QStringLiteral("daGridDy"));
    daGridDy->setAccessibleName(QStringLiteral("部门编码列表"));
    defLayout->addWidget(daGridDy, 1);
    SSTab1->addTab(definition, QStringLiteral("编码定义"));

    auto *browse = new QWidget;
    auto *browseLayout = new QVBoxLayout(browse);
    browseLayout->setContentsMargins(4, 4, 4, 4);
    DaGridLy = new DataGrid;
    DaGridLy->setObjectName(QStringLiteral("DaGridLy"));
    DaGridLy->setAccessibleName(QStringLiteral("部门编码浏览"));
    browseLayout->addWidget(DaGridLy);
    SSTab1->addTab(browse, QStringLiteral("编码浏览"));

    connect(rsBrowse, &Recordset::moved, this, [this] {
        use_check();
        if (m_bound == rsBrowse)
            rememberOwnCode();
    });
    connect(rsEntry, &Recordset::moved, this, [this] {
        if (m_bound == rsEntry)
            rememberOwnCode();
    });
}

// The shortcuts of the toolbar's tool tips belong to this window while it has the focus: they are
// claimed before the main window's menu sees them (its Ctrl+Q ends the program), then run here.
bool Form_bmbmdy::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && !m_finished &&
        !shortcutKey(static_cast<QKeyEvent *>(event)).isEmpty()) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void Form_bmbmdy::keyPressEvent(QKeyEvent *event)
{
    if (!runShortcut(event))
        QWidget::keyPressEvent(event);
}

bool Form_bmbmdy::runShortcut(QKeyEvent *event)
{
    const QString key = shortcutKey(event);
    if (key.isEmpty() || m_finished)
        return false;
    event->accept();
    if (Toolbar->isButtonEnabled(key))
        Toolbar_ButtonClick(key);
    return true;
}

void Form_bmbmdy::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Toolbar->setGeometry(0, 0, width(), Twips::toPx(kToolbarHeight));
    SSTab1->setGeometry(0, Twips::toPx(kToolbarHeight), width(), height() - Twips::toPx(kToolbarHeight));
}

void Form_bmbmdy::Form_Load()
{
    resize(Twips::toPx(kWidth), Twips::toPx(kHeight));
    move(0, 0);
    try {
        Modczyrz::LogUseStart(kCaption);
    } catch (const DbError &e) {
        reportError(e);
    }
    ModBmCD::BmCdInit();
    LabbmBmcd->setText(LabbmBmcd->text() + ModBmCD::SegmentText(ModBmCD::BmCdLen));
    try {
        rsBrowse->Open(kSql, cnMain, Recordset::adOpenDynamic, Recordset::adLockOptimistic);
        rsEntry->Open(kSql, cnMain, Recordset::adOpenDynamic, Recordset::adLockOptimistic);
        bindGrids(rsBrowse);
        bmbm_set();
        cmd_yd(rsBrowse->RecordCount() >= 2, false);
        if (rsBrowse->RecordCount() >= 1)
            rsBrowse->MoveLast();
    } catch (const DbError &e) {
        MsgBox(e.numbered(), Msg::vbOKOnly + Msg::vbCritical);
    }
}

void Form_bmbmdy::closeEvent(QCloseEvent *event)
{
    if (!m_finished && !OpenWindows::ConfirmPendingEdit(*this)) {
        event->ignore();
        return;
    }
    finishUse();
    QWidget::closeEvent(event);
}

// The closing steps, once however the window goes: pending browse edits written, leaf flags
// recomputed, nameless departments removed, the log row closed.
void Form_bmbmdy::finishUse()
{
    if (m_finished)
        return;
    m_finished = true;
    if (!cnMain.isOpen())
        return;
    try {
        if (rsBrowse->isOpen())
            rsBrowse->Requery();
    } catch (const DbError &e) {
        reportError(e);
    }
    bindGrids(nullptr);
    bindBoxes(nullptr);
    rsBrowse->Close();
    rsEntry->Close();
    try {
        ModBmCD::CloseDepartmentCodes(cnMain);
    } catch (const DbError &e) {
        reportError(e);
    }
    try {
        Modczyrz::LogUseEnd(kCaption);
    } catch (const DbError &e) {
        reportError(e);
    }
}

void Form_bmbmdy::reportError(const DbError &e)
{
    MsgBox(e.numbered(), Msg::vbOKOnly + Msg::vbCritical);
}

void Form_bmbmdy::cmd_yd(bool move_qian, bool move_hou)
{
    Cmdmove[0]->setEnabled(move_qian);
    Cmdmove[1]->setEnabled(move_qian);
    Cmdmove[2]->setEnabled(move_hou);
    Cmdmove[3]->setEnabled(move_hou);
}

void Form_bmbmdy::kongjian_enabled(bool jzbl)
{
    for (const char *key : {"PrintView", "print", "Add", "Find", "Quit"})
        Toolbar->setButtonEnabled(QString::fromLatin1(key), jzbl);
    Toolbar->setButtonEnabled(QStringLiteral("Save"), !jzbl);
    Toolbar->setButtonEnabled(QStringLiteral("Cancel"), !jzbl);
}

void Form_bmbmdy::bindBoxes(Recordset *rs)
{
    m_bound = rs;
    for (int i : {0, 1, 2, 3, 4})
        Text1[i]->bind(rs, Text1[i]->property("dataField").toString());
    Text1[13]->bind(rs, QStringLiteral("point_h"));
    Text1[14]->bind(rs, QStringLiteral("bmsm"));
    rememberOwnCode();
}

void Form_bmbmdy::bmbm_set() { bindBoxes(rsBrowse); }

void Form_bmbmdy::bmbmadd_set() { bindBoxes(rsEntry); }

void Form_bmbmdy::bindGrids(Recordset *rs)
{
    daGridDy->setRecordset(rs);
    DaGridLy->setRecordset(rs);
}

// The stored code of the row the boxes show, kept while that row is being edited.
void Form_bmbmdy::rememberOwnCode()
{
    if (!m_bound || !m_bound->isOpen() || m_bound->currentRow() < 0) {
        m_ownCode.clear();
        return;
    }
    const int column = m_bound->fieldIndex(QStringLiteral("bmcode"));
    if (m_bound->EditMode() == Recordset::adEditNone && column >= 0)
        m_ownCode = m_bound->valueAt(m_bound->currentRow(), column).toString();
}

// A department with sub-departments or in use elsewhere keeps its code and cannot be deleted.
void Form_bmbmdy::use_check()
{
    if (rsBrowse->RecordCount() < 1 || rsBrowse->currentRow() < 0)
        return;
    // A table made without the flag columns reads as a leaf that is not in use.
    const int leafColumn = rsBrowse->fieldIndex(QStringLiteral("zzbj"));
    const int usedColumn = rsBrowse->fieldIndex(QStringLiteral("used_tag"));
    const QVariant leaf = leafColumn < 0 ? QVariant() : rsBrowse->valueAt(rsBrowse->currentRow(), leafColumn);
    const QVariant used = usedColumn < 0 ? QVariant() : rsBrowse->valueAt(rsBrowse->currentRow(), usedColumn);
    const bool locked = (!leaf.isNull() && !leaf.toBool()) || (!used.isNull() && used.toBool());
    if (m_bound == rsBrowse) {
        Text1[0]->setLocked(locked);
        Text1[4]->setLocked(locked);
    }
    Toolbar->setButtonEnabled(QStringLiteral("Dele"), !locked);
}

void Form_bmbmdy::Cmdmove_Click(int index)
{
    try {
        const int count = rsBrowse->RecordCount();
        if (count < 1)
            return;
        switch (index) {
        case 0:
            rsBrowse->MoveFirst();
            cmd_yd(false, true);
            break;
        case 1:
            if (rsBrowse->AbsolutePosition() > 1)
                rsBrowse->MovePrevious();
            cmd_yd(true, true);
            if (rsBrowse->AbsolutePosition() == 1)
                cmd_yd(false, true);
            break;
        case 2:
            if (rsBrowse->AbsolutePosition() < count)
                rsBrowse->MoveNext();
            cmd_yd(true, true);
            if (rsBrowse->AbsolutePosition() == count)
                cmd_yd(true, false);
            break;
        default:
            cmd_yd(true, false);
            rsBrowse->MoveLast();
        }
    } catch (const DbError &e) {
        reportError(e);
    }
}

bool Form_bmbmdy::eventFilter(QObject *watched, QEvent *event)
{
    int index = -1;
    for (int i : {0, 1, 2, 3, 4, 14})
        if (watched == Text1[i])
            index = i;
    if (index < 0 || m_finished)
        return QWidget::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // The window's shortcuts win over a line edit's own use of the same keys (Ctrl+U).
        if (!shortcutKey(static_cast<QKeyEvent *>(event)).isEmpty()) {
            event->accept();
            return true;
        }
        break;
    case QEvent::KeyPress: {
        auto *ke = static_cast<QKeyEvent *>(event);
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            boxEnter(index, false);
            return true;
        }
        if (runShortcut(ke))
            return true;
        break;
    }
    case QEvent::FocusIn:
        if (index == 2)
            Text1[14]->hide();
        else if (index == 14)
            Text1[2]->setFocus(Qt::OtherFocusReason);
        break;
    case QEvent::FocusOut: {
        if (index == 2)
            Text1[14]->show();
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // Leaving is the person's doing (Tab, a click inside this window, a shortcut); a message box
        // taking the focus for a moment, the window moving it itself, or the window system moving it
        // while the window is maximised, restored or its title bar double-clicked is not.
        const bool byPerson = reason == Qt::ShortcutFocusReason ||
                              ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                                reason == Qt::MouseFocusReason) && m_moves->active());
        const bool leaving = byPerson && QApplication::focusWidget() && isAncestorOf(QApplication::focusWidget());
        if ((index == 0 || index == 1) && leaving && isVisible())
            boxEnter(index, true);
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
