#include "viewer/core/terminal_page_script.h"

#include <gtest/gtest.h>

#include <string>

#include "viewer/core/terminal_page_message.h"

namespace vesket::viewer {
namespace {

namespace Script = TerminalPageScript;

TEST(TerminalPageScript, Scripts) {
  struct Case {
    std::string script;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {Script::write("hi\x1b", 3, false, std::nullopt), "window.__termWrite && window.__termWrite('aGkb', 3, false, null);"},
      {Script::write(std::string("\0\xff", 2), 12, true, 42), "window.__termWrite && window.__termWrite('AP8=', 12, true, 42);"},
      {Script::historyChunk("abc", 2, true), "window.__termHistoryChunk && window.__termHistoryChunk('YWJj', 2, true);"},
      {Script::historyEnd(2, false), "window.__termHistoryEnd && window.__termHistoryEnd(2, false);"},
      {Script::olderChunk("", 5), "window.__termOlderChunk && window.__termOlderChunk('', 5);"},
      {Script::olderEnd(5, true, 18), "window.__termOlderEnd && window.__termOlderEnd(5, true, 18);"},
      {Script::resize(120, 40), "window.__termResize && window.__termResize(120, 40);"},
      {Script::refit(), "window.__refit && window.__refit();"},
      {Script::reconcileMode("takeover"), "window.__reconcileMode && window.__reconcileMode('takeover');"},
      {Script::measureAttachGeometry(), "window.__measureAttachGeometry && window.__measureAttachGeometry()"},
      {Script::metricsSettled(), "window.__metricsSettledFlag === true"},
      {Script::armFirstReadableFrame(), "window.__armFirstReadableFrame && window.__armFirstReadableFrame();"},
      {Script::setImeArmed(true), "window.__setImeArmed && window.__setImeArmed(true);"},
      {Script::setMouseMode(true, "sgr"), "window.__setMouseMode && window.__setMouseMode(true, 'sgr');"},
      {Script::setMouseMode(false, std::nullopt), "window.__setMouseMode && window.__setMouseMode(false, null);"},
      {Script::setDesktopWheelMode("arrows"), "window.__setDesktopWheelMode && window.__setDesktopWheelMode('arrows');"},
      {Script::getSelection(), "window.__termGetSelection && window.__termGetSelection()"},
      {Script::init(R"({"fontSize":13})"), R"(window.__termInit && window.__termInit({"fontSize":13});)"},
      {Script::flowState(), "window.__termFlowState && window.__termFlowState()"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.script, c.expected);
}

TEST(TerminalPageScript, QuotesStrings) {
  EXPECT_EQ(Script::quoted("it's"), R"('it\'s')");
  EXPECT_EQ(Script::quoted("a\\b\nc\r\x01"), R"('a\\b\nc\r\x01')");
  EXPECT_EQ(Script::quoted("x\u2028y"), R"('x\u2028y')");
  EXPECT_EQ(Script::quoted("\u00e9"), "'\u00e9'");
}

TEST(TerminalPageScript, WheelMode) {
  EXPECT_EQ(Script::wheelModeFor(true, true), "mouse");
  EXPECT_EQ(Script::wheelModeFor(true, false), "mouse");
  EXPECT_EQ(Script::wheelModeFor(false, true), "arrows");
  EXPECT_EQ(Script::wheelModeFor(false, false), "scrollback");
}

TEST(TerminalPageMessages, NamesRoundTrip) {
  const std::vector<std::string_view> names = {
      "ready", "pageLoaded", "input", "inputBytes", "imeCommit", "compositionBoundary",
      "cursorKeyMode", "bracketedPasteMode", "viewportResize", "widthGrow", "requestOlderHistory",
      "copySelection", "copyMode", "openUrl", "renderAnomaly", "contentParity", "imeDiag", "applyTap"};
  for (const auto name : names) {
    const auto message = TerminalPageMessages::named(name);
    ASSERT_TRUE(message.has_value()) << name;
    EXPECT_EQ(TerminalPageMessages::nameOf(*message), name);
  }
  EXPECT_EQ(TerminalPageMessages::named("Ready"), std::nullopt);
  EXPECT_EQ(TerminalPageMessages::named("ack"), std::nullopt);
  EXPECT_EQ(TerminalPageMessages::named(""), std::nullopt);
}

TEST(TerminalPageMessages, OpensOnlyWebLinks) {
  struct Case {
    const char* url;
    bool opens;
  };
  const std::vector<Case> cases = {
      {"https://example.com/a?b=c", true},
      {"http://localhost:3000", true},
      {"HTTPS://EXAMPLE.COM", true},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
      {"ftp://example.com", false},
      {"vscode://file/x", false},
      {"http:example.com", false},
      {"https://", false},
      {"https:///path", false},
      {"https://exa mple.com", false},
      {"https://example.com/\n", false},
      {"example.com", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(TerminalPageMessages::opensInBrowser(c.url), c.opens) << c.url;
}

}  // namespace
}  // namespace vesket::viewer
