#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/core/localised_text.h"
#include "supervision/core/environment_readiness.h"

namespace vesket::supervision {

// The optional environment installer: the script shipped beside the application
// (vesket-env-install.sh), checked against the SHA-256 it was built with, copied to a
// private file and run with "--yes" and the chosen options. Its output names each component
// as it is ready ("step 2/3 starship: ready") and ends with "done".
namespace EnvInstaller {

inline constexpr std::string_view scriptFileName = "vesket-env-install.sh";
inline constexpr std::string_view verifiedCopyPrefix = "quorline-install-verified-";

struct StepStatus {
  std::string id;  // "tmux", "starship", "fish"
  std::string label;
  bool done = false;
  bool operator==(const StepStatus&) const = default;
};

// The steps the script goes through, in its order.
std::vector<StepStatus> steps(bool installFish);
// The script's arguments after its path.
std::vector<std::string> arguments(bool installFish, bool installGhostty);
// One output line: a line that mentions "step" and a component name marks the steps up to
// and including that component done; a line that is "done" completes every step. True
// when a step changed.
bool applyLine(std::string_view line, std::vector<StepStatus>& steps);
// Whether `actual` (the staged copy's digest) is the pinned one; both lowercase hex.
bool digestMatches(std::string_view actual, std::string_view pinned);
// The failure text of a script that exited with `status`.
shell::LocalisedText exitFailure(int status);

}  // namespace EnvInstaller

// The environment components last detected, kept so the view can show them at once.
struct DetectionCache {
  std::int64_t ts = 0;  // milliseconds since the epoch
  std::vector<EnvComponents::Component> components;
  bool operator==(const DetectionCache&) const = default;

  // {"ts": ms, "components": {"homebrew": "notApplicable", "tmux": "installed", ...}}.
  std::string encode() const;
  // Nothing for text that is not such an object, or names an unknown component or state.
  static std::optional<DetectionCache> decode(std::string_view text);
};

}  // namespace vesket::supervision
