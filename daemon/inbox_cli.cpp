#include "daemon/inbox_cli.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHttpMultiPart>
#include <QMimeDatabase>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QUrl>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "daemon/core/cli_command.h"
#include "daemon/core/env_file.h"
#include "daemon/exit_codes.h"

namespace vesket::daemon {
namespace {

constexpr int kLongPollSeconds = 25;  // the relay holds a decision's wait at most 30 s

struct Pairing {
  std::string base;
  std::string token;
};

std::optional<Pairing> readPairing(const DaemonPaths& paths) {
  QFile file(paths.envFile());
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const EnvFile env = EnvFile::parse(file.read(1024 * 1024).toStdString());
  const auto token = env.get("DAEMON_TOKEN");
  const auto base = inboxRelayBase(env.get("BOARD_PUSH_API"), env.get("RELAY_URL"));
  if (!token || token->empty() || !base) return std::nullopt;
  return Pairing{*base, *token};
}

struct Reply {
  int status = 0;  // 0: no HTTP answer
  nlohmann::json json;
  std::string error;  // the relay's message, or the transport's
};

class RelayCaller {
 public:
  explicit RelayCaller(Pairing pairing) : m_pairing(std::move(pairing)) {}

  Reply call(const QByteArray& method, const std::string& path, const QByteArray& body, int timeoutMs,
             QHttpMultiPart* multipart = nullptr) {
    QNetworkRequest request(QUrl(QString::fromStdString(m_pairing.base + path)));
    request.setRawHeader("Authorization", QByteArray("Bearer ") + m_pairing.token.c_str());
    request.setTransferTimeout(timeoutMs);
    QNetworkReply* reply = nullptr;
    if (multipart) {
      reply = m_network.post(request, multipart);
      multipart->setParent(reply);
    } else {
      if (!body.isEmpty()) request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
      reply = m_network.sendCustomRequest(request, method, body);
    }
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    reply->deleteLater();
    Reply result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.json = nlohmann::json::parse(reply->readAll().toStdString(), nullptr, false);
    if (result.status == 0) {
      result.error = reply->errorString().toStdString();
    } else if (result.status != 200) {
      result.error = "the relay answered " + std::to_string(result.status);
      if (result.json.is_object() && result.json.contains("message") && result.json["message"].is_string()) {
        result.error = result.json["message"].get<std::string>();
      }
    }
    return result;
  }

 private:
  Pairing m_pairing;
  QNetworkAccessManager m_network;
};

int failed(const Reply& reply, const char* doing) {
  std::fprintf(stderr, "vesket: could not %s: %s\n", doing, reply.error.c_str());
  if (reply.status == 401) {
    std::fprintf(stderr, "vesket: the relay no longer accepts this machine's pairing; pair it again\n");
  }
  return reply.status >= 400 && reply.status < 500 ? kExitRefused : kExitFailure;
}

// Waits for the decision's answer; prints the chosen option's key.
int waitForAnswer(RelayCaller& relay, const std::string& id, std::optional<double> timeoutSeconds) {
  QElapsedTimer clock;
  clock.start();
  int transportFailures = 0;
  for (;;) {
    int wait = kLongPollSeconds;
    if (timeoutSeconds) {
      const double left = *timeoutSeconds - static_cast<double>(clock.elapsed()) / 1000.0;
      wait = std::max(0, std::min(kLongPollSeconds, static_cast<int>(left)));
    }
    const Reply reply = relay.call("GET", "/api/agent/decisions/" + id + "?wait=" + std::to_string(wait), {},
                                   (wait + 15) * 1000);
    if (reply.status == 0 || reply.status >= 500) {
      // The relay restarting or the network gone: keep waiting (within the timeout).
      if (++transportFailures == 1) std::fprintf(stderr, "vesket: waiting for the relay: %s\n", reply.error.c_str());
      QThread::msleep(1000);
    } else if (reply.status != 200) {
      return failed(reply, "read the decision");
    } else {
      transportFailures = 0;
      DecisionOutcome outcome;
      try {
        outcome = readDecisionOutcome(reply.json);
      } catch (const std::exception& error) {
        std::fprintf(stderr, "vesket: %s\n", error.what());
        return kExitFailure;
      }
      if (outcome.state == DecisionOutcome::State::answered) {
        std::printf("%s\n", outcome.choice.c_str());
        std::fflush(stdout);
        return kExitOk;
      }
      if (outcome.state == DecisionOutcome::State::withdrawn) {
        std::fprintf(stderr, "vesket: the decision was withdrawn%s%s\n", outcome.detail.empty() ? "" : ": ",
                     outcome.detail.c_str());
        return kExitRefused;
      }
    }
    if (timeoutSeconds && static_cast<double>(clock.elapsed()) / 1000.0 >= *timeoutSeconds) {
      std::fprintf(stderr, "vesket: no answer within %g s (decision %s stays open)\n", *timeoutSeconds, id.c_str());
      return kExitTimedOut;
    }
  }
}

int postFile(RelayCaller& relay, const InboxCommand& command) {
  QFile file(QString::fromStdString(command.text));
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "vesket: cannot read %s: %s\n", command.text.c_str(), qPrintable(file.errorString()));
    return kExitFailure;
  }
  auto* multipart = new QHttpMultiPart(QHttpMultiPart::FormDataType);
  const QString name = QFileInfo(file).fileName();
  QHttpPart part;
  part.setHeader(QNetworkRequest::ContentTypeHeader, QMimeDatabase().mimeTypeForFile(name).name());
  part.setHeader(QNetworkRequest::ContentDispositionHeader,
                 QStringLiteral("form-data; name=\"file\"; filename=\"%1\"").arg(QString(name).replace('"', '_')));
  part.setBody(file.readAll());
  multipart->append(part);
  auto field = [&](const char* key, const QByteArray& value) {
    QHttpPart text;
    text.setHeader(QNetworkRequest::ContentDispositionHeader, QStringLiteral("form-data; name=\"%1\"").arg(key));
    text.setBody(value);
    multipart->append(text);
  };
  if (command.title) field("title", QByteArray::fromStdString(*command.title));
  if (const QByteArray pane = qgetenv("TMUX_PANE"); !pane.isEmpty()) field("paneId", pane);
  const Reply reply = relay.call("POST", "/api/agent/files", {}, 120000, multipart);
  if (reply.status != 200) return failed(reply, "share the file");
  std::printf("%s\n", reply.json.value("token", "").c_str());
  return kExitOk;
}

}  // namespace

int runInboxCommand(const InboxCommand& command, const DaemonPaths& paths) {
  const auto pairing = readPairing(paths);
  if (!pairing) {
    std::fprintf(stderr,
                 "vesket: this machine is not paired with a relay account (no DAEMON_TOKEN and RELAY_URL in %s); "
                 "pair it from Vesket's Devices window or with 'vesket relay-pair'\n",
                 qPrintable(paths.envFile()));
    return kExitNotPaired;
  }
  RelayCaller relay(*pairing);
  using Verb = InboxCommand::Verb;
  if (command.verb == Verb::wait) return waitForAnswer(relay, command.text, command.timeoutSeconds);
  if (command.verb == Verb::file) return postFile(relay, command);

  nlohmann::json body;
  try {
    const QByteArray pane = qgetenv("TMUX_PANE");
    body = command.requestBody(pane.isEmpty() ? std::nullopt : std::optional<std::string>(pane.toStdString()));
  } catch (const CliUsageError& error) {
    std::fprintf(stderr, "vesket: %s\n", error.what());
    return kExitUsage;
  }
  const char* path = command.verb == Verb::ask      ? "/api/agent/decisions"
                     : command.verb == Verb::notify ? "/api/agent/notifications"
                                                    : "/api/agent/messages";
  const Reply reply = relay.call("POST", path, QByteArray::fromStdString(body.dump()), 20000);
  if (reply.status != 200) return failed(reply, command.verb == Verb::ask ? "ask" : "post");
  const auto id = reply.json.find("id");
  const std::string printed = id == reply.json.end()     ? std::string()
                              : id->is_string()          ? id->get<std::string>()
                                                         : std::to_string(id->get<std::int64_t>());
  std::printf("%s\n", printed.c_str());
  std::fflush(stdout);
  if (command.verb == Verb::ask && command.wait) return waitForAnswer(relay, printed, command.timeoutSeconds);
  return kExitOk;
}

}  // namespace vesket::daemon
