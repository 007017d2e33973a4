#include "viewer/core/raw_terminal_key_encoder.h"

#include <gtest/gtest.h>

namespace vesket::viewer {
namespace {

enum Mod { None = 0, Shift = 1, Option = 2, Control = 4, Command = 8 };

TerminalKeyEvent key(int keyCode, int mods, std::string characters = "",
                     std::string ignoring = "") {
  TerminalKeyEvent event;
  event.keyCode = keyCode;
  event.modifiers = {(mods & Shift) != 0, (mods & Option) != 0, (mods & Control) != 0,
                     (mods & Command) != 0};
  event.characters = std::move(characters);
  event.charactersIgnoringModifiers = ignoring.empty() ? event.characters : std::move(ignoring);
  return event;
}

struct EncodeCase {
  const char* name;
  TerminalKeyEvent event;
  bool applicationCursorKeys;
  std::optional<std::string> bytes;
};

class Encode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(Encode, Bytes) {
  EXPECT_EQ(RawTerminalKeyEncoder::bytes(GetParam().event, GetParam().applicationCursorKeys),
            GetParam().bytes);
}

using namespace std::string_literals;
const int V = VirtualKey::Other;

INSTANTIATE_TEST_SUITE_P(
    Keys, Encode,
    ::testing::Values(
        EncodeCase{"controlC", key(V, Control, "\x03", "c"), false, "\x03"s},
        EncodeCase{"controlShiftC", key(V, Control | Shift, "\x03", "C"), false, "\x03"s},
        EncodeCase{"optionControlC", key(V, Option | Control, "\x03", "c"), false, "\x1B\x03"s},
        EncodeCase{"controlSpace", key(V, Control, " "), false, "\0"s},
        EncodeCase{"controlBackslash", key(V, Control, "\x1C", "\\"), false, "\x1C"s},
        EncodeCase{"controlQuestion", key(V, Control | Shift, "?"), false, "\x7F"s},
        EncodeCase{"controlDigitSendsNothing", key(V, Control, "1"), false, std::nullopt},
        EncodeCase{"commandLetter", key(V, Command, "c"), false, std::nullopt},
        EncodeCase{"commandArrow", key(VirtualKey::Up, Command), false, std::nullopt},
        EncodeCase{"commandReturn", key(VirtualKey::Return, Command | Shift), false, std::nullopt},
        EncodeCase{"optionB", key(V, Option, "∫", "b"), false, "\x1B" "b"s},
        EncodeCase{"optionUnicode", key(V, Option, "", "é"), false, "\x1B" "é"s},
        EncodeCase{"shiftUp", key(VirtualKey::Up, Shift), false, "\x1B[1;2A"s},
        EncodeCase{"allModifiersLeft", key(VirtualKey::Left, Shift | Option | Control), false,
                   "\x1B[1;8D"s},
        EncodeCase{"optionF1", key(VirtualKey::F1, Option), false, "\x1B[1;3P"s},
        EncodeCase{"controlPageUp", key(VirtualKey::PageUp, Control), false, "\x1B[5;5~"s},
        EncodeCase{"shiftControlF12", key(VirtualKey::F12, Shift | Control), false, "\x1B[24;6~"s},
        EncodeCase{"shiftForwardDelete", key(VirtualKey::ForwardDelete, Shift), false, "\x1B[3~"s},
        EncodeCase{"upApplication", key(VirtualKey::Up, None), true, "\x1BOA"s},
        EncodeCase{"upNormal", key(VirtualKey::Up, None), false, "\x1B[A"s},
        EncodeCase{"shiftUpApplication", key(VirtualKey::Up, Shift), true, "\x1B[1;2A"s},
        EncodeCase{"shiftTab", key(VirtualKey::Tab, Shift), false, "\x1B[Z"s},
        EncodeCase{"shiftControlTab", key(VirtualKey::Tab, Shift | Control), false, "\x1B[Z"s},
        EncodeCase{"tab", key(VirtualKey::Tab, None, "\t"), false, "\t"s},
        EncodeCase{"returnWithShift", key(VirtualKey::Return, Shift, "\r"), false, "\r"s},
        EncodeCase{"keypadEnter", key(VirtualKey::KeypadEnter, None, "\x03"), false, "\r"s},
        EncodeCase{"backspace", key(VirtualKey::Delete, None, "\x7F"), false, "\x7F"s},
        EncodeCase{"escape", key(VirtualKey::Escape, None, "\x1B"), false, "\x1B"s},
        EncodeCase{"f5", key(VirtualKey::F5, None), false, "\x1B[15~"s},
        EncodeCase{"f11", key(VirtualKey::F11, None), false, "\x1B[23~"s},
        EncodeCase{"end", key(VirtualKey::End, None), false, "\x1B[F"s},
        EncodeCase{"controlHomeIsModified", key(VirtualKey::Home, Control), false, "\x1B[1;5H"s},
        EncodeCase{"plainText", key(V, None, "ü"), false, "ü"s},
        EncodeCase{"noCharacters", key(V, None), false, std::nullopt},
        EncodeCase{"functionKeyPrivateUse", key(V, None, "\uF704"), false, std::nullopt},
        EncodeCase{"arrowPrivateUseWithoutKeyCode", key(V, None, "\uF700"), false,
                   "\uF700"s}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(RawTerminalKeyEncoder, ModifierParameterFollowsXterm) {
  EXPECT_EQ(RawTerminalKeyEncoder::modifierParameter({}), 1);
  EXPECT_EQ(RawTerminalKeyEncoder::modifierParameter({true, true, false, false}), 4);
  EXPECT_EQ(RawTerminalKeyEncoder::modifierParameter({false, true, true, false}), 7);
  EXPECT_EQ(RawTerminalKeyEncoder::modifierParameter({true, true, true, true}), 8);
}

TEST(RawTerminalKeyEncoder, BracketedPaste) {
  EXPECT_EQ(RawTerminalKeyEncoder::wrapForBracketedPaste("ls", true), "\x1B[200~ls\x1B[201~");
  EXPECT_EQ(RawTerminalKeyEncoder::wrapForBracketedPaste("ls\n", false), "ls\n");
  EXPECT_EQ(RawTerminalKeyEncoder::wrapForBracketedPaste("", true), "\x1B[200~\x1B[201~");
}

}  // namespace
}  // namespace vesket::viewer
