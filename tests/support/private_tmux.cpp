#include "tests/support/private_tmux.h"

#include <QDir>
#include <QProcess>
#include <atomic>
#include <csignal>
#include <unistd.h>

#include <gtest/gtest.h>

namespace vesket::testing {

namespace {
std::atomic<int> g_serial{0};
}

PrivateTmux::PrivateTmux(Start start)
    : m_name(QStringLiteral("vesket-test-%1-%2").arg(::getpid()).arg(g_serial.fetch_add(1))) {
  QDir().mkpath(home());
  m_environment.set("TMUX_TMPDIR", m_dir.path().toUtf8());
  m_environment.set("HOME", home().toUtf8());
  m_environment.unset("TMUX");
  m_environment.unset("TMUX_PANE");
  if (start == Start::shellSession) {
    // The account's own .bashrc can take seconds (or wait on locks) and has no business here.
    const QString shell = QStringLiteral("bash --norc --noprofile");
    run({QStringLiteral("new-session"), QStringLiteral("-d"), QStringLiteral("-s"), QStringLiteral("main"),
         QStringLiteral("-x"), QStringLiteral("160"), QStringLiteral("-y"), QStringLiteral("40"), shell,
         QStringLiteral(";"), QStringLiteral("set-option"), QStringLiteral("-g"), QStringLiteral("default-command"),
         shell});
  }
}

PrivateTmux::~PrivateTmux() { killTmuxServer({QStringLiteral("-L"), m_name}); }

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

}  // namespace vesket::testing
