#include "platform/core/service_job.h"

#include <gtest/gtest.h>

namespace vesket::platform {
namespace {

TEST(ServiceJobTest, SystemdQuotesOnlyWhatItWouldMisreadAndReadsItBack) {
  const std::pair<const char*, const char*> cases[] = {
      {"/usr/bin/vesket", "/usr/bin/vesket"},
      {"/home/a b/vesket", "\"/home/a b/vesket\""},
      {"/x/100%/v", "\"/x/100%%/v\""},
      {"/x/$HOME/v", "\"/x/$$HOME/v\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"", "\"\""},
  };
  for (const auto& [word, quoted] : cases) {
    EXPECT_EQ(SystemdUnit::quote(word), quoted) << word;
    EXPECT_EQ(SystemdUnit::splitWords(quoted), std::vector<std::string>{word}) << quoted;
  }
  EXPECT_FALSE(SystemdUnit::splitWords("\"/unterminated daemon start"));
}

TEST(ServiceJobTest, SystemdUnitRestartsOnFailureButNotAfterAStopOrASecondDaemon) {
  const std::string unit = SystemdUnit::render(ServiceJob::forDaemon("/opt/v/bin/vesket", "/home/u/.vesket"));
  EXPECT_NE(unit.find("ExecStart=/opt/v/bin/vesket daemon start\n"), std::string::npos);
  EXPECT_NE(unit.find("Environment=VESKET_HOME=/home/u/.vesket\n"), std::string::npos);
  EXPECT_NE(unit.find("Restart=on-failure\n"), std::string::npos);
  EXPECT_NE(unit.find("RestartPreventExitStatus=3\n"), std::string::npos);
  EXPECT_NE(unit.find("WantedBy=default.target\n"), std::string::npos);
}

TEST(ServiceJobTest, BothFileFormsReadBackTheJobTheyWrote) {
  for (const auto& home : {std::string("/home/u/.vesket"), std::string("/home/a $b/100% \"q\"")}) {
    const auto job = ServiceJob::forDaemon("/home/a b/.vesket/bin/vesket", home);
    EXPECT_EQ(SystemdUnit::parse(SystemdUnit::render(job)), job) << home;
    EXPECT_EQ(SupervisorJobFile::parse(SupervisorJobFile::render(job)), job) << home;
  }
  EXPECT_FALSE(SystemdUnit::parse("[Unit]\nDescription=no command\n"));
  EXPECT_FALSE(SupervisorJobFile::parse("[]"));
  EXPECT_FALSE(SupervisorJobFile::parse(R"({"Label":"x","ProgramArguments":[1]})"));
  EXPECT_FALSE(SupervisorJobFile::parse(R"({"Label":"x","ProgramArguments":["/v"],"KeepAlive":"yes"})"));
}

TEST(ServiceJobTest, MatchesOnlyTheInstalledDaemonKeptAliveForItsHome) {
  const std::string bin = "/h/.vesket/bin/vesket";
  const std::string home = "/h/.vesket";
  auto job = [&] { return ServiceJob::forDaemon(bin, home); };
  EXPECT_TRUE(job().matchesInstall(bin, home));
  EXPECT_FALSE(job().matchesInstall("/build/bin/vesket", home)) << "another binary";
  EXPECT_FALSE(job().matchesInstall(bin, "/other")) << "another home";
  auto legacy = job();
  legacy.environment = {{"DURNVALE_HOME", home}};
  EXPECT_TRUE(legacy.matchesInstall(bin, home));
  auto noHome = job();
  noHome.environment.clear();
  EXPECT_FALSE(noHome.matchesInstall(bin, home));
  auto notKept = job();
  notKept.keepAlive = false;
  EXPECT_FALSE(notKept.matchesInstall(bin, home));
  auto notAtLoad = job();
  notAtLoad.runAtLoad = false;
  EXPECT_FALSE(notAtLoad.matchesInstall(bin, home));
  auto extraArgument = job();
  extraArgument.programArguments.push_back("--verbose");
  EXPECT_FALSE(extraArgument.matchesInstall(bin, home));
}

}  // namespace
}  // namespace vesket::platform
