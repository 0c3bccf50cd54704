// Dictionary codes: table codes, field type codes and alignment codes, with how each consumer treats them.
#pragma once

#include <QList>
#include <QString>
#include <Qt>

namespace DictCodes {

// Table codes and their captions.
inline const QString kPersonnelTable = QStringLiteral("rsda");
inline const QString kPersonnelCaption = QStringLiteral("人事档案");  // table_name in the dictionaries and mytable
inline const QString kPersonnelCategory = QStringLiteral("人事");
inline const QString kWageTable = QStringLiteral("rsgz");
inline const QString kWageCaption = QStringLiteral("工资管理");       // table_name in rs_codedict
inline const QString kWageCatalogueCaption = QStringLiteral("员工工资");  // table_name_explan in mytable
inline const QString kWageCategory = QStringLiteral("工资");

// Field type codes (colm_type), compared in upper case.
inline const QString kChar = QStringLiteral("CHAR");
inline const QString kTxt = QStringLiteral("TXT");
inline const QString kNume = QStringLiteral("NUME");
inline const QString kInt = QStringLiteral("INT");
inline const QString kMon = QStringLiteral("MON");
inline const QString kBfl = QStringLiteral("BFL");
inline const QString kDate = QStringLiteral("DATE");
inline const QString kDateTime = QStringLiteral("DATETIME");
inline const QString kDatateim = QStringLiteral("DATATEIM");

// How the field validation treats a type: text, number and date rules; every other code is refused.
enum class TypeRule { Text, Number, Date, NotAccepted };

inline QString normType(const QString &code) { return code.trimmed().toUpper(); }

inline TypeRule typeRule(const QString &code)
{
    const QString t = normType(code);
    if (t == kChar || t == kTxt)
        return TypeRule::Text;
    if (t == kNume || t == kInt)
        return TypeRule::Number;
    if (t == kDate || t == kDateTime)
        return TypeRule::Date;
    return TypeRule::NotAccepted;
}

// Text types get colm_cd as the input length limit of wage fields.
inline bool hasLengthLimit(const QString &code) { return typeRule(code) == TypeRule::Text; }

// Whether a value of this type is written between quotes in an update statement.
inline bool quotedInUpdate(const QString &code)
{
    const QString t = normType(code);
    return t == kChar || t == kTxt || t == kDateTime || t == kDate;
}

// Whether the report layout treats the column as a number.
inline bool numericInReport(const QString &code)
{
    const QString t = normType(code);
    return t == kInt || t == kMon || t == kBfl;
}

// One entry of a pick list: the code written into the grid and its description.
struct PickEntry {
    QString code;
    QString label;
};

// The type pick list: header row, then the types offered.
inline const PickEntry kTypePickHeader{QStringLiteral("类型"), QStringLiteral("说明")};
inline const QList<PickEntry> &typePickList()
{
    static const QList<PickEntry> list{{kTxt, QStringLiteral("字符型")},
                                       {kBfl, QStringLiteral("百分率")},
                                       {kMon, QStringLiteral("数值 货币")},
                                       {kDatateim, QStringLiteral("日期 ")}};
    return list;
}

// Alignment codes (colm_dq) of printed columns.
inline const QString kAlignCentre = QStringLiteral("C");
inline const QString kAlignRight = QStringLiteral("R");
inline const QString kAlignLeft = QStringLiteral("L");
inline const PickEntry kAlignPickHeader{QStringLiteral("对齐方式"), QStringLiteral("说明")};
inline const QList<PickEntry> &alignPickList()
{
    static const QList<PickEntry> list{{kAlignCentre, QStringLiteral("居中")},
                                       {kAlignRight, QStringLiteral("右对齐")},
                                       {kAlignLeft, QStringLiteral("左对齐")}};
    return list;
}

// The horizontal alignment of an alignment code; unknown codes centre, as "C" does.
inline Qt::Alignment alignmentFor(const QString &code)
{
    const QString c = normType(code);
    if (c == kAlignRight)
        return Qt::AlignRight | Qt::AlignVCenter;
    if (c == kAlignLeft)
        return Qt::AlignLeft | Qt::AlignVCenter;
    return Qt::AlignHCenter | Qt::AlignVCenter;
}

} // namespace DictCodes
