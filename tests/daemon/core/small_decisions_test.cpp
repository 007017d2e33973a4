// Watch pacing, send de-duplication, key names, the agent catalogue and the bounded reader.
#include <gtest/gtest.h>

#include "daemon/core/agent_catalog.h"
#include "daemon/core/agent_root.h"
#include "daemon/core/key_names.h"
#include "daemon/core/recent_request_ids.h"
#include "daemon/core/request_line_reader.h"
#include "daemon/core/watch_coalescer.h"

namespace vesket::daemon {
namespace {

// The folder the user chose stays; a stale or relative one gives way to the configured
// one, then to the home.
TEST(AgentRootTest, ChosenFolderThenConfiguredThenHome) {
  const auto isDir = [](const std::string& path) { return path == "/src" || path == "/work"; };
  EXPECT_EQ(AgentRoot::choose("/src\n", "/work", "/home/me", isDir), "/src");
  EXPECT_EQ(AgentRoot::choose("  /src \r\nignored\n", "", "/home/me", isDir), "/src");
  EXPECT_EQ(AgentRoot::choose("/gone\n", "/work", "/home/me", isDir), "/work");
  EXPECT_EQ(AgentRoot::choose("src\n", "", "/home/me", isDir), "/home/me");
  EXPECT_EQ(AgentRoot::choose("", "/missing", "/home/me", isDir), "/home/me");
}

TEST(WatchCoalescerTest, FirstChangeGoesOutAtOnceBurstsAreGathered) {
  WatchCoalescer pacing(50);
  EXPECT_EQ(pacing.onChange(1000), 0);
  EXPECT_EQ(pacing.onChange(1001), std::nullopt) << "already scheduled";
  pacing.onFlushed(1001);
  EXPECT_EQ(pacing.onChange(1010), 41) << "waits out the interval since the last flush";
  EXPECT_EQ(pacing.onChange(1020), std::nullopt);
  pacing.onFlushed(1051);
  EXPECT_FALSE(pacing.flushPending());
  EXPECT_EQ(pacing.onChange(2000), 0) << "after a quiet period, at once";
}

TEST(RecentRequestIdsTest, RepeatIsRefusedFailureReleasesOldestForgotten) {
  RecentRequestIds ids(3);
  EXPECT_TRUE(ids.claim("a"));
  EXPECT_FALSE(ids.claim("a"));
  ids.release("a");
  EXPECT_TRUE(ids.claim("a"));
  EXPECT_TRUE(ids.claim("b"));
  EXPECT_TRUE(ids.claim("c"));
  EXPECT_TRUE(ids.claim("d"));  // forgets "a"
  EXPECT_EQ(ids.size(), 3u);
  EXPECT_FALSE(ids.contains("a"));
  EXPECT_TRUE(ids.claim("a"));
  EXPECT_FALSE(ids.claim("d"));
}

TEST(KeyNamesTest, MapsApplicationAndTmuxNames) {
  const std::pair<const char*, const char*> known[] = {
      {"enter", "Enter"}, {"Enter", "Enter"},   {"escape", "Escape"}, {"tab", "Tab"},
      {"backTab", "BTab"}, {"backspace", "BSpace"}, {"up", "Up"},   {"DOWN", "Down"},
      {"pageUp", "PPage"}, {"pageDown", "NPage"}, {"delete", "DC"},  {"home", "Home"},
      {"F1", "F1"},       {"f12", "F12"},       {"C-c", "C-c"},     {"M-Enter", "M-Enter"},
      {"C-M-x", "C-M-x"}, {"S-Tab", "S-Tab"},   {"space", "Space"},
  };
  for (const auto& [name, tmux] : known) EXPECT_EQ(KeyNames::toTmuxKey(name), tmux) << name;
  for (const char* unknown : {"", "hello", "a", "C-", "X-c", "F13", "C-hello", "Enter; rm"}) {
    EXPECT_EQ(KeyNames::toTmuxKey(unknown), std::nullopt) << unknown;
  }
}

TEST(AgentCatalogTest, ListsInstalledKindsAndObservedModels) {
  const auto kinds = AgentCatalog::discover(
      [](const std::string& exe) { return exe == "codex" || exe == "gemini-cli"; });
  ASSERT_EQ(kinds.size(), 3u);
  EXPECT_EQ(kinds[0].id, "codex");
  EXPECT_EQ(kinds[1].id, "gemini");
  EXPECT_EQ(kinds[2].id, "shell");
  EXPECT_EQ(AgentCatalog::agentConfig(kinds).agents[1], (control_plane::AgentConfigEntry{"gemini", "Gemini"}));

  const auto reply =
      AgentCatalog::modelCatalog(kinds, {{"codex", {{"gpt-5", "GPT-5"}}}, {"claude", {{"x", ""}}}});
  ASSERT_TRUE(reply.catalog);
  const auto& byKind = reply.catalog->kinds;
  EXPECT_FALSE(byKind.contains("shell"));
  EXPECT_FALSE(byKind.contains("claude")) << "not installed";
  ASSERT_EQ(byKind.at("codex").models.size(), 1u);
  const auto& model = byKind.at("codex").models[0];
  EXPECT_EQ(model.id, "gpt-5");
  EXPECT_EQ(model.displayName, "GPT-5");
  EXPECT_EQ(model.sources, std::vector<std::string>{"observed"});
  EXPECT_TRUE(byKind.at("gemini").models.empty());
}

TEST(RequestLineReaderTest, BoundsTheUnterminatedPart) {
  RequestLineReader reader(16);
  EXPECT_EQ(reader.push("{\"a\":1}\n{\"b\""), (std::vector<std::string>{"{\"a\":1}"}));
  EXPECT_EQ(reader.push(":2}\n"), (std::vector<std::string>{"{\"b\":2}"}));
  EXPECT_FALSE(reader.overflowed());
  // Complete lines in one large chunk are fine; only the unterminated tail counts.
  std::string many;
  for (int i = 0; i < 100; ++i) many += "{\"n\":1}\n";
  EXPECT_EQ(reader.push(many).size(), 100u);
  EXPECT_TRUE(reader.push(std::string(17, 'x')).empty());
  EXPECT_TRUE(reader.overflowed());
  EXPECT_TRUE(reader.push("\n{}\n").empty()) << "nothing after an overflow";
}

}  // namespace
}  // namespace vesket::daemon
