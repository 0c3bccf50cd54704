// Modulback: the data backup, a consistent copy of the local database file beside it.
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

class Connection;

namespace Modulback {

// The backup file for the hour of now: dataPath + "/data" + year + month + day + hour + ".bak",
// each number in decimal without leading zeros (2005-03-07 09h gives data2005379.bak).
QString BackupTargetName(const QString &dataPath, const QDateTime &now);

enum class CopyResult {
    Done,            // the target holds a complete, consistent copy, readable by its owner only
    TargetNotReady,  // the target folder is missing (the old "disk not ready": a medium may be put in)
    Failed,          // anything else (no SQLite source, no permission, a full disk, an I/O error);
                     // errorText says which, in Chinese
};

// Copies the open SQLite database of source into a new file at targetPath through SQLite's online
// backup, pagesPerStep pages at a time (-1: all at once). Writes made to the source between steps
// restart or update the copy, so the result is always one committed state of the source. The copy
// is made beside the target and renamed over it only when complete, so a target of the same name is
// replaced whole and a failed copy leaves it untouched. afterStep, when set, runs after every step.
CopyResult CopyDatabase(Connection &source, const QString &targetPath, int pagesPerStep = -1,
                        const std::function<void()> &afterStep = {}, QString *errorText = nullptr);

// The menu command "&4.数据备份": copies cnMain's database to BackupTargetName(strDataPath, now),
// asking to retry while the target folder is missing; any other failure is said and ends the
// backup; server mode (no database file) ends quietly.
void Backup();

} // namespace Modulback
