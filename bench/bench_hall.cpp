// The hall's server under a thousand phones: every client checks in once with
// its own code and then polls the winners page, each from its own loopback
// address (127.1.x.y) so the per-address limits hold as they would in a hall.
// Reports the check-in latency (p50, p99), the winners poll latency and how
// late a 40 ms tick on another thread runs meanwhile (the stage's roll timer).
// Traffic goes to 127.0.0.1 only; the run ends by itself after a bounded time
// (TESSALY_HALL_SECONDS, default 10) and a bounded number of clients.
#include "core/checkin/CheckInStore.h"
#include "core/web/WebServer.h"
#include "core/web/WebSite.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace tessaly;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kClients = 1000;

struct Client {
    int fd = -1;
    int index = 0;
    bool checkedIn = false;
    std::string out;
    size_t sent = 0;
    std::string in;
    Clock::time_point began;
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

// Opens a non-blocking connection from 127.1.(i / 250).(i % 250 + 1) to the server.
int connectFrom(int i, int port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = htonl((127u << 24) | (1u << 16) | (static_cast<unsigned>(i / 250) << 8) |
                                 static_cast<unsigned>(i % 250 + 1));
    ::bind(fd, reinterpret_cast<sockaddr *>(&from), sizeof from);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to);
    return fd;
}

void BM_HallUnderAThousandPhones(benchmark::State &state)
{
    const char *secondsText = std::getenv("TESSALY_HALL_SECONDS");
    const int seconds = std::clamp(secondsText ? std::atoi(secondsText) : 10, 1, 120);
    raiseOpenFileLimit(kWantedOpenFiles);
    const fs::path dir = fs::temp_directory_path() / "tessaly-bench-hall";
    for (auto _ : state) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::vector<std::string> names;
        for (int i = 0; i < kClients; ++i)
            names.push_back("P" + std::to_string(i));
        auto codes = std::make_shared<CheckInCodes>();
        codes->cover(names);
        auto store = std::move(*CheckInStore::open(dir));
        WebSite site(codes, store.get(), {});
        WinnersBoard board;
        board.awards.push_back({"A", "B", 10, {}});
        for (int i = 0; i < 10; ++i)
            board.awards[0].list.push_back({names[static_cast<size_t>(i)], EntryKey{names[static_cast<size_t>(i)], 1}, false});
        site.publish(board);
        auto server = std::move(*WebServer::start(site, store.get(), "127.0.0.1", 0));
        const int port = server->port();
        const std::string base = "/e/" + codes->token() + "/";

        // The stage's roll timer: how late each 40 ms tick wakes.
        std::atomic<bool> running{true};
        std::vector<double> lateness;
        std::thread ticker([&] {
            auto next = Clock::now();
            while (running) {
                next += std::chrono::milliseconds(40);
                std::this_thread::sleep_until(next);
                lateness.push_back(std::chrono::duration<double, std::milli>(Clock::now() - next).count());
            }
        });

        std::vector<Client> clients(kClients);
        std::vector<double> checkIns, polls;
        long failures = 0;
        auto begin = [&](Client &c) {
            c.fd = connectFrom(c.index, port);
            const std::string device = "phone-" + std::to_string(100000 + c.index);
            if (!c.checkedIn) {
                const std::string body = "code=" + codes->codeOf({names[static_cast<size_t>(c.index)], 1}) +
                                         "&device=" + device;
                c.out = "POST " + base + "api/checkin HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                        "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                        std::to_string(body.size()) + "\r\n\r\n" + body;
            } else {
                c.out = "GET " + base + "api/winners?v=1&d=" + device +
                        " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
            }
            c.sent = 0;
            c.in.clear();
            c.began = Clock::now();
        };
        for (int i = 0; i < kClients; ++i) {
            clients[static_cast<size_t>(i)].index = i;
            begin(clients[static_cast<size_t>(i)]);
        }
        // The load runs below the server and the tick, as a load generator should.
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
        const auto end = Clock::now() + std::chrono::seconds(seconds);
        std::vector<pollfd> fds(kClients);
        while (Clock::now() < end) {
            for (size_t i = 0; i < clients.size(); ++i)
                fds[i] = {clients[i].fd, static_cast<short>(clients[i].sent < clients[i].out.size() ? POLLOUT : POLLIN), 0};
            if (::poll(fds.data(), fds.size(), 100) <= 0)
                continue;
            for (size_t i = 0; i < clients.size(); ++i) {
                Client &c = clients[i];
                if (!fds[i].revents)
                    continue;
                if (c.sent < c.out.size()) {
                    ssize_t n = ::send(c.fd, c.out.data() + c.sent, c.out.size() - c.sent, MSG_NOSIGNAL);
                    if (n > 0)
                        c.sent += static_cast<size_t>(n);
                    else if (n < 0 && errno != EAGAIN) {
                        ++failures;
                        ::close(c.fd);
                        begin(c);
                    }
                    continue;
                }
                char buffer[8192];
                ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
                if (n > 0) {
                    c.in.append(buffer, static_cast<size_t>(n));
                    continue;
                }
                if (n < 0 && errno == EAGAIN)
                    continue;
                ::close(c.fd);
                const double ms = std::chrono::duration<double, std::milli>(Clock::now() - c.began).count();
                if (c.in.starts_with("HTTP/1.1 200")) {
                    (c.checkedIn ? polls : checkIns).push_back(ms);
                    c.checkedIn = true;
                } else {
                    ++failures;
                }
                begin(c);
            }
        }
        for (Client &c : clients)
            ::close(c.fd);
        running = false;
        ticker.join();
        server.reset();
        state.counters["checkins"] = static_cast<double>(checkIns.size());
        state.counters["checkin_p50_ms"] = percentile(checkIns, 0.50);
        state.counters["checkin_p99_ms"] = percentile(checkIns, 0.99);
        state.counters["polls"] = static_cast<double>(polls.size());
        state.counters["poll_p99_ms"] = percentile(polls, 0.99);
        state.counters["failures"] = static_cast<double>(failures);
        state.counters["tick_late_p99_ms"] = percentile(lateness, 0.99);
        state.counters["tick_late_max_ms"] = lateness.empty() ? 0 : *std::max_element(lateness.begin(), lateness.end());
        state.counters["appends"] = static_cast<double>(store->appends());
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_HallUnderAThousandPhones)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
