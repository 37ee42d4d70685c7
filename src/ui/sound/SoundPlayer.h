// The one sound channel of the program, on Qt Multimedia. Only one sound plays
// at a time: each play replaces the last. The media player lives on a thread
// of its own, so opening, decoding or failing on a file never holds up the
// window: a call here only posts the request and returns.
#pragma once

#include "core/sound/SoundRules.h"

#include <QObject>
#include <QString>
#include <QThread>
#include <filesystem>
#include <string_view>

class QWidget;

namespace tessaly {

class SoundWorker;

// Chooses Qt Multimedia's GStreamer backend unless QT_MEDIA_BACKEND says
// otherwise: it plays MP3, WMA, WAV and MIDI here, where the FFmpeg backend of
// Qt 6.4 is not dependable. Call before the first use of Qt Multimedia.
void selectMediaBackend();

class SoundPlayer : public QObject {
    Q_OBJECT
public:
    // Stored sound paths are resolved against programDir. Whether an audio
    // output exists is decided here, once.
    explicit SoundPlayer(std::filesystem::path programDir, QObject *parent = nullptr);
    ~SoundPlayer() override;

    // An audio output device was found at start-up. Without one the draw's own
    // sounds are skipped; the program draws as usual.
    bool AudioReady() const { return m_audioReady; }
    // For a machine whose device list is wrong, and for tests and benchmarks.
    void setAudioReady(bool ready) { m_audioReady = ready; }

    // Ends whatever plays and plays this file from its beginning, repeating
    // when `loop`. A file that is missing or cannot be decoded plays nothing
    // (failed() says so) and leaves the channel silent.
    void PlaySoundFile(const QString &path, bool loop);
    // Stops the current sound; the channel stays, so F9 can start the music again.
    void StopSound();
    SoundChannel channel() const { return m_channel; }
    // The file of the last PlaySoundFile.
    QString currentFile() const { return m_currentFile; }

    // Carries out the decision for a moment of the draw with these settings;
    // `preview` is the stored path the sound dialog wants to hear.
    void on(SoundMoment moment, const SoundSettings &sounds, std::string_view preview = {});
    // The results music for a window that has just appeared; it stops when the window closes.
    void followWindow(QWidget *window, const SoundSettings &sounds);

    // Opens a file on the side, without touching the channel, to learn whether
    // it decodes; the answer comes as checked().
    void checkFile(const QString &path);

signals:
    // The sound on the channel has opened; its length in milliseconds (0 when unknown).
    void loaded(const QString &path, qint64 durationMs);
    void failed(const QString &path, const QString &reason);
    void checked(const QString &path, bool ok, qint64 durationMs, const QString &reason);
    void channelChanged(tessaly::SoundChannel channel);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setChannel(SoundChannel channel);

    std::filesystem::path m_programDir;
    QThread m_thread;
    SoundWorker *m_worker = nullptr;  // lives on m_thread
    bool m_audioReady = false;
    SoundChannel m_channel = SoundChannel::None;
    quint64 m_request = 0;  // reports of older requests are stale
    QString m_currentFile;
};

}  // namespace tessaly
