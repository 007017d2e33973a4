#include "daemon/core/restart_transaction.h"

#include <gtest/gtest.h>

namespace vesket::daemon {
namespace {

TEST(RestartTransactionTest, PathsReachTheScriptAsSingleWords) {
  const std::pair<const char*, const char*> cases[] = {
      {"/h/.vesket/bin/vesket", "'/h/.vesket/bin/vesket'"},
      {"/h/it's mine/$HOME/`x`", "'/h/it'\\''s mine/$HOME/`x`'"},
      {"", "''"},
  };
  for (const auto& [text, quoted] : cases) EXPECT_EQ(RestartTransaction::shellQuote(text), quoted) << text;

  RestartTransaction transaction{"/h/a b/bin/vesket", "/h/a b/bin/.vesket.previous.7", "/h/a b", "0.1.0+9"};
  EXPECT_EQ(transaction.stagedBin(), "/h/a b/bin/vesket.upgrade-tmp");
  const std::string script = transaction.render();
  EXPECT_EQ(script.rfind("#!/bin/bash\n", 0), 0u);
  EXPECT_NE(script.find("daemon_bin='/h/a b/bin/vesket'\n"), std::string::npos);
  EXPECT_NE(script.find("staged_bin='/h/a b/bin/vesket.upgrade-tmp'\n"), std::string::npos);
  EXPECT_NE(script.find("export VESKET_HOME='/h/a b'\n"), std::string::npos);
  EXPECT_NE(script.find("--timeout-ms 20000"), std::string::npos);
}

}  // namespace
}  // namespace vesket::daemon
