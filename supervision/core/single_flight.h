#pragma once

#include <coroutine>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace vesket::supervision {

// Shares one run of an asynchronous operation among everyone who asks for it while it runs:
// the first caller starts the operation, later callers wait for that run and get its result.
// Used from one thread (the UI thread), inside a coroutine:
//
//   if (flight.isInFlight()) co_return co_await flight.join();
//   flight.begin();
//   const T result = co_await operation();
//   flight.finish(result);  // resumes every joined caller with the same result
//   co_return result;
//
// (The operation is not passed in as a callable: a coroutine's by-value callable parameter
// is not reliably kept alive by g++ 12.)
template <typename T>
class SingleFlight {
 public:
  bool isInFlight() const { return m_flight != nullptr; }

  void begin() { m_flight = std::make_shared<Flight>(); }

  // Awaits the run in flight and gives its result.
  auto join() { return Join{m_flight}; }

  void finish(const T& result) {
    auto flight = std::exchange(m_flight, nullptr);
    if (!flight) return;
    flight->result = result;
    for (auto waiter : std::exchange(flight->waiters, {})) waiter.resume();
  }

 private:
  struct Flight {
    std::vector<std::coroutine_handle<>> waiters;
    std::optional<T> result;
  };
  struct Join {
    std::shared_ptr<Flight> flight;
    bool await_ready() const noexcept { return !flight || flight->result.has_value(); }
    void await_suspend(std::coroutine_handle<> waiter) { flight->waiters.push_back(waiter); }
    T await_resume() const { return flight && flight->result ? *flight->result : T{}; }
  };

  std::shared_ptr<Flight> m_flight;
};

}  // namespace vesket::supervision
