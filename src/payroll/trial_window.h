// FrmGZjsTrial: what a trial calculation of a month would change, with the choice to compute it.
#pragma once

#include "payroll/trial_calculation.h"

#include <QWidget>

class FlexGrid;
class QLabel;
class QPushButton;

class FrmGZjsTrial : public QWidget {
    Q_OBJECT
public:
    FrmGZjsTrial(const QString &month, const ModGzjs::TrialResult &result, QWidget *parent = nullptr);

    // Runs the real calculation of the month and reports it as the calculation window does.
    void confirm();
    // Writes the item table to a workbook beside the program.
    void exportTable();

signals:
    void calculated();

private:
    QString m_month;
    QLabel *Label1;
    FlexGrid *FlTrial;
    QLabel *Label2;
    FlexGrid *FlEmployees;
    QPushButton *cmdConfirm;
    QPushButton *cmdExport;
    QPushButton *cmdClose;
};
