// Modczyrz: the operator activity log, one czyrz row per use of an administrative window.
#pragma once

#include <QString>

namespace Modczyrz {

// Opens a log row for the operator logged in (strCzyName) and the window caption `what`;
// the database fills in the start time.
void LogUseStart(const QString &what);
// Closes every open row of `what`, whoever opened it, with the current date and time. Rows left
// open by an earlier run that ended without closing the window are closed here too.
void LogUseEnd(const QString &what);

} // namespace Modczyrz
