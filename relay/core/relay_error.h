#pragma once

// The one error value of relay calls, and the rules that read a relay answer into it.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vesket::relay {

// A relay call that did not succeed: its HTTP status (-1 when no HTTP answer came), the
// message to explain and show, and the relay's reason when it gave one.
class RelayError : public std::runtime_error {
 public:
  RelayError(int status, std::string message, std::optional<std::string> reason = std::nullopt)
      : std::runtime_error(message), status(status), message(std::move(message)), reason(std::move(reason)) {}

  int status;
  std::string message;
  std::optional<std::string> reason;
};

namespace RelayResponse {

// The error for an answer with a status outside 200..299 (nothing for a success):
// "daemon_capability_required" names the machine and versions; else the body's "message",
// its "error", the body as UTF-8 text, or "HTTP <status>"; the reason is the body's "reason".
std::optional<RelayError> errorFor(int status, std::string_view body);
// Whether a 403 answer asks for this device to be enrolled and the request sent once more:
// its body says "device_not_approved" with a status other than "pending" or "denied", the
// request used the account token store, and it was not already a retry.
bool asksForReenrolment(int status, std::string_view body, bool keychainCredential, bool retried);
// Whether the bytes are well-formed UTF-8.
bool isValidUTF8(std::string_view bytes);

}  // namespace RelayResponse

}  // namespace vesket::relay
