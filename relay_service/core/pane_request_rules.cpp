#include "relay_service/core/pane_request_rules.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include <fmt/format.h>

#include "relay_service/core/multipart_form.h"

namespace vesket::relay_service::PaneRequestRules {
namespace {

bool alphanumeric(std::string_view text) {
  return !text.empty() && text.size() <= 8 &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isalnum(c) != 0; });
}

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

}  // namespace

std::string requirePaneId(const std::optional<std::string>& value, std::string_view field) {
  const bool valid = value && value->size() >= 2 && value->size() <= 12 && value->front() == '%' &&
                     std::all_of(value->begin() + 1, value->end(), [](unsigned char c) { return std::isdigit(c) != 0; });
  if (!valid) throw ApiError::invalidField("'" + std::string(field) + "' must be a pane id such as %3");
  return *value;
}

std::optional<std::int64_t> daemonId(const std::optional<std::string_view>& text) {
  if (!text) return std::nullopt;
  std::int64_t id = 0;
  const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), id);
  if (error != std::errc() || end != text->data() + text->size() || id <= 0) {
    throw ApiError::invalidField("'daemonId' must be a daemon id (a positive number)");
  }
  return id;
}

bool paneGone(std::string_view daemonError) {
  for (const std::string_view sign : {"no such pane", "can't find pane", "pane ended", "the pane has ended"}) {
    if (daemonError.find(sign) != std::string_view::npos) return true;
  }
  return false;
}

ApiError daemonRefusal(std::string_view doing, std::string_view daemonError) {
  if (paneGone(daemonError)) {
    return ApiError(404, "pane_not_found", "the pane is gone: " + std::string(daemonError));
  }
  return ApiError(502, "daemon_error", "the daemon could not " + std::string(doing) + ": " + std::string(daemonError));
}

std::string imageExtension(const FormPart& part) {
  if (part.fileName) {
    const std::size_t dot = part.fileName->rfind('.');
    if (dot != std::string::npos && alphanumeric(std::string_view(*part.fileName).substr(dot + 1))) {
      return lower(std::string_view(*part.fileName).substr(dot + 1));
    }
  }
  const std::string_view type = part.contentType;
  if (type.substr(0, 6) == "image/" && alphanumeric(type.substr(6))) return std::string(type.substr(6));
  throw ApiError::invalidField("an image needs a file name with an extension or an image content type");
}

nlohmann::json terminalAttachArgs(const std::vector<std::pair<std::string, std::string>>& query) {
  auto item = [&](std::string_view name) -> std::optional<std::string> {
    for (const auto& [key, value] : query) {
      if (key == name) return value;
    }
    return std::nullopt;
  };
  auto number = [&](std::string_view name, std::int64_t max) -> std::optional<std::int64_t> {
    const auto text = item(name);
    if (!text) return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size() || value < 0 || value > max) {
      throw ApiError::invalidField(fmt::format("'{}' must be a number from 0 to {}", name, max));
    }
    return value;
  };
  nlohmann::json args = {{"paneId", requirePaneId(item("paneId"))},
                         {"mode", item("mode") == "owned" ? "owned" : "takeover"},
                         {"open", item("open") != "0"},
                         {"force", item("force") == "1"}};
  const auto cols = number("cols", 10000);
  const auto rows = number("rows", 10000);
  // A size is the viewer's only when both are given and not zero.
  if (cols && rows && *cols > 0 && *rows > 0) {
    args["cols"] = *cols;
    args["rows"] = *rows;
  }
  if (const auto limit = number("historyLimit", 100000)) args["historyLimit"] = *limit;
  return args;
}

}  // namespace vesket::relay_service::PaneRequestRules
