#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <boost/asio/awaitable.hpp>
#include <boost/asio/steady_timer.hpp>

#include "relay_service/core/stream_queue.h"

namespace vesket::relay_service {

class DaemonLink;

// One stream on a daemon link, as its reader sees it: the daemon's lines for the stream's
// id and the terminal frames under its number, in order, through a bounded queue
// (StreamQueue). A reader that falls too far behind finds the stream ended as
// `overflowed`; the daemon is told to stop it. Safe to use from any thread; `next` is
// awaited by one reader at a time.
class LinkStream : public std::enable_shared_from_this<LinkStream> {
 public:
  enum class End { done, failed, overflowed, linkClosed, closedByReader };

  LinkStream(std::weak_ptr<DaemonLink> link, std::string id, std::uint32_t number, std::size_t maxQueuedBytes);

  const std::string& id() const { return m_id; }
  std::uint32_t number() const { return m_number; }

  // The next message, or nothing once the stream has ended and its queue is drained.
  boost::asio::awaitable<std::optional<StreamMessage>> next();
  // Why it ended (set once it has).
  std::optional<End> end() const;
  std::string failure() const;

  // Sends one terminal frame to the daemon under this stream's number.
  bool sendFrame(std::string_view frame);
  // Stops the stream: the daemon is told to cancel it.
  void close();

  // Called by the link.
  void deliver(StreamMessage message);
  void finish(End end, std::string failure = {});

 private:
  void wakeLocked();

  std::weak_ptr<DaemonLink> m_link;
  std::string m_id;
  std::uint32_t m_number;
  mutable std::mutex m_mutex;
  StreamQueue m_queue;
  std::optional<End> m_end;
  std::string m_failure;
  std::shared_ptr<boost::asio::steady_timer> m_wake;  // the waiting reader's timer
};

}  // namespace vesket::relay_service
