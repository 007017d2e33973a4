#include "supervision/core/daemon_quit_work.h"

#include <nlohmann/json.hpp>

namespace vesket::supervision {

namespace {
constexpr const char* kStopsRemoteAccess = "Quitting will stop the daemon and remote access to this Mac.";
constexpr const char* kPanesStayLocal =
    " Your tmux panes stay local, but Vesket clients and agent coordination will disconnect.";
}  // namespace

DaemonQuitWork DaemonQuitWork::fromPanesOutput(std::string_view output, bool hasAgentRunning, bool isActivelyServing) {
  if (output.find_first_not_of(" \t\r\n") == std::string_view::npos) return unknown();
  const auto json = nlohmann::json::parse(output.begin(), output.end(), nullptr, false);
  if (!json.is_array()) return unknown();
  if (!json.empty()) return livePanes(static_cast<int>(json.size()));
  if (hasAgentRunning || isActivelyServing) return activeConnection();
  return noLiveWork();
}

std::optional<std::string> DaemonQuitWork::confirmationMessage() const {
  switch (kind) {
    case Kind::livePanes:
      return "Vesket has " + std::to_string(paneCount) + " open " + (paneCount == 1 ? "pane" : "panes") + ". " +
             kStopsRemoteAccess + kPanesStayLocal;
    case Kind::activeConnection:
      return std::string("Vesket has active agent or remote activity. ") + kStopsRemoteAccess + kPanesStayLocal;
    case Kind::unknown:
      return std::string("Vesket could not verify whether panes are active. ") + kStopsRemoteAccess;
    case Kind::noLiveWork: return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace vesket::supervision
