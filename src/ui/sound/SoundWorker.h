// The media players behind SoundPlayer, living on the sound thread: one for the
// channel, one for checking files on the side.
#pragma once

#include <QObject>
#include <QQueue>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

class QAudioOutput;
class QMediaPlayer;

namespace tessaly {

class SoundWorker : public QObject {
    Q_OBJECT
public:
    SoundWorker();
    ~SoundWorker() override;

    void play(quint64 request, const QString &path, bool loop);
    void stop();
    void check(const QString &path);
    // Ends the sound thread once the channel is quiet enough to be torn down.
    void finish();

signals:
    void loaded(quint64 request, const QString &path, qint64 durationMs);
    void failed(quint64 request, const QString &path, const QString &reason);
    void ended(quint64 request);
    void checked(const QString &path, bool ok, qint64 durationMs, const QString &reason);

private:
    struct Player {
        std::unique_ptr<QAudioOutput> output;
        std::unique_ptr<QMediaPlayer> media;
    };
    static Player makePlayer(bool muted);
    void ensureChannel();
    void startPlaying(quint64 request, const QString &path, bool loop);
    void settled();
    void ensureProbe();
    void nextCheck();
    void finishCheck(bool ok, const QString &reason);

    Player m_channel;
    quint64 m_request = 0;
    QString m_path;
    bool m_reported = false;
    // Qt 6.4's GStreamer player can deadlock when it is given a new source or
    // stopped while the last file is still being opened (its decoder adding
    // pads). So the channel is left alone until the file has opened or failed,
    // and the latest request waits.
    struct Pending {
        bool play = false;
        quint64 request = 0;
        QString path;
        bool loop = false;
    };
    bool m_opening = false;
    std::optional<Pending> m_pending;
    bool m_finishing = false;
    QTimer m_openTimeout;

    Player m_probe;
    QQueue<QString> m_checks;
    QString m_checking;
    bool m_checkBuffered = false;
    QTimer m_checkTimeout;
};

}  // namespace tessaly
