#include "control_plane/core/command_arguments.h"

#include <charconv>
#include <cmath>

namespace vesket::control_plane::CommandArguments {

JSONObject selfVouch(const std::string& deviceId, const std::string& requestId, std::int64_t userId,
                     const std::string& deviceName) {
  return {{"deviceId", deviceId},
          {"requestId", requestId},
          {"userId", userId},
          {"deviceName", deviceName}};
}

JSONObject pane(const std::string& paneId) { return {{"paneId", paneId}}; }

JSONObject send(const std::string& paneId, const std::string& text,
                const std::optional<std::string>& submitKey,
                const std::optional<std::string>& clientRequestId) {
  JSONObject args{{"paneId", paneId}, {"text", text}};
  if (submitKey) args.emplace("submitKey", *submitKey);
  if (clientRequestId) args.emplace("clientRequestId", *clientRequestId);
  return args;
}

JSONObject sendKey(const std::string& paneId, const std::string& key) {
  return {{"paneId", paneId}, {"key", key}};
}

JSONObject setPaneLabel(const std::string& paneId, const std::string& customName) {
  return {{"paneId", paneId}, {"customName", customName}};
}

JSONObject answer(const std::string& paneId, const std::optional<std::int64_t>& choice,
                  const std::optional<std::vector<std::int64_t>>& choices,
                  const std::optional<std::string>& promptId) {
  JSONObject args{{"paneId", paneId}};
  if (choice) args.emplace("choice", *choice);
  if (choices) {
    JSONValue::Array values;
    values.reserve(choices->size());
    for (std::int64_t value : *choices) values.emplace_back(value);
    args.emplace("choices", std::move(values));
  }
  if (promptId) args.emplace("promptId", *promptId);
  return args;
}

JSONObject sendImage(const std::string& paneId, const std::vector<ImageAttachment>& images,
                     const std::string& text, bool submit) {
  JSONValue::Array encoded;
  encoded.reserve(images.size());
  for (const ImageAttachment& image : images) {
    encoded.emplace_back(JSONObject{{"base64", image.base64}, {"ext", image.ext}});
  }
  JSONObject args{{"paneId", paneId}, {"images", std::move(encoded)}, {"text", text}};
  if (!submit) args.emplace("submit", false);
  return args;
}

JSONObject tmuxSourceSet(const std::string& value) { return {{"value", value}}; }

JSONObject resizeWindow(const std::string& paneId, const std::optional<std::int64_t>& cols) {
  if (cols) return {{"paneId", paneId}, {"mode", "manual"}, {"cols", *cols}};
  return {{"paneId", paneId}, {"mode", "auto"}};
}

JSONObject spawnPlainTerminal(const std::optional<std::string>& windowName) {
  if (windowName && !windowName->empty()) return {{"windowName", *windowName}};
  return {};
}

JSONObject attachInfo(const std::optional<std::string>& paneId) {
  if (paneId) return {{"paneId", *paneId}};
  return {};
}

JSONObject crewModels() { return {{"action", "models"}}; }

JSONObject crewDisband(const std::string& project) {
  return {{"action", "disband"}, {"project", project}};
}

JSONObject claudeHistory(const std::string& paneId, std::int64_t width) {
  return {{"paneId", paneId}, {"width", width < 1 ? std::int64_t{1} : width}};
}

std::optional<double> parseDecimal(const std::string& text) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') {  // an explicit plus sign is still a number
    ++first;
    if (first != last && *first == '-') return std::nullopt;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
  return value;
}

JSONObject openLatency(const std::map<std::string, std::string>& latency) {
  JSONObject result;
  for (const auto& [key, value] : latency) result.emplace(key, value);

  result.erase("clientTapAtMonotonicMs");
  if (const auto tap = latency.find("tapAtMonotonicMs"); tap != latency.end()) {
    if (const auto number = parseDecimal(tap->second)) {
      result.insert_or_assign("clientTapAtMonotonicMs", *number);
    }
  }
  result.erase("tapAtMonotonicMs");

  result.erase("reason");
  if (const auto reason = latency.find("openReason"); reason != latency.end()) {
    result.insert_or_assign("reason", reason->second);
  }
  result.erase("openReason");
  return result;
}

JSONObject terminalAttach(const TerminalAttachRequest& request) {
  JSONObject args{{"paneId", request.paneId},
                  {"mode", request.mode},
                  {"force", request.force},
                  {"open", request.open}};
  if (request.cols) args.emplace("cols", *request.cols);
  if (request.rows) args.emplace("rows", *request.rows);
  if (request.historyLimit) args.emplace("historyLimit", *request.historyLimit);
  if (request.openLatency) args.emplace("openLatency", openLatency(*request.openLatency));
  return args;
}

JSONObject terminalInput(const std::string& sessionId, const std::string& dataBase64) {
  return {{"sessionId", sessionId}, {"data", dataBase64}};
}

JSONObject terminalDetach(const std::string& sessionId) { return {{"sessionId", sessionId}}; }

}  // namespace vesket::control_plane::CommandArguments
