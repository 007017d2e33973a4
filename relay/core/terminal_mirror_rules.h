#pragma once

// The pure rules of the relay's live terminal client (TerminalMirrorClient): the attach
// URL and its re-open form, the reconnect back-off, what a dropped connection leads to,
// and the heartbeat. The client owns the socket and the timers; every decision is here.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vesket::relay {

// Reconnect delays: base × factor^attempt, capped, then half of it plus a jittered half.
struct Backoff {
  int baseMs = 500;
  int capMs = 8000;
  double factor = 2.0;
  std::function<double()> jitter;  // uniform in [0, 1); empty: a random one

  static Backoff mirror() { return Backoff{}; }
  int delayMs(int attempt) const;
};

// What the attach URL carries, in its order.
struct TerminalAttachParams {
  std::string paneId;
  std::optional<std::int64_t> cols;
  std::optional<std::int64_t> rows;
  std::string mode;  // "owned" stays, everything else is sent as "takeover"
  std::optional<bool> open;
  bool force = false;
  std::optional<std::int64_t> daemonId;
  std::optional<std::int64_t> historyLimit;
  std::map<std::string, std::string> openLatency;
};

namespace TerminalMirrorRules {

inline constexpr std::string_view kAttachPath = "/api/terminal/attach";
inline constexpr int kPingIntervalMs = 10000;
inline constexpr int kPongTimeoutMs = 15000;
inline constexpr int kMaxMissedPongs = 2;
inline constexpr std::string_view kSignInRequired =
    "Sign-in required — sign in to your account or re-pair this Mac, then reopen this terminal.";

// The relay base URL ("https://host") with the attach path, the scheme made ws(s), and the
// query items percent-encoded.
std::string attachURL(std::string_view base, const TerminalAttachParams& params);
// The URL a reconnect opens: "open" set to "0" (added when missing), "openId" removed,
// "openReason" set to "transport_reattach", so the relay does not count it as a new open.
std::string reopenURL(std::string_view url);
// The HTTP status of a refused WebSocket handshake, read from the socket's error text;
// nothing when the text names none.
std::optional<int> handshakeStatus(std::string_view errorText);

}  // namespace TerminalMirrorRules

// The client's state and what each event makes of it. Every open starts a new epoch; events
// of an older epoch change nothing.
class TerminalMirrorState {
 public:
  struct Drop {
    enum class Kind { ignore, fatal, reconnect };
    Kind kind = Kind::ignore;
    std::string message;  // fatal: what the listener's onError gets
    int attempt = 0;      // reconnect: the attempt number and its delay
    int delayMs = 0;
  };
  enum class PongCheck { nothing, pingAgain, reattach };

  // A new socket: the next epoch, the heartbeat from scratch.
  int opened();
  int epoch() const { return m_epoch; }
  bool isCurrent(int epoch) const { return epoch == m_epoch; }
  bool closedByUser() const { return m_closedByUser; }
  bool serverEnded() const { return m_serverEnded; }
  int attempt() const { return m_attempt; }
  int missedPongs() const { return m_missedPongs; }
  bool awaitingPong() const { return m_awaitingPong; }

  // A message of `epoch` arrived: true when it was current and the next ping is due to be
  // scheduled (a pong was awaited). Resets the missed pongs.
  bool heardFrom(int epoch);
  void ready() { m_attempt = 0; }
  void exited() { m_serverEnded = true; }
  void detached() { m_closedByUser = true; }
  // The ping timer fired: whether to send a ping (then a pong is awaited).
  bool pingDue();
  // The pong timer fired.
  PongCheck pongTimedOut();
  // The socket of `epoch` dropped: `httpStatus` when its handshake was answered with one.
  Drop dropped(int epoch, std::optional<int> httpStatus, const std::string& description, const Backoff& backoff);

 private:
  int m_epoch = 0;
  int m_attempt = 0;
  bool m_closedByUser = false;
  bool m_serverEnded = false;
  bool m_awaitingPong = false;
  int m_missedPongs = 0;
};

}  // namespace vesket::relay
