#include "control_plane/terminal_attach_session.h"

#include <QMetaObject>
#include <QThread>

#include "control_plane/control_plane_client.h"
#include "control_plane/core/attach_line.h"
#include "control_plane/core/base64.h"
#include "control_plane/core/command_arguments.h"
#include "control_plane/core/control_plane_errors.h"
#include "control_plane/core/frames.h"
#include "control_plane/ndjson_connection.h"

namespace vesket::control_plane {

namespace {

nlohmann::json argsJson(JSONObject args) { return JSONValue(std::move(args)).toJson(); }

}  // namespace

std::shared_ptr<TerminalAttachSession> TerminalAttachSession::create(std::string socketPath,
                                                                     std::optional<std::string> token,
                                                                     JSONObject args,
                                                                     ConnectSentHandler onConnectSent) {
  std::shared_ptr<TerminalAttachSession> session(
      new TerminalAttachSession(std::move(token), std::move(onConnectSent)));
  session->m_self = session;
  session->start(socketPath, std::move(args));
  return session;
}

TerminalAttachSession::TerminalAttachSession(std::optional<std::string> token, ConnectSentHandler onConnectSent)
    : m_token(std::move(token)),
      m_attachId(newRequestId()),
      m_sessionId("local-" + m_attachId),
      m_onConnectSent(std::move(onConnectSent)),
      m_events(std::make_shared<detail::EventChannel<std::string>>()) {}

TerminalAttachSession::~TerminalAttachSession() {
  // A session dropped while open ends its output, so that a consumer never waits forever;
  // the connection closes with it.
  m_events->end();
}

void TerminalAttachSession::start(const std::string& socketPath, JSONObject args) {
  try {
    m_attachLine = RequestFrame{m_attachId, std::string(CommandName::terminalAttach), argsJson(std::move(args)), m_token}.encode();
  } catch (const nlohmann::json::exception&) {
    closeWith(std::make_exception_ptr(ControlPlaneError::protocolError("terminal-attach: frame not encodable")));
    return;
  }
  try {
    m_connection = std::make_unique<NDJSONConnection>(socketPath);
  } catch (const DaemonUnavailable&) {
    closeWith(std::make_exception_ptr(DaemonUnavailable("socket not reachable: " + socketPath)));
    return;
  }
  std::weak_ptr<TerminalAttachSession> weak = m_self;
  m_connection->start(
      [weak] {
        if (auto self = weak.lock()) self->onReady();
      },
      [weak](const std::string& line) {
        if (auto self = weak.lock()) self->onLine(line);
      },
      [weak](std::exception_ptr error) {
        if (auto self = weak.lock()) self->onClose(error);
      });
}

EventStream<std::string> TerminalAttachSession::events() {
  std::weak_ptr<TerminalAttachSession> weak = m_self;
  m_events->onConsumerCancel = [weak] {
    if (auto self = weak.lock()) self->detach();
  };
  return EventStream<std::string>(m_events);
}

bool TerminalAttachSession::isClosed() const {
  std::lock_guard guard(m_lock);
  return m_closed;
}

bool TerminalAttachSession::markClosed() {
  std::lock_guard guard(m_lock);
  if (m_closed) return false;
  m_closed = true;
  return true;
}

bool TerminalAttachSession::closeWith(std::exception_ptr error) {
  if (!markClosed()) return false;
  m_events->end(error);
  return true;
}

void TerminalAttachSession::onReady() {
  auto self = m_self.lock();  // the callbacks below may drop the owner's last reference
  if (m_onConnectSent) m_onConnectSent();
  if (!m_connection || m_connection->isFinished()) return;
  m_connection->sendLine(m_attachLine);
  for (const std::string& line : std::exchange(m_pendingLines, {})) {
    if (!m_connection || m_connection->isFinished()) return;
    m_connection->sendLine(line);
  }
}

void TerminalAttachSession::onLine(const std::string& line) {
  if (isClosed()) return;
  AttachLine kind = classifyAttachLine(line, m_attachId);
  if (std::holds_alternative<AttachIgnore>(kind)) return;
  if (std::holds_alternative<AttachDone>(kind)) {
    closeWith(nullptr);
    return;
  }
  if (const auto* failure = std::get_if<AttachFailure>(&kind)) {
    closeWith(std::make_exception_ptr(failure->kind == AttachFailure::Kind::requestFailed
                                          ? ControlPlaneError::requestFailed(failure->message)
                                          : ControlPlaneError::protocolError(failure->message)));
    return;
  }
  m_events->push(std::move(std::get<AttachOutput>(kind).bytes));
}

void TerminalAttachSession::onClose(std::exception_ptr error) { closeWith(error); }

std::optional<std::string> TerminalAttachSession::frame(const std::string& cmd, JSONObject args) const {
  try {
    return RequestFrame{newRequestId(), cmd, argsJson(std::move(args)), m_token}.encode();
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

void TerminalAttachSession::input(std::string bytes) {
  if (QThread::currentThread() == thread() && m_queuedInputs.load() == 0) {
    writeInput(bytes);
    return;
  }
  auto self = m_self.lock();
  if (!self) return;
  ++m_queuedInputs;
  QMetaObject::invokeMethod(
      this,
      [self, bytes = std::move(bytes)] {
        self->writeInput(bytes);
        --self->m_queuedInputs;
      },
      Qt::QueuedConnection);
}

void TerminalAttachSession::writeInput(const std::string& bytes) {
  if (isClosed() || !m_connection) return;
  const auto line = frame(std::string(CommandName::terminalInput), CommandArguments::terminalInput(m_sessionId, Base64::encode(bytes)));
  if (!line) return;
  if (!m_connection->isReady()) {
    m_pendingLines.push_back(*line);
    return;
  }
  m_connection->sendLine(*line);
}

void TerminalAttachSession::detach() {
  if (!markClosed()) return;
  auto self = m_self.lock();
  if (!self) return;
  QMetaObject::invokeMethod(this, [self] { self->writeDetach(); }, Qt::QueuedConnection);
}

void TerminalAttachSession::writeDetach() {
  if (!m_connection) return;
  m_pendingLines.clear();
  if (m_connection->isReady() && !m_connection->isFinished()) {
    if (const auto line = frame(std::string(CommandName::terminalDetach), CommandArguments::terminalDetach(m_sessionId))) {
      m_connection->sendLine(*line);
    }
  }
  m_connection->finish();
  m_connection.reset();
}

}  // namespace vesket::control_plane
