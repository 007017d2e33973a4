// End-to-end harness: how soon the application's awaiting store holds an agent's prompt.
//
//   hook path    `vesket hook claude` run with a PermissionRequest event, as Claude Code
//                runs its hook, until the store publishes the prompt (daemon "agent-hook",
//                the pane record, the watch stream, the viewer model)
//   marker path  (the baseline) a marker line printed in the pane until the store's
//                paced sweep finds it (at least 1.5 s between sweeps by design)
//
// Both go through the real `vesket` daemon against a private tmux server and the real
// TerminalViewerModel, with temporary HOME, VESKET_HOME and XDG directories; trials of the
// two paths alternate.
//
//   build/bench/agent_prompt_bench [--trials N]

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "control_plane/control_plane_client.h"
#include "viewer/pane_awaiting_store.h"
#include "viewer/pane_list_store.h"
#include "viewer/terminal_viewer_model.h"

namespace {

QProcessEnvironment g_environment;
QString g_tmuxName;

QString run(const QString& program, const QStringList& args, const QByteArray& input = {}) {
  QProcess process;
  process.setProcessEnvironment(g_environment);
  process.start(program, args);
  if (!input.isEmpty()) process.write(input);
  process.closeWriteChannel();
  process.waitForFinished(10000);
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString tmux(const QStringList& args) { return run("tmux", QStringList{"-L", g_tmuxName, "-f", "/dev/null"} + args); }

// Runs the event loop until `done` or `timeoutMs`; true when done.
bool waitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QEventLoop loop;
    QTimer::singleShot(1, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  int trials = 20;
  for (int i = 1; i + 1 < argc; ++i) {
    if (QString(argv[i]) == "--trials") trials = std::max(1, QString(argv[i + 1]).toInt());
  }
  const QString bin = QStringLiteral(VESKET_BIN_DIR) + "/vesket";

  QTemporaryDir root;
  g_tmuxName = QStringLiteral("vesket-bench-hook-%1").arg(QCoreApplication::applicationPid());
  g_environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"TMUX", "TMUX_PANE", "CONTROL_TOKEN", "DURNVALE_HOME"}) g_environment.remove(name);
  for (const auto& [variable, relative] : std::vector<std::pair<QString, QString>>{
           {"HOME", "home"}, {"VESKET_HOME", "home/.vesket"}, {"XDG_STATE_HOME", "state"},
           {"XDG_CONFIG_HOME", "config"}, {"XDG_RUNTIME_DIR", "run"}}) {
    QDir().mkpath(root.filePath(relative));
    g_environment.insert(variable, root.filePath(relative));
  }
  const QString socket = root.filePath("home/.vesket/daemon/control.sock");
  const QString pane = tmux({"new-session", "-d", "-P", "-F", "#{pane_id}", "-s", "bench", "-x", "160", "-y", "40", "/bin/sh"});
  const QString tmuxSocket = tmux({"display-message", "-p", "#{socket_path}"});
  QProcess daemon;
  daemon.setProcessEnvironment(g_environment);
  daemon.start(bin, {"daemon", "start", "-L", g_tmuxName});

  auto client = vesket::control_plane::ControlPlaneClient::create(socket.toStdString(), std::nullopt, 5.0);
  vesket::viewer::TerminalViewerModel model(client, nullptr);
  model.start();
  if (!waitFor([&] { return model.paneList().panes().size() == 1; }, 20000)) {
    std::fprintf(stderr, "the daemon did not list the pane\n");
    return 1;
  }
  auto& store = model.paneAwaiting();
  const std::string paneId = pane.toStdString();
  auto promptIs = [&](const std::function<bool(const std::string&)>& matches) {
    const auto found = store.prompts().find(paneId);
    return found != store.prompts().end() && matches(found->second.id);
  };

  QProcessEnvironment hookEnvironment = g_environment;
  hookEnvironment.insert("TMUX_PANE", pane);
  hookEnvironment.insert("TMUX", tmuxSocket + ",1,0");
  auto hook = [&](const QByteArray& event) {
    auto* process = new QProcess(&app);
    process->setProcessEnvironment(hookEnvironment);
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->start(bin, {"hook", "claude"});
    process->write(event);
    process->closeWriteChannel();
  };

  std::vector<double> hookMs, markerMs;
  for (int trial = 0; trial < trials; ++trial) {
    // Hook path.
    QElapsedTimer clock;
    clock.start();
    hook(R"({"hook_event_name":"PermissionRequest","tool_name":"Bash","tool_input":{"command":"make"}})");
    if (!waitFor([&] { return promptIs([](const std::string& id) { return id.find(':') != std::string::npos; }); }, 10000)) {
      std::fprintf(stderr, "hook trial %d: no prompt\n", trial);
      return 1;
    }
    hookMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    hook(R"({"hook_event_name":"PostToolUse","tool_name":"Bash"})");
    waitFor([&] { return store.prompts().empty(); }, 10000);

    // Marker path: the same question printed by `vesket ask` output in the pane.
    const QString id = QStringLiteral("bench%1").arg(trial);
    const QString marker = run(bin, {"ask", "Run make?", "--option", "1: Yes", "--option", "2: No", "--id", id}).section('\n', 0, 0);
    clock.restart();
    tmux({"send-keys", "-t", pane, "-l", "printf '%s\\n' '" + marker + "'"});
    tmux({"send-keys", "-t", pane, "Enter"});
    if (!waitFor([&] { return promptIs([&](const std::string& found) { return found == id.toStdString(); }); }, 15000)) {
      std::fprintf(stderr, "marker trial %d: no prompt\n", trial);
      return 1;
    }
    markerMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    tmux({"send-keys", "-t", pane, "-l", "clear; printf '%s\\n' '<<<DURNVALE-RESOLVED id=" + id + ">>>'"});
    tmux({"send-keys", "-t", pane, "Enter"});
    waitFor([&] { return store.prompts().empty(); }, 15000);
  }
  model.stop();
  daemon.terminate();
  daemon.waitForFinished(5000);
  tmux({"kill-server"});

  std::printf("%d trials each\n", trials);
  std::printf("| path | p50 | p95 | max |\n|---|---|---|---|\n");
  std::printf("| hook fired → prompt in the awaiting store | %.1f ms | %.1f ms | %.1f ms |\n", percentile(hookMs, 0.5),
              percentile(hookMs, 0.95), percentile(hookMs, 1.0));
  std::printf("| baseline: marker printed → prompt (paced sweep) | %.1f ms | %.1f ms | %.1f ms |\n",
              percentile(markerMs, 0.5), percentile(markerMs, 0.95), percentile(markerMs, 1.0));
  std::printf("marker / hook (p50): %.1f\n", percentile(markerMs, 0.5) / std::max(0.001, percentile(hookMs, 0.5)));
  return 0;
}
