#pragma once

// The rules of the endpoints that act on a daemon's panes: which pane ids are accepted,
// how a daemon's refusal becomes the caller's answer, and what an uploaded image is
// called on the daemon.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "relay_service/core/api_error.h"

namespace vesket::relay_service {

struct FormPart;

namespace PaneRequestRules {

// A pane id as tmux writes it ("%12"); ApiError 400 (naming `field`) for anything else.
std::string requirePaneId(const std::optional<std::string>& value, std::string_view field = "paneId");
// A daemon id as text (a query parameter or a form field): nothing when absent, ApiError
// 400 when it is not a positive decimal number.
std::optional<std::int64_t> daemonId(const std::optional<std::string_view>& text);
// The answer for a daemon that refused a pane request: 404 `pane_not_found` when the pane
// is gone, else 502 `daemon_error` with the daemon's own words.
ApiError daemonRefusal(std::string_view doing, std::string_view daemonError);
// True when the daemon's error says the pane does not exist (any more).
bool paneGone(std::string_view daemonError);
// The file extension an uploaded image is stored with: its file name's (letters and digits,
// at most 8), else its content type's subtype ("image/jpeg" gives "jpeg"); ApiError 400
// when neither gives one.
std::string imageExtension(const FormPart& part);
// The daemon's "terminal-attach" arguments from an attach URL's query: paneId (required),
// cols and rows (1..10000), mode ("owned", else "takeover"), open ("1"/"0"), force ("1"),
// historyLimit; other items (opening-time measurements) are not the daemon's. ApiError
// 400 for a missing pane id or a number that is not one.
nlohmann::json terminalAttachArgs(const std::vector<std::pair<std::string, std::string>>& query);
// Uploads cross the link in parts of this many bytes (Base64 makes a third more).
inline constexpr std::size_t kUploadPartBytes = 192 * 1024;

}  // namespace PaneRequestRules
}  // namespace vesket::relay_service
