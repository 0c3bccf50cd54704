// Tests of the data backup: file names, consistent copies while the source changes, the retry.
#include "support/test_env.h"

#include "app/program_state.h"
#include "operators/backup.h"
#include "platform/db/connection.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <sys/stat.h>

namespace {

// Fills a table with enough rows that the copy takes many steps of a few pages.
void fillRows(Connection &cn, int rows)
{
    cn.execute(QStringLiteral("create table bk_rows (id integer primary key, txt text)"));
    Transaction t(cn);
    for (int i = 0; i < rows; ++i)
        cn.execute(QStringLiteral("insert into bk_rows (txt) values (?)"), {QString(200, QLatin1Char('a' + i % 26))});
    t.commit();
}

qlonglong rowCount(Connection &cn)
{
    return cn.query(QStringLiteral("select count(*) from bk_rows")).rows.at(0).at(0).toLongLong();
}

QString integrity(Connection &cn)
{
    return cn.query(QStringLiteral("pragma integrity_check")).rows.at(0).at(0).toString();
}

// A person who inserts the disk when asked to: the target folder appears when OK is answered.
class DiskInsertingMessages : public ScriptedMessageService {
public:
    QString folderToCreate;
    int msgBox(const QString &text, int flags, const QString &title) override
    {
        const int answer = ScriptedMessageService::msgBox(text, flags, title);
        if (title == QStringLiteral("磁盘未准备好") && answer == Msg::vbOK && !folderToCreate.isEmpty())
            QDir().mkpath(folderToCreate);
        return answer;
    }
};

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    void targetNames()
    {
        using Modulback::BackupTargetName;
        QCOMPARE(BackupTargetName(QStringLiteral("/srv/gym"), QDateTime(QDate(2005, 3, 7), QTime(9, 59))),
                 QStringLiteral("/srv/gym/data2005379.bak"));
        QCOMPARE(BackupTargetName(QStringLiteral("/d"), QDateTime(QDate(2006, 10, 1), QTime(0, 30))),
                 QStringLiteral("/d/data20061010.bak"));
        // Without leading zeros 12 January and 2 November at the same hour share one name.
        const QString jan = BackupTargetName(QStringLiteral("/d"), QDateTime(QDate(2005, 1, 12), QTime(10, 5)));
        const QString nov = BackupTargetName(QStringLiteral("/d"), QDateTime(QDate(2005, 11, 2), QTime(10, 40)));
        QCOMPARE(jan, QStringLiteral("/d/data200511210.bak"));
        QCOMPARE(nov, jan);
    }

    void copyStaysConsistentWhileRowsAreWritten()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        fillRows(cn, 3000);
        Connection other;
        other.openFile(env.dbPath());

        // Rows are written between the steps through the copying connection and through a second
        // connection; the copy must still be one whole committed state.
        int steps = 0;
        const QString target = env.path(QStringLiteral("copy.bak"));
        QString error;
        const auto result = Modulback::CopyDatabase(cn, target, 8, [&] {
            ++steps;
            if (steps <= 30) {
                Connection &writer = steps % 2 ? cn : other;
                writer.execute(QStringLiteral("insert into bk_rows (txt) values ('during')"));
                writer.execute(QStringLiteral("update bk_rows set txt = 'changed' where id = ") + QString::number(steps * 50));
            }
        }, &error);
        QCOMPARE(result, Modulback::CopyResult::Done);
        QVERIFY2(steps > 30, "the copy should have taken many steps");

        Connection copy;
        copy.openFile(target);
        QCOMPARE(integrity(copy), QStringLiteral("ok"));
        QCOMPARE(rowCount(copy), 3030);
        QCOMPARE(copy.query(QStringLiteral("select count(*) from bk_rows where txt = 'changed'")).rows[0][0].toInt(), 30);
        QVERIFY(!QFile::exists(target + QStringLiteral(".part")));

        // A file of the same name is replaced whole, even one that is no database at all.
        copy.close();
        cn.execute(QStringLiteral("delete from bk_rows where id > 100"));
        QFile junk(target);
        QVERIFY(junk.open(QIODevice::WriteOnly | QIODevice::Truncate));
        junk.write(QByteArray(5000, 'x'));
        junk.close();
        QCOMPARE(Modulback::CopyDatabase(cn, target), Modulback::CopyResult::Done);
        copy.openFile(target);
        QCOMPARE(integrity(copy), QStringLiteral("ok"));
        QCOMPARE(rowCount(copy), 100);
    }

    void backupCommandAndNotReadyTarget()
    {
        TestEnv env;
        DiskInsertingMessages messages;
        MessageService::install(&messages);
        Connection &cn = env.openNewDatabase();
        fillRows(cn, 50);

        // The target folder is missing: the user gives up; nothing more is said, nothing is written.
        strDataPath = env.path(QStringLiteral("floppy"));
        messages.answers = {Msg::vbCancel};
        Modulback::Backup();
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("请插入软盘，关好驱动器门")});
        QCOMPARE(messages.records[0].flags, 49);
        QVERIFY(!QDir(strDataPath).exists());

        // A target "folder" that is a file cannot be written either; OK twice retries twice.
        messages.records.clear();
        QFile blocker(env.path(QStringLiteral("blocked")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        strDataPath = blocker.fileName();
        messages.answers = {Msg::vbOK, Msg::vbOK, Msg::vbCancel};
        Modulback::Backup();
        QCOMPARE(messages.records.size(), 3);

        // The user inserts the disk when asked: the retry completes with the usual message.
        messages.records.clear();
        strDataPath = env.path(QStringLiteral("floppy"));
        messages.folderToCreate = strDataPath;
        messages.answers = {Msg::vbOK};
        const QDateTime before = QDateTime::currentDateTime();
        Modulback::Backup();
        const QDateTime after = QDateTime::currentDateTime();
        QCOMPARE(messages.records.size(), 2);
        const QString first = Modulback::BackupTargetName(strDataPath, before);
        const QString second = Modulback::BackupTargetName(strDataPath, after);
        const QString target = QFile::exists(first) ? first : second;
        QCOMPARE(messages.records[1].text, QStringLiteral("数据备份完成!备份后的文件名称为： ") + target + QStringLiteral("!"));
        QCOMPARE(messages.records[1].flags, 48);
        Connection copy;
        copy.openFile(target);
        QCOMPARE(rowCount(copy), 50);
        MessageService::install(nullptr);
    }

    void otherFailuresAreSaidAndEnd()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        fillRows(cn, 5);
        strDataPath = env.folder();

        // The copy cannot be made beside the target (here a folder stands in its way): said once, in
        // Chinese, with the critical icon; no "insert the disk", no retry, nothing left behind.
        const QString target = Modulback::BackupTargetName(strDataPath, QDateTime::currentDateTime());
        QVERIFY(QDir().mkpath(target + QStringLiteral(".part/x")));
        Modulback::Backup();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY2(env.messages.records[0].text.startsWith(QStringLiteral("数据备份失败！")), qPrintable(env.messages.records[0].text));
        QCOMPARE(env.messages.records[0].flags, Msg::vbCritical);
        QVERIFY(!QFile::exists(target));
        QDir(target + QStringLiteral(".part")).removeRecursively();

        // A folder that may not be written: the same, saying why.
        const QString shut = env.path(QStringLiteral("shut"));
        QVERIFY(QDir().mkpath(shut));
        QFile::setPermissions(shut, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        strDataPath = shut;
        {
            AsOrdinaryUser ordinary(env);
            Modulback::Backup();
        }
        QFile::setPermissions(shut, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(env.messages.records.size(), 2);
        QVERIFY2(env.messages.records[1].text.contains(QStringLiteral("只读")), qPrintable(env.messages.records[1].text));

        // A backup that succeeds is readable by its owner only.
        strDataPath = env.folder();
        const mode_t mask = ::umask(0);
        QString why;
        QCOMPARE(Modulback::CopyDatabase(cn, target, -1, {}, &why), Modulback::CopyResult::Done);
        ::umask(mask);
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(target).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, 0600u);
    }

    void serverModeEndsSilently()
    {
        TestEnv env;
        strDbType = QStringLiteral("SQLSERVER");
        strDataPath.clear();
        strDataFile.clear();
        Modulback::Backup();
        QVERIFY(env.messages.records.isEmpty());
        QCOMPARE(QDir(env.folder()).entryList(QDir::Files), QStringList());
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
