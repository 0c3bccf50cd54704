// Tests of the data-bound widgets: DataGrid, FlexGrid, BoundLineEdit, DataCombo and KeyedToolBar.
#include "platform/ui/bound_line_edit.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/flex_grid.h"
#include "platform/ui/keyed_toolbar.h"
#include "support/test_env.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <sqlite3.h>

namespace {

struct Db {
    TestEnv env;
    Connection cn;
    Db()
    {
        cn.openFile(env.path(QStringLiteral("w.db")), true);
        cn.execute(QStringLiteral("create table staff (id integer primary key autoincrement, name text not null,"
                                  " amount real, note text)"));
        cn.execute(QStringLiteral("insert into staff(name, amount, note) values"
                                  "('张明',100,'a'),('李四',250.5,null),('王五',80,'c'),('赵六',300,'d')"));
        cn.execute(QStringLiteral("create table dept (code text primary key, title text)"));
        cn.execute(QStringLiteral("insert into dept values('D01','前台'),('D02','教练'),('D03','财务')"));
    }
    QVariant cell(const QString &sql) { return cn.query(sql).rows.value(0).value(0); }
    // Opens an updatable set, as the windows do.
    void open(Recordset &rs, const QString &sql = QStringLiteral("select * from staff order by id"))
    {
        rs.Open(sql, cn, Recordset::adOpenDynamic, Recordset::adLockOptimistic);
    }
};

bool showGrid(DataGrid &grid, Recordset *rs)
{
    grid.resize(500, 300);
    grid.setRecordset(rs);
    grid.show();
    return QTest::qWaitForWindowExposed(&grid);
}

QString shown(const QAbstractItemView &view, int row, int column)
{
    return view.model()->data(view.model()->index(row, column)).toString();
}

void clickCell(QTableView &view, int row, int column)
{
    const QRect r = view.visualRect(view.model()->index(row, column));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, r.center());
}

} // namespace

class TestBoundWidgets : public QObject {
    Q_OBJECT
private slots:
    void gridAndRecordsetKeepTheCurrentRowInStep();
    void gridLayoutAndCellButton();
    void gridEditsWriteThroughOnlyWhenAllowed();
    void gridHoldsAHundredThousandRows();
    void flexGridCells();
    void boundLineEditFollowsAndWrites();
    void dataComboListsAndBinds();
    void keyedToolBarDispatchesOnKeys();
};

void TestBoundWidgets::gridAndRecordsetKeepTheCurrentRowInStep()
{
    Db db;
    Recordset rs;
    db.open(rs);
    DataGrid grid;
    QVERIFY(showGrid(grid, &rs));
    QCOMPARE(grid.currentIndex().row(), 0);
    rs.MoveLast();
    QCOMPARE(grid.currentIndex().row(), 3);
    QVERIFY(grid.selectionModel()->isRowSelected(3, {}));
    clickCell(grid, 1, 2);  // a click on a row moves the recordset there
    QCOMPARE(rs.AbsolutePosition(), 2);
    QCOMPARE(shown(grid, 1, 3), QString());  // Null shows empty

    rs.AddNew();
    QCOMPARE(grid.model()->rowCount(), 5);
    QCOMPARE(grid.currentIndex().row(), 4);
    rs.CancelUpdate();
    QCOMPARE(grid.currentIndex().row(), 1);
    rs.Delete();
    QCOMPARE(grid.model()->rowCount(), 3);
    QVERIFY(!grid.selectionModel()->hasSelection());
    rs.MoveNext();
    QCOMPARE(shown(grid, grid.currentIndex().row(), 1), QStringLiteral("王五"));

    // A pending edit the database refuses keeps the recordset on its row; the grid stays there too.
    rs.setValue(QStringLiteral("name"), QVariant());
    QSignalSpy errors(&grid, &DataGrid::error);
    clickCell(grid, 0, 1);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().at(0).toInt(), DbError::ConstraintRefused);
    QCOMPARE(grid.currentIndex().row(), rs.currentRow());
    rs.CancelUpdate();

    // A window that replaces its recordset may drop the old one while widgets are still bound.
    auto *dropped = new Recordset;
    dropped->Open(QStringLiteral("select * from staff"), db.cn);
    grid.setRecordset(dropped);
    BoundLineEdit box;
    box.bind(dropped, QStringLiteral("name"));
    delete dropped;
    QCOMPARE(grid.model()->columnCount(), 0);
    QVERIFY(!box.recordset());
    grid.repaint();
    box.setText(QStringLiteral("x"));
}

void TestBoundWidgets::gridLayoutAndCellButton()
{
    Db db;
    Recordset rs;
    db.open(rs);
    DataGrid grid;
    QVERIFY(showGrid(grid, &rs));
    grid.setColumnButton(2, true);
    QSignalSpy clicks(&grid, &DataGrid::buttonClick);
    clickCell(grid, 1, 1);
    QVERIFY(grid.cellButtonRect(1, 2).isEmpty());  // only the current cell shows the button
    grid.setCurrentColumn(2);
    const QRect button = grid.cellButtonRect(1, 2);
    QVERIFY(!button.isEmpty());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, button.center());
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.first().at(0).toInt(), 2);
    QCOMPARE(rs.AbsolutePosition(), 2);

    grid.setColumnCaption(1, QStringLiteral("姓名"));
    grid.setColumnWidthTwips(0, 0);
    grid.setColumnWidthTwips(1, 1500);
    grid.setColumnVisible(3, false);
    rs.Requery();  // the same fields: the layout stays
    QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("姓名"));
    QVERIFY(grid.isColumnHidden(0) && grid.isColumnHidden(3));
    QCOMPARE(grid.columnWidthTwips(0), 0);
    QCOMPARE(grid.columnWidthTwips(1), 1500);

    // Designed columns name their fields, in any order; an unknown field shows nothing.
    grid.setBoundColumns({QStringLiteral("note"), QStringLiteral("NAME"), QStringLiteral("nosuch")},
                         {QStringLiteral("备注"), QStringLiteral("姓名")});
    QCOMPARE(grid.columnCount(), 3);
    QCOMPARE(grid.columnCaption(0), QStringLiteral("备注"));
    QCOMPARE(grid.columnCaption(2), QStringLiteral("nosuch"));
    QCOMPARE(QStringList({shown(grid, 2, 1), shown(grid, 0, 0), shown(grid, 0, 2)}), QStringList({"王五", "a", ""}));
    grid.setColumnField(2, QStringLiteral("amount"));
    QCOMPARE(shown(grid, 1, 2), QStringLiteral("250.5"));
}

void TestBoundWidgets::gridEditsWriteThroughOnlyWhenAllowed()
{
    Db db;
    Recordset rs;
    db.open(rs, QStringLiteral("select id, name, note from staff order by id"));
    DataGrid grid;
    QVERIFY(showGrid(grid, &rs));
    const QModelIndex note3 = grid.model()->index(2, 2);
    QVERIFY(!grid.model()->setData(note3, QStringLiteral("x")));  // the grid does not allow updates yet

    grid.setAllowUpdate(true);
    clickCell(grid, 2, 2);
    grid.edit(note3);
    auto *editor = grid.viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("cell"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the delegate commits the editor through a queued call
    QCOMPARE(db.cell(QStringLiteral("select group_concat(ifnull(note,'-'),',') from staff")).toString(),
             QStringLiteral("a,-,cell,d"));
    QCOMPARE(rs.EditMode(), int(Recordset::adEditNone));

    // A refused cell edit is reported (as a message when nobody listens) and changes nothing.
    QVERIFY(!grid.model()->setData(grid.model()->index(1, 1), QString()));
    QCOMPARE(db.env.messages.records.size(), 1);
    QCOMPARE(db.env.messages.records.first().flags, 48);
    QCOMPARE(db.cell(QStringLiteral("select name from staff where id=2")).toString(), QStringLiteral("李四"));

    Recordset readOnly;
    readOnly.Open(QStringLiteral("select * from staff"), db.cn);
    grid.setRecordset(&readOnly);
    QVERIFY(!(grid.model()->flags(grid.model()->index(0, 1)) & Qt::ItemIsEditable));
}

void TestBoundWidgets::gridHoldsAHundredThousandRows()
{
    Db db;
    db.cn.execute(QStringLiteral("create table big (id integer primary key autoincrement, n integer, name text)"));
    QCOMPARE(sqlite3_exec(db.cn.sqliteHandle(),
                          "with recursive c(x) as (select 1 union all select x+1 from c where x<100000) "
                          "insert into big(n, name) select x, 'name' || x from c",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    Recordset rs;
    db.open(rs, QStringLiteral("select * from big order by n"));
    DataGrid grid;
    QVERIFY(showGrid(grid, &rs));
    QCOMPARE(grid.model()->rowCount(), 100000);
    QCOMPARE(shown(grid, 99999, 2), QStringLiteral("name100000"));
    rs.MoveLast();
    QCOMPARE(grid.currentIndex().row(), 99999);
    QCoreApplication::processEvents();
    QVERIFY(grid.indexAt(QPoint(5, grid.viewport()->height() - 3)).row() > 99900);  // scrolled to it
    QVERIFY(grid.findChildren<QWidget *>().size() < 40);  // no widget per row or cell
    rs.MoveFirst();
    QVERIFY(rs.Find(QStringLiteral("name='name99999'")));
    QCOMPARE(grid.currentIndex().row(), 99998);
    rs.setAbsolutePosition(50000);
    rs.setValue(QStringLiteral("name"), QStringLiteral("中间"));
    rs.Update();
    QCOMPARE(db.cell(QStringLiteral("select n from big where name='中间'")).toInt(), 50000);
}

void TestBoundWidgets::flexGridCells()
{
    FlexGrid grid;
    grid.setCols(3);
    grid.setRows(3);
    grid.setTextMatrix(0, 0, QStringLiteral("姓名"));
    grid.setTextMatrix(2, 2, QStringLiteral("12.5"));
    grid.setTextMatrix(3, 0, QStringLiteral("outside"));  // ignored
    QCOMPARE(grid.TextMatrix(3, 0), QString());
    QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("姓名"));
    QCOMPARE(grid.model()->rowCount(), 2);  // the fixed row is the header
    QCOMPARE(shown(grid, 1, 2), QStringLiteral("12.5"));
    grid.setCols(5);  // growing keeps the texts
    grid.setRows(4);
    QCOMPARE(grid.TextMatrix(2, 2), QStringLiteral("12.5"));
    grid.setColWidth(1, 1200);
    QCOMPARE(grid.columnWidth(1), 80);
    grid.Clear();
    QCOMPARE(grid.TextMatrix(2, 2), QString());
    QCOMPARE(grid.Rows(), 4);

    QList<QStringList> table(20000, QStringList(43, QStringLiteral("0")));
    table[19999][42] = QStringLiteral("末");
    grid.setTable(table);
    QCOMPARE(QSize(grid.Cols(), grid.Rows()), QSize(43, 20000));
    QCOMPARE(grid.TextMatrix(19999, 42), QStringLiteral("末"));
    QCOMPARE(grid.ColWidth(1), 1200);  // widths survive a refill

    Db db;
    Recordset rs;
    rs.Open(QStringLiteral("select name, amount, note from staff order by id"), db.cn);
    rs.MoveLast();
    grid.fillFromRecordset(rs);
    QCOMPARE(QSize(grid.Cols(), grid.Rows()), QSize(3, 5));
    QCOMPARE(QStringList({grid.TextMatrix(0, 2), grid.TextMatrix(2, 1), grid.TextMatrix(2, 2)}),
             QStringList({"note", "250.5", ""}));
    QCOMPARE(rs.AbsolutePosition(), 4);
}

void TestBoundWidgets::boundLineEditFollowsAndWrites()
{
    Db db;
    Recordset rs;
    db.open(rs);
    BoundLineEdit name;
    BoundLineEdit note;
    name.bind(&rs, QStringLiteral("Name"));
    note.bind(&rs, QStringLiteral("note"));
    QCOMPARE(name.text(), QStringLiteral("张明"));
    rs.MoveNext();
    QCOMPARE(name.text(), QStringLiteral("李四"));
    QCOMPARE(note.text(), QString());  // Null
    QCOMPARE(rs.EditMode(), int(Recordset::adEditNone));  // showing a row starts no edit

    QTest::keyClicks(&note, QStringLiteral("memo"));
    QCOMPARE(rs.EditMode(), int(Recordset::adEditInProgress));
    rs.Update();
    QCOMPARE(db.cell(QStringLiteral("select note from staff where id=2")).toString(), QStringLiteral("memo"));

    rs.MoveLast();
    rs.MoveNext();
    QCOMPARE(name.text(), QString());  // EOF
    rs.AddNew();
    QCOMPARE(name.text(), QString());
    name.setText(QStringLiteral("新人"));  // a text set by the window goes to the new row as typing does
    note.setText(QString());
    rs.Update();
    QCOMPARE(db.cell(QStringLiteral("select count(*) from staff where name='新人' and note is null")).toInt(), 1);

    name.setMaxLength(1);  // cutting the display short is no edit
    QCOMPARE(name.text(), QStringLiteral("新"));
    QCOMPARE(rs.EditMode(), int(Recordset::adEditNone));
    note.setLocked(true);
    QTest::keyClicks(&note, QStringLiteral("zz"));
    QCOMPARE(note.text(), QString());
    QCOMPARE(rs.EditMode(), int(Recordset::adEditNone));

    Recordset readOnly;
    readOnly.Open(QStringLiteral("select * from staff order by id"), db.cn);
    BoundLineEdit other;
    other.bind(&readOnly, QStringLiteral("name"));
    QSignalSpy failed(&other, &BoundLineEdit::writeFailed);
    QTest::keyClicks(&other, QStringLiteral("x"));
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.first().at(0).toInt(), DbError::ProviderFailure);
    QCOMPARE(db.cell(QStringLiteral("select name from staff where id=1")).toString(), QStringLiteral("张明"));
}

void TestBoundWidgets::dataComboListsAndBinds()
{
    Db db;
    Recordset depts;
    depts.Open(QStringLiteral("select * from dept order by code"), db.cn);
    DataCombo combo;
    combo.setRowSource(&depts, QStringLiteral("title"), QStringLiteral("code"));
    combo.setText(QStringLiteral("教练"));
    QCOMPARE(combo.boundText(), QStringLiteral("D02"));
    QCOMPARE(combo.matchedRow(), 1);
    combo.setText(QStringLiteral("其他"));  // typing allowed: the text itself
    QCOMPARE(combo.boundText(), QStringLiteral("其他"));
    QCOMPARE(combo.matchedRow(), -1);
    combo.setBoundText(QStringLiteral("D03"));
    QCOMPARE(combo.text(), QStringLiteral("财务"));

    db.cn.execute(QStringLiteral("insert into dept values('D00','经理')"));
    depts.Requery();  // the list follows the recordset and keeps the text
    QCOMPARE(combo.count(), 4);
    QCOMPARE(combo.itemText(0), QStringLiteral("经理"));
    QCOMPARE(combo.boundText(), QStringLiteral("D03"));

    combo.setStyle(DataCombo::dbcDropdownList);
    QVERIFY(!combo.isEditable());
    QCOMPARE(combo.text(), QStringLiteral("财务"));
    combo.setText(QStringLiteral("不在列表"));
    QCOMPARE(combo.text(), QString());
    QCOMPARE(combo.boundText(), QString());

    Recordset editable;
    db.open(editable, QStringLiteral("select * from dept order by code"));
    DataCombo plain;  // no bound column: the list field is bound
    plain.setRowSource(&editable, QStringLiteral("code"));
    plain.setText(QStringLiteral("D01"));
    QCOMPARE(plain.boundText(), QStringLiteral("D01"));
    editable.AddNew();  // a pending new row is not an entry yet
    QCOMPARE(plain.count(), 4);
    editable.setValue(QStringLiteral("code"), QStringLiteral("D09"));
    editable.Update();
    QCOMPARE(plain.count(), 5);
    QCOMPARE(plain.itemText(4), QStringLiteral("D09"));
    QCOMPARE(plain.text(), QStringLiteral("D01"));
}

void TestBoundWidgets::keyedToolBarDispatchesOnKeys()
{
    KeyedToolBar bar;
    bar.addButton(QStringLiteral("Edit"), QStringLiteral("修改"));
    bar.addButton(QStringLiteral("save"), QStringLiteral("保存"));
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QCOMPARE(bar.button(QStringLiteral("edit")), bar.button(QStringLiteral("Edit")));
    QVERIFY(!bar.button(QStringLiteral("delete")));
    QSignalSpy clicked(&bar, &KeyedToolBar::buttonClicked);
    QTest::mouseClick(bar.toolButton(QStringLiteral("save")), Qt::LeftButton);
    bar.setButtonEnabled(QStringLiteral("save"), false);
    QTest::mouseClick(bar.toolButton(QStringLiteral("save")), Qt::LeftButton);
    QTest::mouseClick(bar.toolButton(QStringLiteral("Edit")), Qt::LeftButton);
    QCOMPARE(clicked.count(), 2);
    QCOMPARE(QStringList({clicked.first().at(0).toString(), clicked.last().at(0).toString()}), QStringList({"save", "Edit"}));
}

QTEST_MAIN(TestBoundWidgets)
#include "tst_bound_widgets.moc"
