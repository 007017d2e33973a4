#include "daemon/core/pane_query.h"

#include "daemon/core/tmux_format.h"

namespace vesket::daemon::PaneQuery {
namespace {
using K = TmuxFormat::Kind;

const TmuxFormat kLocation{{"pane_id", K::paneId}, {"session_id", K::sessionId}, {"session_name", K::text},
                           {"window_id", K::windowId}};
const TmuxFormat kWindowSize{{"window_width", K::integer}, {"window_height", K::integer}, {"window-size", K::text}};
const TmuxFormat kLiveness{{"pane_id", K::paneId}, {"pane_dead", K::flag}, {"pane_dead_status", K::integer}};
const TmuxFormat kHistorySize{{"history_size", K::integer}};
const TmuxFormat kWorkingDirectory{{"pane_id", K::paneId}, {"pane_current_path", K::text}};
const TmuxFormat kNewPane{{"pane_id", K::paneId}};

}  // namespace

std::string locationCommand(std::string_view paneId) { return kLocation.displayCommand(paneId); }

std::optional<Location> location(const std::vector<std::string>& answer, std::string_view paneId) {
  const auto record = kLocation.parseFirst(answer);
  if (!record || record->text(0) != paneId) return std::nullopt;
  return Location{record->text(1), record->text(2), record->text(3)};
}

std::string windowSizeCommand(std::string_view paneId) { return kWindowSize.displayCommand(paneId); }

std::optional<WindowSize> windowSize(const std::vector<std::string>& answer) {
  const auto record = kWindowSize.parseFirst(answer);
  if (!record) return std::nullopt;
  return WindowSize{record->integer(0), record->integer(1), record->text(2) == "manual"};
}

std::string livenessCommand(std::string_view paneId) { return kLiveness.displayCommand(paneId); }

std::optional<Liveness> liveness(const std::vector<std::string>& answer, std::string_view paneId) {
  const auto record = kLiveness.parseFirst(answer);
  if (!record || record->text(0) != paneId) return std::nullopt;
  Liveness result{record->flag(1), std::nullopt};
  if (result.dead && !record->text(2).empty()) result.exitStatus = record->integer(2);
  return result;
}

std::string historySizeCommand(std::string_view paneId) { return kHistorySize.displayCommand(paneId); }

std::optional<std::int64_t> historySize(const std::vector<std::string>& answer) {
  const auto record = kHistorySize.parseFirst(answer);
  if (!record) return std::nullopt;
  return record->integer(0);
}

std::string workingDirectoryCommand(std::string_view paneId) { return kWorkingDirectory.displayCommand(paneId); }

std::optional<std::string> workingDirectory(const std::vector<std::string>& answer, std::string_view paneId) {
  const auto record = kWorkingDirectory.parseFirst(answer);
  if (!record || record->text(0) != paneId) return std::nullopt;
  return record->text(1);
}

const std::string& newPaneFormat() { return kNewPane.argument(); }

std::optional<std::string> newPaneId(const std::vector<std::string>& answer) {
  const auto record = kNewPane.parseFirst(answer);
  if (!record) return std::nullopt;
  return record->text(0);
}

}  // namespace vesket::daemon::PaneQuery
