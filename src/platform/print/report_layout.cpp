// Report pagination: rows per page by arithmetic, and the placed items of one page at a time.
#include "platform/print/report_layout.h"
#include "platform/print/report_format.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace {

int sectionIndex(Rpt::SectionKind kind) { return int(kind) - 1; }

} // namespace

const PlacedItem *ReportPage::find(const QString &name, int row) const
{
    for (const PlacedItem &item : items)
        if ((row < 0 || item.row == row) && item.name.compare(name, Qt::CaseInsensitive) == 0)
            return &item;
    return nullptr;
}

QList<const PlacedItem *> ReportPage::findAll(const QString &name) const
{
    QList<const PlacedItem *> found;
    for (const PlacedItem &item : items)
        if (item.name.compare(name, Qt::CaseInsensitive) == 0)
            found << &item;
    return found;
}

QFont ReportPager::makeFont(const ReportFont &font)
{
    QFont f;
    QStringList families{font.family};
    if (font.family != QLatin1String(Rpt::kDefaultFont))
        families << QString::fromLatin1(Rpt::kDefaultFont);  // Chinese glyphs when the named font lacks them
    f.setFamilies(families);
    f.setPixelSize(std::max(1, int(std::lround(font.size * 20))));  // points to twips
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    return f;
}

ReportPager::ReportPager(const ReportDocument &doc) : m_doc(doc), m_source(doc.dataSource())
{
    m_rows = m_source ? m_source->rowCount() : 0;
    const QDateTime when = doc.printDate();
    m_longDate = when.toString(QStringLiteral("yyyy年M月d日"));
    m_shortDate = when.toString(QStringLiteral("yyyy-MM-dd"));
    m_time = when.toString(QStringLiteral("HH:mm:ss"));

    for (int i = 0; i < 5; ++i)
        prepare(m_sec[i], *doc.section(i + 1));

    const int H = doc.contentHeight();
    const int hRH = m_sec[0].height, hPH = m_sec[1].height, hD = m_sec[2].height, hPF = m_sec[3].height,
              hRF = m_sec[4].height;
    int lastRowsBottom = 0;  // bottom of the last detail row on its page (content coordinates)
    if (hD <= 0 || m_rows == 0) {
        m_unlimited = true;
        m_rowPages = 1;
        m_capFirst = m_cap = m_rows;
        lastRowsBottom = hRH + hPH + std::max(0, hD) * m_rows;
    } else {
        m_cap = (H - hPF - hPH) / hD;
        if (m_cap < 1) {
            m_problems << QStringLiteral("页眉、页脚和明细节的高度超过了纸张，每页只排一行");
            m_cap = 1;
        }
        m_capFirst = std::max(0, (H - hPF - hRH - hPH) / hD);
        if (m_rows <= m_capFirst)
            m_rowPages = 1;
        else
            m_rowPages = 1 + (m_rows - m_capFirst + m_cap - 1) / m_cap;
        const int last = m_rowPages - 1;
        lastRowsBottom = (last == 0 ? hRH + hPH : hPH) + rowsOnPage(last) * hD;
    }
    m_footerOwnPage = hRF > 0 && lastRowsBottom + hRF > H - hPF;
    m_pageCount = m_rowPages + (m_footerOwnPage ? 1 : 0);
    if (hRF > 0 && hPH + hRF > H - hPF)
        m_problems << QStringLiteral("报表尾的高度超过了纸张");
}

void ReportPager::prepare(PreparedSection &ps, const ReportSection &s)
{
    ps.section = &s;
    ps.height = s.visible ? std::max(0, s.height) : 0;
    if (!s.visible)
        return;
    for (const ReportControl &c : s.controls) {
        if (!c.visible)
            continue;
        Prepared p{&c, -1, 0, QString(), false};
        if (c.kind != Rpt::Line) {
            int index = int(m_fonts.indexOf(c.font));
            if (index < 0) {
                index = int(m_fonts.size());
                m_fonts << c.font;
                m_qfonts.push_back(makeFont(c.font));
                m_metrics.emplace_back(m_qfonts.back());
                m_advances.emplace_back();
            }
            p.font = index;
        }
        if (c.kind == Rpt::Field || c.kind == Rpt::Total) {
            if (!c.dataField.trimmed().isEmpty()) {
                p.column = m_source ? m_source->columnIndex(c.dataField) : -1;
                if (p.column < 0 && m_source)
                    m_problems << QStringLiteral("数据中没有字段“%1”（%2）").arg(c.dataField, c.name);
            } else if (m_source && c.dataColumn >= 0 && c.dataColumn < m_source->columnCount()) {
                p.column = c.dataColumn;
            }
        }
        if (c.kind == Rpt::Label) {
            p.hasTokens = c.caption.contains(QLatin1Char('%'));
            p.fixedText = c.caption;
        }
        // Totals outside the page sections run over every row: work them out once.
        if (c.kind == Rpt::Total && s.kind != Rpt::PageHeader && s.kind != Rpt::PageFooter)
            p.fixedText = aggregate(p, 0, m_rows);
        ps.controls.push_back(std::move(p));
    }
}

int ReportPager::rowsOnPage(int index) const
{
    if (index < 0 || index >= m_rowPages)
        return 0;
    if (m_unlimited || index == 0)
        return std::min(m_rows, m_capFirst);
    return std::min(m_cap, m_rows - m_capFirst - (index - 1) * m_cap);
}

int ReportPager::firstRowOfPage(int index) const
{
    if (index <= 0)
        return 0;
    if (index >= m_rowPages)
        return m_rows;
    return std::min(m_rows, m_capFirst + (index - 1) * m_cap);
}

QString ReportPager::aggregate(const Prepared &p, int first, int count) const
{
    const ReportControl &c = *p.control;
    if (!m_source || p.column < 0)
        return c.function == Rpt::Count || c.function == Rpt::Sum ? ReportFormat::formatNumber(0, c.format) : QString();
    long double sum = 0;
    int n = 0;
    double lo = std::numeric_limits<double>::max(), hi = std::numeric_limits<double>::lowest();
    for (int r = first; r < first + count; ++r) {
        const QVariant v = m_source->value(r, p.column);
        if (c.function == Rpt::Count) {
            n += v.isNull() ? 0 : 1;
            continue;
        }
        double x = 0;
        if (!ReportFormat::toNumber(v, &x))
            continue;
        sum += x;
        ++n;
        lo = std::min(lo, x);
        hi = std::max(hi, x);
    }
    switch (c.function) {
    case Rpt::Sum:
        return ReportFormat::formatNumber(double(sum), c.format);
    case Rpt::Count:
        return ReportFormat::formatNumber(n, c.format);
    case Rpt::Average:
        return n ? ReportFormat::formatNumber(double(sum / n), c.format) : QString();
    case Rpt::Minimum:
        return n ? ReportFormat::formatNumber(lo, c.format) : QString();
    case Rpt::Maximum:
        return n ? ReportFormat::formatNumber(hi, c.format) : QString();
    }
    return QString();
}

QString ReportPager::expandTokens(const QString &text, int pageNumber) const
{
    QString out;
    out.reserve(text.size() + 8);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('%') || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar t = text.at(i + 1);
        if (t == QLatin1Char('p'))
            out += QString::number(pageNumber);
        else if (t == QLatin1Char('P'))
            out += QString::number(m_pageCount);
        else if (t == QLatin1Char('D'))
            out += m_longDate;
        else if (t == QLatin1Char('d'))
            out += m_shortDate;
        else if (t == QLatin1Char('T'))
            out += m_time;
        else if (t == QLatin1Char('%'))
            out += QLatin1Char('%');
        else {
            out += c;
            continue;
        }
        ++i;
    }
    return out;
}

qreal ReportPager::textWidth(const QString &text, int font) const
{
    const QFontMetricsF &fm = m_metrics[size_t(font)];
    QHash<char16_t, qreal> &advances = m_advances[size_t(font)];
    qreal widest = 0, line = 0;
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\n') {
            widest = std::max(widest, line);
            line = 0;
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < n) {  // outside the basic plane: measured as it stands
            line += fm.horizontalAdvance(text.mid(i, 2));
            ++i;
            continue;
        }
        auto it = advances.constFind(c);
        if (it == advances.constEnd())
            it = advances.insert(c, fm.horizontalAdvance(QChar(c)));
        line += it.value();
    }
    return std::max(widest, line);
}

QRect ReportPager::alignText(const QString &text, const QRect &rect, Rpt::Align align, int font) const
{
    if (text.isEmpty())
        return QRect(rect.topLeft(), QSize(0, 0));
    const QFontMetricsF &fm = m_metrics[size_t(font)];
    const qreal w = textWidth(text, font);
    const int lines = int(text.count(QLatin1Char('\n'))) + 1;
    const qreal h = fm.lineSpacing() * (lines - 1) + fm.height();
    qreal x = rect.x();
    if (align == Rpt::AlignRight)
        x = rect.x() + rect.width() - w;
    else if (align == Rpt::AlignCenter)
        x = rect.x() + (rect.width() - w) / 2;
    // Centred in the height when it fits, otherwise from the top as the old reports did.
    const qreal y = h <= rect.height() ? rect.y() + (rect.height() - h) / 2 : rect.y();
    return QRect(int(std::floor(x)), int(std::floor(y)), int(std::ceil(w)), int(std::ceil(h)));
}

void ReportPager::place(ReportPage &page, const PreparedSection &ps, int top, int row, int pageFirst,
                        int pageRows) const
{
    const int x0 = m_doc.leftMargin();
    const int y0 = m_doc.topMargin() + top;
    const Rpt::SectionKind kind = ps.section->kind;
    for (const Prepared &p : ps.controls) {
        const ReportControl &c = *p.control;
        PlacedItem item;
        item.section = kind;
        item.name = c.name;
        item.rect = QRect(x0 + c.left, y0 + c.top, c.width, c.height);
        item.row = row;
        item.lineWidth = c.lineWidth;
        if (c.kind == Rpt::Line) {
            item.kind = PlacedItem::Line;
            const QRect &r = item.rect;
            item.line = c.slantUp ? QLine(r.x(), r.y() + r.height(), r.x() + r.width(), r.y())
                                  : QLine(r.x(), r.y(), r.x() + r.width(), r.y() + r.height());
            page.items.append(std::move(item));
            continue;
        }
        item.border = c.border;
        item.font = p.font;
        bool numeric = c.kind == Rpt::Total;  // AlignGeneral: numbers right, other values left
        switch (c.kind) {
        case Rpt::Label:
            item.text = p.hasTokens ? expandTokens(p.fixedText, page.number) : p.fixedText;
            break;
        case Rpt::Field: {
            // Outside the detail a field shows the page's first row (headers) or last row (footers).
            int r = row;
            if (r < 0 && pageRows > 0)
                r = (kind == Rpt::PageFooter || kind == Rpt::ReportFooter) ? pageFirst + pageRows - 1 : pageFirst;
            if (r >= 0 && p.column >= 0 && m_source) {
                item.text = ReportFormat::formatValue(m_source->value(r, p.column), c.format);
                numeric = c.alignment == Rpt::AlignGeneral && m_source->numberAt(r, p.column);
            }
            break;
        }
        case Rpt::Total:
            item.text = (kind == Rpt::PageHeader || kind == Rpt::PageFooter) ? aggregate(p, pageFirst, pageRows)
                                                                              : p.fixedText;
            break;
        case Rpt::Line:
            break;
        }
        item.alignment = c.alignment;
        if (c.alignment == Rpt::AlignGeneral)
            item.alignment = numeric ? Rpt::AlignRight : Rpt::AlignLeft;
        item.area = c.padding > 0 ? item.rect.adjusted(c.padding, 0, -c.padding, 0) : item.rect;
        item.textRect = alignText(item.text, item.area, item.alignment, item.font);
        page.items.append(std::move(item));
    }
}

ReportPage ReportPager::page(int index) const
{
    ReportPage page;
    if (index < 0 || index >= m_pageCount)
        return page;
    page.number = index + 1;
    page.firstRow = firstRowOfPage(index);
    page.rowCount = rowsOnPage(index);
    const PreparedSection &rh = m_sec[sectionIndex(Rpt::ReportHeader)];
    const PreparedSection &ph = m_sec[sectionIndex(Rpt::PageHeader)];
    const PreparedSection &dt = m_sec[sectionIndex(Rpt::Detail)];
    const PreparedSection &pf = m_sec[sectionIndex(Rpt::PageFooter)];
    const PreparedSection &rf = m_sec[sectionIndex(Rpt::ReportFooter)];
    int per = 0;
    for (const PreparedSection *s : {&rh, &ph, &dt, &pf, &rf})
        per += int(s->controls.size());
    page.items.reserve(per + int(dt.controls.size()) * page.rowCount);

    int y = 0;
    if (index == 0 && rh.height > 0) {
        place(page, rh, y, -1, page.firstRow, page.rowCount);
        y += rh.height;
    }
    if (ph.height > 0) {
        place(page, ph, y, -1, page.firstRow, page.rowCount);
        y += ph.height;
    }
    for (int r = 0; r < page.rowCount; ++r) {
        place(page, dt, y, page.firstRow + r, page.firstRow, page.rowCount);
        y += dt.height;
    }
    if (index == m_pageCount - 1 && rf.height > 0)
        place(page, rf, y, -1, page.firstRow, page.rowCount);
    if (pf.height > 0)
        place(page, pf, m_doc.contentHeight() - pf.height, -1, page.firstRow, page.rowCount);
    return page;
}
