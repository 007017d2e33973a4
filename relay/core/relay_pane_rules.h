#pragma once

// The pure rules of the relay pane source (another machine's panes through the relay):
// query strings, multipart upload bodies and how an answer becomes
// success or a RelayPaneError.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vesket::relay {

// A failed relay pane call.
class RelayPaneError : public std::runtime_error {
 public:
  enum class Kind { daemonUnavailable, http, notAuthenticated, badResponse };

  RelayPaneError(Kind kind, int status, std::string message);
  Kind kind() const { return m_kind; }
  int status() const { return m_status; }
  const std::string& message() const { return m_message; }

  // Nothing for a 2xx answer; otherwise the error: 401 notAuthenticated, 502 and 503
  // daemonUnavailable (the body's "error", else "daemon unavailable"), any other status
  // http(status, the body's "error", else "HTTP <status>"); a status below 100 (no HTTP
  // answer) badResponse.
  static std::optional<RelayPaneError> check(int status, std::string_view body);

 private:
  Kind m_kind;
  int m_status;
  std::string m_message;
};

namespace RelayPaneRules {

// The largest file the relay carries in one upload: its 25 MiB body limit less room for the
// form around the file.
inline constexpr std::int64_t kMaxUploadBytes = 25 * 1024 * 1024 - 64 * 1024;

// Percent-encoding of a query item's name or value (RFC 3986 unreserved characters stay).
std::string percentEncode(std::string_view text);
// Query items sorted by name, percent-encoded, joined with "&" (no leading "?").
std::string sortedQuery(std::vector<std::pair<std::string, std::string>> items);
// The content subtype of an image extension ("jpg" is sent as "jpeg").
std::string imageSubtype(std::string_view ext);

// A multipart/form-data body: fields and files in the order added.
class MultipartBuilder {
 public:
  explicit MultipartBuilder(std::string boundary) : m_boundary(std::move(boundary)) {}
  const std::string& boundary() const { return m_boundary; }
  std::string contentType() const { return "multipart/form-data; boundary=" + m_boundary; }
  void addField(std::string_view name, std::string_view value);
  void addFile(std::string_view name, std::string_view fileName, std::string_view contentType, std::string_view bytes);
  // The body, closed by the final boundary.
  std::string finish() &&;

 private:
  std::string m_boundary;
  std::string m_body;
};

}  // namespace RelayPaneRules
}  // namespace vesket::relay
