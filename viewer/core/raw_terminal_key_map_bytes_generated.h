// The byte tables of the raw terminal keyboard: what an xterm-compatible terminal sends for
// the keys that have no character of their own.
#pragma once

#include <optional>
#include <string_view>

namespace vesket::viewer::RawTerminalKeyMapBytesGenerated {

namespace Fixed {
inline constexpr std::string_view escape = "\x1B";
inline constexpr std::string_view tab = "\x09";
inline constexpr std::string_view enter = "\x0D";
inline constexpr std::string_view backspace = "\x7F";
inline constexpr std::string_view up = "\x1B[A";
inline constexpr std::string_view down = "\x1B[B";
inline constexpr std::string_view right = "\x1B[C";
inline constexpr std::string_view left = "\x1B[D";
inline constexpr std::string_view home = "\x1B[H";
inline constexpr std::string_view end = "\x1B[F";
inline constexpr std::string_view pageUp = "\x1B[5~";
inline constexpr std::string_view pageDown = "\x1B[6~";
inline constexpr std::string_view forwardDelete = "\x1B[3~";
inline constexpr std::string_view backTab = "\x1B[Z";
}  // namespace Fixed

// Cursor keys while the terminal has application cursor keys on.
namespace Application {
inline constexpr std::string_view up = "\x1BOA";
inline constexpr std::string_view down = "\x1BOB";
inline constexpr std::string_view right = "\x1BOC";
inline constexpr std::string_view left = "\x1BOD";
}  // namespace Application

// F1..F12; none for any other number.
inline std::optional<std::string_view> function(int number) {
  static constexpr std::string_view kTable[] = {
      "\x1BOP",   "\x1BOQ",   "\x1BOR",   "\x1BOS",   "\x1B[15~", "\x1B[17~",
      "\x1B[18~", "\x1B[19~", "\x1B[20~", "\x1B[21~", "\x1B[23~", "\x1B[24~"};
  if (number < 1 || number > 12) return std::nullopt;
  return kTable[number - 1];
}

}  // namespace vesket::viewer::RawTerminalKeyMapBytesGenerated
