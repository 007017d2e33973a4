#include "daemon/core/terminal_attach_request.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "control_plane/core/base64.h"
#include "daemon/core/command_args.h"

namespace vesket::daemon {

bool TerminalAttachMode::resizesPane(std::string_view mode) {
  return mode == takeover || mode == owned;
}

TerminalAttachRequest TerminalAttachRequest::fromArgs(const nlohmann::json& args) {
  const CommandArgs a("terminal-attach", args);
  TerminalAttachRequest request;
  request.paneId = a.requirePaneId();
  if (auto mode = a.optionalString("mode")) {
    if (mode->empty()) a.fail("argument 'mode' must not be empty");
    request.mode = std::move(*mode);
  }
  request.force = a.optionalBool("force").value_or(false);
  request.open = a.optionalBool("open").value_or(true);
  if (auto cols = a.optionalInteger("cols", 1, kMaxSize)) request.cols = static_cast<int>(*cols);
  if (auto rows = a.optionalInteger("rows", 1, kMaxSize)) request.rows = static_cast<int>(*rows);
  if (auto limit = a.optionalInteger("historyLimit", 0, kMaxHistoryLimit)) {
    request.historyLimit = static_cast<int>(*limit);
  }
  // `openLatency` is the viewer's own measurement; only its shape is checked.
  if (a.has("openLatency") && !args.at("openLatency").is_object()) {
    a.fail("argument 'openLatency' must be an object");
  }
  return request;
}

std::optional<std::pair<int, int>> TerminalAttachRequest::windowSize() const {
  if (!TerminalAttachMode::resizesPane(mode) || !cols || !rows) return std::nullopt;
  return std::pair{*cols, *rows};
}

std::string terminalAttachSessionId(std::string_view attachId) {
  return fmt::format("local-{}", attachId);
}

TerminalInputRequest TerminalInputRequest::fromArgs(const nlohmann::json& args) {
  const CommandArgs a("terminal-input", args);
  TerminalInputRequest request;
  request.sessionId = a.requireString("sessionId");
  const std::string data = a.requireString("data");
  try {
    request.frame = control_plane::Base64::decode(data);
  } catch (const control_plane::Base64Error& error) {
    a.fail(fmt::format("argument 'data' is not a Base64 frame ({})", error.what()));
  }
  if (request.frame.empty()) a.fail("argument 'data' holds no frame");
  return request;
}

TerminalDetachRequest TerminalDetachRequest::fromArgs(const nlohmann::json& args) {
  const CommandArgs a("terminal-detach", args);
  return {a.requireString("sessionId")};
}

}  // namespace vesket::daemon
