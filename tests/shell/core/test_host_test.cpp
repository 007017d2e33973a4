#include "shell/core/test_host.h"

#include <gtest/gtest.h>

// The test main marks the process before any test runs; product-home decisions rely on it.
TEST(TestHost, TestMainMarksTheProcess) { EXPECT_TRUE(vesket::shell::isTestProgram()); }
