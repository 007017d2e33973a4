#include "terminal/live_terminal_keyboard.h"

#include <QChildEvent>
#include <QKeyEvent>
#include <QWidget>

#include "viewer/terminal_key_event_adapter.h"

namespace vesket::terminal {

LiveTerminalKeyboard::LiveTerminalKeyboard(QWidget* view, Actions actions, QObject* parent)
    : QObject(parent), m_actions(std::move(actions)) {
  watch(view);
  for (auto* child : view->findChildren<QWidget*>()) watch(child);
}

void LiveTerminalKeyboard::watch(QObject* object) {
  object->removeEventFilter(this);  // never twice
  object->installEventFilter(this);
}

LiveTerminalKeyboard::Route LiveTerminalKeyboard::route(int qtKey, Qt::KeyboardModifiers modifiers) {
  const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
#ifdef Q_OS_MACOS
  const Qt::KeyboardModifier command = Qt::ControlModifier, control = Qt::MetaModifier;
#else
  const Qt::KeyboardModifier command = Qt::MetaModifier, control = Qt::ControlModifier;
#endif
  if (held.testFlag(command)) return Route::application;
  if (qtKey == Qt::Key_Insert && held == Qt::ShiftModifier) return Route::paste;
  if (held == (control | Qt::ShiftModifier) && qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
    if (qtKey == Qt::Key_C) return Route::copy;
    if (qtKey == Qt::Key_V) return Route::paste;
    return Route::application;
  }
  return Route::terminal;
}

bool LiveTerminalKeyboard::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ChildAdded:
      if (auto* child = static_cast<QChildEvent*>(event)->child(); child && child->isWidgetType()) watch(child);
      return false;
    case QEvent::ShortcutOverride: {
      // Accepting claims the key from the window's shortcuts; it then arrives as a press.
      auto* key = static_cast<QKeyEvent*>(event);
      if (route(key->key(), key->modifiers()) == Route::application) return false;
      key->accept();
      return true;
    }
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      switch (route(key->key(), key->modifiers())) {
        case Route::terminal:
          if (m_actions.key) m_actions.key(viewer::TerminalKeyEventAdapter::fromQKeyEvent(*key));
          break;
        case Route::copy:
          if (m_actions.copy && !key->isAutoRepeat()) m_actions.copy();
          break;
        case Route::paste:
          if (m_actions.paste && !key->isAutoRepeat()) m_actions.paste();
          break;
        case Route::application:
          break;  // no window shortcut took it: nothing for the pane either
      }
      return true;  // the page never encodes a key itself
    }
    case QEvent::KeyRelease:
      return true;
    default:
      return QObject::eventFilter(watched, event);
  }
}

}  // namespace vesket::terminal
