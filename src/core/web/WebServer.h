// The hall's pages on the network: libmicrohttpd with one epoll thread, so a
// thousand open phones cost sockets, not threads. It binds to the one address
// the organiser chose, passes every request to WebSite, and holds a check-in's
// answer (its connection suspended) until the store has it on disk.
#pragma once

#include "Result.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

struct MHD_Daemon;

namespace tessaly {

class CheckInStore;
class WebSite;

class WebServer {
public:
    // Port 0 takes a free port (tests); port() then says which.
    static Result<std::unique_ptr<WebServer>> start(WebSite &site, CheckInStore *store, const std::string &address,
                                                    int port);
    ~WebServer();  // stops accepting, waits for the check-ins under way, closes every connection

    int port() const { return m_port; }
    WebSite &site() { return m_site; }
    CheckInStore *store() { return m_store; }

    // Every response carries these: a page may load only the program's own
    // files, never be framed, and never pass its address (the token) on.
    static constexpr const char *kContentSecurityPolicy =
        "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; img-src 'self'; "
        "base-uri 'none'; form-action 'self'; frame-ancestors 'none'";

    // Called by the connection handlers.
    void checkInStarted();
    void checkInFinished();

private:
    WebServer(WebSite &site, CheckInStore *store) : m_site(site), m_store(store) {}

    WebSite &m_site;
    CheckInStore *m_store;
    MHD_Daemon *m_daemon = nullptr;
    int m_port = 0;
    std::mutex m_mutex;
    std::condition_variable m_idle;
    int m_inFlight = 0;
};

// Raises the soft limit of open files towards `wanted` (up to the hard limit);
// returns the soft limit now in force.
long raiseOpenFileLimit(long wanted);
// Open files the server wants: a thousand phones, each with a connection or two, and the program's own.
inline constexpr long kWantedOpenFiles = 4096;

}  // namespace tessaly
