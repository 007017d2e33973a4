#include "daemon/core/pane_listing.h"

#include "daemon/core/tmux_format.h"

namespace vesket::daemon::PaneListing {

namespace {

using K = TmuxFormat::Kind;

enum Field : std::size_t {
  kPaneId, kSessionId, kSessionName, kWindowId, kWindowIndex, kWindowName, kWindowActive, kPaneIndex,
  kPaneActive, kPaneTitle, kCommand, kPid, kPaneWidth, kPaneHeight, kWindowWidth, kWindowHeight, kDead,
  kActivity, kTty, kPath, kHost, kCustomName,
};

const TmuxFormat& query() {
  static const TmuxFormat format{
      {"pane_id", K::paneId},           {"session_id", K::sessionId},    {"session_name", K::text},
      {"window_id", K::windowId},       {"window_index", K::integer},    {"window_name", K::text},
      {"window_active", K::flag},       {"pane_index", K::integer},      {"pane_active", K::flag},
      {"pane_title", K::text},          {"pane_current_command", K::text}, {"pane_pid", K::integer},
      {"pane_width", K::integer},       {"pane_height", K::integer},     {"window_width", K::integer},
      {"window_height", K::integer},    {"pane_dead", K::flag},          {"window_activity", K::integer},
      {"pane_tty", K::text},            {"pane_current_path", K::text},  {"host", K::text},
      {"@vesket-name", K::text},
  };
  return format;
}

}  // namespace

std::string command() { return query().listPanesCommand(); }

Result parse(const std::vector<std::string>& lines) {
  Result result;
  for (const auto& line : lines) {
    const auto record = query().parse(line);
    if (!record) {
      ++result.rejected;
      continue;
    }
    RawPane& p = result.panes.emplace_back();
    p.paneId = record->text(kPaneId);
    p.sessionId = record->text(kSessionId);
    p.sessionName = record->text(kSessionName);
    p.windowId = record->text(kWindowId);
    p.windowIndex = record->integer(kWindowIndex);
    p.windowName = record->text(kWindowName);
    p.windowActive = record->flag(kWindowActive);
    p.paneIndex = record->integer(kPaneIndex);
    p.paneActive = record->flag(kPaneActive);
    p.paneTitle = record->text(kPaneTitle);
    p.currentCommand = record->text(kCommand);
    p.panePid = record->integer(kPid);
    p.paneWidth = record->integer(kPaneWidth);
    p.paneHeight = record->integer(kPaneHeight);
    p.windowWidth = record->integer(kWindowWidth);
    p.windowHeight = record->integer(kWindowHeight);
    p.paneDead = record->flag(kDead);
    p.windowActivity = record->integer(kActivity);
    p.paneTty = record->text(kTty);
    p.currentPath = record->text(kPath);
    p.host = record->text(kHost);
    p.customName = record->text(kCustomName);
  }
  return result;
}

}  // namespace vesket::daemon::PaneListing
