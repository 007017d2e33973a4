// The live terminal bridge with its page in QtWebEngine (offscreen), attached through the
// local transport to a scripted daemon on a real Unix socket that echoes input as output.
//
// BM_OutputIntoPage: output frames of 4 KiB (lines of 80 columns) from the daemon until the
//   page's terminal acknowledged every byte (xterm.js write callbacks).
// BM_KeystrokeToPaint: one key typed into the page until the echoed output was painted:
//   key event -> page input message -> bridge -> transport -> daemon -> output frame ->
//   coalesced script -> xterm.js write -> next animation frame. Timed on the epoch clock
//   that the page shares (performance.timeOrigin), leg by leg, so polling the page's trace
//   log costs nothing measured. BM_KeystrokeToPaintRealDaemon: the same through the real
//   daemon, tmux and a shell. BM_PageFedDirectlyToPaint, the baseline: the echo written
//   into the page by one script, until painted.
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
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

#include "control_plane/control_plane_client.h"
#include "relay/core/terminal_protocol.h"
#include "terminal/live_terminal_channel.h"
#include "terminal/live_terminal_view.h"
#include "tests/support/await_task.h"
#include "tests/support/fake_daemon.h"
#include "tests/terminal/live_terminal_test_support.h"

namespace {

using vesket::testing::FakeDaemon;
namespace P = vesket::relay::TerminalProtocol;

double epochMs();

struct Harness {
  QTemporaryDir dir;
  std::unique_ptr<FakeDaemon> daemon;
  std::unique_ptr<vesket::terminal::LiveTerminalView> view;
  nlohmann::json attach;
  std::size_t inputs = 0;
  bool echo = true;
  double lastInputAtMs = 0;  // when the daemon last received typed input (epoch ms)

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
          lastInputAtMs = epochMs();
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

// Wall-clock time in milliseconds since the epoch: the page's clock (performance.timeOrigin +
// performance.now()) is read on the same scale, so times taken in the page and in the
// application can be subtracted.
double epochMs() {
  return static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count()) /
         1000.0;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<std::size_t>(p * static_cast<double>(values.size())))];
}

// Waiting that keeps the main thread in its event loop. (QTest::qWait sleeps between event
// passes, and a message from the page that arrives during the sleep waits for it: that made
// keys look 5 ms slower than they are in the application, whose loop never sleeps.)
QVariant evaluateAwake(vesket::terminal::LiveTerminalView& view, const QString& script) {
  QEventLoop loop;
  QVariant result;
  bool done = false;
  view.runScript(script, [&](const QVariant& value) {
    result = value;
    done = true;
    loop.quit();
  });
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);
  if (!done) loop.exec();
  return result;
}

bool waitAwake(const std::function<bool()>& condition, int timeoutMs, int pollMs = 10) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > timeoutMs) return false;
    QEventLoop loop;
    QTimer::singleShot(pollMs, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

// The sequence number of the page's newest trace entry (-1 when none).
double lastTrace(vesket::terminal::LiveTerminalView& view) {
  return evaluateAwake(view, "(function () { const log = window.__termTraceLog();"
                             " return log.length ? log[log.length - 1].seq : -1; })()")
      .toDouble();
}

// The newest trace entry, in epoch milliseconds (enqueued, painted), once one newer than
// `before` was painted.
std::optional<std::pair<double, double>> paintedTrace(vesket::terminal::LiveTerminalView& view, double before) {
  const auto result = evaluateAwake(
                          view, "(function () { const log = window.__termTraceLog(); const last = log[log.length - 1];"
                                " return last ? [last.seq, performance.timeOrigin + last.enqueuedAt,"
                                " last.paintedAt === null ? null : performance.timeOrigin + last.paintedAt] : []; })()")
                          .toList();
  if (result.size() != 3 || result[0].toDouble() == before || result[2].isNull()) return std::nullopt;
  return std::make_pair(result[1].toDouble(), result[2].toDouble());
}

// Keys typed into the live terminal until their echo was painted, each leg timed on the
// epoch clock (the polling that reads the page's log is outside the measured time). Keys
// never pass through the page on their way out: the view's keyboard takes the key event and
// the key encoder's bytes go straight to the daemon. `daemonAt`: when the daemon received
// the last input, when the harness can tell.
void keystrokesToPaint(benchmark::State& state, vesket::terminal::LiveTerminalView& view, const double* daemonAt) {
  QWidget* target = vesket::testing::keyTarget(view);
  std::vector<double> total, toDaemon, toPageWrite, toPaint;
  for (auto _ : state) {
    const double previous = lastTrace(view);
    // A person's keys come at any moment of the page's 60 Hz frames, not in step with them.
    waitAwake([] { return false; }, 0, 5 + static_cast<int>(QRandomGenerator::global()->bounded(17)));
    const double keyAt = epochMs();
    // Letters in turn: the same key twice within the duplicate filter's few milliseconds
    // is taken for one press arriving by two input paths, and a person cannot type that.
    QTest::keyClick(target, static_cast<Qt::Key>(Qt::Key_A + static_cast<int>(total.size() % 26)));
    std::optional<std::pair<double, double>> painted;
    if (!waitAwake([&] { return (painted = paintedTrace(view, previous)).has_value(); }, 10000)) {
      qWarning("screen:\n%s\nstatus: %s", qPrintable(vesket::testing::screenText(view)), qPrintable(view.statusText()));
      state.SkipWithError("the keystroke's echo was never painted");
      break;
    }
    total.push_back(painted->second - keyAt);
    if (daemonAt) toDaemon.push_back(*daemonAt - keyAt);
    toPageWrite.push_back(painted->first - (daemonAt ? *daemonAt : keyAt));
    toPaint.push_back(painted->second - painted->first);
    state.SetIterationTime(total.back() / 1000.0);
  }
  state.counters["p50_ms"] = percentile(total, 0.5);
  state.counters["p95_ms"] = percentile(total, 0.95);
  if (daemonAt) {
    state.counters["key_to_daemon_ms"] = percentile(toDaemon, 0.5);
    state.counters["daemon_to_page_ms"] = percentile(toPageWrite, 0.5);
  } else {
    state.counters["key_to_page_write_ms"] = percentile(toPageWrite, 0.5);
  }
  state.counters["page_write_to_paint_ms"] = percentile(toPaint, 0.5);
}

void BM_KeystrokeToPaint(benchmark::State& state) {
  auto& h = Harness::get();
  keystrokesToPaint(state, *h.view, &h.lastInputAtMs);
}
BENCHMARK(BM_KeystrokeToPaint)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200);

// The baseline: the same echo written into the page directly (one script), until painted.
void BM_PageFedDirectlyToPaint(benchmark::State& state) {
  auto& h = Harness::get();
  std::vector<double> total;
  int trace = 1000000;
  for (auto _ : state) {
    const double previous = lastTrace(*h.view);
    waitAwake([] { return false; }, 0, 5 + static_cast<int>(QRandomGenerator::global()->bounded(17)));
    const QString script = QStringLiteral("window.__termWrite('%1', %2, false, %3)")
                               .arg(QString::fromLatin1(QByteArray("b").toBase64()))
                               .arg(h.view->generation())
                               .arg(++trace);
    const double writeAt = epochMs();
    h.view->runScript(script, nullptr);
    std::optional<std::pair<double, double>> painted;
    if (!waitAwake([&] { return (painted = paintedTrace(*h.view, previous)).has_value(); }, 10000)) {
      state.SkipWithError("the write was never painted");
      break;
    }
    total.push_back(painted->second - writeAt);
    state.SetIterationTime(total.back() / 1000.0);
  }
  state.counters["p50_ms"] = percentile(total, 0.5);
  state.counters["p95_ms"] = percentile(total, 0.95);
}
BENCHMARK(BM_PageFedDirectlyToPaint)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200);

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
  keystrokesToPaint(state, *slot->view, nullptr);
  QTest::keyClick(vesket::testing::keyTarget(*slot->view), Qt::Key_U, Qt::ControlModifier);  // clear the typed line
}
BENCHMARK(BM_KeystrokeToPaintRealDaemon)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(100);

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
