// ModRestore: the data restore, the open database replaced by one of its backups beside it.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

class Connection;

namespace ModRestore {

struct BackupFile {
    QString path;
    QDateTime modified;
    qint64 size = 0;
};

// The backups "data….bak" in folder, newest first (by the time they were written: their names do
// not sort by date).
QList<BackupFile> ListBackups(const QString &folder);

// The steps that depend on how the database is kept. The local file mode's are the defaults; a
// server mode installs its own (a dump file and its restore program) and the command stays the same.
struct Steps {
    // Checks the backup and makes ready what `replace` reads: the path of it, or empty with the
    // reason when the backup is refused. Nothing of the database is touched.
    std::function<QString(const QString &backup, QString *why)> prepare;
    // Backs the current database up as 数据备份 does, never over `keep` (the backup being restored):
    // the file written, or empty with the reason.
    std::function<QString(Connection &cn, const QString &keep, QString *why)> backupCurrent;
    // Replaces the database cn works on with the prepared copy and connects cn to the result; false
    // with the reason when the database was left as it was.
    std::function<bool(Connection &cn, const QString &prepared, QString *why)> replace;
};
Steps LocalFileSteps();
Steps &steps();  // the steps of this run; LocalFileSteps until a server mode sets its own

// The local file mode's steps, one by one.
// A private copy of backup beside it, readable by its owner only, taken through SQLite's backup
// API from the file opened read-only; refused unless SQLite's integrity check passes and every
// table the program expects is there.
QString PrepareLocalCopy(const QString &backup, QString *why);
// The open SQLite database of cn, page by page replaced by the file at prepared (SQLite's backup
// API, one transaction: a failure leaves the database whole), then cn opened again on it.
bool ReplaceLocalDatabase(Connection &cn, const QString &prepared, QString *why);

// The whole restore without windows: prepare, confirm (false: nothing happens), back up the
// current database, replace it. Every outcome is said through the message service; true when the
// database now holds the backup. The prepared copy is removed whatever happens.
bool RestoreFrom(Connection &cn, const QString &backup, const std::function<bool()> &confirm);

// The menu command "&5.数据恢复": lists the backups beside the database, lets the person choose
// one, asks, closes the open windows (closeWindows; false when one of them stays open) and
// restores. Server mode without steps of its own, and a database without backups, say so.
void Restore(const std::function<bool()> &closeWindows);

} // namespace ModRestore
