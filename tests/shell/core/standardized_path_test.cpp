#include "shell/core/standardized_path.h"

#include <gtest/gtest.h>

namespace vesket::shell {
namespace {

struct PathCase {
  const char* input;
  const char* expected;
};

class StandardizedPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(StandardizedPathTest, IsLexical) {
  EXPECT_EQ(standardizedPath(GetParam().input, "/home/ada"), GetParam().expected)
      << "input: " << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StandardizedPathTest,
    ::testing::Values(PathCase{"", ""}, PathCase{"/", "/"}, PathCase{"//", "/"},
                      PathCase{"~", "/home/ada"}, PathCase{"~/", "/home/ada"},
                      PathCase{"~/.vesket", "/home/ada/.vesket"},
                      PathCase{"~bob/.vesket", "~bob/.vesket"},
                      PathCase{"/a//b///c/", "/a/b/c"}, PathCase{"/a/./b/.", "/a/b"},
                      PathCase{"/a/b/../c", "/a/c"}, PathCase{"/a/b/../../..", "/"},
                      PathCase{"/../x", "/x"}, PathCase{"a/../..", ".."},
                      PathCase{"../a/./b/..", "../a"}, PathCase{"a/..", "."},
                      PathCase{"./x", "x"}, PathCase{"/x/~", "/x/~"},
                      PathCase{"~/a/../../other", "/home/other"}));

TEST(StandardizedPath, TildeIsLeftAloneWithoutAHome) {
  EXPECT_EQ(standardizedPath("~/x", ""), "~/x");
}

TEST(PathIsInside, ComparesWholeSegments) {
  EXPECT_TRUE(pathIsInside("/home/ada/.vesket", "/home/ada/.vesket"));
  EXPECT_TRUE(pathIsInside("/home/ada/.vesket/iso", "/home/ada/.vesket"));
  EXPECT_FALSE(pathIsInside("/home/ada/.vesket-iso", "/home/ada/.vesket"));
  EXPECT_FALSE(pathIsInside("/home/ada", "/home/ada/.vesket"));
  EXPECT_TRUE(pathIsInside("/anything", "/"));
  EXPECT_FALSE(pathIsInside("relative", "/"));
}

}  // namespace
}  // namespace vesket::shell
