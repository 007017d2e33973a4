#include "daemon/core/tmux_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "daemon/core/pane_listing.h"
#include "daemon/core/pane_query.h"
#include "daemon/core/tmux_command.h"

namespace vesket::daemon {
namespace {

constexpr char U = '\x1f';
constexpr char RS = '\x1e';

std::string record(const std::vector<std::string>& values) {
  std::string r;
  for (std::size_t i = 0; i < values.size(); ++i) r += (i ? std::string(1, U) : std::string()) + values[i];
  return r + RS;
}

const TmuxFormat kQuery{{"pane_id", TmuxFormat::Kind::paneId},
                        {"window_id", TmuxFormat::Kind::windowId},
                        {"pane_pid", TmuxFormat::Kind::integer},
                        {"pane_dead", TmuxFormat::Kind::flag},
                        {"pane_current_path", TmuxFormat::Kind::text}};

TEST(TmuxFormat, ArgumentCleansTextsInsideTmuxAndCommandsStayPrintable) {
  EXPECT_EQ(kQuery.argument(),
            "#{pane_id}\x1f#{window_id}\x1f#{pane_pid}\x1f#{pane_dead}\x1f#{s/[\001-\037\177]/\xEF\xBF\xBD/:pane_current_path}\x1e");
  for (const std::string& command : {kQuery.displayCommand("%3"), kQuery.listPanesCommand()}) {
    for (char c : command) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << command;
  }
  EXPECT_EQ(kQuery.displayCommand("%3").rfind("display-message -p -t \"%3\" \"#{pane_id}\\037", 0), 0u);
  EXPECT_EQ(kQuery.listPanesCommand().rfind("list-panes -a -F \"#{pane_id}\\037", 0), 0u);
}

// A line is a record only with exactly the record's shape; nothing is guessed.
TEST(TmuxFormat, ParsesOnlyWellShapedRecords) {
  struct Case {
    std::string line;
    bool accepted;
  };
  const Case cases[] = {
      {record({"%3", "@2", "4242", "1", "/home/me/src"}), true},
      {record({"%3", "@2", "", "", ""}), true},
      {record({"%3", "@2", "-5", "0", "w\xc3\xafn;x \"quoted\" $HOME %end 1 2 3"}), true},
      {record({"3", "@2", "1", "1", "/"}), false},
      {record({"%3", "2", "1", "1", "/"}), false},
      {record({"%3", "@2", "x1", "1", "/"}), false},
      {record({"%3", "@2", "1", "yes", "/"}), false},
      {record({"%3", "@2", "1", "1", std::string("a") + U + "b"}), false},
      {record({"%3", "@2", "1", "1"}), false},
      {"%3\x1f@2\x1f" "1\x1f" "1\x1f/", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(kQuery.parse(c.line).has_value(), c.accepted) << c.line;

  const std::string line = record({"%3", "@2", "", "1", "/tmp/x"});
  const auto parsed = kQuery.parse(line);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->text(0), "%3");
  EXPECT_EQ(parsed->integer(2), 0);
  EXPECT_TRUE(parsed->flag(3));
  EXPECT_EQ(parsed->text(4), "/tmp/x");
  EXPECT_FALSE(kQuery.parseFirst({}));
}

// Each pane query reads its own answer, and an answer about another pane (or tmux's empty
// line for a target it does not know) reads as nothing.
TEST(PaneQuery, ReadsItsAnswersAndOnlyAboutItsPane) {
  using L = std::vector<std::string>;
  EXPECT_EQ(PaneQuery::location(L{record({"%3", "$1", "main", "@2"})}, "%3"), (PaneQuery::Location{"$1", "main", "@2"}));
  EXPECT_FALSE(PaneQuery::location(L{record({"%4", "$1", "main", "@2"})}, "%3"));
  EXPECT_FALSE(PaneQuery::location(L{""}, "%3"));
  EXPECT_FALSE(PaneQuery::location(L{}, "%3"));
  EXPECT_EQ(PaneQuery::windowSize(L{record({"120", "40", "manual"})}), (PaneQuery::WindowSize{120, 40, true}));
  EXPECT_EQ(PaneQuery::windowSize(L{record({"120", "40", "latest"})}), (PaneQuery::WindowSize{120, 40, false}));
  EXPECT_EQ(PaneQuery::liveness(L{record({"%3", "0", ""})}, "%3"), (PaneQuery::Liveness{false, std::nullopt}));
  EXPECT_EQ(PaneQuery::liveness(L{record({"%3", "1", "7"})}, "%3"), (PaneQuery::Liveness{true, 7}));
  EXPECT_FALSE(PaneQuery::liveness(L{record({"%9", "0", ""})}, "%3"));
  EXPECT_EQ(PaneQuery::historySize(L{record({"2000"})}), 2000);
  EXPECT_FALSE(PaneQuery::historySize(L{"2000"}));
  EXPECT_EQ(PaneQuery::workingDirectory(L{record({"%3", "/home/me"})}, "%3"), "/home/me");
  EXPECT_EQ(PaneQuery::workingDirectory(L{record({"%3", ""})}, "%3"), "");
  EXPECT_EQ(PaneQuery::newPaneId(L{record({"%12"})}), "%12");
  EXPECT_FALSE(PaneQuery::newPaneId(L{record({"12"})}));
  EXPECT_EQ(PaneQuery::windowSizeCommand("%3"),
            "display-message -p -t \"%3\" \"#{window_width}\\037#{window_height}\\037"
            "#{s/[\\001-\\037\\177]/\xEF\xBF\xBD/:window-size}\\036\"");
}

TEST(PaneListing, ReadsEveryFieldAndKeepsGoodRecordsBesideBadOnes) {
  const std::string good = record({"%3", "$1", "work", "@2", "1", "editor", "1", "0", "0", "host", "bash", "4242", "80",
                                   "24", "161", "40", "0", "1796515872", "/dev/pts/4", "/home/me/src", "box.lan", "api"});
  const auto result = PaneListing::parse({good, "%9 truncated", good});
  ASSERT_EQ(result.panes.size(), 2u);
  EXPECT_EQ(result.rejected, 1u);
  const RawPane& p = result.panes[0];
  EXPECT_EQ(p, (RawPane{"%3", "$1", "work", "@2", 1, "editor", true, 0, false, "host", "bash", 4242, 80, 24, 161, 40,
                        false, 1796515872, "/dev/pts/4", "/home/me/src", "box.lan", "api"}));
}

TEST(TmuxCommandQuote, Table) {
  struct Case {
    std::string in;
    std::string out;
  };
  const std::vector<Case> cases = {
      {"plain", "\"plain\""},
      {"", "\"\""},
      {"-leading dash", "\"-leading dash\""},
      {"a;b ; c", "\"a;b ; c\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"$HOME ~", "\"\\$HOME \\176\""},
      {"~/x", "\"\\176/x\""},
      {"back\\slash", "\"back\\\\slash\""},
      {"line\nfeed\r\t\x1b", "\"line\\012feed\\015\\011\\033\""},
      {"del\x7f", "\"del\\177\""},
      {"\xc3\xbc \xe2\x9c\xb3", "\"\xc3\xbc \xe2\x9c\xb3\""},
  };
  for (const auto& c : cases) EXPECT_EQ(TmuxCommand::quote(c.in), c.out) << c.in;
  // Names and directories tmux expands as formats keep every "#" literal.
  EXPECT_EQ(TmuxCommand::unexpanded("#(touch x) #{pane_id} ## #"), "##(touch x) ##{pane_id} #### ##");
}

TEST(TmuxCommandIds, Table) {
  EXPECT_TRUE(TmuxCommand::isPaneId("%0"));
  EXPECT_TRUE(TmuxCommand::isPaneId("%123"));
  EXPECT_FALSE(TmuxCommand::isPaneId("%"));
  EXPECT_FALSE(TmuxCommand::isPaneId("3"));
  EXPECT_FALSE(TmuxCommand::isPaneId("%3;kill-server"));
  EXPECT_FALSE(TmuxCommand::isPaneId("%-1"));
  EXPECT_FALSE(TmuxCommand::isPaneId("@3"));
  EXPECT_TRUE(TmuxCommand::isWindowId("@3"));
  EXPECT_FALSE(TmuxCommand::isWindowId("%3"));
}

}  // namespace
}  // namespace vesket::daemon
