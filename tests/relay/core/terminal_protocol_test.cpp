#include "relay/core/terminal_protocol.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

using namespace vesket::relay;
namespace TP = vesket::relay::TerminalProtocol;
using nlohmann::json;

namespace {

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

std::string op(TP::Op code, std::string_view payload = {}) {
  return std::string(1, static_cast<char>(code)) + std::string(payload);
}

const std::string kEverything = [] {
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  return all;
}();

}  // namespace

TEST(TerminalProtocol, OpcodesAreTheWireValues) {
  const std::pair<TP::Op, int> codes[] = {
      {TP::Op::input, 1},         {TP::Op::resize, 2},       {TP::Op::output, 3},
      {TP::Op::ready, 4},         {TP::Op::exit, 5},         {TP::Op::error, 6},
      {TP::Op::detach, 7},        {TP::Op::ping, 8},         {TP::Op::geometry, 9},
      {TP::Op::history, 10},      {TP::Op::historyEnd, 11},  {TP::Op::historyMore, 12},
      {TP::Op::historyOlder, 13}, {TP::Op::historyOlderEnd, 14}, {TP::Op::pong, 15},
      {TP::Op::contentParity, 16}, {TP::Op::mouseMode, 17}, {TP::Op::renderAnomaly, 20},
  };
  for (auto [code, value] : codes) EXPECT_EQ(static_cast<int>(code), value);
}

TEST(TerminalProtocol, ViewerEncodersWriteOpcodeThenPayload) {
  EXPECT_EQ(TP::encodeInput("ls\r"), bytes({1, 'l', 's', '\r'}));
  EXPECT_EQ(TP::encodeInput(kEverything), op(TP::Op::input, kEverything)) << "byte-exact";
  EXPECT_EQ(TP::encodeResize(80, 24), bytes({2, 0, 80, 0, 24}));
  EXPECT_EQ(TP::encodeResize(300, 1000), bytes({2, 0x01, 0x2C, 0x03, 0xE8}));
  EXPECT_EQ(TP::encodePing(), bytes({8}));
  EXPECT_EQ(TP::encodeHistoryMore(), bytes({12}));
  EXPECT_EQ(TP::encodeDetach(), bytes({7}));
  EXPECT_EQ(TP::encodeContentParity("rows=24 ok"), op(TP::Op::contentParity, "rows=24 ok"));
  EXPECT_EQ(TP::encodeRenderAnomaly("blank row"), op(TP::Op::renderAnomaly, "blank row"));
}

TEST(TerminalProtocol, SizesAreClampedToSixteenBits) {
  EXPECT_EQ(TP::encodeResize(70000, -1), bytes({2, 0xFF, 0xFF, 0x00, 0x00}));
  EXPECT_EQ(TP::encodeResize(65535, 65536), bytes({2, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(TP::encodeResize(INT64_MIN, INT64_MAX), bytes({2, 0, 0, 0xFF, 0xFF}));
  EXPECT_EQ(TP::encodeGeometry(-5, 70000), bytes({9, 0, 0, 0xFF, 0xFF}));
  EXPECT_EQ(TP::clampToUInt16(256), 256);
}

TEST(TerminalProtocol, RenderAnomalyIsCutToItsFirst4096Bytes) {
  EXPECT_EQ(TP::encodeRenderAnomaly(std::string(4096, 'a')).size(), 4097u);
  // 2049 two-byte characters: 4098 bytes, cut inside the last one.
  std::string text;
  for (int i = 0; i < 2049; ++i) text += "é";
  const auto frame = TP::encodeRenderAnomaly(text);
  ASSERT_EQ(frame.size(), 1u + 4096u);
  EXPECT_EQ(frame.substr(1), text.substr(0, 4096));
  // The serving side cuts too, whatever the sender did.
  const auto decoded = TP::decodeClientFrame(op(TP::Op::renderAnomaly, std::string(5000, 'x')));
  ASSERT_TRUE(std::holds_alternative<TP::RenderAnomaly>(decoded));
  EXPECT_EQ(std::get<TP::RenderAnomaly>(decoded).text.size(), 4096u);
}

TEST(TerminalProtocol, JsonPayloadsHaveTheirKeys) {
  EXPECT_EQ(json::parse(TP::encodeReady({"%3", 120, 40, "mirror"}).substr(1)),
            json({{"paneId", "%3"}, {"cols", 120}, {"rows", 40}, {"mode", "mirror"}}));
  EXPECT_EQ(json::parse(TP::encodeExit({0, std::nullopt}).substr(1)), json({{"code", 0}}));
  EXPECT_EQ(json::parse(TP::encodeExit({}).substr(1)), json::object());
  EXPECT_EQ(json::parse(TP::encodeError({"no such pane"}).substr(1)),
            json({{"message", "no such pane"}}));
  EXPECT_EQ(json::parse(TP::encodeHistoryOlderEnd({true, 120}).substr(1)),
            json({{"atTop", true}, {"lines", 120}}));
  EXPECT_EQ(json::parse(TP::encodeMouseMode({true, false, "sgr", std::nullopt}).substr(1)),
            json({{"enabled", true}, {"alternate", false}, {"mouseEncoding", "sgr"}}));
  EXPECT_EQ(TP::encodePong(), bytes({15})) << "no mode, no payload";
  EXPECT_EQ(json::parse(TP::encodePong({"takeover"}).substr(1)), json({{"mode", "takeover"}}));
  // Text that is not UTF-8 still encodes (with replacement characters) instead of throwing.
  const auto frame = TP::decode(TP::encodeError({"bad \xFF byte"}));
  ASSERT_TRUE(std::holds_alternative<TP::Error>(frame));
  EXPECT_EQ(std::get<TP::Error>(frame).payload.message, "bad \xEF\xBF\xBD byte");
}

TEST(TerminalProtocol, EveryFrameToTheViewerRoundTrips) {
  const std::vector<TP::Frame> frames = {
      TP::Output{kEverything},
      TP::Output{""},
      TP::Ready{{"%12", 80, 24, "takeover"}},
      TP::Exit{{std::nullopt, "pane closed"}},
      TP::Exit{{-1, std::nullopt}},
      TP::Error{{"attach refused"}},
      TP::Geometry{65535, 0},
      TP::Geometry{132, 50},
      TP::History{"line 1\r\nline 2\r\n\x1b[0m"},
      TP::HistoryOlder{kEverything},
      TP::HistoryOlderEnd{{false, 2000}},
      TP::Pong{},
      TP::Pong{{"owned"}},
      TP::MouseMode{{false, std::nullopt, std::nullopt, std::nullopt}},
      TP::MouseMode{{true, true, "utf8", true}},
      TP::Ping{},
      TP::HistoryEnd{},
  };
  for (const auto& frame : frames) {
    EXPECT_EQ(TP::decode(TP::encode(frame)), frame) << "frame index " << frame.index();
  }
}

TEST(TerminalProtocol, EveryFrameToThePaneRoundTrips) {
  const std::vector<TP::ClientFrame> frames = {
      TP::Input{kEverything},          TP::Input{"\x03"},       TP::Resize{0, 65535},
      TP::Resize{200, 60},             TP::Detach{},            TP::Ping{},
      TP::HistoryMore{},               TP::ContentParity{"{}"}, TP::RenderAnomaly{"row 3 blank"},
  };
  for (const auto& frame : frames) {
    EXPECT_EQ(TP::decodeClientFrame(TP::encode(frame)), frame) << "frame index " << frame.index();
  }
}

TEST(TerminalProtocol, FramesOfTheOtherDirectionAreUnknown) {
  for (int code : {1, 2, 7, 12, 16, 20}) {
    EXPECT_EQ(TP::decode(bytes({code, 0, 80, 0, 24})), TP::Frame(TP::Unknown{code})) << code;
  }
  for (int code : {3, 4, 5, 6, 9, 10, 11, 13, 14, 15, 17}) {
    EXPECT_EQ(TP::decodeClientFrame(bytes({code, 0, 80, 0, 24})),
              TP::ClientFrame(TP::Unknown{code}))
        << code;
  }
  for (int code : {0, 18, 19, 21, 99, 255}) {
    EXPECT_EQ(TP::decode(bytes({code})), TP::Frame(TP::Unknown{code}));
    EXPECT_EQ(TP::decodeClientFrame(bytes({code})), TP::ClientFrame(TP::Unknown{code}));
  }
  EXPECT_EQ(TP::decode(""), TP::Frame(TP::Unknown{-1}));
  EXPECT_EQ(TP::decodeClientFrame(""), TP::ClientFrame(TP::Unknown{-1}));
}

TEST(TerminalProtocol, ShortSizeFramesAreUnknownAndLongOnesReadTheFirstFourBytes) {
  for (std::size_t length = 0; length < 4; ++length) {
    EXPECT_EQ(TP::decode(op(TP::Op::geometry, std::string(length, '\x01'))),
              TP::Frame(TP::Unknown{9}));
    EXPECT_EQ(TP::decodeClientFrame(op(TP::Op::resize, std::string(length, '\x01'))),
              TP::ClientFrame(TP::Unknown{2}));
  }
  EXPECT_EQ(TP::decode(bytes({9, 0, 100, 0, 30, 0xAA, 0xBB})), TP::Frame(TP::Geometry{100, 30}));
  EXPECT_EQ(TP::decodeClientFrame(bytes({2, 1, 0, 0, 1, 7})), TP::ClientFrame(TP::Resize{256, 1}));
}

TEST(TerminalProtocol, PayloadsThatDoNotDecodeAreUnknown) {
  struct Case {
    TP::Op code;
    std::string payload;
  };
  const Case cases[] = {
      {TP::Op::ready, ""},
      {TP::Op::ready, "{"},
      {TP::Op::ready, R"({"paneId":"%1","cols":80,"rows":24})"},               // mode missing
      {TP::Op::ready, R"({"paneId":"%1","cols":"80","rows":24,"mode":"x"})"},  // wrong type
      {TP::Op::ready, R"({"paneId":"%1","cols":80.5,"rows":24,"mode":"x"})"},  // not an integer
      {TP::Op::ready, R"([1,2])"},
      {TP::Op::exit, "null"},
      {TP::Op::exit, R"({"code":"1"})"},
      {TP::Op::exit, R"({} trailing)"},
      {TP::Op::error, R"({"message":null})"},
      {TP::Op::error, "{\"message\":\"bad \xFF utf8\"}"},
      {TP::Op::historyOlderEnd, R"({"atTop":1,"lines":3})"},
      {TP::Op::historyOlderEnd, R"({"atTop":true})"},
      {TP::Op::pong, "x"},
      {TP::Op::pong, R"({"mode":7})"},
      {TP::Op::mouseMode, R"({"alternate":true})"},
      {TP::Op::mouseMode, std::string(100000, '[')},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TP::decode(op(c.code, c.payload)), TP::Frame(TP::Unknown{static_cast<int>(c.code)}))
        << c.payload.substr(0, 60);
  }
}

TEST(TerminalProtocol, PayloadsAreLenientWhereTheRecordsAre) {
  // Unknown keys are ignored; optional fields may be null; ping and historyEnd ignore a payload.
  EXPECT_EQ(TP::decode(op(TP::Op::ready, R"({"paneId":"%1","cols":80,"rows":24,"mode":"m","x":[]})")),
            TP::Frame(TP::Ready{{"%1", 80, 24, "m"}}));
  EXPECT_EQ(TP::decode(op(TP::Op::exit, R"({"code":null,"reason":"gone"})")),
            TP::Frame(TP::Exit{{std::nullopt, "gone"}}));
  EXPECT_EQ(TP::decode(op(TP::Op::pong, "{}")), TP::Frame(TP::Pong{}));
  EXPECT_EQ(TP::decode(op(TP::Op::ping, "junk")), TP::Frame(TP::Ping{}));
  EXPECT_EQ(TP::decode(op(TP::Op::historyEnd, "junk")), TP::Frame(TP::HistoryEnd{}));
  EXPECT_EQ(TP::decode(op(TP::Op::mouseMode, R"({"enabled":true,"mouseEncoding":null})")),
            TP::Frame(TP::MouseMode{{true, std::nullopt, std::nullopt, std::nullopt}}));
}

TEST(TerminalProtocol, UnknownReEncodesAsItsOpcode) {
  EXPECT_EQ(TP::encode(TP::Frame(TP::Unknown{42})), bytes({42}));
  EXPECT_EQ(TP::encode(TP::Frame(TP::Unknown{-1})), "");
  EXPECT_EQ(TP::encode(TP::ClientFrame(TP::Unknown{300})), "");
}

// Random and mutated messages: decoding must neither crash nor read out of bounds (run
// under a sanitizer to make the latter visible), and whatever decodes must re-encode to a
// message that decodes to the same frame.
TEST(TerminalProtocol, GarbageAndMutationsDecodeSafely) {
  std::mt19937 random(2026);
  std::vector<std::string> seeds = {
      TP::encodeReady({"%1", 80, 24, "takeover"}),
      TP::encodeExit({3, "exited"}),
      TP::encodeHistoryOlderEnd({true, 5}),
      TP::encodeMouseMode({true, true, "sgr", false}),
      TP::encodePong({"mirror"}),
      TP::encodeGeometry(80, 24),
      TP::encodeResize(80, 24),
      TP::encodeOutput("\x1b[2J"),
  };
  for (int round = 0; round < 20000; ++round) {
    std::string message;
    if (round % 2 == 0) {
      message.resize(random() % 24);
      for (auto& byte : message) byte = static_cast<char>(random());
    } else {
      message = seeds[random() % seeds.size()];
      const int edits = 1 + static_cast<int>(random() % 3);
      for (int e = 0; e < edits && !message.empty(); ++e) {
        const std::size_t at = random() % message.size();
        switch (random() % 3) {
          case 0: message[at] = static_cast<char>(random()); break;
          case 1: message.erase(at, 1 + random() % 4); break;
          default: message.resize(at); break;
        }
      }
    }
    const TP::Frame frame = TP::decode(message);
    if (!std::holds_alternative<TP::Unknown>(frame)) {
      EXPECT_EQ(TP::decode(TP::encode(frame)), frame);
    }
    const TP::ClientFrame clientFrame = TP::decodeClientFrame(message);
    if (!std::holds_alternative<TP::Unknown>(clientFrame)) {
      EXPECT_EQ(TP::decodeClientFrame(TP::encode(clientFrame)), clientFrame);
    }
  }
}
