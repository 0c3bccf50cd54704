// Readers of the dictionary tables: the statements of each reader and the rows they return.
#include "dictionary/dictionary_tables.h"

#include "app/sql_text.h"

namespace {

// Index of a column in a result, without regard to case; -1 when absent.
int columnIndex(const ResultSet &rs, const QString &name)
{
    for (int i = 0; i < rs.columns.size(); ++i)
        if (rs.columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

struct Columns {
    explicit Columns(const ResultSet &rs) : m_rs(rs) {}
    int operator()(const char *name) const { return columnIndex(m_rs, QLatin1String(name)); }
    const ResultSet &m_rs;
};

QVariant at(const QVariantList &row, int index) { return index >= 0 && index < row.size() ? row.at(index) : QVariant(); }
QString textAt(const QVariantList &row, int index)
{
    const QVariant v = at(row, index);
    return v.isNull() ? QString() : v.toString();
}

} // namespace

namespace ModDict {

QString CatalogueSql(const QString &category)
{
    return QStringLiteral("select * from mytable where lx='") + SqlQuote(category) + QLatin1Char('\'');
}

QString PersonnelDictSql(const QString &tableCode)
{
    return QStringLiteral("select * from dh_codedict where table_code='") + SqlQuote(tableCode) +
           QStringLiteral("' order by xh");
}

QString WageDictSql(const QString &tableCode)
{
    return QStringLiteral("select * from rs_codedict where table_code='") + SqlQuote(tableCode) +
           QStringLiteral("' order by xh");
}

QString WageDictShownSql(const QString &tableCode)
{
    return QStringLiteral("select * from rs_codedict where table_code='") + SqlQuote(tableCode) +
           QStringLiteral("' and can_show='1' order by xh");
}

QString WageDictCaptionsSql(const QString &tableCode)
{
    return QStringLiteral("select * from rs_codedict ") + QStringLiteral(" where table_code='") + SqlQuote(tableCode) +
           QLatin1Char('\'');
}

QString PrintDictSql(const QString &tableCode)
{
    return QStringLiteral("select * from PR_codedict where table_CODE='") + SqlQuote(tableCode) +
           QStringLiteral("' and can_SHOW='1' order by xh");
}

QList<DictRow> ReadDictRows(Connection &cn, const QString &sql)
{
    const ResultSet rs = cn.query(sql);
    const Columns col(rs);
    const int iXh = col("xh"), iCode = col("table_code"), iName = col("table_name"), iColCode = col("colm_code"),
              iColName = col("colm_name"), iType = col("colm_type"), iCd = col("colm_cd"), iShow = col("can_show"),
              iNull = col("nullbj"), iWidth = col("colm_width"), iMemo = col("memo"), iGs = col("hzgs"),
              iTj = col("hztj"), iDq = col("colm_dq"), iSum = col("sum_tag");
    QList<DictRow> rows;
    rows.reserve(rs.rows.size());
    for (const QVariantList &r : rs.rows) {
        DictRow d;
        d.xh = at(r, iXh);
        d.tableCode = textAt(r, iCode);
        d.tableName = textAt(r, iName);
        d.colmCode = textAt(r, iColCode);
        d.colmName = textAt(r, iColName);
        d.colmType = textAt(r, iType);
        d.colmCd = at(r, iCd);
        d.canShow = textAt(r, iShow);
        d.nullbj = at(r, iNull);
        d.colmWidth = at(r, iWidth);
        d.memo = textAt(r, iMemo);
        d.hzgs = at(r, iGs);
        d.hztj = at(r, iTj);
        d.colmDq = textAt(r, iDq);
        d.sumTag = textAt(r, iSum);
        rows.append(d);
    }
    return rows;
}

QList<DictRow> PersonnelDict(Connection &cn, const QString &tableCode)
{
    return ReadDictRows(cn, PersonnelDictSql(tableCode));
}

QList<DictRow> WageDict(Connection &cn, const QString &tableCode, bool shownOnly)
{
    return ReadDictRows(cn, shownOnly ? WageDictShownSql(tableCode) : WageDictSql(tableCode));
}

QList<DictRow> PrintDict(Connection &cn, const QString &tableCode) { return ReadDictRows(cn, PrintDictSql(tableCode)); }

QList<CatalogueRow> Catalogue(Connection &cn, const QString &category)
{
    const ResultSet rs = cn.query(CatalogueSql(category));
    const Columns col(rs);
    const int iXh = col("xh"), iName = col("table_name"), iExplan = col("table_name_explan"), iLx = col("lx");
    QList<CatalogueRow> rows;
    for (const QVariantList &r : rs.rows)
        rows.append({at(r, iXh), textAt(r, iName), textAt(r, iExplan), textAt(r, iLx)});
    return rows;
}

const DictRow *FindByColumn(const QList<DictRow> &rows, const QString &code)
{
    for (const DictRow &r : rows)
        if (r.colmCode.trimmed().compare(code.trimmed(), Qt::CaseInsensitive) == 0)
            return &r;
    return nullptr;
}

} // namespace ModDict
