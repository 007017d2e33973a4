#pragma once

// The keyboard of the live terminal's web view. Every key typed there is taken before the
// page sees it and handed to the bridge as a raw terminal key, so that the project's key
// encoder and its filters (duplicate presses, held-key pacing, the composition fence) decide
// the bytes, never the page's own encoding. Keys the terminal needs are claimed ahead of the
// window's shortcuts (Ctrl+L, Ctrl+digits, Alt+arrows reach the pane, not the window).
//
// The application keeps what a Linux terminal emulator keeps: Super (Meta) combinations and
// Ctrl+Shift+letter (the encoder sends those like Ctrl+letter, so the pane loses nothing);
// Ctrl+Shift+C copies the selection, Ctrl+Shift+V and Shift+Insert paste. Input-method
// composition events pass to the page untouched.

#include <QObject>

#include <functional>

#include "viewer/core/terminal_key_event.h"

class QWidget;

namespace vesket::terminal {

class LiveTerminalKeyboard : public QObject {
  Q_OBJECT

 public:
  enum class Route { terminal, copy, paste, application };

  struct Actions {
    std::function<void(const viewer::TerminalKeyEvent&)> key;
    std::function<void()> copy;
    std::function<void()> paste;
  };

  // Watches `view` and every child widget it gets (the web view's focus proxy comes later).
  LiveTerminalKeyboard(QWidget* view, Actions actions, QObject* parent = nullptr);

  // Who a key press belongs to.
  static Route route(int qtKey, Qt::KeyboardModifiers modifiers);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void watch(QObject* object);

  Actions m_actions;
};

}  // namespace vesket::terminal
