#include "relay/relay_client.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QSysInfo>

#include <qcoro/qcoronetworkreply.h>

#include "relay/device_enrollment.h"

namespace vesket::relay {
namespace {

constexpr int kRequestTimeoutMs = 60000;

std::optional<QString> optionalString(const nlohmann::json& object, const char* key) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_string()) return std::nullopt;
  return QString::fromStdString(it->get<std::string>());
}

std::optional<double> optionalNumber(const nlohmann::json& object, const char* key) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_number()) return std::nullopt;
  return it->get<double>();
}

// The account of a sign-in answer or of "me": named by username, else e-mail, else id.
RelayAccount accountFrom(const nlohmann::json& user) {
  if (!user.is_object() || !user.contains("id") || !user["id"].is_number_integer()) {
    throw RelayError(200, "the relay's answer has no user id");
  }
  RelayAccount account;
  account.id = user["id"].get<std::int64_t>();
  account.email = optionalString(user, "email");
  const auto username = optionalString(user, "username");
  if (username && !username->isEmpty()) {
    account.displayName = *username;
  } else if (account.email && !account.email->isEmpty()) {
    account.displayName = *account.email;
  } else {
    account.displayName = QStringLiteral("user-%1").arg(account.id);
  }
  return account;
}

}  // namespace

RelayDeviceApproval RelayDeviceApproval::fromJSON(const nlohmann::json& json) {
  RelayDeviceApproval approval;
  approval.status = optionalString(json, "status").value_or(QString());
  approval.requestId = optionalString(json, "requestId");
  approval.fingerprint = optionalString(json, "fingerprint");
  approval.deniedUntil = optionalNumber(json, "deniedUntil");
  approval.approverReadiness = optionalString(json, "approverReadiness");
  approval.pairingMode = optionalString(json, "pairingMode");
  approval.expiresAt = optionalNumber(json, "expiresAt");
  return approval;
}

QNetworkAccessManager* relayNetworkSession() {
  static QPointer<QNetworkAccessManager> session;
  if (!session) session = new QNetworkAccessManager(QCoreApplication::instance());
  return session;
}

RelayClient::RelayClient(QUrl baseURL, Credential credential, std::shared_ptr<RelayUserTokenStore> tokenStore,
                         std::shared_ptr<RelayDeviceIDStore> deviceIDStore, QNetworkAccessManager* session,
                         DeviceEnrollment* enrollment)
    : m_baseURL(std::move(baseURL)),
      m_credential(std::move(credential)),
      m_tokenStore(tokenStore ? std::move(tokenStore) : std::make_shared<FileRelayUserTokenStore>()),
      m_deviceIDStore(deviceIDStore ? std::move(deviceIDStore) : std::make_shared<KeychainRelayDeviceIDStore>()),
      m_session(session ? session : relayNetworkSession()),
      m_enrollment(enrollment) {}

// The process's enrolment state unless one was given; looked up only when a call enrols.
DeviceEnrollment& RelayClient::enrollment() const { return m_enrollment ? *m_enrollment : DeviceEnrollment::shared(); }

std::optional<QString> RelayClient::bearer() const {
  if (m_credential.kind == Credential::Kind::token) {
    if (m_credential.token.isEmpty()) return std::nullopt;
    return m_credential.token;
  }
  return m_tokenStore->read();
}

QString RelayClient::stableDeviceID() { return KeychainRelayDeviceIDStore().deviceID(); }

RelayClient::Request RelayClient::authed(const QString& path, const QByteArray& method,
                                         const std::optional<nlohmann::json>& body) const {
  const auto question = path.indexOf(u'?');
  QUrl url = m_baseURL;
  QString basePath = url.path(QUrl::FullyEncoded);
  if (basePath.endsWith(u'/')) basePath.chop(1);
  url.setPath(basePath + (question < 0 ? path : path.left(question)), QUrl::TolerantMode);
  if (question >= 0) {
    url.setQuery(path.mid(question + 1), QUrl::StrictMode);
  } else {
    url.setQuery(QString());
  }
  Request built{QNetworkRequest(url), method, {}};
  built.request.setTransferTimeout(kRequestTimeoutMs);
  if (body) {
    built.body = QByteArray::fromStdString(body->dump());
    built.request.setRawHeader("Content-Type", "application/json");
  }
  if (const auto token = bearer()) built.request.setRawHeader("Authorization", "Bearer " + token->toUtf8());
  return built;
}

QCoro::Task<RelayClient::Response> RelayClient::send(const Request& request) {
  std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> reply(
      m_session->sendCustomRequest(request.request, request.method, request.body),
      [](QNetworkReply* r) { r->deleteLater(); });
  co_await qCoro(reply.get()).waitForFinished();
  const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  if (!status.isValid()) throw RelayTransportError(reply->errorString());
  co_return Response{status.toInt(), reply->readAll(), reply->rawHeaderPairs()};
}

QCoro::Task<RelayClient::Response> RelayClient::performRequest(Request request, bool retried) {
  Response response = co_await send(request);
  const bool keychain = m_credential.kind == Credential::Kind::keychain;
  if (!RelayResponse::asksForReenrolment(response.status, response.body.toStdString(), keychain, retried)) {
    co_return response;
  }
  co_await enrollCurrentDevice(false);
  if (const auto token = m_tokenStore->read()) {
    request.request.setRawHeader("Authorization", "Bearer " + token->toUtf8());
  }
  co_return co_await performRequest(std::move(request), true);
}

void RelayClient::assertOK(const Response& response) {
  if (response.status < 0) throw RelayError(-1, "no HTTP response");
  if (auto error = RelayResponse::errorFor(response.status, response.body.toStdString())) throw *error;
}

QCoro::Task<nlohmann::json> RelayClient::call(QString path, QByteArray method, std::optional<nlohmann::json> body) {
  const Response response = co_await performRequest(authed(path, method, body));
  assertOK(response);
  if (response.body.trimmed().isEmpty()) co_return nlohmann::json();
  auto json = nlohmann::json::parse(response.body.toStdString(), nullptr, false);
  if (json.is_discarded()) throw RelayError(response.status, "the relay's answer is not JSON");
  co_return json;
}

QCoro::Task<RelayAccount> RelayClient::completeAuth(QString path, nlohmann::json body) {
  const nlohmann::json answer = co_await call(std::move(path), "POST", std::move(body));
  if (!answer.is_object() || !answer.contains("token") || !answer["token"].is_string() || !answer.contains("user")) {
    throw RelayError(200, "the relay's sign-in answer has no token");
  }
  RelayAccount account = accountFrom(answer["user"]);
  m_tokenStore->save(QString::fromStdString(answer["token"].get<std::string>()));
  co_return account;
}

QCoro::Task<RelayAccount> RelayClient::login(QString username, QString password) {
  return completeAuth("/api/auth/login", {{"username", username.toStdString()}, {"password", password.toStdString()}});
}

QCoro::Task<RelayAccount> RelayClient::registerPublic(QString email, QString password, QString confirmPassword) {
  return completeAuth("/api/auth/register-public", {{"email", email.toStdString()},
                                                    {"password", password.toStdString()},
                                                    {"confirm_password", confirmPassword.toStdString()}});
}

QCoro::Task<RelayAccount> RelayClient::signInWithGoogle(QString idToken) {
  return completeAuth("/api/auth/google", {{"id_token", idToken.toStdString()}});
}

QCoro::Task<RelayAccount> RelayClient::signInWithApple(QString identityToken, std::optional<QString> appleUserId,
                                                       std::optional<QString> email, std::optional<QString> fullName) {
  nlohmann::json body{{"identity_token", identityToken.toStdString()}};
  if (appleUserId) body["apple_user_id"] = appleUserId->toStdString();
  if (email) body["email"] = email->toStdString();
  if (fullName) body["full_name"] = fullName->toStdString();
  return completeAuth("/api/auth/apple", std::move(body));
}

QCoro::Task<RelayAccount> RelayClient::me() {
  const nlohmann::json answer = co_await call("/api/auth/me", "GET");
  co_return accountFrom(answer);
}

void RelayClient::logout() { m_tokenStore->clear(); }

QCoro::Task<RelayDeviceApproval> RelayClient::enrollCurrentDevice(bool reuseRecentPending) {
  const QString deviceID = m_deviceIDStore->deviceID();
  const QString key = m_baseURL.toString() + "|" + deviceID;
  const QString flightKey = key + "|" + bearer().value_or(QString());
  const double now = static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
  if (reuseRecentPending) {
    if (const auto recent = enrollment().backoff().recent(key.toStdString(), now)) co_return recent->approval;
  }
  std::function<QCoro::Task<EnrollmentWireResult>()> operation = [this, deviceID] {
    return performEnrollment(deviceID);
  };
  QCoro::Task<EnrollmentWireResult> flight = enrollment().run(flightKey, std::move(operation));
  const EnrollmentWireResult result = co_await std::move(flight);
  enrollment().backoff().record(key.toStdString(), result, result.approval.status == QStringLiteral("pending"), now);
  if (!result.token.isEmpty()) m_tokenStore->save(result.token);
  co_return result.approval;
}

QCoro::Task<EnrollmentWireResult> RelayClient::performEnrollment(QString deviceID) {
  const double now = static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
  if (const auto wait = enrollment().retryRemaining(now)) {
    throw RelayError(429, EnrollmentRetryGate::rateLimitedMessage(*wait));
  }
  const QString deviceName = QSysInfo::machineHostName().isEmpty() ? QStringLiteral("This computer")
                                                                   : QSysInfo::machineHostName();
  const QString version = QCoreApplication::applicationVersion();
  const nlohmann::json body{{"deviceId", deviceID.toStdString()},
                            {"platform", "linux"},
                            {"deviceName", deviceName.toStdString()},
                            {"appVersion", version.toStdString()},
                            {"appBuild", version.toStdString()}};
  // Sent without the retry: a device that is not approved is what this call reports.
  const Response response = co_await performRequest(authed("/api/devices/enroll", "POST", body), true);
  if (response.status == 429) {
    std::optional<double> delay;
    for (const auto& [name, value] : response.headers) {
      if (name.compare("Retry-After", Qt::CaseInsensitive) == 0) {
        delay = EnrollmentRetryGate::parseRetryAfter(value.toStdString());
      }
    }
    if (delay) {
      enrollment().retryAfter(now + *delay);
      const int seconds = EnrollmentRetryGate::remainingSeconds(now + *delay, now).value_or(1);
      throw RelayError(429, EnrollmentRetryGate::rateLimitedMessage(seconds));
    }
  }
  assertOK(response);
  const auto answer = nlohmann::json::parse(response.body.toStdString(), nullptr, false);
  if (!answer.is_object() || !answer.contains("status") || !answer["status"].is_string()) {
    throw RelayError(response.status, "the relay's enrolment answer has no status");
  }
  EnrollmentWireResult result{RelayDeviceApproval::fromJSON(answer), optionalString(answer, "token").value_or(QString())};
  co_return result;
}

}  // namespace vesket::relay
