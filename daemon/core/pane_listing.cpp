#include "daemon/core/pane_listing.h"

#include <array>
#include <charconv>

#include "daemon/core/tmux_command.h"

namespace vesket::daemon::PaneListing {

namespace {

constexpr char kUnit = '\x1f';
constexpr char kRecordEnd = '\x1e';

// In record order; the untrusted, system-provided texts come last.
constexpr std::array kFields = {
    "pane_id",       "session_id",     "session_name", "window_id",    "window_index",
    "window_name",   "window_active",  "pane_index",   "pane_active",  "pane_title",
    "pane_current_command", "pane_pid", "pane_width",  "pane_height",  "window_width",
    "window_height", "pane_dead",      "window_activity", "pane_tty",  "pane_current_path",
};

bool toInt(std::string_view text, std::int64_t& value) {
  if (text.empty()) return false;
  const auto* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc{} && result.ptr == end;
}

// Empty counts as 0: tmux leaves some numbers empty while a pane is being created.
bool toIntOrZero(std::string_view text, std::int64_t& value) {
  if (text.empty()) {
    value = 0;
    return true;
  }
  return toInt(text, value);
}

bool toFlag(std::string_view text, bool& value) {
  if (text == "1") {
    value = true;
  } else if (text == "0" || text.empty()) {
    value = false;
  } else {
    return false;
  }
  return true;
}

}  // namespace

const std::string& format() {
  static const std::string text = [] {
    std::string f;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
      if (i > 0) f.push_back(kUnit);
      f += "#{";
      f += kFields[i];
      f += "}";
    }
    f.push_back(kRecordEnd);
    return f;
  }();
  return text;
}

std::string command() { return "list-panes -a -F " + TmuxCommand::quote(format()); }

bool parseRecord(std::string_view record, RawPane& pane) {
  std::array<std::string_view, kFields.size()> f;
  std::size_t count = 0;
  std::size_t start = 0;
  for (;;) {
    const auto sep = record.find(kUnit, start);
    if (count == f.size()) return false;  // too many fields
    f[count++] = record.substr(start, sep == std::string_view::npos ? sep : sep - start);
    if (sep == std::string_view::npos) break;
    start = sep + 1;
  }
  if (count != f.size()) return false;

  RawPane p;
  p.paneId = std::string(f[0]);
  if (!TmuxCommand::isPaneId(p.paneId)) return false;
  p.sessionId = std::string(f[1]);
  p.sessionName = std::string(f[2]);
  p.windowId = std::string(f[3]);
  if (!TmuxCommand::isWindowId(p.windowId)) return false;
  if (!toInt(f[4], p.windowIndex)) return false;
  p.windowName = std::string(f[5]);
  if (!toFlag(f[6], p.windowActive)) return false;
  if (!toInt(f[7], p.paneIndex)) return false;
  if (!toFlag(f[8], p.paneActive)) return false;
  p.paneTitle = std::string(f[9]);
  p.currentCommand = std::string(f[10]);
  if (!toIntOrZero(f[11], p.panePid)) return false;
  if (!toIntOrZero(f[12], p.paneWidth)) return false;
  if (!toIntOrZero(f[13], p.paneHeight)) return false;
  if (!toIntOrZero(f[14], p.windowWidth)) return false;
  if (!toIntOrZero(f[15], p.windowHeight)) return false;
  if (!toFlag(f[16], p.paneDead)) return false;
  if (!toIntOrZero(f[17], p.windowActivity)) return false;
  p.paneTty = std::string(f[18]);
  p.currentPath = std::string(f[19]);
  pane = std::move(p);
  return true;
}

Result parse(const std::vector<std::string>& lines) {
  Result result;
  std::string record;
  bool open = false;
  for (const auto& line : lines) {
    if (open) record.push_back('\n');  // a line feed inside a record belongs to it
    record += line;
    open = true;
    // A record is complete when the line ends with the record separator.
    if (!record.empty() && record.back() == kRecordEnd) {
      record.pop_back();
      RawPane pane;
      if (parseRecord(record, pane)) {
        result.panes.push_back(std::move(pane));
      } else {
        ++result.rejected;
      }
      record.clear();
      open = false;
    }
  }
  if (open) ++result.rejected;  // trailing bytes without a record separator
  return result;
}

}  // namespace vesket::daemon::PaneListing
