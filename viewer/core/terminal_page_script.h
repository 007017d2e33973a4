#pragma once

// The scripts the live terminal bridge runs in the terminal page. Every call is guarded
// ("window.__f && window.__f(...)"), so a page that lacks a function ignores it. Bytes
// travel as Base64 text; output, history and older history carry the attach generation
// they belong to, and the page drops calls of a generation older than the newest it saw.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vesket::viewer::TerminalPageScript {

// Page functions, by name.
inline constexpr std::string_view kTermWrite = "__termWrite";
inline constexpr std::string_view kTermHistoryChunk = "__termHistoryChunk";
inline constexpr std::string_view kTermHistoryEnd = "__termHistoryEnd";
inline constexpr std::string_view kTermOlderChunk = "__termOlderChunk";
inline constexpr std::string_view kTermOlderEnd = "__termOlderEnd";
inline constexpr std::string_view kTermResize = "__termResize";
inline constexpr std::string_view kRefit = "__refit";
inline constexpr std::string_view kReconcileMode = "__reconcileMode";
inline constexpr std::string_view kMeasureAttachGeometry = "__measureAttachGeometry";
inline constexpr std::string_view kArmFirstReadableFrame = "__armFirstReadableFrame";
inline constexpr std::string_view kSetImeArmed = "__setImeArmed";
inline constexpr std::string_view kSetMouseMode = "__setMouseMode";
inline constexpr std::string_view kSetDesktopWheelMode = "__setDesktopWheelMode";
inline constexpr std::string_view kTermGetSelection = "__termGetSelection";
inline constexpr std::string_view kTermInit = "__termInit";
inline constexpr std::string_view kTermFlowState = "__termFlowState";

// Display modes (__reconcileMode): the pane's own size mirrored, or the pane taken over at
// the view's width.
inline constexpr std::string_view kModeMirror = "mirror";
inline constexpr std::string_view kModeTakeover = "takeover";

// Wheel modes (__setDesktopWheelMode): scroll the page's scroll-back, send arrow keys (an
// application on the alternate screen without mouse reporting), or report the wheel to the
// application (mouse reporting on).
inline constexpr std::string_view kWheelScrollback = "scrollback";
inline constexpr std::string_view kWheelArrows = "arrows";
inline constexpr std::string_view kWheelMouse = "mouse";
std::string_view wheelModeFor(bool mouseReporting, bool alternateScreen);

// Pane output. `superseded`: the frame was superseded natively (the page writes it but does
// not trace it); `traceSequence`: the input trace the output answers, if any.
std::string write(std::string_view bytes, std::int64_t generation, bool superseded,
                  std::optional<std::uint64_t> traceSequence);
// A chunk of scroll-back history; `reset` clears the terminal first (the first chunk of a
// session).
std::string historyChunk(std::string_view bytes, std::int64_t generation, bool reset);
// End of the history stream; `reset` clears the terminal when no chunk came.
std::string historyEnd(std::int64_t generation, bool reset);
// Older history asked for by the page, and the end of one page of it.
std::string olderChunk(std::string_view bytes, std::int64_t generation);
std::string olderEnd(std::int64_t generation, bool atTop, std::int64_t lines);
std::string resize(int cols, int rows);
std::string refit();
std::string reconcileMode(std::string_view mode);
// Returns {cols, rows, settled} to the caller of the evaluation.
std::string measureAttachGeometry();
// Evaluates to true once the page's font metrics are settled.
std::string metricsSettled();
std::string armFirstReadableFrame();
std::string setImeArmed(bool armed);
// `encoding`: "sgr", "utf8", "urxvt" or none for the default X10 encoding.
std::string setMouseMode(bool enabled, std::optional<std::string_view> encoding);
std::string setDesktopWheelMode(std::string_view mode);
// Evaluates to the selected text ("" when none).
std::string getSelection();
// `optionsJson`: a JSON object (see the page's __termInit).
std::string init(std::string_view optionsJson);
// Evaluates to {queuedBytes, writtenBytes, acknowledgedBytes, droppedBytes}.
std::string flowState();

// `text` as a single-quoted JavaScript string literal.
std::string quoted(std::string_view text);

}  // namespace vesket::viewer::TerminalPageScript
