#include "platform/core/service_job.h"

#include <fmt/format.h>

#include <nlohmann/json.hpp>

namespace vesket::platform {

ServiceJob ServiceJob::forDaemon(const std::string& binaryPath, const std::string& home) {
  ServiceJob job;
  job.programArguments = {binaryPath, "daemon", "start"};
  job.environment = {{"VESKET_HOME", home}};
  job.keepAlive = true;
  job.runAtLoad = true;
  return job;
}

std::optional<std::string> ServiceJob::environmentValue(std::string_view name) const {
  for (const auto& [key, value] : environment) {
    if (key == name) return value;
  }
  return std::nullopt;
}

bool ServiceJob::matchesInstall(std::string_view binaryPath, std::string_view home) const {
  if (programArguments.size() != 3 || programArguments[0] != binaryPath || programArguments[1] != "daemon" ||
      programArguments[2] != "start") {
    return false;
  }
  if (!keepAlive || !runAtLoad) return false;
  auto named = environmentValue("VESKET_HOME");
  if (!named) named = environmentValue("DURNVALE_HOME");
  return named && *named == home;
}

namespace SystemdUnit {
namespace {

// `execLine`: on ExecStart lines systemd expands "$NAME", so a literal "$" is written "$$";
// assignments (Environment=) take "$" as it is.
std::string quoteWord(const std::string& word, bool execLine) {
  bool plain = !word.empty();
  for (char c : word) {
    if (c == ' ' || c == '\t' || c == '"' || c == '\'' || c == '\\' || c == '%' || (execLine && c == '$') ||
        c == ';' || c == '\n') {
      plain = false;
    }
  }
  if (plain) return word;
  std::string quoted = "\"";
  for (char c : word) {
    if (c == '"' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';  // specifiers: "%%" is a literal per cent sign
    if (c == '$' && execLine) {
      quoted += "$$";
      continue;
    }
    if (c == '\n') {
      quoted += "\\n";
      continue;
    }
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::optional<std::vector<std::string>> split(std::string_view text, bool execLine) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i >= text.size()) break;
    std::string word;
    char quote = 0;
    if (text[i] == '"' || text[i] == '\'') quote = text[i++];
    bool closed = quote == 0;
    while (i < text.size()) {
      const char c = text[i];
      if (quote != 0 && c == quote) {
        closed = true;
        ++i;
        break;
      }
      if (quote == 0 && (c == ' ' || c == '\t')) break;
      if (c == '\\' && i + 1 < text.size()) {
        const char next = text[i + 1];
        word += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        i += 2;
        continue;
      }
      if ((c == '%' || (execLine && c == '$')) && i + 1 < text.size() && text[i + 1] == c) {
        word += c;
        i += 2;
        continue;
      }
      word += c;
      ++i;
    }
    if (!closed) return std::nullopt;
    words.push_back(std::move(word));
  }
  return words;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string quote(const std::string& word) { return quoteWord(word, true); }

std::optional<std::vector<std::string>> splitWords(std::string_view text) { return split(text, true); }

std::string render(const ServiceJob& job) {
  std::string exec;
  for (const auto& argument : job.programArguments) {
    if (!exec.empty()) exec += ' ';
    exec += quoteWord(argument, true);
  }
  std::string unit = fmt::format(
      "[Unit]\n"
      "Description=Vesket local daemon (tmux panes for the Vesket desktop application)\n"
      "\n"
      "[Service]\n"
      "Type=simple\n"
      "ExecStart={}\n",
      exec);
  for (const auto& [name, value] : job.environment) {
    unit += "Environment=" + quoteWord(name + "=" + value, false) + "\n";
  }
  if (job.keepAlive) unit += "Restart=on-failure\nRestartSec=1\nRestartPreventExitStatus=3\n";
  if (job.runAtLoad) unit += "\n[Install]\nWantedBy=default.target\n";
  return unit;
}

std::optional<ServiceJob> parse(std::string_view text) {
  ServiceJob job;
  std::string section;
  bool sawExec = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = std::string(line.substr(1, line.size() - 2));
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = trim(line.substr(0, equals));
    const std::string_view value = trim(line.substr(equals + 1));
    if (section == "Service" && key == "ExecStart") {
      auto words = split(value, true);
      if (!words || words->empty()) return std::nullopt;
      job.programArguments = std::move(*words);
      sawExec = true;
    } else if (section == "Service" && key == "Environment") {
      auto words = split(value, false);
      if (!words) return std::nullopt;
      for (const auto& word : *words) {
        const std::size_t split = word.find('=');
        if (split == std::string::npos) continue;
        job.environment.emplace_back(word.substr(0, split), word.substr(split + 1));
      }
    } else if (section == "Service" && key == "Restart") {
      job.keepAlive = value == "on-failure" || value == "always" || value == "on-abnormal";
    } else if (section == "Install" && key == "WantedBy") {
      job.runAtLoad = value.find("default.target") != std::string_view::npos;
    }
  }
  if (!sawExec) return std::nullopt;
  return job;
}

}  // namespace SystemdUnit

namespace SupervisorJobFile {

std::string render(const ServiceJob& job) {
  nlohmann::json environment = nlohmann::json::object();
  for (const auto& [name, value] : job.environment) environment[name] = value;
  const nlohmann::json json = {{"Label", job.label},
                               {"ProgramArguments", job.programArguments},
                               {"EnvironmentVariables", environment},
                               {"KeepAlive", job.keepAlive},
                               {"RunAtLoad", job.runAtLoad}};
  return json.dump(2) + "\n";
}

std::optional<ServiceJob> parse(std::string_view text) {
  const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
  if (!json.is_object()) return std::nullopt;
  ServiceJob job;
  const auto label = json.find("Label");
  const auto arguments = json.find("ProgramArguments");
  if (label == json.end() || !label->is_string() || arguments == json.end() || !arguments->is_array() ||
      arguments->empty()) {
    return std::nullopt;
  }
  job.label = label->get<std::string>();
  for (const auto& argument : *arguments) {
    if (!argument.is_string()) return std::nullopt;
    job.programArguments.push_back(argument.get<std::string>());
  }
  if (const auto environment = json.find("EnvironmentVariables"); environment != json.end()) {
    if (!environment->is_object()) return std::nullopt;
    for (const auto& [name, value] : environment->items()) {
      if (!value.is_string()) return std::nullopt;
      job.environment.emplace_back(name, value.get<std::string>());
    }
  }
  for (const auto& [key, field] : {std::pair{"KeepAlive", &job.keepAlive}, std::pair{"RunAtLoad", &job.runAtLoad}}) {
    const auto found = json.find(key);
    if (found == json.end()) continue;
    if (!found->is_boolean()) return std::nullopt;
    *field = found->get<bool>();
  }
  return job;
}

}  // namespace SupervisorJobFile

}  // namespace vesket::platform
