// Which request paths name a release download, their types, and Range answers.
#include <gtest/gtest.h>

#include "relay_service/core/release_downloads.h"
#include "relay_service/core/relay_options.h"

namespace vesket::relay_service {
namespace {

using namespace ReleaseDownloads;

TEST(ReleaseDownloadsTest, OnlyPlainPathsBelowDownloadsNameAFile) {
  EXPECT_EQ(relativePath("/downloads/releases.json"), "releases.json");
  EXPECT_EQ(relativePath("/downloads/linux/v-1.tar.gz.sig"), "linux/v-1.tar.gz.sig");
  for (const char* refused : {"/downloads/", "/downloads", "/download/x", "/api/x", "/downloads/../etc/passwd",
                              "/downloads/a/../../x", "/downloads/./x", "/downloads/.hidden", "/downloads//x",
                              "/downloads/x/", "/downloads/a\\..\\b", "/downloads/a\nb", "downloads/x"}) {
    EXPECT_EQ(relativePath(refused), std::nullopt) << refused;
  }
  EXPECT_EQ(contentType("releases.json"), "application/json");
  EXPECT_EQ(contentType("v.tar.gz"), "application/gzip");
  EXPECT_EQ(contentType("v.tar.gz.sig"), "application/json");
  EXPECT_EQ(contentType("v.bin"), "application/octet-stream");
}

TEST(ReleaseDownloadsTest, RangesOfAFile) {
  const std::uint64_t size = 1000;
  EXPECT_TRUE(std::holds_alternative<WholeFile>(range(std::nullopt, size)));
  const std::vector<std::pair<const char*, RangeAnswer>> cases = {
      {"bytes=0-99", ByteSpan{0, 100}},   {"bytes=900-", ByteSpan{900, 100}},
      {"bytes=-10", ByteSpan{990, 10}},   {"bytes=-5000", ByteSpan{0, 1000}},
      {"bytes=990-5000", ByteSpan{990, 10}}, {"bytes=1000-", Unsatisfiable{}},
      {"bytes=-0", Unsatisfiable{}},      {"bytes=5-1", WholeFile{}},
      {"bytes=0-1,5-9", WholeFile{}},     {"items=0-1", WholeFile{}},
      {"bytes=x-", WholeFile{}},          {"bytes=", WholeFile{}},
  };
  for (const auto& [header, expected] : cases) {
    const RangeAnswer answer = range(std::string_view(header), size);
    ASSERT_EQ(answer.index(), expected.index()) << header;
    if (const auto* span = std::get_if<ByteSpan>(&answer)) {
      EXPECT_EQ(*span, std::get<ByteSpan>(expected)) << header;
    }
  }
  EXPECT_TRUE(std::holds_alternative<Unsatisfiable>(range(std::string_view("bytes=0-"), 0)));
}

TEST(ReleaseDownloadsTest, TheReleasesOptionNamesADirectory) {
  const RelayCommand command = parseRelayCommandLine({"--releases", "/srv/releases"}, "/data");
  const auto* serve = std::get_if<ServeCommand>(&command);
  ASSERT_NE(serve, nullptr);
  EXPECT_EQ(serve->options.releasesDir, "/srv/releases");
  EXPECT_TRUE(std::holds_alternative<CommandLineError>(parseRelayCommandLine({"--releases", ""}, "/data")));
}

}  // namespace
}  // namespace vesket::relay_service
