#include "relay/core/relay_error.h"

#include <nlohmann/json.hpp>

namespace vesket::relay::RelayResponse {
namespace {

std::optional<std::string> stringField(const nlohmann::json& object, const char* key) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}

}  // namespace

bool isValidUTF8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    int extra = 0;
    unsigned minimum = 0;
    unsigned code = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1, minimum = 0x80, code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, minimum = 0x800, code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, minimum = 0x10000, code = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= bytes.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

std::optional<RelayError> errorFor(int status, std::string_view body) {
  if (status >= 200 && status <= 299) return std::nullopt;
  const auto json = nlohmann::json::parse(body, nullptr, false);
  if (json.is_object()) {
    if (stringField(json, "error") == "daemon_capability_required") {
      return RelayError(status,
                        "Update Vesket on " + stringField(json, "machineName").value_or("this Mac") +
                            " to use this action (current " + stringField(json, "currentVersion").value_or("unknown") +
                            ", required " + stringField(json, "requiredVersion").value_or("1.1.227") + ").");
    }
    auto message = stringField(json, "message");
    if (!message) message = stringField(json, "error");
    if (message) return RelayError(status, *message, stringField(json, "reason"));
  }
  if (isValidUTF8(body)) return RelayError(status, std::string(body));
  return RelayError(status, "HTTP " + std::to_string(status));
}

bool asksForReenrolment(int status, std::string_view body, bool keychainCredential, bool retried) {
  if (retried || status != 403 || !keychainCredential) return false;
  const auto json = nlohmann::json::parse(body, nullptr, false);
  if (!json.is_object() || stringField(json, "error") != "device_not_approved") return false;
  const auto approval = stringField(json, "status");
  return approval != "pending" && approval != "denied";
}

}  // namespace vesket::relay::RelayResponse
