// FrmGzsC: generates a month's wage rows from the personnel table or by copying another month.
#pragma once

#include <QWidget>

class DataCombo;
class QLabel;
class QPushButton;
class Recordset;
struct DbError;

class FrmGzsC : public QWidget {
    Q_OBJECT
public:
    explicit FrmGzsC(QWidget *parent = nullptr);  // reads the month list
    ~FrmGzsC() override;

    bool YeCheck(const QString &strYe);  // true when the month has no row yet

    void CmdgzDA_Click();   // from the personnel table
    void Command1_Click();  // by copying the month of DataRC0

    void setMonth(const QString &month);  // the month to generate, as if typed

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Recordset *rsMonths;
    DataCombo *DataRC;
    DataCombo *DataRC0;
    QLabel *Label1;
    QLabel *Label2;
    QPushButton *CmdgzDA;
    QPushButton *Command1;
    QPushButton *Command2;
};

// Shared by the payroll windows: the report of a statement the database refused.
void ReportPayrollError(const DbError &e);
