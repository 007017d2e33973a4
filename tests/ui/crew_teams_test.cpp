// Agent teams from the application: the team manager against the real daemon (this
// machine) and through the real relay (another machine), the dialog that starts agents,
// the Teams window and the sidebar showing a team, with screenshots.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QCheckBox>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "crew/crew_control_manager.h"
#include "crew/routing_config_store.h"
#include "relay/relay_client.h"
#include "tests/support/linked_daemon_fixture.h"
#include "tests/support/screenshot.h"
#include "ui/crew_create_dialog.h"
#include "ui/main_window.h"
#include "ui/path_field.h"
#include "ui/routing_dialog.h"
#include "ui/teams_window.h"
#include "viewer/pane_list_store.h"
#include "viewer/terminal_viewer_model.h"

namespace vesket::testing {
namespace {

using crew::CrewControlManager;
using nlohmann::json;

class CrewTeamsTest : public LinkedDaemonTest {
 protected:
  void SetUp() override {
    LinkedDaemonTest::SetUp();
    if (HasFatalFailure()) return;
    m_home = environment().value("VESKET_HOME");
    // The product tool where the application looks for it, and `cat` standing in for the
    // agents (it shows every line it is given).
    QDir().mkpath(m_home + "/bin");
    ASSERT_TRUE(QFile::link(QFileInfo(binary()).absoluteFilePath(), m_home + "/bin/vesket"));
    QDir().mkpath(m_home + "/crew");
    QFile agents(m_home + "/crew/agents.json");
    ASSERT_TRUE(agents.open(QIODevice::WriteOnly));
    agents.write(R"({"claude": "cat", "codex": "cat"})");
    agents.close();
    m_project = m_root.filePath("projects/shop");
    QDir().mkpath(m_project);
  }

  std::unique_ptr<CrewControlManager> manager(std::optional<std::string> token = std::nullopt) {
    CrewControlManager::Collaborators collaborators;
    collaborators.client = m_client;
    collaborators.home = m_home;
    if (token) {
      const QUrl base(m_relay->baseUrl());
      const QString bearer = QString::fromStdString(*token);
      collaborators.relayClient = [base, bearer] {
        return std::optional<relay::RelayClient>(relay::RelayClient(base, relay::RelayClient::Credential::fixed(bearer)));
      };
      collaborators.hasUsableRelayCredential = [] { return true; };
    }
    return std::make_unique<CrewControlManager>(collaborators);
  }

  const crew::CrewInfo* team(const CrewControlManager& crews) {
    for (const auto& info : crews.crews()) {
      if (!info.isAgentGroup && !info.isLooseWindow) return &info;
    }
    return nullptr;
  }

  QString m_home;
  QString m_project;
};

TEST_F(CrewTeamsTest, TeamOnThisMachineIsCreatedWatchedRoutedAndDisbanded) {
  auto crews = manager();
  awaitTask(crews->spawn(m_project, 2, QStringLiteral("opus"), QStringLiteral("  "), QStringLiteral("claude")), 90000);
  ASSERT_EQ(crews->spawnState(), CrewControlManager::SpawnState::done) << crews->spawnMessage().toStdString();
  EXPECT_EQ(crews->spawnMessage().toStdString(),
            "Agent team created for “" + m_project.toStdString() + "” (1 mgr + 2 claude workers, opus).");
  ASSERT_EQ(crews->loadState(), CrewControlManager::LoadState::loaded) << crews->loadMessage().toStdString();
  const crew::CrewInfo* info = team(*crews);
  ASSERT_NE(info, nullptr);
  ASSERT_EQ(info->members.size(), 3u);
  EXPECT_EQ(info->members.front().role, "manager");
  EXPECT_EQ(info->members.front().model, "opus");
  const std::string crewId = info->crewId;
  const std::string worker = info->members[1].paneId;

  awaitTask(crews->addWorkers(QString::fromStdString(crewId), 1), 90000);
  EXPECT_EQ(crews->actionMessage(), QStringLiteral("Added 1 agents to the team."));
  ASSERT_EQ(team(*crews)->members.size(), 4u);

  awaitTask(crews->route(QString::fromStdString(crewId), QStringLiteral(" "), QStringLiteral("x")));
  EXPECT_EQ(crews->actionMessage(), QStringLiteral("A task id is required to route."));
  awaitTask(crews->route(QString::fromStdString(crewId), QStringLiteral("T-7"), QStringLiteral("why does checkout crash")), 60000);
  ASSERT_TRUE(crews->actionMessage()->startsWith("Routed T-7 to %")) << crews->actionMessage()->toStdString();
  // Unpaired: the default rules; the tag is the work class of the brief.
  const auto routedTo = crews->actionMessage()->section(' ', -1).chopped(1).toStdString();
  const auto& members = team(*crews)->members;
  const auto routed = std::find_if(members.begin(), members.end(), [&](const auto& m) { return m.paneId == routedTo; });
  ASSERT_NE(routed, members.end());
  EXPECT_EQ(routed->task, "why does checkout crash");
  EXPECT_EQ(routed->tag, crew::TagKey::rca);
  EXPECT_TRUE(captureShows(QString::fromStdString(routedTo), "why does checkout crash"));

  awaitTask(crews->stopTask(QString::fromStdString(crewId), QString::fromStdString(routedTo)), 60000);
  EXPECT_EQ(crews->actionMessage()->toStdString(), "Stopped the task of " + routedTo + ".");

  awaitTask(crews->renameTeam(QString::fromStdString(crewId), QStringLiteral("a.b")));
  EXPECT_TRUE(crews->actionMessage()->contains("characters")) << crews->actionMessage()->toStdString();
  awaitTask(crews->renameTeam(QString::fromStdString(crewId), QStringLiteral("Shop team")));
  EXPECT_TRUE(crews->mutationSucceeded());
  EXPECT_EQ(team(*crews)->displayName, "Shop team");

  // The Teams window and the sidebar show the team.
  ui::TeamsWindow window(*crews);
  window.show();
  EXPECT_GE(window.roster()->topLevelItemCount(), 1);
  EXPECT_TRUE(window.roster()->topLevelItem(0)->text(0).contains("Shop team"));
  saveScreenshot(window, "teams_window");
  // At its smallest the window still shows the whole team of four.
  window.resize(1, 1);
  spinFor(50);
  QTreeWidgetItem* lastPane = window.roster()->topLevelItem(0)->child(3);
  ASSERT_NE(lastPane, nullptr);
  EXPECT_TRUE(window.roster()->viewport()->rect().contains(window.roster()->visualItemRect(lastPane)));
  viewer::TerminalViewerModel model(m_client, nullptr);
  model.start();
  ASSERT_TRUE(waitUntil([&] { return model.paneList().contains(worker); }, 10000));
  ui::MainWindow main(model);
  main.resize(1100, 640);
  main.show();
  spinFor(300);
  saveScreenshot(main, "sidebar_with_team");

  awaitTask(crews->remove(QString::fromStdString(crewId), m_project), 60000);
  EXPECT_EQ(crews->actionMessage()->toStdString(), "Removed agent team for “" + m_project.toStdString() + "”");
  EXPECT_EQ(team(*crews), nullptr);
  EXPECT_FALSE(tmux({"list-panes", "-a", "-F", "#{pane_id}"}).split('\n').contains(QString::fromStdString(worker)));
}

TEST_F(CrewTeamsTest, GroupsAndTerminalsAndRefusals) {
  auto crews = manager();
  awaitTask(crews->spawnAgentGroup(3, QStringLiteral("shell"), {}));
  EXPECT_EQ(crews->groupSpawnState(), CrewControlManager::SpawnState::failed);
  EXPECT_EQ(crews->spawnMessage(), QStringLiteral("Agent groups grow by 2 (2–8) to keep the two-row layout."));
  awaitTask(crews->spawnAgentGroup(2, QStringLiteral("shell"), QStringLiteral("Pair")), 90000);
  ASSERT_EQ(crews->groupSpawnState(), CrewControlManager::SpawnState::done) << crews->spawnMessage().toStdString();
  EXPECT_EQ(crews->spawnMessage(), QStringLiteral("Agent Group created (2 panes, no manager)."));
  awaitTask(crews->spawnPlainTerminal({}), 30000);
  ASSERT_EQ(crews->plainTerminalSpawnState(), CrewControlManager::SpawnState::done) << crews->spawnMessage().toStdString();
  const crew::CrewInfo* group = nullptr;
  const crew::CrewInfo* terminal = nullptr;
  for (const auto& info : crews->crews()) {
    if (info.isAgentGroup) group = &info;
    if (info.isLooseWindow) terminal = &info;
  }
  ASSERT_TRUE(group && terminal);
  EXPECT_EQ(group->members.size(), 2u);
  EXPECT_EQ(terminal->displayName, "Terminal");
  // Copies: every reload replaces the roster the pointers point into.
  const QString terminalWindow = QString::fromStdString(terminal->windowId.value_or(""));
  const QString terminalId = QString::fromStdString(terminal->crewId);
  const QString groupWindow = QString::fromStdString(group->windowId.value_or(""));
  awaitTask(crews->closeLooseWindow(terminalId, terminalWindow), 30000);
  EXPECT_EQ(crews->actionMessage(), QStringLiteral("Closed terminal window."));
  awaitTask(crews->closeAgentGroup(groupWindow, {}), 30000);
  EXPECT_TRUE(crews->mutationSucceeded()) << crews->actionMessage().value_or("").toStdString();
  EXPECT_EQ(crews->loadState(), CrewControlManager::LoadState::empty);

  awaitTask(crews->spawn(m_project + "/gone", 1, "m", {}, QStringLiteral("claude")), 60000);
  EXPECT_EQ(crews->spawnState(), CrewControlManager::SpawnState::failed);
  EXPECT_TRUE(crews->spawnMessage().contains("does not exist")) << crews->spawnMessage().toStdString();

  // No crew tools at the product home: the roster says where it looked.
  CrewControlManager::Collaborators elsewhere{m_client, m_root.filePath("nowhere"), {}, {}};
  CrewControlManager missing(elsewhere);
  awaitTask(missing.refresh());
  EXPECT_EQ(missing.loadState(), CrewControlManager::LoadState::failed);
  EXPECT_TRUE(missing.loadMessage().startsWith("crew bin not found at ")) << missing.loadMessage().toStdString();

  // The dialog checks before anything runs.
  ui::CrewCreateDialog dialog;
  dialog.setProject("  ");
  EXPECT_EQ(dialog.validationError(), QStringLiteral("Project name is required."));
  dialog.setMode(ui::CrewCreateDialog::Mode::plainTerminal);
  dialog.setName(QString(41, 'x'));
  EXPECT_EQ(dialog.validationError(), QStringLiteral("Names are at most 40 characters."));
  dialog.setName(QStringLiteral("Logs"));
  EXPECT_FALSE(dialog.validationError());
  dialog.setMode(ui::CrewCreateDialog::Mode::team);
  const QString longPath = m_project + "/clients/acme/services/payments-gateway";
  dialog.setProject(longPath);
  dialog.setSize(3);
  dialog.setKind("codex");
  dialog.setModel("gpt-5");
  dialog.setTask("Ship the checkout page");
  dialog.show();
  spinFor(100);
  saveScreenshot(dialog, "crew_create_dialog");

  // A long project path shows both its ends: its first folder and as many of its last ones as
  // fit, or at the dialog's smallest, the ends of its text. The path stays whole in the field,
  // its tooltip and what is edited.
  auto* field = dialog.findChild<ui::PathField*>("crewProject");
  ASSERT_NE(field, nullptr);
  const QString first = m_project.section(u'/', 0, 1) + QStringLiteral("/…/");
  EXPECT_TRUE(field->shownText().startsWith(first) && field->shownText().endsWith("/services/payments-gateway"))
      << field->shownText().toStdString();
  dialog.resize(dialog.minimumSizeHint());
  spinFor(100);
  saveScreenshot(dialog, "crew_create_dialog-smallest");
  const QString shown = field->shownText();
  EXPECT_TRUE(shown.startsWith(m_project.left(5)) && shown.endsWith("gateway") && shown.contains(u'…')) << shown.toStdString();
  EXPECT_LE(field->fontMetrics().horizontalAdvance(shown), field->width());
  EXPECT_EQ(field->toolTip(), longPath);
  EXPECT_EQ(dialog.project(), longPath);
  dialog.activateWindow();
  field->setFocus();
  ASSERT_TRUE(waitUntil([&] { return field->hasFocus(); }, 2000));
  EXPECT_EQ(field->shownText(), longPath);
  spinFor(50);
  saveScreenshot(dialog, "crew_create_dialog-smallest-editing");
}

TEST_F(CrewTeamsTest, AnotherMachineThroughTheRelay) {
  const auto [token, userId, daemonId] = linkNewAccount("teams@example.org");
  auto crews = manager(token);
  crews->setTarget(crew::CrewMachineTarget{daemonId, "build-box"});
  awaitTask(crews->spawn(m_project, 1, QStringLiteral("m2"), QStringLiteral("set up CI"), QStringLiteral("claude")), 90000);
  ASSERT_EQ(crews->spawnState(), CrewControlManager::SpawnState::done) << crews->spawnMessage().toStdString();
  ASSERT_EQ(crews->loadState(), CrewControlManager::LoadState::loaded) << crews->loadMessage().toStdString();
  const crew::CrewInfo* info = team(*crews);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->members.size(), 2u);
  EXPECT_EQ(info->members.front().role, "manager");
  EXPECT_TRUE(captureShows(QString::fromStdString(info->managerPaneId), "set up CI"));
  const QString crewId = QString::fromStdString(info->crewId);

  awaitTask(crews->route(crewId, QStringLiteral("R1"), QStringLiteral("add a retry")), 60000);
  EXPECT_TRUE(crews->actionMessage()->startsWith("Routed R1 to %")) << crews->actionMessage()->toStdString();
  awaitTask(crews->renameTeam(crewId, QStringLiteral("Build team")), 30000);
  EXPECT_TRUE(crews->mutationSucceeded()) << crews->actionMessage()->toStdString();

  awaitTask(crews->remove(crewId, m_project));
  EXPECT_EQ(crews->actionMessage()->toStdString(),
            "Removing a team isn’t available yet for a remote machine (build-box) — switch to it directly, or select This Mac.");

  // The routing editor's store against the relay.
  crew::RoutingConfigStore rules(
      [base = QUrl(m_relay->baseUrl()), bearer = QString::fromStdString(token)] {
        return std::optional<relay::RelayClient>(relay::RelayClient(base, relay::RelayClient::Credential::fixed(bearer)));
      },
      QStringLiteral("shop & co"));
  awaitTask(rules.load());
  ASSERT_EQ(rules.loadState(), crew::RoutingConfigStore::LoadState::loaded) << rules.message().toStdString();
  EXPECT_TRUE(rules.isEmpty());
  rules.setWeight(crew::RoutingAgentKind::codex, 40);
  rules.setEnabled(crew::RoutingAgentKind::codex, true);
  EXPECT_TRUE(rules.isDirty());
  awaitTask(rules.save());
  ASSERT_EQ(rules.saveState(), crew::RoutingConfigStore::SaveState::saved) << rules.message().toStdString();
  EXPECT_FALSE(rules.isDirty());
  rules.setWeight(crew::RoutingAgentKind::codex, 41);
  rules.setWeight(crew::RoutingAgentKind::codex, 40);
  EXPECT_FALSE(rules.isDirty()) << "restoring a weight is no change";
  awaitTask(rules.switchProject(QStringLiteral("*")));
  awaitTask(rules.switchProject(QStringLiteral("shop & co")));
  EXPECT_EQ(rules.agentConfig(crew::RoutingAgentKind::codex).weight, 40);
}

TEST_F(CrewTeamsTest, RoutingRulesAreEditedSavedAndResetFromTheTeamsWindow) {
  const auto [token, userId, daemonId] = linkNewAccount("routing@example.org");
  auto crews = manager(token);
  ui::TeamsWindow window(*crews);
  window.setRoutingClient([base = QUrl(m_relay->baseUrl()), bearer = QString::fromStdString(token)] {
    return std::optional<relay::RelayClient>(relay::RelayClient(base, relay::RelayClient::Credential::fixed(bearer)));
  });
  auto open = [&](const QString& project) {
    auto* dialog = new ui::RoutingDialog(
        [base = QUrl(m_relay->baseUrl()), bearer = QString::fromStdString(token)] {
          return std::optional<relay::RelayClient>(relay::RelayClient(base, relay::RelayClient::Credential::fixed(bearer)));
        },
        project, &window);
    dialog->show();
    EXPECT_TRUE(waitUntil([&] { return dialog->store().loadState() == crew::RoutingConfigStore::LoadState::loaded; }, 10000))
        << dialog->store().message().toStdString();
    return dialog;
  };
  // Nothing selected: the window's button edits the global rules.
  auto* global = qobject_cast<ui::RoutingDialog*>(window.editRouting());
  ASSERT_NE(global, nullptr);
  EXPECT_EQ(global->store().project(), "*");
  global->close();

  auto* dialog = open(QStringLiteral("shop & co"));
  EXPECT_TRUE(dialog->summary()->text().contains("follows the global rules"));
  EXPECT_FALSE(dialog->saveButton()->isEnabled());
  dialog->findChild<QCheckBox*>("enabled-codex")->setChecked(true);
  dialog->findChild<QSpinBox*>("weight-codex")->setValue(40);
  dialog->findChild<QComboBox*>("difficulty-codex")->setCurrentIndex(2);
  ASSERT_TRUE(dialog->saveButton()->isEnabled());
  dialog->saveButton()->click();
  ASSERT_TRUE(waitUntil([&] { return dialog->store().saveState() == crew::RoutingConfigStore::SaveState::saved; }, 10000));
  EXPECT_FALSE(dialog->saveButton()->isEnabled());
  spinFor(100);
  saveScreenshot(*dialog, "routing-dialog");
  const json stored = m_http->get(crew::RoutingConfigStore::pathFor("shop & co"), token).json();
  EXPECT_EQ(stored["config"]["agents"]["codex"], (json{{"weight", 40}, {"maxDifficulty", "heavy"}, {"enabled", true}})) << stored.dump();
  dialog->close();

  // Opened again, it shows what the relay holds; "Follow global rules" empties it.
  dialog = open(QStringLiteral("shop & co"));
  EXPECT_EQ(dialog->findChild<QSpinBox*>("weight-codex")->value(), 40);
  EXPECT_TRUE(dialog->summary()->text().contains("rules of its own"));
  dialog->resetButton()->click();
  ASSERT_TRUE(waitUntil([&] { return dialog->store().isEmpty(); }, 10000));
  EXPECT_TRUE(dialog->summary()->text().contains("follows the global rules"));
  EXPECT_EQ(dialog->findChild<QSpinBox*>("weight-codex")->value(), 0);
}

}  // namespace
}  // namespace vesket::testing
