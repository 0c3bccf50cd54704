// FlexGrid: a grid of texts filled cell by cell (rows, cols, TextMatrix, ColWidth); row 0 is its fixed caption row.
#pragma once

#include "platform/ui/cell_table.h"

#include <QAbstractTableModel>
#include <QTableView>

#include <memory>

class Recordset;

// The cells of a FlexGrid: its own texts, or a table handed to it whole (shared, never copied
// until the grid is written to); the fixed rows show as the header. Number cells are right-aligned,
// text cells left-aligned.
class FlexGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FlexGridModel(QObject *parent = nullptr);

    int rows() const { return table().rowCount(); }
    int cols() const { return table().columnCount(); }
    void setSize(int rows, int cols);  // keeps the texts that still fit
    int fixedRows() const { return m_fixedRows; }
    void setFixedRows(int n);          // 0 or 1
    QString text(int row, int col) const { return table().text(row, col); }
    void setText(int row, int col, const QString &text);
    void setTable(const QList<QStringList> &table);
    void setTable(std::shared_ptr<const CellTable> table);
    void clearTexts();
    // The cells as they are now; the grid copies before it changes a table someone else holds.
    std::shared_ptr<const CellTable> cells() const;
    const CellTable &table() const { return m_ext ? *m_ext : *m_own; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TextCells &own();  // the grid's own texts, copied first when shared or when showing another table
    void scheduleRefresh();

    std::shared_ptr<TextCells> m_own;
    std::shared_ptr<const CellTable> m_ext;  // set: the grid shows this table
    int m_fixedRows = 1;
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
    // Shows a table as it is, without copying its cells (a month of 100,000 rows).
    void setTable(std::shared_ptr<const CellTable> table);
    std::shared_ptr<const CellTable> cells() const { return m_model->cells(); }
    bool CellNumber(int row, int col, double *value) const;  // true for a number cell
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
