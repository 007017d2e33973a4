#include <gtest/gtest.h>

#include <algorithm>

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "control_plane/core/base64.h"
#include "daemon/core/command_error.h"
#include "daemon/core/terminal_attach_request.h"
#include "daemon/core/terminal_output_buffer.h"
#include "daemon/core/terminal_snapshot.h"

using namespace vesket::daemon;
using nlohmann::json;
using Rows = std::vector<std::string>;

namespace {

std::string errorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const CommandError& error) {
    return error.what();
  }
  return "no error";
}

}  // namespace

TEST(TerminalAttachRequest, ReadsArgumentsWithDefaults) {
  const auto full = TerminalAttachRequest::fromArgs(
      {{"paneId", "%4"}, {"mode", "mirror"}, {"force", true}, {"open", false}, {"cols", 132.0},
       {"rows", 50}, {"historyLimit", 500}, {"openLatency", {{"openId", "x"}, {"clientTapAtMonotonicMs", 12.5}}}});
  EXPECT_EQ(full.paneId, "%4");
  EXPECT_EQ(full.mode, "mirror");
  EXPECT_TRUE(full.force);
  EXPECT_FALSE(full.open);
  EXPECT_EQ(full.cols, 132);
  EXPECT_EQ(full.rows, 50);
  EXPECT_EQ(full.historyLines(), 500);

  const auto minimal = TerminalAttachRequest::fromArgs({{"paneId", "%1"}, {"cols", nullptr}});
  EXPECT_EQ(minimal.mode, "takeover");
  EXPECT_FALSE(minimal.force);
  EXPECT_TRUE(minimal.open);
  EXPECT_FALSE(minimal.cols);
  EXPECT_EQ(minimal.historyLines(), TerminalAttachRequest::kDefaultHistoryLimit);
  EXPECT_EQ(TerminalAttachRequest::fromArgs({{"paneId", "%1"}, {"historyLimit", 0}}).historyLines(), 0);
}

TEST(TerminalAttachRequest, RejectsBadArgumentsByName) {
  const std::pair<json, std::string> cases[] = {
      {json::object(), "terminal-attach: missing argument 'paneId'"},
      {{{"paneId", "4"}}, "terminal-attach: argument 'paneId' must be a tmux pane id such as %1, not '4'"},
      {{{"paneId", "%1"}, {"mode", 3}}, "terminal-attach: argument 'mode' must be a string"},
      {{{"paneId", "%1"}, {"mode", ""}}, "terminal-attach: argument 'mode' must not be empty"},
      {{{"paneId", "%1"}, {"force", "yes"}}, "terminal-attach: argument 'force' must be true or false"},
      {{{"paneId", "%1"}, {"cols", 0}}, "terminal-attach: argument 'cols' must be between 1 and 10000"},
      {{{"paneId", "%1"}, {"rows", 24.5}}, "terminal-attach: argument 'rows' must be a whole number"},
      {{{"paneId", "%1"}, {"historyLimit", -1}}, "terminal-attach: argument 'historyLimit' must be between 0 and 100000"},
      {{{"paneId", "%1"}, {"openLatency", "fast"}}, "terminal-attach: argument 'openLatency' must be an object"},
  };
  for (const auto& [args, message] : cases) {
    EXPECT_EQ(errorOf([&] { TerminalAttachRequest::fromArgs(args); }), message) << args.dump();
  }
}

TEST(TerminalAttachRequest, OnlyTakeoverAndOwnedResizeThePane) {
  const std::pair<json, std::optional<std::pair<int, int>>> cases[] = {
      {{{"paneId", "%1"}, {"mode", "takeover"}, {"cols", 100}, {"rows", 30}}, std::pair{100, 30}},
      {{{"paneId", "%1"}, {"mode", "owned"}, {"cols", 90}, {"rows", 20}}, std::pair{90, 20}},
      {{{"paneId", "%1"}, {"mode", "mirror"}, {"cols", 100}, {"rows", 30}}, std::nullopt},
      {{{"paneId", "%1"}, {"mode", "peek"}, {"cols", 100}, {"rows", 30}}, std::nullopt},
      {{{"paneId", "%1"}, {"mode", "takeover"}, {"cols", 100}}, std::nullopt},
      {{{"paneId", "%1"}, {"cols", 80}, {"rows", 24}}, std::pair{80, 24}},
  };
  for (const auto& [args, size] : cases) {
    EXPECT_EQ(TerminalAttachRequest::fromArgs(args).windowSize(), size) << args.dump();
  }
  EXPECT_EQ(terminalAttachSessionId("6F1E-22"), "local-6F1E-22");
}

TEST(TerminalInputRequest, DecodesTheFrameAndRejectsWhatIsNotOne) {
  const std::string frame("\x01\x1b[A\xC3\xA9\x00", 7);
  const auto input = TerminalInputRequest::fromArgs(
      {{"sessionId", "local-1"}, {"data", vesket::control_plane::Base64::encode(frame)}});
  EXPECT_EQ(input.sessionId, "local-1");
  EXPECT_EQ(input.frame, frame) << "byte-exact";

  const std::pair<json, std::string> cases[] = {
      {{{"data", "AQ=="}}, "terminal-input: missing argument 'sessionId'"},
      {{{"sessionId", "local-1"}}, "terminal-input: missing argument 'data'"},
      {{{"sessionId", "local-1"}, {"data", "AQ"}},
       "terminal-input: argument 'data' is not a Base64 frame (invalid Base64: length 2 is not a multiple of 4)"},
      {{{"sessionId", "local-1"}, {"data", ""}}, "terminal-input: argument 'data' holds no frame"},
  };
  for (const auto& [args, message] : cases) {
    EXPECT_EQ(errorOf([&] { TerminalInputRequest::fromArgs(args); }), message) << args.dump();
  }
  EXPECT_EQ(TerminalDetachRequest::fromArgs({{"sessionId", "local-9"}}).sessionId, "local-9");
  EXPECT_EQ(errorOf([] { TerminalDetachRequest::fromArgs(json::object()); }),
            "terminal-detach: missing argument 'sessionId'");
}

TEST(PaneTerminalState, ParsesWhatItsFormatPrints) {
  // tmux prints the fields separated by 0x1f and closes the record with 0x1e.
  const auto record = [](std::string fields) {
    std::replace(fields.begin(), fields.end(), ' ', '\x1f');
    return fields + '\x1e';
  };
  EXPECT_EQ(PaneTerminalState::format(),
            record("#{pane_width} #{pane_height} #{cursor_x} #{cursor_y} #{cursor_flag} #{alternate_on} "
                   "#{keypad_cursor_flag} #{keypad_flag} #{mouse_standard_flag} #{mouse_button_flag} "
                   "#{mouse_all_flag} #{mouse_sgr_flag} #{mouse_utf8_flag} #{history_size}"));
  const auto state = PaneTerminalState::parse(record("120 40 5 39 0 1 1 0 1 0 0 1 0 1234"));
  ASSERT_TRUE(state);
  EXPECT_EQ(state->cols, 120);
  EXPECT_EQ(state->rows, 40);
  EXPECT_EQ(state->cursorX, 5);
  EXPECT_EQ(state->cursorY, 39);
  EXPECT_FALSE(state->cursorVisible);
  EXPECT_TRUE(state->alternateOn);
  EXPECT_TRUE(state->applicationCursor);
  EXPECT_TRUE(state->mouseTracking());
  EXPECT_EQ(state->mouseEncoding(), "sgr");
  EXPECT_EQ(state->historySize, 1234);

  for (const std::string& bad : {std::string(), record("120 40"), record("120 40 5 39 0 1 1 0 1 0 0 1 0 1234 9"),
                                record("120 40 5 39 0 1 1 0 1 0 0 1 0 x"), record("0 40 5 39 0 1 1 0 1 0 0 1 0 1"),
                                record("120 40 -1 39 0 1 1 0 1 0 0 1 0 1"), record("120 40 5 39 0 1 1 0 1 0 0 1 0 1").substr(0, 31)}) {
    EXPECT_FALSE(PaneTerminalState::parse(bad)) << bad;
  }
}

TEST(TerminalSnapshot, AttachDrawsHistoryThenScreenThenCursorAndModes) {
  PaneTerminalState state;
  state.cols = 20;
  state.rows = 2;
  state.cursorX = 2;
  state.cursorY = 1;
  const Rows capture = {"old 1", "\x1b[31mold 2", "$ ls", "$ "};
  const std::string modes = "\x1b[?1l\x1b>\x1b[?1000l\x1b[?1006l\x1b[?1005l";
  EXPECT_EQ(TerminalSnapshot::attachBytes(capture, state),
            "old 1\r\n\x1b[31mold 2\r\n$ ls\r\n$ \x1b[0m" + modes + "\x1b[2;3H\x1b[?25h");

  // A full-screen program: its screen goes on the alternate screen, history stays below.
  state.alternateOn = true;
  state.cursorVisible = false;
  state.applicationCursor = true;
  state.mouseAny = true;
  state.mouseSgr = true;
  EXPECT_EQ(TerminalSnapshot::attachBytes(capture, state),
            "old 1\r\n\x1b[31mold 2\x1b[0m\r\n\x1b[?1049h\x1b[H\x1b[2J$ ls\r\n$ \x1b[0m"
            "\x1b[?1h\x1b>\x1b[?1003h\x1b[?1006h\x1b[?1005l\x1b[2;3H\x1b[?25l");
  // Without history the alternate screen starts at once.
  EXPECT_TRUE(TerminalSnapshot::attachBytes({"a", "b"}, state).starts_with("\x1b[?1049h"));
}

TEST(TerminalSnapshot, ResyncRedrawsOnlyTheScreen) {
  PaneTerminalState state;
  state.rows = 2;
  state.cursorX = 0;
  state.cursorY = 0;
  const std::string bytes = TerminalSnapshot::resyncBytes({"history", "row 1", "row 2"}, state);
  EXPECT_TRUE(bytes.starts_with("\x1b[0m\x1b[?1049l\x1b[H\x1b[2Jrow 1\r\nrow 2\x1b[0m")) << bytes;
  EXPECT_EQ(bytes.find("history"), std::string::npos);
  EXPECT_TRUE(bytes.ends_with("\x1b[1;1H\x1b[?25h"));
}

TEST(TerminalSnapshot, CursorIsKeptOnTheScreen) {
  PaneTerminalState state;
  state.cols = 10;
  state.rows = 5;
  state.cursorX = 50;
  state.cursorY = 9;
  EXPECT_NE(TerminalSnapshot::modeBytes(state).find("\x1b[5;10H"), std::string::npos);
}

TEST(TerminalSnapshot, ChunksBreakAtLineEndsWithinTheLimit) {
  const std::pair<std::pair<std::string, std::size_t>, std::vector<std::string>> cases[] = {
      {{"", 4}, {}},
      {{"abc", 4}, {"abc"}},
      {{"ab\r\ncd\r\nef", 6}, {"ab\r\n", "cd\r\nef"}},
      {{"abcdefgh", 3}, {"abc", "def", "gh"}},
      {{"a\nbcdefg", 4}, {"a\n", "bcde", "fg"}},
      {{"xyz", 0}, {"x", "y", "z"}},
  };
  for (const auto& [input, output] : cases) {
    EXPECT_EQ(TerminalSnapshot::chunks(input.first, input.second), output) << input.first;
  }
  EXPECT_EQ(TerminalSnapshot::olderHistoryBytes({"a", "b"}), "a\r\nb\x1b[0m");
}

TEST(TerminalHistoryPager, PagesUpToTheTopFollowingNewOutput) {
  // 250 lines of history, 100 sent on attach, pages of 100.
  TerminalHistoryPager pager(250, 100, 100);
  auto first = pager.next(250);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->start, -200);
  EXPECT_EQ(first->end, -101);
  EXPECT_EQ(first->lines, 100);
  EXPECT_FALSE(first->atTop);
  // 7 lines scrolled into history meanwhile: the range moves up with them.
  auto second = pager.next(257);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->start, -257);
  EXPECT_EQ(second->end, -208);
  EXPECT_EQ(second->lines, 50);
  EXPECT_TRUE(second->atTop);
  EXPECT_FALSE(pager.next(257));

  // Everything was sent on attach; a cleared history has nothing older either.
  EXPECT_FALSE(TerminalHistoryPager(40, 2000, 100).next(40));
  TerminalHistoryPager cleared(300, 100, 100);
  EXPECT_FALSE(cleared.next(0));
}

TEST(TerminalOutputBuffer, CoalescesSmallWritesAndChunksLargeOnes) {
  TerminalOutputBuffer buffer({.maxBytes = 1000, .maxChunkBytes = 8});
  EXPECT_FALSE(buffer.take());
  for (char c : std::string("abcdefghij")) EXPECT_TRUE(buffer.push(std::string(1, c)));
  EXPECT_EQ(buffer.size(), 10u);
  EXPECT_EQ(buffer.take(), "abcdefgh");
  EXPECT_EQ(buffer.take(), "ij");
  EXPECT_TRUE(buffer.empty());

  EXPECT_TRUE(buffer.push(std::string(20, 'x')));
  EXPECT_EQ(buffer.take(), std::string(8, 'x'));
  EXPECT_TRUE(buffer.push("yy"));  // does not join the partly taken piece
  EXPECT_EQ(buffer.take(), std::string(8, 'x'));
  EXPECT_EQ(buffer.take(), "xxxx");
  EXPECT_EQ(buffer.take(), "yy");
  EXPECT_FALSE(buffer.take());
  EXPECT_EQ(buffer.size(), 0u);
}

TEST(TerminalOutputBuffer, ASlowViewerIsResynchronisedInsteadOfGrowingMemory) {
  TerminalOutputBuffer buffer({.maxBytes = 100, .maxChunkBytes = 30});
  std::string sent;
  std::size_t pushed = 0;
  // A flood of 1000 writes while the viewer takes one chunk per ten writes.
  for (int i = 0; i < 1000; ++i) {
    if (buffer.push("0123456789")) pushed += 10;
    EXPECT_LE(buffer.size(), 100u);
    if (i % 10 == 0) {
      if (auto chunk = buffer.take()) sent += *chunk;
    }
    if (buffer.needsResync() && buffer.empty()) {
      sent += "<screen>";
      buffer.resynced();
    }
  }
  EXPECT_GT(buffer.resyncCount(), 0u);
  EXPECT_NE(sent.find("<screen>"), std::string::npos);

  // tmux paused the pane: what is buffered is stale, output waits for the fresh screen.
  TerminalOutputBuffer paused;
  EXPECT_TRUE(paused.push("before"));
  paused.requestResync();
  EXPECT_TRUE(paused.needsResync());
  EXPECT_TRUE(paused.empty());
  EXPECT_FALSE(paused.push("during"));
  paused.requestResync();
  EXPECT_EQ(paused.resyncCount(), 1u) << "one resync for one gap";
  paused.resynced();
  EXPECT_TRUE(paused.push("after"));
  EXPECT_EQ(paused.take(), "after");
}
