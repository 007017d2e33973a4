// What a tmux control-mode client prints, as the daemon reads it: the control-mode parser
// (bytes, not text, split anywhere by reads) and the parsers of command answers (the pane
// list, the terminal state, the pane queries). A split must not change the events, output
// bytes never grow, and every pane taken from a list has well-formed ids.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "daemon/core/control_mode_parser.h"
#include "daemon/core/pane_listing.h"
#include "daemon/core/pane_query.h"
#include "daemon/core/terminal_snapshot.h"
#include "daemon/core/tmux_command.h"
#include "tests/fuzz/fuzz_check.h"

using vesket::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vesket::daemon;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t split = size == 0 ? 0 : static_cast<std::size_t>(data[0]) % (size + 1);

  ControlModeParser pieces;
  std::vector<ControlEvent> events = pieces.push(bytes.substr(0, split));
  for (auto& event : pieces.push(bytes.substr(split))) events.push_back(std::move(event));
  ControlModeParser whole;
  check(whole.push(bytes) == events);

  for (const ControlEvent& event : events) {
    if (event.kind == ControlEventKind::Output) check(event.data.size() <= size);
    if (event.kind != ControlEventKind::CommandDone) continue;
    for (const RawPane& pane : PaneListing::parse(event.lines).panes) {
      check(TmuxCommand::isPaneId(pane.paneId) && TmuxCommand::isWindowId(pane.windowId));
    }
    for (const auto& line : event.lines) PaneTerminalState::parse(line);
    PaneQuery::location(event.lines, "%1");
    PaneQuery::windowSize(event.lines);
    PaneQuery::liveness(event.lines, "%1");
    PaneQuery::workingDirectory(event.lines, "%1");
    PaneQuery::newPaneId(event.lines);
  }
  return 0;
}
