#include "supervision/core/environment_readiness.h"

#include <gtest/gtest.h>

#include <set>

namespace vesket::supervision {
namespace {

TEST(SafePathProbeTest, CandidatesComeFirstWithoutDuplicates) {
  const auto dirs = SafePathProbe::candidateDirectories("/h", {"/h/.nvm/versions/node/v20"});
  EXPECT_EQ(dirs.front(), "/h/.local/bin");
  EXPECT_EQ(dirs.back(), "/h/.nvm/versions/node/v20/bin");
  EXPECT_EQ(SafePathProbe::augmentedPATH({"/a", "/b"}, "/login:/a::", "/usr/bin:/login:/b"), "/a:/b:/login:/usr/bin");

  const std::set<std::string> executables = {"/second/tool", "/third/tool"};
  const auto exists = [&](const std::string& path) { return executables.count(path) > 0; };
  EXPECT_EQ(SafePathProbe::executablePathWithoutProcess("tool", "/first::/second/:/third", exists), "/second/tool");
  EXPECT_FALSE(SafePathProbe::executablePathWithoutProcess("other", "/first:/second", exists));
  EXPECT_FALSE(SafePathProbe::executablePathWithoutProcess("../second/tool", "/first", exists));
}

TEST(ReadinessProbeTest, TmuxAndTheFirstAgentFound) {
  const auto with = [](std::set<std::string> names) {
    return [names](const std::string& name) { return names.count(name) > 0; };
  };
  EXPECT_EQ(MacReadinessProbe::probe(false, with({})), MacReadiness{});
  EXPECT_EQ(MacReadinessProbe::probe(true, with({})).tmuxInstalled, true);
  // A cursor tool installed only as "cursor-agent" counts under the name "cursor".
  EXPECT_EQ(MacReadinessProbe::probe(false, with({"tmux", "cursor-agent", "opencode"})),
            (MacReadiness{true, "cursor"}));
  EXPECT_EQ(MacReadinessProbe::probe(false, with({"opencode", "codex"})).agentCliFound, "codex");
}

TEST(ReadinessProbeTest, CrewDependencies) {
  const auto environment = [](std::set<std::string> onPath, bool bundledJq) {
    CrewDepsProbe::Environment env;
    env.resolve = [onPath](const std::string& name) -> std::optional<std::string> {
      if (!onPath.count(name)) return std::nullopt;
      return "/usr/bin/" + name;
    };
    env.bundledJqPath = [] { return std::optional<std::string>("/h/.vesket/bin/jq-bundled"); };
    env.crewScriptsUseBundledJq = [bundledJq] { return bundledJq; };
    env.isExecutable = [](const std::string&) { return true; };
    return env;
  };
  const auto all = CrewDepsProbe::probe(environment({"jq", "python3", "git"}, false));
  EXPECT_TRUE(all.ready());
  EXPECT_EQ(all.detailKey(), "checklist.row.crew_deps.detail.ready");
  EXPECT_EQ(CrewDepsProbe::probe(environment({"python3", "git"}, false)).detailKey(),
            "checklist.row.crew_deps.detail.jq_missing");
  EXPECT_TRUE(CrewDepsProbe::probe(environment({"python3", "git"}, true)).jqAvailable) << "the shipped jq counts";
  EXPECT_EQ(CrewDepsProbe::probe(environment({"jq", "git"}, false)).detailKey(),
            "checklist.row.crew_deps.detail.developer_tools_missing");
  EXPECT_EQ(CrewDepsProbe::probe(environment({"git"}, false)).detailKey(),
            "checklist.row.crew_deps.detail.both_missing");
}

TEST(PackageInstallPlanTest, OneClickOnlyOnDebianLikeSystemsWithPkexec) {
  const auto debian = OsRelease::parse("PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n");
  const auto ubuntu = OsRelease::parse("ID=ubuntu\nID_LIKE=debian\n");
  const auto fedora = OsRelease::parse("ID=fedora\n");
  const auto unknown = OsRelease::parse("ID='plan9'\n");
  EXPECT_EQ(debian.prettyName, "Debian GNU/Linux 12 (bookworm)");
  const auto plan = PackageInstallPlan::forPackages(ubuntu, {"tmux"}, true);
  EXPECT_TRUE(plan.oneClick);
  EXPECT_EQ(plan.arguments, (std::vector<std::string>{"pkexec", "apt-get", "install", "-y", "tmux"}));
  EXPECT_EQ(plan.copyableCommand, "sudo apt-get install -y tmux");
  EXPECT_FALSE(PackageInstallPlan::forPackages(debian, {"tmux"}, false).oneClick);
  const auto dnf = PackageInstallPlan::forPackages(fedora, {"fish", "starship"}, true);
  EXPECT_FALSE(dnf.oneClick);
  EXPECT_EQ(dnf.copyableCommand, "sudo dnf install -y fish starship");
  EXPECT_EQ(PackageInstallPlan::forPackages(unknown, {"tmux"}, true), PackageInstallPlan{})
      << "no command is made up for an unknown system";
}

TEST(EnvComponentsTest, HomebrewAndGhosttyDoNotApplyHere) {
  const auto components = EnvComponents::detect([](const std::string& id) { return id == "tmux"; },
                                                 [](const std::string& id) { return id == "fish"; });
  ASSERT_EQ(components.size(), 5u);
  EXPECT_EQ(components[0].id, "homebrew");
  EXPECT_EQ(components[0].state, EnvComponents::State::notApplicable);
  EXPECT_EQ(components[1].state, EnvComponents::State::installed);
  EXPECT_EQ(components[2].state, EnvComponents::State::notApplicable) << "starship is not packaged here";
  EXPECT_EQ(components[3].state, EnvComponents::State::willInstall);
  EXPECT_EQ(components[4].id, "ghostty");
  EXPECT_EQ(components[4].state, EnvComponents::State::notApplicable);
  EXPECT_EQ(EnvComponents::packagesToInstall(components), std::vector<std::string>{"fish"});
}

TEST(TmuxConfigurationTest, KeepsTheDaemonsHistoryLimitAndLoadsPluginsLast) {
  const std::string text = TmuxConfiguration::text();
  EXPECT_NE(text.find("set -g history-limit 3000\n"), std::string::npos);
  EXPECT_NE(text.find("bind | split-window -h -c '#{pane_current_path}'"), std::string::npos);
  const std::string last = text.substr(text.rfind('\n', text.size() - 2) + 1);
  EXPECT_EQ(last, "if-shell 'test -x ~/.tmux/plugins/tpm/tpm' \"run '~/.tmux/plugins/tpm/tpm'\"\n");
}

}  // namespace
}  // namespace vesket::supervision
