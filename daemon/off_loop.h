#pragma once

#include <QFuture>
#include <QPromise>
#include <QThreadPool>
#include <exception>
#include <memory>
#include <type_traits>
#include <utility>

#include <qcoro/qcorofuture.h>
#include <qcoro/qcorotask.h>

namespace vesket::daemon {

// Runs `work` on Qt's thread pool and resumes the awaiting coroutine on its own thread
// with the result, or with the exception `work` threw. For file reads and scans that must
// not hold up the daemon's event loop. `work` owns (or shares) everything it touches: the
// coroutine may be gone by the time it ends.
template <class Work>
QCoro::Task<std::invoke_result_t<Work>> offLoop(Work work) {
  using Result = std::invoke_result_t<Work>;
  static_assert(!std::is_void_v<Result>, "offLoop work returns its result");
  auto promise = std::make_shared<QPromise<Result>>();
  QFuture<Result> future = promise->future();
  QThreadPool::globalInstance()->start([promise, work = std::move(work)]() mutable {
    promise->start();
    try {
      promise->addResult(work());
    } catch (...) {
      promise->setException(std::current_exception());
    }
    promise->finish();
  });
  co_return co_await future;
}

}  // namespace vesket::daemon
