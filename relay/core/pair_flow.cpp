#include "relay/core/pair_flow.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <stdexcept>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace vesket::relay {
namespace {

using Kind = PairFlowStepStatus::Kind;

std::optional<std::string> optionalText(const nlohmann::json& json, const char* key) {
  const auto it = json.find(key);
  if (it == json.end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}

std::string requiredText(const nlohmann::json& json, const char* key) {
  auto value = optionalText(json, key);
  if (!value || value->empty()) throw std::invalid_argument(fmt::format("the answer has no \"{}\"", key));
  return *value;
}

}  // namespace

std::vector<PairFlowStepResult> PairFlow::evaluate(const PairFlowSnapshot& s) {
  std::vector<PairFlowStepResult> steps;
  if (s.pairingClaimed) {
    steps.push_back({PairFlowStepID::pair, {Kind::done}, PairFlowReason::none});
  } else if (s.pairingFailed) {
    steps.push_back({PairFlowStepID::pair, PairFlowStepStatus::failed(PairFlowReason::qrExpired), PairFlowReason::qrExpired});
  } else {
    steps.push_back({PairFlowStepID::pair, {Kind::active}, PairFlowReason::none});
  }
  steps.push_back({PairFlowStepID::permission, {s.pairingClaimed ? Kind::done : Kind::pending}, PairFlowReason::none});
  if (!s.daemonRunning) {
    steps.push_back({PairFlowStepID::daemonReady, {Kind::active}, PairFlowReason::waitingForDaemonStart});
  } else if (!s.hasTmux) {
    steps.push_back(
        {PairFlowStepID::daemonReady, PairFlowStepStatus::failed(PairFlowReason::tmuxMissing), PairFlowReason::tmuxMissing});
  } else {
    steps.push_back({PairFlowStepID::daemonReady, {Kind::done}, PairFlowReason::none});
  }
  if (!s.daemonRunning || !s.hasTmux) {
    steps.push_back({PairFlowStepID::connected, {Kind::pending}, PairFlowReason::none});
  } else {
    const bool connected = s.iosConnected.value_or(s.isActivelyServing);
    steps.push_back({PairFlowStepID::connected, {connected ? Kind::done : Kind::active}, PairFlowReason::none});
  }
  return steps;
}

bool PairFlow::allGreen(const std::vector<PairFlowStepResult>& steps) {
  return std::all_of(steps.begin(), steps.end(), [](const auto& step) { return step.status.kind == Kind::done; });
}

bool PairFlow::shouldShowFirstLaunchPairPrompt(bool alreadyShown, bool permissionOnboardingSeen, bool isPaired) {
  return !alreadyShown && !permissionOnboardingSeen && !isPaired;
}

std::string_view PairFlow::permissionDetailKey(std::optional<bool> automationGranted,
                                               std::optional<bool> accessibilityGranted) {
  if (!automationGranted || !accessibilityGranted) return "checklist.row.permission.detail.checking";
  if (*automationGranted && *accessibilityGranted) return "checklist.row.permission.detail.granted";
  if (*automationGranted) return "checklist.row.permission.detail.automationOnly";
  return "checklist.row.permission.detail.pending";
}

std::string_view PairFlow::accessibilityDetailKey(std::optional<bool> daemonGranted, bool statusAppTrusted,
                                                  bool identityMigrationNeeded) {
  if (daemonGranted == true) return "checklist.row.accessibility.detail.granted";
  if (identityMigrationNeeded) return "daemon_identity_migration.body";
  if (daemonGranted == false && statusAppTrusted) return "checklist.row.accessibility.detail.wrongSubject";
  return "checklist.row.accessibility.detail.pending";
}

std::string PairFlow::stepTitleKey(PairFlowStepID id) {
  switch (id) {
    case PairFlowStepID::pair: return "checklist.row.pair.title";
    case PairFlowStepID::permission: return "checklist.row.permission.title";
    case PairFlowStepID::daemonReady: return "checklist.row.daemonReady.title";
    case PairFlowStepID::connected: return "checklist.row.connected.title";
  }
  return {};
}

std::string PairFlow::reasonKey(PairFlowReason reason) {
  switch (reason) {
    case PairFlowReason::none: return {};
    case PairFlowReason::checkingPermission: return "checklist.reason.checkingPermission";
    case PairFlowReason::qrExpired: return "checklist.reason.qrExpired";
    case PairFlowReason::pairingError: return "checklist.reason.pairingError";
    case PairFlowReason::waitingForDaemonStart: return "checklist.reason.waitingForDaemonStart";
    case PairFlowReason::tmuxMissing: return "checklist.reason.tmuxMissing";
    case PairFlowReason::agentBinaryMissing: return "checklist.reason.agentBinaryMissing";
    case PairFlowReason::waitingForAgentToRun: return "checklist.reason.waitingForAgentToRun";
  }
  return {};
}

bool FullDiskAccessAutoRestart::shouldAutoRestart(std::optional<bool> previous, bool current, bool alreadyRestarted) {
  return current && previous == false && !alreadyRestarted;
}

bool PairChecklistPollBackoff::shouldRefresh(int ticksSinceLastRefresh, bool allStepsGreen, bool serviceReady) {
  if (!allStepsGreen) return true;
  return !serviceReady || ticksSinceLastRefresh >= settledEveryNTicks;
}

std::string PairFlowFormat::countdown(std::int64_t seconds) {
  seconds = std::max<std::int64_t>(seconds, 0);
  return fmt::format("{}:{:02}", seconds / 60, seconds % 60);
}

std::string PairFlowFormat::progress(std::string_view text, std::int32_t done, std::int32_t total) {
  std::string out(text);
  for (const auto& [placeholder, value] : {std::pair{"%1", done}, std::pair{"%2", total}}) {
    if (const auto at = out.find(placeholder); at != std::string::npos) out.replace(at, 2, std::to_string(value));
  }
  return out;
}

std::optional<double> PairFlowFormat::parseISOTime(std::string_view text) {
  std::tm parts{};
  int consumed = 0;
  const std::string copy(text);
  if (std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &parts.tm_year, &parts.tm_mon, &parts.tm_mday,
                  &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &consumed) != 6 || consumed != 19) {
    return std::nullopt;
  }
  std::string_view rest = text.substr(19);
  double fraction = 0;
  if (!rest.empty() && rest.front() == '.') {
    std::size_t digits = 1;
    double scale = 0.1;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') {
      fraction += (rest[digits] - '0') * scale;
      scale /= 10;
      ++digits;
    }
    if (digits == 1) return std::nullopt;
    rest.remove_prefix(digits);
  }
  if (rest != "Z" && rest != "+00:00") return std::nullopt;
  if (parts.tm_mon < 1 || parts.tm_mon > 12 || parts.tm_mday < 1 || parts.tm_mday > 31 || parts.tm_hour > 23 ||
      parts.tm_min > 59 || parts.tm_sec > 60) {
    return std::nullopt;
  }
  parts.tm_year -= 1900;
  parts.tm_mon -= 1;
  return static_cast<double>(timegm(&parts)) + fraction;
}

std::int64_t PairFlowFormat::secondsLeft(double expiresAt, double now) {
  return std::max<std::int64_t>(0, static_cast<std::int64_t>(std::ceil(expiresAt - now)));
}

QRTokenSnapshot QRTokenSnapshot::fromJSON(const nlohmann::json& json) {
  if (!json.is_object()) throw std::invalid_argument("the answer is not an object");
  QRTokenSnapshot snapshot;
  snapshot.token = requiredText(json, "token");
  snapshot.qrPayload = requiredText(json, "qr_payload");
  snapshot.shortCode = optionalText(json, "short_code").value_or("");
  const auto expires = PairFlowFormat::parseISOTime(requiredText(json, "expires_at"));
  if (!expires) throw std::invalid_argument("the answer's \"expires_at\" is not a time");
  snapshot.expiresAt = *expires;
  return snapshot;
}

std::string_view PairQRError::keyFor(int status) {
  if (status <= 0) return network;
  if (status == 429) return rateLimited;
  return serverError;
}

std::optional<std::int64_t> PairQRError::retryAfterSeconds(std::string_view body) {
  const auto json = nlohmann::json::parse(body, nullptr, false);
  if (!json.is_object()) return std::nullopt;
  const auto it = json.find("retry_after_seconds");
  if (it == json.end() || !it->is_number_integer()) return std::nullopt;
  return it->get<std::int64_t>();
}

std::vector<RelayMacRecoveryCandidate> replacementCandidates(int status, std::string_view body) {
  std::vector<RelayMacRecoveryCandidate> candidates;
  if (status != 403) return candidates;
  const auto json = nlohmann::json::parse(body, nullptr, false);
  if (!json.is_object() || json.value("error", "") != "phone_pairing_required") return candidates;
  const auto list = json.find("recovery_candidates");
  if (list == json.end() || !list->is_array()) return candidates;
  for (const auto& entry : *list) {
    if (!entry.is_object() || !entry.contains("id") || !entry["id"].is_number_integer()) continue;
    candidates.push_back({entry["id"].get<std::int64_t>(), optionalText(entry, "machine_name"),
                          optionalText(entry, "last_seen_at")});
  }
  return candidates;
}

RelayDaemon RelayDaemon::fromJSON(const nlohmann::json& json) {
  if (!json.is_object() || !json.contains("id") || !json["id"].is_number_integer()) {
    throw std::invalid_argument("a machine without an id");
  }
  RelayDaemon daemon;
  daemon.id = json["id"].get<std::int64_t>();
  daemon.machineName = optionalText(json, "machineName");
  daemon.lastSeenAt = optionalText(json, "lastSeenAt");
  daemon.pairedAt = optionalText(json, "pairedAt");
  daemon.connected = json.value("connected", false) == true;
  daemon.revoked = json.value("revoked", false) == true;
  daemon.daemonVersion = optionalText(json, "daemonVersion");
  if (const auto it = json.find("capabilities"); it != json.end() && it->is_object()) {
    for (const auto& [name, value] : it->items()) {
      if (value.is_boolean()) daemon.capabilities[name] = value.get<bool>();
    }
  }
  return daemon;
}

std::vector<MyMachine> MyMachines::build(const std::vector<RelayDaemon>& daemons, std::optional<std::int64_t> thisDaemonID,
                                         std::string_view localHostName) {
  std::vector<MyMachine> machines;
  bool thisFound = false;
  for (const auto& daemon : daemons) {
    if (daemon.revoked) continue;
    bool isThis = false;
    if (thisDaemonID) {
      isThis = daemon.id == *thisDaemonID;
    } else if (!thisFound && !localHostName.empty()) {
      isThis = daemon.machineName.value_or("") == localHostName;
    }
    thisFound = thisFound || isThis;
    machines.push_back({daemon, isThis});
  }
  return machines;
}

}  // namespace vesket::relay
