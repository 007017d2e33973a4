#include "shell/desktop_isolation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/core/standardized_path.h"
#include "shell/core/test_host.h"
#include "shell/host_environment.h"

namespace vesket::shell::DesktopIsolation {
namespace {

std::vector<std::string> toStd(const QStringList& list) {
  std::vector<std::string> result;
  result.reserve(static_cast<std::size_t>(list.size()));
  for (const auto& item : list) result.push_back(item.toStdString());
  return result;
}

[[noreturn]] void stopProcess(const std::string& message) {
  HostEnvironment::writeToStandardError(message + "\n");
  std::_Exit(EXIT_FAILURE);
}

std::unique_ptr<SettingsStore> openDefaults() {
  if (const auto context = current()) {
    const auto path = defaultsSuitePath(*context);
    auto store = SettingsStore::openFile(QString::fromStdString(path));
    if (!store) stopProcess("[desktop-isolation] cannot open the isolated preferences store at " + path);
    return store;
  }
  auto store = SettingsStore::openStandard();
  if (isTestProgram()) {
    const auto accountHome = standardizedPath(HostEnvironment::accountDatabaseHome(), {});
    const auto file = standardizedPath(store->fileName().toStdString(), {});
    if (!accountHome.empty() && accountHome != "/" && pathIsInside(file, accountHome)) {
      stopProcess("[desktop-isolation] a test program must not use the account's real settings at " +
                  file + " (point HOME and XDG_CONFIG_HOME at a temporary directory)");
    }
  }
  return store;
}

bool ownDirectory(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
         status.st_uid == ::getuid();
}

// Creates `path` and its missing parents with mode 0700. The directory itself, and every
// one of our own directories in the shared /tmp on the way, must belong to this user:
// another account could have created them first.
bool ensurePrivateDirectory(const std::string& path) {
  std::size_t position = 0;
  while (position != std::string::npos) {
    position = path.find('/', position + 1);
    const std::string prefix = path.substr(0, position);
    if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
      HostEnvironment::writeToStandardError("[desktop-isolation] cannot create " + prefix + "\n");
      return false;
    }
    const bool mustBeOwn = position == std::string::npos || prefix.starts_with("/tmp/vesket-");
    if (mustBeOwn && !ownDirectory(prefix)) {
      HostEnvironment::writeToStandardError("[desktop-isolation] " + prefix +
                                            " is not a directory of this user\n");
      return false;
    }
  }
  return true;
}

}  // namespace

bool applyToProcess() {
  const auto context = current();
  if (!context) return true;
  qputenv("VESKET_HOME", QByteArray::fromStdString(context->vesketHome));
  qputenv("DURNVALE_HOME", QByteArray::fromStdString(context->vesketHome));
  return ensurePrivateDirectory(context->vesketHome) &&
         ensurePrivateDirectory(context->stateDirectory) &&
         ensurePrivateDirectory(context->tmuxSocketDirectory);
}

std::optional<Context> current() {
  return deriveContext(
      HostEnvironment::variables({"VESKET_DESKTOP_ISOLATED", "VESKET_HOME", "DURNVALE_HOME", "HOME"}),
      HostEnvironment::accountDatabaseHome());
}

SettingsStore& defaults() {
  static const std::unique_ptr<SettingsStore> store = openDefaults();
  return *store;
}

bool permits(HostAction action) {
  if (permits(current(), action)) return true;
  HostEnvironment::writeToStandardError(hostActionRefusalLine(action));
  return false;
}

bool permitsDaemonCommand(const QStringList& arguments) {
  const auto action = hostActionForDaemonCommand(toStd(arguments));
  return !action || permits(*action);
}

LaunchctlVerdict checkServiceManagerCommand(const QStringList& arguments) {
  const auto command = toStd(arguments);
  auto verdict = launchctlVerdict(command, current(), HostEnvironment::userId());
  if (!verdict.allowed()) {
    HostEnvironment::writeToStandardError(launchctlRefusalLine(command, *verdict.refusal));
  }
  return verdict;
}

Environment childEnvironment(const Environment& environment) {
  return childEnvironment(current(), environment);
}

QProcessEnvironment childProcessEnvironment() {
  QProcessEnvironment result;
  for (const auto& [name, value] : childEnvironment(HostEnvironment::processEnvironment())) {
    result.insert(QString::fromStdString(name), QString::fromStdString(value));
  }
  return result;
}

QString stateDirectory() {
  if (const auto context = current()) return QString::fromStdString(context->stateDirectory);
  return QString::fromStdString(normalStateDirectory(
      HostEnvironment::variables({"XDG_STATE_HOME"}), HostEnvironment::userHome()));
}

}  // namespace vesket::shell::DesktopIsolation
