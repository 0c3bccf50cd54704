// Tests of Recordset: cursor and bounds, Find, writing back by key, and large snapshots.
#include "platform/db/recordset.h"
#include "support/test_env.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// The error a call throws; number 0 when it throws none.
template <class F>
DbError errorOf(F &&f)
{
    try {
        f();
    } catch (const DbError &e) {
        return e;
    }
    return {};
}

struct Db {
    TestEnv env;
    Connection cn;
    Db()
    {
        env.openScratchDatabase(cn, QStringLiteral("rs.db"));
        cn.execute(QStringLiteral("create table staff (id integer primary key autoincrement, name text not null,"
                                  " amount real, born text, status integer default 7, note text)"));
        cn.execute(QStringLiteral("insert into staff(name, amount, born, note) values"
                                  "('张明',100,'1980-05-01 00:00:00','a'),('O''Brien',250.5,'1999-12-31 00:00:00','b'),"
                                  "('李明',80,'2001-01-02 00:00:00','c'),('张三',300,'1975-07-07 00:00:00','d')"));
    }
    QVariant cell(const QString &sql) { return cn.query(sql).rows.value(0).value(0); }
    // Opens an updatable set, as the windows do.
    void open(Recordset &rs, const QString &sql = QStringLiteral("select * from staff order by id"))
    {
        rs.Open(sql, cn, Recordset::adOpenDynamic, Recordset::adLockOptimistic);
    }
};

} // namespace

class TestRecordset : public QObject {
    Q_OBJECT
private slots:
    void movesBoundsAndFields();
    void findSearchesForwardFromTheCurrentRow();
    void writesGoToTheKeyedRowOnly();
    void addNewAndCancelUpdate();
    void deleteThenMoveAndRequery();
    void readOnlySetsRefuseWrites();
    void failingUpdateKeepsThePendingEdit();
};

void TestRecordset::movesBoundsAndFields()
{
    Db db;
    Recordset empty;
    empty.Open(QStringLiteral("select * from staff where id<0"), db.cn);
    QVERIFY(empty.bof() && empty.eof());
    QCOMPARE(empty.RecordCount(), 0);
    QCOMPARE(empty.AbsolutePosition(), int(Recordset::adPosBOF));
    for (auto move : {&Recordset::MoveFirst, &Recordset::MoveLast, &Recordset::MoveNext, &Recordset::MovePrevious})
        QCOMPARE(errorOf([&] { (empty.*move)(); }).number, DbError::NoCurrentRecord);
    QCOMPARE(errorOf([&] { empty.value(QStringLiteral("name")); }).description,
             QStringLiteral("BOF 或 EOF 中有一个是“真”，或者当前记录已被删除，所请求的操作要求一个当前记录。"));

    Recordset rs;
    QSignalSpy moves(&rs, &Recordset::moved);
    rs.Open(QStringLiteral("select id, Name, amount, note from staff order by id"), db.cn);
    QCOMPARE(rs.RecordCount(), 4);
    QCOMPARE(rs.AbsolutePosition(), 1);
    QCOMPARE(moves.last().at(0).toInt(), 0);
    rs.MoveLast();
    rs.MoveNext();  // from the last row to EOF without an error
    QVERIFY(rs.eof() && !rs.bof());
    QCOMPARE(rs.AbsolutePosition(), int(Recordset::adPosEOF));
    QCOMPARE(errorOf([&] { rs.MoveNext(); }).number, 3021);
    QCOMPARE(errorOf([&] { rs.value(0); }).number, 3021);
    rs.MovePrevious();  // from EOF back onto the last row
    QCOMPARE(rs.value(QStringLiteral("note")).toString(), QStringLiteral("d"));
    rs.MoveFirst();
    rs.MovePrevious();
    QVERIFY(rs.bof() && !rs.eof());
    QCOMPARE(errorOf([&] { rs.MovePrevious(); }).number, 3021);
    rs.MoveNext();
    QCOMPARE(rs.AbsolutePosition(), 1);

    // Fields by name (any case, brackets) and by index; no hidden column shows.
    QCOMPARE(rs.fieldCount(), 4);
    QCOMPARE(rs.fieldIndex(QStringLiteral("NAME")), 1);
    QCOMPARE(rs.fieldIndex(QStringLiteral("[amount]")), 2);
    QCOMPARE(rs.fieldIndex(QStringLiteral("missing")), -1);
    QCOMPARE(rs.value(QStringLiteral("nAmE")).toString(), QStringLiteral("张明"));
    QCOMPARE(rs.value(2).toDouble(), 100.0);
    QCOMPARE(errorOf([&] { rs.value(QStringLiteral("missing")); }).number, Recordset::ErrItemNotFound);
    QCOMPARE(errorOf([&] { rs.value(4); }).number, Recordset::ErrItemNotFound);
    QCOMPARE(rs.valueAt(3, 1).toString(), QStringLiteral("张三"));
    QVERIFY(!rs.valueAt(4, 1).isValid());

    rs.setAbsolutePosition(3);
    QCOMPARE(rs.value(QStringLiteral("note")).toString(), QStringLiteral("c"));
    QCOMPARE(errorOf([&] { rs.setAbsolutePosition(5); }).number, Recordset::ErrInvalidArgument);
    QCOMPARE(rs.AbsolutePosition(), 3);
    rs.Close();
    QVERIFY(!rs.isOpen());
    QCOMPARE(errorOf([&] { rs.MoveFirst(); }).number, Recordset::ErrObjectClosed);
}

void TestRecordset::findSearchesForwardFromTheCurrentRow()
{
    Db db;
    Recordset rs;
    rs.Open(QStringLiteral("select * from staff order by id"), db.cn);
    QVERIFY(rs.Find(QStringLiteral("name='O''Brien'")));
    QCOMPARE(rs.AbsolutePosition(), 2);
    QVERIFY(rs.Find(QStringLiteral("[NAME] = 'o''brien'")));  // the current row counts; text without case
    QCOMPARE(rs.AbsolutePosition(), 2);
    QVERIFY(rs.Find(QStringLiteral("name like '*明'")));
    QCOMPARE(rs.value(QStringLiteral("note")).toString(), QStringLiteral("c"));  // 张明 is behind the cursor
    QVERIFY(!rs.Find(QStringLiteral("name='张明'")));
    QVERIFY(rs.eof());
    QVERIFY(!rs.Find(QStringLiteral("id>0")));  // from EOF nothing is ahead

    // Operators, a quoted number against a number column, and both date literal forms.
    const QList<QPair<QString, int>> fromFirst = {
        {QStringLiteral("name like '张%'"), 1},     {QStringLiteral("amount>250"), 2},
        {QStringLiteral("amount >= 300"), 4},      {QStringLiteral("amount<>100"), 2},
        {QStringLiteral("amount='80'"), 3},        {QStringLiteral("born<#1976-01-01#"), 4},
        {QStringLiteral("born>=#12/31/1999#"), 2}};
    for (const auto &[criteria, position] : fromFirst) {
        rs.MoveFirst();
        QVERIFY2(rs.Find(criteria), qPrintable(criteria));
        QCOMPARE(rs.AbsolutePosition(), position);
    }
    QCOMPARE(errorOf([&] { rs.Find(QStringLiteral("lx=abc")); }).number, Recordset::ErrInvalidArgument);
    QCOMPARE(errorOf([&] { rs.Find(QStringLiteral("name='open")); }).number, Recordset::ErrInvalidArgument);
    QCOMPARE(errorOf([&] { rs.Find(QStringLiteral("lx='1'")); }).number, Recordset::ErrItemNotFound);
}

void TestRecordset::writesGoToTheKeyedRowOnly()
{
    Db db;
    Recordset rs;
    QSignalSpy changed(&rs, &Recordset::rowChanged);
    db.open(rs);
    QCOMPARE(rs.keyField(), QStringLiteral("id"));
    QCOMPARE(rs.baseTable(), QStringLiteral("staff"));
    rs.MoveNext();
    rs.setValue(QStringLiteral("Name"), QStringLiteral("王五"));
    QCOMPARE(rs.EditMode(), int(Recordset::adEditInProgress));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(db.cell(QStringLiteral("select name from staff where id=2")).toString(), QStringLiteral("O'Brien"));
    // A column changed by someone else meanwhile is not overwritten: only set columns are written.
    db.cn.execute(QStringLiteral("update staff set note='external' where id=2"));
    rs.Update();
    QCOMPARE(rs.EditMode(), int(Recordset::adEditNone));
    QCOMPARE(db.cell(QStringLiteral("select name||note from staff where id=2")).toString(),
             QStringLiteral("王五external"));
    QCOMPARE(db.cell(QStringLiteral("select group_concat(name,',') from (select name from staff where id<>2 order by id)")).toString(),
             QStringLiteral("张明,李明,张三"));
    // Leaving a row writes its pending edit, as the old recordsets did.
    rs.setValue(QStringLiteral("amount"), QStringLiteral("12.5"));
    rs.MoveNext();
    QCOMPARE(db.cell(QStringLiteral("select amount from staff where id=2")).toDouble(), 12.5);

    // A grid cell edit is written at once, to its own row only; a refused one changes nothing.
    rs.setValueAt(2, 5, QStringLiteral("格子"));
    QCOMPARE(rs.EditMode(), int(Recordset::adEditNone));
    QCOMPARE(changed.last().at(0).toInt(), 2);
    QCOMPARE(db.cell(QStringLiteral("select group_concat(note,',') from (select note from staff order by id)")).toString(),
             QStringLiteral("a,external,格子,d"));
    QCOMPARE(errorOf([&] { rs.setValueAt(1, 1, QVariant()); }).number, DbError::ConstraintRefused);
    QCOMPARE(rs.valueAt(1, 1).toString(), QStringLiteral("王五"));
    // On the row of a pending new row the grid edit joins it.
    rs.AddNew();
    rs.setValueAt(4, 1, QStringLiteral("表格新行"));
    QCOMPARE(rs.EditMode(), int(Recordset::adEditAdd));
    rs.Update();
    QCOMPARE(db.cell(QStringLiteral("select count(*) from staff where name='表格新行'")).toInt(), 1);

    // A query without a key column writes back by rowid, new rows included; a server's table, which
    // has no rowid, by a column of unique values.
    const bool server = db.cn.postgresHandle();
    db.cn.execute(server ? QStringLiteral("create table notes (title text, body text unique)")
                         : QStringLiteral("create table notes (title text, body text)"));
    db.cn.execute(QStringLiteral("insert into notes values('一','x'),('二','y'),('三','z')"));
    Recordset notes;
    db.open(notes, QStringLiteral("select body from notes order by title desc"));
    QCOMPARE(notes.keyField(), server ? QStringLiteral("body") : QStringLiteral("rowid"));
    QCOMPARE(notes.fieldCount(), 1);
    notes.Find(QStringLiteral("body='y'"));
    notes.setValue(0, QStringLiteral("yy"));
    notes.Update();
    QCOMPARE(db.cell(QStringLiteral("select count(*) from notes where body in ('x','yy','z')")).toInt(), 3);
    notes.AddNew();
    notes.setValue(0, QStringLiteral("w"));
    notes.Update();
    notes.setValue(0, QStringLiteral("ww"));  // the new row knows its rowid, so it can be edited and deleted
    notes.Update();
    QCOMPARE(db.cell(QStringLiteral("select count(*) from notes where body='ww'")).toInt(), 1);
    notes.Delete();
    QCOMPARE(db.cell(QStringLiteral("select count(*) from notes where body in ('x','yy','z')")).toInt(), 3);
    QCOMPARE(db.cell(QStringLiteral("select count(*) from notes")).toInt(), 3);
}

void TestRecordset::addNewAndCancelUpdate()
{
    Db db;
    Recordset rs;
    QSignalSpy inserted(&rs, &Recordset::rowInserted);
    QSignalSpy removed(&rs, &Recordset::rowRemoved);
    db.open(rs);
    rs.setAbsolutePosition(3);
    rs.setValue(QStringLiteral("name"), QStringLiteral("改了"));
    rs.CancelUpdate();
    QCOMPARE(rs.EditMode(), int(Recordset::adEditNone));
    QCOMPARE(rs.value(QStringLiteral("name")).toString(), QStringLiteral("李明"));
    rs.MoveNext();  // nothing pending: nothing written
    QCOMPARE(db.cell(QStringLiteral("select name from staff where id=3")).toString(), QStringLiteral("李明"));

    rs.setAbsolutePosition(2);
    rs.AddNew();
    QCOMPARE(inserted.count(), 1);
    rs.setValue(QStringLiteral("name"), QStringLiteral("不要"));
    rs.CancelUpdate();
    QCOMPARE(rs.RecordCount(), 4);
    QCOMPARE(removed.last().at(0).toInt(), 4);
    QCOMPARE(rs.AbsolutePosition(), 2);  // back on the row current before AddNew

    rs.AddNew();
    QCOMPARE(rs.EditMode(), int(Recordset::adEditAdd));
    QCOMPARE(rs.AbsolutePosition(), 5);
    QVERIFY(rs.value(QStringLiteral("id")).isNull());
    rs.setValue(QStringLiteral("name"), QStringLiteral("新员工"));
    rs.Update();
    const qlonglong first = rs.value(QStringLiteral("id")).toLongLong();
    QCOMPARE(first, db.cell(QStringLiteral("select id from staff where name='新员工'")).toLongLong());
    QCOMPARE(rs.value(QStringLiteral("status")).toInt(), 7);  // the column default is read back
    rs.AddNew();
    rs.setValue(QStringLiteral("name"), QStringLiteral("另一个"));
    rs.MoveFirst();  // leaving the new row writes it
    rs.MoveLast();
    QVERIFY(rs.value(QStringLiteral("id")).toLongLong() > first);
    QCOMPARE(db.cell(QStringLiteral("select count(*) from staff")).toInt(), 6);
}

void TestRecordset::deleteThenMoveAndRequery()
{
    Db db;
    Recordset rs;
    QSignalSpy resets(&rs, &Recordset::reset);
    db.open(rs);
    rs.setAbsolutePosition(2);
    rs.Delete();
    QCOMPARE(rs.RecordCount(), 3);
    QCOMPARE(db.cell(QStringLiteral("select group_concat(id,',') from (select id from staff order by id)")).toString(), QStringLiteral("1,3,4"));
    QCOMPARE(errorOf([&] { rs.value(0); }).number, 3021);
    QVERIFY(!rs.eof() && !rs.bof());
    rs.MoveNext();  // the row that followed the deleted one
    QCOMPARE(rs.value(QStringLiteral("id")).toInt(), 3);

    // Deleting the last row: the next move reaches EOF without an error, MoveLast finds the new last.
    rs.MoveLast();
    rs.Delete();
    rs.MoveNext();
    QVERIFY(rs.eof());
    rs.MoveLast();
    QCOMPARE(rs.value(QStringLiteral("id")).toInt(), 3);

    // Requery sees what others changed and starts on the first row.
    db.cn.execute(QStringLiteral("insert into staff(name) values('外部')"));
    db.cn.execute(QStringLiteral("update staff set name='改名' where id=1"));
    QCOMPARE(rs.RecordCount(), 2);
    rs.Requery();
    QCOMPARE(resets.count(), 2);
    QCOMPARE(rs.RecordCount(), 3);
    QCOMPARE(rs.AbsolutePosition(), 1);
    QCOMPARE(rs.value(QStringLiteral("name")).toString(), QStringLiteral("改名"));
    rs.MoveLast();
    QCOMPARE(rs.value(QStringLiteral("name")).toString(), QStringLiteral("外部"));

    // Deleting every row leaves an empty set.
    for (int i = 0; i < 3; ++i) {
        rs.MoveFirst();
        rs.Delete();
    }
    rs.MoveNext();
    QVERIFY(rs.bof() && rs.eof());
    QCOMPARE(rs.RecordCount(), 0);
    QCOMPARE(db.cell(QStringLiteral("select count(*) from staff")).toInt(), 0);
}

void TestRecordset::readOnlySetsRefuseWrites()
{
    Db db;
    db.cn.execute(QStringLiteral("create table dept (id integer primary key, title text)"));
    db.cn.execute(QStringLiteral("insert into dept values(1,'前台')"));
    Recordset rs;
    rs.Open(QStringLiteral("select * from staff"), db.cn, Recordset::adOpenStatic, Recordset::adLockReadOnly);
    QVERIFY(!rs.canUpdate());
    QCOMPARE(errorOf([&] { rs.setValue(QStringLiteral("name"), QStringLiteral("x")); }).number, DbError::ProviderFailure);
    QCOMPARE(errorOf([&] { rs.AddNew(); }).number, DbError::ProviderFailure);
    QCOMPARE(errorOf([&] { rs.Delete(); }).number, DbError::ProviderFailure);

    const QStringList notUpdatable = {QStringLiteral("select s.name, d.title from staff s, dept d"),
                                      QStringLiteral("select s.name, d.title from staff s join dept d on d.id=s.id"),
                                      QStringLiteral("select name, count(*) as n from staff group by name"),
                                      QStringLiteral("select name from staff union select title from dept"),
                                      QStringLiteral("select distinct name from staff")};
    for (const QString &sql : notUpdatable) {
        Recordset q;
        db.open(q, sql);
        QVERIFY2(q.baseTable().isEmpty(), qPrintable(sql));
        QCOMPARE(errorOf([&] { q.setValue(0, QStringLiteral("x")); }).number, DbError::ProviderFailure);
    }
    // A plain select whose condition holds a subquery still writes back.
    Recordset sub;
    db.open(sub, QStringLiteral("select * from staff where id in (select id from dept)"));
    QCOMPARE(sub.baseTable(), QStringLiteral("staff"));
    // An expression column cannot be written.
    Recordset expr;
    db.open(expr, QStringLiteral("select id, name, amount*2 as twice from staff order by id"));
    QCOMPARE(errorOf([&] { expr.setValue(QStringLiteral("twice"), 1); }).number, DbError::ProviderFailure);
    QCOMPARE(db.cell(QStringLiteral("select group_concat(name,',') from (select name from staff order by id)")).toString(),
             QStringLiteral("张明,O'Brien,李明,张三"));
}

void TestRecordset::failingUpdateKeepsThePendingEdit()
{
    Db db;
    Recordset rs;
    db.open(rs);
    rs.setValue(QStringLiteral("name"), QVariant());  // name is NOT NULL
    rs.setValue(QStringLiteral("note"), QStringLiteral("x"));
    QCOMPARE(errorOf([&] { rs.Update(); }).number, DbError::ConstraintRefused);
    QCOMPARE(rs.EditMode(), int(Recordset::adEditInProgress));
    QVERIFY(rs.value(QStringLiteral("name")).isNull());
    QCOMPARE(errorOf([&] { rs.MoveNext(); }).number, DbError::ConstraintRefused);  // the move is refused as well
    QCOMPARE(rs.AbsolutePosition(), 1);
    rs.setValue(QStringLiteral("name"), QStringLiteral("修好"));
    rs.Update();
    QCOMPARE(db.cell(QStringLiteral("select name||note from staff where id=1")).toString(), QStringLiteral("修好x"));

    rs.AddNew();  // no name: the insert is refused and the new row stays pending
    rs.setValue(QStringLiteral("note"), QStringLiteral("n"));
    QCOMPARE(errorOf([&] { rs.Update(); }).number, DbError::ConstraintRefused);
    QCOMPARE(rs.EditMode(), int(Recordset::adEditAdd));
    QCOMPARE(rs.RecordCount(), 5);
    rs.setValue(QStringLiteral("name"), QStringLiteral("补上"));
    rs.Update();
    QCOMPARE(db.cell(QStringLiteral("select note from staff where name='补上'")).toString(), QStringLiteral("n"));
}

QTEST_MAIN(TestRecordset)
#include "tst_recordset.moc"
