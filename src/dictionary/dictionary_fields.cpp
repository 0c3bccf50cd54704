// Dictionary-driven field routines shared by the record editors (Modkrda, ModbtHelp).
#include "dictionary/dictionary_fields.h"

#include "app/program_state.h"
#include "app/sql_text.h"
#include "dictionary/dictionary_codes.h"
#include "dictionary/dictionary_tables.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/ui/bound_line_edit.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/keyed_toolbar.h"
#include "platform/ui/message_service.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <QDate>
#include <QDateTime>
#include <QLineEdit>
#include <QLocale>

QString strUpdateSet;

namespace {

const char *const kDataField = "dataField";
const char *const kTag = "tag";

// Plain year-month-day dates, with "-", "/" or "." and an optional time of day.
bool isDateText(const QString &value)
{
    const QString v = value.trimmed();
    static const QStringList dateFormats = {QStringLiteral("yyyy-M-d"), QStringLiteral("yyyy/M/d"),
                                            QStringLiteral("yyyy.M.d"), QStringLiteral("yyyyMMdd")};
    static const QStringList timeFormats = {QStringLiteral(" H:m:s"), QStringLiteral(" H:m")};
    for (const QString &df : dateFormats) {
        if (QDate::fromString(v, df).isValid())
            return true;
        for (const QString &tf : timeFormats)
            if (QDateTime::fromString(v, df + tf).isValid())
                return true;
    }
    return false;
}

// Blanks at either end are not counted.
QString trimBlanks(const QString &s)
{
    int b = 0, e = s.size();
    while (b < e && s.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && s.at(e - 1) == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}

} // namespace

std::optional<QString> FieldValueProblem(const QString &type, int length, const QString &value, const QString &caption,
                                         const QVariant &nullbj)
{
    using DictCodes::TypeRule;
    const TypeRule rule = DictCodes::typeRule(type);
    if (rule == TypeRule::NotAccepted)
        return QString();
    if (value.isEmpty()) {
        DictRow mark;
        mark.nullbj = nullbj;
        return mark.mayBeEmpty() ? std::nullopt : std::optional<QString>(caption + QStringLiteral(" 数据不能为空!"));
    }
    switch (rule) {
    case TypeRule::Text:
        if (trimBlanks(value).size() > length)
            return caption + QStringLiteral(" 输入数据超长!");
        return std::nullopt;
    case TypeRule::Number:
        if (!IsPlainNumber(value))
            return caption + QStringLiteral("  请输入数字！");
        return std::nullopt;
    case TypeRule::Date:
        if (!isDateText(value))
            return caption + QStringLiteral(" 请输入日期！");
        return std::nullopt;
    case TypeRule::NotAccepted:
        break;
    }
    return QString();
}

bool CheckFieldValue(const QString &type, int length, const QString &value, const QString &caption,
                     const QVariant &nullbj)
{
    const std::optional<QString> problem = FieldValueProblem(type, length, value, caption, nullbj);
    if (!problem)
        return true;
    if (!problem->isEmpty())
        MsgBox(*problem, Msg::vbOKOnly + Msg::vbExclamation);
    return false;
}

bool CheckPersonnelFields(Connection &cn, const QString &code, const QList<FieldBoxValue> &boxes)
{
    const QList<DictRow> dict = ModDict::PersonnelDict(cn, code);
    for (const FieldBoxValue &box : boxes) {
        const DictRow *row = ModDict::FindByColumn(dict, box.dataField.trimmed());
        if (!row)
            continue;  // nothing in the dictionary to check this box against
        if (!CheckFieldValue(row->colmType, row->colmCd.toInt(), box.text, row->colmName, row->nullbj))
            return false;
    }
    return true;
}

void BuildUpdateSetList(Connection &cn, const QList<FieldBoxValue> &boxes, const QString &table, qint64 id)
{
    QString list;
    for (const FieldBoxValue &box : boxes) {
        if (box.text.isEmpty()) {
            cn.execute(QStringLiteral("update ") + table + QStringLiteral(" set ") + box.dataField +
                       QStringLiteral("=null where id=") + QString::number(id));
            continue;
        }
        QString v = box.text;
        if (DictCodes::quotedInUpdate(box.tag))
            v = QLatin1Char('\'') + SqlQuote(v) + QLatin1Char('\'');
        if (!list.isEmpty())
            list += QLatin1Char(',');
        list += QLatin1Char('[') + box.dataField + QStringLiteral("]=") + v;
    }
    strUpdateSet = list;
}

QString boxDataField(const QLineEdit *box)
{
    if (const auto *bound = qobject_cast<const BoundLineEdit *>(box))
        return bound->dataField();
    return box->property(kDataField).toString();
}

void setBoxDataField(QLineEdit *box, const QString &field)
{
    if (auto *bound = qobject_cast<BoundLineEdit *>(box))
        bound->setDataField(field);
    else
        box->setProperty(kDataField, field);
}
QString boxTag(const QLineEdit *box) { return box->property(kTag).toString(); }
void setBoxTag(QLineEdit *box, const QString &tag) { box->setProperty(kTag, tag); }

QList<FieldBoxValue> fieldBoxValues(const QList<QLineEdit *> &boxes)
{
    QList<FieldBoxValue> out;
    out.reserve(boxes.size());
    for (const QLineEdit *box : boxes)
        out.append({boxDataField(box), box->text(), boxTag(box)});
    return out;
}

void LockFields(const QList<QLineEdit *> &boxes, int count, bool locked)
{
    for (int i = 0; i < count && i < boxes.size(); ++i)
        boxes.at(i)->setReadOnly(locked);
}

void FillFieldsFromRecord(const QList<QLineEdit *> &boxes, int count, const Recordset &rs)
{
    if (!rs.isOpen() || rs.eof() || rs.bof() || rs.currentRow() < 0)
        return;  // also right after a delete, when the cursor stands on no row
    for (int i = 0; i < count && i < boxes.size(); ++i) {
        const QString field = boxDataField(boxes.at(i));
        if (field.isEmpty())
            continue;  // a box bound to no column
        const QVariant v = rs.value(field);
        boxes.at(i)->setText(fieldValueText(v));
    }
}

bool CheckPersonnelFields(const QString &code, const QList<QLineEdit *> &boxes)
{
    return CheckPersonnelFields(cnMain, code, fieldBoxValues(boxes));
}

void BuildUpdateSetList(const QList<QLineEdit *> &boxes, int count, const QString &table, qint64 id)
{
    BuildUpdateSetList(cnMain, fieldBoxValues(boxes.mid(0, count)), table, id);
}

std::optional<QList<GridColumnCaption>> GridCaptionsFor(Connection &cn, const QString &code,
                                                       const QStringList &fields)
{
    const QList<DictRow> dict = ModDict::ReadDictRows(cn, ModDict::WageDictCaptionsSql(code));
    if (dict.isEmpty())
        return std::nullopt;
    QList<GridColumnCaption> out;
    out.reserve(fields.size());
    for (const QString &field : fields) {
        GridColumnCaption c;
        if (const DictRow *row = ModDict::FindByColumn(dict, field.trimmed().toLower())) {
            c.found = true;
            c.caption = row->colmName;
            c.width = row->gridWidthTwips();
        }
        out.append(c);
    }
    return out;
}

void SetGridCaptions(DataGrid *grid, const QString &code)
{
    QStringList fields;
    for (int i = 0; i < grid->columnCount(); ++i)
        fields << grid->columnField(i);
    const auto columns = GridCaptionsFor(cnMain, code, fields);
    if (!columns)
        return;
    for (int i = 0; i < columns->size(); ++i) {
        const GridColumnCaption &c = columns->at(i);
        if (c.found)
            grid->setColumnCaption(i, c.caption);
        grid->setColumnWidthTwips(i, c.width);
    }
}

void MoveByButton(Recordset &rs, int index, const std::function<void(bool back, bool forward)> &setButtons)
{
    if (rs.RecordCount() < 2)
        return;
    switch (index) {
    case 0:
        rs.MoveFirst();
        setButtons(false, true);
        break;
    case 1:
        rs.MovePrevious();
        if (rs.bof())
            rs.MoveFirst();
        setButtons(rs.AbsolutePosition() != 1, true);
        break;
    case 2:
        rs.MoveNext();
        if (rs.eof())
            rs.MoveLast();
        setButtons(true, rs.AbsolutePosition() != rs.RecordCount());
        break;
    case 3:
        setButtons(true, false);
        rs.MoveLast();
        break;
    }
}

void DeleteCurrentRecord(Recordset &rs)
{
    if (MsgBox(QStringLiteral("确认删除当前记录"), Msg::vbOKCancel + Msg::vbExclamation) != Msg::vbOK)
        return;
    rs.Delete();
    rs.MoveNext();
    if (rs.eof() && rs.RecordCount() > 0)
        rs.MoveLast();
}

void FindEmployeeNumber(Recordset &rs, const QString &number)
{
    if (rs.Find(QStringLiteral("f1='") + SqlQuote(number) + QLatin1Char('\'')))
        return;
    MsgBox(QStringLiteral("未查到数据!"), Msg::vbOKOnly + Msg::vbExclamation);
    if (rs.RecordCount() > 0)
        rs.MoveLast();
}

bool HandleFieldBoxEvent(const QList<QLineEdit *> &boxes, QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QLineEdit *>(watched);
    const int i = box ? int(boxes.indexOf(box)) : -1;
    if (i >= 0 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            boxes.at(i + 1 < boxes.size() ? i + 1 : 0)->setFocus();
            return true;
        }
    } else if (i == 2 && event->type() == QEvent::FocusOut && !box->isReadOnly()) {
        // Only a changed text is written back, so leaving the box starts no edit of its own.
        const QString upper = box->text().toUpper();
        if (upper != box->text())
            box->setText(upper);
    }
    return false;
}

void SetMoveButtons(QPushButton *const (&buttons)[4], bool back, bool forward)
{
    buttons[0]->setEnabled(back);
    buttons[1]->setEnabled(back);
    buttons[2]->setEnabled(forward);
    buttons[3]->setEnabled(forward);
}

void SetEditorToolbar(KeyedToolBar &toolbar, bool browsing)
{
    for (const char *key : {"printview", "print", "new", "Edit", "find", "delete", "exit"})
        toolbar.setButtonEnabled(QString::fromLatin1(key), browsing);
    toolbar.setButtonEnabled(QStringLiteral("cancel"), !browsing);
    toolbar.setButtonEnabled(QStringLiteral("save"), !browsing);
}
