// FrmGZPlxg: the "工资批量修改" window: a condition from up to eight rows, one item set in every matching row.
#include "payroll/batch_modify_window.h"

#include "app/program_state.h"
#include "app/startup.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/keyed_toolbar.h"
#include "platform/ui/message_service.h"
#include "platform/ui/design_layout.h"
#include "platform/ui/twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace ModPlxg;

namespace {
// Layout of a condition row inside the tab page (twips).
constexpr int kRowTop = 420, kRowStep = 420, kRowHeight = 330;
constexpr int kItemLeft = 120, kItemWidth = 1900;
constexpr int kOpLeft = 2100, kOpWidth = 900;
constexpr int kValueLeft = 3080, kValueWidth = 2300;
constexpr int kPickerLeft = 5460, kPickerWidth = 1560;
constexpr int kJoinLeft = 7100, kJoinWidth = 1000;
constexpr int kSqlJoinLeft = 8180, kSqlJoinWidth = 600;

QString indexed(const char *name, int i) { return QLatin1String(name) + QLatin1Char('_') + QString::number(i); }
} // namespace

FrmGZPlxg::FrmGZPlxg(QWidget *parent) : QWidget(parent), rsDict(new Recordset(this))
{
    setObjectName(QStringLiteral("FrmGZPlxg"));
    setWindowTitle(QStringLiteral("工资批量修改"));
    buildControls();
    loadDictionary();
}

FrmGZPlxg::~FrmGZPlxg() = default;

void FrmGZPlxg::buildControls()
{
    resize(Twips::toPx(9480), Twips::toPx(8100));

    Toolbar1 = new KeyedToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    const QList<std::pair<const char *, const char *>> buttons{
        {"new", "新增"},    {"edit", "修改"},      {"save", "保存"},  {"cancel", "取消"}, {"delete", "删除"}, {"find", "查询"},
        {"dc", "导出"},     {"printview", "预览"}, {"print", "打印"}, {"help", "帮助"},   {"exit", "退出"}};
    for (const auto &[key, caption] : buttons) {
        Toolbar1->addButton(QLatin1String(key), QString::fromUtf8(caption));
        // Only "修改" and "退出" do something in this window.
        Toolbar1->setButtonEnabled(QLatin1String(key), QLatin1String(key) == QLatin1String("edit")
                                                            || QLatin1String(key) == QLatin1String("exit"));
    }
    Toolbar1->setGeometry(0, 0, width(), Twips::toPx(900));
    connect(Toolbar1, &KeyedToolBar::buttonClicked, this, &FrmGZPlxg::toolbarClicked);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setGeometry(Twips::rect(120, 960, 9240, 4800));
    auto *page = new QWidget;
    SSTab1->addTab(page, QStringLiteral("修改条件"));

    const QList<std::pair<int, const char *>> heads{
        {kItemLeft, "项目名称"}, {kOpLeft, "比较符"}, {kValueLeft, "条件值"}, {kJoinLeft, "连接"}};
    for (const auto &[left, text] : heads) {
        auto *head = new QLabel(QString::fromUtf8(text), page);
        head->setGeometry(Twips::rect(left, 120, 1500, 270));
    }

    for (int i = 0; i < kConditionRows; ++i) {
        const int top = kRowTop + i * kRowStep;
        const QString n = QString::number(i + 1);

        auto *item = new DataCombo(page);
        item->setObjectName(indexed("DataCombo1", i));
        item->setStyle(DataCombo::dbcDropdownList);
        item->setGeometry(Twips::rect(kItemLeft, top, kItemWidth, kRowHeight));
        item->setAccessibleName(QStringLiteral("项目名称") + n);
        DataCombo1 << item;

        auto *op = new QComboBox(page);
        op->setObjectName(indexed("Combo1", i));
        op->addItems(Operators());
        op->setCurrentText(QStringLiteral("="));
        op->setGeometry(Twips::rect(kOpLeft, top, kOpWidth, kRowHeight));
        op->setAccessibleName(QStringLiteral("比较符") + n);
        Combo1 << op;

        auto *value = new QLineEdit(page);
        value->setObjectName(indexed("txtsj", i));
        value->setGeometry(Twips::rect(kValueLeft, top, kValueWidth, kRowHeight));
        value->setAccessibleName(QStringLiteral("条件值") + n);
        value->installEventFilter(this);
        txtsj << value;

        if (i < kConnectors) {
            auto *join = new QComboBox(page);
            join->setObjectName(indexed("Combljtj", i));
            join->addItems(ConnectorCaptions());
            join->setGeometry(Twips::rect(kJoinLeft, top + kRowStep / 2, kJoinWidth, kRowHeight));
            join->setAccessibleName(QStringLiteral("连接") + n);
            join->setEnabled(false);
            Combljtj << join;

            auto *sqlJoin = new QLineEdit(QStringLiteral("and"), page);
            sqlJoin->setObjectName(indexed("Txttj", i));
            sqlJoin->setReadOnly(true);
            sqlJoin->setGeometry(Twips::rect(kSqlJoinLeft, top + kRowStep / 2, kSqlJoinWidth, kRowHeight));
            sqlJoin->setAccessibleName(QStringLiteral("连接符") + n);
            Txttj << sqlJoin;

            connect(join, &QComboBox::activated, this,
                    [this, i] { Txttj[i]->setText(ConnectorFor(Combljtj[i]->currentText())); });
            connect(value, &QLineEdit::textChanged, this,
                    [this, i](const QString &text) { Combljtj[i]->setEnabled(!text.isEmpty()); });
        }
    }

    DTPheLp = new QDateEdit(QDate::currentDate(), page);
    DTPheLp->setObjectName(QStringLiteral("DTPheLp"));
    DTPheLp->setCalendarPopup(true);
    DTPheLp->setDisplayFormat(QStringLiteral("yyyy-M-d"));
    DTPheLp->setGeometry(Twips::rect(kPickerLeft, kRowTop, kPickerWidth, kRowHeight));
    DTPheLp->setAccessibleName(QStringLiteral("日期"));
    DTPheLp->hide();
    connect(DTPheLp, &QDateEdit::dateChanged, this, [this](const QDate &date) {
        const int i = Txths->text().toInt();
        if (i >= 0 && i < txtsj.size())
            txtsj[i]->setText(date.toString(QStringLiteral("yyyy-M-d")));
    });

    Txths = new QLineEdit(QStringLiteral("0"), page);
    Txths->setObjectName(QStringLiteral("Txths"));
    Txths->setAccessibleName(QStringLiteral("当前条件行"));
    Txths->hide();

    Label1 = new QLabel(QStringLiteral("输入条件时，先填写前面的条件，如果项目名称和要查找项不对则点击下箭头，选择所要的条件，依次填写。"),
                        page);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setGeometry(Twips::rect(120, kRowTop + kConditionRows * kRowStep + 60, 8800, 480));

    // The column to modify and its new value.
    auto *zdLabel = new QLabel(QStringLiteral("修改项目"), this);
    zdLabel->setGeometry(Twips::rect(120, 5900, 900, 300));
    Datazd = new DataCombo(this);
    Datazd->setObjectName(QStringLiteral("Datazd"));
    Datazd->setStyle(DataCombo::dbcDropdownList);
    Datazd->setGeometry(Twips::rect(1080, 5860, 1900, kRowHeight));
    Datazd->setAccessibleName(zdLabel->text());
    zdLabel->setBuddy(Datazd);
    Combzd = new QComboBox(this);
    Combzd->setObjectName(QStringLiteral("Combzd"));
    Combzd->addItems(Operators());
    Combzd->setCurrentText(QStringLiteral("="));
    Combzd->setGeometry(Twips::rect(3060, 5860, 900, kRowHeight));
    Combzd->setAccessibleName(QStringLiteral("运算符"));
    auto *valueLabel = new QLabel(QStringLiteral("新值"), this);
    valueLabel->setGeometry(Twips::rect(4080, 5900, 600, 300));
    txtZd = new QLineEdit(this);
    txtZd->setObjectName(QStringLiteral("txtZd"));
    txtZd->setGeometry(Twips::rect(4680, 5860, 4680, kRowHeight));
    txtZd->setAccessibleName(valueLabel->text());
    valueLabel->setBuddy(txtZd);

    auto *conditionLabel = new QLabel(QStringLiteral("条件"), this);
    conditionLabel->setGeometry(Twips::rect(120, 6360, 900, 300));
    Text4 = new QPlainTextEdit(this);
    Text4->setObjectName(QStringLiteral("Text4"));
    Text4->setReadOnly(true);
    Text4->setGeometry(Twips::rect(1080, 6300, 8280, 720));
    Text4->setAccessibleName(conditionLabel->text());

    auto button = [this](const char *name, const QString &text, int left) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(Twips::rect(left, 7260, 1560, 450));
        return b;
    };
    CmdFind = button("CmdFind", QStringLiteral("执行修改(&F)"), 1080);
    Cmdview = button("Cmdview", QStringLiteral("查看条件(&V)"), 2880);
    CmdPrint = button("CmdPrint", QStringLiteral("生成条件(&P)"), 4680);
    cmdQuit = button("cmdQuit", QStringLiteral("退  出(&Q)"), 6480);
    connect(CmdFind, &QPushButton::clicked, this, &FrmGZPlxg::CmdFind_Click);
    connect(Cmdview, &QPushButton::clicked, this, &FrmGZPlxg::Cmdview_Click);
    connect(CmdPrint, &QPushButton::clicked, this, &FrmGZPlxg::Cmdview_Click);
    connect(cmdQuit, &QPushButton::clicked, this, &QWidget::close);

    // The value boxes and the condition text take what the window gains; the connectors and the
    // buttons keep to their edges.
    auto *layout = new DesignLayout(this);
    layout->stretch(Toolbar1, Qt::Horizontal).stretch(SSTab1, Qt::Horizontal).stretch(txtZd, Qt::Horizontal).stretch(Text4);
    layout->addPage(page, SSTab1).stretch(Label1, Qt::Horizontal);
    for (QLineEdit *value : std::as_const(txtsj))
        layout->stretch(value, Qt::Horizontal);
    layout->finish();
}

void FrmGZPlxg::loadDictionary()
{
    try {
        rsDict->Open(ItemDictSql(), cnMain, Recordset::adOpenDynamic, Recordset::adLockOptimistic);
        rsDict->Requery();
        // Row i starts on the i-th item of the dictionary.
        for (int i = 0; i < kConditionRows; ++i) {
            DataCombo1[i]->setRowSource(rsDict, QStringLiteral("colm_name"));
            if (!rsDict->eof()) {
                DataCombo1[i]->setText(rsDict->value(QStringLiteral("colm_name")).toString());
                rsDict->MoveNext();
            }
        }
        Datazd->setRowSource(rsDict, QStringLiteral("colm_name"), QStringLiteral("colm_code"));
        Datazd->setCurrentIndex(-1);
    } catch (const DbError &e) {
        MsgBox(e.numbered(), Msg::vbCritical);
    }
}

QList<WageItem> FrmGZPlxg::items() const
{
    QList<WageItem> out;
    if (!rsDict->isOpen())
        return out;
    const int name = rsDict->fieldIndex(QStringLiteral("colm_name"));
    const int code = rsDict->fieldIndex(QStringLiteral("colm_code"));
    const int type = rsDict->fieldIndex(QStringLiteral("colm_type"));
    for (int r = 0; r < rsDict->RecordCount(); ++r)
        out.append({rsDict->valueAt(r, name).toString(), rsDict->valueAt(r, code).toString(),
                    rsDict->valueAt(r, type).toString()});
    return out;
}

QString FrmGZPlxg::GetDAtaType(int h)
{
    const QList<WageItem> all = items();
    const WageItem *item = FindItem(all, DataCombo1.value(h) ? DataCombo1[h]->text() : QString());
    return item ? TypeClass(item->type) : QString();
}

void FrmGZPlxg::getHelp(int Index)
{
    Txths->setText(QString::number(Index));
    const bool date = GetDAtaType(Index) == QLatin1String("DATETIME");
    if (date) {
        const QRect box = txtsj[Index]->geometry();
        DTPheLp->move(DTPheLp->x(), box.top());
    }
    DTPheLp->setVisible(date);
}

bool FrmGZPlxg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        const int i = int(txtsj.indexOf(static_cast<QLineEdit *>(watched)));
        if (i >= 0)
            getHelp(i);
    }
    return QWidget::eventFilter(watched, event);
}

void FrmGZPlxg::selectMonth(const QString &month)
{
    const QList<WageItem> all = items();
    for (int i = 0; i < kConditionRows; ++i) {
        const WageItem *item = FindItem(all, DataCombo1[i]->text());
        if (item && item->code.compare(QLatin1String("f0"), Qt::CaseInsensitive) == 0) {
            txtsj[i]->setText(month);
            return;
        }
    }
}

void FrmGZPlxg::txtsjclear()
{
    for (QLineEdit *box : std::as_const(txtsj))
        box->clear();
}

std::optional<QString> FrmGZPlxg::strtjset()
{
    QList<ConditionRow> rows;
    for (int i = 0; i < kConditionRows; ++i)
        rows.append({DataCombo1[i]->text(), Combo1[i]->currentText(), txtsj[i]->text()});
    QStringList connectors;
    for (QLineEdit *join : std::as_const(Txttj))
        connectors << join->text();

    const ConditionResult r = BuildCondition(items(), rows, connectors);
    for (int i = 0; i < kConditionRows; ++i)
        if (txtsj[i]->text() != r.values.value(i))
            txtsj[i]->setText(r.values.value(i));
    if (!r.ok) {
        MsgBox(r.message, Msg::vbOKOnly);
        return std::nullopt;
    }
    m_condition = r.condition;
    Text4->setPlainText(m_condition);
    return m_condition;
}

void FrmGZPlxg::reportError(const DbError &e)
{
    // The common report passes over a missing object in silence; here the user must hear of it.
    if (e.number == DbError::ObjectNotFound)
        MsgBox(e.numbered(), Msg::vbCritical);
    else
        ModCWCl::ReportDbError(e);
}

void FrmGZPlxg::CmdFind_Click()
{
    try {
        const std::optional<QString> c = strtjset();
        if (!c)
            return;
        if (Datazd->text().isEmpty() || Combzd->currentText().isEmpty() || txtZd->text().isEmpty())
            return;
        // Without a condition every row of every month changes: only on an explicit Yes.
        if (c->isEmpty() &&
            MsgBox(kNoConditionQuestion, Msg::vbYesNo | Msg::vbQuestion | Msg::vbDefaultButton2) != Msg::vbYes)
            return;
        const int changed = RunBatchModify(cnMain, Datazd->boundText(), txtZd->text(), *c);
        MsgBox(DoneMessage(changed), Msg::vbExclamation);
        txtsjclear();
    } catch (const DbError &e) {
        reportError(e);
    }
}

void FrmGZPlxg::Cmdview_Click()
{
    try {
        const std::optional<QString> c = strtjset();
        if (c && !c->isEmpty())
            txtsjclear();
    } catch (const DbError &e) {
        reportError(e);
    }
}

void FrmGZPlxg::toolbarClicked(const QString &key)
{
    if (key == QLatin1String("edit"))
        CmdFind_Click();
    else if (key == QLatin1String("exit"))
        close();
}

void FrmGZPlxg::closeEvent(QCloseEvent *event)
{
    rsDict->Close();
    QWidget::closeEvent(event);
}
