#include "supervision/env_provisioner_manager.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include "shell/desktop_isolation.h"
#include "shell/localisation.h"
#include "shell/settings_key.h"
#include "shell/settings_store.h"
#include "supervision/core/environment_readiness.h"
#include "supervision/environment_readiness.h"

#ifndef VESKET_ENV_INSTALLER_SHA256
#error "the build pins the environment installer's digest"
#endif

namespace vesket::supervision {
namespace {

QString settingsKey() {
  return QString::fromLatin1(shell::SettingsKeys::envProvisionerDetectedComponentsCache.data(),
                             qsizetype(shell::SettingsKeys::envProvisionerDetectedComponentsCache.size()));
}

}  // namespace

EnvProvisionerManager::EnvProvisionerManager(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {
  if (m_options.scriptPath.isEmpty()) m_options.scriptPath = defaultScriptPath();
  if (m_options.pinnedSha256.isEmpty()) m_options.pinnedSha256 = QStringLiteral(VESKET_ENV_INSTALLER_SHA256);
  if (m_options.userHome.isEmpty()) m_options.userHome = QDir::homePath();
}

EnvProvisionerManager::~EnvProvisionerManager() {
  if (m_process) {
    m_process->disconnect(this);
    m_process->kill();
    m_process->waitForFinished(2000);
  }
  removeStagedCopy();
}

QString EnvProvisionerManager::defaultScriptPath() {
  return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QString::fromLatin1(EnvInstaller::scriptFileName.data());
}

shell::SettingsStore& EnvProvisionerManager::settings() const {
  return m_options.settings ? *m_options.settings : shell::DesktopIsolation::defaults();
}

void EnvProvisionerManager::setInstallFish(bool install) {
  if (m_installFish == install) return;
  m_installFish = install;
  emit changed();
}

void EnvProvisionerManager::setInstallGhostty(bool install) {
  if (m_installGhostty == install) return;
  m_installGhostty = install;
  emit changed();
}

void EnvProvisionerManager::setDetectedComponents(std::vector<EnvComponents::Component> components) {
  m_components = std::move(components);
  const DetectionCache cache{QDateTime::currentMSecsSinceEpoch(), m_components};
  settings().setValue(settingsKey(), QString::fromStdString(cache.encode()));
  emit changed();
}

void EnvProvisionerManager::loadCachedDetection() {
  const auto text = settings().stringValue(settingsKey());
  if (!text) return;
  if (const auto cache = DetectionCache::decode(text->toStdString())) {
    m_components = cache->components;
    emit changed();
  }
}

void EnvProvisionerManager::setPhase(Phase phase, QString message) {
  m_phase = phase;
  m_message = std::move(message);
  emit changed();
}

void EnvProvisionerManager::startVerification() {
  if (m_phase == Phase::running || m_phase == Phase::verifying) return;
  if (!shell::DesktopIsolation::permits(shell::DesktopIsolation::HostAction::packageInstall)) {
    setPhase(Phase::failed, qtTrId("macos.environment_installer.disabled_isolated_instance"));
    return;
  }
  removeStagedCopy();
  m_log.clear();
  setPhase(Phase::verifying);
  QFile script(m_options.scriptPath);
  if (!script.open(QIODevice::ReadOnly)) {
    setPhase(Phase::verificationFailed, qtTrId("macos.environment_installer.script_missing").arg(m_options.scriptPath));
    return;
  }
  // The bytes checked are the bytes run: read once, digest them, write them to a private copy.
  const QByteArray bytes = script.read(4 * 1024 * 1024);
  const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
  if (!EnvInstaller::digestMatches(digest.toStdString(), m_options.pinnedSha256.toStdString())) {
    setPhase(Phase::verificationFailed, qtTrId("macos.environment_installer.digest_mismatch"));
    return;
  }
  QTemporaryFile staged(QDir::tempPath() + QLatin1Char('/') +
                        QString::fromLatin1(EnvInstaller::verifiedCopyPrefix.data()) + QStringLiteral("XXXXXX"));
  staged.setAutoRemove(false);
  if (!staged.open() || staged.write(bytes) != bytes.size() || !staged.flush()) {
    staged.remove();
    setPhase(Phase::verificationFailed, qtTrId("macos.environment_installer.could_not_stage").arg(staged.errorString()));
    return;
  }
  staged.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  m_stagedCopy = staged.fileName();
  setPhase(Phase::confirming);
}

void EnvProvisionerManager::runInstall() {
  if (m_phase != Phase::confirming) return;
  if (m_stagedCopy.isEmpty() || !QFileInfo::exists(m_stagedCopy)) {
    m_stagedCopy.clear();
    setPhase(Phase::failed, qtTrId("macos.environment_installer.verified_script_vanished"));
    return;
  }
  m_steps = EnvInstaller::steps(m_installFish);
  m_log.clear();
  m_pending.clear();
  const std::string home = m_options.userHome.toStdString();
  std::vector<std::string> nvm;
  const QDir versions(m_options.userHome + QStringLiteral("/.nvm/versions/node"));
  for (const QString& name : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    nvm.push_back(versions.filePath(name).toStdString());
  }
  const QString login = EnvironmentReadiness::loginShellPath().value_or(QString());
  const std::string path = SafePathProbe::augmentedPATH(SafePathProbe::candidateDirectories(home, nvm),
                                                        login.toStdString(), qEnvironmentVariable("PATH").toStdString());
  auto environment = shell::DesktopIsolation::childProcessEnvironment();
  environment.insert(QStringLiteral("PATH"), QString::fromStdString(path));
  m_process = new QProcess(this);
  m_process->setProcessEnvironment(environment);
  m_process->setProcessChannelMode(QProcess::MergedChannels);
  m_process->setStandardInputFile(QProcess::nullDevice());
  QStringList arguments{m_stagedCopy};
  for (const auto& argument : EnvInstaller::arguments(m_installFish, m_installGhostty)) {
    arguments << QString::fromStdString(argument);
  }
  connect(m_process, &QProcess::readyRead, this, &EnvProvisionerManager::readOutput);
  connect(m_process, &QProcess::finished, this, &EnvProvisionerManager::finished);
  connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart || !m_process) return;
    const QString why = m_process->errorString();
    m_process->deleteLater();
    m_process = nullptr;
    removeStagedCopy();
    setPhase(Phase::failed, qtTrId("macos.environment_installer.could_not_launch").arg(why));
  });
  setPhase(Phase::running);
  m_process->start(QStringLiteral("/bin/bash"), arguments);
}

void EnvProvisionerManager::readOutput() {
  if (!m_process) return;
  m_pending += m_process->readAll();
  bool stepsChanged = false;
  for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
    const QString line = QString::fromUtf8(m_pending.left(end)).trimmed();
    m_pending.remove(0, end + 1);
    if (line.isEmpty()) continue;
    m_log << line;
    stepsChanged = EnvInstaller::applyLine(line.toStdString(), m_steps) || stepsChanged;
    emit logAppended(line);
  }
  if (stepsChanged) emit changed();
}

void EnvProvisionerManager::finished(int exitCode, QProcess::ExitStatus status) {
  if (!m_process) return;
  readOutput();
  if (!m_pending.isEmpty()) {
    m_pending += '\n';
    readOutput();
  }
  m_process->deleteLater();
  m_process = nullptr;
  removeStagedCopy();
  if (status == QProcess::NormalExit && exitCode == 0) {
    setPhase(Phase::done);
  } else {
    setPhase(Phase::failed, shell::Localisation::text(
                                EnvInstaller::exitFailure(status == QProcess::NormalExit ? exitCode : -1)));
  }
}

void EnvProvisionerManager::removeStagedCopy() {
  if (!m_stagedCopy.isEmpty()) QFile::remove(m_stagedCopy);
  m_stagedCopy.clear();
}

void EnvProvisionerManager::reset() {
  if (m_process) {
    m_process->disconnect(this);
    m_process->kill();
    m_process->waitForFinished(2000);
    m_process->deleteLater();
    m_process = nullptr;
  }
  removeStagedCopy();
  m_steps.clear();
  m_log.clear();
  setPhase(Phase::idle);
}

}  // namespace vesket::supervision
