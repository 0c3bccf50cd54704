// BoundLineEdit: a line edit bound to one field of a Recordset's current row.
#pragma once

#include <QLineEdit>
#include <QPointer>

#include "platform/db/recordset.h"

class BoundLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit BoundLineEdit(QWidget *parent = nullptr);

    // Binds to field of rs (null unbinds); the box shows the current row's value at once.
    void bind(Recordset *rs, const QString &field);
    void setDataField(const QString &field);  // rebinds to another field of the same recordset
    Recordset *recordset() const { return m_rs; }
    QString dataField() const { return m_field; }

    // The old Locked property: the text can be read and selected but not changed.
    void setLocked(bool locked);
    bool isLocked() const { return isReadOnly(); }

    // Shows the current row's value again: empty at BOF/EOF, for Null, or when unbound.
    void refresh();

signals:
    // A text the recordset would not take (no current row, a read-only set, an unknown field).
    void writeFailed(int number, const QString &description);

private:
    void writeBack(const QString &text);
    void onRowChanged(int row);

    QPointer<Recordset> m_rs;
    QString m_field;
    bool m_showing = false;
    QList<QMetaObject::Connection> m_links;
};
