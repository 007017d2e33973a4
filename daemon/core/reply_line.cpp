#include "daemon/core/reply_line.h"

namespace vesket::daemon {

std::string ReplyLine::encode(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string ReplyLine::data(const std::string& id, const nlohmann::json& data) {
  return encode({{"id", id}, {"ok", true}, {"data", data}}) + '\n';
}

std::string ReplyLine::failure(const std::optional<std::string>& id, const std::string& error) {
  nlohmann::json line = {{"id", nullptr}, {"ok", false}, {"error", error}};
  if (id) line["id"] = *id;
  return encode(line) + '\n';
}

std::string ReplyLine::event(const std::string& id, const nlohmann::json& event) {
  return encode({{"id", id}, {"ok", true}, {"event", event}}) + '\n';
}

std::string ReplyLine::done(const std::string& id) {
  return encode({{"id", id}, {"done", true}}) + '\n';
}

}  // namespace vesket::daemon
