#include "relay/core/relay_pane_rules.h"

#include <algorithm>
#include <cctype>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace vesket::relay {
namespace {

// A quoted header parameter: quotes and backslashes escaped, line breaks dropped.
std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\r' || c == '\n') continue;
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

}  // namespace

RelayPaneError::RelayPaneError(Kind kind, int status, std::string message)
    : std::runtime_error(message), m_kind(kind), m_status(status), m_message(std::move(message)) {}

std::optional<RelayPaneError> RelayPaneError::check(int status, std::string_view body) {
  if (status >= 200 && status <= 299) return std::nullopt;
  if (status < 100) return RelayPaneError(Kind::badResponse, status, "no HTTP answer");
  if (status == 401) return RelayPaneError(Kind::notAuthenticated, status, "not authenticated");
  std::optional<std::string> error;
  const auto json = nlohmann::json::parse(body, nullptr, false);
  if (json.is_object()) {
    const auto found = json.find("error");
    if (found != json.end() && found->is_string()) error = found->get<std::string>();
  }
  if (status == 502 || status == 503) {
    return RelayPaneError(Kind::daemonUnavailable, status, error.value_or("daemon unavailable"));
  }
  return RelayPaneError(Kind::http, status, error.value_or("HTTP " + std::to_string(status)));
}

namespace RelayPaneRules {

std::string percentEncode(std::string_view text) {
  std::string out;
  for (const unsigned char c : text) {
    if (std::isalnum(c) != 0 || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += fmt::format("%{:02X}", c);
    }
  }
  return out;
}

std::string sortedQuery(std::vector<std::pair<std::string, std::string>> items) {
  std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string out;
  for (const auto& [name, value] : items) {
    if (!out.empty()) out += '&';
    out += percentEncode(name) + '=' + percentEncode(value);
  }
  return out;
}

std::string imageSubtype(std::string_view ext) { return ext == "jpg" ? "jpeg" : std::string(ext); }

void MultipartBuilder::addField(std::string_view name, std::string_view value) {
  m_body += "--" + m_boundary + "\r\nContent-Disposition: form-data; name=" + quoted(name) + "\r\n\r\n";
  m_body += value;
  m_body += "\r\n";
}

void MultipartBuilder::addFile(std::string_view name, std::string_view fileName, std::string_view contentType,
                               std::string_view bytes) {
  m_body += "--" + m_boundary + "\r\nContent-Disposition: form-data; name=" + quoted(name) + "; filename=" +
            quoted(fileName) + "\r\nContent-Type: " + std::string(contentType) + "\r\n\r\n";
  m_body += bytes;
  m_body += "\r\n";
}

std::string MultipartBuilder::finish() && { return std::move(m_body) + "--" + m_boundary + "--\r\n"; }

}  // namespace RelayPaneRules
}  // namespace vesket::relay
