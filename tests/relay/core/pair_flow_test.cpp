#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "relay/core/account_registration_policy.h"
#include "relay/core/pair_flow.h"

namespace vesket::relay {
namespace {

using Kind = PairFlowStepStatus::Kind;

TEST(PairFlowTest, TheChecklistFollowsPairingTheDaemonAndTheConnection) {
  PairFlowSnapshot serving;
  serving.daemonRunning = serving.hasTmux = serving.isActivelyServing = true;
  auto steps = PairFlow::evaluate(serving);
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_EQ(steps[0], (PairFlowStepResult{PairFlowStepID::pair, {Kind::active}, PairFlowReason::none}));
  EXPECT_EQ(steps[1].status.kind, Kind::pending);
  EXPECT_EQ(steps[2].status.kind, Kind::done);
  EXPECT_EQ(steps[3], (PairFlowStepResult{PairFlowStepID::connected, {Kind::done}, PairFlowReason::none}));
  // A known connection state wins over serving.
  serving.iosConnected = false;
  EXPECT_EQ(PairFlow::evaluate(serving)[3].status.kind, Kind::active);

  PairFlowSnapshot failed;
  failed.pairingFailed = true;
  steps = PairFlow::evaluate(failed);
  EXPECT_EQ(steps[0].status, PairFlowStepStatus::failed(PairFlowReason::qrExpired));
  EXPECT_EQ(steps[0].reason, PairFlowReason::qrExpired);
  EXPECT_EQ(steps[2], (PairFlowStepResult{PairFlowStepID::daemonReady, {Kind::active}, PairFlowReason::waitingForDaemonStart}));
  EXPECT_EQ(steps[3].status.kind, Kind::pending);

  PairFlowSnapshot claimed;
  claimed.pairingClaimed = claimed.pairingFailed = claimed.daemonRunning = true;
  steps = PairFlow::evaluate(claimed);
  EXPECT_EQ(steps[0].status.kind, Kind::done);
  EXPECT_EQ(steps[1].status.kind, Kind::done);
  EXPECT_EQ(steps[2].status, PairFlowStepStatus::failed(PairFlowReason::tmuxMissing));
  EXPECT_EQ(steps[3].status.kind, Kind::pending);
  EXPECT_FALSE(PairFlow::allGreen(steps));
  claimed.hasTmux = true;
  claimed.iosConnected = true;
  EXPECT_TRUE(PairFlow::allGreen(PairFlow::evaluate(claimed)));
  // Grants and agent facts feed only the detail texts.
  claimed.automationGranted = false;
  claimed.hasAgentBinary = false;
  EXPECT_TRUE(PairFlow::allGreen(PairFlow::evaluate(claimed)));
}

TEST(PairFlowTest, DetailKeysAndPrompts) {
  EXPECT_EQ(PairFlow::permissionDetailKey(std::nullopt, true), "checklist.row.permission.detail.checking");
  EXPECT_EQ(PairFlow::permissionDetailKey(true, std::nullopt), "checklist.row.permission.detail.checking");
  EXPECT_EQ(PairFlow::permissionDetailKey(true, true), "checklist.row.permission.detail.granted");
  EXPECT_EQ(PairFlow::permissionDetailKey(true, false), "checklist.row.permission.detail.automationOnly");
  EXPECT_EQ(PairFlow::permissionDetailKey(false, true), "checklist.row.permission.detail.pending");
  EXPECT_EQ(PairFlow::accessibilityDetailKey(true, false, true), "checklist.row.accessibility.detail.granted");
  EXPECT_EQ(PairFlow::accessibilityDetailKey(false, true, true), "daemon_identity_migration.body");
  EXPECT_EQ(PairFlow::accessibilityDetailKey(false, true, false), "checklist.row.accessibility.detail.wrongSubject");
  EXPECT_EQ(PairFlow::accessibilityDetailKey(std::nullopt, true, false), "checklist.row.accessibility.detail.pending");
  EXPECT_EQ(PairFlow::accessibilityDetailKey(false, false, false), "checklist.row.accessibility.detail.pending");

  EXPECT_TRUE(PairFlow::shouldShowFirstLaunchPairPrompt(false, false, false));
  EXPECT_FALSE(PairFlow::shouldShowFirstLaunchPairPrompt(false, false, true));
  EXPECT_FALSE(PairFlow::shouldShowFirstLaunchPairPrompt(true, false, false));
  EXPECT_TRUE(FullDiskAccessAutoRestart::shouldAutoRestart(false, true, false));
  EXPECT_FALSE(FullDiskAccessAutoRestart::shouldAutoRestart(std::nullopt, true, false));
  EXPECT_FALSE(FullDiskAccessAutoRestart::shouldAutoRestart(false, true, true));

  EXPECT_FALSE(PairChecklistPollBackoff::shouldRefresh(14, true, true));
  EXPECT_TRUE(PairChecklistPollBackoff::shouldRefresh(15, true, true));
  EXPECT_TRUE(PairChecklistPollBackoff::shouldRefresh(0, true, false));
  EXPECT_TRUE(PairChecklistPollBackoff::shouldRefresh(0, false, true));
}

TEST(PairFlowTest, RegistrationDecision) {
  using namespace AccountRegistrationPolicy;
  EXPECT_EQ(decide(true, true, Probe::revoked, false, false), Decision::preserveRevoked);
  EXPECT_EQ(decide(true, true, Probe::revoked, true, false), Decision::autoRegister);
  EXPECT_EQ(decide(true, true, Probe::active, true, true), Decision::wait);
  EXPECT_EQ(decide(false, false, Probe::unknown, false, false), Decision::wait);
  EXPECT_EQ(decide(true, false, Probe::failed, false, false), Decision::autoRegister);
  EXPECT_EQ(decide(true, true, Probe::unknown, false, false), Decision::wait);
  EXPECT_EQ(decide(true, true, Probe::active, false, false), Decision::preserveActive);
  EXPECT_EQ(decide(true, true, Probe::foreignAccount, false, false), Decision::surfaceForeignAccount);
  EXPECT_EQ(decide(true, true, Probe::failed, false, false), Decision::surfaceFailure);
  EXPECT_TRUE(shouldOfferPhonePairing(false));
  EXPECT_FALSE(shouldOfferPhonePairing(true));
}

TEST(PairFlowTest, CountdownTimesAndTheQRToken) {
  EXPECT_EQ(PairFlowFormat::countdown(125), "2:05");
  EXPECT_EQ(PairFlowFormat::countdown(59), "0:59");
  EXPECT_EQ(PairFlowFormat::countdown(600), "10:00");
  EXPECT_EQ(PairFlowFormat::countdown(-3), "0:00");
  EXPECT_EQ(PairFlowFormat::progress("%1 of %2 done", 3, 4), "3 of 4 done");
  EXPECT_EQ(PairFlowFormat::secondsLeft(100.2, 99.9), 1);
  EXPECT_EQ(PairFlowFormat::secondsLeft(100, 100), 0);
  EXPECT_EQ(PairFlowFormat::secondsLeft(100, 180), 0);

  EXPECT_EQ(PairFlowFormat::parseISOTime("1970-01-01T00:01:05Z"), 65.0);
  EXPECT_EQ(PairFlowFormat::parseISOTime("2026-12-06T23:01:40.5Z"), 1796598100.5);
  for (const char* bad : {"", "2026-12-06 23:01:40Z", "2026-12-06T23:01:40", "2026-13-06T23:01:40Z", "2026-12-06T23:01:40Zjunk",
                          "2026-12-06T23:01:40.Z"}) {
    EXPECT_FALSE(PairFlowFormat::parseISOTime(bad)) << bad;
  }

  const auto snapshot = QRTokenSnapshot::fromJSON(
      {{"token", "poll"}, {"qr_payload", "http://relay/pair?token=c"}, {"expires_at", "1970-01-01T00:05:00Z"}, {"short_code", "ABCD-EFGH"}});
  EXPECT_EQ(snapshot.shortCode, "ABCD-EFGH");
  EXPECT_TRUE(snapshot.usable(299.9));
  EXPECT_FALSE(snapshot.usable(300));
  QRTokenSnapshot used = snapshot;
  used.consumed = true;
  EXPECT_FALSE(used.usable(0));
  EXPECT_THROW(QRTokenSnapshot::fromJSON({{"token", "poll"}, {"expires_at", "1970-01-01T00:05:00Z"}}), std::invalid_argument);
  EXPECT_THROW(QRTokenSnapshot::fromJSON({{"token", "t"}, {"qr_payload", "p"}, {"expires_at", "soon"}}), std::invalid_argument);

  EXPECT_EQ(PairQRError::keyFor(429), PairQRError::rateLimited);
  EXPECT_EQ(PairQRError::keyFor(500), PairQRError::serverError);
  EXPECT_EQ(PairQRError::keyFor(0), PairQRError::network);
  EXPECT_EQ(PairQRError::retryAfterSeconds(R"({"error":"rate_limited","retry_after_seconds":42})"), 42);
  EXPECT_FALSE(PairQRError::retryAfterSeconds("not json"));
}

TEST(PairFlowTest, ReplacementCandidatesAndMyMachines) {
  const std::string body =
      R"({"error":"phone_pairing_required","recovery_candidates":[{"id":4,"machine_name":"studio","last_seen_at":null},{"id":"x"}]})";
  const auto candidates = replacementCandidates(403, body);
  ASSERT_EQ(candidates.size(), 1u);
  EXPECT_EQ(candidates[0].id, 4);
  EXPECT_EQ(candidates[0].machineName, "studio");
  EXPECT_FALSE(candidates[0].lastSeenAt);
  EXPECT_TRUE(replacementCandidates(400, body).empty());
  EXPECT_TRUE(replacementCandidates(403, R"({"error":"device_not_approved"})").empty());

  std::vector<RelayDaemon> daemons;
  for (const auto& json : {nlohmann::json{{"id", 1}, {"machineName", "studio"}, {"connected", true}, {"capabilities", {{"panes", true}}}},
                           nlohmann::json{{"id", 2}, {"machineName", "studio"}, {"revoked", true}},
                           nlohmann::json{{"id", 3}, {"machineName", "laptop"}}}) {
    daemons.push_back(RelayDaemon::fromJSON(json));
  }
  EXPECT_TRUE(daemons[0].capabilities.at("panes"));
  EXPECT_THROW(RelayDaemon::fromJSON({{"machineName", "x"}}), std::invalid_argument);
  auto machines = MyMachines::build(daemons, std::nullopt, "laptop");
  ASSERT_EQ(machines.size(), 2u);
  EXPECT_FALSE(machines[0].isThisMachine);
  EXPECT_TRUE(machines[1].isThisMachine);
  // The daemon's own id decides when it is known, whatever the names say.
  daemons.push_back(RelayDaemon::fromJSON({{"id", 5}, {"machineName", "laptop"}}));
  machines = MyMachines::build(daemons, 5, "laptop");
  EXPECT_FALSE(machines[1].isThisMachine);
  EXPECT_TRUE(machines[2].isThisMachine);
  // Two machines with this host's name: only the first counts.
  machines = MyMachines::build(daemons, std::nullopt, "laptop");
  EXPECT_TRUE(machines[1].isThisMachine);
  EXPECT_FALSE(machines[2].isThisMachine);
}

}  // namespace
}  // namespace vesket::relay
