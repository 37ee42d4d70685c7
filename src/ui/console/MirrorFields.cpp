#include "ui/console/MirrorFields.h"

#include "core/draw/DrawSession.h"
#include "ui/common/GbkText.h"
#include "ui/console/TFrmConsole.h"
#include "ui/stage/TFrmMain.h"

#include <QDir>
#include <QLabel>
#include <QPalette>

namespace tessaly {

MirrorFields::MirrorFields(TFrmConsole &console, TFrmMain &stage)
    : QObject(&console), m_console(console), m_stage(stage)
{
    m_folder = m_console.addField(QStringLiteral("同步备份到："));
    m_folder->setObjectName(QStringLiteral("MirrorFolderValue"));
    m_folder->setWordWrap(true);
    m_state = m_console.addField(QStringLiteral("备份状态："));
    m_state->setObjectName(QStringLiteral("MirrorStateValue"));
    m_state->setWordWrap(true);
    m_counters = m_console.addField(QStringLiteral("保存次数（本机/备份）："));
    m_counters->setObjectName(QStringLiteral("CommitCountsValue"));
    connect(&m_stage, &TFrmMain::mirrorStateShown, this, &MirrorFields::refresh);
    refresh();
}

void MirrorFields::refresh()
{
    const DrawSession &s = m_stage.session();
    const TFrmMain::CommitCounts &counts = m_stage.commitCounts();
    const std::filesystem::path folder = s.mirrorFolder();
    const bool on = !folder.empty();
    m_folder->setText(on ? QDir::toNativeSeparators(QString::fromStdString(folder.string()))
                         : QStringLiteral("未设置（设定 → 同步备份...）"));
    QString state = QStringLiteral("—");
    QString warning;
    if (on && s.mirrorInterrupted()) {
        state = QStringLiteral("备份中断：%1").arg(toQt(s.mirrorReason()));
        warning = state + QStringLiteral("（抽奖照常进行，备份恢复后会自动补上）");
    } else if (on && !s.mirrorSyncedAt().empty()) {
        state = QStringLiteral("正常，最后备份于 %1").arg(toQt(s.mirrorSyncedAt()));
    } else if (on) {
        state = QStringLiteral("等待第一次备份");
    }
    m_state->setText(state);
    // Red and bold while interrupted; a palette keeps the progress box's larger font, a style sheet would not.
    const bool down = on && s.mirrorInterrupted();
    QPalette palette = m_counters->palette();
    if (down)
        palette.setColor(QPalette::WindowText, QColor(0xc0, 0, 0));
    m_state->setPalette(palette);
    QFont font = m_counters->font();
    font.setBold(down);
    m_state->setFont(font);
    m_console.setWarning(QStringLiteral("mirror"), warning);
    m_counters->setText(on ? QStringLiteral("%1 / %2").arg(counts.event).arg(counts.mirror < 0 ? QStringLiteral("—")
                                                                                                  : QString::number(counts.mirror))
                           : QStringLiteral("%1 / —").arg(counts.event));
}

}  // namespace tessaly
