// ModBmCD: segment table, code check, suggested code and the closing leaf-flag recomputation.
#include "departments/department_codes.h"

#include "app/program_state.h"
#include "app/sql_text.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"

namespace ModBmCD {

BmCdTable BmCdLen{};

void BmCdInit()
{
    BmCdLen = {3, 1, 1, 3, 0};
}

QString SegmentText(const BmCdTable &len)
{
    return QString::number(len[1]) + QLatin1Char('-') + QString::number(len[2]) + QLatin1Char('-') +
           QString::number(len[3]);
}

namespace {

int countCode(Connection &cn, const QString &code, const QString &tail)
{
    return int(cn.query(QStringLiteral("select bmcode from bmcode where bmcode='") + SqlQuote(code) + tail).rows.size());
}

} // namespace

CodeCheck CheckCode(Connection &cn, const QString &code, const BmCdTable &len, bool adding, const QString &ownCode)
{
    CodeCheck out;
    const int n = qBound(0, int(len[0]), int(len.size()) - 1);
    const int length = int(code.size());
    if (length < len[1]) {
        out.message = QStringLiteral("商品长度应为") + QString::number(len[1]);
        return out;
    }
    out.level = QStringLiteral("1");
    int sum = 0;
    for (int i = 1; i <= n - 1; ++i) {
        sum += len[i];
        if (sum < length && length < sum + len[i + 1]) {
            out.message = QStringLiteral("编码长度应为") + QString::number(sum + len[i + 1]);
            return out;
        }
    }
    const int total = sum + (n > 0 ? len[n] : 0);
    if (length > total) {
        out.message = QStringLiteral("编码长度超过定义总长度") + QString::number(total);
        return out;
    }
    int level = 1;
    for (int j = 1, running = 0; j <= n; ++j) {
        running += len[j];
        if (running == length) {
            level = j;
            out.level = QString::number(j);
            break;
        }
    }

    QString c = code;
    if (level != 1) {
        c = c.trimmed();
        const QString parent = c.left(qMax(0, int(c.size()) - len[level])).trimmed();
        if (countCode(cn, parent, QStringLiteral("'")) == 0) {
            out.message = QStringLiteral("上级商品未定义！");
            return out;
        }
    }

    // Recoding a department to the code it already has finds that department itself.
    const int found = countCode(cn, c, QStringLiteral("'  "));
    const int allowed = !adding && c.trimmed() == ownCode.trimmed() ? 1 : 0;
    if (found > allowed) {
        out.message = QStringLiteral("部门编码重复！");
        out.duplicate = true;
    }
    return out;
}

QString SuggestedCode(const QString &shown, bool tableEmpty)
{
    if (tableEmpty)
        return QStringLiteral("1");
    if (shown.size() <= 1)
        return shown;
    // The last character read as a number (a letter reads as 0), plus one.
    const QChar last = shown.back();
    const int next = (last.isDigit() ? last.digitValue() : 0) + 1;
    return shown.left(shown.size() - 1) + QString::number(next);
}

QString FirstSubDepartment(Connection &cn, const QString &code)
{
    // Compared here: a code may hold "%" or "_", which a like pattern would take as wildcards.
    if (code.isEmpty())
        return {};
    const ResultSet rs = cn.query(QStringLiteral("select bmcode from bmcode order by bmcode"));
    for (const QVariantList &row : rs.rows) {
        const QString other = row.value(0).toString();
        if (other != code && other.startsWith(code))
            return other;
    }
    return {};
}

QString BoolLiteral(bool value)
{
    if (strDbType.trimmed().toUpper() == QLatin1String("SQLSERVER"))
        return value ? QStringLiteral("1") : QStringLiteral("0");
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

void CloseDepartmentCodes(Connection &cn)
{
    Recordset rs;
    rs.Open(QStringLiteral("select * from bmcode order by bmcode "), cn, Recordset::adOpenDynamic,
            Recordset::adLockOptimistic);
    const int rows = rs.RecordCount();
    if (rows > 0) {
        cn.execute(QStringLiteral("update bmcode set zzbj=") + BoolLiteral(true));
        if (rows > 1) {
            rs.Requery();
            // Rows come in code order, so a row followed by a longer code has a sub-department.
            const int codeColumn = rs.fieldIndex(QStringLiteral("bmcode"));
            auto codeLength = [&](int row) { return int(rs.valueAt(row, codeColumn).toString().size()); };
            int l2 = 0;
            for (int r = 0; r < rs.RecordCount(); ++r) {
                const int l1 = codeLength(r);
                if (r + 1 < rs.RecordCount())
                    l2 = codeLength(r + 1);
                if (l2 > l1) {
                    rs.setAbsolutePosition(r + 1);
                    rs.setValue(QStringLiteral("zzbj"), false);
                    rs.Update();
                }
            }
        }
    }
    rs.Close();
    cn.execute(QStringLiteral("delete from bmcode where name is null"));
}

} // namespace ModBmCD
