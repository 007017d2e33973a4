#include "maintenance/core/text_block.h"

#include <cstddef>

namespace vesket::maintenance::TextBlock {

namespace {

struct Span {
  std::size_t begin = 0;  // first byte of the begin line
  std::size_t end = 0;    // one past the end line's line feed (or the text's end)
};

// The begin marker must start a line; the end marker is the first one after it.
std::optional<Span> locate(std::string_view text, std::string_view name) {
  const std::string begin = beginLine(name);
  const std::string end = endLine(name);
  std::size_t from = 0;
  while (true) {
    const std::size_t at = text.find(begin, from);
    if (at == std::string_view::npos) return std::nullopt;
    if (at == 0 || text[at - 1] == '\n') {
      const std::size_t close = text.find(end, at + begin.size());
      if (close == std::string_view::npos) return std::nullopt;
      std::size_t stop = close + end.size();
      if (stop < text.size() && text[stop] == '\n') ++stop;
      return Span{at, stop};
    }
    from = at + 1;
  }
}

}  // namespace

std::string beginLine(std::string_view name) { return "<!-- vesket:begin " + std::string(name) + " -->"; }
std::string endLine(std::string_view name) { return "<!-- vesket:end " + std::string(name) + " -->"; }

std::string wrap(std::string_view name, std::string_view body) {
  std::string block = beginLine(name) + "\n";
  block += body;
  if (!body.empty() && body.back() != '\n') block += '\n';
  block += endLine(name) + "\n";
  return block;
}

std::optional<std::string> find(std::string_view text, std::string_view name) {
  const auto span = locate(text, name);
  if (!span) return std::nullopt;
  return std::string(text.substr(span->begin, span->end - span->begin));
}

std::string upsert(std::string_view text, std::string_view name, std::string_view block) {
  if (const auto span = locate(text, name)) {
    return std::string(text.substr(0, span->begin)) + std::string(block) + std::string(text.substr(span->end));
  }
  std::string out(text);
  if (!out.empty()) {
    if (out.back() != '\n') out += '\n';
    out += '\n';
  }
  out += block;
  return out;
}

std::string remove(std::string_view text, std::string_view name) {
  const auto span = locate(text, name);
  if (!span) return std::string(text);
  std::size_t begin = span->begin;
  // The blank line upsert put between the user's text and the block.
  if (begin >= 2 && text[begin - 1] == '\n' && text[begin - 2] == '\n') --begin;
  return std::string(text.substr(0, begin)) + std::string(text.substr(span->end));
}

}  // namespace vesket::maintenance::TextBlock
