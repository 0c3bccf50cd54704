// ClsFlPrint: page headers and signature line of the exported sheet, and the print, preview and export steps.
#include "printing/spreadsheet_export.h"

#include "platform/print/print_files.h"
#include "platform/print/report_preview.h"
#include "platform/shell/shell.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/message_service.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

QString ClsFlPrint::NowText()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-M-d H:mm:ss"));
}

int DataGridCells::Rows() const { return m_grid.model() ? m_grid.model()->rowCount() + 1 : 1; }

int DataGridCells::Cols() const { return m_grid.columnCount(); }

QString DataGridCells::TextMatrix(int row, int col) const
{
    if (row == 0)
        return m_grid.columnCaption(col);
    const QAbstractItemModel *model = m_grid.model();
    return model ? model->index(row - 1, col).data(Qt::DisplayRole).toString() : QString();
}

int DataGridCells::ColWidth(int col) const { return m_grid.columnWidthTwips(col); }

std::shared_ptr<const CellTable> DataGridCells::cells() const
{
    auto cells = std::make_shared<TextCells>(false);
    const int rows = Rows(), cols = Cols();
    cells->resize(rows, cols);
    const Recordset *rs = m_grid.recordset();
    for (int c = 0; c < cols; ++c) {
        cells->setCell(0, c, TextMatrix(0, c), CellTable::Text);
        const int field = rs ? rs->fieldIndex(m_grid.columnField(c)) : -1;
        for (int r = 1; r < rows; ++r)
            cells->setCell(r, c, TextMatrix(r, c),
                           field >= 0 && isNumberValue(rs->valueAt(r - 1, field)) ? CellTable::Number : CellTable::Text);
    }
    return cells;
}

namespace {
// A title placed after a font-size code: an '&' in it is doubled so that it is not read as a code,
// and a blank goes before a leading digit, which would otherwise continue the size ("&14" + "200504").
QString headerText(const QString &text)
{
    const QString escaped = SheetWriter::escapeHeaderText(text);
    return !escaped.isEmpty() && escaped.front().isDigit() ? QLatin1Char(' ') + escaped : escaped;
}
} // namespace

void ClsFlPrint::decorate(SheetWriter &sheet) const
{
    sheet.setHeaderFont(QStringLiteral("黑体"), true);
    sheet.setBorders(true);
    // Printed, every column stays on the paper: a table wider than an upright page is printed
    // across, and one wider still is scaled to the page width.
    int tableTwips = 0;
    for (int c = 0; c < sheet.columnCount(); ++c)
        tableTwips += SheetWriter::columnTwips(sheet.columnWidth(c));
    sheet.setLandscape(tableTwips > SheetWriter().toReport().contentWidth());
    sheet.setFitToWidth(true);
    sheet.setSignatureLine({QStringLiteral("制表人："), czy, QStringLiteral("制表日期:"), strdate});
    sheet.setCenterHeader(QStringLiteral("&\"楷体_GB2312,常规\"&14") + headerText(strReportName) +
                          QStringLiteral("&\"宋体,常规\"") + QLatin1Char('\n'));
    sheet.setRightHeader(QLatin1Char('\n') + QStringLiteral("&\"楷体_GB2312,常规\"&12") + headerText(strGsname) +
                         QStringLiteral("&\"楷体_GB2312,常规\"&10日 期：") + SheetWriter::escapeHeaderText(strdate));
}

void ClsFlPrint::Flprint(const SheetWriter &sheet)
{
    m_lastFile.clear();
    m_lastPreview = nullptr;
    const QString mode = lx.toUpper();
    if (mode == QLatin1String("V")) {
        m_lastPreview = sheet.showPreview();
        return;
    }
    if (mode == QLatin1String("E")) {
        // A new name every time: an earlier export is never overwritten.
        const QString path = uniqueFileName(Shell::instance().programFolder(), QStringLiteral("book"), QStringLiteral(".xlsx"));
        const QString error = sheet.writeXlsx(path);
        if (!error.isEmpty()) {
            MsgBox(QStringLiteral("导出失败：") + error, Msg::vbCritical);
            return;
        }
        m_lastFile = path;
        // The workbook can be opened at once in the desktop's spreadsheet program, or its folder shown.
        const int answer = MsgBoxWithButtons(QStringLiteral("导出后，保存文件名称为") + QDir::toNativeSeparators(path),
                                             Msg::vbExclamation, {QStringLiteral("打开"), QStringLiteral("打开文件夹")});
        if (answer == Msg::vbExtraButton)
            Shell::instance().openDocument(path);
        else if (answer == Msg::vbExtraButton + 1)
            Shell::instance().openDocument(QFileInfo(path).absolutePath());
        return;
    }
    // "P" and any other mode print with the default settings; without a printer a PDF is written.
    const QString where = sheet.printToDefault(QStringLiteral("book"));
    if (where.isEmpty()) {
        MsgBox(QStringLiteral("打印失败。"), Msg::vbCritical);
        return;
    }
    if (where.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        m_lastFile = where;
        MsgBox(QStringLiteral("没有找到打印机，已打印到文件") + QDir::toNativeSeparators(where), Msg::vbInformation);
    }
}
