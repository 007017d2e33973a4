// An agent that tells Vesket it waits through its own hooks, not by printing a marker: a
// script standing in for Claude Code runs `vesket hook claude` with the JSON Claude Code
// sends, in a pane of a private tmux server. The window shows the prompt like a marker
// prompt, clicking an option presses that option's key in the pane, and the prompt goes
// when the agent reports that it moved on.
#include <QApplication>
#include <QFile>
#include <QPushButton>

#include <gtest/gtest.h>

#include "tests/support/event_loop.h"
#include "tests/support/real_daemon_fixture.h"
#include "tests/support/screenshot.h"
#include "tests/ui/main_window_test_support.h"
#include "ui/answer_panel.h"
#include "ui/main_window.h"
#include "ui/theme.h"
#include "viewer/pane_awaiting_store.h"
#include "viewer/pane_list_store.h"
#include "viewer/terminal_viewer_model.h"

namespace {

using vesket::testing::saveScreenshot;
using vesket::testing::waitUntil;

class AgentHookEndToEnd : public vesket::testing::RealDaemonTest {
 protected:
  // The stand-in agent: asks for permission through its hook, waits for one key, reports
  // the key, tells its hook that it went on, and idles.
  QString writeFakeAgent() {
    const QString path = m_root.filePath(QStringLiteral("fake-claude.sh"));
    QFile script(path);
    EXPECT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(R"(#!/bin/sh
vesket=$1
printf '%s' '{"session_id":"s1","hook_event_name":"PermissionRequest","tool_name":"Bash","tool_input":{"command":"make deploy","description":"Deploy"},"permission_suggestions":[{"type":"addRules"}],"permission_mode":"default"}' | "$vesket" hook claude
echo "Do you want to proceed? 1. Yes  2. Yes, and don't ask again  3. No"
stty -icanon -echo min 1; key=$(dd bs=1 count=1 2>/dev/null); stty icanon echo
echo "agent got key $key"
printf '%s' '{"session_id":"s1","hook_event_name":"PostToolUse","tool_name":"Bash","tool_input":{},"tool_response":{}}' | "$vesket" hook claude
echo "agent resumed"
exec sleep 600
)");
    script.close();
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
  }
};

TEST_F(AgentHookEndToEnd, AHookPromptIsShownAnsweredWithItsKeyAndCleared) {
  vesket::testing::ShownMainWindow shown(m_client, {1000, 620});
  auto& model = shown.model;
  auto& window = shown.window;
  ASSERT_TRUE(waitUntil([&] { return model.paneList().panes().size() == 1; }, 15000));
  const std::string pane = m_paneId.toStdString();
  model.select(pane);

  const QString agent = writeFakeAgent();
  tmux({"send-keys", "-t", m_paneId, "-l", QStringLiteral("'%1' '%2'").arg(agent, binary())});
  tmux({"send-keys", "-t", m_paneId, "Enter"});

  ASSERT_TRUE(waitUntil([&] { return model.awaitingPaneIds().count(pane) == 1; }, 15000))
      << "the sidebar badges the waiting pane";
  ASSERT_TRUE(waitUntil([&] { return model.awaitingPrompt().has_value(); }, 5000));
  const auto prompt = *model.awaitingPrompt();
  EXPECT_NE(prompt.question.find("make deploy"), std::string::npos) << prompt.question;
  EXPECT_EQ(prompt.selectionStyle, vesket::viewer::ApprovalSelectionStyle::numbered);
  auto* panel = window.answerPanel();
  ASSERT_TRUE(waitUntil([&] { return panel->isVisible(); }, 5000));
  auto buttons = panel->findChildren<QPushButton*>("answerOption");
  ASSERT_EQ(buttons.size(), 3);
  ASSERT_TRUE(captureShows(m_paneId, "Do you want to proceed?"));
  saveScreenshot(window, "agent-hook-prompt");

  for (auto* button : buttons) {
    if (button->text().contains("don't ask again")) button->click();
  }
  ASSERT_TRUE(captureShows(m_paneId, "agent got key 2"));
  EXPECT_TRUE(captureShows(m_paneId, "agent resumed"));
  EXPECT_TRUE(waitUntil([&] { return model.awaitingPaneIds().empty() && !model.awaitingPrompt(); }, 10000))
      << "the prompt goes once the agent moved on";
  EXPECT_TRUE(waitUntil([&] { return !panel->isVisible(); }, 5000));
  saveScreenshot(window, "agent-hook-answered");
}

}  // namespace
