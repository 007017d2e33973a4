#pragma once

#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <type_traits>

#include <qcoro/qcorotask.h>

#include "tests/support/event_loop.h"

namespace vesket::testing {

namespace detail {
struct Empty {};

// What a task came to. Shared with the coroutine that awaits the task: a task that outlives
// its caller's wait (a timeout) still writes here, never into the caller's dead frame.
template <typename T>
struct Outcome {
  std::optional<std::conditional_t<std::is_void_v<T>, Empty, T>> value;
  std::exception_ptr error;
  bool done = false;
};

template <typename T>
QCoro::Task<void> capture(QCoro::Task<T> task, std::shared_ptr<Outcome<T>> outcome) {
  try {
    if constexpr (std::is_void_v<T>) {
      co_await std::move(task);
      outcome->value.emplace();
    } else {
      outcome->value.emplace(co_await std::move(task));
    }
  } catch (...) {
    outcome->error = std::current_exception();
  }
  outcome->done = true;
}
}  // namespace detail

// Runs a task to completion on the event loop and gives its value or rethrows its error.
// (QCoro::waitFor loses a task's exception and then waits forever.)
template <typename T>
T awaitTask(QCoro::Task<T> task, int timeoutMs = 20000) {
  auto outcome = std::make_shared<detail::Outcome<T>>();
  auto runner = detail::capture(std::move(task), outcome);
  if (!waitUntil([&] { return outcome->done; }, timeoutMs)) throw std::runtime_error("task did not finish in time");
  if (outcome->error) std::rethrow_exception(outcome->error);
  if constexpr (!std::is_void_v<T>) return std::move(*outcome->value);
}

}  // namespace vesket::testing
