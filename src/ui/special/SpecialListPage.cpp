#include "ui/special/SpecialListPage.h"

#include "core/files/Paths.h"
#include "core/settings/AwardTable.h"
#include "core/settings/Settings.h"
#include "core/special/SpecialLists.h"
#include "core/text/Lines.h"
#include "core/text/SplitField.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/special/SettingsAccess.h"

#include <QFontMetrics>
#include <algorithm>

namespace tessaly {
namespace {

constexpr int kGridColumnWidth = 110;  // the narrowest award column

}  // namespace

SpecialListPage::SpecialListPage(QWidget *parent) : QWidget(parent)
{
    setupUi(this);
    connect(ListBox1, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { Edit1->setText(item->text()); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        Edit1->setText(item->text());
        addEntry();
    });
    connect(Button1, &QPushButton::clicked, this, &SpecialListPage::addEntry);
    connect(Button2, &QPushButton::clicked, this, &SpecialListPage::deleteEntry);
    connect(Button3, &QPushButton::clicked, this, &SpecialListPage::clearAll);
}

void SpecialListPage::open(std::filesystem::path programDir, const char *file, const QString &entryLabel,
                           const std::vector<std::string> &participants, MessageService &messages)
{
    m_programDir = std::move(programDir);
    m_file = file;
    m_participants = participants;
    m_messages = &messages;
    Label2->setText(entryLabel);
    ListBox1->clear();
    for (const auto &p : m_participants)
        ListBox1->addItem(toQt(p));
    refill();
}

void SpecialListPage::refill()
{
    if (!m_messages)
        return;  // nothing shown yet
    auto settings = openSettings(m_programDir);
    auto list = openIniFile(m_programDir, m_file);
    const int lucks = settings ? std::clamp(settings->readInteger("Option", "Lucks", 1), 0, kMaxAwards) : 1;
    const int selected = ComboBox1->currentIndex();
    ComboBox1->clear();
    StringGrid1->clear();
    StringGrid1->setColumnCount(lucks);
    std::vector<std::vector<ListEntry>> columns;
    size_t rows = 0;
    for (int k = 0; k < lucks; ++k) {
        const QString name = settings ? toQt(SplitField(settings->readString("Grade", std::to_string(k)), '|', 1)) : QString();
        ComboBox1->addItem(name);
        StringGrid1->setHorizontalHeaderItem(k, new QTableWidgetItem(name));
        columns.push_back(list ? readListEntries(*list, std::to_string(k + 1)) : std::vector<ListEntry>());
        rows = std::max(rows, columns.back().size());
    }
    StringGrid1->setRowCount(static_cast<int>(std::max<size_t>(rows + 1, 12)));
    // Long entries often share their start (a department, then the name), so
    // a column is as wide as its longest entry instead of cutting them alike.
    const QFontMetrics metrics(StringGrid1->font());
    const int padding = 2 * metrics.averageCharWidth() + 8;
    for (int k = 0; k < lucks; ++k) {
        int width = std::max(kGridColumnWidth, metrics.horizontalAdvance(ComboBox1->itemText(k)) + padding);
        for (size_t r = 0; r < columns[static_cast<size_t>(k)].size(); ++r) {
            const ListEntry &e = columns[static_cast<size_t>(k)][r];
            const QString text = e.readable ? toQt(e.name) : QStringLiteral("（无法识别）");
            StringGrid1->setItem(static_cast<int>(r), k, new QTableWidgetItem(text));
            width = std::max(width, metrics.horizontalAdvance(text) + padding);
        }
        StringGrid1->setColumnWidth(k, width);
    }
    if (selected >= 0 && selected < ComboBox1->count())
        ComboBox1->setCurrentIndex(selected);
    if (!settings)
        showFailure(this, *m_messages, settings.error());
    else if (!list)
        showFailure(this, *m_messages, list.error());
}

bool SpecialListPage::edit(const std::function<bool(IniStore &)> &change)
{
    if (!m_messages || !changeIniFile(this, *m_messages, m_programDir, change, m_file))
        return false;
    refill();
    return true;
}

void SpecialListPage::addEntry()
{
    const int award = ComboBox1->currentIndex();
    const std::string entry = fromQt(Edit1->text());
    if (award < 0 || trimBlanks(entry).empty())
        return;
    if (!isParticipant(m_participants, entry)) {
        // Named with the field, so the operator knows which list refused it.
        m_messages->notify(this, QStringLiteral("提示"),
                          Label2->text() +
                              QStringLiteral("在抽奖名单中没有找到该人员(多或少一个空格都不可以!可以是从抽奖名单中点击选择)！"));
        Edit1->setFocus();
        return;
    }
    if (edit([&](IniStore &list) {
            addListEntry(list, award + 1, entry);
            return true;
        }))
        Edit1->clear();
}

void SpecialListPage::deleteEntry()
{
    // A cell below the award's last entry deletes nothing.
    const int column = StringGrid1->currentColumn();
    const int row = StringGrid1->currentRow();
    if (column < 0 || row < 0)
        return;
    edit([&](IniStore &list) { return deleteListEntry(list, column + 1, row + 1); });
}

void SpecialListPage::clearAll()
{
    if (!m_messages)
        return;
    if (Status cleared = clearListFile(programFile(m_programDir, m_file)); !cleared)
        showFailure(this, *m_messages, cleared.error());
    refill();
}

}  // namespace tessaly
