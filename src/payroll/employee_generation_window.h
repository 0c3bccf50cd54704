// FrmGZscYg: generates the wage row of one employee for one month from the personnel table.
#pragma once

#include <QWidget>

class DataCombo;
class QLabel;
class QPushButton;
class Recordset;

class FrmGZscYg : public QWidget {
    Q_OBJECT
public:
    explicit FrmGZscYg(QWidget *parent = nullptr);  // reads the month and employee lists
    ~FrmGZscYg() override;

    bool YeXmCheck(const QString &strYe, const QString &strXm);  // true when no row of that name is in the month

    void Command1_Click();

    void setMonth(const QString &month);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Recordset *rsMonths;
    Recordset *rsNames;
    DataCombo *DataRC;
    DataCombo *DataXm;
    QLabel *Label1;
    QLabel *Label2;
    QPushButton *Command1;
    QPushButton *Command2;
};
