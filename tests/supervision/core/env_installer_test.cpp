#include "supervision/core/env_installer.h"

#include <gtest/gtest.h>

namespace vesket::supervision {
namespace {

std::vector<bool> doneFlags(const std::vector<EnvInstaller::StepStatus>& steps) {
  std::vector<bool> flags;
  for (const auto& step : steps) flags.push_back(step.done);
  return flags;
}

TEST(EnvInstallerTest, OutputLinesMarkStepsUpToTheNamedComponent) {
  struct Case {
    const char* line;
    std::vector<bool> after;  // starting from no step done
    bool changed;
  };
  const Case cases[] = {
      {"step 2/3 starship: ready", {true, true, false}, true},
      {"  STEP 1/3 TMUX: ready  ", {true, false, false}, true},
      {"step 3/3 fish: FAILED, it is still missing", {false, false, false}, false},
      {"starship is already installed at /usr/bin/starship", {false, false, false}, false},
      {"stepping through tmuxinator", {false, false, false}, false},
      {"done", {true, true, true}, true},
      {"all done here", {false, false, false}, false},
      {"", {false, false, false}, false},
  };
  for (const auto& c : cases) {
    auto steps = EnvInstaller::steps(true);
    EXPECT_EQ(EnvInstaller::applyLine(c.line, steps), c.changed) << c.line;
    EXPECT_EQ(doneFlags(steps), c.after) << c.line;
  }
  auto steps = EnvInstaller::steps(false);
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_TRUE(EnvInstaller::applyLine("step 2/2 starship: ready", steps));
  EXPECT_FALSE(EnvInstaller::applyLine("step 2/2 starship: ready", steps)) << "nothing changes twice";
  EXPECT_FALSE(EnvInstaller::applyLine("step 3/3 fish: ready", steps)) << "fish was not chosen";
}

TEST(EnvInstallerTest, ArgumentsDigestAndExitText) {
  EXPECT_EQ(EnvInstaller::arguments(false, false), std::vector<std::string>{"--yes"});
  EXPECT_EQ(EnvInstaller::arguments(true, true), (std::vector<std::string>{"--yes", "--with-fish", "--with-ghostty"}));
  const std::string digest(64, 'a');
  EXPECT_TRUE(EnvInstaller::digestMatches(digest, std::string(64, 'A')));
  EXPECT_FALSE(EnvInstaller::digestMatches(digest, std::string(64, 'b')));
  EXPECT_FALSE(EnvInstaller::digestMatches("", "")) << "an empty pin never matches";
  EXPECT_EQ(EnvInstaller::exitFailure(3),
            (shell::LocalisedText{"macos.environment_installer.installer_exited_with_status", {"3"}, std::nullopt}));
}

TEST(DetectionCacheTest, RoundTripsAndRefusesWhatItDidNotWrite) {
  const auto components = EnvComponents::detect([](const std::string& id) { return id == "tmux"; },
                                                [](const std::string& id) { return id == "fish"; });
  const DetectionCache cache{1700000000000, components};
  const auto decoded = DetectionCache::decode(cache.encode());
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, cache) << "including why a component does not apply";

  const char* bad[] = {
      "",
      "[]",
      R"({"ts": 1})",
      R"({"ts": "1", "components": {}})",
      R"({"ts": 1, "components": {"tmux": "installed"}})",
      R"({"ts": 1, "components": {"homebrew": "notApplicable", "tmux": "installed", "starship": "willInstall",
          "fish": "maybe", "ghostty": "notApplicable"}})",
      R"({"ts": 1, "components": {"homebrew": "notApplicable", "tmux": "installed", "starship": "willInstall",
          "fish": "installed", "ghostty": "notApplicable", "emacs": "installed"}})",
  };
  for (const char* text : bad) EXPECT_FALSE(DetectionCache::decode(text)) << text;
}

}  // namespace
}  // namespace vesket::supervision
