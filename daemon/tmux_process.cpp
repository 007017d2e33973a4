#include "daemon/tmux_process.h"

#include <sys/resource.h>

#include "shell/core/desktop_isolation.h"

namespace vesket::daemon::TmuxProcess {
namespace {
// The soft descriptor limit the daemon was started with; set once, before any tmux runs.
rlim_t g_startLimit = RLIM_INFINITY;
bool g_raised = false;
}  // namespace

QProcessEnvironment environment(const QProcessEnvironment& base) {
  QProcessEnvironment env = base.isEmpty() ? QProcessEnvironment::systemEnvironment() : base;
  for (const std::string& name : shell::DesktopIsolation::privateVariables()) env.remove(QString::fromStdString(name));
  return env;
}

void prepare(QProcess& process, const QProcessEnvironment& base) {
  process.setProcessEnvironment(environment(base));
  if (!g_raised) return;
  process.setChildProcessModifier([] {
    // Between fork and exec: only async-signal-safe calls.
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
      limit.rlim_cur = g_startLimit;
      ::setrlimit(RLIMIT_NOFILE, &limit);
    }
  });
}

long raiseDescriptorLimit() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  if (limit.rlim_cur < limit.rlim_max) {
    const rlim_t before = limit.rlim_cur;
    limit.rlim_cur = limit.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &limit) == 0) {
      g_startLimit = before;
      g_raised = true;
    } else {
      limit.rlim_cur = before;
    }
  }
  return limit.rlim_cur == RLIM_INFINITY ? 0 : static_cast<long>(limit.rlim_cur);
}

}  // namespace vesket::daemon::TmuxProcess
