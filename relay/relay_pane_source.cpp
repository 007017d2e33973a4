#include "relay/relay_pane_source.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkReply>
#include <QUuid>

#include <nlohmann/json.hpp>
#include <qcoro/qcoronetworkreply.h>

#include <memory>

namespace vesket::relay {
namespace {

using Rules = RelayPaneError;

QString uuid() { return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(); }

// A result record from the relay's JSON answer; a body that does not decode is badResponse.
template <typename Record>
Record decodeRecord(const nlohmann::json& json) {
  try {
    return Record::fromJson(json);
  } catch (const std::exception& error) {
    throw RelayPaneError(RelayPaneError::Kind::badResponse, 200, error.what());
  }
}

}  // namespace

RelayPaneSource::RelayPaneSource(QUrl baseURL, TargetProvider target, BearerProvider bearer, QNetworkAccessManager* session)
    : m_baseURL(std::move(baseURL)), m_target(std::move(target)), m_bearer(std::move(bearer)), m_session(session) {}

std::int64_t RelayPaneSource::daemonId() const {
  const auto target = m_target ? m_target() : std::nullopt;
  if (!target) throw RelayPaneError(RelayPaneError::Kind::badResponse, 0, "no other machine is selected");
  return target->daemonId;
}

nlohmann::json RelayPaneSource::parse(const QByteArray& body) {
  auto json = nlohmann::json::parse(body.toStdString(), nullptr, false);
  if (json.is_discarded()) throw RelayPaneError(RelayPaneError::Kind::badResponse, 200, "the relay's answer is not JSON");
  return json;
}

QCoro::Task<RelayPaneSource::Answer> RelayPaneSource::perform(QString path, QByteArray method, QByteArray body,
                                                              QByteArray contentType, int timeoutMs,
                                                              std::function<void(double)> onProgress) {
  QUrl url = m_baseURL;
  QString basePath = url.path();
  if (basePath.endsWith(u'/')) basePath.chop(1);
  const auto question = path.indexOf(u'?');
  url.setPath(basePath + (question < 0 ? path : path.left(question)));
  url.setQuery(question < 0 ? QString() : path.mid(question + 1), QUrl::StrictMode);
  QNetworkRequest request(url);
  request.setTransferTimeout(timeoutMs);
  if (!contentType.isEmpty()) request.setRawHeader("Content-Type", contentType);
  if (const auto token = m_bearer ? m_bearer() : std::nullopt) request.setRawHeader("Authorization", "Bearer " + token->toUtf8());
  std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> reply(m_session->sendCustomRequest(request, method, body),
                                                                 [](QNetworkReply* r) { r->deleteLater(); });
  if (onProgress) {
    QObject::connect(reply.get(), &QNetworkReply::uploadProgress, reply.get(), [onProgress](qint64 sent, qint64 total) {
      if (total > 0) onProgress(static_cast<double>(sent) / static_cast<double>(total));
    });
  }
  co_await qCoro(reply.get()).waitForFinished();
  const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  const QByteArray answer = reply->readAll();
  if (auto failure = RelayPaneError::check(status.isValid() ? status.toInt() : -1, answer.toStdString())) throw *failure;
  co_return Answer{answer, reply->rawHeaderPairs()};
}

QCoro::Task<RelayPaneSource::RemoteRoster> RelayPaneSource::listPanes() {
  const std::string query = RelayPaneRules::sortedQuery({{"daemonId", std::to_string(daemonId())}});
  const Answer answer = co_await perform(QStringLiteral("/api/panes?") + QString::fromStdString(query), "GET", {}, {},
                                         kRequestTimeoutMs);
  const nlohmann::json json = parse(answer.body);
  RemoteRoster roster;
  try {
    if (!json.is_array()) throw std::runtime_error("not a list");
    for (const auto& pane : json) roster.panes.push_back(control_plane::PaneEntry::fromJson(pane));
  } catch (const std::exception& error) {
    throw RelayPaneError(RelayPaneError::Kind::badResponse, 200, std::string("the relay's pane list: ") + error.what());
  }
  for (const auto& [name, value] : answer.headers) {
    if (name.compare("X-Resolved-Daemon-Id", Qt::CaseInsensitive) != 0) continue;
    bool ok = false;
    const qint64 id = value.toLongLong(&ok);
    if (ok) roster.resolvedDaemonId = id;
  }
  co_return roster;
}

QCoro::Task<std::string> RelayPaneSource::captureContent(std::string paneId) {
  const std::string query =
      RelayPaneRules::sortedQuery({{"daemonId", std::to_string(daemonId())}, {"paneId", rawPaneId(paneId)}});
  const Answer answer = co_await perform(QStringLiteral("/api/pane/snapshot?") + QString::fromStdString(query), "GET", {}, {},
                                         kRequestTimeoutMs);
  const nlohmann::json json = parse(answer.body);
  if (!json.is_object() || !json.contains("content") || !json["content"].is_string()) {
    throw RelayPaneError(RelayPaneError::Kind::badResponse, 200, "the relay's snapshot has no content");
  }
  co_return json["content"].get<std::string>();
}

QCoro::Task<control_plane::SendResult> RelayPaneSource::sendText(std::string paneId, std::string text,
                                                                 std::optional<std::string> clientRequestId) {
  nlohmann::json body = {{"daemonId", daemonId()}, {"paneId", rawPaneId(paneId)}, {"text", std::move(text)}};
  if (clientRequestId) body["clientRequestId"] = *clientRequestId;
  const Answer answer = co_await perform(QStringLiteral("/api/send"), "POST", QByteArray::fromStdString(body.dump()),
                                         "application/json", kRequestTimeoutMs);
  co_return decodeRecord<control_plane::SendResult>(parse(answer.body));
}

QCoro::Task<void> RelayPaneSource::sendKey(std::string paneId, std::string key) {
  nlohmann::json body = {{"paneId", rawPaneId(paneId)}, {"keys", nlohmann::json::array({std::move(key)})}, {"daemonId", daemonId()}};
  co_await perform(QStringLiteral("/api/send-key"), "POST", QByteArray::fromStdString(body.dump()), "application/json",
                   kRequestTimeoutMs);
}

QCoro::Task<control_plane::ImageSendResult> RelayPaneSource::sendImage(std::string paneId,
                                                                       std::vector<control_plane::ImageAttachment> images,
                                                                       std::string text,
                                                                       std::function<void(double)> onProgress) {
  RelayPaneRules::MultipartBuilder form("Vesket-Image-" + uuid().toStdString());
  form.addField("paneId", rawPaneId(paneId));
  form.addField("daemonId", std::to_string(daemonId()));
  form.addField("text", text);
  for (std::size_t index = 0; index < images.size(); ++index) {
    const auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(images[index].base64),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) throw RelayPaneError(RelayPaneError::Kind::badResponse, 0, "an image attachment is not valid Base64");
    const std::string& ext = images[index].ext;
    form.addFile("image", "attachment-" + std::to_string(index) + "." + ext, "image/" + RelayPaneRules::imageSubtype(ext),
                 std::string_view(decoded.decoded.constData(), static_cast<std::size_t>(decoded.decoded.size())));
  }
  const QByteArray contentType = QByteArray::fromStdString(form.contentType());
  const std::string body = std::move(form).finish();
  const Answer answer = co_await perform(QStringLiteral("/api/upload-image"), "POST", QByteArray::fromStdString(body),
                                         contentType, kUploadTimeoutMs, std::move(onProgress));
  co_return decodeRecord<control_plane::ImageSendResult>(parse(answer.body));
}

QCoro::Task<control_plane::FileSendResult> RelayPaneSource::sendFile(std::string paneId, QString filePath, std::string text,
                                                                     std::function<void(double)> onProgress) {
  return uploadFile(std::move(paneId), std::move(filePath), std::move(text), true, std::move(onProgress));
}

QCoro::Task<std::string> RelayPaneSource::keepFile(std::string paneId, QString filePath, std::function<void(double)> onProgress) {
  auto uploading = uploadFile(std::move(paneId), std::move(filePath), {}, false, std::move(onProgress));
  const control_plane::FileSendResult kept = co_await std::move(uploading);
  if (!kept.ok || !kept.paths || kept.paths->size() != 1) {
    throw RelayPaneError(RelayPaneError::Kind::badResponse, 200, "the other machine did not say where it kept the file");
  }
  co_return kept.paths->front();
}

QCoro::Task<control_plane::FileSendResult> RelayPaneSource::uploadFile(std::string paneId, QString filePath, std::string text,
                                                                       bool typePath, std::function<void(double)> onProgress) {
  QFile file(filePath);
  if (!file.open(QIODevice::ReadOnly)) {
    throw RelayPaneError(RelayPaneError::Kind::badResponse, 0, "cannot read " + filePath.toStdString());
  }
  if (file.size() > RelayPaneRules::kMaxUploadBytes) {
    throw RelayPaneError(RelayPaneError::Kind::http, 413,
                         QFileInfo(filePath).fileName().toStdString() + " is too large for the relay (25 MiB at most)");
  }
  const QByteArray bytes = file.readAll();
  RelayPaneRules::MultipartBuilder form("Vesket-File-" + uuid().toStdString());
  form.addField("paneId", rawPaneId(paneId));
  form.addField("daemonId", std::to_string(daemonId()));
  form.addField("text", text);
  if (!typePath) form.addField("typePath", "false");
  form.addFile("file", QFileInfo(filePath).fileName().toStdString(), "application/octet-stream",
               std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  const QByteArray contentType = QByteArray::fromStdString(form.contentType());
  const std::string body = std::move(form).finish();
  const Answer answer = co_await perform(QStringLiteral("/api/upload-file"), "POST", QByteArray::fromStdString(body),
                                         contentType, kUploadTimeoutMs, std::move(onProgress));
  co_return decodeRecord<control_plane::FileSendResult>(parse(answer.body));
}

}  // namespace vesket::relay
