#include "control_plane/control_plane_client.h"
#include "control_plane/control_token.h"

#include <QDir>
#include <QTimer>
#include <QUuid>

#include "control_plane/core/control_plane_errors.h"
#include "control_plane/ndjson_connection.h"
#include "control_plane/resume_once.h"

namespace vesket::control_plane {

std::string newRequestId() {
  return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
}

ControlPlaneClient::ControlPlaneClient(std::string socketPath, std::optional<std::string> token,
                                       double requestTimeout)
    : m_socketPath(std::move(socketPath)), m_token(std::move(token)), m_defaultRequestTimeout(requestTimeout) {
  static const int registered = qRegisterMetaType<ConnectionState>();
  (void)registered;
}

std::shared_ptr<ControlPlaneClient> ControlPlaneClient::create(std::string socketPath,
                                                               std::optional<std::string> token,
                                                               double requestTimeout) {
  return std::shared_ptr<ControlPlaneClient>(
      new ControlPlaneClient(std::move(socketPath), std::move(token), requestTimeout));
}

std::shared_ptr<ControlPlaneClient> ControlPlaneClient::createDefault(double requestTimeout) {
  const std::string home = control_plane::defaultHome(
      [](const char* name) -> std::optional<std::string> {
        if (!qEnvironmentVariableIsSet(name)) return std::nullopt;
        return qEnvironmentVariable(name).toStdString();
      },
      QDir::homePath().toStdString());
  return create(socketPathForHome(home), controlTokenForHome(home), requestTimeout);
}

std::string ControlPlaneClient::defaultSocketPath() {
  return control_plane::defaultSocketPath(
      [](const char* name) -> std::optional<std::string> {
        if (!qEnvironmentVariableIsSet(name)) return std::nullopt;
        return qEnvironmentVariable(name).toStdString();
      },
      QDir::homePath().toStdString());
}

void ControlPlaneClient::publishConnectionState(ConnectionState state) {
  m_connectionState = state;
  emit connectionStateChanged(state);
}

std::string ControlPlaneClient::encodeFrame(const std::string& id, const std::string& cmd,
                                            nlohmann::json args) const {
  try {
    return RequestFrame{id, cmd, std::move(args), m_token}.encode();
  } catch (const nlohmann::json::type_error&) {
    throw ControlPlaneError::protocolError("request frame not UTF-8 encodable");
  }
}

QCoro::Task<ReplyData> ControlPlaneClient::requestReply(std::string cmd, nlohmann::json args,
                                                        std::optional<double> timeout,
                                                        CancellationToken cancel) {
  auto keepAlive = shared_from_this();
  const std::string id = newRequestId();
  const std::string line = encodeFrame(id, cmd, std::move(args));
  const double seconds = timeout.value_or(m_defaultRequestTimeout);
  NDJSONConnection connection(m_socketPath);  // throws DaemonUnavailable

  ResumeOnce<ReplyData> once;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    once.resumeError(std::make_exception_ptr(ControlPlaneError::timeout(cmd)));
    connection.finish();
  });
  timer.start(static_cast<int>(seconds * 1000.0));
  once.onResume = [&timer] { timer.stop(); };

  auto registration = cancel.onCancel([&] {
    once.resumeError(std::make_exception_ptr(RequestCancelled()));
    connection.finish();
  });

  connection.start([&] { connection.sendLine(line); },
                   [&](const std::string& received) {
                     const auto outcome = matchReply(received, id);
                     if (!outcome) return;
                     if (const auto* data = std::get_if<ReplyData>(&*outcome)) {
                       once.resumeValue(*data);
                     } else {
                       once.resumeError(std::make_exception_ptr(
                           ControlPlaneError::requestFailed(std::get<ReplyFailure>(*outcome).message)));
                     }
                     connection.finish();
                   },
                   [&](std::exception_ptr error) {
                     if (!error) {
                       error = std::make_exception_ptr(DaemonUnavailable("connection closed before response"));
                     }
                     once.resumeError(error);
                   });

  co_return co_await once.wait();
}

std::shared_ptr<detail::StreamState> ControlPlaneClient::openStream(std::string cmd, nlohmann::json args,
                                                                    detail::StreamState::Decode decode) {
  auto state = std::make_shared<detail::StreamState>();
  state->id = newRequestId();
  state->decode = std::move(decode);
  try {
    const std::string line = encodeFrame(state->id, cmd, std::move(args));
    state->connection = std::make_unique<NDJSONConnection>(m_socketPath);
    state->start(line);
  } catch (...) {
    state->end(std::current_exception());
  }
  return state;
}

}  // namespace vesket::control_plane
