#pragma once

#include <cstdint>

namespace vesket::relay_service {

class ApiContext;
struct DeviceRecord;
struct UserRecord;

// Sends a device recovery code to the account holder: through the relay's mail command
// (run by /bin/sh in the background, the message on its standard input and
// VESKET_RECOVERY_EMAIL, VESKET_RECOVERY_CODE, VESKET_RECOVERY_DEVICE in its environment),
// or, without one, into the relay's log for the operator to pass on.
void deliverRecoveryCode(const ApiContext& context, const UserRecord& user, const DeviceRecord& device,
                         std::int64_t code);

}  // namespace vesket::relay_service
