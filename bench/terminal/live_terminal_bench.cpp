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
#include <QTest>

#include "control_plane/control_plane_client.h"
#include "relay/core/terminal_protocol.h"
#include "terminal/live_terminal_view.h"
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

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  vesket::testing::prepareWebEngine();
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  Harness::instance().reset();  // the page goes while the application still runs
  benchmark::Shutdown();
  return 0;
}
