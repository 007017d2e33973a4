#pragma once

#include <QIcon>

namespace vesket::ui::AppIcon {

// The application's icon, drawn in code: a rounded tile with three pane bars. With agents
// waiting, an amber badge carries their count.
QIcon icon(int waitingCount);

}  // namespace vesket::ui::AppIcon
