// The hall's pages while the stage runs: the codes covered for the list, the
// check-in store, the site and its server. The draw is only read here, on the
// window's thread, and published to the server as a board.
#pragma once

#include "core/checkin/CheckInStore.h"
#include "core/web/WebServer.h"
#include "core/web/WebSite.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <filesystem>
#include <memory>

namespace tessaly {

class DrawSession;

class HallService : public QObject {
    Q_OBJECT
public:
    // Starts serving on address:port; the error (GBK) says why not.
    static Result<std::unique_ptr<HallService>> start(DrawSession &session, const std::filesystem::path &programDir,
                                                      const std::string &address, int port);
    ~HallService() override;

    // The address a phone opens: http://ADDRESS:PORT/e/TOKEN/
    QString pageAddress() const;
    QString hallCode() const;
    WebSite &site() { return *m_site; }
    const CheckInCodes &codes() const { return *m_codes; }
    CheckInStore &store() { return *m_store; }
    // Publishes the board now (the periodic look does it within a quarter second).
    void publish();

private:
    HallService(DrawSession &session) : m_session(session) {}
    void look();

    DrawSession &m_session;
    std::shared_ptr<CheckInCodes> m_codes;
    std::unique_ptr<CheckInStore> m_store;
    std::unique_ptr<WebSite> m_site;
    std::unique_ptr<WebServer> m_server;  // goes first, before the site and the store it uses
    std::string m_address;
    QTimer m_timer;
    std::string m_seen;  // what the last board was made of
    WinnersBoard m_board;
};

}  // namespace tessaly
