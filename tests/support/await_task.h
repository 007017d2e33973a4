#pragma once

#include <exception>
#include <optional>
#include <stdexcept>

#include <qcoro/qcorotask.h>

#include "tests/support/event_loop.h"

namespace vesket::testing {

namespace detail {
template <typename T>
QCoro::Task<void> capture(QCoro::Task<T> task, std::optional<T>& result, std::exception_ptr& error, bool& done) {
  try {
    result.emplace(co_await std::move(task));
  } catch (...) {
    error = std::current_exception();
  }
  done = true;
}
inline QCoro::Task<void> capture(QCoro::Task<void> task, std::exception_ptr& error, bool& done) {
  try {
    co_await std::move(task);
  } catch (...) {
    error = std::current_exception();
  }
  done = true;
}
}  // namespace detail

// Runs a task to completion on the event loop and gives its value or rethrows its error.
// (QCoro::waitFor loses a task's exception and then waits forever.)
template <typename T>
T awaitTask(QCoro::Task<T> task, int timeoutMs = 20000) {
  std::optional<T> result;
  std::exception_ptr error;
  bool done = false;
  auto runner = detail::capture(std::move(task), result, error, done);
  if (!waitUntil([&] { return done; }, timeoutMs)) throw std::runtime_error("task did not finish in time");
  if (error) std::rethrow_exception(error);
  return std::move(*result);
}

inline void awaitTask(QCoro::Task<void> task, int timeoutMs = 20000) {
  std::exception_ptr error;
  bool done = false;
  auto runner = detail::capture(std::move(task), error, done);
  if (!waitUntil([&] { return done; }, timeoutMs)) throw std::runtime_error("task did not finish in time");
  if (error) std::rethrow_exception(error);
}

}  // namespace vesket::testing
