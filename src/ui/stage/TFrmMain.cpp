#include "ui/stage/TFrmMain.h"

#include "core/settings/Settings.h"
#include "ui/common/GbkText.h"
#include "ui/common/MessageService.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tessaly {

TFrmMain::TFrmMain(std::filesystem::path programDir, MessageService &messages, QWidget *parent)
    : QMainWindow(parent), m_programDir(std::move(programDir)), m_messages(messages)
{
    setWindowTitle(QStringLiteral("Tessaly抽奖软件 V3.55"));
    m_summary = new QLabel(this);
    m_summary->setAlignment(Qt::AlignCenter);
    setCentralWidget(m_summary);
    resize(800, 600);
}

void TFrmMain::loadProgramFiles()
{
    auto settings = openSettings(m_programDir);
    if (!settings) {
        m_messages.notify(this, QStringLiteral("出错"), toQt(settings.error().message), MessageService::Icon::Critical);
        return;
    }
    m_grade = readConfigGrade(*settings, m_programDir);
    for (const auto &problem : m_grade.problems)
        m_messages.notify(this, QStringLiteral("提示"), toQt(problem));
    if (auto loaded = LoadParticipants(m_programDir, m_lists); !loaded)
        m_messages.notify(this, QStringLiteral("出错"), toQt(loaded.error().message), MessageService::Icon::Critical);
    m_summary->setText(QStringLiteral("奖项 %1 个，参与者 %2 人").arg(m_grade.awards.AwardCount).arg(m_lists.size()));
}

}  // namespace tessaly
