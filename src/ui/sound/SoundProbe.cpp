#include "ui/sound/SoundProbe.h"

#include "ui/common/GbkText.h"
#include "ui/sound/SoundPlayer.h"

#include <QAudioDecoder>
#include <QEventLoop>
#include <QTimer>
#include <QUrl>

namespace tessaly {

std::string QtSoundProbe::decodeError(const std::filesystem::path &file)
{
    selectMediaBackend();
    QAudioDecoder decoder;
    decoder.setSource(QUrl::fromLocalFile(QString::fromStdString(file.string())));
    QEventLoop loop;
    QString error;
    qint64 frames = 0;
    QObject::connect(&decoder, &QAudioDecoder::bufferReady, &loop, [&] { frames += decoder.read().frameCount(); });
    QObject::connect(&decoder, &QAudioDecoder::finished, &loop, &QEventLoop::quit);
    QObject::connect(&decoder, qOverload<QAudioDecoder::Error>(&QAudioDecoder::error), &loop, [&] {
        error = decoder.errorString().isEmpty() ? QStringLiteral("解码出错") : decoder.errorString();
        loop.quit();
    });
    QTimer::singleShot(kTimeoutMs, &loop, [&] {
        error = QStringLiteral("解码超时");
        loop.quit();
    });
    decoder.start();
    if (decoder.isDecoding() || error.isEmpty())
        loop.exec();
    decoder.stop();
    if (error.isEmpty() && frames == 0)
        error = QStringLiteral("没有声音数据");
    return fromQt(error);
}

}  // namespace tessaly
