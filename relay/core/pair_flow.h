#pragma once

// Pairing this machine's daemon with the account, without a relay: the four checklist
// steps a snapshot of the machine's state gives, the detail text keys of a step, when the
// checklist is refreshed, the countdown of a QR code, whether a cached QR token may be shown
// again, what a failed QR request says, and the account's machines as the list shows them.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace vesket::relay {

struct PairFlowSnapshot {
  bool pairingClaimed = false;
  bool pairingFailed = false;
  std::optional<bool> automationGranted;  // none: still checking
  std::optional<bool> accessibilityGranted;
  bool daemonRunning = false;
  bool hasTmux = false;
  bool hasAgentBinary = false;
  bool hasAgentRunning = false;
  bool isActivelyServing = false;
  std::optional<bool> iosConnected;
};

enum class PairFlowStepID { pair, permission, daemonReady, connected };
enum class PairFlowReason {
  none,
  checkingPermission,
  qrExpired,
  pairingError,
  waitingForDaemonStart,
  tmuxMissing,
  agentBinaryMissing,
  waitingForAgentToRun,
};

struct PairFlowStepStatus {
  enum class Kind { failed, pending, active, waiting, done };
  Kind kind = Kind::pending;
  PairFlowReason failure = PairFlowReason::none;  // failed: why

  static PairFlowStepStatus failed(PairFlowReason reason) { return {Kind::failed, reason}; }
  friend bool operator==(const PairFlowStepStatus&, const PairFlowStepStatus&) = default;
};

struct PairFlowStepResult {
  PairFlowStepID id;
  PairFlowStepStatus status;
  PairFlowReason reason = PairFlowReason::none;
  friend bool operator==(const PairFlowStepResult&, const PairFlowStepResult&) = default;
};

namespace PairFlow {
// Always four results, in the order pair, permission, daemonReady, connected.
std::vector<PairFlowStepResult> evaluate(const PairFlowSnapshot& snapshot);
bool allGreen(const std::vector<PairFlowStepResult>& steps);
bool shouldShowFirstLaunchPairPrompt(bool alreadyShown, bool permissionOnboardingSeen, bool isPaired);
std::string_view permissionDetailKey(std::optional<bool> automationGranted, std::optional<bool> accessibilityGranted);
std::string_view accessibilityDetailKey(std::optional<bool> daemonGranted, bool statusAppTrusted,
                                        bool identityMigrationNeeded);
// The key of the step's title ("checklist.row.<step>.title") and of the text under it for a
// reason other than `none` ("checklist.reason.<reason>").
std::string stepTitleKey(PairFlowStepID id);
std::string reasonKey(PairFlowReason reason);
}  // namespace PairFlow

namespace FullDiskAccessAutoRestart {
bool shouldAutoRestart(std::optional<bool> previous, bool current, bool alreadyRestarted);
}

namespace PairChecklistPollBackoff {
inline constexpr int settledEveryNTicks = 15;
bool shouldRefresh(int ticksSinceLastRefresh, bool allStepsGreen, bool serviceReady);
}  // namespace PairChecklistPollBackoff

namespace PairFlowFormat {
// 125 → "2:05"; negative counts as 0.
std::string countdown(std::int64_t seconds);
// `text` with "%1" and "%2" replaced by the two numbers.
std::string progress(std::string_view text, std::int32_t done, std::int32_t total);
// "2026-12-06T23:01:40Z" (or with fractional seconds) → seconds since 1970; nothing for
// anything else.
std::optional<double> parseISOTime(std::string_view text);
// Whole seconds left until `expiresAt`, rounded up, never below 0.
std::int64_t secondsLeft(double expiresAt, double now);
}  // namespace PairFlowFormat

// A QR pairing as the relay handed it out; kept while its window is open so that reopening
// the window shows the same code until it is used or expires.
struct QRTokenSnapshot {
  std::string token;      // the machine's poll token
  std::string qrPayload;  // what the QR code shows (a URL on the relay)
  std::string shortCode;  // the same pairing typed by hand
  double expiresAt = 0;   // seconds since 1970
  bool consumed = false;

  bool usable(double now) const { return !consumed && now < expiresAt; }
  // From the QR init answer {"token", "expires_at", "qr_payload", "short_code"?}; throws
  // std::invalid_argument when a required field is missing or the time does not read.
  static QRTokenSnapshot fromJSON(const nlohmann::json& json);
};

namespace PairQRError {
inline constexpr std::string_view rateLimited = "qr.error.rateLimited";
inline constexpr std::string_view serverError = "qr.error.serverError";
inline constexpr std::string_view network = "qr.error.network";
// The key for a failed QR request: status 0 (no HTTP answer) is the network.
std::string_view keyFor(int status);
// The body's "retry_after_seconds", when it has one.
std::optional<std::int64_t> retryAfterSeconds(std::string_view body);
}  // namespace PairQRError

struct RelayMacRecoveryCandidate {
  std::int64_t id = 0;
  std::optional<std::string> machineName;
  std::optional<std::string> lastSeenAt;
};

// The machines a 403 "phone_pairing_required" offers for replacement; empty for any other
// answer.
std::vector<RelayMacRecoveryCandidate> replacementCandidates(int status, std::string_view body);

// A machine of the account ("/api/daemons").
struct RelayDaemon {
  std::int64_t id = 0;
  std::optional<std::string> machineName;
  std::optional<std::string> lastSeenAt;
  std::optional<std::string> pairedAt;
  bool connected = false;
  bool revoked = false;
  std::optional<std::string> daemonVersion;
  std::map<std::string, bool> capabilities;

  static RelayDaemon fromJSON(const nlohmann::json& json);
};

struct MyMachine {
  RelayDaemon daemon;
  bool isThisMachine = false;
};

namespace MyMachines {
// Revoked machines are left out. This machine is the one with this daemon's id when it is
// known, else the first whose name is the local host name.
std::vector<MyMachine> build(const std::vector<RelayDaemon>& daemons, std::optional<std::int64_t> thisDaemonID,
                             std::string_view localHostName);
}  // namespace MyMachines

}  // namespace vesket::relay
