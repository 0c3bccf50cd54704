// Tests of the application information (appreadme.txt override) and the About box.
#include "support/test_env.h"

#include "app/about_window.h"
#include "app/app_info.h"
#include "app/program_state.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {
void writeReadme(const TestEnv &env, const QByteArray &content)
{
    QFile f(env.path(QStringLiteral("appreadme.txt")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}
// The eight fields as read with appreadme.txt holding content.
QStringList fieldsRead(const TestEnv &env, const QByteArray &content)
{
    writeReadme(env, content);
    ClsAppname a;
    a.GetAppInfo();
    return {a.strAppname(), a.strAppVer(), a.strCo(), a.strEmail(), a.strTel(), a.strAdd(), a.strHome(), a.strCoE()};
}
} // namespace

class TestAppInfo : public QObject {
    Q_OBJECT
private slots:
    void overrideFile()
    {
        TestEnv env;
        ClsAppname a;  // no file: the defaults
        a.GetAppInfo();
        const QStringList defaults = {a.strAppname(), a.strAppVer(), a.strCo(), a.strEmail(), a.strTel(), a.strAdd(), a.strHome(), a.strCoE()};
        QCOMPARE(defaults.at(0), QStringLiteral("澄川禾沐馆务"));
        QCOMPARE(defaults.at(2), QStringLiteral("澄川软件"));
        QCOMPARE(defaults.at(7), QStringLiteral("QVM"));
        QCOMPARE(fieldsRead(env, QByteArray()), defaults);  // an empty file changes nothing

        // Three lines (Windows line ends too) replace name, version and company only.
        QStringList expected = defaults;
        expected[0] = QStringLiteral("健身馆人事工资");
        expected[1] = QStringLiteral("V2.0");
        expected[2] = QStringLiteral("某某公司");
        QCOMPARE(fieldsRead(env, "健身馆人事工资\r\nV2.0\r\n某某公司\r\n"), expected);

        // An empty first line gives an empty name; blank lines count as lines.
        expected = defaults;
        expected[0] = expected[2] = QString();
        expected[1] = QStringLiteral("V3");
        expected[3] = QStringLiteral("  info@x  ");
        QCOMPARE(fieldsRead(env, "\nV3\n\n  info@x  \n"), expected);

        // Twenty lines: the first seven are used, the rest ignored, and reading does not fail.
        QByteArray content;
        for (int i = 1; i <= 20; ++i)
            content += "第" + QByteArray::number(i) + "行\n";
        const QStringList got = fieldsRead(env, content);
        for (int i = 0; i < 7; ++i)
            QCOMPARE(got.at(i), QStringLiteral("第%1行").arg(i + 1));
        QCOMPARE(got.at(7), QStringLiteral("QVM"));
    }

    void aboutBox()
    {
        TestEnv env;
        writeReadme(env, "名称\nV9\n澄川\nmail@example.com\n123\n某路1号\nhttps://example.com/home\n");
        frmAbout about;
        about.show();
        QCOMPARE(about.windowTitle(), QStringLiteral("关于禾沐馆务"));
        const std::pair<const char *, QString> labels[] = {
            {"Label7", kAppTitle}, {"Label6", kAppTitle + QStringLiteral(" V9")}, {"LabeCo", QStringLiteral("澄川")},
            {"LabeEmail", QStringLiteral("mail@example.com")}, {"Labetel", QStringLiteral("123")},
            {"LabeDZ", QStringLiteral("某路1号")}, {"Labehome", QStringLiteral("https://example.com/home")}};
        for (const auto &[name, text] : labels) {
            auto *l = about.findChild<QLabel *>(QString::fromLatin1(name));
            QVERIFY2(l && l->text() == text, name);
        }
        QVERIFY(about.findChild<QLabel *>(QStringLiteral("Image3")));  // no back.bmp: left empty
        auto *sysInfo = about.findChild<QPushButton *>(QStringLiteral("Command1"));
        QCOMPARE(sysInfo->text(), QStringLiteral("系统信息(&S)..."));

        // Clicking the address opens it.
        QTest::mouseClick(about.findChild<QLabel *>(QStringLiteral("Labehome")), Qt::LeftButton);
        QCOMPARE(env.shell.openedDocuments, QStringList({"https://example.com/home"}));

        // No system-information program on this machine: the message, nothing started.
        env.shell.knownPrograms.clear();
        QTest::mouseClick(sysInfo, Qt::LeftButton);
        QCOMPARE(env.messages.texts(), QStringList({"此时系统信息无效"}));
        QCOMPARE(env.messages.records[0].flags, 0);
        QVERIFY(env.shell.startedPrograms.isEmpty());
        // With one, it is started and nothing is said.
        env.shell.knownPrograms = {QStringLiteral("/usr/bin/kinfocenter")};
        QTest::mouseClick(sysInfo, Qt::LeftButton);
        QCOMPARE(env.shell.startedPrograms, QStringList({"/usr/bin/kinfocenter"}));
        QCOMPARE(env.messages.records.size(), 1);

        QTest::mouseClick(about.findChild<QPushButton *>(QStringLiteral("Command2")), Qt::LeftButton);
        QVERIFY(!about.isVisible());
    }
};

QTEST_MAIN(TestAppInfo)
#include "tst_app_info.moc"
