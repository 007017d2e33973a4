// A key press as the raw terminal keyboard sees it, independent of the toolkit: the key
// code (virtual key codes of the keys that have no character, numbered as on the Apple
// keyboard so that the byte tables read the same everywhere), the modifier flags, the
// characters with and without modifiers, the auto-repeat flag and the time stamp.
#pragma once

#include <string>

namespace vesket::viewer {

namespace VirtualKey {
inline constexpr int Other = -1;  // a key that is known only by its characters
inline constexpr int Return = 36;
inline constexpr int KeypadEnter = 76;
inline constexpr int Tab = 48;
inline constexpr int Delete = 51;  // backspace
inline constexpr int Escape = 53;
inline constexpr int F1 = 122;
inline constexpr int F2 = 120;
inline constexpr int F3 = 99;
inline constexpr int F4 = 118;
inline constexpr int F5 = 96;
inline constexpr int F6 = 97;
inline constexpr int F7 = 98;
inline constexpr int F8 = 100;
inline constexpr int F9 = 101;
inline constexpr int F10 = 109;
inline constexpr int F11 = 103;
inline constexpr int F12 = 111;
inline constexpr int Home = 115;
inline constexpr int End = 119;
inline constexpr int PageUp = 116;
inline constexpr int PageDown = 121;
inline constexpr int ForwardDelete = 117;
inline constexpr int Left = 123;
inline constexpr int Right = 124;
inline constexpr int Down = 125;
inline constexpr int Up = 126;
}  // namespace VirtualKey

struct TerminalModifiers {
  bool shift = false;
  bool option = false;   // Alt
  bool control = false;
  bool command = false;  // Meta / Super: kept for the application's shortcuts
  bool operator==(const TerminalModifiers&) const = default;
};

struct TerminalKeyEvent {
  int keyCode = VirtualKey::Other;
  TerminalModifiers modifiers;
  std::string characters;                   // UTF-8, with modifiers applied
  std::string charactersIgnoringModifiers;  // UTF-8, as if no modifier but Shift were held
  bool isRepeat = false;                    // an automatic repeat of a held key
  double timestampMs = 0;
  bool operator==(const TerminalKeyEvent&) const = default;
};

}  // namespace vesket::viewer
