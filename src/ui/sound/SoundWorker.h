// The media players behind SoundPlayer, living on the sound thread: one for the
// channel, one for checking files on the side.
#pragma once

#include <QObject>
#include <QQueue>
#include <QString>
#include <QTimer>
#include <memory>

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
    void ensureProbe();
    void nextCheck();
    void finishCheck(bool ok, const QString &reason);

    Player m_channel;
    quint64 m_request = 0;
    QString m_path;
    bool m_reported = false;

    Player m_probe;
    QQueue<QString> m_checks;
    QString m_checking;
    bool m_checkBuffered = false;
    QTimer m_checkTimeout;
};

}  // namespace tessaly
