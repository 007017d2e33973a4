#include "daemon/relay_pairing.h"

#include <QDebug>
#include <QFile>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <memory>

#include <fmt/format.h>
#include <qcoro/qcoronetworkreply.h>

#include "daemon/core/command_args.h"
#include "daemon/core/command_error.h"
#include "daemon/core/env_file.h"
#include "daemon/core/relay_link_settings.h"
#include "daemon/private_file.h"

namespace vesket::daemon {
namespace {

constexpr int kVouchTimeoutMs = 8000;
constexpr qint64 kMaxEnvBytes = 256 * 1024;

EnvFile readEnv(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return EnvFile::parse("");
  return EnvFile::parse(file.read(kMaxEnvBytes).toStdString());
}

}  // namespace

RelayPairing::RelayPairing(DaemonPaths paths, Hooks hooks) : m_paths(std::move(paths)), m_hooks(std::move(hooks)) {}

QCoro::Task<nlohmann::json> RelayPairing::savePairing(nlohmann::json args) {
  const CommandArgs a("relay-pair", args);
  const std::string relayUrl = a.requireString("relayUrl");
  const std::string token = a.requireString("daemonToken");
  std::string problem;
  const auto lines = RelayPairingLines::fromBase(relayUrl, token, &problem);
  if (!lines) a.fail(problem);
  EnvFile env = readEnv(m_paths.envFile());
  lines->applyTo(env);
  if (const auto failed = PrivateFile::makeDirectory(m_paths.daemonDir())) {
    throw CommandError(fmt::format("relay-pair: cannot make {}: {}", m_paths.daemonDir().toStdString(), failed->toStdString()));
  }
  const std::string text = env.serialize();
  if (const auto failed = PrivateFile::write(m_paths.envFile(), QByteArray::fromStdString(text))) {
    throw CommandError(fmt::format("relay-pair: cannot save the pairing: {}", failed->toStdString()));
  }
  qInfo().noquote() << "relay-pair: pairing saved; linking to" << QString::fromStdString(lines->relayUrl);
  if (m_hooks.relink) m_hooks.relink();
  nlohmann::json answer = {{"saved", true}, {"relayUrl", lines->relayUrl}, {"boardPushApi", lines->boardPushApi}};
  if (m_hooks.linkStatus) answer["transportState"] = m_hooks.linkStatus().value("transportState", "");
  co_return answer;
}

QCoro::Task<nlohmann::json> RelayPairing::selfVouch(nlohmann::json args) {
  const CommandArgs a("self-vouch", args);
  const std::string deviceId = a.requireString("deviceId");
  const std::string requestId = a.requireString("requestId");
  const auto userId = a.optionalInteger("userId", 0, INT64_MAX);
  a.optionalString("deviceName");
  const EnvFile env = readEnv(m_paths.envFile());
  const auto base = env.get("BOARD_PUSH_API");
  const auto token = env.get("DAEMON_TOKEN");
  if (!base || base->empty() || !token || token->empty()) {
    throw CommandError("self-vouch: this daemon is not paired with a relay account");
  }
  if (userId && *userId > 0 && m_hooks.linkStatus) {
    const nlohmann::json status = m_hooks.linkStatus();
    if (status.contains("userId") && status["userId"].is_number_integer() && status["userId"].get<std::int64_t>() != *userId) {
      co_return nlohmann::json{{"approved", false}, {"error", "this daemon is paired with another account"}};
    }
  }
  QUrl url(QString::fromStdString(*base + "/api/devices/approve"));
  if (!url.isValid() || (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))) {
    throw CommandError("self-vouch: BOARD_PUSH_API is not an http(s) address");
  }
  QNetworkRequest request(url);
  request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
  request.setRawHeader("Authorization", QByteArray("Bearer ") + QByteArray::fromStdString(*token));
  request.setTransferTimeout(kVouchTimeoutMs);
  const nlohmann::json body = {{"requestId", requestId}, {"deviceId", deviceId}};
  std::unique_ptr<QNetworkReply> reply(m_network.post(request, QByteArray::fromStdString(body.dump())));
  co_await qCoro(reply.get()).waitForFinished();
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const nlohmann::json answer = nlohmann::json::parse(reply->readAll().toStdString(), nullptr, false);
  if (status == 200) co_return nlohmann::json{{"approved", true}};
  // Approved already (by this daemon a moment ago, or by another device): still approved.
  if (status == 409 && answer.is_object() && answer.value("status", "") == "approved") {
    co_return nlohmann::json{{"approved", true}};
  }
  std::string reason = status == 0 ? reply->errorString().toStdString() : fmt::format("the relay answered {}", status);
  if (answer.is_object() && answer.contains("message") && answer["message"].is_string()) {
    reason = answer["message"].get<std::string>();
  }
  qInfo().noquote() << "self-vouch: not approved:" << QString::fromStdString(reason);
  co_return nlohmann::json{{"approved", false}, {"error", reason}};
}

}  // namespace vesket::daemon
