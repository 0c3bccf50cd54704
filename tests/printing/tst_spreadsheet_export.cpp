// Tests of ClsFlPrint: the exported workbook read back from its parts, file names, printing and preview.
#include "app/program_state.h"
#include "payroll/payroll_fixture.h"
#include "platform/print/report_preview.h"
#include "platform/ui/flex_grid.h"
#include "printing/pay_sheet_window.h"
#include "printing/pay_slip_window.h"
#include "printing/spreadsheet_export.h"
#include "support/tools.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <QXmlStreamReader>
#include <sqlite3.h>

namespace {

// The parts of a worksheet the tests look at.
struct Sheet {
    QMap<QString, QString> values;  // "A1" → text or number
    QMap<QString, QString> types;   // "A1" → "inlineStr", "s", or empty for a number
    QMap<QString, int> styles;      // "A1" → cellXfs index
    QList<std::pair<int, double>> widths;  // (1-based first column, width)
    QString header;
};

Sheet readSheet(const QString &xlsx)
{
    Sheet s;
    QXmlStreamReader x(xlsxPart(xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref;
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = x.attributes();
        if (x.name() == QLatin1String("c")) {
            ref = a.value(QLatin1String("r")).toString();
            s.styles[ref] = a.value(QLatin1String("s")).toInt();
            s.types[ref] = a.value(QLatin1String("t")).toString();
        } else if (x.name() == QLatin1String("v") || x.name() == QLatin1String("t")) {
            s.values[ref] = x.readElementText();
        } else if (x.name() == QLatin1String("col")) {
            s.widths.append({a.value(QLatin1String("min")).toInt(), a.value(QLatin1String("width")).toDouble()});
        } else if (x.name() == QLatin1String("oddHeader")) {
            s.header = x.readElementText();
        }
    }
    return s;
}

// Font name, bold, a full thin border and the number format of each cell format (cellXfs order).
struct Format {
    QString font;
    bool bold = false;
    bool border = false;
    QString numberFormat;  // empty: general
};

QList<Format> readFormats(const QString &xlsx)
{
    const QString xml = xlsxPart(xlsx, QStringLiteral("xl/styles.xml"));
    // The elements <item…> of the list <items …>…</items>.
    auto items = [&xml](const QString &list, const QString &item) {
        const qsizetype from = xml.indexOf(QLatin1Char('>'), xml.indexOf(QLatin1Char('<') + list + QLatin1Char(' ')));
        return xml.mid(from, xml.indexOf(QStringLiteral("</") + list, from) - from).split(QLatin1Char('<') + item).mid(1);
    };
    auto attr = [](const QString &text, const QString &pattern) {
        return QRegularExpression(pattern + QStringLiteral("=\"([^\"]*)\"")).match(text).captured(1);
    };
    const QStringList fonts = items(QStringLiteral("fonts"), QStringLiteral("font")),
                      borders = items(QStringLiteral("borders"), QStringLiteral("border"));
    QMap<QString, QString> numberFormats{{QStringLiteral("4"), QStringLiteral("#,##0.00")}};  // built in
    for (const QString &f : items(QStringLiteral("numFmts"), QStringLiteral("numFmt")))
        numberFormats[attr(f, QStringLiteral("numFmtId"))] = attr(f, QStringLiteral("formatCode"));
    QList<Format> xfs;
    for (const QString &xf : items(QStringLiteral("cellXfs"), QStringLiteral("xf "))) {
        const QString font = fonts.value(attr(xf, QStringLiteral("fontId")).toInt());
        xfs.append({attr(font, QStringLiteral("<name val")), font.contains(QStringLiteral("<b/>")),
                    borders.value(attr(xf, QStringLiteral("borderId")).toInt()).count(QStringLiteral("style=\"thin\"")) == 4,
                    numberFormats.value(attr(xf, QStringLiteral("numFmtId")))});
    }
    return xfs;
}

// A month of n employees in 200504 numbered "00001" …, named 张三1 …, with t1 = i + 0.25 and t2 = 0.1.
Connection &payMonth(TestEnv &env, int n)
{
    Connection &cn = PayrollFixture::openPayrollDatabase(env);
    const QByteArray sql = "insert into rsgz (f0,f1,f2,t1,t2) with recursive n(i) as (select 1 union all select i + 1 "
                           "from n where i < " + QByteArray::number(n) + ") select '200504', printf('%05d', i), '张三' || i, "
                           "i + 0.25, 0.1 from n";
    if (cn.postgresHandle())
        cn.executeNative(QStringLiteral("insert into rsgz (f0,f1,f2,t1,t2) select '200504', lpad(i::text, 5, '0'), "
                                        "'张三' || i, i + 0.25, 0.1 from generate_series(1, %1) i").arg(n));
    else if (sqlite3_exec(cn.sqliteHandle(), sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("%s", sqlite3_errmsg(cn.sqliteHandle()));
    return cn;
}

FlexGrid *gridOf(QWidget &window) { return window.findChild<FlexGrid *>(QStringLiteral("MSFl")); }

} // namespace

class TestSpreadsheetExport : public QObject {
    Q_OBJECT
private slots:
    void exportedWorkbookNamesWideGridsAndModes();
    void payMonthSlipsAndSheetPrintedAndExported();
    void largeMonthPreviewDrawsPagesOnDemand();
};

void TestSpreadsheetExport::exportedWorkbookNamesWideGridsAndModes()
{
    TestEnv env;
    FlexGrid grid;
    grid.setTable({{QStringLiteral("员工编号"), QStringLiteral("姓名"), QStringLiteral("基本工资")},
                   {QStringLiteral("A01"), QString(), QStringLiteral("1200.5")}});
    grid.setColWidth(0, 1800);
    ClsFlPrint p;
    p.strdate = QStringLiteral("2005-4-30 9:05:00");
    p.strGsname = QStringLiteral("禾沐 & 健身");
    p.strReportName = QStringLiteral("200504工资表");
    p.czy = QStringLiteral("system");
    p.lx = QStringLiteral("e");  // modes are compared without regard to case
    p.Flprint(grid);

    const QString path = env.path(QStringLiteral("book1.xlsx"));
    QVERIFY(p.lastFile() == path && QFile::exists(path));
    QCOMPARE(env.messages.texts(), QStringList{QStringLiteral("导出后，保存文件名称为") + path});
    // The message offers the workbook and its folder; OK opens neither, 打开 the workbook with the
    // desktop's program, 打开文件夹 the folder it lies in.
    QCOMPARE(env.messages.records.first().extra, (QStringList{QStringLiteral("打开"), QStringLiteral("打开文件夹")}));
    QVERIFY(env.shell.openedDocuments.isEmpty());
    env.messages.answers = {Msg::vbExtraButton, Msg::vbExtraButton + 1};
    p.Flprint(grid);
    const QString second = p.lastFile();
    p.Flprint(grid);
    QCOMPARE(env.shell.openedDocuments, (QStringList{second, env.folder()}));
    QVERIFY(second != path && QFile::exists(second) && QFile::exists(p.lastFile()));

    // A wide grid: the existing workbooks are never overwritten, the export takes the next free name.
    FlexGrid wide;
    QList<QStringList> table(3);
    for (int c = 0; c < 33; ++c) {
        table[0] << QStringLiteral("项%1").arg(c);
        table[1] << QString::number(c);
        table[2] << (c % 2 ? QStringLiteral("x") : QString());
    }
    wide.setTable(table);
    for (int c = 0; c < 33; ++c)
        wide.setColWidth(c, 900);
    p.lx = QStringLiteral("E");
    env.messages.records.clear();
    p.Flprint(wide);
    QVERIFY(env.messages.records.size() == 1 && env.messages.records[0].text.endsWith(QStringLiteral("book4.xlsx")));
    // All 33 columns hold their cells; widths only for the first 31.
    const Sheet w = readSheet(env.path(QStringLiteral("book4.xlsx")));
    QVERIFY(w.values.value(QStringLiteral("AG1")) == QStringLiteral("项32") && w.values.value(QStringLiteral("AG2")) == "32");
    QVERIFY(w.values.value(QStringLiteral("AF3")) == "x" && w.values.value(QStringLiteral("A4")) == QStringLiteral("制表人："));
    QVERIFY(!w.widths.isEmpty());
    for (const auto &width : w.widths)
        QVERIFY(width.first <= 31 && int(width.second) == 10);

    // The first workbook, read after the later exports: the cells, an empty grid cell left empty,
    // and the signature line directly below the table.
    const Sheet s = readSheet(path);
    const QMap<QString, QString> cells{{"A1", "员工编号"}, {"C1", "基本工资"}, {"A2", "A01"}, {"C2", "1200.5"},
                                       {"A3", "制表人："}, {"B3", "system"}, {"C3", "制表日期:"}, {"D3", "2005-4-30 9:05:00"}};
    for (auto it = cells.begin(); it != cells.end(); ++it)
        QCOMPARE(s.values.value(it.key()), it.value());
    QVERIFY(!s.values.contains(QStringLiteral("B2")));

    // Bold 黑体 on the header row only; thin borders on every cell of the table, none below it.
    const QList<Format> xf = readFormats(path);
    for (const char col : {'A', 'B', 'C'}) {
        const Format head = xf.value(s.styles.value(QLatin1Char(col) + QStringLiteral("1")));
        QVERIFY(head.bold && head.font == QStringLiteral("黑体") && head.border);
        const Format body = xf.value(s.styles.value(QLatin1Char(col) + QStringLiteral("2")));
        QVERIFY(!body.bold && body.border);
        QVERIFY(!xf.value(s.styles.value(QLatin1Char(col) + QStringLiteral("3"))).border);
    }
    // 1800 twips / 90 = 20 characters for column A; the others keep the default width.
    QVERIFY(s.widths.size() == 1 && s.widths[0].first == 1 && int(s.widths[0].second) == 20);
    QCOMPARE(s.header, QStringLiteral("&C&\"楷体_GB2312,常规\"&14 200504工资表&\"宋体,常规\"\n"
                                      "&R\n&\"楷体_GB2312,常规\"&12禾沐 && 健身&\"楷体_GB2312,常规\"&10日 期：2005-4-30 9:05:00"));

    // Printing without a printer writes a PDF beside the program and says where; other letters print too.
    env.messages.records.clear();
    for (const char *mode : {"p", "x"}) {
        p.lx = QLatin1String(mode);
        p.Flprint(wide);
        QVERIFY(p.lastFile().startsWith(env.folder()) && p.lastFile().endsWith(QStringLiteral(".pdf"))
                && QFileInfo(p.lastFile()).size() > 0);
        QVERIFY(env.messages.records.last().text.endsWith(p.lastFile()));
    }
    const QString out = pdfLayoutText(p.lastFile());
    QVERIFY2(out.contains(QStringLiteral("200504工资表")) && out.contains(QStringLiteral("项32")), qPrintable(out.left(300)));

    // Preview: a window that does not block, no file, no message.
    p.lx = QStringLiteral("v");
    p.Flprint(wide);
    QVERIFY(p.lastPreview() && p.lastPreview()->isVisible() && !p.lastPreview()->isModal());
    QVERIFY(p.lastFile().isEmpty() && env.messages.records.size() == 2);
    p.lastPreview()->close();
}

void TestSpreadsheetExport::payMonthSlipsAndSheetPrintedAndExported()
{
    TestEnv env;
    payMonth(env, 150);
    FrmgzTprint slips;
    slips.selectMonth(QStringLiteral("200504"));
    ClsFlPrint p;
    p.strReportName = QStringLiteral("200504工资表");
    const SheetWriter slipSheet = p.SheetFor(*gridOf(slips));
    const ReportLayout slipPages = slipSheet.toReport().layout();
    QVERIFY(!slipSheet.repeatHeaderRow() && slipPages.pages.size() >= 3);
    int slipsSeen = 0;
    for (const ReportPage &page : slipPages.pages) {
        if (page.rowCount == 0)
            continue;
        // No repeated header: the page starts with a slip's caption row, and every slip on it has
        // its caption and its values there.
        QVERIFY(!page.find(QStringLiteral("Head0")));
        const QList<const PlacedItem *> captions = page.findAll(QStringLiteral("Cell0_1")),
                                        values = page.findAll(QStringLiteral("Cell1_1"));
        QVERIFY(captions.size() == page.rowCount && values.size() == page.rowCount);
        for (int i = 0; i < page.rowCount; ++i) {
            QVERIFY(captions[i]->text == QStringLiteral("员工编号") && captions[i]->row == values[i]->row);
            QCOMPARE(values[i]->text, QStringLiteral("%1").arg(page.firstRow + i + 1, 5, 10, QLatin1Char('0')));
            QVERIFY(values[i]->rect.top() == captions[i]->rect.bottom() + 1);
        }
        slipsSeen += page.rowCount;
    }
    QCOMPARE(slipsSeen, 150);  // the empty row after the last slip prints nothing

    // The pay sheet keeps its caption row at the top of every page.
    FrmgzDprint sheet;
    sheet.selectMonth(QStringLiteral("200504"));
    const SheetWriter sheetSheet = p.SheetFor(*gridOf(sheet));
    const ReportLayout sheetPages = sheetSheet.toReport().layout();
    QVERIFY(sheetSheet.repeatHeaderRow() && sheetPages.pages.size() >= 2);
    for (const ReportPage &page : sheetPages.pages)
        QCOMPARE(page.find(QStringLiteral("Head1"))->text, QStringLiteral("员工编号"));

    // Exported, month and employee number are text cells, however they read; amounts are numbers
    // in the money format, the totals row too; captions and names stay text.
    sheet.findChild<QPushButton *>(QStringLiteral("Command4"))->click();
    const QString path = env.path(QStringLiteral("book1.xlsx"));
    QCOMPARE(env.messages.texts().last(), QStringLiteral("导出后，保存文件名称为") + path);
    const Sheet s = readSheet(path);
    const QList<Format> xf = readFormats(path);
    for (const char *ref : {"A2", "B2", "C2", "A152", "D1"})
        QVERIFY2(!s.types.value(QLatin1String(ref)).isEmpty(), ref);
    QVERIFY(s.values.value("A2") == "200504" && s.values.value("B2") == "00001" && s.values.value("A152") == "合计");
    const std::pair<const char *, double> amounts[] = {{"D2", 1.25}, {"E2", 0.1}, {"D4", 3.25}, {"D152", 11362.5}, {"E152", 15}, {"F152", 0}};
    for (const auto &[ref, value] : amounts) {
        QVERIFY2(s.types.value(QLatin1String(ref)).isEmpty(), ref);
        QCOMPARE(s.values.value(QLatin1String(ref)).toDouble(), value);
        QCOMPARE(xf.value(s.styles.value(QLatin1String(ref))).numberFormat, QStringLiteral("#,##0.00"));
    }
    QVERIFY(!s.values.contains("B152") && !s.values.contains("C152"));  // no total of the number and the name

    // In the slips' workbook the header row does not repeat when printed.
    const QString slipBook = env.path(QStringLiteral("t.xlsx"));
    QVERIFY(slipSheet.writeXlsx(slipBook).isEmpty());
    QVERIFY(!xlsxPart(slipBook, QStringLiteral("xl/workbook.xml")).contains(QStringLiteral("$1:$1")));
}

void TestSpreadsheetExport::largeMonthPreviewDrawsPagesOnDemand()
{
    TestEnv env;
    payMonth(env, 20000);
    FrmgzDprint sheet;
    sheet.selectMonth(QStringLiteral("200504"));
    sheet.findChild<QPushButton *>(QStringLiteral("Command5"))->click();
    ReportPreview *preview = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<ReportPreview *>(w))
            preview = p;
    QVERIFY(preview && QTest::qWaitForWindowExposed(preview));
    ReportPageView *pages = preview->previewWidget();
    const QImage shown = pages->grab().toImage();
    // The first page is on screen while almost none of the others has been drawn.
    QVERIFY(preview->pageCount() > 300 && pages->pagesDrawn() >= 1 && pages->pagesDrawn() <= 3);
    QCOMPARE(preview->findChild<QLabel *>(QStringLiteral("labPage"))->text().trimmed(),
             QStringLiteral("第 1 页 / 共 %1 页").arg(preview->pageCount()));
    QVERIFY(shown.pixelColor(shown.width() / 2, shown.height() / 2) != shown.pixelColor(1, 1));  // paper, not background
    // The last page is drawn when it is asked for.
    const int drawn = pages->pagesDrawn();
    preview->action(QStringLiteral("actLastPage"))->trigger();
    pages->grab();
    QVERIFY(preview->currentPage() == preview->pageCount() && pages->pagesDrawn() <= drawn + 3);
    delete preview;
}

QTEST_MAIN(TestSpreadsheetExport)
#include "tst_spreadsheet_export.moc"
