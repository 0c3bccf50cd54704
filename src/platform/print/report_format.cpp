// Number formats of report fields and totals, with the old Format function's rules.
#include "platform/print/report_format.h"

#include "platform/db/access_format.h"

#include <QDate>
#include <QDateTime>

#include <cmath>

namespace ReportFormat {

bool toNumber(const QVariant &value, double *out)
{
    if (!value.isValid() || value.isNull())
        return false;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Bool:
        *out = value.toDouble();
        return std::isfinite(*out);
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        bool ok = false;
        const double v = value.toString().trimmed().toDouble(&ok);
        if (ok && std::isfinite(v)) {
            *out = v;
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

QString formatNumber(double value, const QString &pattern) { return accessfmt::formatNumber(value, pattern); }

QString formatValue(const QVariant &value, const QString &pattern)
{
    if (!value.isValid() || value.isNull())
        return accessfmt::formatNull(pattern);
    double number = 0;
    if (toNumber(value, &number)) {
        // Text keeps its own look when no pattern asks for another.
        if (pattern.isEmpty() && value.typeId() == QMetaType::QString)
            return value.toString();
        if (value.typeId() == QMetaType::Bool && pattern.isEmpty())
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        return formatNumber(number, pattern);
    }
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime dt = value.toDateTime();
        return dt.time() == QTime(0, 0) ? dt.date().toString(QStringLiteral("yyyy-MM-dd"))
                                        : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    return value.toString();
}

} // namespace ReportFormat
