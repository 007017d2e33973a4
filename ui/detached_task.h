#pragma once

#include <qcoro/qcorotask.h>

namespace vesket::ui {

// Lets an action started by a click run on after the click; its outcome shows through the
// store it changes. An exception that escapes is logged with `what` instead of being lost.
void spawnDetached(QCoro::Task<void> task, const char* what);

}  // namespace vesket::ui
