// SheetWriter: one worksheet described as cells, header row, borders, widths, page headers and a
// signature line; written as a real .xlsx, or printed, previewed and saved as PDF as the same sheet.
#pragma once

#include "platform/print/report_document.h"
#include "platform/ui/cell_table.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class QPrinter;
class QWidget;
class ReportPreview;

class SheetWriter {
public:
    SheetWriter() = default;
    SheetWriter(int rows, int columns) { resize(rows, columns); }

    // The table: rows × columns of cells; row 0 is the header row (or, for a table of blocks, the
    // caption row of the first block). Either a table shared as it is (a grid's cells: nothing is
    // copied) or cells set one by one here. Cells beyond the size are ignored on writing, cells
    // never set are empty.
    void setCells(std::shared_ptr<const CellTable> cells);
    std::shared_ptr<const CellTable> cells() const;
    void resize(int rows, int columns);
    int rowCount() const { return table().rowCount(); }
    int columnCount() const { return table().columnCount(); }
    void setCell(int row, int column, const QString &text);
    void setCell(int row, int column, const QString &text, CellTable::Kind kind);
    void setRow(int row, const QStringList &texts);
    QString cell(int row, int column) const { return table().text(row, column); }

    // Cells set here whose text is a plain number (Cells::isPlainNumber) count as numbers and are
    // written as numbers. Off: such cells are text unless set with a kind.
    void setNumbersAsNumbers(bool on);
    bool numbersAsNumbers() const { return m_numbers; }
    // The workbook's number format of money cells: two decimals with thousands separators.
    static constexpr const char *kMoneyFormat = "#,##0.00";

    // Fonts: the body font, and the header row (row 0) in bold with its own font ("黑体").
    void setFont(const QString &family, double size) { m_fontName = family, m_fontSize = size; }
    void setHeaderFont(const QString &family, bool bold = true) { m_headerFont = family, m_headerBold = bold; }
    QString fontName() const { return m_fontName; }
    double fontSize() const { return m_fontSize; }
    QString headerFont() const { return m_headerFont; }
    bool headerBold() const { return m_headerBold; }

    // Thin continuous borders on every cell of rows 0 … rows−1, columns 0 … columns−1.
    void setBorders(bool on) { m_borders = on; }
    bool borders() const { return m_borders; }

    // Column width in characters of the standard font; negative: the default width.
    void setColumnWidth(int column, double characters);
    double columnWidth(int column) const;  // -1 when not set

    // Page headers in the spreadsheet's header codes (&"font,style", &14, &P, &N, &D, &&, …).
    // A literal '&' in a title must be doubled: escapeHeaderText does that.
    void setCenterHeader(const QString &codes) { m_centerHeader = codes; }
    void setRightHeader(const QString &codes) { m_rightHeader = codes; }
    QString centerHeader() const { return m_centerHeader; }
    QString rightHeader() const { return m_rightHeader; }
    static QString escapeHeaderText(const QString &text);
    // A run of header text in a font: &"family,style" (when a family is given), &size (when size > 0),
    // then the text with '&' doubled. A text starting with a digit gets a blank in front: the
    // spreadsheet would read "&14" + "200505工资表" as the font size 14200505.
    static QString headerRun(const QString &text, const QString &family = {}, const QString &style = QStringLiteral("常规"),
                             int size = 0);
    // "&C" + centre + "&R" + right, cut to the 255 characters a page header may hold: the longer
    // part loses characters from its end, whole characters only and never half a code.
    QString headerString() const;

    // Texts of the line below the table (one per column, from column A), without borders.
    void setSignatureLine(const QStringList &cells) { m_signature = cells; }
    QStringList signatureLine() const { return m_signature; }

    void setSheetName(const QString &name) { m_sheetName = name; }
    void setLandscape(bool on) { m_landscape = on; }
    bool landscape() const { return m_landscape; }
    void setFitToWidth(bool on) { m_fitToWidth = on; }  // all columns on one page width
    bool fitToWidth() const { return m_fitToWidth; }
    // The header row on every printed page; a table of blocks has no header row to repeat.
    void setRepeatHeaderRow(bool on) { m_repeatHeader = on; }
    bool repeatHeaderRow() const { return m_repeatHeader && table().blockRows() == 0; }

    // Writes the workbook (one sheet). Returns the empty text on success, else what went wrong;
    // an existing file at path is replaced.
    QString writeXlsx(const QString &path) const;

    // The same sheet as a report: header codes as page header texts, the header row, the cells
    // with borders and widths, the signature line below the last row, paper and orientation.
    ReportDocument toReport() const;
    QString exportPdf(const QString &path) const { return toReport().exportPdf(path); }
    bool print(QPrinter *printer) const { return toReport().print(printer); }
    // No dialog; with no printer installed, a new PDF beside the program (baseName + n + ".pdf").
    // Returns the printer name or the PDF's path, empty when printing failed.
    QString printToDefault(const QString &baseName = QStringLiteral("book")) const
    {
        return toReport().printToDefault(baseName);
    }
    ReportPreview *showPreview(QWidget *parent = nullptr) const { return toReport().showPreview(parent); }

    // Column width in characters to twips, as the spreadsheet draws it (7-pixel digits, 5 pixels
    // of padding); the default width is 8.43 characters.
    static int columnTwips(double characters);

private:
    const CellTable &table() const { return m_shared ? *m_shared : *m_own; }
    TextCells &own();

    std::shared_ptr<TextCells> m_own = std::make_shared<TextCells>(false);
    std::shared_ptr<const CellTable> m_shared;  // set: the cells are this table's
    QList<double> m_widths;
    bool m_numbers = false;
    QString m_fontName = QStringLiteral("宋体");
    double m_fontSize = 11;
    QString m_headerFont = QStringLiteral("黑体");
    bool m_headerBold = true;
    bool m_borders = true;
    QString m_centerHeader, m_rightHeader;
    QStringList m_signature;
    QString m_sheetName = QStringLiteral("Sheet1");
    bool m_landscape = false;
    bool m_fitToWidth = false;
    bool m_repeatHeader = true;
};
