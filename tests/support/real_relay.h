#pragma once

// The real `vesket-relay` for tests: started on 127.0.0.1 (port 0 unless a port is given)
// with a data directory of the test's, password hashing at its cheapest, and stopped with
// SIGTERM. Its stderr log is kept for the assertions. Calls go through RelayHttp below
// (QNetworkAccessManager, waited on the event loop).

#include <QByteArray>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QSslConfiguration>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <span>
#include <string>

#include <nlohmann/json.hpp>

#include "tests/support/event_loop.h"

namespace vesket::testing {

class RealRelay {
 public:
  explicit RealRelay(QString dataDir, QStringList extraArguments = {})
      : m_dataDir(std::move(dataDir)), m_extraArguments(std::move(extraArguments)) {}
  ~RealRelay() { stop(); }

  static QString binary() {
    const QString dir = qEnvironmentVariable("VESKET_BIN_DIR");
    return (dir.isEmpty() ? QStringLiteral("build/bin") : dir) + QStringLiteral("/vesket-relay");
  }

  // Starts the relay and waits for its "listening on" line. False (with the log in the
  // failure message) when it does not come up.
  bool start(quint16 port = 0) {
    m_process = std::make_unique<QProcess>();
    QObject::connect(m_process.get(), &QProcess::readyReadStandardError,
                     [this] { m_log += m_process->readAllStandardError(); });
    m_process->start(binary(), QStringList{"--listen", QStringLiteral("127.0.0.1:%1").arg(port), "--data", m_dataDir,
                                           "--password-hash-ops", "1", "--password-hash-mem-kib", "8"} +
                                   m_extraArguments);
    QByteArray out;
    const bool listening = waitUntil(
        [&] {
          out += m_process->readAllStandardOutput();
          return out.contains('\n') || m_process->state() == QProcess::NotRunning;
        },
        10000);
    const QString line = QString::fromUtf8(out.left(out.indexOf('\n')));
    const auto colon = line.lastIndexOf(':');
    if (!listening || !line.startsWith(QStringLiteral("vesket-relay listening on ")) || colon < 0) {
      m_process->waitForFinished(2000);
      m_log += m_process->readAllStandardError();
      ADD_FAILURE() << "the relay did not start: " << out.toStdString() << m_log.toStdString();
      return false;
    }
    m_port = static_cast<quint16>(line.mid(colon + 1).toUInt());
    m_scheme = line.mid(26, line.indexOf(QStringLiteral("://")) - 26);
    return true;
  }

  // SIGTERM, then waits; gives the exit code (-1 when it had to be killed).
  int stop() {
    if (!m_process) return -1;
    m_process->terminate();
    int code = -1;
    if (m_process->waitForFinished(10000)) {
      code = m_process->exitStatus() == QProcess::NormalExit ? m_process->exitCode() : -1;
    } else {
      m_process->kill();
      m_process->waitForFinished(5000);
    }
    m_log += m_process->readAllStandardError();
    m_process.reset();
    return code;
  }

  bool running() const { return m_process && m_process->state() == QProcess::Running; }
  qint64 pid() const { return m_process ? m_process->processId() : 0; }
  quint16 port() const { return m_port; }
  QString baseUrl() const { return QStringLiteral("%1://127.0.0.1:%2").arg(m_scheme).arg(m_port); }
  QString daemonUrl() const {
    return QStringLiteral("%1://127.0.0.1:%2/daemon").arg(m_scheme == "https" ? "wss" : "ws").arg(m_port);
  }
  const QString& dataDir() const { return m_dataDir; }
  QByteArray log() {
    if (m_process) m_log += m_process->readAllStandardError();
    return m_log;
  }

  // `vesket-relay mint-daemon-token` for the user: {daemon id, token}; nothing on failure.
  std::optional<std::pair<qint64, std::string>> mintDaemonToken(qint64 userId) const {
    QProcess mint;
    mint.start(binary(), {"mint-daemon-token", "--data", m_dataDir, "--user", QString::number(userId)});
    if (!mint.waitForFinished(10000) || mint.exitCode() != 0) return std::nullopt;
    qint64 id = 0;
    std::string token;
    for (const QByteArray& line : mint.readAllStandardOutput().split('\n')) {
      if (line.startsWith("DAEMON_ID=")) id = line.mid(10).toLongLong();
      if (line.startsWith("DAEMON_TOKEN=")) token = line.mid(13).toStdString();
    }
    if (id <= 0 || token.empty()) return std::nullopt;
    return std::pair{id, token};
  }

 private:
  QString m_dataDir;
  QStringList m_extraArguments;
  std::unique_ptr<QProcess> m_process;
  QByteArray m_log;
  quint16 m_port = 0;
  QString m_scheme = QStringLiteral("http");
};

// One HTTP exchange with the relay.
struct RelayReply {
  int status = 0;  // 0: no HTTP response
  QByteArray body;
  QList<QNetworkReply::RawHeaderPair> headers;
  QString networkError;

  nlohmann::json json() const { return nlohmann::json::parse(body.toStdString(), nullptr, false); }
  QByteArray header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
      if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    }
    return {};
  }
};

// A call the relay must refuse: with this status and this error code.
struct RefusedCall {
  const char* what;
  QByteArray method;
  QString path;
  nlohmann::json body;  // null: no body
  std::string bearer;
  int status;
  const char* error;
};

class RelayHttp {
 public:
  explicit RelayHttp(QString baseUrl) : m_baseUrl(std::move(baseUrl)) {}

  // Self-signed certificates of a test relay are accepted.
  void trustAnyCertificate() { m_trustAny = true; }

  RelayReply call(const QByteArray& method, const QString& path, const QByteArray& body = {},
                  const std::string& bearer = {}) {
    QNetworkRequest request(QUrl(m_baseUrl + path));
    if (!body.isEmpty()) request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    if (!bearer.empty()) request.setRawHeader("Authorization", QByteArray("Bearer ") + bearer.c_str());
    if (m_trustAny) {
      QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
      ssl.setPeerVerifyMode(QSslSocket::VerifyNone);
      request.setSslConfiguration(ssl);
    }
    request.setTransferTimeout(20000);
    QNetworkReply* reply = m_network.sendCustomRequest(request, method, body);
    waitUntil([reply] { return reply->isFinished(); }, 25000);
    RelayReply result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.body = reply->readAll();
    result.headers = reply->rawHeaderPairs();
    if (reply->error() != QNetworkReply::NoError) result.networkError = reply->errorString();
    reply->deleteLater();
    return result;
  }

  RelayReply get(const QString& path, const std::string& bearer = {}) { return call("GET", path, {}, bearer); }
  RelayReply post(const QString& path, const nlohmann::json& body, const std::string& bearer = {}) {
    return call("POST", path, QByteArray::fromStdString(body.dump()), bearer);
  }

  // Makes each call and expects its refusal.
  void expectRefused(std::span<const RefusedCall> calls) {
    for (const auto& c : calls) {
      const QByteArray body = c.body.is_null() ? QByteArray() : QByteArray::fromStdString(c.body.dump());
      const RelayReply reply = call(c.method, c.path, body, c.bearer);
      EXPECT_EQ(reply.status, c.status) << c.what << ": " << reply.body.toStdString();
      EXPECT_EQ(reply.json().value("error", ""), c.error) << c.what;
    }
  }

  // Registers an account; its token and user id (ADD_FAILURE when it fails).
  std::pair<std::string, qint64> registerAccount(const std::string& email, const std::string& password = "password1") {
    const RelayReply reply =
        post("/api/auth/register-public", {{"email", email}, {"password", password}, {"confirm_password", password}});
    const auto json = reply.json();
    if (reply.status != 200 || !json.contains("token")) {
      ADD_FAILURE() << "registration failed: " << reply.status << " " << reply.body.toStdString();
      return {"", 0};
    }
    return {json["token"].get<std::string>(), json["user"]["id"].get<qint64>()};
  }

 private:
  QString m_baseUrl;
  QNetworkAccessManager m_network;
  bool m_trustAny = false;
};

// A test with a relay of its own, started on a fresh data directory "data" under the test's
// temporary directory.
class RelayTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_root.isValid()); }

  // `arguments` go to the relay's command line.
  RealRelay& startRelay(QStringList arguments = {}) {
    m_relay = std::make_unique<RealRelay>(m_root.filePath("data"), std::move(arguments));
    EXPECT_TRUE(m_relay->start());
    m_http = std::make_unique<RelayHttp>(m_relay->baseUrl());
    return *m_relay;
  }

  QTemporaryDir m_root;
  std::unique_ptr<RealRelay> m_relay;
  std::unique_ptr<RelayHttp> m_http;
};

}  // namespace vesket::testing
