// The photo face of the list editor: the participant pictures of photo\, a
// preview, and the import of a folder (copied, or converted to a size on every
// core), adding and deleting one picture. Each change rewrites data.txt from
// the folder and returns the whole draw to the pool.
#pragma once

#include <QWidget>
#include <filesystem>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tessaly {

class AwardSettingsHost;
class DrawSession;
class MessageService;
class PickerService;
class PictureBox;

class TPhotoListPanel : public QWidget {
    Q_OBJECT
public:
    TPhotoListPanel(std::filesystem::path programDir, AwardSettingsHost &host, DrawSession &session,
                    MessageService &messages, PickerService &pickers, QWidget *parent = nullptr);

    void BitBtn1Click();  // "图片导入..."
    void BitBtn2Click();  // "增加一张"
    void BitBtn3Click();  // "删除一张"
    // At least one picture must stay in photo mode.
    bool canClose();
    // The list from data.txt, one item per line with ".jpg".
    void reloadList();

    QListWidget *ListBox1;
    PictureBox *Image1;
    QLabel *Label2, *Label3, *Label4, *Label6;
    QCheckBox *CheckBox1, *CheckBox2;
    QLineEdit *Edit_chaw, *Edit_chah;
    QPushButton *BitBtn1, *BitBtn2, *BitBtn3;

private:
    void preview(const QString &item);
    // Before the pictures change: names the list cannot hold are refused,
    // recorded winners asked about, and a backup kept. False to stop.
    bool confirmListChange(const std::vector<std::filesystem::path> &incoming);
    // Steps after the pictures changed: data.txt from the folder, the list,
    // and the draw back to the pool. False when the folder holds no picture.
    bool afterPhotosChanged(const QString &emptyMessage, bool finalMessage);
    bool convertOrCopy(const std::vector<std::filesystem::path> &files, const QString &copyFailure);
    void checkSize(QLineEdit *edit, bool width);

    std::filesystem::path m_programDir;
    AwardSettingsHost &m_host;
    DrawSession &m_session;
    MessageService &m_messages;
    PickerService &m_pickers;
};

}  // namespace tessaly
