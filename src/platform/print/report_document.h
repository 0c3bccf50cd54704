// ReportDocument: a banded report in twips (sections of named labels, fields, lines and totals)
// laid out on pages and rendered to PDF, a printer or the preview window.
#pragma once

#include "platform/print/report_source.h"

#include <QDateTime>
#include <QPageLayout>
#include <QPageSize>
#include <QRect>
#include <QString>

#include <array>
#include <deque>
#include <memory>

class QPrinter;
class QWidget;
class ReportPreview;
struct ReportLayout;

namespace Rpt {
// Alignment numbered as the old report controls numbered it; AlignGeneral puts numbers (and text
// that is a plain number) to the right and other text to the left, as a spreadsheet cell does.
enum Align { AlignLeft = 0, AlignRight = 1, AlignCenter = 2, AlignGeneral = 3 };
enum ControlKind { Label, Field, Line, Total };
// Section numbers in the order of the section list (1-based, as the old Sections collection).
enum SectionKind { ReportHeader = 1, PageHeader = 2, Detail = 3, PageFooter = 4, ReportFooter = 5 };
enum TotalFunction { Sum, Count, Average, Minimum, Maximum };
constexpr const char *kDefaultFont = "WenQuanYi Zen Hei";
} // namespace Rpt

struct ReportFont {
    QString family = QString::fromLatin1(Rpt::kDefaultFont);
    double size = 10;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const ReportFont &o) const
    {
        return family == o.family && size == o.size && bold == o.bold && italic == o.italic && underline == o.underline;
    }
};

// One control of a section. Geometry is in twips relative to the section's top left corner.
// A line runs from (left, top) to (left + width, top + height), or from the bottom left to the
// top right corner of that box when slantUp is set.
struct ReportControl {
    Rpt::ControlKind kind = Rpt::Label;
    QString name;
    int left = 0, top = 0, width = 0, height = 0;
    bool visible = true;
    // Label text. Tokens: %p page number, %P number of pages, %D long date, %d short date,
    // %T time, %% a percent sign (the date and time are the report's print date).
    QString caption;
    QString dataField;     // Field, Total: the source column by name ...
    int dataColumn = -1;   // ... or, with no name, by index
    QString format;        // Field, Total: number format (ReportFormat::formatNumber)
    Rpt::Align alignment = Rpt::AlignLeft;
    ReportFont font;
    bool border = false;   // Label, Field, Total: a frame around the rectangle
    int padding = 0;       // twips kept free at the left and right edges of the text
    Rpt::TotalFunction function = Rpt::Sum;
    bool slantUp = false;
    int lineWidth = 15;    // twips, for lines and frames

    QRect rect() const { return QRect(left, top, width, height); }
    void setRect(int l, int t, int w, int h) { left = l, top = t, width = w, height = h; }
    ReportControl &withFont(const QString &family, double size, bool bold = false);
    ReportControl &withAlignment(Rpt::Align a) { alignment = a; return *this; }
    ReportControl &withBorder(bool on = true) { border = on; return *this; }
    ReportControl &hidden() { visible = false; return *this; }
};

class ReportSection {
public:
    QString name;
    Rpt::SectionKind kind = Rpt::Detail;
    int height = 0;  // twips
    bool visible = true;
    // Controls keep their addresses while more are added.
    std::deque<ReportControl> controls;

    ReportControl *control(const QString &controlName);  // without regard to case; null if none
    const ReportControl *control(const QString &controlName) const;

    ReportControl &addLabel(const QString &controlName, const QString &caption, int left, int top, int width, int height);
    ReportControl &addField(const QString &controlName, const QString &field, int left, int top, int width, int height,
                            const QString &format = {});
    ReportControl &addField(const QString &controlName, int column, int left, int top, int width, int height,
                            const QString &format = {});
    ReportControl &addLine(const QString &controlName, int x1, int y1, int x2, int y2);
    ReportControl &addTotal(const QString &controlName, const QString &field, int left, int top, int width, int height,
                            const QString &format = {}, Rpt::TotalFunction function = Rpt::Sum);
    // A total over a column given by index.
    ReportControl &addTotal(const QString &controlName, int column, int left, int top, int width, int height,
                            const QString &format = {}, Rpt::TotalFunction function = Rpt::Sum);
};

class ReportDocument {
public:
    ReportDocument();  // A4 portrait, margins of 1440, the five sections empty and 0 high

    // Caption of the preview window and title of the PDF.
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption) { m_caption = caption; }

    // Paper and margins (twips).
    void setPageSize(QPageSize::PageSizeId id) { m_pageSize = QPageSize(id); }
    void setPageSize(const QPageSize &size) { m_pageSize = size; }
    void setOrientation(QPageLayout::Orientation orientation) { m_orientation = orientation; }
    QPageLayout::Orientation orientation() const { return m_orientation; }
    void setMargins(int left, int top, int right, int bottom);
    int leftMargin() const { return m_margins[0]; }
    int topMargin() const { return m_margins[1]; }
    int rightMargin() const { return m_margins[2]; }
    int bottomMargin() const { return m_margins[3]; }
    int paperWidth() const;   // twips, after orientation
    int paperHeight() const;
    int contentWidth() const { return paperWidth() - m_margins[0] - m_margins[2]; }
    int contentHeight() const { return paperHeight() - m_margins[1] - m_margins[3]; }
    QPageLayout pageLayout() const;  // the paper with no margins: the report places everything itself

    // Sections by number 1 … 5 (Rpt::SectionKind), or by name without regard to case. Default
    // names: "Section4" report header, "Section2" page header, "Section1" detail, "Section3" page
    // footer, "Section5" report footer. Null when there is no such section.
    ReportSection *section(int index);
    const ReportSection *section(int index) const;
    ReportSection *section(const QString &name);
    ReportSection &reportHeader() { return m_sections[0]; }
    ReportSection &pageHeader() { return m_sections[1]; }
    ReportSection &detail() { return m_sections[2]; }
    ReportSection &pageFooter() { return m_sections[3]; }
    ReportSection &reportFooter() { return m_sections[4]; }

    // A control of any section by name, without regard to case; null when there is none.
    ReportControl *control(const QString &name);
    const ReportControl *control(const QString &name) const;
    ReportSection *sectionOf(const QString &controlName);

    // The rows of the detail section. Shared so that a preview can keep them alive.
    void setDataSource(std::shared_ptr<const ReportDataSource> source) { m_source = std::move(source); }
    const ReportDataSource *dataSource() const { return m_source.get(); }
    std::shared_ptr<const ReportDataSource> sharedDataSource() const { return m_source; }
    // Replaces a data source that may change (a recordset) by a snapshot of its rows, so the report
    // no longer depends on it; a source that never changes is kept as it is.
    void detachData();

    // The date and time that %D, %d and %T show; the current time unless set.
    void setPrintDate(const QDateTime &when) { m_printDate = when; }
    QDateTime printDate() const { return m_printDate.isValid() ? m_printDate : QDateTime::currentDateTime(); }

    // Pagination and placed items of every page (see report_layout.h).
    int pageCount() const;
    ReportLayout layout() const;

    // Output. exportPdf returns the empty text on success, else what went wrong.
    QString exportPdf(const QString &path) const;
    // Renders the pages the printer asks for (all, or its from/to range). A printer that writes
    // PDF with no file name chosen gets a new file beside the program ("report" + n + ".pdf").
    bool print(QPrinter *printer) const;
    // The print dialog (through DialogService) first; false when it was cancelled or printing failed.
    bool printWithDialog(QWidget *parent = nullptr) const;
    // Prints without a dialog to the default printer; with no printer installed, to a new PDF file
    // beside the program named baseName + n + ".pdf". Returns the printer name or the PDF's path,
    // or the empty text when printing failed.
    QString printToDefault(const QString &baseName = QStringLiteral("report")) const;
    // Shows the report in a new non-modal preview window (deleted when closed) holding a copy of
    // the report and of its rows.
    ReportPreview *showPreview(QWidget *parent = nullptr) const;

private:
    QString m_caption;
    QPageSize m_pageSize{QPageSize::A4};
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
    std::array<int, 4> m_margins{1440, 1440, 1440, 1440};
    std::array<ReportSection, 5> m_sections;
    std::shared_ptr<const ReportDataSource> m_source;
    QDateTime m_printDate;
};

#include "platform/print/report_layout.h"
