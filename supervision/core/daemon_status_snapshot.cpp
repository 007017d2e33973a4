#include "supervision/core/daemon_status_snapshot.h"

#include <charconv>

namespace vesket::supervision {
namespace {

std::string_view trim(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<bool> permission(std::string_view value) {
  if (value == "granted") return true;
  if (value == "denied") return false;
  return std::nullopt;
}

}  // namespace

DaemonStatusSnapshot DaemonStatusSnapshot::parse(std::string_view text) {
  DaemonStatusSnapshot snapshot;
  constexpr std::string_view separator = " : ";
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const std::size_t split = line.find(separator);
    if (split == std::string_view::npos || line.find(separator, split + separator.size()) != std::string_view::npos) {
      continue;
    }
    const auto key = trim(line.substr(0, split));
    const auto value = trim(line.substr(split + separator.size()));
    if (key == "launchd loaded") {
      snapshot.isRunning = value == "yes";
    } else if (key == "pid") {
      std::int64_t pid = 0;
      const auto [ptr, error] = std::from_chars(value.data(), value.data() + value.size(), pid);
      if (error == std::errc() && ptr == value.data() + value.size() && !value.empty()) snapshot.pid = pid;
    } else if (key == "paired") {
      snapshot.isPaired = value == "yes";
    } else if (key == "version") {
      snapshot.version = std::string(value);
    } else if (key == "automation") {
      snapshot.daemonAutomationGranted = permission(value);
    } else if (key == "accessibility") {
      snapshot.daemonAccessibilityGranted = permission(value);
    } else if (key == "full disk access") {
      snapshot.daemonFullDiskAccessGranted = permission(value);
    } else if (key == "ios connected") {
      if (value == "yes") snapshot.daemonIosConnected = true;
      else if (value == "no") snapshot.daemonIosConnected = false;
    }
  }
  return snapshot;
}

}  // namespace vesket::supervision
