// Dictionary-driven report (ModReport): the report definition ReportMod laid out from PR_codedict
// over any recordset, then previewed, printed or written to a file.
#pragma once

#include "platform/print/report_document.h"

#include <QList>
#include <QStringList>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

class Connection;
class Recordset;
class QWidget;
struct DictRow;

namespace ModReport {

// What the definition holds per column: 20 caption labels but only 19 detail fields, so at most
// 19 columns are laid out; wider dictionaries preview the first 19.
constexpr int kMaxColumns = 19;
constexpr int kCharWidth = 180;      // twips per character of colm_cd
constexpr int kTitleStep = 1060;     // the title is centred in (columns + 1) × 1060
constexpr int kSeparatorHeight = 440;
constexpr int kAlignInset = 50;      // "L" and "R" columns move 50 in and lose 50 of width

inline const QString kIntFormat = QStringLiteral("#####0.00");     // "INT", "MON"
inline const QString kPercentFormat = QStringLiteral("#####0.00%");  // "BFL"

// The report definition: caption "报表打印", five sections, the named controls LabBT, Label1 …
// Label20, Label200, Label2000, Text1 … Text19, Function1 … Function30 and the rules Line1 …
// Line97, every per-column control hidden.
ReportDocument ReportMod();

// The number format a colm_type gets (compared in upper case); empty for the other types.
QString FormatForType(const QString &colmType);

// Lays the columns of the print dictionary rows (in order, can_show already filtered) out on doc:
// captions, fields, separators, totals (under their values, in their format), rules, the date label
// and the title, then fits the page (FitToPage). Rows beyond kMaxColumns are ignored. Returns the
// number of columns laid out.
int LayoutColumns(ReportDocument &doc, const QList<DictRow> &rows);

// Keeps a table `tableWidth` twips wide on the paper: landscape when it is wider than the upright
// page, and beyond that every column and its letters scaled to the page width; the title and the
// print date move in from the right edge.
void FitToPage(ReportDocument &doc, int tableWidth);

// The laid-out report of table code `code` over `source`, or nothing when the print dictionary
// has no shown row for the code, the source has no row, or no shown field is in the source.
// Fields the source lacks are left out and named in `missing` ("应发合计（T39）"). Database errors
// propagate.
std::optional<ReportDocument> BuildDictReport(Connection &cn, const QString &code,
                                              std::shared_ptr<const ReportDataSource> source,
                                              QStringList *missing = nullptr);
// The message naming the fields the data lacks.
QString MissingFieldsMessage(const QStringList &missing);

// DictReport: mode "V" (any case) shows the non-modal preview, any other mode prints through the
// print dialog. False when there was nothing to show (no dictionary rows, no data) or printing was
// cancelled. Database errors are shown with their description and number; fields the data lacks
// are named in a message and the report goes on without them.
bool DictReport(const QString &tableCode, Recordset &data, const QString &mode, QWidget *previewParent = nullptr);

// Writes the report of `code` over `data` to path: a PDF for ".pdf", else a PNG picture of the
// page `page` (1-based). Returns the empty text on success, else what went wrong.
QString RenderDictReport(Connection &cn, const QString &code, const Recordset &data, const QString &path,
                         int page = 1);

} // namespace ModReport

using ModReport::DictReport;
