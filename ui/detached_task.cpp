#include "ui/detached_task.h"

#include <QDebug>
#include <exception>

namespace vesket::ui {
namespace {

QCoro::Task<void> watched(QCoro::Task<void> task, const char* what) {
  try {
    co_await task;
  } catch (const std::exception& error) {
    qWarning().noquote() << what << "failed:" << error.what();
  }
}

}  // namespace

void spawnDetached(QCoro::Task<void> task, const char* what) { watched(std::move(task), what); }

}  // namespace vesket::ui
