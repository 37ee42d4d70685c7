// The hall's pages: every route behind the event token, check-ins answered by
// their rules, bad requests refused; and the real server on 127.0.0.1.
#include "TempProgramDir.h"
#include "core/checkin/CheckInStore.h"
#include "core/checkin/WebSettings.h"
#include "core/text/Gbk.h"
#include "core/web/WebServer.h"
#include "core/web/WebSite.h"

#include "LoopbackHttp.h"

#include <gtest/gtest.h>

using namespace tessaly;
using namespace tessaly::test;

namespace {

struct Hall {
    TempProgramDir dir;
    std::shared_ptr<CheckInCodes> codes = std::make_shared<CheckInCodes>();
    std::unique_ptr<CheckInStore> store;
    std::int64_t nowMs = 1765300000000;
    std::unique_ptr<WebSite> site;

    explicit Hall(WebSite::Options options = {})
    {
        codes->cover({utf8ToGbk("张伟"), utf8ToGbk("<b>李娜</b>"), utf8ToGbk("王芳")});
        store = std::move(*CheckInStore::open(dir.path()));
        site = std::make_unique<WebSite>(codes, store.get(), options, [this] { return nowMs; });
    }
    std::string code(const char *utf8) const { return codes->codeOf({utf8ToGbk(utf8), 1}); }
    std::string base() const { return "/e/" + codes->token() + "/"; }

    // A request as the server would pass it, a check-in carried through the store.
    HttpResponse ask(const std::string &method, const std::string &path, const std::string &body = {},
                     const std::string &from = "127.0.0.1")
    {
        WebSite::Handled h = site->handle({method, path, "", body, from});
        if (h.checkIn)
            return WebSite::checkInAnswer(store->submitAndWait(*h.checkIn), h.shownName);
        return h.response;
    }
    HttpResponse checkIn(const std::string &code, const std::string &device, const std::string &from = "127.0.0.1",
                         const std::string &hall = {})
    {
        return ask("POST", base() + "api/checkin", "code=" + code + "&device=" + device + "&hall=" + hall, from);
    }
};

}  // namespace

TEST(WebSite, EveryRouteNeedsTheTokenAndNoPathReachesAFile)
{
    Hall hall;
    const std::string t = hall.codes->token();
    // The token with its last character changed (a random token may already end in 'X').
    const std::string nearly = t.substr(0, t.size() - 1) + (t.back() == 'X' ? "Y" : "X");
    const struct {
        std::string method, path;
        int status;
    } cases[] = {
        {"GET", "/e/" + t + "/", 200},
        {"GET", "/e/" + t + "/checkin", 200},
        {"GET", "/e/" + t + "/winners", 200},
        {"GET", "/e/" + t + "/app.css", 200},
        {"GET", "/e/" + t + "/api/winners", 200},
        {"GET", "/", 404},
        {"GET", "/e/" + t, 404},
        {"GET", "/e//checkin", 404},
        {"GET", "/e/" + nearly + "/checkin", 404},
        {"GET", "/e/" + t + "/../../../etc/passwd", 404},
        {"GET", "/e/" + t + "/..%2f..%2fset.dat", 404},
        {"GET", "/e/" + t + "/set.dat", 404},
        {"GET", "/e/" + t + "/photo/a.jpg", 404},
        {"GET", "/e/" + t + "/api/checkin", 404},
        {"POST", "/e/" + t + "/checkin", 404},
        {"DELETE", "/e/" + t + "/checkin", 405},
        {"POST", "/e/" + t + "/api/start", 404},
    };
    for (const auto &c : cases)
        EXPECT_EQ(hall.ask(c.method, c.path).status, c.status) << c.method << " " << c.path;
}

TEST(WebSite, CheckInAnswersByTheRules)
{
    Hall hall;
    const std::string zhang = hall.code("张伟"), li = hall.code("<b>李娜</b>");
    HttpResponse r = hall.checkIn(zhang, "phone-0001");
    EXPECT_EQ(r.status, 200);
    EXPECT_NE(r.body.find("\"state\":\"in\""), std::string::npos);
    EXPECT_NE(r.body.find("张伟"), std::string::npos);
    // Again from the same phone, in lower case: nothing changes, a friendly answer.
    std::string lower = zhang;
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(hall.checkIn(lower, "phone-0001").body.find("\"already\""), std::string::npos);
    // The same code from another phone: the person is in already.
    EXPECT_NE(hall.checkIn(zhang, "phone-0002").body.find("\"already\""), std::string::npos);
    // One phone, a second person: refused and shown to the operator.
    EXPECT_EQ(hall.checkIn(li, "phone-0001").status, 409);
    EXPECT_FALSE(hall.store->checkedIn(li));
    EXPECT_EQ(hall.store->refusedDevices().size(), 1u);
    // Markup in a name goes out escaped.
    r = hall.checkIn(li, "phone-0003");
    EXPECT_EQ(r.body.find('<'), std::string::npos);
    EXPECT_NE(r.body.find("\\u003cb\\u003e"), std::string::npos);

    EXPECT_EQ(hall.checkIn("ZZZZZZZZ", "phone-0004").status, 404);
    EXPECT_EQ(hall.checkIn(zhang, "no").status, 400);                // no device key
    EXPECT_EQ(hall.checkIn(zhang, "phone-0005%3Cx%3E").status, 400);  // not a key
    EXPECT_EQ(hall.store->checkedInCount(), 2u);
}

TEST(WebSite, TenCodeAttemptsAMinutePerAddress)
{
    Hall hall;
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(hall.checkIn("ZZZZZZZZ", "phone-0001", "10.0.0.7").status, 404);
    EXPECT_EQ(hall.checkIn(hall.code("张伟"), "phone-0001", "10.0.0.7").status, 429);
    EXPECT_EQ(hall.checkIn(hall.code("张伟"), "phone-0001", "10.0.0.8").status, 200);  // another address
    hall.nowMs += 61000;
    EXPECT_EQ(hall.checkIn(hall.code("王芳"), "phone-0002", "10.0.0.7").status, 200);  // a minute later
}

TEST(WebSite, AHallCodeSentMustBeRightAndIsRequiredOnlyWhenCheckInDecides)
{
    using HC = WebSite::HallCode;
    const struct {
        bool hallCode, onlyCheckedIn;  // [Web] hallcode, onlycheckedin
        const char *sent;              // "right", "wrong" or "" (none)
        int status;
    } cases[] = {
        {true, true, "right", 200},  {true, true, "wrong", 403},  {true, true, "", 403},
        {true, false, "right", 200}, {true, false, "wrong", 403}, {true, false, "", 200},
        {false, true, "wrong", 200}, {false, true, "", 200},      {false, false, "wrong", 200},
    };
    for (const auto &c : cases) {
        WebSettings web;
        web.hallCode = c.hallCode;
        web.onlyCheckedIn = c.onlyCheckedIn;
        Hall hall({WebSite::hallCodeFor(web), {}});
        const std::string right = hallCodeAt(hall.codes->hallSecret(), hall.nowMs / 60000);
        const std::string wrong = right == "0000" ? "0001" : "0000";
        const std::string sent = std::string(c.sent) == "right" ? right : std::string(c.sent) == "wrong" ? wrong : "";
        EXPECT_EQ(hall.checkIn(hall.code("张伟"), "phone-0001", "127.0.0.1", sent).status, c.status)
            << "hallcode=" << c.hallCode << " onlycheckedin=" << c.onlyCheckedIn << " sent " << c.sent;
    }
    // The settings page changes the rule while the pages run.
    Hall hall({HC::Checked, {}});
    hall.site->setHallCode(HC::Required);
    EXPECT_EQ(hall.checkIn(hall.code("王芳"), "phone-0009").status, 403);
}

TEST(WebSite, MineAnswersForOnesOwnCodeOnlyWithMaskedNamesAndWithdrawals)
{
    Hall hall({WebSite::HallCode::Checked, {true, 3, 4}});
    // A namesake of the winner: the second "张伟" of the list has a code of his own.
    hall.codes->cover({utf8ToGbk("张伟"), utf8ToGbk("<b>李娜</b>"), utf8ToGbk("王芳"), utf8ToGbk("张伟")});
    const EntryKey zhang{utf8ToGbk("张伟"), 1}, wang{utf8ToGbk("王芳"), 1};
    WinnersBoard board;
    board.version = 3;
    board.awards.push_back(
        {utf8ToGbk("一等奖"), utf8ToGbk("电脑"), 2, {{utf8ToGbk("张**"), zhang, true}, {utf8ToGbk("王**"), wang, false}}});
    hall.site->publish(board);
    HttpResponse r = hall.ask("POST", hall.base() + "api/mine", "code=" + hall.code("张伟"));
    EXPECT_NE(r.body.find("\"withdrawn\":true"), std::string::npos) << r.body;
    EXPECT_EQ(r.body.find("张伟"), std::string::npos);  // masked
    const std::string other = hall.codes->codeOf({utf8ToGbk("张伟"), 2});
    r = hall.ask("POST", hall.base() + "api/mine", "code=" + other);
    EXPECT_NE(r.body.find("\"wins\":[]"), std::string::npos) << r.body;  // the namesake won nothing
    // Only codes: a name typed in is no code.
    EXPECT_EQ(hall.ask("POST", hall.base() + "api/mine", "code=" + std::string("%E7%8E%8B%E8%8A%B3")).status, 404);
    r = hall.ask("GET", hall.base() + "api/winners");
    EXPECT_NE(r.body.find("\"version\":3"), std::string::npos);
    EXPECT_EQ(r.body.find("王芳"), std::string::npos);  // unmasked names never leave
    EXPECT_NE(r.body.find("王**"), std::string::npos);
    EXPECT_EQ(hall.ask("POST", hall.base() + "api/mine", "code=").status, 404);
}

TEST(WebServer, ServesOnLoopbackAndRefusesOversizedRequests)
{
    Hall hall;
    EXPECT_FALSE(WebServer::start(*hall.site, hall.store.get(), "0.0.0.0", 0));  // never every address
    auto server = WebServer::start(*hall.site, hall.store.get(), "127.0.0.1", 0);
    ASSERT_TRUE(server) << gbkToUtf8(server.error().message);
    const int port = (*server)->port();
    const std::string host = "Host: 127.0.0.1\r\nConnection: close\r\n";

    // A slow client holds a connection open without finishing its request...
    const int slow = connectLoopback(port);
    ASSERT_GE(slow, 0);
    sendAll(slow, "GET /e/");

    // ...while the others are served.
    std::string reply = roundTrip(port, "GET " + hall.base() + "checkin HTTP/1.1\r\n" + host + "\r\n");
    EXPECT_NE(reply.find("200 OK"), std::string::npos) << reply;
    EXPECT_NE(reply.find("Content-Security-Policy: default-src 'none'"), std::string::npos);
    EXPECT_NE(reply.find("签到"), std::string::npos);

    const std::string body = "code=" + hall.code("张伟") + "&device=phone-0001";
    reply = roundTrip(port, "POST " + hall.base() + "api/checkin HTTP/1.1\r\n" + host +
                               "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                               std::to_string(body.size()) + "\r\n\r\n" + body);
    EXPECT_NE(reply.find("\"state\":\"in\""), std::string::npos) << reply;
    EXPECT_TRUE(hall.store->checkedIn(hall.code("张伟")));

    const std::string big(5000, 'a');
    reply = roundTrip(port, "POST " + hall.base() + "api/checkin HTTP/1.1\r\n" + host +
                               "Content-Length: 5000\r\n\r\n" + big);
    EXPECT_NE(reply.find(" 413 "), std::string::npos) << reply.substr(0, 80);
    // A body without a length, past the bound.
    reply = roundTrip(port, "POST " + hall.base() + "api/checkin HTTP/1.1\r\n" + host +
                               "Transfer-Encoding: chunked\r\n\r\n1388\r\n" + big + "\r\n0\r\n\r\n");
    EXPECT_NE(reply.find(" 413 "), std::string::npos) << reply.substr(0, 80);
    // Headers past the bound are refused, not buffered.
    reply = roundTrip(port, "GET " + hall.base() + "checkin HTTP/1.1\r\n" + host + "X-Pad: " +
                               std::string(40000, 'b') + "\r\n\r\n");
    EXPECT_TRUE(reply.empty() || reply.find(" 200 ") == std::string::npos) << reply.substr(0, 80);
    reply = roundTrip(port, "GET /e/WRONGTOKEN/checkin HTTP/1.1\r\n" + host + "\r\n");
    EXPECT_NE(reply.find(" 404 "), std::string::npos);
    ::close(slow);
}
