// Tests of SheetWriter: the .xlsx read back from its parts, page header limits, file names, errors,
// and the printed sheet showing the same cells.
#include "platform/print/print_files.h"
#include "platform/print/report_format.h"
#include "platform/print/sheet_writer.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QXmlStreamReader>

namespace {

QString unzipPart(const QString &xlsx, const QString &part)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, part});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct Cell {
    QString type;  // "inlineStr", "s", "n" (or empty for numbers and blanks)
    QString text;  // the value or the inline text
    int style = 0;
    bool hasValue = false;
};

QMap<QString, Cell> readCells(const QString &sheetXml)
{
    QMap<QString, Cell> cells;
    QXmlStreamReader x(sheetXml);
    QString ref;
    while (!x.atEnd()) {
        x.readNext();
        if (!x.isStartElement())
            continue;
        if (x.name() == QLatin1String("c")) {
            ref = x.attributes().value(QLatin1String("r")).toString();
            Cell c;
            c.type = x.attributes().value(QLatin1String("t")).toString();
            c.style = x.attributes().value(QLatin1String("s")).toInt();
            cells.insert(ref, c);
        } else if (x.name() == QLatin1String("v") || x.name() == QLatin1String("t")) {
            Cell &c = cells[ref];
            c.text = x.readElementText();
            c.hasValue = true;
        }
    }
    return cells;
}

QString attributeOf(const QString &xml, const QString &element, const QString &attribute)
{
    QXmlStreamReader x(xml);
    while (!x.atEnd())
        if (x.readNext() == QXmlStreamReader::StartElement && x.name() == element)
            return x.attributes().value(attribute).toString();
    return QString();
}

QString textOf(const QString &xml, const QString &element)
{
    QXmlStreamReader x(xml);
    while (!x.atEnd())
        if (x.readNext() == QXmlStreamReader::StartElement && x.name() == element)
            return x.readElementText();
    return QString();
}

// styles.xml taken apart: for each cell format, its font (bold, name), border sides and number format.
struct Style {
    bool bold = false;
    QString font;
    QStringList borders;  // the style of left, right, top, bottom
    QString numFmt;
};

QList<Style> readStyles(const QString &xml)
{
    struct Font { bool bold = false; QString name; };
    QList<Font> fonts;
    QList<QStringList> borders;
    QMap<int, QString> numFmts;
    QList<Style> xfs;
    QXmlStreamReader x(xml);
    QString section;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isEndElement() && (x.name() == QLatin1String("fonts") || x.name() == QLatin1String("borders")
                                 || x.name() == QLatin1String("cellXfs")))
            section.clear();
        if (!x.isStartElement())
            continue;
        const auto a = x.attributes();
        if (x.name() == QLatin1String("fonts") || x.name() == QLatin1String("borders") || x.name() == QLatin1String("cellXfs"))
            section = x.name().toString();
        else if (x.name() == QLatin1String("numFmt"))
            numFmts.insert(a.value(QLatin1String("numFmtId")).toInt(), a.value(QLatin1String("formatCode")).toString());
        else if (section == QLatin1String("fonts") && x.name() == QLatin1String("font"))
            fonts << Font{};
        else if (section == QLatin1String("fonts") && x.name() == QLatin1String("b"))
            fonts.last().bold = true;
        else if (section == QLatin1String("fonts") && x.name() == QLatin1String("name"))
            fonts.last().name = a.value(QLatin1String("val")).toString();
        else if (section == QLatin1String("borders") && x.name() == QLatin1String("border"))
            borders << QStringList{};
        else if (section == QLatin1String("borders")
                 && (x.name() == QLatin1String("left") || x.name() == QLatin1String("right") || x.name() == QLatin1String("top")
                     || x.name() == QLatin1String("bottom")))
            borders.last() << a.value(QLatin1String("style")).toString();
        else if (section == QLatin1String("cellXfs") && x.name() == QLatin1String("xf")) {
            Style s;
            const Font f = fonts.value(a.value(QLatin1String("fontId")).toInt());
            s.bold = f.bold;
            s.font = f.name;
            s.borders = borders.value(a.value(QLatin1String("borderId")).toInt());
            s.numFmt = numFmts.value(a.value(QLatin1String("numFmtId")).toInt());
            xfs << s;
        }
    }
    return xfs;
}

const QStringList kThin{QStringLiteral("thin"), QStringLiteral("thin"), QStringLiteral("thin"), QStringLiteral("thin")};

QString column(int c)
{
    QString name;
    for (++c; c > 0; c = (c - 1) / 26)
        name.prepend(QChar('A' + (c - 1) % 26));
    return name;
}

// A small pay sheet as the export builds it.
SheetWriter paySheet()
{
    SheetWriter s(3, 4);
    s.setRow(0, {QStringLiteral("姓名"), QStringLiteral("基本工资"), QStringLiteral("编号"), QStringLiteral("备注")});
    s.setRow(1, {QStringLiteral("张三"), QStringLiteral("1234.50"), QStringLiteral("007"), QString()});
    s.setRow(2, {QStringLiteral("李四"), QStringLiteral("-20"), QStringLiteral("12"), QStringLiteral("a&b<c>")});
    s.setNumbersAsNumbers(true);
    s.setColumnWidth(0, 20);
    s.setColumnWidth(1, 1800 / 90.0);
    s.setColumnWidth(2, -1);
    s.setCenterHeader(SheetWriter::headerRun(QStringLiteral("5月&工资表"), QStringLiteral("楷体_GB2312"), QStringLiteral("常规"), 14)
                      + QStringLiteral("&\"宋体,常规\"\n"));
    s.setRightHeader(QStringLiteral("\n&\"楷体_GB2312,常规\"&12禾沐&\"楷体_GB2312,常规\"&10日 期：2005-05-03"));
    s.setSignatureLine({QStringLiteral("制表人："), QString(), QStringLiteral("制表日期:"), QStringLiteral("2005-05-03")});
    return s;
}

QString pdfText(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestSheetWriter : public QObject {
    Q_OBJECT
private slots:
    void workbookHoldsCellsStylesAndPageSetup();
    void headerIsCutToWholeCharactersAndCodes();
    void uniqueNamesNeverOverwrite();
    void writeFailuresAreReportedNotCrashed();
    void printedSheetShowsTheSameCells();
    void largeSheetWritesEveryRow();
};

void TestSheetWriter::workbookHoldsCellsStylesAndPageSetup()
{
    TestEnv env;
    SheetWriter s = paySheet();
    s.setLandscape(true);
    s.setFitToWidth(true);
    const QString path = env.path(QStringLiteral("book1.xlsx"));
    QCOMPARE(s.writeXlsx(path), QString());
    const QString sheet = unzipPart(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    QVERIFY(!sheet.isEmpty());
    const QMap<QString, Cell> cells = readCells(sheet);
    const QList<Style> styles = readStyles(unzipPart(path, QStringLiteral("xl/styles.xml")));

    QCOMPARE(cells.value(QStringLiteral("A1")).text, QStringLiteral("姓名"));
    QCOMPARE(cells.value(QStringLiteral("D3")).text, QStringLiteral("a&b<c>"));
    QCOMPARE(cells.value(QStringLiteral("C2")).text, QStringLiteral("007"));  // a code stays text
    QVERIFY(cells.value(QStringLiteral("C2")).type == QLatin1String("inlineStr") || cells.value(QStringLiteral("C2")).type == QLatin1String("s"));
    const Cell b2 = cells.value(QStringLiteral("B2"));
    QVERIFY(b2.type.isEmpty() || b2.type == QLatin1String("n"));  // a number ...
    QCOMPARE(b2.text.toDouble(), 1234.5);
    QCOMPARE(styles.value(b2.style).numFmt, QStringLiteral("0.00"));  // ... that still reads 1234.50
    QCOMPARE(cells.value(QStringLiteral("B3")).text.toDouble(), -20.0);
    QCOMPARE(cells.value(QStringLiteral("C3")).text, QStringLiteral("12"));
    QVERIFY(cells.value(QStringLiteral("C3")).type.isEmpty());
    // The header row is text even when it looks like a number, bold in 黑体; the body is not bold.
    for (int c = 0; c < 4; ++c) {
        const Style head = styles.value(cells.value(column(c) + QLatin1Char('1')).style);
        QVERIFY(head.bold);
        QCOMPARE(head.font, QStringLiteral("黑体"));
        for (int r = 1; r <= 3; ++r) {
            const QString ref = column(c) + QString::number(r);
            QVERIFY2(cells.contains(ref), qPrintable(ref));  // empty cells are there for their borders
            QCOMPARE(styles.value(cells.value(ref).style).borders, kThin);
            if (r > 1)
                QVERIFY(!styles.value(cells.value(ref).style).bold);
        }
    }
    QVERIFY(!cells.value(QStringLiteral("D2")).hasValue);
    QCOMPARE(styles.value(cells.value(QStringLiteral("A2")).style).font, QStringLiteral("宋体"));
    // The signature line: below the table, no borders, B4 left empty.
    QCOMPARE(cells.value(QStringLiteral("A4")).text, QStringLiteral("制表人："));
    QCOMPARE(cells.value(QStringLiteral("C4")).text, QStringLiteral("制表日期:"));
    QCOMPARE(cells.value(QStringLiteral("D4")).text, QStringLiteral("2005-05-03"));
    QVERIFY(!cells.contains(QStringLiteral("B4")));
    QVERIFY(styles.value(cells.value(QStringLiteral("A4")).style).borders != kThin);
    QVERIFY(!cells.contains(QStringLiteral("A5")) && !cells.contains(QStringLiteral("E1")));

    // Column widths: A and B 20 characters, C and D the default.
    QXmlStreamReader x(sheet);
    QMap<int, double> widths;
    while (!x.atEnd())
        if (x.readNext() == QXmlStreamReader::StartElement && x.name() == QLatin1String("col"))
            widths.insert(x.attributes().value(QLatin1String("min")).toInt(), x.attributes().value(QLatin1String("width")).toDouble());
    QVERIFY(widths.value(1) >= 20 && widths.value(1) < 21);
    QVERIFY(widths.value(2) >= 20 && widths.value(2) < 21);
    QVERIFY(!widths.contains(3) && !widths.contains(4));

    // Page header, paper, orientation, fit to one page wide, header row repeated.
    const QString header = textOf(sheet, QStringLiteral("oddHeader"));
    QCOMPARE(header, s.headerString());
    // The month's digits must not run into the size code.
    QVERIFY(header.startsWith(QStringLiteral("&C&\"楷体_GB2312,常规\"&14 5月&&工资表")));
    QCOMPARE(SheetWriter::headerRun(QStringLiteral("工资表"), {}, {}, 10), QStringLiteral("&10工资表"));
    QCOMPARE(SheetWriter::headerRun(QStringLiteral("A&B")), QStringLiteral("A&&B"));
    QVERIFY(header.contains(QStringLiteral("&R\n&\"楷体_GB2312,常规\"&12禾沐")));
    QCOMPARE(attributeOf(sheet, QStringLiteral("pageSetup"), QStringLiteral("orientation")), QStringLiteral("landscape"));
    QCOMPARE(attributeOf(sheet, QStringLiteral("pageSetup"), QStringLiteral("paperSize")), QStringLiteral("9"));
    QCOMPARE(attributeOf(sheet, QStringLiteral("pageSetup"), QStringLiteral("fitToHeight")), QStringLiteral("0"));
    QCOMPARE(attributeOf(sheet, QStringLiteral("pageSetUpPr"), QStringLiteral("fitToPage")), QStringLiteral("1"));
    QVERIFY(unzipPart(path, QStringLiteral("xl/workbook.xml")).contains(QStringLiteral("Sheet1!$1:$1")));

    // Numbers as text when not asked for.
    s.setNumbersAsNumbers(false);
    s.setBorders(false);
    const QString plain = env.path(QStringLiteral("plain.xlsx"));
    QCOMPARE(s.writeXlsx(plain), QString());
    const QMap<QString, Cell> t = readCells(unzipPart(plain, QStringLiteral("xl/worksheets/sheet1.xml")));
    QVERIFY(!t.value(QStringLiteral("B2")).type.isEmpty());
    QCOMPARE(t.value(QStringLiteral("B2")).text, QStringLiteral("1234.50"));
    QVERIFY(!t.contains(QStringLiteral("D2")));  // no border, nothing to write
}

void TestSheetWriter::headerIsCutToWholeCharactersAndCodes()
{
    TestEnv env;
    auto codePoints = [](const QString &s) { return int(s.toUcs4().size()); };
    SheetWriter s(1, 1);
    s.setCell(0, 0, QStringLiteral("x"));
    const QString right = QStringLiteral("&\"楷体_GB2312,常规\"&12禾沐&\"楷体_GB2312,常规\"&10日 期：2005-05-03");
    s.setCenterHeader(QStringLiteral("&\"楷体_GB2312,常规\"&14") + QString(300, QChar(0x5DE5)));
    s.setRightHeader(right);
    QString h = s.headerString();
    QCOMPARE(codePoints(h), 255);
    QVERIFY(h.startsWith(QStringLiteral("&C&\"楷体_GB2312,常规\"&14工工")));
    QVERIFY(h.endsWith(QStringLiteral("&R") + right));  // the shorter part stays whole
    QCOMPARE(s.writeXlsx(env.path(QStringLiteral("h.xlsx"))), QString());
    QCOMPARE(textOf(unzipPart(env.path(QStringLiteral("h.xlsx")), QStringLiteral("xl/worksheets/sheet1.xml")),
                    QStringLiteral("oddHeader")),
             h);

    // Characters outside the basic plane count once and are never split; a font code cut in the
    // middle goes whole.
    const QString wide = QString::fromUcs4(U"\U00020000");
    QString center;
    for (int i = 0; i < 250; ++i)
        center += wide;
    s.setCenterHeader(center + QStringLiteral("&\"宋体,常规\"尾"));
    s.setRightHeader(QString());
    h = s.headerString();
    QVERIFY(h.isValidUtf16());
    QCOMPARE(h, QStringLiteral("&C") + center);
    QCOMPARE(s.writeXlsx(env.path(QStringLiteral("h2.xlsx"))), QString());

    // No lone '&' left at the end.
    s.setCenterHeader(QString(252, QChar(0x5DE5)) + QStringLiteral("&&x"));
    h = s.headerString();
    QCOMPARE(h, QStringLiteral("&C") + QString(252, QChar(0x5DE5)));

    // Short headers are kept as given.
    s.setCenterHeader(QStringLiteral("标题"));
    s.setRightHeader(QStringLiteral("&P/&N"));
    QCOMPARE(s.headerString(), QStringLiteral("&C标题&R&P/&N"));
}

void TestSheetWriter::uniqueNamesNeverOverwrite()
{
    TestEnv env;
    const QString folder = env.folder();
    QCOMPARE(uniqueFileName(folder, QStringLiteral("book"), QStringLiteral(".xlsx")), env.path(QStringLiteral("book1.xlsx")));
    for (const char *name : {"book1.xlsx", "book2.xlsx", "book4.xlsx", "book3.xls"}) {
        QFile f(env.path(QString::fromLatin1(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QCOMPARE(uniqueFileName(folder, QStringLiteral("book"), QStringLiteral(".xlsx")), env.path(QStringLiteral("book3.xlsx")));
    // A dangling link is a name already taken as well.
    QVERIFY(QFile::link(env.path(QStringLiteral("gone")), env.path(QStringLiteral("book3.xlsx"))));
    QCOMPARE(uniqueFileName(folder, QStringLiteral("book"), QStringLiteral(".xlsx")), env.path(QStringLiteral("book5.xlsx")));

    SheetWriter s = paySheet();
    const QString first = uniqueFileName(folder, QStringLiteral("book"), QStringLiteral(".xlsx"));
    QCOMPARE(s.writeXlsx(first), QString());
    QFile f(first);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    f.close();
    const QString second = uniqueFileName(folder, QStringLiteral("book"), QStringLiteral(".xlsx"));
    QVERIFY(second != first);
    s.setCell(1, 0, QStringLiteral("王五"));
    QCOMPARE(s.writeXlsx(second), QString());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), bytes);
}

void TestSheetWriter::writeFailuresAreReportedNotCrashed()
{
    TestEnv env;
    SheetWriter s = paySheet();
    const QString missing = env.path(QStringLiteral("no/such/book1.xlsx"));
    QVERIFY(!s.writeXlsx(missing).isEmpty());
    QVERIFY(!QFileInfo::exists(missing));
    QVERIFY(QDir(env.folder()).mkdir(QStringLiteral("adir")));
    QVERIFY(!s.writeXlsx(env.path(QStringLiteral("adir"))).isEmpty());
    QVERIFY(QFileInfo(env.path(QStringLiteral("adir"))).isDir());
    QVERIFY(!s.writeXlsx(QString()).isEmpty());

    // Replacing a file leaves the new workbook and nothing else behind.
    const QString target = env.path(QStringLiteral("out.xlsx"));
    {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    s.setCell(1, 3, QString(40000, QLatin1Char('x')));  // longer than a cell holds: cut, not refused
    QCOMPARE(s.writeXlsx(target), QString());
    const QStringList files = QDir(env.folder()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files, QStringList{QStringLiteral("out.xlsx")});
    const QMap<QString, Cell> cells = readCells(unzipPart(target, QStringLiteral("xl/worksheets/sheet1.xml")));
    QCOMPARE(cells.value(QStringLiteral("D2")).text.size(), 32767);
    QCOMPARE(cells.value(QStringLiteral("A1")).text, QStringLiteral("姓名"));
}

void TestSheetWriter::printedSheetShowsTheSameCells()
{
    TestEnv env;
    SheetWriter s = paySheet();
    const ReportDocument doc = s.toReport();
    const ReportLayout layout = doc.layout();
    QCOMPARE(layout.pages.size(), 1);
    const ReportPage &page = layout.pages.at(0);
    const QString center = page.find(QStringLiteral("HeaderCenter"))->text;
    QCOMPARE(center.trimmed(), QStringLiteral("5月&工资表"));
    QCOMPARE(page.find(QStringLiteral("HeaderCenter"))->alignment, Rpt::AlignCenter);
    const PlacedItem *right = page.find(QStringLiteral("HeaderRight"));
    QCOMPARE(right->text.trimmed(), QStringLiteral("禾沐日 期：2005-05-03"));
    QCOMPARE(right->alignment, Rpt::AlignRight);
    QCOMPARE(doc.caption(), QStringLiteral("5月&工资表"));

    int x = doc.leftMargin();
    for (int c = 0; c < 4; ++c) {
        const PlacedItem *head = page.find(QStringLiteral("Head%1").arg(c));
        QCOMPARE(head->text, s.cell(0, c));
        QVERIFY(head->border);
        QVERIFY(layout.fonts.at(head->font).bold);
        QCOMPARE(layout.fonts.at(head->font).family, QStringLiteral("黑体"));
        QCOMPARE(head->rect.left(), x);
        QCOMPARE(head->rect.width(), SheetWriter::columnTwips(s.columnWidth(c)));
        for (int r = 1; r < 3; ++r) {
            const PlacedItem *cell = page.find(QStringLiteral("Cell%1").arg(c), r - 1);
            QCOMPARE(cell->text, s.cell(r, c));
            QVERIFY(cell->border);
            QCOMPARE(cell->rect.left(), x);
            QCOMPARE(cell->rect.top(), head->rect.top() + r * head->rect.height());
        }
        x += head->rect.width();
    }
    QCOMPARE(page.find(QStringLiteral("Cell1"), 0)->alignment, Rpt::AlignRight);  // a number
    QCOMPARE(page.find(QStringLiteral("Cell2"), 0)->alignment, Rpt::AlignLeft);   // "007"
    const PlacedItem *lastRow = page.find(QStringLiteral("Cell0"), 1);
    const PlacedItem *sign = page.find(QStringLiteral("Sign0"));
    QCOMPARE(sign->text, QStringLiteral("制表人："));
    QCOMPARE(sign->rect.top(), lastRow->rect.top() + lastRow->rect.height());
    QVERIFY(!sign->border);
    // "制表人：" runs on over the empty B cell; the last text runs on to the margin.
    QCOMPARE(sign->rect.width(), SheetWriter::columnTwips(20) * 2);
    QVERIFY(!page.find(QStringLiteral("Sign1")));
    const PlacedItem *date = page.find(QStringLiteral("Sign3"));
    QCOMPARE(date->rect.left() + date->rect.width(), doc.leftMargin() + doc.contentWidth());

    const QString pdf = env.path(QStringLiteral("sheet.pdf"));
    QCOMPARE(s.exportPdf(pdf), QString());
    const QString text = pdfText(pdf);
    for (const QString &want : {QStringLiteral("5月&工资表"), QStringLiteral("日 期：2005-05-03"), QStringLiteral("基本工资"),
                                QStringLiteral("1234.50"), QStringLiteral("a&b<c>"), QStringLiteral("制表人：")})
        QVERIFY2(text.contains(want), qPrintable(want + QLatin1Char('\n') + text));
    QVERIFY(!text.contains(QStringLiteral("楷体")));

    // Many wide columns fitted to the page width; the header row again on every page.
    SheetWriter wide(200, 43);
    for (int r = 0; r < 200; ++r)
        for (int c = 0; c < 43; ++c)
            wide.setCell(r, c, r == 0 ? QStringLiteral("项目%1").arg(c) : QString::number(r * c));
    for (int c = 0; c < 43; ++c)
        wide.setColumnWidth(c, 12);
    wide.setLandscape(true);
    wide.setFitToWidth(true);
    const ReportDocument wd = wide.toReport();
    const ReportLayout wl = wd.layout();
    QVERIFY(wl.pages.size() > 1);
    for (const ReportPage &p : wl.pages) {
        QVERIFY(p.find(QStringLiteral("Head42")));
        for (const PlacedItem &item : p.items)
            QVERIFY(item.rect.left() + item.rect.width() <= wd.leftMargin() + wd.contentWidth() + 1);
    }

    // Printing with no printer installed ends in a PDF beside the program.
    const QString where = s.printToDefault();
    if (where.endsWith(QLatin1String(".pdf"))) {
        QCOMPARE(where, env.path(QStringLiteral("book1.pdf")));
        QVERIFY(pdfText(where).contains(QStringLiteral("制表日期:")));
    }
}

void TestSheetWriter::largeSheetWritesEveryRow()
{
    TestEnv env;
    const int rows = 10001, cols = 43;
    SheetWriter s(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            s.setCell(r, c, r == 0 ? QStringLiteral("项目%1").arg(c) : (c % 2 ? QStringLiteral("张三%1").arg(r) : QString::number(r * 0.5 + c, 'f', 2)));
    s.setNumbersAsNumbers(true);
    s.setSignatureLine({QStringLiteral("制表人："), QStringLiteral("system")});
    const QString path = env.path(QStringLiteral("large.xlsx"));
    QCOMPARE(s.writeXlsx(path), QString());
    const QString sheet = unzipPart(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    QCOMPARE(int(sheet.count(QStringLiteral("<row "))), rows + 1);
    QCOMPARE(int(sheet.count(QStringLiteral("<c "))), rows * cols + 2);
    // The last rows read back in full.
    const int from = int(sheet.indexOf(QStringLiteral("<row r=\"10000\"")));
    const int to = int(sheet.indexOf(QStringLiteral("</sheetData>")));
    QVERIFY(from > 0 && to > from);
    const QMap<QString, Cell> cells = readCells(QStringLiteral("<x>") + sheet.mid(from, to - from) + QStringLiteral("</x>"));
    QCOMPARE(cells.size(), 2 * cols + 2);
    QCOMPARE(cells.value(QStringLiteral("AQ10001")).text.toDouble(), 10000 * 0.5 + 42);
    QCOMPARE(cells.value(QStringLiteral("AP10001")).text, QStringLiteral("张三10000"));
    QCOMPARE(cells.value(QStringLiteral("A10000")).text.toDouble(), 9999 * 0.5);
    QCOMPARE(cells.value(QStringLiteral("B10002")).text, QStringLiteral("system"));
}

QTEST_MAIN(TestSheetWriter)
#include "tst_sheet_writer.moc"
