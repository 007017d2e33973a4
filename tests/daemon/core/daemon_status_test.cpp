#include "daemon/core/daemon_status.h"

#include <map>

#include <gtest/gtest.h>

namespace vesket::daemon {
namespace {

// Reads the lines the way the desktop's status poller does: split at " : ", trim, keep
// exactly two parts.
std::map<std::string, std::string> pollerRead(const std::string& text) {
  std::map<std::string, std::string> facts;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    const std::size_t sep = line.find(" : ");
    if (sep == std::string::npos || line.find(" : ", sep + 3) != std::string::npos) continue;
    facts[line.substr(0, sep)] = line.substr(sep + 3);
  }
  return facts;
}

TEST(DaemonStatusTest, RunningDaemonLines) {
  DaemonStatus status;
  status.serviceLoaded = true;
  status.pid = 4242;
  status.version = "0.1.0+7";
  status.iosConnected = false;
  status.extra = {{"home", "/tmp/h"}};
  const std::string text = status.formatLines();
  EXPECT_EQ(text,
            "launchd loaded : yes\n"
            "pid : 4242\n"
            "paired : no\n"
            "version : 0.1.0+7\n"
            "automation : granted\n"
            "accessibility : granted\n"
            "full disk access : granted\n"
            "ios connected : no\n"
            "home : /tmp/h\n");
  const auto facts = pollerRead(text);
  EXPECT_EQ(facts.at("launchd loaded"), "yes");
  EXPECT_EQ(facts.at("pid"), "4242");
  EXPECT_EQ(facts.at("full disk access"), "granted");
}

TEST(DaemonStatusTest, StoppedDaemonHasNoPidAndUnknownPhone) {
  DaemonStatus status;
  status.paired = true;
  const auto facts = pollerRead(status.formatLines());
  EXPECT_EQ(facts.at("launchd loaded"), "no");
  EXPECT_EQ(facts.at("pid"), "none");  // not a decimal integer: the poller keeps no pid
  EXPECT_EQ(facts.at("paired"), "yes");
  EXPECT_EQ(facts.at("ios connected"), "unknown");
  EXPECT_EQ(facts.size(), 8u);
}

// Each source of the status may say something else; the lines tell which daemon answers,
// which one the service runs, and what runs at all.
TEST(DaemonStatusTest, ObservationsFromEverySource) {
  struct Case {
    const char* name;
    DaemonObservation seen;
    const char* loaded;
    const char* pid;
    const char* service;
    const char* state;
  };
  DaemonObservation serving{.answeringPid = 10, .answering = true, .serviceKind = "systemd",
                            .serviceJobExists = true, .serviceLoaded = true, .servicePid = 10,
                            .serviceProgram = "/h/bin/vesket"};
  DaemonObservation byHand{.answeringPid = 11, .answering = true, .serviceKind = "systemd"};
  DaemonObservation twoDaemons = serving;
  twoDaemons.answeringPid = 12;
  DaemonObservation mute{.serviceKind = "supervisor", .serviceJobExists = true, .serviceLoaded = true, .servicePid = 13};
  DaemonObservation muteUnsupervised{.publishedPid = 14, .serviceKind = "systemd"};
  DaemonObservation restarting{.serviceKind = "systemd", .serviceJobExists = true, .serviceLoaded = true};
  DaemonObservation installedStopped{.serviceKind = "systemd", .serviceJobExists = true, .serviceProgram = "/h/bin/vesket"};
  DaemonObservation nothing{.serviceKind = "systemd"};
  const Case cases[] = {
      {"serving as the service", serving, "yes", "10", "systemd", "serving"},
      {"started by hand", byHand, "yes", "11", "none", "serving, started outside the service"},
      {"another daemon answers", twoDaemons, "yes", "12", "systemd", "serving, but not as the service's process (pid 10)"},
      {"service's daemon mute", mute, "yes", "13", "supervisor", "running, but not answering on its control socket"},
      {"hand-started daemon mute", muteUnsupervised, "yes", "14", "none", "running, but not answering on its control socket"},
      {"service restarting it", restarting, "yes", "none", "systemd", "not running; the service is loaded and starts it again"},
      {"installed, stopped", installedStopped, "no", "none", "systemd, not loaded", "stopped"},
      {"nothing at all", nothing, "no", "none", "none", "stopped"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto facts = pollerRead(statusFor(c.seen, "cli-1").formatLines());
    EXPECT_EQ(facts.at("launchd loaded"), c.loaded);
    EXPECT_EQ(facts.at("pid"), c.pid);
    EXPECT_EQ(facts.at("service"), c.service);
    EXPECT_EQ(facts.at("state"), c.state);
  }
  const auto facts = pollerRead(statusFor(serving, "cli-1").formatLines());
  EXPECT_EQ(facts.at("service program"), "/h/bin/vesket");
  EXPECT_EQ(facts.at("ios connected"), "no");
  EXPECT_EQ(pollerRead(statusFor(installedStopped, "cli-1").formatLines()).at("version"), "cli-1");
  EXPECT_EQ(pollerRead(statusFor(installedStopped, "cli-1").formatLines()).at("ios connected"), "unknown");
}

}  // namespace
}  // namespace vesket::daemon
