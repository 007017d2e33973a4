// Captured pane text as the awaiting sweep sees it: the history of agent panes and shells
// with escapes kept, including the text that makes marker scanning work hard (C++
// templates, shift operators, heredocs, merge-conflict markers all bring "<" and "<<<"),
// approval markers that were answered long ago, open ones near the bottom, team signals,
// broken markers, and the agent's input box at the very end. Deterministic per pane index.
#pragma once

#include <fmt/format.h>

#include <random>
#include <string>
#include <vector>

#include "tests/viewer/core/awaiting_marker_text.h"

namespace vesket::viewer::bench {

class AwaitingCaptureWriter {
 public:
  explicit AwaitingCaptureWriter(unsigned seed) : m_rng(seed) {}

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }

  std::string words(int count) {
    static const char* const kWords[] = {
        "the",   "router", "returns", "pane",    "a",       "value",  "when",   "retry",
        "fails", "update", "tests",   "module",  "config",  "über",   "naïve",  "日本語",
        "build", "warning", "error",  "session", "context", "which",  "should", "→"};
    std::string out;
    for (int k = 0; k < count; ++k) {
      out += kWords[pick(std::size(kWords))];
      out += ' ';
    }
    return out;
  }

  std::string line(int index) {
    switch (pick(16)) {
      case 0:
        return fmt::format("\x1b[38;2;215;119;87m⏺\x1b[39m \x1b[1mBash\x1b[22m(cmake --build "
                           "build --target viewer_{})",
                           index % 7);
      case 1:
        return fmt::format("  \x1b[2m⎿  {}\x1b[22m", words(8 + pick(12)));
      case 2:
        return fmt::format("\x1b[48;5;22m\x1b[32m+ {:>4}   std::vector<std::pair<int, "
                           "std::string>> rows; // {}\x1b[0m",
                           index, words(4));
      case 3:
        return fmt::format("\x1b[48;5;52m\x1b[31m- {:>4}   if (a << 2 < b && c->next) {{ "
                           "std::cout << value << '\\n'; }}\x1b[0m",
                           index);
      case 4:
        return fmt::format("/src/viewer/core/pane_grouping.cpp:{}:{}: \x1b[1;35mwarning:\x1b[0m "
                           "comparison of 'std::optional<std::basic_string<char>>' {}",
                           index, pick(80), words(6));
      case 5:
        return fmt::format("$ cat <<EOF > notes.md && git status --short  # {}", words(3));
      case 6:
        return pick(4) == 0 ? "<<<<<<< HEAD" : (pick(2) ? "=======" : ">>>>>>> feature/router");
      case 7:
        return fmt::format("<div class=\"pane\"><span>{}</span></div>", words(6));
      case 8:
        return "";
      case 9:
        return fmt::format("\x1b[1;92m✓\x1b[0m {} \x1b[90m({} ms)\x1b[0m", words(6), pick(900));
      default:
        return words(10 + pick(14));
    }
  }

 private:
  std::mt19937 m_rng;
};

// One pane's capture of `lines` lines. Every third pane ends with an open approval; every
// fifth has a team member's needs-you signal; all have answered approvals in their history.
inline std::string awaitingCapture(int pane, int lines) {
  using namespace vesket::viewer::testing;
  AwaitingCaptureWriter writer(7919u * static_cast<unsigned>(pane + 1));
  std::string out;
  out.reserve(static_cast<std::size_t>(lines) * 90);
  const std::string options = jsonStrings({"1: Yes", "2: Yes, and don't ask again", "3: No"});
  for (int k = 0; k < lines; ++k) {
    if (k % 400 == 17) {  // an answered approval
      const std::string id = fmt::format("ask-{}-{}", pane, k);
      out += approvalMarker(id, "Run cmake --build build?", options, "numbered") + "\r\n";
      out += writer.line(k) + "\r\n";
      out += resolvedMarker(id) + "\r\n";
      k += 2;
      continue;
    }
    if (k % 700 == 99) {  // a marker cut short by a redraw
      out += "<<<DURNVALE-AWAITING id=cut question_b64=UnVuIHRo\r\n";
      continue;
    }
    if (pane % 5 == 0 && k == lines - 120) {
      out += needsYouSignal("review", "Please review the router split", "w" + std::to_string(pane)) +
             "\r\n";
      continue;
    }
    if (pane % 3 == 0 && k == lines - 40) {
      out += approvalMarker(fmt::format("open-{}", pane), "Apply this edit to router.ts?",
                            options, "numbered") +
             "\r\n";
      continue;
    }
    out += writer.line(k) + "\r\n";
  }
  out += "╭" + std::string() + "────────────────────────────────────────────────────╮\r\n";
  out += "│ ❯                                                    │\r\n";
  out += "╰────────────────────────────────────────────────────╯\r\n";
  out += "  ⏵⏵ accept edits on (shift+tab to cycle)\r\n";
  return out;
}

}  // namespace vesket::viewer::bench
