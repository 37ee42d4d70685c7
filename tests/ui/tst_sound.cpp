// The sound channel on Qt Multimedia with whatever audio output the machine
// has (none on the test machines): the shipped sounds decode and play, broken
// files fail without harm, the stage plays each moment's sound and F9 toggles
// the music, and the sound dialog stores what the operator chose.
#include "support/TestServices.h"
#include "ui/settings/TForm_setmusic.h"
#include "ui/sound/SoundPlayer.h"
#include "ui/sound/SoundProbe.h"
#include "ui/common/StageWidgets.h"
#include "ui/stage/TFrmMain.h"

#include "core/draw/Clock.h"
#include "core/draw/DrawSession.h"
#include "core/draw/Random.h"
#include "core/settings/Settings.h"
#include "ui/common/GbkText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>

using namespace tessaly;

namespace {

const QString kDist = QStringLiteral(TESSALY_DIST_DIR);
const QString kTestSounds = QStringLiteral(TESSALY_DIST_DIR "/../tests/data/sound");

// Three notes, written here so that the test needs no MIDI file from elsewhere.
void writeMidi(const QString &path)
{
    std::string track;
    for (unsigned char note : {60, 64, 67}) {
        track += std::string("\x00\x90", 2) + char(note) + char(100);
        track += std::string("\x81\x70\x80", 3) + char(note) + char(0);  // 240 ticks later
    }
    track += std::string("\x00\xff\x2f\x00", 4);
    std::string file("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0", 14);
    file += "MTrk";
    for (int shift : {24, 16, 8, 0})
        file += char((track.size() >> shift) & 0xff);
    file += track;
    std::ofstream(path.toStdString(), std::ios::binary) << file;
}

void writeBytes(const QString &path, const std::string &bytes)
{
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

struct Stage {
    explicit Stage(bool audio)
    {
        dir = tmp.path().toStdString();
        std::filesystem::copy(TESSALY_DIST_DIR, dir, std::filesystem::copy_options::recursive);
        window = std::make_unique<TFrmMain>(dir, TFrmMain::Services{s.messages, s.opener, s.pickers}, QSize(1024, 768));
        window->sound().setAudioReady(audio);  // as if the machine had a sound card (or none)
        window->resize(1024, 768);
        window->show();
        window->FormShow();
    }
    void press(Qt::Key key)
    {
        QTest::keyPress(window.get(), key);
        QTest::keyRelease(window.get(), key);
    }
    QString playing() const { return QFileInfo(window->sound().currentFile()).fileName(); }

    QTemporaryDir tmp;
    std::filesystem::path dir;
    test::TestServices s;
    std::unique_ptr<TFrmMain> window;
};

}  // namespace

class TestSound : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { selectMediaBackend(); }

    void everyShippedAndOfferedFormatDecodesAndPlays()
    {
        QTemporaryDir tmp;
        writeMidi(tmp.filePath(QStringLiteral("tune.mid")));
        struct Case {
            QString path;
            qint64 expectedMs;
        };
        const Case cases[] = {
            {kDist + QStringLiteral("/wav/bg2.mp3"), 16000},
            {kDist + QStringLiteral("/wav/start3.mp3"), 10000},
            {kDist + QStringLiteral("/wav/stop1.wav"), 2600},
            {kDist + QStringLiteral("/wav/bg4.mp3"), 18000},
            {kTestSounds + QStringLiteral("/tone.wma"), 800},
            {tmp.filePath(QStringLiteral("tune.mid")), 750},  // three quarter notes at 120 a minute
        };
        SoundPlayer player(tmp.path().toStdString());
        qInfo() << "audio output present:" << player.AudioReady();
        for (const Case &c : cases) {
            QSignalSpy loaded(&player, &SoundPlayer::loaded);
            QSignalSpy failed(&player, &SoundPlayer::failed);
            player.PlaySoundFile(c.path, false);
            QCOMPARE(player.channel(), SoundChannel::Playing);
            QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty() || !failed.isEmpty(), 15000);
            QVERIFY2(failed.isEmpty(), qPrintable(c.path));
            const qint64 duration = loaded.first().at(1).toLongLong();
            qInfo().noquote() << QFileInfo(c.path).fileName() << "decoded," << duration << "ms";
            QVERIFY2(qAbs(duration - c.expectedMs) <= c.expectedMs / 10 + 100, qPrintable(c.path));
        }
        // The short fanfare runs to its end in real time, then the channel is stopped.
        QSignalSpy changed(&player, &SoundPlayer::channelChanged);
        player.PlaySoundFile(kDist + QStringLiteral("/wav/stop1.wav"), false);
        QTRY_COMPARE_WITH_TIMEOUT(player.channel(), SoundChannel::Stopped, 10000);
    }

    void aLoopedSoundKeepsPlayingPastItsEnd()
    {
        SoundPlayer player(QDir::tempPath().toStdString());
        QSignalSpy loaded(&player, &SoundPlayer::loaded);
        player.PlaySoundFile(kTestSounds + QStringLiteral("/tone.wma"), true);
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 15000);
        QTest::qWait(2500);  // three times its length
        QCOMPARE(player.channel(), SoundChannel::Playing);
        player.StopSound();
        QCOMPARE(player.channel(), SoundChannel::Stopped);
    }

    void missingAndDamagedFilesFailQuietlyAndTheNextSoundStillPlays()
    {
        QTemporaryDir tmp;
        const QString garbage = tmp.filePath(QStringLiteral("garbage.mp3"));
        writeBytes(garbage, std::string(4096, '\x5a'));
        const QString truncated = tmp.filePath(QStringLiteral("cut.wav"));
        {
            std::ifstream in((kDist + QStringLiteral("/wav/stop1.wav")).toStdString(), std::ios::binary);
            std::string head(44, '\0');
            in.read(head.data(), 44);
            writeBytes(truncated, head);  // a header and no samples
        }
        const QString empty = tmp.filePath(QStringLiteral("empty.mid"));
        writeBytes(empty, "");
        SoundPlayer player(tmp.path().toStdString());
        for (const QString &bad : {tmp.filePath(QStringLiteral("gone.mp3")), garbage, empty, truncated,
                                   tmp.path()}) {
            QSignalSpy failed(&player, &SoundPlayer::failed);
            QSignalSpy ended(&player, &SoundPlayer::channelChanged);
            player.PlaySoundFile(bad, false);
            // Either it fails, or (a header with no sound) it ends at once; it never hangs.
            QTRY_VERIFY_WITH_TIMEOUT(player.channel() != SoundChannel::Playing, 10000);
            if (bad != truncated) {
                QCOMPARE(failed.size(), 1);
                QCOMPARE(failed.first().at(0).toString(), bad);
                QCOMPARE(player.channel(), SoundChannel::None);
            }
        }
        QSignalSpy checked(&player, &SoundPlayer::checked);
        for (const QString &f : {garbage, tmp.filePath(QStringLiteral("gone.mp3")), kDist + "/wav/stop1.wav"})
            player.checkFile(f);
        QTRY_COMPARE_WITH_TIMEOUT(checked.size(), 3, 15000);
        QCOMPARE(checked.at(0).at(1).toBool(), false);
        QCOMPARE(checked.at(1).at(1).toBool(), false);
        QCOMPARE(checked.at(2).at(1).toBool(), true);
        QVERIFY(checked.at(2).at(2).toLongLong() > 2000);

        QSignalSpy loaded(&player, &SoundPlayer::loaded);
        player.PlaySoundFile(kDist + QStringLiteral("/wav/stop1.wav"), false);
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 15000);
    }

    void requestsInQuickSuccessionEndOnTheLastOne()
    {
        // An operator hammering the start key: every request replaces the last,
        // the channel never locks up, and the last sound is the one that plays.
        SoundPlayer player(QDir::tempPath().toStdString());
        const QString files[] = {kDist + "/wav/bg2.mp3", kDist + "/wav/start3.mp3", kDist + "/wav/stop1.wav",
                                 kTestSounds + "/tone.wma"};
        for (int i = 0; i < 40; ++i) {
            player.PlaySoundFile(files[i % 4], i % 2 == 0);
            if (i % 3 == 0)
                player.StopSound();
            if (i % 5 == 0)
                QTest::qWait(i % 10 == 0 ? 1 : 30);
        }
        QSignalSpy loaded(&player, &SoundPlayer::loaded);
        player.PlaySoundFile(files[2], false);
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty() && loaded.last().at(0).toString() == files[2], 20000);
    }

    void theStagePlaysEachMomentAndF9TogglesTheMusic()
    {
        Stage st(true);
        QCOMPARE(st.window->session().flags().AudioReady, true);
        QCOMPARE(st.playing(), QStringLiteral("bg2.mp3"));  // the music while the stage waits
        QCOMPARE(st.window->sound().channel(), SoundChannel::Playing);
        st.press(Qt::Key_F9);
        QCOMPARE(st.window->sound().channel(), SoundChannel::Stopped);
        st.press(Qt::Key_F9);
        QCOMPARE(st.window->sound().channel(), SoundChannel::Playing);

        DrawSession &session = st.window->session();
        if (!session.flags().BatchReady)
            st.press(Qt::Key_Space);
        st.press(Qt::Key_Space);
        QVERIFY(session.flags().Rolling);
        QCOMPARE(st.playing(), QStringLiteral("start3.mp3"));  // replaces the music
        st.press(Qt::Key_F9);
        QCOMPARE(st.window->sound().channel(), SoundChannel::Stopped);
        // F9 brings the music back even with its switch off.
        SoundSettings off = session.grade().sounds;
        off.canbmusic = false;
        session.setSoundSettings(off);
        st.press(Qt::Key_F9);
        QCOMPARE(st.playing(), QStringLiteral("bg2.mp3"));
        QCOMPARE(st.window->sound().channel(), SoundChannel::Playing);

        st.press(Qt::Key_Space);
        QVERIFY(!session.flags().Rolling);
        QCOMPARE(st.playing(), QStringLiteral("stop1.wav"));
        // The winners are on the stage as soon as the stop returns, whatever the sound does.
        QVERIFY(!st.window->Labels[0]->text().isEmpty() || !st.window->Label21->text().isEmpty());

        // The results window has its own music, which ends with the window.
        st.window->NC1Click();
        QCOMPARE(st.playing(), QStringLiteral("bg4.mp3"));
        QCOMPARE(st.window->sound().channel(), SoundChannel::Playing);
        QWidget *results = QApplication::topLevelWidgets().last();
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->inherits("tessaly::TFrmFloat") && w->isVisible())
                results = w;
        results->close();
        QCOMPARE(st.window->sound().channel(), SoundChannel::Stopped);

        // So has the winners window.
        st.window->NC2Click();
        QCOMPARE(st.playing(), QStringLiteral("bg4.mp3"));
        QCOMPARE(st.window->sound().channel(), SoundChannel::Playing);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->inherits("tessaly::TForm_float2") && w->isVisible())
                w->close();
        QCOMPARE(st.window->sound().channel(), SoundChannel::Stopped);
    }

    void theCheckDecodesEverySoundToItsEnd()
    {
        QTemporaryDir tmp;
        const QString junk = tmp.filePath(QStringLiteral("junk.wav"));
        writeBytes(junk, std::string("RIFF\x24\x10\0\0WAVE", 12) + std::string(4096, '\x5a'));
        QtSoundProbe probe;
        QVERIFY(!probe.decodeError(junk.toStdString()).empty());
        QVERIFY(!probe.decodeError(tmp.filePath(QStringLiteral("gone.mp3")).toStdString()).empty());
        for (const char *shipped : {"/wav/stop1.wav", "/wav/bg2.mp3"})
            QCOMPARE(QString::fromStdString(probe.decodeError((kDist + shipped).toStdString())), QString());

        // The same file named by the settings is a note of the check, with the reason.
        QTemporaryDir event;
        const std::filesystem::path dir = event.path().toStdString();
        std::filesystem::copy(TESSALY_DIST_DIR, dir, std::filesystem::copy_options::recursive);
        std::filesystem::copy_file(junk.toStdString(), dir / "wav" / "stop1.wav",
                                   std::filesystem::copy_options::overwrite_existing);
        const CheckReport report = checkEventFolder(dir, &probe);
        bool named = false;
        for (const auto &f : report.findings)
            named = named || (toQt(f.text).contains(QStringLiteral("wav\\stop1.wav 无法解码")) &&
                              f.level == CheckFinding::Level::Warning);
        QVERIFY(named);
    }

    void aSoundThatFailsOnTheStageIsNamedInTheToolBarAndTheHistory()
    {
        Stage st(true);
        writeBytes(QString::fromStdString((st.dir / "wav" / "stop1.wav").string()), std::string(4096, '\x5a'));
        DrawSession &session = st.window->session();
        if (!session.flags().BatchReady)
            st.press(Qt::Key_Space);
        st.press(Qt::Key_Space);
        st.press(Qt::Key_Space);
        QVERIFY(!session.flags().Rolling);
        auto *line = st.window->ControlBar1->findChild<QLabel *>(QStringLiteral("NoticeLine"));
        QVERIFY(line);
        QTRY_VERIFY_WITH_TIMEOUT(line->text().contains(QStringLiteral("声音文件无法播放：wav\\stop1.wav")), 15000);
        QVERIFY(!line->isHidden());
        QVERIFY(st.s.messages.shown.isEmpty());  // no box over the stage
        std::ifstream in(st.dir / "log.txt", std::ios::binary);
        const std::string log{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        QVERIFY(toQt(log).contains(QStringLiteral("提示：声音文件无法播放：wav\\stop1.wav")));
        // The draw goes on: the next batch rolls and stops as usual.
        for (int i = 0; i < 3 && session.flags().BatchReady == false; ++i)
            st.press(Qt::Key_Space);
        st.press(Qt::Key_Space);
        QVERIFY(session.flags().Rolling);
        st.press(Qt::Key_Space);
        QVERIFY(!session.flags().Rolling);
    }

    void withoutAnAudioOutputTheDrawIsSilentAndF9DoesNothing()
    {
        Stage st(false);
        QCOMPARE(st.window->session().flags().AudioReady, false);
        QCOMPARE(st.window->sound().channel(), SoundChannel::None);
        st.press(Qt::Key_F9);
        QCOMPARE(st.window->sound().channel(), SoundChannel::None);
        DrawSession &session = st.window->session();
        for (int i = 0; i < 3; ++i)
            st.press(Qt::Key_Space);
        QVERIFY(session.AwardWinners()[size_t(session.state().BatchAward)].size() > 0);
        QCOMPARE(st.window->sound().channel(), SoundChannel::None);
        QVERIFY(st.s.messages.shown.isEmpty());
    }

    void theDialogListsStoresAndRestartsTheMusic()
    {
        QTemporaryDir tmp;
        const std::filesystem::path dir = tmp.path().toStdString();
        std::filesystem::copy(TESSALY_DIST_DIR, dir, std::filesystem::copy_options::recursive);
        writeBytes(tmp.filePath(QStringLiteral("wav/Fanfare.Mp3")), "x");
        writeBytes(tmp.filePath(QStringLiteral("wav/.hidden.mp3")), "x");
        writeBytes(tmp.filePath(QStringLiteral("wav/readme.txt")), "x");
        {
            auto s = openSettings(dir);
            s->writeString("Option", "bmusic", "WAV\\BG2.MP3");  // matched in any letter case
            s->writeString("Option", "sbmusic", "wav\\typed.wma");
            s->writeBool("Option", "cansmusic", false);
            s->writeBool("Option", "loopmusic", true);
            QVERIFY(s->commit().ok());
        }
        MtRandom random;
        SystemClock clock;
        DrawSession session(dir, random, clock);
        SoundPlayer player(dir);
        test::TestServices s;

        auto open = [&] { return std::make_unique<TForm_setmusic>(dir, session, player, s.messages, s.pickers); };
        auto dialog = open();
        const QStringList expected{"wav\\bg2.mp3", "wav\\bg4.mp3", "wav\\Fanfare.Mp3", "wav\\start3.mp3",
                                   "wav\\stop1.wav"};
        for (QComboBox *list : dialog->lists) {
            QStringList items;
            for (int i = 0; i < list->count(); ++i)
                items << list->itemText(i);
            QCOMPARE(items, expected);
        }
        QCOMPARE(dialog->lists[0]->currentText(), QStringLiteral("wav\\bg2.mp3"));
        QCOMPARE(dialog->lists[1]->currentText(), QStringLiteral("wav\\start3.mp3"));
        QCOMPARE(dialog->lists[3]->currentText(), QStringLiteral("wav\\typed.wma"));
        QCOMPARE(dialog->switches[0]->isChecked(), true);
        QCOMPARE(dialog->switches[1]->isChecked(), false);
        QCOMPARE(dialog->switches[4]->isChecked(), true);

        // Adding a file copies it into wav\, offers it in every list and selects it in this one.
        QTemporaryDir outside;
        const QString picked = outside.filePath(QStringLiteral("胜利.wav"));
        QFile::copy(kDist + QStringLiteral("/wav/stop1.wav"), picked);
        s.pickers.setNextFile(picked);
        dialog->findChild<QPushButton *>(QStringLiteral("AddMusic3"))->click();
        QVERIFY(QFileInfo::exists(tmp.filePath(QStringLiteral("wav/胜利.wav"))));
        for (QComboBox *list : dialog->lists)
            QCOMPARE(list->itemText(list->count() - 1), QStringLiteral("wav\\胜利.wav"));
        QCOMPARE(dialog->lists[2]->currentText(), QStringLiteral("wav\\胜利.wav"));
        QCOMPARE(dialog->lists[0]->currentText(), QStringLiteral("wav\\bg2.mp3"));

        // A picked file that does not decode is named to the operator.
        const QString broken = outside.filePath(QStringLiteral("broken.mp3"));
        writeBytes(broken, std::string(2000, '\x11'));
        s.pickers.setNextFile(broken);
        dialog->findChild<QPushButton *>(QStringLiteral("AddMusic1"))->click();
        QTRY_COMPARE_WITH_TIMEOUT(s.messages.shown.size(), 1, 15000);
        QVERIFY(s.messages.shown.first().text.contains(QStringLiteral("broken.mp3")));

        dialog->lists[3]->setEditText(QStringLiteral("wav\\bg4.mp3"));
        dialog->switches[0]->setChecked(false);
        dialog->switches[1]->setChecked(true);
        dialog->switches[4]->setChecked(false);
        dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        {
            auto stored = openSettings(dir);
            QCOMPARE(stored->readString("Option", "bmusic"), std::string("wav\\broken.mp3"));
            QCOMPARE(stored->readString("Option", "smusic"), std::string("wav\\start3.mp3"));
            QCOMPARE(QString::fromStdString(stored->readString("Option", "emusic")),
                     QString::fromStdString(fromQt(QStringLiteral("wav\\胜利.wav"))));
            QCOMPARE(stored->readString("Option", "sbmusic"), std::string("wav\\bg4.mp3"));
            QCOMPARE(stored->readString("Option", "canbmusic"), std::string("0"));
            QCOMPARE(stored->readString("Option", "cansmusic"), std::string("1"));
            QCOMPARE(stored->readString("Option", "loopmusic"), std::string("0"));
        }
        QCOMPARE(session.grade().sounds.canbmusic, false);
        QCOMPARE(session.grade().sounds.cansmusic, true);
        QCOMPARE(session.grade().sounds.emusic, fromQt(QStringLiteral("wav\\胜利.wav")));
        // The background is off now, so closing only silenced the channel.
        QVERIFY(player.channel() != SoundChannel::Playing);

        // Cancel writes nothing and, with the background on, restarts it from its beginning.
        SoundSettings on = session.grade().sounds;
        on.canbmusic = true;
        on.bmusic = "wav\\bg2.mp3";
        session.setSoundSettings(on);
        const std::string before = [&] {
            std::ifstream in(dir / "set.dat", std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        }();
        dialog = open();
        dialog->switches[2]->setChecked(false);
        dialog->findChild<QPushButton *>(QStringLiteral("Button2"))->click();
        std::ifstream in(dir / "set.dat", std::ios::binary);
        QCOMPARE(std::string(std::istreambuf_iterator<char>(in), {}), before);
        QCOMPARE(player.channel(), SoundChannel::Playing);
        QCOMPARE(QFileInfo(player.currentFile()).fileName(), QStringLiteral("bg2.mp3"));
    }
};

QTEST_MAIN(TestSound)
#include "tst_sound.moc"
