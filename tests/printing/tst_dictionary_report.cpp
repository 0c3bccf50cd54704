// Tests of the dictionary-driven report: column arithmetic, formats, totals, modes and the PDF text.
#include "support/test_env.h"

#include "app/program_state.h"
#include "dictionary/dictionary_tables.h"
#include "platform/db/recordset.h"
#include "platform/print/report_preview.h"
#include "printing/dictionary_report.h"

#include <QApplication>
#include <QDialog>
#include "support/tools.h"
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
    void modesAndEmptyInput();
    void wideReportsFitThePageAndMissingFieldsAreNamed();
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
        QVERIFY(cap.visible && cap.alignment == Rpt::AlignCenter);
        QCOMPARE(cap.left, lefts[i - 1]);
        QCOMPARE(cap.width, widths[i - 1]);
        QCOMPARE(ctl(doc, QString("Text%1").arg(i)).left, lefts[i - 1]);
        for (int base : {35, 4, 67})  // separators of the caption row, the value rows and the totals
            QCOMPARE(ctl(doc, QString("Line%1").arg(i + base)).left, rights[i - 1]);
        QVERIFY(!ctl(doc, QString("Function%1").arg(i)).visible);  // no sum_tag
    }
    QCOMPARE(ctl(doc, "Line37").top, ctl(doc, "Line1").top);
    QCOMPARE(ctl(doc, "Line37").height, 440);
    for (const char *rule : {"Line1", "Line2", "Line3", "Line66"})
        QCOMPARE(ctl(doc, rule).width, 2700);
    for (const char *unused : {"Label4", "Text4", "Line39", "Line8", "Line71"})
        QVERIFY(!ctl(doc, unused).visible);
    QCOMPARE(ctl(doc, "Label200").left, designDateLeft);
    QCOMPARE(ctl(doc, "LabBT").left, (4 * 1060 - titleWidth) / 2);
    QCOMPARE(ctl(doc, "LabBT").caption, QString("标题"));

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
    QCOMPARE(ctl(wide, "Text19").left, 18 * 540);
    QVERIFY(!ctl(wide, "Label20").visible && !ctl(wide, "Line55").visible);
    QCOMPARE(ctl(wide, "Line1").width, 19 * 540);
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

    QCOMPARE(ctl(*doc, "Text1").alignment, Rpt::AlignCenter);
    QCOMPARE(ctl(*doc, "Text2").alignment, Rpt::AlignLeft);
    QCOMPARE(ctl(*doc, "Text2").left, 900 + 50);
    QCOMPARE(ctl(*doc, "Text2").width, 1080 - 50);
    QCOMPARE(ctl(*doc, "Text3").alignment, Rpt::AlignRight);
    QCOMPARE(ctl(*doc, "Text3").left, 1980 - 50);
    QCOMPARE(ctl(*doc, "Text3").width, 1080 - 50);
    QCOMPARE(ctl(*doc, "Text4").left, 3060);  // unknown alignment code: position and design alignment kept
    QCOMPARE(ctl(*doc, "Text4").alignment, ModReport::ReportMod().control("Text4")->alignment);
    QCOMPARE(ctl(*doc, "Text1").format, QString());
    QCOMPARE(ctl(*doc, "Text2").format, QString("#####0.00"));
    QCOMPARE(ctl(*doc, "Text3").format, QString("#####0.00%"));
    QCOMPARE(ctl(*doc, "Text4").format, QString("#####0.00"));
    QVERIFY(!ctl(*doc, "Function1").visible && ctl(*doc, "Function4").visible);
    QCOMPARE(ctl(*doc, "Function4").dataField, QString("n1"));
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

void TestDictionaryReport::modesAndEmptyInput()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    makeData(cn, 0);
    Recordset rs;
    rs.Open("select * from tt", cn);
    // No dictionary rows, then no data: nothing is shown.
    QVERIFY(!DictReport("tt", rs, "v"));
    writePrintDict(cn, {{5, "f1", "CHAR", "C", "0"}});
    QVERIFY(!DictReport("tt", rs, "v"));
    QVERIFY(previews().isEmpty());

    cn.execute("insert into tt (f1) values ('A1')");
    rs.Requery();
    QVERIFY(DictReport("tt", rs, "v"));
    QVERIFY(DictReport("tt", rs, "V"));
    const QList<ReportPreview *> shown = previews();
    QCOMPARE(shown.size(), 2);
    QVERIFY(shown.first()->isVisible());
    QCOMPARE(shown.first()->windowTitle(), QString("报表打印"));
    qDeleteAll(shown);

    // Any other mode prints: the print dialog comes first; cancelling it prints nothing.
    QVERIFY(!DictReport("tt", rs, "p"));
    QCOMPARE(env.dialogs.shown.size(), 1);
    QVERIFY(previews().isEmpty());

    // A database error is shown with its description and number, then the report gives up.
    cn.execute("drop table PR_codedict");
    QVERIFY(!DictReport("tt", rs, "v"));
    QCOMPARE(env.messages.records.size(), 1);
    QVERIFY(env.messages.records.first().text.endsWith(QString::number(DbError::ObjectNotFound)));
    QCOMPARE(env.messages.records.first().flags, 0);
}

void TestDictionaryReport::wideReportsFitThePageAndMissingFieldsAreNamed()
{
    TestEnv env;
    Connection &cn = env.openNewDatabase();
    cn.execute("create table tt (id integer primary key autoincrement, f1 text, c1 real, c2 real, c3 real, c4 real, c5 real,"
               " c6 real, c7 real, c8 real, c9 real, c10 real, c11 real, c12 real, c13 real, c14 real, c15 real)");
    for (int i = 1; i <= 120; ++i)
        cn.execute(QString("insert into tt (f1, c1, c9, c15) values ('A%1', %1.5, 1234567.25, 0.5)").arg(i));
    Recordset rs;
    rs.Open("select * from tt order by id", cn);

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
    QCOMPARE(shown.size(), 1);
    QCOMPARE(ctl(shown.first()->document(), "Text2").dataField, QString("c1"));
    QVERIFY(!ctl(shown.first()->document(), "Text3").visible);
    qDeleteAll(shown);
}

QTEST_MAIN(TestDictionaryReport)
#include "tst_dictionary_report.moc"
