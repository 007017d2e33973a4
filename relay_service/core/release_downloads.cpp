#include "relay_service/core/release_downloads.h"

#include <charconv>

namespace vesket::relay_service::ReleaseDownloads {
namespace {

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::optional<std::uint64_t> number(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::string> relativePath(std::string_view decodedPath) {
  if (!decodedPath.starts_with(kPrefix)) return std::nullopt;
  std::string_view rest = decodedPath.substr(kPrefix.size());
  if (rest.empty()) return std::nullopt;
  std::string relative;
  for (;;) {
    const std::size_t slash = rest.find('/');
    const std::string_view segment = rest.substr(0, slash);
    if (segment.empty() || segment.front() == '.') return std::nullopt;
    for (const char c : segment) {
      if (c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return std::nullopt;
    }
    if (!relative.empty()) relative += '/';
    relative += segment;
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return relative;
}

std::string_view contentType(std::string_view fileName) {
  struct Type {
    std::string_view suffix;
    std::string_view type;
  };
  static constexpr Type kTypes[] = {
      {".json", "application/json"},         {".sig", "application/json"},
      {".tar.gz", "application/gzip"},       {".tgz", "application/gzip"},
      {".gz", "application/gzip"},           {".AppImage", "application/vnd.appimage"},
      {".dmg", "application/x-apple-diskimage"}, {".zip", "application/zip"},
      {".txt", "text/plain; charset=utf-8"}, {".sha256", "text/plain; charset=utf-8"},
      {".html", "text/html; charset=utf-8"},
  };
  for (const auto& [suffix, type] : kTypes) {
    if (endsWith(fileName, suffix)) return type;
  }
  return "application/octet-stream";
}

RangeAnswer range(std::optional<std::string_view> header, std::uint64_t size) {
  if (!header || !header->starts_with("bytes=")) return WholeFile{};
  const std::string_view spec = header->substr(6);
  if (spec.find(',') != std::string_view::npos) return WholeFile{};
  const std::size_t dash = spec.find('-');
  if (dash == std::string_view::npos) return WholeFile{};
  const std::string_view first = spec.substr(0, dash);
  const std::string_view last = spec.substr(dash + 1);
  if (first.empty()) {
    // The last n bytes.
    const auto suffix = number(last);
    if (!suffix) return WholeFile{};
    if (*suffix == 0 || size == 0) return Unsatisfiable{};
    const std::uint64_t length = std::min(*suffix, size);
    return ByteSpan{size - length, length};
  }
  const auto start = number(first);
  if (!start) return WholeFile{};
  std::uint64_t end = size == 0 ? 0 : size - 1;
  if (!last.empty()) {
    const auto given = number(last);
    if (!given || *given < *start) return WholeFile{};
    end = std::min(end, *given);
  }
  if (*start >= size) return Unsatisfiable{};
  return ByteSpan{*start, end - *start + 1};
}

}  // namespace vesket::relay_service::ReleaseDownloads
