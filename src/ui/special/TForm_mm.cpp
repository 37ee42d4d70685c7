#include "ui/special/TForm_mm.h"

#include "ui_TForm_mm.h"

#include "core/settings/Settings.h"
#include "core/special/Secrets.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"

#include <QKeyEvent>

namespace tessaly {

TForm_mm::TForm_mm(std::filesystem::path programDir, MessageService &messages, std::function<void()> openSettings,
                   QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_mm), m_programDir(std::move(programDir)), m_messages(messages),
      m_openSettings(std::move(openSettings))
{
    m_ui->setupUi(this);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_mm::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TForm_mm::~TForm_mm()
{
    delete m_ui;
}

void TForm_mm::Button1Click()
{
    // Read at each try, so a code changed in the settings applies at once.
    std::optional<std::string> code;
    auto settings = openSettings(m_programDir);
    if (settings)
        code = storedSecret(*settings, "sndmm");
    if (!code) {
        // A stored code nobody can type (or a set.dat that cannot be read): say so, never just "wrong".
        m_messages.notify(this, QStringLiteral("出错"),
                          toQt(settings ? unusableSecretNotice(*settings, "sndmm") : settings.error().message),
                          MessageService::Icon::Critical);
        return;
    }
    if (!secretMatches(fromQt(m_ui->Edit1->text()), code)) {
        m_messages.notify(this, QStringLiteral("错误"), QStringLiteral("密码错误。"), MessageService::Icon::Critical);
        m_ui->Edit1->setFocus();
        return;
    }
    hide();
    if (m_openSettings)
        m_openSettings();
    accept();
}

void TForm_mm::keyPressEvent(QKeyEvent *event)
{
    // Enter moves on to the next control instead of confirming.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (QWidget *w = focusWidget(); w && w != m_ui->Edit1 && qobject_cast<QPushButton *>(w)) {
            static_cast<QPushButton *>(w)->click();
            return;
        }
        focusNextChild();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tessaly
