// The live terminal bridge with its page in QtWebEngine (offscreen), attached through the
// local transport to a scripted daemon on a real Unix socket that echoes input as output.
//
// BM_OutputIntoPage: output frames of 4 KiB (lines of 80 columns) from the daemon until the
//   page's terminal acknowledged every byte (xterm.js write callbacks).
// BM_KeystrokeToPaint: one key typed into the page until the echoed output was painted:
//   key event -> page input message -> bridge -> transport -> daemon -> output frame ->
//   coalesced script -> xterm.js write -> next animation frame. Wall time per keystroke
//   (manual time, includes one script round trip to read the page's trace log); the page's
//   own enqueue-to-paint time is a counter.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include <unistd.h>

#include "control_plane/control_plane_client.h"
#include "relay/core/terminal_protocol.h"
#include "terminal/live_terminal_view.h"
#include "tests/support/await_task.h"
#include "tests/support/fake_daemon.h"
#include "tests/terminal/live_terminal_test_support.h"

namespace {

using vesket::testing::FakeDaemon;
namespace P = vesket::relay::TerminalProtocol;

struct Harness {
  QTemporaryDir dir;
  std::unique_ptr<FakeDaemon> daemon;
  std::unique_ptr<vesket::terminal::LiveTerminalView> view;
  nlohmann::json attach;
  std::size_t inputs = 0;
  bool echo = true;
  QElapsedTimer clock;
  qint64 lastInputAtNs = 0;  // when the daemon last received typed input

  static std::unique_ptr<Harness>& instance() {
    static std::unique_ptr<Harness> harness;
    return harness;
  }
  static Harness& get() {
    if (!instance()) instance() = std::make_unique<Harness>();
    return *instance();
  }

  Harness() {
    const QString socket = dir.filePath("control.sock");
    clock.start();
    daemon = std::make_unique<FakeDaemon>(socket);
    daemon->onRequest = [this](FakeDaemon::Connection& c, const nlohmann::json& request) {
      if (request["cmd"] == "terminal-attach") {
        attach = request;
        send(c, P::encodeReady({.paneId = "%1", .cols = 100, .rows = 30, .mode = "mirror"}));
      } else if (request["cmd"] == "terminal-input") {
        const std::string data =
            QByteArray::fromBase64(QByteArray::fromStdString(request["args"]["data"].get<std::string>())).toStdString();
        const auto frame = P::decodeClientFrame(data);
        if (const auto* input = std::get_if<P::Input>(&frame)) {
          ++inputs;
          lastInputAtNs = clock.nsecsElapsed();
          if (echo) send(c, P::encodeOutput(input->bytes));
        }
      }
    };
    view = std::make_unique<vesket::terminal::LiveTerminalView>(vesket::terminal::LiveTerminalView::Options{
        .control = vesket::control_plane::ControlPlaneClient::create(socket.toStdString(), std::nullopt, 5.0)});
    view->resize(900, 560);
    view->show();
    view->showPane("%1");
    if (!vesket::testing::waitForCondition([&] { return view->isSessionReady(); }, 30000)) {
      qFatal("live terminal bench: the session never became ready");
    }
  }

  void send(FakeDaemon::Connection& c, const std::string& frame) {
    c.event(attach["id"], {{"data", QByteArray::fromStdString(frame).toBase64().toStdString()}});
  }
  FakeDaemon::Connection& connection() { return daemon->connection(daemon->connectionCount() - 1); }

  double acknowledgedBytes() {
    return vesket::testing::evaluate(*view, "window.__termFlowState().acknowledgedBytes").toDouble();
  }
};

void BM_OutputIntoPage(benchmark::State& state) {
  auto& h = Harness::get();
  const int frames = static_cast<int>(state.range(0));
  std::string line(78, 'x');
  std::string chunk;
  for (int i = 0; i < 4096 / 80; ++i) chunk += "\x1b[32m" + line.substr(0, 73) + "\x1b[0m\r\n";
  chunk.resize(4096, '.');
  const std::string frame = P::encodeOutput(chunk);
  std::int64_t bytes = 0;
  for (auto _ : state) {
    const double before = h.acknowledgedBytes();
    for (int i = 0; i < frames; ++i) h.send(h.connection(), frame);
    const double target = before + static_cast<double>(frames) * 4096;
    if (!vesket::testing::waitForCondition([&] { return h.acknowledgedBytes() >= target; }, 60000)) {
      state.SkipWithError("the page did not acknowledge the output");
      break;
    }
    bytes += static_cast<std::int64_t>(frames) * 4096;
  }
  state.SetBytesProcessed(bytes);
  state.counters["evaluations"] = h.view->evaluationCount();
}
BENCHMARK(BM_OutputIntoPage)->Arg(64)->Arg(512)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_KeystrokeToPaint(benchmark::State& state) {
  auto& h = Harness::get();
  QWidget* target = vesket::testing::keyTarget(*h.view);
  double pagePaint = 0;
  double keyToDaemon = 0;
  int samples = 0;
  for (auto _ : state) {
    const auto before = h.inputs;
    const auto entries = vesket::testing::evaluate(*h.view, "window.__termTraceLog().length").toInt();
    QElapsedTimer timer;
    timer.start();
    const qint64 keyAtNs = h.clock.nsecsElapsed();
    QTest::keyClick(target, Qt::Key_A);
    QJsonObject painted;
    const bool ok = vesket::testing::waitForCondition(
        [&] {
          if (h.inputs == before) return false;
          const auto log = vesket::testing::evaluate(*h.view, "window.__termTraceLog()").toList();
          if (log.size() <= entries && log.size() < 200) return false;
          const auto last = log.last().toMap();
          if (last.value("paintedAt").isNull()) return false;
          pagePaint += last.value("paintedAt").toDouble() - last.value("enqueuedAt").toDouble();
          return true;
        },
        10000);
    if (!ok) {
      state.SkipWithError("the keystroke's echo was never painted");
      break;
    }
    state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    keyToDaemon += static_cast<double>(h.lastInputAtNs - keyAtNs) / 1e6;
    ++samples;
  }
  if (samples) {
    state.counters["page_enqueue_to_paint_ms"] = pagePaint / samples;
    state.counters["key_to_daemon_ms"] = keyToDaemon / samples;
  }
}
BENCHMARK(BM_KeystrokeToPaint)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(50);

// The same keystroke path through the real daemon and a shell in a private tmux server
// (the shell's own echo comes back): built only when the daemon binary exists.
struct RealDaemonHarness {
  QTemporaryDir root;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  QString tmuxName = QStringLiteral("vesket-bench-%1").arg(::getpid());
  std::unique_ptr<QProcess> daemon;
  std::unique_ptr<vesket::terminal::LiveTerminalView> view;

  static std::unique_ptr<RealDaemonHarness>& instance() {
    static std::unique_ptr<RealDaemonHarness> harness;
    return harness;
  }

  static QString binary() { return QStringLiteral(VESKET_BENCH_BIN_DIR "/vesket"); }

  QString tmux(const QStringList& args) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start("tmux", QStringList{"-L", tmuxName, "-f", "/dev/null"} + args);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
  }

  bool start() {
    for (const char* name : {"TMUX", "TMUX_PANE", "CONTROL_TOKEN", "DURNVALE_HOME", "VESKET_TMUX_SOCKET"}) {
      environment.remove(name);
    }
    for (const auto& [variable, relative] : std::initializer_list<std::pair<const char*, const char*>>{
             {"HOME", "home"}, {"VESKET_HOME", "home/.vesket"}, {"XDG_CONFIG_HOME", "xdg/config"},
             {"XDG_STATE_HOME", "xdg/state"}, {"XDG_DATA_HOME", "xdg/data"}, {"XDG_CACHE_HOME", "xdg/cache"},
             {"TMUX_TMPDIR", "tmux"}}) {
      const QString path = root.filePath(relative);
      QDir().mkpath(path);
      QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
      environment.insert(variable, path);
    }
    environment.insert("SHELL", "/bin/sh");
    const QString paneId = tmux({"new-session", "-d", "-P", "-F", "#{pane_id}", "-s", "main", "-x", "120", "-y", "30", "/bin/sh"});
    if (!paneId.startsWith('%')) return false;
    daemon = std::make_unique<QProcess>();
    daemon->setProcessEnvironment(environment);
    daemon->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    daemon->start(binary(), {"daemon", "start", "-L", tmuxName});
    if (!daemon->waitForStarted(5000)) return false;
    const std::string socket = environment.value("VESKET_HOME").toStdString() + "/daemon/control.sock";
    auto control = vesket::control_plane::ControlPlaneClient::create(socket, std::nullopt, 5.0);
    const bool answering = vesket::testing::waitForCondition(
        [&] {
          try {
            return vesket::testing::awaitTask(control->ping(), 3000).alive;
          } catch (const std::exception&) {
            QTest::qWait(50);
            return false;
          }
        },
        15000);
    if (!answering) return false;
    view = std::make_unique<vesket::terminal::LiveTerminalView>(
        vesket::terminal::LiveTerminalView::Options{.control = std::move(control)});
    view->resize(900, 560);
    view->show();
    view->showPane(paneId);
    return vesket::testing::waitForCondition([&] { return view->isSessionReady(); }, 30000);
  }

  ~RealDaemonHarness() {
    view.reset();
    if (daemon) {
      daemon->terminate();
      if (!daemon->waitForFinished(10000)) daemon->kill();
      daemon->waitForFinished(5000);
    }
    tmux({"kill-server"});
  }
};

void BM_KeystrokeToPaintRealDaemon(benchmark::State& state) {
  auto& slot = RealDaemonHarness::instance();
  if (!slot) {
    slot = std::make_unique<RealDaemonHarness>();
    if (!slot->start()) {
      state.SkipWithError("the real daemon did not come up");
      return;
    }
  }
  auto& view = *slot->view;
  QWidget* target = vesket::testing::keyTarget(view);
  double pagePaint = 0;
  int samples = 0;
  for (auto _ : state) {
    const int entries = vesket::testing::evaluate(view, "window.__termTraceLog().length").toInt();
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(target, Qt::Key_A);
    const bool ok = vesket::testing::waitForCondition(
        [&] {
          const auto log = vesket::testing::evaluate(view, "window.__termTraceLog()").toList();
          if (log.size() <= entries && log.size() < 200) return false;
          const auto last = log.last().toMap();
          if (last.value("paintedAt").isNull()) return false;
          pagePaint += last.value("paintedAt").toDouble() - last.value("enqueuedAt").toDouble();
          return true;
        },
        10000);
    if (!ok) {
      qWarning("daemon running: %d, exit status %d code %d", slot->daemon->state() == QProcess::Running,
               static_cast<int>(slot->daemon->exitStatus()), slot->daemon->exitCode());
      qWarning("screen:\n%s\ntrace log entries: %d, session ready: %d, status: %s",
               qPrintable(vesket::testing::screenText(view)),
               vesket::testing::evaluate(view, "window.__termTraceLog().length").toInt(), view.isSessionReady(),
               qPrintable(view.statusText()));
      state.SkipWithError("the keystroke's echo was never painted");
      break;
    }
    state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    ++samples;
  }
  if (samples) state.counters["page_enqueue_to_paint_ms"] = pagePaint / samples;
  QTest::keyClick(target, Qt::Key_U, Qt::ControlModifier);  // clear the typed line
}
BENCHMARK(BM_KeystrokeToPaintRealDaemon)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(60);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  vesket::testing::prepareWebEngine();
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  Harness::instance().reset();  // the pages go while the application still runs
  RealDaemonHarness::instance().reset();
  benchmark::Shutdown();
  return 0;
}
