#include "web/WebSite.h"

#include "text/Gbk.h"
#include "text/Hex.h"

#include <algorithm>
#include <chrono>

namespace tessaly {
namespace {

HttpResponse json(int status, std::string body)
{
    return {status, "application/json; charset=utf-8", std::move(body), false};
}

HttpResponse notFound()
{
    return {404, "text/plain; charset=utf-8", "not found", false};
}

// {"ok":false,"state":"..."}: the page turns the state into its own Chinese sentence.
HttpResponse refusal(int status, const char *state)
{
    return json(status, std::string("{\"ok\":false,\"state\":\"") + state + "\"}");
}

std::string urlDecode(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() + 0 && hexDigitValue(text[i + 1]) >= 0 &&
                   hexDigitValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigitValue(text[i + 1]) * 16 + hexDigitValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// An answer that needs nothing from the store.
WebSite::Handled only(HttpResponse response)
{
    return {std::move(response), std::nullopt, {}};
}

}  // namespace

std::string formField(std::string_view body, std::string_view name)
{
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = body.find('&', start);
        if (end == std::string_view::npos)
            end = body.size();
        const std::string_view pair = body.substr(start, end - start);
        const size_t eq = pair.find('=');
        if (eq != std::string_view::npos && pair.substr(0, eq) == name)
            return urlDecode(pair.substr(eq + 1));
        start = end + 1;
    }
    return {};
}

bool RateLimit::allow(const std::string &address, std::int64_t nowMs)
{
    constexpr std::int64_t kWindow = 60000;
    if (m_seen.size() >= m_maxAddresses && !m_seen.count(address)) {
        // Forget the addresses whose attempts are all older than the window.
        std::erase_if(m_seen, [&](const auto &item) { return item.second.back() <= nowMs - kWindow; });
        if (m_seen.size() >= m_maxAddresses)
            return false;
    }
    auto &times = m_seen[address];
    while (!times.empty() && times.front() <= nowMs - kWindow)
        times.pop_front();
    if (static_cast<int>(times.size()) >= m_perMinute)
        return false;
    times.push_back(nowMs);
    return true;
}

WebSite::WebSite(std::shared_ptr<const CheckInCodes> codes, CheckInStore *store, Options options, NowMs now)
    : m_codes(std::move(codes)), m_store(store), m_options(options), m_hallCode(options.hallCode),
      m_now(std::move(now)),
      m_board(std::make_shared<WinnersBoard>()), m_boardJson(std::make_shared<std::string>(WinnersBoard{}.json()))
{
    if (!m_now)
        m_now = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                .count();
        };
}

void WebSite::publish(WinnersBoard board)
{
    auto text = std::make_shared<const std::string>(board.json());
    auto shared = std::make_shared<const WinnersBoard>(std::move(board));
    std::lock_guard lock(m_mutex);
    m_board = std::move(shared);
    m_boardJson = std::move(text);
}

std::shared_ptr<const WinnersBoard> WebSite::board() const
{
    std::lock_guard lock(m_mutex);
    return m_board;
}

void WebSite::notePhone(const std::string &device, std::int64_t nowMs)
{
    if (!isDeviceKey(device))
        return;
    std::lock_guard lock(m_mutex);
    if (m_phones.size() > 20000)
        std::erase_if(m_phones, [&](const auto &p) { return p.second < nowMs - 60000; });
    if (m_phones.size() <= 20000)
        m_phones[device] = nowMs;
}

int WebSite::phonesLastMinute()
{
    const std::int64_t nowMs = m_now();
    std::lock_guard lock(m_mutex);
    std::erase_if(m_phones, [&](const auto &p) { return p.second < nowMs - 60000; });
    return static_cast<int>(m_phones.size());
}

WebSite::Handled WebSite::handle(const HttpRequest &request)
{
    // Every route lives under /e/<token>/: without the event's token there is nothing here at all.
    constexpr std::string_view prefix = "/e/";
    std::string_view path = request.path;
    if (!path.starts_with(prefix))
        return only(notFound());
    path.remove_prefix(prefix.size());
    const size_t slash = path.find('/');
    const std::string_view token = path.substr(0, slash);
    if (!constantTimeEquals(token, m_codes->token()) || slash == std::string_view::npos)
        return only(notFound());
    const std::string_view name = path.substr(slash + 1);

    if (request.method == "GET" || request.method == "HEAD") {
        if (name.empty())
            return only(HttpResponse{200, pageFile("checkin")->contentType, std::string(pageFile("checkin")->body), true});
        if (name == "api/winners")
            return only(winnersData(request));
        if (const PageFile *file = pageFile(name))
            return only(HttpResponse{200, file->contentType, std::string(file->body), true});
        return only(notFound());
    }
    if (request.method == "POST") {
        if (name == "api/checkin")
            return checkIn(request);
        if (name == "api/mine")
            return only(mine(request));
        return only(notFound());
    }
    return only(HttpResponse{405, "text/plain; charset=utf-8", "method not allowed", false});
}

WebSite::HallCode WebSite::hallCodeFor(const WebSettings &web)
{
    if (!web.hallCode)
        return HallCode::Off;
    return web.onlyCheckedIn ? HallCode::Required : HallCode::Checked;
}

HttpResponse WebSite::winnersData(const HttpRequest &request)
{
    notePhone(formField(request.query, "d"), m_now());
    std::shared_ptr<const std::string> text;
    long version = 0;
    {
        std::lock_guard lock(m_mutex);
        text = m_boardJson;
        version = m_board->version;
    }
    // A page that has this version already gets a short answer.
    if (formField(request.query, "v") == std::to_string(version))
        return json(200, "{\"version\":" + std::to_string(version) + ",\"same\":true}");
    return json(200, *text);
}

WebSite::Handled WebSite::checkIn(const HttpRequest &request)
{
    const std::int64_t nowMs = m_now();
    const std::string device = formField(request.body, "device");
    if (!isDeviceKey(device))
        return only(refusal(400, "device"));
    notePhone(device, nowMs);
    {
        std::lock_guard lock(m_mutex);
        if (!m_limit.allow(request.clientAddress, nowMs))
            return only(refusal(429, "limit"));
    }
    const std::string code = normaliseCode(formField(request.body, "code"));
    const EntryKey *entry = code.empty() ? nullptr : m_codes->findCode(code);
    if (!entry)
        return only(refusal(404, "unknown"));
    // A hall code sent is checked whenever the hall code is on, not only when it is required.
    const std::string hall = formField(request.body, "hall");
    const HallCode rule = m_hallCode.load();
    if (rule != HallCode::Off && (rule == HallCode::Required || !hall.empty()) &&
        !hallCodeMatches(m_codes->hallSecret(), nowMs / 1000, hall))
        return only(refusal(403, "hall"));
    if (!m_store)
        return only(refusal(503, "error"));
    Handled handled;
    handled.checkIn = CheckInLine{CheckInLine::Action::CheckIn, code, device, nowMs / 1000};
    handled.shownName = applyPrivacyMask(entry->text, m_options.mask);
    return handled;
}

HttpResponse WebSite::checkInAnswer(CheckInStore::Answer answer, const std::string &shownName)
{
    const std::string name = ",\"name\":" + jsonString(shownName);
    switch (answer) {
    case CheckInStore::Answer::CheckedIn: return json(200, "{\"ok\":true,\"state\":\"in\"" + name + "}");
    case CheckInStore::Answer::AlreadyIn: return json(200, "{\"ok\":true,\"state\":\"already\"" + name + "}");
    case CheckInStore::Answer::DeviceUsed: return refusal(409, "device");
    default: return refusal(503, "error");
    }
}

HttpResponse WebSite::mine(const HttpRequest &request)
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_limit.allow(request.clientAddress, m_now()))
            return refusal(429, "limit");
    }
    const std::string code = normaliseCode(formField(request.body, "code"));
    const EntryKey *entry = code.empty() ? nullptr : m_codes->findCode(code);
    if (!entry)
        return refusal(404, "unknown");
    const auto shown = board();
    // Only the code's own entry: a namesake's prize is not this person's.
    std::string wins;
    for (const BoardAward &award : shown->awards)
        for (const BoardWinner &w : award.list)
            if (w.who && *w.who == *entry)
                wins += std::string(wins.empty() ? "" : ",") + "{\"award\":" + jsonString(award.awardName) +
                        ",\"prize\":" + jsonString(award.prizeName) + ",\"withdrawn\":" +
                        (w.withdrawn ? "true" : "false") + "}";
    return json(200, "{\"ok\":true,\"name\":" + jsonString(applyPrivacyMask(entry->text, m_options.mask)) +
                         ",\"wins\":[" + wins + "]}");
}

}  // namespace tessaly
