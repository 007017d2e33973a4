#pragma once

#include <string>
#include <string_view>

namespace vesket::shell {

// The standardized form of a path, computed lexically (the file system is never asked):
// a leading "~" or "~/" is replaced by `userHome`, "." segments and redundant separators
// are dropped, and ".." removes the segment before it ("/.." stays "/"; a relative path
// keeps leading ".." segments). A trailing separator is dropped except for "/" itself.
// An empty path stays empty; a relative path that collapses to nothing becomes ".".
std::string standardizedPath(std::string_view path, std::string_view userHome);

// Whether `path` is `directory` itself or lies below it. Both must already be standardized.
bool pathIsInside(std::string_view path, std::string_view directory);

}  // namespace vesket::shell
