// FindCriterion: one "field op value" test of Recordset::Find, parsed once and applied to each row.
#pragma once

#include <QDateTime>
#include <QRegularExpression>
#include <QString>
#include <QVariant>

class FindCriterion {
public:
    enum Op { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual, Like };
    enum Kind { Text, Number, Date };

    // Parses "field op value"; value is 'text' ('' for a quote), #date#, or a number.
    // A criterion it cannot read raises DbError 3001.
    static FindCriterion parse(const QString &criterion);

    QString field() const { return m_field; }
    Op op() const { return m_op; }
    Kind kind() const { return m_kind; }
    QString text() const { return m_text; }

    // Whether a field value meets the test; a Null value meets none.
    bool matches(const QVariant &value) const;

private:
    bool compare(int order) const;  // order: <0, 0, >0 of value against the literal

    QString m_field;
    Op m_op = Equal;
    Kind m_kind = Text;
    QString m_text;  // the literal as text (the number or date as written)
    double m_number = 0;
    QDateTime m_date;
    QRegularExpression m_like;
};

// Reads a date and time as the database keeps it ("yyyy-MM-dd HH:mm:ss") or as written in a
// #…# literal (also "m/d/yyyy"). Invalid when the text is no date.
QDateTime parseDbDateTime(const QString &text);
