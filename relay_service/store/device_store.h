#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "relay_service/core/device_rules.h"

namespace vesket::relay_service {

// The devices of accounts and their approval requests. Every change is a read-modify-write
// under the store's lock, so two calls about the same device never interleave.
class DeviceStore {
 public:
  virtual ~DeviceStore() = default;

  // Reads the device (nothing when the account never enrolled it) and whether the account
  // has enrolled any device, lets `decide` make the new record, and saves it.
  virtual DeviceRecord enrolDevice(
      std::int64_t userId, const std::string& deviceId,
      const std::function<DeviceRecord(const std::optional<DeviceRecord>& existing, bool accountHasDevices)>&
          decide) = 0;
  // Lets `change` edit the device and saves it when `change` returns true. Nothing when the
  // account has no such device.
  virtual std::optional<DeviceRecord> updateDevice(std::int64_t userId, const std::string& deviceId,
                                                   const std::function<bool(DeviceRecord&)>& change) = 0;
  virtual std::optional<DeviceRecord> findDevice(std::int64_t userId, const std::string& deviceId) = 0;
  // The account's device whose current request has this id.
  virtual std::optional<DeviceRecord> findDeviceByRequest(std::int64_t userId, const std::string& requestId) = 0;
  virtual std::vector<DeviceRecord> listDevices(std::int64_t userId) = 0;
};

}  // namespace vesket::relay_service
