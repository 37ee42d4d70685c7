// The special settings as the stage window uses them: the screen lock, the
// access-code prompt and the special lists behind it, the award grouping and
// the advanced settings. The window owns one and calls it from a menu item,
// a hot key or the award settings window.
#pragma once

#include <QObject>
#include <filesystem>
#include <functional>

class QWidget;

namespace tessaly {

class DrawSession;
class MessageService;
class PickerService;

class SpecialSettings : public QObject {
    Q_OBJECT
public:
    struct Services {
        MessageService &messages;
        PickerService &pickers;
    };
    // `resetDraw` returns the whole draw to the pool; with true it is the enabling
    // hot key's reset, which brings the special lists into force when it succeeds.
    SpecialSettings(std::filesystem::path programDir, DrawSession &session, Services services,
                    std::function<void(bool useLists)> resetDraw, QWidget *stage);

    // "锁定屏幕": the modal lock until the password is typed.
    void lockScreen();
    // A shortcut code pressed on the stage; true when it was one of the two hot keys.
    bool hotKey(int shortcutCode);
    void openAccessPrompt();
    void openSpecialLists();
    // "奖项分组设置".
    void openGrouping();
    // "高级设置" of the award settings window.
    void openAdvanced(QWidget *parent);

private:
    std::filesystem::path m_programDir;
    DrawSession &m_session;
    Services m_services;
    std::function<void(bool)> m_resetDraw;
    QWidget *m_stage;
};

}  // namespace tessaly
