#include "relay_service/core/http_message.h"

#include <boost/url/parse.hpp>
#include <boost/url/url_view.hpp>
#include <nlohmann/json.hpp>

namespace vesket::relay_service {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string_view> HttpRequest::header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (key == name) return value;
  }
  return std::nullopt;
}

std::optional<std::string_view> HttpRequest::queryParam(std::string_view name) const {
  for (const auto& [key, value] : query) {
    if (key == name) return value;
  }
  return std::nullopt;
}

std::optional<std::string> HttpRequest::bearerToken() const {
  const auto value = header("authorization");
  if (!value || value->size() <= 7 || !equalsIgnoringCase(value->substr(0, 7), "bearer ")) return std::nullopt;
  std::string_view token = value->substr(7);
  while (!token.empty() && token.front() == ' ') token.remove_prefix(1);
  while (!token.empty() && token.back() == ' ') token.remove_suffix(1);
  if (token.empty()) return std::nullopt;
  return std::string(token);
}

HttpResponse HttpResponse::json(int status, const nlohmann::json& body) {
  HttpResponse response;
  response.status = status;
  response.body = body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return response;
}

std::optional<RequestTarget> RequestTarget::parse(std::string_view target) {
  if (target.empty() || target.front() != '/') return std::nullopt;
  const auto parsed = boost::urls::parse_origin_form(target);
  if (!parsed) return std::nullopt;
  RequestTarget result;
  result.path = std::string(parsed->path());  // decoded
  if (result.path.find('\0') != std::string::npos) return std::nullopt;
  for (const auto& param : parsed->params()) {
    result.query.emplace_back(std::string(param.key), param.has_value ? std::string(param.value) : std::string());
  }
  return result;
}

}  // namespace vesket::relay_service
