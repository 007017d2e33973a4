#pragma once

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

namespace vesket::relay {

// The JSON payloads of the terminal frames (see TerminalProtocol). Each decodes strictly
// from the object keyed by its field names (unknown keys ignored) and throws
// control_plane::DecodingError otherwise; toJson leaves absent optionals out.

// The attach is live: the pane, its size and the mode the attach runs in.
struct ReadyPayload {
  std::string paneId;
  std::int64_t cols = 0;
  std::int64_t rows = 0;
  std::string mode;  // "takeover", "owned", "mirror"...

  static ReadyPayload fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const ReadyPayload&, const ReadyPayload&) = default;
};

// The pane (or the attach) ended.
struct ExitPayload {
  std::optional<std::int64_t> code;
  std::optional<std::string> reason;

  static ExitPayload fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const ExitPayload&, const ExitPayload&) = default;
};

struct ErrorPayload {
  std::string message;

  static ErrorPayload fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const ErrorPayload&, const ErrorPayload&) = default;
};

// The end of one batch of older history: whether the top of the pane's history was
// reached and how many lines the batch held.
struct HistoryOlderEndPayload {
  bool atTop = false;
  std::int64_t lines = 0;

  static HistoryOlderEndPayload fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const HistoryOlderEndPayload&, const HistoryOlderEndPayload&) = default;
};

struct PongPayload {
  std::optional<std::string> mode;

  static PongPayload fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const PongPayload&, const PongPayload&) = default;
};

// The mouse and cursor modes the pane's program turned on.
struct MouseModePayload {
  bool enabled = false;
  std::optional<bool> alternate;
  std::optional<std::string> mouseEncoding;
  std::optional<bool> applicationCursor;

  static MouseModePayload fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const MouseModePayload&, const MouseModePayload&) = default;
};

}  // namespace vesket::relay
