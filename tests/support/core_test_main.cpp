// Entry point of the pure (core) test programs.
#include <gtest/gtest.h>

#include "shell/core/test_host.h"

int main(int argc, char** argv) {
  vesket::shell::markProcessAsTestProgram();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
