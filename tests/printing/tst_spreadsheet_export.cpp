// Tests of ClsFlPrint: the exported workbook read back from its parts, file names, printing and preview.
#include "support/test_env.h"

#include "platform/ui/flex_grid.h"
#include "printing/spreadsheet_export.h"

#include <QFile>
#include "support/tools.h"
#include <QRegularExpression>
#include <QtTest>
#include <QXmlStreamReader>

namespace {

// The parts of a worksheet the tests look at.
struct Sheet {
    QMap<QString, QString> values;  // "A1" → text or number
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

// Font name, bold and a full thin border of each cell format (cellXfs order).
struct Format {
    QString font;
    bool bold = false;
    bool border = false;
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
    QList<Format> xfs;
    for (const QString &xf : items(QStringLiteral("cellXfs"), QStringLiteral("xf "))) {
        const QString font = fonts.value(attr(xf, QStringLiteral("fontId")).toInt());
        xfs.append({attr(font, QStringLiteral("<name val")), font.contains(QStringLiteral("<b/>")),
                    borders.value(attr(xf, QStringLiteral("borderId")).toInt()).count(QStringLiteral("style=\"thin\"")) == 4});
    }
    return xfs;
}

} // namespace

class TestSpreadsheetExport : public QObject {
    Q_OBJECT
private slots:
    void exportedWorkbook();
    void namesWideGridsAndModes();
};

void TestSpreadsheetExport::exportedWorkbook()
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

    // The cells, an empty grid cell left empty, and the signature line directly below the table.
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
}

void TestSpreadsheetExport::namesWideGridsAndModes()
{
    TestEnv env;
    // An existing workbook is never overwritten: the export takes the next free name.
    QFile keep(env.path(QStringLiteral("book1.xlsx")));
    QVERIFY(keep.open(QIODevice::WriteOnly) && keep.write("earlier export") > 0);
    keep.close();

    FlexGrid grid;
    QList<QStringList> table(3);
    for (int c = 0; c < 33; ++c) {
        table[0] << QStringLiteral("项%1").arg(c);
        table[1] << QString::number(c);
        table[2] << (c % 2 ? QStringLiteral("x") : QString());
    }
    grid.setTable(table);
    for (int c = 0; c < 33; ++c)
        grid.setColWidth(c, 900);
    ClsFlPrint p;
    p.lx = QStringLiteral("E");
    p.Flprint(grid);
    p.Flprint(grid);
    QCOMPARE(env.messages.records.size(), 2);
    QVERIFY(env.messages.records[0].text.endsWith(QStringLiteral("book2.xlsx"))
            && env.messages.records[1].text.endsWith(QStringLiteral("book3.xlsx")));
    QVERIFY(keep.open(QIODevice::ReadOnly) && keep.readAll() == "earlier export");

    // All 33 columns hold their cells; widths only for the first 31.
    const Sheet s = readSheet(env.path(QStringLiteral("book3.xlsx")));
    QVERIFY(s.values.value(QStringLiteral("AG1")) == QStringLiteral("项32") && s.values.value(QStringLiteral("AG2")) == "32");
    QVERIFY(s.values.value(QStringLiteral("AF3")) == "x" && s.values.value(QStringLiteral("A4")) == QStringLiteral("制表人："));
    QVERIFY(!s.widths.isEmpty());
    for (const auto &w : s.widths)
        QVERIFY(w.first <= 31 && int(w.second) == 10);

    // Printing without a printer writes a PDF beside the program and says where; other letters print too.
    env.messages.records.clear();
    for (const char *mode : {"p", "x"}) {
        p.lx = QLatin1String(mode);
        p.strReportName = QStringLiteral("200504工资表");
        p.Flprint(grid);
        QVERIFY(p.lastFile().startsWith(env.folder()) && p.lastFile().endsWith(QStringLiteral(".pdf"))
                && QFileInfo(p.lastFile()).size() > 0);
        QVERIFY(env.messages.records.last().text.endsWith(p.lastFile()));
    }
    QCOMPARE(env.messages.records.size(), 2);
    const QString out = pdfLayoutText(p.lastFile());
    QVERIFY2(out.contains(QStringLiteral("200504工资表")) && out.contains(QStringLiteral("项32")), qPrintable(out.left(300)));

    // Preview: a window that does not block, no file, no message.
    p.lx = QStringLiteral("v");
    p.Flprint(grid);
    QVERIFY(p.lastPreview() && p.lastPreview()->isVisible() && !p.lastPreview()->isModal());
    QVERIFY(p.lastFile().isEmpty() && env.messages.records.size() == 2);
    p.lastPreview()->close();
}

QTEST_MAIN(TestSpreadsheetExport)
#include "tst_spreadsheet_export.moc"
