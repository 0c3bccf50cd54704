// Tests of the data restore: a month round-trips through a backup; damaged backups change nothing.
#include "support/test_env.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "operators/backup.h"
#include "operators/commands.h"
#include "operators/restore.h"
#include "payroll/wage_months.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <utime.h>

namespace {

void addPeople(Connection &cn, int n)
{
    Transaction tx(cn);
    for (int i = 0; i < n; ++i)
        cn.execute(QStringLiteral("insert into rsda (f1, f2, f5) values (?, ?, ?)"),
                   {QStringLiteral("E%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("员工'%1").arg(i), 3000 + i});
    tx.commit();
}

QString monthText(Connection &cn)
{
    QStringList out;
    for (const QVariantList &r : cn.query(QStringLiteral("select f0, f1, f2, t1, t2 from rsgz order by id")).rows)
        out << QStringList{r[0].toString(), r[1].toString(), r[2].toString(), r[3].toString(), r[4].toString()}.join('|');
    return out.join('\n');
}

// A backup made by the program, dated as written at `when`.
QString backupAt(Connection &cn, const QString &path, const QDateTime &when)
{
    QString why;
    if (Modulback::CopyDatabase(cn, path, -1, {}, &why) != Modulback::CopyResult::Done)
        qFatal("backup failed: %s", qPrintable(why));
    const utimbuf times{when.toSecsSinceEpoch(), when.toSecsSinceEpoch()};
    ::utime(QFile::encodeName(path).constData(), &times);
    return path;
}

QStringList leftovers(const TestEnv &env)
{
    return QDir(env.folder()).entryList({QStringLiteral("rsgz-restore-*")}, QDir::Files | QDir::Hidden);
}

} // namespace

class TestRestore : public QObject {
    Q_OBJECT
private slots:
    // Chosen in the list (newest first) and confirmed, a backup replaces the database: the open windows
    // are closed first, the current data is backed up beside it without overwriting the backup being
    // restored (same hour, same name), and the program goes on working on the restored data.
    void monthRoundTripsThroughTheMenu()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        addPeople(cn, 30);
        ModGzsc::GenerateMonthFromPersonnel(cn, QStringLiteral("202612"));
        cn.execute(QStringLiteral("update rsgz set t2 = id * 10"));
        const QString saved = monthText(cn);
        const QString thisHour = Modulback::BackupTargetName(env.folder(), QDateTime::currentDateTime());
        backupAt(cn, thisHour, QDateTime::currentDateTime());
        const QString older = backupAt(cn, env.path(QStringLiteral("data2026111.bak")), QDateTime::currentDateTime().addDays(-30));

        // The month changes afterwards: corrected, one row gone.
        cn.execute(QStringLiteral("update rsgz set t1 = 1, t2 = 2"));
        cn.execute(QStringLiteral("delete from rsgz where f1 = 'E0003'"));
        const QString changed = monthText(cn);

        form_main w;
        registerOperatorCommands(w);
        w.menuItem(QStringLiteral("menu_sys_5"))->setEnabled(true);
        auto *open = new QWidget;
        w.showChild(QStringLiteral("Probe"), [open] { return open; });
        QStringList listed;
        const auto chooseNewest = [&](QDialog *d) {
            auto *list = d->findChild<QTreeWidget *>(QStringLiteral("LstBackups"));
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                listed << list->topLevelItem(i)->text(0);
            list->setCurrentItem(list->topLevelItem(0));
            d->findChild<QPushButton *>(QStringLiteral("cmdRestore"))->click();
        };
        env.dialogs.steps << chooseNewest;
        // No to the question: nothing happens, the window stays open.
        env.messages.answers = {Msg::vbNo};
        w.runCommand(QStringLiteral("menu_sys_5"));
        QCOMPARE(listed, (QStringList{QFileInfo(thisHour).fileName(), QFileInfo(older).fileName()}));
        QCOMPARE(monthText(cn), changed);
        QVERIFY(w.findChildWindow(QStringLiteral("Probe")));
        QCOMPARE(QDir(env.folder()).entryList({QStringLiteral("*.bak")}).size(), 2);
        QVERIFY(leftovers(env).isEmpty());

        // Yes: restored.
        env.dialogs.steps << chooseNewest;
        listed.clear();
        env.messages.records.clear();
        w.runCommand(QStringLiteral("menu_sys_5"));
        QCOMPARE(env.messages.records.size(), 2);
        const QString done = env.messages.records.last().text;
        QVERIFY2(done.startsWith(QStringLiteral("数据恢复完成！")), qPrintable(done));
        QCOMPARE(monthText(cn), saved);
        QVERIFY(!w.findChildWindow(QStringLiteral("Probe")));
        // The backup restored from is kept as it was; the data before the restore went beside it.
        const QString safety = thisHour.chopped(4) + QStringLiteral("-1.bak");
        QVERIFY2(done.contains(safety), qPrintable(done));
        {
            Connection check;
            check.openFile(thisHour);
            QCOMPARE(monthText(check), saved);
            check.openFile(safety);
            QCOMPARE(monthText(check), changed);
        }
        QVERIFY(leftovers(env).isEmpty());
        // The connection works on the restored file and writes to it.
        cn.execute(QStringLiteral("update rsgz set t3 = 7 where f1 = 'E0003'"));
        Connection reader;
        reader.openFile(env.dbPath());
        QCOMPARE(reader.query(QStringLiteral("select t3 from rsgz where f1 = 'E0003'")).rows.value(0).value(0).toInt(), 7);
    }

    // A backup cut short, a file that is no database, and a database of another program are refused
    // with a message before anything is asked: no safety backup, the database untouched.
    void damagedBackupsChangeNothing()
    {
        TestEnv env;
        Connection &cn = env.openNewDatabase();
        addPeople(cn, 400);
        ModGzsc::GenerateMonthFromPersonnel(cn, QStringLiteral("202612"));
        const QString good = backupAt(cn, env.path(QStringLiteral("data2026121.bak")), QDateTime::currentDateTime());
        cn.execute(QStringLiteral("update rsgz set t2 = 99"));
        const QString before = monthText(cn);

        QFile source(good);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QByteArray bytes = source.readAll();
        const auto write = [&env](const char *name, const QByteArray &data) {
            QFile f(env.path(QString::fromLatin1(name)));
            f.open(QIODevice::WriteOnly);
            f.write(data);
            return f.fileName();
        };
        const QString truncated = write("data20261210.bak", bytes.left(bytes.size() * 3 / 5));
        const QString notADatabase = write("data20261211.bak", QByteArray("工资表\n").repeated(500));
        Connection other;
        other.openFile(env.path(QStringLiteral("data20261212.bak")), true);
        other.execute(QStringLiteral("create table czyzd (x)"));
        other.close();

        // Each is named with what is wrong with it, in Chinese (another program's lacks tables named).
        const std::pair<QString, QString> cases[] = {{truncated, QStringLiteral("数据没有改动")},
                                                     {notADatabase, QStringLiteral("文件不是数据库")},
                                                     {env.path(QStringLiteral("data20261212.bak")), QStringLiteral("czy、")}};
        int asked = 0;
        for (const auto &[bad, why] : cases) {
            env.messages.records.clear();
            QVERIFY(!ModRestore::RestoreFrom(cn, bad, [&asked] { return ++asked > 0; }));
            QCOMPARE(env.messages.records.size(), 1);
            const QString said = env.messages.records.first().text;
            QVERIFY2(said.contains(QFileInfo(bad).fileName()) && said.contains(QStringLiteral("数据没有改动")) &&
                         said.contains(why) && !said.contains(QStringLiteral("file is not")), qPrintable(said));
            QCOMPARE(env.messages.records.first().flags, Msg::vbCritical);
            QCOMPARE(monthText(cn), before);
            QVERIFY(leftovers(env).isEmpty());
        }
        QCOMPARE(asked, 0);
        QCOMPARE(QDir(env.folder()).entryList({QStringLiteral("*.bak")}).size(), 4);  // no safety backup was made

        // The sound one still restores.
        env.messages.records.clear();
        QVERIFY(ModRestore::RestoreFrom(cn, good, [] { return true; }));
        QVERIFY(monthText(cn) != before);
        QCOMPARE(cn.query(QStringLiteral("select count(*) from rsgz where t2 = 99")).rows.value(0).value(0).toInt(), 0);
    }
};

QTEST_MAIN(TestRestore)
#include "tst_restore.moc"
