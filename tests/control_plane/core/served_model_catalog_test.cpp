#include "control_plane/core/served_model_catalog.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "control_plane/core/decoding_error.h"

namespace vesket::control_plane {
namespace {

using nlohmann::json;
using Model = ServedModelCatalog::Model;
using Kind = ServedModelCatalog::Kind;

std::string decodingMessage(const json& value) {
  try {
    ServedModelCatalog::fromJson(value);
  } catch (const DecodingError& error) {
    return error.what();
  }
  return "(decoded)";
}

TEST(ServedModelCatalog, ModelWithOnlyAnIdTakesTheDefaults) {
  for (const char* text : {R"({"id": "gpt-5"})",
                           R"({"id": "gpt-5", "family": null, "latestInFamily": null,
                               "deprecated": null, "removed": null, "hidden": null,
                               "sources": null})"}) {
    const Model model = Model::fromJson(json::parse(text));
    EXPECT_EQ(model, (Model{"gpt-5", std::nullopt, std::nullopt, false, false, false, false, {}}))
        << text;
  }
  EXPECT_THROW(Model::fromJson(json::parse(R"({"family": "gpt"})")), DecodingError);
  EXPECT_THROW(Model::fromJson(json::parse(R"({"id": "x", "hidden": "yes"})")), DecodingError);
}

TEST(ServedModelCatalog, EmptyKindHasNoModelsAndNoAliases) {
  const Kind kind = Kind::fromJson(json::object());
  EXPECT_TRUE(kind.models.empty());
  EXPECT_TRUE(kind.aliases.empty());
}

TEST(ServedModelCatalog, CatalogueNeedsKinds) {
  EXPECT_EQ(decodingMessage(json::object()),
            "ServedModelCatalog: required key 'kinds' is missing");
  EXPECT_EQ(decodingMessage({{"kinds", nullptr}}),
            "ServedModelCatalog.kinds: expected object, got null");
  EXPECT_EQ(ServedModelCatalog::fromJson({{"kinds", json::object()}}).kinds.size(), 0u);
}

TEST(ServedModelCatalog, DecodesAndRoundTripsACatalogue) {
  const json value = json::parse(R"({
    "kinds": {
      "claude": {
        "models": [
          {"id": "claude-opus-4", "family": "opus", "displayName": "Opus 4",
           "latestInFamily": true, "sources": ["daemon", "transcript"]},
          {"id": "claude-3-haiku", "deprecated": true, "removed": true, "hidden": true}
        ],
        "aliases": {"opus": "claude-opus-4"}
      },
      "shell": {}
    },
    "generatedAt": 123
  })");
  const ServedModelCatalog catalog = ServedModelCatalog::fromJson(value);
  const ServedModelCatalog expected{
      .kinds = {{"claude",
                 Kind{.models = {Model{"claude-opus-4", "opus", "Opus 4", true, false, false, false,
                                       {"daemon", "transcript"}},
                                 Model{"claude-3-haiku", std::nullopt, std::nullopt, false, true,
                                       true, true, {}}},
                      .aliases = {{"opus", "claude-opus-4"}}}},
                {"shell", Kind{}}}};
  EXPECT_EQ(catalog, expected);

  const json encoded = catalog.toJson();
  EXPECT_FALSE(encoded.contains("generatedAt"));
  EXPECT_FALSE(encoded["kinds"]["claude"]["models"][1].contains("family"));
  EXPECT_EQ(encoded["kinds"]["claude"]["models"][1]["latestInFamily"], false);
  EXPECT_EQ(ServedModelCatalog::fromJson(json::parse(encoded.dump())), catalog);
}

TEST(ServedModelCatalog, FailuresInsideKindsNameThePath) {
  EXPECT_EQ(decodingMessage(json::parse(R"({"kinds": {"codex": {"models": [{"id": "a"}, {}]}}})")),
            "ServedModelCatalog.kinds[\"codex\"].models[1]: required key 'id' is missing");
  EXPECT_EQ(decodingMessage(json::parse(R"({"kinds": {"codex": {"aliases": {"fast": 5}}}})")),
            "ServedModelCatalog.kinds[\"codex\"].aliases[\"fast\"]: expected string, got number");
  EXPECT_EQ(decodingMessage(json::parse(R"({"kinds": {"codex": []}})")),
            "ServedModelCatalog.kinds[\"codex\"]: expected object, got array");
  EXPECT_EQ(
      decodingMessage(json::parse(R"({"kinds": {"c": {"models": [{"id": "a", "sources": [1]}]}}})")),
      "ServedModelCatalog.kinds[\"c\"].models[0].sources[0]: expected string, got number");
}

}  // namespace
}  // namespace vesket::control_plane
