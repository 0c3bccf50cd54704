// Rendering of report pages through QPainter: PDF files, printers and the preview's printer.
#include "platform/print/print_files.h"
#include "platform/print/report_document.h"
#include "platform/print/program_printer.h"
#include "platform/shell/shell.h"
#include "platform/ui/dialog_service.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

int qtAlignment(Rpt::Align align)
{
    switch (align) {
    case Rpt::AlignRight:
        return Qt::AlignRight;
    case Rpt::AlignCenter:
        return Qt::AlignHCenter;
    default:
        return Qt::AlignLeft;
    }
}

bool looksNumeric(const QString &text)
{
    bool digit = false;
    for (const QChar c : text) {
        if (c.isDigit())
            digit = true;
        else if (!QStringView(u".,-+%").contains(c))
            return false;
    }
    return digit;
}

// Draws a text in its area by its alignment, centred in the height when it fits. A text wider than
// its area is narrowed to fit, down to half its width; past that a number shows as "###" (a cut
// number would read as another number) and other text is cut at the area's edges.
void drawText(QPainter &p, const PlacedItem &item, const QFontMetricsF &fm)
{
    const QRectF area(item.area);
    const int lines = int(item.text.count(QLatin1Char('\n'))) + 1;
    const qreal height = fm.lineSpacing() * (lines - 1) + fm.height();
    const int flags = qtAlignment(item.alignment) | (height <= area.height() ? Qt::AlignVCenter : Qt::AlignTop);
    const qreal width = item.textRect.width();
    if (width <= area.width() + 1 || area.width() <= 0) {
        p.drawText(area, flags, item.text);
        return;
    }
    const qreal factor = area.width() / width;
    if (factor >= 0.5) {
        p.save();
        p.translate(area.x(), 0);
        p.scale(factor, 1);
        p.drawText(QRectF(0, area.y(), width, area.height()), flags, item.text);
        p.restore();
    } else if (looksNumeric(item.text)) {
        const int count = std::max(1, int(area.width() / std::max<qreal>(1, fm.horizontalAdvance(QLatin1Char('#')))));
        p.drawText(area, flags, QString(count, QLatin1Char('#')));
    } else {
        p.drawText(area, flags, item.text);  // cut at the edges
    }
}

} // namespace

void ReportPager::paint(QPainter &p, const ReportPage &page) const
{
    const std::vector<QFont> &fonts = m_qfonts;
    const std::vector<QFontMetricsF> &metrics = m_metrics;
    int currentFont = -1;
    int currentPen = -1;
    p.setBrush(Qt::NoBrush);
    for (const PlacedItem &item : page.items) {
        const bool framed = item.kind == PlacedItem::Line || item.border;
        if (framed && item.lineWidth != currentPen) {
            p.setPen(QPen(Qt::black, item.lineWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            currentPen = item.lineWidth;
        }
        if (item.kind == PlacedItem::Line) {
            p.drawLine(item.line);
            continue;
        }
        if (item.border)
            p.drawRect(item.rect);
        if (item.text.isEmpty())
            continue;
        if (item.font != currentFont) {
            p.setFont(fonts[size_t(item.font)]);
            currentFont = item.font;
        }
        drawText(p, item, metrics[size_t(item.font)]);
    }
}

namespace {

// Renders pages [from, to] (0-based) of the report on a paged device that is already set up.
bool renderPages(const ReportPager &pager, QPagedPaintDevice *device, int from, int to)
{
    QPainter p;
    if (!p.begin(device))
        return false;
    const qreal scale = device->logicalDpiX() / 1440.0;
    for (int i = from; i <= to; ++i) {
        if (i > from && !device->newPage()) {
            p.end();
            return false;
        }
        p.resetTransform();
        p.scale(scale, scale);
        pager.paint(p, pager.page(i));
    }
    return p.end();
}

} // namespace

QString ReportDocument::exportPdf(const QString &path) const
{
    const QFileInfo info(path);
    if (path.trimmed().isEmpty() || !info.absoluteDir().exists())
        return QStringLiteral("无法写入文件：") + path;
    ReportPager pager(*this);
    QPdfWriter writer(path);
    writer.setTitle(m_caption);
    writer.setResolution(1200);
    writer.setPageLayout(pageLayout());
    if (!renderPages(pager, &writer, 0, pager.pageCount() - 1))
        return QStringLiteral("无法写入文件：") + path;
    return QString();
}

bool ReportDocument::print(QPrinter *printer) const
{
    if (!printer)
        return false;
    printer->setFullPage(true);
    printer->setPageLayout(pageLayout());
    if (printer->outputFormat() == QPrinter::PdfFormat && printer->outputFileName().isEmpty())
        printer->setOutputFileName(uniqueFileName(Shell::instance().programFolder(), QStringLiteral("report"), QStringLiteral(".pdf")));
    if (printer->docName().isEmpty())
        printer->setDocName(m_caption);
    ReportPager pager(*this);
    int from = 0, to = pager.pageCount() - 1;
    if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
        from = std::max(0, printer->fromPage() - 1);
        to = std::min(to, std::max(from, printer->toPage() - 1));
        if (from > to)
            return false;
    }
    return renderPages(pager, printer, from, to);
}

bool ReportDocument::printWithDialog(QWidget *parent) const
{
    QPrinter printer(QPrinter::HighResolution);
    StartFromProgramPrinter(printer);
    printer.setFullPage(true);
    printer.setPageLayout(pageLayout());
    printer.setDocName(m_caption);
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    dialog.setMinMax(1, std::max(1, pageCount()));
    if (ShowModal(&dialog) != QDialog::Accepted)
        return false;
    return print(&printer);
}

QString ReportDocument::printToDefault(const QString &baseName) const
{
    QPrinter printer(QPrinter::HighResolution);
    StartFromProgramPrinter(printer);
    if (QPrinterInfo::defaultPrinter().isNull() || printer.outputFormat() == QPrinter::PdfFormat) {
        const QString path = uniqueFileName(Shell::instance().programFolder(), baseName, QStringLiteral(".pdf"));
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return print(&printer) ? path : QString();
    }
    return print(&printer) ? printer.printerName() : QString();
}
