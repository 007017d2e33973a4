// Pane ids of another machine, as the viewer shows them: "d<daemon id>/<its own id>", so
// that its panes never mix with this machine's. Requests to that machine carry the raw id.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vesket::viewer::RemotePaneIds {

std::string namespaced(std::int64_t daemonId, std::string_view raw);
// The raw id of a namespaced one ("d12/%3" gives "%3"); any other id unchanged.
std::string raw(std::string_view id);
// The daemon id of a namespaced id; nothing for any other.
std::optional<std::int64_t> daemonId(std::string_view id);
inline bool isNamespaced(std::string_view id) { return daemonId(id).has_value(); }

}  // namespace vesket::viewer::RemotePaneIds
