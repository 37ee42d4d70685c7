#include "ui/stage/TFrmSplash.h"

#include "ui_TFrmSplash.h"

#include "core/settings/Settings.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"

#include <QGuiApplication>
#include <QScreen>

namespace tessaly {

TFrmSplash::TFrmSplash(std::filesystem::path programDir, MessageService &messages, bool fromMenu, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TFrmSplash), m_programDir(std::move(programDir)), m_messages(messages)
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose, !fromMenu);
    m_ui->Memo1->setPlainText(tipsText());
    m_ui->CheckBox1->setChecked(false);
    m_ui->CheckBox1->setVisible(!fromMenu);
    connect(m_ui->CheckBox1, &QCheckBox::toggled, this, &TFrmSplash::CheckBox1Click);
    setFixedSize(size());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

TFrmSplash::~TFrmSplash()
{
    delete m_ui;
}

QString TFrmSplash::tipsText()
{
    return QStringLiteral(
        "软件使用只需三个简单的步骤：\n"
        "1、编辑抽奖名单(在主菜单中操作)\n"
        "2、主副标题和奖项设置(在主菜单中操作)\n"
        "3、进行抽奖（按下并松开空格键或按下开始按钮，再按一次空格键停止）\n"
        "(设定1、2步骤后，下次重新运行软件时只需按下菜单\"重新开始抽奖\"就可以按照之\n"
        "前设置好的配置进行抽奖)\n"
        "\n"
        "界面位置等调整方法：\n"
        "<1>如何自定义标题等文本的字体、大小、位置？\n"
        "答：在标题或其它文本或按钮或字幕区等上面点鼠标右键将出现右键菜单，里面有\n"
        "字体大小等调整。位置调整方法：按主菜单（主菜单默认自动隐藏，把鼠标移到屏\n"
        "幕左上角可出现主菜单）的‘调整界面位置’菜单后将进入设计状态，此时鼠标移到界\n"
        "面上各部件时将出现8个黑点，按住鼠标拖动可以调整各部件位置，按住鼠标拉动黑\n"
        "点可以调整各部件的大小。注意：各部件位置大小调整结束后再按一次‘调整界面位\n"
        "置’菜单将退出设计状态这时软件将保存版面。\n"
        "<2>如何自定义滚动中奖人的字体、大小、位置、列数？\n"
        "答：在每个奖项停止抽奖时，在中奖人文本上面点鼠标右键将出现右键菜单，里面\n"
        "有字体、大小、位置、列数等调整，可对每个奖项进行单独调整。\n"
        "<3>版面调整后如何保存？\n"
        "答：每次改变软件都会自动保存。");
}

void TFrmSplash::CheckBox1Click(bool checked)
{
    auto settings = openSettings(m_programDir);
    if (settings) {
        settings->writeString("Option", "showhint", checked ? "0" : "1");
        if (auto committed = settings->commit(); !committed) {
            m_messages.notify(this, QStringLiteral("提示"), toQt(committed.error().message));
        }
        return;
    }
    m_messages.notify(this, QStringLiteral("提示"), toQt(settings.error().message));
}

}  // namespace tessaly
