#include "ui/sound/SoundPlayer.h"

#include "core/files/Paths.h"
#include "ui/sound/SoundWorker.h"

#include <QAudioDevice>
#include <QEvent>
#include <QMediaDevices>
#include <QWidget>

namespace tessaly {

void selectMediaBackend()
{
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
}

SoundPlayer::SoundPlayer(std::filesystem::path programDir, QObject *parent)
    : QObject(parent), m_programDir(std::move(programDir))
{
    selectMediaBackend();
    m_audioReady = !QMediaDevices::audioOutputs().isEmpty();

    m_worker = new SoundWorker;
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &SoundWorker::loaded, this, [this](quint64 request, const QString &path, qint64 duration) {
        if (request == m_request)
            emit loaded(path, duration);
    });
    connect(m_worker, &SoundWorker::failed, this, [this](quint64 request, const QString &path, const QString &reason) {
        if (request != m_request)
            return;
        setChannel(SoundChannel::None);  // like a stream that could not be created
        emit failed(path, reason);
    });
    connect(m_worker, &SoundWorker::ended, this, [this](quint64 request) {
        if (request == m_request && m_channel == SoundChannel::Playing)
            setChannel(SoundChannel::Stopped);
    });
    connect(m_worker, &SoundWorker::checked, this, &SoundPlayer::checked);
    m_thread.setObjectName(QStringLiteral("sound"));
    m_thread.start();
}

SoundPlayer::~SoundPlayer()
{
    SoundWorker *worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker] { worker->finish(); }, Qt::QueuedConnection);
    m_thread.wait();
}

void SoundPlayer::setChannel(SoundChannel channel)
{
    if (m_channel == channel)
        return;
    m_channel = channel;
    emit channelChanged(channel);
}

void SoundPlayer::PlaySoundFile(const QString &path, bool loop)
{
    const quint64 request = ++m_request;
    m_currentFile = path;
    setChannel(SoundChannel::Playing);
    SoundWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, request, path, loop] { worker->play(request, path, loop); }, Qt::QueuedConnection);
}

void SoundPlayer::StopSound()
{
    if (m_channel == SoundChannel::None)
        return;
    setChannel(SoundChannel::Stopped);
    SoundWorker *worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker] { worker->stop(); }, Qt::QueuedConnection);
}

void SoundPlayer::checkFile(const QString &path)
{
    SoundWorker *worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker, path] { worker->check(path); }, Qt::QueuedConnection);
}

void SoundPlayer::on(SoundMoment moment, const SoundSettings &sounds, std::string_view preview)
{
    const SoundCue cue = soundCue(moment, sounds, m_audioReady, m_channel);
    if (cue.stop)
        StopSound();
    if (cue.play == SoundKind::None)
        return;
    const std::string stored = cue.play == SoundKind::Preview ? std::string(preview) : storedSoundPath(sounds, cue.play);
    PlaySoundFile(QString::fromStdString(resolveStoredPath(m_programDir, stored).string()), cue.loop);
}

void SoundPlayer::followWindow(QWidget *window, const SoundSettings &sounds)
{
    on(SoundMoment::ResultsShown, sounds);
    window->installEventFilter(this);
}

bool SoundPlayer::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close) {
        watched->removeEventFilter(this);
        on(SoundMoment::ResultsClosed, {});
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tessaly
