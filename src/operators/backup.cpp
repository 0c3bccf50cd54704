// Modulback: the data backup, a consistent copy of the local database file beside it.
#include "operators/backup.h"

#include "app/program_state.h"
#include "platform/db/connection.h"
#include "platform/ui/message_service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCursor>
#include <QGuiApplication>
#include <cstdio>
#include <sqlite3.h>

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

// Failures that come from the medium the copy is written to rather than from the data.
bool isMediumFailure(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_PERM:
        return true;
    default:
        return false;
    }
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
    const QFileInfo folder(QFileInfo(targetPath).absolutePath());
    if (!folder.isDir() || !folder.isWritable()) {
        setError(errorText, QStringLiteral("无法写入文件夹“%1”。").arg(folder.filePath()));
        return CopyResult::TargetNotReady;
    }

    // The copy grows in a file of its own and replaces the target only when it is complete.
    const QString partPath = targetPath + QStringLiteral(".part");
    QFile::remove(partPath);
    sqlite3 *dst = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(partPath).constData(), &dst,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        setError(errorText, dst ? QString::fromUtf8(sqlite3_errmsg(dst)) : QStringLiteral("out of memory"));
        sqlite3_close(dst);
        QFile::remove(partPath);
        return isMediumFailure(rc) ? CopyResult::TargetNotReady : CopyResult::Failed;
    }

    sqlite3_backup *backup = sqlite3_backup_init(dst, "main", src, "main");
    if (!backup) {
        rc = sqlite3_errcode(dst);
        setError(errorText, QString::fromUtf8(sqlite3_errmsg(dst)));
        sqlite3_close(dst);
        QFile::remove(partPath);
        return isMediumFailure(rc) ? CopyResult::TargetNotReady : CopyResult::Failed;
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
        setError(errorText, QString::fromUtf8(sqlite3_errstr(rc)));
        sqlite3_close(dst);
        QFile::remove(partPath);
        return isMediumFailure(rc) ? CopyResult::TargetNotReady : CopyResult::Failed;
    }
    rc = sqlite3_close(dst);
    if (rc != SQLITE_OK) {
        setError(errorText, QString::fromUtf8(sqlite3_errstr(rc)));
        QFile::remove(partPath);
        return CopyResult::TargetNotReady;
    }

    // rename() replaces an existing target in one step.
    if (std::rename(QFile::encodeName(partPath).constData(), QFile::encodeName(targetPath).constData()) != 0) {
        setError(errorText, QStringLiteral("无法替换文件“%1”。").arg(targetPath));
        QFile::remove(partPath);
        return CopyResult::TargetNotReady;
    }
    return CopyResult::Done;
}

void Backup()
{
    // In server mode there is no database file to copy.
    if (strDbType == QLatin1String("SQLSERVER") || !cnMain.sqliteHandle())
        return;
    const QString target = BackupTargetName(strDataPath, QDateTime::currentDateTime());
    for (;;) {
        CopyResult result;
        {
            BusyCursor busy;
            result = CopyDatabase(cnMain, target);
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
            return;
        }
    }
}

} // namespace Modulback
