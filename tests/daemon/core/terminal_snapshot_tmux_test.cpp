// The attach bytes checked against tmux itself: a pane's capture and state, turned into
// bytes by TerminalSnapshot and written into a second pane of the same size, must give
// that pane the same history, screen, cursor and modes. Runs against a private tmux
// server (`tmux -L <unique> -f /dev/null`, TMUX_TMPDIR and HOME in a temporary directory).

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "daemon/core/terminal_snapshot.h"

using namespace vesket::daemon;
namespace fs = std::filesystem;

namespace {

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

class PrivateTmux : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v tmux >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux not installed";
    char pattern[] = "/tmp/vesket-snapshot-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    m_dir = pattern;
    ::setenv("TMUX_TMPDIR", m_dir.c_str(), 1);
    ::setenv("HOME", m_dir.c_str(), 1);
    ::unsetenv("TMUX");
    m_name = "vesket-snapshot-" + std::to_string(::getpid());
  }

  void TearDown() override {
    if (m_name.empty()) return;
    run("kill-server 2>/dev/null");
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
  }

  // Runs a tmux command on the private server and returns its output.
  std::string run(const std::string& args) {
    const std::string command = "tmux -L " + m_name + " -f /dev/null " + args;
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      char buffer[4096];
      std::size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
      ::pclose(pipe);
    }
    return out;
  }

  std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
      const auto nl = text.find('\n', start);
      if (nl == std::string::npos) {
        out.push_back(text.substr(start));
        break;
      }
      out.push_back(text.substr(start, nl - start));
      start = nl + 1;
    }
    return out;
  }

  // Waits until the pane shows `marker` on its screen.
  bool waitFor(const std::string& target, const std::string& marker) {
    for (int i = 0; i < 200; ++i) {
      if (run("capture-pane -p -t " + target).find(marker) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
  }

  PaneTerminalState state(const std::string& target) {
    const auto line = lines(run("display-message -p -t " + target + " " + quoted(PaneTerminalState::format())));
    auto parsed = line.empty() ? std::nullopt : PaneTerminalState::parse(line.front());
    EXPECT_TRUE(parsed) << (line.empty() ? "no output" : line.front());
    return parsed.value_or(PaneTerminalState{});
  }

  std::vector<std::string> capture(const std::string& target, const char* extra = "") {
    return lines(run(std::string("capture-pane -p -e ") + extra + " -S -1000 -t " + target));
  }

  // Starts a session of the given size running `script` in sh.
  void start(const std::string& session, const std::string& script) {
    run("new-session -d -x 40 -y 10 -s " + session + " " + quoted("sh -c " + quoted(script)));
  }

  // Writes attach bytes into a new pane of the same size, as a viewer's terminal would.
  void replay(const std::string& session, const std::string& bytes) {
    const std::string file = m_dir + "/" + session + ".bytes";
    std::ofstream(file, std::ios::binary) << bytes;
    start(session, "stty -opost; cat " + file + "; sleep 300");
  }

  std::string m_dir;
  std::string m_name;
};

}  // namespace

TEST_F(PrivateTmux, AttachBytesReproduceHistoryScreenAndCursor) {
  start("a", "i=1; while [ $i -le 30 ]; do printf '\\033[3%dmline %d\\033[0m\\n' $((i % 7)) $i; i=$((i+1)); done;"
             " printf 'prompt> '; sleep 300");
  ASSERT_TRUE(waitFor("a", "prompt>"));
  const PaneTerminalState original = state("a");
  const auto rows = capture("a");
  EXPECT_EQ(original.historySize, 21);

  replay("b", TerminalSnapshot::attachBytes(rows, original));
  ASSERT_TRUE(waitFor("b", "prompt>"));
  const PaneTerminalState copy = state("b");
  EXPECT_EQ(capture("b"), rows);
  EXPECT_EQ(copy.cursorX, original.cursorX);
  EXPECT_EQ(copy.cursorY, original.cursorY);
  EXPECT_EQ(copy.historySize, original.historySize);
}

TEST_F(PrivateTmux, AttachBytesKeepAFullScreenProgramOnTheAlternateScreen) {
  start("a", "seq 1 15; printf '\\033[?1049h\\033[H\\033[2J\\033[1mtop bar\\033[0m\\033[5;3Hmiddle\\033[?1h\\033[?1002h\\033[?1006h\\033[3;7H';"
             " sleep 300");
  ASSERT_TRUE(waitFor("a", "middle"));
  const PaneTerminalState original = state("a");
  ASSERT_TRUE(original.alternateOn);
  const auto rows = capture("a");

  replay("b", TerminalSnapshot::attachBytes(rows, original));
  ASSERT_TRUE(waitFor("b", "middle"));
  const PaneTerminalState copy = state("b");
  EXPECT_TRUE(copy.alternateOn);
  EXPECT_TRUE(copy.applicationCursor);
  EXPECT_TRUE(copy.mouseButton);
  EXPECT_TRUE(copy.mouseSgr);
  EXPECT_EQ(copy.cursorX, 6);
  EXPECT_EQ(copy.cursorY, 2);
  // The visible screen is the same, attributes included.
  const auto screen = [](std::vector<std::string> all) {
    return std::vector<std::string>(all.end() - 10, all.end());
  };
  EXPECT_EQ(screen(capture("b")), screen(rows));
}

TEST_F(PrivateTmux, ResyncBytesRedrawAScreenThatMissedOutput) {
  start("a", "seq 1 25; printf 'now at 25'; sleep 300");
  ASSERT_TRUE(waitFor("a", "now at 25"));
  const PaneTerminalState original = state("a");
  const auto rows = capture("a");
  // A viewer whose screen shows something stale, then gets the resync bytes.
  replay("b", "stale line 1\r\nstale line 2\r\n" + TerminalSnapshot::resyncBytes(rows, original));
  ASSERT_TRUE(waitFor("b", "now at 25"));
  const auto copy = capture("b", "");
  const std::vector<std::string> visible(copy.end() - 10, copy.end());
  EXPECT_EQ(visible, std::vector<std::string>(rows.end() - 10, rows.end()));
  EXPECT_EQ(state("b").cursorX, original.cursorX);
}
