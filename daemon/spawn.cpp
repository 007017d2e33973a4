#include "daemon/spawn.h"

#include <QDebug>
#include <exception>

namespace vesket::daemon {
namespace {

QCoro::Task<void> watch(QCoro::Task<void> task, std::string what) {
  try {
    co_await task;
  } catch (const std::exception& error) {
    qWarning().noquote() << QString::fromStdString(what) << "failed:" << error.what();
  } catch (...) {
    qWarning().noquote() << QString::fromStdString(what) << "failed with an unknown exception";
  }
}

}  // namespace

void spawn(QCoro::Task<void> task, std::string what) {
  // The watching coroutine is itself detached: QCoro lets a task whose handle is dropped
  // run to its end and frees it then.
  watch(std::move(task), std::move(what));
}

}  // namespace vesket::daemon
