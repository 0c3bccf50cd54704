// Tests of SheetWriter: the .xlsx read back from its parts, page header limits, file names, errors,
// and the printed sheet showing the same cells (a large one fitted to the page width).
#include "platform/print/print_files.h"
#include "platform/print/sheet_writer.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "support/tools.h"
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

QString sheetXml(const QString &xlsx) { return xlsxPart(xlsx, u"xl/worksheets/sheet1.xml"_s); }

struct Cell {
    QString type;  // "inlineStr", "s", "n" (or empty for numbers and blanks)
    QString text;  // the value or the inline text
    int style = 0;
    bool hasValue = false;
    bool number() const { return type.isEmpty() || type == "n"_L1; }
};

QMap<QString, Cell> readCells(const QString &sheetXml)
{
    QMap<QString, Cell> cells;
    QXmlStreamReader x(sheetXml);
    QString ref;
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (x.name() == "c"_L1) {
            ref = x.attributes().value("r"_L1).toString();
            cells.insert(ref, Cell{x.attributes().value("t"_L1).toString(), {}, x.attributes().value("s"_L1).toInt()});
        } else if (x.name() == "v"_L1 || x.name() == "t"_L1) {
            cells[ref].text = x.readElementText();
            cells[ref].hasValue = true;
        }
    }
    return cells;
}

// The text of the first such element, or the value of one of its attributes.
QString xmlValue(const QString &xml, QLatin1StringView element, QLatin1StringView attribute = {})
{
    QXmlStreamReader x(xml);
    while (!x.atEnd())
        if (x.readNext() == QXmlStreamReader::StartElement && x.name() == element)
            return attribute.isEmpty() ? x.readElementText() : x.attributes().value(attribute).toString();
    return QString();
}

// The number format of each cell format in styles.xml, in cellXfs order.
QStringList numberFormats(const QString &xlsx)
{
    QMap<int, QString> codes{{2, u"0.00"_s}, {4, u"#,##0.00"_s}};  // built-in formats the writer may pick
    QStringList xfs;
    bool inXfs = false;
    QXmlStreamReader x(xlsxPart(xlsx, u"xl/styles.xml"_s));
    while (!x.atEnd()) {
        x.readNext();
        const auto a = x.attributes();
        if (x.name() == "cellXfs"_L1)
            inXfs = x.isStartElement();
        else if (x.isStartElement() && x.name() == "numFmt"_L1)
            codes.insert(a.value("numFmtId"_L1).toInt(), a.value("formatCode"_L1).toString());
        else if (inXfs && x.isStartElement() && x.name() == "xf"_L1)
            xfs << codes.value(a.value("numFmtId"_L1).toInt());
    }
    return xfs;
}

// A small pay sheet as the export builds it.
SheetWriter paySheet()
{
    SheetWriter s(3, 4);
    s.setRow(0, {u"姓名"_s, u"基本工资"_s, u"编号"_s, u"备注"_s});
    s.setRow(1, {u"张三"_s, u"1234.50"_s, u"007"_s, QString()});
    s.setRow(2, {u"李四"_s, u"-20"_s, u"12"_s, u"a&b<c>"_s});
    s.setCell(1, 1, u"1234.50"_s, CellTable::Money);
    s.setNumbersAsNumbers(true);
    s.setColumnWidth(0, 20);
    s.setColumnWidth(1, 1800 / 90.0);
    s.setColumnWidth(2, -1);
    s.setCenterHeader(SheetWriter::headerRun(u"5月&工资表"_s, u"楷体_GB2312"_s, u"常规"_s, 14) + u"&\"宋体,常规\"\n"_s);
    s.setRightHeader(u"\n&\"楷体_GB2312,常规\"&12禾沐&\"楷体_GB2312,常规\"&10日 期：2005-05-03"_s);
    s.setSignatureLine({u"制表人："_s, QString(), u"制表日期:"_s, u"2005-05-03"_s});
    return s;
}

} // namespace

class TestSheetWriter : public QObject {
    Q_OBJECT
private slots:
    void workbookContentsHeaderLimitsFileNamesAndFailures();
    void printedSheetShowsTheSameCells();
    void largeSheetWritesEveryRowAndPrintsToThePageWidth();
};

void TestSheetWriter::workbookContentsHeaderLimitsFileNamesAndFailures()
{
    // Fonts, borders, widths and the signature line are read back through the export's own tests;
    // here: what the writer decides itself.
    TestEnv env;
    SheetWriter s = paySheet();
    s.setLandscape(true);
    s.setFitToWidth(true);
    const QString path = env.path(u"book1.xlsx"_s);
    QCOMPARE(s.writeXlsx(path), QString());
    const QString sheet = sheetXml(path);
    const QMap<QString, Cell> cells = readCells(sheet);

    QCOMPARE(cells.value(u"D3"_s).text, u"a&b<c>"_s);
    QVERIFY(cells.value(u"C2"_s).text == u"007"_s && !cells.value(u"C2"_s).number());  // a code stays text
    const Cell b2 = cells.value(u"B2"_s), b3 = cells.value(u"B3"_s);
    QVERIFY(b2.number() && b2.text.toDouble() == 1234.5);  // money is a number ...
    QCOMPARE(numberFormats(path).value(b2.style), u"#,##0.00"_s);  // ... shown with two decimals
    // A text that is a plain number is a number in the general format, however many decimals it shows.
    QVERIFY(b3.number() && b3.text.toDouble() == -20.0 && numberFormats(path).value(b3.style).isEmpty());
    // Empty cells are there for their borders; the signature line leaves B4 out.
    QVERIFY(cells.contains(u"D2"_s) && !cells.value(u"D2"_s).hasValue);
    QCOMPARE(cells.value(u"D4"_s).text, u"2005-05-03"_s);
    QVERIFY(!cells.contains(u"B4"_s) && !cells.contains(u"A5"_s) && !cells.contains(u"E1"_s));

    // Page header (the month's digits must not run into the size code), paper, orientation, fit to
    // one page wide, header row repeated.
    QVERIFY(xmlValue(sheet, "oddHeader"_L1).startsWith(u"&C&\"楷体_GB2312,常规\"&14 5月&&工资表"_s));
    QCOMPARE(SheetWriter::headerRun(u"工资表"_s, {}, {}, 10), u"&10工资表"_s);
    QCOMPARE(QStringList({xmlValue(sheet, "pageSetup"_L1, "orientation"_L1), xmlValue(sheet, "pageSetup"_L1, "paperSize"_L1),
                          xmlValue(sheet, "pageSetup"_L1, "fitToHeight"_L1), xmlValue(sheet, "pageSetUpPr"_L1, "fitToPage"_L1)}),
             QStringList({u"landscape"_s, u"9"_s /* A4 */, u"0"_s, u"1"_s}));
    QVERIFY(xlsxPart(path, u"xl/workbook.xml"_s).contains(u"Sheet1!$1:$1"_s));

    // Numbers as text when not asked for; without borders an empty cell is not written.
    s.setNumbersAsNumbers(false);
    s.setBorders(false);
    const QString plain = env.path(u"plain.xlsx"_s);
    QCOMPARE(s.writeXlsx(plain), QString());
    const QMap<QString, Cell> t = readCells(sheetXml(plain));
    QVERIFY(!t.value(u"B3"_s).number() && t.value(u"B3"_s).text == u"-20"_s && !t.contains(u"D2"_s));

    // The page header is cut to 255 characters: the longer part gives way.
    SheetWriter headed(1, 1);
    const QString right = u"&\"楷体_GB2312,常规\"&12禾沐&\"楷体_GB2312,常规\"&10日 期：2005-05-03"_s;
    headed.setCenterHeader(u"&\"楷体_GB2312,常规\"&14"_s + QString(300, QChar(0x5DE5)));
    headed.setRightHeader(right);
    const QString h = headed.headerString();
    QCOMPARE(h.toUcs4().size(), 255);
    QVERIFY(h.startsWith(u"&C&\"楷体_GB2312,常规\"&14工工"_s) && h.endsWith(u"&R"_s + right));  // the shorter part stays whole
    QCOMPARE(headed.writeXlsx(env.path(u"h.xlsx"_s)), QString());
    QCOMPARE(xmlValue(sheetXml(env.path(u"h.xlsx"_s)), "oddHeader"_L1), h);

    // Characters outside the basic plane count once and are never split; a font code cut in the
    // middle goes whole; no lone '&' is left at the end.
    const QString center = QString::fromUcs4(U"\U00020000").repeated(250);
    headed.setCenterHeader(center + u"&\"宋体,常规\"尾"_s);
    headed.setRightHeader(QString());
    QCOMPARE(headed.headerString(), u"&C"_s + center);
    QCOMPARE(headed.writeXlsx(env.path(u"h2.xlsx"_s)), QString());
    headed.setCenterHeader(QString(252, QChar(0x5DE5)) + u"&&x"_s);
    QCOMPARE(headed.headerString(), u"&C"_s + QString(252, QChar(0x5DE5)));

    // A new file's name is never one already taken.
    const auto next = [&] { return uniqueFileName(env.folder(), u"book"_s, u".xlsx"_s); };
    for (const char *name : {"book1.xlsx", "book2.xlsx", "book4.xlsx", "book3.xls"})
        QVERIFY(QFile(env.path(QString::fromLatin1(name))).open(QIODevice::WriteOnly));
    QCOMPARE(next(), env.path(u"book3.xlsx"_s));
    // A dangling link is a name already taken as well.
    QVERIFY(QFile::link(env.path(u"gone"_s), env.path(u"book3.xlsx"_s)));
    QCOMPARE(next(), env.path(u"book5.xlsx"_s));

    // A missing folder, a folder in the file's place, no name: an error text, nothing written.
    const QString missing = env.path(u"no/such/book1.xlsx"_s);
    QVERIFY(!s.writeXlsx(missing).isEmpty() && !QFileInfo::exists(missing));
    QVERIFY(QDir(env.folder()).mkdir(u"adir"_s));
    QVERIFY(!s.writeXlsx(env.path(u"adir"_s)).isEmpty() && QFileInfo(env.path(u"adir"_s)).isDir());
    QVERIFY(!s.writeXlsx(QString()).isEmpty());

    // Replacing a file the caller chose leaves the new workbook and no temporary file behind.
    const QString target = env.path(u"adir/out.xlsx"_s);
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    s.setCell(1, 3, QString(40000, u'x'));  // longer than a cell holds: cut, not refused
    QCOMPARE(s.writeXlsx(target), QString());
    QCOMPARE(QDir(env.path(u"adir"_s)).entryList(QDir::Files | QDir::Hidden), QStringList{u"out.xlsx"_s});
    const QMap<QString, Cell> replaced = readCells(sheetXml(target));
    QVERIFY(replaced.value(u"D2"_s).text.size() == 32767 && replaced.value(u"A1"_s).text == u"姓名"_s);
}

void TestSheetWriter::printedSheetShowsTheSameCells()
{
    TestEnv env;
    SheetWriter s = paySheet();
    const ReportDocument doc = s.toReport();
    const ReportLayout layout = doc.layout();
    QCOMPARE(layout.pages.size(), 1);
    const ReportPage &page = layout.pages.at(0);
    // The header codes become plain page header texts.
    QCOMPARE(page.find(u"HeaderCenter"_s)->text.trimmed(), u"5月&工资表"_s);
    QVERIFY(page.find(u"HeaderRight"_s)->text.trimmed() == u"禾沐日 期：2005-05-03"_s &&
            page.find(u"HeaderRight"_s)->alignment == Rpt::AlignRight);

    // Header and cells side by side in column widths, bordered, the header bold in 黑体.
    int x = doc.leftMargin();
    for (int c = 0; c < 4; ++c) {
        const PlacedItem *head = page.find(u"Head%1"_s.arg(c));
        QCOMPARE(head->text, s.cell(0, c));
        QVERIFY(head->border && layout.fonts.at(head->font).bold && layout.fonts.at(head->font).family == u"黑体"_s);
        QCOMPARE(head->rect, QRect(x, head->rect.top(), SheetWriter::columnTwips(s.columnWidth(c)), head->rect.height()));
        for (int r = 1; r < 3; ++r) {
            const PlacedItem *cell = page.find(u"Cell%1"_s.arg(c), r - 1);
            QVERIFY(cell->text == s.cell(r, c) && cell->border);
            QCOMPARE(cell->rect.topLeft(), QPoint(x, head->rect.top() + r * head->rect.height()));
        }
        x += head->rect.width();
    }
    // A number to the right, the code "007" to the left.
    QVERIFY(page.find(u"Cell1"_s, 0)->alignment == Rpt::AlignRight && page.find(u"Cell2"_s, 0)->alignment == Rpt::AlignLeft);
    // The signature under the last row, unbordered; "制表人：" runs on over the empty B cell, the
    // last text runs on to the margin.
    const PlacedItem *lastRow = page.find(u"Cell0"_s, 1);
    const PlacedItem *sign = page.find(u"Sign0"_s);
    QVERIFY(sign->text == u"制表人："_s && !sign->border && !page.find(u"Sign1"_s));
    QCOMPARE(sign->rect, QRect(doc.leftMargin(), lastRow->rect.top() + lastRow->rect.height(), SheetWriter::columnTwips(20) * 2,
                               sign->rect.height()));
    QCOMPARE(page.find(u"Sign3"_s)->rect.right() + 1, doc.leftMargin() + doc.contentWidth());

    const QString pdf = env.path(u"sheet.pdf"_s);
    QCOMPARE(s.exportPdf(pdf), QString());
    const QString text = pdfLayoutText(pdf);
    QVERIFY2(text.contains(u"5月&工资表"_s) && text.contains(u"a&b<c>"_s) && !text.contains(u"楷体"_s), qPrintable(text));

}

void TestSheetWriter::largeSheetWritesEveryRowAndPrintsToThePageWidth()
{
    TestEnv env;
    const int rows = 10001, cols = 43;
    SheetWriter s(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            s.setCell(r, c, r == 0 ? u"项目%1"_s.arg(c) : (c % 2 ? u"张三%1"_s.arg(r) : QString::number(r * 0.5 + c, 'f', 2)));
    s.setNumbersAsNumbers(true);
    s.setSignatureLine({u"制表人："_s, u"system"_s});
    s.setLandscape(true);
    s.setFitToWidth(true);
    for (int c = 0; c < cols; ++c)
        s.setColumnWidth(c, 12);
    // Printed: many wide columns fitted to the page width; the header row again on every page.
    const ReportDocument doc = s.toReport();
    const ReportLayout layout = doc.layout();
    QVERIFY(layout.pages.size() > 1);
    for (const ReportPage &p : layout.pages) {
        QVERIFY(p.find(u"Head42"_s));
        for (const PlacedItem &item : p.items)
            QVERIFY(item.rect.right() < doc.leftMargin() + doc.contentWidth() + 1);
    }
    const QString path = env.path(u"large.xlsx"_s);
    QCOMPARE(s.writeXlsx(path), QString());
    const QString sheet = sheetXml(path);
    QCOMPARE(int(sheet.count(u"<row "_s)), rows + 1);
    QCOMPARE(int(sheet.count(u"<c "_s)), rows * cols + 2);
    // The last rows read back in full.
    const int from = int(sheet.indexOf(u"<row r=\"10000\""_s)), to = int(sheet.indexOf(u"</sheetData>"_s));
    QVERIFY(from > 0 && to > from);
    const QMap<QString, Cell> cells = readCells(u"<x>"_s + sheet.mid(from, to - from) + u"</x>"_s);
    QCOMPARE(cells.size(), 2 * cols + 2);
    QVERIFY(cells.value(u"AQ10001"_s).text.toDouble() == 10000 * 0.5 + 42 && cells.value(u"AP10001"_s).text == u"张三10000"_s &&
            cells.value(u"B10002"_s).text == u"system"_s);
}

QTEST_MAIN(TestSheetWriter)
#include "tst_sheet_writer.moc"
