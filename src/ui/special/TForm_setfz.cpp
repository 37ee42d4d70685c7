#include "ui/special/TForm_setfz.h"

#include "core/draw/DrawSession.h"
#include "core/settings/Settings.h"
#include "core/special/Grouping.h"
#include "ui/common/DigitsOnly.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {
namespace {

QPushButton *button(QWidget *parent, const QString &text, const char *name)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TForm_setfz::TForm_setfz(std::filesystem::path programDir, DrawSession &session, MessageService &messages,
                         std::function<void()> resetDraw, QWidget *parent)
    : QDialog(parent), m_programDir(std::move(programDir)), m_session(session), m_messages(messages),
      m_resetDraw(std::move(resetDraw))
{
    setObjectName(QStringLiteral("TForm_setfz"));
    setWindowTitle(QStringLiteral("奖项分组设置(设置奖项在哪个范围中产生)"));
    resize(860, 600);
    auto *layout = new QVBoxLayout(this);
    auto *about = new QLabel(QStringLiteral("奖项分组是指设置某个奖项从哪个范围中产生（非内定中奖人），如：有些公司要求老员工"
                                            "才能中一等奖，这时把老员工放到一起，如1-20行，然后设定一等奖从1-20行中产生"
                                            "（抽一等奖时只滚动1-20行）"),
                             this);
    about->setWordWrap(true);
    layout->addWidget(about);

    auto *grid = new QGridLayout;
    layout->addLayout(grid, 1);
    grid->addWidget(new QLabel(QStringLiteral("抽奖名单列表："), this), 0, 0);
    // Each line carries its number right-aligned in six characters, so the
    // operator reads off the range to type.
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QStringList lines;
    int number = 0;
    for (const auto &entry : m_session.lists().NameList)
        lines << QStringLiteral("%1  %2").arg(++number, 6).arg(toQt(entry));
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    grid->addWidget(Memo1, 1, 0, 6, 1);

    CheckBox1 = new QCheckBox(QStringLiteral("启用奖项分组功能"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    grid->addWidget(CheckBox1, 0, 1);
    auto *range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("奖项："), this));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    range->addWidget(ComboBox1, 1);
    grid->addLayout(range, 1, 1);
    auto *lineRow = new QHBoxLayout;
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    for (QLineEdit *e : {Edit1, Edit2}) {
        setDigitsOnly(e);
        e->setMaximumWidth(90);
    }
    lineRow->addWidget(new QLabel(QStringLiteral("从"), this));
    lineRow->addWidget(Edit1);
    lineRow->addWidget(new QLabel(QStringLiteral("行到"), this));
    lineRow->addWidget(Edit2);
    lineRow->addWidget(new QLabel(QStringLiteral("行"), this));
    QPushButton *addButton = button(this, QStringLiteral("添加"), "Button3");
    lineRow->addWidget(addButton);
    lineRow->addStretch();
    grid->addLayout(lineRow, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("分组情况："), this), 3, 1);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    grid->addWidget(ListBox1, 4, 1);
    QPushButton *deleteButton = button(this, QStringLiteral("删除"), "Button4");
    deleteButton->setToolTip(QStringLiteral("先选中\"分组情况\"中的一条再点删除"));
    grid->addWidget(deleteButton, 5, 1, Qt::AlignLeft);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    auto *note = new QLabel(QStringLiteral("注意：点确定按钮后将强制进行重新开始抽奖，重新加载名单，所有名单都将回到奖池。"), this);
    note->setStyleSheet(QStringLiteral("color: red;"));
    note->setWordWrap(true);
    layout->addWidget(note);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    QPushButton *ok = button(this, QStringLiteral("确定"), "Button1");
    QPushButton *cancel = button(this, QStringLiteral("取消"), "Button2");
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    const AwardTable &awards = m_session.awards();
    for (int i = 0; i < awards.AwardCount; ++i) {
        m_labels.push_back(awardLabel(awards[i]));
        ComboBox1->addItem(toQt(m_labels.back()));
    }
    ComboBox1->setCurrentIndex(-1);
    if (auto settings = openSettings(m_programDir)) {
        CheckBox1->setChecked(settings->readBool("Option", "canfz", false));
        for (const auto &item : readGroupItems(*settings, awards.AwardCount))
            ListBox1->addItem(toQt(item));
    } else {
        m_messages.notify(this, QStringLiteral("出错"), toQt(settings.error().message), MessageService::Icon::Critical);
    }

    connect(addButton, &QPushButton::clicked, this, &TForm_setfz::addRange);
    connect(deleteButton, &QPushButton::clicked, this, &TForm_setfz::deleteRange);
    connect(ok, &QPushButton::clicked, this, &TForm_setfz::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
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
    auto settings = openSettings(m_programDir);
    Status written = settings ? Status(Ok{}) : Status(settings.error());
    if (settings) {
        std::vector<std::string> items;
        for (int i = 0; i < ListBox1->count(); ++i)
            items.push_back(fromQt(ListBox1->item(i)->text()));
        writeGrouping(*settings, CheckBox1->isChecked(), items, m_labels, m_session.awards().AwardCount);
        written = settings->commit();
    }
    if (!written) {
        m_messages.notify(this, QStringLiteral("出错"), toQt(written.error().message), MessageService::Icon::Critical);
        return;
    }
    m_session.setGroupingEnabled(CheckBox1->isChecked());
    if (m_resetDraw)
        m_resetDraw();
    accept();
}

}  // namespace tessaly
