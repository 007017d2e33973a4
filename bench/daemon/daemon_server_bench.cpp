// Request round-trip latency and watch propagation of the real `vesket` daemon, serving a
// private tmux server with 200 panes.
//
//   build/bench/daemon_server_bench [--panes N] [--requests N] [--windows N]
//
// Round trips are measured the way the desktop application makes them: a fresh connection
// per request (connect, write one line, read the reply, close); the same on one kept
// connection is printed beside it. Watch propagation is the time from asking tmux for a
// new window (through tmux's own command-line client, whose run time is measured as the
// baseline) until a watcher holds a snapshot containing the new pane.
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "control_plane/core/line_accumulator.h"

namespace {

QString g_tmuxName;

QString tmux(const QStringList& args) {
  QProcess process;
  process.start(QStringLiteral("tmux"), QStringList{"-L", g_tmuxName, "-f", "/dev/null"} + args);
  process.waitForFinished(30000);
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

struct Stats {
  double p50 = 0, p95 = 0, mean = 0;
};

Stats stats(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  Stats s;
  if (samples.empty()) return s;
  s.p50 = samples[samples.size() / 2];
  s.p95 = samples[std::min(samples.size() - 1, samples.size() * 95 / 100)];
  double sum = 0;
  for (double v : samples) sum += v;
  s.mean = sum / static_cast<double>(samples.size());
  return s;
}

class Connection {
 public:
  explicit Connection(const QString& path) {
    m_socket.connectToServer(path);
    m_socket.waitForConnected(5000);
  }
  bool ok() const { return m_socket.state() == QLocalSocket::ConnectedState; }
  void send(const std::string& line) {
    m_socket.write(line.data(), static_cast<qint64>(line.size()));
    m_socket.flush();
  }
  std::optional<nlohmann::json> next(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (m_lines.empty()) {
      if (deadline.hasExpired()) return std::nullopt;
      if (m_socket.bytesAvailable() == 0 && !m_socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
        continue;
      }
      const QByteArray bytes = m_socket.readAll();
      for (auto& line : m_accumulator.push(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        m_lines.push_back(std::move(line));
      }
    }
    auto parsed = nlohmann::json::parse(m_lines.front());
    m_lines.erase(m_lines.begin());
    return parsed;
  }

 private:
  QLocalSocket m_socket;
  vesket::control_plane::LineAccumulator m_accumulator;
  std::vector<std::string> m_lines;
};

double roundTripMs(const QString& socketPath, const std::string& line) {
  QElapsedTimer timer;
  timer.start();
  Connection connection(socketPath);
  connection.send(line);
  connection.next(10000);
  return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int paneCount = 200, requests = 1000, windows = 30;
  for (int i = 1; i + 1 < argc; i += 2) {
    const QString option = QString::fromLatin1(argv[i]);
    const int value = QString::fromLatin1(argv[i + 1]).toInt();
    if (option == "--panes") paneCount = value;
    else if (option == "--requests") requests = value;
    else if (option == "--windows") windows = value;
  }

  QTemporaryDir root(QStringLiteral("/tmp/vkb-XXXXXX"));
  const QString home = root.path() + "/vh";
  g_tmuxName = QStringLiteral("vesket-bench-%1").arg(::getpid());
  tmux({"new-session", "-d", "-s", "bench", "-x", "200", "-y", "50"});
  // Four panes per window, 50 windows: 200 panes.
  for (int made = 1; made < paneCount;) {
    if (made % 4 == 0) {
      tmux({"new-window", "-d", "-t", "bench"});
    } else {
      tmux({"split-window", "-d", "-t", "bench:$", "-l", "3"});
    }
    ++made;
  }
  const int actualPanes = tmux({"list-panes", "-a", "-F", "#{pane_id}"}).split('\n').size();

  QProcess daemon;
  auto environment = QProcessEnvironment::systemEnvironment();
  environment.insert("HOME", root.path());
  environment.insert("VESKET_HOME", home);
  environment.insert("XDG_STATE_HOME", root.path() + "/state");
  environment.remove("CONTROL_TOKEN");
  daemon.setProcessEnvironment(environment);
  daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  daemon.start(QStringLiteral(VESKET_BIN_DIR "/vesket"), {"daemon", "start", "-L", g_tmuxName});
  const QString socketPath = home + "/daemon/control.sock";
  QDeadlineTimer up(15000);
  while (!QFileInfo::exists(socketPath) && !up.hasExpired()) QThread::msleep(20);
  // Wait for the engine's first complete pane list.
  for (QDeadlineTimer ready(15000); !ready.hasExpired(); QThread::msleep(50)) {
    Connection c(socketPath);
    c.send(R"({"id":"w","cmd":"list-panes","args":{}})" "\n");
    auto reply = c.next(5000);
    if (reply && (*reply)["data"]["panes"].size() == static_cast<std::size_t>(actualPanes)) break;
  }

  std::printf("daemon_server_bench: %d panes on a private tmux server, %d requests each\n", actualPanes, requests);
  // The daemon's own CPU use while nothing happens (its periodic pane-list re-read).
  auto cpuSeconds = [&daemon] {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(daemon.processId()));
    if (!stat.open(QIODevice::ReadOnly)) return 0.0;
    const QList<QByteArray> fields = stat.readAll().split(' ');
    if (fields.size() < 15) return 0.0;
    return (fields[13].toDouble() + fields[14].toDouble()) / static_cast<double>(::sysconf(_SC_CLK_TCK));
  };
  const double cpuBefore = cpuSeconds();
  QThread::sleep(5);
  std::printf("  idle daemon CPU: %.1f %% of one core over 5 s\n", (cpuSeconds() - cpuBefore) / 5.0 * 100.0);
  std::vector<double> ping, listPanes, pingKept;
  for (int i = 0; i < requests; ++i) ping.push_back(roundTripMs(socketPath, R"({"id":"p","cmd":"ping","args":{}})" "\n"));
  for (int i = 0; i < requests; ++i) {
    listPanes.push_back(roundTripMs(socketPath, R"({"id":"l","cmd":"list-panes","args":{}})" "\n"));
  }
  {
    Connection kept(socketPath);
    for (int i = 0; i < requests; ++i) {
      QElapsedTimer timer;
      timer.start();
      kept.send(R"({"id":"k","cmd":"ping","args":{}})" "\n");
      kept.next(10000);
      pingKept.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
  }
  auto print = [](const char* name, const Stats& s) {
    std::printf("  %-34s p50 %7.3f ms   p95 %7.3f ms   mean %7.3f ms\n", name, s.p50, s.p95, s.mean);
  };
  print("ping (new connection)", stats(ping));
  print("ping (kept connection)", stats(pingKept));
  print("list-panes (new connection)", stats(listPanes));

  // Watch propagation.
  Connection watcher(socketPath);
  watcher.send(R"({"id":"W","cmd":"watch","args":{}})" "\n");
  auto first = watcher.next(10000);
  std::size_t known = first ? (*first)["event"]["panes"].size() : 0;
  std::vector<double> propagation, baseline;
  for (int i = 0; i < windows; ++i) {
    QElapsedTimer timer;
    timer.start();
    const QString paneId = tmux({"new-window", "-d", "-P", "-F", "#{pane_id}", "-t", "bench"});
    baseline.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    bool seen = false;
    while (!seen) {
      auto line = watcher.next(10000);
      if (!line) break;
      for (const auto& pane : (*line)["event"]["panes"]) seen |= pane["paneId"] == paneId.toStdString();
      known = (*line)["event"]["panes"].size();
    }
    if (!seen) {
      std::printf("  watch: pane %s never arrived\n", qPrintable(paneId));
      break;
    }
    propagation.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  const Stats p = stats(propagation), b = stats(baseline);
  print("watch: new window -> snapshot", p);
  print("baseline: tmux new-window CLI alone", b);
  std::printf("  ratio (p50 propagation / p50 baseline): %.2f; snapshot holds %zu panes\n",
              b.p50 > 0 ? p.p50 / b.p50 : 0.0, known);

  daemon.terminate();
  daemon.waitForFinished(5000);
  tmux({"kill-server"});
  return 0;
}
