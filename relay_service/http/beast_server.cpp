// The relay's transport on Boost.Beast: the listener, HTTP connections and WebSocket
// connections, plain or TLS. Everything Beast is in this file (and asio_impl.cpp), so the
// cost of compiling it is paid once; the rest of the relay sees http_handler.h only.
//
// Each TCP connection lives on its own strand. An HTTP connection is one coroutine that
// reads a request head, asks the handler, reads the body within the handler's limit,
// answers, and loops while the client keeps the connection alive. An upgrade hands the
// stream to a WebSocket connection: one coroutine reads, one writer drains a bounded queue
// (one writer per socket, as Beast requires).
#include "relay_service/http/http_server.h"

#include <boost/asio/as_tuple.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/execution/context_as.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>

#include <fmt/format.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <memory>
#include <vector>
#include <atomic>
#include <deque>
#include <limits>
#include <mutex>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "relay_service/http/http_handler.h"

namespace vesket::relay_service {
namespace {

namespace net = boost::asio;
namespace ssl = boost::asio::ssl;
namespace beast = boost::beast;
namespace http = boost::beast::http;
namespace websocket = boost::beast::websocket;
using tcp = net::ip::tcp;
using PlainStream = beast::tcp_stream;
using TlsStream = beast::ssl_stream<beast::tcp_stream>;
constexpr auto kTuple = net::as_tuple(net::use_awaitable);
constexpr std::size_t kMaxHeadBytes = 16 * 1024;
constexpr std::size_t kMaxLingerBytes = 64 * 1024 * 1024;

// A connection the server can ask to end (on stop).
class Stoppable {
 public:
  virtual ~Stoppable() = default;
  virtual void stop() = 0;
};

double millisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The target up to its query, still percent-encoded (so nothing secret and no control
// characters reach the log), and not endlessly long.
std::string loggablePath(std::string_view target) {
  target = target.substr(0, std::min(target.find('?'), std::size_t{200}));
  return std::string(target);
}

}  // namespace

struct HttpServer::State : std::enable_shared_from_this<HttpServer::State> {
  State(std::vector<net::io_context*> ioContexts, Options serverOptions, HttpHandler& requestHandler)
      : contexts(std::move(ioContexts)),
        options(std::move(serverOptions)),
        handler(requestHandler),
        acceptor(net::make_strand(*contexts.front())) {}

  // The context the next connection lives on, in turn.
  net::io_context& nextContext() { return *contexts[nextContextIndex++ % contexts.size()]; }

  void log(const std::string& line) const {
    if (options.log) options.log(line);
  }

  std::uint64_t add(std::weak_ptr<Stoppable> connection) {
    const std::lock_guard lock(mutex);
    connections.emplace(++nextId, std::move(connection));
    return nextId;
  }

  void remove(std::uint64_t id) {
    std::function<void()> done;
    {
      const std::lock_guard lock(mutex);
      connections.erase(id);
      if (stopping && connections.empty()) done = std::move(whenEmpty);
    }
    if (done) done();
  }

  std::vector<net::io_context*> contexts;
  std::atomic<std::size_t> nextContextIndex{0};
  Options options;
  HttpHandler& handler;
  std::optional<ssl::context> tls;
  tcp::acceptor acceptor;
  mutable std::mutex mutex;
  std::unordered_map<std::uint64_t, std::weak_ptr<Stoppable>> connections;
  std::uint64_t nextId = 0;
  bool stopping = false;
  std::function<void()> whenEmpty;
};

namespace {

using State = HttpServer::State;

// Removes a connection from the server's list when its coroutine ends.
struct Registration {
  std::shared_ptr<State> state;
  std::uint64_t id;
  ~Registration() { state->remove(id); }
};

void logException(const std::shared_ptr<State>& state, std::exception_ptr error) {
  if (!error) return;
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    state->log(fmt::format("connection failed: {}", e.what()));
  }
}

// --- WebSocket connections ----------------------------------------------------------

template <class Stream>
class WebSocketConnection final : public WebSocketChannel,
                                  public Stoppable,
                                  public std::enable_shared_from_this<WebSocketConnection<Stream>> {
 public:
  WebSocketConnection(std::shared_ptr<State> state, Stream stream, std::shared_ptr<WebSocketSession> session,
                      std::size_t maxMessageBytes)
      : m_state(std::move(state)),
        m_ws(std::move(stream)),
        m_session(std::move(session)),
        m_maxMessageBytes(maxMessageBytes ? maxMessageBytes : m_state->options.maxWebSocketMessageBytes),
        m_executor(m_ws.get_executor()) {}

  bool send(std::string message, bool binary) override {
    {
      const std::lock_guard lock(m_mutex);
      if (m_closed || m_closeRequest || m_queuedBytes + message.size() > m_state->options.webSocketQueueBytes) {
        return false;
      }
      m_queuedBytes += message.size();
      m_queue.emplace_back(std::move(message), binary);
      if (m_writing) return true;
      m_writing = true;
    }
    startWriter();
    return true;
  }

  std::size_t queuedBytes() const override {
    const std::lock_guard lock(m_mutex);
    return m_queuedBytes;
  }

  void close(std::uint16_t code, std::string reason) override {
    {
      const std::lock_guard lock(m_mutex);
      if (m_closed || m_closeRequest) return;
      m_closeRequest = websocket::close_reason(static_cast<websocket::close_code>(code), beast::string_view(reason.substr(0, 120)));
      if (m_writing) return;
      m_writing = true;
    }
    startWriter();
  }

  void stop() override { close(websocket::close_code::going_away, "relay stopping"); }

  net::any_io_executor executor() const override { return m_executor; }

  static net::awaitable<void> run(std::shared_ptr<WebSocketConnection> self, http::request<http::empty_body> request) {
    auto& ws = self->m_ws;
    beast::get_lowest_layer(ws).expires_never();
    websocket::stream_base::timeout timeout{};
    timeout.handshake_timeout = std::chrono::seconds(30);
    timeout.idle_timeout = self->m_state->options.webSocketIdleTimeout;
    timeout.keep_alive_pings = true;
    ws.set_option(timeout);
    ws.set_option(websocket::stream_base::decorator(
        [](websocket::response_type& response) { response.set(http::field::server, "vesket-relay"); }));
    ws.read_message_max(self->m_maxMessageBytes);
    std::weak_ptr<WebSocketSession> weakSession = self->m_session;
    ws.control_callback([weakSession](websocket::frame_type kind, beast::string_view) {
      if (kind == websocket::frame_type::close) return;
      if (auto session = weakSession.lock()) session->heardFrom();
    });

    auto [acceptError] = co_await ws.async_accept(request, kTuple);
    if (acceptError) {
      self->m_state->log(fmt::format("websocket handshake failed: {}", acceptError.message()));
      co_return;
    }
    self->m_session->opened(self);
    for (;;) {
      beast::flat_buffer buffer;
      auto [readError, bytes] = co_await ws.async_read(buffer, kTuple);
      if (readError) {
        if (readError == websocket::error::message_too_big) {
          self->m_state->log("websocket closed: a message over the size limit");
        }
        break;
      }
      self->m_session->received(beast::buffers_to_string(buffer.data()), !ws.got_text());
    }
    {
      const std::lock_guard lock(self->m_mutex);
      self->m_closed = true;
      self->m_queue.clear();
      self->m_queuedBytes = 0;
    }
    self->m_session->closed();
    self->m_session.reset();
  }

 private:
  void startWriter() {
    auto self = this->shared_from_this();
    net::co_spawn(m_ws.get_executor(), writeLoop(self), [self](std::exception_ptr error) {
      logException(self->m_state, error);
    });
  }

  static net::awaitable<void> writeLoop(std::shared_ptr<WebSocketConnection> self) {
    for (;;) {
      std::pair<std::string, bool> message;
      std::optional<websocket::close_reason> closing;
      {
        const std::lock_guard lock(self->m_mutex);
        if (self->m_closed) {
          self->m_writing = false;
          co_return;
        }
        if (!self->m_queue.empty()) {
          message = std::move(self->m_queue.front());
          self->m_queue.pop_front();
        } else if (self->m_closeRequest && !self->m_closeSent) {
          closing = self->m_closeRequest;
          self->m_closeSent = true;
        } else {
          self->m_writing = false;
          co_return;
        }
      }
      if (closing) {
        co_await self->m_ws.async_close(*closing, kTuple);
        const std::lock_guard lock(self->m_mutex);
        self->m_writing = false;
        co_return;
      }
      self->m_ws.binary(message.second);
      auto [error, written] = co_await self->m_ws.async_write(net::buffer(message.first), kTuple);
      const std::lock_guard lock(self->m_mutex);
      self->m_queuedBytes -= std::min(self->m_queuedBytes, message.first.size());
      if (error) {
        self->m_closed = true;
        self->m_queue.clear();
        self->m_queuedBytes = 0;
        self->m_writing = false;
        co_return;
      }
    }
  }

  std::shared_ptr<State> m_state;
  websocket::stream<Stream> m_ws;
  std::shared_ptr<WebSocketSession> m_session;
  std::size_t m_maxMessageBytes;
  net::any_io_executor m_executor;  // the connection's strand
  mutable std::mutex m_mutex;
  std::deque<std::pair<std::string, bool>> m_queue;
  std::size_t m_queuedBytes = 0;
  bool m_writing = false;
  bool m_closed = false;
  std::optional<websocket::close_reason> m_closeRequest;
  bool m_closeSent = false;
};

// --- HTTP connections ---------------------------------------------------------------

// Runs an accepted WebSocket until it ends; `id` is its place in the server's list.
template <class Stream>
net::awaitable<void> serveWebSocket(std::shared_ptr<State> state, std::shared_ptr<WebSocketConnection<Stream>> connection,
                                    std::uint64_t id, http::request<http::empty_body> request) {
  const Registration registration{state, id};
  co_await WebSocketConnection<Stream>::run(std::move(connection), std::move(request));
}

net::execution_context& contextOf(const net::any_io_executor& executor) {
  return net::query(executor, net::execution::context_as<net::execution_context&>);
}

HttpRequest describe(const http::request<http::empty_body>& head, const std::string& remoteAddress) {
  HttpRequest request;
  request.method = std::string(head.method_string());
  request.target = std::string(head.target());
  if (auto target = RequestTarget::parse(request.target)) {
    request.path = std::move(target->path);
    request.query = std::move(target->query);
  }
  for (const auto& field : head) {
    std::string name(field.name_string());
    for (char& c : name) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    request.headers.emplace_back(std::move(name), std::string(field.value()));
  }
  request.remoteAddress = remoteAddress;
  return request;
}

HttpResponse plainError(int status, const char* error, const char* message) {
  return HttpResponse::json(status, {{"error", error}, {"message", message}});
}

template <class Stream>
class HttpConnection final : public Stoppable, public std::enable_shared_from_this<HttpConnection<Stream>> {
 public:
  HttpConnection(std::shared_ptr<State> state, Stream stream, std::string remoteAddress)
      : m_state(std::move(state)), m_stream(std::move(stream)), m_remote(std::move(remoteAddress)) {}

  void stop() override {
    net::post(m_stream.get_executor(), [self = this->shared_from_this()] {
      self->m_stopping = true;
      if (self->m_responseStream) self->m_responseStream->stop();
      if (self->m_idle && !self->m_upgraded) beast::get_lowest_layer(self->m_stream).cancel();
    });
  }

  static net::awaitable<void> run(std::shared_ptr<HttpConnection> self) {
    const Registration registration{self->m_state, self->m_state->add(self)};
    co_await self->serve();
  }

 private:
  net::awaitable<void> serve() {
    const HttpServer::Options& options = m_state->options;
    auto& lowest = beast::get_lowest_layer(m_stream);
    if constexpr (std::is_same_v<Stream, TlsStream>) {
      lowest.expires_after(options.requestTimeout);
      auto [error] = co_await m_stream.async_handshake(ssl::stream_base::server, kTuple);
      if (error) co_return;
    }
    beast::flat_buffer buffer;
    for (;;) {
      // Waiting for a request: idle.
      m_idle = true;
      if (m_stopping) break;
      if (buffer.size() == 0) {
        lowest.expires_after(options.idleTimeout);
        auto [error, bytes] = co_await m_stream.async_read_some(buffer.prepare(kMaxHeadBytes), kTuple);
        if (error) break;
        buffer.commit(bytes);
      }
      m_idle = false;

      // A request has begun: it must arrive complete within the request timeout.
      lowest.expires_after(options.requestTimeout);
      http::request_parser<http::empty_body> headParser;
      headParser.header_limit(kMaxHeadBytes);
      // The body's limit depends on the endpoint and is checked once the head is read.
      headParser.body_limit(std::numeric_limits<std::uint64_t>::max());
      auto [headError, headBytes] = co_await http::async_read_header(m_stream, buffer, headParser, kTuple);
      if (headError) {
        if (headError == http::error::header_limit) {
          co_await write(plainError(431, "header_too_large", "the request head is larger than 16 KiB"), false, 11);
        } else if (headError != http::error::end_of_stream && headError != net::error::operation_aborted &&
                   headError != beast::error::timeout) {
          co_await write(plainError(400, "bad_request", "the request is not valid HTTP/1.1"), false, 11);
        }
        break;
      }
      const auto start = std::chrono::steady_clock::now();
      const unsigned version = headParser.get().version();
      HttpRequest request = describe(headParser.get(), m_remote);
      const std::string logPath = loggablePath(request.target);
      if (request.path.empty()) {
        co_await respond(plainError(400, "bad_request", "the request target is not a valid path"), false, version,
                         request.method, logPath, start);
        break;
      }

      if (websocket::is_upgrade(headParser.get())) {
        WebSocketAcceptance acceptance = co_await m_state->handler.upgrade(std::move(request));
        if (!acceptance.session) {
          co_await respond(acceptance.refusal, false, version, "GET", logPath, start);
          break;
        }
        m_state->log(fmt::format("GET {} 101 {:.1f}ms", logPath, millisecondsSince(start)));
        m_upgraded = true;
        if constexpr (std::is_same_v<Stream, PlainStream>) {
          if (auto moved = moveTo(acceptance.affinity)) {
            // From here on the connection lives on the other thread.
            auto connection = std::make_shared<WebSocketConnection<Stream>>(m_state, std::move(*moved),
                                                                            std::move(acceptance.session),
                                                                            acceptance.maxMessageBytes);
            const std::uint64_t id = m_state->add(connection);
            auto executor = connection->executor();
            auto serving = serveWebSocket(m_state, std::move(connection), id, headParser.release());
            net::co_spawn(executor, std::move(serving), [state = m_state](std::exception_ptr failure) {
              logException(state, failure);
            });
            co_return;
          }
        }
        auto connection = std::make_shared<WebSocketConnection<Stream>>(m_state, std::move(m_stream),
                                                                        std::move(acceptance.session),
                                                                        acceptance.maxMessageBytes);
        const std::uint64_t id = m_state->add(connection);
        auto serving = serveWebSocket(m_state, std::move(connection), id, headParser.release());
        co_await std::move(serving);
        co_return;
      }

      const std::size_t limit = m_state->handler.bodyLimit(request);
      if (headParser.content_length() && *headParser.content_length() > limit) {
        co_await respond(ApiPayloadTooLarge(limit), false, version, request.method, logPath, start);
        m_linger = true;
        break;
      }
      http::request_parser<http::string_body> parser(std::move(headParser));
      parser.body_limit(limit);
      auto [bodyError, bodyBytes] = co_await http::async_read(m_stream, buffer, parser, kTuple);
      if (bodyError == http::error::body_limit) {
        co_await respond(ApiPayloadTooLarge(limit), false, version, request.method, logPath, start);
        m_linger = true;
        break;
      }
      if (bodyError) break;
      const bool keepAlive = parser.get().keep_alive();
      request.body = std::move(parser.get().body());
      const std::string method = request.method;
      HttpResponse response;
      try {
        response = co_await m_state->handler.handle(std::move(request));
      } catch (const std::exception& error) {
        m_state->log(fmt::format("{} {} failed: {}", method, logPath, error.what()));
        response = plainError(500, "internal_error", "the relay failed to handle this request");
      }
      if (response.stream) {
        co_await streamResponse(response, version, method, logPath, start);
        break;
      }
      co_await respond(response, keepAlive && !m_stopping, version, method, logPath, start);
      if (!keepAlive || m_stopping || m_broken) break;
    }
    co_await shutdown();
  }

  // The connection's socket on a strand of the server's context that `affinity` runs on,
  // when that is another one than the socket's; nothing when it stays (no affinity, the
  // same context, a context not the server's, or the socket could not be moved).
  std::optional<PlainStream> moveTo(const net::any_io_executor& affinity) {
    if (!affinity) return std::nullopt;
    net::execution_context& target = contextOf(affinity);
    if (&target == &contextOf(m_stream.get_executor())) return std::nullopt;
    net::io_context* context = nullptr;
    for (net::io_context* candidate : m_state->contexts) {
      if (static_cast<net::execution_context*>(candidate) == &target) context = candidate;
    }
    if (!context) return std::nullopt;
    tcp::socket& socket = beast::get_lowest_layer(m_stream).socket();
    beast::error_code error;
    const tcp::endpoint local = socket.local_endpoint(error);
    if (error) return std::nullopt;
    const tcp::socket::native_handle_type handle = socket.release(error);
    if (error) return std::nullopt;
    tcp::socket moved(net::make_strand(*context));
    moved.assign(local.protocol(), handle, error);
    if (error) {
      // Neither socket owns the descriptor now: close it, and the upgrade fails below.
      ::close(handle);
      return std::nullopt;
    }
    return PlainStream(std::move(moved));
  }

  static HttpResponse ApiPayloadTooLarge(std::size_t limit) {
    return HttpResponse::json(413, {{"error", "payload_too_large"},
                                    {"message", fmt::format("the request body is larger than this endpoint accepts "
                                                            "({} bytes)",
                                                            limit)}});
  }

  net::awaitable<void> respond(const HttpResponse& response, bool keepAlive, unsigned version,
                               const std::string& method, const std::string& path,
                               std::chrono::steady_clock::time_point start) {
    co_await write(response, keepAlive, version);
    m_state->log(fmt::format("{} {} {} {:.1f}ms", method, path, response.status, millisecondsSince(start)));
  }

  // The status line and headers every answer carries, whatever its body.
  template <class Body>
  static void describeHead(http::response<Body>& message, const HttpResponse& response, bool keepAlive,
                           unsigned version) {
    message.version(version);
    message.result(static_cast<unsigned>(response.status));
    message.set(http::field::server, "vesket-relay");
    message.set(http::field::content_type, response.contentType);
    for (const auto& [name, value] : response.headers) message.set(name, value);
    message.keep_alive(keepAlive);
  }

  // A streamed body: the head at once (no length: the body ends when the connection
  // closes), then each piece as the stream yields it.
  net::awaitable<void> streamResponse(const HttpResponse& response, unsigned version, const std::string& method,
                                      const std::string& path, std::chrono::steady_clock::time_point start) {
    auto& lowest = beast::get_lowest_layer(m_stream);
    http::response<http::empty_body> head;
    describeHead(head, response, false, version);
    http::response_serializer<http::empty_body> serializer(head);
    lowest.expires_after(m_state->options.requestTimeout);
    auto [headError, headBytes] = co_await http::async_write_header(m_stream, serializer, kTuple);
    m_state->log(fmt::format("{} {} {} {:.1f}ms (stream)", method, path, response.status, millisecondsSince(start)));
    if (headError) co_return;
    m_responseStream = response.stream;
    if (m_stopping) m_responseStream->stop();
    for (;;) {
      lowest.expires_never();
      std::optional<std::string> piece = co_await m_responseStream->next();
      if (!piece) break;
      lowest.expires_after(m_state->options.requestTimeout);
      auto [error, bytes] = co_await net::async_write(m_stream, net::buffer(*piece), kTuple);
      if (error) break;
    }
    m_responseStream->stop();
    m_responseStream.reset();
  }

  net::awaitable<void> write(const HttpResponse& response, bool keepAlive, unsigned version) {
    if (response.file) {
      co_await writeFile(response, keepAlive, version);
      co_return;
    }
    http::response<http::string_body> message;
    describeHead(message, response, keepAlive, version);
    message.body() = response.body;
    message.prepare_payload();
    beast::get_lowest_layer(m_stream).expires_after(m_state->options.requestTimeout);
    auto [error, bytes] = co_await http::async_write(m_stream, message, kTuple);
    (void)error;
  }

  // A file body goes out in chunks as the socket takes them: a large download never sits
  // in memory whole, and a slow reader only holds one chunk.
  net::awaitable<void> writeFile(const HttpResponse& response, bool keepAlive, unsigned version) {
    const FileBody& body = *response.file;
    std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(body.path.c_str(), "rb"), &std::fclose);
    if (!file || (body.offset > 0 && ::fseeko(file.get(), static_cast<off_t>(body.offset), SEEK_SET) != 0)) {
      co_await write(plainError(500, "internal_error", "the file cannot be read"), false, version);
      m_broken = true;
      co_return;
    }
    http::response<http::buffer_body> message;
    describeHead(message, response, keepAlive, version);
    message.content_length(body.length);
    message.body().data = nullptr;
    message.body().more = body.length > 0;
    http::response_serializer<http::buffer_body> serializer(message);
    auto& lowest = beast::get_lowest_layer(m_stream);
    lowest.expires_after(m_state->options.requestTimeout);
    auto [headError, headBytes] = co_await http::async_write_header(m_stream, serializer, kTuple);
    if (headError) {
      m_broken = true;
      co_return;
    }
    std::vector<char> chunk(64 * 1024);
    std::uint64_t left = body.length;
    while (left > 0) {
      const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
      const std::size_t read = std::fread(chunk.data(), 1, wanted, file.get());
      if (read == 0) {
        // The file shrank under us: the promised length cannot be kept, so the connection ends.
        m_broken = true;
        co_return;
      }
      left -= read;
      message.body().data = chunk.data();
      message.body().size = read;
      message.body().more = left > 0;
      lowest.expires_after(m_state->options.requestTimeout);
      auto [error, written] = co_await http::async_write(m_stream, serializer, kTuple);
      if (error == http::error::need_buffer) continue;
      if (error) {
        m_broken = true;
        co_return;
      }
    }
  }

  net::awaitable<void> shutdown() {
    auto& lowest = beast::get_lowest_layer(m_stream);
    if (m_linger) {
      // A refused body is still on its way: take it in (briefly, and only so much) before
      // closing, so the client reads our answer instead of a connection reset.
      lowest.expires_after(std::chrono::seconds(2));
      std::array<char, 16 * 1024> sink;
      std::size_t discarded = 0;
      while (discarded < kMaxLingerBytes) {
        auto [error, bytes] = co_await m_stream.async_read_some(net::buffer(sink), kTuple);
        if (error) break;
        discarded += bytes;
      }
    }
    if constexpr (std::is_same_v<Stream, TlsStream>) {
      lowest.expires_after(std::chrono::seconds(5));
      auto [error] = co_await m_stream.async_shutdown(kTuple);
      (void)error;
    }
    beast::error_code ignored;
    lowest.socket().shutdown(tcp::socket::shutdown_send, ignored);
    lowest.close();
  }

  std::shared_ptr<State> m_state;
  Stream m_stream;
  std::string m_remote;
  bool m_idle = true;
  bool m_stopping = false;
  bool m_upgraded = false;
  bool m_linger = false;
  std::shared_ptr<ResponseStream> m_responseStream;  // while a streamed body is written
  bool m_broken = false;  // an answer could not be written whole: the connection ends
};

net::awaitable<void> acceptLoop(std::shared_ptr<State> state) {
  for (;;) {
    auto [error, socket] = co_await state->acceptor.async_accept(net::make_strand(state->nextContext()), kTuple);
    if (error) {
      if (error == net::error::operation_aborted || !state->acceptor.is_open()) co_return;
      // Out of descriptors and the like: wait a moment instead of spinning.
      state->log(fmt::format("accept failed: {}", error.message()));
      net::steady_timer pause(state->acceptor.get_executor(), std::chrono::milliseconds(100));
      co_await pause.async_wait(kTuple);
      continue;
    }
    // Terminal frames are small and wait for an answer: no Nagle delay on any connection.
    beast::error_code optionError;
    socket.set_option(net::ip::tcp::no_delay(true), optionError);
    beast::error_code endpointError;
    const auto endpoint = socket.remote_endpoint(endpointError);
    std::string remote = endpointError ? std::string("unknown") : endpoint.address().to_string();
    auto executor = socket.get_executor();
    auto onEnd = [state](std::exception_ptr failure) { logException(state, failure); };
    if (state->tls) {
      auto connection = std::make_shared<HttpConnection<TlsStream>>(state, TlsStream(std::move(socket), *state->tls),
                                                                    std::move(remote));
      net::co_spawn(executor, HttpConnection<TlsStream>::run(connection), onEnd);
    } else {
      auto connection =
          std::make_shared<HttpConnection<PlainStream>>(state, PlainStream(std::move(socket)), std::move(remote));
      net::co_spawn(executor, HttpConnection<PlainStream>::run(connection), onEnd);
    }
  }
}

}  // namespace

HttpServer::HttpServer(std::vector<net::io_context*> contexts, Options options, HttpHandler& handler)
    : m_state(std::make_shared<State>(std::move(contexts), std::move(options), handler)) {
  if (m_state->contexts.empty()) throw std::invalid_argument("HttpServer needs at least one io_context");
}

HttpServer::~HttpServer() {
  beast::error_code ignored;
  m_state->acceptor.close(ignored);
}

std::uint16_t HttpServer::start() {
  State& state = *m_state;
  if (state.options.tlsCertFile) {
    state.tls.emplace(ssl::context::tls_server);
    state.tls->set_options(ssl::context::default_workarounds | ssl::context::no_sslv2 | ssl::context::no_sslv3 |
                           ssl::context::no_tlsv1 | ssl::context::no_tlsv1_1 | ssl::context::single_dh_use);
    beast::error_code error;
    state.tls->use_certificate_chain_file(*state.options.tlsCertFile, error);
    if (error) {
      throw std::runtime_error(
          fmt::format("cannot load the TLS certificate {}: {}", *state.options.tlsCertFile, error.message()));
    }
    state.tls->use_private_key_file(*state.options.tlsKeyFile, ssl::context::pem, error);
    if (error) {
      throw std::runtime_error(fmt::format("cannot load the TLS key {}: {}", *state.options.tlsKeyFile, error.message()));
    }
  }
  beast::error_code error;
  const auto address = net::ip::make_address(state.options.listen.host, error);
  if (error) throw std::runtime_error(fmt::format("--listen: '{}' is not an IP address", state.options.listen.host));
  const tcp::endpoint endpoint(address, state.options.listen.port);
  state.acceptor.open(endpoint.protocol(), error);
  if (!error) state.acceptor.set_option(net::socket_base::reuse_address(true), error);
  if (!error) state.acceptor.bind(endpoint, error);
  if (!error) state.acceptor.listen(net::socket_base::max_listen_connections, error);
  if (error) {
    throw std::runtime_error(fmt::format("cannot listen on {}: {}", state.options.listen.toString(), error.message()));
  }
  const std::uint16_t port = state.acceptor.local_endpoint().port();
  net::co_spawn(state.acceptor.get_executor(), acceptLoop(m_state),
                [state = m_state](std::exception_ptr failure) { logException(state, failure); });
  return port;
}

void HttpServer::stop(std::chrono::milliseconds grace, std::function<void()> done) {
  auto finished = std::make_shared<std::atomic<bool>>(false);
  auto finishOnce = [finished, done = std::move(done)] {
    if (!finished->exchange(true) && done) done();
  };
  net::post(m_state->acceptor.get_executor(), [state = m_state] {
    beast::error_code ignored;
    state->acceptor.close(ignored);
  });
  std::vector<std::shared_ptr<Stoppable>> open;
  {
    const std::lock_guard lock(m_state->mutex);
    m_state->stopping = true;
    m_state->whenEmpty = finishOnce;
    for (const auto& [id, weak] : m_state->connections) {
      if (auto connection = weak.lock()) open.push_back(std::move(connection));
    }
    if (m_state->connections.empty()) m_state->whenEmpty = nullptr;
  }
  if (open.empty()) {
    finishOnce();
    return;
  }
  for (const auto& connection : open) connection->stop();
  auto timer = std::make_shared<net::steady_timer>(*m_state->contexts.front(), grace);
  timer->async_wait([timer, finishOnce](const beast::error_code&) { finishOnce(); });
}

std::size_t HttpServer::connectionCount() const {
  const std::lock_guard lock(m_state->mutex);
  return m_state->connections.size();
}

}  // namespace vesket::relay_service
