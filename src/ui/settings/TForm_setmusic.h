// The sound dialog "音效设置": which file plays at each moment of the draw,
// the four switches and the loop switch, with preview and adding new files.
#pragma once

#include "core/sound/SoundSettings.h"

#include <QDialog>
#include <array>
#include <filesystem>

class QCheckBox;
class QComboBox;

namespace tessaly {

class DrawSession;
class MessageService;
class PickerService;
class SoundPlayer;

class TForm_setmusic : public QDialog {
    Q_OBJECT
public:
    TForm_setmusic(std::filesystem::path programDir, DrawSession &session, SoundPlayer &player,
                   MessageService &messages, PickerService &pickers, QWidget *parent = nullptr);

    // Closing by any means silences the preview and brings the background music back.
    void done(int result) override;

    // ComboBox1 to ComboBox4: background, start, stop, results background.
    std::array<QComboBox *, 4> lists{};
    // CheckBox1 to CheckBox4 the switches of the four sounds, CheckBox5 the loop switch.
    std::array<QCheckBox *, 5> switches{};

private:
    void FormShow();
    void addMusic(int list);
    void preview(int list);
    void Button1Click();  // 确定

    std::filesystem::path m_programDir;
    DrawSession &m_session;
    SoundPlayer &m_player;
    MessageService &m_messages;
    PickerService &m_pickers;
    QString m_previewing;  // the file a preview asked for, to name it if it fails
};

}  // namespace tessaly
