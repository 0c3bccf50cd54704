// frmAbout: the About box.
#include "app/about_window.h"

#include "app/app_info.h"
#include "app/program_state.h"
#include "platform/shell/shell.h"
#include "platform/ui/message_service.h"
#include "platform/ui/twips.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>

namespace {

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, const QRect &twips)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    return label;
}

// Programs that show the hardware and system of this machine, in order of preference.
const char *const kSysInfoPrograms[] = {"hardinfo", "gnome-system-monitor", "kinfocenter", "lshw-gtk"};

} // namespace

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于") + kAppTitle);
    setFixedSize(Twips::toPx(6600), Twips::toPx(4200));

    Image3 = makeLabel(this, QStringLiteral("Image3"), QString(), QRect(240, 240, 1500, 1500));
    Image3->setScaledContents(true);
    const QPixmap picture(Shell::instance().programFolder() + QStringLiteral("/back.bmp"));
    if (!picture.isNull())  // a missing picture is ignored
        Image3->setPixmap(picture);

    ClsAppname app;
    app.GetAppInfo();

    Label7 = makeLabel(this, QStringLiteral("Label7"), kAppTitle, QRect(1950, 240, 4400, 480));
    QFont big = Label7->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    Label7->setFont(big);
    Label6 = makeLabel(this, QStringLiteral("Label6"), kAppTitle + QLatin1Char(' ') + app.strAppVer(),
                       QRect(1950, 780, 4400, 300));
    LabeCo = makeLabel(this, QStringLiteral("LabeCo"), app.strCo(), QRect(1950, 1140, 4400, 300));

    struct Row {
        QLabel **value;
        const char *name;
        const char *caption;
        QString text;
    };
    const Row rows[] = {
        {&LabeEmail, "LabeEmail", "E-Mail:", app.strEmail()},
        {&Labetel, "Labetel", "电话:", app.strTel()},
        {&LabeDZ, "LabeDZ", "地址：", app.strAdd()},
        {&Labehome, "Labehome", "网址:", app.strHome()},
    };
    int top = 1560;
    int number = 1;
    for (const Row &row : rows) {
        const QString caption = QString::fromUtf8(row.caption);
        makeLabel(this, QStringLiteral("Label%1").arg(number++), caption, QRect(1950, top, 900, 300));
        *row.value = makeLabel(this, QString::fromLatin1(row.name), row.text, QRect(2880, top, 3500, 300));
        (*row.value)->setAccessibleName(caption);
        (*row.value)->setTextInteractionFlags(Qt::TextSelectableByMouse);
        top += 360;
    }
    Labehome->setTextInteractionFlags(Qt::NoTextInteraction);
    Labehome->setCursor(Qt::PointingHandCursor);
    QFont link = Labehome->font();
    link.setUnderline(true);
    Labehome->setFont(link);
    Labehome->installEventFilter(this);

    Command2 = new QPushButton(QStringLiteral("确定"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Twips::rect(4800, 3060, 1560, 375));
    Command2->setDefault(true);
    connect(Command2, &QPushButton::clicked, this, &QDialog::close);

    Command1 = new QPushButton(QStringLiteral("系统信息(&S)..."), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(4800, 3540, 1560, 375));
    connect(Command1, &QPushButton::clicked, this, &frmAbout::StartSysInfo);
}

QString frmAbout::FindSysInfoProgram()
{
    for (const char *name : kSysInfoPrograms) {
        const QString found = Shell::instance().findProgram(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

void frmAbout::StartSysInfo()
{
    const QString program = FindSysInfoProgram();
    if (program.isEmpty()) {
        MsgBox(QStringLiteral("此时系统信息无效"), Msg::vbOKOnly);
        return;
    }
    Shell::instance().startProgram(program, {});
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    // Clicking the home-page address opens it with the desktop's handler.
    if (watched == Labehome && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Shell::instance().openDocument(Labehome->text());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
