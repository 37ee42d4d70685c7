#include "ui/special/TForm_setmm.h"

#include "ui_TForm_setmm.h"

#include "core/settings/Settings.h"
#include "core/special/Secrets.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/special/SettingsAccess.h"

namespace tessaly {

TForm_setmm::TForm_setmm(std::filesystem::path programDir, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_setmm), m_programDir(std::move(programDir)), m_messages(messages)
{
    m_ui->setupUi(this);
    if (auto settings = openSettings(m_programDir))
        m_current = storedSecret(*settings, "locksremm");
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_setmm::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TForm_setmm::~TForm_setmm()
{
    delete m_ui;
}

void TForm_setmm::Button1Click()
{
    const std::string typedNew = fromQt(m_ui->Edit2->text());
    switch (checkPasswordChange(fromQt(m_ui->Edit1->text()), typedNew, fromQt(m_ui->Edit3->text()), m_current)) {
    case PasswordChange::ConfirmationDiffers:
        m_messages.notify(this, QStringLiteral("出错"), QStringLiteral("两次输入的密码不一致，请重新输入。"),
                          MessageService::Icon::Critical);
        m_ui->Edit3->setFocus();
        return;
    case PasswordChange::OldPasswordWrong:
        m_messages.notify(this, QStringLiteral("出错"), QStringLiteral("输入的原密码不正确，请重新输入。"),
                          MessageService::Icon::Critical);
        m_ui->Edit1->setFocus();
        return;
    case PasswordChange::Done:
        break;
    }
    if (!changeIniFile(this, m_messages, m_programDir, [&](IniStore &settings) {
            settings.writeString("Option", "locksremm", encodeSecret(typedNew));
            return true;
        }))
        return;
    m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("修改密码成功。"));
    accept();
}

}  // namespace tessaly
