#include "daemon/core/env_file.h"

#include <gtest/gtest.h>

namespace vesket::daemon {
namespace {

TEST(EnvFileTest, KeepsUnknownLinesAndRewritesOnlyOwnedKeys) {
  const std::string original =
      "# written by hand\n"
      "\n"
      "CUSTOM_THING=keep me\n"
      "DAEMON_TOKEN=old\n"
      "export RELAY_URL=\"https://relay.example\"\n"
      "this line is not an assignment\n"
      "DAEMON_TOKEN=duplicate\n";
  EnvFile file = EnvFile::parse(original);
  EXPECT_EQ(file.get("DAEMON_TOKEN"), "old");
  EXPECT_EQ(file.get("RELAY_URL"), "https://relay.example");
  EXPECT_EQ(file.get("CUSTOM_THING"), "keep me");
  EXPECT_EQ(file.get("BOARD_PUSH_API"), std::nullopt);

  EXPECT_EQ(file.serialize(), original) << "parse and serialize is lossless";

  file.set("DAEMON_TOKEN", "new");
  EXPECT_FALSE(file.setDefault("RELAY_URL", "ignored"));
  EXPECT_TRUE(file.setDefault("BOARD_PUSH_API", ""));
  EXPECT_EQ(file.serialize(),
            "# written by hand\n"
            "\n"
            "CUSTOM_THING=keep me\n"
            "DAEMON_TOKEN=new\n"
            "export RELAY_URL=\"https://relay.example\"\n"
            "this line is not an assignment\n"
            "DAEMON_TOKEN=duplicate\n"
            "BOARD_PUSH_API=\n");
}

TEST(EnvFileTest, EdgeShapes) {
  struct Case {
    const char* text;
    const char* afterSettingA;
  };
  const Case cases[] = {
      {"", "A=1\n"},
      {"\n", "\nA=1\n"},
      {"B=2", "B=2\nA=1\n"},  // a missing final line feed is added when appending
      {"A=0\r\n", "A=1\n"},
      {"  A=0\n", "A=1\n"},
      {"=x\nA-B=3\n", "=x\nA-B=3\nA=1\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EnvFile file = EnvFile::parse(c.text);
    EXPECT_EQ(file.serialize(), c.text);
    file.set("A", "1");
    EXPECT_EQ(file.serialize(), c.afterSettingA);
  }
  EXPECT_EQ(EnvFile::parse("A=''\n").get("A"), "");
  EXPECT_EQ(EnvFile::parse("A=x=y\n").get("A"), "x=y");
}

}  // namespace
}  // namespace vesket::daemon
