#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <qcoro/qcorotask.h>

#include "daemon/core/request_frame.h"
#include "daemon/core/request_line_reader.h"

namespace vesket::daemon {

class CommandDispatcher;
class ConnectionTransport;
class StreamService;

// One client connection on the control socket, or the relay link's connection (see
// ConnectionTransport).
//
// Reads request lines (bounded: a client sending more than `maxLineBytes` without a line
// feed gets an error line and is closed), answers each with lines carrying the request's
// id, and is the only writer of its socket. Unary requests run concurrently, each as its
// own coroutine (at most `maxRequestsInFlight` at once); a reply whose connection has
// gone is dropped. Streaming commands go to the StreamService that serves them. Outgoing
// bytes are bounded too: a client that stops reading is closed once `maxQueuedBytes` wait
// for it, and a stream behind more than `streamBacklogBytes` keeps only its newest event,
// so a slow reader never holds up anyone else.
//
// A client must keep its side open until its replies have arrived: end of input closes
// the connection (QLocalSocket has no half-closed state).
//
// Every way a connection ends (the client leaves, a limit is broken, the socket fails, the
// daemon stops) goes through `close`: the stream services hear `connectionClosed` once,
// what is queued gets two seconds to leave, `finished` is emitted and the connection
// deletes itself. Owners only count it.
class ControlConnection : public QObject {
  Q_OBJECT

 public:
  struct Limits {
    std::size_t maxLineBytes = RequestLineReader::kDefaultMaxPendingBytes;
    qint64 maxQueuedBytes = 32 * 1024 * 1024;
    qint64 streamBacklogBytes = 1024 * 1024;
    // Requests of one client carried out at the same time; later lines wait unread, so a
    // client flooding requests cannot crowd out the others on the shared tmux client.
    int maxRequestsInFlight = 16;
    // Clients the server serves at once (kept below the descriptor limit, see ControlServer).
    int maxConnections = 512;
  };

  // Takes ownership of the transport.
  ControlConnection(ConnectionTransport* transport, CommandDispatcher& dispatcher,
                    std::vector<StreamService*> streamServices, QString requiredToken, Limits limits,
                    QObject* parent = nullptr);
  ~ControlConnection() override;

  // Queues one complete line (ending in "\n").
  void sendLine(const std::string& line);
  // Queues a stream event; while the client lags, replaces the stream's unsent event.
  void sendStreamEvent(const std::string& id, std::string line);
  // Sends one terminal frame of stream `id` as it is, where the transport carries frames of
  // their own; false when the caller is to send it as an event line instead.
  bool sendFrame(const std::string& id, std::string_view frame);

  bool isOpen() const;
  // Open, and every complete request line it was given has been handled: nothing waits in
  // its backlog or unread in its transport.
  bool caughtUp() const;
  // Bytes written but not yet taken by the client (0 once closed).
  qint64 queuedBytes() const;

 signals:
  // The connection is over; it is deleted once control returns to the event loop.
  void finished(vesket::daemon::ControlConnection* connection);
  // The client took some of the queued bytes: streams that hold output back may write.
  void drained();

 private:
  void onReadyRead();
  void onBytesWritten();
  // Cuts off a client that lets more than `maxQueuedBytes` wait for it.
  void checkQueue();
  void handleLine(const std::string& line);
  void drainBacklog();
  QCoro::Task<void> runUnary(RequestFrame frame);
  void close(const QString& reason);
  void finish();
  void endStreams();

  ConnectionTransport* m_transport;
  CommandDispatcher& m_dispatcher;
  std::vector<StreamService*> m_streamServices;
  QString m_requiredToken;
  Limits m_limits;
  RequestLineReader m_reader;
  std::deque<std::string> m_backlog;  // complete lines not yet handled
  int m_inFlight = 0;
  std::map<std::string, std::string> m_pendingEvents;  // stream id → newest unsent line
  bool m_closing = false;
  bool m_finished = false;
};

}  // namespace vesket::daemon
