#pragma once

#include <stdexcept>
#include <string>

namespace vesket::control_plane {

// The daemon could not be reached, or the connection to it was lost. Callers treat it as a
// daemon that is not running rather than as a failed command. The description is the reason.
class DaemonUnavailable : public std::runtime_error {
 public:
  explicit DaemonUnavailable(const std::string& reason) : std::runtime_error(reason) {}
  std::string reason() const { return what(); }
};

// A command that reached the daemon and failed, timed out, or came back unreadable.
class ControlPlaneError : public std::runtime_error {
 public:
  enum class Kind { requestFailed, timeout, protocolError };

  static ControlPlaneError requestFailed(const std::string& message) {
    return ControlPlaneError(Kind::requestFailed, message, message);
  }
  static ControlPlaneError timeout(const std::string& cmd) {
    return ControlPlaneError(Kind::timeout, cmd, "request timed out: " + cmd);
  }
  static ControlPlaneError protocolError(const std::string& message) {
    return ControlPlaneError(Kind::protocolError, message, "protocol error: " + message);
  }

  Kind kind() const { return m_kind; }
  // The case's payload: the message, or the command name for a timeout.
  const std::string& payload() const { return m_payload; }
  // The user-visible description.
  std::string description() const { return what(); }

 private:
  ControlPlaneError(Kind kind, std::string payload, const std::string& description)
      : std::runtime_error(description), m_kind(kind), m_payload(std::move(payload)) {}

  Kind m_kind;
  std::string m_payload;
};

// A socket error after the connection was established, passed through with the platform's
// own description.
class SocketError : public std::runtime_error {
 public:
  explicit SocketError(const std::string& description) : std::runtime_error(description) {}
};

// The caller gave up on the request (its cancellation token fired).
class RequestCancelled : public std::runtime_error {
 public:
  RequestCancelled() : std::runtime_error("request cancelled") {}
};

}  // namespace vesket::control_plane
