// The terminal page in a real QtWebEngine view (offscreen), driven through the same scripts
// and channel object the live terminal bridge uses.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <functional>
#include <memory>

#include "terminal/terminal_page_resources.h"
#include "tests/support/screenshot.h"

namespace vesket::terminal {

// Stands in for the bridge's channel object: records what the page posts.
class RecordingBridge : public QObject {
  Q_OBJECT

 public:
  struct Message {
    QString name;
    QJsonObject payload;
  };
  QList<Message> messages;

  int count(const QString& name) const {
    int n = 0;
    for (const auto& message : messages) n += message.name == name;
    return n;
  }
  const Message* last(const QString& name) const {
    for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
      if (it->name == name) return &*it;
    }
    return nullptr;
  }

 public slots:
  void postMessage(const QString& name, const QJsonObject& payload) { messages.push_back({name, payload}); }
};

namespace {

QString base64(const QByteArray& bytes) { return QString::fromLatin1(bytes.toBase64()); }

class TerminalPageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static QTemporaryDir runtimeDir;
    QFile::setPermissions(runtimeDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toUtf8());
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox");
  }

  void SetUp() override {
    m_profile = std::make_unique<QWebEngineProfile>();  // off the record: no files
    m_view = std::make_unique<QWebEngineView>();
    m_page = new QWebEnginePage(m_profile.get(), m_view.get());
    m_view->setPage(m_page);
    auto* channel = new QWebChannel(m_page);
    channel->registerObject(QStringLiteral("terminalBridge"), &bridge);
    m_page->setWebChannel(channel);
    m_view->resize(800, 480);
    m_view->show();
    m_view->load(TerminalPageResources::entryUrl());
    ASSERT_TRUE(waitFor([&] { return bridge.count("ready") > 0; })) << "the page never posted ready";
  }

  void TearDown() override {
    m_view.reset();
    m_profile.reset();
  }

  QVariant eval(const QString& script) {
    QVariant result;
    bool done = false;
    QEventLoop loop;
    m_page->runJavaScript(script, [&](const QVariant& value) {
      result = value;
      done = true;
      loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    if (!done) loop.exec();
    EXPECT_TRUE(done) << "script did not return: " << script.toStdString();
    return result;
  }

  static bool waitFor(const std::function<bool()>& condition, int timeoutMs = 30000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
      if (timer.elapsed() > timeoutMs) return false;
      QTest::qWait(10);
    }
    return true;
  }

  QString screen() { return eval("window.__termScreenText()").toString(); }

  bool screenContains(const QString& text) {
    return waitFor([&] { return screen().contains(text); }, 10000);
  }

  QWidget* focusTarget() {
    m_view->activateWindow();
    m_view->setFocus();
    QWidget* proxy = m_view->focusProxy();
    return proxy ? proxy : m_view.get();
  }

  QWebEngineView* view() { return m_view.get(); }

  RecordingBridge bridge;

 private:
  std::unique_ptr<QWebEngineProfile> m_profile;
  std::unique_ptr<QWebEngineView> m_view;
  QWebEnginePage* m_page = nullptr;
};

TEST_F(TerminalPageTest, ReportsLoadAndGeometry) {
  const auto* ready = bridge.last("ready");
  ASSERT_NE(ready, nullptr);
  EXPECT_GE(ready->payload["cols"].toInt(), 40);
  EXPECT_GE(ready->payload["rows"].toInt(), 10);
  EXPECT_GT(ready->payload["cellWidth"].toDouble(), 0);
  EXPECT_EQ(bridge.messages.front().name, "pageLoaded");
  EXPECT_EQ(eval("window.__metricsSettledFlag === true").toBool(), true);
  const QVariantMap geometry = eval("window.__measureAttachGeometry()").toMap();
  EXPECT_EQ(geometry["cols"].toInt(), ready->payload["cols"].toInt());
  EXPECT_TRUE(geometry["settled"].toBool());
}

TEST_F(TerminalPageTest, WritesHistoryAndOutputOfTheCurrentGeneration) {
  eval(QString("window.__termHistoryChunk('%1', 1, true);").arg(base64("history line\r\n")));
  eval("window.__termHistoryEnd(1, false);");
  eval(QString("window.__termWrite('%1', 1, false, 7);").arg(base64("\x1b[32mhello\x1b[0m from the pane")));
  ASSERT_TRUE(screenContains("hello from the pane")) << screen().toStdString();
  EXPECT_TRUE(screen().contains("history line"));
  QTest::qWait(200);
  vesket::testing::saveScreenshot(*view(), "terminal_page_output");

  // An older session's output is dropped; a newer session starts on a clean terminal.
  eval(QString("window.__termWrite('%1', 0, false, null);").arg(base64("stale")));
  eval(QString("window.__termWrite('%1', 2, false, null);").arg(base64("second session")));
  ASSERT_TRUE(screenContains("second session"));
  EXPECT_FALSE(screen().contains("history line"));
  EXPECT_FALSE(screen().contains("stale"));
  EXPECT_EQ(eval("window.__termFlowState().generation").toInt(), 2);
}

TEST_F(TerminalPageTest, ReportsCursorKeyAndBracketedPasteModes) {
  eval(QString("window.__termWrite('%1', 1, false, null);").arg(base64("\x1b[?1h\x1b[?2004h")));
  ASSERT_TRUE(waitFor([&] { return bridge.count("cursorKeyMode") > 0 && bridge.count("bracketedPasteMode") > 0; }));
  EXPECT_TRUE(bridge.last("cursorKeyMode")->payload["application"].toBool());
  EXPECT_TRUE(bridge.last("bracketedPasteMode")->payload["enabled"].toBool());
  eval(QString("window.__termWrite('%1', 1, false, null);").arg(base64("\x1b[?1l")));
  ASSERT_TRUE(waitFor([&] { return bridge.count("cursorKeyMode") == 2; }));
  EXPECT_FALSE(bridge.last("cursorKeyMode")->payload["application"].toBool());
}

TEST_F(TerminalPageTest, OlderHistoryGoesAboveWhatIsShown) {
  eval(QString("window.__termHistoryChunk('%1', 1, true);").arg(base64("current line\r\n")));
  eval("window.__termHistoryEnd(1, false);");
  ASSERT_TRUE(screenContains("current line"));
  eval(QString("window.__termOlderChunk('%1', 1);").arg(base64("older line one\r\n")));
  eval(QString("window.__termOlderChunk('%1', 1);").arg(base64("older line two")));
  eval("window.__termOlderEnd(1, true, 2);");
  ASSERT_TRUE(screenContains("older line two"));
  const QStringList rows = screen().split('\n');
  ASSERT_GE(rows.size(), 3);
  EXPECT_EQ(rows[0], "older line one");
  EXPECT_EQ(rows[1], "older line two");
  EXPECT_EQ(rows[2], "current line");
}

TEST_F(TerminalPageTest, FloodIsAcknowledgedWithinTheHighWaterMark) {
  // 8 MiB in 128 frames of 64 KiB, as fast as the bridge could evaluate them.
  eval(R"(
    (function () {
      const line = 'flood '.repeat(10) + '\r\n';
      const chunk = btoa(line.repeat(Math.ceil(65536 / line.length)).slice(0, 65536));
      for (let i = 0; i < 128; i++) window.__termWrite(chunk, 1, false, null);
      window.__termWrite(btoa('\r\nflood done'), 1, false, null);
    })();
  )");
  int samples = 0;
  bool drained = waitFor([&] {
    const QVariantMap flow = eval("window.__termFlowState()").toMap();
    const auto inFlight = flow["writtenBytes"].toLongLong() - flow["acknowledgedBytes"].toLongLong();
    EXPECT_LE(inFlight, 256 * 1024 + 65536);
    ++samples;
    return flow["queuedItems"].toInt() == 0 && inFlight == 0;
  }, 120000);
  ASSERT_TRUE(drained);
  EXPECT_GT(samples, 1);  // the page answered while the flood was being written
  const QVariantMap flow = eval("window.__termFlowState()").toMap();
  EXPECT_EQ(flow["acknowledgedBytes"].toLongLong(), 128 * 65536 + 12);
  EXPECT_EQ(flow["droppedBytes"].toLongLong(), 0);
  EXPECT_TRUE(screenContains("flood done"));
}

TEST_F(TerminalPageTest, OverflowDropsTheOldestWaitingOutputAndSaysSo) {
  eval("window.__termInit({flowLimits: {highWaterBytes: 1024, maxQueuedBytes: 4096}});");
  eval(R"(
    (function () {
      const chunk = btoa('x'.repeat(1024));
      for (let i = 0; i < 40; i++) window.__termWrite(chunk, 1, false, null);
      window.__termWrite(btoa('\r\nlast frame'), 1, false, null);
    })();
  )");
  // Nothing waits and the last write is acknowledged too (it may still be in xterm.js when
  // the queue empties).
  ASSERT_TRUE(waitFor([&] {
    const QVariantMap state = eval("window.__termFlowState()").toMap();
    return state["queuedItems"].toInt() == 0 && state["writtenBytes"] == state["acknowledgedBytes"];
  }));
  const QVariantMap flow = eval("window.__termFlowState()").toMap();
  EXPECT_GT(flow["droppedBytes"].toLongLong(), 0);
  EXPECT_EQ(flow["droppedBytes"].toLongLong() + flow["acknowledgedBytes"].toLongLong(), 40 * 1024 + 12);
  EXPECT_EQ(bridge.count("renderAnomaly"), 1);
  EXPECT_TRUE(screenContains("last frame"));  // the newest output survives
}

TEST_F(TerminalPageTest, WheelAtTheTopAsksOnceForOlderHistory) {
  eval(QString("window.__termHistoryChunk('%1', 1, true);").arg(base64("only line\r\n")));
  eval("window.__termHistoryEnd(1, false);");
  ASSERT_TRUE(screenContains("only line"));
  const QString wheelUp = "document.querySelector('.xterm').dispatchEvent("
                          "new WheelEvent('wheel', {deltaY: -120, bubbles: true, cancelable: true}));";
  eval(wheelUp);
  eval(wheelUp);
  ASSERT_TRUE(waitFor([&] { return bridge.count("requestOlderHistory") > 0; }, 5000));
  EXPECT_EQ(bridge.last("requestOlderHistory")->payload["generation"].toInt(), 1);
  eval("window.__termOlderEnd(1, true, 0);");
  eval(wheelUp);
  QTest::qWait(100);
  EXPECT_EQ(bridge.count("requestOlderHistory"), 1);  // pending, then at the top
}

TEST_F(TerminalPageTest, FirstReadableFrameIsReported) {
  eval("window.__armFirstReadableFrame();");
  eval(QString("window.__termWrite('%1', 1, false, null);").arg(base64("\x1b[2J\x1b[H")));
  eval(QString("window.__termWrite('%1', 1, false, null);").arg(base64("$ prompt")));
  ASSERT_TRUE(waitFor([&] { return bridge.count("contentParity") > 0; }, 10000));
  EXPECT_EQ(bridge.count("contentParity"), 1);
  EXPECT_TRUE(bridge.last("contentParity")->payload["text"].toString().contains("$ prompt"));
}

TEST_F(TerminalPageTest, OpensOnlyWebLinks) {
  // Two hyperlinks (OSC 8) on the first two rows: a file link, then a web link.
  const QByteArray links =
      "\x1b]8;;file:///etc/passwd\x07FILELINKFILELINK\x1b]8;;\x07\r\n"
      "\x1b]8;;https://example.com/docs\x07WEBLINKWEBLINKWEB\x1b]8;;\x07\r\n";
  eval(QString("window.__termWrite('%1', 1, false, null);").arg(base64(links)));
  ASSERT_TRUE(screenContains("WEBLINKWEBLINKWEB"));
  const QVariantMap cell = eval("(function () { const s = document.querySelector('.xterm-screen').getBoundingClientRect();"
                                " return {left: s.left, top: s.top, w: s.width / window.__measureAttachGeometry().cols,"
                                " h: s.height / document.querySelectorAll('.xterm-rows > div').length}; })()")
                               .toMap();
  QWidget* target = focusTarget();
  const auto clickRow = [&](int row) {
    const QPoint point(int(cell["left"].toDouble() + cell["w"].toDouble() * 4),
                       int(cell["top"].toDouble() + cell["h"].toDouble() * (row + 0.5)));
    QTest::mouseMove(target, point);
    QTest::qWait(100);
    QTest::mouseMove(target, point + QPoint(1, 0));
    QTest::qWait(100);
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, point + QPoint(1, 0));
    QTest::qWait(200);
  };
  clickRow(0);
  clickRow(1);
  ASSERT_TRUE(waitFor([&] { return bridge.count("openUrl") > 0; }, 5000));
  EXPECT_EQ(bridge.count("openUrl"), 1);
  EXPECT_EQ(bridge.last("openUrl")->payload["url"].toString(), "https://example.com/docs");
}

TEST_F(TerminalPageTest, ResizesToTheGivenSize) {
  eval("window.__reconcileMode('mirror'); window.__termResize(60, 12);");
  EXPECT_EQ(screen().split('\n').size(), 12);
}

// The bridge encodes key presses itself: keys that reach the page turn into no input there,
// while text pasted into the page (its context menu, a middle click) still does.
TEST_F(TerminalPageTest, KeysAreLeftToTheBridgeButPastesArePostedAsInput) {
  eval("window.__termInit({});");  // focuses the terminal
  QTest::keyClicks(focusTarget(), "ls");
  QTest::keyClick(focusTarget(), Qt::Key_Return);
  QTest::qWait(300);
  EXPECT_EQ(bridge.count("input"), 0);
  eval("document.querySelector('.xterm-helper-textarea').dispatchEvent(new ClipboardEvent('paste', "
       "{clipboardData: (() => { const d = new DataTransfer(); d.setData('text/plain', 'pasted'); return d; })()}));");
  ASSERT_TRUE(waitFor([&] { return bridge.count("input") >= 1; }, 5000));
  EXPECT_EQ(bridge.last("input")->payload["text"].toString(), "pasted");
}

}  // namespace
}  // namespace vesket::terminal

#include "terminal_page_test.moc"
