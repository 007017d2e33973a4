#pragma once

#include <map>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <vector>

namespace vesket::control_plane {

// The models the daemon knows for each agent kind.
struct ServedModelCatalog {
  // One model. Only `id` is required; the flags default to false and `sources` to empty.
  struct Model {
    std::string id;
    std::optional<std::string> family;
    std::optional<std::string> displayName;
    bool latestInFamily = false;  // newest model of its family
    bool deprecated = false;
    bool removed = false;  // no longer served
    bool hidden = false;   // not to be offered
    std::vector<std::string> sources;  // where the entry came from

    static Model fromJson(const nlohmann::json& json);
    nlohmann::json toJson() const;
    friend bool operator==(const Model&, const Model&) = default;
  };

  // The models of one agent kind. Never fails for a missing key: both default to empty.
  struct Kind {
    std::vector<Model> models;  // in the daemon's order
    std::map<std::string, std::string> aliases;  // alias name -> model id

    static Kind fromJson(const nlohmann::json& json);
    nlohmann::json toJson() const;
    friend bool operator==(const Kind&, const Kind&) = default;
  };

  std::map<std::string, Kind> kinds;  // keyed by agent kind id; required

  static ServedModelCatalog fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const ServedModelCatalog&, const ServedModelCatalog&) = default;
};

}  // namespace vesket::control_plane
