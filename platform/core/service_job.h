#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vesket::platform {

// The label of the daemon's job in every service manager.
inline constexpr std::string_view kDaemonJobLabel = "com.vesket.daemon";

// The daemon's job as a service manager keeps it: the command line it runs, its
// environment, whether it is started again when it dies (keep alive) and whether it starts
// with the user's session (run at load). Both service managers store it in a file of
// their own format (SystemdUnit, SupervisorJobFile) and read it back into this record.
struct ServiceJob {
  std::string label{kDaemonJobLabel};
  std::vector<std::string> programArguments;
  std::vector<std::pair<std::string, std::string>> environment;  // in the order written
  bool keepAlive = false;
  bool runAtLoad = false;

  bool operator==(const ServiceJob&) const = default;

  // The job that runs `binaryPath daemon start` for the product home `home`.
  static ServiceJob forDaemon(const std::string& binaryPath, const std::string& home);

  std::optional<std::string> environmentValue(std::string_view name) const;

  // Whether this job runs the installed daemon `binaryPath` for `home`: exactly the
  // arguments [binaryPath, "daemon", "start"], kept alive and run at load, with
  // "VESKET_HOME" (or the legacy "DURNVALE_HOME") naming the home.
  bool matchesInstall(std::string_view binaryPath, std::string_view home) const;
};

// The systemd user unit form ("com.vesket.daemon.service"). The daemon is restarted when it
// fails or is killed, not when it was stopped on purpose (`vesket daemon stop` makes it exit
// 0) nor when another daemon already serves its home (exit 3).
namespace SystemdUnit {

inline constexpr const char* kName = "com.vesket.daemon.service";

std::string render(const ServiceJob& job);
// The job a unit file describes; nothing when it has no ExecStart or a quoting error.
std::optional<ServiceJob> parse(std::string_view text);

// One word of a systemd command line or assignment, quoted when needed.
std::string quote(const std::string& word);
// The words of a systemd command line or assignment value (the reverse of quote); nothing
// for an unterminated quote.
std::optional<std::vector<std::string>> splitWords(std::string_view text);

}  // namespace SystemdUnit

// The file form of the project's own supervisor: a JSON object with the keys "Label",
// "ProgramArguments", "EnvironmentVariables", "KeepAlive" and "RunAtLoad".
namespace SupervisorJobFile {

inline constexpr const char* kFileName = "com.vesket.daemon.job.json";

std::string render(const ServiceJob& job);
// Nothing when the text is not such an object or a field has the wrong type.
std::optional<ServiceJob> parse(std::string_view text);

}  // namespace SupervisorJobFile

}  // namespace vesket::platform
