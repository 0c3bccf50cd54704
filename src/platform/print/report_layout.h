// Report pagination: which rows fall on which page and where every control lands, in twips.
#pragma once

#include "platform/print/report_document.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QLine>
#include <QList>
#include <QRect>
#include <QStringList>

#include <vector>

class QPainter;

// One thing drawn on a page. Rectangles are in twips from the paper's top left corner.
struct PlacedItem {
    enum Kind { Text, Line };
    Kind kind = Text;
    Rpt::SectionKind section = Rpt::Detail;
    QString name;        // the control's name
    QString text;        // final text (formatted value, total, label with its tokens replaced)
    QRect rect;          // the control's rectangle
    QRect area;          // the rectangle less the control's padding: where the text is aligned
    QRect textRect;      // where the text lands in the area by its alignment (Text only); wider
                         // than the area when the text does not fit
    QLine line;          // Line only
    Rpt::Align alignment = Rpt::AlignLeft;
    bool border = false;
    int font = 0;        // index into ReportLayout::fonts / ReportPager::fonts()
    int lineWidth = 15;
    int row = -1;        // detail row (0-based) the item belongs to, -1 for other sections
};

struct ReportPage {
    int number = 1;       // 1-based
    int firstRow = 0;     // first detail row on the page
    int rowCount = 0;     // detail rows on the page
    QList<PlacedItem> items;
    // The first item of that control name (and row, when row >= 0), or null.
    const PlacedItem *find(const QString &name, int row = -1) const;
    QList<const PlacedItem *> findAll(const QString &name) const;
};

struct ReportLayout {
    QList<ReportPage> pages;
    QList<ReportFont> fonts;
    QStringList problems;  // fields the data source lacks, sections taller than the page
};

// Lays out pages one at a time with arithmetic only: rows per page come from the section heights,
// so page n is built without building the pages before it. Fonts and their metrics are made once;
// texts are measured from a per-font cache of character advances, without shaping each text.
class ReportPager {
public:
    explicit ReportPager(const ReportDocument &doc);
    int pageCount() const { return m_pageCount; }
    ReportPage page(int index) const;  // 0-based
    // Draws a laid-out page on a painter whose unit is the twip (paper's top left at 0, 0).
    void paint(QPainter &painter, const ReportPage &page) const;
    const QList<ReportFont> &fonts() const { return m_fonts; }
    const std::vector<QFont> &qfonts() const { return m_qfonts; }
    const std::vector<QFontMetricsF> &metrics() const { return m_metrics; }
    // Width in twips of a text (the widest line) in one of the pager's fonts.
    qreal textWidth(const QString &text, int font) const;
    QStringList problems() const { return m_problems; }
    // Top of the detail area and detail rows that fit on page index (0-based).
    int rowsOnPage(int index) const;
    int firstRowOfPage(int index) const;

    // A font for a painter whose unit is the twip (its pixel size is its height in twips).
    static QFont makeFont(const ReportFont &font);

private:
    struct Prepared {
        const ReportControl *control;
        int column;  // Field/Total: resolved source column (-1: none)
        int font;
        QString fixedText;  // Labels without tokens: the text, made once
        bool hasTokens;
    };
    struct PreparedSection {
        const ReportSection *section = nullptr;
        int height = 0;  // 0 when hidden
        std::vector<Prepared> controls;
    };

    void prepare(PreparedSection &ps, const ReportSection &s);
    void place(ReportPage &page, const PreparedSection &ps, int top, int row, int pageFirst, int pageRows) const;
    QString aggregate(const Prepared &p, int first, int count) const;
    QString expandTokens(const QString &text, int pageNumber) const;
    QRect alignText(const QString &text, const QRect &rect, Rpt::Align align, int font) const;

    const ReportDocument &m_doc;
    const ReportDataSource *m_source;
    int m_rows = 0;
    PreparedSection m_sec[5];
    int m_capFirst = 0, m_cap = 0;  // detail rows on the first page and on the following pages
    bool m_unlimited = false;       // a detail section 0 high: every row on the first page
    int m_rowPages = 1;             // pages that carry detail rows
    bool m_footerOwnPage = false;   // the report footer did not fit below the last row
    int m_pageCount = 1;
    QList<ReportFont> m_fonts;
    std::vector<QFont> m_qfonts;
    std::vector<QFontMetricsF> m_metrics;
    mutable std::vector<QHash<char16_t, qreal>> m_advances;  // per font: advance of each character met
    QStringList m_problems;
    QString m_longDate, m_shortDate, m_time;
};
