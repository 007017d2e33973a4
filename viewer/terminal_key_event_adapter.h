// Turns Qt key events into the toolkit-neutral key events of the raw terminal keyboard.
// Modifiers: Shift is Shift, Alt is Option, Control is Control and Meta (the Super or
// Windows key) is Command, the key the application keeps for its own shortcuts.
#pragma once

#include <QString>
#include <Qt>

#include "viewer/core/terminal_key_event.h"

class QKeyEvent;

namespace vesket::viewer::TerminalKeyEventAdapter {

TerminalKeyEvent fromQKeyEvent(const QKeyEvent& event);

// The same from the event's parts.
TerminalKeyEvent fromParts(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text,
                           bool autoRepeat, double timestampMs);

// The virtual key code of a Qt key that has no character, or VirtualKey::Other.
int virtualKeyCode(int qtKey);

// The desktop's key-repeat interval in seconds (the duplicate filter's threshold is
// derived from it).
double systemKeyRepeatIntervalSeconds();

}  // namespace vesket::viewer::TerminalKeyEventAdapter
