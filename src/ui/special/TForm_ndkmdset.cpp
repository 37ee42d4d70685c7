#include "ui/special/TForm_ndkmdset.h"

#include "core/draw/DrawSession.h"
#include "core/settings/ProgramFiles.h"
#include "core/special/HotKeys.h"
#include "core/special/Secrets.h"
#include "core/special/SpecialLists.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/special/SettingsAccess.h"
#include "ui/special/ShortcutEdit.h"
#include "ui/special/SpecialListPage.h"

namespace tessaly {

TForm_ndkmdset::TForm_ndkmdset(std::filesystem::path programDir, DrawSession &session, MessageService &messages,
                               QWidget *parent)
    : QDialog(parent), m_programDir(std::move(programDir)), m_session(session), m_messages(messages)
{
    setupUi(this);

    const auto &names = m_session.lists().NameList;
    predetermined->open(m_programDir, files::kPredetermined, QStringLiteral("内定人员："), names, m_messages);
    excluded->open(m_programDir, files::kExclusions, QStringLiteral("黑名人员："), names, m_messages);
    // Each list tab shows the files as they are now.
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (auto *page = PageControl1->widget(index)->findChild<SpecialListPage *>())
            page->refill();
    });

    auto settings = readIniFile(this, m_messages, m_programDir);
    if (!settings)
        return;
    CheckBox1->setChecked(settings->readBool("Option", "ntcanrandom", true));
    ComboBox1->setCurrentIndex(static_cast<int>(readListMode(*settings)));
    const auto code = storedSecret(*settings, "sndmm");
    Edit1->setText(settings->hasKey("Option", "sndmm") && code ? toQt(*code) : QString::fromLatin1(kDefaultAccessCode));
    Edit2->setCode(settings->readInteger("Option", "sndfo", kDefaultOpenKey));
    Edit3->setCode(settings->readInteger("Option", "sndst", kDefaultEnableKey));

    connect(CheckBox1, &QCheckBox::clicked, this, &TForm_ndkmdset::CheckBox1Click);
    connect(Button4, &QPushButton::clicked, this, &TForm_ndkmdset::Button1Click);
}

void TForm_ndkmdset::CheckBox1Click(bool on)
{
    // The mixing choice is written at once, not at "修改参数".
    changeIniFile(this, m_messages, m_programDir, [on](IniStore &settings) {
        settings.writeBool("Option", "ntcanrandom", on);
        return true;
    });
}

void TForm_ndkmdset::Button1Click()
{
    // A stray keystroke must never open the prompt or restart the draw.
    const int startkey = m_session.options().startkey;
    const struct {
        ShortcutEdit *field;
        int other;
        const char *label;
    } keys[] = {{Edit2, -1, "弹出特殊功能设定窗口快捷键："}, {Edit3, Edit2->code(), "启用内定和黑名单快捷键："}};
    for (const auto &key : keys) {
        if (const HotKeyFault fault = checkHotKey(key.field->code(), key.other, startkey); fault != HotKeyFault::None) {
            m_messages.notify(this, QStringLiteral("提示"), QString::fromUtf8(key.label) + toQt(hotKeyFaultText(fault)));
            key.field->setFocus();
            return;
        }
    }
    if (!changeIniFile(this, m_messages, m_programDir, [this](IniStore &settings) {
            settings.writeString("Option", "sndmm", encodeSecret(fromQt(Edit1->text())));
            settings.writeInteger("Option", "sndfo", Edit2->code());
            settings.writeInteger("Option", "sndst", Edit3->code());
            settings.writeInteger("Option", "ntfs", ComboBox1->currentIndex());
            return true;
        }))
        return;
    m_session.setHotKeys(Edit2->code(), Edit3->code());
    m_messages.notify(this, QStringLiteral("提示"),
                      ComboBox1->currentIndex() == static_cast<int>(ListMode::Always)
                          ? QStringLiteral("修改参数成功。您选择了\"总是启用内定\\黑名单功能\"生效方式，"
                                           "请接着按一次主窗口菜单\"重新开始抽奖\"以使内定总是生效。")
                          : QStringLiteral("修改参数成功。"));
}

}  // namespace tessaly
