// The mirror folder "同步备份到": where every save of the event is copied,
// typically a folder on a USB stick a spare laptop can take the show over
// from. The folder is checked on OK; only a usable one is stored.
#pragma once

#include <QDialog>
#include <filesystem>
#include <optional>

namespace Ui {
class TForm_setmirror;
}

namespace tessaly {

class MessageService;
class PickerService;

// The fields are the form's: Edit1 (the folder, [Option] mirrorfolder), Button3
// (the folder chooser), Label3 (the mirror in use this run, when it differs).
class TForm_setmirror : public QDialog {
    Q_OBJECT
public:
    // `inUse`: the mirror of this run (empty for none), which --mirror may have named.
    TForm_setmirror(std::filesystem::path programDir, const std::filesystem::path &inUse, MessageService &messages,
                    PickerService &pickers, QWidget *parent = nullptr);
    ~TForm_setmirror() override;

    // After OK: the folder stored (empty: the mirror is off).
    const std::filesystem::path &chosen() const { return m_chosen; }

private:
    void chooseFolder();
    void Button1Click();

    Ui::TForm_setmirror *m_ui;
    std::filesystem::path m_programDir;
    MessageService &m_messages;
    PickerService &m_pickers;
    std::filesystem::path m_chosen;
};

}  // namespace tessaly
