#include "viewer/terminal_key_event_adapter.h"

#include <gtest/gtest.h>

#include <QKeyEvent>

#include "viewer/core/raw_terminal_key_encoder.h"

namespace vesket::viewer {
namespace {

using namespace std::string_literals;

std::optional<std::string> encode(int key, Qt::KeyboardModifiers mods, const QString& text,
                                  bool application = false) {
  const QKeyEvent event(QEvent::KeyPress, key, mods, text);
  return RawTerminalKeyEncoder::bytes(TerminalKeyEventAdapter::fromQKeyEvent(event), application);
}

TEST(TerminalKeyEventAdapter, QtKeyEventsEncodeLikeATerminal) {
  struct Case {
    int key;
    Qt::KeyboardModifiers mods;
    QString text;
    std::optional<std::string> bytes;
  };
  const Case cases[] = {
      {Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"), "\x03"s},
      {Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("\x03"), "\x03"s},
      {Qt::Key_C, Qt::ControlModifier | Qt::AltModifier, QStringLiteral("\x03"), "\x1B\x03"s},
      {Qt::Key_BracketLeft, Qt::ControlModifier, QStringLiteral("\x1B"), "\x1B"s},
      {Qt::Key_Space, Qt::ControlModifier, QStringLiteral(" "), "\0"s},
      {Qt::Key_B, Qt::AltModifier, QStringLiteral("b"), "\x1B" "b"s},
      {Qt::Key_B, Qt::AltModifier | Qt::ShiftModifier, QStringLiteral("B"), "\x1B" "B"s},
      {Qt::Key_C, Qt::MetaModifier, QStringLiteral("c"), std::nullopt},
      {Qt::Key_Up, Qt::ShiftModifier, QString(), "\x1B[1;2A"s},
      {Qt::Key_PageUp, Qt::ControlModifier, QString(), "\x1B[5;5~"s},
      {Qt::Key_Delete, Qt::ShiftModifier, QString(), "\x1B[3~"s},
      {Qt::Key_Backtab, Qt::ShiftModifier, QString(), "\x1B[Z"s},
      {Qt::Key_Backtab, Qt::NoModifier, QString(), "\x1B[Z"s},
      {Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), "\r"s},
      {Qt::Key_Enter, Qt::KeypadModifier, QStringLiteral("\r"), "\r"s},
      {Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\x08"), "\x7F"s},
      {Qt::Key_F5, Qt::NoModifier, QString(), "\x1B[15~"s},
      {Qt::Key_Adiaeresis, Qt::NoModifier, QStringLiteral("ä"), "ä"s},
      {Qt::Key_Adiaeresis, Qt::AltModifier, QStringLiteral("ä"), "\x1B" "ä"s},
      {Qt::Key_Shift, Qt::ShiftModifier, QString(), std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(encode(c.key, c.mods, c.text), c.bytes)
        << "key " << std::hex << c.key << " mods " << c.mods.toInt();
  }
  EXPECT_EQ(encode(Qt::Key_Up, Qt::NoModifier, QString(), true), "\x1BOA"s);
}

TEST(TerminalKeyEventAdapter, CarriesRepeatAndTimestamp) {
  const TerminalKeyEvent event = TerminalKeyEventAdapter::fromParts(
      Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A"), true, 1234);
  EXPECT_TRUE(event.isRepeat);
  EXPECT_EQ(event.timestampMs, 1234);
  EXPECT_EQ(event.characters, "A");
  EXPECT_EQ(event.charactersIgnoringModifiers, "A");
  EXPECT_EQ(event.keyCode, VirtualKey::Other);
  EXPECT_GT(TerminalKeyEventAdapter::systemKeyRepeatIntervalSeconds(), 0);
}

}  // namespace
}  // namespace vesket::viewer
