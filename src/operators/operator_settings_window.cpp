// Frm_czyset: the "操作员设置" window: add and delete operators, assign each one its permissions.
#include "operators/operator_settings_window.h"

#include "app/permissions.h"
#include "app/program_state.h"
#include "app/startup.h"
#include "operators/activity_log.h"
#include "operators/operator_accounts.h"
#include "operators/password_echo.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/keyed_toolbar.h"
#include "platform/ui/message_service.h"
#include "platform/ui/design_layout.h"
#include "platform/ui/twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>

using namespace ModCzygl;

namespace {
const QString kCaption = QStringLiteral("操作员设置");
const QString kOperatorsSql = QStringLiteral("select * from czyzd where sys_tag=0");
constexpr int kWidth = 8400, kHeight = 6900;

QLabel *label(QWidget *parent, const char *name, const QString &text, int left, int top, int width)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(Twips::rect(left, top, width, 300));
    return l;
}

QLineEdit *box(QWidget *parent, const char *name, QLabel *caption, int left, int top)
{
    auto *b = new QLineEdit(parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(Twips::rect(left, top, 2400, 330));
    b->setAccessibleName(caption->text().remove(QLatin1Char(':')));
    caption->setBuddy(b);
    return b;
}
} // namespace

Frm_czyset::Frm_czyset(QWidget *parent)
    : QWidget(parent), rsOperators(new Recordset(this)), rsZwlx(new Recordset(this))
{
    setObjectName(QStringLiteral("Frm_czyset"));
    setWindowTitle(kCaption);
    buildControls();
    Form_Load();
}

Frm_czyset::~Frm_czyset() { finishUse(); }

void Frm_czyset::buildControls()
{
    resize(Twips::toPx(kWidth), Twips::toPx(kHeight));

    Toolbar1 = new KeyedToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    const char *const buttons[][2] = {{"new", "新增"},    {"save", "保存"},   {"cancl", "取消"}, {"modefy", "修改"},
                                      {"delete", "删除"}, {"find", "查询"},   {"view", "预览"},  {"print", "打印"},
                                      {"help", "帮助"},   {"exit", "退出"}};
    for (const auto &b : buttons)
        Toolbar1->addButton(QString::fromLatin1(b[0]), QString::fromUtf8(b[1]));
    Toolbar1->setGeometry(0, 0, width(), Twips::toPx(900));
    connect(Toolbar1, &KeyedToolBar::buttonClicked, this, &Frm_czyset::Toolbar1_ButtonClick);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setGeometry(Twips::rect(120, 960, kWidth - 240, kHeight - 1080));

    // Tab 0: a new operator, and the operators there are.
    auto *addPage = new QWidget;
    SSTab1->addTab(addPage, QStringLiteral("增加"));
    Label1 = label(addPage, "Label1", QStringLiteral("姓名:"), 240, 300, 900);
    Text1 = box(addPage, "Text1", Label1, 1200, 270);
    Label2 = label(addPage, "Label2", QStringLiteral("口令:"), 240, 750, 900);
    Text2 = box(addPage, "Text2", Label2, 1200, 720);
    Label4 = label(addPage, "Label4", QStringLiteral("确认口令"), 4080, 750, 900);
    Text3 = box(addPage, "Text3", Label4, 5040, 720);
    PasswordEcho::echoStars(Text2);
    PasswordEcho::echoStars(Text3);
    Label5 = label(addPage, "Label5", QStringLiteral("职位类型"), 4080, 300, 900);
    datazwlx = new DataCombo(addPage);
    datazwlx->setObjectName(QStringLiteral("datazwlx"));
    datazwlx->setGeometry(Twips::rect(5040, 270, 2400, 330));
    datazwlx->setAccessibleName(Label5->text());
    Label5->setBuddy(datazwlx);

    DataGrid1 = new DataGrid(addPage);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setAccessibleName(QStringLiteral("操作员列表"));
    DataGrid1->setSortable(true);  // the operators' query fixes no order
    DataGrid1->setGeometry(Twips::rect(240, 1260, kWidth - 720, kHeight - 2880));

    // Tab 1: the permissions of one operator.
    auto *rightsPage = new QWidget;
    SSTab1->addTab(rightsPage, QStringLiteral("权限设置"));
    Label3 = label(rightsPage, "Label3", QStringLiteral("人员列表:"), 240, 300, 1000);
    combczy = new DataCombo(rightsPage);
    combczy->setObjectName(QStringLiteral("combczy"));
    combczy->setStyle(DataCombo::dbcDropdownList);
    combczy->setGeometry(Twips::rect(1260, 270, 2400, 330));
    combczy->setAccessibleName(QStringLiteral("人员列表"));
    Label3->setBuddy(combczy);
    connect(combczy, &QComboBox::activated, this, [this] { CzyqxStar(); });

    Option1 = new QRadioButton(QStringLiteral("列表"), rightsPage);
    Option1->setObjectName(QStringLiteral("Option1"));
    Option1->setGeometry(Twips::rect(3960, 285, 900, 300));
    Option1->setChecked(true);
    Option2 = new QRadioButton(QStringLiteral("详细资料"), rightsPage);
    Option2->setObjectName(QStringLiteral("Option2"));
    Option2->setGeometry(Twips::rect(4920, 285, 1200, 300));
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            showAsReport(false);
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            showAsReport(true);
    });
    Check1 = new QCheckBox(QStringLiteral("全选"), rightsPage);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setGeometry(Twips::rect(6360, 285, 900, 300));
    // Toggled, not clicked: the box ticks or clears the list however it changes (a click, the space
    // bar, or assistive technology toggling it, which emits no click).
    connect(Check1, &QCheckBox::toggled, this, &Frm_czyset::Check1_Click);

    ListView1 = new QTreeWidget(rightsPage);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setAccessibleName(QStringLiteral("会员权限"));
    ListView1->setRootIsDecorated(false);
    ListView1->setGeometry(Twips::rect(240, 780, kWidth - 720, kHeight - 2400));

    connect(SSTab1, &QTabWidget::currentChanged, this, &Frm_czyset::SSTab1_Click);

    // The toolbar spans the window, the tabs and their lists take what it gains.
    (new DesignLayout(this))
        ->stretch(Toolbar1, Qt::Horizontal)
        .stretch(SSTab1)
        .addPage(addPage, SSTab1)
        .stretch(DataGrid1)
        .addPage(rightsPage, SSTab1)
        .stretch(ListView1)
        .finish();
}

void Frm_czyset::Form_Load()
{
    try {
        Modczyrz::LogUseStart(kCaption);

        rsZwlx->Open(QStringLiteral("select * from zwlx"), cnMain, Recordset::adOpenKeyset, Recordset::adLockReadOnly);
        datazwlx->setRowSource(rsZwlx, QStringLiteral("zwlx"), QStringLiteral("zwlxbm"));
        if (!rsZwlx->eof())
            datazwlx->setText(rsZwlx->value(QStringLiteral("zwlx")).toString());

        rsOperators->Open(kOperatorsSql, cnMain, Recordset::adOpenDynamic, Recordset::adLockOptimistic);
        combczy->setRowSource(rsOperators, QStringLiteral("czy_Name"));
        DataGrid1->setRecordset(rsOperators);
        DataGrid1->setBoundColumns({QStringLiteral("czy_name"), QStringLiteral("sys_tag"), QStringLiteral("zwlx")},
                                   {QStringLiteral("姓名"), QStringLiteral("系统管理员标记"), QStringLiteral("职位类型")});
        if (!rsOperators->eof())
            combczy->setText(rsOperators->value(QStringLiteral("czy_name")).toString());
    } catch (const DbError &e) {
        MsgBox(e.numbered(), Msg::vbCritical);
    }

    // Tab 0 is showing: save has nothing to do until new or the permission tab.
    Toolbar1->setButtonEnabled(QStringLiteral("save"), false);
    showAsReport(false);
    ListView1->setHeaderLabels({QStringLiteral("会员权限")});
    for (const QString &name : kPermissionNames) {
        auto *item = new QTreeWidgetItem(ListView1, {name});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
}

// The plain list has no header; the report shows the column header "会员权限".
void Frm_czyset::showAsReport(bool report) { ListView1->setHeaderHidden(!report); }

void Frm_czyset::SSTab1_Click(int tab)
{
    if (tab == 0) {
        Toolbar1->setButtonEnabled(QStringLiteral("save"), false);
        return;
    }
    Toolbar1->setButtonEnabled(QStringLiteral("save"), true);
    try {
        RebuildSystemPermissions(cnMain);
        // The operator selected in the grid; with none there is nobody to show.
        const bool onRow = rsOperators->isOpen() && !rsOperators->bof() && !rsOperators->eof();
        combczy->setText(onRow ? rsOperators->value(QStringLiteral("czy_name")).toString() : QString());
        CzyqxStar();
    } catch (const DbError &e) {
        ModCWCl::ReportDbError(e);
    }
}

void Frm_czyset::CzyqxStar()
{
    QStringList held;
    try {
        held = OperatorPermissions(cnMain, combczy->text());
    } catch (const DbError &e) {
        ModCWCl::ReportDbError(e);
    }
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        ListView1->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
    for (const QString &nr : std::as_const(held)) {
        const QList<QTreeWidgetItem *> found = ListView1->findItems(nr, Qt::MatchExactly);
        if (!found.isEmpty())
            found.first()->setCheckState(0, Qt::Checked);
    }
}

void Frm_czyset::Check1_Click(bool checked)
{
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        ListView1->topLevelItem(i)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void Frm_czyset::Toolbar1_ButtonClick(const QString &key)
{
    // Every action ends at its first failure, reported by the common database-error report.
    try {
        if (key == QLatin1String("new"))
            addNew();
        else if (key == QLatin1String("save"))
            save();
        else if (key == QLatin1String("delete"))
            deleteOperator();
        else if (key == QLatin1String("exit"))
            close();
    } catch (const DbError &e) {
        ModCWCl::ReportDbError(e);
    }
}

void Frm_czyset::addNew()
{
    blnAdding = true;
    SSTab1->setCurrentIndex(0);
    Text1->clear();
    Text3->clear();
    Text2->clear();
    Toolbar1->setButtonEnabled(QStringLiteral("save"), true);
    Toolbar1->setButtonEnabled(QStringLiteral("new"), false);
}

void Frm_czyset::save()
{
    if (blnAdding)
        saveNewOperator();
    else
        savePermissions();
}

void Frm_czyset::saveNewOperator()
{
    switch (AddOperator(cnMain, Text1->text(), Text2->text(), Text3->text(), datazwlx->text())) {
    case AddResult::Duplicate:
        MsgBox(QStringLiteral("操作员姓名重复，请重新输入。"), Msg::vbExclamation);
        return;
    case AddResult::MissingNameOrPassword:
        return;
    case AddResult::PasswordMismatch:
        MsgBox(QStringLiteral("口令输入不一致，请重新输入"), Msg::vbCritical);
        return;
    case AddResult::ControlCharacters:
        MsgBox(QStringLiteral("操作员姓名和口令中不能含有控制字符，请重新输入。"), Msg::vbExclamation);
        return;
    case AddResult::Added:
        break;
    }
    if (datazwlx->text().isEmpty())
        datazwlx->setText(kDefaultJobType);
    blnAdding = false;
    MsgBox(QStringLiteral("操作员增加完成。"), Msg::vbExclamation);
    rsOperators->Requery();
    Toolbar1->setButtonEnabled(QStringLiteral("new"), true);
    Toolbar1->setButtonEnabled(QStringLiteral("save"), false);
}

void Frm_czyset::savePermissions()
{
    QStringList checked;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        if (ListView1->topLevelItem(i)->checkState(0) == Qt::Checked)
            checked << ListView1->topLevelItem(i)->text(0);
    SaveOperatorPermissions(cnMain, combczy->text(), checked);
    MsgBox(QStringLiteral("操作员权限修改完成。"), Msg::vbOKOnly | Msg::vbQuestion);
}

void Frm_czyset::deleteOperator()
{
    if (!rsOperators->isOpen() || (rsOperators->bof() && rsOperators->eof()))
        return;
    const QString name = rsOperators->value(QStringLiteral("czy_name")).toString();
    if (MsgBox(QStringLiteral("确认删除当前 '") + name + QStringLiteral("' 操作员吗?"), Msg::vbYesNo | Msg::vbQuestion) !=
        Msg::vbYes)
        return;
    DeleteOperator(cnMain, name);
    rsOperators->Requery();
    // The row after the first of the re-read list; with one row left, that row. An empty list
    // has no row to stand on.
    if (rsOperators->RecordCount() == 0)
        return;
    rsOperators->MoveNext();
    if (rsOperators->eof())
        rsOperators->MoveLast();
}

void Frm_czyset::closeEvent(QCloseEvent *event)
{
    finishUse();
    QWidget::closeEvent(event);
}

// Releases the operators and closes this use's log row, once, however the window goes.
void Frm_czyset::finishUse()
{
    if (m_finished)
        return;
    m_finished = true;
    rsOperators->Close();
    rsZwlx->Close();
    if (!cnMain.isOpen())
        return;
    try {
        Modczyrz::LogUseEnd(kCaption);
    } catch (const DbError &e) {
        ModCWCl::ReportDbError(e);
    }
}
