#include "shell/host_environment.h"

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

extern char** environ;

namespace vesket::shell::HostEnvironment {

Environment processEnvironment() {
  Environment environment;
  for (char** entry = environ; entry && *entry; ++entry) {
    const std::string_view text(*entry);
    const auto equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0) continue;
    environment.emplace(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
  }
  return environment;
}

Environment variables(std::initializer_list<std::string_view> names) {
  Environment environment;
  for (const auto name : names) {
    const std::string key(name);
    if (const char* value = std::getenv(key.c_str())) environment.emplace(key, value);
  }
  return environment;
}

std::string accountDatabaseHome() {
  long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
  if (bufferSize <= 0) bufferSize = 16384;
  std::vector<char> buffer(static_cast<std::size_t>(bufferSize));
  passwd entry{};
  passwd* found = nullptr;
  while (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
         buffer.size() < (1u << 20)) {
    buffer.resize(buffer.size() * 2);
  }
  if (!found || !found->pw_dir) return {};
  return found->pw_dir;
}

std::string userHome() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  return accountDatabaseHome();
}

std::uint32_t userId() { return static_cast<std::uint32_t>(getuid()); }

PidProbe probeProcess(std::int32_t pid) {
  if (kill(static_cast<pid_t>(pid), 0) == 0) return PidProbe::exists;
  return errno == EPERM ? PidProbe::permissionDenied : PidProbe::noSuchProcess;
}

std::optional<std::string> readFile(const std::string& path, std::size_t limit) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
    bytes.append(chunk, static_cast<std::size_t>(file.gcount()));
    if (bytes.size() > limit) return std::nullopt;
  }
  if (file.bad()) return std::nullopt;
  return bytes;
}

void writeToStandardError(std::string_view text) {
  while (!text.empty()) {
    const auto written = ::write(STDERR_FILENO, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace vesket::shell::HostEnvironment
