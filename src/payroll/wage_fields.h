// Wage-dictionary field routines (ModKrdaGZ): the input boxes of the wage editor laid out and
// checked from rs_codedict.
#pragma once

#include "dictionary/dictionary_fields.h"

#include <QList>
#include <QString>

class Connection;
class QLabel;
class QLineEdit;

// One wage field in use, as the dictionary describes it.
struct WageFieldDef {
    QString caption;   // colm_name
    QString code;      // colm_code: the column the box edits
    QString type;      // colm_type, as stored
    int maxLength = 0; // colm_cd for the text types ("TXT", "CHAR"), 0 for no limit (checked on save)
};

// The fields in use (can_show '1') of table code `code`, in dictionary order.
QList<WageFieldDef> WageFieldsInUse(Connection &cn, const QString &code);

// Same rules and messages as CheckFieldValue.
bool CheckWageFieldValue(const QString &type, int length, const QString &value, const QString &caption,
                         const QVariant &nullbj);
// Checks the boxes against rs_codedict of `code`; at most one message, at the first refusal.
bool CheckWageFields(Connection &cn, const QString &code, const QList<FieldBoxValue> &boxes);
bool CheckWageFields(const QString &code, const QList<QLineEdit *> &boxes);  // on cnMain

// Gives caption i and box i the caption, column and type tag of the i-th field in use and shows
// them. The boxes take text of any length (the save's check refuses what is longer than colm_cd). The arrays must hold at least as many elements as there are
// fields; elements beyond are left as they are.
void SetupWageFields(const QString &code, const QList<QLabel *> &captions, const QList<QLineEdit *> &boxes);
