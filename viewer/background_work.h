// Runs CPU-heavy pure work (marker detection over many captures) on the global thread pool
// and hands the result back to a coroutine on the calling thread: `co_await` the future.
#pragma once

#include <QFuture>
#include <QPromise>
#include <QThreadPool>

#include <memory>
#include <type_traits>

#include <qcoro/qcorofuture.h>

namespace vesket::viewer {

template <typename Work>
QFuture<std::invoke_result_t<Work>> runInBackground(Work work) {
  using Result = std::invoke_result_t<Work>;
  auto promise = std::make_shared<QPromise<Result>>();
  QFuture<Result> future = promise->future();
  promise->start();
  QThreadPool::globalInstance()->start([promise, work = std::move(work)]() mutable {
    promise->addResult(work());
    promise->finish();
  });
  return future;
}

}  // namespace vesket::viewer
