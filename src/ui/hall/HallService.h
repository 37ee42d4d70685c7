// The hall's pages while the stage runs: the codes covered for the list, the
// check-in store, the site and its server. The draw is only read here, on the
// window's thread, and published to the server as a board; winners reach it
// from the draw's events, once their records are on disk.
#pragma once

#include "core/checkin/CheckInStore.h"
#include "core/checkin/WebSettings.h"
#include "core/web/WebServer.h"
#include "core/web/WebSite.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <filesystem>
#include <memory>

namespace tessaly {

class DrawControl;
class DrawSession;
struct DrawEvent;

class HallService : public QObject {
    Q_OBJECT
public:
    // The check-in desk alone: the codes covered for the list and the store,
    // for the console's panel and "只抽已签到的人" without the pages.
    static Result<std::unique_ptr<HallService>> open(DrawControl &control, const std::filesystem::path &programDir,
                                                     const WebSettings &web);
    // The desk and the pages served on address:port; the error (GBK) says why not.
    static Result<std::unique_ptr<HallService>> start(DrawControl &control, const std::filesystem::path &programDir,
                                                      const WebSettings &web, const std::string &address, int port);
    ~HallService() override;

    Status serve(const std::string &address, int port);
    void stopServing();
    bool serving() const { return m_server != nullptr; }
    int servedPort() const { return m_server ? m_server->port() : 0; }
    std::string address() const { return m_address; }
    DrawSession &session() { return m_session; }
    const std::filesystem::path &programDir() const { return m_dir; }

    // The operator's desk: a check-in for someone without a phone, or its undo.
    CheckInStore::Answer checkInAtDesk(const std::string &code, bool undo);

    // The address a phone opens: http://ADDRESS:PORT/e/TOKEN/
    QString pageAddress() const;
    QString hallCode() const;
    WebSite &site() { return *m_site; }
    const CheckInCodes &codes() const { return *m_codes; }
    CheckInStore &store() { return *m_store; }
    // Publishes the board now (the periodic look does it within a quarter second).
    void publish();
    // The settings page changed [Web] while the pages run.
    void applySettings(const WebSettings &web);

private:
    HallService(DrawSession &session, std::filesystem::path dir) : m_session(session), m_dir(std::move(dir)) {}
    void look();
    void observe(const DrawEvent &event);

    DrawSession &m_session;
    std::filesystem::path m_dir;
    BoardFeed m_feed;
    std::shared_ptr<CheckInCodes> m_codes;
    std::unique_ptr<CheckInStore> m_store;
    std::unique_ptr<WebSite> m_site;
    std::unique_ptr<WebServer> m_server;  // goes first, before the site and the store it uses
    std::string m_address;
    QTimer m_timer;
    std::string m_seen;  // what the last board was made of
    std::string m_published;  // the page data of the last board published, before its version
    long m_version = 0;
};

}  // namespace tessaly
