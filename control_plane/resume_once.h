#pragma once

#include <QCoreApplication>
#include <QMetaObject>

#include <coroutine>
#include <exception>
#include <functional>
#include <optional>
#include <variant>

namespace vesket::control_plane {

// Resumes a suspended request exactly once, whichever of its sources comes first (the
// reply, the timeout, the connection closing, cancellation); later attempts do nothing.
//
// All sources run on the client's thread. The waiting coroutine is resumed from the event
// loop rather than from inside the socket callback that produced the result, so a caller
// that goes on to destroy the connection never pulls it out from under its own callback.
template <typename T>
class ResumeOnce {
 public:
  using Result = std::variant<T, std::exception_ptr>;

  // Runs when the first result arrives (used to stop the timeout timer).
  std::function<void()> onResume;

  bool isResolved() const { return m_result.has_value(); }

  void resume(Result result) {
    if (m_result) return;
    m_result = std::move(result);
    if (auto hook = std::exchange(onResume, nullptr)) hook();
    if (auto waiter = std::exchange(m_waiter, nullptr)) {
      QMetaObject::invokeMethod(QCoreApplication::instance(), [waiter] { waiter.resume(); },
                                Qt::QueuedConnection);
    }
  }
  void resumeValue(T value) { resume(Result(std::in_place_index<0>, std::move(value))); }
  void resumeError(std::exception_ptr error) { resume(Result(std::in_place_index<1>, error)); }

  struct Awaiter {
    ResumeOnce* once;
    bool await_ready() const noexcept { return once->m_result.has_value(); }
    void await_suspend(std::coroutine_handle<> handle) noexcept { once->m_waiter = handle; }
    T await_resume() {
      auto& result = *once->m_result;
      if (result.index() == 1) std::rethrow_exception(std::get<1>(result));
      return std::move(std::get<0>(result));
    }
  };
  Awaiter wait() { return Awaiter{this}; }

 private:
  std::optional<Result> m_result;
  std::coroutine_handle<> m_waiter;
};

}  // namespace vesket::control_plane
