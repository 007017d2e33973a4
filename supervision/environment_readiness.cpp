#include "supervision/environment_readiness.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrent>

#include <qcoro/qcorofuture.h>

#include "maintenance/core/agent_integration.h"
#include "maintenance/core/mutation_value.h"
#include "maintenance/tracked_mutation.h"
#include "shell/desktop_isolation.h"

namespace vesket::supervision {
namespace {

bool isExecutableFile(const std::string& path) {
  const QFileInfo info(QString::fromStdString(path));
  return info.isFile() && info.isExecutable();
}

std::vector<std::string> nvmVersionDirs(const QString& userHome) {
  std::vector<std::string> dirs;
  const QDir versions(userHome + QStringLiteral("/.nvm/versions/node"));
  for (const QString& name : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    dirs.push_back(versions.filePath(name).toStdString());
  }
  return dirs;
}

QString accountShell() {
  if (const QString shell = qEnvironmentVariable("SHELL"); !shell.isEmpty()) return shell;
  if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_shell && *entry->pw_shell) {
    return QString::fromLocal8Bit(entry->pw_shell);
  }
  return QStringLiteral("/bin/sh");
}

constexpr const char* kPathStart = "__VESKET_PATH_START__";
constexpr const char* kPathEnd = "__VESKET_PATH_END__";

}  // namespace

const ToolReadiness* ReadinessReport::tool(const std::string& name) const {
  for (const auto& entry : tools) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

namespace EnvironmentReadiness {

std::optional<QString> loginShellPath(int timeoutMs) {
  QProcess shell;
  shell.setProcessEnvironment(shell::DesktopIsolation::childProcessEnvironment());
  shell.setStandardInputFile(QProcess::nullDevice());
  // Markers around the value: a login shell may print a greeting of its own.
  shell.start(accountShell(), {QStringLiteral("-l"), QStringLiteral("-c"),
                               QStringLiteral("printf '%1%s%2' \"$PATH\"").arg(kPathStart, kPathEnd)});
  if (!shell.waitForStarted(2000)) return std::nullopt;
  if (!shell.waitForFinished(timeoutMs)) {
    shell.kill();
    shell.waitForFinished(1000);
    return std::nullopt;
  }
  const QString out = QString::fromLocal8Bit(shell.readAllStandardOutput());
  const qsizetype start = out.lastIndexOf(QLatin1String(kPathStart));
  const qsizetype end = out.lastIndexOf(QLatin1String(kPathEnd));
  if (start < 0 || end < start) return std::nullopt;
  const qsizetype from = start + qsizetype(qstrlen(kPathStart));
  return out.mid(from, end - from);
}

OsRelease currentOsRelease() {
  QFile file(QStringLiteral("/etc/os-release"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return OsRelease::parse(file.read(64 * 1024).toStdString());
}

bool packaged(const OsRelease& os, const std::string& package) {
  if (!(os.isLike("debian") || os.isLike("ubuntu"))) return false;
  // The system's own apt-cache, whatever the application's search path says.
  const QString aptCache =
      QStandardPaths::findExecutable(QStringLiteral("apt-cache"), {QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
  if (aptCache.isEmpty()) return false;
  QProcess apt;
  apt.start(aptCache, {QStringLiteral("show"), QString::fromStdString(package)});
  if (!apt.waitForFinished(10000)) {
    apt.kill();
    apt.waitForFinished(1000);
    return false;
  }
  return apt.exitStatus() == QProcess::NormalExit && apt.exitCode() == 0 && !apt.readAllStandardOutput().isEmpty();
}

ReadinessReport probe(const QString& userHome, const QString& productHome) {
  ReadinessReport report;
  const auto candidates = SafePathProbe::candidateDirectories(userHome.toStdString(), nvmVersionDirs(userHome));
  const QString login = loginShellPath().value_or(QString());
  report.searchPath =
      SafePathProbe::augmentedPATH(candidates, login.toStdString(), qEnvironmentVariable("PATH").toStdString());
  const auto resolve = [&](const std::string& name) {
    return SafePathProbe::executablePathWithoutProcess(name, report.searchPath, isExecutableFile);
  };
  const QString bundledTmux = productHome + QStringLiteral("/bin/tmux-bundled");
  const bool tmuxFallback = QFileInfo(bundledTmux).isExecutable();
  report.readiness = MacReadinessProbe::probe(tmuxFallback, [&](const std::string& name) { return resolve(name).has_value(); });

  const OsRelease os = currentOsRelease();
  const bool pkexec = SafePathProbe::executablePathWithoutProcess("pkexec", report.searchPath, isExecutableFile) ||
                      isExecutableFile("/usr/bin/pkexec");
  report.tmuxPlan = PackageInstallPlan::forPackages(os, {"tmux"}, pkexec);

  ToolReadiness tmux{"tmux", ToolReadiness::Kind::tmux, resolve("tmux"), report.tmuxPlan.copyableCommand,
                     report.tmuxPlan.oneClick};
  if (!tmux.path && tmuxFallback) tmux.path = bundledTmux.toStdString();
  report.tools.push_back(tmux);
  for (const auto& candidate : MacReadinessProbe::agentCliCandidates()) {
    ToolReadiness agent{candidate.name, ToolReadiness::Kind::agent, std::nullopt, candidate.installCommand, false};
    for (const auto& executable : candidate.executables) {
      if ((agent.path = resolve(executable))) break;
    }
    // Tools without a public installer are listed only when they are there.
    if (agent.path || !candidate.installCommand.empty()) report.tools.push_back(agent);
  }

  CrewDepsProbe::Environment environment{
      resolve,
      [&]() -> std::optional<std::string> { return (productHome + QStringLiteral("/bin/jq-bundled")).toStdString(); },
      [&] {
        return QFileInfo::exists(productHome + QStringLiteral("/crew/bin/") +
                                 QString::fromLatin1(CrewDepsProbe::crewJqHelperName));
      },
      isExecutableFile};
  report.crewDeps = CrewDepsProbe::probe(environment);
  for (const char* name : {"jq", "python3", "git"}) {
    const auto plan = PackageInstallPlan::forPackages(os, {name}, pkexec);
    report.tools.push_back({name, ToolReadiness::Kind::crewDependency, resolve(name), plan.copyableCommand, plan.oneClick});
  }
  if (report.crewDeps.jqAvailable && !report.tool("jq")->path) {
    report.tools[report.tools.size() - 3].path = (productHome + QStringLiteral("/bin/jq-bundled")).toStdString();
  }

  report.environment = EnvComponents::detect([&](const std::string& id) { return resolve(id).has_value(); },
                                             [&](const std::string& id) { return packaged(os, id); });
  const auto packages = EnvComponents::packagesToInstall(report.environment);
  if (!packages.empty()) report.environmentPlan = PackageInstallPlan::forPackages(os, packages, pkexec);
  return report;
}

}  // namespace EnvironmentReadiness

QCoro::Task<PackageInstallResult> runPackageInstall(std::vector<std::string> arguments) {
  auto work = QtConcurrent::run([arguments] {
    PackageInstallResult result;
    if (arguments.empty() || !shell::DesktopIsolation::permits(shell::DesktopIsolation::HostAction::packageInstall)) {
      return result;
    }
    QStringList rest;
    for (std::size_t i = 1; i < arguments.size(); ++i) rest << QString::fromStdString(arguments[i]);
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QString::fromStdString(arguments.front()), rest);
    if (!process.waitForStarted(5000)) return result;
    // Waiting for the password prompt and the download: up to ten minutes.
    if (!process.waitForFinished(600000)) {
      process.kill();
      process.waitForFinished(2000);
    } else if (process.exitStatus() == QProcess::NormalExit) {
      result.exitCode = process.exitCode();
    }
    result.output = QString::fromLocal8Bit(process.readAll());
    return result;
  });
  co_return co_await work;
}

TmuxSetupManager::TmuxSetupManager(QString userHome, QObject* parent)
    : QObject(parent), m_userHome(std::move(userHome)) {}

void TmuxSetupManager::setNeedsSetup(bool needs) {
  if (m_needsSetup == needs) return;
  m_needsSetup = needs;
  emit changed();
}

void TmuxSetupManager::publish(State state, QString message) {
  m_state = state;
  m_message = std::move(message);
  emit changed();
}

QCoro::Task<void> TmuxSetupManager::setup(ReadinessReport report) {
  QPointer self(this);
  const ToolReadiness* tmux = report.tool("tmux");
  const bool installed = tmux && tmux->path;
  if (!installed) {
    const auto& plan = report.tmuxPlan;
    if (!plan.oneClick) {
      publish(State::needsPackageManager,
              plan.copyableCommand.empty()
                  ? qtTrId("macos.tmux_setup.not_installed_no_command")
                  : qtTrId("macos.tmux_setup.not_installed_run").arg(QString::fromStdString(plan.copyableCommand)));
      co_return;
    }
    publish(State::installing, qtTrId("macos.tmux_setup.installing_tmux"));
    auto run = runPackageInstall(plan.arguments);
    const auto result = co_await run;
    if (!self) co_return;
    if (result.exitCode != 0) {
      publish(State::failed,
              qtTrId("macos.tmux_setup.install_failed").arg(QString::fromStdString(plan.copyableCommand)));
      co_return;
    }
  }

  const QString legacyConfig = m_userHome + QStringLiteral("/.tmux.conf");
  if (QFileInfo::exists(legacyConfig)) {
    publish(State::done, qtTrId("macos.tmux_setup.existing_tmux_conf_preserved"));
    setNeedsSetup(false);
    co_return;
  }
  const QString configDir = m_userHome + QStringLiteral("/.config/tmux");
  const QString config = configDir + QStringLiteral("/tmux.conf");
  const QString script = configDir + QStringLiteral("/scripts/agent-status.sh");
  publish(State::installing, qtTrId("macos.tmux_setup.applying_config"));
  const QString userHome = m_userHome;
  auto write = QtConcurrent::run([userHome, config, script]() -> std::optional<QString> {
    try {
      maintenance::TrackedMutation mutation;
      const auto manifest = mutation.readManifest();
      const auto writeOne = [&](const QString& target, const std::string& id, const std::string& text) {
        const auto existing = maintenance::readFileIfExists(target);
        const auto record = manifest.find(id, maintenance::TrackedMutation::recordedTarget(target), "$file");
        std::optional<maintenance::MutationValue> current;
        if (existing) current = maintenance::MutationValue::fileContent(existing->toStdString());
        const auto verdict =
            maintenance::decideSync(current, record, maintenance::MutationValue::fileContent(text));
        // A file of the user's own, or one they changed since Vesket wrote it, is never
        // replaced. (One they removed is written again: they asked for the set-up.)
        using V = maintenance::SyncVerdict;
        if (verdict == V::userChanged || verdict == V::foreign) return false;
        if (verdict == V::unchanged) return true;
        maintenance::MutationObservation observation;
        observation.id = id;
        observation.locator = "$file";
        observation.kind = "file";
        observation.before.exists = existing.has_value();
        if (existing) observation.before.value = maintenance::MutationValue::fileContent(existing->toStdString());
        observation.afterValue = maintenance::MutationValue::fileContent(text);
        observation.multiplicity = {existing ? 1 : 0, 1};
        observation.owned = !existing;
        mutation.writeText(target, text, {observation});
        return true;
      };
      if (!writeOne(config, "tmux-config", TmuxConfiguration::text())) {
        return QStringLiteral("preserved");
      }
      writeOne(script, "tmux-agent-status-script", TmuxConfiguration::agentStatusScript());
      QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                        QFileDevice::ReadGroup | QFileDevice::ReadOther);
      return std::nullopt;
    } catch (const std::exception& error) {
      return QString::fromUtf8(error.what());
    }
  });
  const auto error = co_await write;
  if (!self) co_return;
  if (error == QStringLiteral("preserved")) {
    publish(State::done, qtTrId("macos.tmux_setup.existing_config_preserved"));
    setNeedsSetup(false);
    co_return;
  }
  if (error) {
    publish(State::failed, qtTrId("macos.tmux_setup.config_write_failed").arg(*error));
    co_return;
  }

  const QString tpm = m_userHome + QStringLiteral("/.tmux/plugins/tpm");
  const auto git = SafePathProbe::executablePathWithoutProcess("git", report.searchPath, isExecutableFile);
  if (!QFileInfo::exists(tpm) && git) {
    publish(State::installing, qtTrId("macos.tmux_setup.installing_tpm"));
    const QString gitPath = QString::fromStdString(*git);
    auto clone = QtConcurrent::run([gitPath, tpm] {
      QProcess process;
      process.start(gitPath, {QStringLiteral("clone"), QStringLiteral("--depth=1"),
                              QStringLiteral("https://github.com/tmux-plugins/tpm"), tpm});
      // Without a network the plugin manager is simply left out; the configuration loads it
      // only when it is there.
      return process.waitForFinished(120000) && process.exitCode() == 0;
    });
    co_await clone;
    if (!self) co_return;
  }
  publish(State::done, qtTrId("macos.tmux_setup.done"));
  setNeedsSetup(false);
}

}  // namespace vesket::supervision
