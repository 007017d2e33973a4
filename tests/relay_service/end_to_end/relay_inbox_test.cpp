// The inbox, notifications, shared files and the task board against the real relay: what
// agents post with a daemon token, what the account's devices read and change, the change
// stream, and the refusals (bad bodies, other accounts, expired or answered things).
#include <QHttpMultiPart>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

#include "tests/support/inbox_stream_reader.h"
#include "tests/support/real_relay.h"

namespace vesket::testing {
namespace {

using nlohmann::json;

class RelayInboxTest : public RelayTest {
 protected:
  void SetUp() override {
    RelayTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(startRelay({"--inbox-heartbeat", "1"}).running());
    std::tie(m_token, m_userId) = m_http->registerAccount("ada@example.org");
    const auto minted = m_relay->mintDaemonToken(m_userId);
    ASSERT_TRUE(minted);
    std::tie(m_daemonId, m_agent) = *minted;
  }

  RelayReply agentPost(const QString& path, const json& body) { return m_http->post(path, body, m_agent); }
  RelayReply patch(const QString& path, const json& body) {
    return m_http->call("PATCH", path, QByteArray::fromStdString(body.dump()), m_token);
  }
  json threads() { return m_http->get("/api/inbox/threads", m_token).json(); }

  std::string m_token;
  qint64 m_userId = 0;
  qint64 m_daemonId = 0;
  std::string m_agent;  // the daemon token
};

TEST_F(RelayInboxTest, MessagesPageBackWithoutGapsOrDuplicatesAndReadMarksCount) {
  for (int i = 1; i <= 120; ++i) {
    ASSERT_EQ(agentPost("/api/agent/messages", {{"paneId", "%7"}, {"body", "step " + std::to_string(i)}}).status, 200);
  }
  const json list = threads();
  ASSERT_EQ(list.size(), 1u);
  const std::string slug = list[0]["agentSlug"];
  EXPECT_EQ(slug, "pane-" + std::to_string(m_daemonId) + "-7");
  EXPECT_EQ(list[0]["paneId"], "%7");
  EXPECT_EQ(list[0]["unreadCount"], 120);
  EXPECT_EQ(list[0]["lastPreview"], "step 120");

  std::vector<double> seen;
  std::optional<double> before;
  for (int page = 0; page < 4; ++page) {
    const QString path = QStringLiteral("/api/inbox/threads/%1/messages?limit=50%2")
                             .arg(QString::fromStdString(slug), before ? QStringLiteral("&before=%1").arg(*before, 0, 'f', 0) : "");
    const json messages = m_http->get(path, m_token).json();
    ASSERT_TRUE(messages.is_array());
    if (messages.empty()) break;
    for (auto it = messages.rbegin(); it != messages.rend(); ++it) seen.push_back((*it)["id"].get<double>());
    before = messages.front()["id"].get<double>();
    EXPECT_LE(messages.size(), 50u);
  }
  ASSERT_EQ(seen.size(), 120u);
  EXPECT_TRUE(std::is_sorted(seen.rbegin(), seen.rend()));
  EXPECT_EQ(std::set<double>(seen.begin(), seen.end()).size(), 120u);

  // Read up to the 100th message: 20 stay unread; without an id, all are read.
  const double hundredth = seen[20];
  EXPECT_EQ(m_http->post(QString::fromStdString("/api/inbox/threads/" + slug + "/read"), {{"upToId", hundredth}}, m_token).status, 200);
  EXPECT_EQ(threads()[0]["unreadCount"], 20);
  EXPECT_EQ(m_http->post(QString::fromStdString("/api/inbox/threads/" + slug + "/read"), json::object(), m_token).status, 200);
  EXPECT_EQ(threads()[0]["unreadCount"], 0);

  // Another account sees none of it.
  const auto [other, otherId] = m_http->registerAccount("bob@example.org");
  EXPECT_TRUE(m_http->get("/api/inbox/threads", other).json().empty());
  EXPECT_EQ(m_http->get(QString::fromStdString("/api/inbox/threads/" + slug + "/messages?limit=5"), other).status, 404);
  EXPECT_EQ(m_http->call("DELETE", QString::fromStdString("/api/inbox/threads/" + slug), {}, other).status, 404);
  EXPECT_EQ(m_http->call("DELETE", QString::fromStdString("/api/inbox/threads/" + slug), {}, m_token).status, 200);
  EXPECT_TRUE(threads().empty());
}

TEST_F(RelayInboxTest, BadBodiesAreRefusedClearlyAndChangeNothing) {
  const struct {
    const char* path;
    json body;
    const char* mentions;
  } agentCases[] = {
      {"/api/agent/messages", {{"body", "no thread"}}, "paneId"},
      {"/api/agent/messages", {{"paneId", "7"}, {"body", "x"}}, "tmux pane id"},
      {"/api/agent/messages", {{"thread", "a/b"}, {"body", "x"}}, "thread"},
      {"/api/agent/messages", {{"thread", "ops"}, {"body", 5}}, "body"},
      {"/api/agent/messages", {{"thread", "ops"}, {"body", "x"}, {"kind", "shout"}}, "kind"},
      {"/api/agent/messages", {{"thread", "ops"}, {"body", "x"}, {"payload", {{"facts", {{{"label", "x"}}}}}}}, "value"},
      {"/api/agent/decisions", {{"thread", "ops"}, {"question", "Q?"}, {"options", {{{"k", "a"}, {"label", "A"}}}}}, "2 to 12"},
      {"/api/agent/decisions",
       {{"thread", "ops"}, {"question", "Q?"}, {"options", {{{"k", "a"}, {"label", "A"}}, {{"k", "a"}, {"label", "B"}}}}},
       "twice"},
      {"/api/agent/decisions",
       {{"thread", "ops"}, {"question", "Q?"}, {"recommended", "z"}, {"options", {{{"k", "a"}, {"label", "A"}}, {{"k", "b"}, {"label", "B"}}}}},
       "recommended"},
      {"/api/agent/notifications", {{"body", "no title"}}, "title"},
  };
  for (const auto& c : agentCases) {
    const RelayReply reply = agentPost(c.path, c.body);
    EXPECT_EQ(reply.status, 400) << c.path << " " << c.body.dump();
    EXPECT_NE(reply.json().value("message", "").find(c.mentions), std::string::npos) << reply.body.toStdString();
  }
  const RelayReply garbled = m_http->call("POST", "/api/agent/messages", "{\"thread\": ", m_agent);
  EXPECT_EQ(garbled.status, 400);
  EXPECT_EQ(garbled.json()["error"], "invalid_json");
  // An account token is not an agent's, and an unknown token is nobody's.
  EXPECT_EQ(m_http->post("/api/agent/messages", {{"thread", "ops"}, {"body", "x"}}, m_token).status, 401);
  EXPECT_EQ(m_http->post("/api/agent/messages", {{"thread", "ops"}, {"body", "x"}}, "nobody").status, 401);
  EXPECT_TRUE(threads().empty());
  EXPECT_TRUE(m_http->get("/api/notifications", m_token).json()["notifications"].empty());

  // Account-side refusals: unknown thread, bad page sizes, answers that are not answers.
  ASSERT_EQ(agentPost("/api/agent/decisions", {{"thread", "ops"}, {"question", "Ship?"},
                                                {"options", {{{"k", "y"}, {"label", "Yes"}}, {{"k", "n"}, {"label", "No"}}}}})
                .status,
            200);
  const double id = m_http->get("/api/inbox/threads/ops/messages", m_token).json()[0]["id"];
  const QString decision = QStringLiteral("/api/inbox/threads/ops/messages/%1/decision").arg(id, 0, 'f', 0);
  EXPECT_EQ(m_http->get("/api/inbox/threads/nope/messages", m_token).status, 404);
  EXPECT_EQ(m_http->get("/api/inbox/threads/ops/messages?limit=0", m_token).status, 400);
  EXPECT_EQ(m_http->get("/api/inbox/threads/ops/messages?limit=abc", m_token).status, 400);
  EXPECT_EQ(m_http->post(decision, {{"k", "maybe"}}, m_token).status, 400);
  EXPECT_EQ(m_http->post(decision, {{"key", "y"}}, m_token).status, 400);
  EXPECT_EQ(m_http->post("/api/inbox/threads/ops/messages/999999/decision", {{"k", "y"}}, m_token).status, 404);
  EXPECT_EQ(m_http->post("/api/inbox/threads/ops/reply", {{"text", ""}}, m_token).status, 400);
  const json still = m_http->get("/api/inbox/threads/ops/messages", m_token).json();
  ASSERT_EQ(still.size(), 1u);
  EXPECT_EQ(still[0]["payload"]["decision"]["state"], "open");
  EXPECT_EQ(threads()[0]["decisionCount"], 1);
}

TEST_F(RelayInboxTest, ADecisionIsAcceptedOnceAndItsWaitersAndStreamHearOfIt) {
  InboxStreamReader stream(m_relay->baseUrl(), m_token);
  ASSERT_TRUE(waitUntil([&] { return stream.text().find(": connected") != std::string::npos; }, 5000));
  EXPECT_EQ(stream.status(), 200);
  const RelayReply asked = agentPost(
      "/api/agent/decisions", {{"paneId", "%3"}, {"agent", "builder"}, {"question", "Deploy?"},
                               {"options", {{{"k", "yes"}, {"label", "Ship it"}}, {{"k", "no"}, {"label", "Hold"}}}}});
  ASSERT_EQ(asked.status, 200) << asked.body.toStdString();
  const double id = asked.json()["id"];
  const std::string slug = asked.json()["slug"];
  EXPECT_TRUE(waitUntil([&] { return stream.count("inbox-message") >= 1; }, 5000)) << stream.text();
  EXPECT_EQ(threads()[0]["agentDisplay"], "builder");

  // Heartbeats keep a quiet stream alive (this relay sends one every second).
  EXPECT_TRUE(waitUntil([&] { return stream.text().find(": heartbeat") != std::string::npos; }, 5000));

  // A long-poll sees the answer as soon as it is given.
  const QString state = QStringLiteral("/api/agent/decisions/%1").arg(id, 0, 'f', 0);
  EXPECT_EQ(m_http->get(state + "?wait=0", m_agent).json()["state"], "open");
  QNetworkAccessManager network;
  QNetworkRequest poll(QUrl(m_relay->baseUrl() + state + "?wait=20"));
  poll.setRawHeader("Authorization", QByteArray("Bearer ") + m_agent.c_str());
  QNetworkReply* waiting = network.get(poll);
  spinFor(300);
  EXPECT_FALSE(waiting->isFinished());

  const QString answer = QStringLiteral("/api/inbox/threads/%1/messages/%2/decision").arg(QString::fromStdString(slug)).arg(id, 0, 'f', 0);
  const RelayReply first = m_http->post(answer, {{"k", "yes"}, {"device", "Mac"}}, m_token);
  ASSERT_EQ(first.status, 200) << first.body.toStdString();
  EXPECT_EQ(first.json()["message"]["payload"]["decision"]["state"], "decided");
  EXPECT_EQ(first.json()["message"]["payload"]["decision"]["answer"]["k"], "yes");
  ASSERT_TRUE(waitUntil([&] { return waiting->isFinished(); }, 5000));
  const json heard = json::parse(waiting->readAll().toStdString());
  EXPECT_EQ(heard["state"], "decided");
  EXPECT_EQ(heard["answer"]["k"], "yes");
  EXPECT_EQ(heard["label"], "Ship it");
  waiting->deleteLater();

  const RelayReply second = m_http->post(answer, {{"k", "no"}, {"device", "Mac"}}, m_token);
  EXPECT_EQ(second.status, 409);
  EXPECT_EQ(second.json()["reason"], "decision_already_decided");
  EXPECT_EQ(m_http->get(state, m_agent).json()["answer"]["k"], "yes");
  EXPECT_EQ(threads()[0]["decisionCount"], 0);
  EXPECT_TRUE(waitUntil([&] { return stream.count("inbox-message") >= 2; }, 5000));

  // A decision whose deadline has passed is refused as expired.
  const RelayReply late = agentPost("/api/agent/decisions", {{"thread", "ops"}, {"question", "Too late?"}, {"deadline", "2020-01-01"},
                                                             {"options", {{{"k", "a"}, {"label", "A"}}, {{"k", "b"}, {"label", "B"}}}}});
  const RelayReply expired = m_http->post(
      QStringLiteral("/api/inbox/threads/ops/messages/%1/decision").arg(late.json()["id"].get<double>(), 0, 'f', 0), {{"k", "a"}}, m_token);
  EXPECT_EQ(expired.status, 409);
  EXPECT_EQ(expired.json()["reason"], "decision_expired");
}

TEST_F(RelayInboxTest, TheStreamComesBackAfterARelayRestartAndEveryRecordOutlivesIt) {
  ASSERT_EQ(agentPost("/api/agent/messages", {{"thread", "ops"}, {"body", "before"}}).status, 200);
  const quint16 port = m_relay->port();
  {
    InboxStreamReader stream(m_relay->baseUrl(), m_token);
    ASSERT_TRUE(waitUntil([&] { return stream.text().find(": connected") != std::string::npos; }, 5000));
    EXPECT_EQ(m_relay->stop(), 0);  // a stream open does not hold up a stop
    EXPECT_TRUE(waitUntil([&] { return stream.finished(); }, 5000));
  }
  ASSERT_TRUE(m_relay->start(port));
  InboxStreamReader again(m_relay->baseUrl(), m_token);
  ASSERT_TRUE(waitUntil([&] { return again.text().find(": connected") != std::string::npos; }, 5000));
  ASSERT_EQ(agentPost("/api/agent/messages", {{"thread", "ops"}, {"body", "after"}}).status, 200);
  EXPECT_TRUE(waitUntil([&] { return again.count("inbox-message") == 1; }, 5000)) << again.text();
  const json messages = m_http->get("/api/inbox/threads/ops/messages", m_token).json();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0]["body"], "before");
  EXPECT_EQ(messages[1]["body"], "after");
}

TEST_F(RelayInboxTest, SharedFilesReachOnlyTheirAccountAsNotifications) {
  QNetworkAccessManager network;
  auto* form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
  QHttpPart part;
  part.setHeader(QNetworkRequest::ContentTypeHeader, "text/csv");
  part.setHeader(QNetworkRequest::ContentDispositionHeader, "form-data; name=\"file\"; filename=\"../report.csv\"");
  part.setBody(QByteArray("a,b\n1,2\n\0tail", 13));
  form->append(part);
  QNetworkRequest request(QUrl(m_relay->baseUrl() + "/api/agent/files"));
  request.setRawHeader("Authorization", QByteArray("Bearer ") + m_agent.c_str());
  QNetworkReply* upload = network.post(request, form);
  form->setParent(upload);
  ASSERT_TRUE(waitUntil([&] { return upload->isFinished(); }, 10000));
  ASSERT_EQ(upload->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
  const json posted = json::parse(upload->readAll().toStdString());
  const std::string token = posted["token"];

  const json notifications = m_http->get("/api/notifications", m_token).json()["notifications"];
  ASSERT_EQ(notifications.size(), 1u);
  EXPECT_EQ(notifications[0]["kind"], "file");
  EXPECT_EQ(notifications[0]["read"], false);
  EXPECT_EQ(notifications[0]["payload"]["filename"], "report.csv");
  EXPECT_EQ(notifications[0]["payload"]["size"], 13);

  const RelayReply file = m_http->get(QString::fromStdString("/api/files/" + token), m_token);
  EXPECT_EQ(file.status, 200);
  EXPECT_EQ(file.body, QByteArray("a,b\n1,2\n\0tail", 13));
  EXPECT_EQ(file.header("Content-Type"), "text/csv");
  EXPECT_EQ(file.header("Content-Disposition"), "attachment; filename=\"report.csv\"");
  const auto [other, otherId] = m_http->registerAccount("bob@example.org");
  EXPECT_EQ(m_http->get(QString::fromStdString("/api/files/" + token), other).status, 404);
  EXPECT_EQ(m_http->get("/api/files/unknown", m_token).status, 404);

  EXPECT_EQ(m_http->post("/api/notifications/read", {{"id", "n999"}}, m_token).status, 404);
  EXPECT_EQ(m_http->post("/api/notifications/read", {{"id", notifications[0]["id"]}}, m_token).status, 200);
  EXPECT_EQ(m_http->get("/api/notifications", m_token).json()["notifications"][0]["read"], true);
}

TEST_F(RelayInboxTest, TasksFollowTheBoardsRulesWithEventsAndChildren) {
  EXPECT_EQ(m_http->post("/api/tasks", {{"title", "x"}}, m_token).status, 400);
  const RelayReply created = m_http->post("/api/tasks", {{"title", "Ship search"}, {"agentTeam", "core"}, {"priority", "high"}}, m_token);
  ASSERT_EQ(created.status, 200) << created.body.toStdString();
  const std::string id = created.json()["id"];
  EXPECT_EQ(created.json()["status"], "new");
  const RelayReply child = m_http->post("/api/tasks", {{"title", "index"}, {"agentTeam", "core"}, {"parentId", id}, {"taskType", "work"}}, m_token);
  ASSERT_EQ(child.status, 200);
  EXPECT_EQ(m_http->post("/api/tasks", {{"title", "orphan"}, {"agentTeam", "core"}, {"parentId", "T999"}}, m_token).status, 400);

  const QString path = QString::fromStdString("/api/tasks/" + id);
  EXPECT_EQ(patch(path, {{"action", "verify"}}).status, 409);  // not done yet
  EXPECT_EQ(patch(path, {{"status", "sideways"}}).status, 400);
  EXPECT_EQ(patch(path, {{"status", "inProgress"}}).status, 200);
  EXPECT_EQ(patch(path, {{"status", "workerDone"}}).status, 200);
  EXPECT_EQ(patch(path, {{"action", "reopen"}, {"note", "tests fail"}, {"images", {{{"base64", "not base64!"}, {"ext", "png"}}}}}).status, 400);
  const RelayReply reopened = patch(path, {{"action", "reopen"}, {"note", "tests fail"}, {"images", {{{"base64", "iVBORw0K"}, {"ext", "png"}}}}});
  ASSERT_EQ(reopened.status, 200);
  EXPECT_EQ(reopened.json()["status"], "needsFix");
  const std::string image = reopened.json()["images"][0];
  EXPECT_EQ(m_http->get(QString::fromStdString(image), m_token).body, QByteArray::fromBase64("iVBORw0K"));

  const json detail = m_http->get(path + "?include=children", m_token).json();
  ASSERT_EQ(detail["children"].size(), 1u);
  EXPECT_EQ(detail["children"][0]["title"], "index");
  std::vector<std::string> kinds;
  const json events = m_http->get(path + "/events", m_token).json();
  for (const auto& event : events["events"]) kinds.push_back(event["type"]);
  EXPECT_EQ(kinds, (std::vector<std::string>{"created", "statusChange", "statusChange", "note", "statusChange"}));

  const json feed = m_http->get("/api/tasks?scope=active&type=demand", m_token).json();
  EXPECT_EQ(feed["tasks"].size(), 2u);
  EXPECT_EQ(feed["meta"]["truncated"], false);
  const auto [other, otherId] = m_http->registerAccount("bob@example.org");
  EXPECT_EQ(m_http->get(path, other).status, 404);
  EXPECT_EQ(m_http->call("DELETE", path, {}, other).status, 404);
  EXPECT_EQ(m_http->call("DELETE", path, {}, m_token).status, 200);
  EXPECT_TRUE(m_http->get("/api/tasks", m_token).json()["tasks"].empty());  // the child went with it
}

}  // namespace
}  // namespace vesket::testing
