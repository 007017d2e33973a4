// The attach bytes checked against tmux itself: a pane's capture and state, turned into
// bytes by TerminalSnapshot and written into a second pane of the same size, must give
// that pane the same history, screen, cursor and modes.

#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "daemon/core/terminal_snapshot.h"
#include "tests/support/private_tmux.h"

using namespace vesket::daemon;

namespace {

QString quoted(const QString& text) {
  QString inner = text;
  return QLatin1Char('\'') + inner.replace(QLatin1Char('\''), QStringLiteral("'\\''")) + QLatin1Char('\'');
}

class TerminalSnapshotTmuxTest : public ::testing::Test {
 protected:
  std::vector<std::string> lines(const QString& text) {
    std::vector<std::string> out;
    if (text.isEmpty()) return out;
    for (const QString& line : text.split(QLatin1Char('\n'))) out.push_back(line.toStdString());
    return out;
  }

  // Waits until the pane shows `marker` on its screen.
  bool waitFor(const QString& target, const std::string& marker) {
    for (int i = 0; i < 200; ++i) {
      if (m_tmux.run({"capture-pane", "-p", "-t", target}).toStdString().find(marker) != std::string::npos) return true;
      QThread::msleep(25);
    }
    return false;
  }

  PaneTerminalState state(const QString& target) {
    const auto line = lines(m_tmux.display(target, QString::fromStdString(PaneTerminalState::format())));
    auto parsed = line.empty() ? std::nullopt : PaneTerminalState::parse(line.front());
    EXPECT_TRUE(parsed) << (line.empty() ? "no output" : line.front());
    return parsed.value_or(PaneTerminalState{});
  }

  std::vector<std::string> capture(const QString& target) {
    return lines(m_tmux.run({"capture-pane", "-p", "-e", "-S", "-1000", "-t", target}));
  }

  // Starts a session of the given size running `script` in sh.
  void start(const QString& session, const QString& script) {
    m_tmux.run({"new-session", "-d", "-x", "40", "-y", "10", "-s", session, "sh -c " + quoted(script)});
  }

  // Writes attach bytes into a new pane of the same size, as a viewer's terminal would.
  void replay(const QString& session, const std::string& bytes) {
    const QString file = m_tmux.path(session + ".bytes");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes.data(), static_cast<qint64>(bytes.size()));
    out.close();
    start(session, "stty -opost; cat " + file + "; sleep 300");
  }

  vesket::testing::PrivateTmux m_tmux;
};

}  // namespace

TEST_F(TerminalSnapshotTmuxTest, AttachBytesReproduceHistoryScreenAndCursor) {
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

TEST_F(TerminalSnapshotTmuxTest, AttachBytesKeepAFullScreenProgramOnTheAlternateScreen) {
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

TEST_F(TerminalSnapshotTmuxTest, ResyncBytesRedrawAScreenThatMissedOutput) {
  start("a", "seq 1 25; printf 'now at 25'; sleep 300");
  ASSERT_TRUE(waitFor("a", "now at 25"));
  const PaneTerminalState original = state("a");
  const auto rows = capture("a");
  // A viewer whose screen shows something stale, then gets the resync bytes.
  replay("b", "stale line 1\r\nstale line 2\r\n" + TerminalSnapshot::resyncBytes(rows, original));
  ASSERT_TRUE(waitFor("b", "now at 25"));
  const auto copy = capture("b");
  const std::vector<std::string> visible(copy.end() - 10, copy.end());
  EXPECT_EQ(visible, std::vector<std::string>(rows.end() - 10, rows.end()));
  EXPECT_EQ(state("b").cursorX, original.cursorX);
}
