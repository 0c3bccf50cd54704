// SheetWriter: the sheet description and its .xlsx output through libxlsxwriter.
#include "platform/print/sheet_writer.h"
#include "platform/print/print_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kMaxRows = 1048576;
constexpr int kMaxCols = 16384;
constexpr int kMaxCellText = 32767;
constexpr int kMaxHeader = 255;

// Cuts a header part after its last complete code: no lone '&' at the end, no &"font open.
QList<uint> wholeCodes(const QList<uint> &part)
{
    qsizetype i = 0;
    const qsizetype n = part.size();
    while (i < n) {
        if (part.at(i) != '&') {
            ++i;
            continue;
        }
        if (i + 1 >= n)
            return part.mid(0, i);
        if (part.at(i + 1) == '"') {
            const qsizetype close = part.indexOf('"', i + 2);
            if (close < 0)
                return part.mid(0, i);
            i = close + 1;
        } else {
            i += 2;
        }
    }
    return part;
}

// The cell's text as UTF-8 in a buffer used again for every cell (no allocation per cell), cut to
// the longest text a cell holds without splitting a character.
const char *utf8Cell(const QString &text, std::string &buf)
{
    buf.clear();
    const qsizetype n = std::min<qsizetype>(text.size(), kMaxCellText);
    const char16_t *s = reinterpret_cast<const char16_t *>(text.constData());
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00) {
            if (i + 1 >= n || s[i + 1] < 0xDC00 || s[i + 1] >= 0xE000) {
                if (i + 1 >= n && n < text.size())
                    break;  // the pair would be cut at the limit: leave it out
                c = 0xFFFD;
            } else {
                c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
            }
        } else if (c >= 0xDC00 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            buf += char(c);
        } else if (c < 0x800) {
            buf += char(0xC0 | (c >> 6));
            buf += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            buf += char(0xE0 | (c >> 12));
            buf += char(0x80 | ((c >> 6) & 0x3F));
            buf += char(0x80 | (c & 0x3F));
        } else {
            buf += char(0xF0 | (c >> 18));
            buf += char(0x80 | ((c >> 12) & 0x3F));
            buf += char(0x80 | ((c >> 6) & 0x3F));
            buf += char(0x80 | (c & 0x3F));
        }
    }
    return buf.c_str();
}

} // namespace

TextCells &SheetWriter::own()
{
    if (m_shared) {
        m_own = TextCells::copyOf(*m_shared);
        m_shared.reset();
    } else if (m_own.use_count() > 1) {  // a copy of this sheet, or a preview, holds the cells
        m_own = std::make_shared<TextCells>(*m_own);
    }
    return *m_own;
}

void SheetWriter::setCells(std::shared_ptr<const CellTable> cells)
{
    m_shared = std::move(cells);
    if (!m_shared)
        m_own = std::make_shared<TextCells>(m_numbers);
}

std::shared_ptr<const CellTable> SheetWriter::cells() const
{
    if (m_shared)
        return m_shared;
    return m_own;
}

void SheetWriter::resize(int rows, int columns) { own().resize(rows, columns); }

void SheetWriter::setCell(int row, int column, const QString &text) { own().setText(row, column, text); }

void SheetWriter::setCell(int row, int column, const QString &text, CellTable::Kind kind)
{
    own().setCell(row, column, text, kind);
}

void SheetWriter::setRow(int row, const QStringList &texts)
{
    for (int c = 0; c < texts.size(); ++c)
        setCell(row, c, texts.at(c));
}

void SheetWriter::setNumbersAsNumbers(bool on)
{
    m_numbers = on;
    if (!m_shared)
        own().setGeneralNumbers(on);
}

void SheetWriter::setColumnWidth(int column, double characters)
{
    if (column < 0)
        return;
    if (m_widths.size() <= column)
        m_widths.resize(column + 1, -1);
    m_widths[column] = characters;
}

double SheetWriter::columnWidth(int column) const
{
    const double w = m_widths.value(column, -1);
    return w < 0 ? -1 : w;
}

QString SheetWriter::escapeHeaderText(const QString &text)
{
    QString out = text;
    return out.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString SheetWriter::headerRun(const QString &text, const QString &family, const QString &style, int size)
{
    QString out;
    if (!family.isEmpty())
        out += QStringLiteral("&\"%1,%2\"").arg(family, style.isEmpty() ? QStringLiteral("常规") : style);
    if (size > 0) {
        out += QLatin1Char('&') + QString::number(size);
        if (!text.isEmpty() && text.at(0).isDigit())
            out += QLatin1Char(' ');
    }
    return out + escapeHeaderText(text);
}

QString SheetWriter::headerString() const
{
    QList<uint> center = m_centerHeader.toUcs4();
    QList<uint> right = m_rightHeader.toUcs4();
    auto total = [&] {
        return (center.isEmpty() ? 0 : 2 + center.size()) + (right.isEmpty() ? 0 : 2 + right.size());
    };
    while (total() > kMaxHeader) {
        QList<uint> &longer = right.size() >= center.size() ? right : center;
        longer.resize(std::max<qsizetype>(0, longer.size() - (total() - kMaxHeader)));
        longer = wholeCodes(longer);
    }
    QString out;
    if (!center.isEmpty())
        out += QStringLiteral("&C") + QString::fromUcs4(reinterpret_cast<const char32_t *>(center.constData()), center.size());
    if (!right.isEmpty())
        out += QStringLiteral("&R") + QString::fromUcs4(reinterpret_cast<const char32_t *>(right.constData()), right.size());
    return out;
}

int SheetWriter::columnTwips(double characters)
{
    if (characters < 0)
        characters = 8.43;
    const double pixels = characters <= 1 ? characters * 12 : std::trunc(characters * 7 + 5);
    return int(std::lround(pixels)) * 15;
}

QString SheetWriter::writeXlsx(const QString &path) const
{
    const QString failed = QStringLiteral("无法写入文件“%1”：").arg(QDir::toNativeSeparators(path));
    if (path.trimmed().isEmpty())
        return QStringLiteral("没有给出文件名");
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        return failed + QStringLiteral("文件夹不存在");
    if (info.isDir())
        return failed + QStringLiteral("这是一个文件夹");
    const CellTable &cells = table();
    const int rows = cells.rowCount(), cols = cells.columnCount(), block = cells.blockRows();
    if (rows + (m_signature.isEmpty() ? 0 : 1) > kMaxRows || cols > kMaxCols)
        return failed + QStringLiteral("行数或列数超过了工作表的上限");

    // Written to a new file beside the target and renamed over it at the end: a failure leaves
    // neither half a workbook nor a damaged earlier file.
    const QString tmpPath = uniqueFileName(info.absolutePath(), QStringLiteral(".~") + info.fileName() + QLatin1Char('.'),
                                           QStringLiteral(".tmp"));
    const QByteArray fileName = QFile::encodeName(tmpPath);
    QByteArray tmpDir = QFile::encodeName(QDir::tempPath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;  // rows go straight to disk: fast and small for big sheets
    options.tmpdir = tmpDir.data();
    lxw_workbook *wb = workbook_new_opt(fileName.constData(), &options);
    if (!wb)
        return failed + QStringLiteral("无法创建工作簿");
    lxw_worksheet *ws = workbook_add_worksheet(wb, m_sheetName.isEmpty() ? nullptr : m_sheetName.toUtf8().constData());
    if (!ws)  // a name the spreadsheet does not allow: the default name
        ws = workbook_add_worksheet(wb, nullptr);
    if (!ws) {
        workbook_close(wb);
        QFile::remove(tmpPath);
        return failed + QStringLiteral("无法创建工作表");
    }

    const QByteArray bodyFont = m_fontName.toUtf8();
    const QByteArray headFont = (m_headerFont.isEmpty() ? m_fontName : m_headerFont).toUtf8();
    auto newFormat = [&](bool header, bool border) {
        lxw_format *f = workbook_add_format(wb);
        format_set_font_name(f, (header ? headFont : bodyFont).constData());
        format_set_font_size(f, m_fontSize);
        if (header && m_headerBold)
            format_set_bold(f);
        if (border)
            format_set_border(f, LXW_BORDER_THIN);
        return f;
    };
    lxw_format *headFmt = newFormat(true, m_borders);
    lxw_format *bodyFmt = newFormat(false, m_borders);
    lxw_format *plainFmt = newFormat(false, false);
    lxw_format *moneyFmt = newFormat(false, m_borders);
    format_set_num_format(moneyFmt, kMoneyFormat);

    for (int c = 0; c < m_widths.size() && c < cols; ++c)
        if (m_widths.at(c) >= 0)
            worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), m_widths.at(c), nullptr);

    // Page setup.
    worksheet_set_paper(ws, 9);  // A4
    if (m_landscape)
        worksheet_set_landscape(ws);
    if (m_fitToWidth)
        worksheet_fit_to_pages(ws, 1, 0);
    if (repeatHeaderRow() && rows > 1)
        worksheet_repeat_rows(ws, 0, 0);
    const QString header = headerString();
    if (!header.isEmpty())
        worksheet_set_header(ws, header.toUtf8().constData());

    // Cells, row after row (constant memory mode takes them in this order only).
    lxw_error error = LXW_NO_ERROR;
    std::string utf8;
    utf8.reserve(256);
    for (int r = 0; r < rows && error == LXW_NO_ERROR; ++r) {
        // The header row, or the caption row of each block, in the header font.
        const bool caption = block > 0 ? r % block == 0 : r == 0;
        lxw_format *fmt = caption ? headFmt : bodyFmt;
        for (int c = 0; c < cols && error == LXW_NO_ERROR; ++c) {
            const CellTable::Kind kind = cells.kind(r, c);
            if (kind != CellTable::Text) {
                error = worksheet_write_number(ws, lxw_row_t(r), lxw_col_t(c), cells.number(r, c),
                                               kind == CellTable::Money ? moneyFmt : bodyFmt);
                continue;
            }
            const QString text = cells.text(r, c);
            if (text.isEmpty()) {
                if (m_borders)
                    error = worksheet_write_blank(ws, lxw_row_t(r), lxw_col_t(c), fmt);
                continue;
            }
            error = worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c), utf8Cell(text, utf8), fmt);
        }
    }
    for (int c = 0; c < m_signature.size() && error == LXW_NO_ERROR; ++c)
        if (!m_signature.at(c).isEmpty())
            error = worksheet_write_string(ws, lxw_row_t(rows), lxw_col_t(c), utf8Cell(m_signature.at(c), utf8),
                                           plainFmt);

    const lxw_error closed = workbook_close(wb);  // frees the workbook in every case
    if (error == LXW_NO_ERROR)
        error = closed;
    if (error != LXW_NO_ERROR) {
        QFile::remove(tmpPath);
        return failed + QString::fromUtf8(lxw_strerror(error));
    }
    if (std::rename(fileName.constData(), QFile::encodeName(path).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(tmpPath);
        return failed + reason;
    }
    return QString();
}
