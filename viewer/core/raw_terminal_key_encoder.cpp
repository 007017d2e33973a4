#include "viewer/core/raw_terminal_key_encoder.h"

#include "viewer/core/raw_terminal_key_map_bytes_generated.h"
#include "viewer/core/utf8_text.h"

namespace vesket::viewer::RawTerminalKeyEncoder {

namespace Keys = RawTerminalKeyMapBytesGenerated;

namespace {

constexpr char kEsc = '\x1B';

// The characters the platform hands out for the arrow keys, U+F700..U+F703.
bool isArrowPrivateUse(char32_t c) { return c >= 0xF700 && c <= 0xF703; }

// A lone function-key character of the platform (U+F700..U+F8FF) that is not an arrow.
bool isFunctionKeyPrivateUse(std::string_view characters) {
  const auto scalars = utf8::decodeAll(characters);
  return scalars.size() == 1 && scalars[0] >= 0xF700 && scalars[0] <= 0xF8FF &&
         !isArrowPrivateUse(scalars[0]);
}

}  // namespace

int modifierParameter(const TerminalModifiers& m) {
  return 1 + (m.shift ? 1 : 0) + (m.option ? 2 : 0) + (m.control ? 4 : 0);
}

std::optional<char> controlByte(std::string_view characters) {
  if (characters.size() != 1) return std::nullopt;
  const char c = characters[0];
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 1);
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 1);
  switch (c) {
    case ' ': case '@': return '\0';
    case '[': return '\x1B';
    case '\\': return '\x1C';
    case ']': return '\x1D';
    case '^': return '\x1E';
    case '_': return '\x1F';
    case '?': return '\x7F';
    default: return std::nullopt;
  }
}

std::optional<std::string_view> specialKeyBytes(int keyCode, bool applicationCursorKeys) {
  switch (keyCode) {
    case VirtualKey::Return:
    case VirtualKey::KeypadEnter: return Keys::Fixed::enter;
    case VirtualKey::Tab: return Keys::Fixed::tab;
    case VirtualKey::Delete: return Keys::Fixed::backspace;
    case VirtualKey::Escape: return Keys::Fixed::escape;
    case VirtualKey::F1: return Keys::function(1);
    case VirtualKey::F2: return Keys::function(2);
    case VirtualKey::F3: return Keys::function(3);
    case VirtualKey::F4: return Keys::function(4);
    case VirtualKey::F5: return Keys::function(5);
    case VirtualKey::F6: return Keys::function(6);
    case VirtualKey::F7: return Keys::function(7);
    case VirtualKey::F8: return Keys::function(8);
    case VirtualKey::F9: return Keys::function(9);
    case VirtualKey::F10: return Keys::function(10);
    case VirtualKey::F11: return Keys::function(11);
    case VirtualKey::F12: return Keys::function(12);
    case VirtualKey::Home: return Keys::Fixed::home;
    case VirtualKey::End: return Keys::Fixed::end;
    case VirtualKey::PageUp: return Keys::Fixed::pageUp;
    case VirtualKey::PageDown: return Keys::Fixed::pageDown;
    case VirtualKey::ForwardDelete: return Keys::Fixed::forwardDelete;
    case VirtualKey::Up: return applicationCursorKeys ? Keys::Application::up : Keys::Fixed::up;
    case VirtualKey::Down:
      return applicationCursorKeys ? Keys::Application::down : Keys::Fixed::down;
    case VirtualKey::Right:
      return applicationCursorKeys ? Keys::Application::right : Keys::Fixed::right;
    case VirtualKey::Left:
      return applicationCursorKeys ? Keys::Application::left : Keys::Fixed::left;
    default: return std::nullopt;
  }
}

std::optional<ModifiableForm> modifiableSpecialKeyForm(int keyCode) {
  switch (keyCode) {
    case VirtualKey::Up: return ModifiableForm{'A', 0};
    case VirtualKey::Down: return ModifiableForm{'B', 0};
    case VirtualKey::Right: return ModifiableForm{'C', 0};
    case VirtualKey::Left: return ModifiableForm{'D', 0};
    case VirtualKey::Home: return ModifiableForm{'H', 0};
    case VirtualKey::End: return ModifiableForm{'F', 0};
    case VirtualKey::F1: return ModifiableForm{'P', 0};
    case VirtualKey::F2: return ModifiableForm{'Q', 0};
    case VirtualKey::F3: return ModifiableForm{'R', 0};
    case VirtualKey::F4: return ModifiableForm{'S', 0};
    case VirtualKey::PageUp: return ModifiableForm{0, 5};
    case VirtualKey::PageDown: return ModifiableForm{0, 6};
    case VirtualKey::F5: return ModifiableForm{0, 15};
    case VirtualKey::F6: return ModifiableForm{0, 17};
    case VirtualKey::F7: return ModifiableForm{0, 18};
    case VirtualKey::F8: return ModifiableForm{0, 19};
    case VirtualKey::F9: return ModifiableForm{0, 20};
    case VirtualKey::F10: return ModifiableForm{0, 21};
    case VirtualKey::F11: return ModifiableForm{0, 23};
    case VirtualKey::F12: return ModifiableForm{0, 24};
    default: return std::nullopt;
  }
}

std::optional<std::string> modifiedSpecialKeyBytes(int keyCode, int modifier) {
  const auto form = modifiableSpecialKeyForm(keyCode);
  if (!form) return std::nullopt;
  std::string out(1, kEsc);
  if (form->letter != 0) {
    out += "[1;" + std::to_string(modifier);
    out.push_back(form->letter);
  } else {
    out += "[" + std::to_string(form->number) + ";" + std::to_string(modifier) + "~";
  }
  return out;
}

std::optional<std::string> bytes(const TerminalKeyEvent& event, bool applicationCursorKeys) {
  const TerminalModifiers& mods = event.modifiers;
  if (mods.command) return std::nullopt;
  if (event.keyCode == VirtualKey::Tab && mods.shift) return std::string(Keys::Fixed::backTab);
  if (mods.shift || mods.option || mods.control) {
    if (auto modified = modifiedSpecialKeyBytes(event.keyCode, modifierParameter(mods))) {
      return modified;
    }
  }
  if (auto special = specialKeyBytes(event.keyCode, applicationCursorKeys)) {
    return std::string(*special);
  }
  if (mods.control) {
    const auto control = controlByte(event.charactersIgnoringModifiers);
    if (!control) return std::nullopt;
    std::string out;
    if (mods.option) out.push_back(kEsc);
    out.push_back(*control);
    return out;
  }
  if (mods.option && !event.charactersIgnoringModifiers.empty()) {
    return std::string(1, kEsc) + event.charactersIgnoringModifiers;
  }
  if (event.characters.empty() || isFunctionKeyPrivateUse(event.characters)) return std::nullopt;
  return event.characters;
}

std::string wrapForBracketedPaste(std::string_view text, bool bracketedPasteMode) {
  if (!bracketedPasteMode) return std::string(text);
  std::string out;
  out.reserve(text.size() + 12);
  out += "\x1B[200~";
  out += text;
  out += "\x1B[201~";
  return out;
}

}  // namespace vesket::viewer::RawTerminalKeyEncoder
