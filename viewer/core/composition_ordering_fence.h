#pragma once

// Keeps keystrokes in order with input-method compositions. While a composition is in
// flight (the page reported its start), bytes typed meanwhile are held; when the
// composition ends they follow its committed text, 0.05 s after the end is observed, or
// after 2.0 s when no end is ever observed. Outside a composition bytes pass at once.
//
// Time comes in through `scheduleAfter`, which runs a closure after a delay on the main
// queue and returns a function that cancels it; the fence cancels every pending closure
// before it is destroyed.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vesket::viewer {

class CompositionOrderingFence {
 public:
  using Trace = std::optional<std::uint64_t>;  // input trace sequence, for latency tracing
  using Cancel = std::function<void()>;

  struct Callbacks {
    std::function<void(const std::string& bytes)> send;  // to the transport
    std::function<void(std::uint64_t trace)> willSend;   // called before sending traced bytes
    std::function<Cancel(std::chrono::milliseconds delay, std::function<void()> run)> scheduleAfter;
  };

  struct Held {
    std::string bytes;
    Trace trace;
    friend bool operator==(const Held&, const Held&) = default;
  };

  static constexpr std::chrono::milliseconds kBound{2000};
  static constexpr std::chrono::milliseconds kGrace{50};

  explicit CompositionOrderingFence(Callbacks callbacks) : m_callbacks(std::move(callbacks)) {}
  ~CompositionOrderingFence();
  CompositionOrderingFence(const CompositionOrderingFence&) = delete;
  CompositionOrderingFence& operator=(const CompositionOrderingFence&) = delete;

  // Sends at once outside a composition, else holds the bytes.
  void hold(std::string bytes, Trace trace = std::nullopt);
  // A composition started: earlier held bytes are dropped, the 2.0 s bound restarts.
  void begin();
  // The page saw the composition end: resolve after the 0.05 s grace.
  void compositionEndObserved();
  // Ends the composition and sends the held bytes in order.
  void resolve();
  // The view goes away: drop held bytes and cancel the timers.
  void discardOnTeardown();

  bool isInFlight() const { return m_isInFlight; }
  const std::vector<Held>& heldBytes() const { return m_heldBytes; }

 private:
  void sendNow(const std::string& bytes, const Trace& trace);
  static void cancel(Cancel& timer);

  Callbacks m_callbacks;
  bool m_isInFlight = false;
  std::vector<Held> m_heldBytes;
  Cancel m_boundTimer;
  Cancel m_graceTimer;
};

}  // namespace vesket::viewer
