#pragma once

// Each endpoint family adds its routes to the API's router.

#include "relay_service/api/api_context.h"

namespace vesket::relay_service {

// accounts.cpp: health, register-public, login, google, apple, me.
void addAccountRoutes(ApiRouter& router);
// panes.cpp: the panes of a linked daemon.
void addPaneRoutes(ApiRouter& router);
// devices.cpp: enrolment of this device.
void addDeviceRoutes(ApiRouter& router);

}  // namespace vesket::relay_service
