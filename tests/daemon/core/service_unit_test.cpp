#include "daemon/core/service_unit.h"

#include <gtest/gtest.h>

namespace vesket::daemon {
namespace {

TEST(ServiceUnitTest, QuotesOnlyWhatSystemdWouldMisread) {
  const std::pair<const char*, const char*> cases[] = {
      {"/usr/bin/vesket", "/usr/bin/vesket"},
      {"/home/a b/vesket", "\"/home/a b/vesket\""},
      {"/x/100%/v", "\"/x/100%%/v\""},
      {"/x/$HOME/v", "\"/x/$$HOME/v\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"", "\"\""},
  };
  for (const auto& [word, quoted] : cases) EXPECT_EQ(ServiceUnit::quote(word), quoted) << word;
}

TEST(ServiceUnitTest, RestartsOnFailureButNotAfterAStopOrASecondDaemon) {
  const std::string unit = ServiceUnit::render("/opt/v/bin/vesket", "/home/u/.vesket");
  EXPECT_NE(unit.find("ExecStart=/opt/v/bin/vesket daemon start\n"), std::string::npos);
  EXPECT_NE(unit.find("Environment=VESKET_HOME=/home/u/.vesket\n"), std::string::npos);
  EXPECT_NE(unit.find("Restart=on-failure\n"), std::string::npos);
  EXPECT_NE(unit.find("RestartPreventExitStatus=3\n"), std::string::npos);
  EXPECT_NE(unit.find("WantedBy=default.target\n"), std::string::npos);
}

}  // namespace
}  // namespace vesket::daemon
