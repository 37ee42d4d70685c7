// The hall's pages in a real browser: Debian's headless Chromium at a phone's
// size, driven through chromedriver's WebDriver API, against the stage's own
// server on 127.0.0.1. A phone checks in with its code, watches the winners
// page while the stage rolls and stops, and asks whether it won. Every call to
// the driver is bounded and keeps the stage's event loop running meanwhile.
#include "support/StageFixture.h"
#include "ui/hall/HallService.h"

#include "LoopbackHttp.h"

#include "core/text/Gbk.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <thread>
#include <unistd.h>

using namespace tessaly;

namespace {

// chromedriver in a process group of its own, so that the browser it starts
// goes with it whatever happens to the test.
class ChromeDriver {
public:
    ~ChromeDriver()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        ::kill(-static_cast<pid_t>(m_process.processId()), SIGTERM);
        if (!m_process.waitForFinished(5000))
            ::kill(-static_cast<pid_t>(m_process.processId()), SIGKILL);
        m_process.waitForFinished(5000);
    }

    // Starts on a free loopback port; 0 when it did not come up within the bound.
    int start(const QString &program)
    {
        m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program, {QStringLiteral("--port=0"), QStringLiteral("--allowed-ips=127.0.0.1")});
        if (!m_process.waitForStarted(10000))
            return 0;
        static const QRegularExpression started(QStringLiteral("started successfully on port (\\d+)"));
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 15000 && m_process.state() == QProcess::Running) {
            m_process.waitForReadyRead(200);
            m_output += QString::fromUtf8(m_process.readAll());
            const QRegularExpressionMatch m = started.match(m_output);
            if (m.hasMatch())
                return m.captured(1).toInt();
        }
        return 0;
    }
    QString output() const { return m_output; }

private:
    QProcess m_process;
    QString m_output;
};

// The WebDriver client: one session of a phone-sized headless Chromium.
class Phone {
public:
    explicit Phone(int driverPort) : m_base(QStringLiteral("http://127.0.0.1:%1").arg(driverPort))
    {
        m_net.setProxy(QNetworkProxy::NoProxy);
    }
    ~Phone()
    {
        if (!m_session.isEmpty())
            call("DELETE", "", {}, 10000);
    }

    // A WebDriver command; its "value", or an undefined value on an error or after `timeoutMs`.
    QJsonValue call(const QByteArray &method, const QString &path, const QJsonObject &body = {}, int timeoutMs = 30000)
    {
        QNetworkRequest request(QUrl(m_base + (m_session.isEmpty() ? QString() : "/session/" + m_session) + path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        request.setTransferTimeout(timeoutMs);
        const QByteArray payload = method == "POST" ? QJsonDocument(body).toJson(QJsonDocument::Compact) : QByteArray();
        QNetworkReply *reply = m_net.sendCustomRequest(request, method, payload);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(timeoutMs + 1000, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        if (!reply->isFinished())
            reply->abort();
        const QJsonValue value = QJsonDocument::fromJson(reply->readAll()).object().value(QStringLiteral("value"));
        m_lastError = reply->error() == QNetworkReply::NoError ? QString() : reply->errorString();
        reply->deleteLater();
        return value;
    }
    bool begin(const QString &profile)
    {
        const QJsonArray args{"--headless=new", "--no-sandbox", "--disable-gpu", "--no-proxy-server",
                              "--disable-background-networking", "--disable-component-update", "--disable-sync",
                              "--no-first-run", "--lang=zh-CN", "--window-size=390,844", "--user-data-dir=" + profile};
        const QJsonObject metrics{{"width", 390}, {"height", 844}, {"pixelRatio", 2}};
        const QJsonObject options{{"binary", QStandardPaths::findExecutable(QStringLiteral("chromium"))},
                                  {"args", args},
                                  {"mobileEmulation", QJsonObject{{"deviceMetrics", metrics}}}};
        const QJsonObject caps{
            {"capabilities", QJsonObject{{"alwaysMatch", QJsonObject{{"goog:chromeOptions", options}}}}}};
        m_session = call("POST", "/session", caps, 60000).toObject().value("sessionId").toString();
        if (m_session.isEmpty())
            return false;
        // A page that does not load, or a script that does not finish, fails the call rather than the test's clock.
        call("POST", "/timeouts", {{"pageLoad", 15000}, {"script", 5000}, {"implicit", 0}});
        return true;
    }
    void open(const QString &url) { call("POST", "/url", {{"url", url}}); }
    QString element(const QString &css)
    {
        const QJsonObject e = call("POST", "/element", {{"using", "css selector"}, {"value", css}}).toObject();
        return e.isEmpty() ? QString() : e.constBegin().value().toString();
    }
    void type(const QString &css, const QString &text)
    {
        const QString id = element(css);
        call("POST", "/element/" + id + "/clear");
        call("POST", "/element/" + id + "/value", {{"text", text}});
    }
    void click(const QString &css) { call("POST", "/element/" + element(css) + "/click"); }
    QString text(const QString &css)
    {
        const QString id = element(css);
        return id.isEmpty() ? QString() : call("GET", "/element/" + id + "/text").toString();
    }
    // Waits, the stage running meanwhile, until the element's text holds `part`.
    bool waitForText(const QString &css, const QString &part, int ms = 8000)
    {
        QElapsedTimer clock;
        clock.start();
        do {
            if (text(css).contains(part))
                return true;
            QTest::qWait(100);
        } while (clock.elapsed() < ms);
        qWarning().noquote() << css << "shows" << text(css) << "not" << part << m_lastError;
        return false;
    }
    // Saved under $TESSALY_SHOTS when it is set, for a person to look at.
    void screenshot(const QString &name)
    {
        const QByteArray folder = qgetenv("TESSALY_SHOTS");
        if (folder.isEmpty())
            return;
        QFile out(QString::fromLocal8Bit(folder) + "/" + name);
        if (out.open(QIODevice::WriteOnly))
            out.write(QByteArray::fromBase64(call("GET", "/screenshot").toString().toLatin1()));
    }

private:
    QString m_base;
    QString m_session;
    QString m_lastError;
    QNetworkAccessManager m_net;
};

// Two batches of two: after the second stop every entry has won, the one with markup in its name too.
const std::string kAward = "scrolldown=0\r\nLucks=1\r\n[Grade]\r\n0=一等奖|4|2|2+2|电视|\r\n";
const std::vector<std::string> kEntries{"张伟", "<b>李娜</b>", "王芳", "刘洋"};

bool wonIn(const std::vector<std::string> &winners, const std::string &utf8)
{
    return std::find(winners.begin(), winners.end(), utf8ToGbk(utf8)) != winners.end();
}

const std::string kHost = "Host: 127.0.0.1\r\nConnection: close\r\n";

std::string get(const std::string &path, const std::string &headers = {})
{
    return "GET " + path + " HTTP/1.1\r\n" + kHost + headers + "\r\n";
}

std::string post(const std::string &path, const std::string &body)
{
    return "POST " + path + " HTTP/1.1\r\n" + kHost + "Content-Type: application/x-www-form-urlencoded\r\n" +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Runs `work` on a thread of its own while the stage's event loop goes on; bounded by the work's own timeouts.
void whileTheStageRuns(const std::function<void()> &work)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    while (!done)
        QTest::qWait(20);
    worker.join();
}

}  // namespace

class TestHall : public QObject {
    Q_OBJECT
private slots:
    void aPhoneChecksInAndWatchesTheDraw()
    {
        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        const QString chromedriver = QStandardPaths::findExecutable(QStringLiteral("chromedriver"));
        if (chromium.isEmpty() || chromedriver.isEmpty())
            QSKIP("the hall's pages need Debian's chromium and chromium-driver (scripts/packages.txt) for this test");

        test::StageFixture st(kAward, kEntries);
        auto started = HallService::start(st.window->control(), st.dir, WebSettings{}, "127.0.0.1", 0);
        QVERIFY2(started, started ? "" : gbkToUtf8(started.error().message).c_str());
        HallService &hall = **started;
        const QString base = hall.pageAddress();
        QVERIFY(base.startsWith(QStringLiteral("http://127.0.0.1:")));

        ChromeDriver driver;
        const int driverPort = driver.start(chromedriver);
        QVERIFY2(driverPort > 0, qPrintable(driver.output()));
        QTemporaryDir profile;
        Phone phone(driverPort);
        QVERIFY2(phone.begin(profile.path()), qPrintable(driver.output()));

        // The card's link fills the code; the phone types the hall code the stage shows.
        const std::string mine = hall.codes().codeOf({utf8ToGbk("王芳"), 1});
        phone.open(base + "checkin#c=" + QString::fromStdString(mine));
        phone.type("#hall", hall.hallCode());
        phone.click("#go");
        QVERIFY(phone.waitForText("#answer", QStringLiteral("签到成功：王芳")));
        phone.screenshot("checkin.png");
        QVERIFY(hall.store().checkedIn(mine));
        // Again: nothing changes, a friendly answer.
        phone.click("#go");
        QVERIFY(phone.waitForText("#answer", QStringLiteral("王芳 已经签到过了")));
        // The same phone for someone else: refused, and the operator sees the phone.
        const std::string other = hall.codes().codeOf({utf8ToGbk("刘洋"), 1});
        phone.open(base + "checkin#c=" + QString::fromStdString(other));
        phone.type("#hall", hall.hallCode());
        phone.click("#go");
        QVERIFY(phone.waitForText("#answer", QStringLiteral("一部手机只能为一个人签到")));
        phone.screenshot("checkin-refused.png");
        QVERIFY(!hall.store().checkedIn(other));
        QCOMPARE(hall.store().refusedDevices().size(), size_t(1));

        // The winners page follows the stage: prepared, rolling, stopped.
        phone.open(base + "winners");
        st.window->GoButtonClick();
        QVERIFY(phone.waitForText("#now", QStringLiteral("即将抽取：一等奖")));
        st.window->GoButtonClick();
        QVERIFY(st.session().flags().Rolling);
        QVERIFY(phone.waitForText("#now", QStringLiteral("正在抽取：一等奖")));
        phone.screenshot("winners-rolling.png");
        st.window->StopButtonClick();
        const std::vector<std::string> first = st.session().AwardWinnerNames()[0];
        QCOMPARE(first.size(), size_t(2));
        for (const std::string &name : first)
            QVERIFY(phone.waitForText("#awards", QString::fromStdString(gbkToUtf8(name))));
        phone.screenshot("winners-first-batch.png");

        // "我中奖了吗？" answers for one's own code.
        phone.type("#code", QString::fromStdString(mine));
        phone.click("#mine button");
        QVERIFY(phone.waitForText("#answer", wonIn(first, "王芳") ? QStringLiteral("王芳：恭喜！你中了一等奖（电视）")
                                                                 : QStringLiteral("王芳：暂时还没有中奖")));
        phone.screenshot("winners-mine.png");
        phone.type("#code", QStringLiteral("ZZZZZZZZ"));
        phone.click("#mine button");
        QVERIFY(phone.waitForText("#answer", QStringLiteral("签到码不对")));

        // The second stop: everyone has won; markup in a name is shown as text.
        st.batch();
        QCOMPARE(st.session().AwardWinnerNames()[0].size(), size_t(4));
        QVERIFY(phone.waitForText("#awards", QStringLiteral("<b>李娜</b>")));
        QVERIFY(phone.waitForText("#now", QStringLiteral("抽奖已全部完成")));
        phone.type("#code", QString::fromStdString(mine));
        phone.click("#mine button");
        QVERIFY(phone.waitForText("#answer", QStringLiteral("王芳：恭喜！你中了一等奖（电视）")));
        phone.screenshot("winners-complete.png");
    }

    // Whatever the hall's network sends, the answer is the right refusal, the
    // server goes on serving, and the stage rolls and stops as if nothing came.
    void badRequestsLeaveTheDrawAlone()
    {
        test::StageFixture st(kAward, kEntries);
        auto started = HallService::start(st.window->control(), st.dir, WebSettings{}, "127.0.0.1", 0);
        QVERIFY2(started, started ? "" : gbkToUtf8(started.error().message).c_str());
        HallService &hall = **started;
        const int port = QUrl(hall.pageAddress()).port();
        const std::string token = hall.codes().token();
        const std::string base = "/e/" + token + "/";
        std::string wrong = token;
        wrong.back() = wrong.back() == 'A' ? 'B' : 'A';
        auto code = [&](const char *utf8) { return hall.codes().codeOf({utf8ToGbk(utf8), 1}); };
        auto checkIn = [&](const char *utf8, const std::string &device) {
            return "code=" + code(utf8) + "&device=" + device + "&hall=" + hall.hallCode().toStdString();
        };
        const std::string big(5000, 'a');
        std::string endless;
        for (int i = 0; i < 64; ++i)
            endless += "4000\r\n" + std::string(0x4000, 'a') + "\r\n";
        endless += "0\r\n\r\n";

        st.window->GoButtonClick();
        st.window->GoButtonClick();
        QVERIFY(st.session().flags().Rolling);
        const int ticksBefore = st.window->tickCount();

        const struct {
            const char *what;
            std::string request;
            int status;
            const char *bodyHas;
        } cases[] = {
            {"dots out of the event", get(base + "../../set.dat"), 404, ""},
            {"encoded dots", get(base + "%2e%2e/%2e%2e/data.txt"), 404, ""},
            {"encoded slash", get(base + "..%2fset.dat"), 404, ""},
            {"a path of the machine", get("/etc/passwd"), 404, ""},
            {"a photo", get(base + "photo/P0.jpg"), 404, ""},
            {"a NUL after a name", get(base + "set.dat%00.css"), 404, ""},
            {"no token", get("/e//checkin"), 404, ""},
            {"no event path", get("/checkin"), 404, ""},
            {"a wrong token", get("/e/" + wrong + "/api/winners"), 404, ""},
            {"a check-in under a wrong token", post("/e/" + wrong + "/api/checkin", checkIn("刘洋", "phone-x0001")), 404, ""},
            {"a check-in without a token", post("/api/checkin", checkIn("刘洋", "phone-x0001")), 404, ""},
            {"headers past the bound", get(base + "checkin", "X-Pad: " + std::string(40000, 'b') + "\r\n"), 431, ""},
            {"an address past the bound", get(base + std::string(20000, 'a')), 414, ""},
            {"a body past the bound", post(base + "api/checkin", big), 413, ""},
            {"a length past the bound", "POST " + base + "api/checkin HTTP/1.1\r\n" + kHost +
                                            "Content-Length: 99999999999\r\n\r\n", 413, ""},
            {"a chunked body past the bound", "POST " + base + "api/checkin HTTP/1.1\r\n" + kHost +
                                                  "Transfer-Encoding: chunked\r\n\r\n1388\r\n" + big + "\r\n0\r\n\r\n",
             413, ""},
            {"a chunked body that goes on is cut off", "POST " + base + "api/checkin HTTP/1.1\r\n" + kHost +
                                                             "Transfer-Encoding: chunked\r\n\r\n" + endless,
             0, ""},
            {"not HTTP: the connection is closed", "HELLO\r\n\r\n", 0, ""},
            {"a method no route takes", "DELETE " + base + "api/checkin HTTP/1.1\r\n" + kHost + "\r\n", 405, ""},
            {"an unknown code", post(base + "api/checkin", "code=ZZZZZZZZ&device=phone-x0002"), 404, "\"unknown\""},
            {"a code with no device", post(base + "api/checkin", "code=" + code("刘洋")), 400, "\"device\""},
            {"a check-in", post(base + "api/checkin", checkIn("张伟", "phone-a0001")), 200, "\"in\""},
            {"a code used again from another phone", post(base + "api/checkin", checkIn("张伟", "phone-b0001")), 200,
             "\"already\""},
            {"one phone for a second person", post(base + "api/checkin", checkIn("王芳", "phone-a0001")), 409,
             "\"device\""},
            {"markup in a name", post(base + "api/checkin", checkIn("<b>李娜</b>", "phone-c0001")), 200,
             "\\u003cb\\u003e李娜"},
            {"a name instead of one's code", post(base + "api/mine", "code=" + std::string("%E5%BC%A0%E4%BC%9F")), 404,
             "\"unknown\""},
        };
        std::vector<std::string> replies;
        // Each case from an address of its own, so the rate limit stays out of it.
        whileTheStageRuns([&] {
            int n = 0;
            for (const auto &c : cases) {
                const std::string from = "127.2.0." + std::to_string(++n);
                replies.push_back(test::roundTrip(port, c.request, 3000, from.c_str()));
            }
        });
        for (size_t i = 0; i < std::size(cases); ++i) {
            const std::string &reply = replies[i];
            const std::string head = reply.substr(0, reply.find("\r\n"));
            QVERIFY2(test::statusOf(reply) == cases[i].status, (std::string(cases[i].what) + ": " + head).c_str());
            const std::string body = reply.substr(std::min(reply.size(), reply.find("\r\n\r\n") + 4));
            QVERIFY2(body.find(cases[i].bodyHas) != std::string::npos, (std::string(cases[i].what) + ": " + body).c_str());
            // The program's answers never carry markup but its pages; the library's own error pages are its own.
            if (reply.find("Content-Type: application/json") != std::string::npos)
                QVERIFY2(body.find('<') == std::string::npos, cases[i].what);
        }

        // A slow client holds as many connections as one address may open; the
        // next one from that address is let go, a phone elsewhere is served.
        struct Held {
            std::vector<int> fds;
            ~Held()
            {
                for (int fd : fds)
                    ::close(fd);
            }
        } slow;
        std::string extra, elsewhere;
        whileTheStageRuns([&] {
            for (int i = 0; i < 64; ++i) {
                const int fd = test::connectLoopback(port, "127.3.0.1");
                if (fd >= 0) {
                    test::sendAll(fd, "GET /e/" + token.substr(0, 4));
                    slow.fds.push_back(fd);
                }
            }
            extra = test::roundTrip(port, get(base + "checkin"), 3000, "127.3.0.1");
            elsewhere = test::roundTrip(port, get(base + "checkin"), 3000, "127.3.0.2");
        });
        QCOMPARE(slow.fds.size(), size_t(64));
        QCOMPARE(test::statusOf(extra), 0);
        QCOMPARE(test::statusOf(elsewhere), 200);
        // The stage rolls on while they hold on.
        QTRY_VERIFY_WITH_TIMEOUT(st.window->tickCount() > ticksBefore + 5, 5000);

        // A flood of code attempts from one address: ten a minute are looked at,
        // the rest refused; another address checks in meanwhile.
        std::vector<int> flood;
        std::string other;
        whileTheStageRuns([&] {
            for (int i = 0; i < 30; ++i)
                flood.push_back(test::statusOf(test::roundTrip(
                    port, post(base + "api/checkin", "code=ZZZZZZZ" + std::to_string(i % 10) + "&device=phone-f0001"),
                    3000, "127.4.0.1")));
            other = test::roundTrip(port, post(base + "api/checkin", checkIn("刘洋", "phone-d0001")), 3000, "127.4.0.2");
        });
        QCOMPARE(std::count(flood.begin(), flood.end(), 404), 10L);
        QCOMPARE(std::count(flood.begin(), flood.end(), 429), 20L);
        QCOMPARE(test::statusOf(other), 200);

        // The draw went on all along and stops as ever; only the real check-ins are in.
        QVERIFY(st.session().flags().Rolling);
        st.window->StopButtonClick();
        QCOMPARE(st.session().AwardWinnerNames()[0].size(), size_t(2));
        QVERIFY(!st.file("ARecord.dat").empty());
        QCOMPARE(hall.store().checkedInCount(), size_t(3));
        for (const char *name : {"张伟", "<b>李娜</b>", "刘洋"})
            QVERIFY2(hall.store().checkedIn(code(name)), name);
        QVERIFY(!hall.store().checkedIn(code("王芳")));
    }
};

QTEST_MAIN(TestHall)
#include "tst_hall.moc"
