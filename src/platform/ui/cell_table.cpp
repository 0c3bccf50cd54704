// CellTable helpers and TextCells, the table of texts kept in memory.
#include "platform/ui/cell_table.h"

namespace Cells {

bool isPlainNumber(const QString &text, double *value, int *decimals)
{
    const int n = int(text.size());
    int i = 0;
    if (i < n && text.at(i) == QLatin1Char('-'))
        ++i;
    const int intStart = i;
    while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 128)
        ++i;
    const int intDigits = i - intStart;
    if (intDigits == 0 || (intDigits > 1 && text.at(intStart) == QLatin1Char('0')))
        return false;
    int fracDigits = 0;
    if (i < n && text.at(i) == QLatin1Char('.')) {
        ++i;
        const int fracStart = i;
        while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 128)
            ++i;
        fracDigits = i - fracStart;
        if (fracDigits == 0)
            return false;
    }
    if (i != n)
        return false;
    // Significant digits: leading zeros of "0.000123" do not count.
    int significant = 0;
    bool started = false;
    for (int k = intStart; k < n; ++k) {
        const QChar d = text.at(k);
        if (d == QLatin1Char('.'))
            continue;
        started = started || d != QLatin1Char('0');
        significant += started ? 1 : 0;
    }
    if (significant > 15)
        return false;
    if (value)
        *value = text.toDouble();
    if (decimals)
        *decimals = fracDigits;
    return true;
}


} // namespace Cells

std::shared_ptr<TextCells> TextCells::copyOf(const CellTable &table)
{
    auto copy = std::make_shared<TextCells>(false);
    copy->resize(table.rowCount(), table.columnCount());
    for (int r = 0; r < copy->m_rows; ++r)
        for (int c = 0; c < copy->m_cols; ++c) {
            copy->m_texts[copy->at(r, c)] = table.text(r, c);
            copy->m_kinds[size_t(copy->at(r, c))] = table.kind(r, c);
        }
    return copy;
}

void TextCells::resize(int rows, int columns)
{
    rows = std::max(0, rows);
    columns = std::max(0, columns);
    if (rows == m_rows && columns == m_cols)
        return;
    if (columns == m_cols) {
        m_texts.resize(qsizetype(rows) * columns);
        m_kinds.resize(size_t(rows) * columns, kAuto);
    } else {
        QStringList texts(qsizetype(rows) * columns);
        std::vector<std::uint8_t> kinds(size_t(rows) * columns, kAuto);
        for (int r = 0; r < std::min(rows, m_rows); ++r)
            for (int c = 0; c < std::min(columns, m_cols); ++c) {
                texts[qsizetype(r) * columns + c] = m_texts.at(at(r, c));
                kinds[size_t(r) * columns + c] = m_kinds[size_t(at(r, c))];
            }
        m_texts = std::move(texts);
        m_kinds = std::move(kinds);
    }
    m_rows = rows;
    m_cols = columns;
}

void TextCells::setText(int row, int column, const QString &text) { setCell(row, column, text, Kind(kAuto)); }

void TextCells::setCell(int row, int column, const QString &text, Kind kind)
{
    if (row < 0 || column < 0)
        return;
    if (row >= m_rows || column >= m_cols)
        resize(std::max(m_rows, row + 1), std::max(m_cols, column + 1));
    m_texts[at(row, column)] = text;
    m_kinds[size_t(at(row, column))] = std::uint8_t(kind);
}

void TextCells::clearTexts()
{
    for (QString &s : m_texts)
        s.clear();
    std::fill(m_kinds.begin(), m_kinds.end(), kAuto);
}

QString TextCells::text(int row, int column) const { return inside(row, column) ? m_texts.at(at(row, column)) : QString(); }

CellTable::Kind TextCells::kind(int row, int column) const
{
    if (!inside(row, column))
        return Text;
    const std::uint8_t k = m_kinds[size_t(at(row, column))];
    if (k != kAuto)
        return Kind(k);
    return m_general && Cells::isPlainNumber(m_texts.at(at(row, column))) ? Number : Text;
}

double TextCells::number(int row, int column) const
{
    double v = 0;
    if (inside(row, column) && !Cells::isPlainNumber(m_texts.at(at(row, column)), &v))
        v = m_texts.at(at(row, column)).trimmed().toDouble();  // a cell set as a number with other text
    return v;
}
