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
#include <QRegularExpression>
#include <QTest>

#include "support/tools.h"

using namespace Qt::StringLiterals;

namespace {

// pdftotext drops or keeps blanks between Chinese characters as it sees fit: compare without them.
QString pdfText(const QString &path) { return pdfLayoutText(path).remove(QRegularExpression(u"\\s"_s)); }

// One line of pdfinfo's output, after its "Key:".
QString pdfInfo(const QString &path, const QString &key)
{
    const QString out = runTool(u"pdfinfo"_s, {path});
    const int at = int(out.indexOf(key + QLatin1Char(':')));
    return at < 0 ? QString() : out.mid(at + key.size() + 1).section(QLatin1Char('\n'), 0, 0).trimmed();
}

int pdfPages(const QString &path) { return pdfInfo(path, u"Pages"_s).toInt(); }

QString textAt(const ReportPage &page, const char *name, int row = -1)
{
    const PlacedItem *item = page.find(QString::fromLatin1(name), row);
    return item ? item->text : u"<missing %1>"_s.arg(QLatin1String(name));
}

// A staff list: page header with title and captions, detail rows, page footer with page numbers,
// report footer with a total of the amounts.
ReportDocument staffReport(int rows)
{
    ReportDocument doc;
    doc.setMargins(1000, 1000, 1000, 1000);
    doc.reportHeader().height = 800;
    doc.reportHeader().addLabel(u"LabBT"_s, u"部门目录"_s, 2880, 100, 3000, 400);
    ReportSection &ph = doc.pageHeader();
    ph.height = 1000;
    ph.addLabel(u"Label1"_s, u"姓名"_s, 0, 500, 1500, 300).withAlignment(Rpt::AlignCenter);
    ph.addLabel(u"Label2"_s, u"工资"_s, 1500, 500, 1500, 300).withAlignment(Rpt::AlignCenter);
    ph.addLine(u"Line1"_s, 0, 950, 3000, 950);
    ReportSection &d = doc.detail();
    d.height = 300;
    d.addField(u"Text1"_s, u"name"_s, 0, 0, 1500, 300);
    d.addField(u"Text2"_s, u"amount"_s, 1500, 0, 1500, 300, u"#####0.00"_s).withAlignment(Rpt::AlignRight);
    doc.pageFooter().height = 500;
    doc.pageFooter().addLabel(u"LabPage"_s, u"第 %p 页 共 %P 页"_s, 0, 100, 3000, 300);
    ReportSection &rf = doc.reportFooter();
    rf.height = 600;
    rf.addLabel(u"Label2000"_s, u"合  计"_s, 0, 100, 1500, 300);
    rf.addTotal(u"Function2"_s, u"AMOUNT"_s, 1500, 100, 1500, 300, u"#####0.00"_s).withAlignment(Rpt::AlignRight);
    auto data = std::make_shared<TableSource>(QStringList{u"name"_s, u"amount"_s});
    for (int i = 0; i < rows; ++i)
        data->addRow({u"员工%1"_s.arg(i), 1000 + i * 0.5});
    doc.setDataSource(data);
    return doc;
}

} // namespace

class TestReportDocument : public QObject {
    Q_OBJECT
private slots:
    void numberFormatsFollowTheOldFormatRules();
    void rowsFlowAcrossPageBreaksAndControlsChangeByName();
    void totalsOverTheRowsOfATableOrARecordset();
    void textIsPlacedByItsAlignment();
    void pdfPrinterAndPreviewOutput();
};

void TestReportDocument::numberFormatsFollowTheOldFormatRules()
{
    using namespace ReportFormat;
    const QString money = u"#####0.00"_s;
    const struct { QVariant value; QString format, expected; } cases[] = {
        {-0.123, u"#####0.00%"_s, u"-12.30%"_s}, {-0.004, money, u"0.00"_s} /* no "-0.00" */, {QVariant(), money, {}},
        {QVariant(QMetaType(QMetaType::Double)), money, {}} /* typed Null */, {u"abc"_s, money, u"abc"_s},
        {u" 12.5 "_s, money, u"12.50"_s}, {-2.5, u"0"_s, u"-3"_s}, {99999.999, money, u"100000.00"_s},
        // Half away from zero on 15 significant digits: binary 1234.565 and 9.995 lie just below.
        {1234.565, money, u"1234.57"_s}, {9.995, money, u"10.00"_s},
        {1234567.891, u"#,##0.00"_s, u"1,234,567.89"_s}, {0.5, u"#.##"_s, u".5"_s}, {7, u"000"_s, u"007"_s},
        {-5, u"0.00;(0.00);\"零\""_s, u"(5.00)"_s}, {0, u"0.00;(0.00);\"零\""_s, u"零"_s}, {QVariant(), u"0;-0;0;\"无\""_s, u"无"_s},
        {3.14159, u"\"￥\"0.00元"_s, u"￥3.14元"_s}, {1234.5, u"Standard"_s, u"1,234.50"_s},
        {0.5, u"Percent"_s, u"50.00%"_s}, {1234.5, QString(), u"1234.5"_s}, {QDate(2005, 4, 3), QString(), u"2005-04-03"_s},
    };
    for (const auto &c : cases)
        QVERIFY2(formatValue(c.value, c.format) == c.expected, qPrintable(c.value.toString() + QLatin1Char(' ') + c.format));

    double v = 0;
    int decimals = -1;
    QVERIFY(Cells::isPlainNumber(u"-12.50"_s, &v, &decimals) && v == -12.5 && decimals == 2);
    QVERIFY(Cells::isPlainNumber(u"0.000123456789012345"_s));  // leading zeros are not significant
    for (const char *text : {"007", "1.", ".5", "1e5", "", "-", "+5", "12 ", "123456789012345678", "１２"})
        QVERIFY2(!Cells::isPlainNumber(QString::fromUtf8(text)), text);
}

void TestReportDocument::rowsFlowAcrossPageBreaksAndControlsChangeByName()
{
    ReportDocument doc = staffReport(100);
    doc.pageFooter().addTotal(u"PageSum"_s, u"amount"_s, 3000, 100, 1500, 300, u"0.00"_s);
    const int H = doc.contentHeight();
    const int capFirst = (H - 500 - 800 - 1000) / 300, cap = (H - 500 - 1000) / 300;
    const int expectedPages = 1 + (100 - capFirst + cap - 1) / cap;
    const ReportLayout layout = doc.layout();
    QVERIFY(layout.problems.isEmpty());
    QCOMPARE(layout.pages.size(), expectedPages);

    // Page 1: report header, then page header, then the rows down to the page footer.
    const ReportPage &p1 = layout.pages.at(0);
    QCOMPARE(p1.find(u"LabBT"_s)->rect, QRect(1000 + 2880, 1000 + 100, 3000, 400));
    QCOMPARE(p1.find(u"Text1"_s, 0)->rect, QRect(1000, 1000 + 800 + 1000, 1500, 300));
    QCOMPARE(p1.find(u"Text1"_s, capFirst - 1)->rect.top(), 1000 + 1800 + (capFirst - 1) * 300);

    // The next row opens page 2 right under its page header, with no report header above it.
    const ReportPage &p2 = layout.pages.at(1);
    QCOMPARE(p2.firstRow, capFirst);
    QCOMPARE(p2.find(u"Text2"_s, capFirst)->rect.top(), 1000 + 1000);
    QCOMPARE(textAt(p2, "Text2", capFirst), u"%1.%2"_s.arg(1000 + capFirst / 2).arg(capFirst % 2 ? "50" : "00"));

    // Every row exactly once, in order; page numbers and a total of the page's own rows at the foot
    // of each page; the report footer on the last page only, right under the last row.
    int next = 0;
    for (const ReportPage &page : layout.pages) {
        double sum = 0;
        for (const PlacedItem &item : page.items)
            if (item.name == "Text1"_L1) {
                QCOMPARE(item.row, next++);
                sum += 1000 + item.row * 0.5;
            }
        QCOMPARE(textAt(page, "PageSum"), ReportFormat::formatNumber(sum, u"0.00"_s));
        QCOMPARE(page.find(u"LabPage"_s)->rect.top(), 1000 + H - 500 + 100);
        QCOMPARE(textAt(page, "LabPage"), u"第 %1 页 共 %2 页"_s.arg(page.number).arg(expectedPages));
        QCOMPARE(bool(page.find(u"Function2"_s)), page.number == expectedPages);
    }
    QCOMPARE(next, 100);
    const ReportPage &last = layout.pages.last();
    QCOMPARE(last.find(u"Label2000"_s)->rect.top(), last.find(u"Text1"_s, 99)->rect.top() + 400);

    // No rows: one page with the footer right under the headers and a zero total.
    const ReportPage empty = staffReport(0).layout().pages.value(0);
    QCOMPARE(empty.find(u"Label2000"_s)->rect.top(), 1000 + 800 + 1000 + 100);
    QCOMPARE(textAt(empty, "Function2"), u"0.00"_s);

    // Two full pages leave no room for the report footer: it gets a page of its own, under the page
    // header; with two rows fewer it fits on page 2.
    QVERIFY(1000 + cap * 300 + 600 > H - 500);  // the counts below depend on it
    const ReportLayout full = staffReport(capFirst + cap).layout();
    QVERIFY(full.pages.size() == 3 && full.pages.at(2).rowCount == 0);
    QCOMPARE(full.pages.at(2).find(u"Label2000"_s)->rect.top(), 1000 + 1000 + 100);
    QCOMPARE(staffReport(capFirst + cap - 2).pageCount(), 2);

    // A detail section taller than a page still puts one row on each page, and says so.
    ReportDocument tall = staffReport(3);
    tall.detail().height = H;
    const ReportLayout t = tall.layout();
    QCOMPARE(t.pages.size(), 5);  // no room on page 1, rows on pages 2-4, footer on its own page
    QVERIFY(t.pages.at(3).firstRow == 2 && !t.problems.isEmpty());

    // A large report: every row on some page, the total over all of them.
    ReportDocument large = staffReport(10000);
    ReportPager pager(large);
    int rows = 0;
    for (int i = 0; i < pager.pageCount(); ++i) {
        QCOMPARE(pager.firstRowOfPage(i), rows);
        rows += pager.rowsOnPage(i);
    }
    QCOMPARE(rows, 10000);
    const ReportPage lastLarge = pager.page(pager.pageCount() - 1);
    QVERIFY(lastLarge.find(u"Text1"_s, 9999));
    QCOMPARE(textAt(lastLarge, "Function2"), u"34997500.00"_s);  // 10000 × 1000 + 0.5 × (0 + … + 9999)

    // Sections by number or name, controls by name in any case.
    QVERIFY(doc.section(5) == doc.section(u"section5"_s) && doc.section(5)->kind == Rpt::ReportFooter);
    QVERIFY(doc.section(u"Section1"_s) == &doc.detail() && doc.sectionOf(u"TEXT2"_s) == &doc.detail());
    QVERIFY(!doc.section(0) && !doc.section(6) && !doc.section(u"nope"_s) && !doc.control(u"Label3"_s));

    // Adding controls keeps earlier addresses valid; changes through them reach the layout.
    ReportControl *caption = doc.control(u"label1"_s);
    for (int i = 3; i < 40; ++i)
        doc.pageHeader().addLabel(u"Label%1"_s.arg(i), QString(), 0, 0, 10, 10).hidden();
    caption->left = 250;
    doc.control(u"Line1"_s)->width = 4500;
    doc.control(u"Label2"_s)->visible = false;
    doc.control(u"Text2"_s)->dataField = u"missing"_s;
    const ReportLayout changed = doc.layout();
    const ReportPage &page = changed.pages.at(0);
    QCOMPARE(page.find(u"Label1"_s)->rect.left(), 1000 + 250);
    QCOMPARE(page.find(u"Line1"_s)->line, QLine(1000, 1000 + 800 + 950, 1000 + 4500, 1000 + 800 + 950));
    QVERIFY(!page.find(u"Label2"_s) && !page.find(u"Label5"_s));
    QVERIFY(changed.problems.size() == 1 && changed.problems.at(0).contains(u"missing"_s));

    // A hidden section takes no room; %D shows the print date; a slanted line keeps its direction.
    doc.reportHeader().visible = false;
    doc.setPrintDate(QDateTime(QDate(2005, 5, 3), QTime(9, 30)));
    doc.pageFooter().addLabel(u"Label200"_s, u"%D 100%"_s, 0, 0, 3000, 300);
    doc.pageFooter().addLine(u"Slant"_s, 0, 400, 300, 0);
    const ReportPage p = doc.layout().pages.at(0);
    QVERIFY(!p.find(u"LabBT"_s));
    QCOMPARE(p.find(u"Text1"_s, 0)->rect.top(), 1000 + 1000);
    QCOMPARE(textAt(p, "Label200"), u"2005年5月3日 100%"_s);
    const QLine slant = p.find(u"Slant"_s)->line;
    QVERIFY(slant.y1() > slant.y2() && slant.x1() < slant.x2());
}

void TestReportDocument::totalsOverTheRowsOfATableOrARecordset()
{
    ReportDocument doc = staffReport(0);
    doc.setDataSource(std::make_shared<TableSource>(
        QStringList{u"name"_s, u"amount"_s, u"rate"_s},
        QList<QVariantList>{{u"甲"_s, 1234.5, 0.25}, {u"乙"_s, QVariant(), 0.5}, {u"丙"_s, u"100.25"_s, u"n/a"_s},
                            {u"丁"_s, -34.75, QVariant()}}));
    ReportSection &rf = doc.reportFooter();
    rf.addTotal(u"Function3"_s, 2, 3000, 100, 1000, 300, u"#####0.00%"_s, Rpt::Average);
    rf.addTotal(u"Function4"_s, u"rate"_s, 4000, 100, 1000, 300, {}, Rpt::Count);
    rf.addTotal(u"Function5"_s, u"amount"_s, 5000, 100, 1000, 300, {}, Rpt::Maximum);
    rf.addTotal(u"Function6"_s, u"amount"_s, 6000, 100, 1000, 300).hidden();
    const ReportLayout layout = doc.layout();
    const ReportPage &page = layout.pages.last();
    // Sum, average, count and maximum skip Null and text that is no number ("n/a"), and read numeric
    // text; a Null field prints empty.
    QCOMPARE(QStringList({textAt(page, "Function2"), textAt(page, "Function3"), textAt(page, "Function4"), textAt(page, "Function5"),
                          textAt(page, "Text2", 1), textAt(page, "Text2", 3)}),
             QStringList({u"1300.00"_s, u"37.50%"_s, u"3"_s, u"1234.5"_s, QString(), u"-34.75"_s}));
    // No total for columns that did not ask for one, none for a hidden one.
    QCOMPARE(std::count_if(page.items.begin(), page.items.end(),
                           [](const PlacedItem &item) { return item.name.startsWith("Function"_L1); }), 4);

    // A recordset feeds the report as a table does, its field names in another case than the report's.
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    cn.execute(u"create table pay (id integer primary key autoincrement, NAME text, Amount real)"_s);
    cn.execute(u"insert into pay (NAME, Amount) values ('张三', 1234.5), ('李四', null), ('王五', 0.25)"_s);
    auto rs = std::make_unique<Recordset>();
    rs->Open(u"select * from pay order by id"_s, cn);
    rs->MoveLast();
    ReportDocument fed = staffReport(0);
    fed.setDataSource(std::make_shared<RecordsetSource>(rs.get()));
    const ReportLayout fedLayout = fed.layout();
    QVERIFY(fedLayout.problems.isEmpty());
    const ReportPage &fedPage = fedLayout.pages.at(0);
    QCOMPARE(fedPage.rowCount, 3);
    QCOMPARE(QStringList({textAt(fedPage, "Text1", 0), textAt(fedPage, "Text2", 2), textAt(fedPage, "Function2")}),
             QStringList({u"张三"_s, u"0.25"_s, u"1234.75"_s}));
    QCOMPARE(rs->AbsolutePosition(), 3);  // the cursor stays where the caller left it

    // A copy taken now outlives the recordset; the live adapter reads an empty table afterwards.
    ReportDocument kept = fed;
    kept.detachData();
    rs.reset();
    QCOMPARE(fed.layout().pages.at(0).rowCount, 0);
    QCOMPARE(textAt(kept.layout().pages.at(0), "Text1", 2), u"王五"_s);
}

void TestReportDocument::textIsPlacedByItsAlignment()
{
    ReportDocument doc;
    doc.setMargins(0, 0, 0, 0);
    ReportSection &ph = doc.pageHeader();
    ph.height = 2000;
    const QString text = u"部门名称"_s;
    ph.addLabel(u"L"_s, text, 100, 0, 3000, 400);
    ph.addLabel(u"C"_s, text, 100, 500, 3000, 400).withAlignment(Rpt::AlignCenter);
    ph.addLabel(u"R"_s, text, 100, 1000, 3000, 400).withAlignment(Rpt::AlignRight);
    ph.addLabel(u"P"_s, text, 100, 1500, 3000, 400).withAlignment(Rpt::AlignRight).padding = 60;
    doc.detail().height = 300;
    doc.detail().addField(u"G"_s, 0, 0, 0, 3000, 300).withAlignment(Rpt::AlignGeneral);
    doc.setDataSource(std::make_shared<TableSource>(QStringList{u"v"_s},
                                                    QList<QVariantList>{{u"12.50"_s}, {u"007"_s}, {42}}));
    const ReportPage page = doc.layout().pages.at(0);
    const QRect l = page.find(u"L"_s)->textRect, c = page.find(u"C"_s)->textRect;
    QVERIFY(l.width() > 200 && l.width() < 3000);  // 4 characters of 10 points are about 800 twips wide
    QVERIFY(l.width() == c.width() && l.left() == 100);
    QVERIFY(qAbs((c.left() - 100) - (3100 - (c.left() + c.width()))) <= 2);
    QVERIFY(qAbs(page.find(u"R"_s)->textRect.right() + 1 - 3100) <= 1);
    QVERIFY(qAbs(page.find(u"P"_s)->textRect.right() + 1 - 3040) <= 1);
    QVERIFY(qAbs(l.top() - (400 - l.height()) / 2) <= 1);  // centred in the height
    // "12.50" and 42 are numbers, "007" is a code.
    QVERIFY(page.find(u"G"_s, 0)->alignment == Rpt::AlignRight && page.find(u"G"_s, 1)->alignment == Rpt::AlignLeft &&
            page.find(u"G"_s, 2)->alignment == Rpt::AlignRight);
}

void TestReportDocument::pdfPrinterAndPreviewOutput()
{
    TestEnv env;
    // A number wider than its field is narrowed, never cut to another number, and stays inside its
    // field (1500 + 1000 margin to 520 further, in points); far too wide, it shows as "###".
    ReportDocument narrow = staffReport(2);
    narrow.control(u"Text2"_s)->width = 520;
    narrow.control(u"Function2"_s)->width = 150;
    QVERIFY(narrow.layout().pages.at(0).find(u"Text2"_s, 0)->textRect.width() > 520);
    const QString narrowPdf = env.path(u"narrow.pdf"_s);
    QCOMPARE(narrow.exportPdf(narrowPdf), QString());
    QCOMPARE(pdfPages(narrowPdf), 1);
    const QString narrowText = pdfText(narrowPdf);
    for (const QString &want : {u"部门目录"_s, u"员工01000.00"_s, u"员工11000.50"_s, u"合计#"_s, u"第1页共1页"_s})
        QVERIFY2(narrowText.contains(want), qPrintable(want + QLatin1Char('\n') + narrowText));
    QVERIFY(!narrowText.contains(u"2000.50"_s));
    const QString words = runTool(u"pdftotext"_s, {u"-bbox"_s, narrowPdf, u"-"_s});
    const QRegularExpressionMatch m =
        QRegularExpression(u"xMin=\"([0-9.]+)\"[^>]*xMax=\"([0-9.]+)\"[^>]*>1000.00<"_s).match(words);
    QVERIFY2(m.hasMatch(), qPrintable(words));
    QVERIFY2(m.captured(1).toDouble() >= 2500 / 20.0 - 0.5 && m.captured(2).toDouble() <= 3020 / 20.0 + 0.5, qPrintable(m.captured(0)));

    // A folder that does not exist: an error text, no file, no crash. Landscape turns the paper.
    const QString bad = env.path(u"no/such/dir/x.pdf"_s);
    QVERIFY(!narrow.exportPdf(bad).isEmpty() && !QFileInfo::exists(bad));
    narrow.setOrientation(QPageLayout::Landscape);
    QCOMPARE(narrow.exportPdf(narrowPdf), QString());
    const QStringList size = pdfInfo(narrowPdf, u"Page size"_s).split(QLatin1Char(' '));  // W x H pts (A4)
    QVERIFY2(size.size() > 2 && size.at(0).toDouble() > size.at(2).toDouble(), qPrintable(size.join(u' ')));

    // A page range on a printer prints those pages only.
    ReportDocument doc = staffReport(100);
    const int pages = doc.pageCount();
    QVERIFY(pages >= 3);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString path = env.path(u"range.pdf"_s);
    printer.setOutputFileName(path);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 2);
    QVERIFY(doc.print(&printer));
    QCOMPARE(pdfPages(path), 1);
    const QString text = pdfText(path);
    QVERIFY(text.contains(u"第2页共%1页"_s.arg(pages)) && !text.contains(u"部门目录"_s));

    // A PDF printer without a file name writes a new file beside the program.
    QPrinter unnamed(QPrinter::HighResolution);
    unnamed.setOutputFormat(QPrinter::PdfFormat);
    QVERIFY(doc.print(&unnamed));
    QCOMPARE(unnamed.outputFileName(), env.path(u"report1.pdf"_s));
    QCOMPARE(pdfPages(unnamed.outputFileName()), pages);

    // The preview is no modal window and holds its own rows.
    QPointer<ReportPreview> preview = doc.showPreview();
    QVERIFY(preview && preview->isVisible() && !preview->isModal());
    doc.setDataSource(nullptr);
    QCOMPARE(preview->pageCount(), pages);
    const auto step = [&](const char *action, int expected) {
        preview->action(QString::fromLatin1(action))->trigger();
        QCOMPARE(preview->currentPage(), expected);
    };
    QCOMPARE(preview->currentPage(), 1);
    step("actNextPage", 2);
    step("actLastPage", preview->pageCount());
    step("actNextPage", preview->pageCount());
    step("actFirstPage", 1);

    // Save as PDF: the file dialog proposes the next free name beside the program; the person keeps it.
    QString proposed;
    env.dialogs.steps << [&](QDialog *d) {
        proposed = static_cast<QFileDialog *>(d)->selectedFiles().value(0);
        d->accept();
    };
    preview->action(u"actSavePdf"_s)->trigger();
    QCOMPARE(proposed, env.path(u"report2.pdf"_s));
    QCOMPARE(pdfPages(proposed), preview->pageCount());

    // Choosing an existing file asks first; "No" leaves it alone.
    const qint64 before = QFileInfo(proposed).size();
    env.messages.answers << Msg::vbNo;
    env.dialogs.steps << [&](QDialog *d) {
        static_cast<QFileDialog *>(d)->selectFile(proposed);
        d->accept();
    };
    QCOMPARE(preview->savePdf(), QString());
    QVERIFY(env.messages.records.size() == 1 && env.messages.records.at(0).flags == (Msg::vbYesNo | Msg::vbExclamation));
    QCOMPARE(QFileInfo(proposed).size(), before);

    // Print: the print dialog goes through the dialog service; cancelled, nothing is printed.
    preview->action(u"actPrint"_s)->trigger();
    QCOMPARE(env.dialogs.shown.last(), u"PrintDialog"_s);
    preview->action(u"actClose"_s)->trigger();
    QTRY_VERIFY(!preview);  // deleted on close
}

QTEST_MAIN(TestReportDocument)
#include "tst_report_document.moc"
