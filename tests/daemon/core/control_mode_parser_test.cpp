#include "daemon/core/control_mode_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vesket::daemon {
namespace {

using namespace std::string_literals;

struct UnescapeCase {
  const char* name;
  std::string escaped;
  std::string bytes;
};

TEST(ControlModeUnescape, Table) {
  const std::vector<UnescapeCase> cases = {
      {"plain", "hello", "hello"},
      {"crlf", "a\\015\\012b", "a\r\nb"},
      {"escape char", "\\033[1mX", "\x1b[1mX"},
      {"backslash", "C:\\134dir", "C:\\dir"},
      {"nul byte", "a\\000b", "a\0b"s},
      {"highest octal", "\\377", "\xff"},
      {"raw high bytes pass", "\xc3\xbc\xe2\x9c\xb3 \xff\xfe", "\xc3\xbc\xe2\x9c\xb3 \xff\xfe"},
      {"lone backslash at end", "abc\\", "abc\\"},
      {"short octal at end", "x\\01", "x\\01"},
      {"non-octal digit", "\\089", "\\089"},
      {"escaped then digits", "\\0121", "\n1"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(unescapeOutput(c.escaped), c.bytes) << c.name;
  }
}

std::vector<ControlEvent> parseAll(const std::string& text) {
  ControlModeParser parser;
  return parser.push(text);
}

TEST(ControlModeParser, CommandBlocksCarryGuardAndLines) {
  const auto events = parseAll(
      "%begin 1363006971 2 1\n"
      "0: ksh* (1 panes) [80x24]\n"
      "\n"
      "%end 1363006971 2 1\n"
      "%begin 1363006972 3 1\n"
      "parse error: unknown command: bogus\n"
      "%error 1363006972 3 1\n");
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, ControlEventKind::CommandDone);
  EXPECT_EQ(events[0].guard, (CommandGuard{1363006971, 2, 1}));
  EXPECT_EQ(events[0].lines, (std::vector<std::string>{"0: ksh* (1 panes) [80x24]", ""}));
  EXPECT_EQ(events[1].kind, ControlEventKind::CommandFailed);
  EXPECT_EQ(events[1].lines, (std::vector<std::string>{"parse error: unknown command: bogus"}));
}

TEST(ControlModeParser, BlockEndsOnlyAtItsOwnGuard) {
  // Output lines that look like guards (a capture of a pane showing control-mode text)
  // stay part of the block unless they carry the block's own numbers.
  const auto events = parseAll(
      "%begin 100 7 1\n"
      "%end 100 6 1\n"
      "%error 99 7 1\n"
      "%output %1 x\n"
      "%end 100 7 1\n");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].lines.size(), 3u);
  EXPECT_EQ(events[0].lines[2], "%output %1 x");
}

TEST(ControlModeParser, PartialLinesWaitForTheirEnd) {
  ControlModeParser parser;
  const std::string stream = "%output %3 ab\\015\\012\n%begin 5 9 1\nline\n%end 5 9 1\n%window-add @4\n";
  std::vector<ControlEvent> events;
  // Every split point, including inside an escape and inside a guard line.
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    ControlModeParser p;
    auto first = p.push(stream.substr(0, cut));
    auto second = p.push(stream.substr(cut));
    first.insert(first.end(), second.begin(), second.end());
    ASSERT_EQ(first.size(), 3u) << "cut at " << cut;
    EXPECT_EQ(first[0].data, "ab\r\n") << "cut at " << cut;
    EXPECT_EQ(first[1].lines, std::vector<std::string>{"line"}) << "cut at " << cut;
    EXPECT_EQ(first[2].windowId, "@4") << "cut at " << cut;
    EXPECT_EQ(p.pendingBytes(), 0u);
  }
  // Byte by byte.
  for (char c : stream) {
    auto got = parser.push(std::string(1, c));
    events.insert(events.end(), got.begin(), got.end());
  }
  EXPECT_EQ(events.size(), 3u);
  EXPECT_FALSE(parser.inBlock());
}

TEST(ControlModeParser, LongLineInManyPieces) {
  // A capture of a pane holding one huge joined line arrives in many reads.
  ControlModeParser parser;
  const std::string line(3 << 20, 'x');
  std::string stream = "%begin 1 1 1\n" + line + "\n%end 1 1 1\n%window-add @1\n";
  std::vector<ControlEvent> events;
  for (std::size_t at = 0; at < stream.size(); at += 4096) {
    auto got = parser.push(std::string_view(stream).substr(at, 4096));
    events.insert(events.end(), got.begin(), got.end());
  }
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].lines, std::vector<std::string>{line});
  EXPECT_EQ(events[1].kind, ControlEventKind::WindowAdd);
  EXPECT_EQ(parser.pendingBytes(), 0u);
}

TEST(ControlModeParser, OutputIsBytes) {
  const auto events = parseAll("%output %12 \xe2\x9c\xb3 w\\303rk \\134\\033[0m\n");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, ControlEventKind::Output);
  EXPECT_EQ(events[0].paneId, "%12");
  EXPECT_EQ(events[0].data, "\xe2\x9c\xb3 w\xc3rk \\\x1b[0m");
  EXPECT_FALSE(events[0].ageMs.has_value());
}

struct NotificationCase {
  std::string line;
  ControlEvent expected;
};

ControlEvent ev(ControlEventKind kind) {
  ControlEvent e;
  e.kind = kind;
  return e;
}

TEST(ControlModeParser, NotificationTable) {
  using K = ControlEventKind;
  auto with = [](ControlEvent e, auto&& setter) {
    setter(e);
    return e;
  };
  const std::vector<NotificationCase> cases = {
      {"%extended-output %7 1500 : hi\\012",
       with(ev(K::Output), [](auto& e) { e.paneId = "%7"; e.ageMs = 1500; e.data = "hi\n"; })},
      {"%extended-output %7 0 future args : a : b",
       with(ev(K::Output), [](auto& e) { e.paneId = "%7"; e.ageMs = 0; e.data = "a : b"; })},
      {"%extended-output %7 3 : ",
       with(ev(K::Output), [](auto& e) { e.paneId = "%7"; e.ageMs = 3; })},
      {"%pause %4", with(ev(K::Pause), [](auto& e) { e.paneId = "%4"; })},
      {"%continue %4", with(ev(K::Continue), [](auto& e) { e.paneId = "%4"; })},
      {"%layout-change @1 b25f,80x24,0,0,2 b25f,80x24,0,0,2 *",
       with(ev(K::LayoutChange), [](auto& e) { e.windowId = "@1"; e.text = "b25f,80x24,0,0,2"; })},
      {"%window-add @9", with(ev(K::WindowAdd), [](auto& e) { e.windowId = "@9"; })},
      {"%window-close @9", with(ev(K::WindowClose), [](auto& e) { e.windowId = "@9"; })},
      {"%window-renamed @2 my window \xc3\xbc",
       with(ev(K::WindowRenamed), [](auto& e) { e.windowId = "@2"; e.text = "my window \xc3\xbc"; })},
      {"%window-pane-changed @2 %5",
       with(ev(K::WindowPaneChanged), [](auto& e) { e.windowId = "@2"; e.paneId = "%5"; })},
      {"%unlinked-window-add @3", with(ev(K::UnlinkedWindowAdd), [](auto& e) { e.windowId = "@3"; })},
      {"%unlinked-window-close @3", with(ev(K::UnlinkedWindowClose), [](auto& e) { e.windowId = "@3"; })},
      {"%unlinked-window-renamed @3",
       with(ev(K::UnlinkedWindowRenamed), [](auto& e) { e.windowId = "@3"; })},
      {"%sessions-changed", ev(K::SessionsChanged)},
      {"%session-changed $0 my sess",
       with(ev(K::SessionChanged), [](auto& e) { e.sessionId = "$0"; e.text = "my sess"; })},
      {"%session-renamed $1 new name",
       with(ev(K::SessionRenamed), [](auto& e) { e.sessionId = "$1"; e.text = "new name"; })},
      {"%session-renamed plain", with(ev(K::SessionRenamed), [](auto& e) { e.text = "plain"; })},
      {"%session-window-changed $1 @4",
       with(ev(K::SessionWindowChanged), [](auto& e) { e.sessionId = "$1"; e.windowId = "@4"; })},
      {"%client-session-changed /dev/pts/3 $2 work",
       with(ev(K::ClientSessionChanged), [](auto& e) { e.sessionId = "$2"; e.text = "work"; })},
      {"%client-detached /dev/pts/3", with(ev(K::ClientDetached), [](auto& e) { e.text = "/dev/pts/3"; })},
      {"%pane-mode-changed %8", with(ev(K::PaneModeChanged), [](auto& e) { e.paneId = "%8"; })},
      {"%exit", ev(K::Exit)},
      {"%exit server exited", with(ev(K::Exit), [](auto& e) { e.text = "server exited"; })},
      // Unknown and malformed lines are kept as Other, never dropped silently or crashing.
      {"%paste-buffer-changed buffer0", with(ev(K::Other), [](auto& e) { e.text = "%paste-buffer-changed buffer0"; })},
      {"%output", with(ev(K::Other), [](auto& e) { e.text = "%output"; })},
      {"%output nopane x", with(ev(K::Other), [](auto& e) { e.text = "%output nopane x"; })},
      {"%extended-output %1 abc : x", with(ev(K::Other), [](auto& e) { e.text = "%extended-output %1 abc : x"; })},
      {"%extended-output %1 5 no colon", with(ev(K::Other), [](auto& e) { e.text = "%extended-output %1 5 no colon"; })},
      {"%window-add", with(ev(K::Other), [](auto& e) { e.text = "%window-add"; })},
      {"%begin 1 2", with(ev(K::Other), [](auto& e) { e.text = "%begin 1 2"; })},
      {"stray text", with(ev(K::Other), [](auto& e) { e.text = "stray text"; })},
  };
  for (const auto& c : cases) {
    const auto events = parseAll(c.line + "\n");
    ASSERT_EQ(events.size(), 1u) << c.line;
    EXPECT_EQ(events[0], c.expected) << c.line;
  }
}

TEST(ControlModeParser, MalformedBeginDoesNotSwallowLaterNotifications) {
  const auto events = parseAll("%begin x y z\n%window-add @1\n");
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, ControlEventKind::Other);
  EXPECT_EQ(events[1].kind, ControlEventKind::WindowAdd);
}

TEST(ControlModeParser, PaneChangingNotifications) {
  EXPECT_TRUE(mayChangePanes(ControlEventKind::LayoutChange));
  EXPECT_TRUE(mayChangePanes(ControlEventKind::WindowPaneChanged));
  EXPECT_TRUE(mayChangePanes(ControlEventKind::UnlinkedWindowClose));
  EXPECT_TRUE(mayChangePanes(ControlEventKind::SessionsChanged));
  EXPECT_FALSE(mayChangePanes(ControlEventKind::Output));
  EXPECT_FALSE(mayChangePanes(ControlEventKind::CommandDone));
  EXPECT_FALSE(mayChangePanes(ControlEventKind::Pause));
}

}  // namespace
}  // namespace vesket::daemon
