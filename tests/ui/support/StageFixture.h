// The stage window on a program folder of its own: set.dat (and its factory
// copy) from the settings given, a list of numbered entries, empty records;
// shown at 1024x768 with its services answered by the test. Also the helpers
// that fill a modal dialog as it opens.
#pragma once

#include "support/TestServices.h"
#include "ui/stage/TFrmMain.h"

#include "core/draw/DrawSession.h"
#include "core/settings/Settings.h"
#include "core/text/Gbk.h"

#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessaly::test {

// set.dat (and its factory copy) from the settings given, the entries (UTF-8) and empty records.
inline void writeProgramFolder(const std::filesystem::path &dir, const std::string &settings,
                               const std::vector<std::string> &entries)
{
    const std::string set = utf8ToGbk("[Option]\r\nscreenmain=1024*768\r\n" + settings);
    std::ofstream(dir / "set.dat", std::ios::binary) << set;
    std::filesystem::create_directories(dir / "Modual");
    std::ofstream(dir / "Modual" / "set.dat", std::ios::binary) << set;
    {
        std::ofstream list(dir / "data.txt", std::ios::binary);
        for (const std::string &entry : entries)
            list << utf8ToGbk(entry) << "\r\n";
    }
    for (const char *name : {"ARecord.dat", "tmda.jpg", "colip.jpg", "log.txt"})
        std::ofstream(dir / name, std::ios::binary);
}

// Entries P0, P1, ...
inline std::vector<std::string> numberedEntries(int count)
{
    std::vector<std::string> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back("P" + std::to_string(i));
    return entries;
}

inline void writeProgramFolder(const std::filesystem::path &dir, const std::string &settings, int entries)
{
    writeProgramFolder(dir, settings, numberedEntries(entries));
}

struct StageFixture {
    // `settings`: the lines of set.dat after the [Option] section's stage size
    // (more options, then [Grade] and other sections), as UTF-8.
    explicit StageFixture(const std::string &settings, int entries = 30)
        : StageFixture(settings, numberedEntries(entries))
    {
    }
    StageFixture(const std::string &settings, const std::vector<std::string> &entries)
    {
        dir = tmp.path().toStdString();
        writeProgramFolder(dir, settings, entries);
        window = std::make_unique<TFrmMain>(dir, TFrmMain::Services{s.messages, s.opener, s.pickers}, QSize(1024, 768));
        window->resize(1024, 768);
        window->show();
        (void)QTest::qWaitForWindowExposed(window.get());
        window->FormShow();
        window->activateWindow();
        window->setFocus();
    }
    DrawSession &session() { return window->session(); }
    // One batch through the buttons: prepared when none is ready, rolled and stopped.
    void batch()
    {
        if (!session().flags().BatchReady)
            window->GoButtonClick();
        window->GoButtonClick();
        window->StopButtonClick();
    }
    std::string value(const char *section, const char *key) { return openSettings(dir)->readString(section, key); }
    std::string file(const char *name) const
    {
        std::ifstream in(dir / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    QTemporaryDir tmp;
    std::filesystem::path dir;
    TestServices s;
    std::unique_ptr<TFrmMain> window;
};

// Runs `fill` on the modal dialog as soon as it shows; one still open
// afterwards is closed, so a failing test never hangs.
inline void onDialog(const std::function<void(QWidget *)> &fill)
{
    QTimer::singleShot(0, [fill] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        fill(dialog);
        if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            d->reject();
    });
}

template <typename T>
T *field(QWidget *dialog, const char *name)
{
    return dialog->findChild<T *>(QString::fromLatin1(name));
}

}  // namespace tessaly::test
