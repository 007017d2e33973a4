#pragma once

#include <QNetworkAccessManager>
#include <functional>

#include <nlohmann/json.hpp>
#include <qcoro/qcorotask.h>

#include "daemon/daemon_paths.h"

namespace vesket::daemon {

// The daemon's side of pairing with a relay account.
//
// "relay-pair" {"relayUrl", "daemonToken"} saves a pairing: DAEMON_TOKEN, RELAY_URL and
// BOARD_PUSH_API are written into `<home>/daemon/.env` (atomically, 0600, every other line
// kept) and the relay link is made again at once with the new token.
//
// "self-vouch" {"deviceId", "requestId", "userId"?, "deviceName"?} approves a device request
// of this daemon's account on the relay with the daemon token (a Mac's own daemon vouching
// for the Mac), answering {"approved"} within 8 s, inside the caller's 9-second limit.
class RelayPairing {
 public:
  struct Hooks {
    std::function<void()> relink;                      // read the environment file again, now
    std::function<nlohmann::json()> linkStatus;        // the link's "relay-status"
  };

  RelayPairing(DaemonPaths paths, Hooks hooks);

  QCoro::Task<nlohmann::json> savePairing(nlohmann::json args);
  QCoro::Task<nlohmann::json> selfVouch(nlohmann::json args);

 private:
  DaemonPaths m_paths;
  Hooks m_hooks;
  QNetworkAccessManager m_network;
};

}  // namespace vesket::daemon
