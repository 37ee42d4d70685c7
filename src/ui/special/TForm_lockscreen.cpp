#include "ui/special/TForm_lockscreen.h"

#include "ui_TForm_lockscreen.h"

#include "core/settings/Settings.h"
#include "core/special/Secrets.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/special/LockGrab.h"
#include "ui/special/TForm_setmm.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace tessaly {

TForm_lockscreen::TForm_lockscreen(std::filesystem::path programDir, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_lockscreen), m_programDir(std::move(programDir)), m_messages(messages),
      m_grab(new LockGrab(this))
{
    m_ui->setupUi(this);
    // No system menu and no close box; kept above the stage.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(sizeHint().expandedTo(QSize(400, 190)));
    m_ui->Label4->setStyleSheet(QStringLiteral("color: maroon;"));
    m_ui->Label4->installEventFilter(this);
    m_ui->Edit1->installEventFilter(this);
    changePassword = [this] {
        TForm_setmm dialog(m_programDir, m_messages, this);
        dialog.exec();
    };
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_lockscreen::Button1Click);
    // A password that cannot be read would lock the operator out for good:
    // the screen is then not locked at all.
    auto settings = openSettings(m_programDir);
    if (settings)
        m_expected = storedSecret(*settings, "locksremm");
    if (!m_expected)
        m_messages.notify(parent, QStringLiteral("出错"),
                          settings ? QStringLiteral("屏幕没有锁定。") + toQt(unusableSecretNotice(*settings, "locksremm"))
                                   : toQt(settings.error().message),
                          MessageService::Icon::Critical);
}

TForm_lockscreen::~TForm_lockscreen()
{
    m_grab->stop();
    delete m_ui;
}

void TForm_lockscreen::readPassword()
{
    if (auto settings = openSettings(m_programDir))
        if (auto secret = storedSecret(*settings, "locksremm"))
            m_expected = std::move(secret);
}

QWidget *TForm_lockscreen::grabHolder() const
{
    return m_grab->active() ? m_grab->holder() : nullptr;
}

void TForm_lockscreen::setLinkHover(bool over)
{
    if (over == m_linkHover)
        return;
    m_linkHover = over;
    m_ui->Label4->setStyleSheet(over ? QStringLiteral("color: navy;") : QStringLiteral("color: maroon;"));
    if (over)
        m_ui->Label4->setCursor(Qt::PointingHandCursor);
    else
        m_ui->Label4->unsetCursor();
}

void TForm_lockscreen::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_ui->Edit1->setFocus();
    if (!m_unlocked)
        m_grab->start();
}

void TForm_lockscreen::Button1Click()
{
    if (!secretMatches(fromQt(m_ui->Edit1->text()), m_expected)) {
        // The box takes the grab while it is up and gives it back.
        m_messages.notify(this, QStringLiteral("错误"), QStringLiteral("密码错误。"), MessageService::Icon::Critical);
        m_ui->Edit1->setFocus();
        return;
    }
    m_unlocked = true;
    m_grab->stop();
    accept();
}

void TForm_lockscreen::Label4Click()
{
    changePassword();
    // A new password applies at once.
    readPassword();
    m_ui->Edit1->setFocus();
}

void TForm_lockscreen::reject()
{
    // Esc and every other way out but the password are refused.
}

void TForm_lockscreen::closeEvent(QCloseEvent *event)
{
    if (m_unlocked)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void TForm_lockscreen::keyPressEvent(QKeyEvent *event)
{
    // Enter confirms; every other key, Alt+F4 and the stage's keys included, stops here.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Button1Click();
        return;
    }
    event->accept();
}

bool TForm_lockscreen::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->Edit1 && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Button1Click();
            return true;
        }
        // The field takes typing and editing keys; Alt and function keys stop here.
        if ((key->modifiers() & Qt::AltModifier) || (key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F35) ||
            key->key() == Qt::Key_Escape || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return true;
    }
    if (watched == m_ui->Label4) {
        switch (event->type()) {
        case QEvent::Enter:
            setLinkHover(true);
            break;
        case QEvent::Leave:
            setLinkHover(false);
            break;
        case QEvent::MouseButtonRelease:
            Label4Click();
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tessaly
