#include "control_plane/control_stream.h"

#include "control_plane/core/control_plane_errors.h"
#include "control_plane/core/decoding_error.h"
#include "control_plane/core/frames.h"

namespace vesket::control_plane::detail {

namespace {
constexpr int kCancelCloseDelayMs = 200;
}

void StreamState::start(const std::string& requestLine) {
  std::weak_ptr<StreamState> weak = shared_from_this();
  connection->start(
      [weak, requestLine] {
        if (auto self = weak.lock()) self->connection->sendLine(requestLine);
      },
      [weak](const std::string& line) {
        if (auto self = weak.lock()) self->onLine(line);
      },
      [weak](std::exception_ptr error) {
        auto self = weak.lock();
        if (!self || self->finished) return;
        self->end(error);
      });
}

void StreamState::onLine(const std::string& line) {
  if (finished) return;
  const auto kind = classifyStreamLine(line, id);
  if (std::holds_alternative<StreamIgnore>(kind)) return;
  if (std::holds_alternative<StreamDone>(kind)) {
    end(nullptr);
    connection->finish();
    return;
  }
  if (const auto* failure = std::get_if<StreamFailure>(&kind)) {
    end(std::make_exception_ptr(ControlPlaneError::requestFailed(failure->message)));
    connection->finish();
    return;
  }
  try {
    push(decode(line));
  } catch (const std::exception& e) {
    end(std::make_exception_ptr(ControlPlaneError::protocolError(e.what())));
    connection->finish();
  }
}

void StreamState::push(std::any event) {
  events.push_back(std::move(event));
  wakeWaiter();
}

void StreamState::end(std::exception_ptr endError) {
  if (finished) return;
  finished = true;
  error = endError;
  wakeWaiter();
}

void StreamState::wakeWaiter() {
  if (auto waiter = std::exchange(m_waiter, nullptr)) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), [waiter] { waiter.resume(); },
                              Qt::QueuedConnection);
  }
}

void StreamState::cancelByConsumer(bool wakeWaiting) {
  if (finished || consumerCancelled) return;
  consumerCancelled = true;
  finished = true;
  events.clear();
  if (wakeWaiting) wakeWaiter();
  // Tell the daemon on the next turn of the loop, then close a little later so the cancel
  // line has a chance to be read.
  auto self = shared_from_this();
  QTimer::singleShot(0, QCoreApplication::instance(), [self] {
    if (self->connection->isFinished()) return;
    if (!self->connection->isReady()) {
      self->connection->finish();
      return;
    }
    self->connection->sendLine(encodeCancelLine(self->id));
    QTimer::singleShot(kCancelCloseDelayMs, QCoreApplication::instance(),
                       [self] { self->connection->finish(); });
  });
}

std::optional<std::any> StreamState::Awaiter::await_resume() {
  if (!state->events.empty()) {
    auto event = std::move(state->events.front());
    state->events.pop_front();
    return event;
  }
  if (state->error) std::rethrow_exception(state->error);
  return std::nullopt;
}

}  // namespace vesket::control_plane::detail
