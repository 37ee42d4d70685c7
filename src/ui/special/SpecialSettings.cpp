#include "ui/special/SpecialSettings.h"

#include "core/draw/DrawSession.h"
#include "core/special/SpecialLists.h"
#include "ui/common/MessageService.h"
#include "ui/special/TForm_lockscreen.h"
#include "ui/special/TForm_mm.h"
#include "ui/special/TForm_ndkmdset.h"
#include "ui/special/TForm_setadv.h"
#include "ui/special/TForm_setfz.h"

#include <QWidget>

namespace tessaly {

SpecialSettings::SpecialSettings(std::filesystem::path programDir, DrawSession &session, Services services,
                                 std::function<void(bool)> resetDraw, QWidget *stage)
    : QObject(stage), m_programDir(std::move(programDir)), m_session(session), m_services(services),
      m_resetDraw(std::move(resetDraw)), m_stage(stage)
{
}

void SpecialSettings::lockScreen()
{
    TForm_lockscreen lock(m_programDir, m_services.messages, m_stage);
    if (lock.passwordKnown())
        lock.exec();
}

bool SpecialSettings::hotKey(int shortcutCode)
{
    switch (hotKeyAction(shortcutCode, m_session.options())) {
    case HotKey::EnableLists:
        m_resetDraw(true);  // says "可以重新开始抽奖" only when the reset happened
        return true;
    case HotKey::OpenAccessPrompt:
        openAccessPrompt();
        return true;
    case HotKey::None:
        break;
    }
    return false;
}

void SpecialSettings::openAccessPrompt()
{
    TForm_mm prompt(m_programDir, m_services.messages, [this] { openSpecialLists(); }, m_stage);
    prompt.exec();
}

void SpecialSettings::openSpecialLists()
{
    TForm_ndkmdset dialog(m_programDir, m_session, m_services.messages, m_stage);
    dialog.exec();
}

void SpecialSettings::openGrouping()
{
    TForm_setfz dialog(m_programDir, m_session, m_services.messages, [this] { m_resetDraw(false); }, m_stage);
    if (dialog.settingsRead())
        dialog.exec();
}

void SpecialSettings::openAdvanced(QWidget *parent)
{
    TForm_setadv dialog(m_programDir, m_services.messages, m_services.pickers, parent ? parent : m_stage);
    if (dialog.settingsRead())
        dialog.exec();
}

}  // namespace tessaly
