#include "supervision/core/daemon_provision_core.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace vesket::supervision {
namespace {

std::string_view trim(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<std::int64_t> parseDecimal(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

struct FailureRow {
  DaemonProvision::Failure failure;
  std::string_view raw;
  std::string_view reason;
  std::string_view titleKey;
  bool presented;
  std::string_view reasonKey;
};

constexpr std::string_view kNotRunningTitle = "daemon_provision_failure.title.not_running";

constexpr FailureRow kFailures[] = {
    {DaemonProvision::Failure::embeddedMissing, "embeddedMissing",
     "This copy of Vesket does not contain its signed daemon.", kNotRunningTitle, true, "macos.daemon_provision.embedded_missing"},
    {DaemonProvision::Failure::embeddedUntrusted, "embeddedUntrusted",
     "The daemon inside this copy of Vesket failed Developer ID verification.", kNotRunningTitle, true, "macos.daemon_provision.embedded_untrusted"},
    {DaemonProvision::Failure::replacementFailed, "replacementFailed",
     "Vesket could not install or verify its signed daemon.", kNotRunningTitle, true, "macos.daemon_provision.replacement_failed"},
    {DaemonProvision::Failure::sidecarSyncFailed, "sidecarSyncFailed",
     "Vesket verified its signed daemon, but could not update its bundled terminal support tools.",
     kNotRunningTitle, false, "macos.daemon_provision.sidecar_sync_failed"},
    {DaemonProvision::Failure::replacementRolledBack, "replacementRolledBack",
     "Vesket installed a new daemon but it did not stay running, so the previous daemon was restored.",
     "daemon_provision_failure.title.previous_daemon_restored", true, "macos.daemon_provision.replacement_rolled_back"},
    {DaemonProvision::Failure::liveReplaceRefused, "liveReplaceRefused",
     "Vesket found its daemon running and could not obtain a safe restart, so it left the running daemon in place.",
     "daemon_provision_failure.title.running_daemon_kept", true, "macos.daemon_provision.live_replace_refused"},
    {DaemonProvision::Failure::testHostRefused, "testHostRefused",
     "Provisioning was refused because it ran inside a test host without an isolated VESKET_HOME.", kNotRunningTitle,
     false, "macos.daemon_provision.test_host_refused"},
    {DaemonProvision::Failure::redirectedHomeRefused, "redirectedHomeRefused",
     "Provisioning was refused: this app was launched with an explicit VESKET_HOME, but the running daemon's home is "
     "a different directory. Vesket does not replace the daemon of an install it was not pointed at.",
     kNotRunningTitle, false, "macos.daemon_provision.redirected_home_refused"},
};

const FailureRow& row(DaemonProvision::Failure failure) {
  return kFailures[static_cast<std::size_t>(failure)];
}

}  // namespace

namespace DaemonProvision {

std::string_view rawValue(Failure failure) { return row(failure).raw; }

std::optional<Failure> failureFromRawValue(std::string_view raw) {
  for (const auto& r : kFailures) {
    if (r.raw == raw) return r.failure;
  }
  return std::nullopt;
}

std::string_view failureReason(Failure failure) { return row(failure).reason; }
std::string_view presentationTitleKey(Failure failure) { return row(failure).titleKey; }
std::string_view failureReasonKey(Failure failure) { return row(failure).reasonKey; }
bool shouldPresentToUser(Failure failure) { return row(failure).presented; }

std::string_view disposition(Failure failure) {
  if (shouldPresentToUser(failure)) return "userAlert";
  return failure == Failure::sidecarSyncFailed ? "nonBlockingDiagnostic" : "diagnosticOnly";
}

Action action(bool installedExists, bool embeddedExists, bool installedIsTrusted, bool embeddedIsTrusted,
              bool binariesDiffer, bool embeddedBuildIsOlder, bool rollbackPinActive) {
  if (!rollbackPinActive && installedExists && embeddedExists && installedIsTrusted && embeddedIsTrusted) {
    return binariesDiffer && !embeddedBuildIsOlder ? Action::replaceWithEmbedded(false) : Action::keepInstalled();
  }
  if (embeddedExists && embeddedIsTrusted && installedExists) {
    return installedIsTrusted ? Action::keepInstalled() : Action::replaceWithEmbedded(true);
  }
  if (embeddedExists) return embeddedIsTrusted ? Action::installEmbedded() : Action::fail(Failure::embeddedUntrusted);
  return Action::fail(Failure::embeddedMissing);
}

RestartPlan restartPlan(bool daemonRunning, const std::optional<std::string>& transactionScriptPath) {
  if (!daemonRunning) return {RestartPlan::Kind::installService, {}};
  if (transactionScriptPath && !transactionScriptPath->empty()) {
    return {RestartPlan::Kind::transaction, *transactionScriptPath};
  }
  return {RestartPlan::Kind::refuse, {}};
}

VersionFacts VersionFacts::parse(std::string_view versionOutput) {
  VersionFacts facts;
  while (!versionOutput.empty()) {
    const std::size_t end = versionOutput.find('\n');
    std::string_view line = trim(versionOutput.substr(0, end));
    versionOutput = end == std::string_view::npos ? std::string_view() : versionOutput.substr(end + 1);
    const auto value = [&](std::string_view key) -> std::optional<std::string_view> {
      if (line.substr(0, key.size()) != key) return std::nullopt;
      const auto rest = trim(line.substr(key.size()));
      if (rest.empty()) return std::nullopt;
      return rest;
    };
    if (const auto built = value("built:")) facts.builtAt = std::string(*built);
    else if (const auto commits = value("commits:")) facts.commits = parseDecimal(*commits);
    else if (const auto sha = value("sha:"); sha && *sha != "unknown") facts.sha = std::string(*sha);
  }
  return facts;
}

bool embeddedBuildIsOlder(const VersionFacts& installed, const VersionFacts& embedded) {
  if (installed.commits && embedded.commits) {
    if (*installed.commits != *embedded.commits) return *embedded.commits < *installed.commits;
    if (!installed.sha || !embedded.sha) return true;
    if (*installed.sha == *embedded.sha) return false;
  }
  // ISO 8601 UTC timestamps of one format order as text.
  return installed.builtAt && embedded.builtAt && *embedded.builtAt < *installed.builtAt;
}

bool isWellFormedDigest(std::string_view text) {
  return text.size() == 64 &&
         std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::optional<std::string> activeRollbackPin(std::string_view pinText, std::string_view installedDigest) {
  const auto pin = trim(pinText);
  if (!isWellFormedDigest(pin) || pin != installedDigest) return std::nullopt;
  return std::string(pin);
}

std::string shortDigestHex(std::string_view digest) { return std::string(digest.substr(0, 12)); }

std::string untrustedReplacementNotice(std::string_view installedPath,
                                       const std::optional<std::string>& installedShortDigest,
                                       std::string_view embeddedPath, std::string_view embeddedShortDigest) {
  std::string notice = "Vesket found an UNSIGNED daemon at ";
  notice += installedPath;
  notice += " (";
  notice += installedShortDigest ? "sha256 " + *installedShortDigest : std::string("sha256 unreadable");
  notice += ") and is replacing it with the app's embedded, Developer-ID-signed build at ";
  notice += embeddedPath;
  notice += " (";
  notice += embeddedShortDigest;
  notice +=
      ") \u2014 an untrusted binary can never establish a downgrade baseline, so this replacement happens regardless "
      "of which one is newer. If you hand-installed a fix here, re-sign and reinstall it with "
      "daemon/scripts/local-install.sh next time so it is protected from this.";
  return notice;
}

}  // namespace DaemonProvision

DaemonSocketReadiness::Kind DaemonSocketReadiness::decide(bool isRunning, bool socketReachable) {
  if (!isRunning) return Kind::notRunning;
  return socketReachable ? Kind::ready : Kind::waitAndRecheck;
}

bool DaemonReloadGate::mayReload(bool provisionInstallRunning, double waitedSeconds, double maxWaitSeconds) {
  return !provisionInstallRunning || waitedSeconds >= maxWaitSeconds;
}

bool DaemonReloadGate::shouldRepair(bool loaded, int repairAttemptsUsed, int maxRepairAttempts) {
  return !loaded && repairAttemptsUsed < maxRepairAttempts;
}

int SocketReadinessWait::maxAttempts(std::optional<double> pidAgeSeconds) {
  if (!pidAgeSeconds || *pidAgeSeconds < 0 || std::isnan(*pidAgeSeconds)) return defaultMaxAttempts;
  const double window = std::max(freshStartCeilingSeconds - *pidAgeSeconds, 3.0);
  // Rounded to a millionth first, so that 3 / 0.3 counts as 10 and not as 10.000000000000002.
  return static_cast<int>(std::ceil(std::round(window / intervalSeconds * 1e6) / 1e6));
}

std::optional<std::int64_t> PidEtime::parseSeconds(std::string_view text) {
  text = trim(text);
  if (text.empty()) return std::nullopt;
  std::int64_t days = 0;
  if (const std::size_t dash = text.find('-'); dash != std::string_view::npos) {
    const auto parsed = parseDecimal(text.substr(0, dash));
    if (!parsed) return std::nullopt;
    days = *parsed;
    text = text.substr(dash + 1);
  }
  std::vector<std::int64_t> fields;
  while (true) {
    const std::size_t colon = text.find(':');
    const auto parsed = parseDecimal(text.substr(0, colon));
    if (!parsed) return std::nullopt;
    fields.push_back(*parsed);
    if (colon == std::string_view::npos) break;
    text = text.substr(colon + 1);
  }
  if (fields.size() != 2 && fields.size() != 3) return std::nullopt;
  const std::int64_t hours = fields.size() == 3 ? fields[0] : 0;
  const std::int64_t minutes = fields[fields.size() - 2];
  const std::int64_t seconds = fields[fields.size() - 1];
  return days * 86400 + hours * 3600 + minutes * 60 + seconds;
}

DaemonAutostart::Decision DaemonAutostart::decide(bool isRunning, int attemptsUsed, int maxAttempts) {
  if (isRunning) return {Decision::Kind::converged, false};
  if (attemptsUsed < maxAttempts) return {Decision::Kind::retry, attemptsUsed >= 1};
  return {Decision::Kind::giveUp, false};
}

double DaemonAutostart::graceSeconds(int attempt) { return attempt == 0 ? 4.0 : 6.0; }

RegistrationLatch& RegistrationLatch::shared() {
  static RegistrationLatch latch;
  return latch;
}

bool RegistrationLatch::begin() {
  if (m_inFlight) return false;
  m_inFlight = true;
  return true;
}

}  // namespace vesket::supervision
