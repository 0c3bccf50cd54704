// bench_editors: opening the record editors, choosing a month, moving to the last row and the
// dictionary report to PDF over 10,000 rows, beside the same reads done with plain SQLite.
#include "support/test_env.h"

#include "app/program_state.h"
#include "dictionary/personnel_editor_window.h"
#include "dictionary/personnel_tables.h"
#include "payroll/wage_entry_window.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/print/report_layout.h"
#include "printing/dictionary_report.h"
#include "platform/print/report_preview.h"

#include "bench_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPageSize>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

void check(int rc, sqlite3 *db, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

// Median of `runs` timings of work, in milliseconds; prepare runs untimed before each.
double median(int runs, const std::function<void()> &work, const std::function<void()> &prepare = {})
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// Every value of a query read through the C API: the plainest way to fetch what a window shows.
void plainRead(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), db, "prepare");
    std::vector<QVariantList> rows;
    const int n = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        QVariantList row;
        row.reserve(n);
        for (int c = 0; c < n; ++c) {
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER:
                row << qlonglong(sqlite3_column_int64(st, c));
                break;
            case SQLITE_FLOAT:
                row << sqlite3_column_double(st, c);
                break;
            case SQLITE_NULL:
                row << QVariant();
                break;
            default:
                row << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c)));
            }
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(st);
}

void report(const char *name, int n, double ours, double plain = -1)
{
    if (plain > 0)
        std::printf("bench %s n=%d ours_ms=%.1f plain_ms=%.1f ratio=%.2f\n", name, n, ours, plain, ours / plain);
    else
        std::printf("bench %s n=%d ours_ms=%.1f\n", name, n, ours);
    std::fflush(stdout);
}

void buildData(Connection &cn, int n)
{
    ModJgupdate::CreatePersonnelTables(cn);
    ModJgupdate::CreateWageTables(cn);
    ModJgupdate::WriteDefaultWageItems(cn);
    sqlite3 *db = cn.sqliteHandle();
    check(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt *person = nullptr, *wage = nullptr;
    check(sqlite3_prepare_v2(db, "insert into rsda (f1,f2,f3,f4,f5,f6,f8,f9,f12,f15) values (?,?,?,?,?,?,?,?,?,?)", -1,
                             &person, nullptr),
          db, "prepare rsda");
    check(sqlite3_prepare_v2(db, "insert into rsgz (f0,f1,f2,t1,t2,t3,t39,t40) values (?,?,?,?,?,?,?,?)", -1, &wage,
                             nullptr),
          db, "prepare rsgz");
    for (int i = 1; i <= n; ++i) {
        const QByteArray number = "E" + QByteArray::number(i).rightJustified(6, '0');
        const QByteArray name = QStringLiteral("员工%1").arg(i).toUtf8();
        const double basic = 2000 + (i % 50) * 37.5;
        sqlite3_bind_text(person, 1, number.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(person, 2, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(person, 3, "A", -1, SQLITE_STATIC);
        sqlite3_bind_text(person, 4, i % 2 ? "男" : "女", -1, SQLITE_STATIC);
        sqlite3_bind_double(person, 5, basic);
        sqlite3_bind_text(person, 6, "6222020200001234567", -1, SQLITE_STATIC);
        sqlite3_bind_text(person, 7, "城南路88号", -1, SQLITE_STATIC);
        sqlite3_bind_text(person, 8, "0571-8888", -1, SQLITE_STATIC);
        sqlite3_bind_text(person, 9, "13800000000", -1, SQLITE_STATIC);
        sqlite3_bind_text(person, 10, "", -1, SQLITE_STATIC);
        check(sqlite3_step(person), db, "insert rsda");
        sqlite3_reset(person);
        for (const char *month : {"200503", "200504"}) {
            sqlite3_bind_text(wage, 1, month, -1, SQLITE_STATIC);
            sqlite3_bind_text(wage, 2, number.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(wage, 3, name.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(wage, 4, basic);
            sqlite3_bind_double(wage, 5, 300);
            sqlite3_bind_double(wage, 6, i % 7);
            sqlite3_bind_double(wage, 7, basic + 300);
            sqlite3_bind_double(wage, 8, basic + 250);
            check(sqlite3_step(wage), db, "insert rsgz");
            sqlite3_reset(wage);
        }
    }
    sqlite3_finalize(person);
    sqlite3_finalize(wage);
    check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db, "commit");
    // The wage list prints too: eight columns, two of them totalled.
    const char *const print[] = {
        "(5,'rsgz','工资表','f1','员工编号','CHAR',6,'1','C','0')", "(10,'rsgz','工资表','f2','姓名','CHAR',6,'1','L','0')",
        "(15,'rsgz','工资表','T1','基本工资','MON',6,'1','R','1')", "(20,'rsgz','工资表','T2','奖金','MON',5,'1','R','1')",
        "(25,'rsgz','工资表','T3','提成','INT',5,'1','R','0')", "(30,'rsgz','工资表','T39','应发合计','MON',6,'1','R','1')",
        "(35,'rsgz','工资表','T40','实发合计','MON',6,'1','R','1')", "(40,'rsgz','工资表','f0','月份','CHAR',5,'1','C','0')"};
    for (const char *row : print)
        cn.execute(QStringLiteral("insert into PR_codedict (xh,table_code,table_name,colm_code,colm_name,colm_type,colm_cd,"
                                  "can_show,colm_dq,sum_tag) values ") + QString::fromUtf8(row));
}

// The plainest PDF of the same list: one line of text per row drawn straight with QPainter.
double plainPdf(sqlite3 *db, const QString &path)
{
    QElapsedTimer t;
    t.start();
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, "select f1,f2,t1,t2,t3,t39,t40,f0 from rsgz where f0='200504' order by f1,id", -1, &st,
                             nullptr),
          db, "prepare");
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(1440);
    QPainter p(&pdf);
    p.setFont(QFont(QStringLiteral("WenQuanYi Zen Hei"), 10));
    const int rowHeight = 330, top = 2000, bottom = 16000;
    int y = top;
    while (sqlite3_step(st) == SQLITE_ROW) {
        if (y + rowHeight > bottom) {
            pdf.newPage();
            y = top;
        }
        int x = 720;
        for (int c = 0; c < 8; ++c) {
            p.drawText(QRect(x, y, 1080, rowHeight), Qt::AlignCenter,
                       QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c))));
            x += 1080;
        }
        y += rowHeight;
    }
    sqlite3_finalize(st);
    p.end();
    return double(t.nsecsElapsed()) / 1e6;
}

// The first page of the wage list drawn alone: its rows fetched through the C API and drawn cell by
// cell with QPainter on a page of the same size.
void plainFirstPage(sqlite3 *db, int rows, const QSize &page)
{
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = "select f1,f2,t1,t2,t3,t39,t40,f0 from rsgz where f0='200504' order by f1,id limit " +
                           QByteArray::number(rows);
    check(sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr), db, "prepare");
    QImage image(page, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(QFont(QStringLiteral("WenQuanYi Zen Hei"), 7));
    const int w = std::max(1, page.width() / 10), h = std::max(1, page.height() / (rows + 8));
    int y = 4 * h;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < 8; ++c) {
            const QRect cell(w + c * w, y, w, h);
            p.drawRect(cell);
            p.drawText(cell, Qt::AlignCenter, QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c))));
        }
        y += h;
    }
    sqlite3_finalize(st);
}

// The preview of the wage list of a month of n employees (the wage entry window's 预览), until its
// first page is drawn, with the month's recordset already open as the window holds it.
void dictionaryPreview(Connection &cn, int n)
{
    Recordset month;
    month.Open(QStringLiteral("select * from rsgz where f0='200504' order by f1,[id]"), cn);
    QSize page;
    int firstRows = 0;
    const Bench::Measure ours = Bench::bestOf(3, [&] {
        if (!DictReport(QStringLiteral("rsgz"), month, QStringLiteral("v"))) {
            std::fprintf(stderr, "no preview\n");
            std::exit(1);
        }
        ReportPreview *preview = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *p = qobject_cast<ReportPreview *>(w))
                preview = p;
        page = preview->previewWidget()->pageImage(1).size();
        firstRows = ReportPager(preview->document()).rowsOnPage(0);
        delete preview;
    });
    const Bench::Measure plain = Bench::bestOf(3, [&] { plainFirstPage(cn.sqliteHandle(), firstRows, page); });
    Bench::report("dictionary_preview_first_page", n, ours, plain);
}


// The editors, the report to PDF and the report's preview over n employees.
void editors(int n)
{
    TestEnv env;  // scripted messages: the benchmark never waits for a person
    Connection &cn = env.openNewDatabase();
    buildData(cn, n);
    sqlite3 *db = cn.sqliteHandle();

    // Personnel editor: opening (records, dictionary, boxes, grid) and moving to the last row.
    const double plainRsda = median(5, [&] { plainRead(db, "select * from rsda order by [id]"); });
    const double openRs = median(5, [&] {
        FrmRSdagl w;
        w.show();
        QApplication::processEvents();
    });
    report("open_FrmRSdagl", n, openRs, plainRsda);
    {
        FrmRSdagl w;
        w.show();
        QApplication::processEvents();
        const double last = median(5, [&] {
            w.Cmdmove_Click(3);
            QApplication::processEvents();
        }, [&] { w.Cmdmove_Click(0); QApplication::processEvents(); });
        report("FrmRSdagl_move_last", n, last);
    }

    // Wage entry: opening, choosing a month of n rows, moving to the last row.
    const double openGz = median(5, [&] {
        FrmGZlr w;
        w.show();
        QApplication::processEvents();
    });
    report("open_FrmGZlr", n, openGz);
    {
        FrmGZlr w;
        w.show();
        QApplication::processEvents();
        const double plainMonth = median(5, [&] {
            plainRead(db, qPrintable(QStringLiteral("select ") + w.fieldList() +
                                     QStringLiteral(" from rsgz where f0='200504' order by f1,[id]")));
        });
        const double month = median(5, [&] {
            w.GEtjl(QStringLiteral("f0='200504'"));
            QApplication::processEvents();
        });
        report("FrmGZlr_choose_month", n, month, plainMonth);
        const double last = median(5, [&] {
            w.Cmdmove_Click(3);
            QApplication::processEvents();
        }, [&] { w.Cmdmove_Click(0); QApplication::processEvents(); });
        report("FrmGZlr_move_last", n, last);
    }

    // The dictionary report of the month: layout, pagination and rendering to PDF.
    Recordset month;
    month.Open(QStringLiteral("select * from rsgz where f0='200504' order by f1,[id]"), cn);
    const QString pdf = env.path(QStringLiteral("bench.pdf"));
    const double plain = median(3, [&] { plainPdf(db, env.path(QStringLiteral("plain.pdf"))); });
    int pages = 0;
    const double ours = median(3, [&] {
        const QString error = ModReport::RenderDictReport(cn, QStringLiteral("rsgz"), month, pdf);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "report: %s\n", qPrintable(error));
            std::exit(1);
        }
    });
    if (auto doc = ModReport::BuildDictReport(cn, QStringLiteral("rsgz"), std::make_shared<RecordsetSource>(&month)))
        pages = doc->pageCount();
    report("DictReport_pdf", n, ours, plain);
    std::printf("# report pages=%d\n", pages);
    dictionaryPreview(cn, n);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    editors(10000);
    // A month of 100,000 employees: only the preview, whose first page must come at once.
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    buildData(cn, 100000);
    dictionaryPreview(cn, 100000);
    return 0;
}
