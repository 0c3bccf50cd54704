// ReportDocument: the report definition (paper, sections, named controls, data source).
#include "platform/print/report_document.h"

#include <QMarginsF>
#include <QSizeF>

#include <cmath>

ReportControl &ReportControl::withFont(const QString &family, double size, bool bold)
{
    font.family = family;
    font.size = size;
    font.bold = bold;
    return *this;
}

ReportControl *ReportSection::control(const QString &controlName)
{
    for (ReportControl &c : controls)
        if (c.name.compare(controlName, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

const ReportControl *ReportSection::control(const QString &controlName) const
{
    return const_cast<ReportSection *>(this)->control(controlName);
}

ReportControl &ReportSection::addLabel(const QString &controlName, const QString &caption, int left, int top, int width,
                                       int height)
{
    ReportControl &c = controls.emplace_back();
    c.kind = Rpt::Label;
    c.name = controlName;
    c.caption = caption;
    c.setRect(left, top, width, height);
    return c;
}

ReportControl &ReportSection::addField(const QString &controlName, const QString &field, int left, int top, int width,
                                       int height, const QString &format)
{
    ReportControl &c = controls.emplace_back();
    c.kind = Rpt::Field;
    c.name = controlName;
    c.dataField = field;
    c.format = format;
    c.setRect(left, top, width, height);
    return c;
}

ReportControl &ReportSection::addField(const QString &controlName, int column, int left, int top, int width, int height,
                                       const QString &format)
{
    ReportControl &c = addField(controlName, QString(), left, top, width, height, format);
    c.dataColumn = column;
    return c;
}

ReportControl &ReportSection::addLine(const QString &controlName, int x1, int y1, int x2, int y2)
{
    ReportControl &c = controls.emplace_back();
    c.kind = Rpt::Line;
    c.name = controlName;
    // Kept as a box with a direction, as the old line controls were: left, top, width, height.
    c.setRect(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1));
    c.slantUp = (x2 - x1) * (y2 - y1) < 0;
    return c;
}

ReportControl &ReportSection::addTotal(const QString &controlName, const QString &field, int left, int top, int width,
                                       int height, const QString &format, Rpt::TotalFunction function)
{
    ReportControl &c = controls.emplace_back();
    c.kind = Rpt::Total;
    c.name = controlName;
    c.dataField = field;
    c.format = format;
    c.function = function;
    c.setRect(left, top, width, height);
    return c;
}

ReportControl &ReportSection::addTotal(const QString &controlName, int column, int left, int top, int width, int height,
                                       const QString &format, Rpt::TotalFunction function)
{
    ReportControl &c = addTotal(controlName, QString(), left, top, width, height, format, function);
    c.dataColumn = column;
    return c;
}

ReportDocument::ReportDocument()
{
    static const char *const names[5] = {"Section4", "Section2", "Section1", "Section3", "Section5"};
    for (int i = 0; i < 5; ++i) {
        m_sections[i].name = QString::fromLatin1(names[i]);
        m_sections[i].kind = static_cast<Rpt::SectionKind>(i + 1);
    }
}

void ReportDocument::setMargins(int left, int top, int right, int bottom)
{
    m_margins = {std::max(0, left), std::max(0, top), std::max(0, right), std::max(0, bottom)};
}

int ReportDocument::paperWidth() const
{
    const QSizeF mm = m_pageSize.size(QPageSize::Millimeter);
    const double w = m_orientation == QPageLayout::Landscape ? mm.height() : mm.width();
    return int(std::lround(w / 25.4 * 1440));
}

int ReportDocument::paperHeight() const
{
    const QSizeF mm = m_pageSize.size(QPageSize::Millimeter);
    const double h = m_orientation == QPageLayout::Landscape ? mm.width() : mm.height();
    return int(std::lround(h / 25.4 * 1440));
}

QPageLayout ReportDocument::pageLayout() const
{
    return QPageLayout(m_pageSize, m_orientation, QMarginsF(0, 0, 0, 0));
}

ReportSection *ReportDocument::section(int index)
{
    return index >= 1 && index <= 5 ? &m_sections[index - 1] : nullptr;
}

const ReportSection *ReportDocument::section(int index) const
{
    return index >= 1 && index <= 5 ? &m_sections[index - 1] : nullptr;
}

ReportSection *ReportDocument::section(const QString &name)
{
    for (ReportSection &s : m_sections)
        if (s.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

ReportControl *ReportDocument::control(const QString &name)
{
    for (ReportSection &s : m_sections)
        if (ReportControl *c = s.control(name))
            return c;
    return nullptr;
}

const ReportControl *ReportDocument::control(const QString &name) const
{
    return const_cast<ReportDocument *>(this)->control(name);
}

ReportSection *ReportDocument::sectionOf(const QString &controlName)
{
    for (ReportSection &s : m_sections)
        if (s.control(controlName))
            return &s;
    return nullptr;
}

void ReportDocument::detachData()
{
    if (m_source && !m_source->isSnapshot())
        m_source = m_source->snapshot();
}

int ReportDocument::pageCount() const
{
    return ReportPager(*this).pageCount();
}

ReportLayout ReportDocument::layout() const
{
    ReportPager pager(*this);
    ReportLayout out;
    out.fonts = pager.fonts();
    out.problems = pager.problems();
    for (int i = 0; i < pager.pageCount(); ++i)
        out.pages << pager.page(i);
    return out;
}
