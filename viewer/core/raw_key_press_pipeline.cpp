#include "viewer/core/raw_key_press_pipeline.h"

#include "viewer/core/raw_terminal_key_encoder.h"

namespace vesket::viewer {

RawKeyPressPipeline::RawKeyPressPipeline(
    std::function<std::optional<double>()> heldKeyRepeatSetting, double systemRepeatIntervalSeconds)
    : m_heldKeyRepeatSetting(std::move(heldKeyRepeatSetting)) {
  m_duplicates.thresholdMs =
      DuplicateKeyPressFilter::thresholdForRepeatInterval(systemRepeatIntervalSeconds);
}

RawKeyPressPipeline::Outcome RawKeyPressPipeline::handle(const TerminalKeyEvent& event,
                                                         bool applicationCursorKeys) {
  auto bytes = RawTerminalKeyEncoder::bytes(event, applicationCursorKeys);
  if (!bytes) return {};
  if (event.isRepeat) {
    m_throttle.minIntervalMs = HeldKeyRepeatThrottle::intervalFromSetting(
        m_heldKeyRepeatSetting ? m_heldKeyRepeatSetting() : std::nullopt);
  }
  if (!m_throttle.admit(event.isRepeat, event.timestampMs)) {
    return {std::nullopt, throttleDropReason};
  }
  if (!m_duplicates.admit(*bytes, event.timestampMs, event.isRepeat)) {
    return {std::nullopt, DuplicateKeyPressFilter::dropReason};
  }
  return {std::move(bytes), {}};
}

}  // namespace vesket::viewer
