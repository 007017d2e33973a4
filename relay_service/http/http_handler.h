#pragma once

// What the transport asks of the rest of the relay, and what it offers it. No Beast type
// appears here: handlers get a plain HttpRequest and return an HttpResponse, WebSocket
// endpoints get a WebSocketChannel to send on and a WebSocketSession that hears from it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include "relay_service/core/http_message.h"

namespace vesket::relay_service {

// One open WebSocket, as its endpoint sees it. Safe to use from any thread.
class WebSocketChannel {
 public:
  virtual ~WebSocketChannel() = default;

  // Queues one message for the peer. False (and the message dropped) when the channel is
  // closed or its send queue is over its limit: the caller decides what a full queue means.
  virtual bool send(std::string message, bool binary) = 0;
  // Bytes queued and not yet written to the socket.
  virtual std::size_t queuedBytes() const = 0;
  // Sends what is queued, then a close frame with this code and reason.
  virtual void close(std::uint16_t code, std::string reason) = 0;
  // The strand the connection runs on; the session's own work belongs there.
  virtual boost::asio::any_io_executor executor() const = 0;
};

// What an accepted WebSocket tells its endpoint, one call at a time.
class WebSocketSession {
 public:
  virtual ~WebSocketSession() = default;

  virtual void opened(std::shared_ptr<WebSocketChannel> channel) = 0;
  virtual void received(std::string message, bool binary) = 0;
  // The peer sent a ping or a pong: it is alive.
  virtual void heardFrom() {}
  // The connection is gone (closed by either side, or lost).
  virtual void closed() = 0;
};

// The answer to an upgrade request: a session to run, or the response that refuses it.
struct WebSocketAcceptance {
  std::shared_ptr<WebSocketSession> session;
  HttpResponse refusal;
  // The largest message accepted from this peer; 0 for the server's limit.
  std::size_t maxMessageBytes = 0;
  // Another connection's executor (WebSocketChannel::executor) that this one will exchange
  // most of its messages with: the transport moves the socket onto that connection's
  // thread when it can (plain connections), so passing a message between the two wakes no
  // other thread. Empty: the socket stays where it was accepted.
  boost::asio::any_io_executor affinity;
};

// The body of a streamed response (HttpResponse::stream), as the transport reads it.
class ResponseStream {
 public:
  virtual ~ResponseStream() = default;
  // The next piece of the body, awaited on the connection's strand; nothing once the body
  // is complete.
  virtual boost::asio::awaitable<std::optional<std::string>> next() = 0;
  // The connection is ending (the client left, or the relay stops): `next` ends soon.
  // Safe from any thread.
  virtual void stop() = 0;
};

class HttpHandler {
 public:
  virtual ~HttpHandler() = default;

  // The largest body accepted for a request, decided from its head (the body is empty).
  virtual std::size_t bodyLimit(const HttpRequest& head) const = 0;
  // Answers a request; never throws (failures are error responses).
  virtual boost::asio::awaitable<HttpResponse> handle(HttpRequest request) = 0;
  // A WebSocket upgrade request (GET with "Upgrade: websocket").
  virtual boost::asio::awaitable<WebSocketAcceptance> upgrade(HttpRequest request) = 0;
};

}  // namespace vesket::relay_service
