// bench_printing: the pay sheet, the pay slips and the workbook export, beside the SQLite C API and libxlsxwriter alone.
#include "app/first_run.h"
#include "app/program_state.h"
#include "dictionary/personnel_tables.h"
#include "platform/db/connection.h"
#include "platform/ui/flex_grid.h"
#include "printing/pay_grid.h"
#include "printing/pay_sheet_window.h"
#include "printing/pay_slip_window.h"
#include "printing/spreadsheet_export.h"
#include "support/test_env.h"
#include "platform/print/report_preview.h"

#include "bench_support.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <string>
#include <vector>
#include <xlsxwriter.h>

namespace {

constexpr const char *kMonth = "200504";

void check(int rc, sqlite3 *db, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

// A month of n employees with every one of the 43 wage items shown (values with cents).
void fillDatabase(Connection &cn, int n)
{
    ModJgupdate::CreateWageTables(cn);
    ModJgupdate::WriteDefaultWageItems(cn);
    cn.execute(QStringLiteral("update rs_codedict set can_show='1' where table_code='rsgz'"));
    sqlite3 *db = cn.sqliteHandle();
    check(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), db, "begin");
    std::string sql = "insert into rsgz (f0,f1,f2";
    for (int t = 1; t <= 40; ++t)
        sql += ",t" + std::to_string(t);
    sql += ") values (?,?,?";
    for (int t = 1; t <= 40; ++t)
        sql += ",?";
    sql += ")";
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), db, "prepare");
    for (int i = 1; i <= n; ++i) {
        const std::string number = "E" + std::to_string(100000 + i);
        const std::string name = "员工" + std::to_string(i);
        sqlite3_bind_text(st, 1, kMonth, -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 2, number.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, name.c_str(), -1, SQLITE_TRANSIENT);
        for (int t = 1; t <= 40; ++t)
            sqlite3_bind_double(st, 3 + t, t % 3 ? double((i * 37 + t * 11) % 5000) : (i % 997) + 0.25 * (t % 4));
        check(sqlite3_step(st), db, "insert");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db, "commit");
}

// The month query through the C API: every cell's text, then the column sums from the fourth column on.
std::vector<std::string> plainQuery(sqlite3 *db, const QString &sql, int *columns, std::vector<double> *sums)
{
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr), db, "plain prepare");
    const int cols = sqlite3_column_count(st);
    *columns = cols;
    std::vector<std::string> cells;
    if (sums)
        sums->assign(cols, 0.0);
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < cols; ++c) {
            const unsigned char *text = sqlite3_column_text(st, c);
            cells.emplace_back(text ? reinterpret_cast<const char *>(text) : "");
            if (sums && c >= 3)
                (*sums)[c] += sqlite3_column_double(st, c);
        }
    sqlite3_finalize(st);
    return cells;
}

// The same sheet written straight with libxlsxwriter: header row bold, borders, numbers as numbers.
void plainXlsx(sqlite3 *db, const QString &sql, const QString &path)
{
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *wb = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    lxw_worksheet *ws = workbook_add_worksheet(wb, nullptr);
    lxw_format *head = workbook_add_format(wb);
    format_set_bold(head);
    format_set_border(head, LXW_BORDER_THIN);
    lxw_format *body = workbook_add_format(wb);
    format_set_border(body, LXW_BORDER_THIN);
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr), db, "plain prepare");
    const int cols = sqlite3_column_count(st);
    for (int c = 0; c < cols; ++c)
        worksheet_write_string(ws, 0, lxw_col_t(c), sqlite3_column_name(st, c), head);
    lxw_row_t row = 1;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < cols; ++c) {
            if (sqlite3_column_type(st, c) == SQLITE_TEXT)
                worksheet_write_string(ws, row, lxw_col_t(c), reinterpret_cast<const char *>(sqlite3_column_text(st, c)), body);
            else
                worksheet_write_number(ws, row, lxw_col_t(c), sqlite3_column_double(st, c), body);
        }
        ++row;
    }
    sqlite3_finalize(st);
    workbook_close(wb);
}


// The first page of the pay sheet drawn alone: its rows fetched through the C API and drawn cell
// by cell with QPainter on a page of the same size.
void plainFirstPage(sqlite3 *db, const QString &sql, int rows, const QSize &page)
{
    sqlite3_stmt *st = nullptr;
    const QByteArray limited = sql.toUtf8() + " limit " + QByteArray::number(rows);
    check(sqlite3_prepare_v2(db, limited.constData(), -1, &st, nullptr), db, "plain prepare");
    const int cols = sqlite3_column_count(st);
    QImage image(page, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(QFont(QStringLiteral("WenQuanYi Zen Hei"), 5));
    const int w = std::max(1, page.width() / (cols + 2)), h = std::max(1, page.height() / (rows + 8));
    int y = 4 * h;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < cols; ++c) {
            const QRect cell(w + c * w, y, w, h);
            p.drawRect(cell);
            p.drawText(cell, Qt::AlignRight | Qt::AlignVCenter,
                       QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c))));
        }
        y += h;
    }
    sqlite3_finalize(st);
}

ReportPreview *openPreview()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *preview = qobject_cast<ReportPreview *>(w))
            return preview;
    return nullptr;
}

// The four steps for a month of n employees.
bool run(int n, int runs)
{
    TestEnv env;  // a temporary program folder and scripted message boxes
    Connection &cn = env.openNewDatabase();
    fillDatabase(cn, n);
    sqlite3 *db = cn.sqliteHandle();
    const ModPayGrid::ShownColumns shown = ModPayGrid::ReadShownColumns(cn, QStringLiteral("rsgz"));
    const QString list = ModPayGrid::ColumnList(shown.codes);
    const QString sql = ModPayGrid::MonthQuerySql(list, QStringLiteral("rsgz"), QString::fromLatin1(kMonth));

    // Pay sheet: query, grid fill and totals, through the window.
    int cols = 0;
    std::vector<double> sums;
    const Bench::Measure plainSheet = Bench::bestOf(runs, [&] { plainQuery(db, sql, &cols, &sums); });
    FrmgzDprint sheet;
    auto *sheetGrid = sheet.findChild<FlexGrid *>(QStringLiteral("MSFl"));
    const Bench::Measure oursSheet = Bench::bestOf(runs, [&] { sheet.selectMonth(QString::fromLatin1(kMonth)); });
    if (sheetGrid->Rows() != n + 2 || sheetGrid->Cols() != int(shown.codes.size())) {
        std::fprintf(stderr, "pay sheet: %d rows, %d columns\n", sheetGrid->Rows(), sheetGrid->Cols());
        return false;
    }
    Bench::report("pay_sheet_query_fill_totals", n, oursSheet, plainSheet);

    // Pay slips: 2n + 1 rows through the window.
    const Bench::Measure plainSlips = Bench::bestOf(runs, [&] { plainQuery(db, sql, &cols, nullptr); });
    {
        FrmgzTprint slips;
        auto *slipGrid = slips.findChild<FlexGrid *>(QStringLiteral("MSFl"));
        const Bench::Measure oursSlips = Bench::bestOf(runs, [&] { slips.selectMonth(QString::fromLatin1(kMonth)); });
        if (slipGrid->Rows() != 2 * n + 1) {
            std::fprintf(stderr, "pay slips: %d rows\n", slipGrid->Rows());
            return false;
        }
        Bench::report("pay_slips_query_fill", n, oursSlips, plainSlips);
    }

    // Export "E" of the pay sheet grid: the sheet built from the grid and written as a new workbook.
    ClsFlPrint exporter;
    exporter.strdate = ClsFlPrint::NowText();
    exporter.strReportName = QString::fromLatin1(kMonth) + QStringLiteral("工资表");
    exporter.lx = QStringLiteral("E");
    const QString plainPath = env.path(QStringLiteral("plain.xlsx"));
    const Bench::Measure plainExport = Bench::bestOf(runs, [&] { plainXlsx(db, sql, plainPath); });
    const Bench::Measure oursExport = Bench::bestOf(runs, [&] {
        exporter.Flprint(*sheetGrid);
        QFile::remove(exporter.lastFile());
    });
    Bench::report("pay_sheet_export_xlsx", n, oursExport, plainExport);

    // Preview "V" of the pay sheet until its first page is drawn.
    QSize page;
    int firstRows = 0;
    const Bench::Measure oursPreview = Bench::bestOf(runs, [&] {
        sheet.print_lx(QStringLiteral("V"));
        ReportPreview *preview = openPreview();
        const QImage first = preview->previewWidget()->pageImage(1);
        page = first.size();
        firstRows = ReportPager(preview->document()).rowsOnPage(0);
        delete preview;
    });
    const Bench::Measure plainPreview = Bench::bestOf(runs, [&] { plainFirstPage(db, sql, firstRows, page); });
    Bench::report("pay_sheet_preview_first_page", n, oursPreview, plainPreview);
    std::printf("# pay sheet %d rows x %d columns, %d rows on the first printed page\n", sheetGrid->Rows(), sheetGrid->Cols(),
                firstRows);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // With a number: that many employees; without: 10,000 and then 100,000.
    if (argc > 1)
        return run(std::atoi(argv[1]), 5) ? 0 : 1;
    return run(10000, 5) && run(100000, 3) ? 0 : 1;
}
