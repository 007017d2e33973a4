// The live terminal through the real `vesket` daemon (and through the real `vesket-relay`
// the daemon is linked to), each figure beside its baseline measured in the same run on
// the same private tmux server:
//   - keystroke-to-echo latency of an attach session (input frame in, output frame with the
//     echo out), locally and through the relay's terminal WebSocket, against a plain `tmux
//     attach` client in a pseudo-terminal and a bare control-mode client (`send-keys -H` in,
//     `%output` out);
//   - output throughput of a pane printing a large file, through the daemon to a viewer
//     (locally and through the relay), against the same two clients reading the same pane;
//   - the daemon's resident memory during a flood while a viewer does not read at all.
//
//   build/bench/terminal_stream_bench [--keys N] [--megabytes N] [--rounds N] [--relay-threads N]
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QWebSocket>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "control_plane/core/base64.h"
#include "control_plane/core/line_accumulator.h"
#include "relay/core/terminal_protocol.h"

namespace {

namespace TP = vesket::relay::TerminalProtocol;
using vesket::control_plane::Base64::decode;
using vesket::control_plane::Base64::encode;

QString g_tmuxName;

QString tmux(const QStringList& args) {
  QProcess process;
  process.start(QStringLiteral("tmux"), QStringList{"-L", g_tmuxName, "-f", "/dev/null"} + args);
  process.waitForFinished(30000);
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

struct Stats {
  double p50 = 0, p95 = 0;
};
Stats stats(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  if (samples.empty()) return {};
  return {samples[samples.size() / 2], samples[std::min(samples.size() - 1, samples.size() * 95 / 100)]};
}

double ms(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

// An attach session read by hand: output bytes are appended to `output`. `Read::raw` reads
// the socket with `poll` and `read`, as the plain and control clients are read, so the
// figure compared with them is the daemon's; `Read::qt` reads it through QLocalSocket, as the
// application does, so the figure compared with the relay viewer (a QWebSocket) is like for
// like.
class AttachViewer {
 public:
  enum class Read { raw, qt };
  AttachViewer(const QString& socketPath, const QString& paneId, Read read = Read::raw, const std::string& id = "bench-attach")
      : m_read(read), m_id(id) {
    if (m_read == Read::qt) {
      m_socket.connectToServer(socketPath);
      m_socket.waitForConnected(5000);
    } else {
      m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      const QByteArray path = socketPath.toLocal8Bit();
      std::memcpy(address.sun_path, path.constData(), std::min<std::size_t>(path.size(), sizeof address.sun_path - 1));
      (void)!::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    send(nlohmann::json{{"id", m_id}, {"cmd", "terminal-attach"},
                        {"args", {{"paneId", paneId.toStdString()}, {"mode", "mirror"}, {"force", false}, {"open", true}}}});
  }
  ~AttachViewer() {
    if (m_fd >= 0) ::close(m_fd);
  }
  void send(const nlohmann::json& line) {
    const std::string text = line.dump() + "\n";
    if (m_read == Read::qt) {
      m_socket.write(text.data(), static_cast<qint64>(text.size()));
      m_socket.flush();
    } else {
      (void)!::send(m_fd, text.data(), text.size(), MSG_NOSIGNAL);
    }
  }
  void input(const std::string& bytes) {
    send({{"id", "in"}, {"cmd", "terminal-input"},
          {"args", {{"sessionId", "local-" + m_id}, {"data", encode(TP::encodeInput(bytes))}}}});
  }
  // Reads until `output` contains `needle` (searching from `from`); false on timeout.
  bool waitFor(const std::string& needle, std::size_t from, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (output.find(needle, from) == std::string::npos) {
      if (deadline.hasExpired()) return false;
      const int waitMs = static_cast<int>(std::max<qint64>(1, deadline.remainingTime()));
      QByteArray bytes;
      if (m_read == Read::qt) {
        if (m_socket.bytesAvailable() == 0) m_socket.waitForReadyRead(waitMs);
        bytes = m_socket.readAll();
      } else {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, waitMs) <= 0) continue;
        char buffer[65536];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0) return false;
        bytes = QByteArray(buffer, static_cast<qsizetype>(n));
      }
      for (auto& line : m_lines.push(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        const auto json = nlohmann::json::parse(line, nullptr, false);
        if (!json.is_object() || !json.contains("event")) continue;
        const std::string frame = decode(json["event"]["data"].get<std::string>());
        if (!frame.empty() && frame[0] == static_cast<char>(TP::Op::output)) output.append(frame, 1);
        if (!frame.empty() && frame[0] == static_cast<char>(TP::Op::historyEnd)) historyEnded = true;
      }
    }
    return true;
  }
  bool waitHistory(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!historyEnded && !deadline.hasExpired()) waitFor("\x01never\x01", output.size(), 50);
    return historyEnded;
  }
  std::string output;
  bool historyEnded = false;

 private:
  Read m_read;
  std::string m_id;
  int m_fd = -1;
  QLocalSocket m_socket;
  vesket::control_plane::LineAccumulator m_lines;
};

// A plain `tmux attach` client in a pseudo-terminal.
class PtyClient {
 public:
  explicit PtyClient(const QString& session) {
    winsize size{};
    size.ws_col = 120;
    size.ws_row = 40;
    m_pid = ::forkpty(&m_fd, nullptr, nullptr, &size);
    if (m_pid == 0) {
      ::setenv("TERM", "xterm-256color", 1);
      ::unsetenv("TMUX");
      const QByteArray name = g_tmuxName.toLocal8Bit(), target = session.toLocal8Bit();
      ::execlp("tmux", "tmux", "-L", name.constData(), "-f", "/dev/null", "attach", "-t", target.constData(), nullptr);
      ::_exit(127);
    }
  }
  ~PtyClient() {
    ::kill(m_pid, SIGTERM);
    ::close(m_fd);
    ::waitpid(m_pid, nullptr, 0);
  }
  void write(const std::string& bytes) { (void)!::write(m_fd, bytes.data(), bytes.size()); }
  bool waitFor(char c, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    char buffer[65536];
    while (!deadline.hasExpired()) {
      pollfd p{m_fd, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))) <= 0) continue;
      const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
      if (n <= 0) return false;
      if (std::memchr(buffer, c, static_cast<std::size_t>(n)) != nullptr) return true;
    }
    return false;
  }
  // Reads until `needle` went by; false on timeout.
  bool waitForText(const std::string& needle, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    std::string seen;
    char buffer[65536];
    while (!deadline.hasExpired()) {
      pollfd p{m_fd, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
      if (n <= 0) return false;
      seen.append(buffer, static_cast<std::size_t>(n));
      if (seen.find(needle) != std::string::npos) return true;
      if (seen.size() > 4096) seen.erase(0, seen.size() - 256);
    }
    return false;
  }
  void drain(int forMs) {
    char buffer[65536];
    QDeadlineTimer deadline(forMs);
    while (!deadline.hasExpired()) {
      pollfd p{m_fd, POLLIN, 0};
      if (::poll(&p, 1, 10) > 0 && ::read(m_fd, buffer, sizeof buffer) <= 0) return;
    }
  }

 private:
  int m_fd = -1;
  pid_t m_pid = -1;
};

// A bare control-mode client (`tmux -C attach -f ignore-size`) on plain pipes: commands in,
// notifications out, no parsing beyond looking for a text.
class ControlClient {
 public:
  explicit ControlClient(const QString& session) {
    int in[2], out[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0) return;
    m_pid = ::fork();
    if (m_pid == 0) {
      ::dup2(in[0], STDIN_FILENO);
      ::dup2(out[1], STDOUT_FILENO);
      ::close(in[0]), ::close(in[1]), ::close(out[0]), ::close(out[1]);
      ::unsetenv("TMUX");
      const QByteArray name = g_tmuxName.toLocal8Bit(), target = session.toLocal8Bit();
      ::execlp("tmux", "tmux", "-L", name.constData(), "-f", "/dev/null", "-C", "attach", "-t", target.constData(), "-f",
               "ignore-size", nullptr);
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    m_in = in[1];
    m_out = out[0];
  }
  ~ControlClient() {
    ::close(m_in);
    ::close(m_out);
    ::waitpid(m_pid, nullptr, 0);
  }
  void command(const std::string& line) { (void)!::write(m_in, (line + "\n").data(), line.size() + 1); }
  // Reads until `needle` went by; false on timeout.
  bool waitForText(const std::string& needle, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    char buffer[65536];
    while (!deadline.hasExpired()) {
      if (m_seen.find(needle) != std::string::npos) {
        m_seen.clear();
        return true;
      }
      if (m_seen.size() > 4096) m_seen.erase(0, m_seen.size() - 256);
      pollfd p{m_out, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))) <= 0) continue;
      const ssize_t n = ::read(m_out, buffer, sizeof buffer);
      if (n <= 0) return false;
      m_seen.append(buffer, static_cast<std::size_t>(n));
    }
    return false;
  }
  void drain(int forMs) {
    waitForText("\x01never\x01", forMs);
    m_seen.clear();
  }

 private:
  int m_in = -1, m_out = -1;
  pid_t m_pid = -1;
  std::string m_seen;
};

// The relay's terminal WebSocket, read by hand: output bytes are appended to `output`.
class RelayViewer {
 public:
  RelayViewer(const QString& url, const QByteArray& token) {
    QObject::connect(&m_socket, &QWebSocket::binaryMessageReceived, [this](const QByteArray& message) {
      if (message.isEmpty()) return;
      if (message[0] == static_cast<char>(TP::Op::output)) output.append(message.constData() + 1, static_cast<std::size_t>(message.size() - 1));
      if (message[0] == static_cast<char>(TP::Op::historyEnd)) historyEnded = true;
      if (m_waiting && !m_satisfied && m_done()) {
        m_satisfied = true;
        m_waiting->quit();
      }
    });
    QObject::connect(&m_socket, &QWebSocket::connected, [this] {
      // As the application's terminal client does: no Nagle delay.
      if (auto* tcp = m_socket.findChild<QAbstractSocket*>()) tcp->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    });
    QNetworkRequest request{QUrl(url)};
    request.setRawHeader("Authorization", "Bearer " + token);
    m_socket.open(request);
  }
  void input(const std::string& bytes) {
    const std::string frame = TP::encodeInput(bytes);
    m_socket.sendBinaryMessage(QByteArray(frame.data(), static_cast<qsizetype>(frame.size())));
    m_socket.flush();
  }
  bool waitFor(const std::string& needle, std::size_t from, int timeoutMs) {
    // Only the newly arrived bytes (and a needle's length before them) are searched again.
    std::size_t searched = from;
    return waitUntil(timeoutMs, [&] {
      const bool found = output.find(needle, searched) != std::string::npos;
      searched = std::max(from, output.size() >= needle.size() ? output.size() - needle.size() + 1 : std::size_t{0});
      return found;
    });
  }
  bool waitHistory(int timeoutMs) {
    return waitUntil(timeoutMs, [this] { return historyEnded; });
  }
  std::string output;
  bool historyEnded = false;

 private:
  // Sleeps in an event loop of its own until `done` holds or the time is up.
  // (processEvents() outside a running loop spins: with a time limit it drops
  // WaitForMoreEvents, and without one a deferred deletion it may not run keeps it from
  // waiting. A spinning reader takes a core from the relay, the daemon and tmux.)
  bool waitUntil(int timeoutMs, std::function<bool()> done) {
    if (done()) return true;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs);
    m_waiting = &loop;
    m_done = std::move(done);
    m_satisfied = false;
    loop.exec();
    m_waiting = nullptr;
    m_done = nullptr;
    return m_satisfied;
  }

  QWebSocket m_socket;
  QEventLoop* m_waiting = nullptr;
  std::function<bool()> m_done;
  bool m_satisfied = false;
};

// The real relay on 127.0.0.1 (a free port), an account on it, and a daemon token minted
// for that account.
struct BenchRelay {
  QProcess process;
  QString base;
  QByteArray accountToken;
  QByteArray daemonToken;

  bool start(const QString& dataDir, int threads) {
    QStringList args{"--listen", "127.0.0.1:0", "--data", dataDir, "--password-hash-ops", "1", "--password-hash-mem-kib", "8"};
    if (threads > 0) args << "--threads" << QString::number(threads);
    process.start(QStringLiteral(VESKET_BIN_DIR "/vesket-relay"), args);
    if (!process.waitForReadyRead(10000)) return false;
    const QString line = QString::fromUtf8(process.readLine()).trimmed();
    base = line.mid(line.lastIndexOf(' ') + 1);
    QNetworkAccessManager network;
    QNetworkRequest request{QUrl(base + "/api/auth/register-public")};
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    QNetworkReply* reply = network.post(request, R"({"email":"bench@example.org","password":"password1","confirm_password":"password1"})");
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const auto answer = nlohmann::json::parse(reply->readAll().toStdString(), nullptr, false);
    reply->deleteLater();
    if (!answer.is_object() || !answer.contains("token")) return false;
    accountToken = QByteArray::fromStdString(answer["token"].get<std::string>());
    QProcess mint;
    mint.start(QStringLiteral(VESKET_BIN_DIR "/vesket-relay"),
               {"mint-daemon-token", "--data", dataDir, "--user", QString::number(answer["user"]["id"].get<qint64>())});
    mint.waitForFinished(10000);
    for (const QByteArray& out : mint.readAllStandardOutput().split('\n')) {
      if (out.startsWith("DAEMON_TOKEN=")) daemonToken = out.mid(13);
    }
    return !daemonToken.isEmpty();
  }
  ~BenchRelay() {
    process.terminate();
    process.waitForFinished(5000);
  }
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

long rssKiB(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toLong();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int keys = 300, megabytes = 16, rounds = 3, relayThreads = 0;  // 0: the relay's default
  for (int i = 1; i + 1 < argc; i += 2) {
    const QString option = QString::fromLatin1(argv[i]);
    const int value = QString::fromLatin1(argv[i + 1]).toInt();
    if (option == "--keys") keys = value;
    else if (option == "--megabytes") megabytes = value;
    else if (option == "--rounds") rounds = std::max(1, value);
    else if (option == "--relay-threads") relayThreads = value;
  }
  QTemporaryDir root(QStringLiteral("/tmp/vkt-XXXXXX"));
  const QString home = root.path() + "/vh";
  g_tmuxName = QStringLiteral("vesket-tbench-%1").arg(::getpid());
  tmux({"new-session", "-d", "-s", "bench", "-x", "120", "-y", "40", "sh", ";", "set", "-g", "status", "off"});
  const QString pane = tmux({"display", "-p", "-t", "bench", "#{pane_id}"});

  // The daemon is paired with a relay of its own, so the relay's path runs beside the local one.
  BenchRelay relay;
  const bool relayUp = relay.start(root.path() + "/relay", relayThreads);
  if (relayUp) {
    QDir().mkpath(home + "/daemon");
    QFile env(home + "/daemon/.env");
    (void)env.open(QIODevice::WriteOnly);
    env.write("RELAY_URL=" + QString(relay.base).replace("http://", "ws://").toUtf8() + "/daemon\nDAEMON_TOKEN=" +
              relay.daemonToken + "\n");
  } else {
    std::printf("  the relay did not start: its figures are left out\n");
  }
  const QString attachUrl = QString(relay.base).replace("http://", "ws://") + "/api/terminal/attach?mode=mirror&paneId=" +
                            QString::fromUtf8(QUrl::toPercentEncoding(pane));

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
  for (QDeadlineTimer up(15000); !QFileInfo::exists(socketPath) && !up.hasExpired();) QThread::msleep(20);
  QThread::msleep(500);
  std::printf("terminal_stream_bench: private tmux server, %d keystrokes, %d MiB flood\n", keys, megabytes);

  // --- keystroke to echo -----------------------------------------------------------------
  // The pane echoes through its line discipline only (no shell redraws): `cat` in
  // non-canonical mode, reading to /dev/null.
  tmux({"send-keys", "-t", pane, "stty -icanon; cat > /dev/null", "Enter"});
  QThread::msleep(300);
  std::vector<double> viaDaemon, viaDaemonQt, viaTmux, viaControl, viaRelay;
  {
    AttachViewer viewer(socketPath, pane);
    AttachViewer appViewer(socketPath, pane, AttachViewer::Read::qt, "bench-attach-qt");
    if (!viewer.waitHistory(10000) || !appViewer.waitHistory(10000)) std::printf("  attach failed\n");
    // The daemon links to the relay within a second or two of its start.
    std::optional<RelayViewer> remote;
    for (QDeadlineTimer linked(15000); relayUp && !linked.hasExpired();) {
      remote.emplace(attachUrl, relay.accountToken);
      if (remote->waitHistory(2000)) break;
      remote.reset();
      QThread::msleep(200);
    }
    if (relayUp && !remote) std::printf("  the relay attach failed\n");
    PtyClient plain(QStringLiteral("bench"));
    plain.drain(500);
    ControlClient control(QStringLiteral("bench"));
    control.drain(500);
    // Each client types its own letters, so a late echo of another's key never stops a clock.
    // Before every key all readers are drained the same way, so each measurement starts after
    // the same quiet gap: how long the machine idled before a key changes how fast every
    // process on its path wakes (a virtual machine's idle cores take longer the longer they
    // slept), and an uneven gap would favour whichever client came first after a busy moment.
    auto settle = [&] {
      viewer.waitFor("\x01never\x01", viewer.output.size(), 2);
      appViewer.waitFor("\x01never\x01", appViewer.output.size(), 2);
      if (remote) remote->waitFor("\x01never\x01", remote->output.size(), 2);
      plain.drain(2);
      control.drain(2);
    };
    for (int i = 0; i < keys; ++i) {
      // Daemon: input frame in, output frame with the echo out.
      settle();
      char c = "qvjk"[i % 4];
      std::size_t from = viewer.output.size();
      QElapsedTimer timer;
      timer.start();
      viewer.input(std::string(1, c));
      if (viewer.waitFor(std::string(1, c), from, 5000)) viaDaemon.push_back(ms(timer));
      // The same through the viewer that reads as the application does.
      settle();
      c = "bdfh"[i % 4];
      from = appViewer.output.size();
      timer.restart();
      appViewer.input(std::string(1, c));
      if (appViewer.waitFor(std::string(1, c), from, 5000)) viaDaemonQt.push_back(ms(timer));
      // Plain client: a key on its terminal, the redraw with the echo back.
      settle();
      c = "xyzw"[i % 4];
      timer.restart();
      plain.write(std::string(1, c));
      if (plain.waitFor(c, 5000)) viaTmux.push_back(ms(timer));
      // Bare control client: `send-keys -H`, then the `%output` line with the echo.
      settle();
      c = "XYZW"[i % 4];
      timer.restart();
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(c));
      control.command("send-keys -H -t " + pane.toStdString() + " " + hex);
      if (control.waitForText("%output " + pane.toStdString() + " " + std::string(1, c), 5000)) viaControl.push_back(ms(timer));
      if (remote) {
        // Relay: the same input frame through the relay's WebSocket and the daemon's link.
        settle();
        c = "mnop"[i % 4];
        from = remote->output.size();
        timer.restart();
        remote->input(std::string(1, c));
        if (remote->waitFor(std::string(1, c), from, 5000)) viaRelay.push_back(ms(timer));
      }
    }
  }
  tmux({"send-keys", "-t", pane, "C-c", ""});
  tmux({"send-keys", "-t", pane, "stty sane; clear", "Enter"});
  const Stats d = stats(viaDaemon), dq = stats(viaDaemonQt), t = stats(viaTmux), c = stats(viaControl);
  std::printf("  keystroke to echo, daemon attach       p50 %7.3f ms   p95 %7.3f ms  (%zu keys)\n", d.p50, d.p95, viaDaemon.size());
  std::printf("  the same read through QLocalSocket     p50 %7.3f ms   p95 %7.3f ms  (%zu keys)\n", dq.p50, dq.p95, viaDaemonQt.size());
  std::printf("  keystroke to echo, plain tmux client   p50 %7.3f ms   p95 %7.3f ms  (%zu keys)\n", t.p50, t.p95, viaTmux.size());
  std::printf("  keystroke to echo, bare control client p50 %7.3f ms   p95 %7.3f ms  (%zu keys)\n", c.p50, c.p95, viaControl.size());
  std::printf("  echo p50 ratio: %.2fx the plain client, %.2fx the control client\n", d.p50 / t.p50, d.p50 / c.p50);
  if (!viaRelay.empty()) {
    const Stats r = stats(viaRelay);
    std::printf("  keystroke to echo, through the relay   p50 %7.3f ms   p95 %7.3f ms  (%zu keys)\n", r.p50, r.p95, viaRelay.size());
    std::printf("  relay echo p50: %.2fx the daemon attach read through QLocalSocket, %.2fx the plain client\n", r.p50 / dq.p50,
                r.p50 / t.p50);
  }

  // --- throughput ----------------------------------------------------------------------------
  const QString big = root.path() + "/big.txt";
  {
    QFile file(big);
    (void)file.open(QIODevice::WriteOnly);
    QByteArray line(99, 'a');
    line.append('\n');
    for (int i = 0; i < megabytes * 1024 * 1024 / 100; ++i) file.write(line);
  }
  const double mib = static_cast<double>(QFileInfo(big).size()) / (1024.0 * 1024.0);
  QThread::msleep(300);
  // Rounds alternate the three readers, so a busy moment of the machine hits them alike.
  std::vector<double> bareSeconds, plainSeconds, daemonSeconds, relaySeconds;
  int marker = 100;
  for (int round = 0; round < rounds; ++round) {
    {
      AttachViewer viewer(socketPath, pane);
      viewer.waitHistory(10000);
      QThread::msleep(300);
      const std::size_t from = viewer.output.size();
      const std::string done = "DONE-" + std::to_string(++marker);
      QElapsedTimer timer;
      timer.start();
      tmux({"send-keys", "-t", pane, "cat " + big + "; echo DONE-$((" + QString::number(marker) + "+0))", "Enter"});
      if (viewer.waitFor(done + "\r\n", from, 120000)) daemonSeconds.push_back(ms(timer) / 1000.0);
    }
    QThread::msleep(300);
    if (relayUp) {
      RelayViewer remote(attachUrl, relay.accountToken);
      remote.waitHistory(10000);
      QThread::msleep(300);
      const std::size_t from = remote.output.size();
      const std::string done = "DONE-" + std::to_string(++marker);
      QElapsedTimer timer;
      timer.start();
      tmux({"send-keys", "-t", pane, "cat " + big + "; echo DONE-$((" + QString::number(marker) + "+0))", "Enter"});
      if (remote.waitFor(done + "\r\n", from, 120000)) relaySeconds.push_back(ms(timer) / 1000.0);
      QThread::msleep(300);
    }
    {
      PtyClient plain(QStringLiteral("bench"));
      plain.drain(500);
      const std::string done = "DONE-" + std::to_string(++marker);
      QElapsedTimer timer;
      timer.start();
      tmux({"send-keys", "-t", pane, "cat " + big + "; echo DONE-$((" + QString::number(marker) + "+0))", "Enter"});
      if (plain.waitForText(done, 120000)) plainSeconds.push_back(ms(timer) / 1000.0);
    }
    QThread::msleep(300);
    {
      ControlClient bare(QStringLiteral("bench"));
      bare.drain(300);
      const std::string done = "DONE-" + std::to_string(++marker);
      QElapsedTimer timer;
      timer.start();
      tmux({"send-keys", "-t", pane, "cat " + big + "; echo DONE-$((" + QString::number(marker) + "+0))", "Enter"});
      if (bare.waitForText(done, 120000)) bareSeconds.push_back(ms(timer) / 1000.0);
    }
    QThread::msleep(300);
  }
  const double daemonRate = mib / median(daemonSeconds), plainRate = mib / median(plainSeconds),
               bareRate = mib / median(bareSeconds);
  std::printf("  %.0f MiB file, median of %d rounds:\n", mib, rounds);
  std::printf("    daemon attach viewer (every byte) %6.2f MiB/s\n", daemonRate);
  std::printf("    plain tmux client (redraws)       %6.2f MiB/s  -> daemon %.2fx\n", plainRate, daemonRate / plainRate);
  std::printf("    bare control client (every byte)  %6.2f MiB/s  -> daemon %.2fx\n", bareRate, daemonRate / bareRate);
  if (!relaySeconds.empty()) {
    const double relayRate = mib / median(relaySeconds);
    std::printf("    through the relay (every byte)    %6.2f MiB/s  -> %.2fx the daemon attach\n", relayRate, relayRate / daemonRate);
  }

  // --- memory with a viewer that does not read -------------------------------------------------
  const long rssBefore = rssKiB(daemon.processId());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray path = socketPath.toLocal8Bit();
  std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
  (void)::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  const std::string request = nlohmann::json{{"id", "stuck"}, {"cmd", "terminal-attach"},
                                             {"args", {{"paneId", pane.toStdString()}, {"mode", "mirror"}}}}.dump() + "\n";
  (void)!::write(fd, request.data(), request.size());
  QThread::msleep(300);
  tmux({"send-keys", "-t", pane, "cat " + big + " " + big + "; echo DONE-$((40+4))", "Enter"});
  long rssMax = rssBefore;
  QElapsedTimer flood;
  flood.start();
  while (flood.elapsed() < 180000) {
    rssMax = std::max(rssMax, rssKiB(daemon.processId()));
    if (tmux({"capture-pane", "-p", "-t", pane}).contains("DONE-44")) break;
    QThread::msleep(100);
  }
  rssMax = std::max(rssMax, rssKiB(daemon.processId()));
  std::printf("  daemon RSS, %.0f MiB flood, viewer not reading: before %ld KiB, peak %ld KiB (%.1f s)\n", 2 * mib,
              rssBefore, rssMax, static_cast<double>(flood.elapsed()) / 1000.0);
  ::close(fd);

  daemon.terminate();
  daemon.waitForFinished(5000);
  tmux({"kill-server"});
  return 0;
}
