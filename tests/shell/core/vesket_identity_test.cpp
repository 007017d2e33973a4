#include "shell/core/vesket_identity.h"

#include <gtest/gtest.h>

#include <vector>

#include "shell/core/identity_record.h"
#include "shell/core/warning_latch.h"

namespace vesket::shell {
namespace {

HostFacts host(Environment environment, bool testProgram = false) {
  return HostFacts{std::move(environment), "/home/ada", testProgram};
}

TEST(VesketIdentity, EnvironmentHomeChoices) {
  struct Case {
    Environment environment;
    std::string derived;
    std::optional<std::string> explicitHome;
    std::string product = "";  // productHome: the derived home, never empty
  };
  const std::vector<Case> cases = {
      {{}, "/home/ada/.vesket", std::nullopt, "/home/ada/.vesket"},
      {{{"VESKET_HOME", "/v"}}, "/v", "/v", "/v"},
      {{{"DURNVALE_HOME", "/d"}}, "/d", "/d", "/d"},
      {{{"VESKET_HOME", "/v"}, {"DURNVALE_HOME", "/d"}}, "/v", "/v", "/v"},
      // An empty VESKET_HOME is still the derived home, but not an explicit one.
      {{{"VESKET_HOME", ""}, {"DURNVALE_HOME", "/d"}}, "", "/d", "/home/ada/.vesket"},
      {{{"VESKET_HOME", ""}}, "", std::nullopt, "/home/ada/.vesket"},
      {{{"DURNVALE_HOME", ""}}, "", std::nullopt, "/home/ada/.vesket"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VesketIdentity::envDerivedHome(host(c.environment)), c.derived);
    EXPECT_EQ(VesketIdentity::explicitEnvHome(c.environment), c.explicitHome);
    EXPECT_EQ(VesketIdentity::productHome(host(c.environment)), c.product);
  }
}

TEST(VesketIdentity, TestHostAndIsolation) {
  EXPECT_FALSE(VesketIdentity::isRunningInTestHost(host({})));
  EXPECT_TRUE(VesketIdentity::isRunningInTestHost(host({}, /*testProgram=*/true)));
  for (const auto variable : VesketIdentity::testHostVariables) {
    EXPECT_TRUE(VesketIdentity::isRunningInTestHost(host({{std::string(variable), ""}})));
  }
  EXPECT_FALSE(VesketIdentity::shouldUseTestEnvironmentIsolation(host({{"VESKET_DESKTOP_ISOLATED", "true"}})));
  EXPECT_FALSE(VesketIdentity::shouldUseTestEnvironmentIsolation(host({{"VESKET_DESKTOP_ISOLATED", "0"}})));
  EXPECT_TRUE(VesketIdentity::shouldUseTestEnvironmentIsolation(host({{"VESKET_DESKTOP_ISOLATED", "1"}})));
  EXPECT_TRUE(VesketIdentity::shouldUseTestEnvironmentIsolation(host({}, true)));
}

TEST(VesketIdentity, ProvisioningTargetIsRedirected) {
  EXPECT_FALSE(VesketIdentity::provisioningTargetIsRedirected(host({}), "/anything"));
  EXPECT_FALSE(VesketIdentity::provisioningTargetIsRedirected(host({{"VESKET_HOME", ""}}), "/x"));
  const auto redirected = host({{"VESKET_HOME", "~/iso/./home/"}});
  EXPECT_FALSE(VesketIdentity::provisioningTargetIsRedirected(redirected, "/home/ada//iso/home"));
  EXPECT_TRUE(VesketIdentity::provisioningTargetIsRedirected(redirected, "/home/ada/.vesket"));
}

TEST(VesketIdentity, ProvisioningPermitted) {
  struct Case {
    const char* name;
    HostFacts host;
    const char* home;
    const char* realHome;
    bool permitted;
  };
  const Environment isolated{{"VESKET_DESKTOP_ISOLATED", "1"}, {"VESKET_HOME", "/iso"}};
  const std::vector<Case> cases = {
      {"normal, no explicit home", host({}), "/home/ada/.vesket", "/home/ada/.vesket", true},
      {"isolated, no explicit home", host({{"VESKET_DESKTOP_ISOLATED", "1"}}), "/iso", "/r", false},
      {"test host, no explicit home", host({}, true), "/home/ada/.vesket", "/r", false},
      {"explicit home elsewhere", host({{"VESKET_HOME", "/a"}}), "/b", "/b", false},
      {"explicit home matches", host({{"VESKET_HOME", "/a/"}}), "/a/x/..", "/a", true},
      {"legacy explicit home matches", host({{"DURNVALE_HOME", "/a"}}), "/a", "/a", true},
      {"isolated, own home", host(isolated), "/iso", "/home/ada/.vesket", true},
      {"isolated, home is the real home", host({{"VESKET_DESKTOP_ISOLATED", "1"},
                                                {"VESKET_HOME", "~/.vesket"}}),
       "/home/ada/.vesket", "~/.vesket/", false},
      {"test host, own home", host({{"VESKET_HOME", "/t"}}, true), "/t", "/home/ada/.vesket", true},
      {"test host, real home", host({{"VESKET_HOME", "/t"}}, true), "/t", "/t", false},
      {"XCTest variable, real home",
       host({{"XCTestBundlePath", "x"}, {"VESKET_HOME", "/t"}}), "/t", "/t/", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VesketIdentity::provisioningPermitted(c.host, c.home, c.realHome), c.permitted)
        << c.name;
  }
}

// Fake file and process table for resolveHome.
struct FakeHost {
  std::optional<std::string> file;
  PidProbe probeResult = PidProbe::exists;
  std::vector<std::string> readPaths;
  std::vector<std::int32_t> probedPids;

  IdentitySources sources() {
    return {[this](const std::string& path) {
              readPaths.push_back(path);
              return file;
            },
            [this](std::int32_t pid) {
              probedPids.push_back(pid);
              return probeResult;
            }};
  }
};

std::string record(std::string_view home, std::optional<std::int64_t> pid) {
  return IdentityRecord{std::string(home), "install", pid, 1.0}.encode();
}

TEST(VesketIdentityResolveHome, NoEnvironmentAndNoFile) {
  FakeHost fake;
  EXPECT_EQ(VesketIdentity::resolveHome(host({}), fake.sources()),
            (HomeResolution{"/home/ada/.vesket", std::nullopt}));
  EXPECT_EQ(fake.readPaths, std::vector<std::string>{"/home/ada/.vesket-daemon-identity.json"});
}

TEST(VesketIdentityResolveHome, LiveDaemonWithAnotherHomeWins) {
  FakeHost fake{record("/srv/daemon-home", 77)};
  const auto resolution = VesketIdentity::resolveHome(host({{"VESKET_HOME", "/mine"}}), fake.sources());
  EXPECT_EQ(resolution.home, "/srv/daemon-home");
  ASSERT_TRUE(resolution.disagreement);
  EXPECT_EQ(resolution.disagreement->key(), "/mine /srv/daemon-home");
  EXPECT_EQ(resolution.disagreement->warningLine(),
            "[vesket] WARNING: this app's own env-derived Vesket home ('/mine') disagrees with "
            "the running daemon's published home ('/srv/daemon-home', from "
            "/home/ada/.vesket-daemon-identity.json) \xE2\x80\x94 preferring the daemon's "
            "published value.\n");
  EXPECT_EQ(fake.probedPids, std::vector<std::int32_t>{77});
}

TEST(VesketIdentityResolveHome, PermissionDeniedMeansAlive) {
  FakeHost fake{record("/other", 1), PidProbe::permissionDenied};
  EXPECT_EQ(VesketIdentity::resolveHome(host({}), fake.sources()).home, "/other");
}

TEST(VesketIdentityResolveHome, FallsBackToTheEnvironment) {
  struct Case {
    const char* name;
    std::optional<std::string> file;
    PidProbe probe;
    bool probed;
  };
  const std::vector<Case> cases = {
      {"dead pid", record("/other", 77), PidProbe::noSuchProcess, true},
      {"no pid", record("/other", std::nullopt), PidProbe::exists, false},
      {"pid zero", record("/other", 0), PidProbe::exists, false},
      {"negative pid", record("/other", -5), PidProbe::exists, false},
      // 2^32 + 1 would become pid 1 if it were truncated to 32 bits.
      {"pid beyond 32 bits", record("/other", 4294967297), PidProbe::exists, false},
      {"pid just beyond int32", record("/other", 2147483648), PidProbe::exists, false},
      {"empty home", record("", 77), PidProbe::exists, false},
      {"malformed file", std::string("{\"home\": \"/other\", "), PidProbe::exists, false},
      {"same home as the environment", record("/mine", 77), PidProbe::exists, true},
  };
  for (const auto& c : cases) {
    FakeHost fake{c.file, c.probe};
    EXPECT_EQ(VesketIdentity::resolveHome(host({{"VESKET_HOME", "/mine"}}), fake.sources()),
              (HomeResolution{"/mine", std::nullopt}))
        << c.name;
    EXPECT_EQ(fake.probedPids.size(), c.probed ? 1u : 0u) << c.name;
  }
}

TEST(VesketIdentityResolveHome, IsolationIgnoresTheIdentityFile) {
  for (const auto& facts : {host({{"VESKET_DESKTOP_ISOLATED", "1"}, {"VESKET_HOME", "/iso"}}),
                            host({{"VESKET_HOME", "/t"}}, /*testProgram=*/true),
                            host({{"XCTestSessionIdentifier", "s"}})}) {
    FakeHost fake{record("/srv/daemon-home", 77)};
    const auto resolution = VesketIdentity::resolveHome(facts, fake.sources());
    EXPECT_EQ(resolution.home, VesketIdentity::envDerivedHome(facts));
    EXPECT_TRUE(fake.readPaths.empty());
    EXPECT_TRUE(fake.probedPids.empty());
  }
}

TEST(VesketIdentityResolveHome, ComparesHomesExactly) {
  // The environment's "/mine/" is not the published "/mine": the published one wins.
  FakeHost fake{record("/mine", 77)};
  const auto resolution = VesketIdentity::resolveHome(host({{"VESKET_HOME", "/mine/"}}), fake.sources());
  EXPECT_EQ(resolution.home, "/mine");
  EXPECT_TRUE(resolution.disagreement);
}

TEST(WarningLatch, WritesOncePerDistinctKey) {
  WarningLatch latch;
  EXPECT_TRUE(latch.shouldWrite("a b"));
  EXPECT_FALSE(latch.shouldWrite("a b"));
  EXPECT_TRUE(latch.shouldWrite("a c"));
  EXPECT_TRUE(latch.shouldWrite("a b"));  // only the last key is remembered
  EXPECT_FALSE(latch.shouldWrite("a b"));
  WarningLatch fresh;
  EXPECT_TRUE(fresh.shouldWrite(""));
  EXPECT_FALSE(fresh.shouldWrite(""));
}

}  // namespace
}  // namespace vesket::shell
