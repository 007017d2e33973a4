#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "shell/core/environment.h"

namespace vesket::shell {

// What the product-home decisions need to know about the running process. The I/O layer
// (shell/vesket_identity.h) gathers it; tests build it by hand.
struct HostFacts {
  Environment environment;  // at least the variables named in VesketIdentity below
  std::string userHome;     // the user's home directory ("~")
  bool testProgram = false; // the process marked itself as one of the project's test programs
};

// Outcome of probing a process id with signal 0.
enum class PidProbe {
  exists,            // the signal could be delivered
  permissionDenied,  // the process exists but belongs to someone else
  noSuchProcess,     // any other failure
};

// The application's own home and the running daemon's published home disagree.
struct HomeDisagreement {
  std::string envHome;        // what the environment asks for
  std::string publishedHome;  // what the running daemon published (and what wins)
  std::string identityPath;   // where it was published

  bool operator==(const HomeDisagreement&) const = default;

  // The key under which the warning is remembered: the two homes joined by one space.
  std::string key() const;
  // The warning line for standard error, newline included.
  std::string warningLine() const;
};

struct HomeResolution {
  std::string home;
  std::optional<HomeDisagreement> disagreement;  // set when the published home won

  bool operator==(const HomeResolution&) const = default;
};

// Where `resolveHome` gets the identity file and the liveness of its pid from.
struct IdentitySources {
  // The bytes of the file at the given path, or nothing when it cannot be read.
  std::function<std::optional<std::string>(const std::string& path)> readFile;
  // Signal-0 probe of a process id.
  std::function<PidProbe(std::int32_t pid)> probe;
};

// Which directory is the product home, and whether the daemon may be provisioned for it.
// Pure: every input is passed in. The process-facing wrappers live in shell/vesket_identity.h.
namespace VesketIdentity {

inline constexpr std::string_view homeVariable = "VESKET_HOME";
inline constexpr std::string_view legacyHomeVariable = "DURNVALE_HOME";
inline constexpr std::string_view isolatedVariable = "VESKET_DESKTOP_ISOLATED";
// Environment variables whose presence marks a test host.
inline constexpr std::string_view testHostVariables[] = {
    "XCTestConfigurationFilePath", "XCTestSessionIdentifier", "XCTestBundlePath"};

// "VESKET_HOME" if present (even empty), else "DURNVALE_HOME" if present, else "~/.vesket".
std::string envDerivedHome(const HostFacts& host);
// The product home every program of this system uses when no running daemon names another:
// envDerivedHome, except that an empty value (an empty "VESKET_HOME" or "DURNVALE_HOME",
// which would put the socket at the file-system root) means "~/.vesket". The application,
// the daemon, the control-socket client and tracked mutations all resolve through it.
std::string productHome(const HostFacts& host);
// "VESKET_HOME" if non-empty, else "DURNVALE_HOME" if non-empty, else nothing.
std::optional<std::string> explicitEnvHome(const Environment& environment);

bool isRunningInTestHost(const HostFacts& host);
bool shouldUseTestEnvironmentIsolation(const HostFacts& host);
// Whether "VESKET_DESKTOP_ISOLATED" is exactly "1".
bool isolationRequested(const Environment& environment);

// Whether an explicit home exists and, standardized, names another directory than `home`.
bool provisioningTargetIsRedirected(const HostFacts& host, std::string_view home);
// Whether the daemon may be installed or upgraded for `home`; an isolated run never
// provisions into `realHome`.
bool provisioningPermitted(const HostFacts& host, std::string_view home, std::string_view realHome);

// The product home to use: the environment's, unless a live daemon published another one.
// Never throws for bad files or stale pids; the identity file is not read under isolation.
HomeResolution resolveHome(const HostFacts& host, const IdentitySources& sources);

}  // namespace VesketIdentity
}  // namespace vesket::shell
