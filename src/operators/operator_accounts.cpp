// ModCzygl: the data work of operator management (tables czyzd and czy).
#include "operators/operator_accounts.h"

#include "app/permissions.h"
#include "app/sql_text.h"
#include "platform/db/connection.h"

namespace ModCzygl {

namespace {

QString quoted(const QString &text) { return QLatin1Char('\'') + SqlQuote(text) + QLatin1Char('\''); }

void insertPermission(Connection &cn, const QString &name, const QString &czyNo, const QString &permission)
{
    cn.execute(QStringLiteral("insert into czy([name],czy_id,nr) ") + QStringLiteral(" values(") + quoted(name) +
               QLatin1Char(',') + czyNo + QLatin1Char(',') + quoted(permission) + QLatin1Char(')'));
}

} // namespace

bool NameTaken(Connection &cn, const QString &name)
{
    // Compared here rather than by the database, whose "=" minds letter case.
    const QString wanted = name.trimmed();
    const ResultSet all = cn.query(QStringLiteral("select czy_name from czyzd"));
    for (const QVariantList &row : all.rows)
        if (!row.value(0).isNull() && row.value(0).toString().trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

AddResult AddOperator(Connection &cn, const QString &name, const QString &password, const QString &confirm,
                      const QString &jobType)
{
    if (NameTaken(cn, name))
        return AddResult::Duplicate;
    if (name.isEmpty() || password.isEmpty())
        return AddResult::MissingNameOrPassword;
    if (password != confirm)
        return AddResult::PasswordMismatch;
    // Neither can be typed at the login, and a NUL cannot stand in SQL text at all.
    for (const QString &text : {name, password})
        for (QChar c : text)
            if (c.category() == QChar::Other_Control)
                return AddResult::ControlCharacters;
    const QString job = jobType.isEmpty() ? kDefaultJobType : jobType;
    Transaction tx(cn);
    cn.execute(QStringLiteral("insert into  czyzd(czy_name,czy_pass,zwlx)") + QStringLiteral("values(") + quoted(name) +
               QLatin1Char(',') + quoted(password) + QLatin1Char(',') + quoted(job) + QLatin1Char(')'));
    // A database made before sys_tag had its default leaves it Null, which would hide the new
    // operator from every list of this window.
    cn.execute(QStringLiteral("update czyzd set sys_tag=0 where sys_tag is null and ") + SqlSameText(QStringLiteral("czy_name"), name));
    tx.commit();
    return AddResult::Added;
}

QStringList OperatorPermissions(Connection &cn, const QString &name)
{
    const ResultSet rs = cn.query(QStringLiteral("select * from czy where ") + SqlSameText(QStringLiteral("name"), name));
    const int nr = rs.columns.indexOf(QStringLiteral("nr"));
    QStringList out;
    for (const QVariantList &row : rs.rows)
        out << row.value(nr).toString();
    return out;
}

void SaveOperatorPermissions(Connection &cn, const QString &name, const QStringList &permissions)
{
    Transaction transaction(cn);
    cn.execute(QStringLiteral("delete  from czy where ") + SqlSameText(QStringLiteral("name"), name));
    const ResultSet op =
        cn.query(QStringLiteral("select czy_no from czyzd where sys_tag=0 and ") + SqlSameText(QStringLiteral("czy_name"), name));
    if (op.rows.isEmpty())
        throw DbError(DbError::NoCurrentRecord,
                      QStringLiteral("BOF 或 EOF 中有一个是“真”，或者当前记录已被删除，所请求的操作要求一个当前记录。"));
    // czy_no is an integer key; its decimal text goes into the statement bare.
    const QString czyNo = QString::number(op.rows.first().value(0).toLongLong());
    for (const QString &permission : permissions)
        insertPermission(cn, name, czyNo, permission);
    transaction.commit();
}

void RebuildSystemPermissions(Connection &cn)
{
    Transaction transaction(cn);
    cn.execute(QStringLiteral("delete from czy where [name]='system'"));
    for (const QString &permission : kPermissionNames)
        cn.execute(QStringLiteral("insert into czy([name],czy_id,nr) ") + QStringLiteral(" values('system',  1 ,") +
                   quoted(permission) + QLatin1Char(')'));
    transaction.commit();
}

bool DeleteOperator(Connection &cn, const QString &name)
{
    Transaction transaction(cn);
    // A built-in shares nothing with the operators listed here; a name that is one is left alone,
    // together with its permission rows.
    const ResultSet rows = cn.query(QStringLiteral("select sys_tag from czyzd where ") + SqlSameText(QStringLiteral("czy_name"), name));
    for (const QVariantList &row : rows.rows)
        if (row.value(0).isNull() || row.value(0).toLongLong() != 0)
            return false;
    cn.execute(QStringLiteral("delete  from czy where ") + SqlSameText(QStringLiteral("name"), name));
    cn.execute(QStringLiteral("delete from czyzd where ") + SqlSameText(QStringLiteral("czy_name"), name));
    transaction.commit();
    return true;
}

} // namespace ModCzygl
