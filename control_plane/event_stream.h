#pragma once

#include <QCoreApplication>
#include <QMetaObject>

#include <coroutine>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include <qcoro/qcorotask.h>

namespace vesket::control_plane {

namespace detail {

// An unbounded queue of events between one producer and one consumer on the same thread,
// ending once, normally or with an error. The producer is whatever owns the channel (the
// reconnecting pane watch, a terminal attach session); the consumer reads through an
// EventStream. Used only on the thread that created it.
template <typename T>
class EventChannel {
 public:
  // Called once when the consumer lets go before the end (cancel or destruction).
  std::function<void()> onConsumerCancel;

  void push(T event) {
    if (m_ended) return;
    m_events.push_back(std::move(event));
    wake();
  }

  // Ends the channel; events already queued are still read. Later ends do nothing.
  void end(std::exception_ptr error = nullptr) {
    if (m_ended) return;
    m_ended = true;
    m_error = error;
    wake();
  }

  bool isEnded() const { return m_ended; }

  // `wakeWaiting`: a next() still waiting ends normally (an explicit cancel from elsewhere).
  // Letting go of the handle does not wake anyone: whoever waits may be gone with it.
  void cancelByConsumer(bool wakeWaiting) {
    if (m_ended) return;
    m_ended = true;
    m_events.clear();
    if (wakeWaiting) wake();
    if (auto hook = std::exchange(onConsumerCancel, nullptr)) hook();
  }

  // Holds a plain pointer: the awaiting coroutine keeps the channel alive, and g++ 12
  // mishandles awaiters with non-trivial destructors in co_await expressions.
  struct Awaiter {
    EventChannel* channel;
    bool await_ready() const noexcept { return !channel->m_events.empty() || channel->m_ended; }
    void await_suspend(std::coroutine_handle<> handle) noexcept { channel->m_waiter = handle; }
    std::optional<T> await_resume() {
      if (!channel->m_events.empty()) {
        T event = std::move(channel->m_events.front());
        channel->m_events.pop_front();
        return event;
      }
      if (channel->m_error) std::rethrow_exception(channel->m_error);
      return std::nullopt;
    }
  };

 private:
  // The consumer is resumed from the event loop, never from inside the producer's call.
  void wake() {
    if (auto waiter = std::exchange(m_waiter, nullptr)) {
      QMetaObject::invokeMethod(QCoreApplication::instance(), [waiter] { waiter.resume(); },
                                Qt::QueuedConnection);
    }
  }

  std::deque<T> m_events;
  bool m_ended = false;
  std::exception_ptr m_error;
  std::coroutine_handle<> m_waiter;
};

}  // namespace detail

// The consumer's handle of an event channel: next() gives the events in order, nothing once
// the channel has ended normally (or the consumer cancelled), and throws the error it ended
// with otherwise. Letting go of the handle before the end cancels, which tells the producer.
template <typename T>
class EventStream {
 public:
  EventStream() = default;
  explicit EventStream(std::shared_ptr<detail::EventChannel<T>> channel) : m_channel(std::move(channel)) {}
  EventStream(EventStream&&) noexcept = default;
  EventStream& operator=(EventStream&& other) noexcept {
    if (this != &other) {
      release();
      m_channel = std::move(other.m_channel);
    }
    return *this;
  }
  ~EventStream() { release(); }

  QCoro::Task<std::optional<T>> next() { return nextFrom(m_channel); }

  // Stops the stream; a next() still waiting (in another coroutine) ends normally.
  void cancel() {
    if (m_channel) m_channel->cancelByConsumer(true);
  }

  bool isValid() const { return m_channel != nullptr; }

 private:
  static QCoro::Task<std::optional<T>> nextFrom(std::shared_ptr<detail::EventChannel<T>> channel) {
    co_return co_await typename detail::EventChannel<T>::Awaiter{channel.get()};
  }

  void release() {
    if (m_channel) m_channel->cancelByConsumer(false);
  }

  std::shared_ptr<detail::EventChannel<T>> m_channel;
};

}  // namespace vesket::control_plane
