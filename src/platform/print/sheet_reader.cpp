// SheetReader: xlsx through libzip and Qt's XML reader (shared strings, inline strings, numbers,
// cell references that skip empty cells); CSV by hand, with its encoding told from its bytes.
#include "platform/print/sheet_reader.h"

#include "platform/db/access_format.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <zip.h>

namespace {

// One part of the workbook; empty with *ok false when it is missing.
QByteArray zipPart(zip_t *archive, const char *name, bool *ok)
{
    *ok = false;
    zip_stat_t st;
    if (zip_stat(archive, name, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) || st.size > (zip_uint64_t(1) << 31))
        return {};
    zip_file_t *f = zip_fopen(archive, name, 0);
    if (!f)
        return {};
    QByteArray data(qsizetype(st.size), Qt::Uninitialized);
    const zip_int64_t got = zip_fread(f, data.data(), st.size);
    zip_fclose(f);
    *ok = got == zip_int64_t(st.size);
    return *ok ? data : QByteArray();
}

QStringList sharedStrings(const QByteArray &xml)
{
    QStringList out;
    QXmlStreamReader r(xml);
    QString current;
    bool inItem = false, inPhonetic = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            if (r.name() == QLatin1String("si"))
                inItem = true, current.clear();
            else if (r.name() == QLatin1String("rPh"))
                inPhonetic = true;
            else if (inItem && !inPhonetic && r.name() == QLatin1String("t"))
                current += r.readElementText();
        } else if (r.isEndElement()) {
            if (r.name() == QLatin1String("si"))
                inItem = false, out << current;
            else if (r.name() == QLatin1String("rPh"))
                inPhonetic = false;
        }
    }
    return out;
}

// "BC12" → column 54 (0-based), row 11 (0-based); false when it is no reference.
bool cellReference(QStringView ref, int *row, int *col)
{
    int c = 0, i = 0;
    while (i < ref.size() && ref[i].isLetter())
        c = c * 26 + (ref[i].toUpper().unicode() - 'A' + 1), ++i;
    if (i == 0 || i == ref.size() || c > 16384)
        return false;
    bool ok = false;
    const int r = ref.mid(i).toInt(&ok);
    if (!ok || r < 1 || r > 1048576)
        return false;
    *row = r - 1;
    *col = c - 1;
    return true;
}

// The path of the first worksheet, from the workbook and its relations.
QString firstSheetPath(zip_t *archive)
{
    bool ok = false;
    const QByteArray workbook = zipPart(archive, "xl/workbook.xml", &ok);
    QString rid;
    for (QXmlStreamReader r(workbook); ok && !r.atEnd();) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("sheet")) {
            for (const QXmlStreamAttribute &a : r.attributes())
                if (a.name() == QLatin1String("id"))
                    rid = a.value().toString();
            break;
        }
    }
    const QByteArray rels = zipPart(archive, "xl/_rels/workbook.xml.rels", &ok);
    for (QXmlStreamReader r(rels); ok && !rid.isEmpty() && !r.atEnd();) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("Relationship")
            && r.attributes().value(QLatin1String("Id")) == rid) {
            QString target = r.attributes().value(QLatin1String("Target")).toString();
            if (target.startsWith(QLatin1Char('/')))
                return target.mid(1);
            return QStringLiteral("xl/") + target;
        }
    }
    return QStringLiteral("xl/worksheets/sheet1.xml");
}

} // namespace

SheetTable ReadXlsx(const QString &path)
{
    SheetTable table;
    int err = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &err);
    if (!archive) {
        table.error = QStringLiteral("不是可以读取的 xlsx 工作簿。");
        return table;
    }
    bool ok = false;
    const QStringList strings = sharedStrings(zipPart(archive, "xl/sharedStrings.xml", &ok));
    const QByteArray sheet = zipPart(archive, firstSheetPath(archive).toUtf8().constData(), &ok);
    zip_close(archive);
    if (!ok) {
        table.error = QStringLiteral("工作簿中没有工作表。");
        return table;
    }
    QXmlStreamReader r(sheet);
    int nextRow = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement())
            continue;
        if (r.name() == QLatin1String("row")) {
            bool rowOk = false;
            const int number = r.attributes().value(QLatin1String("r")).toInt(&rowOk);
            const int row = rowOk && number >= 1 && number <= 1048576 ? number - 1 : nextRow;
            while (table.rows.size() <= row)
                table.rows.append(QStringList());
            nextRow = row + 1;
        } else if (r.name() == QLatin1String("c") && !table.rows.isEmpty()) {
            const QString type = r.attributes().value(QLatin1String("t")).toString();
            int row = nextRow - 1, col = int(table.rows.last().size());
            cellReference(r.attributes().value(QLatin1String("r")), &row, &col);
            QString value;
            while (!(r.isEndElement() && r.name() == QLatin1String("c")) && !r.atEnd()) {
                r.readNext();
                if (r.isStartElement() && (r.name() == QLatin1String("v") || r.name() == QLatin1String("t")))
                    value += r.readElementText();
            }
            if (type == QLatin1String("s"))
                value = strings.value(value.toInt());
            else if (type.isEmpty() || type == QLatin1String("n")) {
                bool isNumber = false;
                const double v = value.toDouble(&isNumber);
                if (isNumber)
                    value = accessfmt::numberText(v);
            }
            if (row >= 0 && row < table.rows.size() && col >= 0 && col < 16384) {
                QStringList &cells = table.rows[row];
                while (cells.size() <= col)
                    cells.append(QString());
                cells[col] = value;
            }
        }
    }
    if (r.hasError())
        table.error = QStringLiteral("工作表内容有误：%1").arg(r.errorString());
    return table;
}

SheetTable ParseCsv(const QByteArray &bytes)
{
    SheetTable table;
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    if (utf8.hasError()) {
        QStringDecoder gb("GB18030");
        if (!gb.isValid()) {
            table.error = QStringLiteral("文件不是 UTF-8 编码，且无法按 GB18030 读取。");
            return table;
        }
        text = gb.decode(data);
    }
    QStringList row;
    QString field;
    bool quoted = false, any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"'))
                    field += c, ++i;
                else
                    quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true, any = true;
        } else if (c == QLatin1Char(',')) {
            row << field, field.clear(), any = true;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            row << field;
            table.rows << row;
            row.clear(), field.clear(), any = false;
        } else {
            field += c, any = true;
        }
    }
    if (any || !field.isEmpty() || !row.isEmpty()) {
        row << field;
        table.rows << row;
    }
    if (quoted)
        table.error = QStringLiteral("CSV 文件中的引号没有结束。");
    return table;
}

SheetTable ReadCsv(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("无法打开文件：%1").arg(f.errorString())};
    return ParseCsv(f.readAll());
}

SheetTable ReadSheetFile(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xlsx"))
        return ReadXlsx(path);
    if (suffix == QLatin1String("csv"))
        return ReadCsv(path);
    return {{}, QStringLiteral("只能导入 .xlsx 或 .csv 文件。")};
}
