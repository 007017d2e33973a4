#include "maintenance/update_installer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include "maintenance/application_bundle.h"
#include "maintenance/core/update_checker_core.h"
#include "maintenance/update_markers.h"

namespace vesket::maintenance {

UpdateInstaller::UpdateInstaller(Options options, QObject* parent) : QObject(parent), m_options(std::move(options)) {}

UpdateInstaller::~UpdateInstaller() {
  if (m_process) {
    m_process->disconnect(this);
    // The updater goes on by itself: an update half done is worse than one nobody watches.
    m_process->setParent(nullptr);
    m_process->waitForFinished(0);
  }
}

QString UpdateInstaller::updaterPath() const { return m_options.home + QStringLiteral("/bin/vesket"); }

bool UpdateInstaller::isPermsError() const {
  return m_state.kind == State::Kind::failed && UpdaterExit::isPermsError(m_state.output.toStdString());
}

void UpdateInstaller::setState(State state) {
  if (state == m_state) return;
  m_state = std::move(state);
  if (m_state.kind != State::Kind::installing) stopWatchdogs();
  emit stateChanged();
}

void UpdateInstaller::install(bool skipConfirm) {
  if (m_state.kind == State::Kind::installing) return;
  if (!m_options.updatesPermitted) {
    setState({State::Kind::failed, {}, QStringLiteral("Updates are disabled: this is an isolated instance."), {}});
    return;
  }
  if (!skipConfirm && (!m_options.confirm || !m_options.confirm())) return;
  const QString updater = updaterPath();
  if (!QFileInfo(updater).isExecutable()) {
    setState({State::Kind::failed, {},
              QStringLiteral("vesket binary not executable at ") + updater + QStringLiteral("\nReinstall the app to recover."),
              {}});
    return;
  }
  m_collectedOutput.clear();
  m_collectedError.clear();
  m_partialOut.clear();
  m_partialErr.clear();
  m_progressFraction.reset();
  emit progressFractionChanged();
  setState({State::Kind::installing, QStringLiteral("starting…"), {}, {}});
  startInstallingWatchdogs();

  m_process = new QProcess(this);
  m_process->setProcessEnvironment(m_options.environment);
  connect(m_process, &QProcess::readyReadStandardOutput, this, [this] { readLines(false); });
  connect(m_process, &QProcess::readyReadStandardError, this, [this] { readLines(true); });
  connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    const QString reason = m_process->errorString();
    m_process->deleteLater();
    m_process = nullptr;
    setState({State::Kind::failed, {}, QStringLiteral("Failed to launch updater: ") + reason, reason});
  });
  connect(m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
    finished(exitCode, status != QProcess::NormalExit);
  });
  m_process->start(updater, {QStringLiteral("update")});
}

void UpdateInstaller::readLines(bool standardError) {
  if (!m_process) return;
  QByteArray& partial = standardError ? m_partialErr : m_partialOut;
  partial += standardError ? m_process->readAllStandardError() : m_process->readAllStandardOutput();
  for (qsizetype end = partial.indexOf('\n'); end >= 0; end = partial.indexOf('\n')) {
    const QString line = QString::fromUtf8(partial.left(end)).trimmed();
    partial.remove(0, end + 1);
    if (line.isEmpty()) continue;
    (standardError ? m_collectedError : m_collectedOutput).append(line);
    if (m_state.kind != State::Kind::installing) continue;
    if (!standardError) setState({State::Kind::installing, line, {}, {}});
    if (const auto fraction = InstallProgress::parsePercent(line.toStdString())) {
      m_progressFraction = *fraction;
      emit progressFractionChanged();
    }
  }
}

void UpdateInstaller::finished(int exitCode, bool crashed) {
  readLines(false);
  readLines(true);
  for (QByteArray* partial : {&m_partialOut, &m_partialErr}) {
    if (!partial->trimmed().isEmpty()) {
      (partial == &m_partialOut ? m_collectedOutput : m_collectedError).append(QString::fromUtf8(partial->trimmed()));
    }
    partial->clear();
  }
  m_process->deleteLater();
  m_process = nullptr;
  const int status = crashed ? -1 : exitCode;
  const QString everything = (m_collectedOutput + m_collectedError).join('\n');
  switch (UpdaterExit::classify(status, everything.toStdString())) {
    case UpdaterExit::Outcome::upToDate:
      setState({State::Kind::upToDate, {}, {}, {}});
      break;
    case UpdaterExit::Outcome::pendingRestart:
      m_progressFraction = 1.0;
      emit progressFractionChanged();
      setState({State::Kind::pendingRestart, {}, {}, {}});
      break;
    case UpdaterExit::Outcome::failed: {
      std::vector<std::string> out;
      std::vector<std::string> err;
      for (const QString& line : m_collectedOutput) out.push_back(line.toStdString());
      for (const QString& line : m_collectedError) err.push_back(line.toStdString());
      const QString output = QString::fromStdString(UpdaterExit::failureOutput(status, out, err));
      const QString message = m_collectedError.isEmpty() ? output.section('\n', -1) : m_collectedError.last();
      setState({State::Kind::failed, {}, message, output});
      break;
    }
  }
}

void UpdateInstaller::startInstallingWatchdogs() {
  stopWatchdogs();
  m_installingFor.start();
  m_installStartedAt = QDateTime::currentDateTime();
  m_markerPollTask = new QTimer(this);
  m_markerPollTask->setInterval(m_options.watchdogIntervalMs);
  connect(m_markerPollTask, &QTimer::timeout, this, [this] {
    if (m_state.kind != State::Kind::installing) return;
    // The marker this install's updater writes, not one an earlier install left behind.
    const QFileInfo marker(UpdateMarkers(m_options.home).pendingRestartPath());
    const bool written = marker.exists() && marker.lastModified() >= m_installStartedAt;
    if (InstallWatchdog::shouldResolveToPendingRestart(written, m_installingFor.elapsed() / 1000.0,
                                                       m_options.watchdogTimeoutSeconds)) {
      setState({State::Kind::pendingRestart, {}, {}, {}});
    }
  });
  m_markerPollTask->start();
}

void UpdateInstaller::stopWatchdogs() {
  if (!m_markerPollTask) return;
  m_markerPollTask->stop();
  m_markerPollTask->deleteLater();
  m_markerPollTask = nullptr;
}

void UpdateInstaller::reset() {
  stopWatchdogs();
  setState({});
}

std::optional<QString> UpdateInstaller::restartToFinish() {
  const QString application = ApplicationBundle::executable(ApplicationBundle::currentBundle(m_options.home));
  if (!QFileInfo(application).isExecutable()) {
    return QStringLiteral("Updated Vesket app was not found at %1.").arg(application);
  }
  const qint64 pid = m_options.pid > 0 ? m_options.pid : QCoreApplication::applicationPid();
  QString quoted = application;
  quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
  const QString script = QStringLiteral("while kill -0 %1 2>/dev/null; do sleep 0.1; done; exec '%2'").arg(pid).arg(quoted);
  QProcess relaunch;
  relaunch.setProgram(QStringLiteral("/bin/sh"));
  relaunch.setArguments({QStringLiteral("-c"), script});
  relaunch.setProcessEnvironment(m_options.environment);
  relaunch.setStandardOutputFile(QProcess::nullDevice());
  relaunch.setStandardErrorFile(QProcess::nullDevice());
  if (!relaunch.startDetached()) {
    return QStringLiteral("Could not restart Vesket: ") + relaunch.errorString();
  }
  if (m_options.quit) m_options.quit();
  else QCoreApplication::quit();
  return std::nullopt;
}

}  // namespace vesket::maintenance
