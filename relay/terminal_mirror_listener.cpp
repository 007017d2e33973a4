#include "relay/terminal_mirror_listener.h"

#include <type_traits>
#include <variant>

namespace vesket::relay::TerminalMirrorFrames {

void dispatch(const TerminalProtocol::Frame& frame, TerminalMirrorListener& listener) {
  namespace P = TerminalProtocol;
  std::visit(
      [&](const auto& f) {
        using F = std::decay_t<decltype(f)>;
        if constexpr (std::is_same_v<F, P::Output>) {
          listener.onOutput(f.bytes);
        } else if constexpr (std::is_same_v<F, P::Ready>) {
          listener.onReady(f.payload);
        } else if constexpr (std::is_same_v<F, P::Exit>) {
          listener.onExit(f.payload);
        } else if constexpr (std::is_same_v<F, P::Error>) {
          listener.onError(f.payload.message);
        } else if constexpr (std::is_same_v<F, P::Geometry>) {
          listener.onGeometry(f.cols, f.rows);
        } else if constexpr (std::is_same_v<F, P::History>) {
          listener.onHistory(f.bytes);
        } else if constexpr (std::is_same_v<F, P::HistoryEnd>) {
          listener.onHistoryEnd();
        } else if constexpr (std::is_same_v<F, P::HistoryOlder>) {
          listener.onHistoryOlder(f.bytes);
        } else if constexpr (std::is_same_v<F, P::HistoryOlderEnd>) {
          listener.onHistoryOlderEnd(f.payload.atTop, f.payload.lines);
        } else if constexpr (std::is_same_v<F, P::Pong>) {
          if (f.payload.mode) listener.onPongMode(*f.payload.mode);
        } else if constexpr (std::is_same_v<F, P::MouseMode>) {
          listener.onMouseMode(f.payload.enabled);
          listener.onDesktopWheelMode(f.payload);
        }
        // Ping and Unknown: nothing.
      },
      frame);
}

}  // namespace vesket::relay::TerminalMirrorFrames
