#include "control_plane/core/frames.h"

#include "shell/core/vesket_identity.h"

namespace vesket::control_plane {

std::string RequestFrame::encode() const {
  nlohmann::json frame = nlohmann::json::object();
  frame["id"] = id;
  frame["cmd"] = cmd;
  frame["args"] = args.is_object() ? args : nlohmann::json::object();
  if (token) frame["token"] = *token;
  // Invalid UTF-8 in a text throws here; the client turns it into a protocol error.
  return frame.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
}

namespace {

// Reads the head from a parsed line. Every key is optional (missing or null reads as absent)
// but a present key of the wrong type makes the whole head undecodable.
std::optional<FrameHead> headFromJson(const nlohmann::json& json) {
  if (!json.is_object()) return std::nullopt;
  FrameHead head;
  bool valid = true;
  auto text = [&](const char* key) -> std::optional<std::string> {
    const auto it = json.find(key);
    if (it == json.end() || it->is_null()) return std::nullopt;
    if (!it->is_string()) {
      valid = false;
      return std::nullopt;
    }
    return it->get<std::string>();
  };
  auto flag = [&](const char* key) -> std::optional<bool> {
    const auto it = json.find(key);
    if (it == json.end() || it->is_null()) return std::nullopt;
    if (!it->is_boolean()) {
      valid = false;
      return std::nullopt;
    }
    return it->get<bool>();
  };
  head.id = text("id");
  head.ok = flag("ok");
  head.done = flag("done");
  head.error = text("error");
  if (!valid) return std::nullopt;
  return head;
}

nlohmann::json parseLine(std::string_view line) {
  return nlohmann::json::parse(line.begin(), line.end(), nullptr, false);
}

}  // namespace

std::optional<FrameHead> FrameHead::decode(std::string_view line) { return headFromJson(parseLine(line)); }

std::optional<FrameHead> FrameHead::fromJson(const nlohmann::json& json) { return headFromJson(json); }

std::string encodeCancelLine(const std::string& id) {
  // Written by hand so that the key order is exactly id, cmd.
  return "{\"id\":" + nlohmann::json(id).dump() + ",\"cmd\":\"cancel\"}";
}

std::optional<ReplyOutcome> matchReply(std::string_view line, const std::string& requestId) {
  const auto json = parseLine(line);
  const auto head = headFromJson(json);
  if (!head || !head->id || *head->id != requestId) return std::nullopt;
  if (head->ok.value_or(false)) {
    ReplyData reply;
    if (const auto data = json.find("data"); data != json.end()) {
      reply.data = *data;
      reply.hasData = true;
    }
    return reply;
  }
  return ReplyFailure{head->error.value_or("unknown error")};
}

StreamLine classifyStreamLine(std::string_view line, const std::string& streamId) {
  const auto head = FrameHead::decode(line);
  if (!head || !head->id || *head->id != streamId) return StreamIgnore{};
  if (head->done.value_or(false)) return StreamDone{};
  if (!head->ok) return StreamIgnore{};
  if (*head->ok) return StreamEvent{};
  return StreamFailure{head->error.value_or("stream error")};
}

std::optional<std::string> socketPathTooLongReason(const std::string& path) {
  if (path.size() <= kMaxSocketPathBytes) return std::nullopt;
  return "socket path too long for AF_UNIX (" + std::to_string(path.size()) + " bytes, max " +
         std::to_string(kMaxSocketPathBytes) + "): " + path;
}

std::string socketPathForHome(const std::string& home) { return home + "/daemon/control.sock"; }

std::string defaultHome(const std::function<std::optional<std::string>(const char*)>& getenv,
                        const std::string& userHome) {
  shell::HostFacts host;
  host.userHome = userHome;
  for (const char* name : {"VESKET_HOME", "DURNVALE_HOME"}) {
    if (auto value = getenv(name)) host.environment[name] = *value;
  }
  return shell::VesketIdentity::productHome(host);
}

std::string defaultSocketPath(const std::function<std::optional<std::string>(const char*)>& getenv,
                              const std::string& userHome) {
  return socketPathForHome(defaultHome(getenv, userHome));
}

}  // namespace vesket::control_plane
