#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "control_plane/core/json_value.h"
#include "control_plane/event_stream.h"

namespace vesket::control_plane {

class NDJSONConnection;

// A two-way byte channel to one pane's terminal over the control socket ("terminal-attach").
//
// The session owns one connection: it writes the attach request when the socket becomes
// ready, yields the pane's output bytes on `events()` (Base64 on the wire, raw bytes here),
// and writes the caller's input ("terminal-input") and the final "terminal-detach" on the
// same connection. Its socket work runs serially through this object on the thread that
// created it; input() and detach() may be called from any thread. Input given on that
// thread is written at once (a keystroke does not wait for the loop's next pass) unless
// input queued from another thread still waits, so keys keep their order.
//
// A session is open until it closes, once: by detach(), by the daemon's `done` or failure
// line, by a rejected input frame, or by the connection ending. Nothing reopens it; to
// reattach, create a new session (with a new attach id). After closing, input is dropped
// and no more bytes are yielded. Ending `events` because of a line from the daemon leaves
// the socket open until the daemon closes it; detach() ends the connection but not
// `events` (the consumer that detaches stops reading by itself; cancelling the consumer is
// the usual way, and that detaches).
class TerminalAttachSession : public QObject {
  Q_OBJECT

 public:
  // Called once when the socket becomes ready, just before the attach request is written.
  using ConnectSentHandler = std::function<void()>;

  // Starts connecting at once. Failures that happen before the connection exists end
  // `events` straight away: DaemonUnavailable "socket not reachable: <path>" for a missing
  // socket or a path that is too long, protocolError "terminal-attach: frame not
  // encodable" for arguments that cannot be written as UTF-8.
  static std::shared_ptr<TerminalAttachSession> create(std::string socketPath,
                                                       std::optional<std::string> token,
                                                       JSONObject args,
                                                       ConnectSentHandler onConnectSent = nullptr);
  ~TerminalAttachSession() override;

  // The id of the attach request (a fresh upper-case UUID).
  const std::string& attachId() const { return m_attachId; }
  // "local-" followed by the attach id; names the session in input and detach frames.
  const std::string& sessionId() const { return m_sessionId; }

  // The pane's terminal output. There is one consumer: call this once. Cancelling the
  // returned stream (or letting go of it) before its end detaches the session.
  EventStream<std::string> events();

  // Sends bytes to the pane. Never fails and never blocks; dropped once the session is
  // closed. Input given before the socket is ready goes out right after the attach request.
  void input(std::string bytes);

  // Ends the session: writes "terminal-detach" (when connected) and closes the connection.
  // Safe to call more than once and from any thread; only the first call does anything.
  void detach();

  bool isClosed() const;

 private:
  TerminalAttachSession(std::optional<std::string> token, ConnectSentHandler onConnectSent);

  void start(const std::string& socketPath, JSONObject args);
  void onReady();
  void onLine(const std::string& line);
  void onClose(std::exception_ptr error);
  // Closes the session if it is still open and ends `events`; false when it was closed.
  bool closeWith(std::exception_ptr error);
  bool markClosed();
  void writeInput(const std::string& bytes);
  void writeDetach();
  // A request frame for this session, or nothing when it cannot be encoded.
  std::optional<std::string> frame(const std::string& cmd, JSONObject args) const;

  const std::optional<std::string> m_token;
  const std::string m_attachId;
  const std::string m_sessionId;
  ConnectSentHandler m_onConnectSent;
  std::weak_ptr<TerminalAttachSession> m_self;
  std::shared_ptr<detail::EventChannel<std::string>> m_events;
  std::unique_ptr<NDJSONConnection> m_connection;
  std::string m_attachLine;
  std::vector<std::string> m_pendingLines;  // input written before the socket was ready

  mutable std::mutex m_lock;  // guards m_closed
  bool m_closed = false;
  std::atomic<int> m_queuedInputs{0};  // input() calls from other threads not yet written
};

}  // namespace vesket::control_plane
