#include "shell/core/identity_record.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "control_plane/core/decoding_error.h"

namespace vesket::shell {
namespace {

TEST(IdentityRecord, RoundTripsEveryField) {
  IdentityRecord record{"/srv/vesket", "install-7", 4242, 1733443200123.5};
  const auto json = record.toJson();
  EXPECT_EQ(json.dump(),
            R"({"home":"/srv/vesket","installId":"install-7","pid":4242,"startedAtMs":1733443200123.5})");
  EXPECT_EQ(IdentityRecord::fromJson(json), record);
  EXPECT_EQ(IdentityRecord::decode(record.encode()), record);
}

TEST(IdentityRecord, OmitsAbsentOptionalFieldsAndPassesOverUnknownKeys) {
  IdentityRecord record{"/h", std::nullopt, std::nullopt, std::nullopt};
  EXPECT_EQ(record.toJson().dump(), R"({"home":"/h"})");
  EXPECT_EQ(IdentityRecord::decode(R"({"home":"/h","pid":null,"installId":null})"), record);
  // Keys it does not know are passed over.
  EXPECT_EQ(IdentityRecord::decode(R"({"home":"/h","pid":-3,"version":"2.1"})"),
            (IdentityRecord{"/h", std::nullopt, -3, std::nullopt}));
}

TEST(IdentityRecord, DecodingErrorsNameTheKey) {
  try {
    IdentityRecord::fromJson(nlohmann::json::parse(R"({"home":"/h","pid":"12"})"));
    FAIL() << "expected a decoding error";
  } catch (const control_plane::DecodingError& error) {
    EXPECT_STREQ(error.what(), "IdentityRecord: key 'pid' must be an integer");
  }
  EXPECT_THROW(IdentityRecord::fromJson(nlohmann::json::parse(R"({"pid":12})")),
               control_plane::DecodingError);
}

// Everything that is not a usable record counts as absent.
TEST(IdentityRecord, UnusableFilesCountAsAbsent) {
  for (const char* bytes : {"", "not json", "[]", "{}", R"({"home":""})", R"({"home":7})",
                            R"({"home":"/h","pid":1.5})", R"({"home":"/h","installId":3})",
                            R"({"home":"/h","startedAtMs":"now"})",
                            R"({"home":"/h","pid":18446744073709551615})", "{\"home\":\"/h\""}) {
    EXPECT_EQ(IdentityRecord::decode(bytes), std::nullopt) << bytes;
  }
}

}  // namespace
}  // namespace vesket::shell
