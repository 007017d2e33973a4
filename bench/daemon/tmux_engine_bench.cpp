// End-to-end harness: the tmux engine against a private tmux server with 200 panes.
//
// Measures what one pane-list read costs (`list-panes -a` through the persistent control
// client, the /proc scan and the PaneEntry build) against the baseline of a bare command
// round trip through the same client, and how fast a new window reaches panesChanged.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <exception>
#include <optional>
#include <set>
#include <vector>

#include "daemon/core/pane_listing.h"
#include "daemon/core/tmux_command.h"
#include "daemon/process_table.h"
#include "daemon/tmux_engine.h"

using namespace vesket::daemon;

namespace {

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    // Block until something happens, so that waiting costs no CPU and the process CPU
    // time measures the daemon's own work.
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

// Parameters live in the coroutine frame (a capturing lambda's captures would not).
template <typename T>
QCoro::Task<void> capture(QCoro::Task<T> task, std::optional<T>& result, std::exception_ptr& error, bool& done) {
  try {
    result.emplace(co_await std::move(task));
  } catch (...) {
    error = std::current_exception();
  }
  done = true;
}

template <typename T>
T run(QCoro::Task<T> task) {
  std::optional<T> result;
  std::exception_ptr error;
  bool done = false;
  auto runner = capture(std::move(task), result, error, done);
  if (!waitUntil([&] { return done; }, 30000)) throw std::runtime_error("timed out");
  if (error) std::rethrow_exception(error);
  return std::move(*result);
}

double cpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

struct Stats {
  double p50 = 0, p95 = 0, mean = 0;
};

Stats stats(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  Stats s;
  s.p50 = ms[ms.size() / 2];
  s.p95 = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
  for (double m : ms) s.mean += m;
  s.mean /= static_cast<double>(ms.size());
  return s;
}

void print(const char* what, const Stats& s) {
  std::printf("%-44s p50 %8.3f ms   p95 %8.3f ms   mean %8.3f ms\n", what, s.p50, s.p95, s.mean);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  qputenv("TMUX_TMPDIR", dir.path().toUtf8());
  qputenv("HOME", dir.path().toUtf8());
  qunsetenv("TMUX");
  const QString name = QStringLiteral("vesket-bench-%1").arg(QCoreApplication::applicationPid());
  auto tmux = [&](const QStringList& args) {
    QProcess::execute(QStringLiteral("tmux"), QStringList{"-L", name, "-f", "/dev/null"} + args);
  };
  // 200 panes: 20 sessions of 10 windows, each pane running a sleep (cheaper than shells).
  const int sessions = 20, windows = 10;
  for (int s = 0; s < sessions; ++s) {
    tmux({"new-session", "-d", "-s", QStringLiteral("project-%1").arg(s), "-x", "160", "-y", "40", "sleep 3600"});
    for (int w = 1; w < windows; ++w) {
      tmux({"new-window", "-d", "-t", QStringLiteral("project-%1:").arg(s), "-n", QStringLiteral("agent %1").arg(w),
            "sleep 3600"});
    }
  }

  TmuxEngine::Options options;
  options.server.socketName = name;
  options.homeDir = dir.path();
  options.refreshInterval = std::chrono::milliseconds(3'600'000);  // only the reads timed here
  TmuxEngine engine(options);
  engine.start();
  if (!waitUntil([&] { return engine.panes().size() == sessions * windows; }, 20000)) {
    std::fprintf(stderr, "engine saw %zu panes\n", engine.panes().size());
    tmux({"kill-server"});
    return 1;
  }

  const int rounds = 200;
  std::vector<double> bare, read, scan, listing, readCpu, scanCpu;
  TmuxControlClient::Options clientOptions;
  clientOptions.serverArgs = {"-S", engine.socketPath()};
  TmuxControlClient client(clientOptions);
  run(client.start());
  for (int i = 0; i < rounds; ++i) {
    QElapsedTimer t;
    t.start();
    run(client.command("display-message -p x"));
    bare.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
  }
  for (int i = 0; i < rounds; ++i) {
    QElapsedTimer t;
    t.start();
    run(client.command(PaneListing::command()));
    listing.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
  }
  for (int i = 0; i < rounds; ++i) {
    QElapsedTimer t;
    t.start();
    const double cpu = cpuMs();
    run(engine.refreshNow());
    readCpu.push_back(cpuMs() - cpu);
    read.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
  }
  std::set<std::int64_t> roots;
  for (int i = 0; i < rounds; ++i) {
    QElapsedTimer t;
    t.start();
    const double cpu = cpuMs();
    auto table = ProcessTable::read(roots);
    scanCpu.push_back(cpuMs() - cpu);
    scan.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
  }

  // New window to panesChanged, through the %window-add / %sessions-changed path or the
  // periodic read (here disabled, so only notifications count).
  std::vector<double> propagate;
  for (int i = 0; i < 20; ++i) {
    const std::size_t before = engine.panes().size();
    QElapsedTimer t;
    t.start();
    QProcess::execute(QStringLiteral("tmux"),
                      {"-L", name, "new-window", "-d", "-t", QStringLiteral("project-%1:").arg(i % sessions), "sleep 3600"});
    const double spawn = static_cast<double>(t.nsecsElapsed()) / 1e6;
    if (!waitUntil([&] { return engine.panes().size() > before; }, 10000)) {
      std::fprintf(stderr, "new window %d never arrived\n", i);
      break;
    }
    propagate.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6 - spawn);
  }

  std::printf("tmux engine, %d panes, %d rounds\n", sessions * windows, rounds);
  print("baseline: bare command round trip", stats(bare));
  print("pane list read (list-panes + /proc + build)", stats(read));
  print("  of which list-panes -a round trip", stats(listing));
  print("  of which /proc scan (whole table)", stats(scan));
  print("daemon CPU per pane list read", stats(readCpu));
  print("daemon CPU per /proc scan", stats(scanCpu));
  if (!propagate.empty()) print("new window -> panesChanged (after tmux exits)", stats(propagate));
  std::printf("ratio read / bare: %.1f\n", stats(read).p50 / stats(bare).p50);
  client.stop();
  engine.stop();
  tmux({"kill-server"});
  return 0;
}
