#pragma once

#include <string>

namespace vesket::daemon {

// The systemd user unit that keeps the daemon running ("com.vesket.daemon.service").
// It restarts the daemon when it fails or is killed, not when it was stopped on purpose
// (`vesket daemon stop` makes it exit 0), and pins the product home the daemon serves.
struct ServiceUnit {
  static constexpr const char* kName = "com.vesket.daemon.service";

  static std::string render(const std::string& executable, const std::string& productHome);
  // One word of a systemd command line or assignment, quoted when needed.
  static std::string quote(const std::string& word);
};

}  // namespace vesket::daemon
