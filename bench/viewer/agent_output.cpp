#include "bench/viewer/agent_output.h"

#include <fmt/format.h>

#include <random>

namespace vesket::viewer::bench {

namespace {

const char* const kWords[] = {
    "parser",  "render",   "function", "returns", "the",     "pane",    "window",  "session",
    "test",    "failing",  "because",  "config",  "missing", "update",  "import",  "module",
    "über",    "naïve",    "résumé",   "日本語",  "中文",    "테스트",  "✓",       "→",
    "build",   "compile",  "warning",  "error",   "line",    "column",  "value",   "const"};

const char* const kFiles[] = {"src/viewer/ansi_parser.cpp", "README.md", "package.json",
                              "tests/unit/grouping.test.ts", "lib/core/index.ts",
                              "crates/server/src/session.rs"};

// Agent UIs paint with a fixed theme of 24-bit colours, not arbitrary ones.
const int kThemeColors[][3] = {{215, 119, 87}, {136, 136, 136}, {78, 186, 101}, {255, 107, 128},
                               {177, 185, 249}, {255, 193, 7},   {153, 153, 153}, {87, 105, 247},
                               {235, 159, 127}, {0, 102, 102},   {44, 122, 57},   {171, 43, 63}};

const char* const kGlyphs[] = {"✳", "✻", "✽", "⏺", "●", "⠋", "⠙", "⠹", "·"};

class Writer {
 public:
  explicit Writer(unsigned seed) : m_rng(seed) {}

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }

  std::string words(int columns) {
    std::string out;
    int used = 0;
    while (used < columns) {
      const char* word = kWords[pick(std::size(kWords))];
      out += word;
      out += ' ';
      used += 7;
    }
    return out;
  }

  // One line of a typical agent screen, up to about 200 visible columns.
  std::string line(int index) {
    switch (pick(12)) {
      case 0:  // tool call with a true-colour bullet
      {
        const int* rgb = kThemeColors[pick(std::size(kThemeColors))];
        return fmt::format("\x1B[38;2;{};{};{}m⏺\x1B[39m \x1B[1m{}\x1B[22m({})", rgb[0], rgb[1],
                           rgb[2], pick(2) ? "Read" : "Update", kFiles[pick(std::size(kFiles))]);
      }
      case 1:  // dim tool result
        return fmt::format("  \x1B[2m⎿  {}\x1B[22m", words(40 + pick(100)));
      case 2:  // diff added / removed with 256-colour background
        return fmt::format("\x1B[48;5;22m\x1B[32m+ {:>4} {}\x1B[0m", index, words(60 + pick(120)));
      case 3:
        return fmt::format("\x1B[48;5;52m\x1B[31m- {:>4} {}\x1B[0m", index, words(60 + pick(120)));
      case 4:  // box drawing prompt frame
        return fmt::format("\x1B[38;2;136;136;136m╭{:─<{}}╮\x1B[39m", "", 120 + pick(70));
      case 5:
        return fmt::format("\x1B[38;2;136;136;136m│\x1B[39m > {:<150}\x1B[38;2;136;136;136m│\x1B[39m",
                           words(20));
      case 6:  // spinner with erase and cursor moves
        return fmt::format("\x1B[2K\x1B[1G\x1B[38;2;215;119;87m{}\x1B[39m Thinking… \x1B[2m(esc to "
                           "interrupt · {}s)\x1B[22m\x1B[1A\x1B[1B",
                           kGlyphs[pick(std::size(kGlyphs))], pick(300));
      case 7:  // OSC title update
        return fmt::format("\x1B]0;{} {}\x07{}", kGlyphs[pick(std::size(kGlyphs))], words(4),
                           words(80 + pick(60)));
      case 8:  // links
        return fmt::format("See https://github.com/example/repo/pull/{} and "
                           "\x1B[4mhttps://docs.example.com/guide/{}#section\x1B[24m for {}.",
                           pick(9999), pick(500), words(40));
      case 9:  // bright colours and bold in a status line
        return fmt::format("\x1B[1;92m✓\x1B[0m {} \x1B[93m{} warnings\x1B[0m \x1B[91m{} "
                           "errors\x1B[0m \x1B[90m{}\x1B[0m",
                           words(30), pick(20), pick(5), words(50));
      case 10:  // emoji and plain prose
        return fmt::format("🚀 {}", words(100 + pick(90)));
      default:  // plain wrapped prose
        return words(120 + pick(70));
    }
  }

 private:
  std::mt19937 m_rng;
};

}  // namespace

std::string agentOutput(std::size_t bytes) {
  Writer writer(20261206);
  std::string out;
  out.reserve(bytes + 512);
  for (int index = 0; out.size() < bytes; ++index) {
    out += writer.line(index);
    out += "\r\n";
  }
  return out;
}

std::vector<std::string> screenfuls(const std::string& text, std::size_t lines) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    for (std::size_t i = 0; i < lines && end < text.size(); ++i) {
      const std::size_t newline = text.find('\n', end);
      end = newline == std::string::npos ? text.size() : newline + 1;
    }
    out.push_back(text.substr(start, end - start));
    start = end;
  }
  return out;
}

}  // namespace vesket::viewer::bench
