#include "relay_service/api/recovery_mail.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <thread>
#include <vector>

#include <fmt/format.h>

#include "relay_service/api/api_context.h"
#include "relay_service/core/device_rules.h"

extern char** environ;

namespace vesket::relay_service {
namespace {

// Runs `command` with `message` on its standard input; gives its exit status, or -1 when it
// could not be started.
int runWithInput(const std::string& command, const std::string& message, const std::vector<std::string>& extraEnv) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
  environment.insert(environment.end(), extraEnv.begin(), extraEnv.end());
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string shell = "/bin/sh", dashC = "-c", script = command;
  char* argv[] = {shell.data(), dashC.data(), script.data(), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[0], STDIN_FILENO);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[0]);
  if (spawned != 0) {
    ::close(pipeFds[1]);
    return -1;
  }
  std::size_t written = 0;
  while (written < message.size()) {
    const ssize_t n = ::write(pipeFds[1], message.data() + written, message.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  ::close(pipeFds[1]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

void deliverRecoveryCode(const ApiContext& context, const UserRecord& user, const DeviceRecord& device,
                         std::int64_t code) {
  const std::string deviceName = device.deviceName.empty() ? std::string("a device") : device.deviceName;
  if (context.config.mailCommand.empty() || !user.email) {
    context.log(fmt::format("recovery code for account {} ({}), device {}: {}", user.id, user.email.value_or("no e-mail"),
                            deviceName, code));
    return;
  }
  const std::string message = fmt::format(
      "Someone asked to recover access to your Vesket account on {}.\n\n"
      "Recovery code: {}\n\n"
      "If this was not you, ignore this message: the device stays locked out.\n",
      deviceName, code);
  std::vector<std::string> env = {"VESKET_RECOVERY_EMAIL=" + *user.email, fmt::format("VESKET_RECOVERY_CODE={}", code),
                                  "VESKET_RECOVERY_DEVICE=" + deviceName};
  const std::string command = context.config.mailCommand;
  auto log = [&context](const std::string& line) { context.log(line); };
  const std::int64_t userId = user.id;
  // The command may take its time (a mail server); the request does not wait for it.
  std::thread([command, message, env, log, userId] {
    const int status = runWithInput(command, message, env);
    if (status != 0) log(fmt::format("the mail command failed (status {}) for the recovery code of account {}", status, userId));
  }).detach();
}

}  // namespace vesket::relay_service
