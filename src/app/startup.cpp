// ModmainRSgz: the start-up sequence and the connection routines; ModCWCl: the common database-error report.
#include "app/startup.h"

#include "app/first_run.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "platform/db/connection.h"
#include "platform/shell/shell.h"
#include "platform/ui/message_service.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ModmainRSgz {

namespace {

const QString kUnset = QStringLiteral("25");  // marks an unset value of section "main_path"
QString g_lastOpenFailure;

QString setting(const QString &section, const QString &key, const QString &missing = {})
{
    return GetSetting(kAppTitle, section, key, missing);
}

void showSysset()
{
    if (startupHooks().showSysset)
        startupHooks().showSysset();
}

// Leaves cnMain closed and writes the folder and file that were tried back to the settings store,
// so that the next start reads them instead of the defaults.
void accessOpenFailed(const QString &fullPath, const QString &reason)
{
    cnMain.close();
    // A reason that already says what could not be done stands alone.
    g_lastOpenFailure = reason.startsWith(QStringLiteral("无法打开数据库文件"))
                            ? reason
                            : QStringLiteral("无法打开数据库文件“%1”：%2").arg(fullPath, reason);
    SaveSetting(kAppTitle, QStringLiteral("main_path"), QStringLiteral("path"), strDataPath);
    SaveSetting(kAppTitle, QStringLiteral("main_path"), QStringLiteral("data"), strDataFile);
}

} // namespace

StartupHooks &startupHooks()
{
    static StartupHooks hooks;
    return hooks;
}

QString lastOpenFailure() { return g_lastOpenFailure; }

void Main()
{
    cnMain.setCursorLocation(3);
    // The local file unless the settings choose a server ([main] dbtype).
    strDbType = setting(QStringLiteral("main"), QStringLiteral("dbtype")).trimmed().toUpper();
    if (strDbType.isEmpty())
        strDbType = QStringLiteral("ACCESS");
    OpenConnectionOfKind();
    // The open routine may have ended the program (settings saved, a fatal server answer).
    if (Shell::instance().ending())
        return;
    if (form_main *mainWindow = form_main::instance())
        mainWindow->show();
    if (startupHooks().showLogin)
        startupHooks().showLogin();
}

void OpenAccessConnection()
{
    strDataPath = setting(QStringLiteral("main_path"), QStringLiteral("path"), kUnset);
    strDataFile = setting(QStringLiteral("main_path"), QStringLiteral("data"), kUnset);
    const bool useDefault = strDataPath.isEmpty() || strDataPath == kUnset;
    if (useDefault) {
        strDataPath = Shell::instance().programFolder();
        strDataFile = QStringLiteral("hydb.mdb");
    }
    // The path as this platform writes it, for messages; the connection string keeps the system's form.
    const QString fullPath = strDataPath + QLatin1Char('/') + strDataFile;
    // Only the default file is made on first run: a stored folder is never filled with an empty
    // database, a file missing there is a failure to report. A first run that cannot make the file
    // leaves the settings alone, so that the next start tries the default again instead of
    // reporting a stored folder without its file.
    if (useDefault && !QFileInfo::exists(fullPath)) {
        try {
            CreateDefaultDatabase(fullPath);
        } catch (const DbError &e) {
            cnMain.close();
            g_lastOpenFailure = e.description;
            return;
        }
    }
    try {
        const QString connect = QStringLiteral("provider=microsoft.jet.oledb.4.0;") + QStringLiteral("data source=") +
                                strDataPath + QStringLiteral("\\") + strDataFile +
                                QStringLiteral(";Jet OLEDB:Database password=297");
        cnMain.open(connect, QString(), QString());
        g_lastOpenFailure.clear();
    } catch (const DbError &e) {
        accessOpenFailed(fullPath, e.description);
    } catch (const std::exception &e) {
        accessOpenFailed(fullPath, QString::fromLocal8Bit(e.what()));
    }
}

void OpenConnectionOfKind()
{
    if (strDbType == QLatin1String("ACCESS"))
        OpenAccessConnection();
    else if (strDbType == QLatin1String("SQLSERVER"))
        OpenSqlServerConnection();
    else if (strDbType == QLatin1String("POSTGRESQL"))
        OpenPostgresConnection();
}

void OpenPostgresConnection()
{
    const QString main = QStringLiteral("main");
    if (setting(main, QStringLiteral("server")).isEmpty()) {
        showSysset();
        if (Shell::instance().ending())
            return;
    }
    const QString server = setting(main, QStringLiteral("server"));
    const int port = setting(main, QStringLiteral("port"), QStringLiteral("5432")).toInt();
    // Backups are written into the program's folder: there is no database file to put them beside.
    strDataPath = Shell::instance().programFolder();
    strDataFile.clear();
    cnMain.setCommandTimeout(50);
    for (;;) {
        try {
            cnMain.openPostgres(server, port, setting(main, QStringLiteral("database")), setting(main, QStringLiteral("username")),
                                setting(main, QStringLiteral("password")));
            CreateSchemaIfMissing(cnMain);
            g_lastOpenFailure.clear();
            return;
        } catch (const DbError &e) {
            cnMain.close();
            g_lastOpenFailure = QStringLiteral("无法连接到数据库服务器“%1”：%2").arg(server, e.description);
            if (!SqlServerOpenFailed(e, QStringLiteral("您输入的系统信息有误，无法连接到PostgreSQL服务器，请重试！")))
                return;
        }
    }
}

void OpenSqlServerConnection()
{
    const QString main = QStringLiteral("main");
    if (setting(main, QStringLiteral("server")).isEmpty()) {
        showSysset();
        if (Shell::instance().ending())
            return;  // the settings were saved: they take effect at the next start
    }
    const QString server = setting(main, QStringLiteral("server"));
    const QString database = setting(main, QStringLiteral("database"));
    const QString username = setting(main, QStringLiteral("username"));
    const QString password = setting(main, QStringLiteral("password"));
    strConnect = QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=false;User ID=") + username +
                 QStringLiteral(";pwd=") + password + QStringLiteral(";Initial Catalog=") + database +
                 QStringLiteral(";Data Source=") + server;
    cnMain.setCommandTimeout(50);
    for (;;) {
        try {
            cnMain.open(strConnect, QString(), QString());
            g_lastOpenFailure.clear();
            return;
        } catch (const DbError &e) {
            cnMain.close();
            g_lastOpenFailure = QStringLiteral("无法连接到数据库服务器“%1”：%2").arg(server, e.description);
            if (!SqlServerOpenFailed(e))
                return;
        } catch (const std::exception &e) {
            cnMain.close();
            g_lastOpenFailure = QStringLiteral("无法连接到数据库服务器“%1”：%2").arg(server, QString::fromLocal8Bit(e.what()));
            if (!SqlServerOpenFailed(DbError(0, QString::fromLocal8Bit(e.what()))))
                return;
        }
    }
}

bool SqlServerOpenFailed(const DbError &error, const QString &retryText)
{
    const QString numbered = error.numbered();
    switch (error.number) {
    case DbError::ProviderFailure:
        if (MsgBox(retryText.isEmpty() ? QStringLiteral("您输入的系统信息有误，无法连接到SQL SERVER，请重试！") : retryText,
                   Msg::vbOKCancel | Msg::vbExclamation) == Msg::vbOK) {
            showSysset();
            return !Shell::instance().ending();  // saved settings end the program instead
        }
        Shell::instance().endProgram(0);
        return false;
    case DbError::ObjectNotFound:
    case DbError::LoginRefused:
        MsgBox(numbered, Msg::vbExclamation);
        showSysset();
        Shell::instance().endProgram(0);
        return false;
    default:
        MsgBox(numbered, Msg::vbOKOnly);
        return false;
    }
}

void CenterForm(QWidget &form)
{
    QScreen *screen = form.screen() ? form.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = form.isWindow() && form.isVisible() ? form.frameGeometry().size() : form.size();
    form.move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
}

} // namespace ModmainRSgz

namespace ModCWCl {

void ReportDbError(const DbError &error)
{
    const QString number = QString::number(error.number);
    // A database in use, read-only or on a failing disk is no fault of the data typed: said as it is.
    if (error.fromSurroundings())
        MsgBox(error.description, Msg::vbCritical);
    else if (error.number == DbError::ProviderFailure)
        MsgBox(QStringLiteral("数据有误，请重新输入!") + number + error.description, Msg::vbCritical);
    else if (error.number != DbError::ObjectNotFound)
        MsgBox(QStringLiteral("错误号 ") + number + error.description + QStringLiteral("，退出"), Msg::vbCritical);
    // An object that does not exist is passed over in silence: the statement that met it belongs to
    // tables of the wider suite that this database does not hold.
}

} // namespace ModCWCl
