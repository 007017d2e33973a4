#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vesket::supervision {

// The pure decisions of daemon provisioning: whether the daemon shipped beside the
// application replaces, joins or leaves alone the installed one, how a running daemon may be
// replaced, how long to wait for it, and what each failure tells the user. The procedures
// that carry the decisions out live in supervision/daemon_provisioner.h.
namespace DaemonProvision {

inline constexpr std::string_view kInstalledRelativePath = "bin/vesket";
inline constexpr std::string_view rollbackPinRelativePath = "daemon/rollback-pin.sha256";
inline constexpr std::string_view kUpgradeStagingName = "vesket.upgrade-tmp";
inline constexpr std::string_view kPreviousBackupPrefix = ".vesket.previous.";
inline constexpr std::string_view kRestartScriptPrefix = ".vesket.restart-tx.";
inline constexpr std::string_view kFreshInstallPrefix = "vesket.install-";
inline constexpr std::string_view kCompanionSnapshotPrefix = ".vesket-companions-";
// Files shipped beside the daemon that an upgrade keeps in step with it.
inline constexpr std::string_view kBundledTmuxName = "tmux-bundled";
inline constexpr std::string_view daemonSidecarNames[] = {"vesket-sweep-worker.mjs", "vesket-worktree-gc-worker.mjs",
                                                          "jq-bundled"};

enum class Failure {
  embeddedMissing,
  embeddedUntrusted,
  replacementFailed,
  sidecarSyncFailed,
  replacementRolledBack,
  liveReplaceRefused,
  testHostRefused,
  redirectedHomeRefused,
};

std::string_view rawValue(Failure failure);
std::optional<Failure> failureFromRawValue(std::string_view raw);
// The user text of a failure.
std::string_view failureReason(Failure failure);
// The localisation key of the user text (its English entry is `failureReason`).
std::string_view failureReasonKey(Failure failure);
// The localisation key of the alert title.
std::string_view presentationTitleKey(Failure failure);
bool shouldPresentToUser(Failure failure);
// How the diagnostic log files a failure: "userAlert", "nonBlockingDiagnostic" or
// "diagnosticOnly".
std::string_view disposition(Failure failure);

struct Action {
  enum class Kind { replaceWithEmbedded, fail, keepInstalled, installEmbedded };
  Kind kind = Kind::keepInstalled;
  bool migratesUntrustedIdentity = false;  // replaceWithEmbedded
  Failure failure = Failure::embeddedMissing;  // fail

  static Action replaceWithEmbedded(bool migrates) { return {Kind::replaceWithEmbedded, migrates, {}}; }
  static Action fail(Failure f) { return {Kind::fail, false, f}; }
  static Action keepInstalled() { return {Kind::keepInstalled, false, {}}; }
  static Action installEmbedded() { return {Kind::installEmbedded, false, {}}; }
  bool operator==(const Action&) const = default;
};

// What to do, first match wins: both present and trusted without a pin: replace when they
// differ and the embedded build is not older, else keep; a trusted embedded build and any
// installed one: keep a trusted (pinned) one, replace an untrusted one whatever its age; an
// embedded build alone: install it when trusted; else fail.
Action action(bool installedExists, bool embeddedExists, bool installedIsTrusted, bool embeddedIsTrusted,
              bool binariesDiffer, bool embeddedBuildIsOlder, bool rollbackPinActive);

struct RestartPlan {
  enum class Kind { transaction, installService, refuse };
  Kind kind = Kind::refuse;
  std::string scriptPath;  // transaction
  bool operator==(const RestartPlan&) const = default;
};
// A daemon that is not running is simply installed; a running one only through a rendered
// restart transaction.
RestartPlan restartPlan(bool daemonRunning, const std::optional<std::string>& transactionScriptPath);

// Facts a daemon build prints for "--version": "built:" timestamp, "commits:" count,
// "sha:" hash ("unknown" counts as none).
struct VersionFacts {
  std::optional<std::string> builtAt;
  std::optional<std::int64_t> commits;
  std::optional<std::string> sha;
  bool operator==(const VersionFacts&) const = default;

  static VersionFacts parse(std::string_view versionOutput);
};
bool embeddedBuildIsOlder(const VersionFacts& installed, const VersionFacts& embedded);

bool isWellFormedDigest(std::string_view text);
// The pinned digest when the pin file's text (trimmed) is a well-formed lowercase SHA-256
// equal to the installed daemon's digest; otherwise nothing.
std::optional<std::string> activeRollbackPin(std::string_view pinText, std::string_view installedDigest);
// The first 12 hex digits of a digest, as shown to the user.
std::string shortDigestHex(std::string_view digest);

// The notice logged and shown when an unsigned or foreign installed daemon is replaced.
std::string untrustedReplacementNotice(std::string_view installedPath,
                                       const std::optional<std::string>& installedShortDigest,
                                       std::string_view embeddedPath, std::string_view embeddedShortDigest);

}  // namespace DaemonProvision

// Whether the control socket can be used now.
struct DaemonSocketReadiness {
  enum class Kind { ready, waitAndRecheck, notRunning };
  static Kind decide(bool isRunning, bool socketReachable);
};

enum class DaemonReadinessOutcome { ready, timedOut, notRunning };

// When a reload of the service job may start, and how often a job that did not load is
// loaded again.
struct DaemonReloadGate {
  static constexpr double defaultMaxWaitSeconds = 300.0;
  static constexpr int defaultMaxRepairAttempts = 3;
  static bool mayReload(bool provisionInstallRunning, double waitedSeconds,
                        double maxWaitSeconds = defaultMaxWaitSeconds);
  static bool shouldRepair(bool loaded, int repairAttemptsUsed, int maxRepairAttempts = defaultMaxRepairAttempts);
};

// How long to ping a daemon's control socket before giving up, by the daemon's age: a fresh
// daemon gets up to 30 s in all, an old one 10 tries.
struct SocketReadinessWait {
  static constexpr double intervalSeconds = 0.3;
  static constexpr double freshStartCeilingSeconds = 30.0;
  static constexpr int defaultMaxAttempts = 10;
  static int maxAttempts(std::optional<double> pidAgeSeconds);
};

// The elapsed time the process lister prints ("[[dd-]hh:]mm:ss").
struct PidEtime {
  static std::optional<std::int64_t> parseSeconds(std::string_view text);
};

// Bringing a daemon that does not run back: a few reloads with a grace delay between them.
struct DaemonAutostart {
  static constexpr int defaultMaxAttempts = 3;
  struct Decision {
    enum class Kind { converged, retry, giveUp };
    Kind kind = Kind::giveUp;
    bool escalate = false;  // retry: from the second attempt on
    bool operator==(const Decision&) const = default;
  };
  static Decision decide(bool isRunning, int attemptsUsed, int maxAttempts = defaultMaxAttempts);
  static double graceSeconds(int attempt);
};

// One registration of this machine with the account at a time, process-wide.
class RegistrationLatch {
 public:
  static RegistrationLatch& shared();
  bool isInFlight() const { return m_inFlight; }
  // False when a registration is already in flight; otherwise marks one in flight.
  bool begin();
  void end() { m_inFlight = false; }

 private:
  bool m_inFlight = false;
};

}  // namespace vesket::supervision
