#include "ui/special/TForm_setfz.h"

#include "core/draw/DrawSession.h"
#include "core/event/Backup.h"
#include "core/special/Grouping.h"
#include "ui/common/DigitsOnly.h"
#include "ui/common/GbkText.h"
#include "ui/common/LineNumberEdit.h"
#include "ui/common/MessageService.h"
#include "ui/special/SettingsAccess.h"

#include <QFontDatabase>

namespace tessaly {

TForm_setfz::TForm_setfz(std::filesystem::path programDir, DrawSession &session, MessageService &messages,
                         std::function<void()> resetDraw, QWidget *parent)
    : QDialog(parent), m_programDir(std::move(programDir)), m_session(session), m_messages(messages),
      m_resetDraw(std::move(resetDraw))
{
    setupUi(this);
    setDigitsOnly(Edit1);
    setDigitsOnly(Edit2);

    // The gutter numbers the lines as the draw counts them, so the operator
    // reads off the range to type.
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QStringList lines;
    for (const auto &entry : m_session.lists().NameList)
        lines << toQt(entry);
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));

    const AwardTable &awards = m_session.awards();
    for (int i = 0; i < awards.AwardCount; ++i) {
        m_labels.push_back(awardLabel(awards[i]));
        ComboBox1->addItem(toQt(m_labels.back()));
    }
    ComboBox1->setCurrentIndex(-1);
    if (auto settings = readIniFile(parent, m_messages, m_programDir)) {
        m_settingsRead = true;
        CheckBox1->setChecked(settings->readBool("Option", "canfz", false));
        for (const auto &item : readGroupItems(*settings, awards.AwardCount))
            ListBox1->addItem(toQt(item));
    }

    connect(Button3, &QPushButton::clicked, this, &TForm_setfz::addRange);
    connect(Button4, &QPushButton::clicked, this, &TForm_setfz::deleteRange);
    connect(Button1, &QPushButton::clicked, this, &TForm_setfz::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm_setfz::addRange()
{
    const std::string first = fromQt(Edit1->text());
    const std::string last = fromQt(Edit2->text());
    const GroupCheck check = checkGroupInput(ComboBox1->currentIndex() >= 0, first, last, m_session.lists().size());
    if (!check.ok) {
        m_messages.notify(this, QStringLiteral("提示"), toQt(check.message));
        switch (check.focus) {
        case GroupField::Award:
            ComboBox1->setFocus();
            break;
        case GroupField::First:
            Edit1->setFocus();
            break;
        case GroupField::Last:
            Edit2->setFocus();
            break;
        }
        return;
    }
    ListBox1->addItem(toQt(groupItem(m_labels[static_cast<size_t>(ComboBox1->currentIndex())], first, last)));
}

void TForm_setfz::deleteRange()
{
    QListWidgetItem *item = ListBox1->currentItem();
    if (!item) {
        m_messages.notify(this, QStringLiteral("提示"), QStringLiteral("请先选中\"分组情况\"中的一行"));
        return;
    }
    delete item;
}

void TForm_setfz::Button1Click()
{
    if (!m_settingsRead)
        return;
    std::vector<std::string> items;
    for (int i = 0; i < ListBox1->count(); ++i)
        items.push_back(fromQt(ListBox1->item(i)->text()));
    // The save returns everything to the pool: recorded winners are asked about, and kept.
    if (const int recorded = m_session.recordedWinners();
        recorded > 0 && !m_messages.ask(this, QStringLiteral("重要提示"),
                                        QStringLiteral("保存奖项分组后所有名单和奖项都将回到奖池。") +
                                            toQt(backupNotice(m_programDir, recorded)) + QStringLiteral("是否继续？")))
        return;
    DrawOutcome kept;
    if (!m_session.keepBackup(kept)) {
        for (const Notice &n : kept.notices)
            m_messages.notify(this, toQt(n.title), toQt(n.text));
        return;
    }
    if (!changeIniFile(this, m_messages, m_programDir, [&](IniStore &settings) {
            writeGrouping(settings, CheckBox1->isChecked(), items, m_labels, m_session.awards().AwardCount);
            return true;
        }))
        return;
    m_session.setGroupingEnabled(CheckBox1->isChecked());
    if (m_resetDraw)
        m_resetDraw();
    accept();
}

}  // namespace tessaly
