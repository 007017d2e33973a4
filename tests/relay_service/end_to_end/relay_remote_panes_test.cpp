// Another machine's panes through the relay: a real daemon on its private tmux server,
// linked to the real relay, reached by an account's calls: its pane text, text and keys
// typed into it, an image and a file that arrive in its home and are typed as paths, the
// live terminal over the relay's WebSocket, and the refusals (a pane that is gone, a
// daemon that is offline, another account, a malformed upload).
#include <QFile>
#include <QTcpSocket>
#include <QWebSocket>

#include <gtest/gtest.h>

#include "relay/core/terminal_protocol.h"
#include "tests/support/linked_daemon_fixture.h"

namespace vesket::testing {
namespace {

namespace TP = relay::TerminalProtocol;
using nlohmann::json;

struct FormFile {
  QByteArray name;
  QByteArray fileName;
  QByteArray contentType;
  QByteArray bytes;
};

QByteArray multipart(const QByteArray& boundary, const std::vector<std::pair<QByteArray, QByteArray>>& fields,
                     const std::vector<FormFile>& files) {
  QByteArray body;
  for (const auto& [name, value] : fields) {
    body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
  }
  for (const FormFile& file : files) {
    body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + file.name + "\"; filename=\"" + file.fileName +
            "\"\r\nContent-Type: " + file.contentType + "\r\n\r\n" + file.bytes + "\r\n";
  }
  return body + "--" + boundary + "--\r\n";
}

class RelayRemotePanesTest : public LinkedDaemonTest {
 protected:
  RelayReply upload(const QString& path, const QByteArray& body, const std::string& token) {
    QNetworkRequest request(QUrl(m_relay->baseUrl() + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "multipart/form-data; boundary=Vesket-Test-7");
    request.setRawHeader("Authorization", QByteArray("Bearer ") + token.c_str());
    QNetworkReply* reply = m_network.post(request, body);
    waitUntil([reply] { return reply->isFinished(); }, 30000);
    RelayReply result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.body = reply->readAll();
    reply->deleteLater();
    return result;
  }

  // The pane's text through the relay, until it holds `needle`.
  bool snapshotShows(const std::string& token, qint64 daemonId, const std::string& needle) {
    std::string last;
    const bool seen = waitUntil(
        [&] {
          const RelayReply reply = m_http->get(
              QStringLiteral("/api/pane/snapshot?daemonId=%1&paneId=%2").arg(daemonId).arg(QUrl::toPercentEncoding(m_paneId)), token);
          last = reply.json().value("content", std::string());
          if (last.find(needle) != std::string::npos) return true;
          spinFor(100);
          return false;
        },
        10000);
    if (!seen) ADD_FAILURE() << "the relayed snapshot never showed '" << needle << "'; last:\n" << last;
    return seen;
  }

  QNetworkAccessManager m_network;
};

TEST_F(RelayRemotePanesTest, TextKeysImagesAndFilesReachTheOtherMachinesPane) {
  const auto [token, userId, daemonId] = linkNewAccount("ada@example.org");
  const std::string pane = m_paneId.toStdString();

  const RelayReply sent = m_http->post("/api/send", {{"daemonId", daemonId}, {"paneId", pane}, {"text", "echo sent-$((6*7))"},
                                                     {"clientRequestId", "5D0C7B6A-0F1E-4D3C-9B8A-716253443526"}}, token);
  ASSERT_EQ(sent.status, 200) << sent.body.toStdString();
  EXPECT_EQ(sent.json()["ok"], true);
  EXPECT_EQ(sent.header("X-Resolved-Daemon-Id"), QByteArray::number(daemonId));
  EXPECT_TRUE(snapshotShows(token, daemonId, "sent-42"));

  // Typed without submitting, then the key submits it.
  ASSERT_EQ(m_http->post("/api/send", {{"daemonId", std::to_string(daemonId)}, {"paneId", pane},
                                       {"text", "echo keyed-$((7*7))"}, {"submitKey", ""}}, token).status, 200);
  const RelayReply key = m_http->post("/api/send-key", {{"paneId", pane}, {"keys", {"Enter"}}, {"daemonId", daemonId}}, token);
  EXPECT_EQ(key.status, 200) << key.body.toStdString();
  EXPECT_TRUE(snapshotShows(token, daemonId, "keyed-49"));

  // A file of several link parts arrives whole, under its own name, and its path is typed
  // after the text.
  QByteArray bytes;
  for (int i = 0; bytes.size() < 700 * 1024; ++i) bytes += QByteArray::number(i) + '\n';
  const RelayReply file = upload("/api/upload-file",
                                 multipart("Vesket-Test-7", {{"paneId", m_paneId.toUtf8()}, {"daemonId", QByteArray::number(daemonId)},
                                                             {"text", "wc -c"}},
                                           {{"file", "notes for ada.txt", "application/octet-stream", bytes}}),
                                 token);
  ASSERT_EQ(file.status, 200) << file.body.toStdString();
  const json fileResult = file.json();
  ASSERT_EQ(fileResult["ok"], true);
  const std::string filePath = fileResult["paths"][0];
  EXPECT_EQ(filePath.substr(filePath.rfind('/') + 1), "notes_for_ada.txt");
  QFile stored(QString::fromStdString(filePath));
  ASSERT_TRUE(stored.open(QIODevice::ReadOnly)) << filePath;
  EXPECT_EQ(stored.readAll(), bytes);
  EXPECT_TRUE(snapshotShows(token, daemonId, std::to_string(bytes.size()) + " " + filePath.substr(0, 20)));

  const QByteArray png("\x89PNG\r\n\x1a\n-not-really-an-image-", 29);
  const RelayReply image = upload("/api/upload-image",
                                  multipart("Vesket-Test-7", {{"paneId", m_paneId.toUtf8()}, {"text", "ls"}},
                                            {{"image", "attachment-0.png", "image/png", png},
                                             {"image", "attachment-1.jpg", "image/jpeg", "jpeg bytes"}}),
                                  token);
  ASSERT_EQ(image.status, 200) << image.body.toStdString();
  const json imageResult = image.json();
  ASSERT_EQ(imageResult["ok"], true);
  ASSERT_EQ(imageResult["paths"].size(), 2u);
  QFile first(QString::fromStdString(imageResult["paths"][0]));
  ASSERT_TRUE(first.open(QIODevice::ReadOnly));
  EXPECT_EQ(first.readAll(), png);
  EXPECT_TRUE(imageResult["paths"][1].get<std::string>().ends_with(".jpg"));
  // Nothing stays staged once the uploads were taken.
  EXPECT_TRUE(QDir(environment().value("VESKET_HOME") + "/uploads").entryList(QDir::Files).isEmpty());
}

TEST_F(RelayRemotePanesTest, RefusalsSayWhy) {
  const auto [token, userId, daemonId] = linkNewAccount("ada@example.org");
  const QString snapshot = QStringLiteral("/api/pane/snapshot?daemonId=%1&paneId=%25").arg(daemonId);

  const RelayReply gone = m_http->get(snapshot + "999", token);
  EXPECT_EQ(gone.status, 404) << gone.body.toStdString();
  EXPECT_EQ(gone.json()["error"], "pane_not_found");
  const RelayReply goneSend = m_http->post("/api/send", {{"daemonId", daemonId}, {"paneId", "%999"}, {"text", "x"}}, token);
  EXPECT_EQ(goneSend.status, 404) << goneSend.body.toStdString();
  const RelayReply goneUpload = upload(
      "/api/upload-file", multipart("Vesket-Test-7", {{"paneId", "%999"}}, {{"file", "a.txt", "text/plain", "a"}}), token);
  EXPECT_EQ(goneUpload.status, 404) << goneUpload.body.toStdString();
  const RelayReply goneKeep = upload(
      "/api/upload-file", multipart("Vesket-Test-7", {{"paneId", "%999"}, {"typePath", "false"}}, {{"file", "a.txt", "text/plain", "a"}}),
      token);
  EXPECT_EQ(goneKeep.status, 404) << goneKeep.body.toStdString();
  EXPECT_EQ(upload("/api/upload-file",
                   multipart("Vesket-Test-7", {{"paneId", m_paneId.toUtf8()}, {"typePath", "no"}}, {{"file", "a.txt", "text/plain", "a"}}),
                   token)
                .status,
            400);
  EXPECT_TRUE(QDir(environment().value("VESKET_HOME") + "/files").entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());

  EXPECT_EQ(m_http->get(snapshot.left(snapshot.size() - 3) + "x1", token).status, 400);
  EXPECT_EQ(m_http->post("/api/send-key", {{"paneId", m_paneId.toStdString()}, {"keys", json::array()}}, token).status, 400);
  const RelayReply badKey = m_http->post("/api/send-key", {{"paneId", m_paneId.toStdString()}, {"keys", {"NoSuchKey"}}}, token);
  EXPECT_EQ(badKey.status, 502) << badKey.body.toStdString();
  EXPECT_EQ(upload("/api/upload-file", "--Vesket-Test-7\r\nbroken", token).status, 400);
  EXPECT_EQ(m_http->get(snapshot + "0").status, 401);

  // Another account: the daemon is not there for it.
  const auto [otherToken, otherId] = m_http->registerAccount("bob@example.org");
  EXPECT_EQ(m_http->get(snapshot + "0", otherToken).status, 404);
  EXPECT_EQ(m_http->post("/api/send", {{"daemonId", daemonId}, {"paneId", "%0"}, {"text", "x"}}, otherToken).status, 404);

  // The daemon goes offline (unpaired): 503 with the body the application reads.
  writeEnv("", "");
  ASSERT_TRUE(waitForLinkState("unpaired"));
  ASSERT_TRUE(waitUntil([&] { return m_http->get(snapshot + "0", token).status == 503; }, 5000));
  const RelayReply offline = m_http->post("/api/send", {{"daemonId", daemonId}, {"paneId", "%0"}, {"text", "x"}}, token);
  EXPECT_EQ(offline.status, 503);
  EXPECT_EQ(offline.json()["error"], "daemon_offline");
}

// A viewer of the relay's terminal endpoint: the frames it received.
class Viewer {
 public:
  explicit Viewer(const QUrl& url, const std::string& bearer) {
    QObject::connect(&m_socket, &QWebSocket::binaryMessageReceived, [this](const QByteArray& message) {
      const TP::Frame frame = TP::decode(message.toStdString());
      if (std::holds_alternative<TP::Ready>(frame)) ++m_ready;
      if (const auto* output = std::get_if<TP::Output>(&frame)) m_output += output->bytes;
      if (const auto* history = std::get_if<TP::History>(&frame)) m_output += history->bytes;
      if (std::holds_alternative<TP::Exit>(frame)) m_exited = true;
    });
    QObject::connect(&m_socket, &QWebSocket::disconnected, [this] { m_closeCode = m_socket.closeCode(); });
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", QByteArray("Bearer ") + bearer.c_str());
    m_socket.open(request);
  }

  QWebSocket m_socket;
  int m_ready = 0;
  std::string m_output;
  bool m_exited = false;
  std::optional<int> m_closeCode;
};

// The status line of a WebSocket handshake with the terminal endpoint.
QByteArray handshakeStatus(quint16 port, const QString& query, const std::string& bearer) {
  QTcpSocket socket;
  socket.connectToHost(QStringLiteral("127.0.0.1"), port);
  if (!socket.waitForConnected(5000)) return {};
  socket.write("GET /api/terminal/attach?" + query.toUtf8() + " HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
               "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n" +
               (bearer.empty() ? QByteArray() : "Authorization: Bearer " + QByteArray::fromStdString(bearer) + "\r\n") + "\r\n");
  waitUntil([&] { return socket.canReadLine() || !socket.waitForReadyRead(100); }, 5000);
  return socket.readLine().trimmed();
}

TEST_F(RelayRemotePanesTest, TheLiveTerminalCrossesTheRelayAndEndsWithThePane) {
  const auto [token, userId, daemonId] = linkNewAccount("ada@example.org");
  const QString paneId = tmux({"new-window", "-d", "-P", "-F", "#{pane_id}", "-t", "main", "/bin/sh"});
  QString query = QStringLiteral("paneId=%1&cols=100&rows=30&mode=takeover&daemonId=%2")
                            .arg(QString::fromUtf8(QUrl::toPercentEncoding(paneId)))
                            .arg(daemonId);
  const QUrl url(QStringLiteral("ws://127.0.0.1:%1/api/terminal/attach?").arg(m_relay->port()) + query);

  Viewer viewer(url, token);
  ASSERT_TRUE(waitUntil([&] { return viewer.m_ready == 1; }, 10000)) << m_relay->log().toStdString();
  viewer.m_socket.sendBinaryMessage(QByteArray::fromStdString(TP::encodeInput("echo over''relay-$((6*7))\r")));
  EXPECT_TRUE(waitUntil([&] { return viewer.m_output.find("overrelay-42") != std::string::npos; }, 10000)) << viewer.m_output;

  // The machine itself may watch its own pane with its daemon token.
  Viewer own(url, m_daemonToken);
  EXPECT_TRUE(waitUntil([&] { return own.m_ready == 1 && own.m_output.find("overrelay-42") != std::string::npos; }, 10000));

  // Refused at the handshake: no token, another account, a pane id that is none.
  const auto [otherToken, otherId] = m_http->registerAccount("bob@example.org");
  EXPECT_TRUE(handshakeStatus(m_relay->port(), query, "").contains(" 401 ")) << handshakeStatus(m_relay->port(), query, "").toStdString();
  EXPECT_TRUE(handshakeStatus(m_relay->port(), query, otherToken).contains(" 404 "));
  EXPECT_TRUE(handshakeStatus(m_relay->port(), "paneId=7", token).contains(" 400 "));
  const QString otherDaemon = QString(query).replace(QStringLiteral("daemonId="), QStringLiteral("daemonId=9"));
  EXPECT_TRUE(handshakeStatus(m_relay->port(), otherDaemon, m_daemonToken).contains(" 404 "));

  // The pane ends: both viewers are told and closed normally.
  tmux({"kill-pane", "-t", paneId});
  EXPECT_TRUE(waitUntil([&] { return viewer.m_exited && viewer.m_closeCode && own.m_closeCode; }, 10000))
      << viewer.m_exited << " " << viewer.m_closeCode.value_or(-1);
  EXPECT_EQ(viewer.m_closeCode, QWebSocketProtocol::CloseCodeNormal);
}

TEST_F(RelayRemotePanesTest, ViewersAcceptedOnEveryWorkerThreadShareTheLiveTerminal) {
  // Three worker threads: the viewers are accepted on all of them, and each moves to the
  // thread of the daemon's link (or stays, when it was accepted there).
  m_relay = std::make_unique<RealRelay>(m_root.filePath("relay-three-threads"), QStringList{"--threads", "3"});
  ASSERT_TRUE(m_relay->start());
  m_http = std::make_unique<RelayHttp>(m_relay->baseUrl());
  const auto [token, userId, daemonId] = linkNewAccount("ada@example.org");
  const QString paneId = tmux({"new-window", "-d", "-P", "-F", "#{pane_id}", "-t", "main", "/bin/sh"});
  const QUrl url(QStringLiteral("ws://127.0.0.1:%1/api/terminal/attach?paneId=%2&daemonId=%3")
                     .arg(m_relay->port())
                     .arg(QString::fromUtf8(QUrl::toPercentEncoding(paneId)))
                     .arg(daemonId));
  std::vector<std::unique_ptr<Viewer>> viewers;
  for (int i = 0; i < 4; ++i) viewers.push_back(std::make_unique<Viewer>(url, token));
  ASSERT_TRUE(waitUntil([&] { return std::all_of(viewers.begin(), viewers.end(), [](const auto& v) { return v->m_ready == 1; }); }, 10000))
      << m_relay->log().toStdString();

  // Each one types; every one sees every echo.
  for (std::size_t i = 0; i < viewers.size(); ++i) {
    const std::string typed = "echo typed''-by-" + std::to_string(i) + "-$((" + std::to_string(i) + "*11))\r";
    viewers[i]->m_socket.sendBinaryMessage(QByteArray::fromStdString(TP::encodeInput(typed)));
    const std::string echoed = "typed-by-" + std::to_string(i) + "-" + std::to_string(i * 11);
    for (const auto& viewer : viewers) {
      EXPECT_TRUE(waitUntil([&] { return viewer->m_output.find(echoed) != std::string::npos; }, 10000))
          << "'" << echoed << "' missing from: " << viewer->m_output;
    }
  }

  tmux({"kill-pane", "-t", paneId});
  for (const auto& viewer : viewers) {
    EXPECT_TRUE(waitUntil([&] { return viewer->m_exited && viewer->m_closeCode; }, 10000));
    EXPECT_EQ(viewer->m_closeCode, QWebSocketProtocol::CloseCodeNormal);
  }
}

// Resident memory of a process in KiB (0 when unknown).
long residentKiB(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toLong();
  }
  return 0;
}

TEST_F(RelayRemotePanesTest, AViewerThatStopsReadingHoldsUpNobody) {
  const auto [token, userId, daemonId] = linkNewAccount("ada@example.org");
  const QString query = QStringLiteral("paneId=%1&daemonId=%2").arg(QString::fromUtf8(QUrl::toPercentEncoding(m_paneId))).arg(daemonId);
  // A viewer that completes the handshake and then never reads a byte.
  QTcpSocket stalled;
  stalled.setReadBufferSize(4096);
  stalled.connectToHost(QStringLiteral("127.0.0.1"), m_relay->port());
  ASSERT_TRUE(stalled.waitForConnected(5000));
  stalled.write("GET /api/terminal/attach?" + query.toUtf8() + " HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n"
                "Authorization: Bearer " + QByteArray::fromStdString(token) + "\r\n\r\n");
  Viewer reading(QUrl(QStringLiteral("ws://127.0.0.1:%1/api/terminal/attach?").arg(m_relay->port()) + query), token);
  ASSERT_TRUE(waitUntil([&] { return reading.m_ready == 1; }, 10000));
  const long before = residentKiB(m_relay->pid());

  // About 40 MB of output, far more than any queue on the way may hold.
  reading.m_socket.sendBinaryMessage(QByteArray::fromStdString(TP::encodeInput("seq 1 5000000; echo flood''-done\r")));
  EXPECT_TRUE(waitUntil([&] { return reading.m_output.find("flood-done") != std::string::npos; }, 120000))
      << reading.m_output.size() << " bytes seen";
  const long after = residentKiB(m_relay->pid());
  EXPECT_LT(after - before, 64 * 1024) << "the relay grew from " << before << " to " << after << " KiB";
  // The reader still types and sees its echo; the daemon still answers.
  reading.m_socket.sendBinaryMessage(QByteArray::fromStdString(TP::encodeInput("echo still''-here\r")));
  EXPECT_TRUE(waitUntil([&] { return reading.m_output.find("still-here") != std::string::npos; }, 10000));
  EXPECT_EQ(m_http->get(QStringLiteral("/api/panes?daemonId=%1").arg(daemonId), token).status, 200);
}

}  // namespace
}  // namespace vesket::testing
