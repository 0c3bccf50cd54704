// Where the main window puts a child window: inside the visible area, cascaded, or where it was.
#include "app/window_placement.h"

#include "app/program_state.h"
#include "platform/shell/shell.h"

#include <QStringList>

namespace WindowPlacement {

namespace {
const QString kSection = QStringLiteral("windows");
}

QRect Cascade(const QSize &area, const QSize &size, const QSize &minimum, int index, int step)
{
    const QSize fitted = size.boundedTo(area).expandedTo(minimum);
    const int x = qMax(0, qMin(index * step, area.width() - fitted.width()));
    const int y = qMax(0, qMin(index * step, area.height() - fitted.height()));
    return {QPoint(x, y), fitted};
}

bool StillFits(const QSize &area, const QRect &remembered, const QSize &minimum)
{
    return remembered.isValid() && QRect(QPoint(0, 0), area).contains(remembered) &&
           remembered.width() >= minimum.width() && remembered.height() >= minimum.height();
}

QRect Remembered(const QString &name)
{
    const QStringList parts = GetSetting(kAppTitle, kSection, name).split(QLatin1Char(','));
    if (parts.size() != 4)
        return {};
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return {};
    }
    return {v[0], v[1], v[2], v[3]};
}

void Remember(const QString &name, const QRect &geometry)
{
    SaveSetting(kAppTitle, kSection, name,
                QStringLiteral("%1,%2,%3,%4").arg(geometry.x()).arg(geometry.y()).arg(geometry.width()).arg(geometry.height()));
}

} // namespace WindowPlacement
