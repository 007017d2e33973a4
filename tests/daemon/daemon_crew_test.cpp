// Agent teams, agent groups and plain terminal windows made by the real daemon in a
// private tmux server, driven through `vesket crew|agent-group|window` and the crew tools,
// with a small script standing in for the agents' command-line tools.
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include "tests/support/private_daemon.h"
#include "tests/support/event_loop.h"

namespace vesket::daemon::testing {
namespace {

using namespace vesket::testing;

// Prints its arguments, then answers every line it reads; an interrupt is reported, not
// obeyed, like an agent that stops its current work.
constexpr const char* kFakeAgent = R"(#!/bin/bash
trap 'echo fake-agent-interrupted' INT
echo "fake-agent-ready $*"
while true; do
  if read -r line; then echo "fake-agent-got: $line"; fi
done
)";

class DaemonCrewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString agent = m_tmux.path(QStringLiteral("fake-agent.sh"));
    writeFile(agent, kFakeAgent);
    QFile::setPermissions(agent, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_project = m_tmux.path(QStringLiteral("projects/alpha"));
    QDir().mkpath(m_project);
    m_daemon.start();
    const nlohmann::json agents = {{"claude", agent.toStdString() + " --kind claude --model {model}"},
                                   {"codex", agent.toStdString() + " --kind codex"},
                                   {"ghost", "vesket-no-such-agent-cli --model {model}"}};
    writeFile(crewDir() + "/agents.json", agents.dump());
  }

  static void writeFile(const QString& path, const std::string& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray::fromStdString(text));
  }

  QString crewDir() const { return m_daemon.home() + QStringLiteral("/crew"); }

  static nlohmann::json readJson(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return nullptr;
    return nlohmann::json::parse(file.readAll().toStdString(), nullptr, false);
  }

  PrivateDaemon::Result cli(const QStringList& args) { return m_daemon.runCli(args, 90000); }

  // One of the crew tools, run the way the application runs it.
  PrivateDaemon::Result tool(const QString& script, const QStringList& args) {
    QProcess process;
    QProcessEnvironment env = m_daemon.environment();
    env.insert(QStringLiteral("VESKET_CREW_IMPL_BIN"), PrivateDaemon::binary());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("/bin/bash"), QStringList{crewDir() + "/bin/" + script} + args);
    process.waitForFinished(90000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
  }

  nlohmann::json panes() {
    LineClient client(m_daemon.socketPath());
    return client.request("list-panes")["data"]["panes"];
  }

  nlohmann::json paneEntry(const std::string& paneId) {
    for (const auto& pane : panes()) {
      if (pane["paneId"] == paneId) return pane;
    }
    return nullptr;
  }

  bool paneShows(const std::string& paneId, const QString& text) {
    const QString pane = QString::fromStdString(paneId);
    const bool shown = waitUntil([&] { return m_tmux.capturePane(pane).contains(text); }, 15000);
    if (!shown) ADD_FAILURE() << "pane " << paneId << " shows:\n" << m_tmux.capturePane(pane).toStdString();
    return shown;
  }

  QStringList windows() { return m_tmux.run({"list-windows", "-a", "-F", "#{window_id}"}).split('\n', Qt::SkipEmptyParts); }

  PrivateTmux m_tmux{PrivateTmux::Start::shellSession};
  PrivateDaemon m_daemon{m_tmux};
  QString m_project;
};

TEST_F(DaemonCrewTest, TeamIsCreatedGrownRoutedStoppedRenamedAndDisbanded) {
  // Unpaired: the router applies routing.json. codex takes more than claude, but only up
  // to standard tasks.
  const nlohmann::json routing = {{"project", "*"},
                                  {"main", "claude"},
                                  {"agents",
                                   {{"claude", {{"weight", 10}, {"maxDifficulty", "heavy"}, {"enabled", true}}},
                                    {"codex", {{"weight", 90}, {"maxDifficulty", "standard"}, {"enabled", true}}}}}};
  writeFile(crewDir() + "/routing.json", routing.dump());

  auto created = cli({"crew", "create", "--project", m_project, "--size", "3", "--model", "sonnet", "--task", "plan the work"});
  ASSERT_EQ(created.exitCode, 0) << created.err.toStdString();
  const auto answer = nlohmann::json::parse(created.out.section('\n', 1).toStdString());
  const std::string crewId = answer["crewId"];
  const std::string manager = answer["panes"][0];
  ASSERT_EQ(answer["panes"].size(), 4u);

  // The registry as the application reads it.
  auto listed = tool("crew-registry.sh", {"list"});
  ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
  auto registry = nlohmann::json::parse(listed.out.toStdString());
  ASSERT_EQ(registry["crews"].size(), 1u) << registry.dump();
  EXPECT_EQ(registry["crews"][0]["managerPaneId"], manager);
  EXPECT_EQ(registry["crews"][0]["members"].size(), 4u);
  EXPECT_EQ(registry["crews"][0]["project"], m_project.toStdString());

  // Every member runs the agent command in the project, the manager got the team's task.
  for (const auto& pane : answer["panes"]) EXPECT_TRUE(paneShows(pane, "fake-agent-ready --kind claude --model sonnet"));
  EXPECT_TRUE(paneShows(manager, "fake-agent-got: plan the work"));
  const auto managerEntry = paneEntry(manager);
  EXPECT_EQ(managerEntry["role"], "manager");
  EXPECT_EQ(managerEntry["crewId"], crewId);
  EXPECT_EQ(managerEntry["crew"]["managerPaneId"], manager);
  EXPECT_EQ(managerEntry["cwdBasename"], "alpha");
  EXPECT_EQ(paneEntry(answer["panes"][1])["role"], "worker");
  EXPECT_TRUE(QFile::exists(crewDir() + "/status-" + QString::fromStdString(manager) + ".json"));
  EXPECT_EQ(readJson(crewDir() + "/router-" + QString::fromStdString(crewId) + ".json")["assignments"], nlohmann::json::object());

  // Grown by a codex worker.
  auto grown = cli({"crew", "add-worker", "--crew", QString::fromStdString(crewId), "--count", "1", "--agent", "codex"});
  ASSERT_EQ(grown.exitCode, 0) << grown.err.toStdString();
  const std::string codexWorker = nlohmann::json::parse(grown.out.toStdString())["panes"][0];
  EXPECT_TRUE(paneShows(codexWorker, "fake-agent-ready --kind codex"));
  EXPECT_EQ(paneEntry(codexWorker)["crewId"], crewId);

  // A light task goes to the heavier-weighted codex worker; a heavy one is beyond codex's
  // reach and goes to the first free claude worker.
  auto light = tool("crew-router.sh", {"route", QString::fromStdString(crewId), "T1", "fix a typo in the readme"});
  ASSERT_EQ(light.exitCode, 0) << light.err.toStdString();
  auto heavy = tool("crew-router.sh", {"route", QString::fromStdString(crewId), "T2", "[heavy] why does the cache crash"});
  ASSERT_EQ(heavy.exitCode, 0) << heavy.err.toStdString();
  auto router = readJson(crewDir() + "/router-" + QString::fromStdString(crewId) + ".json");
  EXPECT_EQ(router["assignments"][codexWorker]["taskId"], "T1") << router.dump();
  const std::string firstClaudeWorker = answer["panes"][1];
  EXPECT_EQ(router["assignments"][firstClaudeWorker]["taskId"], "T2") << router.dump();
  EXPECT_EQ(router["taskMeta"]["T2"]["matchedTag"], "rca");
  EXPECT_EQ(router["taskMeta"]["T2"]["difficulty"], "heavy");
  EXPECT_TRUE(paneShows(codexWorker, "fake-agent-got: fix a typo in the readme"));
  EXPECT_EQ(paneEntry(firstClaudeWorker)["task"], "[heavy] why does the cache crash");
  // The same task twice is refused.
  EXPECT_NE(tool("crew-router.sh", {"route", QString::fromStdString(crewId), "T2", "again"}).exitCode, 0);

  // Stopping the codex worker's task interrupts it and frees it.
  auto stopped = tool("crew-router.sh", {"stop", QString::fromStdString(crewId), QString::fromStdString(codexWorker)});
  ASSERT_EQ(stopped.exitCode, 0) << stopped.err.toStdString();
  EXPECT_TRUE(paneShows(codexWorker, "fake-agent-interrupted"));
  router = readJson(crewDir() + "/router-" + QString::fromStdString(crewId) + ".json");
  EXPECT_FALSE(router["assignments"].contains(codexWorker));
  EXPECT_EQ(readJson(crewDir() + "/status-" + QString::fromStdString(codexWorker) + ".json")["state"], "idle");

  // Renamed: the registry and the tmux window; a name with refused characters changes nothing.
  ASSERT_EQ(cli({"crew", "rename", "--crew", QString::fromStdString(crewId), "--name", "Alpha team"}).exitCode, 0);
  EXPECT_EQ(m_tmux.display(QString::fromStdString(manager), "#{window_name}"), "Alpha team");
  EXPECT_NE(cli({"crew", "rename", "--crew", QString::fromStdString(crewId), "--name", "bad:name"}).exitCode, 0);
  registry = nlohmann::json::parse(tool("crew-registry.sh", {"list"}).out.toStdString());
  EXPECT_EQ(registry["crews"][0]["displayName"], "Alpha team");

  // Disbanded: every pane gone, the record kept, the registry empty.
  auto disbanded = cli({"crew", "disband", "--project", m_project});
  ASSERT_EQ(disbanded.exitCode, 0) << disbanded.err.toStdString();
  const QStringList live = m_tmux.paneIds();
  for (const auto& pane : answer["panes"]) EXPECT_FALSE(live.contains(QString::fromStdString(pane)));
  EXPECT_FALSE(live.contains(QString::fromStdString(codexWorker)));
  EXPECT_EQ(readJson(crewDir() + "/disbanded/" + QString::fromStdString(crewId) + ".json")["lifecycle"], "disbanded");
  EXPECT_EQ(nlohmann::json::parse(tool("crew-registry.sh", {"list"}).out.toStdString())["crews"].size(), 0u);
  EXPECT_FALSE(QFile::exists(crewDir() + "/status-" + QString::fromStdString(manager) + ".json"));
  EXPECT_NE(cli({"crew", "disband", "--project", m_project}).exitCode, 0) << "nothing left to disband";
}

TEST_F(DaemonCrewTest, BadRequestsAreRefusedAndLeaveNothingBehind) {
  const QStringList before = windows();
  struct Case {
    QStringList args;
    QString error;
  };
  const Case cases[] = {
      {{"crew", "create", "--project", m_project + "/missing", "--size", "2"}, "does not exist"},
      {{"crew", "create", "--project", m_project, "--size", "10"}, "size"},
      {{"crew", "create", "--project", m_project, "--size", "0"}, "size"},
      {{"crew", "create", "--project", m_project, "--size", "2", "--agent", "ghost"}, "not installed"},
      {{"crew", "create", "--project", m_project, "--size", "2", "--agent", "nonsense"}, "unknown agent kind"},
      {{"agent-group", "create", "--count", "3", "--model", "shell"}, "two-row layout"},
      {{"agent-group", "create", "--count", "10", "--model", "shell"}, "count"},
      {{"agent-group", "create", "--count", "2", "--model", "shell", "--name", "a|b"}, "characters_error"},
      {{"crew", "add-worker", "--crew", "crew-none"}, "no agent team"},
      {{"crew", "route", "--crew", "crew-none", "--task", "T"}, "no agent team"},
  };
  for (const auto& c : cases) {
    const auto result = cli(c.args);
    EXPECT_NE(result.exitCode, 0) << c.args.join(' ').toStdString();
    EXPECT_TRUE(result.err.contains(c.error)) << c.args.join(' ').toStdString() << ": " << result.err.toStdString();
  }
  EXPECT_EQ(windows(), before);

  // Two creations at once: one is made, the other refused, nothing half-made.
  LineClient client(m_daemon.socketPath(), 60000);
  const nlohmann::json args = {{"action", "create"}, {"project", m_project.toStdString()}, {"size", 2}, {"agent", "shell"}};
  client.sendRequest("one", "crew", args);
  client.sendRequest("two", "crew", args);
  // The refusal may come first: read both answers in whatever order they come.
  const auto first = client.nextLine(60000);
  const auto second = client.nextLine(60000);
  ASSERT_TRUE(first && second);
  const auto& one = (*first)["id"] == "one" ? first : second;
  const auto& two = (*first)["id"] == "one" ? second : first;
  EXPECT_TRUE((*one)["ok"] != (*two)["ok"]) << one->dump() << "\n" << two->dump();
  const auto& refused = (*one)["ok"] == false ? *one : *two;
  EXPECT_NE(refused.value("error", "").find("being created"), std::string::npos) << refused.dump();
  EXPECT_EQ(windows().size(), before.size() + 1);
}

TEST_F(DaemonCrewTest, AgentGroupsKeepTwoRowsAndTerminalsAreLooseWindows) {
  auto created = cli({"agent-group", "create", "--count", "4", "--model", "shell", "--name", "Pairs"});
  ASSERT_EQ(created.exitCode, 0) << created.err.toStdString();
  const auto group = nlohmann::json::parse(created.out.toStdString());
  const QString windowId = QString::fromStdString(group["windowId"]);
  auto rows = [&] {
    std::map<QString, int> perRow;
    for (const QString& top : m_tmux.run({"list-panes", "-t", windowId, "-F", "#{pane_top}"}).split('\n')) ++perRow[top];
    return perRow;
  };
  EXPECT_EQ(rows().size(), 2u);
  EXPECT_EQ(rows().begin()->second, 2);
  EXPECT_EQ(m_tmux.display(windowId, "#{window_name}"), "Pairs");
  const std::string first = group["panes"][0];
  EXPECT_EQ(paneEntry(first)["windowKind"], "group");

  auto grown = cli({"agent-group", "add", "--window", windowId, "--count", "2", "--model", "shell"});
  ASSERT_EQ(grown.exitCode, 0) << grown.err.toStdString();
  EXPECT_EQ(rows().size(), 2u);
  EXPECT_EQ(rows().begin()->second, 3);
  EXPECT_EQ(rows().rbegin()->second, 3);
  EXPECT_NE(cli({"agent-group", "add", "--window", windowId, "--count", "4", "--model", "shell"}).exitCode, 0)
      << "past eight panes";

  ASSERT_EQ(cli({"agent-group", "rename", "--pane", QString::fromStdString(first), "--name", "Six"}).exitCode, 0);
  EXPECT_EQ(m_tmux.display(windowId, "#{window_name}"), "Six");

  auto terminal = cli({"window", "create", "--name", "Scratch"});
  ASSERT_EQ(terminal.exitCode, 0) << terminal.err.toStdString();
  const std::string terminalPane = nlohmann::json::parse(terminal.out.toStdString())["paneId"];
  EXPECT_EQ(paneEntry(terminalPane)["windowKind"], "terminal");
  EXPECT_EQ(paneEntry(terminalPane)["windowName"], "Scratch");

  ASSERT_EQ(cli({"window", "close", "--window", windowId}).exitCode, 0);
  const QString terminalWindow = m_tmux.display(QString::fromStdString(terminalPane), "#{window_id}");
  ASSERT_EQ(cli({"window", "close", "--window", terminalWindow}).exitCode, 0);
  EXPECT_FALSE(windows().contains(windowId));
  EXPECT_FALSE(windows().contains(terminalWindow));
  EXPECT_TRUE(paneEntry(first).is_null());
}

}  // namespace
}  // namespace vesket::daemon::testing
