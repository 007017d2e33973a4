#pragma once

// The release downloads a relay can serve from a directory (`--releases DIR`): which
// request paths name a file in it, what type each file is, and which bytes a Range header
// asks for. Pure: the endpoint (api/downloads.cpp) looks at the file system.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace vesket::relay_service::ReleaseDownloads {

inline constexpr std::string_view kPrefix = "/downloads/";

// The file a decoded request path names, relative to the releases directory: the part
// after "/downloads/", made of non-empty segments none of which is "." or "..", begins with
// a dot, or holds a backslash or a control character. Nothing for any other path.
std::optional<std::string> relativePath(std::string_view decodedPath);

// The Content-Type of a downloadable file, by its name.
std::string_view contentType(std::string_view fileName);

struct WholeFile {};
struct ByteSpan {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  bool operator==(const ByteSpan&) const = default;
};
struct Unsatisfiable {};
using RangeAnswer = std::variant<WholeFile, ByteSpan, Unsatisfiable>;

// A single "bytes=" range of a file of `size` bytes ("a-b", "a-", "-n"). A header that is
// absent, not a bytes range, malformed or names several ranges is answered with the whole
// file (as a server may); a well-formed range beyond the end is unsatisfiable.
RangeAnswer range(std::optional<std::string_view> header, std::uint64_t size);

}  // namespace vesket::relay_service::ReleaseDownloads
