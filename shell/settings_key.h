#pragma once

#include <string_view>

namespace vesket::shell {

// A persisted setting: its key in the settings store and the value used while it is unset.
template <typename T>
struct SettingKey {
  std::string_view name;
  T defaultValue;
};

// A persisted point in time; unset means "never".
struct DateSettingKey {
  std::string_view name;
};

// The settings the application persists. User preferences live under "durnvale.",
// application state under "com.nimbrel.vesket-status.".
namespace SettingsKeys {

// Terminal window preferences.
inline constexpr SettingKey<int> terminalHistoryLimit{"durnvale.terminalHistoryLimit", 500};  // 0: no cap
inline constexpr SettingKey<bool> desktopHistoryRewrapEnabled{"durnvale.desktopHistoryRewrapEnabled", false};
inline constexpr SettingKey<bool> desktopHistoryDeHardWrapEnabled{
    "durnvale.desktopHistoryDeHardWrapEnabled", false};
// Not positive: the input encoder's own interval applies.
inline constexpr SettingKey<int> heldKeyRepeatIntervalMs{"durnvale.heldKeyRepeatIntervalMs", 0};
inline constexpr SettingKey<bool> macAutoFitEnabled{"durnvale.macAutoFitEnabled", true};
inline constexpr SettingKey<bool> macCopyOnSelect{"durnvale.macCopyOnSelect", true};
inline constexpr SettingKey<double> terminalScrollSensitivity{"durnvale.terminalScrollSensitivity", 1.0};

// Daemon supervision state.
inline constexpr SettingKey<bool> daemonIdentityMigrationNeeded{
    "com.nimbrel.vesket-status.daemonIdentityMigrationNeeded", false};
inline constexpr SettingKey<bool> daemonIdentityMigrationDismissed{
    "com.nimbrel.vesket-status.daemonIdentityMigrationDismissed", false};
inline constexpr SettingKey<bool> postProvisionTasksDone{
    "com.nimbrel.vesket-status.postProvisionTasksDone", false};
// The environment installer's last detection (JSON text).
inline constexpr std::string_view envProvisionerDetectedComponentsCache =
    "com.nimbrel.vesket-status.envProvisioner.detectedComponentsCache";

// Crash and hang report bookkeeping.
inline constexpr DateSettingKey crashReportLastAppCheck{"com.nimbrel.vesket-status.crashReport.lastAppCheck"};
inline constexpr DateSettingKey crashReportLastDaemonCheck{
    "com.nimbrel.vesket-status.crashReport.lastDaemonCheck"};
inline constexpr DateSettingKey crashReportLastHangReport{
    "com.nimbrel.vesket-status.crashReport.lastHangReport"};

}  // namespace SettingsKeys
}  // namespace vesket::shell
