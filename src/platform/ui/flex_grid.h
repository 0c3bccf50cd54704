// FlexGrid: a grid of texts filled cell by cell (rows, cols, TextMatrix, ColWidth); row 0 is its fixed caption row.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>

class Recordset;

// The texts of a FlexGrid, kept in one flat list (row-major); the fixed rows show as the header.
class FlexGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FlexGridModel(QObject *parent = nullptr);

    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    void setSize(int rows, int cols);  // keeps the texts that still fit
    int fixedRows() const { return m_fixedRows; }
    void setFixedRows(int n);          // 0 or 1
    QString text(int row, int col) const;
    void setText(int row, int col, const QString &text);
    void setTable(const QList<QStringList> &table);
    void clearTexts();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void scheduleRefresh();

    int m_rows = 0;
    int m_cols = 0;
    int m_fixedRows = 1;
    QStringList m_cells;
    bool m_refreshPending = false;
};

class FlexGrid : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget *parent = nullptr);

    int Rows() const;
    void setRows(int rows);
    int Cols() const;
    void setCols(int cols);
    int FixedRows() const;
    void setFixedRows(int rows);
    QString TextMatrix(int row, int col) const;        // empty outside the grid
    void setTextMatrix(int row, int col, const QString &text);  // ignored outside the grid
    int ColWidth(int col) const;                       // twips; -1 for the default width
    void setColWidth(int col, int twips);
    void Clear();                                      // empties every cell; rows and cols stay
    // Replaces the whole grid at once: as many rows as lines, as many cols as the longest line.
    void setTable(const QList<QStringList> &table);
    // Shows a recordset as the old bound grid did: row 0 the field names, then one row per record
    // (Null as an empty cell); the recordset's cursor does not move.
    void fillFromRecordset(const Recordset &rs);

    int Row() const;  // the current cell, counted as TextMatrix counts (row 0 is the fixed row)
    int Col() const;

    FlexGridModel *flexModel() const { return m_model; }

private:
    void applyWidths();

    FlexGridModel *m_model;
    QList<int> m_widths;  // twips per column, -1 default
};
