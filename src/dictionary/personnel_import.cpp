// ModRsdr: the import plan (captions matched, rows checked) and the one transaction that writes it.
#include "dictionary/personnel_import.h"

#include "dictionary/dictionary_fields.h"
#include "platform/db/connection.h"
#include "platform/print/sheet_reader.h"
#include "platform/print/sheet_writer.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace ModRsdr {

namespace {

const QString kNumberField = QStringLiteral("f1");

QString trimmed(const QString &s) { return s.trimmed(); }

// Captions compare without their blanks: "姓名" in a file names the field captioned "姓 名".
QString withoutBlanks(const QString &s)
{
    QString out;
    for (QChar c : s)
        if (!c.isSpace())
            out += c;
    return out;
}

const DictRow *fieldForCaption(const QList<DictRow> &dict, const QString &caption)
{
    const QString c = withoutBlanks(caption);
    if (c.isEmpty())
        return nullptr;
    for (const DictRow &row : dict)
        if (withoutBlanks(row.colmName) == c)
            return &row;
    for (const DictRow &row : dict)
        if (row.colmCode.trimmed().compare(c, Qt::CaseInsensitive) == 0)
            return &row;
    return nullptr;
}

} // namespace

int ImportPlan::problemRows() const
{
    int n = 0;
    for (const ImportRow &r : rows)
        n += r.problems.isEmpty() ? 0 : 1;
    return n;
}

ImportPlan PlanImport(Connection &cn, const SheetTable &table, const QString &tableCode)
{
    ImportPlan plan;
    plan.table = tableCode;
    plan.error = table.error;
    if (!plan.error.isEmpty())
        return plan;
    if (table.rows.isEmpty() || table.rows.first().join(QString()).trimmed().isEmpty()) {
        plan.error = QStringLiteral("文件的第一行应为字段名称。");
        return plan;
    }
    const QList<DictRow> dict = ModDict::PersonnelDict(cn, tableCode);
    QSet<QString> used;
    const QStringList header = table.rows.first();
    for (int c = 0; c < header.size(); ++c) {
        const DictRow *field = fieldForCaption(dict, header.at(c));
        if (!field || used.contains(field->colmCode.trimmed().toLower())) {
            if (!trimmed(header.at(c)).isEmpty())
                plan.unmatched << trimmed(header.at(c));
            continue;
        }
        used.insert(field->colmCode.trimmed().toLower());
        plan.columns.append({c, *field});
    }
    for (const DictRow &row : dict)
        if (!row.mayBeEmpty() && !used.contains(row.colmCode.trimmed().toLower()))
            plan.missing << row.colmName;

    // Employee numbers already in use, as the editor compares them (blanks at either end ignored).
    int numberColumn = -1;
    for (int i = 0; i < plan.columns.size(); ++i)
        if (plan.columns.at(i).field.colmCode.trimmed().compare(kNumberField, Qt::CaseInsensitive) == 0)
            numberColumn = i;
    QSet<QString> existing;
    if (numberColumn >= 0)
        for (const QVariantList &r : cn.query(QStringLiteral("select f1 from ") + tableCode).rows)
            existing.insert(r.value(0).toString().trimmed());
    QHash<QString, int> seen;  // number → line it was first seen on

    for (int r = 1; r < table.rows.size(); ++r) {
        const QStringList &cells = table.rows.at(r);
        if (cells.join(QString()).trimmed().isEmpty())
            continue;
        ImportRow row;
        row.line = r + 1;
        for (const ImportColumn &col : plan.columns) {
            const QString value = trimmed(cells.value(col.fileColumn));
            row.values << value;
            const std::optional<QString> problem =
                FieldValueProblem(col.field.colmType, col.field.colmCd.toInt(), value, col.field.colmName, col.field.nullbj);
            if (problem)
                row.problems << (problem->isEmpty() ? QStringLiteral("%1 的类型“%2”不能导入").arg(col.field.colmName, col.field.colmType)
                                                    : problem->trimmed());
            // A line break, tab or NUL inside a value cannot be shown in a one-line box, and a
            // server database refuses a NUL: such a value is named instead of stored.
            if (std::any_of(value.cbegin(), value.cend(), [](QChar c) { return c.category() == QChar::Other_Control; }))
                row.problems << QStringLiteral("%1 含有换行、制表符等控制字符").arg(col.field.colmName.trimmed());
        }
        if (numberColumn >= 0) {
            const QString number = row.values.at(numberColumn);
            if (!number.isEmpty()) {
                if (existing.contains(number))
                    row.problems << QStringLiteral("员工编号“%1”已被其他员工使用").arg(number);
                else if (seen.contains(number))
                    row.problems << QStringLiteral("员工编号“%1”与第 %2 行重复").arg(number).arg(seen.value(number));
                else
                    seen.insert(number, row.line);
            }
        }
        plan.rows.append(row);
    }
    return plan;
}

int RunImport(Connection &cn, const ImportPlan &plan)
{
    if (!plan.ok())
        return 0;
    QStringList names, marks;
    for (const ImportColumn &col : plan.columns)
        names << QLatin1Char('[') + col.field.colmCode.trimmed() + QLatin1Char(']'), marks << QStringLiteral("?");
    const QString sql = QStringLiteral("insert into ") + plan.table + QStringLiteral(" (") + names.join(QLatin1Char(',')) + QStringLiteral(") values (")
                        + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    Transaction tx(cn);
    for (const ImportRow &row : plan.rows) {
        QVariantList params;
        for (const QString &v : row.values)
            params << (v.isEmpty() ? QVariant() : QVariant(v));  // the column's type converts the text
        cn.execute(sql, params);
    }
    tx.commit();
    return int(plan.rows.size());
}

QString WriteTemplate(Connection &cn, const QString &path, const QString &tableCode)
{
    QStringList captions;
    for (const DictRow &row : ModDict::PersonnelDict(cn, tableCode))
        captions << row.colmName;
    SheetWriter sheet(1, int(captions.size()));
    sheet.setRow(0, captions);
    return sheet.writeXlsx(path);
}

} // namespace ModRsdr
