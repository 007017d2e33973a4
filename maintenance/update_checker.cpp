#include "maintenance/update_checker.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <qcoro/qcoronetworkreply.h>

#include "maintenance/update_markers.h"

namespace vesket::maintenance {

UpdateChecker::UpdateChecker(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_network(new QNetworkAccessManager(this)) {
  if (m_options.checkOnCreation) {
    QTimer::singleShot(0, this, [this] { check(); });
  }
}

UpdateChecker::~UpdateChecker() = default;

void UpdateChecker::publish(UpdateResult result) {
  if (result == m_result) return;
  m_result = std::move(result);
  emit resultChanged();
}

QCoro::Task<void> UpdateChecker::check() {
  QPointer<UpdateChecker> self(this);
  const UpdateMarkers markers(m_options.home);
  if (markers.pendingRestartExists()) {
    const auto verdict = PendingRestartVerification::verdict(m_options.ownBuild, markers.pendingRestartTarget());
    if (verdict == PendingRestartVerdict::stillPending) {
      publish(UpdateResult::pendingRestart());
      co_return;
    }
    if (verdict == PendingRestartVerdict::verifiedOnTarget) markers.clearPendingRestart();
  }
  const QString override = qEnvironmentVariable("VESKET_UPDATE_URL_OVERRIDE");
  const QUrl url(override.isEmpty() ? QString::fromStdString(UpdateParser::releasesURLString({})) : override,
                 QUrl::StrictMode);
  if (!url.isValid() || url.isRelative()) {
    publish(UpdateResult::failed("Invalid update URL."));
    co_return;
  }
  publish(UpdateResult::checking());
  QNetworkRequest request(url);
  request.setTransferTimeout(m_options.requestTimeoutMs);
  QNetworkReply* reply = m_network->get(request);
  auto finishing = qCoro(reply).waitForFinished();
  co_await std::move(finishing);
  if (!self) co_return;
  reply->deleteLater();
  if (reply->error() != QNetworkReply::NoError) {
    publish(UpdateResult::failed(reply->errorString().toStdString()));
    co_return;
  }
  const auto log = m_options.log;
  UpdateResult result = UpdateParser::parse(reply->readAll().toStdString(), m_options.ownBuild, {},
                                            [log](const std::string& line) {
                                              if (log) log(QString::fromStdString(line));
                                            });
  // A catalog elsewhere names its files relative to itself.
  if (!override.isEmpty() && result.kind == UpdateResult::Kind::updateAvailable) {
    const std::string base = UpdateParser::downloadsBase({});
    result.dmgURL = url.resolved(QUrl(QString::fromStdString(result.dmgURL.substr(base.size())))).toString().toStdString();
  }
  publish(std::move(result));
}

}  // namespace vesket::maintenance
