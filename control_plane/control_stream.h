#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>

#include <any>
#include <coroutine>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <qcoro/qcorotask.h>

#include "control_plane/ndjson_connection.h"

namespace vesket::control_plane {

namespace detail {

// Shared state of one stream: its connection, the events decoded so far (unbounded, as the
// consumer reads at its own pace) and how it ended. Kept alive by the consumer's handle and
// by the delayed finish that follows a cancel line.
class StreamState : public std::enable_shared_from_this<StreamState> {
 public:
  using Decode = std::function<std::any(const std::string& line)>;

  std::string id;
  Decode decode;
  std::unique_ptr<NDJSONConnection> connection;
  std::deque<std::any> events;
  bool finished = false;          // the stream has ended (normally or with an error)
  std::exception_ptr error;       // set when it ended with an error
  bool consumerCancelled = false;

  void start(const std::string& requestLine);
  void push(std::any event);
  void end(std::exception_ptr error);
  // `wakeWaiting`: a next() still waiting ends normally (an explicit cancel from elsewhere).
  // Letting go of the handle does not wake anyone: whoever waits may be gone with it.
  void cancelByConsumer(bool wakeWaiting);

  // Holds a plain pointer: the awaiting coroutine keeps the state alive, and g++ 12
  // mishandles awaiters with non-trivial destructors in co_await expressions.
  struct Awaiter {
    StreamState* state;
    bool await_ready() const noexcept { return !state->events.empty() || state->finished; }
    void await_suspend(std::coroutine_handle<> handle) noexcept { state->m_waiter = handle; }
    std::optional<std::any> await_resume();
  };

 private:
  void wakeWaiter();
  void onLine(const std::string& line);
  std::coroutine_handle<> m_waiter;
};

}  // namespace detail

// The consumer's handle of a streaming request: events arrive in order through next(),
// which gives nothing once the stream has ended normally and throws the error it ended
// with otherwise. Letting go of the handle (or cancel()) before the end tells the daemon:
// a cancel line, then the connection closes 0.2 s later.
template <typename T>
class ControlStream {
 public:
  ControlStream() = default;
  explicit ControlStream(std::shared_ptr<detail::StreamState> state) : m_state(std::move(state)) {}
  ControlStream(ControlStream&&) noexcept = default;
  ControlStream& operator=(ControlStream&& other) noexcept {
    if (this != &other) {
      release();
      m_state = std::move(other.m_state);
    }
    return *this;
  }
  ~ControlStream() { release(); }

  QCoro::Task<std::optional<T>> next() { return nextFrom(m_state); }

  // Stops the stream; a next() still waiting (in another coroutine) ends normally.
  void cancel() {
    if (m_state) m_state->cancelByConsumer(true);
  }

  const std::string& id() const { return m_state->id; }
  bool isValid() const { return m_state != nullptr; }

 private:
  static QCoro::Task<std::optional<T>> nextFrom(std::shared_ptr<detail::StreamState> state) {
    auto event = co_await detail::StreamState::Awaiter{state.get()};
    if (!event) co_return std::nullopt;
    co_return std::any_cast<T>(std::move(*event));
  }

  void release() {
    if (m_state) m_state->cancelByConsumer(false);
  }

  std::shared_ptr<detail::StreamState> m_state;
};

}  // namespace vesket::control_plane
