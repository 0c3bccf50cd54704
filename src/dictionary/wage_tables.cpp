// ModJgupdate, wage side: creates rs_codedict, rsgz and the catalogue row, and the 43 default wage items.
#include "dictionary/personnel_tables.h"

#include "dictionary/schema_steps.h"
#include "platform/db/connection.h"

namespace {

struct WageItem {
    int xh;
    QString code;
    QString name;
    QString type;
    int canShow;
};

QList<WageItem> defaultWageItems()
{
    QList<WageItem> items{{5, QStringLiteral("f0"), QStringLiteral("月份"), QStringLiteral("CHAR"), 1},
                          {15, QStringLiteral("f1"), QStringLiteral("员工编号"), QStringLiteral("CHAR"), 1},
                          {25, QStringLiteral("f2"), QStringLiteral("姓名"), QStringLiteral("CHAR"), 1},
                          {35, QStringLiteral("T1"), QStringLiteral("基本工资"), QStringLiteral("NUME"), 1},
                          {45, QStringLiteral("T2"), QStringLiteral("奖金"), QStringLiteral("NUME"), 1},
                          {55, QStringLiteral("T3"), QStringLiteral("销售提成"), QStringLiteral("NUME"), 1},
                          {65, QStringLiteral("T4"), QStringLiteral("医疗保险"), QStringLiteral("NUME"), 1},
                          {75, QStringLiteral("T5"), QStringLiteral("公积金"), QStringLiteral("NUME"), 1},
                          {80, QStringLiteral("T6"), QStringLiteral("质量扣款"), QStringLiteral("NUME"), 1}};
    // T7 … T38 are unused items captioned with their own code in lower case.
    const int xhs[] = {85,  90,  95,  105, 110, 115, 125, 135, 145, 155, 165, 175, 185, 195, 200, 205,
                       215, 225, 235, 245, 255, 265, 275, 285, 295, 305, 315, 325, 335, 345, 355, 365};
    for (int n = 7; n <= 38; ++n)
        items.append({xhs[n - 7], QStringLiteral("T%1").arg(n), QStringLiteral("t%1").arg(n), QStringLiteral("NUME"), 0});
    items.append({375, QStringLiteral("T39"), QStringLiteral("应发合计"), QStringLiteral("NUME"), 1});
    items.append({385, QStringLiteral("T40"), QStringLiteral("实发合计"), QStringLiteral("NUME"), 1});
    return items;
}


// SQLite: a trigger per kind of change, each testing the row it is about.
void CreateSqliteMonthGuards(Connection &cn)
{
    const ResultSet existing = cn.query(QStringLiteral("select name from sqlite_master where type = 'trigger' and tbl_name = 'rsgz'"));
    QStringList triggers;
    for (const QVariantList &row : existing.rows)
        triggers << row.value(0).toString();
    const struct {
        const char *name;
        const char *sql;
    } guards[] = {
        {"gzjz_insert", "create trigger gzjz_insert before insert on rsgz "
                        "when exists (select 1 from gzjz where gzjz.f0 = new.f0) "
                        "begin select acc_raise(new.f0 || ' 已结账，不能修改。'); end"},
        {"gzjz_update", "create trigger gzjz_update before update on rsgz "
                        "when exists (select 1 from gzjz where gzjz.f0 = old.f0) "
                        "or exists (select 1 from gzjz where gzjz.f0 = new.f0) "
                        "begin select acc_raise(coalesce((select f0 from gzjz where gzjz.f0 = old.f0), new.f0) "
                        "|| ' 已结账，不能修改。'); end"},
        {"gzjz_delete", "create trigger gzjz_delete before delete on rsgz "
                        "when exists (select 1 from gzjz where gzjz.f0 = old.f0) "
                        "begin select acc_raise(old.f0 || ' 已结账，不能修改。'); end"},
    };
    for (const auto &g : guards)
        if (!triggers.contains(QLatin1String(g.name)))
            cn.execute(QString::fromUtf8(g.sql));
}

// PostgreSQL: one check per statement over the rows it changed (a check per row would cost a
// query per row of a month's calculation); raising in an AFTER trigger undoes the whole statement.
void CreatePostgresMonthGuards(Connection &cn)
{
    cn.executeNative(QStringLiteral(
        "create or replace function gzjz_guard() returns trigger language plpgsql as $$\n"
        "declare closed text;\n"
        "begin\n"
        "  if not exists (select 1 from gzjz) then return null; end if;\n"
        "  if tg_op in ('UPDATE', 'DELETE') then\n"
        "    select o.f0 into closed from old_rows o join gzjz g on g.f0 = o.f0 limit 1;\n"
        "  end if;\n"
        "  if closed is null and tg_op in ('INSERT', 'UPDATE') then\n"
        "    select n.f0 into closed from new_rows n join gzjz g on g.f0 = n.f0 limit 1;\n"
        "  end if;\n"
        "  if closed is not null then\n"
        "    raise exception using errcode = 'P0001', message = closed || ' 已结账，不能修改。';\n"
        "  end if;\n"
        "  return null;\n"
        "end $$"));
    cn.executeNative(QStringLiteral("create or replace trigger gzjz_insert after insert on rsgz "
                                    "referencing new table as new_rows for each statement execute function gzjz_guard()"));
    cn.executeNative(QStringLiteral("create or replace trigger gzjz_update after update on rsgz "
                                    "referencing old table as old_rows new table as new_rows for each statement "
                                    "execute function gzjz_guard()"));
    cn.executeNative(QStringLiteral("create or replace trigger gzjz_delete after delete on rsgz "
                                    "referencing old table as old_rows for each statement execute function gzjz_guard()"));
}

} // namespace

namespace ModJgupdate {

QStringList DefaultWageItemInserts()
{
    QStringList out;
    for (const WageItem &i : defaultWageItems())
        out << QStringLiteral("insert into rs_codedict (xh,[TABLE_CODE],[TABLE_NAME],[COLM_CODE],[COLM_NAME],[COLM_TYPE],"
                              "[COLM_CD],[CAN_SHOW]) ") +
                   QStringLiteral("values (%1,'rsgz','工资管理','%2','%3','%4',10,%5)")
                       .arg(i.xh)
                       .arg(i.code, i.name, i.type)
                       .arg(i.canShow);
    return out;
}

void CreateWageTables(Connection &cn)
{
    Transaction tx(cn);

    // rsgz takes id, f1 and f2 from rsda, and mytable must be there for the catalogue row.
    if (!cn.tableExists(QStringLiteral("mytable")) || !cn.tableExists(QStringLiteral("rsda")))
        CreatePersonnelTables(cn);

    // The wage dictionary: the structure of dh_codedict with the condition and the formula.
    if (!cn.tableExists(QStringLiteral("rs_codedict")))
        cn.execute(QStringLiteral("select *  into rs_codedict from dh_codedict where id_no=0 order by xh"));
    SchemaSteps::addMissingColumns(
        cn, QStringLiteral("rs_codedict"),
        {{QStringLiteral("hztj"), QStringLiteral("alter table rs_codedict add column hztj char(250)")},
         {QStringLiteral("hzgs"), QStringLiteral("alter table rs_codedict add column hzgs char(250)")}});

    // The wage table, with the index the month filter and the pay-sheet order use.
    const bool newWageTable = !cn.tableExists(QStringLiteral("rsgz"));
    if (newWageTable)
        cn.execute(QStringLiteral("select id,f1,f2  into rsgz from rsda where id=0 "));
    QList<SchemaSteps::ColumnStep> steps{
        {QStringLiteral("f0"), QStringLiteral("alter table rsgz add column f0 char(12)")}};
    for (int n = 1; n <= 40; ++n)
        steps.append({QStringLiteral("t%1").arg(n), QStringLiteral("alter table rsgz add column t%1 single default 0").arg(n)});
    SchemaSteps::addMissingColumns(cn, QStringLiteral("rsgz"), steps);
    if (newWageTable)
        cn.execute(QStringLiteral("create index rsgz_f0_f1 on rsgz (f0,f1)"));

    CreateMonthClosingTable(cn);

    if (!SchemaSteps::hasRows(cn, QStringLiteral("select * from mytable where table_name='rsgz'")))
        cn.execute(QStringLiteral("insert into mytable(xh,table_name,table_name_explan,lx,bz) ") +
                   QStringLiteral(" values(10,'rsgz','员工工资','工资','工资主表')"));
    tx.commit();
}

void CreateMonthClosingTable(Connection &cn)
{
    Transaction tx(cn);
    if (!cn.tableExists(QStringLiteral("gzjz")))
        cn.execute(QStringLiteral("create table gzjz (f0 char(12) primary key, jzsj datetime, czy char(20))"));
    // The database itself refuses every change of a closed month's rows, whatever path makes it.
    if (cn.postgresHandle())
        CreatePostgresMonthGuards(cn);
    else
        CreateSqliteMonthGuards(cn);
    tx.commit();
}

void CreateFirstUseTables(Connection &cn)
{
    Transaction tx(cn);
    CreatePersonnelTables(cn);
    CreateWageTables(cn);
    WriteDefaultWageItems(cn);
    tx.commit();
}

bool WriteDefaultWageItems(Connection &cn)
{
    Transaction tx(cn);
    if (SchemaSteps::hasRows(cn, QStringLiteral("select * from rs_codedict where table_code='rsgz'")))
        return false;
    for (const QString &sql : DefaultWageItemInserts())
        cn.execute(sql);
    cn.execute(QStringLiteral("update [rs_codedict] set [nullbj]='0'   where  nullbj is null"));
    tx.commit();
    return true;
}

} // namespace ModJgupdate
