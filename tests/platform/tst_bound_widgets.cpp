// Tests of the data-bound widgets: DataGrid, FlexGrid, BoundLineEdit, DataCombo and KeyedToolBar.
#include "platform/ui/bound_line_edit.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/flex_grid.h"
#include "platform/ui/keyed_toolbar.h"
#include "support/test_env.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
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
};

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
    void gridColumnsCaptionsAndWidths();
    void gridEditsWriteThroughOnlyWhenAllowed();
    void gridCellButton();
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
    rs.Open(QStringLiteral("select * from staff order by id"), db.cn, Recordset::adOpenDynamic,
            Recordset::adLockOptimistic);
    DataGrid grid;
    grid.resize(500, 300);
    grid.setRecordset(&rs);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCOMPARE(grid.model()->rowCount(), 4);
    QCOMPARE(grid.columnCount(), 4);
    QCOMPARE(grid.columnCaption(1).toLower(), QStringLiteral("name"));
    QCOMPARE(grid.currentIndex().row(), 0);

    rs.MoveLast();
    QCOMPARE(grid.currentIndex().row(), 3);
    QVERIFY(grid.selectionModel()->isRowSelected(3, {}));
    clickCell(grid, 1, 2);  // a click on a row moves the recordset there
    QCOMPARE(rs.AbsolutePosition(), 2);
    QCOMPARE(grid.model()->data(grid.model()->index(1, 3)).toString(), QString());  // Null shows empty

    rs.AddNew();
    QCOMPARE(grid.model()->rowCount(), 5);
    QCOMPARE(grid.currentIndex().row(), 4);
    rs.CancelUpdate();
    QCOMPARE(grid.model()->rowCount(), 4);
    QCOMPARE(grid.currentIndex().row(), 1);

    rs.Delete();
    QCOMPARE(grid.model()->rowCount(), 3);
    QVERIFY(!grid.selectionModel()->hasSelection());
    rs.MoveNext();
    QCOMPARE(grid.model()->data(grid.model()->index(grid.currentIndex().row(), 1)).toString(), QStringLiteral("王五"));

    // A pending edit the database refuses keeps the recordset on its row; the grid stays there too.
    rs.setValue(QStringLiteral("name"), QVariant());
    QSignalSpy errors(&grid, &DataGrid::error);
    clickCell(grid, 0, 1);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().at(0).toInt(), DbError::ConstraintRefused);
    QCOMPARE(grid.currentIndex().row(), rs.currentRow());
    rs.CancelUpdate();

    grid.setRecordset(nullptr);
    QCOMPARE(grid.model()->rowCount(), 0);
    QCOMPARE(grid.model()->columnCount(), 0);

    // A window that replaces its recordset may drop the old one while widgets are still bound.
    auto *dropped = new Recordset;
    dropped->Open(QStringLiteral("select * from staff"), db.cn);
    grid.setRecordset(dropped);
    BoundLineEdit box;
    box.bind(dropped, QStringLiteral("name"));
    delete dropped;
    QCOMPARE(grid.model()->rowCount(), 0);
    QVERIFY(!box.recordset());
    grid.repaint();
    box.setText(QStringLiteral("x"));
}

void TestBoundWidgets::gridColumnsCaptionsAndWidths()
{
    Db db;
    Recordset rs;
    rs.Open(QStringLiteral("select * from staff order by id"), db.cn, Recordset::adOpenDynamic,
            Recordset::adLockOptimistic);
    DataGrid grid;
    grid.setRecordset(&rs);
    grid.setColumnCaption(1, QStringLiteral("姓名"));
    grid.setColumnWidthTwips(0, 0);
    grid.setColumnWidthTwips(1, 1500);
    grid.setColumnVisible(3, false);
    QVERIFY(grid.isColumnHidden(0));
    QCOMPARE(grid.columnWidth(1), 100);
    QCOMPARE(grid.columnWidthTwips(1), 1500);
    QCOMPARE(grid.columnWidthTwips(0), 0);
    rs.Requery();  // the same fields: the layout stays
    QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("姓名"));
    QVERIFY(grid.isColumnHidden(0));
    QVERIFY(grid.isColumnHidden(3));
    QCOMPARE(grid.columnWidthTwips(1), 1500);

    // Designed columns name their fields, in any order; an unknown field shows nothing.
    grid.setBoundColumns({QStringLiteral("note"), QStringLiteral("NAME"), QStringLiteral("nosuch")},
                         {QStringLiteral("备注"), QStringLiteral("姓名")});
    QCOMPARE(grid.columnCount(), 3);
    QCOMPARE(grid.columnCaption(0), QStringLiteral("备注"));
    QCOMPARE(grid.columnCaption(2), QStringLiteral("nosuch"));
    QCOMPARE(grid.model()->data(grid.model()->index(2, 1)).toString(), QStringLiteral("王五"));
    QCOMPARE(grid.model()->data(grid.model()->index(0, 0)).toString(), QStringLiteral("a"));
    QVERIFY(grid.model()->data(grid.model()->index(0, 2)).toString().isEmpty());
    grid.setColumnField(2, QStringLiteral("amount"));
    QCOMPARE(grid.model()->data(grid.model()->index(1, 2)).toString(), QStringLiteral("250.5"));
}

void TestBoundWidgets::gridEditsWriteThroughOnlyWhenAllowed()
{
    Db db;
    Recordset rs;
    rs.Open(QStringLiteral("select id, name, note from staff order by id"), db.cn, Recordset::adOpenDynamic,
            Recordset::adLockOptimistic);
    DataGrid grid;
    grid.resize(500, 300);
    grid.setRecordset(&rs);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    const QModelIndex note3 = grid.model()->index(2, 2);
    QVERIFY(!(grid.model()->flags(note3) & Qt::ItemIsEditable));
    QVERIFY(!grid.model()->setData(note3, QStringLiteral("x")));

    grid.setAllowUpdate(true);
    clickCell(grid, 2, 2);
    grid.edit(note3);
    auto *editor = grid.viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("cell"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the delegate commits the editor through a queued call
    QCOMPARE(db.cell(QStringLiteral("select note from staff where id=3")).toString(), QStringLiteral("cell"));
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

void TestBoundWidgets::gridCellButton()
{
    Db db;
    Recordset rs;
    rs.Open(QStringLiteral("select * from staff order by id"), db.cn, Recordset::adOpenDynamic,
            Recordset::adLockOptimistic);
    DataGrid grid;
    grid.resize(500, 300);
    grid.setRecordset(&rs);
    grid.setColumnButton(2, true);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy clicks(&grid, &DataGrid::buttonClick);
    clickCell(grid, 1, 1);
    QVERIFY(grid.cellButtonRect(1, 1).isEmpty());
    QVERIFY(grid.cellButtonRect(1, 2).isEmpty());  // only the current cell shows the button
    grid.setCurrentColumn(2);
    QCOMPARE(grid.currentColumn(), 2);
    const QRect button = grid.cellButtonRect(1, 2);
    QVERIFY(!button.isEmpty());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, button.center());
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.first().at(0).toInt(), 2);
    QCOMPARE(rs.AbsolutePosition(), 2);
    QVERIFY(grid.columnLeftTwips(2) > grid.columnLeftTwips(1));
    QCOMPARE(grid.rowHeightTwips() % 15, 0);
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
    rs.Open(QStringLiteral("select * from big order by n"), db.cn, Recordset::adOpenDynamic,
            Recordset::adLockOptimistic);
    DataGrid grid;
    grid.resize(600, 400);
    grid.setRecordset(&rs);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCOMPARE(grid.model()->rowCount(), 100000);
    QCOMPARE(grid.model()->data(grid.model()->index(99999, 2)).toString(), QStringLiteral("name100000"));
    grid.scrollToBottom();
    QCoreApplication::processEvents();
    const QModelIndex bottom = grid.indexAt(QPoint(5, grid.viewport()->height() - 3));
    QVERIFY(bottom.row() > 99900);
    rs.MoveLast();
    QCOMPARE(grid.currentIndex().row(), 99999);
    QVERIFY(grid.findChildren<QWidget *>().size() < 40);  // no widget per row or cell
}

void TestBoundWidgets::flexGridCells()
{
    FlexGrid grid;
    grid.setCols(3);
    grid.setRows(3);
    grid.setTextMatrix(0, 0, QStringLiteral("姓名"));
    grid.setTextMatrix(2, 2, QStringLiteral("12.5"));
    grid.setTextMatrix(3, 0, QStringLiteral("outside"));  // ignored
    QCOMPARE(grid.TextMatrix(2, 2), QStringLiteral("12.5"));
    QCOMPARE(grid.TextMatrix(3, 0), QString());
    QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("姓名"));
    QCOMPARE(grid.model()->rowCount(), 2);  // the fixed row is the header
    QCOMPARE(grid.model()->data(grid.model()->index(1, 2)).toString(), QStringLiteral("12.5"));
    grid.setCols(5);  // growing keeps the texts
    QCOMPARE(grid.TextMatrix(2, 2), QStringLiteral("12.5"));
    grid.setRows(grid.Rows() + 1);
    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.ColWidth(1), -1);
    grid.setColWidth(1, 1200);
    QCOMPARE(grid.ColWidth(1), 1200);
    QCOMPARE(grid.columnWidth(1), 80);
    grid.Clear();
    QCOMPARE(grid.TextMatrix(2, 2), QString());
    QCOMPARE(grid.Rows(), 4);

    QList<QStringList> table;
    for (int r = 0; r < 20000; ++r) {
        QStringList line;
        for (int c = 0; c < 43; ++c)
            line << QString::number(r * 43 + c);
        table << line;
    }
    grid.setTable(table);
    QCOMPARE(grid.Rows(), 20000);
    QCOMPARE(grid.Cols(), 43);
    QCOMPARE(grid.TextMatrix(19999, 42), QString::number(19999 * 43 + 42));
    QCOMPARE(grid.ColWidth(1), 1200);  // widths survive a refill
    for (int r = 1; r < 20000; ++r)
        grid.setTextMatrix(r, 0, QStringLiteral("x"));
    QCOMPARE(grid.model()->data(grid.model()->index(19998, 0)).toString(), QStringLiteral("x"));

    Db db;
    Recordset rs;
    rs.Open(QStringLiteral("select name, amount, note from staff order by id"), db.cn);
    rs.MoveLast();
    grid.fillFromRecordset(rs);
    QCOMPARE(grid.Rows(), 5);
    QCOMPARE(grid.Cols(), 3);
    QCOMPARE(grid.TextMatrix(0, 2), QStringLiteral("note"));
    QCOMPARE(grid.TextMatrix(2, 1), QStringLiteral("250.5"));
    QCOMPARE(grid.TextMatrix(2, 2), QString());
    QCOMPARE(rs.AbsolutePosition(), 4);
}

void TestBoundWidgets::boundLineEditFollowsAndWrites()
{
    Db db;
    Recordset rs;
    rs.Open(QStringLiteral("select * from staff order by id"), db.cn, Recordset::adOpenDynamic,
            Recordset::adLockOptimistic);
    BoundLineEdit name;
    BoundLineEdit note;
    name.bind(&rs, QStringLiteral("Name"));
    note.bind(&rs, QStringLiteral("note"));
    QCOMPARE(name.text(), QStringLiteral("张明"));
    rs.MoveNext();
    QCOMPARE(name.text(), QStringLiteral("李四"));
    QCOMPARE(note.text(), QString());  // Null
    QCOMPARE(rs.EditMode(), int(Recordset::adEditNone));  // showing a row starts no edit

    note.setFocus();
    QTest::keyClicks(&note, QStringLiteral("memo"));
    QCOMPARE(rs.EditMode(), int(Recordset::adEditInProgress));
    QCOMPARE(rs.value(QStringLiteral("note")).toString(), QStringLiteral("memo"));
    QCOMPARE(note.text(), QStringLiteral("memo"));
    rs.Update();
    QCOMPARE(db.cell(QStringLiteral("select note from staff where id=2")).toString(), QStringLiteral("memo"));

    rs.MoveLast();
    rs.MoveNext();
    QCOMPARE(name.text(), QString());  // EOF
    rs.MoveFirst();
    rs.AddNew();
    QCOMPARE(name.text(), QString());
    name.setText(QStringLiteral("新人"));  // a text set by the window goes to the new row as typing does
    note.setText(QString());
    rs.Update();
    QCOMPARE(db.cell(QStringLiteral("select count(*) from staff where name='新人' and note is null")).toInt(), 1);

    name.setMaxLength(1);  // cutting the display short is no edit
    QCOMPARE(name.text(), QStringLiteral("新"));
    QCOMPARE(rs.EditMode(), int(Recordset::adEditNone));
    name.setMaxLength(32767);
    name.refresh();
    name.setLocked(true);
    QVERIFY(name.isLocked());
    QTest::keyClicks(&name, QStringLiteral("zz"));
    QCOMPARE(name.text(), QStringLiteral("新人"));
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
    QCOMPARE(combo.count(), 3);
    QCOMPARE(combo.itemText(2), QStringLiteral("财务"));
    combo.setText(QStringLiteral("教练"));
    QCOMPARE(combo.text(), QStringLiteral("教练"));
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
    QCOMPARE(combo.text(), QStringLiteral("财务"));
    QCOMPARE(combo.boundText(), QStringLiteral("D03"));

    combo.setStyle(DataCombo::dbcDropdownList);
    QVERIFY(!combo.isEditable());
    QCOMPARE(combo.text(), QStringLiteral("财务"));
    combo.setText(QStringLiteral("不在列表"));
    QCOMPARE(combo.text(), QString());
    QCOMPARE(combo.boundText(), QString());

    Recordset editable;
    editable.Open(QStringLiteral("select * from dept order by code"), db.cn, Recordset::adOpenDynamic,
                  Recordset::adLockOptimistic);
    DataCombo plain;  // no bound column: the list field is bound
    plain.setRowSource(&editable, QStringLiteral("code"));
    plain.setText(QStringLiteral("D01"));
    QCOMPARE(plain.boundText(), QStringLiteral("D01"));
    editable.AddNew();  // a pending new row is not an entry yet
    QCOMPARE(plain.count(), 4);
    QCOMPARE(plain.findText(QStringLiteral("D03")), 3);
    editable.setValue(QStringLiteral("code"), QStringLiteral("D09"));
    editable.Update();
    QCOMPARE(plain.count(), 5);
    QCOMPARE(plain.itemText(4), QStringLiteral("D09"));
    QCOMPARE(plain.text(), QStringLiteral("D01"));
}

void TestBoundWidgets::keyedToolBarDispatchesOnKeys()
{
    KeyedToolBar bar;
    const QStringList keys = {QStringLiteral("new"), QStringLiteral("Edit"), QStringLiteral("save"),
                              QStringLiteral("exit")};
    const QStringList captions = {QStringLiteral("新增"), QStringLiteral("修改"), QStringLiteral("保存"),
                                  QStringLiteral("退出")};
    for (int i = 0; i < keys.size(); ++i)
        bar.addButton(keys.at(i), captions.at(i));
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QCOMPARE(bar.keys(), keys);
    auto *save = bar.findChild<QToolButton *>(QStringLiteral("save"));
    QVERIFY(save);
    QCOMPARE(save->accessibleName(), QStringLiteral("保存"));
    QCOMPARE(bar.toolButton(QStringLiteral("save")), save);
    QCOMPARE(bar.button(QStringLiteral("edit")), bar.button(QStringLiteral("Edit")));
    QVERIFY(!bar.button(QStringLiteral("delete")));

    QSignalSpy clicked(&bar, &KeyedToolBar::buttonClicked);
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.first().at(0).toString(), QStringLiteral("save"));
    bar.setButtonEnabled(QStringLiteral("save"), false);
    QVERIFY(!bar.isButtonEnabled(QStringLiteral("save")));
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QTest::mouseClick(bar.toolButton(QStringLiteral("Edit")), Qt::LeftButton);
    QCOMPARE(clicked.last().at(0).toString(), QStringLiteral("Edit"));
}

QTEST_MAIN(TestBoundWidgets)
#include "tst_bound_widgets.moc"
