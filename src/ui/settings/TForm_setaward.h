// The award settings window: titles, roll speed, draw order, privacy mask,
// start key, hidden elements and the table of awards. Saving returns every
// participant and award to the pool.
#pragma once

#include "core/draw/DrawRecord.h"
#include "core/settings/IniStore.h"

#include <QDialog>
#include <filesystem>

class QCheckBox;

namespace Ui {
class TForm_setaward;
}

namespace tessaly {

class AwardSettingsHost;
class MessageService;

class TForm_setaward : public QDialog {
    Q_OBJECT
public:
    TForm_setaward(std::filesystem::path programDir, AwardSettingsHost &host, MessageService &messages,
                   QWidget *parent = nullptr);
    ~TForm_setaward() override;

    // Opens the single-award dialog; overridable so tests can fill it in.
    virtual QStringList editAward(const QStringList &row);
    // Undoes the live preview of the hide boxes however the window is left unsaved.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct HideBox {
        QCheckBox *box;
        const char *element;
    };

    void loadFromSettings(const IniStore &settings);
    // Every value the save writes, in order; the titles' new lefts go to `titleLefts`.
    std::vector<SettingWrite> collectWrites(const IniStore &settings, const std::vector<std::vector<std::string>> &rows,
                                            int total, std::vector<std::pair<QString, int>> &titleLefts) const;
    void addRow(const QStringList &cells, int at = -1);
    QStringList rowCells(int row) const;
    void Button1Click();
    void Button2Click();
    void addAward();
    void editSelectedAward();
    void deleteAward();
    void moveSelected(int delta);
    void startKeyChanged(int index);
    void recordCustomKey(int vk, const QString &name);
    bool checkSpeed();
    bool checkPrivacy();
    void updatePrivacyFields();

    Ui::TForm_setaward *m_ui;
    std::filesystem::path m_programDir;
    AwardSettingsHost &m_host;
    MessageService &m_messages;
    std::vector<HideBox> m_hideBoxes;
    bool m_gradeChanged = false;
    bool m_filling = true;
    int m_customKey = 32;
};

}  // namespace tessaly
