// Builds marker lines the way an agent prints them, for tests and benchmarks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "control_plane/core/base64.h"

namespace vesket::viewer::testing {

inline std::string base64(std::string_view bytes) { return control_plane::Base64::encode(bytes); }

// A JSON array of the given strings (no escaping needed for the texts tests use).
inline std::string jsonStrings(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (k > 0) out += ",";
    out += "\"" + items[k] + "\"";
  }
  return out + "]";
}

inline std::string approvalMarker(std::string_view id, std::string_view question,
                                  std::string_view optionsJson, std::string_view style) {
  return "<<<DURNVALE-AWAITING id=" + std::string(id) + " question_b64=" + base64(question) +
         " options_b64=" + base64(optionsJson) + " style=" + std::string(style) + ">>>";
}

inline std::string resolvedMarker(std::string_view id) {
  return "<<<DURNVALE-RESOLVED id=" + std::string(id) + ">>>";
}

inline std::string needsYouSignal(std::string_view kind, std::string_view reason,
                                  std::string_view id) {
  return "<<<CREW-SIGNAL state=needs-you kind=" + std::string(kind) +
         " reason_b64=" + base64(reason) + " id=" + std::string(id) + ">>>";
}

inline std::string doneSignal(std::string_view id) {
  return "<<<CREW-SIGNAL state=done id=" + std::string(id) + ">>>";
}

}  // namespace vesket::viewer::testing
