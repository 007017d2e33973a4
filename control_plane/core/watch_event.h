#pragma once

#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "control_plane/core/pane_entry.h"

namespace vesket::control_plane {

// The `event` member of a pane-watch line.
struct WatchEventPayload {
  std::string type;
  std::optional<std::vector<PaneEntry>> panes;

  static WatchEventPayload fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const WatchEventPayload&, const WatchEventPayload&) = default;
};

// What the pane watch reports: the complete current pane list, or an event of another type
// that the application does not act on.
class WatchEvent {
 public:
  struct Snapshot {
    std::vector<PaneEntry> panes;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
  };
  struct Unknown {
    std::string type;
    friend bool operator==(const Unknown&, const Unknown&) = default;
  };

  static WatchEvent snapshot(std::vector<PaneEntry> panes) { return WatchEvent(Snapshot{std::move(panes)}); }
  static WatchEvent unknown(std::string type) { return WatchEvent(Unknown{std::move(type)}); }

  // A "snapshot" with panes becomes a snapshot; anything else (a "snapshot" without panes
  // included) is unknown with its type.
  static WatchEvent fromPayload(WatchEventPayload payload);

  // Decodes one whole watch line ({"id","ok":true,"event":{...}}); throws DecodingError
  // naming what is wrong.
  static WatchEvent fromLine(std::string_view line);

  const Snapshot* asSnapshot() const { return std::get_if<Snapshot>(&m_value); }
  const Unknown* asUnknown() const { return std::get_if<Unknown>(&m_value); }

  friend bool operator==(const WatchEvent&, const WatchEvent&) = default;

 private:
  explicit WatchEvent(std::variant<Snapshot, Unknown> value) : m_value(std::move(value)) {}
  std::variant<Snapshot, Unknown> m_value;
};

}  // namespace vesket::control_plane
