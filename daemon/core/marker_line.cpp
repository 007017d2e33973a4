#include "daemon/core/marker_line.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "control_plane/core/base64.h"

namespace vesket::daemon::MarkerLine {

using control_plane::Base64::encode;

const std::vector<std::string>& styles() {
  static const std::vector<std::string> all = {"numbered",          "yes-no",      "menu-arrow", "free-text-prompt",
                                               "free-text-options", "crew-signal", "attention"};
  return all;
}

bool isStyle(std::string_view style) {
  return std::find(styles().begin(), styles().end(), style) != styles().end();
}

bool isValidId(std::string_view id) {
  return !id.empty() && std::all_of(id.begin(), id.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
  });
}

const std::vector<std::string>& signalKinds() {
  static const std::vector<std::string> kinds = {"approval", "review", "question", "go-ahead"};
  return kinds;
}

std::string approval(std::string_view id, std::string_view question, const std::vector<std::string>& options,
                     std::string_view style) {
  const std::string optionsJson = nlohmann::json(options).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return "<<<DURNVALE-AWAITING id=" + std::string(id) + " question_b64=" + encode(question) +
         " options_b64=" + encode(optionsJson) + " style=" + std::string(style) + ">>>";
}

std::string resolved(std::string_view id) { return "<<<DURNVALE-RESOLVED id=" + std::string(id) + ">>>"; }

std::string needsYou(std::string_view kind, std::string_view reason, std::string_view id) {
  return "<<<CREW-SIGNAL state=needs-you kind=" + std::string(kind) + " reason_b64=" + encode(reason) +
         " id=" + std::string(id) + ">>>";
}

std::string done(std::string_view id) { return "<<<CREW-SIGNAL state=done id=" + std::string(id) + ">>>"; }

}  // namespace vesket::daemon::MarkerLine
