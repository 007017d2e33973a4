#include "crew/core/task_router.h"

#include <gtest/gtest.h>

#include "crew/core/tag_pool.h"
#include "crew/core/window_name.h"

namespace vesket::crew {
namespace {

using D = RoutingDifficulty;

TEST(TaskRouterTest, BriefsSayHowHardAndWhatKindOfWork) {
  struct Case {
    const char* brief;
    D difficulty;
    std::optional<TagKey> tag;
  };
  const Case cases[] = {
      {"why does the importer crash on empty files", D::standard, TagKey::rca},
      {"fix a typo in the readme", D::light, TagKey::codegen},
      {"[heavy] redesign the cache", D::heavy, TagKey::design},
      {"Resolve the merge conflict in main.cpp", D::standard, TagKey::merge},
      {"deploy 3f2a to staging and restart", D::standard, TagKey::deploy},
      {"run the tests and report", D::standard, TagKey::verify},
      {"difficulty:light class:docs anything", D::light, TagKey::design},
      {"tag:sweep difficulty:heavy rename the logger everywhere", D::heavy, TagKey::sweep},
      {"difficulty:impossible", D::standard, std::nullopt},
      {"", D::standard, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto profile = TaskProfile::of(c.brief);
    EXPECT_EQ(profile.difficulty, c.difficulty) << c.brief;
    EXPECT_EQ(profile.tag, c.tag) << c.brief;
  }
}

TEST(TaskRouterTest, WorkersAreChosenByWeightDifficultyAndFit) {
  RoutingConfig config = RoutingConfig::defaults("p");  // claude 50 heavy, cursor 25 heavy, codex disabled
  const std::vector<RoutableWorker> team = {
      {"%1", "codex"}, {"%2", "cursor"}, {"%3", "claude"}, {"%4", "claude"}, {"%5", "shell"}};
  const TaskProfile standard{D::standard, std::nullopt};
  EXPECT_EQ(chooseWorker(config, team, standard).paneId, "%3") << "highest weight, first in order";

  auto busy = team;
  busy[2].busy = true;
  busy[3].busy = true;
  EXPECT_EQ(chooseWorker(config, busy, standard).paneId, "%2") << "claude workers busy: cursor";
  busy[1].busy = true;
  EXPECT_EQ(chooseWorker(config, busy, standard).paneId, "%5") << "only the unconfigured shell is left";
  busy[4].busy = true;
  const auto nobody = chooseWorker(config, busy, standard);
  EXPECT_FALSE(nobody.paneId) << "a disabled codex never takes a task";
  EXPECT_NE(nobody.reason.find("enabled"), std::string::npos);
  for (auto& worker : busy) worker.busy = true;
  EXPECT_NE(chooseWorker(config, busy, standard).reason.find("busy"), std::string::npos);

  config.agents["codex"] = {90, D::standard, true};
  EXPECT_EQ(chooseWorker(config, team, standard).paneId, "%1");
  EXPECT_EQ(chooseWorker(config, team, TaskProfile{D::heavy, std::nullopt}).paneId, "%3") << "codex tops at standard";

  // Equal weights: the main kind wins.
  config.agents["cursor"] = {90, D::heavy, true};
  config.main = "cursor";
  EXPECT_EQ(chooseWorker(config, team, standard).paneId, "%2");

  // Capability fit: a class of work its preferred kind takes over weights.
  config = RoutingConfig::defaults("p");
  config.agents["agy"] = {1, D::heavy, true};
  const std::vector<RoutableWorker> mixed = {{"%1", "claude"}, {"%2", "agy"}};
  const TaskProfile release{D::standard, TagKey::release};
  EXPECT_EQ(chooseWorker(config, mixed, release).paneId, "%1") << "fit is off by default";
  config.capabilityFitEnabled = true;
  EXPECT_EQ(chooseWorker(config, mixed, release).paneId, "%2");
}

TEST(TaskRouterTest, TagVocabularyIsCompleteAndOrdered) {
  const auto& keys = TagPoolRegistry::orderedKeys();
  ASSERT_EQ(keys.size(), 8u);
  EXPECT_EQ(tagKeyRaw(keys.front()), "design");
  EXPECT_EQ(tagKeyRaw(keys.back()), "verify");
  for (const TagKey key : keys) {
    EXPECT_EQ(TagPoolRegistry::record(key).key, key);
    EXPECT_EQ(tagKeyFromRaw(tagKeyRaw(key)), key);
    EXPECT_FALSE(TagPoolRegistry::record(key).preferredKinds.empty());
  }
  EXPECT_EQ(TagPoolRegistry::record(TagKey::rca).label, "Root-cause analysis");
  EXPECT_EQ(TagPoolRegistry::record(TagKey::rca).preferredKinds.front(), PreferredAgentKind::fable);
  EXPECT_FALSE(tagKeyFromRaw("Design"));
  EXPECT_EQ(DefaultTagForClass::tag(std::string("bugfix")), TagKey::rca);
  EXPECT_EQ(DefaultTagForClass::tag(std::string("refactor")), TagKey::codegen);
  EXPECT_EQ(DefaultTagForClass::tag(std::string("test")), TagKey::verify);
  EXPECT_FALSE(DefaultTagForClass::tag(std::string("chore")));
  EXPECT_FALSE(DefaultTagForClass::tag(std::nullopt));
}

TEST(TaskRouterTest, WindowNamesAreCheckedForLengthAndCharacters) {
  struct Case {
    std::string name;
    std::optional<std::string> error;
  };
  const Case cases[] = {
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"Alpha team", std::nullopt},
      {std::string(40, 'a'), std::nullopt},
      {std::string(41, 'a'), "window.name.length_error"},
      {"  " + std::string(40, 'a') + "  ", std::nullopt},
      {"\xed\x8c\x80 \xe5\x9b\xa2\xe9\x98\x9f", std::nullopt},  // Korean and Chinese letters
      {"a:b", "window.name.characters_error"},
      {"v1.2", "window.name.characters_error"},
      {"x$(y)", "window.name.characters_error"},
      {"tab\there", "window.name.characters_error"},
      {"bad\xff", "window.name.characters_error"},
      {"100%", "window.name.characters_error"},
      {"a-b_c d", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(WindowName::error(c.name), c.error) << c.name;
}

}  // namespace
}  // namespace vesket::crew
