#include "supervision/core/daemon_provision_core.h"

#include <gtest/gtest.h>

#include "supervision/core/daemon_status_snapshot.h"

namespace vesket::supervision {
namespace {

using DaemonProvision::Action;
using DaemonProvision::Failure;
using DaemonProvision::VersionFacts;

TEST(DaemonProvisionAction, DecisionTable) {
  struct Case {
    bool installed, embedded, installedTrusted, embeddedTrusted, differ, older, pin;
    Action expected;
  };
  const Case cases[] = {
      // Both trusted, no pin: replace a different, not older build; keep otherwise.
      {true, true, true, true, true, false, false, Action::replaceWithEmbedded(false)},
      {true, true, true, true, true, true, false, Action::keepInstalled()},
      {true, true, true, true, false, false, false, Action::keepInstalled()},
      // A pin on a trusted installed daemon keeps it even when the embedded build is newer.
      {true, true, true, true, true, false, true, Action::keepInstalled()},
      // An untrusted installed daemon is replaced whatever its age, pinned or not.
      {true, true, false, true, true, true, false, Action::replaceWithEmbedded(true)},
      {true, true, false, true, true, false, true, Action::replaceWithEmbedded(true)},
      // Nothing installed: install a trusted embedded build, refuse an untrusted one.
      {false, true, false, true, false, false, false, Action::installEmbedded()},
      {false, true, false, false, false, false, false, Action::fail(Failure::embeddedUntrusted)},
      // A tampered embedded build never replaces anything, trusted or not.
      {true, true, true, false, true, false, false, Action::fail(Failure::embeddedUntrusted)},
      {true, true, false, false, true, false, false, Action::fail(Failure::embeddedUntrusted)},
      {true, false, true, false, false, false, false, Action::fail(Failure::embeddedMissing)},
      {false, false, false, false, false, false, false, Action::fail(Failure::embeddedMissing)},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    EXPECT_EQ(DaemonProvision::action(c.installed, c.embedded, c.installedTrusted, c.embeddedTrusted, c.differ,
                                      c.older, c.pin),
              c.expected)
        << "case " << i;
  }
}

TEST(DaemonProvisionAction, RestartPlanNeverReplacesARunningDaemonWithoutATransaction) {
  using Kind = DaemonProvision::RestartPlan::Kind;
  EXPECT_EQ(DaemonProvision::restartPlan(false, std::nullopt).kind, Kind::installService);
  EXPECT_EQ(DaemonProvision::restartPlan(false, "/h/bin/.vesket.restart-tx.1").kind, Kind::installService);
  EXPECT_EQ(DaemonProvision::restartPlan(true, "/h/bin/.vesket.restart-tx.1"),
            (DaemonProvision::RestartPlan{Kind::transaction, "/h/bin/.vesket.restart-tx.1"}));
  EXPECT_EQ(DaemonProvision::restartPlan(true, "").kind, Kind::refuse);
  EXPECT_EQ(DaemonProvision::restartPlan(true, std::nullopt).kind, Kind::refuse);
}

TEST(DaemonProvisionFailure, TextsTitlesAndPresentation) {
  const std::string notRunning = "daemon_provision_failure.title.not_running";
  struct Row {
    Failure failure;
    const char* raw;
    std::string title;
    bool shown;
    const char* disposition;
  };
  const Row rows[] = {
      {Failure::embeddedMissing, "embeddedMissing", notRunning, true, "userAlert"},
      {Failure::embeddedUntrusted, "embeddedUntrusted", notRunning, true, "userAlert"},
      {Failure::replacementFailed, "replacementFailed", notRunning, true, "userAlert"},
      {Failure::sidecarSyncFailed, "sidecarSyncFailed", notRunning, false, "nonBlockingDiagnostic"},
      {Failure::replacementRolledBack, "replacementRolledBack",
       "daemon_provision_failure.title.previous_daemon_restored", true, "userAlert"},
      {Failure::liveReplaceRefused, "liveReplaceRefused", "daemon_provision_failure.title.running_daemon_kept", true,
       "userAlert"},
      {Failure::testHostRefused, "testHostRefused", notRunning, false, "diagnosticOnly"},
      {Failure::redirectedHomeRefused, "redirectedHomeRefused", notRunning, false, "diagnosticOnly"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DaemonProvision::rawValue(row.failure), row.raw);
    EXPECT_EQ(DaemonProvision::failureFromRawValue(row.raw), row.failure);
    EXPECT_EQ(DaemonProvision::presentationTitleKey(row.failure), row.title) << row.raw;
    EXPECT_EQ(DaemonProvision::shouldPresentToUser(row.failure), row.shown) << row.raw;
    EXPECT_EQ(DaemonProvision::disposition(row.failure), row.disposition) << row.raw;
  }
  EXPECT_FALSE(DaemonProvision::failureFromRawValue("other"));
  EXPECT_EQ(DaemonProvision::failureReason(Failure::replacementRolledBack),
            "Vesket installed a new daemon but it did not stay running, so the previous daemon was restored.");
  EXPECT_EQ(DaemonProvision::failureReason(Failure::embeddedUntrusted),
            "The daemon inside this copy of Vesket failed Developer ID verification.");
}

TEST(DaemonProvisionVersion, ParsesFactsAndJudgesAge) {
  const auto facts = VersionFacts::parse("vesket 0.1.0+144\nbuilt: 2026-12-06T17:17:45Z\ncommits: 144\nsha: abc\n");
  EXPECT_EQ(facts, (VersionFacts{"2026-12-06T17:17:45Z", 144, "abc"}));
  EXPECT_EQ(VersionFacts::parse("sha: unknown\ncommits: x\n"), VersionFacts{});

  const VersionFacts old{"2026-01-01T00:00:00Z", 100, "aaa"};
  const VersionFacts newer{"2026-02-01T00:00:00Z", 120, "bbb"};
  EXPECT_TRUE(DaemonProvision::embeddedBuildIsOlder(newer, old));
  EXPECT_FALSE(DaemonProvision::embeddedBuildIsOlder(old, newer));
  // Equal counts: a missing hash keeps what is installed; equal hashes are not older;
  // different hashes fall through to the timestamps.
  EXPECT_TRUE(DaemonProvision::embeddedBuildIsOlder({std::nullopt, 100, std::nullopt}, {std::nullopt, 100, "x"}));
  EXPECT_FALSE(DaemonProvision::embeddedBuildIsOlder({"2026-02-01", 100, "x"}, {"2026-01-01", 100, "x"}));
  EXPECT_TRUE(DaemonProvision::embeddedBuildIsOlder({"2026-02-01", 100, "x"}, {"2026-01-01", 100, "y"}));
  EXPECT_FALSE(DaemonProvision::embeddedBuildIsOlder({"2026-01-01", 100, "x"}, {"2026-02-01", 100, "y"}));
  // A count missing: timestamps decide, and unknown timestamps are not older.
  EXPECT_TRUE(DaemonProvision::embeddedBuildIsOlder({"2026-02-01", std::nullopt, "x"}, {"2026-01-01", 5, "y"}));
  EXPECT_FALSE(DaemonProvision::embeddedBuildIsOlder({std::nullopt, std::nullopt, "x"}, {"2026-01-01", 5, "y"}));
}

TEST(DaemonProvisionPin, ActiveOnlyForAWellFormedDigestOfTheInstalledDaemon) {
  const std::string digest(64, 'a');
  EXPECT_EQ(DaemonProvision::activeRollbackPin(digest + "\n", digest), digest);
  EXPECT_FALSE(DaemonProvision::activeRollbackPin(digest, std::string(64, 'b')));
  EXPECT_FALSE(DaemonProvision::activeRollbackPin(std::string(64, 'A'), std::string(64, 'A')));
  EXPECT_FALSE(DaemonProvision::activeRollbackPin(digest.substr(1), digest.substr(1)));
  EXPECT_FALSE(DaemonProvision::activeRollbackPin("", ""));
  EXPECT_EQ(DaemonProvision::shortDigestHex(digest), std::string(12, 'a'));
  const auto notice = DaemonProvision::untrustedReplacementNotice("/h/bin/vesket", std::nullopt, "/app/vesket", "0123");
  EXPECT_EQ(notice.substr(0, 70), "Vesket found an UNSIGNED daemon at /h/bin/vesket (sha256 unreadable) a");
  EXPECT_NE(notice.find("signed build at /app/vesket (0123) \u2014 an untrusted binary"), std::string::npos);
}

TEST(DaemonProvisionWaits, ReadinessGateAndAttempts) {
  using R = DaemonSocketReadiness::Kind;
  EXPECT_EQ(DaemonSocketReadiness::decide(false, true), R::notRunning);
  EXPECT_EQ(DaemonSocketReadiness::decide(true, true), R::ready);
  EXPECT_EQ(DaemonSocketReadiness::decide(true, false), R::waitAndRecheck);

  EXPECT_TRUE(DaemonReloadGate::mayReload(false, 0));
  EXPECT_FALSE(DaemonReloadGate::mayReload(true, 299.9));
  EXPECT_TRUE(DaemonReloadGate::mayReload(true, 300));
  EXPECT_TRUE(DaemonReloadGate::shouldRepair(false, 2));
  EXPECT_FALSE(DaemonReloadGate::shouldRepair(false, 3));
  EXPECT_FALSE(DaemonReloadGate::shouldRepair(true, 0));

  EXPECT_EQ(SocketReadinessWait::maxAttempts(std::nullopt), 10);
  EXPECT_EQ(SocketReadinessWait::maxAttempts(-1), 10);
  EXPECT_EQ(SocketReadinessWait::maxAttempts(29), 10);
  EXPECT_EQ(SocketReadinessWait::maxAttempts(3600), 10);
  EXPECT_EQ(SocketReadinessWait::maxAttempts(0), 100);
  EXPECT_EQ(SocketReadinessWait::maxAttempts(2), 94);

  using D = DaemonAutostart::Decision;
  EXPECT_EQ(DaemonAutostart::decide(true, 0), (D{D::Kind::converged, false}));
  EXPECT_EQ(DaemonAutostart::decide(false, 0), (D{D::Kind::retry, false}));
  EXPECT_EQ(DaemonAutostart::decide(false, 2), (D{D::Kind::retry, true}));
  EXPECT_EQ(DaemonAutostart::decide(false, 3), (D{D::Kind::giveUp, false}));
  EXPECT_EQ(DaemonAutostart::graceSeconds(0), 4.0);
  EXPECT_EQ(DaemonAutostart::graceSeconds(2), 6.0);
}

TEST(DaemonProvisionWaits, PidElapsedTime) {
  EXPECT_EQ(PidEtime::parseSeconds("01:02:03"), 3723);
  EXPECT_EQ(PidEtime::parseSeconds("  1-00:00:01\n"), 86401);
  EXPECT_EQ(PidEtime::parseSeconds("05:09"), 309);
  EXPECT_FALSE(PidEtime::parseSeconds("42"));
  EXPECT_FALSE(PidEtime::parseSeconds(""));
  EXPECT_FALSE(PidEtime::parseSeconds("1:2:3:4"));
  EXPECT_FALSE(PidEtime::parseSeconds("01:x2"));
  EXPECT_FALSE(PidEtime::parseSeconds("-01:02"));
}

TEST(RegistrationLatchTest, OneRegistrationAtATime) {
  RegistrationLatch latch;
  EXPECT_TRUE(latch.begin());
  EXPECT_FALSE(latch.begin());
  EXPECT_TRUE(latch.isInFlight());
  latch.end();
  EXPECT_TRUE(latch.begin());
  EXPECT_EQ(&RegistrationLatch::shared(), &RegistrationLatch::shared());
}

TEST(DaemonStatusSnapshotTest, ReadsTheStatusLines) {
  const auto snapshot = DaemonStatusSnapshot::parse(
      "launchd loaded : yes\npid : 77\npaired : no\nversion : 0.1.0+3\nautomation : granted\n"
      "accessibility : maybe\nfull disk access : denied\nios connected : no\nhome : /h\nbad line\n");
  EXPECT_TRUE(snapshot.isRunning);
  EXPECT_EQ(snapshot.pid, 77);
  EXPECT_EQ(snapshot.version, "0.1.0+3");
  EXPECT_EQ(snapshot.daemonAutomationGranted, true);
  EXPECT_EQ(snapshot.daemonAccessibilityGranted, std::nullopt);
  EXPECT_EQ(snapshot.daemonFullDiskAccessGranted, false);
  EXPECT_EQ(snapshot.daemonIosConnected, false);
  const auto bare = DaemonStatusSnapshot::parse("pid : 123\nversion : a : b\n");
  EXPECT_FALSE(bare.isRunning);
  EXPECT_EQ(bare.pid, 123);
  EXPECT_EQ(bare.version, "");
  EXPECT_FALSE(DaemonStatusSnapshot::parse("pid : none\n").pid);
}

}  // namespace
}  // namespace vesket::supervision
