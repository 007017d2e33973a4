// The live terminal bridge in a real QtWebEngine page (offscreen), attached through the
// local transport to a scripted daemon on a real socket.
#include <gtest/gtest.h>

#include "tests/support/screenshot.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QKeyEvent>
#include <QShortcut>
#include <QTemporaryDir>

#include "control_plane/control_plane_client.h"
#include "relay/core/terminal_protocol.h"
#include "shell/settings_key.h"
#include "shell/settings_store.h"
#include "terminal/live_terminal_channel.h"
#include "terminal/live_terminal_view.h"
#include "tests/support/fake_daemon.h"
#include "viewer/terminal_key_event_adapter.h"
#include "tests/terminal/live_terminal_test_support.h"

using namespace vesket::terminal;
using vesket::control_plane::ControlPlaneClient;
using vesket::testing::FakeDaemon;
using vesket::testing::screenText;
using vesket::testing::waitForCondition;
using nlohmann::json;
namespace P = vesket::relay::TerminalProtocol;

namespace {

// A key press as the platform delivers it: the window's shortcuts get their chance first
// (ShortcutOverride), then the focus widget gets the press.
void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text, ulong timestampMs,
           bool repeat = false) {
  if (qt_sendShortcutOverrideEvent(target, timestampMs, key, modifiers, text, repeat)) return;
  QKeyEvent event(QEvent::KeyPress, key, modifiers, text, repeat);
  event.setTimestamp(timestampMs);
  QApplication::sendEvent(target, &event);
}

std::string base64(const std::string& bytes) { return QByteArray::fromStdString(bytes).toBase64().toStdString(); }
std::string unbase64(const std::string& text) {
  return QByteArray::fromBase64(QByteArray::fromStdString(text)).toStdString();
}

class LiveTerminalViewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { vesket::testing::prepareWebEngine(); }

  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_socketPath = m_dir.filePath("control.sock").toStdString();
    m_daemon = std::make_unique<FakeDaemon>(QString::fromStdString(m_socketPath));
    m_settings = vesket::shell::SettingsStore::openFile(m_dir.filePath("settings.ini"));
    // Every attach greets with ready and the pane's screen; input frames are echoed as output.
    m_daemon->onRequest = [this](FakeDaemon::Connection& c, const json& request) {
      if (request["cmd"] == "terminal-attach") {
        attaches.push_back(request);
        if (holdReady) return;
        sendFrame(c, attaches.size() - 1,
                  P::encodeReady({.paneId = request["args"]["paneId"], .cols = 80, .rows = 24, .mode = "mirror"}));
        if (greeting) greeting(c, attaches.size() - 1);
      } else if (request["cmd"] == "terminal-input") {
        const auto frame = P::decodeClientFrame(unbase64(request["args"]["data"]));
        if (std::holds_alternative<P::HistoryMore>(frame)) {
          ++historyRequests;
          sendFrame(c, attaches.size() - 1, P::encodeHistoryOlder("older page line\r\n"));
          sendFrame(c, attaches.size() - 1, P::encodeHistoryOlderEnd({.atTop = true, .lines = 1}));
        }
        if (const auto* input = std::get_if<P::Input>(&frame)) {
          typed.push_back(input->bytes);
          if (echo) sendFrame(c, attaches.size() - 1, P::encodeOutput(input->bytes));
        }
      }
    };
  }

  void TearDown() override { m_view.reset(); }

  void sendFrame(FakeDaemon::Connection& c, std::size_t attach, const std::string& frame) {
    c.event(attaches.at(attach)["id"], {{"data", base64(frame)}});
  }

  LiveTerminalView& makeView(LiveTerminalView::Options options = {}) {
    if (!options.control) options.control = ControlPlaneClient::create(m_socketPath, "secret", 2.0);
    options.settings = m_settings.get();
    if (!options.openUrl) options.openUrl = [this](const QUrl& url) { opened.push_back(url.toString()); };
    m_view = std::make_unique<LiveTerminalView>(std::move(options));
    m_view->resize(800, 480);
    m_view->show();
    return *m_view;
  }

  LiveTerminalView& attachedView(const QString& paneId = QStringLiteral("%5")) {
    auto& view = makeView();
    view.showPane(paneId);
    EXPECT_TRUE(waitForCondition([&] { return view.isSessionReady(); })) << "the session never became ready";
    return view;
  }

  std::string allTyped() const {
    std::string all;
    for (const auto& t : typed) all += t;
    return all;
  }

  QTemporaryDir m_dir;
  std::string m_socketPath;
  std::unique_ptr<FakeDaemon> m_daemon;
  std::unique_ptr<vesket::shell::SettingsStore> m_settings;
  std::unique_ptr<LiveTerminalView> m_view;
  std::vector<json> attaches;
  std::vector<std::string> typed;
  std::vector<QString> opened;
  std::function<void(FakeDaemon::Connection&, std::size_t)> greeting;
  bool echo = true;
  bool holdReady = false;  // the test sends ready itself
  int historyRequests = 0;
};

TEST_F(LiveTerminalViewTest, ShowsHistoryAndOutputAndCarriesTypingBack) {
  greeting = [this](FakeDaemon::Connection& c, std::size_t attach) {
    sendFrame(c, attach, P::encodeHistory("earlier line\r\n"));
    sendFrame(c, attach, P::encodeHistoryEnd());
    sendFrame(c, attach, P::encodeOutput("agent$ "));
  };
  auto& view = attachedView();
  ASSERT_TRUE(waitForCondition([&] { return screenText(view).contains("agent$ "); })) << screenText(view).toStdString();
  EXPECT_TRUE(screenText(view).contains("earlier line"));

  ASSERT_EQ(attaches.size(), 1u);
  EXPECT_EQ(attaches[0]["args"]["paneId"], "%5");
  EXPECT_EQ(attaches[0]["args"]["historyLimit"], 500);
  EXPECT_EQ(attaches[0]["args"]["open"], true);
  EXPECT_GE(attaches[0]["args"]["cols"].get<int>(), 40) << "the size the page measured";

  QTest::keyClicks(vesket::testing::keyTarget(view), "echo hi");
  QTest::keyClick(vesket::testing::keyTarget(view), Qt::Key_Return);
  ASSERT_TRUE(waitForCondition([&] { return allTyped() == "echo hi\r"; })) << allTyped();
  ASSERT_TRUE(waitForCondition([&] { return screenText(view).contains("agent$ echo hi"); }));
}

// Typing before the page or the session is ready is kept and sent in order after ready;
// meanwhile the view says it is attaching.
TEST_F(LiveTerminalViewTest, InputBeforeReadyIsSentInOrderAfterIt) {
  echo = false;
  holdReady = true;
  auto& view = makeView();
  view.showPane(QStringLiteral("%5"));
  view.pasteText("ls");  // before the page is even loaded
  ASSERT_TRUE(waitForCondition([&] { return attaches.size() == 1; }));
  EXPECT_EQ(view.statusText(), QStringLiteral("Attaching…"));
  view.pasteText(" -l");
  view.sendKey(vesket::viewer::TerminalKeyEventAdapter::fromParts(Qt::Key_Return, Qt::NoModifier, "\r", false, 0));
  QTest::qWait(100);
  EXPECT_TRUE(typed.empty()) << "nothing goes out before ready";
  sendFrame(m_daemon->connection(0), 0, P::encodeReady({.paneId = "%5", .cols = 80, .rows = 24, .mode = "mirror"}));
  ASSERT_TRUE(waitForCondition([&] { return allTyped() == "ls -l\r"; })) << allTyped();
  EXPECT_TRUE(view.statusText().isEmpty());
}

TEST_F(LiveTerminalViewTest, AnOutputBurstCostsFewEvaluations) {
  greeting = [this](FakeDaemon::Connection& c, std::size_t attach) {
    std::string burst;
    for (int i = 0; i < 400; ++i) sendFrame(c, attach, P::encodeOutput("line " + std::to_string(i) + "\r\n"));
  };
  auto& view = attachedView();
  ASSERT_TRUE(waitForCondition([&] { return screenText(view).contains("line 399"); }));
  EXPECT_TRUE(screenText(view).contains("line 390"));
  EXPECT_LT(view.evaluationCount(), 100) << "400 frames in a burst are batched into few evaluations";
}

TEST_F(LiveTerminalViewTest, PasteIsBracketedOnlyWhenThePaneAskedForIt) {
  echo = false;
  auto& view = attachedView();
  view.pasteText("one");
  ASSERT_TRUE(waitForCondition([&] { return allTyped() == "one"; })) << allTyped();
  sendFrame(m_daemon->connection(0), 0, P::encodeOutput("\x1b[?2004h"));
  ASSERT_TRUE(waitForCondition([&] { return view.bracketedPasteMode(); }));
  view.pasteText("two");
  ASSERT_TRUE(waitForCondition([&] { return typed.size() == 2; }));
  EXPECT_EQ(typed[1], "\x1b[200~two\x1b[201~");
}

TEST_F(LiveTerminalViewTest, AnotherPaneSupersedesTheEarlierSession) {
  auto& view = attachedView(QStringLiteral("%1"));
  EXPECT_EQ(view.generation(), 1);
  view.showPane(QStringLiteral("%2"));
  ASSERT_TRUE(waitForCondition([&] { return attaches.size() == 2 && view.isSessionReady(); }));
  EXPECT_EQ(view.generation(), 2);
  EXPECT_EQ(attaches[1]["args"]["paneId"], "%2");
  ASSERT_TRUE(waitForCondition([&] {
    for (const auto& r : m_daemon->requests()) {
      if (r["cmd"] == "terminal-detach") return true;
    }
    return false;
  })) << "the first session is detached";
  sendFrame(m_daemon->connection(0), 0, P::encodeOutput("from-first"));
  sendFrame(m_daemon->connection(1), 1, P::encodeOutput("from-second"));
  ASSERT_TRUE(waitForCondition([&] { return screenText(view).contains("from-second"); }));
  EXPECT_FALSE(screenText(view).contains("from-first"));
}

TEST_F(LiveTerminalViewTest, KeysTypedDuringACompositionFollowItsCommittedText) {
  echo = false;
  auto& view = attachedView();
  auto* channel = view.findChild<LiveTerminalChannel*>();
  ASSERT_NE(channel, nullptr);
  channel->postMessage("compositionBoundary", {{"phase", "start"}});
  view.pasteText("x");
  QTest::qWait(100);
  EXPECT_TRUE(typed.empty()) << "held while the composition is in flight";
  channel->postMessage("imeCommit", {{"text", QString::fromUtf8("日本")}});
  ASSERT_TRUE(waitForCondition([&] { return typed.size() == 2; }));
  EXPECT_EQ(typed, (std::vector<std::string>{"日本", "x"}));
}

TEST_F(LiveTerminalViewTest, OnlyWebLinksAreOpenedAndUnknownMessagesAreIgnored) {
  auto& view = attachedView();
  auto* channel = view.findChild<LiveTerminalChannel*>();
  ASSERT_NE(channel, nullptr);
  for (const char* url : {"file:///etc/passwd", "javascript:alert(1)", "https://example.com/a", "vesket://x",
                          "http://example.org"}) {
    channel->postMessage("openUrl", {{"url", url}});
  }
  channel->postMessage("noSuchMessage", {{"url", "https://example.com/b"}});
  channel->postMessage("openUrl", {});
  EXPECT_EQ(opened, (std::vector<QString>{"https://example.com/a", "http://example.org"}));
}

TEST_F(LiveTerminalViewTest, AMissingPageShowsTheAssetsText) {
  auto& view = makeView({.pagePresent = [] { return false; }});
  EXPECT_TRUE(view.showsAssetsMissing());
  EXPECT_EQ(view.webView(), nullptr);
  view.showPane(QStringLiteral("%5"));
  view.pasteText("ignored");
  QTest::qWait(50);
  EXPECT_TRUE(attaches.empty());
  EXPECT_EQ(qtTrId(LiveTerminalView::kAssetsMissingText), QStringLiteral("Terminal assets missing from the app bundle."));
}

TEST_F(LiveTerminalViewTest, AnUnreachableDaemonIsRetriedThenReported) {
  m_daemon.reset();
  auto& view = makeView({.localAttachAttempts = 2});
  view.showPane(QStringLiteral("%5"));
  ASSERT_TRUE(waitForCondition([&] { return view.statusText() == "The terminal of this pane is not reachable."; }))
      << view.statusText().toStdString();
  EXPECT_EQ(view.generation(), 2) << "one retry, one generation each";
  view.resize(760, 320);
  vesket::testing::saveScreenshot(view, "live-terminal-failed-attach");
}

// The display mode the user chose is what the attach asks for: the shared mirror view, or
// taking the pane over at the terminal's size.
TEST_F(LiveTerminalViewTest, DisplayModeSettingChoosesMirrorOrTakeover) {
  auto& view = attachedView();
  EXPECT_EQ(attaches.back()["args"]["mode"], "mirror");
  m_settings->setValue("durnvale.liveTerminalDisplayMode", "takeover");
  view.showPane("%6");
  ASSERT_TRUE(waitForCondition([&] { return attaches.size() == 2; }));
  EXPECT_EQ(attaches.back()["args"]["mode"], "takeover");
}

// The window hands its colour scheme in before the page exists and whenever it changes.
TEST_F(LiveTerminalViewTest, FollowsTheWindowsColourScheme) {
  auto& view = makeView();
  view.setTheme({{"background", "#fbfbfc"}, {"foreground", "#1f2328"}});
  ASSERT_TRUE(waitForCondition([&] { return view.isPageReady(); }));
  auto background = [&] {
    QString value;
    bool answered = false;
    view.runScript("document.body.style.background", [&](const QVariant& result) {
      value = result.toString();
      answered = true;
    });
    waitForCondition([&] { return answered; });
    return value;
  };
  EXPECT_TRUE(waitForCondition([&] { return background() == "rgb(251, 251, 252)"; })) << background().toStdString();
  view.setTheme({{"background", "#1e1f22"}, {"foreground", "#d4d4d4"}});
  EXPECT_TRUE(waitForCondition([&] { return background() == "rgb(30, 31, 34)"; })) << background().toStdString();
}

TEST_F(LiveTerminalViewTest, HistoryIsDeHardWrappedWhenTheSettingIsOn) {
  m_settings->setValue("durnvale.desktopHistoryDeHardWrapEnabled", true);
  greeting = [this](FakeDaemon::Connection& c, std::size_t attach) {
    // An answer the agent hard-wrapped at an older width, split over two chunks.
    sendFrame(c, attach, P::encodeHistory("\u23fa This paragraph was wrapped by the agent at forty\r\n"));
    sendFrame(c, attach, P::encodeHistory("  columns and carries on.\r\n"));
    sendFrame(c, attach, P::encodeHistoryEnd());
    sendFrame(c, attach, P::encodeOutput("$ "));
  };
  auto& view = attachedView();
  ASSERT_TRUE(waitForCondition([&] { return screenText(view).contains("$ "); }));
  EXPECT_TRUE(screenText(view).contains("agent at forty columns and carries on.")) << screenText(view).toStdString();
}

TEST_F(LiveTerminalViewTest, OlderHistoryIsFetchedOnlyForTheCurrentGeneration) {
  greeting = [this](FakeDaemon::Connection& c, std::size_t attach) { sendFrame(c, attach, P::encodeOutput("now$ ")); };
  auto& view = attachedView();
  ASSERT_TRUE(waitForCondition([&] { return screenText(view).contains("now$ "); }));
  auto* channel = view.findChild<LiveTerminalChannel*>();
  ASSERT_NE(channel, nullptr);
  channel->postMessage("requestOlderHistory", {{"generation", 7}});
  QTest::qWait(100);
  EXPECT_EQ(historyRequests, 0) << "a request of another generation is ignored";
  channel->postMessage("requestOlderHistory", {{"generation", static_cast<qint64>(view.generation())}});
  ASSERT_TRUE(waitForCondition([&] { return historyRequests == 1; }));
  // The older page goes above what the pane shows (all of it fits on the screen here).
  ASSERT_TRUE(waitForCondition([&] { return screenText(view).contains("older page line"); }))
      << screenText(view).toStdString();
}

TEST_F(LiveTerminalViewTest, KeysHandedInFollowTheCursorKeyModeThePaneSet) {
  echo = false;
  auto& view = attachedView();
  const auto up = vesket::viewer::TerminalKeyEventAdapter::fromParts(Qt::Key_Up, Qt::NoModifier, QString(), false, 0);
  view.sendKey(up);
  ASSERT_TRUE(waitForCondition([&] { return typed.size() == 1; }));
  EXPECT_EQ(typed[0], "\x1b[A");
  sendFrame(m_daemon->connection(0), 0, P::encodeOutput("\x1b[?1h"));
  ASSERT_TRUE(waitForCondition([&] { return view.applicationCursorKeys(); }));
  view.sendKey(vesket::viewer::TerminalKeyEventAdapter::fromParts(Qt::Key_Up, Qt::NoModifier, QString(), false, 500));
  ASSERT_TRUE(waitForCondition([&] { return typed.size() == 2; }));
  EXPECT_EQ(typed[1], "\x1bOA");
}

// Keys typed into the page are encoded by the key encoder and pass its filters, never the
// page's own encoding; the window's shortcuts do not take the keys the pane needs.
TEST_F(LiveTerminalViewTest, TypedKeysGoThroughTheEncoderAndBeatTheWindowsShortcuts) {
  echo = false;
  auto& view = attachedView();
  int shortcutsFired = 0;
  for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::CTRL | Qt::Key_1),
                                   QKeySequence(Qt::ALT | Qt::Key_Down)}) {
    QObject::connect(new QShortcut(keys, &view), &QShortcut::activated, [&] { ++shortcutsFired; });
  }
  QWidget* target = vesket::testing::keyTarget(view);
  press(target, Qt::Key_L, Qt::ControlModifier, "\x0c", 100);
  press(target, Qt::Key_1, Qt::ControlModifier, "1", 200);  // no control byte: nothing is sent
  press(target, Qt::Key_Down, Qt::AltModifier, QString(), 300);
  press(target, Qt::Key_Delete, Qt::ShiftModifier, QString(), 400);  // no modified form
  // A held key: repeats closer than 80 ms to the last one sent are dropped.
  press(target, Qt::Key_A, Qt::NoModifier, "a", 1000);
  press(target, Qt::Key_A, Qt::NoModifier, "a", 1010, true);
  press(target, Qt::Key_A, Qt::NoModifier, "a", 1020, true);
  press(target, Qt::Key_A, Qt::NoModifier, "a", 1100, true);
  // The same press arriving twice within a few milliseconds goes out once.
  press(target, Qt::Key_B, Qt::NoModifier, "b", 2000);
  press(target, Qt::Key_B, Qt::NoModifier, "b", 2004);
  const std::vector<std::string> expected{"\x0c", "\x1b[1;3B", "\x1b[3~", "a", "a", "a", "b"};
  ASSERT_TRUE(waitForCondition([&] { return typed.size() >= expected.size(); })) << allTyped();
  QTest::qWait(200);
  EXPECT_EQ(typed, expected);
  EXPECT_EQ(shortcutsFired, 0) << "a window shortcut took a key typed into the terminal";
}

// Ctrl+Shift+V and Shift+Insert paste: text as a (bracketed when asked) paste, an image as an
// image attachment through the daemon's send-image.
TEST_F(LiveTerminalViewTest, PasteKeysSendTextAndImages) {
  echo = false;
  std::vector<json> imageRequests;
  auto attachAndEcho = m_daemon->onRequest;
  m_daemon->onRequest = [&, attachAndEcho](FakeDaemon::Connection& c, const json& request) {
    if (request["cmd"] != "send-image") return attachAndEcho(c, request);
    imageRequests.push_back(request);
    c.reply(request["id"], {{"ok", true}, {"paths", json::array({"/tmp/pasted.png"})}});
  };
  auto& view = attachedView();
  QWidget* target = vesket::testing::keyTarget(view);
  QApplication::clipboard()->setText("pasted words");
  press(target, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier, QString(), 100);
  ASSERT_TRUE(waitForCondition([&] { return typed.size() == 1; })) << allTyped();
  EXPECT_EQ(typed[0], "pasted words");

  QImage image(6, 4, QImage::Format_RGB32);
  image.fill(Qt::red);
  QApplication::clipboard()->setImage(image);
  press(target, Qt::Key_Insert, Qt::ShiftModifier, QString(), 200);
  ASSERT_TRUE(waitForCondition([&] { return imageRequests.size() == 1; }));
  const json& args = imageRequests[0]["args"];
  EXPECT_EQ(args["paneId"], "%5");
  ASSERT_EQ(args["images"].size(), 1u);
  EXPECT_EQ(args["images"][0]["ext"], "png");
  EXPECT_EQ(args["submit"], false) << "a pasted image joins the line being typed; Enter is the user's";
  QImage received;
  ASSERT_TRUE(received.loadFromData(QByteArray::fromBase64(QByteArray::fromStdString(args["images"][0]["base64"])), "PNG"));
  EXPECT_EQ(received.size(), QSize(6, 4));
  QTest::qWait(100);
  EXPECT_EQ(typed.size(), 1u) << "an image is not typed as text";
}

}  // namespace
