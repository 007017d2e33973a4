// The state of the selected pane's text and the rules of its polling, kept apart from the
// store that owns the timer and the capture source: the store feeds captures and failures
// in and turns the returned effects into published values and callbacks.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "viewer/core/awaiting_prompt.h"
#include "viewer/core/line_differ.h"

namespace vesket::viewer {

enum class LoadPhase { loading, loaded, empty };
enum class CaptureHealth { waiting, live, retrying };
enum class PaneActivity { running, idle };

// What the text view tells the reader about the text it shows: still loading, never read
// (captures fail), read but blank, current, or stale (the last good text stays while
// captures fail), so that text that no longer updates never looks live.
enum class PaneTextFeed { loading, failed, empty, live, stale };
PaneTextFeed paneTextFeedOf(LoadPhase phase, CaptureHealth health);

namespace PaneContentPolling {

inline constexpr std::chrono::milliseconds kRunningInterval{350};
inline constexpr std::chrono::milliseconds kIdleInterval{2000};
// Each attempt before the first successful capture of a selection is limited to 2 s.
inline constexpr std::chrono::milliseconds kFirstCaptureTimeout{2000};
// A failure before any success is retried quickly.
inline constexpr std::chrono::milliseconds kEarlyRetryDelay{250};
// Kicks (after the user typed) closer together than this are dropped.
inline constexpr std::chrono::milliseconds kKickSpacing{150};
// The buffer size of the pane text view.
inline constexpr std::size_t kScrollbackCap = 500;

// The time limit of the next capture: 2 s until the loop's first success, none after.
std::optional<std::chrono::milliseconds> captureTimeout(bool hadSuccess);
std::chrono::milliseconds intervalFor(PaneActivity activity);
// The pause before the next attempt.
std::chrono::milliseconds delayAfterSuccess(PaneActivity activity);
std::chrono::milliseconds delayAfterFailure(PaneActivity activity, bool hadSuccess);

}  // namespace PaneContentPolling

// Lets a kick through when none came in the last 0.15 s.
class KickLimiter {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  // True (and `now` remembered) when the kick should restart polling.
  bool admit(TimePoint now);
  const std::optional<TimePoint>& lastKickAt() const { return m_lastKickAt; }

 private:
  std::optional<TimePoint> m_lastKickAt;
};

class PaneContentState {
 public:
  // What an operation changed; the store publishes and calls back for each flag.
  struct Effects {
    LineDiffer::Change change;  // `none` when the view needs nothing
    bool isEmptyChanged = false;
    bool loadPhaseChanged = false;
    bool captureHealthChanged = false;
    bool awaitingChanged = false;
  };

  explicit PaneContentState(std::size_t maxLines = PaneContentPolling::kScrollbackCap);

  // A new selection or a forced refresh: empty buffer, nothing captured, `waiting`, no
  // prompt; the change is `replace` with no lines.
  Effects reset();
  // One capture's raw text: awaiting detection on the raw text, the agent's input box
  // removed when hidden, the rest diffed into the buffer.
  Effects ingest(std::string_view raw);
  // A capture failed: the buffer stays, health goes `retrying`.
  Effects captureFailed();
  Effects clearAwaiting();
  // Whether a recreated view can be redrawn from the buffer (else the store resets), and
  // the change that redraws it.
  bool canResync() const { return !m_differ.lines().empty(); }
  LineDiffer::Change resyncChange() const { return LineDiffer::Change::replace(m_differ.lines()); }

  bool hideAgentInputChrome = true;

  bool isEmpty() const { return m_isEmpty; }
  bool hasCaptured() const { return m_hasCaptured; }
  LoadPhase loadPhase() const { return m_loadPhase; }
  CaptureHealth captureHealth() const { return m_captureHealth; }
  const std::optional<AwaitingPrompt>& awaitingPrompt() const { return m_awaitingPrompt; }
  const std::optional<std::string>& lastRawCapture() const { return m_lastRawCapture; }
  const LineDiffer& differ() const { return m_differ; }

  // `loaded` when a buffer line has a character that is not white space, else `empty` once
  // something was captured, else `loading`.
  static LoadPhase loadPhaseOf(const LineDiffer& differ, bool hasCaptured);

 private:
  bool setHealth(CaptureHealth health);
  bool setIsEmpty(bool isEmpty);
  bool recomputeLoadPhase();

  LineDiffer m_differ;
  std::optional<std::string> m_lastRawCapture;
  std::optional<AwaitingPrompt> m_awaitingPrompt;
  bool m_isEmpty = true;
  bool m_hasCaptured = false;
  LoadPhase m_loadPhase = LoadPhase::loading;
  CaptureHealth m_captureHealth = CaptureHealth::waiting;
};

}  // namespace vesket::viewer
