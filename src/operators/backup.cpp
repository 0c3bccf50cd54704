// Modulback: the data backup, a consistent copy of the local database file beside it.
#include "operators/backup.h"

#include "operators/server_backup.h"

#include "app/program_state.h"
#include "platform/db/connection.h"
#include "platform/ui/message_service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCursor>
#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
#include <unistd.h>

namespace Modulback {

namespace {

// The busy mouse pointer for as long as the copy runs.
class BusyCursor {
public:
    BusyCursor()
    {
        if (qGuiApp)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~BusyCursor()
    {
        if (qGuiApp)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// What a failed SQLite call of the copy means to a person: the disk full, an I/O error, a
// read-only folder said in Chinese; anything else with SQLite's own words.
QString failureText(int rc, const QString &what)
{
    const QString native = QString::fromUtf8(sqlite3_errstr(rc));
    const DbError::Cause cause = dbErrorCauseOf(native);
    return what + (cause == DbError::Cause::Statement ? native : dbErrorCauseDescription(cause));
}

void setError(QString *errorText, const QString &text)
{
    if (errorText)
        *errorText = text;
}

} // namespace

QString BackupTargetName(const QString &dataPath, const QDateTime &now)
{
    const QDate d = now.date();
    return dataPath + QStringLiteral("/data") + QString::number(d.year()) + QString::number(d.month()) +
           QString::number(d.day()) + QString::number(now.time().hour()) + QStringLiteral(".bak");
}

CopyResult CopyDatabase(Connection &source, const QString &targetPath, int pagesPerStep,
                        const std::function<void()> &afterStep, QString *errorText)
{
    sqlite3 *src = source.sqliteHandle();
    if (!src) {
        setError(errorText, QStringLiteral("没有可复制的数据库文件。"));
        return CopyResult::Failed;
    }
    // Only a folder that is not there is the old "disk not ready": a medium may yet be put in.
    const QString folder = QFileInfo(targetPath).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        setError(errorText, QStringLiteral("文件夹“%1”不存在。").arg(folder));
        return CopyResult::TargetNotReady;
    }
    if (::euidaccess(QFile::encodeName(folder).constData(), W_OK) != 0) {
        setError(errorText, QStringLiteral("文件夹“%1”是只读的，没有写入权限。").arg(folder));
        return CopyResult::Failed;
    }

    // The copy grows in a file of its own, readable by its owner alone (it holds passwords and
    // pay), and replaces the target only when it is complete.
    const QString partPath = targetPath + QStringLiteral(".part");
    QFile::remove(partPath);
    {
        QFile part(partPath);
        if (!part.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
            setError(errorText, QStringLiteral("无法创建文件“%1”：%2").arg(partPath, part.errorString()));
            return CopyResult::Failed;
        }
    }
    const QString writing = QStringLiteral("无法写入备份文件“%1”：").arg(targetPath);
    sqlite3 *dst = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(partPath).constData(), &dst, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        setError(errorText, failureText(rc, writing));
        sqlite3_close(dst);
        QFile::remove(partPath);
        return CopyResult::Failed;
    }

    sqlite3_backup *backup = sqlite3_backup_init(dst, "main", src, "main");
    if (!backup) {
        setError(errorText, failureText(sqlite3_extended_errcode(dst), writing));
        sqlite3_close(dst);
        QFile::remove(partPath);
        return CopyResult::Failed;
    }

    // Another program holding a write lock on the source only delays the copy, for a while.
    int busyRounds = 0;
    for (;;) {
        rc = sqlite3_backup_step(backup, pagesPerStep);
        if (rc == SQLITE_DONE)
            break;
        if (rc == SQLITE_OK) {
            busyRounds = 0;
            if (afterStep)
                afterStep();
            continue;
        }
        if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && ++busyRounds < 200) {
            sqlite3_sleep(50);
            continue;
        }
        break;
    }
    const int finishRc = sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE && finishRc != SQLITE_OK)
        rc = finishRc;
    if (rc != SQLITE_DONE) {
        setError(errorText, failureText(rc, writing));
        sqlite3_close(dst);
        QFile::remove(partPath);
        return CopyResult::Failed;
    }
    rc = sqlite3_close(dst);
    if (rc != SQLITE_OK) {
        setError(errorText, failureText(rc, writing));
        QFile::remove(partPath);
        return CopyResult::Failed;
    }

    // rename() replaces an existing target in one step.
    if (std::rename(QFile::encodeName(partPath).constData(), QFile::encodeName(targetPath).constData()) != 0) {
        setError(errorText, QStringLiteral("无法替换文件“%1”：%2").arg(targetPath, QString::fromLocal8Bit(std::strerror(errno))));
        QFile::remove(partPath);
        return CopyResult::Failed;
    }
    return CopyResult::Done;
}

void Backup()
{
    // A PostgreSQL database is dumped by its own tool; SQL Server mode has no file to copy.
    const bool server = cnMain.postgresHandle();
    if (!server && (strDbType == QLatin1String("SQLSERVER") || !cnMain.sqliteHandle()))
        return;
    const QString target = BackupTargetName(strDataPath, QDateTime::currentDateTime());
    for (;;) {
        CopyResult result;
        QString why;
        {
            BusyCursor busy;
            result = server ? ModServerBackup::DumpDatabase(cnMain, target, &why) : CopyDatabase(cnMain, target, -1, {}, &why);
        }
        switch (result) {
        case CopyResult::Done:
            MsgBox(QStringLiteral("数据备份完成!备份后的文件名称为： ") + target + QStringLiteral("!"),
                   Msg::vbExclamation);
            return;
        case CopyResult::TargetNotReady:
            // OK tries again once the medium is ready; Cancel gives up without a further message.
            if (MsgBox(QStringLiteral("请插入软盘，关好驱动器门"), Msg::vbOKCancel | Msg::vbExclamation,
                       QStringLiteral("磁盘未准备好")) == Msg::vbOK)
                continue;
            return;
        case CopyResult::Failed:
            // Permission, a full disk, an I/O error: trying again would not help. Said, and ended.
            MsgBox(QStringLiteral("数据备份失败！") + why, Msg::vbCritical);
            return;
        }
    }
}

} // namespace Modulback
