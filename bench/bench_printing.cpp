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

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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

double bestOf(int runs, const std::function<void()> &work)
{
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        work();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

void report(const char *name, int n, double ours, double plain)
{
    std::printf("bench %s n=%d ours_ms=%.1f plain_ms=%.1f ratio=%.2f\n", name, n, ours, plain, ours / plain);
    std::fflush(stdout);
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

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 10000;

    TestEnv env;  // a temporary program folder and scripted message boxes
    Connection &cn = env.openNewDatabase();
    fillDatabase(cn, n);
    sqlite3 *db = cn.sqliteHandle();
    const ModPayGrid::ShownColumns shown = ModPayGrid::ReadShownColumns(cn, QStringLiteral("rsgz"));
    const QString list = ModPayGrid::ColumnList(shown.codes);
    const QString sql = ModPayGrid::MonthQuerySql(list, QStringLiteral("rsgz"), QString::fromLatin1(kMonth));
    const int runs = 7;

    // Pay sheet: query, grid fill and totals, through the window.
    FrmgzDprint sheet;
    auto *sheetGrid = sheet.findChild<FlexGrid *>(QStringLiteral("MSFl"));
    const double oursSheet = bestOf(runs, [&] { sheet.selectMonth(QString::fromLatin1(kMonth)); });
    if (sheetGrid->Rows() != n + 2 || sheetGrid->Cols() != int(shown.codes.size())) {
        std::fprintf(stderr, "pay sheet: %d rows, %d columns\n", sheetGrid->Rows(), sheetGrid->Cols());
        return 1;
    }
    int cols = 0;
    std::vector<double> sums;
    const double plainSheet = bestOf(runs, [&] { plainQuery(db, sql, &cols, &sums); });
    report("pay_sheet_query_fill_totals", n, oursSheet, plainSheet);

    // Pay slips: 2n + 1 rows through the window.
    FrmgzTprint slips;
    auto *slipGrid = slips.findChild<FlexGrid *>(QStringLiteral("MSFl"));
    const double oursSlips = bestOf(runs, [&] { slips.selectMonth(QString::fromLatin1(kMonth)); });
    if (slipGrid->Rows() != 2 * n + 1) {
        std::fprintf(stderr, "pay slips: %d rows\n", slipGrid->Rows());
        return 1;
    }
    const double plainSlips = bestOf(runs, [&] { plainQuery(db, sql, &cols, nullptr); });
    report("pay_slips_query_fill", n, oursSlips, plainSlips);

    // Export "E" of the pay sheet grid: the sheet built from the grid and written as a new workbook.
    ClsFlPrint exporter;
    exporter.strdate = ClsFlPrint::NowText();
    exporter.strReportName = QString::fromLatin1(kMonth) + QStringLiteral("工资表");
    exporter.lx = QStringLiteral("E");
    const double oursExport = bestOf(runs, [&] {
        exporter.Flprint(*sheetGrid);
        QFile::remove(exporter.lastFile());
    });
    const QString plainPath = env.path(QStringLiteral("plain.xlsx"));
    const double plainExport = bestOf(runs, [&] { plainXlsx(db, sql, plainPath); });
    report("pay_sheet_export_xlsx", n, oursExport, plainExport);
    std::printf("# pay sheet %d rows x %d columns, pay slips %d rows\n", sheetGrid->Rows(), sheetGrid->Cols(),
                slipGrid->Rows());
    return 0;
}
