// SheetWriter as a report: the sheet's cells, borders, widths, page headers and signature line laid
// out on paper, so that printing, preview and PDF show what the workbook holds.
#include "platform/print/sheet_writer.h"

#include <cmath>

namespace {

// One page header part read from the spreadsheet's header codes, as a report label shows it.
struct HeaderPart {
    QString text;  // with report tokens: %p page, %P pages, %d date, %T time; '%' doubled
    QString family;
    double size = 0;
    bool bold = false;
};

HeaderPart parseHeaderCodes(const QString &codes, const QString &sheetName)
{
    HeaderPart part;
    const int n = int(codes.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = codes.at(i);
        if (c == QLatin1Char('%')) {
            part.text += QStringLiteral("%%");
            continue;
        }
        if (c != QLatin1Char('&') || i + 1 >= n) {
            if (c != QLatin1Char('&'))
                part.text += c;
            continue;
        }
        const QChar k = codes.at(++i);
        if (k == QLatin1Char('&')) {
            part.text += QLatin1Char('&');
        } else if (k == QLatin1Char('"')) {
            const int close = int(codes.indexOf(QLatin1Char('"'), i + 1));
            const QString spec = codes.mid(i + 1, close < 0 ? -1 : close - i - 1);
            const QString name = spec.section(QLatin1Char(','), 0, 0).trimmed();
            const QString style = spec.section(QLatin1Char(','), 1).trimmed();
            if (part.family.isEmpty() && name != QLatin1String("-"))
                part.family = name;
            if (style.contains(QLatin1String("Bold"), Qt::CaseInsensitive) || style.contains(QStringLiteral("粗")))
                part.bold = true;
            i = close < 0 ? n : close;
        } else if (k.isDigit()) {
            int j = i;
            while (j < n && codes.at(j).isDigit())
                ++j;
            // All the digits make the size, as the spreadsheet reads them; an impossible size is ignored.
            const double size = codes.mid(i, j - i).toDouble();
            if (part.size <= 0 && size >= 1 && size <= 409)
                part.size = size;
            i = j - 1;
        } else if (k == QLatin1Char('P')) {
            part.text += QStringLiteral("%p");
        } else if (k == QLatin1Char('N')) {
            part.text += QStringLiteral("%P");
        } else if (k == QLatin1Char('D')) {
            part.text += QStringLiteral("%d");
        } else if (k == QLatin1Char('T')) {
            part.text += QStringLiteral("%T");
        } else if (k == QLatin1Char('A')) {
            part.text += QString(sheetName).replace(QLatin1Char('%'), QStringLiteral("%%"));
        } else if (k == QLatin1Char('B')) {
            part.bold = true;
        } else if (k == QLatin1Char('K')) {
            i += 6;  // colour code
        }
        // &F, &Z, &G, &I, &U, &S, &X, &Y, &L, &C, &R and unknown codes show nothing here.
    }
    return part;
}

QString escapeTokens(const QString &text)
{
    QString out = text;
    return out.replace(QLatin1Char('%'), QStringLiteral("%%"));
}

} // namespace

ReportDocument SheetWriter::toReport() const
{
    ReportDocument doc;
    doc.setOrientation(m_landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    // The spreadsheet's default page: 0.7" at the sides, headers 0.3" from the top, 0.75" at the bottom.
    doc.setMargins(1008, 432, 1008, 1080);

    const std::shared_ptr<const CellTable> table = cells();
    const int rows = table->rowCount(), cols = table->columnCount(), block = table->blockRows();
    QList<int> xs, ws;
    int total = 0;
    const int columns = std::max(cols, int(m_signature.size()));
    for (int c = 0; c < columns; ++c) {
        xs << total;
        ws << columnTwips(columnWidth(c));
        total += ws.back();
    }
    int tableWidth = 0;
    for (int c = 0; c < cols; ++c)
        tableWidth += ws.at(c);
    const double f = m_fitToWidth && tableWidth > doc.contentWidth() ? double(doc.contentWidth()) / tableWidth : 1.0;
    auto scaled = [f](double v) { return int(std::lround(v * f)); };
    const double fontSize = std::max(1.0, m_fontSize * f);
    const int rowH = scaled(std::max(300.0, m_fontSize * 20 * 1.4));
    const int pad = scaled(30);

    // Page headers, centre and right, over the full width.
    const HeaderPart center = parseHeaderCodes(m_centerHeader, m_sheetName);
    const HeaderPart right = parseHeaderCodes(m_rightHeader, m_sheetName);
    auto partHeight = [](const HeaderPart &p) {
        const int lines = p.text.isEmpty() ? 0 : int(p.text.count(QLatin1Char('\n'))) + 1;
        return int(std::lround(lines * (p.size > 0 ? p.size : 10) * 20 * 1.4));
    };
    const int headerBlock = std::max(648, std::max(partHeight(center), partHeight(right)) + 120);
    ReportSection &ph = doc.pageHeader();
    ph.height = headerBlock;
    auto headerLabel = [&](const char *name, const HeaderPart &p, Rpt::Align align) {
        if (p.text.isEmpty())
            return;
        ReportControl &l = ph.addLabel(QString::fromLatin1(name), p.text, 0, 0, doc.contentWidth(), partHeight(p));
        l.font.size = p.size > 0 ? p.size : 10;
        if (!p.family.isEmpty())
            l.font.family = p.family;
        l.font.bold = p.bold;
        l.alignment = align;
    };
    headerLabel("HeaderCenter", center, Rpt::AlignCenter);
    headerLabel("HeaderRight", right, Rpt::AlignRight);
    QString firstLine = center.text.section(QLatin1Char('\n'), 0, 0).trimmed();
    doc.setCaption(firstLine.isEmpty() ? QStringLiteral("报表打印") : firstLine.replace(QStringLiteral("%%"), QStringLiteral("%")));

    // The header row: on every page, or once at the top. A table of blocks has none: each block
    // carries its own caption row.
    if (rows > 0 && block == 0) {
        ReportSection &hs = m_repeatHeader ? ph : doc.reportHeader();
        const int top = m_repeatHeader ? headerBlock : 0;
        hs.height = top + rowH;
        for (int c = 0; c < cols; ++c) {
            ReportControl &l = hs.addLabel(QStringLiteral("Head%1").arg(c), escapeTokens(cell(0, c)), scaled(xs.at(c)), top,
                                           scaled(ws.at(c)), rowH);
            l.font.family = m_headerFont.isEmpty() ? m_fontName : m_headerFont;
            l.font.size = fontSize;
            l.font.bold = m_headerBold;
            l.border = m_borders;
            l.padding = pad;
        }
    }

    // Body rows as detail rows read in place from the table: one row each, or one block of rows
    // each (a pay slip: its caption row in the header font, then its values), so that a page
    // never ends inside a block. Numbers go to the right, texts to the left.
    ReportSection &detail = doc.detail();
    const int lines = block > 0 ? block : 1;
    detail.height = rowH * lines;
    for (int k = 0; k < lines; ++k) {
        const bool caption = block > 0 && k == 0;
        for (int c = 0; c < cols; ++c) {
            const QString name = block > 0 ? QStringLiteral("Cell%1_%2").arg(k).arg(c) : QStringLiteral("Cell%1").arg(c);
            ReportControl &field =
                detail.addField(name, k * cols + c, scaled(xs.at(c)), k * rowH, scaled(ws.at(c)), rowH);
            field.font.family = caption && !m_headerFont.isEmpty() ? m_headerFont : m_fontName;
            field.font.size = fontSize;
            field.font.bold = caption && m_headerBold;
            field.border = m_borders;
            field.padding = pad;
            field.alignment = Rpt::AlignGeneral;
        }
    }
    doc.setDataSource(std::make_shared<CellTableSource>(table));

    // The signature line right below the last row.
    if (!m_signature.isEmpty()) {
        ReportSection &rf = doc.reportFooter();
        rf.height = rowH;
        for (int c = 0; c < m_signature.size(); ++c) {
            if (m_signature.at(c).isEmpty())
                continue;
            // Text runs on over the empty cells to its right, as in the sheet; the last one to the margin.
            int width = ws.at(c);
            int next = c + 1;
            for (; next < m_signature.size() && m_signature.at(next).isEmpty(); ++next)
                width += ws.at(next);
            if (next >= m_signature.size())
                width = std::max(width, int(doc.contentWidth() / f) - xs.at(c));
            ReportControl &l = rf.addLabel(QStringLiteral("Sign%1").arg(c), escapeTokens(m_signature.at(c)), scaled(xs.at(c)), 0,
                                           scaled(width), rowH);
            l.font.family = m_fontName;
            l.font.size = fontSize;
            l.padding = pad;
        }
    }
    return doc;
}
