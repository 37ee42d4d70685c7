#include "ui/hall/HallService.h"

#include "core/draw/DrawSession.h"
#include "core/participants/ParticipantList.h"
#include "ui/control/DrawControl.h"

#include <QWidget>

#include <chrono>

namespace tessaly {

Result<std::unique_ptr<HallService>> HallService::open(DrawControl &control, const std::filesystem::path &programDir,
                                                       const WebSettings &web)
{
    DrawSession &session = control.session();
    std::unique_ptr<HallService> hall(new HallService(session, programDir));
    auto codes = CheckInCodes::load(programDir);
    if (!codes)
        return codes.error();
    // Everyone on the list has a code before the first phone asks.
    if (codes->cover(session.lists().NameList)) {
        Status saved = codes->save(programDir);
        if (!saved)
            return saved.error();
    }
    hall->m_codes = std::make_shared<CheckInCodes>(std::move(*codes));
    auto store = CheckInStore::open(programDir);
    if (!store)
        return store.error();
    hall->m_store = std::move(*store);
    hall->m_site = std::make_unique<WebSite>(hall->m_codes, hall->m_store.get(),
                                             WebSite::Options{WebSite::hallCodeFor(web), readPrivacyMask(programDir)});
    hall->publish();
    hall->m_timer.setInterval(250);
    connect(&hall->m_timer, &QTimer::timeout, hall.get(), &HallService::look);
    hall->m_timer.start();
    connect(&control, &DrawControl::happened, hall.get(), &HallService::observe);
    return hall;
}

Result<std::unique_ptr<HallService>> HallService::start(DrawControl &control, const std::filesystem::path &programDir,
                                                        const WebSettings &web, const std::string &address, int port)
{
    auto hall = open(control, programDir, web);
    if (!hall)
        return hall.error();
    if (Status served = (*hall)->serve(address, port); !served)
        return served.error();
    return hall;
}

Status HallService::serve(const std::string &address, int port)
{
    raiseOpenFileLimit(kWantedOpenFiles);
    m_server.reset();
    auto server = WebServer::start(*m_site, m_store.get(), address, port);
    if (!server)
        return server.error();
    m_server = std::move(*server);
    m_address = address;
    return Ok{};
}

void HallService::stopServing()
{
    m_server.reset();
}

CheckInStore::Answer HallService::checkInAtDesk(const std::string &code, bool undo)
{
    return m_store->submitAndWait(
        {undo ? CheckInLine::Action::Undo : CheckInLine::Action::CheckIn, code, kConsoleDevice, 0});
}

HallService::~HallService()
{
    m_server.reset();
}

QString HallService::pageAddress() const
{
    return QStringLiteral("http://%1:%2/e/%3/")
        .arg(QString::fromStdString(m_address))
        .arg(m_server ? m_server->port() : 0)
        .arg(QString::fromStdString(m_codes->token()));
}

QString HallService::hallCode() const
{
    const auto now = std::chrono::duration_cast<std::chrono::minutes>(
        std::chrono::system_clock::now().time_since_epoch());
    return QString::fromStdString(hallCodeAt(m_codes->hallSecret(), now.count()));
}

void HallService::publish()
{
    // A new version only when the page would show something else.
    WinnersBoard board = m_feed.board(m_session);
    std::string data = board.json();
    if (data == m_published)
        return;
    m_published = std::move(data);
    board.version = ++m_version;
    m_site->publish(std::move(board));
}

void HallService::applySettings(const WebSettings &web)
{
    m_site->setHallCode(WebSite::hallCodeFor(web));
}

void HallService::observe(const DrawEvent &event)
{
    m_feed.observe(event, m_session);
    publish();
}

void HallService::look()
{
    // The phones learn of a winner only once the records are on disk: while a
    // stop's save is owed the board stays as it was.
    if (m_session.saveOwed())
        return;
    // A cheap fingerprint of what the board shows; a new board only when it moved.
    std::string seen;
    for (const auto &award : m_session.AwardWinners())
        seen += std::to_string(award.size()) + (award.empty() ? "," : award.back() + ",");
    const auto &state = m_session.state();
    seen += std::to_string(state.BatchAward) + "/" + std::to_string(state.CurrentBatch) + "/" +
            std::to_string(m_session.flags().Rolling) + std::to_string(m_session.flags().BatchReady);
    if (seen == m_seen)
        return;
    m_seen = std::move(seen);
    publish();
}

}  // namespace tessaly
