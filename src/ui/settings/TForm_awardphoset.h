// The size of the prize picture on the stage, stored as phowidth and phoheight.
#pragma once

#include <QDialog>
#include <filesystem>

namespace Ui {
class TForm_awardphoset;
}

namespace tessaly {

class MessageService;

class TForm_awardphoset : public QDialog {
    Q_OBJECT
public:
    // stage: the largest picture the stage shows.
    TForm_awardphoset(std::filesystem::path programDir, QSize current, QSize stage, MessageService &messages,
                      QWidget *parent = nullptr);
    ~TForm_awardphoset() override;
    QSize pictureSize() const { return m_size; }

private:
    void Button1Click();

    Ui::TForm_awardphoset *m_ui;
    std::filesystem::path m_programDir;
    MessageService &m_messages;
    QSize m_size;
    QSize m_stage;
};

}  // namespace tessaly
