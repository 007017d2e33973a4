#include "shell/host_environment.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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
  // Non-blocking open and a regular-file check: a FIFO or device planted at the path must
  // not hang the caller.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> result;
  struct stat status {};
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
      static_cast<std::uint64_t>(status.st_size) <= limit) {
    std::string bytes;
    char chunk[4096];
    for (;;) {
      const auto count = ::read(fd, chunk, sizeof chunk);
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) break;
      if (count == 0) {
        result = std::move(bytes);
        break;
      }
      bytes.append(chunk, static_cast<std::size_t>(count));
      if (bytes.size() > limit) break;
    }
  }
  ::close(fd);
  return result;
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
