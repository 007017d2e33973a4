#include "tests/daemon/tmux_server_fixture.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <atomic>
#include <unistd.h>

#include <gtest/gtest.h>

namespace vesket::testing {

namespace {
std::atomic<int> serverCounter{0};
}

PrivateTmuxServer::PrivateTmuxServer()
    : m_name(QStringLiteral("vesket-test-%1-%2").arg(::getpid()).arg(serverCounter++)) {
  QDir().mkpath(home());
  // Every tmux the test runs (the engine's included) inherits these.
  qputenv("TMUX_TMPDIR", m_dir.path().toUtf8());
  qputenv("HOME", home().toUtf8());
  qunsetenv("TMUX");
  qunsetenv("TMUX_PANE");
}

PrivateTmuxServer::~PrivateTmuxServer() {
  QProcess::execute(QStringLiteral("tmux"), {QStringLiteral("-L"), m_name, QStringLiteral("kill-server")});
}

QString PrivateTmuxServer::socketPath() const {
  return m_dir.path() + QStringLiteral("/tmux-") + QString::number(::getuid()) + QLatin1Char('/') + m_name;
}

QString PrivateTmuxServer::tmux(const QStringList& args) const {
  QProcess process;
  process.start(QStringLiteral("tmux"), QStringList{QStringLiteral("-L"), m_name, QStringLiteral("-f"), QStringLiteral("/dev/null")} + args);
  process.waitForFinished(10000);
  const QString err = QString::fromUtf8(process.readAllStandardError());
  EXPECT_EQ(process.exitCode(), 0) << "tmux " << args.join(QLatin1Char(' ')).toStdString() << ": " << err.toStdString();
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString PrivateTmuxServer::newSession(const QString& session, int cols, int rows) const {
  return tmux({QStringLiteral("new-session"), QStringLiteral("-d"), QStringLiteral("-s"), session, QStringLiteral("-x"),
               QString::number(cols), QStringLiteral("-y"), QString::number(rows), QStringLiteral("-P"),
               QStringLiteral("-F"), QStringLiteral("#{pane_id}")});
}

QString PrivateTmuxServer::display(const QString& target, const QString& format) const {
  return tmux({QStringLiteral("display-message"), QStringLiteral("-p"), QStringLiteral("-t"), target, format});
}

QStringList PrivateTmuxServer::paneIds() const {
  const QString out = tmux({QStringLiteral("list-panes"), QStringLiteral("-a"), QStringLiteral("-F"), QStringLiteral("#{pane_id}")});
  return out.isEmpty() ? QStringList{} : out.split(QLatin1Char('\n'));
}

}  // namespace vesket::testing
