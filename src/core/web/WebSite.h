// The hall's pages as requests and answers, without sockets: every route, the
// event token, the rate limit and the check-in rules. The server hands each
// request here; tests and the fuzz target call it directly.
#pragma once

#include "checkin/CheckInCodes.h"
#include "checkin/CheckInStore.h"
#include "checkin/WebSettings.h"
#include "participants/ParticipantList.h"
#include "web/WinnersBoard.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace tessaly {

struct HttpRequest {
    std::string method;         // "GET", "POST", ...
    std::string path;           // without the query
    std::string query;          // after "?", undecoded
    std::string body;           // at most kMaxBody bytes
    std::string clientAddress;  // the peer's address, the rate limit's key
};

struct HttpResponse {
    int status = 200;
    std::string contentType;
    std::string body;
    bool cacheable = false;  // the program's own fixed files
};

// Ten code attempts a minute from one address; the addresses seen are bounded,
// the oldest forgotten first.
class RateLimit {
public:
    explicit RateLimit(int perMinute = 10, size_t maxAddresses = 100000)
        : m_perMinute(perMinute), m_maxAddresses(maxAddresses) {}
    bool allow(const std::string &address, std::int64_t nowMs);

private:
    int m_perMinute;
    size_t m_maxAddresses;
    std::unordered_map<std::string, std::deque<std::int64_t>> m_seen;
};

class WebSite {
public:
    static constexpr size_t kMaxBody = 1024;

    // The hall code the stage shows: not asked (hallcode=0), checked when a
    // phone sends one, or required ("只抽已签到的人" with hallcode=1).
    enum class HallCode { Off, Checked, Required };
    static HallCode hallCodeFor(const WebSettings &web);

    struct Options {
        HallCode hallCode = HallCode::Checked;
        PrivacyMask mask;  // names shown to a phone are masked as on the stage
    };
    using NowMs = std::function<std::int64_t()>;

    WebSite(std::shared_ptr<const CheckInCodes> codes, CheckInStore *store, Options options, NowMs now = {});

    // A check-in the store must decide before the answer can go: the server
    // submits `line` and answers with checkInAnswer once the store replies.
    struct Handled {
        HttpResponse response;
        std::optional<CheckInLine> checkIn;
        std::string shownName;  // GBK, masked
    };
    Handled handle(const HttpRequest &request);
    static HttpResponse checkInAnswer(CheckInStore::Answer answer, const std::string &shownName);

    // Any thread: the draw publishes, the server reads.
    void publish(WinnersBoard board);
    std::shared_ptr<const WinnersBoard> board() const;

    const std::string &token() const { return m_codes->token(); }
    // The organiser changed the settings while the pages run.
    void setHallCode(HallCode rule) { m_hallCode.store(rule); }
    HallCode hallCode() const { return m_hallCode.load(); }
    // Distinct phones (by their device key) that asked for anything in the last minute.
    int phonesLastMinute();

private:
    HttpResponse winnersData(const HttpRequest &request);
    Handled checkIn(const HttpRequest &request);
    HttpResponse mine(const HttpRequest &request);
    void notePhone(const std::string &device, std::int64_t nowMs);

    std::shared_ptr<const CheckInCodes> m_codes;
    CheckInStore *m_store;
    Options m_options;
    std::atomic<HallCode> m_hallCode;
    NowMs m_now;
    mutable std::mutex m_mutex;
    std::shared_ptr<const WinnersBoard> m_board;
    std::shared_ptr<const std::string> m_boardJson;
    RateLimit m_limit;
    std::map<std::string, std::int64_t> m_phones;  // device -> last seen (ms)
};

// application/x-www-form-urlencoded: the value of one field, decoded; empty when absent.
std::string formField(std::string_view body, std::string_view name);

// The fixed files of the pages (UTF-8), by their name under the event's path.
struct PageFile {
    const char *name;
    const char *contentType;
    std::string_view body;
};
const PageFile *pageFile(std::string_view name);

}  // namespace tessaly
