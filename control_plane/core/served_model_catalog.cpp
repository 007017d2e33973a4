#include "control_plane/core/served_model_catalog.h"

#include "control_plane/core/json_codec.h"

namespace vesket::control_plane {

namespace {

using json_codec::defaulted;
using json_codec::field;
using Catalog = ServedModelCatalog;

constexpr auto kModel = json_codec::record<Catalog::Model>(
    "ServedModelCatalog.Model",
    field("id", &Catalog::Model::id),
    field("family", &Catalog::Model::family),
    field("displayName", &Catalog::Model::displayName),
    defaulted("latestInFamily", &Catalog::Model::latestInFamily),
    defaulted("deprecated", &Catalog::Model::deprecated),
    defaulted("removed", &Catalog::Model::removed),
    defaulted("hidden", &Catalog::Model::hidden),
    defaulted("sources", &Catalog::Model::sources));

constexpr auto kKind = json_codec::record<Catalog::Kind>(
    "ServedModelCatalog.Kind",
    defaulted("models", &Catalog::Kind::models),
    defaulted("aliases", &Catalog::Kind::aliases));

constexpr auto kCatalog = json_codec::record<Catalog>(
    "ServedModelCatalog",
    field("kinds", &Catalog::kinds));

}  // namespace

Catalog::Model Catalog::Model::fromJson(const nlohmann::json& json) { return kModel.decode(json); }
nlohmann::json Catalog::Model::toJson() const { return kModel.encode(*this); }

Catalog::Kind Catalog::Kind::fromJson(const nlohmann::json& json) { return kKind.decode(json); }
nlohmann::json Catalog::Kind::toJson() const { return kKind.encode(*this); }

Catalog Catalog::fromJson(const nlohmann::json& json) { return kCatalog.decode(json); }
nlohmann::json Catalog::toJson() const { return kCatalog.encode(*this); }

}  // namespace vesket::control_plane
