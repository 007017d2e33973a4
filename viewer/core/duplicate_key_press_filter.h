// Drops a key press that reaches the live terminal twice through two input paths (the key
// event and the text-input path both deliver it) within a few milliseconds. Automatic
// repeats are never dropped here; the held-key throttle paces those.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vesket::viewer {

struct DuplicateKeyPressFilter {
  struct LastEmission {
    std::string bytes;
    double atMs = 0;
    std::string sender;
    bool wasOSRepeat = false;
    bool operator==(const LastEmission&) const = default;
  };

  static constexpr std::string_view dropReason = "duplicate-filter";
  static constexpr std::string_view rawEncoderSender = "rawEncoder";

  std::optional<LastEmission> last;
  double thresholdMs = 8;

  // Half the system's key-repeat interval (seconds), clamped to 8..20 ms.
  static double thresholdForRepeatInterval(double repeatIntervalSeconds);

  // Decides on encoded bytes at `nowMs`: false drops the press (a duplicate); true sends
  // it and records it as the last emission.
  bool admit(const std::string& bytes, double nowMs, bool isRepeat);
};

}  // namespace vesket::viewer
