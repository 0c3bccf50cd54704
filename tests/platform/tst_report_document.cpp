// Tests of the report engine: number formats, pagination numbers, totals, alignment, PDF and preview.
#include "platform/db/recordset.h"
#include "platform/print/report_document.h"
#include "platform/print/report_format.h"
#include "platform/print/report_preview.h"
#include "support/test_env.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

QString pdfText(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// pdftotext drops or keeps blanks between Chinese characters as it sees fit: compare without them.
QString squeezed(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

int pdfPages(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    p.waitForFinished(60000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const int at = int(out.indexOf(QStringLiteral("Pages:")));
    return at < 0 ? -1 : out.mid(at + 6).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
}

// A staff list: page header with title and captions, detail rows, page footer with page numbers,
// report footer with a total of the amounts.
ReportDocument staffReport(int rows)
{
    ReportDocument doc;
    doc.setCaption(QStringLiteral("报表打印"));
    doc.setMargins(1000, 1000, 1000, 1000);
    doc.reportHeader().height = 800;
    doc.reportHeader().addLabel(QStringLiteral("LabBT"), QStringLiteral("部门目录"), 2880, 100, 3000, 400);
    ReportSection &ph = doc.pageHeader();
    ph.height = 1000;
    ph.addLabel(QStringLiteral("Label1"), QStringLiteral("姓名"), 0, 500, 1500, 300).withAlignment(Rpt::AlignCenter);
    ph.addLabel(QStringLiteral("Label2"), QStringLiteral("工资"), 1500, 500, 1500, 300).withAlignment(Rpt::AlignCenter);
    ph.addLine(QStringLiteral("Line1"), 0, 950, 3000, 950);
    ReportSection &d = doc.detail();
    d.height = 300;
    d.addField(QStringLiteral("Text1"), QStringLiteral("name"), 0, 0, 1500, 300);
    d.addField(QStringLiteral("Text2"), QStringLiteral("amount"), 1500, 0, 1500, 300, QStringLiteral("#####0.00"))
        .withAlignment(Rpt::AlignRight);
    ReportSection &pf = doc.pageFooter();
    pf.height = 500;
    pf.addLabel(QStringLiteral("LabPage"), QStringLiteral("第 %p 页 共 %P 页"), 0, 100, 3000, 300);
    ReportSection &rf = doc.reportFooter();
    rf.height = 600;
    rf.addLabel(QStringLiteral("Label2000"), QStringLiteral("合  计"), 0, 100, 1500, 300);
    rf.addTotal(QStringLiteral("Function2"), QStringLiteral("AMOUNT"), 1500, 100, 1500, 300, QStringLiteral("#####0.00"))
        .withAlignment(Rpt::AlignRight);
    auto data = std::make_shared<TableSource>(QStringList{QStringLiteral("name"), QStringLiteral("amount")});
    for (int i = 0; i < rows; ++i)
        data->addRow({QStringLiteral("员工%1").arg(i), 1000 + i * 0.5});
    doc.setDataSource(data);
    return doc;
}

} // namespace

class TestReportDocument : public QObject {
    Q_OBJECT
private slots:
    void numberFormatsFollowTheOldFormatRules();
    void detailRowsFlowAcrossPageBreaks();
    void reportFooterMovesToItsOwnPageWhenFull();
    void totalsOnlyWhereAskedAndOverTheRightRows();
    void textIsPlacedByItsAlignment();
    void controlsAndSectionsByNameAndVisibility();
    void pdfCarriesChineseTextAndTotals();
    void printerOutputHonoursThePageRange();
    void largeReportPaginatesEveryRow();
    void recordsetRowsFeedTheReport();
    void previewIsNonModalAndDrivesItsCommands();
};

void TestReportDocument::numberFormatsFollowTheOldFormatRules()
{
    using namespace ReportFormat;
    const QString money = QStringLiteral("#####0.00");
    const QString percent = QStringLiteral("#####0.00%");
    QCOMPARE(formatValue(1234.5, money), QStringLiteral("1234.50"));
    QCOMPARE(formatValue(0.25, percent), QStringLiteral("25.00%"));
    QCOMPARE(formatValue(-0.123, percent), QStringLiteral("-12.30%"));
    QCOMPARE(formatValue(-1234.567, money), QStringLiteral("-1234.57"));
    QCOMPARE(formatValue(0.004, money), QStringLiteral("0.00"));
    QCOMPARE(formatValue(-0.004, money), QStringLiteral("0.00"));  // no "-0.00"
    QCOMPARE(formatValue(QVariant(), money), QString());
    QCOMPARE(formatValue(QVariant(QMetaType(QMetaType::Double)), money), QString());  // typed Null
    QCOMPARE(formatValue(QStringLiteral("abc"), money), QStringLiteral("abc"));
    QCOMPARE(formatValue(QStringLiteral(" 12.5 "), money), QStringLiteral("12.50"));
    QCOMPARE(formatValue(12, money), QStringLiteral("12.00"));
    // Half away from zero on 15 significant digits: binary 1234.565 and 9.995 lie just below.
    QCOMPARE(formatNumber(1234.565, money), QStringLiteral("1234.57"));
    QCOMPARE(formatNumber(9.995, money), QStringLiteral("10.00"));
    QCOMPARE(formatNumber(0.125, QStringLiteral("0.00")), QStringLiteral("0.13"));
    QCOMPARE(formatNumber(-2.5, QStringLiteral("0")), QStringLiteral("-3"));
    QCOMPARE(formatNumber(99999.999, money), QStringLiteral("100000.00"));
    QCOMPARE(formatNumber(1234567.891, QStringLiteral("#,##0.00")), QStringLiteral("1,234,567.89"));
    QCOMPARE(formatNumber(0.5, QStringLiteral("#.##")), QStringLiteral(".5"));
    QCOMPARE(formatNumber(7, QStringLiteral("000")), QStringLiteral("007"));
    QCOMPARE(formatNumber(-5, QStringLiteral("0.00;(0.00);\"零\"")), QStringLiteral("(5.00)"));
    QCOMPARE(formatNumber(0, QStringLiteral("0.00;(0.00);\"零\"")), QStringLiteral("零"));
    QCOMPARE(formatNumber(3.14159, QStringLiteral("\"￥\"0.00元")), QStringLiteral("￥3.14元"));
    QCOMPARE(formatNumber(1234.5, QStringLiteral("Standard")), QStringLiteral("1,234.50"));
    QCOMPARE(formatNumber(0.5, QStringLiteral("Percent")), QStringLiteral("50.00%"));
    QCOMPARE(formatValue(1234.5), QStringLiteral("1234.5"));
    QCOMPARE(formatValue(3.0), QStringLiteral("3"));
    QCOMPARE(formatValue(QDate(2005, 4, 3)), QStringLiteral("2005-04-03"));

    double v = 0;
    int decimals = -1;
    QVERIFY(isPlainNumber(QStringLiteral("-12.50"), &v, &decimals));
    QCOMPARE(v, -12.5);
    QCOMPARE(decimals, 2);
    QVERIFY(isPlainNumber(QStringLiteral("0.000123456789012345")));  // leading zeros are not significant
    for (const char *text : {"007", "1.", ".5", "1e5", "", "-", "+5", "12 ", "123456789012345678", "１２"})
        QVERIFY2(!isPlainNumber(QString::fromUtf8(text)), text);
}

void TestReportDocument::detailRowsFlowAcrossPageBreaks()
{
    ReportDocument doc = staffReport(100);
    const int H = doc.contentHeight();
    QCOMPARE(H, doc.paperHeight() - 2000);
    const int capFirst = (H - 500 - 800 - 1000) / 300;
    const int cap = (H - 500 - 1000) / 300;
    const int expectedPages = 1 + (100 - capFirst + cap - 1) / cap;
    const ReportLayout layout = doc.layout();
    QVERIFY(layout.problems.isEmpty());
    QCOMPARE(layout.pages.size(), expectedPages);
    QCOMPARE(doc.pageCount(), expectedPages);

    const ReportPage &p1 = layout.pages.at(0);
    QCOMPARE(p1.firstRow, 0);
    QCOMPARE(p1.rowCount, capFirst);
    // Report header, then page header, then the rows.
    QCOMPARE(p1.find(QStringLiteral("LabBT"))->rect, QRect(1000 + 2880, 1000 + 100, 3000, 400));
    QCOMPARE(p1.find(QStringLiteral("Label1"))->rect.top(), 1000 + 800 + 500);
    QCOMPARE(p1.find(QStringLiteral("Text1"), 0)->rect, QRect(1000, 1000 + 800 + 1000, 1500, 300));
    const PlacedItem *lastOnFirst = p1.find(QStringLiteral("Text1"), capFirst - 1);
    QVERIFY(lastOnFirst);
    QCOMPARE(lastOnFirst->rect.top(), 1000 + 1800 + (capFirst - 1) * 300);
    QCOMPARE(lastOnFirst->text, QStringLiteral("员工%1").arg(capFirst - 1));
    QVERIFY(lastOnFirst->rect.bottom() < 1000 + H - 500);  // above the page footer
    QVERIFY(!p1.find(QStringLiteral("Text1"), capFirst));

    // The next row opens page 2 right under its page header; no report header there.
    const ReportPage &p2 = layout.pages.at(1);
    QCOMPARE(p2.firstRow, capFirst);
    QCOMPARE(p2.rowCount, cap);
    QVERIFY(!p2.find(QStringLiteral("LabBT")));
    QCOMPARE(p2.find(QStringLiteral("Label1"))->rect.top(), 1000 + 500);
    const PlacedItem *first2 = p2.find(QStringLiteral("Text2"), capFirst);
    QCOMPARE(first2->rect.top(), 1000 + 1000);
    QCOMPARE(first2->text, QStringLiteral("%1.%2").arg(1000 + capFirst / 2).arg(capFirst % 2 ? "50" : "00"));

    // Page footers at the bottom of every page with the page numbers.
    for (const ReportPage &page : layout.pages) {
        const PlacedItem *label = page.find(QStringLiteral("LabPage"));
        QCOMPARE(label->rect.top(), 1000 + H - 500 + 100);
        QCOMPARE(label->text, QStringLiteral("第 %1 页 共 %2 页").arg(page.number).arg(expectedPages));
    }
    // Every row exactly once, in order; the report footer on the last page only, under the last row.
    int next = 0;
    for (const ReportPage &page : layout.pages) {
        for (const PlacedItem &item : page.items)
            if (item.name == QLatin1String("Text1"))
                QCOMPARE(item.row, next++);
        QCOMPARE(bool(page.find(QStringLiteral("Function2"))), page.number == expectedPages);
    }
    QCOMPARE(next, 100);
    const ReportPage &last = layout.pages.last();
    const PlacedItem *lastRow = last.find(QStringLiteral("Text1"), 99);
    QCOMPARE(last.find(QStringLiteral("Label2000"))->rect.top(), lastRow->rect.top() + 300 + 100);

    // No rows: one page with the headers and the footer right under them.
    ReportDocument empty = staffReport(0);
    const ReportLayout e = empty.layout();
    QCOMPARE(e.pages.size(), 1);
    QCOMPARE(e.pages.at(0).rowCount, 0);
    QCOMPARE(e.pages.at(0).find(QStringLiteral("Label2000"))->rect.top(), 1000 + 800 + 1000 + 100);
    QCOMPARE(e.pages.at(0).find(QStringLiteral("Function2"))->text, QStringLiteral("0.00"));
}

void TestReportDocument::reportFooterMovesToItsOwnPageWhenFull()
{
    ReportDocument probe = staffReport(0);
    const int H = probe.contentHeight();
    const int capFirst = (H - 500 - 800 - 1000) / 300;
    const int cap = (H - 500 - 1000) / 300;
    const bool fullPageLeavesNoRoom = 1000 + cap * 300 + 600 > H - 500;
    QVERIFY(fullPageLeavesNoRoom);  // the arithmetic below depends on it

    ReportDocument doc = staffReport(capFirst + cap);  // two full pages
    const ReportLayout layout = doc.layout();
    QCOMPARE(layout.pages.size(), 3);
    QCOMPARE(layout.pages.at(2).rowCount, 0);
    QCOMPARE(layout.pages.at(2).firstRow, capFirst + cap);
    QVERIFY(!layout.pages.at(1).find(QStringLiteral("Label2000")));
    // Own page: page header, then the report footer right under it, and the page footer.
    QCOMPARE(layout.pages.at(2).find(QStringLiteral("Label2000"))->rect.top(), 1000 + 1000 + 100);
    QVERIFY(layout.pages.at(2).find(QStringLiteral("Label1")));
    QCOMPARE(layout.pages.at(2).find(QStringLiteral("LabPage"))->text, QStringLiteral("第 3 页 共 3 页"));

    // One row fewer: the footer fits under the last row on page 2.
    ReportDocument fits = staffReport(capFirst + cap - 2);
    QCOMPARE(fits.pageCount(), 2);

    // A detail section taller than a page still puts one row on each page, and says so.
    ReportDocument tall = staffReport(3);
    tall.detail().height = H;
    const ReportLayout t = tall.layout();
    // Page 1 has no room under its headers, rows on pages 2-4, the footer on a page of its own.
    QCOMPARE(t.pages.size(), 5);
    QCOMPARE(t.pages.at(0).rowCount, 0);
    QCOMPARE(t.pages.at(3).firstRow, 2);
    QVERIFY(!t.problems.isEmpty());
}

void TestReportDocument::totalsOnlyWhereAskedAndOverTheRightRows()
{
    ReportDocument doc = staffReport(0);
    auto data = std::make_shared<TableSource>(QStringList{QStringLiteral("name"), QStringLiteral("amount"), QStringLiteral("rate")});
    const QVariant null;
    data->addRow({QStringLiteral("甲"), 1234.5, 0.25});
    data->addRow({QStringLiteral("乙"), null, 0.5});
    data->addRow({QStringLiteral("丙"), QStringLiteral("100.25"), QStringLiteral("n/a")});
    data->addRow({QStringLiteral("丁"), -34.75, null});
    doc.setDataSource(data);
    ReportSection &rf = doc.reportFooter();
    rf.addTotal(QStringLiteral("Function3"), 2, 3000, 100, 1000, 300, QStringLiteral("#####0.00%"), Rpt::Average);
    rf.addTotal(QStringLiteral("Function4"), QStringLiteral("rate"), 4000, 100, 1000, 300, {}, Rpt::Count);
    rf.addTotal(QStringLiteral("Function5"), QStringLiteral("amount"), 5000, 100, 1000, 300, {}, Rpt::Maximum);
    rf.addTotal(QStringLiteral("Function6"), QStringLiteral("amount"), 6000, 100, 1000, 300).hidden();
    const ReportLayout layout = doc.layout();
    const ReportPage &page = layout.pages.last();
    QCOMPARE(page.find(QStringLiteral("Function2"))->text, QStringLiteral("1300.00"));  // Null skipped, text read
    QCOMPARE(page.find(QStringLiteral("Function3"))->text, QStringLiteral("37.50%"));   // "n/a" and Null skipped
    QCOMPARE(page.find(QStringLiteral("Function4"))->text, QStringLiteral("3"));
    QCOMPARE(page.find(QStringLiteral("Function5"))->text, QStringLiteral("1234.5"));
    QVERIFY(!page.find(QStringLiteral("Function6")));
    QCOMPARE(page.find(QStringLiteral("Text2"), 1)->text, QString());  // Null prints empty
    QCOMPARE(page.find(QStringLiteral("Text2"), 3)->text, QStringLiteral("-34.75"));
    // No total for columns that did not ask for one.
    int totals = 0;
    for (const PlacedItem &item : page.items)
        totals += item.name.startsWith(QLatin1String("Function")) ? 1 : 0;
    QCOMPARE(totals, 4);

    // A total in the page footer adds up the rows of its page only.
    ReportDocument paged = staffReport(100);
    paged.pageFooter().addTotal(QStringLiteral("PageSum"), QStringLiteral("amount"), 3000, 100, 1500, 300, QStringLiteral("0.00"));
    const ReportLayout pl = paged.layout();
    double all = 0;
    for (const ReportPage &p : pl.pages) {
        double sum = 0;
        for (int r = p.firstRow; r < p.firstRow + p.rowCount; ++r)
            sum += 1000 + r * 0.5;
        all += sum;
        QCOMPARE(p.find(QStringLiteral("PageSum"))->text, ReportFormat::formatNumber(sum, QStringLiteral("0.00")));
    }
    QCOMPARE(pl.pages.last().find(QStringLiteral("Function2"))->text, ReportFormat::formatNumber(all, QStringLiteral("0.00")));
}

void TestReportDocument::textIsPlacedByItsAlignment()
{
    ReportDocument doc;
    doc.setMargins(0, 0, 0, 0);
    ReportSection &ph = doc.pageHeader();
    ph.height = 2000;
    const QString text = QStringLiteral("部门名称");
    ph.addLabel(QStringLiteral("L"), text, 100, 0, 3000, 400);
    ph.addLabel(QStringLiteral("C"), text, 100, 500, 3000, 400).withAlignment(Rpt::AlignCenter);
    ph.addLabel(QStringLiteral("R"), text, 100, 1000, 3000, 400).withAlignment(Rpt::AlignRight);
    ReportControl &padded = ph.addLabel(QStringLiteral("P"), text, 100, 1500, 3000, 400).withAlignment(Rpt::AlignRight);
    padded.padding = 60;
    ReportSection &d = doc.detail();
    d.height = 300;
    d.addField(QStringLiteral("G"), 0, 0, 0, 3000, 300).withAlignment(Rpt::AlignGeneral);
    doc.setDataSource(std::make_shared<TableSource>(QStringList{QStringLiteral("v")},
                                                    QList<QVariantList>{{QStringLiteral("12.50")}, {QStringLiteral("007")}, {42}}));
    const ReportPage page = doc.layout().pages.at(0);
    const QRect l = page.find(QStringLiteral("L"))->textRect;
    const QRect c = page.find(QStringLiteral("C"))->textRect;
    const QRect r = page.find(QStringLiteral("R"))->textRect;
    const QRect p = page.find(QStringLiteral("P"))->textRect;
    QVERIFY(l.width() > 200 && l.width() < 3000);  // 4 characters of 10 points are about 800 twips wide
    QCOMPARE(l.width(), c.width());
    QCOMPARE(l.left(), 100);
    QVERIFY(qAbs((c.left() - 100) - (3100 - (c.left() + c.width()))) <= 2);
    QVERIFY(qAbs(r.left() + r.width() - 3100) <= 1);
    QVERIFY(qAbs(p.left() + p.width() - 3040) <= 1);
    QVERIFY(l.top() >= 0 && l.top() + l.height() <= 400);  // centred in the height
    QVERIFY(qAbs(l.top() - (400 - l.height()) / 2) <= 1);
    QCOMPARE(page.find(QStringLiteral("G"), 0)->alignment, Rpt::AlignRight);
    QCOMPARE(page.find(QStringLiteral("G"), 1)->alignment, Rpt::AlignLeft);  // "007" is a code, not a number
    QCOMPARE(page.find(QStringLiteral("G"), 2)->alignment, Rpt::AlignRight);
}

void TestReportDocument::controlsAndSectionsByNameAndVisibility()
{
    ReportDocument doc = staffReport(5);
    QCOMPARE(doc.section(5), doc.section(QStringLiteral("section5")));
    QCOMPARE(doc.section(5)->kind, Rpt::ReportFooter);
    QCOMPARE(doc.section(2), &doc.pageHeader());
    QCOMPARE(doc.section(QStringLiteral("Section1")), &doc.detail());
    QVERIFY(!doc.section(0) && !doc.section(6) && !doc.section(QStringLiteral("nope")));
    QCOMPARE(doc.control(QStringLiteral("labbt")), doc.reportHeader().control(QStringLiteral("LabBT")));
    QCOMPARE(doc.sectionOf(QStringLiteral("TEXT2")), &doc.detail());
    QVERIFY(!doc.control(QStringLiteral("Label3")));

    // Adding controls keeps earlier addresses valid; changes through them reach the layout.
    ReportControl *caption = doc.control(QStringLiteral("Label1"));
    for (int i = 3; i < 40; ++i)
        doc.pageHeader().addLabel(QStringLiteral("Label%1").arg(i), QString(), 0, 0, 10, 10).hidden();
    caption->caption = QStringLiteral("员工姓名");
    caption->left = 250;
    doc.control(QStringLiteral("Line1"))->width = 4500;
    doc.control(QStringLiteral("Label2"))->visible = false;
    doc.control(QStringLiteral("Text2"))->dataField = QStringLiteral("missing");
    const ReportLayout layout = doc.layout();
    const ReportPage &page = layout.pages.at(0);
    QCOMPARE(page.find(QStringLiteral("Label1"))->text, QStringLiteral("员工姓名"));
    QCOMPARE(page.find(QStringLiteral("Label1"))->rect.left(), 1000 + 250);
    QCOMPARE(page.find(QStringLiteral("Line1"))->line, QLine(1000, 1000 + 800 + 950, 1000 + 4500, 1000 + 800 + 950));
    QVERIFY(!page.find(QStringLiteral("Label2")));
    QVERIFY(!page.find(QStringLiteral("Label5")));
    QCOMPARE(page.find(QStringLiteral("Text2"), 0)->text, QString());
    QCOMPARE(layout.problems.size(), 1);
    QVERIFY(layout.problems.at(0).contains(QStringLiteral("missing")));

    // A hidden section takes no room; %D shows the print date; a slanted line keeps its direction.
    doc.reportHeader().visible = false;
    doc.setPrintDate(QDateTime(QDate(2005, 5, 3), QTime(9, 30)));
    doc.pageFooter().addLabel(QStringLiteral("Label200"), QStringLiteral("%D 100%"), 0, 0, 3000, 300);
    doc.pageFooter().addLine(QStringLiteral("Slant"), 0, 400, 300, 0);
    const ReportPage p = doc.layout().pages.at(0);
    QVERIFY(!p.find(QStringLiteral("LabBT")));
    QCOMPARE(p.find(QStringLiteral("Text1"), 0)->rect.top(), 1000 + 1000);
    QCOMPARE(p.find(QStringLiteral("Label200"))->text, QStringLiteral("2005年5月3日 100%"));
    const QLine slant = p.find(QStringLiteral("Slant"))->line;
    QVERIFY(slant.y1() > slant.y2() && slant.x1() < slant.x2());
}

void TestReportDocument::pdfCarriesChineseTextAndTotals()
{
    TestEnv env;
    ReportDocument doc = staffReport(3);
    doc.control(QStringLiteral("LabBT"))->font.size = 16;
    const QString path = env.path(QStringLiteral("staff.pdf"));
    QCOMPARE(doc.exportPdf(path), QString());
    QCOMPARE(pdfPages(path), 1);
    const QString text = pdfText(path);
    QVERIFY2(text.contains(QStringLiteral("部门目录")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("员工2")));
    QVERIFY(text.contains(QStringLiteral("1001.00")));
    QVERIFY(squeezed(text).contains(QStringLiteral("合计3001.50")));  // the total beside its caption
    QVERIFY2(squeezed(text).contains(QStringLiteral("第1页共1页")), qPrintable(text));

    // A number wider than its field is narrowed, never cut to another number; far too wide, it
    // shows as "###".
    ReportDocument narrow = staffReport(2);
    narrow.control(QStringLiteral("Text2"))->width = 520;
    narrow.control(QStringLiteral("Function2"))->width = 150;
    const ReportLayout nl = narrow.layout();
    QVERIFY(nl.pages.at(0).find(QStringLiteral("Text2"), 0)->textRect.width() > 520);
    const QString narrowPdf = env.path(QStringLiteral("narrow.pdf"));
    QCOMPARE(narrow.exportPdf(narrowPdf), QString());
    const QString nt = squeezed(pdfText(narrowPdf));
    QVERIFY2(nt.contains(QStringLiteral("员工01000.00")) && nt.contains(QStringLiteral("员工11000.50")), qPrintable(nt));
    QVERIFY(nt.contains(QStringLiteral("合计#")) && !nt.contains(QStringLiteral("2000.50")));
    // Narrowed, the number stays inside its field (1500 + 1000 margin to 520 further, in points).
    QProcess bbox;
    bbox.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), narrowPdf, QStringLiteral("-")});
    bbox.waitForFinished(60000);
    const QString words = QString::fromUtf8(bbox.readAllStandardOutput());
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("xMin=\"([0-9.]+)\"[^>]*xMax=\"([0-9.]+)\"[^>]*>1000.00<")).match(words);
    QVERIFY2(m.hasMatch(), qPrintable(words));
    QVERIFY2(m.captured(1).toDouble() >= 2500 / 20.0 - 0.5 && m.captured(2).toDouble() <= 3020 / 20.0 + 0.5, qPrintable(m.captured(0)));

    // A folder that does not exist: an error text, no file, no crash.
    const QString bad = env.path(QStringLiteral("no/such/dir/x.pdf"));
    QVERIFY(!doc.exportPdf(bad).isEmpty());
    QVERIFY(!QFileInfo::exists(bad));

    // Landscape turns the paper.
    doc.setOrientation(QPageLayout::Landscape);
    QVERIFY(doc.paperWidth() > doc.paperHeight());
    const QString wide = env.path(QStringLiteral("wide.pdf"));
    QCOMPARE(doc.exportPdf(wide), QString());
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {wide});
    info.waitForFinished();
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    const QString size = out.mid(out.indexOf(QStringLiteral("Page size:"))).section(QLatin1Char('\n'), 0, 0);
    const QStringList parts = size.split(QLatin1Char(' '), Qt::SkipEmptyParts);  // Page size: W x H pts (A4)
    QVERIFY2(parts.size() > 4 && parts.at(2).toDouble() > parts.at(4).toDouble(), qPrintable(size));
}

void TestReportDocument::printerOutputHonoursThePageRange()
{
    TestEnv env;
    ReportDocument doc = staffReport(100);
    const int pages = doc.pageCount();
    QVERIFY(pages >= 3);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString path = env.path(QStringLiteral("range.pdf"));
    printer.setOutputFileName(path);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 2);
    QVERIFY(doc.print(&printer));
    QCOMPARE(pdfPages(path), 1);
    const QString text = pdfText(path);
    QVERIFY(squeezed(text).contains(QStringLiteral("第2页共%1页").arg(pages)));
    QVERIFY(!text.contains(QStringLiteral("部门目录")));

    // A PDF printer without a file name writes a new file beside the program.
    QPrinter unnamed(QPrinter::HighResolution);
    unnamed.setOutputFormat(QPrinter::PdfFormat);
    QVERIFY(doc.print(&unnamed));
    QCOMPARE(unnamed.outputFileName(), env.path(QStringLiteral("report1.pdf")));
    QCOMPARE(pdfPages(unnamed.outputFileName()), pages);

    // Printing without a dialog on a machine with no printer goes to the next free PDF name.
    const QString where = doc.printToDefault(QStringLiteral("report"));
    if (where.endsWith(QLatin1String(".pdf"))) {
        QCOMPARE(where, env.path(QStringLiteral("report2.pdf")));
        QCOMPARE(pdfPages(where), pages);
    }
    // The print dialog cancelled (no scripted step): nothing printed.
    QVERIFY(!doc.printWithDialog());
    QCOMPARE(env.dialogs.shown, QStringList{QStringLiteral("PrintDialog")});
}

void TestReportDocument::largeReportPaginatesEveryRow()
{
    TestEnv env;
    ReportDocument doc = staffReport(10000);
    ReportPager pager(doc);
    int rows = 0;
    for (int i = 0; i < pager.pageCount(); ++i) {
        QCOMPARE(pager.firstRowOfPage(i), rows);
        rows += pager.rowsOnPage(i);
    }
    QCOMPARE(rows, 10000);
    const ReportPage last = pager.page(pager.pageCount() - 1);
    QVERIFY(last.find(QStringLiteral("Text1"), 9999));
    double sum = 0;
    for (int i = 0; i < 10000; ++i)
        sum += 1000 + i * 0.5;
    QCOMPARE(last.find(QStringLiteral("Function2"))->text, ReportFormat::formatNumber(sum, QStringLiteral("#####0.00")));
    const QString path = env.path(QStringLiteral("large.pdf"));
    QCOMPARE(doc.exportPdf(path), QString());
    QCOMPARE(pdfPages(path), pager.pageCount());
}

void TestReportDocument::recordsetRowsFeedTheReport()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    cn.execute(QStringLiteral("create table pay (id integer primary key autoincrement, f2 text, T1 real)"));
    cn.execute(QStringLiteral("insert into pay (f2, T1) values ('张三', 1234.5), ('李四', null), ('王五', 0.25)"));
    auto rs = std::make_unique<Recordset>();
    rs->Open(QStringLiteral("select * from pay order by id"), cn);
    rs->MoveLast();
    ReportDocument doc = staffReport(0);
    doc.control(QStringLiteral("Text1"))->dataField = QStringLiteral("F2");
    doc.control(QStringLiteral("Text2"))->dataField = QStringLiteral("t1");
    doc.control(QStringLiteral("Function2"))->dataField = QStringLiteral("T1");
    doc.setDataSource(std::make_shared<RecordsetSource>(rs.get()));
    ReportLayout layout = doc.layout();
    QVERIFY(layout.problems.isEmpty());
    const ReportPage &page = layout.pages.at(0);
    QCOMPARE(page.rowCount, 3);
    QCOMPARE(page.find(QStringLiteral("Text1"), 0)->text, QStringLiteral("张三"));
    QCOMPARE(page.find(QStringLiteral("Text2"), 1)->text, QString());
    QCOMPARE(page.find(QStringLiteral("Text2"), 2)->text, QStringLiteral("0.25"));
    QCOMPARE(page.find(QStringLiteral("Function2"))->text, QStringLiteral("1234.75"));
    QCOMPARE(rs->AbsolutePosition(), 3);  // the cursor stays where the caller left it

    // A copy taken now outlives the recordset; the live adapter reads an empty table afterwards.
    ReportDocument kept = doc;
    kept.detachData();
    rs.reset();
    QCOMPARE(doc.layout().pages.at(0).rowCount, 0);
    QCOMPARE(kept.layout().pages.at(0).find(QStringLiteral("Text1"), 2)->text, QStringLiteral("王五"));
}

void TestReportDocument::previewIsNonModalAndDrivesItsCommands()
{
    TestEnv env;
    ReportDocument doc = staffReport(100);
    QPointer<ReportPreview> preview = doc.showPreview();
    QVERIFY(preview);
    QVERIFY(preview->isVisible());
    QVERIFY(!preview->isModal());
    QCOMPARE(preview->windowTitle(), QStringLiteral("报表打印"));
    doc.setDataSource(nullptr);  // the preview holds its own rows
    QCOMPARE(preview->pageCount(), staffReport(100).pageCount());
    QCOMPARE(preview->currentPage(), 1);
    preview->action(QStringLiteral("actNextPage"))->trigger();
    QCOMPARE(preview->currentPage(), 2);
    preview->action(QStringLiteral("actLastPage"))->trigger();
    QCOMPARE(preview->currentPage(), preview->pageCount());
    preview->action(QStringLiteral("actNextPage"))->trigger();
    QCOMPARE(preview->currentPage(), preview->pageCount());
    preview->action(QStringLiteral("actFirstPage"))->trigger();
    QCOMPARE(preview->currentPage(), 1);
    for (const char *name : {"actZoomIn", "actZoomOut", "actFitWidth", "actPrint", "actSavePdf", "actClose"})
        QVERIFY2(preview->action(QString::fromLatin1(name)), name);

    // Save as PDF: the file dialog proposes a new name beside the program; the person keeps it.
    QString proposed;
    env.dialogs.steps << [&](QDialog *d) {
        auto *fd = qobject_cast<QFileDialog *>(d);
        QVERIFY(fd);
        proposed = fd->selectedFiles().value(0);
        d->accept();
    };
    preview->action(QStringLiteral("actSavePdf"))->trigger();
    QCOMPARE(proposed, env.path(QStringLiteral("report1.pdf")));
    QCOMPARE(pdfPages(proposed), preview->pageCount());
    QVERIFY(pdfText(proposed).contains(QStringLiteral("员工99")));

    // Choosing an existing file asks first; "No" leaves it alone.
    const qint64 before = QFileInfo(proposed).size();
    env.messages.answers << Msg::vbNo;
    env.dialogs.steps << [&](QDialog *d) {
        auto *fd = static_cast<QFileDialog *>(d);
        fd->selectFile(proposed);
        d->accept();
    };
    QCOMPARE(preview->savePdf(), QString());
    QCOMPARE(env.messages.records.size(), 1);
    QCOMPARE(env.messages.records.at(0).flags, Msg::vbYesNo | Msg::vbExclamation);
    QCOMPARE(QFileInfo(proposed).size(), before);

    // Print: the print dialog goes through the dialog service; cancelled, nothing is printed.
    preview->action(QStringLiteral("actPrint"))->trigger();
    QCOMPARE(env.dialogs.shown.last(), QStringLiteral("PrintDialog"));

    preview->action(QStringLiteral("actClose"))->trigger();
    QTRY_VERIFY(!preview);  // deleted on close
}

QTEST_MAIN(TestReportDocument)
#include "tst_report_document.moc"
