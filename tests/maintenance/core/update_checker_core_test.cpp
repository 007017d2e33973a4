// The release catalog, the update verdict, the updater's markers and the installer's
// reading of the updater's progress and end.
#include <gtest/gtest.h>

#include "maintenance/core/release_catalog.h"
#include "maintenance/core/update_checker_core.h"

namespace vesket::maintenance {
namespace {

using Kind = UpdateResult::Kind;

struct ParseCase {
  const char* name;
  const char* catalog;
  std::int64_t ownBuild;
  UpdateResult expected;
  std::vector<std::string> logged;
};

TEST(UpdateParserTest, CatalogsGiveTheirVerdictAndLogWhatTheySkip) {
  const std::string base = "https://dl.example.org/downloads/";
  const std::vector<ParseCase> cases = {
      {"not JSON", "{nope", 1, UpdateResult::failed("Could not read the release catalog."), {}},
      {"top level object", R"({"version":"1"})", 1, UpdateResult::failed("No stable release found in the catalog."),
       {"release catalog: top-level JSON is not a decodable array — treating as empty"}},
      {"only beta", R"([{"version":"2","build":9,"channel":"beta","artifacts":[]}])", 1,
       UpdateResult::failed("No stable release found in the catalog."), {}},
      {"junk beside a good entry",
       R"([7, {"version":"2","channel":"stable","artifacts":[]}, {"build":"x"},
           {"version":"2.1","build":21,"channel":"stable","artifacts":[{"name":"a","filename":"v.tar.gz"}]}])",
       20, UpdateResult::updateAvailable("2.1", 21, base + "v.tar.gz"),
       {"release catalog: skipping entry at index 0 — not a JSON object",
        "release catalog: skipping malformed entry at index 1 (channel=stable)",
        "release catalog: skipping malformed entry at index 2 (channel=unknown)"}},
      {"highest build wins, first on a tie",
       R"([{"version":"a","build":5,"channel":"stable","artifacts":[]},
           {"version":"b","build":7,"channel":"stable","artifacts":[{"name":"n","filename":"b.tar.gz"}]},
           {"version":"c","build":7,"channel":"stable","artifacts":[{"name":"n","filename":"c.tar.gz"}]},
           {"version":"d","build":99,"channel":"beta","artifacts":[]}])",
       1, UpdateResult::updateAvailable("b", 7, base + "b.tar.gz"), {}},
      {"a .dmg is preferred",
       R"([{"version":"3","build":3,"channel":"stable","artifacts":[{"name":"s","filename":"x.sig"},{"name":"d","filename":"x.dmg"}]}])",
       1, UpdateResult::updateAvailable("3", 3, base + "x.dmg"), {}},
      {"no artifact at all", R"([{"version":"3","build":3,"channel":"stable","artifacts":[]}])", 2,
       UpdateResult::updateAvailable("3", 3, base), {}},
      {"equal build is up to date", R"([{"version":"3","build":3,"channel":"stable","artifacts":[]}])", 3,
       UpdateResult::upToDate(3), {}},
      {"newer own build is up to date", R"([{"version":"3","build":3,"channel":"stable","artifacts":[]}])", 40,
       UpdateResult::upToDate(3), {}},
  };
  for (const auto& test : cases) {
    std::vector<std::string> logged;
    const auto result = UpdateParser::parse(test.catalog, test.ownBuild, " dl.example.org ",
                                            [&](const std::string& line) { logged.push_back(line); });
    EXPECT_EQ(result, test.expected) << test.name << ": " << result.message;
    EXPECT_EQ(logged, test.logged) << test.name;
  }
}

TEST(UpdateParserTest, AddressesUseTheDefaultHostForAnEmptyOne) {
  const std::string host(UpdateParser::defaultHost());
  ASSERT_FALSE(host.empty());
  EXPECT_EQ(UpdateParser::releasesURLString("  "), "https://" + host + "/downloads/releases.json");
  EXPECT_EQ(UpdateParser::releasesURLString("h.example"), "https://h.example/downloads/releases.json");
  EXPECT_EQ(UpdateParser::downloadsBase(""), "https://" + host + "/downloads/");
  EXPECT_EQ(UpdateLabel::upToDate(42, "Up to date (build %1)"), "Up to date (build 42)");
  EXPECT_EQ(UpdateLabel::upToDate(7, "%ld / %ld"), "7 / 7");
}

TEST(ReleaseCatalogTest, PublishingReplacesTheSameBuildAndKeepsEverythingElse) {
  const ReleaseEntry first{"1.0", 10, "stable", {{"Vesket", "v10.tar.gz"}}};
  const ReleaseEntry second{"1.1", 11, "stable", {{"Vesket", "v11.tar.gz"}}};
  const ReleaseEntry rebuilt{"1.1", 11, "stable", {{"Vesket", "v11b.tar.gz"}}};
  std::string catalog = ReleaseCatalog::withEntry("", first);
  catalog = ReleaseCatalog::withEntry(catalog, second);
  // An element a newer publisher wrote that this one does not understand survives.
  catalog.insert(catalog.find('[') + 1, "{\"future\":true},");
  catalog = ReleaseCatalog::withEntry(catalog, rebuilt);
  std::vector<std::string> logged;
  const auto decoded = ReleaseCatalog::decode(catalog, [&](const std::string& line) { logged.push_back(line); });
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, (std::vector<ReleaseEntry>{first, rebuilt}));
  EXPECT_EQ(logged.size(), 1u);
  EXPECT_EQ(ReleaseCatalog::decode(ReleaseCatalog::withEntry("{\"not\":\"a list\"}", first), {}),
            (std::vector<ReleaseEntry>{first}));
}

TEST(UpdateMarkersTest, PendingRestartTargetsAndTheirVerdicts) {
  EXPECT_EQ(PendingRestartMarker::path("/h/.vesket"), "/h/.vesket/update-needs-restart");
  EXPECT_EQ(PendingRestartMarker::parseTargetBuild(" 123\n"), 123);
  for (const char* bad : {"", "  \n", "12a", "1 2", "0x10", "99999999999999999999999"}) {
    EXPECT_EQ(PendingRestartMarker::parseTargetBuild(bad), std::nullopt) << bad;
  }
  using V = PendingRestartVerdict;
  EXPECT_EQ(PendingRestartVerification::verdict(5, std::nullopt), V::unknownTarget);
  EXPECT_EQ(PendingRestartVerification::verdict(5, PendingRestartMarker::parseTargetBuild("")), V::unknownTarget);
  EXPECT_EQ(PendingRestartVerification::verdict(5, 6), V::stillPending);
  EXPECT_EQ(PendingRestartVerification::verdict(6, 6), V::verifiedOnTarget);
  EXPECT_EQ(PendingRestartVerification::verdict(7, 6), V::verifiedOnTarget);
}

TEST(UpdateMarkersTest, PermissionLossAndFullDiskAccessMarkersDecodeOrReadAsNothing) {
  EXPECT_EQ(PermissionLossMarker::path("/h"), "/h/permission-lost-on-update.json");
  EXPECT_EQ(PermissionLossMarker::decode(R"({"lost":["Accessibility","Automation"]})"),
            (std::vector<std::string>{"Accessibility", "Automation"}));
  for (const char* bad : {"", "[]", R"({"lost":"x"})", R"({"lost":[1]})", R"({})"}) {
    EXPECT_TRUE(PermissionLossMarker::decode(bad).empty()) << bad;
  }
  EXPECT_EQ(FdaNeededMarker::markerPath("/h/"), "/h/fda-needed.json");
  const auto marker = FdaNeededMarker::decode(R"({"paneId":"%3","path":"/p","ts":17.5})");
  EXPECT_EQ(marker, (FdaNeededMarker{"%3", "/p", 17.5}));
  EXPECT_NE(marker, (FdaNeededMarker{"%3", "/p", 18}));
  for (const char* bad : {"x", R"({"paneId":"%3","path":"/p"})", R"({"paneId":3,"path":"/p","ts":1})"}) {
    EXPECT_EQ(FdaNeededMarker::decode(bad), std::nullopt) << bad;
  }
}

TEST(InstallProgressTest, PercentagesWatchdogAndTheUpdatersEnd) {
  const std::vector<std::pair<const char*, std::optional<double>>> lines = {
      {"downloading 42% (4.2 MiB of 10 MiB)", 0.42}, {"12.5%", 0.125}, {"done 100%", 1.0},
      {"odd 250%", 1.0},  {"no number %", std::nullopt}, {"verifying the signature", std::nullopt},
      {"% then 7%", 0.07}, {".%", std::nullopt}};
  for (const auto& [line, expected] : lines) {
    const auto parsed = InstallProgress::parsePercent(line);
    ASSERT_EQ(parsed.has_value(), expected.has_value()) << line;
    if (parsed) {
      EXPECT_DOUBLE_EQ(*parsed, *expected) << line;
    }
  }
  EXPECT_TRUE(InstallWatchdog::shouldResolveToPendingRestart(true, 0, 10));
  EXPECT_TRUE(InstallWatchdog::shouldResolveToPendingRestart(false, 10, 10));
  EXPECT_FALSE(InstallWatchdog::shouldResolveToPendingRestart(false, 9.9, 10));

  using O = UpdaterExit::Outcome;
  EXPECT_EQ(UpdaterExit::classify(0, "vesket: Already on build 5"), O::upToDate);
  EXPECT_EQ(UpdaterExit::classify(0, "all up to date"), O::upToDate);
  EXPECT_EQ(UpdaterExit::classify(0, "installed build 6"), O::pendingRestart);
  EXPECT_EQ(UpdaterExit::classify(3, "up to date"), O::failed);
  EXPECT_EQ(UpdaterExit::failureOutput(4, {}, {}), "Update failed (exit 4)");
  EXPECT_EQ(UpdaterExit::failureOutput(1, {"a", "b"}, {"c"}), "a\nb\nc");
  EXPECT_TRUE(UpdaterExit::isPermsError("cannot chown x"));
  EXPECT_TRUE(UpdaterExit::isPermsError("No write permission"));
  EXPECT_FALSE(UpdaterExit::isPermsError("signature does not verify"));
}

}  // namespace
}  // namespace vesket::maintenance
