// sysset: the window that asks for the server connection values and stores them in the settings.
#include "operators/database_settings_window.h"

#include "app/program_state.h"
#include "platform/shell/shell.h"
#include "platform/ui/message_service.h"
#include "platform/ui/twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>

namespace {

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption, int top)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(Twips::rect(360, top + 60, 1900, 300));
    return label;
}

QLineEdit *makeBox(QWidget *parent, const QString &name, QLabel *label, int top)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(Twips::rect(2300, top, 2600, 375));
    box->setAccessibleName(label->text());
    label->setBuddy(box);
    return box;
}

} // namespace

sysset::sysset(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("sysset"));
    setWindowTitle(QStringLiteral("系统设置"));
    // A PostgreSQL server also has a port; the other kinds keep the four boxes.
    const bool askPort = strDbType == QLatin1String("POSTGRESQL");
    const int buttonsTop = askPort ? 3120 : 2580;
    setFixedSize(Twips::toPx(5400), Twips::toPx(buttonsTop + 720));

    // The background picture is decoration: a file that is missing or unreadable is ignored.
    const QPixmap background(Shell::instance().programFolder() + QStringLiteral("/dcback.wmf"));
    if (!background.isNull()) {
        QPalette pal = palette();
        pal.setBrush(QPalette::Window, background);
        setPalette(pal);
        setAutoFillBackground(true);
    }

    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("请输入服务器名称："), 300);
    server = makeBox(this, QStringLiteral("server"), Label1, 300);
    Label2 = makeLabel(this, QStringLiteral("Label2"), QStringLiteral("请输入数据库名称："), 840);
    database = makeBox(this, QStringLiteral("database"), Label2, 840);
    Label3 = makeLabel(this, QStringLiteral("Label3"), QStringLiteral("请输入数据库用户名："), 1380);
    username = makeBox(this, QStringLiteral("username"), Label3, 1380);
    Label4 = makeLabel(this, QStringLiteral("Label4"), QStringLiteral("请输入数据库密码："), 1920);
    password = makeBox(this, QStringLiteral("password"), Label4, 1920);
    if (askPort) {
        Label5 = makeLabel(this, QStringLiteral("Label5"), QStringLiteral("请输入服务器端口："), 2460);
        port = makeBox(this, QStringLiteral("port"), Label5, 2460);
        port->setText(GetSetting(kAppTitle, QStringLiteral("main"), QStringLiteral("port"), QStringLiteral("5432")));
    }

    Command1 = new QPushButton(QStringLiteral("确定(&Y)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(1500, buttonsTop, 1200, 420));
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("取消(&Q)"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Twips::rect(3000, buttonsTop, 1200, 420));

    connect(Command1, &QPushButton::clicked, this, &sysset::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &sysset::Command2_Click);
}

void sysset::Command1_Click()
{
    if (server->text().isEmpty() || database->text().isEmpty()) {
        MsgBox(QStringLiteral("服务器名称与数据库名称都不能为空！"), Msg::vbExclamation, QStringLiteral("提示"));
        server->setFocus();
        return;
    }
    bool portOk = true;
    const int portNumber = port ? port->text().trimmed().toInt(&portOk) : 0;
    if (port && (!portOk || portNumber < 1 || portNumber > 65535)) {
        MsgBox(QStringLiteral("服务器端口应为 1 到 65535 之间的整数！"), Msg::vbExclamation, QStringLiteral("提示"));
        port->setFocus();
        port->selectAll();
        return;
    }
    SaveSetting(kAppTitle, QStringLiteral("main"), QStringLiteral("server"), server->text());
    SaveSetting(kAppTitle, QStringLiteral("main"), QStringLiteral("database"), database->text());
    SaveSetting(kAppTitle, QStringLiteral("main"), QStringLiteral("username"), username->text());
    SaveSetting(kAppTitle, QStringLiteral("main"), QStringLiteral("password"), password->text());
    if (port)
        SaveSetting(kAppTitle, QStringLiteral("main"), QStringLiteral("port"), QString::number(portNumber));
    // The new values take effect at the next start.
    Shell::instance().endProgram();
    accept();
}

void sysset::Command2_Click() { reject(); }
