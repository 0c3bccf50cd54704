// DataCombo: entries are the list field's texts; each entry keeps its row's bound value.
#include "platform/ui/data_combo.h"

#include "platform/db/recordset.h"
#include "platform/ui/data_grid.h"

#include <QLineEdit>

DataCombo::DataCombo(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(16);
}

void DataCombo::setRowSource(Recordset *rs, const QString &listField, const QString &boundColumn)
{
    for (const auto &link : std::as_const(m_links))
        disconnect(link);
    m_links.clear();
    m_rs = rs;
    m_listField = listField;
    m_boundColumn = boundColumn;
    if (rs) {
        m_links << connect(rs, &Recordset::reset, this, &DataCombo::refill)
                << connect(rs, &Recordset::rowInserted, this, &DataCombo::refill)
                << connect(rs, &Recordset::rowRemoved, this, &DataCombo::refill)
                << connect(rs, &Recordset::rowChanged, this, &DataCombo::refill)
                << connect(rs, &QObject::destroyed, this, [this] { setRowSource(nullptr, m_listField, m_boundColumn); });
    }
    refill();
}

void DataCombo::setListField(const QString &field) { setRowSource(m_rs, field, m_boundColumn); }

void DataCombo::setBoundColumn(const QString &field) { setRowSource(m_rs, m_listField, field); }

void DataCombo::setStyle(Style style)
{
    const QString keep = text();
    m_style = style;
    setEditable(style != dbcDropdownList);
    if (isEditable())
        setInsertPolicy(QComboBox::NoInsert);
    setText(keep);
}

// Rebuilds the entries; the text shown stays as it was.
void DataCombo::refill()
{
    const QString keep = text();
    const QSignalBlocker block(this);
    clear();
    if (m_rs && m_rs->isOpen()) {
        const int listColumn = m_rs->fieldIndex(m_listField);
        const int boundIndex = m_rs->fieldIndex(m_boundColumn.isEmpty() ? m_listField : m_boundColumn);
        // A pending new row (always the last) has no values yet; it joins the list once written.
        const int n = m_rs->RecordCount() - (m_rs->EditMode() == Recordset::adEditAdd ? 1 : 0);
        for (int r = 0; r < n; ++r) {
            addItem(listColumn >= 0 ? fieldValueText(m_rs->valueAt(r, listColumn)) : QString(),
                    QVariant::fromValue(QStringList{
                        boundIndex >= 0 ? fieldValueText(m_rs->valueAt(r, boundIndex)) : QString(),
                        QString::number(r)}));
        }
    }
    setText(keep);
}

QString DataCombo::text() const { return currentText(); }

void DataCombo::setText(const QString &text)
{
    const int i = findText(text, Qt::MatchExactly);
    if (isEditable()) {
        if (i >= 0)
            setCurrentIndex(i);
        setEditText(text);
    } else {
        setCurrentIndex(i);
    }
}

int DataCombo::matchedRow() const
{
    int i = currentIndex();
    if (i < 0 || itemText(i) != currentText())
        i = findText(currentText(), Qt::MatchExactly);
    if (i < 0)
        return -1;
    return itemData(i).toStringList().value(1).toInt();
}

QString DataCombo::boundText() const
{
    int i = currentIndex();
    if (i < 0 || itemText(i) != currentText())
        i = findText(currentText(), Qt::MatchExactly);
    if (i < 0)
        return isEditable() ? currentText() : QString();
    return itemData(i).toStringList().value(0);
}

void DataCombo::setBoundText(const QString &value)
{
    for (int i = 0; i < count(); ++i) {
        if (itemData(i).toStringList().value(0) == value) {
            setCurrentIndex(i);
            if (isEditable())
                setEditText(itemText(i));
            return;
        }
    }
    if (isEditable())
        setEditText(value);
    else
        setCurrentIndex(-1);
}
