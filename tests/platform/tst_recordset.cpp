// Tests of Recordset: cursor and bounds, Find, writing back by key, and refused writes.
#include "platform/db/recordset.h"
#include "support/test_env.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

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
        env.openScratchDatabase(cn, u"rs.db"_s);
        cn.execute(u"create table staff (id integer primary key autoincrement, name text not null,"
                   " amount real, born text, status integer default 7, note text)"_s);
        cn.execute(u"insert into staff(name, amount, born, note) values"
                   "('张明',100,'1980-05-01 00:00:00','a'),('O''Brien',250.5,'1999-12-31 00:00:00','b'),"
                   "('李明',80,'2001-01-02 00:00:00','c'),('张三',300,'1975-07-07 00:00:00','d')"_s);
    }
    QVariant cell(const QString &sql) { return cn.query(sql).rows.value(0).value(0); }
    // A value of each stored row in key order, joined by commas.
    QString column(const QString &expression)
    {
        return cell(u"select group_concat(v,',') from (select %1 as v from staff order by id)"_s.arg(expression)).toString();
    }
    // Opens an updatable set, as the windows do.
    void open(Recordset &rs, const QString &sql = u"select * from staff order by id"_s)
    {
        rs.Open(sql, cn, Recordset::adOpenDynamic, Recordset::adLockOptimistic);
    }
};

} // namespace

class TestRecordset : public QObject {
    Q_OBJECT
private slots:
    void movesBoundsFieldsAndFind();
    void writesGoToTheKeyedRowOnly();
    void refusedWritesDeletesAndRequery();
};

void TestRecordset::movesBoundsFieldsAndFind()
{
    Db db;
    Recordset empty;
    empty.Open(u"select * from staff where id<0"_s, db.cn);
    QVERIFY(empty.bof() && empty.eof() && empty.RecordCount() == 0 && empty.AbsolutePosition() == Recordset::adPosBOF);
    for (auto move : {&Recordset::MoveFirst, &Recordset::MoveLast, &Recordset::MoveNext, &Recordset::MovePrevious})
        QCOMPARE(errorOf([&] { (empty.*move)(); }).number, DbError::NoCurrentRecord);
    QCOMPARE(errorOf([&] { empty.value(u"name"_s); }).description,
             u"BOF 或 EOF 中有一个是“真”，或者当前记录已被删除，所请求的操作要求一个当前记录。"_s);

    Recordset rs;
    QSignalSpy moves(&rs, &Recordset::moved);
    rs.Open(u"select id, Name, amount, note, born from staff order by id"_s, db.cn);
    QVERIFY(rs.RecordCount() == 4 && rs.AbsolutePosition() == 1);
    QCOMPARE(moves.last().at(0).toInt(), 0);
    rs.MoveLast();
    rs.MoveNext();  // from the last row to EOF without an error
    QVERIFY(rs.eof() && !rs.bof() && rs.AbsolutePosition() == Recordset::adPosEOF);
    QCOMPARE(errorOf([&] { rs.MoveNext(); }).number, 3021);
    QCOMPARE(errorOf([&] { rs.value(0); }).number, 3021);
    rs.MovePrevious();  // from EOF back onto the last row
    QCOMPARE(rs.value(u"note"_s).toString(), u"d"_s);
    rs.MoveFirst();
    rs.MovePrevious();
    QVERIFY(rs.bof() && !rs.eof());
    QCOMPARE(errorOf([&] { rs.MovePrevious(); }).number, 3021);
    rs.MoveNext();
    QCOMPARE(rs.AbsolutePosition(), 1);

    // Fields by name (any case, brackets) and by index; no hidden column shows.
    QCOMPARE(rs.fieldCount(), 5);
    QCOMPARE(rs.fieldIndex(u"[amount]"_s), 2);
    QCOMPARE(rs.fieldIndex(u"missing"_s), -1);
    QCOMPARE(rs.value(u"nAmE"_s).toString(), u"张明"_s);
    QCOMPARE(rs.value(2).toDouble(), 100.0);
    QCOMPARE(errorOf([&] { rs.value(u"missing"_s); }).number, Recordset::ErrItemNotFound);
    QCOMPARE(errorOf([&] { rs.value(5); }).number, Recordset::ErrItemNotFound);
    QCOMPARE(rs.valueAt(3, 1).toString(), u"张三"_s);
    QVERIFY(!rs.valueAt(4, 1).isValid());

    rs.setAbsolutePosition(3);
    QCOMPARE(rs.value(u"note"_s).toString(), u"c"_s);
    QCOMPARE(errorOf([&] { rs.setAbsolutePosition(5); }).number, Recordset::ErrInvalidArgument);
    QCOMPARE(rs.AbsolutePosition(), 3);

    // Find searches forward from the current row.
    rs.MoveFirst();
    QVERIFY(rs.Find(u"name='O''Brien'"_s) && rs.AbsolutePosition() == 2);
    QVERIFY(rs.Find(u"[NAME] = 'o''brien'"_s) && rs.AbsolutePosition() == 2);  // the current row counts; text without case
    QVERIFY(rs.Find(u"name like '*明'"_s));
    QCOMPARE(rs.value(u"note"_s).toString(), u"c"_s);  // 张明 is behind the cursor
    QVERIFY(!rs.Find(u"name='张明'"_s) && rs.eof());
    QVERIFY(!rs.Find(u"id>0"_s));  // from EOF nothing is ahead

    // Operators, a quoted number against a number column, and both date literal forms.
    const QList<QPair<QString, int>> fromFirst = {
        {u"name like '张%'"_s, 1}, {u"amount>250"_s, 2}, {u"amount >= 300"_s, 4}, {u"amount<>100"_s, 2},
        {u"amount='80'"_s, 3}, {u"born<#1976-01-01#"_s, 4}, {u"born>=#12/31/1999#"_s, 2}};
    for (const auto &[criteria, position] : fromFirst) {
        rs.MoveFirst();
        QVERIFY2(rs.Find(criteria), qPrintable(criteria));
        QCOMPARE(rs.AbsolutePosition(), position);
    }
    QCOMPARE(errorOf([&] { rs.Find(u"lx=abc"_s); }).number, Recordset::ErrInvalidArgument);
    QCOMPARE(errorOf([&] { rs.Find(u"name='open"_s); }).number, Recordset::ErrInvalidArgument);
    QCOMPARE(errorOf([&] { rs.Find(u"lx='1'"_s); }).number, Recordset::ErrItemNotFound);
    rs.Close();
    QCOMPARE(errorOf([&] { rs.MoveFirst(); }).number, Recordset::ErrObjectClosed);
}

void TestRecordset::writesGoToTheKeyedRowOnly()
{
    Db db;
    Recordset rs;
    QSignalSpy changed(&rs, &Recordset::rowChanged);
    QSignalSpy inserted(&rs, &Recordset::rowInserted);
    QSignalSpy removed(&rs, &Recordset::rowRemoved);
    db.open(rs);
    rs.MoveNext();
    rs.setValue(u"Name"_s, u"王五"_s);
    QVERIFY(rs.EditMode() == Recordset::adEditInProgress && changed.count() == 1);
    QCOMPARE(db.cell(u"select name from staff where id=2"_s).toString(), u"O'Brien"_s);
    // A column changed by someone else meanwhile is not overwritten: only set columns are written.
    db.cn.execute(u"update staff set note='external' where id=2"_s);
    rs.Update();
    QCOMPARE(rs.EditMode(), int(Recordset::adEditNone));
    QCOMPARE(db.column(u"name||note"_s), u"张明a,王五external,李明c,张三d"_s);
    // Leaving a row writes its pending edit, as the old recordsets did.
    rs.setValue(u"amount"_s, u"12.5"_s);
    rs.MoveNext();
    QCOMPARE(db.cell(u"select amount from staff where id=2"_s).toDouble(), 12.5);

    // A grid cell edit is written at once, to its own row only; a refused one changes nothing.
    rs.setValueAt(2, 5, u"格子"_s);
    QVERIFY(rs.EditMode() == Recordset::adEditNone && changed.last().at(0).toInt() == 2);
    QCOMPARE(db.column(u"note"_s), u"a,external,格子,d"_s);
    QCOMPARE(errorOf([&] { rs.setValueAt(1, 1, QVariant()); }).number, DbError::ConstraintRefused);
    QCOMPARE(rs.valueAt(1, 1).toString(), u"王五"_s);
    // On the row of a pending new row the grid edit joins it.
    rs.AddNew();
    rs.setValueAt(4, 1, u"表格新行"_s);
    QCOMPARE(rs.EditMode(), int(Recordset::adEditAdd));
    rs.Update();
    QCOMPARE(db.cell(u"select count(*) from staff where name='表格新行'"_s).toInt(), 1);

    // A query without a key column writes back by rowid, new rows included; a server's table, which
    // has no rowid, by a column of unique values.
    const bool server = db.cn.postgresHandle();
    db.cn.execute(server ? u"create table notes (title text, body text unique)"_s
                         : u"create table notes (title text, body text)"_s);
    db.cn.execute(u"insert into notes values('一','x'),('二','y'),('三','z')"_s);
    Recordset notes;
    db.open(notes, u"select body from notes order by title desc"_s);
    QVERIFY(notes.keyField() == (server ? u"body"_s : u"rowid"_s) && notes.fieldCount() == 1);
    notes.Find(u"body='y'"_s);
    notes.setValue(0, u"yy"_s);
    notes.Update();
    QCOMPARE(db.cell(u"select count(*) from notes where body in ('x','yy','z')"_s).toInt(), 3);
    notes.AddNew();
    notes.setValue(0, u"w"_s);
    notes.Update();
    notes.setValue(0, u"ww"_s);  // the new row knows its rowid, so it can be edited and deleted
    notes.Update();
    QCOMPARE(db.cell(u"select count(*) from notes where body='ww'"_s).toInt(), 1);
    notes.Delete();
    QVERIFY(db.cell(u"select count(*) from notes"_s).toInt() == 3 &&
            db.cell(u"select count(*) from notes where body in ('x','yy','z')"_s).toInt() == 3);

    // A refused update keeps the pending edit; the move that would write it is refused as well.
    rs.setValue(u"name"_s, QVariant());  // name is NOT NULL
    rs.setValue(u"note"_s, u"x"_s);
    QCOMPARE(errorOf([&] { rs.Update(); }).number, DbError::ConstraintRefused);
    QVERIFY(rs.EditMode() == Recordset::adEditInProgress && rs.value(u"name"_s).isNull());
    QCOMPARE(errorOf([&] { rs.MoveNext(); }).number, DbError::ConstraintRefused);
    QCOMPARE(rs.AbsolutePosition(), 5);
    rs.setValue(u"name"_s, u"修好"_s);
    rs.Update();
    QCOMPARE(db.cell(u"select name||note from staff where id=5"_s).toString(), u"修好x"_s);

    rs.setAbsolutePosition(3);
    rs.setValue(u"name"_s, u"改了"_s);
    rs.CancelUpdate();
    QVERIFY(rs.EditMode() == Recordset::adEditNone && rs.value(u"name"_s).toString() == u"李明"_s);
    rs.MoveNext();  // nothing pending: nothing written
    QCOMPARE(db.cell(u"select name from staff where id=3"_s).toString(), u"李明"_s);

    rs.setAbsolutePosition(2);
    rs.AddNew();
    QCOMPARE(inserted.count(), 2);
    rs.setValue(u"name"_s, u"不要"_s);
    rs.CancelUpdate();
    QCOMPARE(rs.RecordCount(), 5);
    QCOMPARE(removed.last().at(0).toInt(), 5);
    QCOMPARE(rs.AbsolutePosition(), 2);  // back on the row current before AddNew

    rs.AddNew();
    QVERIFY(rs.EditMode() == Recordset::adEditAdd && rs.AbsolutePosition() == 6 && rs.value(u"id"_s).isNull());
    rs.setValue(u"name"_s, u"新员工"_s);
    rs.Update();
    const qlonglong first = rs.value(u"id"_s).toLongLong();
    QCOMPARE(first, db.cell(u"select id from staff where name='新员工'"_s).toLongLong());
    QCOMPARE(rs.value(u"status"_s).toInt(), 7);  // the column default is read back
    rs.AddNew();
    rs.setValue(u"name"_s, u"另一个"_s);
    rs.MoveFirst();  // leaving the new row writes it
    rs.MoveLast();
    QVERIFY(rs.value(u"id"_s).toLongLong() > first);
    QCOMPARE(db.cell(u"select count(*) from staff"_s).toInt(), 7);

    rs.AddNew();  // no name: the insert is refused and the new row stays pending
    rs.setValue(u"note"_s, u"n"_s);
    QCOMPARE(errorOf([&] { rs.Update(); }).number, DbError::ConstraintRefused);
    QVERIFY(rs.EditMode() == Recordset::adEditAdd && rs.RecordCount() == 8);
    rs.setValue(u"name"_s, u"补上"_s);
    rs.Update();
    QCOMPARE(db.cell(u"select note from staff where name='补上'"_s).toString(), u"n"_s);
}

// Read-only sets and sets that are no single table's rows refuse writes; deletes move on as the old
// recordsets did; Requery reads the table again.
void TestRecordset::refusedWritesDeletesAndRequery()
{
    Db db;
    db.cn.execute(u"create table dept (id integer primary key, title text)"_s);
    db.cn.execute(u"insert into dept values(1,'前台')"_s);
    Recordset readOnly;
    readOnly.Open(u"select * from staff"_s, db.cn, Recordset::adOpenStatic, Recordset::adLockReadOnly);
    QVERIFY(!readOnly.canUpdate());
    QCOMPARE(errorOf([&] { readOnly.setValue(u"name"_s, u"x"_s); }).number, DbError::ProviderFailure);
    QCOMPARE(errorOf([&] { readOnly.AddNew(); }).number, DbError::ProviderFailure);
    QCOMPARE(errorOf([&] { readOnly.Delete(); }).number, DbError::ProviderFailure);

    const QStringList notUpdatable = {
        u"select s.name, d.title from staff s, dept d"_s, u"select s.name, d.title from staff s join dept d on d.id=s.id"_s,
        u"select name, count(*) as n from staff group by name"_s, u"select name from staff union select title from dept"_s,
        u"select distinct name from staff"_s};
    for (const QString &sql : notUpdatable) {
        Recordset q;
        db.open(q, sql);
        QVERIFY2(q.baseTable().isEmpty(), qPrintable(sql));
        QCOMPARE(errorOf([&] { q.setValue(0, u"x"_s); }).number, DbError::ProviderFailure);
    }
    // A plain select whose condition holds a subquery still writes back.
    Recordset sub;
    db.open(sub, u"select * from staff where id in (select id from dept)"_s);
    QCOMPARE(sub.baseTable(), u"staff"_s);
    // An expression column cannot be written.
    Recordset expr;
    db.open(expr, u"select id, name, amount*2 as twice from staff order by id"_s);
    QCOMPARE(errorOf([&] { expr.setValue(u"twice"_s, 1); }).number, DbError::ProviderFailure);
    QCOMPARE(db.column(u"name"_s), u"张明,O'Brien,李明,张三"_s);

    Recordset rs;
    QSignalSpy resets(&rs, &Recordset::reset);
    db.open(rs);
    rs.setAbsolutePosition(2);
    rs.Delete();
    QVERIFY(rs.RecordCount() == 3 && db.column(u"id"_s) == u"1,3,4"_s);
    QCOMPARE(errorOf([&] { rs.value(0); }).number, 3021);
    QVERIFY(!rs.eof() && !rs.bof());
    rs.MoveNext();  // the row that followed the deleted one
    QCOMPARE(rs.value(u"id"_s).toInt(), 3);

    // Deleting the last row: the next move reaches EOF without an error, MoveLast finds the new last.
    rs.MoveLast();
    rs.Delete();
    rs.MoveNext();
    QVERIFY(rs.eof());
    rs.MoveLast();
    QCOMPARE(rs.value(u"id"_s).toInt(), 3);

    // Requery sees what others changed and starts on the first row.
    db.cn.execute(u"insert into staff(name) values('外部')"_s);
    db.cn.execute(u"update staff set name='改名' where id=1"_s);
    QCOMPARE(rs.RecordCount(), 2);
    rs.Requery();
    QVERIFY(resets.count() == 2 && rs.RecordCount() == 3 && rs.AbsolutePosition() == 1);
    QCOMPARE(rs.value(u"name"_s).toString(), u"改名"_s);
    rs.MoveLast();
    QCOMPARE(rs.value(u"name"_s).toString(), u"外部"_s);

    // Deleting every row leaves an empty set.
    for (int i = 0; i < 3; ++i) {
        rs.MoveFirst();
        rs.Delete();
    }
    rs.MoveNext();
    QVERIFY(rs.bof() && rs.eof() && rs.RecordCount() == 0);
    QCOMPARE(db.cell(u"select count(*) from staff"_s).toInt(), 0);
}

QTEST_MAIN(TestRecordset)
#include "tst_recordset.moc"
