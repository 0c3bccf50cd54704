// frmLogin: the login window (operator and password) and mCzyqx, the operator's menu permissions.
#include "operators/login_window.h"

#include "operators/password_echo.h"

#include "app/app_info.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/sql_text.h"
#include "app/startup.h"
#include "platform/db/recordset.h"
#include "platform/shell/shell.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/message_service.h"
#include "platform/ui/twips.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPushButton>

namespace {

QString withoutMnemonic(QString caption) { return caption.remove(QLatin1Char('&')); }

// The permission-controlled items of "系统设置(&E)" and the permission that enables each; the restore
// goes with the backup.
struct PermissionItem {
    const char *item;
    QString permission;
};
const PermissionItem kPermissionItems[] = {
    {"menu_sys_0", QStringLiteral("操作员设置")},   {"menu_sys_1", QStringLiteral("操作员日志")},
    {"menu_sys_4", QStringLiteral("数据备份")},     {"menu_sys_5", QStringLiteral("数据备份")},
    {"menu_sys_6", QStringLiteral("选择网络数据库")},
    {"menu_sys_7", QStringLiteral("系统参数设置")}, {"menu_sys_9", QStringLiteral("清空数据库")},
};

} // namespace

frmLogin::frmLogin(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("登录"));
    setFixedSize(Twips::toPx(6300), Twips::toPx(4200));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(Twips::rect(0, 0, 6300, 1050));
    Image1->setScaledContents(true);

    LabBt1 = new QLabel(this);
    LabBt1->setObjectName(QStringLiteral("LabBt1"));
    LabBt1->setGeometry(Twips::rect(240, 150, 4800, 450));
    QFont titleFont = LabBt1->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    LabBt1->setFont(titleFont);

    Labbt2 = new QLabel(QStringLiteral("禾沐馆务"), this);
    Labbt2->setObjectName(QStringLiteral("Labbt2"));
    Labbt2->setGeometry(Twips::rect(240, 630, 3000, 300));

    Image3 = new QLabel(this);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setGeometry(Twips::rect(5340, 150, 720, 720));
    Image3->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(Twips::toPx(720)));

    Frame1 = new QGroupBox(QStringLiteral("选择操作员,输入对应的口令"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::rect(240, 1170, 5820, 1950));

    const QString captions[2] = {QStringLiteral("用户名称(&U):"), QStringLiteral("密码(&P):")};
    for (int i = 0; i < 2; ++i) {
        lblLabels[i] = new QLabel(captions[i], Frame1);
        lblLabels[i]->setObjectName(QStringLiteral("lblLabels_%1").arg(i));
        lblLabels[i]->setGeometry(Twips::rect(300, 450 + i * 600, 1500, 330));
    }

    combname = new DataCombo(Frame1);
    combname->setObjectName(QStringLiteral("combname"));
    combname->setStyle(DataCombo::dbcDropdownList);
    combname->setGeometry(Twips::rect(1860, 405, 3600, 375));
    combname->setAccessibleName(withoutMnemonic(captions[0]));
    lblLabels[0]->setBuddy(combname);

    txtPassword = new QLineEdit(Frame1);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setGeometry(Twips::rect(1860, 1005, 3600, 375));
    PasswordEcho::echoStars(txtPassword);
    txtPassword->setAccessibleName(withoutMnemonic(captions[1]));
    lblLabels[1]->setBuddy(txtPassword);

    Label1 = new QLabel(QStringLiteral("初始口令为空"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(1860, 1470, 3000, 300));

    cmdOK = new QPushButton(QStringLiteral("登  录(&Y)"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Twips::rect(1650, 3390, 1350, 450));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("退 出(&C)"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(Twips::rect(3300, 3390, 1350, 450));

    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);

    rsCzyzd = new Recordset(this);
    Form_Load();
}

frmLogin::~frmLogin() = default;

void frmLogin::showLogin()
{
    frmLogin login(form_main::instance());
    if (!login.loaded())
        return;
    ShowModal(&login);
}

void frmLogin::Form_Load()
{
    ModmainRSgz::CenterForm(*this);

    // The start-up open may have failed; one more attempt with the routine of the database kind.
    if (!cnMain.isOpen())
        ModmainRSgz::OpenConnectionOfKind();
    if (!cnMain.isOpen()) {
        loadFailed(ModmainRSgz::lastOpenFailure());
        return;
    }

    try {
        rsCzyzd->Open(QStringLiteral("select * from czyzd"), cnMain, Recordset::adOpenStatic, Recordset::adLockReadOnly);
        combname->setRowSource(rsCzyzd, QStringLiteral("czy_name"));
        if (rsCzyzd->RecordCount() > 0) {
            rsCzyzd->MoveFirst();
            combname->setText(rsCzyzd->value(QStringLiteral("czy_name")).toString());
        }
    } catch (const DbError &e) {
        loadFailed(e.description);
        return;
    }

    // A missing picture leaves the place empty.
    const QPixmap back(Shell::instance().programFolder() + QStringLiteral("/back.bmp"));
    if (!back.isNull())
        Image1->setPixmap(back);

    ClsAppname appInfo;
    appInfo.GetAppInfo();
    LabBt1->setText(appInfo.strAppname());
    m_loaded = true;
}

// Without a readable database nobody can log in: say which database and why, then end the program.
void frmLogin::loadFailed(const QString &reason)
{
    QString text = reason;
    const bool describesDatabase = text.startsWith(QStringLiteral("无法"));
    if (!describesDatabase) {
        const QString what = strDbType == QLatin1String("SQLSERVER") || strDbType == QLatin1String("POSTGRESQL")
                                 ? QStringLiteral("无法连接到数据库服务器：")
                                 : QStringLiteral("无法打开数据库文件“") + strDataPath + QLatin1Char('/') + strDataFile +
                                       QStringLiteral("”：");
        text = what + (reason.isEmpty() ? QStringLiteral("数据库连接没有打开。") : reason);
    }
    MsgBox(text, Msg::vbCritical);
    m_ending = true;
    Shell::instance().endProgram();
}

bool frmLogin::passwordMatches(const QString &name, const QString &password)
{
    // The operator is the list's own row for the chosen entry, never a search by name: the search
    // ignores letter case and would take "Admin" for "admin". An empty operator table, or a name
    // that is no entry, leaves nothing to compare: refused like a wrong password.
    const int row = combname->matchedRow();
    if (!rsCzyzd->isOpen() || row < 0 || row >= rsCzyzd->RecordCount())
        return false;
    const int nameColumn = rsCzyzd->fieldIndex(QStringLiteral("czy_name"));
    const int passColumn = rsCzyzd->fieldIndex(QStringLiteral("czy_pass"));
    if (nameColumn < 0 || passColumn < 0 || rsCzyzd->valueAt(row, nameColumn).toString() != name)
        return false;
    // Exact, case-sensitive; a stored Null matches nothing, not even an empty entry.
    const QVariant stored = rsCzyzd->valueAt(row, passColumn);
    return !stored.isNull() && stored.toString() == password;
}

void frmLogin::cmdOK_Click()
{
    const QString name = combname->text();
    bool match = false;
    try {
        match = passwordMatches(name, txtPassword->text());
    } catch (const DbError &) {
        match = false;  // no current row to compare with
    }
    if (!match) {
        MsgBox(QStringLiteral("口令错误!请重新输入。"), Msg::vbExclamation);
        return;
    }
    if (form_main *mainWindow = form_main::instance()) {
        mainWindow->setPanelText(2, QStringLiteral("操做员:") + name);
        mainWindow->setPanelText(1, kAppTitle);
    }
    const bool otherOperator = strCzyName != name;
    strCzyName = name;
    mCzyqx(strCzyName);
    // The password window changes the password of the operator who opened it: it does not stay
    // open for somebody else.
    if (form_main *mainWindow = form_main::instance(); mainWindow && otherOperator)
        if (QWidget *password = mainWindow->findChildWindow(QStringLiteral("frm_czy_password")))
            if (auto *frame = qobject_cast<QMdiSubWindow *>(password->parentWidget()))
                frame->close();
    accept();
}

void frmLogin::cmdCancel_Click() { reject(); }

void frmLogin::reject()
{
    // The program cannot go on without an operator; a re-login that is cancelled ends it as well.
    // An edit still pending in a window is asked about first; keeping it keeps this window open.
    if (!m_ending) {
        if (form_main *mainWindow = form_main::instance(); mainWindow && !mainWindow->confirmPendingEdits())
            return;
        m_ending = true;
        Shell::instance().endProgram();
    }
    QDialog::reject();
}

void mCzyqx(const QString &strczyname)
{
    form_main *mainWindow = form_main::instance();
    if (!mainWindow)
        return;
    for (const PermissionItem &p : kPermissionItems)
        if (QAction *item = mainWindow->menuItem(QLatin1String(p.item)))
            item->setEnabled(false);
    try {
        Recordset rs;
        rs.Open(QStringLiteral("select * from czy where ") + SqlSameText(QStringLiteral("name"), strczyname), cnMain,
                Recordset::adOpenStatic, Recordset::adLockReadOnly);
        for (; !rs.eof(); rs.MoveNext()) {
            const QString nr = rs.value(QStringLiteral("nr")).toString();
            for (const PermissionItem &p : kPermissionItems)
                if (nr == p.permission)
                    if (QAction *item = mainWindow->menuItem(QLatin1String(p.item)))
                        item->setEnabled(true);
        }
    } catch (const DbError &e) {
        // The items stay disabled: no permission is granted that could not be read.
        ModCWCl::ReportDbError(e);
    }
    // A window the previous operator opened and this one may not use does not stay open for them.
    mainWindow->closeWindowsNotPermitted();
}
