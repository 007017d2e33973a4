#include "control_plane/core/json_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "control_plane/core/json_value.h"

namespace vesket::control_plane {
namespace {

using nlohmann::json;

// A value type that joins the codec through its own readValue/writeValue.
enum class Mood { calm, busy };

void readValue(const json& value, Mood& out) {
  if (value == "calm") {
    out = Mood::calm;
  } else if (value == "busy") {
    out = Mood::busy;
  } else {
    throw DecodingError("unknown mood " + value.dump());
  }
}
json writeValue(Mood mood) { return mood == Mood::calm ? "calm" : "busy"; }

// A record exercising every kind of field the codec supports.
struct Inner {
  std::string name;
  std::optional<std::int64_t> count;

  static Inner fromJson(const json& value);
  json toJson() const;
  friend bool operator==(const Inner&, const Inner&) = default;
};

struct Sample {
  std::string text;
  double number = 0;
  std::int64_t integer = 0;
  bool flag = false;
  std::optional<std::string> note;
  std::optional<Inner> inner;
  std::vector<Inner> inners;
  std::map<std::string, std::int64_t> counts;
  int small = 7;
  std::optional<JSONValue> extra;
  std::vector<Mood> moods;

  static Sample fromJson(const json& value);
  json toJson() const;
  friend bool operator==(const Sample&, const Sample&) = default;
};

constexpr auto kInner = json_codec::record<Inner>(
    "Inner", json_codec::field("name", &Inner::name), json_codec::field("count", &Inner::count));

constexpr auto kSample = json_codec::record<Sample>(
    "Sample",
    json_codec::field("text", &Sample::text),
    json_codec::field("number", &Sample::number),
    json_codec::field("integer", &Sample::integer),
    json_codec::field("flag", &Sample::flag),
    json_codec::field("note", &Sample::note),
    json_codec::field("inner", &Sample::inner),
    json_codec::defaulted("inners", &Sample::inners),
    json_codec::defaulted("counts", &Sample::counts),
    json_codec::defaulted("small", &Sample::small),
    json_codec::field("extra", &Sample::extra),
    json_codec::defaulted("moods", &Sample::moods));

Inner Inner::fromJson(const json& value) { return kInner.decode(value); }
json Inner::toJson() const { return kInner.encode(*this); }
Sample Sample::fromJson(const json& value) { return kSample.decode(value); }
json Sample::toJson() const { return kSample.encode(*this); }

json minimalSample() { return {{"text", "t"}, {"number", 1.5}, {"integer", 3}, {"flag", true}}; }

std::string decodingMessage(const json& value) {
  try {
    Sample::fromJson(value);
  } catch (const DecodingError& error) {
    return error.what();
  }
  return "(decoded)";
}

TEST(JsonCodec, DecodesEveryKindOfField) {
  json value = minimalSample();
  value["note"] = "n";
  value["inner"] = {{"name", "a"}, {"count", 2}};
  value["inners"] = json::array({{{"name", "b"}}, {{"name", "c"}, {"count", nullptr}}});
  value["counts"] = {{"x", 1}, {"y", -2}};
  value["small"] = 9;
  value["extra"] = {{"k", json::array({1, "two"})}};
  value["moods"] = json::array({"busy", "calm"});
  value["unknown"] = json::array({1, 2, 3});

  const Sample sample = Sample::fromJson(value);
  EXPECT_EQ(sample, (Sample{.text = "t",
                            .number = 1.5,
                            .integer = 3,
                            .flag = true,
                            .note = "n",
                            .inner = Inner{"a", 2},
                            .inners = {Inner{"b", {}}, Inner{"c", {}}},
                            .counts = {{"x", 1}, {"y", -2}},
                            .small = 9,
                            .extra = JSONObject{{"k", JSONValue::Array{1, "two"}}},
                            .moods = {Mood::busy, Mood::calm}}));
}

TEST(JsonCodec, MissingOrNullOptionalAndDefaultedFieldsReadAbsent) {
  for (const bool asNull : {false, true}) {
    json value = minimalSample();
    if (asNull) {
      for (const char* key : {"note", "inner", "inners", "counts", "small", "extra"}) {
        value[key] = nullptr;
      }
    }
    const Sample sample = Sample::fromJson(value);
    EXPECT_EQ(sample.note, std::nullopt);
    EXPECT_EQ(sample.inner, std::nullopt);
    EXPECT_TRUE(sample.inners.empty());
    EXPECT_TRUE(sample.counts.empty());
    EXPECT_EQ(sample.small, 7);
    EXPECT_EQ(sample.extra, std::nullopt);
  }
}

TEST(JsonCodec, FailuresNameTheRecordAndThePath) {
  struct Case {
    const char* what;
    json value;
    std::string message;
  };
  auto with = [](const char* key, json member) {
    json value = minimalSample();
    value[key] = std::move(member);
    return value;
  };
  auto without = [](const char* key) {
    json value = minimalSample();
    value.erase(key);
    return value;
  };
  const std::vector<Case> cases = {
      {"missing required", without("integer"), "Sample: required key 'integer' is missing"},
      {"null required", with("text", nullptr), "Sample.text: expected string, got null"},
      {"string for integer", with("integer", "3"), "Sample.integer: expected integer, got string"},
      {"string for number", with("number", "1"), "Sample.number: expected number, got string"},
      {"number for bool", with("flag", 1), "Sample.flag: expected boolean, got number"},
      {"bool for text", with("text", true), "Sample.text: expected string, got boolean"},
      {"wrong optional", with("note", 5), "Sample.note: expected string, got number"},
      {"not an object", json::array({1}), "Sample: expected object, got array"},
      {"nested missing", with("inner", json::object()),
       "Sample.inner: required key 'name' is missing"},
      {"nested wrong type", with("inner", {{"name", "a"}, {"count", "2"}}),
       "Sample.inner.count: expected integer, got string"},
      {"list element", with("inners", json::array({{{"name", "a"}}, {{"name", 1}}})),
       "Sample.inners[1].name: expected string, got number"},
      {"list not array", with("inners", json::object()),
       "Sample.inners: expected array, got object"},
      {"map value", with("counts", {{"a", 1}, {"b", false}}),
       "Sample.counts[\"b\"]: expected integer, got boolean"},
      {"narrow integer", with("small", 1LL << 40), "Sample.small: integer 1099511627776 is out of range"},
      {"JSONValue failure", with("extra", json::binary({1, 2})),
       "Sample.extra: unsupported JSON value"},
      {"own value type", with("moods", json::array({"calm", "sleepy"})),
       "Sample.moods[1]: unknown mood \"sleepy\""},
  };
  for (const Case& c : cases) EXPECT_EQ(decodingMessage(c.value), c.message) << c.what;
}

TEST(JsonCodec, IntegerAcceptsOnlyIntegralNumbersInRange) {
  struct Case {
    json value;
    std::optional<std::int64_t> expected;  // nothing: must fail
  };
  const std::vector<Case> cases = {
      {json(0), 0},
      {json(-42), -42},
      {json(INT64_MAX), INT64_MAX},
      {json(INT64_MIN), INT64_MIN},
      {json(static_cast<std::uint64_t>(INT64_MAX)), INT64_MAX},
      {json(static_cast<std::uint64_t>(INT64_MAX) + 1), std::nullopt},
      {json(3.0), 3},
      {json(-7.0), -7},
      {json(-9223372036854775808.0), INT64_MIN},
      {json(9223372036854775808.0), std::nullopt},
      {json(1e300), std::nullopt},
      {json(2.5), std::nullopt},
      {json("1"), std::nullopt},
      {json(true), std::nullopt},
      {json(nullptr), std::nullopt},
  };
  for (const Case& c : cases) {
    json value = minimalSample();
    value["integer"] = c.value;
    if (c.expected) {
      EXPECT_EQ(Sample::fromJson(value).integer, *c.expected) << c.value.dump();
    } else {
      EXPECT_THROW(Sample::fromJson(value), DecodingError) << c.value.dump();
    }
  }
}

TEST(JsonCodec, NumberAcceptsEveryJsonNumber) {
  for (const json& number : {json(2), json(-2), json(2.25), json(UINT64_MAX)}) {
    json value = minimalSample();
    value["number"] = number;
    EXPECT_EQ(Sample::fromJson(value).number, number.get<double>()) << number.dump();
  }
  // Whole numbers (ids, epoch milliseconds) are written as integers; fractions and numbers
  // beyond 2^53 stay floating point.
  for (const auto& [number, text] : std::vector<std::pair<double, std::string>>{
           {42, "42"}, {-3, "-3"}, {1733540000123.0, "1733540000123"}, {0.5, "0.5"}, {1e300, "1e+300"}}) {
    Sample sample = Sample::fromJson(minimalSample());
    sample.number = number;
    EXPECT_EQ(sample.toJson()["number"].dump(), text);
  }
}

TEST(JsonCodec, EncodingLeavesAbsentOptionalsOutAndRoundTrips) {
  const Sample bare = Sample::fromJson(minimalSample());
  const json encoded = bare.toJson();
  for (const char* key : {"note", "inner", "extra"}) EXPECT_FALSE(encoded.contains(key)) << key;
  EXPECT_EQ(encoded["inners"], json::array());
  EXPECT_EQ(encoded["small"], 7);
  EXPECT_EQ(Sample::fromJson(encoded), bare);

  const Sample full{.text = "t",
                    .number = -0.5,
                    .integer = INT64_MIN,
                    .flag = false,
                    .note = "",
                    .inner = Inner{"a", 0},
                    .inners = {Inner{"b", 5}},
                    .counts = {{"k", 1}},
                    .small = -1,
                    .extra = JSONValue(nullptr),
                    .moods = {Mood::calm}};
  const json fullJson = full.toJson();
  EXPECT_EQ(fullJson["inner"], (json{{"name", "a"}, {"count", 0}}));
  EXPECT_EQ(fullJson["note"], "");
  EXPECT_EQ(fullJson["moods"], json::array({"calm"}));
  // Null is never written for an optional field, not even for a present JSONValue null;
  // it reads back as absent.
  EXPECT_FALSE(fullJson.contains("extra"));
  Sample expected = full;
  expected.extra.reset();
  EXPECT_EQ(Sample::fromJson(json::parse(fullJson.dump())), expected);
}

TEST(JsonCodec, DecodeReportsFailuresUnderTheGivenRoot) {
  const json list = json::array({minimalSample(), {{"text", "only"}}});
  try {
    json_codec::decode<std::vector<Sample>>(list, "samples");
    FAIL() << "decoded";
  } catch (const DecodingError& error) {
    EXPECT_STREQ(error.what(), "samples[1]: required key 'number' is missing");
  }
  // Without a root, a record keeps its own name.
  try {
    json_codec::decode<Sample>(json::object());
    FAIL() << "decoded";
  } catch (const DecodingError& error) {
    EXPECT_STREQ(error.what(), "Sample: required key 'text' is missing");
  }
  EXPECT_EQ(json_codec::decode<std::vector<Sample>>(json::array()).size(), 0u);
}

}  // namespace
}  // namespace vesket::control_plane
