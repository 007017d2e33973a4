// The live terminal streams ("terminal-attach", "terminal-input", "terminal-detach") of the
// real `vesket` daemon against panes of a private tmux server.
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>
#include <cctype>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "control_plane/core/base64.h"
#include "control_plane/core/line_accumulator.h"
#include "relay/core/terminal_protocol.h"
#include "tests/support/private_daemon.h"
#include "tests/support/event_loop.h"

namespace vesket::daemon::testing {
namespace {

using namespace vesket::testing;

namespace TP = relay::TerminalProtocol;

// One attach session spoken by hand: the request, then the decoded frames of its events.
class Viewer {
 public:
  explicit Viewer(const QString& socketPath) : m_client(socketPath) {}

  void attach(const QString& paneId, nlohmann::json extra = nlohmann::json::object()) {
    m_id = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    nlohmann::json args = {{"paneId", paneId.toStdString()}, {"mode", "mirror"}, {"force", false}, {"open", true}};
    args.update(extra);
    m_client.sendRequest(m_id, "terminal-attach", args);
  }
  std::string sessionId() const { return "local-" + m_id; }
  void cancel() { m_client.writeRaw(QByteArray::fromStdString(nlohmann::json{{"id", m_id}, {"cmd", "cancel"}}.dump() + "\n")); }
  const std::string& attachId() const { return m_id; }

  void send(const std::string& frame) {
    m_client.sendRequest(QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString(), "terminal-input",
                         {{"sessionId", sessionId()}, {"data", control_plane::Base64::encode(frame)}});
  }

  // Reads lines until `done()` holds; false when it did not in time.
  bool readUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
      if (timer.elapsed() > timeoutMs) return false;
      const auto line = m_client.nextLine(100);
      if (line) take(*line);
    }
    return true;
  }

  std::vector<TP::Frame> frames;
  std::vector<nlohmann::json> otherLines;  // replies to input frames, failures
  std::string output;                      // bytes of output frames after historyEnd
  std::string history;
  bool historyEnded = false;
  bool done = false;
  bool failed = false;

  template <typename T>
  const T* first() const {
    for (const auto& frame : frames) {
      if (const auto* f = std::get_if<T>(&frame)) return f;
    }
    return nullptr;
  }
  template <typename T>
  std::size_t count() const {
    std::size_t n = 0;
    for (const auto& frame : frames) n += std::holds_alternative<T>(frame) ? 1 : 0;
    return n;
  }

 private:
  void take(const nlohmann::json& line) {
    if (line.value("id", std::string()) != m_id) {
      otherLines.push_back(line);
      return;
    }
    if (line.value("done", false)) {
      done = true;
      return;
    }
    if (!line.value("ok", false)) {
      failed = true;
      otherLines.push_back(line);
      return;
    }
    const auto frame = TP::decode(control_plane::Base64::decode(line["event"]["data"].get<std::string>()));
    if (const auto* out = std::get_if<TP::Output>(&frame)) {
      if (historyEnded) output += out->bytes;
    } else if (const auto* h = std::get_if<TP::History>(&frame)) {
      history += h->bytes;
    } else if (std::holds_alternative<TP::HistoryEnd>(frame)) {
      historyEnded = true;
    }
    frames.push_back(frame);
  }

  LineClient m_client;
  std::string m_id;
};

class DaemonTerminalAttachTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_daemon.start();
    m_pane = m_tmux.paneIds().front();
  }

  QString tmux(const QStringList& args) { return m_tmux.run(args); }

  PrivateTmux m_tmux{PrivateTmux::Start::shellSession};
  PrivateDaemon m_daemon{m_tmux};
  QString m_pane;
};

TEST_F(DaemonTerminalAttachTest, AttachTypesThroughInputFramesAndStreamsTheEcho) {
  Viewer viewer(m_daemon.socketPath());
  viewer.attach(m_pane);
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.historyEnded && viewer.first<TP::MouseMode>() != nullptr; }));

  // ready, geometry, history..., historyEnd, mouseMode: in this order.
  ASSERT_TRUE(std::holds_alternative<TP::Ready>(viewer.frames.front()));
  const auto& ready = std::get<TP::Ready>(viewer.frames.front()).payload;
  EXPECT_EQ(ready.paneId, m_pane.toStdString());
  EXPECT_EQ(ready.mode, "mirror");
  EXPECT_EQ(ready.cols, 160);  // mirror keeps the pane's size
  EXPECT_EQ(ready.rows, 40);
  ASSERT_TRUE(std::holds_alternative<TP::Geometry>(viewer.frames[1]));
  EXPECT_EQ(std::get<TP::Geometry>(viewer.frames[1]), (TP::Geometry{160, 40}));
  EXPECT_GE(viewer.count<TP::History>(), 1u);
  EXPECT_FALSE(viewer.first<TP::MouseMode>()->payload.enabled);

  // Control keys and UTF-8 arrive byte-exactly: C-u clears the junk, the rest runs.
  viewer.send(TP::encodeInput("junk\x15"));
  viewer.send(TP::encodeInput("echo hi-$((40+2)) \xc3\xa9t\xc3\xa9\r"));
  EXPECT_TRUE(viewer.readUntil([&] { return viewer.output.find("hi-42 \xc3\xa9t\xc3\xa9\r\n") != std::string::npos; }))
      << viewer.output;
  EXPECT_TRUE(m_tmux.capturePane(m_pane).contains(QStringLiteral("hi-42 été")));

  viewer.send(TP::encodePing());
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.first<TP::Pong>() != nullptr; }));
  EXPECT_EQ(viewer.first<TP::Pong>()->payload.mode, "mirror");

  // Nothing older than what was sent: the pager says so at once.
  viewer.send(TP::encodeHistoryMore());
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.first<TP::HistoryOlderEnd>() != nullptr; }));
  EXPECT_TRUE(viewer.first<TP::HistoryOlderEnd>()->payload.atTop);
  EXPECT_TRUE(viewer.otherLines.empty()) << viewer.otherLines.front().dump();
}

// Keys typed the moment the attach goes out (the pane's stream still opening) are kept and
// typed in order once it is open; the session is not failed for them.
TEST_F(DaemonTerminalAttachTest, InputForAStreamStillOpeningIsTypedInOrder) {
  Viewer viewer(m_daemon.socketPath());
  viewer.attach(m_pane);
  viewer.send(TP::encodeInput("echo ear"));
  viewer.send(TP::encodeInput("ly-$((3*"));
  viewer.send(TP::encodeInput("4))\r"));
  EXPECT_TRUE(waitUntil([&] { return m_tmux.capturePane(m_pane).contains(QStringLiteral("early-12")); }));
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.historyEnded; }));
  viewer.send(TP::encodePing());
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.first<TP::Pong>() != nullptr; }));
  EXPECT_FALSE(viewer.failed);
  for (const auto& line : viewer.otherLines) EXPECT_TRUE(line.value("ok", false)) << line.dump();
}

TEST_F(DaemonTerminalAttachTest, OlderHistoryComesInPagesOnRequest) {
  tmux({"send-keys", "-t", m_pane, "seq -f 'line-%g' 1 400", "Enter"});
  ASSERT_TRUE(waitUntil([&] { return m_tmux.capturePane(m_pane).contains(QStringLiteral("line-400")); }));
  ASSERT_TRUE(waitUntil([&] { return tmux({"display", "-p", "-t", m_pane, "#{history_size}"}).toInt() >= 300; }));

  Viewer viewer(m_daemon.socketPath());
  viewer.attach(m_pane, {{"historyLimit", 50}});
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.historyEnded; }));
  EXPECT_NE(viewer.history.find("line-400"), std::string::npos);
  EXPECT_EQ(viewer.history.find("line-250\r"), std::string::npos);  // beyond the limit

  std::string older;
  for (int page = 0; page < 10; ++page) {
    const std::size_t before = viewer.count<TP::HistoryOlderEnd>();
    viewer.send(TP::encodeHistoryMore());
    ASSERT_TRUE(viewer.readUntil([&] { return viewer.count<TP::HistoryOlderEnd>() > before; }));
    const auto& end = std::get<TP::HistoryOlderEnd>(viewer.frames.back()).payload;
    if (end.atTop) break;
  }
  for (const auto& frame : viewer.frames) {
    if (const auto* o = std::get_if<TP::HistoryOlder>(&frame)) older += o->bytes;
  }
  EXPECT_NE(older.find("line-1\r\n"), std::string::npos);
  EXPECT_NE(older.find("line-250\r\n"), std::string::npos);
}

TEST_F(DaemonTerminalAttachTest, FullScreenProgramSurvivesAttachAndLeavesTheAlternateScreen) {
  tmux({"send-keys", "-t", m_pane,
        "printf '\\033[?1049h\\033[2J\\033[HFULL-%s' SCREEN; read x; printf '\\033[?1049lback-%s\\n' $((2*3))", "Enter"});
  ASSERT_TRUE(waitUntil([&] { return m_tmux.capturePane(m_pane).contains(QStringLiteral("FULL-SCREEN")); }));

  Viewer viewer(m_daemon.socketPath());
  viewer.attach(m_pane);
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.first<TP::MouseMode>() != nullptr; }));
  EXPECT_NE(viewer.history.find("\x1b[?1049h"), std::string::npos);
  EXPECT_NE(viewer.history.find("FULL-SCREEN"), std::string::npos);
  EXPECT_EQ(viewer.first<TP::MouseMode>()->payload.alternate, true);

  viewer.send(TP::encodeInput("\r"));
  EXPECT_TRUE(viewer.readUntil([&] { return viewer.output.find("back-6") != std::string::npos; })) << viewer.output;
  EXPECT_NE(viewer.output.find("\x1b[?1049l"), std::string::npos);
}

TEST_F(DaemonTerminalAttachTest, KilledPaneGivesExitThenDone) {
  const QString pane = tmux({"new-window", "-d", "-P", "-F", "#{pane_id}"});
  Viewer viewer(m_daemon.socketPath());
  viewer.attach(pane);
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.historyEnded; }));
  tmux({"kill-pane", "-t", pane});
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.done; }));
  ASSERT_NE(viewer.first<TP::Exit>(), nullptr);
  EXPECT_TRUE(std::holds_alternative<TP::Exit>(viewer.frames.back()));

  // The last pane of a session too (the streaming client's session goes away with it).
  const QString lone = tmux({"new-session", "-d", "-s", "lone", "-P", "-F", "#{pane_id}"});
  Viewer second(m_daemon.socketPath());
  second.attach(lone);
  ASSERT_TRUE(second.readUntil([&] { return second.historyEnded; }));
  tmux({"kill-session", "-t", "lone"});
  ASSERT_TRUE(second.readUntil([&] { return second.done; }));
  EXPECT_NE(second.first<TP::Exit>(), nullptr);
}

// tmux 3.3 crashed when the daemon took a busy pane's output off control mode while blocks of
// it were still queued: attaching again and again to a pane that never stops printing must
// leave the user's server running.
TEST_F(DaemonTerminalAttachTest, AttachingToABusyPaneNeverTakesTheServerDown) {
  const QString server = tmux({"display-message", "-p", "#{pid}"});
  tmux({"send-keys", "-t", m_pane, "while :; do echo busy-$RANDOM; sleep 0.002; done", "Enter"});
  for (int i = 0; i < 30; ++i) {
    Viewer viewer(m_daemon.socketPath());
    viewer.attach(m_pane);
    ASSERT_TRUE(viewer.readUntil([&] { return viewer.historyEnded || viewer.failed; })) << "attach " << i;
    ASSERT_FALSE(viewer.failed) << viewer.otherLines.back().dump();
  }
  EXPECT_EQ(tmux({"display-message", "-p", "#{pid}"}), server);
}

TEST_F(DaemonTerminalAttachTest, RefusedAttachAndRejectedInputGetFailureLines) {
  Viewer missing(m_daemon.socketPath());
  missing.attach(QStringLiteral("%999"));
  ASSERT_TRUE(missing.readUntil([&] { return missing.failed; }));
  EXPECT_NE(missing.otherLines.back()["error"].get<std::string>().find("%999"), std::string::npos);

  LineClient client(m_daemon.socketPath());
  const auto badArgs = client.request("terminal-attach", {{"mode", "mirror"}});
  EXPECT_EQ(badArgs["ok"], false);
  const auto unknownSession = client.request("terminal-input", {{"sessionId", "local-nothing"}, {"data", "AQ=="}});
  EXPECT_EQ(unknownSession["ok"], false);
  const auto notBase64 = client.request("terminal-input", {{"sessionId", "local-nothing"}, {"data", "%%"}});
  EXPECT_EQ(notBase64["ok"], false);
  EXPECT_EQ(m_daemon.ping()["ok"], true);
}

TEST_F(DaemonTerminalAttachTest, TakeoverSizesTheWindowAndDetachHandsItBack) {
  Viewer viewer(m_daemon.socketPath());
  viewer.attach(m_pane, {{"mode", "takeover"}, {"cols", 100}, {"rows", 30}});
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.historyEnded; }));
  const auto& ready = std::get<TP::Ready>(viewer.frames.front()).payload;
  EXPECT_EQ(ready.cols, 100);
  EXPECT_EQ(ready.rows, 30);
  EXPECT_EQ(tmux({"display", "-p", "-t", m_pane, "#{window_width}x#{window_height}"}), QStringLiteral("100x30"));

  viewer.send(TP::encodeResize(90, 25));
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.count<TP::Geometry>() >= 2; }));
  EXPECT_EQ(tmux({"display", "-p", "-t", m_pane, "#{window_width}x#{window_height}"}), QStringLiteral("90x25"));

  viewer.send(TP::encodeDetach());
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.done; }));
  EXPECT_TRUE(waitUntil([&] { return tmux({"show-options", "-w", "-v", "-t", m_pane, "window-size"}).isEmpty(); }));
}

TEST_F(DaemonTerminalAttachTest, TenViewersGetIdenticalBytes) {
  std::vector<std::unique_ptr<Viewer>> viewers;
  for (int i = 0; i < 10; ++i) {
    viewers.push_back(std::make_unique<Viewer>(m_daemon.socketPath()));
    viewers.back()->attach(m_pane);
  }
  for (auto& viewer : viewers) ASSERT_TRUE(viewer->readUntil([&] { return viewer->historyEnded; }));
  EXPECT_EQ(tmux({"display", "-p", "-t", m_pane, "#{pane_pipe}"}), QStringLiteral("1"));  // over the daemon's pipe

  tmux({"send-keys", "-t", m_pane, "seq 1 5000; echo END-$((1+1))", "Enter"});
  for (auto& viewer : viewers) {
    ASSERT_TRUE(viewer->readUntil([&] { return viewer->output.find("END-2\r\n") != std::string::npos; }));
  }
  // Let the prompt arrive everywhere, then every viewer holds the same bytes.
  for (auto& viewer : viewers) viewer->readUntil([] { return false; }, 300);
  EXPECT_NE(viewers.front()->output.find("\r\n4999\r\n5000\r\n"), std::string::npos);
  for (std::size_t i = 1; i < viewers.size(); ++i) EXPECT_EQ(viewers[i]->output, viewers.front()->output) << "viewer " << i;
}

TEST_F(DaemonTerminalAttachTest, ViewerThatDoesNotReadStallsNobody) {
  // A raw socket that asks for the pane and never reads a byte while the pane prints about
  // 7 MB, more than a viewer's buffer and the socket hold.
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray path = m_daemon.socketPath().toLocal8Bit();
  std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
  ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const std::string request = nlohmann::json{{"id", "slow-1"}, {"cmd", "terminal-attach"},
                                             {"args", {{"paneId", m_pane.toStdString()}, {"mode", "mirror"}}}}.dump() + "\n";
  ASSERT_EQ(::write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));

  Viewer reader(m_daemon.socketPath());
  reader.attach(m_pane);
  ASSERT_TRUE(reader.readUntil([&] { return reader.historyEnded; }));
  tmux({"send-keys", "-t", m_pane, "seq 1 1000000; echo FLOOD-$((2+3))", "Enter"});
  EXPECT_TRUE(reader.readUntil([&] { return reader.output.find("FLOOD-5\r\n") != std::string::npos; }, 60000));
  EXPECT_NE(reader.output.find("\r\n999999\r\n1000000\r\n"), std::string::npos);
  EXPECT_EQ(m_daemon.ping()["ok"], true);

  // When the stuck viewer reads at last it catches up: what it missed beyond its bounded
  // buffer comes as a fresh screen, so it ends up showing the pane's final state.
  control_plane::LineAccumulator lines;
  std::string caughtUp;
  QElapsedTimer timer;
  timer.start();
  tmux({"send-keys", "-t", m_pane, "echo CAUGHT-$((3+4))", "Enter"});
  char buffer[65536];
  while (caughtUp.find("CAUGHT-7\r\n") == std::string::npos && timer.elapsed() < 30000) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ASSERT_GT(n, 0) << "the daemon closed the stuck viewer";
    for (const auto& line : lines.push(std::string_view(buffer, static_cast<std::size_t>(n)))) {
      const auto json = nlohmann::json::parse(line);
      if (!json.contains("event")) continue;
      const auto frame = TP::decode(control_plane::Base64::decode(json["event"]["data"].get<std::string>()));
      if (const auto* out = std::get_if<TP::Output>(&frame)) caughtUp += out->bytes;
    }
  }
  EXPECT_NE(caughtUp.find("CAUGHT-7\r\n"), std::string::npos);
  ::close(fd);
}

}  // namespace
}  // namespace vesket::daemon::testing

namespace vesket::daemon::testing {
namespace {

TEST_F(DaemonTerminalAttachTest, ViewerLeavingWhileItsStreamOpensReleasesTheStream) {
  // Each attach is cancelled in the same write: the viewer is gone before its tmux client
  // has attached. Afterwards only the daemon's own tmux client remains.
  LineClient client(m_daemon.socketPath());
  for (int i = 0; i < 5; ++i) {
    const std::string id = "A" + std::to_string(i);
    const nlohmann::json attach = {{"id", id}, {"cmd", "terminal-attach"},
                                   {"args", {{"paneId", m_pane.toStdString()}, {"mode", "mirror"}}}};
    client.writeRaw(QByteArray::fromStdString(attach.dump() + "\n{\"id\":\"" + id + "\",\"cmd\":\"cancel\"}\n"));
  }
  EXPECT_EQ(client.request("ping")["ok"], true);
  // Nothing outside the daemon tells when a leaked stream would have attached: give it time.
  waitUntil([] { return false; }, 1500);
  const auto clients = [&] { return tmux({"list-clients", "-F", "#{client_pid}"}).split('\n', Qt::SkipEmptyParts).size(); };
  EXPECT_TRUE(waitUntil([&] { return clients() == 1; }, 10000)) << clients() << " tmux clients";
}

}  // namespace
}  // namespace vesket::daemon::testing

// --- the pane pipe -------------------------------------------------------------------------
// A pane without a pipe of its own streams over a pipe of the daemon's; one with the user's
// pipe streams through control mode. Both must give the same bytes, and the pane must come
// back exactly as it was.

namespace vesket::daemon::testing {
namespace {

class DaemonPanePipeTest : public DaemonTerminalAttachTest {
 protected:
  QString pipeOf(const QString& pane) { return tmux({"display", "-p", "-t", pane, "#{pane_pipe}"}); }
  // What a viewer's presence must not change about a pane and its session.
  QString paneState(const QString& pane) {
    return tmux({"display", "-p", "-t", pane,
                 "#{pane_pipe} #{pane_width}x#{pane_height} #{pane_in_mode} #{pane_input_off} #{pane_dead} "
                 "#{session_attached} #{window_zoomed_flag}"});
  }
  QString userFile(const QString& name) { return m_dir.filePath(name); }
  static std::string readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
  }
  static std::string between(const std::string& text, const std::string& begin, const std::string& end) {
    const auto from = text.find(begin);
    if (from == std::string::npos) return {};
    const auto to = text.find(end, from + begin.size());
    return to == std::string::npos ? std::string() : text.substr(from + begin.size(), to - from - begin.size());
  }

  QTemporaryDir m_dir;
};

// While the daemon's pipe carries a pane's output, the pane's load still follows it.
TEST_F(DaemonPanePipeTest, AViewedPaneStillShowsItsLoad) {
  Viewer viewer(m_daemon.socketPath());
  viewer.attach(m_pane);
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.first<TP::MouseMode>() != nullptr; }));
  ASSERT_TRUE(waitUntil([&] { return pipeOf(m_pane) == QStringLiteral("1"); }));
  auto loadOf = [&] {
    LineClient client(m_daemon.socketPath());
    const auto reply = client.request("list-panes");
    for (const auto& pane : reply["data"]["panes"]) {
      if (pane["paneId"] == m_pane.toStdString() && pane.contains("load")) return pane["load"].get<std::string>();
    }
    return std::string();
  };
  EXPECT_NE(loadOf(), "heavy");  // a shell at its prompt
  viewer.send(TP::encodeInput("yes 0123456789012345678901234567890123456789 | head -c 3000000\r"));
  EXPECT_TRUE(waitUntil([&] { return loadOf() == "heavy"; }, 10000)) << loadOf();
}

// Every byte value, broken UTF-8 and a 150 kB line without a line feed arrive byte for byte
// over the daemon's pipe, exactly as through control mode (a pane piped by the user).
TEST_F(DaemonPanePipeTest, PipeAndControlModeDeliverTheSameBytesForAnyOutput) {
  const QString controlPane = tmux({"new-window", "-d", "-P", "-F", "#{pane_id}"});
  tmux({"pipe-pane", "-t", controlPane, "cat > /dev/null"});
  ASSERT_EQ(pipeOf(controlPane), QStringLiteral("1"));

  std::string payload;
  for (int round = 0; round < 4; ++round) {
    for (int b = 0; b < 256; ++b) payload.push_back(static_cast<char>(b));
  }
  payload += "\xc3\x28 \xa0\xa1 \xe2\x28\xa1 \xf0\x28\x8c\xbc \xff\xfe \xed\xa0\x80 \xe2\x82";
  for (int i = 0; i < 150000; ++i) payload.push_back(static_cast<char>('a' + i % 26));
  payload += "\xc3";  // a sequence cut off at the very end
  const std::string begin = "@@PAYLOAD-BEGIN@@", end = "@@PAYLOAD-END@@";
  {
    QFile file(userFile(QStringLiteral("payload")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(begin + payload + end));
  }

  Viewer piped(m_daemon.socketPath());
  piped.attach(m_pane);
  Viewer controlled(m_daemon.socketPath());
  controlled.attach(controlPane);
  ASSERT_TRUE(piped.readUntil([&] { return piped.first<TP::MouseMode>() != nullptr; }));
  ASSERT_TRUE(controlled.readUntil([&] { return controlled.first<TP::MouseMode>() != nullptr; }));
  EXPECT_EQ(pipeOf(m_pane), QStringLiteral("1"));  // the daemon's

  // No output processing in the pane: the bytes on the screen are the file's.
  const QString command = QStringLiteral("stty -opost; cat %1; stty opost").arg(userFile(QStringLiteral("payload")));
  for (const QString& pane : {m_pane, controlPane}) tmux({"send-keys", "-t", pane, command, "Enter"});
  for (Viewer* viewer : {&piped, &controlled}) {
    EXPECT_TRUE(viewer->readUntil([&] { return viewer->output.find(end) != std::string::npos; }, 30000));
  }
  const std::string viaPipe = between(piped.output, begin, end);
  const std::string viaControl = between(controlled.output, begin, end);
  EXPECT_EQ(viaPipe.size(), payload.size());
  EXPECT_TRUE(viaPipe == payload) << "the pipe changed the bytes";
  EXPECT_TRUE(viaControl == payload) << "control mode changed the bytes";
  EXPECT_FALSE(piped.failed || controlled.failed);
}

// The user's pipe is never replaced, the pane still mirrors through control mode, and the
// pipe keeps receiving the pane's output after the viewer left. A pipe the user opens while
// the daemon's is in place takes over; the stream goes back to control mode without a gap.
TEST_F(DaemonPanePipeTest, TheUsersPipeStaysAndThePaneStillMirrors) {
  const QString log = userFile(QStringLiteral("user.log"));
  tmux({"pipe-pane", "-t", m_pane, "cat >> " + log});
  Viewer viewer(m_daemon.socketPath());
  viewer.attach(m_pane);
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.historyEnded; }));
  viewer.send(TP::encodeInput("echo mirrored-$((6*7))\r"));
  EXPECT_TRUE(viewer.readUntil([&] { return viewer.output.find("mirrored-42\r\n") != std::string::npos; }));
  viewer.send(TP::encodeDetach());
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.done; }));
  EXPECT_EQ(pipeOf(m_pane), QStringLiteral("1"));
  tmux({"send-keys", "-t", m_pane, "echo after-$((2+2))", "Enter"});
  EXPECT_TRUE(waitUntil([&] { return readAll(log).find("after-4\r\n") != std::string::npos; })) << readAll(log);
  EXPECT_NE(readAll(log).find("mirrored-42\r\n"), std::string::npos);

  // Now a pane the daemon pipes, and the user's pipe arriving while it streams.
  const QString pane = tmux({"new-window", "-d", "-P", "-F", "#{pane_id}"});
  Viewer second(m_daemon.socketPath());
  second.attach(pane);
  ASSERT_TRUE(second.readUntil([&] { return second.historyEnded; }));
  ASSERT_TRUE(waitUntil([&] { return pipeOf(pane) == QStringLiteral("1"); }));
  const QString late = userFile(QStringLiteral("late.log"));
  tmux({"pipe-pane", "-t", pane, "cat >> " + late});
  second.send(TP::encodeInput("echo taken-$((3*3))\r"));
  // Typed and shown whether the keys went before or after the stream noticed.
  EXPECT_TRUE(second.readUntil([&] { return second.output.find("taken-9") != std::string::npos; })) << second.output;
  EXPECT_TRUE(waitUntil([&] { return readAll(late).find("taken-9\r\n") != std::string::npos; }));
  second.send(TP::encodeInput("echo still-$((5*5))\r"));
  EXPECT_TRUE(second.readUntil([&] { return second.output.find("still-25\r\n") != std::string::npos; })) << second.output;
  second.send(TP::encodeDetach());
  ASSERT_TRUE(second.readUntil([&] { return second.done; }));
  EXPECT_EQ(pipeOf(pane), QStringLiteral("1"));  // still the user's
  tmux({"send-keys", "-t", pane, "echo kept-$((4+4))", "Enter"});
  EXPECT_TRUE(waitUntil([&] { return readAll(late).find("kept-8\r\n") != std::string::npos; }));
}

// However its viewers leave (detach, cancel, a closed connection), the last one hands the
// pane back as it was, and the next viewer pipes it again.
TEST_F(DaemonPanePipeTest, DetachingEveryViewerRestoresThePane) {
  const QString before = paneState(m_pane);
  ASSERT_TRUE(before.startsWith(QStringLiteral("0 ")));
  for (int round = 0; round < 2; ++round) {
    auto first = std::make_unique<Viewer>(m_daemon.socketPath());
    auto second = std::make_unique<Viewer>(m_daemon.socketPath());
    auto third = std::make_unique<Viewer>(m_daemon.socketPath());
    for (auto* viewer : {first.get(), second.get(), third.get()}) {
      viewer->attach(m_pane);
      ASSERT_TRUE(viewer->readUntil([&] { return viewer->historyEnded; }));
    }
    EXPECT_EQ(pipeOf(m_pane), QStringLiteral("1"));
    const std::string word = "round-" + std::to_string(round) + "-$((1+1))";
    first->send(TP::encodeInput("echo " + word + "\r"));
    const std::string echoed = "round-" + std::to_string(round) + "-2\r\n";
    for (auto* viewer : {first.get(), second.get(), third.get()}) {
      EXPECT_TRUE(viewer->readUntil([&] { return viewer->output.find(echoed) != std::string::npos; }));
    }

    first->send(TP::encodeDetach());
    ASSERT_TRUE(first->readUntil([&] { return first->done; }));
    second->cancel();
    second->readUntil([] { return false; }, 200);
    EXPECT_EQ(pipeOf(m_pane), QStringLiteral("1"));
    third.reset();  // its connection closes
    EXPECT_TRUE(waitUntil([&] { return paneState(m_pane) == before; })) << paneState(m_pane).toStdString();
  }
  // The pane is the user's again: typing works and a pipe of the user's takes.
  const QString log = userFile(QStringLiteral("after.log"));
  tmux({"pipe-pane", "-o", "-t", m_pane, "cat >> " + log});
  EXPECT_EQ(pipeOf(m_pane), QStringLiteral("1"));
  tmux({"send-keys", "-t", m_pane, "echo free-$((8+1))", "Enter"});
  EXPECT_TRUE(waitUntil([&] { return readAll(log).find("free-9\r\n") != std::string::npos; }));
}

// The door the pipes come through takes a descriptor only under a key the daemon gave out:
// strangers (a guessed key with a descriptor, garbage, silence) change nothing.
TEST_F(DaemonPanePipeTest, TheDoorTurnsAwayWhatItDidNotAskFor) {
  const QByteArray door = (m_daemon.home() + QStringLiteral("/daemon/pane-pipe.sock")).toLocal8Bit();
  const auto knock = [&](const std::string& words, bool withDescriptor) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, door.constData(), static_cast<std::size_t>(door.size()));
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    iovec io{const_cast<char*>(words.data()), words.size()};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    if (withDescriptor) {
      message.msg_control = control;
      message.msg_controllen = sizeof control;
      cmsghdr* header = CMSG_FIRSTHDR(&message);
      header->cmsg_level = SOL_SOCKET;
      header->cmsg_type = SCM_RIGHTS;
      header->cmsg_len = CMSG_LEN(sizeof(int));
      std::memcpy(CMSG_DATA(header), &ends[0], sizeof(int));
    }
    if (!words.empty()) ::sendmsg(fd, &message, MSG_NOSIGNAL);
    ::close(ends[0]);
    ::close(ends[1]);
    return fd;
  };
  const int guessed = knock(std::string(32, 'a'), true);
  const int garbage = knock("\x01\x02 not a key at all, and much longer than one ........", true);
  const int silent = knock("", false);
  // More silent callers than the door keeps at once: they are let go in time.
  std::vector<int> crowd;
  for (int i = 0; i < 70; ++i) crowd.push_back(knock("", false));
  EXPECT_EQ(m_daemon.ping()["ok"], true);
  waitUntil([] { return false; }, 2500);

  Viewer viewer(m_daemon.socketPath());
  viewer.attach(m_pane);
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.historyEnded; }));
  EXPECT_EQ(pipeOf(m_pane), QStringLiteral("1"));
  viewer.send(TP::encodeInput("echo door-$((2*5))\r"));
  EXPECT_TRUE(viewer.readUntil([&] { return viewer.output.find("door-10\r\n") != std::string::npos; }));
  for (int fd : {guessed, garbage, silent}) ::close(fd);
  for (int fd : crowd) ::close(fd);
}

// While the pane shows copy mode, keys drive the mode (as `send-keys` always did) instead of
// reaching the program underneath through the pipe; afterwards they go through the pipe again.
TEST_F(DaemonPanePipeTest, KeysGoToTmuxsModeWhileThePaneShowsOne) {
  Viewer viewer(m_daemon.socketPath());
  viewer.attach(m_pane);
  ASSERT_TRUE(viewer.readUntil([&] { return viewer.historyEnded; }));
  ASSERT_EQ(pipeOf(m_pane), QStringLiteral("1"));
  tmux({"copy-mode", "-t", m_pane});
  ASSERT_EQ(tmux({"display", "-p", "-t", m_pane, "#{pane_in_mode}"}), QStringLiteral("1"));
  viewer.readUntil([] { return false; }, 500);  // the daemon hears of the mode
  viewer.send(TP::encodeInput("q"));
  EXPECT_TRUE(waitUntil([&] { return tmux({"display", "-p", "-t", m_pane, "#{pane_in_mode}"}) == QStringLiteral("0"); }));
  viewer.readUntil([] { return false; }, 500);
  viewer.send(TP::encodeInput("echo back-$((1+1))\r"));
  EXPECT_TRUE(viewer.readUntil([&] { return viewer.output.find("back-2\r\n") != std::string::npos; })) << viewer.output;
  EXPECT_EQ(pipeOf(m_pane), QStringLiteral("1"));
}

// Viewers that join while the pane prints see their snapshot and the live bytes meet
// exactly: every line once, none missing, in order.
TEST_F(DaemonPanePipeTest, ViewersJoiningWhileThePanePrintsMissNothing) {
  tmux({"send-keys", "-t", m_pane, "for i in $(seq 1 150); do echo L$i; sleep 0.03; done; echo LOOP-$((1+2))", "Enter"});
  std::vector<std::unique_ptr<Viewer>> viewers;
  for (int i = 0; i < 4; ++i) {
    waitUntil([] { return false; }, 400);
    viewers.push_back(std::make_unique<Viewer>(m_daemon.socketPath()));
    viewers.back()->attach(m_pane);
  }
  const auto numbers = [](const std::string& text) {
    std::vector<int> found;
    for (std::size_t at = text.find("\nL"); at != std::string::npos; at = text.find("\nL", at + 1)) {
      std::size_t end = at + 2;
      while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
      if (end > at + 2 && end < text.size() && text[end] == '\r') found.push_back(std::stoi(text.substr(at + 2, end - at - 2)));
    }
    return found;
  };
  for (std::size_t v = 0; v < viewers.size(); ++v) {
    auto& viewer = *viewers[v];
    ASSERT_TRUE(viewer.readUntil([&] { return viewer.output.find("LOOP-3") != std::string::npos; }, 30000)) << "viewer " << v;
    const auto seen = numbers(viewer.history);
    const auto live = numbers("\n" + viewer.output);
    ASSERT_FALSE(live.empty()) << "viewer " << v;
    const int last = seen.empty() ? 0 : seen.back();
    for (std::size_t i = 0; i < live.size(); ++i) {
      ASSERT_EQ(live[i], last + 1 + static_cast<int>(i)) << "viewer " << v << " after L" << last;
    }
    EXPECT_EQ(live.back(), 150) << "viewer " << v;
  }
}

}  // namespace
}  // namespace vesket::daemon::testing
