#include "daemon/updater.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <unistd.h>

#include <cstdio>

#include "daemon/build_info.h"
#include "daemon/exit_codes.h"
#include "maintenance/application_bundle.h"
#include "maintenance/core/update_checker_core.h"
#include "maintenance/update_markers.h"
#include "platform/release_verifier.h"
#include "supervision/daemon_provisioner.h"

namespace vesket::daemon::Updater {
namespace {

namespace Bundle = maintenance::ApplicationBundle;

void say(const QString& line) {
  std::printf("vesket: %s\n", qPrintable(line));
  std::fflush(stdout);
}

int refuse(const QString& line) {
  std::fprintf(stderr, "vesket: %s\n", qPrintable(line));
  return kExitFailure;
}

struct Fetched {
  int status = 0;      // HTTP status; 0 when no answer came
  QString error;       // the transfer's failure, when it failed
  QByteArray body;     // when kept in memory
};

// GETs `url` into memory or streams it into `file`; with `progressLabel`, prints a
// "downloading LABEL: N%" line whenever the whole percentage changes.
Fetched fetch(QNetworkAccessManager& network, const QUrl& url, QFile* file, const QString& progressLabel) {
  QNetworkRequest request(url);
  request.setTransferTimeout(60000);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  QNetworkReply* reply = network.get(request);
  Fetched fetched;
  bool writeFailed = false;
  int shownPercent = -1;
  QEventLoop loop;
  QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
    const QByteArray chunk = reply->readAll();
    if (!file) {
      fetched.body += chunk;
    } else if (!writeFailed && file->write(chunk) != chunk.size()) {
      writeFailed = true;
      reply->abort();
    }
  });
  if (!progressLabel.isEmpty()) {
    const auto show = [&](qint64 received, qint64 total) {
      if (total <= 0) return;
      const int percent = static_cast<int>(received * 100 / total);
      if (percent == shownPercent) return;
      shownPercent = percent;
      say(QStringLiteral("downloading %1: %2% (%3 of %4 KiB)")
              .arg(progressLabel)
              .arg(percent)
              .arg(received / 1024)
              .arg(total / 1024));
    };
    // The start is shown as soon as the size is known, however fast the rest arrives.
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&, show] {
      const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
      if (shownPercent < 0 && length.isValid()) show(0, length.toLongLong());
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, &loop, show);
  }
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  loop.exec();
  const QByteArray rest = reply->readAll();
  if (!file) fetched.body += rest;
  else if (!writeFailed && file->write(rest) != rest.size()) writeFailed = true;
  fetched.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (writeFailed) fetched.error = file ? QStringLiteral("No write access to %1: %2").arg(file->fileName(), file->errorString())
                                        : QString();
  else if (reply->error() != QNetworkReply::NoError) fetched.error = reply->errorString();
  reply->deleteLater();
  return fetched;
}

// The file a catalog names must stay in the catalog's own directory tree.
bool plainRelativeName(const QString& name) {
  if (name.isEmpty() || name.startsWith('/') || name.contains(QStringLiteral("://")) || name.contains('\\')) return false;
  for (const QString& segment : name.split('/')) {
    if (segment.isEmpty() || segment == QLatin1String(".") || segment == QLatin1String("..")) return false;
  }
  return true;
}

QString uniqueSuffix() {
  return QStringLiteral("%1-%2").arg(QDateTime::currentMSecsSinceEpoch()).arg(::getpid());
}

// Points <home>/app/current at `bundle` with one rename of a fresh symbolic link.
bool switchCurrent(const QString& home, const QString& bundle) {
  const QString link = Bundle::currentBundle(home);
  const QString fresh = link + QStringLiteral(".new-") + uniqueSuffix();
  const QString target = QDir(Bundle::appRoot(home)).relativeFilePath(bundle);
  if (::symlink(QFile::encodeName(target).constData(), QFile::encodeName(fresh).constData()) != 0) return false;
  if (::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(link).constData()) != 0) {
    QFile::remove(fresh);
    return false;
  }
  return true;
}

// Keeps the current bundle and the one before it; older ones go.
void pruneReleases(const QString& home, const QString& current, const QString& previous) {
  QDir releases(Bundle::releasesDir(home));
  for (const QFileInfo& entry : releases.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
    const QString path = entry.canonicalFilePath();
    if (path == QFileInfo(current).canonicalFilePath() || (!previous.isEmpty() && path == previous)) continue;
    QDir(entry.absoluteFilePath()).removeRecursively();
  }
}

}  // namespace

int run(const DaemonPaths& paths) {
  const QString override = qEnvironmentVariable("VESKET_UPDATE_URL_OVERRIDE");
  const QUrl catalogUrl(override.isEmpty()
                            ? QString::fromStdString(maintenance::UpdateParser::releasesURLString({}))
                            : override,
                        QUrl::StrictMode);
  if (!catalogUrl.isValid() || catalogUrl.isRelative() ||
      (catalogUrl.scheme() != QLatin1String("https") && catalogUrl.scheme() != QLatin1String("http"))) {
    return refuse(QStringLiteral("Invalid update URL."));
  }
  const QString home = paths.home;
  const auto installed = Bundle::readInfo(Bundle::currentBundle(home));
  const qint64 ownBuild = installed ? installed->build : QByteArray(BuildInfo::commits()).toLongLong();

  QNetworkAccessManager network;
  say(QStringLiteral("checking %1").arg(catalogUrl.toString()));
  const Fetched catalog = fetch(network, catalogUrl, nullptr, {});
  if (!catalog.error.isEmpty() || catalog.status != 200) {
    return refuse(QStringLiteral("cannot read the release catalog %1: %2")
                      .arg(catalogUrl.toString(),
                           catalog.error.isEmpty() ? QStringLiteral("HTTP %1").arg(catalog.status) : catalog.error));
  }
  const auto entries = maintenance::ReleaseCatalog::decode(catalog.body.toStdString(), [](const std::string& line) {
    std::fprintf(stderr, "vesket: %s\n", line.c_str());
  });
  if (!entries) return refuse(QStringLiteral("Could not read the release catalog."));
  const auto best = maintenance::UpdateParser::bestStableEntry(*entries);
  if (!best) return refuse(QStringLiteral("No stable release found in the catalog."));
  if (ownBuild >= best->build) {
    say(QStringLiteral("Already on build %1 (the newest stable build is %2); up to date").arg(ownBuild).arg(best->build));
    return kExitOk;
  }
  const QString fileName = QString::fromStdString(maintenance::UpdateParser::chosenArtifact(*best));
  if (!plainRelativeName(fileName)) {
    return refuse(QStringLiteral("refusing the update: the catalog names the artifact '%1', not a file beside it")
                      .arg(fileName));
  }
  const QUrl artifactUrl = catalogUrl.resolved(QUrl(fileName));
  const QString version = QString::fromStdString(best->version);

  // Everything is prepared beside the installed bundles (one file system, so the final
  // moves are renames) and removed again unless it becomes the new bundle.
  QDir().mkpath(Bundle::releasesDir(home));
  QTemporaryDir work(Bundle::appRoot(home) + QStringLiteral("/.update-XXXXXX"));
  if (!work.isValid()) return refuse(QStringLiteral("No write access to %1").arg(Bundle::appRoot(home)));
  const QString artifact = work.filePath(QFileInfo(fileName).fileName());
  {
    QFile file(artifact);
    if (!file.open(QIODevice::WriteOnly)) return refuse(QStringLiteral("No write access to %1").arg(artifact));
    const Fetched download = fetch(network, artifactUrl, &file, QFileInfo(fileName).fileName());
    if (!download.error.isEmpty() || download.status != 200) {
      return refuse(QStringLiteral("cannot download %1: %2; nothing was changed")
                        .arg(artifactUrl.toString(),
                             download.error.isEmpty() ? QStringLiteral("HTTP %1").arg(download.status) : download.error));
    }
  }
  const QUrl signatureUrl = catalogUrl.resolved(QUrl(fileName + QStringLiteral(".sig")));
  const Fetched signature = fetch(network, signatureUrl, nullptr, {});
  if (signature.status == 404) {
    return refuse(QStringLiteral("refusing the update: %1 has no release signature (%2 is missing); nothing was changed")
                      .arg(fileName, signatureUrl.toString()));
  }
  if (!signature.error.isEmpty() || signature.status != 200) {
    return refuse(QStringLiteral("cannot download the release signature %1: %2; nothing was changed")
                      .arg(signatureUrl.toString(),
                           signature.error.isEmpty() ? QStringLiteral("HTTP %1").arg(signature.status) : signature.error));
  }
  {
    QFile sidecar(platform::ReleaseVerifier::sidecarPath(artifact));
    if (!sidecar.open(QIODevice::WriteOnly) || sidecar.write(signature.body) != signature.body.size()) {
      return refuse(QStringLiteral("No write access to %1").arg(sidecar.fileName()));
    }
  }
  say(QStringLiteral("verifying the release signature of %1").arg(fileName));
  const auto verdict = platform::ReleaseVerifier::verify(artifact);
  if (verdict != platform::ReleaseSigning::Verdict::trusted) {
    return refuse(QStringLiteral("refusing the update: the release signature of %1 does not verify (%2); nothing was "
                                 "changed")
                      .arg(fileName, QString::fromLatin1(platform::ReleaseSigning::verdictName(verdict).data())));
  }

  say(QStringLiteral("unpacking %1").arg(fileName));
  const QString unpacked = work.filePath(QStringLiteral("unpacked"));
  QDir().mkpath(unpacked);
  QProcess tar;
  tar.start(QStringLiteral("tar"), {"--no-same-owner", "--no-same-permissions", "-xzf", artifact, "-C", unpacked});
  if (!tar.waitForFinished(300000) || tar.exitStatus() != QProcess::NormalExit || tar.exitCode() != 0) {
    return refuse(QStringLiteral("cannot unpack %1: %2; nothing was changed")
                      .arg(fileName, QString::fromUtf8(tar.readAllStandardError()).trimmed()));
  }
  const QStringList tops = QDir(unpacked).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  const QString bundle = tops.size() == 1 ? unpacked + '/' + tops.front() : QString();
  const auto info = bundle.isEmpty() ? std::nullopt : Bundle::readInfo(bundle);
  if (!info || info->build != best->build || !QFileInfo(Bundle::executable(bundle)).isExecutable() ||
      !platform::ReleaseVerifier::hasTrustedReleaseSignature(Bundle::daemon(bundle))) {
    return refuse(QStringLiteral("refusing the update: %1 is not a complete bundle of build %2 (application, signed "
                                 "daemon, %3); nothing was changed")
                      .arg(fileName)
                      .arg(best->build)
                      .arg(QLatin1String(Bundle::kInfoFileName)));
  }

  // The daemon first: the provisioning upgrade keeps the running one unless the new one
  // passes its health gate, and then nothing else changes either.
  say(QStringLiteral("installing the daemon of build %1").arg(best->build));
  supervision::DaemonProvisioner provisioner({home, Bundle::daemon(bundle)},
                                             std::make_shared<supervision::ProvisionDiagnosticLog>());
  const auto outcome = provisioner.performProvisionWork();
  if (outcome.kind == supervision::ProvisionWorkOutcome::Kind::fail) {
    return refuse(QStringLiteral("the daemon of build %1 was not installed: %2 The application was left as it was.")
                      .arg(best->build)
                      .arg(QString::fromLatin1(supervision::DaemonProvision::failureReason(outcome.failure).data())));
  }

  say(QStringLiteral("installing the application of build %1").arg(best->build));
  const QString previous = QFileInfo(Bundle::currentBundle(home)).canonicalFilePath();
  QString destination = Bundle::releasesDir(home) + '/' + tops.front();
  if (QFileInfo::exists(destination) && QFileInfo(destination).canonicalFilePath() != previous) {
    QDir(destination).removeRecursively();
  } else if (QFileInfo::exists(destination)) {
    destination += QStringLiteral("-") + uniqueSuffix();
  }
  if (!QDir().rename(bundle, destination) || !switchCurrent(home, destination)) {
    return refuse(QStringLiteral("No write access to %1: the application was left as it was").arg(Bundle::appRoot(home)));
  }
  pruneReleases(home, destination, previous);
  if (!maintenance::UpdateMarkers(home).writePendingRestart(best->build)) {
    return refuse(QStringLiteral("No write access to %1").arg(maintenance::UpdateMarkers(home).pendingRestartPath()));
  }
  say(QStringLiteral("installed Vesket %1 (build %2) at %3: 100%").arg(version).arg(best->build).arg(Bundle::currentBundle(home)));
  say(QStringLiteral("restart Vesket to finish the update"));
  return kExitOk;
}

}  // namespace vesket::daemon::Updater
