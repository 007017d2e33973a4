#pragma once

#include <QString>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace vesket::daemon {

// The daemon did not answer: no socket, refused, or no reply in time.
class DaemonNotAnswering : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The command-line tool's way to ask the running daemon one thing: connect, write one
// request line, wait for the reply with the same id. Blocking (the CLI has nothing else to
// do); the desktop application uses its own asynchronous client.
class CliControlClient {
 public:
  CliControlClient(QString socketPath, QString token) : m_socketPath(std::move(socketPath)), m_token(std::move(token)) {}

  // The reply's `data`. Throws DaemonNotAnswering, or std::runtime_error with the daemon's
  // error text for an `ok: false` reply.
  nlohmann::json request(const std::string& cmd, const nlohmann::json& args = nlohmann::json::object(),
                         int timeoutMs = 5000) const;

 private:
  QString m_socketPath;
  QString m_token;
};

}  // namespace vesket::daemon
