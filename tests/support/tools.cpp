// Runs the command-line tools the tests read documents back with.
#include "tools.h"

#include <QProcess>

QString runTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfLayoutText(const QString &pdf)
{
    return runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

QString xlsxPart(const QString &xlsx, const QString &part)
{
    return runTool(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, part});
}
