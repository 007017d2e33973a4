// Agent teams of another machine through the relay: a real daemon on its private tmux
// server, linked to the real relay, whose teams and groups an account creates, grows,
// routes tasks to, renames and disbands, with the routing rules stored on the relay.
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QUrl>

#include <gtest/gtest.h>

#include "tests/support/linked_daemon_fixture.h"

namespace vesket::testing {
namespace {

using nlohmann::json;

class RelayCrewTest : public LinkedDaemonTest {
 protected:
  void SetUp() override {
    LinkedDaemonTest::SetUp();
    if (HasFatalFailure()) return;
    std::tie(m_token, m_userId, m_daemonId) = linkNewAccount("crew@example.com");
    // The daemon's routers ask the relay for their rules.
    QSaveFile env(home() + "/daemon/.env");
    ASSERT_TRUE(env.open(QIODevice::WriteOnly));
    env.write("RELAY_URL=" + m_relay->daemonUrl().toUtf8() + "\nDAEMON_TOKEN=" + QByteArray::fromStdString(m_daemonToken) +
              "\nBOARD_PUSH_API=" + m_relay->baseUrl().toUtf8() + "\n");
    ASSERT_TRUE(env.commit());
    // `cat` stands in for both agent CLIs: it shows every line it is given.
    QDir().mkpath(home() + "/crew");
    QFile agents(home() + "/crew/agents.json");
    ASSERT_TRUE(agents.open(QIODevice::WriteOnly));
    agents.write(R"({"claude": "cat", "codex": "cat"})");
    m_project = m_root.filePath("projects/web");
    QDir().mkpath(m_project);
  }

  QString home() const { return environment().value("VESKET_HOME"); }

  json post(const QString& path, json body, const std::string& token = {}) {
    if (!body.contains("daemonId")) body["daemonId"] = m_daemonId;
    const auto reply = m_http->post(path, body, token.empty() ? m_token : token);
    EXPECT_EQ(reply.status, 200) << path.toStdString() << ": " << reply.body.toStdString();
    return reply.json();
  }

  RelayReply putRouting(const std::string& project, const json& config, const std::string& token) {
    const QString query = QString::fromUtf8(QUrl::toPercentEncoding(QString::fromStdString(project)));
    return m_http->call("PUT", "/api/routing-config?project=" + query, QByteArray::fromStdString(config.dump()), token);
  }

  json getRouting(const std::string& project) {
    const QString query = QString::fromUtf8(QUrl::toPercentEncoding(QString::fromStdString(project)));
    const auto reply = m_http->get("/api/routing-config?project=" + query, m_token);
    EXPECT_EQ(reply.status, 200) << reply.body.toStdString();
    return reply.json()["config"];
  }

  json sessionOf(const std::string& paneId) {
    const auto reply = m_http->get("/api/crew/sessions?daemonId=" + QString::number(m_daemonId), m_token);
    EXPECT_EQ(reply.status, 200) << reply.body.toStdString();
    const json answer = reply.json();
    for (const auto& row : answer["sessions"]) {
      if (row["paneId"] == paneId) return row;
    }
    return nullptr;
  }

  std::string m_token;
  qint64 m_userId = 0;
  qint64 m_daemonId = 0;
  QString m_project;
};

TEST_F(RelayCrewTest, RoutingRulesAreStoredPerProjectAndCheckedOnWrite) {
  // Nothing stored: the global rules are the defaults, a project follows them.
  EXPECT_EQ(getRouting("*")["agents"]["claude"]["weight"], 50);
  EXPECT_TRUE(getRouting("web & app")["agents"].empty());

  json custom = {{"project", "web & app"},
                 {"main", "codex"},
                 {"agents", {{"codex", {{"weight", 70}, {"maxDifficulty", "standard"}, {"enabled", true}}}}}};
  auto saved = putRouting("web & app", custom, m_token);
  ASSERT_EQ(saved.status, 200) << saved.body.toStdString();
  EXPECT_GT(saved.json()["config"]["updatedAt"].get<double>(), 0);
  EXPECT_EQ(getRouting("web & app")["agents"]["codex"]["weight"], 70);
  EXPECT_EQ(getRouting("web & app")["main"], "codex");
  EXPECT_TRUE(getRouting("web")["agents"].empty()) << "another project is untouched";

  // Refused writes change nothing.
  const json bad[] = {
      {{"project", "web & app"}, {"agents", {{"codex", {{"weight", -3}, {"maxDifficulty", "light"}, {"enabled", true}}}}}},
      {{"project", "web & app"}, {"main", "nobody"}},
      {{"project", "elsewhere"}},
      json::array(),
  };
  for (const auto& body : bad) {
    const auto refused = putRouting("web & app", body, m_token);
    EXPECT_EQ(refused.status, 400) << body.dump() << ": " << refused.body.toStdString();
  }
  EXPECT_EQ(getRouting("web & app")["agents"]["codex"]["weight"], 70);
  EXPECT_EQ(m_http->get("/api/routing-config?project=web", "").status, 401);

  // Another account sees only its own rules.
  const auto [otherToken, otherUser] = m_http->registerAccount("other@example.com");
  const auto other = m_http->get("/api/routing-config?project=web%20%26%20app", otherToken);
  EXPECT_TRUE(other.json()["config"]["agents"].empty()) << other.body.toStdString();

  // A team's router reads the project's rules, else the global ones, with its daemon token.
  auto forRouter = m_http->get("/api/agent/routing-config?project=web%20%26%20app", m_daemonToken);
  EXPECT_EQ(forRouter.json()["source"], "project");
  forRouter = m_http->get("/api/agent/routing-config?project=web", m_daemonToken);
  EXPECT_EQ(forRouter.json()["source"], "default");
  EXPECT_EQ(m_http->get("/api/agent/routing-config?project=web", m_token).status, 401);
}

TEST_F(RelayCrewTest, TeamOfAnotherMachineIsCreatedRoutedAndDisbanded) {
  const std::string project = m_project.toStdString();
  // The project's rules on the relay: codex first, but only for standard work.
  json rules = {{"project", project},
                {"main", "claude"},
                {"agents",
                 {{"codex", {{"weight", 80}, {"maxDifficulty", "standard"}, {"enabled", true}}},
                  {"claude", {{"weight", 20}, {"maxDifficulty", "heavy"}, {"enabled", true}}}}}};
  ASSERT_EQ(putRouting(project, rules, m_token).status, 200);

  auto created = post("/api/crew/create", {{"project", project}, {"size", 1}, {"model", "m1"}, {"agent", "claude"}});
  ASSERT_EQ(created["ok"], true) << created.dump();
  const std::string crewId = created["crewId"];
  const std::string manager = created["panes"][0];
  const std::string claudeWorker = created["panes"][1];
  EXPECT_EQ(sessionOf(manager)["role"], "manager");
  EXPECT_EQ(sessionOf(claudeWorker)["crewId"], crewId);

  auto grown = post("/api/crew/add-worker", {{"crewId", crewId}, {"count", 1}, {"agent", "codex"}});
  ASSERT_EQ(grown["ok"], true) << grown.dump();
  const std::string codexWorker = grown["panes"][0];

  auto routed = post("/api/crew/route", {{"crewId", crewId}, {"taskId", "A"}, {"brief", "add a settings page"}});
  EXPECT_EQ(routed["paneId"], codexWorker) << routed.dump();
  routed = post("/api/crew/route", {{"crewId", crewId}, {"taskId", "B"}, {"brief", "[heavy] migrate the storage"}});
  EXPECT_EQ(routed["paneId"], claudeWorker) << routed.dump();
  EXPECT_TRUE(captureShows(QString::fromStdString(claudeWorker), "[heavy] migrate the storage"));
  EXPECT_EQ(sessionOf(claudeWorker)["task"], "[heavy] migrate the storage");
  routed = post("/api/crew/route", {{"crewId", crewId}, {"taskId", "C"}, {"brief", "more"}});
  EXPECT_EQ(routed["ok"], false) << "every worker is busy: " << routed.dump();

  EXPECT_EQ(post("/api/crew/stop", {{"crewId", crewId}, {"paneId", codexWorker}})["ok"], true);
  EXPECT_FALSE(sessionOf(codexWorker).contains("task"));
  EXPECT_EQ(post("/api/crew/rename", {{"crewId", crewId}, {"displayName", "Web team"}})["ok"], true);
  EXPECT_EQ(sessionOf(manager)["windowName"], "Web team");
  EXPECT_EQ(post("/api/crew/rename", {{"crewId", crewId}, {"displayName", "semi;colon"}})["ok"], false);

  // Refusals of the daemon come back as its words; another account reaches nothing.
  auto refused = post("/api/crew/create", {{"project", project + "/missing"}, {"size", 1}});
  EXPECT_EQ(refused["ok"], false);
  EXPECT_NE(refused.value("error", "").find("does not exist"), std::string::npos) << refused.dump();
  const auto [otherToken, otherUser] = m_http->registerAccount("intruder@example.com");
  const auto foreign = m_http->post("/api/crew/disband", {{"daemonId", m_daemonId}, {"crewId", crewId}}, otherToken);
  EXPECT_EQ(foreign.status, 404) << foreign.body.toStdString();

  EXPECT_EQ(post("/api/crew/disband", {{"crewId", crewId}})["ok"], true);
  EXPECT_TRUE(sessionOf(manager).is_null());
  EXPECT_TRUE(sessionOf(codexWorker).is_null());
}

TEST_F(RelayCrewTest, AgentGroupsAndTerminalsOfAnotherMachine) {
  auto group = post("/api/agent-group/create", {{"count", 2}, {"model", "shell"}, {"windowName", "Duo"}});
  ASSERT_EQ(group["ok"], true) << group.dump();
  const std::string first = group["panes"][0];
  EXPECT_EQ(sessionOf(first)["windowKind"], "group");
  EXPECT_EQ(post("/api/agent-group/create", {{"count", 3}, {"model", "shell"}})["ok"], false);
  auto grown = post("/api/agent-group/add", {{"windowId", group["windowId"]}, {"model", "shell"}, {"count", 2}});
  EXPECT_EQ(grown["panes"].size(), 2u) << grown.dump();
  EXPECT_EQ(post("/api/agent-group/rename", {{"paneId", first}, {"name", "Quad"}})["ok"], true);
  EXPECT_EQ(sessionOf(first)["windowName"], "Quad");
  EXPECT_EQ(post("/api/window/kill", {{"paneId", first}})["ok"], true);
  EXPECT_TRUE(sessionOf(first).is_null());

  auto terminal = post("/api/spawn-agent", {{"model", "shell"}, {"windowName", "Remote shell"}});
  ASSERT_EQ(terminal["ok"], true) << terminal.dump();
  const std::string pane = terminal["paneId"];
  EXPECT_EQ(sessionOf(pane)["windowKind"], "terminal");
  EXPECT_EQ(post("/api/window/kill", {{"paneId", pane}})["ok"], true);
  EXPECT_TRUE(sessionOf(pane).is_null());
}

}  // namespace
}  // namespace vesket::testing
