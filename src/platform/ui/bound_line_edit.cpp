// BoundLineEdit: follows the recordset's moves and writes what is typed (or set) into its field.
#include "platform/ui/bound_line_edit.h"

#include "platform/db/recordset.h"
#include "platform/ui/data_grid.h"

BoundLineEdit::BoundLineEdit(QWidget *parent) : QLineEdit(parent)
{
    // textChanged, not textEdited: a window that sets the text of a bound box (a suggested code
    // after AddNew, an upper-cased grade) changes the field just as typing does.
    connect(this, &QLineEdit::textChanged, this, &BoundLineEdit::writeBack);
}

void BoundLineEdit::bind(Recordset *rs, const QString &field)
{
    for (const auto &link : std::as_const(m_links))
        disconnect(link);
    m_links.clear();
    m_rs = rs;
    m_field = field;
    if (rs) {
        m_links << connect(rs, &Recordset::moved, this, &BoundLineEdit::refresh)
                << connect(rs, &Recordset::reset, this, &BoundLineEdit::refresh)
                << connect(rs, &Recordset::rowChanged, this, &BoundLineEdit::onRowChanged)
                << connect(rs, &QObject::destroyed, this, [this] { bind(nullptr, m_field); });
    }
    refresh();
}

void BoundLineEdit::setDataField(const QString &field) { bind(m_rs, field); }

void BoundLineEdit::setLocked(bool locked) { setReadOnly(locked); }

void BoundLineEdit::refresh()
{
    QString text;
    if (m_rs && m_rs->isOpen() && m_rs->currentRow() >= 0) {
        const int column = m_rs->fieldIndex(m_field);
        if (column >= 0)
            text = fieldValueText(m_rs->valueAt(m_rs->currentRow(), column));
    }
    if (text == this->text())
        return;
    m_showing = true;
    setText(text);
    m_showing = false;
}

void BoundLineEdit::onRowChanged(int row)
{
    if (m_rs && row == m_rs->currentRow())
        refresh();
}

void BoundLineEdit::writeBack(const QString &text)
{
    if (m_showing || !m_rs || m_field.isEmpty())
        return;
    const int row = m_rs->currentRow();
    const int column = m_rs->fieldIndex(m_field);
    if (row >= 0 && column >= 0) {
        const QString stored = fieldValueText(m_rs->valueAt(row, column));
        if (stored == text)
            return;  // nothing changed: no edit is started
        // A maximum length set on a box that shows a longer value cuts only the display.
        if (stored.size() > maxLength() && text.size() == maxLength() && stored.startsWith(text))
            return;
    }
    m_showing = true;  // the recordset's rowChanged must not put the text back while it is typed
    try {
        m_rs->setValue(m_field, text.isEmpty() ? QVariant() : QVariant(text));
    } catch (const DbError &e) {
        m_showing = false;
        emit writeFailed(e.number, e.description);
        return;
    }
    m_showing = false;
}
