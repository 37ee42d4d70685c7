#include "web/WebServer.h"

#include "checkin/CheckInStore.h"
#include "text/Gbk.h"
#include "web/WebSite.h"

#include <arpa/inet.h>
#include <cstring>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/resource.h>

namespace tessaly {
namespace {

// How much of a body past the bound is read (to answer 413) before the connection is closed instead.
constexpr size_t kMaxDiscarded = 64 * 1024;

// What one connection's request gathers between the handler's calls.
struct Exchange {
    std::string body;
    bool tooLarge = false;
    size_t discarded = 0;  // bytes past the bound, read and dropped
    std::atomic<bool> answered{false};  // set by the store's thread before it resumes the connection
    HttpResponse answer;
};

MHD_Result send(MHD_Connection *connection, const HttpResponse &r)
{
    MHD_Response *response =
        MHD_create_response_from_buffer(r.body.size(), const_cast<char *>(r.body.data()), MHD_RESPMEM_MUST_COPY);
    if (!response)
        return MHD_NO;
    MHD_add_response_header(response, "Content-Type", r.contentType.empty() ? "text/plain" : r.contentType.c_str());
    MHD_add_response_header(response, "Content-Security-Policy", WebServer::kContentSecurityPolicy);
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    MHD_add_response_header(response, "X-Frame-Options", "DENY");
    MHD_add_response_header(response, "Cache-Control", r.cacheable ? "private, max-age=600" : "no-store");
    const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(r.status), response);
    MHD_destroy_response(response);
    return queued;
}

std::string clientAddress(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (!info || !info->client_addr)
        return {};
    char text[INET6_ADDRSTRLEN] = {};
    if (info->client_addr->sa_family == AF_INET)
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(info->client_addr)->sin_addr, text, sizeof text);
    else if (info->client_addr->sa_family == AF_INET6)
        ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(info->client_addr)->sin6_addr, text,
                    sizeof text);
    return text;
}

// The query's fields the routes read (v, d), decoded by the library and encoded again.
std::string queryOf(MHD_Connection *connection)
{
    std::string query;
    for (const char *key : {"v", "d"}) {
        const char *value = MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, key);
        if (!value || std::strlen(value) > 128)
            continue;
        query += std::string(query.empty() ? "" : "&") + key + "=";
        for (const char *p = value; *p; ++p) {
            const unsigned char c = static_cast<unsigned char>(*p);
            if (std::isalnum(c) || c == '-' || c == '_')
                query += static_cast<char>(c);
            else {
                static constexpr char digits[] = "0123456789ABCDEF";
                query += '%';
                query += digits[c >> 4];
                query += digits[c & 0xF];
            }
        }
    }
    return query;
}

MHD_Result onRequest(void *cls, MHD_Connection *connection, const char *url, const char *method, const char *,
                     const char *uploadData, size_t *uploadSize, void **context)
{
    auto *server = static_cast<WebServer *>(cls);
    auto *exchange = static_cast<Exchange *>(*context);
    if (!exchange) {
        exchange = new Exchange;
        *context = exchange;
        const char *length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Content-Length");
        if (length && std::strtoull(length, nullptr, 10) > WebSite::kMaxBody)
            return send(connection, {413, "text/plain; charset=utf-8", "request too large", false});
        return MHD_YES;
    }
    if (*uploadSize > 0) {
        if (exchange->tooLarge || exchange->body.size() + *uploadSize > WebSite::kMaxBody) {
            // A body a little past the bound is read and answered 413; one that
            // goes on (a chunked stream without end) is cut off, not read for ever.
            exchange->tooLarge = true;
            exchange->discarded += *uploadSize;
            if (exchange->discarded > kMaxDiscarded)
                return MHD_NO;
        } else {
            exchange->body.append(uploadData, *uploadSize);
        }
        *uploadSize = 0;
        return MHD_YES;
    }
    if (exchange->answered.load(std::memory_order_acquire))
        return send(connection, exchange->answer);
    if (exchange->tooLarge)
        return send(connection, {413, "text/plain; charset=utf-8", "request too large", false});

    HttpRequest request{method, url, queryOf(connection), std::move(exchange->body), clientAddress(connection)};
    WebSite::Handled handled = server->site().handle(request);
    if (!handled.checkIn || !server->store())
        return send(connection, handled.response);
    // The answer waits for the disk: the connection sleeps until the store's group commit wakes it.
    server->checkInStarted();
    MHD_suspend_connection(connection);
    server->store()->submit(*handled.checkIn,
                            [server, connection, exchange, name = handled.shownName](CheckInStore::Answer answer) {
                                exchange->answer = WebSite::checkInAnswer(answer, name);
                                exchange->answered.store(true, std::memory_order_release);
                                MHD_resume_connection(connection);
                                server->checkInFinished();
                            });
    return MHD_YES;
}

void onCompleted(void *, MHD_Connection *, void **context, MHD_RequestTerminationCode)
{
    delete static_cast<Exchange *>(*context);
    *context = nullptr;
}

}  // namespace

Result<std::unique_ptr<WebServer>> WebServer::start(WebSite &site, CheckInStore *store, const std::string &address,
                                                   int port)
{
    sockaddr_in bind{};
    bind.sin_family = AF_INET;
    bind.sin_port = htons(static_cast<uint16_t>(port));
    if (::inet_pton(AF_INET, address.c_str(), &bind.sin_addr) != 1 || bind.sin_addr.s_addr == htonl(INADDR_ANY))
        return makeError(ErrorCode::BadInput, TSL_GBK("现场互动的地址不对：") + utf8ToGbk(address) +
                                                  TSL_GBK("（要填本机的一个 IPv4 地址）"));
    std::unique_ptr<WebServer> server(new WebServer(site, store));
    server->m_daemon = MHD_start_daemon(
        MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME, static_cast<uint16_t>(port), nullptr, nullptr,
        &onRequest, server.get(), MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr *>(&bind),
        MHD_OPTION_CONNECTION_LIMIT, 3000u, MHD_OPTION_PER_IP_CONNECTION_LIMIT, 64u,
        MHD_OPTION_CONNECTION_TIMEOUT, 20u,  // a phone that stops sending is let go
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<size_t>(16 * 1024),  // bounds the request line and headers
        MHD_OPTION_LISTEN_BACKLOG_SIZE, 1024u, MHD_OPTION_NOTIFY_COMPLETED, &onCompleted, nullptr, MHD_OPTION_END);
    if (!server->m_daemon)
        return makeError(ErrorCode::FileWrite, TSL_GBK("无法在 ") + utf8ToGbk(address) + ":" + std::to_string(port) +
                                                   TSL_GBK(" 开启现场互动服务：这个地址不是本机的，或端口已被占用。"));
    const MHD_DaemonInfo *info = MHD_get_daemon_info(server->m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    server->m_port = info ? info->port : port;
    return server;
}

WebServer::~WebServer()
{
    if (!m_daemon)
        return;
    MHD_quiesce_daemon(m_daemon);
    {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return m_inFlight == 0; });
    }
    MHD_stop_daemon(m_daemon);
}

void WebServer::checkInStarted()
{
    std::lock_guard lock(m_mutex);
    ++m_inFlight;
}

void WebServer::checkInFinished()
{
    std::lock_guard lock(m_mutex);
    if (--m_inFlight == 0)
        m_idle.notify_all();
}

long raiseOpenFileLimit(long wanted)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return -1;
    if (limit.rlim_cur != RLIM_INFINITY && static_cast<long>(limit.rlim_cur) < wanted) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max == RLIM_INFINITY ? static_cast<rlim_t>(wanted)
                                                         : std::min<rlim_t>(limit.rlim_max, static_cast<rlim_t>(wanted));
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? wanted : static_cast<long>(limit.rlim_cur);
}

}  // namespace tessaly
