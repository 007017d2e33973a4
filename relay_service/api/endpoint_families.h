#pragma once

// Each endpoint family adds its routes to the API's router.

#include <string_view>

#include "relay_service/api/api_context.h"
#include "relay_service/http/http_handler.h"

namespace vesket::relay_service {

// accounts.cpp: health, register-public, login, google, apple, me.
void addAccountRoutes(ApiRouter& router);
// panes.cpp: the panes of a linked daemon.
void addPaneRoutes(ApiRouter& router);
// terminal.cpp: the live terminal of a pane, a WebSocket (/api/terminal/attach).
inline constexpr std::string_view kTerminalAttachPath = "/api/terminal/attach";
boost::asio::awaitable<WebSocketAcceptance> acceptTerminalAttach(ApiCall call);
// devices.cpp: enrolment, approval state, recovery, approving other devices, revoking.
void addDeviceRoutes(ApiRouter& router);
// daemons.cpp: pairing (QR, self, code, replacement), whoami, the account's machines.
void addDaemonRoutes(ApiRouter& router);
// inbox.cpp: threads, messages, decisions, the change stream, notifications, files.
void addInboxRoutes(ApiRouter& router);
// tasks.cpp: the task board.
void addTaskRoutes(ApiRouter& router);
// agent.cpp: what agents on a paired machine post (daemon token).
void addAgentRoutes(ApiRouter& router);
// crew.cpp: the teams, agent groups and windows of a linked daemon.
void addCrewRoutes(ApiRouter& router);
// routing.cpp: routing configurations per project and global.
void addRoutingRoutes(ApiRouter& router);
// pair_page.cpp: the page a phone opens from a pairing QR code (/pair).
void addPairPageRoutes(ApiRouter& router);
// downloads.cpp: release files under /downloads/ (any depth) from the --releases directory.
bool isDownloadPath(std::string_view path);
boost::asio::awaitable<HttpResponse> serveDownload(ApiCall call);

}  // namespace vesket::relay_service
