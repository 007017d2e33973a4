#pragma once

// The `args` objects of the control commands, built from what the caller gives.
//
// Texts are strings, integers go out as numbers, flags as booleans. An optional argument
// the caller does not give is left out of the object entirely; it is never sent as null.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "control_plane/core/command_results.h"
#include "control_plane/core/json_value.h"

namespace vesket::control_plane::CommandArguments {

// "self-vouch": the user id goes out as a number.
JSONObject selfVouch(const std::string& deviceId, const std::string& requestId, std::int64_t userId,
                     const std::string& deviceName);

// "capture", "kill": the pane alone.
JSONObject pane(const std::string& paneId);

// "send": `submitKey` and `clientRequestId` (UUID text) only when given.
JSONObject send(const std::string& paneId, const std::string& text,
                const std::optional<std::string>& submitKey,
                const std::optional<std::string>& clientRequestId);

// "send-key".
JSONObject sendKey(const std::string& paneId, const std::string& key);
// "set-pane-label": the name the user gives a pane; empty removes it.
JSONObject setPaneLabel(const std::string& paneId, const std::string& customName);

// "answer": `choice`, `choices` and `promptId` only when given.
JSONObject answer(const std::string& paneId, const std::optional<std::int64_t>& choice,
                  const std::optional<std::vector<std::int64_t>>& choices,
                  const std::optional<std::string>& promptId = std::nullopt);

// "send-image": every image as {"base64", "ext"}; "submit": false only when the daemon is
// to type the paths without pressing Enter.
JSONObject sendImage(const std::string& paneId, const std::vector<ImageAttachment>& images,
                     const std::string& text, bool submit = true);

// "tmux-source-set".
JSONObject tmuxSourceSet(const std::string& value);

// "resize-window": with a column count, mode "manual" and `cols`; without, mode "auto".
JSONObject resizeWindow(const std::string& paneId, const std::optional<std::int64_t>& cols);

// "spawn-plain-terminal": `windowName` only when given and not empty.
JSONObject spawnPlainTerminal(const std::optional<std::string>& windowName);

// "attach-info": `paneId` only when given.
JSONObject attachInfo(const std::optional<std::string>& paneId);

// "crew" for the model catalogue and for disbanding a crew.
JSONObject crewModels();
JSONObject crewDisband(const std::string& project);

// "claude-history": the width is raised to 1 when smaller.
JSONObject claudeHistory(const std::string& paneId, std::int64_t width);

// The caller's open-latency facts of a terminal attach, as the daemon wants them:
// every entry as text, except that "tapAtMonotonicMs" becomes the number
// "clientTapAtMonotonicMs" (only when its whole text is a decimal number) and "openReason"
// is renamed "reason". Stale "clientTapAtMonotonicMs" and "reason" entries of the caller's
// own are dropped.
JSONObject openLatency(const std::map<std::string, std::string>& latency);

// What a terminal attach asks for.
struct TerminalAttachRequest {
  std::string paneId;
  std::optional<std::int64_t> cols;
  std::optional<std::int64_t> rows;
  std::string mode;
  bool force = false;
  std::optional<std::int64_t> historyLimit;
  bool open = false;
  std::optional<std::map<std::string, std::string>> openLatency;
};

// "terminal-attach": `paneId`, `mode`, `force` and `open` always; `cols`, `rows`,
// `historyLimit` and `openLatency` only when given.
JSONObject terminalAttach(const TerminalAttachRequest& request);

// "terminal-input" and "terminal-detach", sent on an attach connection; `dataBase64` is the
// input bytes in standard Base64.
JSONObject terminalInput(const std::string& sessionId, const std::string& dataBase64);
JSONObject terminalDetach(const std::string& sessionId);

// Reads a decimal floating-point number that fills the whole text (no white space around
// it); nothing for anything else, infinities and NaN included.
std::optional<double> parseDecimal(const std::string& text);

}  // namespace vesket::control_plane::CommandArguments
