// One tab of the special settings: the list of participants, the award list
// and a grid with a column per award, editing Read.reb (predetermined) or
// write.reb (excluded) as the operator adds, deletes or clears.
#pragma once

#include "core/settings/IniStore.h"

#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QListWidget;
class QTableWidget;

namespace tessaly {

class MessageService;

class SpecialListPage : public QWidget {
    Q_OBJECT
public:
    // `file` is the list file; `entryLabel` names the entry field ("内定人员：", "黑名人员：").
    SpecialListPage(std::filesystem::path programDir, const char *file, const QString &entryLabel,
                    const std::vector<std::string> &participants, MessageService &messages, QWidget *parent = nullptr);

    // Refills the award list and the grid from set.dat and the list file.
    void refill();
    // A control under the lists (the mixing check box, the note on exclusions).
    void addFooter(QWidget *footer);

    QListWidget *ListBox1 = nullptr;      // participants
    QLineEdit *Edit1 = nullptr;           // the entry
    QComboBox *ComboBox1 = nullptr;       // awards
    QTableWidget *StringGrid1 = nullptr;  // one column per award

private:
    void addEntry();
    void deleteEntry();
    void clearAll();
    bool edit(const std::function<bool(IniStore &)> &change);

    std::filesystem::path m_programDir;
    const char *m_file;
    std::vector<std::string> m_participants;
    MessageService &m_messages;
};

}  // namespace tessaly
