#include "daemon/core/pane_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "daemon/core/tmux_command.h"

namespace vesket::daemon {
namespace {

constexpr char U = '\x1f';
constexpr char RS = '\x1e';

struct Fields {
  std::string paneId = "%3";
  std::string sessionId = "$1";
  std::string sessionName = "work";
  std::string windowId = "@2";
  std::string windowIndex = "1";
  std::string windowName = "editor";
  std::string windowActive = "1";
  std::string paneIndex = "0";
  std::string paneActive = "0";
  std::string paneTitle = "host";
  std::string command = "bash";
  std::string pid = "4242";
  std::string paneWidth = "80";
  std::string paneHeight = "24";
  std::string windowWidth = "161";
  std::string windowHeight = "40";
  std::string dead = "0";
  std::string activity = "1796515872";
  std::string tty = "/dev/pts/4";
  std::string path = "/home/me/src";

  std::string record() const {
    const std::vector<std::string> all = {paneId,   sessionId,   sessionName, windowId,     windowIndex,
                                          windowName, windowActive, paneIndex, paneActive,  paneTitle,
                                          command,  pid,         paneWidth,   paneHeight,   windowWidth,
                                          windowHeight, dead,     activity,    tty,         path};
    std::string r;
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (i) r.push_back(U);
      r += all[i];
    }
    r.push_back(RS);
    return r;
  }
};

TEST(PaneListing, FormatHasOneSeparatorPerFieldAndEndsTheRecord) {
  const auto& f = PaneListing::format();
  EXPECT_EQ(std::count(f.begin(), f.end(), U), 19);
  EXPECT_EQ(f.back(), RS);
  // The command carries the separators octal-escaped, so the line stays printable.
  const auto cmd = PaneListing::command();
  EXPECT_EQ(cmd.find(U), std::string::npos);
  EXPECT_NE(cmd.find("\\037"), std::string::npos);
  EXPECT_EQ(cmd.rfind("list-panes -a -F \"", 0), 0u);
}

TEST(PaneListing, ParsesAllFields) {
  const auto result = PaneListing::parse({Fields{}.record()});
  ASSERT_EQ(result.panes.size(), 1u);
  EXPECT_EQ(result.rejected, 0u);
  const auto& p = result.panes[0];
  EXPECT_EQ(p.paneId, "%3");
  EXPECT_EQ(p.sessionId, "$1");
  EXPECT_EQ(p.sessionName, "work");
  EXPECT_EQ(p.windowId, "@2");
  EXPECT_EQ(p.windowIndex, 1);
  EXPECT_EQ(p.windowName, "editor");
  EXPECT_TRUE(p.windowActive);
  EXPECT_EQ(p.paneIndex, 0);
  EXPECT_FALSE(p.paneActive);
  EXPECT_EQ(p.paneTitle, "host");
  EXPECT_EQ(p.currentCommand, "bash");
  EXPECT_EQ(p.panePid, 4242);
  EXPECT_EQ(p.paneWidth, 80);
  EXPECT_EQ(p.paneHeight, 24);
  EXPECT_EQ(p.windowWidth, 161);
  EXPECT_EQ(p.windowHeight, 40);
  EXPECT_FALSE(p.paneDead);
  EXPECT_EQ(p.windowActivity, 1796515872);
  EXPECT_EQ(p.paneTty, "/dev/pts/4");
  EXPECT_EQ(p.currentPath, "/home/me/src");
}

TEST(PaneListing, OddNamesSurvive) {
  struct Case {
    const char* what;
    Fields fields;
  };
  std::vector<Case> cases;
  {
    Fields f;
    f.sessionName = "my session  with spaces";
    f.windowName = "w\xc3\xafn;x \"quoted\" $HOME";
    f.paneTitle = "\xe2\x9c\xb3 Refactor parser: a|b, c\td";
    cases.push_back({"spaces, unicode, shell characters, tab", f});
  }
  {
    Fields f;
    f.paneTitle = "";
    f.windowName = "";
    f.command = "";
    cases.push_back({"empty texts", f});
  }
  {
    Fields f;
    f.path = "/tmp/odd\ndir with\nline feeds";
    cases.push_back({"line feeds in the path", f});
  }
  {
    Fields f;
    f.paneTitle = "%end 1 2 3";
    cases.push_back({"a title that looks like a guard", f});
  }
  for (const auto& c : cases) {
    std::vector<std::string> lines;
    std::string record = c.fields.record();
    std::size_t start = 0;
    for (;;) {
      const auto nl = record.find('\n', start);
      lines.push_back(record.substr(start, nl == std::string::npos ? nl : nl - start));
      if (nl == std::string::npos) break;
      start = nl + 1;
    }
    const auto result = PaneListing::parse(lines);
    ASSERT_EQ(result.panes.size(), 1u) << c.what;
    EXPECT_EQ(result.panes[0].sessionName, c.fields.sessionName) << c.what;
    EXPECT_EQ(result.panes[0].windowName, c.fields.windowName) << c.what;
    EXPECT_EQ(result.panes[0].paneTitle, c.fields.paneTitle) << c.what;
    EXPECT_EQ(result.panes[0].currentPath, c.fields.path) << c.what;
  }
}

TEST(PaneListing, BadRecordsAreRejectedAndOthersKept) {
  Fields good;
  Fields second;
  second.paneId = "%4";
  Fields badId;
  badId.paneId = "3";
  Fields badWindow;
  badWindow.windowId = "2";
  Fields badNumber;
  badNumber.windowIndex = "x1";
  Fields badFlag;
  badFlag.dead = "yes";
  Fields extraField;
  extraField.path = std::string("a") + U + "b";
  const auto result = PaneListing::parse({good.record(), badId.record(), badWindow.record(), badNumber.record(),
                                          badFlag.record(), extraField.record(), second.record(),
                                          "%9 truncated record without end"});
  ASSERT_EQ(result.panes.size(), 2u);
  EXPECT_EQ(result.panes[0].paneId, "%3");
  EXPECT_EQ(result.panes[1].paneId, "%4");
  EXPECT_EQ(result.rejected, 6u);
}

TEST(PaneListing, EmptyNumbersReadAsZero) {
  Fields f;
  f.pid = "";
  f.activity = "";
  const auto result = PaneListing::parse({f.record()});
  ASSERT_EQ(result.panes.size(), 1u);
  EXPECT_EQ(result.panes[0].panePid, 0);
  EXPECT_TRUE(PaneListing::parse({}).panes.empty());
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
