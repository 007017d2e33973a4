#pragma once

#include <string>

namespace vesket::control_plane {

// Where the reconnecting pane watch stands with the daemon. `attempt` is only meaningful
// for `reconnecting` (consecutive failed attempts, from 1); equality compares both.
struct ConnectionState {
  enum class Kind { idle, connecting, connected, unavailable, reconnecting };

  Kind kind = Kind::idle;
  int attempt = 0;

  static ConnectionState idle() { return {Kind::idle, 0}; }
  static ConnectionState connecting() { return {Kind::connecting, 0}; }
  static ConnectionState connected() { return {Kind::connected, 0}; }
  static ConnectionState unavailable() { return {Kind::unavailable, 0}; }
  static ConnectionState reconnecting(int attempt) { return {Kind::reconnecting, attempt}; }

  bool operator==(const ConnectionState&) const = default;

  // For logs and test messages: "idle", "reconnecting(2)", ...
  std::string debugName() const;
};

// Exponential back-off between reconnection attempts.
struct BackoffSchedule {
  double base = 0.5;  // seconds
  double cap = 8.0;   // seconds

  static constexpr BackoffSchedule standard() { return {0.5, 8.0}; }

  // Attempts below 1 wait `base` (uncapped); otherwise base * 2^min(n, 30), capped.
  double delay(int attempt) const;

  bool operator==(const BackoffSchedule&) const = default;
};

}  // namespace vesket::control_plane
