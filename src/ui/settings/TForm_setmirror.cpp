#include "ui/settings/TForm_setmirror.h"

#include "core/files/EventMirror.h"
#include "core/settings/IniStore.h"
#include "core/text/Gbk.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"
#include "ui/common/PickerService.h"
#include "ui/special/SettingsAccess.h"

#include "ui_TForm_setmirror.h"

#include <QDir>

namespace tessaly {
namespace fs = std::filesystem;

TForm_setmirror::TForm_setmirror(fs::path programDir, const fs::path &inUse, MessageService &messages,
                                 PickerService &pickers, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TForm_setmirror), m_programDir(std::move(programDir)), m_messages(messages),
      m_pickers(pickers)
{
    m_ui->setupUi(this);
    std::string stored;
    if (auto settings = readIniFile(this, m_messages, m_programDir))
        stored = settings->readString("Option", "mirrorfolder");
    m_ui->Edit1->setText(QString::fromStdString(gbkToUtf8(stored)));
    // --mirror names a folder for one run only: the operator sees which one is in use.
    const QString used = QString::fromStdString(inUse.string());
    m_ui->Label3->setText(used.isEmpty() || used == m_ui->Edit1->text()
                              ? QString()
                              : QStringLiteral("本次运行正在备份到：%1").arg(QDir::toNativeSeparators(used)));
    m_ui->Label3->setVisible(!m_ui->Label3->text().isEmpty());
    connect(m_ui->Button3, &QPushButton::clicked, this, &TForm_setmirror::chooseFolder);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TForm_setmirror::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TForm_setmirror::~TForm_setmirror()
{
    delete m_ui;
}

void TForm_setmirror::chooseFolder()
{
    const QString folder = m_pickers.pickFolder(this, QStringLiteral("请选择备份文件夹"));
    if (!folder.isEmpty())
        m_ui->Edit1->setText(QDir::toNativeSeparators(folder));
}

void TForm_setmirror::Button1Click()
{
    const QString typed = m_ui->Edit1->text().trimmed();
    const std::string utf8 = typed.toStdString();
    const std::string stored = utf8ToGbk(utf8);
    // set.dat holds GBK: a path it cannot hold would name another folder at the next start.
    if (gbkToUtf8(stored) != utf8) {
        m_messages.notify(this, QStringLiteral("提示"),
                          QStringLiteral("备份文件夹的路径中有不能保存的字符，请换一个文件夹。"));
        m_ui->Edit1->setFocus();
        return;
    }
    fs::path folder;
    if (!typed.isEmpty()) {
        folder = fs::path(utf8).lexically_normal();
        if (!folder.has_filename() && folder != folder.root_path())
            folder = folder.parent_path();  // "/media/u/备份/" names the folder itself
        if (Status ready = prepareMirrorFolder(m_programDir, folder); !ready) {
            m_messages.notify(this, QStringLiteral("提示"), toQt(ready.error().message),
                              MessageService::Icon::Warning);
            m_ui->Edit1->setFocus();
            return;
        }
    }
    if (!changeIniFile(this, m_messages, m_programDir, [&](IniStore &settings) {
            settings.writeString("Option", "mirrorfolder", utf8ToGbk(folder.string()));
            return true;
        }))
        return;
    m_chosen = folder;
    accept();
}

}  // namespace tessaly
