// Turns key presses into the bytes an xterm-compatible terminal sends, for typing into a
// pane's live terminal in raw mode. Command shortcuts stay with the application.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "viewer/core/terminal_key_event.h"

namespace vesket::viewer::RawTerminalKeyEncoder {

// xterm's modified form of a special key: ESC "[1;" m letter, or ESC "[" number ";" m "~".
struct ModifiableForm {
  char letter = 0;  // set for the letter form
  int number = 0;   // set for the number form
  bool operator==(const ModifiableForm&) const = default;
};

// The bytes for a key press, or none when the press sends nothing.
std::optional<std::string> bytes(const TerminalKeyEvent& event, bool applicationCursorKeys);

// The text's UTF-8, wrapped in ESC "[200~" ... ESC "[201~" when the terminal asked for
// bracketed paste.
std::string wrapForBracketedPaste(std::string_view text, bool bracketedPasteMode);

// The control byte of a single character: letters 1..26, space and "@" 0, "[" 27, "\" 28,
// "]" 29, "^" 30, "_" 31, "?" 127; none for anything else.
std::optional<char> controlByte(std::string_view characters);

// The unmodified bytes of the keys that have no character.
std::optional<std::string_view> specialKeyBytes(int keyCode, bool applicationCursorKeys);

std::optional<ModifiableForm> modifiableSpecialKeyForm(int keyCode);
std::optional<std::string> modifiedSpecialKeyBytes(int keyCode, int modifierParameter);

// xterm's modifier parameter: 1 + 1 Shift + 2 Option + 4 Control.
int modifierParameter(const TerminalModifiers& modifiers);

}  // namespace vesket::viewer::RawTerminalKeyEncoder
