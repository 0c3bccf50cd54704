// DataCombo: a combo box listing one field of every row of a recordset, with a bound column behind each entry.
#pragma once

#include <QComboBox>
#include <QPointer>

#include "platform/db/recordset.h"

class DataCombo : public QComboBox {
    Q_OBJECT
public:
    // The old styles: a drop-down list with typing, or a drop-down list only (no free typing).
    enum Style { dbcDropdownCombo = 0, dbcDropdownList = 2 };

    explicit DataCombo(QWidget *parent = nullptr);

    // Lists listField of every row of rs; boundColumn (empty: the list field) is what boundText gives.
    // The list follows the recordset when it is requeried or its rows change.
    void setRowSource(Recordset *rs, const QString &listField, const QString &boundColumn = {});
    Recordset *rowSource() const { return m_rs; }
    QString listField() const { return m_listField; }
    QString boundColumn() const { return m_boundColumn; }
    void setListField(const QString &field);
    void setBoundColumn(const QString &field);

    void setStyle(Style style);
    Style style() const { return m_style; }

    QString text() const;
    // In the list-only style a text that is no entry leaves nothing chosen.
    void setText(const QString &text);
    // The bound column of the chosen entry; with typing allowed and no matching entry, the text itself.
    QString boundText() const;
    void setBoundText(const QString &value);  // chooses the entry whose bound column holds value
    int matchedRow() const;                   // the recordset row of the chosen entry, -1 when none

    void refill();  // reads the list again from the row source

private:
    QPointer<Recordset> m_rs;
    QString m_listField;
    QString m_boundColumn;
    Style m_style = dbcDropdownCombo;
    QList<QMetaObject::Connection> m_links;
};
