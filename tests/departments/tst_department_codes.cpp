// Tests of the department code rules: segment check, parents and duplicates, suggested codes, closing.
#include "support/test_env.h"

#include "departments/department_codes.h"
#include "platform/db/connection.h"

#include <QtTest>

using namespace ModBmCD;

namespace {
void addDepartment(Connection &cn, const QString &code, const QString &name = QStringLiteral("部门"))
{
    cn.execute("insert into bmcode (bmcode, name) values (?, ?)", {code, name.isNull() ? QVariant() : QVariant(name)});
}
} // namespace

class TestDepartmentCodes : public QObject {
    Q_OBJECT
private slots:
    void segmentsParentsAndDuplicates()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        for (const char *code : {"1", "12", "2"})
            addDepartment(cn, code);
        BmCdInit();
        QCOMPARE(SegmentText(BmCdLen), QString("1-1-3"));

        struct Case {
            QString code, message, level;
        };
        const QList<Case> cases{{"", "商品长度应为1", QString()},
                                {"3", "", "1"},
                                {"13", "", "2"},
                                {"123", "编码长度应为5", "1"},
                                {"12001", "", "3"},
                                {"120011", "编码长度超过定义总长度5", "1"}};
        for (const Case &c : cases) {
            const CodeCheck r = CheckCode(cn, c.code, BmCdLen, true);
            QVERIFY2(r.message == c.message && r.level == c.level && !r.duplicate, qPrintable(c.code + ": " + r.message));
            QCOMPARE(r.level.isNull(), c.level.isNull());
        }

        // A level-2 or level-3 code needs its parent; a level-1 code has none to look for.
        CodeCheck r = CheckCode(cn, "31", BmCdLen, true);
        QVERIFY(r.message == "上级商品未定义！" && !r.duplicate && r.level == "2");
        QVERIFY(CheckCode(cn, "13001", BmCdLen, true).message == "上级商品未定义！");
        QVERIFY(CheckCode(cn, "12001", BmCdLen, true).passed());
        QVERIFY(CheckCode(cn, "9", BmCdLen, true).passed());

        // Adding: any department with the code is a duplicate.
        r = CheckCode(cn, "12", BmCdLen, true);
        QVERIFY(r.message == "部门编码重复！" && r.duplicate);
        // Recoding: the department's own code passes, another department's code does not.
        QVERIFY(CheckCode(cn, "12", BmCdLen, false, "12").passed());
        QVERIFY(CheckCode(cn, "2", BmCdLen, false, "1").duplicate);
        QVERIFY(CheckCode(cn, "3", BmCdLen, false, "1").passed());

        // A quote in a code is data, not SQL.
        addDepartment(cn, "1'");
        QVERIFY(CheckCode(cn, "1'", BmCdLen, true).duplicate);
        QVERIFY(CheckCode(cn, "1'001", BmCdLen, true).passed());
    }

    void suggestedCodes()
    {
        QCOMPARE(SuggestedCode("1003", false), QString("1004"));
        QCOMPARE(SuggestedCode("1009", false), QString("10010"));  // one character longer
        QCOMPARE(SuggestedCode("19", false), QString("110"));
        QCOMPARE(SuggestedCode("7", false), QString("7"));         // one character: kept
        QCOMPARE(SuggestedCode("1003", true), QString("1"));        // an empty table starts at 1
    }

    void closingRecomputesLeafFlagsAndDropsNamelessRows()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        CloseDepartmentCodes(cn);  // an empty table: nothing to do, no failure

        addDepartment(cn, "5");
        cn.execute("update bmcode set zzbj=false");
        CloseDepartmentCodes(cn);
        QCOMPARE(cn.query("select zzbj from bmcode").rows.value(0).value(0).toInt(), -1);  // Yes is -1

        cn.execute("delete from bmcode");
        for (const char *code : {"2", "10001", "1", "10"})
            addDepartment(cn, code);
        addDepartment(cn, "3", QString());  // nameless
        addDepartment(cn, "301");           // a child of the nameless one, kept
        CloseDepartmentCodes(cn);

        QStringList flags;
        for (const QVariantList &row : cn.query("select bmcode, zzbj from bmcode order by bmcode").rows)
            flags << row.value(0).toString() + "=" + row.value(1).toString();
        QCOMPARE(flags, QStringList({"1=0", "10=0", "10001=-1", "2=-1", "301=-1"}));
    }
};

QTEST_MAIN(TestDepartmentCodes)
#include "tst_department_codes.moc"
