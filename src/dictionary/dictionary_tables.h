// The dictionary tables (mytable, dh_codedict, rs_codedict, PR_codedict): their statements and rows.
#pragma once

#include "platform/db/connection.h"

#include <QList>
#include <QString>
#include <QVariant>

// One row of a field dictionary (dh_codedict, rs_codedict) or of the print dictionary (PR_codedict).
// Columns a table lacks stay Null.
struct DictRow {
    QVariant xh;
    QString tableCode;
    QString tableName;
    QString colmCode;
    QString colmName;
    QString colmType;
    QVariant colmCd;     // text length, or print width in PR_codedict
    QString canShow;     // "1": used and shown
    QVariant nullbj;     // "0" or Null: may be empty
    QVariant colmWidth;  // grid width in units of 100 twips; Null: 1400 twips
    QString memo;
    QVariant hzgs;       // formula of a wage item; Null: not computed
    QVariant hztj;       // condition of the formula; Null: all rows
    QString colmDq;      // alignment code (PR_codedict)
    QString sumTag;      // "1": totalled in print (PR_codedict)

    bool shown() const { return canShow.trimmed() == QLatin1String("1"); }
    bool mayBeEmpty() const { return nullbj.isNull() || nullbj.toString().trimmed() == QLatin1String("0"); }
    int gridWidthTwips() const { return colmWidth.isNull() ? 1400 : colmWidth.toInt() * 100; }
};

// One row of the catalogue mytable.
struct CatalogueRow {
    QVariant xh;
    QString tableName;         // table code ("rsda", "rsgz")
    QString tableNameExplan;   // caption in the category list
    QString lx;                // category "人事" or "工资"
};

namespace ModDict {

// The statements the readers use (the table code is quoted with SqlQuote).
QString CatalogueSql(const QString &category);           // select * from mytable where lx='…'
QString PersonnelDictSql(const QString &tableCode);      // dh_codedict, ordered by xh
QString WageDictSql(const QString &tableCode);           // rs_codedict, all rows, ordered by xh
QString WageDictShownSql(const QString &tableCode);      // rs_codedict, can_show='1', ordered by xh
QString WageDictCaptionsSql(const QString &tableCode);   // rs_codedict, unordered (grid captions)
QString PrintDictSql(const QString &tableCode);          // PR_codedict, can_show='1', ordered by xh

// Runs a dictionary statement and returns its rows in the order the database gives them.
QList<DictRow> ReadDictRows(Connection &cn, const QString &sql);
QList<DictRow> PersonnelDict(Connection &cn, const QString &tableCode);
QList<DictRow> WageDict(Connection &cn, const QString &tableCode, bool shownOnly);
QList<DictRow> PrintDict(Connection &cn, const QString &tableCode);
QList<CatalogueRow> Catalogue(Connection &cn, const QString &category);

// The row whose colm_code equals code without regard to case; null when there is none.
const DictRow *FindByColumn(const QList<DictRow> &rows, const QString &code);

} // namespace ModDict
