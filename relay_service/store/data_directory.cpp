#include "relay_service/store/data_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fmt/format.h>

#include "relay_service/core/secrets.h"

namespace vesket::relay_service {
namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path) {
  throw std::runtime_error(fmt::format("{} {}: {}", what, path, std::strerror(errno)));
}

}  // namespace

DataDirectory::DataDirectory(std::string path) : m_path(std::move(path)) {
  std::error_code error;
  std::filesystem::create_directories(m_path, error);
  if (error) throw std::runtime_error(fmt::format("cannot create the data directory {}: {}", m_path, error.message()));
  if (::chmod(m_path.c_str(), 0700) != 0) fail("cannot restrict the data directory", m_path);
}

std::string DataDirectory::loadOrCreateTokenSecret() const {
  const std::string path = tokenSecretPath();
  std::ifstream existing(path);
  if (existing) {
    std::stringstream text;
    text << existing.rdbuf();
    std::string line = text.str();
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
    const auto secret = Base64Url::decode(line);
    if (!secret || secret->size() < 32) {
      throw std::runtime_error(fmt::format(
          "the token secret {} is damaged; remove it to make a new one (everyone will have to sign in again)", path));
    }
    return *secret;
  }
  const std::string encoded = Secrets::randomToken(32);
  // Written to a temporary file first and moved into place, so a crash leaves no half file.
  const std::string temporary = path + ".new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) fail("cannot write the token secret", temporary);
  const std::string content = encoded + "\n";
  const bool written = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()) && ::fsync(fd) == 0;
  ::close(fd);
  if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) fail("cannot write the token secret", path);
  return *Base64Url::decode(encoded);
}

}  // namespace vesket::relay_service
