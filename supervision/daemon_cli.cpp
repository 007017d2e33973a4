#include "supervision/daemon_cli.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

#include <qcoro/qcoroprocess.h>

#include "shell/desktop_isolation.h"

namespace vesket::supervision {

QString DaemonCli::locateExecutable(const QString& productHome) {
  if (const QString fromEnv = qEnvironmentVariable("VESKET_DAEMON_BIN"); !fromEnv.isEmpty()) return fromEnv;
  const QString beside = QCoreApplication::applicationDirPath() + "/vesket";
  if (QFileInfo(beside).isExecutable()) return beside;
  return productHome + "/bin/vesket";
}

QCoro::Task<DaemonCli::Result> DaemonCli::run(QStringList arguments, int timeoutMs) const {
  Result result;
  if (!shell::DesktopIsolation::permitsDaemonCommand(arguments)) co_return result;
  QProcess process;
  auto environment = shell::DesktopIsolation::childProcessEnvironment();
  environment.insert(m_overrides);
  process.setProcessEnvironment(environment);
  process.setProgram(m_executable);
  process.setArguments(arguments);
  auto coProcess = qCoro(process);
  if (!co_await coProcess.start(QIODevice::ReadOnly, std::chrono::milliseconds(3000))) co_return result;
  result.started = true;
  if (!co_await coProcess.waitForFinished(std::chrono::milliseconds(timeoutMs))) {
    process.kill();
    process.waitForFinished(1000);
    result.exitCode = -1;
  } else {
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  }
  result.standardOutput = QString::fromUtf8(process.readAllStandardOutput());
  result.standardError = QString::fromUtf8(process.readAllStandardError());
  co_return result;
}

}  // namespace vesket::supervision
