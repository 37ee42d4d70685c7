// The hall's server under a thousand phones while the stage draws, offscreen:
// the real stage rolls and stops a batch of 20 every two seconds, its
// HallService serves 127.0.0.1, and a load generator (one thread, epoll, at a
// lower priority) plays 1,000 phones, each from its own loopback address
// (127.1.x.y) so that the per-address limits hold as in a hall. Every phone
// keeps one connection open as a browser does, polls the winners data a second
// after each answer as the page does, and checks someone in every ten seconds
// (a new phone behind the same address; the limit allows ten a minute); the
// phones arrive over the first five seconds.
// Reports the check-in and poll latency (p50, p99), what went wrong, and the
// stage's roll timer: its interval and lateness at p50/p99/max, with and
// without the load. Traffic goes to 127.0.0.1 only, from 127.0.0.0/8 only; a
// run ends by itself (TESSALY_HALL_SECONDS, default 60, at most 120).
#include "support/QtBench.h"
#include "core/draw/DrawSession.h"
#include "core/settings/Settings.h"
#include "core/web/WebServer.h"
#include "ui/hall/HallService.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fstream>
#include <netinet/in.h>
#include <queue>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace tessaly;
using namespace tessaly::bench;
using SteadyClock = std::chrono::steady_clock;

namespace {

constexpr int kPhones = 1000;
constexpr int kEntries = 10000;
constexpr int kBatch = 20;
constexpr int kBatches = 40;
constexpr int kRollMs = 40;

struct Folder : ProgramFolder {
    Folder() : ProgramFolder(false)
    {
        std::ofstream(dir / "set.dat", std::ios::app | std::ios::binary);
        auto settings = IniStore::open(dir / "set.dat");
        settings->writeInteger("Option", "Lucks", 1);
        std::string detail = std::to_string(kBatch);
        for (int i = 1; i < kBatches; ++i)
            detail += "+" + std::to_string(kBatch);
        settings->writeString("Grade", "0",
                              "A|" + std::to_string(kBatch * kBatches) + "|" + std::to_string(kBatches) + "|" + detail + "|P|");
        settings->writeString("Option", "IntervalTime", std::to_string(kRollMs));
        settings->writeBool("Option", "canready", false);
        (void)settings->commit();
        std::ofstream list(dir / "data.txt", std::ios::binary);
        for (int i = 0; i < kEntries; ++i)
            list << "P" << i << "\r\n";
        for (const char *name : {"ARecord.dat", "tmda.jpg", "colip.jpg", "log.txt"})
            std::ofstream(dir / name, std::ios::app | std::ios::binary);
    }
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5))];
}

int openFiles()
{
    int count = 0;
    if (DIR *d = ::opendir("/proc/self/fd")) {
        while (::readdir(d))
            ++count;
        ::closedir(d);
    }
    return count - 2;
}

// What the phones measured.
struct LoadFigures {
    std::vector<double> checkIns, polls;  // milliseconds, send to full answer
    long checkedIn = 0, limited = 0, refused = 0, broken = 0, reconnects = 0, fullBoards = 0;
    int peakFiles = 0;
};

// One phone: its connection, the request under way and when the next is due.
struct Phone {
    int fd = -1;
    bool connected = false;
    std::string out, in;
    size_t sent = 0;
    bool busy = false, isCheckIn = false;
    SteadyClock::time_point began, nextPoll, nextCheckIn;
    int checkIns = 0;
    long version = -1;
};

class Load {
public:
    Load(int port, std::string base, std::vector<std::string> codes, int seconds)
        : m_port(port), m_base(std::move(base)), m_codes(std::move(codes)), m_seconds(seconds)
    {
    }

    void run(LoadFigures &f)
    {
        // Below the stage and the server, as a load generator should be.
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()),
                      std::min(19, ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid())) + 10));
        m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
        const auto start = SteadyClock::now();
        const auto end = start + std::chrono::seconds(m_seconds);
        std::vector<Phone> phones(kPhones);
        for (int i = 0; i < kPhones; ++i) {
            // Arrivals spread over the first five seconds: a hall filling in a hurry.
            phones[static_cast<size_t>(i)].nextCheckIn = start + std::chrono::milliseconds(i * 5);
            phones[static_cast<size_t>(i)].nextPoll = start + std::chrono::milliseconds(i * 5 + 500);
        }
        epoll_event events[256];
        while (SteadyClock::now() < end) {
            const auto now = SteadyClock::now();
            for (int i = 0; i < kPhones; ++i)
                due(phones[static_cast<size_t>(i)], i, now, f);
            const int n = ::epoll_wait(m_epoll, events, 256, 10);
            for (int k = 0; k < n; ++k) {
                const int i = static_cast<int>(events[k].data.u32);
                io(phones[static_cast<size_t>(i)], i, events[k].events, f);
            }
            f.peakFiles = std::max(f.peakFiles, m_open);
        }
        for (Phone &p : phones)
            if (p.fd >= 0)
                ::close(p.fd);
        ::close(m_epoll);
    }

private:
    // Starts the phone's next request when one is due and none is under way.
    void due(Phone &p, int i, SteadyClock::time_point now, LoadFigures &f)
    {
        if (p.busy)
            return;
        const bool checkIn = now >= p.nextCheckIn && p.checkIns * kPhones + i < static_cast<int>(m_codes.size());
        if (!checkIn && now < p.nextPoll)
            return;
        if (p.fd < 0 && !connectPhone(p, i, f))
            return;
        const std::string device = "phone-" + std::to_string(i) + "-" + std::to_string(p.checkIns);
        if (checkIn) {
            const std::string body = "code=" + m_codes[static_cast<size_t>(p.checkIns * kPhones + i)] + "&device=" + device;
            p.out = "POST " + m_base + "api/checkin HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                    "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                    std::to_string(body.size()) + "\r\n\r\n" + body;
        } else {
            p.out = "GET " + m_base + "api/winners?v=" + std::to_string(p.version) + "&d=" + device +
                    " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        }
        p.isCheckIn = checkIn;
        p.busy = true;
        p.sent = 0;
        p.in.clear();
        p.began = now;
        watch(p, i, EPOLLOUT);
    }

    bool connectPhone(Phone &p, int i, LoadFigures &f)
    {
        p.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (p.fd < 0)
            return false;
        ++m_open;
        sockaddr_in from{};
        from.sin_family = AF_INET;
        from.sin_addr.s_addr = htonl((127u << 24) | (1u << 16) | (static_cast<unsigned>(i / 250) << 8) |
                                     static_cast<unsigned>(i % 250 + 1));
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<uint16_t>(m_port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(p.fd, reinterpret_cast<sockaddr *>(&from), sizeof from) != 0 ||
            (::connect(p.fd, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0 && errno != EINPROGRESS)) {
            drop(p, f);
            return false;
        }
        epoll_event e{};
        e.events = EPOLLOUT;
        e.data.u32 = static_cast<uint32_t>(i);
        ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, p.fd, &e);
        return true;
    }

    void watch(Phone &p, int i, uint32_t what)
    {
        epoll_event e{};
        e.events = what;
        e.data.u32 = static_cast<uint32_t>(i);
        ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, p.fd, &e);
    }

    // The connection is gone: a request under way failed; the next one connects again.
    void drop(Phone &p, LoadFigures &f)
    {
        if (p.busy) {
            ++f.broken;
            p.busy = false;
            p.nextPoll = SteadyClock::now() + std::chrono::seconds(1);
        }
        ::close(p.fd);
        --m_open;
        p.fd = -1;
        ++f.reconnects;
    }

    void io(Phone &p, int i, uint32_t what, LoadFigures &f)
    {
        if ((what & EPOLLERR) || ((what & EPOLLHUP) && !(what & EPOLLIN))) {
            drop(p, f);
            return;
        }
        if (p.busy && p.sent < p.out.size() && (what & EPOLLOUT)) {
            const ssize_t n = ::send(p.fd, p.out.data() + p.sent, p.out.size() - p.sent, MSG_NOSIGNAL);
            if (n < 0 && errno != EAGAIN) {
                drop(p, f);
                return;
            }
            if (n > 0)
                p.sent += static_cast<size_t>(n);
            if (p.sent == p.out.size())
                watch(p, i, EPOLLIN);
            return;
        }
        if (!(what & EPOLLIN))
            return;
        char buffer[16384];
        const ssize_t n = ::recv(p.fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EAGAIN)
            return;
        if (n <= 0) {
            drop(p, f);
            return;
        }
        if (!p.busy)
            return;
        p.in.append(buffer, static_cast<size_t>(n));
        answered(p, f);
    }

    // Takes the answer once it is whole (the server always sends its length).
    void answered(Phone &p, LoadFigures &f)
    {
        const size_t head = p.in.find("\r\n\r\n");
        if (head == std::string::npos)
            return;
        const size_t at = p.in.find("Content-Length: ");
        if (at == std::string::npos || at > head)
            return;
        const size_t length = std::strtoul(p.in.c_str() + at + 16, nullptr, 10);
        if (p.in.size() < head + 4 + length)
            return;
        const auto now = SteadyClock::now();
        const double ms = std::chrono::duration<double, std::milli>(now - p.began).count();
        const int status = p.in.size() > 12 ? std::atoi(p.in.c_str() + 9) : 0;
        const std::string_view body(p.in.data() + head + 4, length);
        p.busy = false;
        if (p.isCheckIn) {
            ++p.checkIns;
            p.nextCheckIn = p.began + std::chrono::seconds(10);
            if (status == 200 && body.find("\"state\":\"in\"") != std::string_view::npos) {
                ++f.checkedIn;
                f.checkIns.push_back(ms);
            } else if (status == 429) {
                ++f.limited;
            } else {
                ++f.refused;
            }
        } else {
            p.nextPoll = now + std::chrono::seconds(1);
            if (status == 200) {
                f.polls.push_back(ms);
                const size_t v = body.find("\"version\":");
                if (v != std::string_view::npos)
                    p.version = std::atol(body.data() + v + 10);
                if (body.find("\"same\":true") == std::string_view::npos)
                    ++f.fullBoards;
            } else {
                ++f.refused;
            }
        }
        if (p.in.find("Connection: close") < head) {
            // The server ends the connection after this answer; the next request opens another.
            ::close(p.fd);
            --m_open;
            p.fd = -1;
            ++f.reconnects;
        }
    }

    int m_port;
    std::string m_base;
    std::vector<std::string> m_codes;
    int m_seconds;
    int m_epoll = -1;
    int m_open = 0;
};

int loadSeconds()
{
    const int s = qEnvironmentVariableIsSet("TESSALY_HALL_SECONDS") ? qEnvironmentVariableIntValue("TESSALY_HALL_SECONDS") : 60;
    return std::clamp(s, 1, 120);
}

// The stage draws for `seconds` (a batch of 20 rolls, stops two seconds later, the next is prepared)
// while `phones` phones load its server.
void hall(benchmark::State &state, bool withPhones)
{
    Folder folder;
    BenchStage stage(folder.dir);
    auto started = HallService::start(stage.window.control(), folder.dir, WebSettings{}, "127.0.0.1", 0);
    if (!started) {
        state.SkipWithError("the hall's server did not start");
        return;
    }
    HallService &hall = **started;
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    state.counters["open_file_limit"] = static_cast<double>(limit.rlim_cur);
    const QString page = hall.pageAddress();
    const std::string base = page.mid(page.indexOf(QStringLiteral("/e/"))).toStdString();
    const int port = page.section(QLatin1Char(':'), 2).section(QLatin1Char('/'), 0, 0).toInt();
    std::vector<std::string> codes;
    for (int i = 0; i < kEntries; ++i)
        codes.push_back(hall.codes().codeOf({"P" + std::to_string(i), 1}));
    const int seconds = withPhones ? loadSeconds() : std::min(10, loadSeconds());

    for (auto _ : state) {
        LoadFigures figures;
        std::atomic<bool> loadDone{!withPhones};
        std::thread load;
        if (withPhones)
            load = std::thread([&] {
                Load(port, base, codes, seconds).run(figures);
                loadDone = true;
            });

        std::vector<double> intervals;
        QElapsedTimer clock;
        qint64 last = -1;
        auto seen = QObject::connect(&stage.window.Timer1, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            if (last >= 0)
                intervals.push_back(static_cast<double>(now - last) / 1e6);
            last = now;
        });
        clock.start();
        int stops = 0, peakFiles = 0;
        while (clock.elapsed() < seconds * 1000 || !loadDone) {
            last = -1;  // the pause between batches is no tick
            if (!stage.window.session().flags().BatchReady && !stage.window.session().flags().Rolling)
                stage.window.GoButtonClick();
            if (stage.window.session().flags().BatchReady && !stage.window.session().flags().Rolling)
                stage.window.GoButtonClick();
            const qint64 rollEnds = clock.elapsed() + 2000;
            while (clock.elapsed() < rollEnds)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            peakFiles = std::max(peakFiles, openFiles());
            stage.window.StopButtonClick();
            ++stops;
            if (stage.window.session().IsDrawComplete())
                break;
        }
        QObject::disconnect(seen);
        if (load.joinable())
            load.join();

        std::vector<double> lateness;
        for (double ms : intervals)
            lateness.push_back(std::max(0.0, ms - kRollMs));
        state.counters["roll_interval_p50_ms"] = percentile(intervals, 0.5);
        state.counters["roll_interval_p99_ms"] = percentile(intervals, 0.99);
        state.counters["roll_late_p99_ms"] = percentile(lateness, 0.99);
        state.counters["roll_late_max_ms"] = lateness.empty() ? 0 : *std::max_element(lateness.begin(), lateness.end());
        state.counters["stops"] = stops;
        if (withPhones) {
            state.counters["checkins"] = static_cast<double>(figures.checkedIn);
            state.counters["checkin_p50_ms"] = percentile(figures.checkIns, 0.5);
            state.counters["checkin_p99_ms"] = percentile(figures.checkIns, 0.99);
            state.counters["polls"] = static_cast<double>(figures.polls.size());
            state.counters["poll_p50_ms"] = percentile(figures.polls, 0.5);
            state.counters["poll_p99_ms"] = percentile(figures.polls, 0.99);
            state.counters["full_boards"] = static_cast<double>(figures.fullBoards);
            state.counters["limited"] = static_cast<double>(figures.limited);
            state.counters["refused"] = static_cast<double>(figures.refused);
            state.counters["broken"] = static_cast<double>(figures.broken);
            state.counters["reconnects"] = static_cast<double>(figures.reconnects);
            state.counters["client_sockets_peak"] = figures.peakFiles;
            state.counters["group_commits"] = static_cast<double>(hall.store().appends());
        }
        state.counters["process_files_peak"] = peakFiles;  // the server's, the phones' and the program's own
    }
}

void BM_StageAlone(benchmark::State &state) { hall(state, false); }
void BM_StageWithAThousandPhones(benchmark::State &state) { hall(state, true); }
BENCHMARK(BM_StageAlone)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_StageWithAThousandPhones)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// The program starts with the soft limit a desktop session gives (1,024 on
// Debian); the hall's start must raise it far enough for the phones.
void startWithADesktopsLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur > 1024) {
        limit.rlim_cur = 1024;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv, startWithADesktopsLimit);
}
