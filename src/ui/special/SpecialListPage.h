// One tab of the special settings: the list of participants, the award list
// and a grid with a column per award, editing Read.reb (predetermined) or
// write.reb (excluded) as the operator adds, deletes or clears.
#pragma once

#include "core/settings/IniStore.h"
#include "ui_SpecialListPage.h"

#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tessaly {

class MessageService;

// The fields are the form's: ListBox1 (participants), Edit1 (the entry),
// ComboBox1 (awards), StringGrid1 (one column per award).
class SpecialListPage : public QWidget, public Ui::SpecialListPage {
    Q_OBJECT
public:
    explicit SpecialListPage(QWidget *parent = nullptr);

    // Shows `file`, the list file, and edits it from now on; `entryLabel`
    // names the entry field ("内定人员：", "黑名人员：").
    void open(std::filesystem::path programDir, const char *file, const QString &entryLabel,
              const std::vector<std::string> &participants, MessageService &messages);
    // Refills the award list and the grid from set.dat and the list file.
    void refill();

private:
    void addEntry();
    void deleteEntry();
    void clearAll();
    bool edit(const std::function<bool(IniStore &)> &change);

    std::filesystem::path m_programDir;
    const char *m_file = nullptr;
    std::vector<std::string> m_participants;
    MessageService *m_messages = nullptr;
};

}  // namespace tessaly
