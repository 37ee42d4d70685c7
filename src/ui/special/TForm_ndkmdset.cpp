#include "ui/special/TForm_ndkmdset.h"

#include "core/draw/DrawSession.h"
#include "core/settings/ProgramFiles.h"
#include "core/settings/Settings.h"
#include "core/special/Secrets.h"
#include "core/special/SpecialLists.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/special/ShortcutEdit.h"
#include "ui/special/SpecialListPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tessaly {

TForm_ndkmdset::TForm_ndkmdset(std::filesystem::path programDir, DrawSession &session, MessageService &messages,
                               QWidget *parent)
    : QDialog(parent), m_programDir(std::move(programDir)), m_session(session), m_messages(messages)
{
    setObjectName(QStringLiteral("TForm_ndkmdset"));
    setWindowTitle(QStringLiteral("特殊功能设定"));
    resize(860, 560);
    auto *layout = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(PageControl1);

    const auto &names = m_session.lists().NameList;
    predetermined = new SpecialListPage(m_programDir, files::kPredetermined, QStringLiteral("内定人员："), names,
                                        m_messages, PageControl1);
    predetermined->setObjectName(QStringLiteral("TabSheet1"));
    CheckBox1 = new QCheckBox(QStringLiteral("内定人员中奖时随机排列（不勾选则排列在最前面）"), predetermined);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    predetermined->addFooter(CheckBox1);
    excluded = new SpecialListPage(m_programDir, files::kExclusions, QStringLiteral("黑名人员："), names, m_messages,
                                   PageControl1);
    excluded->setObjectName(QStringLiteral("TabSheet2"));
    excluded->addFooter(new QLabel(QStringLiteral("注：黑名单指的是参与随机滚动但不会中奖的人"), excluded));
    PageControl1->addTab(predetermined, QStringLiteral("内定设定"));
    PageControl1->addTab(excluded, QStringLiteral("黑名单设定"));
    PageControl1->addTab(parameterPage(), QStringLiteral("参数设定"));
    // Each list tab shows the files as they are now.
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (auto *page = qobject_cast<SpecialListPage *>(PageControl1->widget(index)))
            page->refill();
    });

    auto settings = openSettings(m_programDir);
    if (!settings) {
        m_messages.notify(this, QStringLiteral("出错"), toQt(settings.error().message), MessageService::Icon::Critical);
        return;
    }
    CheckBox1->setChecked(settings->readBool("Option", "ntcanrandom", true));
    ComboBox1->setCurrentIndex(static_cast<int>(readListMode(*settings)));
    const auto code = storedSecret(*settings, "sndmm");
    Edit1->setText(settings->hasKey("Option", "sndmm") && code ? toQt(*code) : QString::fromLatin1(kDefaultAccessCode));
    Edit2->setCode(settings->readInteger("Option", "sndfo", kDefaultOpenKey));
    Edit3->setCode(settings->readInteger("Option", "sndst", kDefaultEnableKey));

    connect(CheckBox1, &QCheckBox::clicked, this, [this](bool on) {
        auto store = openSettings(m_programDir);
        Status written = store ? Status(Ok{}) : Status(store.error());
        if (store) {
            store->writeBool("Option", "ntcanrandom", on);
            written = store->commit();
        }
        if (!written)
            m_messages.notify(this, QStringLiteral("出错"), toQt(written.error().message),
                              MessageService::Icon::Critical);
    });
}

QWidget *TForm_ndkmdset::parameterPage()
{
    auto *page = new QWidget(PageControl1);
    page->setObjectName(QStringLiteral("TabSheet3"));
    auto *form = new QFormLayout(page);
    ComboBox1 = new QComboBox(page);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("按内定黑名单快捷键后本次所有奖项内定\\黑名单生效一次"),
                         QStringLiteral("下次重启软件后强制重新开始抽奖并内定\\黑名单生效一次"),
                         QStringLiteral("总是启用内定\\黑名单功能")});
    form->addRow(QStringLiteral("内定和黑名单生效方式："), ComboBox1);
    Edit1 = new QLineEdit(page);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("进入特殊功能设定窗口密码："), Edit1);
    Edit2 = new ShortcutEdit(page);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    form->addRow(QStringLiteral("弹出特殊功能设定窗口快捷键："), Edit2);
    Edit3 = new ShortcutEdit(page);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    form->addRow(QStringLiteral("启用内定和黑名单快捷键："), Edit3);
    form->addRow(QString(), new QLabel(QStringLiteral("（若要改变直接按键盘进行设置）"), page));
    auto *save = new QPushButton(QStringLiteral("修改参数"), page);
    save->setObjectName(QStringLiteral("Button4"));
    save->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    form->addRow(QString(), save);
    connect(save, &QPushButton::clicked, this, &TForm_ndkmdset::Button1Click);
    return page;
}

void TForm_ndkmdset::Button1Click()
{
    auto settings = openSettings(m_programDir);
    Status written = settings ? Status(Ok{}) : Status(settings.error());
    if (settings) {
        settings->writeString("Option", "sndmm", encodeSecret(fromQt(Edit1->text())));
        settings->writeInteger("Option", "sndfo", Edit2->code());
        settings->writeInteger("Option", "sndst", Edit3->code());
        settings->writeInteger("Option", "ntfs", ComboBox1->currentIndex());
        written = settings->commit();
    }
    if (!written) {
        m_messages.notify(this, QStringLiteral("出错"), toQt(written.error().message), MessageService::Icon::Critical);
        return;
    }
    m_session.setHotKeys(Edit2->code(), Edit3->code());
    m_messages.notify(this, QStringLiteral("提示"),
                      ComboBox1->currentIndex() == static_cast<int>(ListMode::Always)
                          ? QStringLiteral("修改参数成功。您选择了\"总是启用内定\\黑名单功能\"生效方式，"
                                           "请接着按一次主窗口菜单\"重新开始抽奖\"以使内定总是生效。")
                          : QStringLiteral("修改参数成功。"));
}

}  // namespace tessaly
