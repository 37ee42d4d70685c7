// The settings page "现场互动": whether the hall's pages run, on which of the
// machine's addresses and port, "只抽已签到的人" and the hall code, kept in
// set.dat [Web]. A rehearsal never serves the pages.
#pragma once

#include "core/checkin/WebSettings.h"

#include "ui_TForm_hall.h"

#include <QDialog>
#include <QStringList>
#include <filesystem>
#include <memory>

namespace tessaly {

class MessageService;

class TForm_hall : public QDialog {
    Q_OBJECT
public:
    TForm_hall(std::filesystem::path programDir, bool rehearsal, MessageService &messages, QWidget *parent = nullptr);
    ~TForm_hall() override;

    // The IPv4 addresses of the machine's interfaces that are up, loopback last.
    static QStringList interfaceAddresses();
    // What was saved on OK.
    const WebSettings &settings() const { return m_web; }
    Ui::TForm_hall &ui() { return *m_ui; }

private:
    void Button1Click();

    std::unique_ptr<Ui::TForm_hall> m_ui;
    std::filesystem::path m_dir;
    bool m_rehearsal;
    MessageService &m_messages;
    WebSettings m_web;
};

}  // namespace tessaly
