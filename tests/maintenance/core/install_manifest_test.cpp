#include <gtest/gtest.h>

#include "maintenance/core/install_manifest.h"
#include "maintenance/core/mutation_value.h"

namespace vesket::maintenance {
namespace {

MutationObservation observation(const std::string& id, const std::string& locator, MutationValue before,
                                MutationValue after) {
  MutationObservation o;
  o.id = id;
  o.locator = locator;
  o.kind = "file";
  o.before = {!before.json.is_null(), std::move(before)};
  o.afterValue = std::move(after);
  o.multiplicity = {0, 1};
  o.owned = true;
  return o;
}

TEST(MutationValue, HashIsTheSha256OfTheCanonicalJson) {
  EXPECT_EQ(hashValue(MutationValue::string("abc")), "6cc43f858fbb763301637b5af970e2a46b46f461f27e5a0f41e009c59b827b25");
  // Sorted keys, slashes as they are, integers and doubles alike.
  const auto a = MutationValue::fromJson(nlohmann::json::parse(R"({"b":1,"a":"x/y"})"));
  const auto b = MutationValue::fromJson(nlohmann::json::parse(R"({"a":"x/y","b":1.0})"));
  EXPECT_EQ(hashValue(a), hashValue(b));
  EXPECT_EQ(canonicalJson(a.json), R"({"a":"x/y","b":1.0})");
}

TEST(MutationValue, FileContentKeepsBytesThatAreNotUtf8) {
  for (const std::string& bytes : {std::string("plain text\n"), std::string("caf\xc3\xa9"), std::string("\xff\xfe\x00z", 4)}) {
    const auto value = MutationValue::fileContent(bytes);
    EXPECT_EQ(value.fileBytes(), bytes);
    EXPECT_EQ(MutationValue::fromJson(nlohmann::json::parse(canonicalJson(value.json))), value);
  }
  EXPECT_TRUE(MutationValue::fileContent("abc").json.is_string());
  EXPECT_FALSE(MutationValue::fileContent("\xc0\xaf").json.is_string());  // an overlong "/"
}

TEST(InstallManifest, RejectsWhatItCannotTrust) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"{", "not valid JSON"},
      {R"({"schemaVersion":2,"installId":"x","mutations":[]})", "schema version 2"},
      {R"({"schemaVersion":1,"installId":"","mutations":[]})", "no install id"},
      {R"({"schemaVersion":1,"installId":"x"})", "mutations"},
      {R"({"schemaVersion":1,"installId":"x","mutations":[{"id":"a"}]})", "target"},
  };
  for (const auto& [text, says] : cases) {
    try {
      InstallManifest::decode(text);
      ADD_FAILURE() << "accepted " << text;
    } catch (const InvalidManifest& error) {
      EXPECT_NE(std::string(error.what()).find(says), std::string::npos) << error.what();
    }
  }
}

TEST(InstallManifest, UpdatingARecordKeepsItsEarliestBeforeAndSortsTheRecords) {
  InstallManifest manifest;
  manifest.installId = "install-1";
  manifest.record("/home/u/b", {observation("two", "$file", MutationValue::null(), MutationValue::string("x"))}, "b1", "t1");
  manifest.record("/home/u/a", {observation("one", "$file", MutationValue::string("old"), MutationValue::string("v1"))},
                  "b1", "t1");
  manifest.record("/home/u/a", {observation("one", "$file", MutationValue::string("v1"), MutationValue::string("v2"))},
                  "b2", "t2");
  ASSERT_EQ(manifest.mutations.size(), 2u);
  const MutationRecord& first = manifest.mutations[0];
  EXPECT_EQ(first.target, "/home/u/a");
  EXPECT_EQ(first.before.value, MutationValue::string("old"));
  EXPECT_EQ(first.after.value, MutationValue::string("v2"));
  EXPECT_EQ(first.after.hash, hashValue(MutationValue::string("v2")));
  EXPECT_EQ(first.build, "b2");
  EXPECT_EQ(first.updatedAt, "t2");
  EXPECT_EQ(first.installId, "install-1");
  EXPECT_EQ(manifest.mutations[1].target, "/home/u/b");

  const InstallManifest again = InstallManifest::decode(manifest.encode());
  EXPECT_EQ(again.mutations, manifest.mutations);
  EXPECT_NE(manifest.encode().find("\"/home/u/a\""), std::string::npos);  // slashes unescaped
  EXPECT_TRUE(manifest.remove("one", "/home/u/a", "$file"));
  EXPECT_FALSE(manifest.remove("one", "/home/u/a", "$file"));
}

}  // namespace
}  // namespace vesket::maintenance
