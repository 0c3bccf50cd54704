// The window shared by the pay sheet and the pay slips: month chooser, query, grid and print buttons.
#pragma once

#include "printing/pay_grid.h"

#include <QWidget>

class DataCombo;
class FlexGrid;
class QLabel;
class QPushButton;
class Recordset;

class PayGridWindow : public QWidget {
    Q_OBJECT
public:
    ~PayGridWindow() override;

    // getgzZd: the column list of the shown wage items and the grid's column count.
    void getgzZd();
    // gzfind: the month of DataRC into the grid, its columns and captions read afresh from the
    // dictionary; a month without rows leaves the grid as it was.
    void gzfind();
    // print_lx: the grid through ClsFlPrint in mode strlx, titled with the month and "工资表".
    void print_lx(const QString &strlx);

    // Chooses a month as picking it from the list does (and queries it).
    void selectMonth(const QString &month);
    QString columnList() const { return m_columnList; }
    int columnCount() const { return m_cols; }

protected:
    PayGridWindow(const QString &name, const QString &caption, ModPayGrid::PayTable::Layout layout, QWidget *parent);
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    QString m_tableName;

private:
    void reportError(const struct DbError &e);
    void readColumns();

    ModPayGrid::PayTable::Layout m_layout;
    ModPayGrid::ShownColumns m_shown;
    QString m_columnList;
    int m_cols = 0;
    Recordset *rsMonths;
    QLabel *Label2;
    DataCombo *DataRC;
    QPushButton *Command1;
    QPushButton *Command3;
    QPushButton *Command4;
    QPushButton *Command5;
    QPushButton *Command2;
    FlexGrid *MSFl;
};
