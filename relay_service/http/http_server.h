#pragma once

// The relay's HTTP/1.1 and WebSocket server, plain or TLS, on Boost.Beast. Connections
// are spread in turn over the given io_contexts (one per worker thread: a connection's
// handlers stay on its thread, and only work that crosses to another connection wakes
// another thread); each runs as coroutines on its own strand. The handler sees plain
// records only (http_handler.h).
//
// Limits: a request head up to 16 KiB and a body up to the handler's bodyLimit (larger
// answers 413); a request must arrive complete within `requestTimeout` once it has begun;
// a connection idle for `idleTimeout` is closed. WebSocket messages up to
// `maxWebSocketMessageBytes`; a WebSocket silent for `webSocketIdleTimeout` is closed
// (the server pings it halfway through); each has one writer and a send queue bounded by
// `webSocketQueueBytes`.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "relay_service/core/relay_options.h"

namespace boost::asio {
class io_context;
}

namespace vesket::relay_service {

class HttpHandler;

class HttpServer {
 public:
  struct Options {
    ListenAddress listen;
    std::optional<std::string> tlsCertFile;
    std::optional<std::string> tlsKeyFile;
    std::chrono::milliseconds idleTimeout{60000};
    std::chrono::milliseconds requestTimeout{30000};
    std::chrono::milliseconds webSocketIdleTimeout{60000};
    std::size_t maxWebSocketMessageBytes = 1024 * 1024;
    std::size_t webSocketQueueBytes = 8 * 1024 * 1024;
    // One line per request (method, path without query, status, milliseconds).
    std::function<void(const std::string&)> log;
  };

  // The acceptor lives on the first context.
  HttpServer(std::vector<boost::asio::io_context*> contexts, Options options, HttpHandler& handler);
  ~HttpServer();

  // Loads the TLS files, binds and starts accepting. Returns the bound port. Throws
  // std::runtime_error with a clear message when it cannot.
  std::uint16_t start();
  // Stops accepting, closes every WebSocket with "going away" and idle connections at once,
  // lets requests in progress finish; `done` runs when every connection has ended or
  // `grace` has passed, whichever is first.
  void stop(std::chrono::milliseconds grace, std::function<void()> done);

  std::size_t connectionCount() const;

  struct State;  // the transport's internals (beast_server.cpp)

 private:
  std::shared_ptr<State> m_state;
};

}  // namespace vesket::relay_service
