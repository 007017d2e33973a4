#include "tests/support/private_tmux.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <atomic>
#include <csignal>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/event_loop.h"

namespace vesket::testing {

namespace {
std::atomic<int> g_serial{0};
}

PrivateTmux::PrivateTmux(Start start, const QProcessEnvironment& extraEnvironment)
    : m_name(QStringLiteral("vesket-test-%1-%2").arg(::getpid()).arg(g_serial.fetch_add(1))),
      m_environment(QProcessEnvironment::systemEnvironment()) {
  for (const char* name : {"TMUX", "TMUX_PANE", "CONTROL_TOKEN", "DURNVALE_HOME", "VESKET_TMUX_SOCKET", "VESKET_DAEMON_BIN",
                           "VESKET_DESKTOP_ISOLATED"}) {
    m_environment.remove(QString::fromLatin1(name));
  }
  const std::pair<const char*, QString> directories[] = {
      {"HOME", home()},
      {"VESKET_HOME", productHome()},
      {"XDG_CONFIG_HOME", path(QStringLiteral("xdg/config"))},
      {"XDG_STATE_HOME", path(QStringLiteral("xdg/state"))},
      {"XDG_DATA_HOME", path(QStringLiteral("xdg/data"))},
      {"XDG_CACHE_HOME", path(QStringLiteral("xdg/cache"))},
      {"XDG_RUNTIME_DIR", path(QStringLiteral("xdg/runtime"))},
      {"TMUX_TMPDIR", m_dir.path()},
  };
  for (const auto& [variable, directory] : directories) {
    QDir().mkpath(directory);
    QFile::setPermissions(directory, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_environment.insert(QString::fromLatin1(variable), directory);
  }
  // Never reach the user's own systemd or session bus from a test.
  m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:"));
  m_environment.insert(extraEnvironment);
  if (start == Start::shellSession) {
    // The account's own .bashrc can take seconds (or wait on locks) and has no business here.
    const QString shell = QStringLiteral("bash --norc --noprofile");
    run({QStringLiteral("new-session"), QStringLiteral("-d"), QStringLiteral("-s"), QStringLiteral("main"),
         QStringLiteral("-x"), QStringLiteral("160"), QStringLiteral("-y"), QStringLiteral("40"), shell,
         QStringLiteral(";"), QStringLiteral("set-option"), QStringLiteral("-g"), QStringLiteral("default-command"),
         shell});
  }
}

PrivateTmux::~PrivateTmux() { killTmuxServer({QStringLiteral("-S"), socketPath()}, m_environment); }

void killTmuxServer(const QStringList& serverArgs, const QProcessEnvironment& environment) {
  const auto tmux = [&](const QStringList& args) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("tmux"), serverArgs + QStringList{QStringLiteral("-f"), QStringLiteral("/dev/null")} + args);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
  };
  const pid_t server = tmux({QStringLiteral("display-message"), QStringLiteral("-p"), QStringLiteral("#{pid}")}).toInt();
  tmux({QStringLiteral("kill-server")});
  for (int i = 0; server > 0 && i < 100 && ::kill(server, 0) == 0; ++i) ::usleep(10000);
  if (server > 0 && ::kill(server, 0) == 0) ::kill(server, SIGKILL);
}

QString PrivateTmux::socketPath() const {
  return m_dir.path() + QStringLiteral("/tmux-") + QString::number(::getuid()) + QLatin1Char('/') + m_name;
}

QString PrivateTmux::run(const QStringList& args, bool mustSucceed) const {
  QProcess process;
  process.setProcessEnvironment(m_environment);
  process.start(QStringLiteral("tmux"),
                QStringList{QStringLiteral("-L"), m_name, QStringLiteral("-f"), QStringLiteral("/dev/null")} + args);
  process.waitForFinished(10000);
  if (mustSucceed) {
    EXPECT_EQ(process.exitCode(), 0) << "tmux " << args.join(QLatin1Char(' ')).toStdString() << ": "
                                     << process.readAllStandardError().toStdString();
  }
  QString out = QString::fromUtf8(process.readAllStandardOutput());
  if (out.endsWith(QLatin1Char('\n'))) out.chop(1);
  return out;
}

QString PrivateTmux::newSession(const QString& session, int cols, int rows) const {
  return run({QStringLiteral("new-session"), QStringLiteral("-d"), QStringLiteral("-s"), session, QStringLiteral("-x"),
              QString::number(cols), QStringLiteral("-y"), QString::number(rows), QStringLiteral("-P"),
              QStringLiteral("-F"), QStringLiteral("#{pane_id}")});
}

QString PrivateTmux::display(const QString& target, const QString& format) const {
  return run({QStringLiteral("display-message"), QStringLiteral("-p"), QStringLiteral("-t"), target, format});
}

QString PrivateTmux::capturePane(const QString& paneId) const {
  return run({QStringLiteral("capture-pane"), QStringLiteral("-p"), QStringLiteral("-J"), QStringLiteral("-t"), paneId});
}

QStringList PrivateTmux::paneIds() const {
  return run({QStringLiteral("list-panes"), QStringLiteral("-a"), QStringLiteral("-F"), QStringLiteral("#{pane_id}")})
      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool PrivateTmux::waitForCommand(const QString& paneId, const QString& command, int timeoutMs) const {
  QString running;
  const bool runs = waitUntil(
      [&] {
        running = display(paneId, QStringLiteral("#{pane_current_command}"));
        return running == command;
      },
      timeoutMs);
  if (!runs) {
    ADD_FAILURE() << "pane " << paneId.toStdString() << " runs '" << running.toStdString() << "', not '"
                  << command.toStdString() << "', and shows:\n"
                  << capturePane(paneId).toStdString();
  }
  return runs;
}

}  // namespace vesket::testing
