#include "viewer/pane_awaiting_store.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <qcoro/qcoroprocess.h>

#include "tests/support/event_loop.h"
#include "tests/support/private_tmux.h"
#include "tests/viewer/core/awaiting_marker_text.h"
#include "tests/viewer/scripted_pane_content_source.h"

namespace vesket::viewer {
namespace {

using namespace std::chrono_literals;
using vesket::testing::spinFor;
using vesket::testing::waitUntil;
using testing::approvalMarker;
using testing::resolvedMarker;
using testing::ScriptedPaneContentSource;

const std::string kOptions = R"(["1: Yes", "2: No"])";

TEST(PaneAwaitingStore, EvaluateAppliesOutcomesAndReportsSetChanges) {
  auto source = std::make_shared<ScriptedPaneContentSource>();
  PaneAwaitingStore store(source);
  std::vector<std::set<std::string>> changes;
  int promptPublishes = 0;
  store.onChange = [&](const std::set<std::string>& ids) { changes.push_back(ids); };
  QObject::connect(&store, &PaneAwaitingStore::promptsChanged, [&] { ++promptPublishes; });
  store.setPaneIds({"%1", "%2"});

  store.evaluate({{"%1", approvalMarker("a", "Go?", kOptions, "numbered")}, {"%2", "$ "}});
  EXPECT_TRUE(store.isAwaiting("%1"));
  ASSERT_EQ(store.prompts().at("%1").options.size(), 2u);

  // A failed capture keeps the badge; a new question on the same pane changes the prompt
  // without a set change.
  store.evaluate({{"%1", std::nullopt}});
  store.evaluate({{"%1", approvalMarker("b", "Again?", kOptions, "numbered")}});
  EXPECT_EQ(store.prompts().at("%1").id, "b");
  EXPECT_EQ(changes.size(), 1u);
  EXPECT_EQ(promptPublishes, 3);

  // The pane leaves the list: its prompt goes at once.
  store.setPaneIds({"%2"});
  EXPECT_FALSE(store.isAwaiting("%1"));
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_TRUE(changes.back().empty());
}

TEST(PaneAwaitingStore, SweepCapturesOneAtATimeAndFollowsMarkers) {
  auto source = std::make_shared<ScriptedPaneContentSource>();
  source->texts["%1"] = "build ok\n" + approvalMarker("q", "Deploy?", kOptions, "yes-no") + "\n";
  source->texts["%2"] = std::nullopt;  // failing
  source->texts["%3"] = "$ ";
  PaneAwaitingStore store(source);
  store.pollInterval = 20ms;
  store.setPaneIds({"%1", "%2", "%3"});
  store.start();
  store.start();  // a second start does not add a loop

  ASSERT_TRUE(waitUntil([&] { return store.isAwaiting("%1"); }));
  EXPECT_EQ(store.awaitingPaneIds(), (std::set<std::string>{"%1"}));
  EXPECT_EQ(source->maxInFlight, 1);
  // Sweeps visit the panes in list order.
  ASSERT_GE(source->calls.size(), 3u);
  EXPECT_EQ(source->calls[0].paneId, "%1");
  EXPECT_EQ(source->calls[1].paneId, "%2");
  EXPECT_EQ(source->calls[2].paneId, "%3");

  source->texts["%1"] = *source->texts["%1"] + resolvedMarker("Q") + "\n";
  ASSERT_TRUE(waitUntil([&] { return !store.isAwaiting("%1"); }));

  store.stop();
  EXPECT_FALSE(store.isRunning());
  spinFor(50);  // a capture in flight may still finish
  const std::size_t calls = source->calls.size();
  spinFor(600);
  EXPECT_EQ(source->calls.size(), calls);
}

TEST(PaneAwaitingStore, SweepIsPacedByThePaneCount) {
  auto source = std::make_shared<ScriptedPaneContentSource>();
  std::vector<std::string> panes;
  for (int k = 0; k < 8; ++k) {
    panes.push_back("%" + std::to_string(k));
    source->texts[panes.back()] = "$ ";
  }
  PaneAwaitingStore store(source);
  store.pollInterval = 10ms;
  store.setPaneIds(panes);
  store.start();
  // 8 panes: the next sweep starts 1 s after the first one ends, not 10 ms.
  ASSERT_TRUE(waitUntil([&] { return source->calls.size() >= 8; }));
  spinFor(500);
  EXPECT_EQ(source->calls.size(), 8u);
  store.stop();
}

TEST(PaneAwaitingStore, DestroyedWhileCapturingEndsQuietly) {
  auto source = std::make_shared<ScriptedPaneContentSource>();
  source->texts["%1"] = approvalMarker("q", "Deploy?", kOptions, "yes-no");
  auto store = std::make_unique<PaneAwaitingStore>(source);
  store->setPaneIds({"%1"});
  store->start();
  store.reset();  // the capture is in flight
  spinFor(50);
  EXPECT_EQ(source->calls.size(), 1u);
}

// ---- Against a real tmux pane ------------------------------------------------------------

// Captures panes of a private tmux server, history and escapes included.
class TmuxPaneContentSource : public PaneContentSource {
 public:
  TmuxPaneContentSource(QString socketName, QProcessEnvironment environment)
      : m_socketName(std::move(socketName)), m_environment(std::move(environment)) {}

  QCoro::Task<std::string> captureContent(std::string paneId) override {
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.start("tmux", {"-L", m_socketName, "capture-pane", "-p", "-e", "-J", "-S", "-3000", "-t",
                           QString::fromStdString(paneId)});
    auto finished = qCoro(process).waitForFinished(5000);  // named: see g++ 12 and co_await
    co_await std::move(finished);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
      throw std::runtime_error("capture-pane failed");
    }
    co_return process.readAllStandardOutput().toStdString();
  }

 private:
  QString m_socketName;
  QProcessEnvironment m_environment;
};

void writeScript(const QString& path, const std::string& line) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray::fromStdString("printf '%s\\n' '" + line + "'\n"));
}

TEST(PaneAwaitingStore, FollowsAnAgentInARealTmuxPane) {
  vesket::testing::PrivateTmux tmux;
  const QString paneId = tmux.run({"new-session", "-d", "-x", "220", "-y", "40", "-P", "-F", "#{pane_id}", "sh"});
  ASSERT_TRUE(paneId.startsWith('%')) << paneId.toStdString();
  // The agent prints its markers from scripts, so that the typed commands hold none.
  const std::string marker = approvalMarker(
      "Plan-7", "Apply the migration to the staging database?",
      R"(["1: Yes", "2: Yes, and don't ask again", ":Skip"])", "numbered");
  writeScript(tmux.path("ask.sh"), marker);
  writeScript(tmux.path("done.sh"), resolvedMarker("plan-7"));

  auto source = std::make_shared<TmuxPaneContentSource>(tmux.name(), tmux.environment());
  PaneAwaitingStore store(source);
  store.pollInterval = 50ms;
  store.setPaneIds({paneId.toStdString()});
  store.start();

  tmux.run({"send-keys", "-t", paneId, "sh " + tmux.path("ask.sh"), "Enter"});
  ASSERT_TRUE(waitUntil([&] { return store.isAwaiting(paneId.toStdString()); }, 10000));
  const AwaitingPrompt& prompt = store.prompts().at(paneId.toStdString());
  EXPECT_EQ(prompt.id, "plan-7");
  EXPECT_EQ(prompt.question, "Apply the migration to the staging database?");
  EXPECT_EQ(prompt.selectionStyle, ApprovalSelectionStyle::numbered);
  EXPECT_EQ(prompt.options, (std::vector<ApprovalOption>{{1, "Yes", "1"},
                                                         {2, "Yes, and don't ask again", "2"},
                                                         {3, "Skip", "3"}}));

  tmux.run({"send-keys", "-t", paneId, "sh " + tmux.path("done.sh"), "Enter"});
  ASSERT_TRUE(waitUntil([&] { return !store.isAwaiting(paneId.toStdString()); }, 10000));
  EXPECT_TRUE(store.prompts().empty());
  store.stop();
}

}  // namespace
}  // namespace vesket::viewer
