// ModRestore: the data restore, the open database replaced by one of its backups beside it.
#include "operators/restore.h"

#include "operators/server_backup.h"

#include "app/program_state.h"
#include "operators/backup.h"
#include "operators/restore_window.h"
#include "platform/db/connection.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/message_service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryFile>
#include <sqlite3.h>

namespace ModRestore {

namespace {

// The tables every database of the program holds from its first run; a backup without one of them
// is not a backup of this program's database.
const char *const kExpectedTables[] = {"czyzd", "czy", "zwlx", "czyrz", "dh_codedict", "PR_codedict", "bmcode", "ckv_zc"};

// SQLite's words, in Chinese where they name something a person can act on (not a database, locked, ...).
QString inChinese(const QString &sqlite)
{
    const DbError::Cause cause = dbErrorCauseOf(sqlite);
    return cause == DbError::Cause::Statement ? sqlite : dbErrorCauseDescription(cause);
}

QString sqliteText(sqlite3 *db) { return inChinese(QString::fromUtf8(sqlite3_errmsg(db))); }

// An SQLite file opened on its own handle, closed with the object.
struct SqliteFile {
    sqlite3 *db = nullptr;
    int rc = SQLITE_OK;
    SqliteFile(const QString &path, int flags) { rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr); }
    ~SqliteFile() { sqlite3_close(db); }
    SqliteFile(const SqliteFile &) = delete;
    SqliteFile &operator=(const SqliteFile &) = delete;
};

// Every page of src into dst in one step (the destination's one transaction). The text of the
// failure, empty when the copy is complete.
QString copyPages(sqlite3 *dst, sqlite3 *src)
{
    sqlite3_backup *backup = sqlite3_backup_init(dst, "main", src, "main");
    if (!backup)
        return sqliteText(dst);
    int rc = sqlite3_backup_step(backup, -1);
    for (int busy = 0; (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && busy < 100; ++busy) {
        sqlite3_sleep(50);
        rc = sqlite3_backup_step(backup, -1);
    }
    const int finished = sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE && finished == SQLITE_OK)
        return {};
    return inChinese(QString::fromUtf8(sqlite3_errstr(rc == SQLITE_DONE ? finished : rc)));
}

// What is wrong with the database of db: SQLite's integrity check, then the tables it lacks.
QString soundnessProblem(sqlite3 *db)
{
    QStringList problems;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, "pragma integrity_check(20)", -1, &st, nullptr) != SQLITE_OK)
        return sqliteText(db);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const QString line = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        if (line != QLatin1String("ok"))
            problems << line;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        return sqliteText(db);
    if (!problems.isEmpty())
        return QStringLiteral("数据库文件已损坏（") + problems.join(QStringLiteral("；")) + QStringLiteral("）");
    QStringList missing;
    for (const char *table : kExpectedTables) {
        const QByteArray sql = QByteArray("select 1 from sqlite_master where type = 'table' and name = '") + table +
                               "' collate nocase";
        bool found = false;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK)
            found = sqlite3_step(st) == SQLITE_ROW;
        sqlite3_finalize(st);
        if (!found)
            missing << QString::fromLatin1(table);
    }
    if (!missing.isEmpty())
        return QStringLiteral("不是本程序的数据库，缺少数据表 ") + missing.join(QStringLiteral("、"));
    return {};
}

void setWhy(QString *why, const QString &text)
{
    if (why)
        *why = text;
}

QString localBackupCurrent(Connection &cn, const QString &keep, QString *why)
{
    // The usual name of this hour, unless that is the backup being restored: it is kept as it is.
    QString target = Modulback::BackupTargetName(strDataPath, QDateTime::currentDateTime());
    const QString stem = target.chopped(4);
    for (int n = 1; QFileInfo(target) == QFileInfo(keep); ++n)
        target = stem + QStringLiteral("-%1.bak").arg(n);
    return Modulback::CopyDatabase(cn, target, -1, {}, why) == Modulback::CopyResult::Done ? target : QString();
}

QString sizeText(qint64 bytes) { return QLocale(QLocale::Chinese, QLocale::China).formattedDataSize(bytes); }

} // namespace

QList<BackupFile> ListBackups(const QString &folder)
{
    QList<BackupFile> out;
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("data*.bak")}, QDir::Files, QDir::Time);
    for (const QFileInfo &f : files)
        out.append({f.absoluteFilePath(), f.lastModified(), f.size()});
    return out;
}

QString PrepareLocalCopy(const QString &backup, QString *why)
{
    SqliteFile source(backup, SQLITE_OPEN_READONLY);
    if (source.rc != SQLITE_OK) {
        setWhy(why, sqliteText(source.db));
        return {};
    }
    // A copy of its own, so that the backup may be overwritten by the safety backup of this hour
    // and still be restored, and is read only once.
    QTemporaryFile staged(QFileInfo(backup).absolutePath() + QStringLiteral("/rsgz-restore-XXXXXX"));
    if (!staged.open()) {
        setWhy(why, staged.errorString());
        return {};
    }
    staged.close();
    QString problem;
    {
        SqliteFile copy(staged.fileName(), SQLITE_OPEN_READWRITE);
        problem = copy.rc == SQLITE_OK ? copyPages(copy.db, source.db) : sqliteText(copy.db);
        if (problem.isEmpty())
            problem = soundnessProblem(copy.db);
    }
    if (!problem.isEmpty()) {
        setWhy(why, problem);
        return {};
    }
    staged.setAutoRemove(false);
    return staged.fileName();
}

bool ReplaceLocalDatabase(Connection &cn, const QString &prepared, QString *why)
{
    sqlite3 *target = cn.sqliteHandle();
    if (!target || cn.transactionDepth() > 0) {
        setWhy(why, QStringLiteral("数据库正在使用中。"));
        return false;
    }
    const QString connection = cn.connectionString();
    QString problem;
    {
        SqliteFile source(prepared, SQLITE_OPEN_READONLY);
        problem = source.rc == SQLITE_OK ? copyPages(target, source.db) : sqliteText(source.db);
    }
    if (!problem.isEmpty()) {
        setWhy(why, problem);
        return false;
    }
    // A connection of its own on the new contents: nothing read before the restore lingers.
    cn.open(connection);
    return true;
}

Steps LocalFileSteps() { return {&PrepareLocalCopy, &localBackupCurrent, &ReplaceLocalDatabase}; }

Steps &steps()
{
    static Steps current = LocalFileSteps();
    return current;
}

bool RestoreFrom(Connection &cn, const QString &backup, const std::function<bool()> &confirm)
{
    const QString name = QDir::toNativeSeparators(backup);
    QString why;
    // A server database has steps of its own (its dump tools).
    const Steps s = cn.postgresHandle() ? ModServerBackup::PostgresSteps() : steps();
    const QString prepared = s.prepare(backup, &why);
    if (prepared.isEmpty()) {
        MsgBox(QStringLiteral("备份文件“%1”不能用来恢复：%2\n数据没有改动。").arg(name, why), Msg::vbCritical);
        return false;
    }
    struct Cleanup {
        QString path, keep;
        ~Cleanup()
        {
            if (QFileInfo(path) != QFileInfo(keep))
                QFile::remove(path);
        }
    } cleanup{prepared, backup};
    if (!confirm())
        return false;
    const QString safety = s.backupCurrent(cn, backup, &why);
    if (safety.isEmpty()) {
        MsgBox(QStringLiteral("恢复前备份当前数据失败！%1\n数据没有改动。").arg(why), Msg::vbCritical);
        return false;
    }
    if (!s.replace(cn, prepared, &why)) {
        MsgBox(QStringLiteral("数据恢复失败！%1\n数据没有改动。").arg(why), Msg::vbCritical);
        return false;
    }
    MsgBox(QStringLiteral("数据恢复完成！已用备份文件 %1 恢复数据。\n恢复前的数据已备份为 %2。")
               .arg(name, QDir::toNativeSeparators(safety)),
           Msg::vbInformation);
    return true;
}

void Restore(const std::function<bool()> &closeWindows)
{
    if (!cnMain.isOpen())
        return;
    const QString folder = strDataPath;
    const QList<BackupFile> backups = folder.isEmpty() ? QList<BackupFile>() : ListBackups(folder);
    if (backups.isEmpty()) {
        MsgBox(QStringLiteral("没有找到备份文件（%1 中的 data….bak）。").arg(QDir::toNativeSeparators(folder)),
               Msg::vbExclamation);
        return;
    }
    QStringList rows;
    for (const BackupFile &b : backups)
        rows << QFileInfo(b.path).fileName() + QLatin1Char('\t') +
                    b.modified.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char('\t') + sizeText(b.size);
    frmRestore chooser(rows);
    if (ShowModal(&chooser) != QDialog::Accepted || chooser.chosen() < 0)
        return;
    const BackupFile &chosen = backups.at(chooser.chosen());
    RestoreFrom(cnMain, chosen.path, [&] {
        const QString question =
            QStringLiteral("用备份文件“%1”（%2）恢复数据，当前的数据将被替换（恢复前先备份当前数据）。是否继续？")
                .arg(QDir::toNativeSeparators(chosen.path), chosen.modified.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        return MsgBox(question, Msg::vbYesNo | Msg::vbQuestion | Msg::vbDefaultButton2) == Msg::vbYes && closeWindows();
    });
}

} // namespace ModRestore
