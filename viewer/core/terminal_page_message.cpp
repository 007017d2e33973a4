#include "viewer/core/terminal_page_message.h"

#include <array>
#include <utility>

namespace vesket::viewer::TerminalPageMessages {

namespace {

using enum TerminalPageMessage;

constexpr std::array<std::pair<TerminalPageMessage, std::string_view>, 18> kNames = {{
    {ready, "ready"},
    {pageLoaded, "pageLoaded"},
    {input, "input"},
    {inputBytes, "inputBytes"},
    {imeCommit, "imeCommit"},
    {compositionBoundary, "compositionBoundary"},
    {cursorKeyMode, "cursorKeyMode"},
    {bracketedPasteMode, "bracketedPasteMode"},
    {viewportResize, "viewportResize"},
    {widthGrow, "widthGrow"},
    {requestOlderHistory, "requestOlderHistory"},
    {copySelection, "copySelection"},
    {copyMode, "copyMode"},
    {openUrl, "openUrl"},
    {renderAnomaly, "renderAnomaly"},
    {contentParity, "contentParity"},
    {imeDiag, "imeDiag"},
    {applyTap, "applyTap"},
}};

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != b[i]) return false;
  }
  return true;
}

}  // namespace

std::string_view nameOf(TerminalPageMessage message) {
  for (const auto& [value, name] : kNames) {
    if (value == message) return name;
  }
  return {};
}

std::optional<TerminalPageMessage> named(std::string_view name) {
  for (const auto& [value, known] : kNames) {
    if (known == name) return value;
  }
  return std::nullopt;
}

bool opensInBrowser(std::string_view url) {
  const std::size_t colon = url.find(':');
  if (colon == std::string_view::npos) return false;
  const std::string_view scheme = url.substr(0, colon);
  if (!equalsIgnoringCase(scheme, "http") && !equalsIgnoringCase(scheme, "https")) return false;
  const std::string_view rest = url.substr(colon + 1);
  if (!rest.starts_with("//") || rest.size() == 2 || rest[2] == '/') return false;  // needs a host
  for (const char c : url) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) return false;  // blanks and control characters
  }
  return true;
}

}  // namespace vesket::viewer::TerminalPageMessages
