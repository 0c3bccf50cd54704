// Tests of the data-bound widgets: DataGrid, FlexGrid, BoundLineEdit, DataCombo and KeyedToolBar.
#include "platform/ui/bound_line_edit.h"
#include "platform/ui/data_combo.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/design_layout.h"
#include "platform/ui/flex_grid.h"
#include "platform/ui/keyed_toolbar.h"
#include "support/test_env.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QAbstractButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

struct Db {
    TestEnv env;
    Connection cn;
    Db()
    {
        cn.openFile(env.path(u"w.db"_s), true);
        cn.execute(u"create table staff (id integer primary key autoincrement, name text not null, amount real, note text)"_s);
        cn.execute(u"insert into staff(name, amount, note) values"
                   " ('张明',100,'a'),('李四',250.5,null),('王五',80,'c'),('赵六',300,'d')"_s);
        cn.execute(u"create table dept (code text primary key, title text)"_s);
        cn.execute(u"insert into dept values('D01','前台'),('D02','教练'),('D03','财务')"_s);
    }
    QVariant cell(const QString &sql) { return cn.query(sql).rows.value(0).value(0); }
    // Opens an updatable set, as the windows do.
    void open(Recordset &rs, const QString &sql = u"select * from staff order by id"_s)
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
    void gridFollowsTheRecordsetKeepsItsLayoutSortsAndHoldsManyRows();
    void flexGridCells();
    void boundLineEditAndDataComboFollowTheRecordset();
    void keyedToolBarDispatchesOnKeys();
    void messageBoxWithButtonsOfItsOwn();
    void designLayoutGrowsFromTheDesign();
};

void TestBoundWidgets::gridFollowsTheRecordsetKeepsItsLayoutSortsAndHoldsManyRows()
{
    Db db;
    Recordset rs;
    db.open(rs);
    DataGrid grid;
    QVERIFY(showGrid(grid, &rs));
    QCOMPARE(grid.currentIndex().row(), 0);
    rs.MoveLast();
    QVERIFY(grid.currentIndex().row() == 3 && grid.selectionModel()->isRowSelected(3, {}));
    clickCell(grid, 1, 2);  // a click on a row moves the recordset there
    QCOMPARE(rs.AbsolutePosition(), 2);
    QCOMPARE(shown(grid, 1, 3), QString());  // Null shows empty

    rs.AddNew();
    QVERIFY(grid.model()->rowCount() == 5 && grid.currentIndex().row() == 4);
    rs.CancelUpdate();
    QCOMPARE(grid.currentIndex().row(), 1);
    rs.Delete();
    QVERIFY(grid.model()->rowCount() == 3 && !grid.selectionModel()->hasSelection());
    rs.MoveNext();
    QCOMPARE(shown(grid, grid.currentIndex().row(), 1), u"王五"_s);

    // A pending edit the database refuses keeps the recordset on its row; the grid stays there too.
    rs.setValue(u"name"_s, QVariant());
    QSignalSpy errors(&grid, &DataGrid::error);
    clickCell(grid, 0, 1);
    QVERIFY(errors.count() == 1 && errors.first().at(0).toInt() == DbError::ConstraintRefused);
    QCOMPARE(grid.currentIndex().row(), rs.currentRow());
    rs.CancelUpdate();

    // The cell button shows on the current cell only and reports its column.
    grid.setColumnButton(2, true);
    QSignalSpy clicks(&grid, &DataGrid::buttonClick);
    clickCell(grid, 1, 1);
    QVERIFY(grid.cellButtonRect(1, 2).isEmpty());
    grid.setCurrentColumn(2);
    QVERIFY(!grid.cellButtonRect(1, 2).isEmpty());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.cellButtonRect(1, 2).center());
    QVERIFY(clicks.count() == 1 && clicks.first().at(0).toInt() == 2 && rs.AbsolutePosition() == 2);

    // Captions, widths and hidden columns survive a requery of the same fields.
    grid.setColumnCaption(1, u"姓名"_s);
    grid.setColumnWidthTwips(0, 0);
    grid.setColumnWidthTwips(1, 1500);
    grid.setColumnVisible(3, false);
    rs.Requery();
    QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), u"姓名"_s);
    QVERIFY(grid.isColumnHidden(0) && grid.isColumnHidden(3) && grid.columnWidthTwips(1) == 1500);

    // Designed columns name their fields, in any order; an unknown field shows nothing.
    grid.setBoundColumns({u"note"_s, u"NAME"_s, u"nosuch"_s}, {u"备注"_s, u"姓名"_s});
    QVERIFY(grid.columnCount() == 3 && grid.columnCaption(0) == u"备注"_s && grid.columnCaption(2) == u"nosuch"_s);
    QCOMPARE(QStringList({shown(grid, 1, 1), shown(grid, 0, 0), shown(grid, 0, 2)}), QStringList({"王五", "a", ""}));
    grid.setColumnField(2, u"amount"_s);
    QCOMPARE(shown(grid, 1, 2), u"80"_s);

    // A window that replaces its recordset may drop the old one while widgets are still bound.
    auto *dropped = new Recordset;
    dropped->Open(u"select * from staff"_s, db.cn);
    grid.setRecordset(dropped);
    BoundLineEdit box;
    box.bind(dropped, u"name"_s);
    delete dropped;
    QVERIFY(grid.model()->columnCount() == 0 && !box.recordset());
    grid.repaint();
    box.setText(u"x"_s);

    // A header click orders the rows by that column (numbers by value, Null first), a second click the
    // other way round; the current row stays current, cell edits (once allowed) reach the row shown, and
    // a requery shows the rows as queried again.
    db.cn.execute(u"insert into staff(name, amount) values ('钱七', null), ('孙八', 0.5), ('周九', -12.5), ('吴十', 0.25)"_s);
    Recordset sortedSet;
    db.open(sortedSet);
    DataGrid sorted;
    sorted.setSortable(true);
    QVERIFY(showGrid(sorted, &sortedSet));
    sortedSet.setAbsolutePosition(2);  // 王五
    const auto column = [&sorted](int c) {
        QStringList out;
        for (int r = 0; r < sorted.model()->rowCount(); ++r)
            out << shown(sorted, r, c);
        return out;
    };
    const auto clickHeader = [&sorted](int c) {
        QHeaderView *h = sorted.horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(c) + 5, h->height() / 2));
    };
    clickHeader(2);
    QCOMPARE(column(2), (QStringList{u""_s, u"-12.5"_s, u"0.25"_s, u"0.5"_s, u"80"_s, u"100"_s, u"300"_s}));
    QCOMPARE(sortedSet.value(u"name"_s).toString(), u"王五"_s);
    QCOMPARE(sorted.currentIndex().row(), sortedSet.currentRow());
    QCOMPARE(sorted.horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    clickHeader(2);
    QCOMPARE(column(2).first(), u"300"_s);
    QCOMPARE(sorted.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);

    const QModelIndex topNote = sorted.model()->index(0, 3);
    QVERIFY(!sorted.model()->setData(topNote, u"x"_s));  // the sorted does not allow updates yet
    sorted.setAllowUpdate(true);
    clickCell(sorted, 0, 3);
    sorted.edit(topNote);
    auto *editor = sorted.viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, u"top"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // the delegate commits the editor through a queued call
    QCOMPARE(db.cell(u"select group_concat(name,',') from staff where note = 'top'"_s).toString(), u"赵六"_s);
    QCOMPARE(sortedSet.EditMode(), int(Recordset::adEditNone));
    // A refused cell edit is reported (as a message when nobody listens) and changes nothing.
    QVERIFY(!sorted.model()->setData(sorted.model()->index(1, 1), QString()));  // 张明, second by amount
    QVERIFY(db.env.messages.records.size() == 1 && db.env.messages.records.first().flags == 48);
    QCOMPARE(db.cell(u"select name from staff where id=1"_s).toString(), u"张明"_s);

    sortedSet.Requery();
    QCOMPARE(column(1).first(), u"张明"_s);
    QCOMPARE(sorted.horizontalHeader()->sortIndicatorSection(), -1);
    Recordset readOnly;
    readOnly.Open(u"select * from staff"_s, db.cn);
    sorted.setRecordset(&readOnly);
    QVERIFY(!(sorted.model()->flags(sorted.model()->index(0, 1)) & Qt::ItemIsEditable));

    // A hundred thousand rows: no widget per row or cell, the last one shown on request, any one written.
    db.cn.execute(u"create table big (id integer primary key autoincrement, n integer, name text)"_s);
    QCOMPARE(sqlite3_exec(db.cn.sqliteHandle(), "with recursive c(x) as (select 1 union all select x+1 from c where x<100000)"
                          " insert into big(n, name) select x, 'name' || x from c", nullptr, nullptr, nullptr), SQLITE_OK);
    Recordset bigSet;
    db.open(bigSet, u"select * from big order by n"_s);
    DataGrid bigGrid;
    QVERIFY(showGrid(bigGrid, &bigSet));
    QVERIFY(bigGrid.model()->rowCount() == 100000 && shown(bigGrid, 99999, 2) == u"name100000"_s);
    bigSet.MoveLast();
    QCOMPARE(bigGrid.currentIndex().row(), 99999);
    QCoreApplication::processEvents();
    QVERIFY(bigGrid.indexAt(QPoint(5, bigGrid.viewport()->height() - 3)).row() > 99900);  // scrolled to it
    QVERIFY(bigGrid.findChildren<QWidget *>().size() < 40);  // no widget per row or cell
    bigSet.setAbsolutePosition(50000);
    bigSet.setValue(u"name"_s, u"中间"_s);
    bigSet.Update();
    QCOMPARE(db.cell(u"select n from big where name='中间'"_s).toInt(), 50000);
}

void TestBoundWidgets::flexGridCells()
{
    FlexGrid grid;
    grid.setCols(3);
    grid.setRows(3);
    grid.setTextMatrix(0, 0, u"姓名"_s);
    grid.setTextMatrix(2, 2, u"12.5"_s);
    grid.setTextMatrix(3, 0, u"outside"_s);  // ignored
    QCOMPARE(grid.TextMatrix(3, 0), QString());
    QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), u"姓名"_s);
    QVERIFY(grid.model()->rowCount() == 2 && shown(grid, 1, 2) == u"12.5"_s);  // the fixed row is the header
    grid.setCols(5);  // growing keeps the texts
    grid.setRows(4);
    QCOMPARE(grid.TextMatrix(2, 2), u"12.5"_s);
    grid.setColWidth(1, 1200);
    QCOMPARE(grid.columnWidth(1), 80);
    grid.Clear();
    QVERIFY(grid.TextMatrix(2, 2).isEmpty() && grid.Rows() == 4);

    // A table someone holds (a preview, a workbook being written) is not changed by later writes.
    grid.setTextMatrix(1, 1, u"001"_s);
    const std::shared_ptr<const CellTable> held = grid.cells();
    grid.setTextMatrix(1, 1, u"改"_s);
    QVERIFY(held->text(1, 1) == u"001"_s && grid.TextMatrix(1, 1) == u"改"_s);

    QList<QStringList> table(20000, QStringList(43, u"0"_s));
    table[19999][42] = u"末"_s;
    grid.setTable(table);
    QCOMPARE(QSize(grid.Cols(), grid.Rows()), QSize(43, 20000));
    QVERIFY(grid.TextMatrix(19999, 42) == u"末"_s && grid.ColWidth(1) == 1200);  // widths survive a refill

    Db db;
    Recordset rs;
    rs.Open(u"select name, amount, note from staff order by id"_s, db.cn);
    rs.MoveLast();
    grid.fillFromRecordset(rs);
    QCOMPARE(QSize(grid.Cols(), grid.Rows()), QSize(3, 5));
    QCOMPARE(QStringList({grid.TextMatrix(0, 2), grid.TextMatrix(2, 1), grid.TextMatrix(2, 2)}), QStringList({"note", "250.5", ""}));
    QCOMPARE(rs.AbsolutePosition(), 4);

    // Numbers to the right, texts to the left, whatever a text reads: in both grids.
    db.cn.execute(u"update staff set note='200504' where id=1"_s);
    rs.Requery();
    grid.fillFromRecordset(rs);
    DataGrid bound;
    bound.setRecordset(&rs);
    auto side = [](const QAbstractItemView &view, int row, int column) {
        return view.model()->index(row, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
    };
    for (const QAbstractItemView *view : {static_cast<QAbstractItemView *>(&grid), static_cast<QAbstractItemView *>(&bound)}) {
        QVERIFY(side(*view, 0, 1) == Qt::AlignRight && side(*view, 0, 0) == Qt::AlignLeft);
        QCOMPARE(side(*view, 0, 2), Qt::AlignLeft);  // "200504" in a text column
    }
    FlexGrid typed;
    typed.setTable({{u"a"_s, u"b"_s}, {u"12.5"_s, u"007"_s}});  // only texts to go by: as a spreadsheet reads them
    QVERIFY(side(typed, 0, 0) == Qt::AlignRight && side(typed, 0, 1) == Qt::AlignLeft);
}

void TestBoundWidgets::boundLineEditAndDataComboFollowTheRecordset()
{
    Db db;
    Recordset rs;
    db.open(rs);
    BoundLineEdit name;
    BoundLineEdit note;
    name.bind(&rs, u"Name"_s);
    note.bind(&rs, u"note"_s);
    QCOMPARE(name.text(), u"张明"_s);
    rs.MoveNext();
    QVERIFY(name.text() == u"李四"_s && note.text().isEmpty());  // Null shows empty
    QCOMPARE(rs.EditMode(), int(Recordset::adEditNone));  // showing a row starts no edit

    QTest::keyClicks(&note, u"memo"_s);
    QCOMPARE(rs.EditMode(), int(Recordset::adEditInProgress));
    rs.Update();
    QCOMPARE(db.cell(u"select note from staff where id=2"_s).toString(), u"memo"_s);

    rs.MoveLast();
    rs.MoveNext();
    QCOMPARE(name.text(), QString());  // EOF
    rs.AddNew();
    QCOMPARE(name.text(), QString());
    name.setText(u"新人"_s);  // a text set by the window goes to the new row as typing does
    note.setText(QString());
    rs.Update();
    QCOMPARE(db.cell(u"select count(*) from staff where name='新人' and note is null"_s).toInt(), 1);

    name.setMaxLength(1);  // cutting the display short is no edit
    QVERIFY(name.text() == u"新"_s && rs.EditMode() == Recordset::adEditNone);
    note.setLocked(true);
    QTest::keyClicks(&note, u"zz"_s);
    QVERIFY(note.text().isEmpty() && rs.EditMode() == Recordset::adEditNone);

    Recordset readOnly;
    readOnly.Open(u"select * from staff order by id"_s, db.cn);
    BoundLineEdit other;
    other.bind(&readOnly, u"name"_s);
    QSignalSpy failed(&other, &BoundLineEdit::writeFailed);
    QTest::keyClicks(&other, u"x"_s);
    QVERIFY(failed.count() == 1 && failed.first().at(0).toInt() == DbError::ProviderFailure);
    QCOMPARE(db.cell(u"select name from staff where id=1"_s).toString(), u"张明"_s);

    // DataCombo: the list from one field, the bound text from another.
    Recordset depts;
    depts.Open(u"select * from dept order by code"_s, db.cn);
    DataCombo combo;
    combo.setRowSource(&depts, u"title"_s, u"code"_s);
    combo.setText(u"教练"_s);
    QCOMPARE(combo.boundText(), u"D02"_s);
    combo.setText(u"其他"_s);  // typing allowed: the text itself
    QVERIFY(combo.boundText() == u"其他"_s && combo.matchedRow() == -1);
    combo.setBoundText(u"D03"_s);
    QCOMPARE(combo.text(), u"财务"_s);

    db.cn.execute(u"insert into dept values('D00','经理')"_s);
    depts.Requery();  // the list follows the recordset and keeps the text
    QVERIFY(combo.count() == 4 && combo.itemText(0) == u"经理"_s && combo.boundText() == u"D03"_s);

    combo.setStyle(DataCombo::dbcDropdownList);
    QCOMPARE(combo.text(), u"财务"_s);
    combo.setText(u"不在列表"_s);
    QVERIFY(combo.text().isEmpty() && combo.boundText().isEmpty());

    Recordset editable;
    db.open(editable, u"select * from dept order by code"_s);
    DataCombo plain;  // no bound column: the list field is bound
    plain.setRowSource(&editable, u"code"_s);
    plain.setText(u"D01"_s);
    QCOMPARE(plain.boundText(), u"D01"_s);
    editable.AddNew();  // a pending new row is not an entry yet
    QCOMPARE(plain.count(), 4);
    editable.setValue(u"code"_s, u"D09"_s);
    editable.Update();
    QVERIFY(plain.count() == 5 && plain.itemText(4) == u"D09"_s && plain.text() == u"D01"_s);
}

void TestBoundWidgets::keyedToolBarDispatchesOnKeys()
{
    KeyedToolBar bar;
    bar.addButton(u"Edit"_s, u"修改"_s);
    bar.addButton(u"save"_s, u"保存"_s);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QVERIFY(bar.button(u"edit"_s) == bar.button(u"Edit"_s) && !bar.button(u"delete"_s));
    QSignalSpy clicked(&bar, &KeyedToolBar::buttonClicked);
    QTest::mouseClick(bar.toolButton(u"save"_s), Qt::LeftButton);
    bar.setButtonEnabled(u"save"_s, false);
    QTest::mouseClick(bar.toolButton(u"save"_s), Qt::LeftButton);
    QTest::mouseClick(bar.toolButton(u"Edit"_s), Qt::LeftButton);
    QCOMPARE(clicked.count(), 2);  // none from the disabled button
    QCOMPARE(QStringList({clicked.first().at(0).toString(), clicked.last().at(0).toString()}), QStringList({"save", "Edit"}));
}

// The real message box: the buttons of the caller's own answer vbExtraButton + i, OK answers vbOK.
void TestBoundWidgets::messageBoxWithButtonsOfItsOwn()
{
    QtMessageService real;
    for (const QString &press : {u"打开文件夹"_s, u"打开"_s, u"OK"_s}) {
        QTimer::singleShot(0, [press] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton *b : box->buttons())
                if (b->text() == press || (press == u"OK"_s && box->buttonRole(b) == QMessageBox::AcceptRole))
                    return b->click();
            QFAIL("no such button");
        });
        const int answer = real.msgBoxWithButtons(u"导出后，保存文件名称为/tmp/book1.xlsx"_s, Msg::vbExclamation,
                                                  {u"打开"_s, u"打开文件夹"_s}, {});
        QCOMPARE(answer, press == u"打开"_s ? Msg::vbExtraButton : press == u"OK"_s ? Msg::vbOK : Msg::vbExtraButton + 1);
    }
}

// A window placed control by control: grown, the grid and the box take the room, the caption
// beside the box goes on with it (though nearer the left edge), the button keeps to its corner;
// the smallest size is what the box can give up, and nothing meets there.
void TestBoundWidgets::designLayoutGrowsFromTheDesign()
{
    QWidget window;
    window.resize(600, 400);
    const auto make = [&window](const char *name, const QRect &r) {
        auto *w = new QLabel(QString::fromLatin1(name), &window);
        w->setObjectName(QString::fromLatin1(name));
        w->setGeometry(r);
        return w;
    };
    QWidget *grid = make("grid", {10, 10, 580, 300});
    QWidget *box = make("box", {10, 320, 200, 25});
    QWidget *caption = make("caption", {220, 322, 60, 20});
    QWidget *ok = make("ok", {500, 360, 90, 30});
    QWidget *note = make("note", {10, 360, 100, 20});
    (new DesignLayout(&window))->stretch(grid).stretch(box, Qt::Horizontal).finish();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(ok->geometry(), QRect(500, 360, 90, 30));  // at the design size nothing moves

    window.resize(800, 500);
    QCOMPARE(grid->geometry(), QRect(10, 10, 780, 400));
    QCOMPARE(box->geometry(), QRect(10, 420, 400, 25));
    QCOMPARE(caption->geometry(), QRect(420, 422, 60, 20));
    QCOMPARE(ok->geometry(), QRect(700, 460, 90, 30));
    QCOMPARE(note->geometry(), QRect(10, 460, 100, 20));

    QCOMPARE(window.minimumSize(), QSize(500, 250));
    window.resize(window.minimumSize());
    QCOMPARE(box->width(), 100);
    const QList<QWidget *> all{grid, box, caption, ok, note};
    for (QWidget *a : all)
        for (QWidget *b : all)
            QVERIFY2(a == b || !a->geometry().intersects(b->geometry()), qPrintable(a->objectName() + '+' + b->objectName()));
}

QTEST_MAIN(TestBoundWidgets)
#include "tst_bound_widgets.moc"
