#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "shell/core/environment.h"
#include "shell/core/vesket_identity.h"

namespace vesket::shell {

// The few facts about this process and its account that the product-home and isolation
// decisions need, read fresh on every call.
namespace HostEnvironment {

// The whole environment of this process.
Environment processEnvironment();
// Only the named variables (those that are present).
Environment variables(std::initializer_list<std::string_view> names);

// The user's home directory: "HOME" when set and not empty, else the account's
// password-database home.
std::string userHome();
// The account's home directory from the password database, or "" when it has none.
std::string accountDatabaseHome();
std::uint32_t userId();

// Signal-0 probe of a process id.
PidProbe probeProcess(std::int32_t pid);

// The file's bytes, or nothing when it cannot be read or is larger than `limit`.
std::optional<std::string> readFile(const std::string& path, std::size_t limit = 64 * 1024);

// Writes the whole text to standard error in one go, unbuffered.
void writeToStandardError(std::string_view text);

}  // namespace HostEnvironment
}  // namespace vesket::shell
