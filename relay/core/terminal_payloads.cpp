#include "relay/core/terminal_payloads.h"

#include "control_plane/core/json_codec.h"

namespace vesket::relay {

namespace {

namespace json_codec = control_plane::json_codec;
using json_codec::field;

constexpr auto kReady = json_codec::record<ReadyPayload>(
    "ReadyPayload",
    field("paneId", &ReadyPayload::paneId),
    field("cols", &ReadyPayload::cols),
    field("rows", &ReadyPayload::rows),
    field("mode", &ReadyPayload::mode));

constexpr auto kExit = json_codec::record<ExitPayload>(
    "ExitPayload",
    field("code", &ExitPayload::code),
    field("reason", &ExitPayload::reason));

constexpr auto kError = json_codec::record<ErrorPayload>(
    "ErrorPayload",
    field("message", &ErrorPayload::message));

constexpr auto kHistoryOlderEnd = json_codec::record<HistoryOlderEndPayload>(
    "HistoryOlderEndPayload",
    field("atTop", &HistoryOlderEndPayload::atTop),
    field("lines", &HistoryOlderEndPayload::lines));

constexpr auto kPong = json_codec::record<PongPayload>(
    "PongPayload",
    field("mode", &PongPayload::mode));

constexpr auto kMouseMode = json_codec::record<MouseModePayload>(
    "MouseModePayload",
    field("enabled", &MouseModePayload::enabled),
    field("alternate", &MouseModePayload::alternate),
    field("mouseEncoding", &MouseModePayload::mouseEncoding),
    field("applicationCursor", &MouseModePayload::applicationCursor));

}  // namespace

ReadyPayload ReadyPayload::fromJson(const nlohmann::json& json) { return kReady.decode(json); }
nlohmann::json ReadyPayload::toJson() const { return kReady.encode(*this); }

ExitPayload ExitPayload::fromJson(const nlohmann::json& json) { return kExit.decode(json); }
nlohmann::json ExitPayload::toJson() const { return kExit.encode(*this); }

ErrorPayload ErrorPayload::fromJson(const nlohmann::json& json) { return kError.decode(json); }
nlohmann::json ErrorPayload::toJson() const { return kError.encode(*this); }

HistoryOlderEndPayload HistoryOlderEndPayload::fromJson(const nlohmann::json& json) {
  return kHistoryOlderEnd.decode(json);
}
nlohmann::json HistoryOlderEndPayload::toJson() const { return kHistoryOlderEnd.encode(*this); }

PongPayload PongPayload::fromJson(const nlohmann::json& json) { return kPong.decode(json); }
nlohmann::json PongPayload::toJson() const { return kPong.encode(*this); }

MouseModePayload MouseModePayload::fromJson(const nlohmann::json& json) {
  return kMouseMode.decode(json);
}
nlohmann::json MouseModePayload::toJson() const { return kMouseMode.encode(*this); }

}  // namespace vesket::relay
