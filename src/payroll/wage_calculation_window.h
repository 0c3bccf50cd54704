// FrmGZjs: the wage calculation window: choose a month and compute it by the dictionary's formulas.
#pragma once

#include <QPointer>
#include <QWidget>

class DataCombo;
class QLabel;
class QPushButton;
class Recordset;

class FrmGZjs : public QWidget {
    Q_OBJECT
public:
    explicit FrmGZjs(QWidget *parent = nullptr);  // reads the month list
    ~FrmGZjs() override;

    // Computes the month of DataRC and reports the end: done, or the item the database refused.
    void getgzZd();
    // Runs the calculation of the month without writing it and shows what it would change.
    void trial();
    QWidget *trialWindow() const { return m_trial; }
    void setMonth(const QString &month);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Recordset *rsMonths;
    DataCombo *DataRC;
    QLabel *Label4;
    QPushButton *Command1;
    QPushButton *Command2;
    QPushButton *Command3;
    QPointer<QWidget> m_trial;
};
