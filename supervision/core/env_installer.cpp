#include "supervision/core/env_installer.h"

#include <algorithm>
#include <cctype>

#include <nlohmann/json.hpp>

namespace vesket::supervision {
namespace {

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
  return out;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// Whether `word` occurs in `text` as a whole word.
bool mentions(const std::string& text, std::string_view word) {
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    const bool startOk = at == 0 || !std::isalnum(static_cast<unsigned char>(text[at - 1]));
    const std::size_t end = at + word.size();
    const bool endOk = end == text.size() || !std::isalnum(static_cast<unsigned char>(text[end]));
    if (startOk && endOk) return true;
  }
  return false;
}

std::optional<EnvComponents::State> stateFromName(std::string_view name) {
  for (auto state : {EnvComponents::State::installed, EnvComponents::State::willInstall,
                     EnvComponents::State::notApplicable}) {
    if (envComponentStateName(state) == name) return state;
  }
  return std::nullopt;
}

constexpr std::string_view kComponentIds[] = {"homebrew", "tmux", "starship", "fish", "ghostty"};

std::string noteKeyFor(std::string_view id) {
  if (id == "homebrew") return "macos.environment_installer.homebrew_not_applicable";
  if (id == "ghostty") return "macos.environment_installer.ghostty_not_applicable";
  return "macos.environment_installer.not_packaged";
}

}  // namespace

namespace EnvInstaller {

std::vector<StepStatus> steps(bool installFish) {
  std::vector<StepStatus> result{{"tmux", "tmux", false}, {"starship", "starship", false}};
  if (installFish) result.push_back({"fish", "fish", false});
  return result;
}

std::vector<std::string> arguments(bool installFish, bool installGhostty) {
  std::vector<std::string> result{"--yes"};
  if (installFish) result.emplace_back("--with-fish");
  if (installGhostty) result.emplace_back("--with-ghostty");
  return result;
}

bool applyLine(std::string_view line, std::vector<StepStatus>& steps) {
  const std::string text = lower(trim(line));
  bool changed = false;
  const auto markThrough = [&](std::size_t last) {
    for (std::size_t i = 0; i <= last && i < steps.size(); ++i) {
      changed = changed || !steps[i].done;
      steps[i].done = true;
    }
  };
  if (text == "done") {
    if (!steps.empty()) markThrough(steps.size() - 1);
    return changed;
  }
  if (!mentions(text, "step")) return false;
  // A failing step names its component too, but is not done.
  if (text.find("fail") != std::string::npos) return false;
  for (std::size_t i = steps.size(); i-- > 0;) {
    if (mentions(text, steps[i].id)) {
      markThrough(i);
      break;
    }
  }
  return changed;
}

bool digestMatches(std::string_view actual, std::string_view pinned) {
  return actual.size() == 64 && lower(actual) == lower(pinned);
}

shell::LocalisedText exitFailure(int status) {
  return {"macos.environment_installer.installer_exited_with_status", {std::to_string(status)}, std::nullopt};
}

}  // namespace EnvInstaller

std::string DetectionCache::encode() const {
  nlohmann::json components = nlohmann::json::object();
  for (const auto& component : this->components) {
    components[component.id] = std::string(envComponentStateName(component.state));
  }
  return nlohmann::json{{"ts", ts}, {"components", components}}.dump();
}

std::optional<DetectionCache> DetectionCache::decode(std::string_view text) {
  const auto json = nlohmann::json::parse(text, nullptr, false);
  if (!json.is_object() || !json.contains("ts") || !json["ts"].is_number_integer() || !json.contains("components") ||
      !json["components"].is_object()) {
    return std::nullopt;
  }
  DetectionCache cache;
  cache.ts = json["ts"].get<std::int64_t>();
  const auto& components = json["components"];
  for (const auto& [id, value] : components.items()) {
    if (std::find(std::begin(kComponentIds), std::end(kComponentIds), id) == std::end(kComponentIds)) {
      return std::nullopt;
    }
    if (!value.is_string()) return std::nullopt;
  }
  for (std::string_view id : kComponentIds) {
    const auto found = components.find(std::string(id));
    if (found == components.end()) return std::nullopt;
    const auto state = stateFromName(found->get<std::string>());
    if (!state) return std::nullopt;
    cache.components.push_back(
        {std::string(id), *state, *state == EnvComponents::State::notApplicable ? noteKeyFor(id) : std::string()});
  }
  return cache;
}

}  // namespace vesket::supervision
