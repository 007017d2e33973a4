#include "relay/core/terminal_protocol.h"

#include <nlohmann/json.hpp>
#include <optional>

#include "control_plane/core/decoding_error.h"

namespace vesket::relay::TerminalProtocol {

namespace {

std::string opOnly(Op op) { return std::string(1, static_cast<char>(op)); }

std::string withPayload(Op op, std::string_view payload) {
  std::string message;
  message.reserve(1 + payload.size());
  message.push_back(static_cast<char>(op));
  message.append(payload);
  return message;
}

std::string withSize(Op op, std::int64_t cols, std::int64_t rows) {
  const std::uint16_t c = clampToUInt16(cols);
  const std::uint16_t r = clampToUInt16(rows);
  return std::string{static_cast<char>(op), static_cast<char>(c >> 8), static_cast<char>(c & 0xFF),
                     static_cast<char>(r >> 8), static_cast<char>(r & 0xFF)};
}

// Payload text never fails to encode: text that is not UTF-8 gets replacement characters.
std::string withJson(Op op, const nlohmann::json& json) {
  return withPayload(op, json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

// Reads a big-endian u16 at `at`; the caller has checked the size.
std::uint16_t readUInt16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) << 8 |
                                    static_cast<unsigned char>(bytes[at + 1]));
}

// The payload as record T, or nothing when it is not JSON or not a T.
template <class T>
std::optional<T> decodeJson(std::string_view payload) {
  const auto json = nlohmann::json::parse(payload.begin(), payload.end(), nullptr,
                                          /*allow_exceptions=*/false);
  if (json.is_discarded()) return std::nullopt;
  try {
    return T::fromJson(json);
  } catch (const control_plane::DecodingError&) {
    return std::nullopt;
  }
}

template <class Case, class Payload, class Result>
Result jsonFrame(std::string_view payload, int code) {
  if (auto decoded = decodeJson<Payload>(payload)) return Case{std::move(*decoded)};
  return Unknown{code};
}

std::string_view cutRenderAnomaly(std::string_view text) {
  return text.substr(0, kRenderAnomalyMaxBytes);
}

}  // namespace

std::string encodeInput(std::string_view bytes) { return withPayload(Op::input, bytes); }
std::string encodeResize(std::int64_t cols, std::int64_t rows) {
  return withSize(Op::resize, cols, rows);
}
std::string encodePing() { return opOnly(Op::ping); }
std::string encodeHistoryMore() { return opOnly(Op::historyMore); }
std::string encodeDetach() { return opOnly(Op::detach); }
std::string encodeContentParity(std::string_view text) {
  return withPayload(Op::contentParity, text);
}
std::string encodeRenderAnomaly(std::string_view text) {
  return withPayload(Op::renderAnomaly, cutRenderAnomaly(text));
}

std::string encodeOutput(std::string_view bytes) { return withPayload(Op::output, bytes); }
std::string encodeReady(const ReadyPayload& payload) { return withJson(Op::ready, payload.toJson()); }
std::string encodeExit(const ExitPayload& payload) { return withJson(Op::exit, payload.toJson()); }
std::string encodeError(const ErrorPayload& payload) { return withJson(Op::error, payload.toJson()); }
std::string encodeGeometry(std::int64_t cols, std::int64_t rows) {
  return withSize(Op::geometry, cols, rows);
}
std::string encodeHistory(std::string_view bytes) { return withPayload(Op::history, bytes); }
std::string encodeHistoryEnd() { return opOnly(Op::historyEnd); }
std::string encodeHistoryOlder(std::string_view bytes) {
  return withPayload(Op::historyOlder, bytes);
}
std::string encodeHistoryOlderEnd(const HistoryOlderEndPayload& payload) {
  return withJson(Op::historyOlderEnd, payload.toJson());
}
std::string encodePong(const PongPayload& payload) {
  if (!payload.mode) return opOnly(Op::pong);
  return withJson(Op::pong, payload.toJson());
}
std::string encodeMouseMode(const MouseModePayload& payload) {
  return withJson(Op::mouseMode, payload.toJson());
}

Frame decode(std::string_view message) {
  if (message.empty()) return Unknown{-1};
  const int code = static_cast<unsigned char>(message[0]);
  const std::string_view payload = message.substr(1);
  switch (static_cast<Op>(code)) {
    case Op::output:
      return Output{std::string(payload)};
    case Op::ready:
      return jsonFrame<Ready, ReadyPayload, Frame>(payload, code);
    case Op::exit:
      return jsonFrame<Exit, ExitPayload, Frame>(payload, code);
    case Op::error:
      return jsonFrame<Error, ErrorPayload, Frame>(payload, code);
    case Op::ping:
      return Ping{};
    case Op::geometry:
      if (payload.size() < 4) return Unknown{code};
      return Geometry{readUInt16(payload, 0), readUInt16(payload, 2)};
    case Op::history:
      return History{std::string(payload)};
    case Op::historyEnd:
      return HistoryEnd{};
    case Op::historyOlder:
      return HistoryOlder{std::string(payload)};
    case Op::historyOlderEnd:
      return jsonFrame<HistoryOlderEnd, HistoryOlderEndPayload, Frame>(payload, code);
    case Op::pong:
      if (payload.empty()) return Pong{};
      return jsonFrame<Pong, PongPayload, Frame>(payload, code);
    case Op::mouseMode:
      return jsonFrame<MouseMode, MouseModePayload, Frame>(payload, code);
    default:
      return Unknown{code};
  }
}

ClientFrame decodeClientFrame(std::string_view message) {
  if (message.empty()) return Unknown{-1};
  const int code = static_cast<unsigned char>(message[0]);
  const std::string_view payload = message.substr(1);
  switch (static_cast<Op>(code)) {
    case Op::input:
      return Input{std::string(payload)};
    case Op::resize:
      if (payload.size() < 4) return Unknown{code};
      return Resize{readUInt16(payload, 0), readUInt16(payload, 2)};
    case Op::detach:
      return Detach{};
    case Op::ping:
      return Ping{};
    case Op::historyMore:
      return HistoryMore{};
    case Op::contentParity:
      return ContentParity{std::string(payload)};
    case Op::renderAnomaly:
      return RenderAnomaly{std::string(cutRenderAnomaly(payload))};
    default:
      return Unknown{code};
  }
}

namespace {

std::string encodeUnknown(const Unknown& unknown) {
  if (unknown.code < 0 || unknown.code > 0xFF) return {};
  return std::string(1, static_cast<char>(unknown.code));
}

struct FrameEncoder {
  std::string operator()(const Output& f) const { return encodeOutput(f.bytes); }
  std::string operator()(const Ready& f) const { return encodeReady(f.payload); }
  std::string operator()(const Exit& f) const { return encodeExit(f.payload); }
  std::string operator()(const Error& f) const { return encodeError(f.payload); }
  std::string operator()(const Geometry& f) const { return encodeGeometry(f.cols, f.rows); }
  std::string operator()(const History& f) const { return encodeHistory(f.bytes); }
  std::string operator()(const HistoryOlder& f) const { return encodeHistoryOlder(f.bytes); }
  std::string operator()(const HistoryOlderEnd& f) const {
    return encodeHistoryOlderEnd(f.payload);
  }
  std::string operator()(const Pong& f) const { return encodePong(f.payload); }
  std::string operator()(const MouseMode& f) const { return encodeMouseMode(f.payload); }
  std::string operator()(const Ping&) const { return encodePing(); }
  std::string operator()(const HistoryEnd&) const { return encodeHistoryEnd(); }
  std::string operator()(const Unknown& f) const { return encodeUnknown(f); }
};

struct ClientFrameEncoder {
  std::string operator()(const Input& f) const { return encodeInput(f.bytes); }
  std::string operator()(const Resize& f) const { return encodeResize(f.cols, f.rows); }
  std::string operator()(const Detach&) const { return encodeDetach(); }
  std::string operator()(const Ping&) const { return encodePing(); }
  std::string operator()(const HistoryMore&) const { return encodeHistoryMore(); }
  std::string operator()(const ContentParity& f) const { return encodeContentParity(f.text); }
  std::string operator()(const RenderAnomaly& f) const { return encodeRenderAnomaly(f.text); }
  std::string operator()(const Unknown& f) const { return encodeUnknown(f); }
};

}  // namespace

std::string encode(const Frame& frame) { return std::visit(FrameEncoder{}, frame); }
std::string encode(const ClientFrame& frame) { return std::visit(ClientFrameEncoder{}, frame); }

}  // namespace vesket::relay::TerminalProtocol
