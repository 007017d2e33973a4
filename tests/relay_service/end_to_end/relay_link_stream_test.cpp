// The link's streams, with the relay in this process (so the test can open streams on the
// daemon link directly, as the terminal endpoints will) and a real daemon: terminal frames
// cross the link as binary messages both ways, and a reader that falls behind loses its
// own stream without holding up the link.
#include <QSaveFile>

#include <boost/asio/as_tuple.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/detached.hpp>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "relay/core/terminal_protocol.h"
#include "relay_service/link/daemon_registry.h"
#include "relay_service/link/link_stream.h"
#include "relay_service/relay_server.h"
#include "relay_service/store/relay_store.h"
#include "tests/support/real_daemon_fixture.h"

namespace vesket::testing {
namespace {

namespace net = boost::asio;
namespace TP = relay::TerminalProtocol;
using relay_service::LinkStream;

// What a stream's reader has received so far.
struct Received {
  std::mutex mutex;
  std::string output;  // output and history bytes
  bool ready = false;
  bool ended = false;
};

// The reader may outlive the test body (its stream ends when the link closes), so it
// shares what it received.
net::awaitable<void> readStream(std::shared_ptr<LinkStream> stream, std::shared_ptr<Received> shared) {
  Received& received = *shared;
  for (;;) {
    auto next = stream->next();
    const auto message = co_await std::move(next);
    const std::lock_guard lock(received.mutex);
    if (!message) {
      received.ended = true;
      co_return;
    }
    if (!message->binary) continue;
    const TP::Frame frame = TP::decode(message->bytes);
    if (std::holds_alternative<TP::Ready>(frame)) received.ready = true;
    if (const auto* output = std::get_if<TP::Output>(&frame)) received.output += output->bytes;
    if (const auto* history = std::get_if<TP::History>(&frame)) received.output += history->bytes;
  }
}

struct Asked {
  std::optional<relay_service::LinkAnswer> answer;
  std::atomic<bool> done{false};
};

net::awaitable<void> ask(relay_service::DaemonRegistry& registry, std::int64_t daemonId, std::string cmd,
                         std::shared_ptr<Asked> asked) {
  auto asking = registry.request(daemonId, std::move(cmd), nlohmann::json::object(), std::chrono::seconds(5));
  asked->answer = co_await std::move(asking);
}

class RelayLinkStreamTest : public RealDaemonTest {
 protected:
  void SetUp() override {
    RealDaemonTest::SetUp();
    if (HasFatalFailure()) return;
    relay_service::RelayOptions options;
    options.listen = {"127.0.0.1", 0};
    options.dataDir = m_root.filePath("relay-data").toStdString();
    options.passwordHashCost = relay_service::PasswordHashCost::minimal();
    options.threads = 2;
    m_server = std::make_unique<relay_service::RelayServer>(options, nullptr);
    const std::uint16_t port = m_server->start();
    const auto user = m_server->store().createUser({std::nullopt, "ada@example.org", std::nullopt});
    ASSERT_TRUE(user);
    const auto paired = m_server->store().pairDaemon(user->id, std::nullopt, "test");
    m_daemonId = paired.daemon.id;

    QSaveFile env(environment().value("VESKET_HOME") + "/daemon/.env");
    ASSERT_TRUE(env.open(QIODevice::WriteOnly));
    env.write(QStringLiteral("RELAY_URL=ws://127.0.0.1:%1/daemon\nDAEMON_TOKEN=%2\n")
                  .arg(port)
                  .arg(QString::fromStdString(paired.token))
                  .toUtf8());
    ASSERT_TRUE(env.commit());
    ASSERT_TRUE(waitUntil([&] { return m_server->registry().isConnected(m_daemonId); }, 15000));
    m_readerThread = std::thread([this] { m_reader.run(); });
  }

  void TearDown() override {
    m_readerWork.reset();
    m_reader.stop();
    if (m_readerThread.joinable()) m_readerThread.join();
    m_server.reset();
    RealDaemonTest::TearDown();
  }

  template <typename Predicate>
  bool waitFor(Received& received, Predicate predicate, int timeoutMs = 10000) {
    return waitUntil([&] {
      const std::lock_guard lock(received.mutex);
      return predicate();
    }, timeoutMs);
  }

  std::optional<relay_service::LinkAnswer> request(const std::string& cmd) {
    auto asked = std::make_shared<Asked>();
    net::co_spawn(net::make_strand(m_reader), ask(m_server->registry(), m_daemonId, cmd, asked),
                  [asked](std::exception_ptr) { asked->done = true; });
    waitUntil([&] { return asked->done.load(); }, 10000);
    return asked->done ? asked->answer : std::nullopt;
  }

  std::unique_ptr<relay_service::RelayServer> m_server;
  std::int64_t m_daemonId = 0;
  net::io_context m_reader;
  std::optional<net::executor_work_guard<net::io_context::executor_type>> m_readerWork{m_reader.get_executor()};
  std::thread m_readerThread;
};

TEST_F(RelayLinkStreamTest, TerminalFramesCrossTheLinkBothWays) {
  auto stream = m_server->registry().openStream(
      m_daemonId, "terminal-attach", {{"paneId", m_paneId.toStdString()}, {"mode", "mirror"}}, {});
  auto shared = std::make_shared<Received>();
  Received& received = *shared;
  net::co_spawn(net::make_strand(m_reader), readStream(stream, shared), net::detached);
  ASSERT_TRUE(waitFor(received, [&] { return received.ready; })) << "no ready frame";

  ASSERT_TRUE(stream->sendFrame(TP::encodeInput("echo link''ed-$((6*7))\r")));
  EXPECT_TRUE(waitFor(received, [&] { return received.output.find("linked-42") != std::string::npos; }))
      << received.output;

  stream->close();
  EXPECT_TRUE(waitFor(received, [&] { return received.ended; }));
  EXPECT_EQ(stream->end(), LinkStream::End::closedByReader);
  // The link still serves requests after the stream.
  const auto answer = request("ping");
  ASSERT_TRUE(answer);
  EXPECT_TRUE(answer->ok);
  EXPECT_EQ(answer->data["alive"], true);
}

TEST_F(RelayLinkStreamTest, AReaderThatFallsBehindLosesOnlyItsOwnStream) {
  tmux({"send-keys", "-t", m_paneId, "seq 1 3000", "Enter"});
  captureShows(m_paneId, "3000");
  // Nobody reads this stream, and its queue holds less than the attach's history.
  relay_service::LinkStreamOptions tiny;
  tiny.maxQueuedBytes = 512;
  auto stream = m_server->registry().openStream(
      m_daemonId, "terminal-attach", {{"paneId", m_paneId.toStdString()}, {"mode", "mirror"}}, tiny);
  EXPECT_TRUE(waitUntil([&] { return stream->end() == LinkStream::End::overflowed; }, 10000));

  // The link and the daemon carry on: a request, and a second stream that is read.
  const auto answer = request("list-panes");
  ASSERT_TRUE(answer);
  EXPECT_TRUE(answer->ok) << answer->error;
  auto second = m_server->registry().openStream(
      m_daemonId, "terminal-attach", {{"paneId", m_paneId.toStdString()}, {"mode", "mirror"}}, {});
  auto shared = std::make_shared<Received>();
  Received& received = *shared;
  net::co_spawn(net::make_strand(m_reader), readStream(second, shared), net::detached);
  EXPECT_TRUE(waitFor(received, [&] { return received.output.find("2999") != std::string::npos; }));
  second->close();
}

TEST_F(RelayLinkStreamTest, AFailedStreamAndAnUnknownCommandComeBackAsErrors) {
  auto stream = m_server->registry().openStream(m_daemonId, "terminal-attach", {{"paneId", "%9999"}}, {});
  EXPECT_TRUE(waitUntil([&] { return stream->end().has_value(); }, 10000));
  EXPECT_EQ(stream->end(), LinkStream::End::failed);
  EXPECT_FALSE(stream->failure().empty());

  const auto answer = request("no-such-command");
  ASSERT_TRUE(answer);
  EXPECT_FALSE(answer->ok);
  EXPECT_NE(answer->error.find("unknown command"), std::string::npos) << answer->error;
}

}  // namespace
}  // namespace vesket::testing
