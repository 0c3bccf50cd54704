// ModJgupdate: creates mytable, rsda and the default personnel dictionary rows (CreatePersonnelTables).
#include "dictionary/personnel_tables.h"

#include "app/program_state.h"
#include "dictionary/dictionary_codes.h"
#include "dictionary/schema_steps.h"

namespace {

struct PersonnelField {
    int xh;
    const char *code;
    const char *name;
    const char *type;
    int cd;
};

const PersonnelField kDictFields[] = {
    {5, "f1", "员工编号", "CHAR", 20},  {15, "f2", "姓 名", "CHAR", 20},   {25, "f3", "级别", "CHAR", 20},
    {35, "f4", "性别", "CHAR", 20},     {45, "f5", "基本工资", "NUME", 4},  {55, "f6", "银行卡号", "CHAR", 20},
    {65, "f7", "身份证号", "CHAR", 20}, {75, "f8", "住 址", "CHAR", 20},    {85, "f9", "电话", "CHAR", 20},
    {95, "f10", "Email", "CHAR", 20},   {105, "f11", "职工类型", "CHAR", 20}, {115, "f12", "移动电话", "CHAR", 20},
    {125, "f13", "合同类别", "CHAR", 20}, {135, "f14", "合同期", "CHAR", 20}, {145, "f15", "备注", "CHAR", 20},
};

const PersonnelField kPrintFields[] = {
    {5, "f1", "员工编号", "CHAR", 5}, {15, "f2", "姓 名", "CHAR", 6},    {25, "f3", "级 别", "CHAR", 4},
    {35, "f5", "工 资", "CHAR", 6},   {45, "f8", "地 址", "CHAR", 10},   {55, "f9", "电话", "CHAR", 6},
    {55, "f12", "移动电话", "CHAR", 8}, {65, "f15", "备 注", "CHAR", 12},
};

// Columns of rsda after its id, with their types.
const std::pair<const char *, const char *> kRsdaColumns[] = {
    {"f1", "char(20)"}, {"f2", "char(20)"}, {"f3", "char(8)"},  {"f4", "char(2)"},   {"f5", "single"},
    {"f6", "char(20)"}, {"f7", "char(18)"}, {"f8", "char(30)"}, {"f9", "char(20)"},  {"f10", "char(20)"},
    {"f11", "char(8)"}, {"f12", "char(20)"}, {"f13", "char(10)"}, {"f14", "char(10)"}, {"f15", "char(30)"},
};

} // namespace

namespace ModJgupdate {

QStringList DefaultPersonnelDictInserts()
{
    QStringList out;
    for (const PersonnelField &f : kDictFields)
        out << QStringLiteral("insert into dh_codedict (xh,[TABLE_CODE],[TABLE_NAME],[COLM_CODE],[COLM_NAME],[COLM_TYPE],"
                              "[COLM_CD],[CAN_SHOW]) ") +
                   QStringLiteral("values (%1,'rsda','人事档案','%2','%3','%4',%5,1)")
                       .arg(f.xh)
                       .arg(QLatin1String(f.code), QString::fromUtf8(f.name), QLatin1String(f.type))
                       .arg(f.cd);
    return out;
}

QStringList DefaultPersonnelPrintInserts()
{
    QStringList out;
    for (const PersonnelField &f : kPrintFields)
        out << QStringLiteral("insert into pr_codedict ") +
                   QStringLiteral("  (xh,table_code,table_name,colm_code,colm_name,colm_type,colm_cd,can_show,colm_dq,"
                                  "con_type,sum_tag) ") +
                   QStringLiteral(" values(%1,'rsda','人事档案','%2','%3','%4',%5,'1','C','TXT','0')")
                       .arg(f.xh)
                       .arg(QLatin1String(f.code), QString::fromUtf8(f.name), QLatin1String(f.type))
                       .arg(f.cd);
    return out;
}

void CreatePersonnelTables() { CreatePersonnelTables(cnMain); }

void CreatePersonnelTables(Connection &cn)
{
    Transaction tx(cn);

    // The catalogue of dictionary-driven tables; its id takes the type of ckv_zc's id.
    if (!cn.tableExists(QStringLiteral("mytable")))
        cn.execute(QStringLiteral("select id into myTable from ckv_zc where id=0"));
    SchemaSteps::addMissingColumns(cn, QStringLiteral("mytable"),
                                   {{QStringLiteral("xh"), QStringLiteral("alter table mytable add COLUMN xh int")},
                                    {QStringLiteral("table_name"),
                                     QStringLiteral("alter table mytable add column table_name char(50)")},
                                    {QStringLiteral("table_name_explan"),
                                     QStringLiteral("alter table mytable add column table_name_explan char(50)")},
                                    {QStringLiteral("lx"), QStringLiteral("alter table mytable add column lx  char(10)")},
                                    {QStringLiteral("bz"), QStringLiteral("alter table mytable add column bz char(50)")}});
    if (!SchemaSteps::hasRows(cn, QStringLiteral("select * from mytable where table_name='rsda'")))
        cn.execute(QStringLiteral("insert into mytable(xh,table_name,table_name_explan,lx,bz) ") +
                   QStringLiteral(" values(5,'rsda','人事档案','人事','人事档案主表')"));

    // The personnel table.
    if (!cn.tableExists(QStringLiteral("rsda")))
        cn.execute(QStringLiteral("select id into rsda from ckv_zc where id=0"));
    QList<SchemaSteps::ColumnStep> steps;
    for (const auto &[name, type] : kRsdaColumns)
        steps.append({QLatin1String(name), QStringLiteral("alter table rsda add column ") + QLatin1String(name) +
                                               QLatin1Char(' ') + QLatin1String(type)});
    SchemaSteps::addMissingColumns(cn, QStringLiteral("rsda"), steps);

    // The default personnel dictionary and print rows, only when the dictionary has none.
    if (!SchemaSteps::hasRows(cn, QStringLiteral("select * from dh_codedict where table_code='rsda'"))) {
        for (const QString &sql : DefaultPersonnelDictInserts())
            cn.execute(sql);
        for (const QString &sql : DefaultPersonnelPrintInserts())
            cn.execute(sql);
    }
    tx.commit();
}

} // namespace ModJgupdate
