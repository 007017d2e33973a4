// The inbox change stream end to end, against the real `vesket-relay` on 127.0.0.1:
//
//   1. posted → visible: an agent's message (POST /api/agent/messages, the daemon token)
//      until the application's InboxStore shows it in its thread list, through the change
//      stream and the refetch it triggers; beside it, the baseline of one plain thread-list
//      GET on the same relay.
//   2. fan-out: N subscribers hold the stream open (raw sockets); each post's event is timed
//      to its arrival at every subscriber; the relay's memory with and without them.
//
//   build/bench/inbox_stream_bench [posts=50] [subscribers=1000]
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <nlohmann/json.hpp>

#include "inbox/inbox_store.h"

namespace {

using vesket::inbox::InboxStore;

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<std::size_t>(p * static_cast<double>(values.size())))];
}

long rssKiB(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toLong();
  }
  return 0;
}

struct Http {
  QNetworkAccessManager network;
  QString base;
  nlohmann::json call(const QByteArray& method, const QString& path, const nlohmann::json& body, const std::string& bearer) {
    QNetworkRequest request(QUrl(base + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    if (!bearer.empty()) request.setRawHeader("Authorization", QByteArray("Bearer ") + bearer.c_str());
    QNetworkReply* reply = network.sendCustomRequest(request, method, body.is_null() ? QByteArray() : QByteArray::fromStdString(body.dump()));
    waitFor([reply] { return reply->isFinished(); }, 20000);
    reply->deleteLater();
    return nlohmann::json::parse(reply->readAll().toStdString(), nullptr, false);
  }
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int posts = argc > 1 ? std::atoi(argv[1]) : 50;
  const int subscribers = argc > 2 ? std::atoi(argv[2]) : 1000;
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);  // the relay inherits it

  QTemporaryDir dir;
  QProcess relay;
  relay.setStandardErrorFile(QProcess::nullDevice());
  relay.start(QStringLiteral(VESKET_BIN_DIR "/vesket-relay"),
              {"--listen", "127.0.0.1:0", "--data", dir.filePath("relay"), "--password-hash-ops", "1", "--password-hash-mem-kib",
               "8", "--request-limit", "100000", "--inbox-heartbeat", "15"});
  QByteArray first;
  waitFor([&] {
    first += relay.readAllStandardOutput();
    return first.contains('\n');
  }, 10000);
  Http http;
  http.base = QStringLiteral("http://127.0.0.1:") + QString::fromUtf8(first.left(first.indexOf('\n')).split(':').last());
  const nlohmann::json account = http.call("POST", "/api/auth/register-public",
                                           {{"email", "bench@example.org"}, {"password", "password1"}, {"confirm_password", "password1"}}, "");
  const std::string token = account.value("token", "");
  QProcess mint;
  mint.start(QStringLiteral(VESKET_BIN_DIR "/vesket-relay"), {"mint-daemon-token", "--data", dir.filePath("relay"), "--user", "1"});
  mint.waitForFinished(10000);
  std::string agent;
  for (const QByteArray& line : mint.readAllStandardOutput().split('\n')) {
    if (line.startsWith("DAEMON_TOKEN=")) agent = line.mid(13).toStdString();
  }
  if (token.empty() || agent.empty()) {
    std::fprintf(stderr, "could not set up the account\n");
    return 1;
  }

  // 1. posted → visible in the store.
  const QUrl base(http.base);
  const QString bearer = QString::fromStdString(token);
  InboxStore store({[&] { return vesket::relay::RelayClient(base, vesket::relay::RelayClient::Credential::fixed(bearer)); }, 2000});
  store.load();
  waitFor([&] { return store.streamConnected(); }, 10000);
  std::vector<double> visible;
  std::vector<double> baseline;
  for (int i = 0; i < posts; ++i) {
    QElapsedTimer plain;
    plain.start();
    http.call("GET", "/api/inbox/threads", nullptr, token);
    baseline.push_back(static_cast<double>(plain.nsecsElapsed()) / 1e6);
    const std::string text = "post " + std::to_string(i);
    QElapsedTimer clock;
    clock.start();
    QNetworkRequest request(QUrl(http.base + "/api/agent/messages"));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    request.setRawHeader("Authorization", QByteArray("Bearer ") + agent.c_str());
    QNetworkReply* reply = http.network.post(request, QByteArray::fromStdString(nlohmann::json{{"thread", "bench"}, {"body", text}}.dump()));
    const bool seen = waitFor([&] { return !store.threads().empty() && store.threads().front().lastPreview == text; }, 10000);
    if (seen) visible.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    waitFor([reply] { return reply->isFinished(); }, 10000);
    reply->deleteLater();
    waitFor([] { return false; }, 50);
  }
  std::printf("posted -> visible in InboxStore: %zu of %d posts, p50 %.2f ms, p95 %.2f ms, max %.2f ms\n", visible.size(), posts,
              percentile(visible, 0.5), percentile(visible, 0.95), percentile(visible, 1.0));
  std::printf("baseline GET /api/inbox/threads: p50 %.2f ms, p95 %.2f ms (visible/baseline p50 %.1fx)\n", percentile(baseline, 0.5),
              percentile(baseline, 0.95), percentile(visible, 0.5) / std::max(0.001, percentile(baseline, 0.5)));
  store.stopLiveUpdates();

  // 2. fan-out to raw stream subscribers.
  const long rssBefore = rssKiB(relay.processId());
  std::vector<std::unique_ptr<QTcpSocket>> sockets;
  std::vector<QByteArray> received(static_cast<std::size_t>(subscribers));
  const QByteArray head = "GET /api/inbox/stream HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " + QByteArray::fromStdString(token) +
                          "\r\nX-Vesket-Inbox-Caps: answer-marker\r\n\r\n";
  const quint16 port = static_cast<quint16>(base.port());
  for (int i = 0; i < subscribers; ++i) {
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, port);
    QObject::connect(socket.get(), &QTcpSocket::connected, socket.get(), [s = socket.get(), head] { s->write(head); });
    QObject::connect(socket.get(), &QTcpSocket::readyRead, socket.get(), [s = socket.get(), &received, i] {
      received[static_cast<std::size_t>(i)] += s->readAll();
    });
    sockets.push_back(std::move(socket));
    if (i % 50 == 49) QCoreApplication::processEvents();
  }
  const bool allConnected = waitFor([&] {
    return std::all_of(received.begin(), received.end(), [](const QByteArray& r) { return r.contains(": connected"); });
  }, 60000);
  const long rssWith = rssKiB(relay.processId());
  std::vector<double> arrivals;
  int complete = 0;
  const int rounds = 20;
  for (int round = 0; round < rounds; ++round) {
    std::vector<int> before(static_cast<std::size_t>(subscribers));
    for (int i = 0; i < subscribers; ++i) before[static_cast<std::size_t>(i)] = received[static_cast<std::size_t>(i)].count("event: inbox-message");
    std::vector<bool> got(static_cast<std::size_t>(subscribers), false);
    QElapsedTimer clock;
    clock.start();
    http.call("POST", "/api/agent/messages", {{"thread", "fanout"}, {"body", "round " + std::to_string(round)}}, agent);
    int arrived = 0;
    waitFor([&] {
      for (int i = 0; i < subscribers; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (!got[k] && received[k].count("event: inbox-message") > before[k]) {
          got[k] = true;
          ++arrived;
          arrivals.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
      }
      return arrived == subscribers;
    }, 20000);
    complete += arrived == subscribers;
  }
  std::printf("fan-out: %d subscribers (%s), %d of %d posts reached all; post -> arrival p50 %.2f ms, p95 %.2f ms, max %.2f ms\n",
              subscribers, allConnected ? "all connected" : "NOT all connected", complete, rounds, percentile(arrivals, 0.5),
              percentile(arrivals, 0.95), percentile(arrivals, 1.0));
  std::printf("relay memory: %ld KiB before, %ld KiB with the subscribers (%.1f KiB each)\n", rssBefore, rssWith,
              static_cast<double>(rssWith - rssBefore) / std::max(1, subscribers));
  sockets.clear();
  relay.terminate();
  relay.waitForFinished(10000);
  return 0;
}
