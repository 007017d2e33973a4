#include "daemon/core/request_frame.h"

#include <fmt/format.h>

#include "control_plane/core/line_accumulator.h"

namespace vesket::daemon {

namespace {

using Json = nlohmann::json;

// What a member of the frame object held.
enum class Member { absent, null, string, object, other };

// Scans a line as SAX events without building anything: keeps the frame's own members
// (`id`, `cmd`, `token` and the kind of `args`) and stops at the first bound crossed.
class HeadScanner {
 public:
  explicit HeadScanner(const RequestLimits& limits) : m_limits(limits) {}

  enum class Stop { none, notObject, tooDeep, tooMany, invalid };
  Stop stop = Stop::none;
  Member id = Member::absent, cmd = Member::absent, args = Member::absent, token = Member::absent;
  std::string idText, cmdText, tokenText;

  bool null() { return scalar(Member::null, nullptr); }
  bool boolean(bool) { return scalar(Member::other, nullptr); }
  bool number_integer(Json::number_integer_t) { return scalar(Member::other, nullptr); }
  bool number_unsigned(Json::number_unsigned_t) { return scalar(Member::other, nullptr); }
  bool number_float(Json::number_float_t, const Json::string_t&) { return scalar(Member::other, nullptr); }
  bool string(Json::string_t& value) { return scalar(Member::string, &value); }
  bool binary(Json::binary_t&) { return scalar(Member::other, nullptr); }
  bool start_object(std::size_t) { return open(Member::object); }
  bool start_array(std::size_t) { return open(Member::other); }
  bool end_object() { return close(); }
  bool end_array() { return close(); }
  bool key(Json::string_t& name) {
    if (m_depth == 1) m_key = std::move(name);
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
    if (stop == Stop::none) stop = Stop::invalid;
    return false;
  }

 private:
  bool counted() {
    if (++m_values <= m_limits.maxValues) return true;
    stop = Stop::tooMany;
    return false;
  }

  // A value directly inside the frame object is one of its members.
  void member(Member kind, Json::string_t* text) {
    if (m_key == "id") {
      id = kind;
      if (text) idText = std::move(*text);
    } else if (m_key == "cmd") {
      cmd = kind;
      if (text) cmdText = std::move(*text);
    } else if (m_key == "token") {
      token = kind;
      if (text) tokenText = std::move(*text);
    } else if (m_key == "args") {
      args = kind;
    }
  }

  bool scalar(Member kind, Json::string_t* text) {
    if (!counted()) return false;
    if (m_depth == 0) {
      stop = Stop::notObject;
      return false;
    }
    if (m_depth == 1) member(kind, text);
    return true;
  }

  bool open(Member kind) {
    if (!counted()) return false;
    if (m_depth == 0 && kind != Member::object) {
      stop = Stop::notObject;
      return false;
    }
    if (m_depth == 1) member(kind, nullptr);
    if (++m_depth > m_limits.maxDepth) {
      stop = Stop::tooDeep;
      return false;
    }
    return true;
  }

  bool close() {
    --m_depth;
    return true;
  }

  const RequestLimits& m_limits;
  std::size_t m_depth = 0;
  std::size_t m_values = 0;
  std::string m_key;
};

}  // namespace

std::variant<RequestHead, RequestRejection> readRequestHead(std::string_view line, const RequestLimits& limits) {
  if (!control_plane::isValidUtf8(line)) return RequestRejection{std::nullopt, "malformed request: not valid UTF-8"};
  HeadScanner scan(limits);
  try {
    Json::sax_parse(line.begin(), line.end(), &scan);
  } catch (const std::exception&) {
    if (scan.stop == HeadScanner::Stop::none) scan.stop = HeadScanner::Stop::invalid;
  }
  // An id read before the scan stopped still names the request.
  std::optional<std::string> id;
  if (scan.id == Member::string && !scan.idText.empty()) id = scan.idText;
  switch (scan.stop) {
    case HeadScanner::Stop::none: break;
    case HeadScanner::Stop::notObject:
      return RequestRejection{std::nullopt, "malformed request: expected a JSON object"};
    case HeadScanner::Stop::invalid:
      return RequestRejection{std::nullopt, "malformed request: not valid JSON"};
    case HeadScanner::Stop::tooDeep:
      return RequestRejection{id, fmt::format("malformed request: nested deeper than {} levels", limits.maxDepth)};
    case HeadScanner::Stop::tooMany:
      return RequestRejection{id, fmt::format("malformed request: more than {} values", limits.maxValues)};
  }
  if (!id) return RequestRejection{std::nullopt, "malformed request: 'id' must be a non-empty string"};
  if (scan.cmd != Member::string || scan.cmdText.empty()) {
    return RequestRejection{id, "malformed request: 'cmd' must be a non-empty string"};
  }
  if (scan.args != Member::absent && scan.args != Member::null && scan.args != Member::object) {
    return RequestRejection{id, "malformed request: 'args' must be an object"};
  }
  if (scan.token != Member::absent && scan.token != Member::null && scan.token != Member::string) {
    return RequestRejection{id, "malformed request: 'token' must be a string"};
  }
  RequestHead head{std::move(*id), std::move(scan.cmdText), std::nullopt};
  if (scan.token == Member::string) head.token = std::move(scan.tokenText);
  return head;
}

RequestFrame completeRequestFrame(RequestHead head, std::string_view line) {
  RequestFrame frame{std::move(head.id), std::move(head.cmd), Json::object(), std::move(head.token)};
  // The head scan has already bounded the line, so building it costs little.
  Json doc = Json::parse(line, nullptr, /*allow_exceptions=*/false);
  if (doc.is_object()) {
    const auto args = doc.find("args");
    if (args != doc.end() && args->is_object()) frame.args = std::move(*args);
  }
  return frame;
}

std::variant<RequestFrame, RequestRejection> parseRequestFrame(std::string_view line, const RequestLimits& limits) {
  auto head = readRequestHead(line, limits);
  if (auto* rejection = std::get_if<RequestRejection>(&head)) return std::move(*rejection);
  return completeRequestFrame(std::move(std::get<RequestHead>(head)), line);
}

}  // namespace vesket::daemon
