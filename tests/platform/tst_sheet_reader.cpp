// Reading spreadsheet files back: xlsx workbooks and CSV in UTF-8 or GB18030.
#include "platform/print/sheet_reader.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#include <xlsxwriter.h>

class TestSheetReader : public QObject {
    Q_OBJECT
private slots:
    void readsWorkbookCells();
    void readsCsvInEitherEncoding();
    void refusesWhatItCannotRead();
};

void TestSheetReader::readsWorkbookCells()
{
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("员工.xlsx")).toUtf8();
    lxw_workbook *wb = workbook_new(path.constData());
    lxw_worksheet *ws = workbook_add_worksheet(wb, "人员");
    worksheet_write_string(ws, 0, 0, "员工编号", nullptr);
    worksheet_write_string(ws, 0, 1, "姓名", nullptr);
    worksheet_write_string(ws, 0, 3, "基本工资", nullptr);  // column C left empty
    worksheet_write_string(ws, 1, 0, "001", nullptr);
    worksheet_write_string(ws, 1, 1, "张三", nullptr);
    worksheet_write_number(ws, 1, 3, 3000.5, nullptr);
    worksheet_write_number(ws, 3, 3, 0.1 + 0.2, nullptr);  // row 3 empty
    workbook_close(wb);

    const SheetTable t = ReadSheetFile(QString::fromUtf8(path));
    QVERIFY2(t.error.isEmpty(), qPrintable(t.error));
    QCOMPARE(t.rows.size(), 4);
    QCOMPARE(t.rows.at(0), (QStringList{"员工编号", "姓名", "", "基本工资"}));
    QCOMPARE(t.rows.at(1), (QStringList{"001", "张三", "", "3000.5"}));
    QVERIFY(t.rows.at(2).isEmpty());
    QCOMPARE(t.rows.at(3).value(3), QStringLiteral("0.3"));
}

void TestSheetReader::readsCsvInEitherEncoding()
{
    const QString text = QStringLiteral("员工编号,姓名,备注\r\n001,张三,\"说 \"\"好\"\", 行\n二\"\n002,李四,\n");
    const QList<QStringList> expected{{"员工编号", "姓名", "备注"}, {"001", "张三", "说 \"好\", 行\n二"}, {"002", "李四", ""}};
    QCOMPARE(ParseCsv(text.toUtf8()).rows, expected);
    QCOMPARE(ParseCsv("\xEF\xBB\xBF" + text.toUtf8()).rows, expected);
    QStringEncoder gb("GB18030");
    const QByteArray gbBytes = gb.encode(text);
    QVERIFY(gb.isValid() && gbBytes != text.toUtf8());
    const SheetTable fromGb = ParseCsv(gbBytes);
    QVERIFY(fromGb.error.isEmpty());
    QCOMPARE(fromGb.rows, expected);
}

void TestSheetReader::refusesWhatItCannotRead()
{
    QTemporaryDir dir;
    QFile bad(dir.filePath(QStringLiteral("x.xlsx")));
    QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("not a zip") > 0);
    bad.close();
    QVERIFY(!ReadSheetFile(bad.fileName()).error.isEmpty());
    QVERIFY(!ReadSheetFile(dir.filePath(QStringLiteral("x.txt"))).error.isEmpty());
    QVERIFY(!ReadSheetFile(dir.filePath(QStringLiteral("missing.csv"))).error.isEmpty());
    QVERIFY(!ParseCsv("a,\"b\n").error.isEmpty());
}

QTEST_MAIN(TestSheetReader)
#include "tst_sheet_reader.moc"
