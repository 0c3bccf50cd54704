// Names of the files that exports and printing write beside the program.
#include "platform/print/print_files.h"

#include <QDir>
#include <QFileInfo>

QString uniqueFileName(const QString &folder, const QString &base, const QString &suffix)
{
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    for (qint64 n = 1;; ++n) {
        const QString path = dir.filePath(base + QString::number(n) + suffix);
        // exists() is false for a broken link, which would still be overwritten: ask for the link too.
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink())
            return QDir::cleanPath(path);
    }
}
