// The relay serving a releases directory under /downloads/: whole files and ranges
// streamed with their types, a file too large to answer from memory, and every way out of
// the directory refused.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/support/real_relay.h"

namespace vesket::relay_service {
namespace {

using testing::RealRelay;

struct RawAnswer {
  int status = 0;
  QByteArray head;  // lower-cased
  QByteArray body;
};

class RelayDownloadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    QDir().mkpath(releases() + "/linux");
    write(releases() + "/releases.json", R"([{"version":"1","build":1,"channel":"stable","artifacts":[]}])");
    write(releases() + "/linux/v.tar.gz", QByteArray("0123456789abcdefghij"));
    write(m_dir.filePath("secret.txt"), "outside");
    ASSERT_TRUE(QFile::link(m_dir.filePath("secret.txt"), releases() + "/escape.txt"));
    m_relay.emplace(m_dir.filePath("data"), QStringList{"--releases", releases()});
    ASSERT_TRUE(m_relay->start());
  }

  QString releases() const { return m_dir.filePath("releases"); }
  // The relay's peak resident memory (VmHWM).
  qint64 peakMemoryKiB() const {
    QFile status(QStringLiteral("/proc/%1/status").arg(m_relay->pid()));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
      if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').front().toLongLong();
    }
    return -1;
  }
  static void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }

  // One request exactly as written on the wire, read until the relay closes.
  RawAnswer raw(const QByteArray& target, const QByteArray& extraHeaders = {}) {
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", m_relay->port());
    EXPECT_TRUE(socket.waitForConnected(5000));
    socket.write("GET " + target + " HTTP/1.1\r\nHost: relay\r\nConnection: close\r\n" + extraHeaders + "\r\n");
    QByteArray all;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(10000)) all += socket.readAll();
    all += socket.readAll();
    RawAnswer answer;
    const auto end = all.indexOf("\r\n\r\n");
    if (end < 0) return answer;
    answer.head = all.left(end).toLower();
    answer.body = all.mid(end + 4);
    answer.status = answer.head.mid(9, 3).toInt();
    return answer;
  }

  QTemporaryDir m_dir;
  std::optional<RealRelay> m_relay;
};

TEST_F(RelayDownloadsTest, FilesAndRangesAreServedWithTheirTypes) {
  const RawAnswer catalog = raw("/downloads/releases.json");
  EXPECT_EQ(catalog.status, 200);
  EXPECT_TRUE(catalog.head.contains("content-type: application/json")) << catalog.head.toStdString();
  EXPECT_TRUE(catalog.body.startsWith("[{\"version\""));

  const RawAnswer whole = raw("/downloads/linux/v.tar.gz");
  EXPECT_EQ(whole.status, 200);
  EXPECT_TRUE(whole.head.contains("content-type: application/gzip"));
  EXPECT_TRUE(whole.head.contains("accept-ranges: bytes"));
  EXPECT_EQ(whole.body, "0123456789abcdefghij");

  const RawAnswer middle = raw("/downloads/linux/v.tar.gz", "Range: bytes=5-9\r\n");
  EXPECT_EQ(middle.status, 206);
  EXPECT_TRUE(middle.head.contains("content-range: bytes 5-9/20")) << middle.head.toStdString();
  EXPECT_EQ(middle.body, "56789");
  const RawAnswer tail = raw("/downloads/linux/v.tar.gz", "Range: bytes=-3\r\n");
  EXPECT_EQ(tail.body, "hij");
  const RawAnswer beyond = raw("/downloads/linux/v.tar.gz", "Range: bytes=20-\r\n");
  EXPECT_EQ(beyond.status, 416);
  EXPECT_TRUE(beyond.head.contains("content-range: bytes */20"));
}

TEST_F(RelayDownloadsTest, NothingOutsideTheDirectoryIsReachable) {
  for (const QByteArray target : {"/downloads/../data/relay.db", "/downloads/%2e%2e/secret.txt",
                                  "/downloads/linux/..%2f..%2fsecret.txt", "/downloads/escape.txt",
                                  "/downloads/.hidden", "/downloads/linux", "/downloads/missing.json",
                                  "/downloads/linux%5c..%5c..%5csecret.txt"}) {
    const RawAnswer answer = raw(target);
    EXPECT_EQ(answer.status, 404) << target.toStdString();
    EXPECT_FALSE(answer.body.contains("outside")) << target.toStdString();
  }
  RealRelay plain(m_dir.filePath("plain-data"));
  ASSERT_TRUE(plain.start());
  testing::RelayHttp http(plain.baseUrl());
  EXPECT_EQ(http.get("/downloads/releases.json").status, 404);
  EXPECT_EQ(testing::RelayHttp(m_relay->baseUrl()).call("POST", "/downloads/releases.json", "x").status, 405);
}

TEST_F(RelayDownloadsTest, ALargeArtifactArrivesWholeAndIntact) {
  // 48 MiB, larger than any body the relay would hold in memory for a request.
  QByteArray block(1024 * 1024, '\0');
  for (int i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 131) & 0xff);
  QCryptographicHash expected(QCryptographicHash::Sha256);
  {
    QFile file(releases() + "/big.tar.gz");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < 48; ++i) {
      block[0] = static_cast<char>(i);
      file.write(block);
      expected.addData(block);
    }
  }
  const qint64 peakBefore = peakMemoryKiB();
  testing::RelayHttp http(m_relay->baseUrl());
  const auto reply = http.get("/downloads/big.tar.gz");
  ASSERT_EQ(reply.status, 200) << reply.networkError.toStdString();
  EXPECT_EQ(reply.body.size(), 48 * 1024 * 1024);
  EXPECT_EQ(QCryptographicHash::hash(reply.body, QCryptographicHash::Sha256), expected.result());
  // Streamed: the relay's peak memory grew by far less than the file (read whole, it
  // would have grown by at least its 48 MiB).
  EXPECT_LT(peakMemoryKiB() - peakBefore, 16 * 1024);
}

}  // namespace
}  // namespace vesket::relay_service
