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

}  // namespace
}  // namespace vesket::daemon
