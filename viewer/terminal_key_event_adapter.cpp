#include "viewer/terminal_key_event_adapter.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QStyleHints>

namespace vesket::viewer::TerminalKeyEventAdapter {

namespace {

TerminalModifiers modifiersOf(Qt::KeyboardModifiers mods) {
  TerminalModifiers out;
  out.shift = mods.testFlag(Qt::ShiftModifier);
  out.option = mods.testFlag(Qt::AltModifier);
#ifdef Q_OS_MACOS
  // Qt swaps the two on macOS: ControlModifier is Command there.
  out.control = mods.testFlag(Qt::MetaModifier);
  out.command = mods.testFlag(Qt::ControlModifier);
#else
  out.control = mods.testFlag(Qt::ControlModifier);
  out.command = mods.testFlag(Qt::MetaModifier);
#endif
  return out;
}

// The character of a key as if no modifier but Shift were held. Qt names character keys by
// the upper-case form of their character.
QString charactersIgnoringModifiers(int qtKey, bool shift, const QString& text) {
  if (qtKey >= 0x20 && qtKey < 0x110000 && qtKey != Qt::Key_unknown) {
    const char32_t scalar = static_cast<char32_t>(qtKey);
    QString character = QString::fromUcs4(&scalar, 1);
    return shift ? character : character.toLower();
  }
  // Other keys: whatever printable text the event carries.
  for (const QChar c : text) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) return {};
  }
  return text;
}

}  // namespace

int virtualKeyCode(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Return: return VirtualKey::Return;
    case Qt::Key_Enter: return VirtualKey::KeypadEnter;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VirtualKey::Tab;
    case Qt::Key_Backspace: return VirtualKey::Delete;
    case Qt::Key_Escape: return VirtualKey::Escape;
    case Qt::Key_F1: return VirtualKey::F1;
    case Qt::Key_F2: return VirtualKey::F2;
    case Qt::Key_F3: return VirtualKey::F3;
    case Qt::Key_F4: return VirtualKey::F4;
    case Qt::Key_F5: return VirtualKey::F5;
    case Qt::Key_F6: return VirtualKey::F6;
    case Qt::Key_F7: return VirtualKey::F7;
    case Qt::Key_F8: return VirtualKey::F8;
    case Qt::Key_F9: return VirtualKey::F9;
    case Qt::Key_F10: return VirtualKey::F10;
    case Qt::Key_F11: return VirtualKey::F11;
    case Qt::Key_F12: return VirtualKey::F12;
    case Qt::Key_Home: return VirtualKey::Home;
    case Qt::Key_End: return VirtualKey::End;
    case Qt::Key_PageUp: return VirtualKey::PageUp;
    case Qt::Key_PageDown: return VirtualKey::PageDown;
    case Qt::Key_Delete: return VirtualKey::ForwardDelete;
    case Qt::Key_Left: return VirtualKey::Left;
    case Qt::Key_Right: return VirtualKey::Right;
    case Qt::Key_Down: return VirtualKey::Down;
    case Qt::Key_Up: return VirtualKey::Up;
    default: return VirtualKey::Other;
  }
}

TerminalKeyEvent fromParts(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text,
                           bool autoRepeat, double timestampMs) {
  TerminalKeyEvent event;
  event.keyCode = virtualKeyCode(qtKey);
  event.modifiers = modifiersOf(modifiers);
  // Qt reports Shift+Tab as Backtab; keep Shift so the encoder sends the back-tab bytes.
  if (qtKey == Qt::Key_Backtab) event.modifiers.shift = true;
  event.characters = text.toStdString();
  if (event.keyCode == VirtualKey::Other) {
    event.charactersIgnoringModifiers =
        charactersIgnoringModifiers(qtKey, event.modifiers.shift, text).toStdString();
  } else {
    event.charactersIgnoringModifiers = event.characters;
  }
  event.isRepeat = autoRepeat;
  event.timestampMs = timestampMs;
  return event;
}

TerminalKeyEvent fromQKeyEvent(const QKeyEvent& event) {
  return fromParts(event.key(), event.modifiers(), event.text(), event.isAutoRepeat(),
                   static_cast<double>(event.timestamp()));
}

double systemKeyRepeatIntervalSeconds() {
  const int rate = QGuiApplication::styleHints()->keyboardAutoRepeatRate();  // per second
  return rate > 0 ? 1.0 / rate : 0.03;
}

}  // namespace vesket::viewer::TerminalKeyEventAdapter
