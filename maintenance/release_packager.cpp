#include "maintenance/release_packager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include "maintenance/application_bundle.h"
#include "platform/release_verifier.h"

namespace vesket::maintenance::ReleasePackager {
namespace {

std::optional<QString> copyInto(const QString& source, const QString& target, bool executable) {
  QDir().mkpath(QFileInfo(target).absolutePath());
  if (!QFile::copy(source, target)) return QStringLiteral("cannot copy %1 into the bundle").arg(source);
  auto permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
  if (executable) permissions |= QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
  QFile::setPermissions(target, permissions);
  return std::nullopt;
}

// Debug information makes up most of a build's programs (130 of 136 MB of the
// application); a release leaves it out and keeps the symbol table, so crash frames still
// name their functions.
std::optional<QString> stripDebugInformation(const QString& program) {
  QFile file(program);
  if (!file.open(QIODevice::ReadOnly) || file.read(4) != QByteArray("\x7f" "ELF", 4)) return std::nullopt;
  file.close();
  QProcess strip;
  strip.start(QStringLiteral("strip"), {QStringLiteral("--strip-debug"), program});
  if (!strip.waitForFinished(120000) || strip.exitStatus() != QProcess::NormalExit || strip.exitCode() != 0) {
    return QStringLiteral("strip failed on %1: %2").arg(program, QString::fromUtf8(strip.readAllStandardError()).trimmed());
  }
  return std::nullopt;
}

bool safeBundlePath(const QString& path) {
  if (path.isEmpty() || path.startsWith('/')) return false;
  for (const QString& segment : path.split('/')) {
    if (segment.isEmpty() || segment == QLatin1String(".") || segment == QLatin1String("..")) return false;
  }
  return true;
}

}  // namespace

QString bundleName(const ReleaseInputs& inputs) {
  return QStringLiteral("vesket-%1-b%2-%3").arg(inputs.version).arg(inputs.build).arg(inputs.platform);
}

std::variant<ReleaseEntry, QString> publish(const ReleaseInputs& inputs) {
  if (inputs.version.isEmpty() || inputs.version.contains('/') || inputs.build <= 0) {
    return QStringLiteral("a release needs a version (no '/') and a positive build number");
  }
  for (const QString& program : {inputs.application, inputs.daemon}) {
    if (!QFileInfo(program).isFile()) return QStringLiteral("%1 is not a file").arg(program);
  }
  QTemporaryDir staging;
  if (!staging.isValid()) return QStringLiteral("cannot create a staging directory");
  const QString name = bundleName(inputs);
  const QString bundle = staging.filePath(name);
  if (auto failed = copyInto(inputs.application, ApplicationBundle::executable(bundle), true)) return *failed;
  if (auto failed = copyInto(inputs.daemon, ApplicationBundle::daemon(bundle), true)) return *failed;
  for (const QString& program : {ApplicationBundle::executable(bundle), ApplicationBundle::daemon(bundle)}) {
    if (auto failed = stripDebugInformation(program)) return *failed;
  }
  // The daemon carries the release key's signature, whatever key its build signed it with.
  if (auto failed = platform::ReleaseVerifier::signExecutable(ApplicationBundle::daemon(bundle), inputs.signingKey)) {
    return *failed;
  }
  for (const auto& [source, inside] : inputs.files) {
    if (!safeBundlePath(inside)) return QStringLiteral("%1 is not a path inside the bundle").arg(inside);
    if (auto failed = copyInto(source, bundle + '/' + inside, QFileInfo(source).isExecutable())) return *failed;
  }
  {
    QFile info(bundle + '/' + QLatin1String(ApplicationBundle::kInfoFileName));
    const nlohmann::json facts = {{"version", inputs.version.toStdString()}, {"build", inputs.build}};
    if (!info.open(QIODevice::WriteOnly) || info.write(QByteArray::fromStdString(facts.dump(2) + "\n")) < 0) {
      return QStringLiteral("cannot write the bundle's info");
    }
  }

  if (!QDir().mkpath(inputs.outputDir)) return QStringLiteral("cannot create %1").arg(inputs.outputDir);
  const QString artifactName = name + QStringLiteral(".tar.gz");
  const QString artifact = QDir(inputs.outputDir).filePath(artifactName);
  const QString partial = artifact + QStringLiteral(".partial");
  QProcess tar;
  tar.start(QStringLiteral("tar"), {"--sort=name", "--owner=0", "--group=0", "--numeric-owner", "-C", staging.path(),
                                    "-czf", partial, name});
  if (!tar.waitForFinished(300000) || tar.exitStatus() != QProcess::NormalExit || tar.exitCode() != 0) {
    QFile::remove(partial);
    return QStringLiteral("tar failed: %1").arg(QString::fromUtf8(tar.readAllStandardError()).trimmed());
  }
  QFile::remove(artifact);
  if (!QFile::rename(partial, artifact)) return QStringLiteral("cannot move the artifact to %1").arg(artifact);
  if (auto failed = platform::ReleaseVerifier::signExecutable(artifact, inputs.signingKey)) return *failed;

  const ReleaseEntry entry{inputs.version.toStdString(),
                           inputs.build,
                           inputs.channel.toStdString(),
                           {{"Vesket for Linux (" + inputs.platform.toStdString() + ")", artifactName.toStdString()},
                            {"Release signature", (artifactName + QStringLiteral(".sig")).toStdString()}}};
  const QString catalogPath = QDir(inputs.outputDir).filePath(QString::fromLatin1(ReleaseCatalog::kFileName.data()));
  QByteArray existing;
  if (QFile catalog(catalogPath); catalog.open(QIODevice::ReadOnly)) existing = catalog.readAll();
  QSaveFile catalog(catalogPath);
  const QByteArray text = QByteArray::fromStdString(ReleaseCatalog::withEntry(existing.toStdString(), entry));
  if (!catalog.open(QIODevice::WriteOnly) || catalog.write(text) != text.size() || !catalog.commit()) {
    return QStringLiteral("the artifact is in place but %1 could not be written").arg(catalogPath);
  }
  return entry;
}

}  // namespace vesket::maintenance::ReleasePackager
