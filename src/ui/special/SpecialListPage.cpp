#include "ui/special/SpecialListPage.h"

#include "core/files/Paths.h"
#include "core/settings/AwardTable.h"
#include "core/settings/Settings.h"
#include "core/special/SpecialLists.h"
#include "core/text/Lines.h"
#include "core/text/SplitField.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

namespace tessaly {

SpecialListPage::SpecialListPage(std::filesystem::path programDir, const char *file, const QString &entryLabel,
                                 const std::vector<std::string> &participants, MessageService &messages,
                                 QWidget *parent)
    : QWidget(parent), m_programDir(std::move(programDir)), m_file(file), m_participants(participants),
      m_messages(messages)
{
    auto *layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("抽奖名单列表："), this), 0, 0);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setUniformItemSizes(true);
    ListBox1->setMinimumWidth(260);
    for (const auto &p : m_participants)
        ListBox1->addItem(toQt(p));
    layout->addWidget(ListBox1, 1, 0, 6, 1);

    layout->addWidget(new QLabel(entryLabel, this), 1, 1);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    layout->addWidget(Edit1, 2, 1);
    layout->addWidget(new QLabel(QStringLiteral("奖项："), this), 3, 1);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    layout->addWidget(ComboBox1, 4, 1);
    auto *add = new QPushButton(QStringLiteral("增加"), this);
    add->setObjectName(QStringLiteral("Button1"));
    auto *remove = new QPushButton(QStringLiteral("删除"), this);
    remove->setObjectName(QStringLiteral("Button2"));
    remove->setToolTip(QStringLiteral("选择右边内定一个名单再点删除"));
    auto *clear = new QPushButton(QStringLiteral("清除全部"), this);
    clear->setObjectName(QStringLiteral("Button3"));
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {add, remove, clear})
        buttons->addWidget(b);
    buttons->addStretch();
    layout->addLayout(buttons, 5, 1);

    StringGrid1 = new QTableWidget(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->horizontalHeader()->setDefaultSectionSize(110);
    StringGrid1->verticalHeader()->setDefaultSectionSize(22);
    layout->addWidget(StringGrid1, 0, 2, 7, 1);
    layout->setColumnStretch(0, 2);
    layout->setColumnStretch(2, 5);

    connect(ListBox1, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { Edit1->setText(item->text()); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        Edit1->setText(item->text());
        addEntry();
    });
    connect(add, &QPushButton::clicked, this, &SpecialListPage::addEntry);
    connect(remove, &QPushButton::clicked, this, &SpecialListPage::deleteEntry);
    connect(clear, &QPushButton::clicked, this, &SpecialListPage::clearAll);
    refill();
}

void SpecialListPage::addFooter(QWidget *footer)
{
    static_cast<QGridLayout *>(layout())->addWidget(footer, 7, 0, 1, 3);
}

void SpecialListPage::refill()
{
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
    for (int k = 0; k < lucks; ++k)
        for (size_t r = 0; r < columns[static_cast<size_t>(k)].size(); ++r) {
            const ListEntry &e = columns[static_cast<size_t>(k)][r];
            StringGrid1->setItem(static_cast<int>(r), k,
                                 new QTableWidgetItem(e.readable ? toQt(e.name) : QStringLiteral("（无法识别）")));
        }
    if (selected >= 0 && selected < ComboBox1->count())
        ComboBox1->setCurrentIndex(selected);
    if (!settings)
        m_messages.notify(this, QStringLiteral("出错"), toQt(settings.error().message), MessageService::Icon::Critical);
    else if (!list)
        m_messages.notify(this, QStringLiteral("出错"), toQt(list.error().message), MessageService::Icon::Critical);
}

bool SpecialListPage::edit(const std::function<bool(IniStore &)> &change)
{
    auto list = openIniFile(m_programDir, m_file);
    if (!list) {
        m_messages.notify(this, QStringLiteral("出错"), toQt(list.error().message), MessageService::Icon::Critical);
        return false;
    }
    if (!change(*list))
        return false;
    if (Status written = list->commit(); !written) {
        m_messages.notify(this, QStringLiteral("出错"), toQt(written.error().message), MessageService::Icon::Critical);
        return false;
    }
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
        m_messages.notify(this, QStringLiteral("提示"),
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
    if (Status cleared = clearListFile(programFile(m_programDir, m_file)); !cleared)
        m_messages.notify(this, QStringLiteral("出错"), toQt(cleared.error().message), MessageService::Icon::Critical);
    refill();
}

}  // namespace tessaly
