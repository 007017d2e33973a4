#include "daemon/relay_link.h"

#include <QAbstractSocket>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>
#include <utility>

#include "control_plane/core/base64.h"
#include "daemon/build_info.h"
#include "daemon/command_dispatcher.h"
#include "daemon/control_connection.h"
#include "daemon/core/terminal_attach_request.h"
#include "daemon/terminal_attach_service.h"
#include "relay/core/daemon_link_frame.h"

namespace vesket::daemon {
namespace {

namespace LinkFrame = relay::DaemonLinkFrame;

constexpr quint64 kMaxIncomingMessageBytes = 64 * 1024 * 1024;
// Request bytes the connection has not read yet (it reads no further while its requests in
// flight are at their limit); a relay that sends more than this is not waiting for answers.
constexpr qsizetype kMaxUnreadBytes = 2 * static_cast<qsizetype>(kMaxIncomingMessageBytes);

std::string compact(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

// The link's control connection's transport: request lines from the relay wait here until
// the connection reads them; what the connection writes goes straight into the WebSocket.
class LinkTransport final : public ConnectionTransport {
 public:
  explicit LinkTransport(RelayLink& link) : m_link(link) {}

  bool isOpen() const override { return m_open; }
  qint64 bytesAvailable() const override { return m_unread.size(); }
  QByteArray readAll() override { return std::exchange(m_unread, {}); }
  void write(std::string_view line) override {
    if (m_open) m_link.sendLine(line);
  }
  qint64 bytesToWrite() const override { return m_open ? m_link.queuedBytes() : 0; }
  bool writeFrame(const std::string& streamId, std::string_view frame) override {
    return m_open && m_link.sendFrame(streamId, frame);
  }
  // The connection gave up on the link (a limit broken): the link is made again.
  void close() override { abort(); }
  void abort() override {
    if (!m_open) return;
    m_link.dropLink(QStringLiteral("its control connection closed"));
    end();
  }

  // A request line from the relay, read at once unless the connection is busy.
  void receive(std::string_view line) {
    if (!m_open) return;
    if (m_unread.size() + static_cast<qsizetype>(line.size()) > kMaxUnreadBytes) {
      qWarning().noquote() << "relay link: the relay sent more than" << kMaxUnreadBytes
                           << "bytes of requests without waiting for answers";
      abort();
      return;
    }
    m_unread.append(line.data(), static_cast<qsizetype>(line.size()));
    emit readyRead();
  }
  void wrote() {
    if (m_open) emit bytesWritten();
  }
  // The link is gone: the connection ends its streams and goes.
  void end() {
    if (!m_open) return;
    m_open = false;
    m_unread.clear();
    emit disconnected();
  }

 private:
  RelayLink& m_link;
  QByteArray m_unread;
  bool m_open = true;
};

RelayLink::RelayLink(DaemonPaths paths, CommandDispatcher& dispatcher, std::vector<StreamService*> streamServices,
                     Options options, QObject* parent)
    : QObject(parent),
      m_paths(std::move(paths)),
      m_dispatcher(dispatcher),
      m_streamServices(std::move(streamServices)),
      m_options(options) {
  for (StreamService* service : m_streamServices) {
    if (auto* attach = dynamic_cast<TerminalAttachService*>(service)) m_attachService = attach;
  }
  m_reloadTimer.setSingleShot(true);
  m_reloadTimer.setInterval(100);
  connect(&m_reloadTimer, &QTimer::timeout, this, &RelayLink::reloadSettings);
  connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_reloadTimer.start(); });
  connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_reloadTimer.start(); });
  m_reconnectTimer.setSingleShot(true);
  connect(&m_reconnectTimer, &QTimer::timeout, this, &RelayLink::connectNow);
  m_pingTimer.setInterval(m_options.pingIntervalMs);
  connect(&m_pingTimer, &QTimer::timeout, this, &RelayLink::checkSilence);
}

RelayLink::~RelayLink() { stop(); }

const char* RelayLink::stateName(State state) {
  switch (state) {
    case State::unpaired: return "unpaired";
    case State::connecting: return "connecting";
    case State::connected: return "connected";
    case State::reconnecting: return "reconnecting";
    case State::unauthorized: return "unauthorized";
    case State::stopped: return "stopped";
  }
  return "unpaired";
}

nlohmann::json RelayLink::status() const {
  nlohmann::json status = {{"connected", m_state == State::connected}, {"transportState", stateName(m_state)}};
  if (m_userId) status["userId"] = *m_userId;
  if (m_daemonId) status["daemonId"] = *m_daemonId;
  return status;
}

void RelayLink::setState(State state) {
  if (m_state == state) return;
  m_state = state;
  qInfo().noquote() << "relay link:" << stateName(state);
}

void RelayLink::start() {
  m_watcher.addPath(m_paths.daemonDir());
  reloadSettings();
}

void RelayLink::stop() {
  m_reconnectTimer.stop();
  m_pingTimer.stop();
  m_state = State::stopped;
  if (m_socket) {
    QWebSocket* socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->close(QWebSocketProtocol::CloseCodeGoingAway, QStringLiteral("daemon stopping"));
    socket->deleteLater();
  }
  closeLocalConnection();
}

// --- settings -----------------------------------------------------------------------

void RelayLink::reloadSettings() {
  if (m_state == State::stopped) return;
  const QString envPath = m_paths.envFile();
  // An atomic rewrite replaces the file, which ends a watch on it: watch it again.
  if (QFileInfo::exists(envPath) && !m_watcher.files().contains(envPath)) m_watcher.addPath(envPath);
  QByteArray text;
  QFile file(envPath);
  if (file.open(QIODevice::ReadOnly)) text = file.read(256 * 1024);
  std::string problem;
  const auto settings = RelayLinkSettings::fromEnv(EnvFile::parse(text.toStdString()), &problem);
  if (settings == m_settings && m_state != State::unpaired) return;
  if (settings == m_settings && !settings) return;
  m_settings = settings;
  m_reconnectTimer.stop();
  if (m_socket) {
    QWebSocket* socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    closeLocalConnection();
  }
  m_userId.reset();
  m_daemonId.reset();
  m_attempt = 0;
  if (!m_settings) {
    if (!problem.empty()) qWarning().noquote() << "relay link: not linking:" << QString::fromStdString(problem);
    setState(State::unpaired);
    return;
  }
  qInfo().noquote() << "relay link: linking to" << QString::fromStdString(m_settings->url);
  connectNow();
}

// --- the WebSocket ------------------------------------------------------------------

void RelayLink::connectNow() {
  if (!m_settings || m_state == State::stopped) return;
  if (m_socket) {
    m_socket->disconnect(this);
    m_socket->abort();
    m_socket->deleteLater();
  }
  m_refused = false;
  setState(m_attempt == 0 ? State::connecting : State::reconnecting);
  m_socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
  m_socket->setMaxAllowedIncomingMessageSize(kMaxIncomingMessageBytes);
  connect(m_socket, &QWebSocket::connected, this, &RelayLink::onConnected);
  connect(m_socket, &QWebSocket::disconnected, this, &RelayLink::onDisconnected);
  connect(m_socket, &QWebSocket::textMessageReceived, this, &RelayLink::onTextMessage);
  connect(m_socket, &QWebSocket::binaryMessageReceived, this, &RelayLink::onBinaryMessage);
  connect(m_socket, &QWebSocket::pong, this, [this] { m_sinceHeard.restart(); });
  connect(m_socket, &QWebSocket::bytesWritten, this, [this] {
    if (m_transport) static_cast<LinkTransport*>(m_transport.data())->wrote();
  });
  // Qt 6.4 names the signal error(); errorOccurred() came later.
  connect(m_socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this, [this](QAbstractSocket::SocketError) {
    const QString reason = m_socket ? m_socket->errorString() : QString();
    // The handshake's answer is only in the error text ("... 401 ...").
    if (reason.contains(QStringLiteral("401")) || reason.contains(QStringLiteral("403"))) m_refused = true;
    qInfo().noquote() << "relay link: error:" << reason;
    if (m_socket && m_socket->state() == QAbstractSocket::UnconnectedState) onDisconnected();
  });
  QNetworkRequest request(QUrl(QString::fromStdString(m_settings->url)));
  request.setRawHeader("Authorization", QByteArray("Bearer ") + QByteArray::fromStdString(m_settings->token));
  m_socket->open(request);
}

void RelayLink::onConnected() {
  // Terminal frames are small and answered at once: no Nagle delay (QWebSocket owns its TCP
  // socket as a child and offers no option for it).
  if (auto* tcp = m_socket->findChild<QAbstractSocket*>()) tcp->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  // Connected once the relay's hello has arrived: from then on the relay can reach us.
  m_attempt = 0;
  openLocalConnection();
  m_sinceHeard.restart();
  m_pingTimer.start();
}

void RelayLink::onDisconnected() {
  if (!m_socket) return;
  QWebSocket* socket = m_socket;
  m_socket = nullptr;
  socket->disconnect(this);
  socket->deleteLater();
  // The relay closes a revoked daemon's link with 4001.
  if (socket->closeCode() == 4001) m_refused = true;
  m_pingTimer.stop();
  closeLocalConnection();
  if (m_state == State::stopped || !m_settings) return;
  scheduleReconnect(m_refused);
}

void RelayLink::scheduleReconnect(bool refused) {
  const int delay = refused ? RelayLinkBackoff::kCapMs
                            : RelayLinkBackoff::delayMs(m_attempt, QRandomGenerator::global()->generateDouble());
  ++m_attempt;
  setState(refused ? State::unauthorized : State::reconnecting);
  qInfo().noquote() << "relay link: next attempt in" << delay << "ms";
  m_reconnectTimer.start(delay);
}

void RelayLink::checkSilence() {
  if (!m_socket) return;
  if (m_sinceHeard.elapsed() > m_options.silenceLimitMs) {
    qInfo().noquote() << "relay link: silent for" << m_sinceHeard.elapsed() << "ms; linking again";
    m_socket->abort();
    return;
  }
  m_socket->ping();
}

void RelayLink::onTextMessage(const QString& message) {
  m_sinceHeard.restart();
  nlohmann::json request = nlohmann::json::parse(message.toStdString(), nullptr, false);
  if (!request.is_object()) return;  // not a request; the relay never sends such
  const auto cmd = request.find("cmd");
  const auto id = request.find("id");
  if (cmd != request.end() && *cmd == LinkFrame::kHelloCommand) {
    const nlohmann::json args = request.value("args", nlohmann::json::object());
    if (args.is_object() && args.value("userId", nlohmann::json()).is_number_integer()) {
      m_userId = args["userId"].get<std::int64_t>();
    }
    if (args.is_object() && args.value("daemonId", nlohmann::json()).is_number_integer()) {
      m_daemonId = args["daemonId"].get<std::int64_t>();
    }
    qInfo().noquote() << "relay link: linked as daemon" << m_daemonId.value_or(0) << "of user" << m_userId.value_or(0);
    setState(State::connected);
    if (id != request.end() && id->is_string() && m_socket) {
      const nlohmann::json reply = {
          {"id", *id},
          {"ok", true},
          {"data", {{"daemonSessionId", m_dispatcher.context().daemonSessionId.toStdString()},
                    {"version", BuildInfo::version()}}}};
      m_socket->sendTextMessage(QString::fromStdString(compact(reply)));
    }
    return;
  }
  const std::string key(LinkFrame::kStreamKey);
  if (const auto stream = request.find(key); stream != request.end()) {
    if (stream->is_number_unsigned() && cmd != request.end() && *cmd == "terminal-attach" && id != request.end() &&
        id->is_string() && stream->get<std::uint64_t>() <= UINT32_MAX) {
      const auto number = static_cast<std::uint32_t>(stream->get<std::uint64_t>());
      m_attachByStream[number] = id->get<std::string>();
      m_streamByAttach[id->get<std::string>()] = number;
    }
    request.erase(key);
  }
  writeLocal(compact(request) + '\n');
}

void RelayLink::onBinaryMessage(const QByteArray& message) {
  m_sinceHeard.restart();
  const auto frame = LinkFrame::decode(std::string_view(message.constData(), static_cast<std::size_t>(message.size())));
  if (!frame) return;
  const auto attach = m_attachByStream.find(frame->stream);
  if (attach == m_attachByStream.end()) return;  // a stream that has ended
  if (m_attachService && m_connection && m_connection->caughtUp()) {
    // Every earlier request has been handled, so this frame cannot overtake its attach:
    // straight to the session, without the request line's JSON and Base64.
    try {
      m_attachService->takeInput(*m_connection, {terminalAttachSessionId(attach->second), std::string(frame->frame)});
    } catch (const std::exception&) {
      // As for a "terminal-input" line the relay would not read the refusal of: the stream's
      // own end tells the viewer.
    }
    return;
  }
  const nlohmann::json input = {
      {"id", "link-input-" + std::to_string(++m_inputSequence)},
      {"cmd", "terminal-input"},
      {"args", {{"sessionId", terminalAttachSessionId(attach->second)}, {"data", control_plane::Base64::encode(frame->frame)}}}};
  writeLocal(compact(input) + '\n');
}

// --- the daemon side ----------------------------------------------------------------

void RelayLink::openLocalConnection() {
  closeLocalConnection();
  ControlConnection::Limits limits;
  limits.maxRequestsInFlight = m_options.requestsInFlight;
  m_transport = new LinkTransport(*this);
  // The relay authenticated this link with the daemon token: no control token on top.
  m_connection = new ControlConnection(m_transport, m_dispatcher, m_streamServices, QString(), limits, this);
}

void RelayLink::closeLocalConnection() {
  m_attachByStream.clear();
  m_streamByAttach.clear();
  // The connection ends its streams (terminal sessions hand their pane sizes back) and goes.
  if (m_transport) static_cast<LinkTransport*>(m_transport.data())->end();
  m_transport = nullptr;
  m_connection = nullptr;
}

void RelayLink::writeLocal(std::string_view line) {
  if (m_transport) static_cast<LinkTransport*>(m_transport.data())->receive(line);
}

void RelayLink::dropLink(const QString& reason) {
  qInfo().noquote() << "relay link: dropping the link:" << reason;
  // Not from within the connection's own call: the WebSocket goes on the next pass, and a
  // link made since then is left alone.
  QPointer<QWebSocket> socket = m_socket;
  QTimer::singleShot(0, this, [this, socket] {
    if (socket && socket == m_socket) m_socket->abort();
  });
}

qint64 RelayLink::queuedBytes() const { return m_socket ? m_socket->bytesToWrite() : 0; }

void RelayLink::sendLine(std::string_view line) {
  if (!m_socket) return;
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!m_streamByAttach.empty()) {
    // The end of an attach stream (its "done" or its failure) ends its stream number too.
    const auto json = nlohmann::json::parse(line, nullptr, false);
    const auto id = json.is_object() ? json.find("id") : json.end();
    if (id != json.end() && id->is_string()) {
      const auto attach = m_streamByAttach.find(id->get<std::string>());
      if (attach != m_streamByAttach.end() &&
          ((json.contains("done") && json["done"] == true) || (json.contains("ok") && json["ok"] == false))) {
        m_attachByStream.erase(attach->second);
        m_streamByAttach.erase(attach);
      }
    }
  }
  const bool idle = m_socket->bytesToWrite() == 0;
  m_socket->sendTextMessage(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
  // The WebSocket's TCP socket would send on the loop's next pass: an answer leaves now,
  // unless earlier messages still wait (those leave as the socket takes them).
  if (idle) m_socket->flush();
}

bool RelayLink::sendFrame(const std::string& attachId, std::string_view frame) {
  const auto attach = m_streamByAttach.find(attachId);
  if (attach == m_streamByAttach.end()) return false;
  if (!m_socket) return true;
  const std::string message = LinkFrame::encode(attach->second, frame);
  const bool idle = m_socket->bytesToWrite() == 0;
  m_socket->sendBinaryMessage(QByteArray(message.data(), static_cast<qsizetype>(message.size())));
  if (idle) m_socket->flush();
  return true;
}

}  // namespace vesket::daemon
