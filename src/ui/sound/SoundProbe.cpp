#include "ui/sound/SoundProbe.h"

#include "ui/common/GbkText.h"
#include "ui/sound/SoundPlayer.h"

#include <QEventLoop>
#include <QTimer>

namespace tessaly {

std::string QtSoundProbe::decodeError(const std::filesystem::path &file)
{
    // The player's own check opens the file on the side, as the draw would play it.
    SoundPlayer player(file.parent_path());
    QEventLoop loop;
    bool done = false, ok = false;
    QString reason;
    QObject::connect(&player, &SoundPlayer::checked, &loop,
                     [&](const QString &, bool good, qint64, const QString &why) {
                         done = true;
                         ok = good;
                         reason = why;
                         loop.quit();
                     });
    QTimer::singleShot(kTimeoutMs, &loop, &QEventLoop::quit);
    player.checkFile(QString::fromStdString(file.string()));
    if (!done)
        loop.exec();
    if (!done)
        return fromQt(QStringLiteral("打开文件超时"));
    return ok ? std::string() : fromQt(reason.isEmpty() ? QStringLiteral("无法解码") : reason);
}

}  // namespace tessaly
