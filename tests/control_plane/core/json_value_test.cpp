#include "control_plane/core/json_value.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "control_plane/core/decoding_error.h"

namespace vesket::control_plane {
namespace {

using nlohmann::json;
using Kind = JSONValue::Kind;

TEST(JSONValue, DecodingPicksTheCaseOfTheJsonValue) {
  struct Case {
    const char* text;
    Kind kind;
  };
  const std::vector<Case> cases = {
      {"1", Kind::number},      {"-1.5e3", Kind::number}, {"18446744073709551615", Kind::number},
      {"\"1\"", Kind::string},  {"true", Kind::boolean},  {"false", Kind::boolean},
      {"null", Kind::null},     {"[]", Kind::array},      {"[1,\"a\"]", Kind::array},
      {"{}", Kind::object},     {"{\"a\":null}", Kind::object},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JSONValue::fromJson(json::parse(c.text)).kind(), c.kind) << c.text;
  }
}

TEST(JSONValue, AccessorsGiveOnlyTheirOwnCase) {
  const JSONValue one = JSONValue::fromJson(json::parse("1"));
  const JSONValue text = JSONValue::fromJson(json::parse("\"1\""));
  const JSONValue yes = JSONValue::fromJson(json::parse("true"));
  const JSONValue null = JSONValue::fromJson(json::parse("null"));

  EXPECT_EQ(one.numberValue(), 1.0);
  EXPECT_EQ(one.stringValue(), nullptr);
  EXPECT_EQ(one.boolValue(), std::nullopt);

  ASSERT_NE(text.stringValue(), nullptr);
  EXPECT_EQ(*text.stringValue(), "1");
  EXPECT_EQ(text.numberValue(), std::nullopt);

  // true never becomes 1, and 1 never becomes true.
  EXPECT_EQ(yes.boolValue(), true);
  EXPECT_EQ(yes.numberValue(), std::nullopt);
  EXPECT_NE(yes, one);

  EXPECT_TRUE(null.isNull());
  for (const JSONValue* value : {&one, &text, &yes, &null}) {
    EXPECT_EQ(value->arrayValue(), nullptr);
    EXPECT_EQ(value->objectValue(), nullptr);
  }
}

TEST(JSONValue, SubscriptReadsObjectMembersOnly) {
  const JSONValue object = JSONValue::fromJson(json::parse(R"({"a": {"b": [1]}, "n": null})"));
  ASSERT_NE(object["a"], nullptr);
  ASSERT_NE((*object["a"])["b"], nullptr);
  EXPECT_EQ(*(*object["a"])["b"], JSONValue(JSONValue::Array{1}));
  ASSERT_NE(object["n"], nullptr);
  EXPECT_TRUE(object["n"]->isNull());
  EXPECT_EQ(object["missing"], nullptr);

  const JSONValue array = JSONValue::fromJson(json::parse(R"(["a", {"a": 1}])"));
  EXPECT_EQ(array["a"], nullptr);
  EXPECT_EQ(JSONValue("a")["a"], nullptr);
  EXPECT_EQ(JSONValue()["a"], nullptr);
}

TEST(JSONValue, LiteralsBuildTheMatchingCase) {
  EXPECT_EQ(JSONValue("text").kind(), Kind::string);
  EXPECT_EQ(JSONValue(std::string("text")), JSONValue("text"));
  EXPECT_EQ(JSONValue(true).kind(), Kind::boolean);
  EXPECT_EQ(JSONValue(3).kind(), Kind::number);
  EXPECT_EQ(JSONValue(3).numberValue(), 3.0);
  EXPECT_EQ(JSONValue(3), JSONValue(3.0));
  EXPECT_EQ(JSONValue(2.5f).numberValue(), 2.5);
  EXPECT_EQ(JSONValue(nullptr).kind(), Kind::null);
  EXPECT_EQ(JSONValue().kind(), Kind::null);

  const JSONObject arguments{{"paneId", "%3"}, {"lines", 200}, {"raw", false}};
  const JSONValue value = arguments;
  EXPECT_EQ(value.toJson(), json::parse(R"({"paneId": "%3", "lines": 200, "raw": false})"));
}

TEST(JSONValue, EqualityComparesCasesAndPayloads) {
  auto parse = [](const char* text) { return JSONValue::fromJson(json::parse(text)); };
  EXPECT_EQ(parse(R"({"a": 1, "b": [true, null]})"), parse(R"({"b": [true, null], "a": 1.0})"));
  EXPECT_NE(parse("[1, 2]"), parse("[2, 1]"));
  EXPECT_NE(parse(R"({"a": 1})"), parse(R"({"a": 1, "b": 2})"));
  EXPECT_NE(parse("\"1\""), parse("1"));
  EXPECT_NE(parse("0"), parse("false"));
  EXPECT_NE(parse("null"), parse("false"));
  EXPECT_NE(parse("[]"), parse("{}"));
}

TEST(JSONValue, EncodingRoundTrips) {
  const char* text =
      R"({"s": "x\u0001y", "i": -12, "f": 0.25, "big": 1e300, "t": true, "n": null,)"
      R"( "a": [1, "1", [], {}], "o": {"k": {"k": [null]}}})";
  const json original = json::parse(text);
  const JSONValue value = JSONValue::fromJson(original);
  EXPECT_EQ(value.toJson(), original);
  EXPECT_EQ(JSONValue::fromJson(json::parse(value.toJson().dump())), value);
  // Integral numbers go out as JSON integers, others as floats.
  EXPECT_EQ(JSONValue(200).toJson().dump(), "200");
  EXPECT_EQ(JSONValue(0.5).toJson().dump(), "0.5");
  EXPECT_EQ(JSONValue(1e20).toJson().dump(), "1e+20");
}

TEST(JSONValue, RefusesWhatItCannotHold) {
  try {
    JSONValue::fromJson(json::binary({1, 2, 3}));
    FAIL() << "decoded";
  } catch (const DecodingError& error) {
    EXPECT_STREQ(error.what(), "unsupported JSON value");
  }
  EXPECT_THROW(JSONValue::fromJson(json::array({json::binary({1})})), DecodingError);

  // Nesting as deep as the limit decodes; one more level fails instead of exhausting the stack.
  auto nested = [](int depth) {
    return json::parse(std::string(depth, '[') + std::string(depth, ']'));
  };
  EXPECT_NO_THROW(JSONValue::fromJson(nested(JSONValue::maxDepth)));
  EXPECT_THROW(JSONValue::fromJson(nested(JSONValue::maxDepth + 1)), DecodingError);
}

}  // namespace
}  // namespace vesket::control_plane
