// The pre-event check shown on the stage ("检查抽奖设置"): one line per finding,
// marked by its level, with a button to check again after a fix.
#pragma once

#include <QDialog>

#include <filesystem>

class QListWidget;
class QLabel;

namespace tessaly {

class CheckWindow : public QDialog {
    Q_OBJECT
public:
    CheckWindow(const std::filesystem::path &folder, QWidget *parent = nullptr);

    // Runs the check again and refills the list.
    void recheck();
    QListWidget *findings() const { return m_list; }

private:
    std::filesystem::path m_folder;
    QListWidget *m_list;
    QLabel *m_summary;
};

}  // namespace tessaly
