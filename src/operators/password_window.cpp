// frm_czy_password: the "操作员口令变更" window: the operator logged in changes their own password.
#include "operators/password_window.h"

#include "app/program_state.h"
#include "app/sql_text.h"
#include "app/startup.h"
#include "operators/password_echo.h"
#include "platform/db/recordset.h"
#include "platform/ui/message_service.h"
#include "platform/ui/design_layout.h"
#include "platform/ui/twips.h"
#include "platform/ui/user_moves.h"

#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

namespace {
const QString kTitle = QStringLiteral("口令变更");
constexpr int kWidth = 5400, kHeight = 3600;
} // namespace

frm_czy_password::frm_czy_password(QWidget *parent)
    : QWidget(parent), rsPassword(new Recordset(this)), m_moves(new UserMoves(this))
{
    setObjectName(QStringLiteral("frm_czy_password"));
    setWindowTitle(QStringLiteral("操作员口令变更"));
    resize(Twips::toPx(kWidth), Twips::toPx(kHeight));

    Frame1 = new QGroupBox(QStringLiteral("设置口令"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::rect(240, 180, kWidth - 480, 2220));

    const QString captions[3] = {QStringLiteral("原 口 令:"), QStringLiteral("新 口 令:"), QStringLiteral("验证口令:")};
    QLabel **labels[3] = {&Label1, &Label2, &Label3};
    for (int i = 0; i < 5; ++i) {
        auto *b = new QLineEdit(Frame1);
        b->setObjectName(QStringLiteral("Txt_password_%1").arg(i));
        Txt_password[i] = b;
        if (i >= 3) {
            // The count of wrong tries and the stored password: kept, never shown.
            b->setAccessibleName(i == 3 ? QStringLiteral("错误次数") : QStringLiteral("原口令"));
            b->hide();
            continue;
        }
        QLabel *&l = *labels[i];
        l = new QLabel(captions[i], Frame1);
        l->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        l->setGeometry(Twips::rect(360, 420 + i * 570, 1200, 300));
        l->setBuddy(b);
        b->setAccessibleName(captions[i].chopped(1));
        b->setGeometry(Twips::rect(1620, 390 + i * 570, 2760, 360));
        PasswordEcho::echoStars(b);
        b->installEventFilter(this);
        connect(b, &QLineEdit::textChanged, this, [this] { com_password[0]->setEnabled(true); });
    }
    // A changed old password has to be checked again.
    connect(Txt_password[0], &QLineEdit::textChanged, this, [this] { m_oldAccepted = false; });

    const QString buttons[2] = {QStringLiteral("变更口令确认(&Y)"), QStringLiteral("变更口令取消(&N)")};
    for (int i = 0; i < 2; ++i) {
        com_password[i] = new QPushButton(buttons[i], this);
        com_password[i]->setObjectName(QStringLiteral("com_password_%1").arg(i));
        com_password[i]->setGeometry(Twips::rect(600 + i * 2250, 2700, 1950, 450));
    }
    connect(com_password[0], &QPushButton::clicked, this, &frm_czy_password::last_password);
    connect(com_password[1], &QPushButton::clicked, this, &QWidget::close);
    auto *layout = new DesignLayout(this);
    layout->stretch(Frame1, Qt::Horizontal).addPage(Frame1, Frame1);
    for (int i = 0; i < 3; ++i)
        layout->stretch(Txt_password[i], Qt::Horizontal);
    layout->finish();

    Form_Load();
}

frm_czy_password::~frm_czy_password() = default;

QWidget *frm_czy_password::create()
{
    auto *window = new frm_czy_password;
    if (window->loaded())
        return window;
    delete window;
    return nullptr;
}

void frm_czy_password::Form_Load()
{
    try {
        rsPassword->Open(QStringLiteral(" select * from czyzd where ") +
                             SqlSameText(QStringLiteral("trim(czy_name)"), strCzyName.trimmed()),
                         cnMain, Recordset::adOpenDynamic, Recordset::adLockOptimistic);
    } catch (const DbError &e) {
        MsgBox(e.numbered(), Msg::vbCritical);
        return;
    }
    // The operator may have been deleted in operator management during the run.
    if (rsPassword->eof()) {
        MsgBox(QStringLiteral("当前操作员不存在"), Msg::vbExclamation);
        rsPassword->Close();
        return;
    }
    const QVariant stored = rsPassword->value(QStringLiteral("czy_pass"));
    Txt_password[4]->setText(stored.isNull() ? QStringLiteral(" ") : stored.toString());
    Txt_password[3]->setText(QStringLiteral("0"));
    com_password[0]->setEnabled(false);
    m_loaded = true;
}

void frm_czy_password::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        centre();
    }
}

// On the screen when it stands alone; inside the main window's area as one of its child windows.
void frm_czy_password::centre()
{
    auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget());
    QMdiArea *area = frame ? frame->mdiArea() : nullptr;
    if (!area) {
        if (isWindow())
            ModmainRSgz::CenterForm(*this);
        return;
    }
    const QSize room = area->viewport()->size();
    frame->move(std::max(0, (room.width() - frame->width()) / 2), std::max(0, (room.height() - frame->height()) / 2));
}

bool frm_czy_password::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == Txt_password[0]) {
                Txt_password[1]->setFocus(Qt::TabFocusReason);
            } else if (watched == Txt_password[1]) {
                Txt_password[2]->setFocus(Qt::TabFocusReason);
            } else if (watched == Txt_password[2]) {
                com_password[0]->setEnabled(true);
                com_password[0]->setFocus(Qt::TabFocusReason);
            }
            return true;
        }
    } else if (event->type() == QEvent::FocusIn && watched == Txt_password[1]) {
        // Only the person's own move into the box (Tab, Enter, a click) checks the old password:
        // coming back to the window, maximising or restoring it moves the focus too, and is no try.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !m_checking &&
            m_moves->active()) {
            if (!init_password())
                return false;  // the focus went back to box 0, or the window is closing
            Txt_password[1]->selectAll();
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool frm_czy_password::init_password()
{
    if (Txt_password[0]->text().trimmed() == Txt_password[4]->text().trimmed()) {
        m_oldAccepted = true;
        return true;
    }
    m_oldAccepted = false;
    const int tries = Txt_password[3]->text().toInt() + 1;
    Txt_password[3]->setText(QString::number(tries));
    m_checking = true;
    if (tries <= 2) {
        MsgBox(QStringLiteral("输入原口令不正确,请重新输入!"), Msg::vbCritical, kTitle);
        m_checking = false;
        Txt_password[0]->setFocus(Qt::OtherFocusReason);
    } else {
        MsgBox(QStringLiteral("对不起,您无权变更操作员'") + strCzyName.trimmed() + QStringLiteral("'的口令!"), Msg::vbCritical,
               kTitle);
        m_checking = false;
        close();
    }
    return false;
}

void frm_czy_password::last_password()
{
    // The old password must have been accepted here before anything is stored.
    if (!m_oldAccepted && !init_password())
        return;
    if (Txt_password[2]->text().trimmed() != Txt_password[1]->text().trimmed()) {
        MsgBox(QStringLiteral("新口令两次不一致,请重新输入!"), Msg::vbCritical, kTitle);
        com_password[0]->setEnabled(false);
        Txt_password[1]->setFocus(Qt::OtherFocusReason);
        return;
    }
    try {
        rsPassword->setValue(QStringLiteral("czy_pass"), Txt_password[2]->text());
        rsPassword->Update();
        rsPassword->Close();
    } catch (const DbError &e) {
        ModCWCl::ReportDbError(e);
        return;
    }
    MsgBox(QStringLiteral("变更口令成功，按任意键返回！"), Msg::vbInformation, kTitle);
    close();
}
