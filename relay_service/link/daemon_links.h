#pragma once

// What the endpoint families ask of the daemon links: "send this command to daemon D and
// give me its answer", or "open this stream on daemon D". Which node a daemon is linked
// to is the implementation's business (one process today; across nodes later).

#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include <boost/asio/awaitable.hpp>
#include <nlohmann/json.hpp>

namespace vesket::relay_service {

class LinkStream;

// The daemon's reply to one request: its `data` when ok, its `error` otherwise.
struct LinkAnswer {
  bool ok = false;
  nlohmann::json data;
  std::string error;
};

// The request could not be answered by the daemon at all.
class DaemonUnreachable : public std::runtime_error {
 public:
  enum class Kind { offline, timeout, closed, busy };
  DaemonUnreachable(Kind kind, const std::string& message) : std::runtime_error(message), m_kind(kind) {}
  Kind kind() const { return m_kind; }

 private:
  Kind m_kind;
};

struct LinkStreamOptions {
  // What the relay holds for a reader that falls behind before it drops the stream.
  std::size_t maxQueuedBytes = 4 * 1024 * 1024;
};

class DaemonLinks {
 public:
  virtual ~DaemonLinks() = default;

  virtual bool isConnected(std::int64_t daemonId) const = 0;
  // Throws DaemonUnreachable. Must be awaited from a coroutine running on a strand (every
  // connection's coroutine does).
  virtual boost::asio::awaitable<LinkAnswer> request(std::int64_t daemonId, std::string cmd, nlohmann::json args,
                                                     std::chrono::milliseconds timeout) = 0;
  // Starts a streaming command; its replies and frames arrive on the stream. Throws
  // DaemonUnreachable when the daemon is not linked.
  virtual std::shared_ptr<LinkStream> openStream(std::int64_t daemonId, std::string cmd, nlohmann::json args,
                                                 LinkStreamOptions options = {}) = 0;
  // The executor of the daemon's link connection (empty when it is not linked): a
  // connection that mostly exchanges messages with the link does best on its thread.
  virtual boost::asio::any_io_executor linkExecutor(std::int64_t daemonId) const = 0;
  // Closes a daemon's link at once (its token was revoked or replaced).
  virtual void disconnect(std::int64_t daemonId, const std::string& reason) = 0;
};

}  // namespace vesket::relay_service
