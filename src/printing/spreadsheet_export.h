// ClsFlPrint: a grid on screen turned into a worksheet, then printed, previewed or saved as a workbook.
#pragma once

#include "platform/print/sheet_writer.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class DataGrid;

// The cells of a data-bound grid as ClsFlPrint reads a grid: row 0 the column captions, then one
// row per record with the texts the grid shows; widths as the grid shows them. Values of a number
// type are number cells, everything else text.
class DataGridCells {
public:
    explicit DataGridCells(const DataGrid &grid) : m_grid(grid) {}
    int Rows() const;
    int Cols() const;
    QString TextMatrix(int row, int col) const;
    int ColWidth(int col) const;
    std::shared_ptr<const CellTable> cells() const;  // a copy of what the grid shows now

private:
    const DataGrid &m_grid;
};

class ClsFlPrint {
public:
    // Set by the caller before Flprint.
    QString strGsname;      // company name: right page header
    QString strReportName;  // report title: centre page header
    QString strdate;        // date of the report: right page header and signature line
    QString lx;             // "P" print, "V" preview, "E" export (any case); anything else prints
    QString czy;            // who made the table: signature line

    // Builds the sheet from the grid and prints, previews or exports it. Grid: anything offering
    // Rows(), Cols(), TextMatrix(row, col) and ColWidth(col) (twips, −1 for the default width);
    // row 0 is its header row. A grid that hands out its cells (cells()) is taken as it is,
    // numbers and money included, without copying a cell.
    template <class Grid>
    void Flprint(const Grid &grid)
    {
        Flprint(SheetFor(grid));
    }
    void Flprint(const SheetWriter &sheet);

    // The worksheet a grid becomes: its cells (number cells as numbers, money with two decimals),
    // the header row in bold "黑体", borders over rows × cols, widths ColWidth/90 for the first 31
    // columns, the signature line and the page headers.
    template <class Grid>
    SheetWriter SheetFor(const Grid &grid) const
    {
        SheetWriter sheet;
        if constexpr (requires { grid.cells(); }) {
            sheet.setCells(grid.cells());
        } else {
            // Only texts to go by: a text that is a plain number is a number, as typed into a sheet.
            auto cells = std::make_shared<TextCells>(true);
            cells->resize(grid.Rows(), grid.Cols());
            for (int i = 0; i < grid.Rows(); ++i)
                for (int j = 0; j < grid.Cols(); ++j)
                    cells->setText(i, j, grid.TextMatrix(i, j));
            sheet.setCells(std::move(cells));
        }
        for (int j = 0; j < sheet.columnCount() && j < kWidthColumns; ++j)
            if (grid.ColWidth(j) != -1)
                sheet.setColumnWidth(j, grid.ColWidth(j) / 90.0);
        decorate(sheet);
        return sheet;
    }

    // What the last Flprint produced: the workbook or PDF written (empty when it printed on a
    // printer or showed a preview), and the preview window it opened.
    QString lastFile() const { return m_lastFile; }
    QWidget *lastPreview() const { return m_lastPreview; }

    // Widths are set for the first 31 columns (A … AE) only.
    static constexpr int kWidthColumns = 31;
    // The current date and time as the reports write it ("2005-3-17 14:09:00").
    static QString NowText();

private:
    void decorate(SheetWriter &sheet) const;

    QString m_lastFile;
    QPointer<QWidget> m_lastPreview;
};
