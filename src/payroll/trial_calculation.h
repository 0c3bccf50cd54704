// ModGzjs, trial: the month's calculation run inside a transaction that is rolled back, with what it
// would change.
#pragma once

#include "payroll/wage_calculation.h"

#include <QList>
#include <QString>
#include <optional>

class Connection;

namespace ModGzjs {

// One computed item: rows of the month it changes, the month's total before and after.
struct TrialItem {
    QString code;
    QString caption;
    int rowsChanged = 0;
    double before = 0;
    double after = 0;
};

// One employee whose net pay (t40) changes.
struct TrialEmployee {
    QString number;
    QString name;
    double before = 0;
    double after = 0;
};

struct TrialResult {
    std::optional<CalcFailure> failure;  // the item refused, as the real calculation reports it
    QList<TrialItem> items;              // in calculation order
    QList<TrialEmployee> largest;        // the largest changes of t40 first
    int rows = 0;                        // rows of the month
};

// Runs the calculation of the month exactly as CalculateMonth does, reads what changed, and rolls
// everything back: the database is left as it was. largest: how many employees to list.
TrialResult TrialCalculation(Connection &cn, const QString &month, int largest = 10);

} // namespace ModGzjs
