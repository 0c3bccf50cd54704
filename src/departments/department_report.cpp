// Report_bmbm: sections, positions and texts of the department list, in twips.
#include "departments/department_report.h"

namespace ModBmReport {

namespace {

constexpr int kFrameLeft = 315;
constexpr int kHeadingTop = 1110;
constexpr int kHeadingHeight = 300;
constexpr int kRowHeight = 390;
constexpr int kValueTop = 60;
constexpr int kValueHeight = 270;

// One detail column: field, left edge and width (the width reaches the next column's rule).
struct Column {
    const char *field;
    int left;
    int width;
};
constexpr Column kColumns[] = {
    {"name", 405, 2355}, {"bmcode", 2880, 1395}, {"bmsm", 4335, 1065}, {"fzr", 5460, 930}, {"dh", 6450, 1200}};
// Vertical rules between the columns of a row, left of each column after the first.
constexpr int kRules[] = {2820, 4275, 5400, 6390};

} // namespace

ReportDocument Report_bmbm()
{
    ReportDocument doc;
    doc.setCaption(QStringLiteral("部门目录"));

    ReportSection &ph = doc.pageHeader();
    ph.height = 1515;
    ph.addLabel(QStringLiteral("Label1"), QStringLiteral("部 门 目 录"), 2880, 225, 3000, 480)
        .withFont(QString::fromLatin1(Rpt::kDefaultFont), 18, true);
    ph.addLabel(QStringLiteral("Label2"), QString(), 6105, 210, 1600, 300);
    const char *const headings[][2] = {{"部 门 名 称", "765"}, {"部 门 编 码", "2955"}, {"部门说明", "4425"},
                                       {"负责人", "5535"},     {"电  话", "6630"}};
    int n = 3;
    for (const auto &h : headings)
        ph.addLabel(QStringLiteral("Label") + QString::number(n++), QString::fromUtf8(h[0]),
                    QString::fromLatin1(h[1]).toInt(), kHeadingTop, 1300, kHeadingHeight)
            .withFont(QString::fromLatin1(Rpt::kDefaultFont), 10, true);
    ph.addLabel(QStringLiteral("Shape1"), QString(), kFrameLeft, kHeadingTop - 75, 7365, kHeadingHeight + 150)
        .withBorder();

    ReportSection &dt = doc.detail();
    dt.height = kRowHeight;
    int t = 1;
    for (const Column &c : kColumns)
        dt.addField(QStringLiteral("Text") + QString::number(t++), QString::fromLatin1(c.field), c.left, kValueTop,
                    c.width - 30, kValueHeight);
    dt.addLabel(QStringLiteral("Shape2"), QString(), kFrameLeft, 0, 7395, kRowHeight).withBorder();
    int l = 1;
    for (int x : kRules)
        dt.addLine(QStringLiteral("Line") + QString::number(l++), x, 0, x, kRowHeight);

    ReportSection &pf = doc.pageFooter();
    pf.height = 525;
    pf.addLabel(QStringLiteral("Label8"), QStringLiteral("第"), 375, 150, 300, 270);
    pf.addLabel(QStringLiteral("Label9"), QStringLiteral("%p"), 705, 150, 225, 270).withAlignment(Rpt::AlignCenter);
    pf.addLabel(QStringLiteral("Label10"), QStringLiteral("页"), 930, 150, 300, 270);
    pf.addLabel(QStringLiteral("Label11"), QStringLiteral("打印日期"), 5265, 150, 1000, 270);
    pf.addLabel(QStringLiteral("Label12"), QStringLiteral("%d"), 6315, 150, 1400, 270);
    return doc;
}

ReportDocument BuildDepartmentReport(std::shared_ptr<const ReportDataSource> source)
{
    ReportDocument doc = Report_bmbm();
    doc.control(QStringLiteral("Label2"))->caption.clear();
    doc.setDataSource(std::move(source));
    return doc;
}

} // namespace ModBmReport
