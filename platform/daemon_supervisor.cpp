#include "platform/daemon_supervisor.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/supervisor_service_manager.h"

extern char** environ;

namespace vesket::platform {
namespace {

// The daemon's exit codes that mean something to the supervisor.
constexpr int kDaemonStoppedOnPurpose = 0;
constexpr int kDaemonAlreadyRunning = 3;

volatile sig_atomic_t g_stopRequested = 0;
volatile sig_atomic_t g_restartRequested = 0;
volatile pid_t g_child = -1;

void onStopSignal(int signal) {
  g_stopRequested = 1;
  if (g_child > 0) ::kill(g_child, signal == SIGHUP ? SIGTERM : signal);
}

void onRestartSignal(int) {
  g_restartRequested = 1;
  if (g_child > 0) ::kill(g_child, SIGTERM);
}

double monotonicSeconds() {
  timespec now {};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void log(const char* message, long long value = -1) {
  if (value >= 0) std::fprintf(stderr, "[supervisor] %s %lld\n", message, value);
  else std::fprintf(stderr, "[supervisor] %s\n", message);
  std::fflush(stderr);
}

// Sleeps up to `seconds`, returning early when a stop or a restart was requested.
void pause(int seconds) {
  for (int i = 0; i < seconds * 10 && !g_stopRequested && !g_restartRequested; ++i) ::usleep(100 * 1000);
}

void writePidFile(const QString& path, pid_t child) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return;
  file.write(QByteArray::number(::getpid()) + ' ' + QByteArray::number(child) + '\n');
  file.commit();
}

// The command line and environment of the next start, prepared before fork() so that the
// child only calls execve().
struct Launch {
  std::vector<std::string> arguments;
  std::vector<std::string> environment;
};

Launch nextLaunch(const SupervisorServiceManager& manager, const QString& executable) {
  Launch launch;
  const auto job = manager.readJob();
  if (job && !job->programArguments.empty()) {
    launch.arguments = job->programArguments;
  } else {
    launch.arguments = {QFile::encodeName(executable).toStdString(), "daemon", "start"};
  }
  std::vector<std::pair<std::string, std::string>> overrides;
  if (job) overrides = job->environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text(*entry);
    const std::string name = text.substr(0, text.find('='));
    const bool overridden = std::any_of(overrides.begin(), overrides.end(),
                                        [&](const auto& pair) { return pair.first == name; });
    if (!overridden) launch.environment.push_back(text);
  }
  for (const auto& [name, value] : overrides) launch.environment.push_back(name + "=" + value);
  return launch;
}

}  // namespace

int runSupervisor(const ServiceJobPaths& paths, const QString& executable) {
  const SupervisorServiceManager manager(paths);
  QDir().mkpath(paths.daemonDir);
  const int lockFd = ::open(QFile::encodeName(manager.lockFile()).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd < 0 || ::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
    std::fprintf(stderr, "vesket: a supervisor already keeps the daemon running for %s\n",
                 qPrintable(paths.productHome));
    return 0;
  }
  writePidFile(manager.pidFile(), 0);

  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
  struct sigaction restart {};
  restart.sa_handler = onRestartSignal;
  sigemptyset(&restart.sa_mask);
  ::sigaction(SIGUSR1, &restart, nullptr);

  int delay = 1;
  while (!g_stopRequested) {
    g_restartRequested = 0;
    const Launch launch = nextLaunch(manager, executable);
    std::vector<char*> argv;
    for (const auto& argument : launch.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& entry : launch.environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    const double startedAt = monotonicSeconds();
    // Signals wait until the child is known, so that a stop or restart reaches it.
    sigset_t blocked;
    sigset_t previous;
    sigemptyset(&blocked);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1}) sigaddset(&blocked, sig);
    ::sigprocmask(SIG_BLOCK, &blocked, &previous);
    const pid_t child = ::fork();
    if (child > 0) g_child = child;
    if (child != 0) ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (child < 0) {
      log("fork failed; retrying in seconds:", delay);
      pause(delay);
      delay = std::min(delay * 2, 30);
      continue;
    }
    if (child == 0) {
      for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1}) ::signal(sig, SIG_DFL);
      ::sigprocmask(SIG_SETMASK, &previous, nullptr);
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
    writePidFile(manager.pidFile(), child);
    log("daemon started, pid", child);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    g_child = -1;
    writePidFile(manager.pidFile(), 0);
    if (g_stopRequested) break;
    if (g_restartRequested) {
      log("restart requested; starting the daemon again");
      delay = 1;
      continue;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kDaemonStoppedOnPurpose) {
      log("daemon stopped on purpose; supervisor ends");
      break;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kDaemonAlreadyRunning) {
      log("another daemon serves this home; checking again in seconds:", 5);
      pause(5);
      continue;
    }
    if (WIFSIGNALED(status)) log("daemon killed by signal", WTERMSIG(status));
    else log("daemon failed with exit code", WEXITSTATUS(status));
    if (monotonicSeconds() - startedAt > 60) delay = 1;
    log("restarting in seconds:", delay);
    pause(delay);
    delay = std::min(delay * 2, 30);
  }
  QFile::remove(manager.pidFile());
  ::close(lockFd);
  return 0;
}

}  // namespace vesket::platform
