#pragma once

#include <string>

#include <qcoro/qcorotask.h>

namespace vesket::daemon {

// Lets a coroutine run on without anyone awaiting it. A task nobody awaits loses its
// exception silently; through here one that escapes is logged with `what` ("terminal
// attach", "pane refresh"), so a failure is never invisible. Every fire-and-forget
// coroutine of the daemon starts through this.
void spawn(QCoro::Task<void> task, std::string what);

}  // namespace vesket::daemon
