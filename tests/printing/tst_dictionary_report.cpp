// Tests of the dictionary-driven report: column arithmetic, formats, totals, modes and the PDF text.
#include "support/test_env.h"

#include "app/program_state.h"
#include "dictionary/dictionary_tables.h"
#include "platform/db/recordset.h"
#include "platform/print/report_preview.h"
#include "printing/dictionary_report.h"

#include "support/tools.h"

#include <QApplication>
#include <QDialog>
#include <QtTest>

namespace {

// Print dictionary rows of table code "tt": colm_cd, colm_code, colm_type, colm_dq, sum_tag.
struct Col {
    int cd;
    const char *code;
    const char *type;
    const char *dq;
    const char *sum;
};

void writePrintDict(Connection &cn, const QList<Col> &cols)
{
    int xh = 0;
    for (const Col &c : cols) {
        xh += 5;
        cn.execute(QString("insert into PR_codedict (xh,table_code,table_name,colm_code,colm_name,colm_type,colm_cd,"
                           "can_show,colm_dq,con_type,sum_tag) values (%1,'tt','测试报表','%2','列%2','%3',%4,'1','%5',"
                           "'TXT','%6')")
                       .arg(xh)
                       .arg(c.code, c.type)
                       .arg(c.cd)
                       .arg(c.dq, c.sum));
    }
}

void makeData(Connection &cn, int rows)
{
    cn.execute("create table tt (id integer primary key autoincrement, f1 text, m1 single, p1 single, n1 single)");
    for (int i = 1; i <= rows; ++i)
        cn.execute(QString("insert into tt (f1, m1, p1, n1) values ('A%1', %2, 0.25, %1)").arg(i).arg(1234.5 * i));
}

const ReportControl &ctl(const ReportDocument &doc, const QString &name)
{
    const ReportControl *c = doc.control(name);
    if (!c)
        qFatal("no control %s", qPrintable(name));
    return *c;
}

QList<ReportPreview *> previews()
{
    QList<ReportPreview *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<ReportPreview *>(w))
            out << p;
    return out;
}

} // namespace

class TestDictionaryReport : public QObject {
    Q_OBJECT
private slots:
    void columnArithmetic();
    void formatsAlignmentAndTotals();
    void modesWideReportsAndMissingFields();
};

void TestDictionaryReport::columnArithmetic()
{
    auto rowsOf = [](const QList<int> &widths) {
        QList<DictRow> rows;
        for (int cd : widths) {
            DictRow r;
            r.tableName = "标题";
            r.colmCode = QString("f%1").arg(rows.size() + 1);
            r.colmCd = cd;
            rows << r;
        }
        return rows;
    };
    ReportDocument doc = ModReport::ReportMod();
    const int designDateLeft = ctl(doc, "Label200").left, titleWidth = ctl(doc, "LabBT").width;
    QCOMPARE(ModReport::LayoutColumns(doc, rowsOf({5, 6, 4})), 3);
    const int lefts[] = {0, 900, 1980}, widths[] = {900, 1080, 720}, rights[] = {900, 1980, 2700};
    for (int i = 1; i <= 3; ++i) {
        const ReportControl &cap = ctl(doc, QString("Label%1").arg(i));
        QVERIFY(cap.visible && cap.alignment == Rpt::AlignCenter && cap.width == widths[i - 1]);
        QCOMPARE(cap.left, lefts[i - 1]);
        QCOMPARE(ctl(doc, QString("Text%1").arg(i)).left, lefts[i - 1]);
        for (int base : {35, 4, 67})  // separators of the caption row, the value rows and the totals
            QCOMPARE(ctl(doc, QString("Line%1").arg(i + base)).left, rights[i - 1]);
        QVERIFY(!ctl(doc, QString("Function%1").arg(i)).visible);  // no sum_tag
    }
    QVERIFY(ctl(doc, "Line37").top == ctl(doc, "Line1").top && ctl(doc, "Line37").height == 440);
    for (const char *rule : {"Line1", "Line2", "Line3", "Line66"})
        QCOMPARE(ctl(doc, rule).width, 2700);
    for (const char *unused : {"Label4", "Text4", "Line39", "Line8", "Line71"})
        QVERIFY(!ctl(doc, unused).visible);
    QCOMPARE(ctl(doc, "Label200").left, designDateLeft);
    QVERIFY(ctl(doc, "LabBT").left == (4 * 1060 - titleWidth) / 2 && ctl(doc, "LabBT").caption == "标题");

    // Four columns: the date label moves to x − w of the fourth column.
    ReportDocument four = ModReport::ReportMod();
    ModReport::LayoutColumns(four, rowsOf({5, 5, 5, 5}));
    QCOMPARE(ctl(four, "Label200").left, 3 * 900 - 900);

    // Two columns: 3 × 1060 is narrower than the title, which keeps its designed place.
    ReportDocument two = ModReport::ReportMod();
    const int designTitleLeft = ctl(two, "LabBT").left;
    QVERIFY(3 * 1060 < titleWidth);
    ModReport::LayoutColumns(two, rowsOf({5, 5}));
    QCOMPARE(ctl(two, "LabBT").left, designTitleLeft);

    // Thirty shown rows: the 19 columns the definition holds are laid out, the rest ignored.
    ReportDocument wide = ModReport::ReportMod();
    QCOMPARE(ModReport::LayoutColumns(wide, rowsOf(QList<int>(30, 3))), 19);
    QVERIFY(ctl(wide, "Text19").left == 18 * 540 && ctl(wide, "Line1").width == 19 * 540);
    QVERIFY(!ctl(wide, "Label20").visible && !ctl(wide, "Line55").visible);
    // Centred in 20 × 1060 the title would run past the paper's edge: it stops at the edge instead.
    QCOMPARE(ctl(wide, "LabBT").left, wide.contentWidth() - titleWidth);
}

void TestDictionaryReport::formatsAlignmentAndTotals()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    makeData(cn, 2);
    writePrintDict(cn, {{5, "f1", "CHAR", "C", "0"},
                        {6, "m1", "mon", "L", "1"},
                        {6, "p1", "BFL", "R", "1"},
                        {4, "n1", "INT", "X", "1"}});
    Recordset rs;
    rs.Open("select * from tt order by id", cn);
    auto doc = ModReport::BuildDictReport(cn, "tt", std::make_shared<RecordsetSource>(&rs));
    QVERIFY(doc.has_value());

    // Each value column's left, width, alignment and format: money and percent 50 twips in from
    // the side they lean on; an unknown alignment code keeps the position and the design's alignment.
    using Shape = std::tuple<int, int, Rpt::Align, QString>;
    const auto shape = [&](const char *name) {
        const ReportControl &c = ctl(*doc, name);
        return Shape(c.left, c.width, c.alignment, c.format);
    };
    QVERIFY(ctl(*doc, "Text1").alignment == Rpt::AlignCenter && ctl(*doc, "Text1").format.isEmpty());
    QCOMPARE(shape("Text2"), Shape(900 + 50, 1080 - 50, Rpt::AlignLeft, "#####0.00"));
    QCOMPARE(shape("Text3"), Shape(1980 - 50, 1080 - 50, Rpt::AlignRight, "#####0.00%"));
    QCOMPARE(shape("Text4"), Shape(3060, ctl(*doc, "Text4").width, ModReport::ReportMod().control("Text4")->alignment, "#####0.00"));
    QVERIFY(!ctl(*doc, "Function1").visible && ctl(*doc, "Function4").dataField == "n1");
    // Each total stands under its column's values, in the column's own format.
    for (int i : {2, 3, 4}) {
        const ReportControl &total = ctl(*doc, QString("Function%1").arg(i)), &field = ctl(*doc, QString("Text%1").arg(i));
        QVERIFY(total.visible && total.left == field.left && total.width == field.width);
        QVERIFY(total.alignment == field.alignment && total.format == field.format);
    }

    // Once through the renderer: the text of the PDF holds the formatted values and totals.
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext is not installed");
    const QString pdf = env.path("r.pdf");
    QCOMPARE(ModReport::RenderDictReport(cn, "tt", rs, pdf), QString());
    const QString text = pdfLayoutText(pdf);
    for (const char *expected : {"测试报表", "列f1", "列m1", "A2", "1234.50", "2469.00", "25.00%", "3703.50", "50.00%", "3.00"})
        QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
    QVERIFY(text.contains(QRegularExpression("合\\s+计")));
    QCOMPARE(ModReport::RenderDictReport(cn, "tt", rs, env.path("r.png")), QString());
    QVERIFY(QImage(env.path("r.png")).width() > 100);
}

void TestDictionaryReport::modesWideReportsAndMissingFields()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    cn.execute("create table tt (id integer primary key autoincrement, f1 text, c1 real, c2 real, c3 real, c4 real, c5 real,"
               " c6 real, c7 real, c8 real, c9 real, c10 real, c11 real, c12 real, c13 real, c14 real, c15 real)");
    Recordset rs;
    rs.Open("select * from tt order by id", cn);
    // No dictionary rows, then no data: nothing is shown.
    QVERIFY(!DictReport("tt", rs, "v"));
    writePrintDict(cn, {{5, "f1", "CHAR", "C", "0"}});
    QVERIFY(!DictReport("tt", rs, "v"));
    QVERIFY(previews().isEmpty());

    for (int i = 1; i <= 120; ++i)
        cn.execute(QString("insert into tt (f1, c1, c9, c15) values ('A%1', %1.5, 1234567.25, 0.5)").arg(i));
    rs.Requery();
    QVERIFY(DictReport("tt", rs, "v"));
    QVERIFY(DictReport("tt", rs, "V"));
    const QList<ReportPreview *> two = previews();
    QVERIFY(two.size() == 2 && two.first()->isVisible());
    QCOMPARE(two.first()->windowTitle(), QString("报表打印"));
    qDeleteAll(two);
    // Any other mode prints: the print dialog comes first; cancelling it prints nothing.
    QVERIFY(!DictReport("tt", rs, "p"));
    QVERIFY(env.dialogs.shown.size() == 1 && previews().isEmpty());

    // Nine columns of 6 characters fit an upright page, but the print date set over the last
    // column would pass its edge; ten of 8 (14400 twips) are wider than an upright page: across;
    // sixteen (23040) are wider still: scaled to the width. Every control, the date and the title
    // included, stays inside the printable width on every page.
    const struct {
        int columns, cd;
        QPageLayout::Orientation orientation;
    } cases[] = {{9, 6, QPageLayout::Portrait}, {10, 8, QPageLayout::Landscape}, {16, 8, QPageLayout::Landscape}};
    for (const auto &[columns, cd, orientation] : cases) {
        cn.execute("delete from PR_codedict");
        QList<Col> cols{{cd, "f1", "CHAR", "L", "0"}};
        QList<QByteArray> codes;
        for (int c = 1; c < columns; ++c)
            codes << QByteArray("c") + QByteArray::number(c);
        for (const QByteArray &code : codes)
            cols.append({cd, code.constData(), "MON", "R", "1"});
        writePrintDict(cn, cols);
        auto doc = ModReport::BuildDictReport(cn, "tt", std::make_shared<RecordsetSource>(&rs));
        QVERIFY(doc && doc->orientation() == orientation);
        const int right = doc->leftMargin() + doc->contentWidth();
        const ReportLayout layout = doc->layout();
        QVERIFY(layout.pages.size() > 1);
        for (const ReportPage &page : {layout.pages.first(), layout.pages.last()})
            for (const PlacedItem &item : page.items)
                QVERIFY2(item.rect.right() <= right, qPrintable(QString("%1 columns: %2").arg(columns).arg(item.name)));
        QVERIFY(layout.pages.first().find("Label200") && layout.pages.last().find(QString("Function%1").arg(columns)));
        QCOMPARE(layout.pages.last().find("Function2")->text, QString("7320.00"));  // c1: 1.5 + … + 120.5
    }
    QVERIFY(ctl(*ModReport::BuildDictReport(cn, "tt", std::make_shared<RecordsetSource>(&rs)), "Text2").font.size < 10);

    // A field the data lacks is named to the user and left out; the other columns are shown.
    cn.execute("delete from PR_codedict");
    writePrintDict(cn, {{5, "f1", "CHAR", "C", "0"}, {8, "T39", "MON", "R", "1"}, {6, "c1", "MON", "R", "1"}});
    QVERIFY(DictReport("tt", rs, "v"));
    QCOMPARE(env.messages.texts(), QStringList{ModReport::MissingFieldsMessage({"列T39（T39）"})});
    QVERIFY(env.messages.texts().first().contains("T39"));
    const QList<ReportPreview *> shown = previews();
    QVERIFY(shown.size() == 1 && !ctl(shown.first()->document(), "Text3").visible);
    QCOMPARE(ctl(shown.first()->document(), "Text2").dataField, QString("c1"));
    qDeleteAll(shown);

    // A database error is shown with its description and number, then the report gives up.
    cn.execute("drop table PR_codedict");
    QVERIFY(!DictReport("tt", rs, "v"));
    QVERIFY(env.messages.records.size() == 2 && env.messages.records.last().flags == 0);
    QVERIFY(env.messages.records.last().text.endsWith(QString::number(DbError::ObjectNotFound)));
}

QTEST_MAIN(TestDictionaryReport)
#include "tst_dictionary_report.moc"
