// Modczyrz: writing the operator activity log.
#include "operators/activity_log.h"

#include "app/program_state.h"
#include "app/sql_dialect.h"
#include "app/sql_text.h"

#include <QDateTime>

namespace Modczyrz {

void LogUseStart(const QString &what)
{
    cnMain.execute(QStringLiteral("insert into czyrz([czyname],czyxm) ") + QStringLiteral(" values('") +
                   SqlQuote(strCzyName) + QStringLiteral("','") + SqlQuote(what) + QStringLiteral("')"));
}

void LogUseEnd(const QString &what)
{
    cnMain.execute(QStringLiteral("update czyrz set last_time= ") +
                   ModGetDAte::DateLiteral(QDateTime::currentDateTime()) + QStringLiteral(" where czyxm='") +
                   SqlQuote(what) + QStringLiteral("' and last_time is null"));
}

} // namespace Modczyrz
