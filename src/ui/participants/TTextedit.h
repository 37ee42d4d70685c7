// The participant list editor: the lines of data.txt in an edit area with a
// line-number gutter, the clean-up tools, the generator, padding and imports,
// find and replace, printing, and the save that returns the whole draw to the pool.
#pragma once

#include "core/participants/ListImport.h"
#include "core/participants/TextSearch.h"

#include <QDialog>
#include <QPrinter>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;

namespace tessaly {

class AwardSettingsHost;
class DrawSession;
class FindReplaceDialog;
class LineNumberEdit;
class MessageService;
class PickerService;
class TPhotoListPanel;

class TTextedit : public QDialog {
    Q_OBJECT
public:
    struct Services {
        MessageService &messages;
        PickerService &pickers;
    };

    TTextedit(std::filesystem::path programDir, AwardSettingsHost &host, DrawSession &session,
              Services services, QWidget *parent = nullptr);
    ~TTextedit() override;

    // Set by a photo import, add or delete; cleared by a save. It belongs to
    // the program run, so it outlives the window.
    static bool reminderPending();
    static void setReminderPending(bool on);

    // The edit area's lines as GBK, and putting lines back as one edit.
    // Bytes of data.txt that are not valid GBK come back as they were read
    // while their line is unchanged. A line holding a character GBK cannot
    // store comes back with '?' in its place: unencodableLines() names those.
    std::vector<std::string> lines() const;
    std::vector<size_t> unencodableLines() const;
    // `original` shows some lines as read (UTF-8) instead of their GBK form.
    void setLines(const std::vector<std::string> &lines, bool markChanged,
                  const std::vector<OriginalLine> &original = {});
    bool changed() const;
    QAction *action(const char *name) const;

    // Menu commands.
    void M_clearallClick();
    void M_inputtxtClick();
    void M_inputexcelClick();
    void M_clearhClick();
    void N8Click();
    void M_cleartrimClick();
    void M_nameto2Click();
    void M_addspaceClick();
    void MmadenoClick();
    void N9Click();
    void M_imeClick();
    // False when nothing was saved (empty list, write failure).
    bool M_SaveClick();
    void M_PrintPageClick();
    void M_PrintClick();
    void M_FindClick();
    void M_FindNextClick();
    void M_ReplaceClick();

    // Search and replace as the two dialogs do it; the count of replace all.
    bool searchNext(const QString &what, const SearchOptions &options, bool reportMissing = true);
    void replaceOne(const QString &what, const QString &with, const SearchOptions &options);
    int replaceAll(const QString &what, const QString &with, const SearchOptions &options);

    // Every line at the left margin, continuing on a new page at the bottom.
    void printLines(QPrinter &printer);

    void counterCaption();

    LineNumberEdit *Memo1 = nullptr;
    QMenuBar *MainMenu1 = nullptr;
    QLabel *Label1 = nullptr;
    FindReplaceDialog *FindDialog1 = nullptr;
    FindReplaceDialog *ReplaceDialog1 = nullptr;
    TPhotoListPanel *Panel1 = nullptr;  // the photo face, in photo mode

    // Esc: the same question and checks as the close box.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    std::vector<std::string> collectLines(std::vector<size_t> *unencodable) const;
    // Names the lines GBK cannot store and refuses; false when there are none.
    bool refuseUnencodable(const std::vector<size_t> &unencodable);
    bool refuseUnencodable() { return refuseUnencodable(unencodableLines()); }
    // The unsaved-changes question, photo mode's picture check and the
    // reminder; false when the window stays open.
    bool confirmClose();
    void loadDataFile();
    void createMenus();
    void createTextFace();
    // Runs a tool with its progress in the caption, the window kept painting.
    template <typename Tool>
    auto runTool(const QString &progressCaption, Tool tool);
    void placeSearchDialog(QDialog *dialog);
    void lineCountCaption(const QString &suffix);

    std::filesystem::path m_programDir;
    AwardSettingsHost &m_host;
    DrawSession &m_session;
    Services m_services;
    QPrinter m_printer;
    bool m_closeConfirmed = false;
};

}  // namespace tessaly
