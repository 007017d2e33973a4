#include "daemon/core/key_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace vesket::daemon {
namespace {

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Lower-cased accepted name → tmux key name.
constexpr std::array<std::pair<const char*, const char*>, 30> kNamedKeys{{
    {"enter", "Enter"},     {"return", "Enter"},    {"escape", "Escape"},   {"esc", "Escape"},
    {"tab", "Tab"},         {"backtab", "BTab"},    {"btab", "BTab"},       {"backspace", "BSpace"},
    {"bspace", "BSpace"},   {"up", "Up"},           {"down", "Down"},       {"left", "Left"},
    {"right", "Right"},     {"home", "Home"},       {"end", "End"},         {"pageup", "PPage"},
    {"ppage", "PPage"},     {"pgup", "PPage"},      {"pagedown", "NPage"},  {"npage", "NPage"},
    {"pgdn", "NPage"},      {"delete", "DC"},       {"dc", "DC"},           {"insert", "IC"},
    {"ic", "IC"},           {"space", "Space"},     {"f10", "F10"},         {"f11", "F11"},
    {"f12", "F12"},         {"ctrl-c", "C-c"},
}};

std::optional<std::string> baseKey(const std::string& name) {
  const std::string key = lower(name);
  for (const auto& [from, to] : kNamedKeys) {
    if (key == from) return std::string(to);
  }
  if (key.size() == 2 && key[0] == 'f' && key[1] >= '1' && key[1] <= '9') {
    return std::string("F") + key[1];
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> KeyNames::toTmuxKey(const std::string& name) {
  if (auto key = baseKey(name)) return key;
  // Modifier prefixes: C- (control), M- (meta), S- (shift), in any combination.
  std::size_t i = 0;
  std::string prefix;
  auto isModifier = [](char c) { return c == 'C' || c == 'M' || c == 'S'; };
  while (i + 1 < name.size() && name[i + 1] == '-' && isModifier(name[i])) {
    prefix += name[i];
    prefix += '-';
    i += 2;
  }
  if (prefix.empty() || i >= name.size()) return std::nullopt;
  const std::string rest = name.substr(i);
  if (rest.size() == 1 && std::isgraph(static_cast<unsigned char>(rest[0]))) return prefix + rest;
  if (auto key = baseKey(rest)) return prefix + *key;
  return std::nullopt;
}

}  // namespace vesket::daemon
