// CellTable: a read-only table of cells, each a text or a number, shown by grids and written by sheets.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace Cells {

// True for text that is a plain decimal number a spreadsheet may hold as a number without changing
// how it reads: an optional '-', no leading zeros ("007" stays text), at most 15 significant digits
// (longer ones, such as identity numbers, would lose digits). Gives the value and its decimals.
bool isPlainNumber(const QString &text, double *value = nullptr, int *decimals = nullptr);

} // namespace Cells

// What a grid shows and a sheet writes: rows × columns of cells. A table handed to others is never
// changed afterwards (a grid that is written to makes its own copy first), so a preview or a
// workbook may keep it while the window goes on.
class CellTable {
public:
    // Text: shown and written as text, whatever it reads ("001", "200504"). Number: a number shown
    // as its text. Money: a number shown and written with two decimals.
    enum Kind : std::uint8_t { Text, Number, Money };

    virtual ~CellTable() = default;
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual QString text(int row, int column) const = 0;  // as shown; empty outside the table
    virtual Kind kind(int row, int column) const = 0;
    virtual double number(int row, int column) const = 0;  // the value of a Number or Money cell
    // How the rows go on paper: 0 for a header row followed by one row per record; k > 0 for
    // blocks of k rows from row 0, each carrying its own caption row, never split across pages.
    virtual int blockRows() const { return 0; }
};

// A table of texts kept in memory and changed cell by cell. With general numbers on, a text that is
// a plain number counts as a Number cell (as a spreadsheet's general format reads typed text);
// otherwise cells are text unless set with a kind of their own.
class TextCells : public CellTable {
public:
    explicit TextCells(bool generalNumbers = true) : m_general(generalNumbers) {}
    // A copy of another table's texts and kinds.
    static std::shared_ptr<TextCells> copyOf(const CellTable &table);

    void resize(int rows, int columns);  // keeps the texts that still fit
    void setText(int row, int column, const QString &text);  // grows the table when needed
    void setCell(int row, int column, const QString &text, Kind kind);
    void clearTexts();
    void setGeneralNumbers(bool on) { m_general = on; }

    int rowCount() const override { return m_rows; }
    int columnCount() const override { return m_cols; }
    QString text(int row, int column) const override;
    Kind kind(int row, int column) const override;
    double number(int row, int column) const override;

private:
    static constexpr std::uint8_t kAuto = 255;  // kind read from the text
    qsizetype at(int row, int column) const { return qsizetype(row) * m_cols + column; }
    bool inside(int row, int column) const { return row >= 0 && row < m_rows && column >= 0 && column < m_cols; }

    int m_rows = 0, m_cols = 0;
    bool m_general;
    QStringList m_texts;                // row-major
    std::vector<std::uint8_t> m_kinds;  // row-major, kAuto unless set
};
