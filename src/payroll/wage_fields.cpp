// Wage-dictionary field routines (ModKrdaGZ).
#include "payroll/wage_fields.h"

#include "app/program_state.h"
#include "dictionary/dictionary_codes.h"
#include "dictionary/dictionary_tables.h"
#include "platform/db/connection.h"

#include <QLabel>
#include <QLineEdit>

QList<WageFieldDef> WageFieldsInUse(Connection &cn, const QString &code)
{
    const QList<DictRow> dict = ModDict::WageDict(cn, code, true);
    QList<WageFieldDef> out;
    out.reserve(dict.size());
    for (const DictRow &row : dict) {
        WageFieldDef f;
        f.caption = row.colmName;
        f.code = row.colmCode.trimmed();
        f.type = row.colmType;
        if (DictCodes::hasLengthLimit(row.colmType))
            f.maxLength = row.colmCd.toInt();
        out.append(f);
    }
    return out;
}

bool CheckWageFieldValue(const QString &type, int length, const QString &value, const QString &caption,
                         const QVariant &nullbj)
{
    return CheckFieldValue(type, length, value, caption, nullbj);
}

bool CheckWageFields(Connection &cn, const QString &code, const QList<FieldBoxValue> &boxes)
{
    const QList<DictRow> dict = ModDict::WageDict(cn, code, false);
    for (const FieldBoxValue &box : boxes) {
        const DictRow *row = ModDict::FindByColumn(dict, box.dataField);
        if (!row)
            continue;  // nothing in the dictionary to check this box against
        if (!CheckWageFieldValue(row->colmType, row->colmCd.toInt(), box.text, row->colmName, row->nullbj))
            return false;
    }
    return true;
}

bool CheckWageFields(const QString &code, const QList<QLineEdit *> &boxes)
{
    return CheckWageFields(cnMain, code, fieldBoxValues(boxes));
}

void SetupWageFields(const QString &code, const QList<QLabel *> &captions, const QList<QLineEdit *> &boxes)
{
    const QList<WageFieldDef> fields = WageFieldsInUse(cnMain, code);
    for (int i = 0; i < fields.size() && i < captions.size() && i < boxes.size(); ++i) {
        const WageFieldDef &f = fields.at(i);
        captions.at(i)->setVisible(true);
        boxes.at(i)->setVisible(true);
        captions.at(i)->setText(f.caption);
        setBoxDataField(boxes.at(i), f.code);
        setBoxTag(boxes.at(i), f.type);
        boxes.at(i)->setAccessibleName(f.caption);
        // Amounts stand to the right as in the grids; codes and names to the left.
        const bool number = DictCodes::typeRule(f.type) == DictCodes::TypeRule::Number || DictCodes::numericInReport(f.type);
        boxes.at(i)->setAlignment(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
        // No maximum length on the box: it would cut a longer stored value on the screen, and the
        // save would write the cut text back. A value past colm_cd is refused by the check instead.
    }
}
