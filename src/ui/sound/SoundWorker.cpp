#include "ui/sound/SoundWorker.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QThread>
#include <QUrl>

namespace tessaly {

namespace {

// Long enough for a large file on a slow disk; a check never waits forever.
constexpr int kCheckTimeoutMs = 15000;
constexpr int kLengthWaitMs = 1000;
// How long a file may take to open before the channel is used regardless.
constexpr int kOpenTimeoutMs = 5000;

QString missingFileReason()
{
    return QStringLiteral("文件不存在");
}

QString reasonOf(const QMediaPlayer &player)
{
    return player.errorString().isEmpty() ? QStringLiteral("无法解码该文件") : player.errorString();
}

}  // namespace

SoundWorker::SoundWorker()
{
    m_openTimeout.setParent(this);
    m_openTimeout.setSingleShot(true);
    m_openTimeout.setInterval(kOpenTimeoutMs);
    connect(&m_openTimeout, &QTimer::timeout, this, &SoundWorker::settled);
    m_checkTimeout.setParent(this);
    m_checkTimeout.setSingleShot(true);
    // A file that plays but never tells its length passes once it has buffered.
    connect(&m_checkTimeout, &QTimer::timeout, this,
            [this] { finishCheck(m_checkBuffered, QStringLiteral("打开文件超时")); });
}

SoundWorker::~SoundWorker()
{
    // The players go before their outputs.
    m_channel.media.reset();
    m_probe.media.reset();
}

SoundWorker::Player SoundWorker::makePlayer(bool muted)
{
    Player p;
    p.output = std::make_unique<QAudioOutput>();
    p.output->setMuted(muted);
    p.media = std::make_unique<QMediaPlayer>();
    // Without an output the backend refuses to decode at all; with the default
    // one a machine without a sound card still decodes and keeps time.
    p.media->setAudioOutput(p.output.get());
    return p;
}

void SoundWorker::ensureChannel()
{
    if (m_channel.media)
        return;
    m_channel = makePlayer(false);
    QMediaPlayer *media = m_channel.media.get();
    connect(media, &QMediaPlayer::durationChanged, this, [this](qint64 duration) {
        if (duration > 0 && !m_reported && !m_path.isEmpty()) {
            m_reported = true;
            emit loaded(m_request, m_path, duration);
        }
    });
    connect(media, &QMediaPlayer::mediaStatusChanged, this, [this, media](QMediaPlayer::MediaStatus status) {
        if (m_opening && status != QMediaPlayer::LoadingMedia && status != QMediaPlayer::StalledMedia)
            QMetaObject::invokeMethod(this, &SoundWorker::settled, Qt::QueuedConnection);
        if (m_path.isEmpty())
            return;
        switch (status) {
        case QMediaPlayer::BufferedMedia:
            // The length may follow the first buffer; durationChanged reports it then.
            if (!m_reported && media->duration() > 0) {
                m_reported = true;
                emit loaded(m_request, m_path, media->duration());
            }
            break;
        case QMediaPlayer::EndOfMedia:
            emit ended(m_request);
            break;
        case QMediaPlayer::InvalidMedia: {
            const QString path = m_path;
            m_path.clear();
            emit failed(m_request, path, reasonOf(*media));
            break;
        }
        default:
            break;
        }
    });
    connect(media, &QMediaPlayer::errorOccurred, this, [this, media](QMediaPlayer::Error error, const QString &) {
        if (error == QMediaPlayer::NoError || m_path.isEmpty())
            return;
        const QString path = m_path;
        m_path.clear();
        emit failed(m_request, path, reasonOf(*media));
    });
}

void SoundWorker::play(quint64 request, const QString &path, bool loop)
{
    if (m_opening) {
        m_pending = Pending{true, request, path, loop};
        return;
    }
    startPlaying(request, path, loop);
}

void SoundWorker::settled()
{
    if (!m_opening)
        return;
    m_opening = false;
    m_openTimeout.stop();
    if (m_pending) {
        const Pending next = *m_pending;
        m_pending.reset();
        if (next.play)
            startPlaying(next.request, next.path, next.loop);
        else
            stop();
    }
    if (!m_opening && m_finishing)
        thread()->quit();
}

void SoundWorker::finish()
{
    m_finishing = true;
    m_pending.reset();
    if (!m_opening)
        thread()->quit();
}

void SoundWorker::startPlaying(quint64 request, const QString &path, bool loop)
{
    ensureChannel();
    QMediaPlayer &media = *m_channel.media;
    m_request = request;
    m_path.clear();  // the reports of the last sound end here
    media.stop();
    if (!QFileInfo(path).isFile()) {
        media.setSource(QUrl());
        emit failed(request, path, missingFileReason());
        return;
    }
    const QUrl url = QUrl::fromLocalFile(path);
    m_path = path;
    m_reported = false;
    if (media.source() == url && media.mediaStatus() != QMediaPlayer::InvalidMedia) {
        media.setPosition(0);
    } else {
        media.setSource(QUrl());
        media.setSource(url);
        m_opening = true;
        m_openTimeout.start();
    }
    media.setLoops(loop ? QMediaPlayer::Infinite : QMediaPlayer::Once);
    media.play();
}

void SoundWorker::stop()
{
    if (m_opening) {
        m_pending = Pending{};
        return;
    }
    if (m_channel.media)
        m_channel.media->stop();
}

void SoundWorker::ensureProbe()
{
    if (m_probe.media)
        return;
    m_probe = makePlayer(true);
    QMediaPlayer *media = m_probe.media.get();
    connect(media, &QMediaPlayer::durationChanged, this, [this](qint64 duration) {
        if (duration > 0 && !m_checking.isEmpty())
            finishCheck(true, {});
    });
    connect(media, &QMediaPlayer::mediaStatusChanged, this, [this, media](QMediaPlayer::MediaStatus status) {
        if (m_checking.isEmpty())
            return;
        if (status == QMediaPlayer::EndOfMedia || (status == QMediaPlayer::BufferedMedia && media->duration() > 0)) {
            finishCheck(true, {});
        } else if (status == QMediaPlayer::BufferedMedia && !m_checkBuffered) {
            m_checkBuffered = true;
            m_checkTimeout.start(kLengthWaitMs);
        }
        else if (status == QMediaPlayer::InvalidMedia)
            finishCheck(false, reasonOf(*media));
    });
    connect(media, &QMediaPlayer::errorOccurred, this, [this, media](QMediaPlayer::Error error, const QString &) {
        if (error != QMediaPlayer::NoError && !m_checking.isEmpty())
            finishCheck(false, reasonOf(*media));
    });
}

void SoundWorker::check(const QString &path)
{
    m_checks.enqueue(path);
    if (m_checking.isEmpty())
        nextCheck();
}

void SoundWorker::nextCheck()
{
    while (m_checking.isEmpty() && !m_checks.isEmpty()) {
        const QString path = m_checks.dequeue();
        if (!QFileInfo(path).isFile()) {
            emit checked(path, false, 0, missingFileReason());
            continue;
        }
        ensureProbe();
        m_checking = path;
        m_checkBuffered = false;
        m_checkTimeout.start(kCheckTimeoutMs);
        m_probe.media->setSource(QUrl::fromLocalFile(path));
        m_probe.media->play();
    }
}

void SoundWorker::finishCheck(bool ok, const QString &reason)
{
    const QString path = m_checking;
    m_checking.clear();  // before the player reports its own stop
    m_checkTimeout.stop();
    const qint64 duration = std::max<qint64>(0, m_probe.media->duration());
    m_probe.media->stop();
    m_probe.media->setSource(QUrl());
    emit checked(path, ok, duration, reason);
    QMetaObject::invokeMethod(this, &SoundWorker::nextCheck, Qt::QueuedConnection);
}

}  // namespace tessaly
