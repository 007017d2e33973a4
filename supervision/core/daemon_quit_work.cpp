#include "supervision/core/daemon_quit_work.h"

#include <nlohmann/json.hpp>

namespace vesket::supervision {

DaemonQuitWork DaemonQuitWork::fromPanesOutput(std::string_view output, bool hasAgentRunning, bool isActivelyServing) {
  if (output.find_first_not_of(" \t\r\n") == std::string_view::npos) return unknown();
  const auto json = nlohmann::json::parse(output.begin(), output.end(), nullptr, false);
  if (!json.is_array()) return unknown();
  if (!json.empty()) return livePanes(static_cast<int>(json.size()));
  if (hasAgentRunning || isActivelyServing) return activeConnection();
  return noLiveWork();
}

std::optional<shell::LocalisedText> DaemonQuitWork::confirmationMessage() const {
  switch (kind) {
    case Kind::livePanes: return shell::LocalisedText{"macos.daemon_quit.open_panes", {}, paneCount};
    case Kind::activeConnection: return shell::LocalisedText{"macos.daemon_quit.active_agent_or_remote_activity"};
    case Kind::unknown: return shell::LocalisedText{"macos.daemon_quit.could_not_verify_whether_panes_are_active"};
    case Kind::noLiveWork: return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace vesket::supervision
