// Dictionary-driven report (ModReport): ReportMod laid out from PR_codedict, previewed or printed.
#include "printing/dictionary_report.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "dictionary/dictionary_codes.h"
#include "dictionary/dictionary_tables.h"
#include "platform/db/recordset.h"
#include "platform/print/report_preview.h"
#include "platform/ui/message_service.h"

#include <QFileInfo>

#include <cmath>
#include <QPixmap>

namespace ModReport {

namespace {

// Vertical design of the definition (twips within each section).
constexpr int kRuleTop = 1040;     // Line1, the top of the caption row
constexpr int kCaptionTop = 1120;
constexpr int kCaptionHeight = 300;
constexpr int kRowHeight = 330;    // a detail row and the totals row
constexpr int kValueTop = 30;
constexpr int kValueHeight = 270;

ReportControl &vline(ReportSection &s, const QString &name, int top, int height)
{
    return s.addLine(name, 0, top, 0, top + height);
}

void show(ReportControl *c, int left, int width)
{
    c->left = left;
    c->width = width;
    c->visible = true;
}

} // namespace

ReportDocument ReportMod()
{
    ReportDocument doc;
    doc.setCaption(QStringLiteral("报表打印"));
    doc.setMargins(720, 720, 720, 720);

    ReportSection &ph = doc.pageHeader();
    ph.height = kRuleTop + kSeparatorHeight;  // the first row starts on Line2
    ph.addLabel(QStringLiteral("LabBT"), QString(), 2000, 100, 4000, 450)
        .withFont(QString::fromLatin1(Rpt::kDefaultFont), 16, true)
        .withAlignment(Rpt::AlignCenter);
    ph.addLabel(QStringLiteral("Label200"), QStringLiteral("%D"), 0, 700, 3000, 280)
        .withFont(QString::fromLatin1(Rpt::kDefaultFont), 9);
    ph.addLine(QStringLiteral("Line1"), 0, kRuleTop, 0, kRuleTop);
    ph.addLine(QStringLiteral("Line2"), 0, kRuleTop + kSeparatorHeight, 0, kRuleTop + kSeparatorHeight);
    vline(ph, QStringLiteral("Line35"), kRuleTop, kSeparatorHeight);  // the left edge of the caption row
    for (int i = 1; i <= 20; ++i)
        ph.addLabel(QStringLiteral("Label") + QString::number(i), QString(), 0, kCaptionTop, 0, kCaptionHeight)
            .withAlignment(Rpt::AlignCenter)
            .hidden();
    for (int n = 36; n <= 65; ++n)
        vline(ph, QStringLiteral("Line") + QString::number(n), kRuleTop, kSeparatorHeight).hidden();

    ReportSection &dt = doc.detail();
    dt.height = kRowHeight;
    dt.addLine(QStringLiteral("Line3"), 0, kRowHeight, 0, kRowHeight);
    vline(dt, QStringLiteral("Line4"), 0, kRowHeight);  // the left edge of the value rows
    for (int i = 1; i <= 19; ++i)
        dt.addField(QStringLiteral("Text") + QString::number(i), QString(), 0, kValueTop, 0, kValueHeight).hidden();
    for (int n = 5; n <= 34; ++n)
        vline(dt, QStringLiteral("Line") + QString::number(n), 0, kRowHeight).hidden();

    ReportSection &pf = doc.pageFooter();
    pf.height = 400;
    pf.addLabel(QStringLiteral("LabPage"), QStringLiteral("第 %p 页  共 %P 页"), 0, 100, doc.contentWidth(), 260)
        .withFont(QString::fromLatin1(Rpt::kDefaultFont), 9)
        .withAlignment(Rpt::AlignCenter);

    ReportSection &rf = doc.reportFooter();
    rf.height = kRowHeight + 30;
    rf.addLabel(QStringLiteral("Label2000"), QStringLiteral("合  计"), 0, kValueTop, 900, kValueHeight)
        .withAlignment(Rpt::AlignCenter);
    rf.addLine(QStringLiteral("Line66"), 0, kRowHeight, 0, kRowHeight).hidden();
    vline(rf, QStringLiteral("Line67"), 0, kRowHeight);  // the left edge of the totals row
    for (int n = 68; n <= 97; ++n)
        vline(rf, QStringLiteral("Line") + QString::number(n), 0, kRowHeight).hidden();
    for (int i = 1; i <= 30; ++i)
        rf.addTotal(QStringLiteral("Function") + QString::number(i), QString(), 0, kValueTop, 0, kValueHeight,
                    kIntFormat)
            .withAlignment(Rpt::AlignCenter)
            .hidden();
    return doc;
}

QString FormatForType(const QString &colmType)
{
    const QString t = DictCodes::normType(colmType);
    if (t == DictCodes::kInt || t == DictCodes::kMon)
        return kIntFormat;
    if (t == DictCodes::kBfl)
        return kPercentFormat;
    return QString();
}

int LayoutColumns(ReportDocument &doc, const QList<DictRow> &rows)
{
    const int n = std::min<int>(rows.size(), kMaxColumns);
    if (n == 0)
        return 0;
    ReportSection *ph = doc.section(Rpt::PageHeader);
    ReportSection *dt = doc.section(Rpt::Detail);
    ReportSection *rf = doc.section(QStringLiteral("section5"));
    auto num = [](int i) { return QString::number(i); };

    ph->control(QStringLiteral("labbt"))->caption = rows.first().tableName;
    ReportControl *line1 = ph->control(QStringLiteral("line1"));
    int x = 0, w = 0;
    for (int i = 1; i <= n; ++i) {
        const DictRow &row = rows.at(i - 1);
        x += w;
        w = row.colmCd.toInt() * kCharWidth;

        line1->width = x + w;
        ph->control(QStringLiteral("line2"))->width = x + w;
        dt->control(QStringLiteral("line3"))->width = x + w;
        ReportControl *line66 = rf->control(QStringLiteral("line66"));
        line66->width = x + w;
        line66->visible = true;

        ReportControl *caption = ph->control(QStringLiteral("label") + num(i));
        caption->caption = row.colmName;
        show(caption, x, w);
        caption->alignment = Rpt::AlignCenter;

        if (i >= 4)
            ph->control(QStringLiteral("label200"))->left = x - w;

        ReportControl *sep = ph->control(QStringLiteral("line") + num(i + 35));
        sep->left = x + w;
        sep->visible = true;
        sep->top = line1->top;
        sep->height = kSeparatorHeight;

        ReportControl *field = dt->control(QStringLiteral("text") + num(i));
        field->dataField = row.colmCode.trimmed();
        field->format = FormatForType(row.colmType);
        show(field, x, w);
        const QString dq = DictCodes::normType(row.colmDq);
        if (dq == DictCodes::kAlignCentre) {
            field->alignment = Rpt::AlignCenter;
        } else if (dq == DictCodes::kAlignLeft) {
            field->alignment = Rpt::AlignLeft;
            field->left = x + kAlignInset;
            field->width = w - kAlignInset;
        } else if (dq == DictCodes::kAlignRight) {
            field->alignment = Rpt::AlignRight;
            field->left = x - kAlignInset;
            field->width = w - kAlignInset;
        }

        ReportControl *rowSep = dt->control(QStringLiteral("line") + num(i + 4));
        rowSep->left = x + w;
        rowSep->visible = true;
        ReportControl *totalSep = rf->control(QStringLiteral("line") + num(i + 67));
        totalSep->left = x + w;
        totalSep->visible = true;

        if (row.sumTag.trimmed() == QLatin1String("1")) {
            // The total stands under the column's values: same place, alignment and format.
            ReportControl *total = rf->control(QStringLiteral("function") + num(i));
            show(total, field->left, field->width);
            total->alignment = field->alignment;
            total->format = field->format;
            total->dataField = row.colmCode.trimmed();
        }
    }

    // The title is centred in (columns + 1) × 1060 when that is at least as wide as the title.
    ReportControl *title = ph->control(QStringLiteral("labbt"));
    const int span = (n + 1) * kTitleStep;
    if (span >= title->width)
        title->left = (span - title->width) / 2;
    FitToPage(doc, x + w);
    return n;
}

void FitToPage(ReportDocument &doc, int tableWidth)
{
    if (tableWidth > doc.contentWidth())
        doc.setOrientation(QPageLayout::Landscape);
    const int width = doc.contentWidth();
    ReportControl *title = doc.control(QStringLiteral("labbt"));
    ReportControl *date = doc.control(QStringLiteral("label200"));
    ReportControl *pageNumber = doc.control(QStringLiteral("labpage"));
    if (tableWidth > width) {
        // Narrower columns, smaller letters; the title, the date and the page number keep their size.
        const double f = double(width) / tableWidth;
        for (int s = Rpt::ReportHeader; s <= Rpt::ReportFooter; ++s) {
            if (s == Rpt::PageFooter)
                continue;
            for (ReportControl &c : doc.section(s)->controls) {
                c.left = int(std::floor(c.left * f));
                c.width = int(std::floor(c.width * f));
                if (&c != title && &c != date)
                    c.font.size = std::max(4.0, c.font.size * f);
            }
        }
    }
    // The title and the print date move in from the right edge rather than past it.
    for (ReportControl *c : {title, date})
        c->left = std::max(0, std::min(c->left, width - c->width));
    pageNumber->width = width;
}

std::optional<ReportDocument> BuildDictReport(Connection &cn, const QString &code,
                                              std::shared_ptr<const ReportDataSource> source, QStringList *missing)
{
    const QList<DictRow> rows = ModDict::PrintDict(cn, code);
    if (rows.isEmpty() || !source || source->rowCount() < 1)
        return std::nullopt;
    // A column whose field the data lacks would print empty with a total of 0.00: left out, and
    // named to the caller.
    QList<DictRow> shown;
    for (const DictRow &row : rows) {
        if (source->columnIndex(row.colmCode) >= 0)
            shown << row;
        else if (missing)
            *missing << row.colmName.trimmed() + QStringLiteral("（") + row.colmCode.trimmed() + QStringLiteral("）");
    }
    if (shown.isEmpty())
        return std::nullopt;
    ReportDocument doc = ReportMod();
    LayoutColumns(doc, shown);
    doc.setDataSource(std::move(source));
    return doc;
}

QString MissingFieldsMessage(const QStringList &missing)
{
    return QStringLiteral("数据中没有以下字段，报表中不打印这些列：") + missing.join(QStringLiteral("、"));
}

bool DictReport(const QString &tableCode, Recordset &data, const QString &mode, QWidget *previewParent)
{
    std::optional<ReportDocument> doc;
    QStringList missing;
    try {
        doc = BuildDictReport(cnMain, tableCode, std::make_shared<RecordsetSource>(&data), &missing);
    } catch (const DbError &e) {
        MsgBox(e.description + QString::number(e.number), Msg::vbOKOnly);
        return false;
    }
    if (!missing.isEmpty())
        MsgBox(MissingFieldsMessage(missing), Msg::vbExclamation);
    if (!doc)
        return false;
    if (mode.trimmed().toUpper() == QLatin1String("V")) {
        doc->showPreview(previewParent ? previewParent : form_main::instance());
        return true;
    }
    return doc->printWithDialog(previewParent);
}

QString RenderDictReport(Connection &cn, const QString &code, const Recordset &data, const QString &path, int page)
{
    std::optional<ReportDocument> doc;
    QStringList missing;
    try {
        doc = BuildDictReport(cn, code, std::make_shared<RecordsetSource>(&data), &missing);
    } catch (const DbError &e) {
        return e.description + QString::number(e.number);
    }
    if (!missing.isEmpty())
        return MissingFieldsMessage(missing);
    if (!doc)
        return QStringLiteral("没有可打印的数据");
    if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0)
        return doc->exportPdf(path);
    // A picture of the page as the preview window shows it.
    ReportPreview preview(*doc);
    preview.setAttribute(Qt::WA_DeleteOnClose, false);
    preview.resize(1000, 1300);
    preview.goToPage(page);
    preview.previewWidget()->fitInView();
    const QPixmap shot = preview.previewWidget()->grab();
    return shot.save(path) ? QString() : QStringLiteral("无法写入文件 ") + path;
}

} // namespace ModReport
