#include "ui/event/CheckWindow.h"

#include "core/event/PreEventCheck.h"
#include "ui/common/GbkText.h"
#include "ui/sound/SoundProbe.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tessaly {

CheckWindow::CheckWindow(const std::filesystem::path &folder, QWidget *parent)
    : QDialog(parent), m_folder(folder), m_list(new QListWidget(this)), m_summary(new QLabel(this))
{
    setObjectName(QStringLiteral("CheckWindow"));
    setWindowTitle(QStringLiteral("检查抽奖设置"));
    auto *layout = new QVBoxLayout(this);
    auto *where = new QLabel(QStringLiteral("活动文件夹：") + QString::fromStdString(folder.string()), this);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(where);
    m_list->setObjectName(QStringLiteral("ListFindings"));
    m_list->setWordWrap(true);
    m_list->setAlternatingRowColors(true);
    layout->addWidget(m_list, 1);
    m_summary->setObjectName(QStringLiteral("LabelSummary"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto *again = buttons->addButton(QStringLiteral("重新检查"), QDialogButtonBox::ActionRole);
    connect(again, &QPushButton::clicked, this, &CheckWindow::recheck);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(760, 480);
    recheck();
}

void CheckWindow::recheck()
{
    QtSoundProbe sounds;  // every sound is decoded to its end
    const CheckReport report = checkEventFolder(m_folder, &sounds);
    m_list->clear();
    for (const auto &finding : report.findings) {
        QStyle::StandardPixmap icon = QStyle::SP_MessageBoxInformation;
        QString mark = QStringLiteral("信息");
        switch (finding.level) {
        case CheckFinding::Level::Ok: icon = QStyle::SP_DialogApplyButton; mark = QStringLiteral("正常"); break;
        case CheckFinding::Level::Info: break;
        case CheckFinding::Level::Warning: icon = QStyle::SP_MessageBoxWarning; mark = QStringLiteral("注意"); break;
        case CheckFinding::Level::Blocking: icon = QStyle::SP_MessageBoxCritical; mark = QStringLiteral("阻止"); break;
        }
        auto *item = new QListWidgetItem(style()->standardIcon(icon),
                                         QStringLiteral("[%1] %2").arg(mark, toQt(finding.text)), m_list);
        item->setData(Qt::UserRole, static_cast<int>(finding.level));
    }
    const int blocking = report.count(CheckFinding::Level::Blocking);
    const int warnings = report.count(CheckFinding::Level::Warning);
    if (blocking > 0)
        m_summary->setText(QStringLiteral("有 %1 个问题必须先解决，否则不能正常抽奖。").arg(blocking));
    else if (warnings > 0)
        m_summary->setText(QStringLiteral("可以抽奖，但请看一看 %1 个需要注意的地方。").arg(warnings));
    else
        m_summary->setText(QStringLiteral("一切正常，可以抽奖。"));
}

}  // namespace tessaly
