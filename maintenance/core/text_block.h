#pragma once

// A block of lines the product keeps inside a text file that belongs to the user (an
// agent's instructions file), between two marker lines:
//
//   <!-- vesket:begin NAME -->
//   ...
//   <!-- vesket:end NAME -->
//
// Everything outside the block is the user's and is never touched.

#include <optional>
#include <string>
#include <string_view>

namespace vesket::maintenance::TextBlock {

std::string beginLine(std::string_view name);
std::string endLine(std::string_view name);
// `body` between the marker lines, ending with a line feed.
std::string wrap(std::string_view name, std::string_view body);

// The block (marker lines included, final line feed included) as it stands in `text`.
std::optional<std::string> find(std::string_view text, std::string_view name);
// `text` with the block replaced by `block`, or with `block` appended after a blank line.
std::string upsert(std::string_view text, std::string_view name, std::string_view block);
// `text` without the block (and without the blank line that `upsert` put before it).
std::string remove(std::string_view text, std::string_view name);

}  // namespace vesket::maintenance::TextBlock
