// The key-down path of the live terminal in raw mode: encode the press, pace held-key
// repeats, drop a press that arrived twice. The held-key interval is read through a
// callback on every repeat, so a change of the setting applies at once.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "viewer/core/duplicate_key_press_filter.h"
#include "viewer/core/held_key_repeat_throttle.h"
#include "viewer/core/terminal_key_event.h"

namespace vesket::viewer {

class RawKeyPressPipeline {
 public:
  static constexpr std::string_view throttleDropReason = "held-key-throttle";

  struct Outcome {
    std::optional<std::string> bytes;  // what to send; none when nothing is sent
    std::string_view dropReason;       // set when an encoded press was dropped
    bool operator==(const Outcome&) const = default;
  };

  // `heldKeyRepeatSetting` yields the value of "durnvale.heldKeyRepeatIntervalMs" (none when
  // unset); `systemRepeatIntervalSeconds` is the desktop's key-repeat interval.
  RawKeyPressPipeline(std::function<std::optional<double>()> heldKeyRepeatSetting,
                      double systemRepeatIntervalSeconds);

  Outcome handle(const TerminalKeyEvent& event, bool applicationCursorKeys);

  const DuplicateKeyPressFilter& duplicateFilter() const { return m_duplicates; }
  const HeldKeyRepeatThrottle& throttle() const { return m_throttle; }

 private:
  std::function<std::optional<double>()> m_heldKeyRepeatSetting;
  DuplicateKeyPressFilter m_duplicates;
  HeldKeyRepeatThrottle m_throttle;
};

}  // namespace vesket::viewer
