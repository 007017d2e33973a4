#include "daemon/daemon_supervisor.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "daemon/exit_codes.h"

namespace vesket::daemon {
namespace {

volatile sig_atomic_t g_stopRequested = 0;
volatile pid_t g_child = -1;

void onStopSignal(int signal) {
  g_stopRequested = 1;
  if (g_child > 0) ::kill(g_child, signal == SIGHUP ? SIGTERM : signal);
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

// Sleeps up to `seconds`, returning early when a stop was requested.
void pause(int seconds) {
  for (int i = 0; i < seconds * 10 && !g_stopRequested; ++i) ::usleep(100 * 1000);
}

}  // namespace

int runSupervisor(const DaemonPaths& paths, const QString& executable) {
  QDir().mkpath(paths.daemonDir());
  const int lockFd = ::open(QFile::encodeName(paths.supervisorLockFile()).constData(),
                            O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd < 0 || ::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
    std::fprintf(stderr, "vesket: a supervisor already keeps the daemon running for %s\n", qPrintable(paths.home));
    return kExitOk;
  }
  QFile pidFile(paths.supervisorPidFile());
  if (pidFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) pidFile.write(QByteArray::number(::getpid()) + '\n');
  pidFile.close();

  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);

  const QByteArray program = QFile::encodeName(executable);
  int delay = 1;
  int result = kExitOk;
  while (!g_stopRequested) {
    const double startedAt = monotonicSeconds();
    const pid_t child = ::fork();
    if (child < 0) {
      log("fork failed; retrying in seconds:", delay);
      pause(delay);
      delay = std::min(delay * 2, 30);
      continue;
    }
    if (child == 0) {
      for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::signal(sig, SIG_DFL);
      char* const argv[] = {const_cast<char*>(program.constData()), const_cast<char*>("daemon"),
                            const_cast<char*>("start"), nullptr};
      ::execv(program.constData(), argv);
      ::_exit(127);
    }
    g_child = child;
    log("daemon started, pid", child);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    g_child = -1;
    if (g_stopRequested) break;
    if (WIFEXITED(status) && WEXITSTATUS(status) == kExitOk) {
      log("daemon stopped on purpose; supervisor ends");
      break;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kExitAlreadyRunning) {
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
  QFile::remove(paths.supervisorPidFile());
  ::close(lockFd);
  return result;
}

}  // namespace vesket::daemon
