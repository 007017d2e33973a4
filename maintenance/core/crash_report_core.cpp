#include "maintenance/core/crash_report_core.h"

#include <algorithm>
#include <cctype>
#include <regex>
#include <sstream>

#include <fmt/format.h>

namespace vesket::maintenance {
namespace {

using nlohmann::json;

std::string_view trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

std::string stringField(const json& object, const char* key) {
  if (!object.is_object()) return {};
  const auto found = object.find(key);
  return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
  if (from.empty()) return text;
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

struct FrameLine {
  std::string line;
  bool own = false;
};

FrameLine frameLine(const json& frame, const json& usedImages, std::string_view processName) {
  std::string image = "?";
  if (frame.is_object() && frame.contains("imageIndex") && frame["imageIndex"].is_number_integer()) {
    const auto index = frame["imageIndex"].get<std::int64_t>();
    if (usedImages.is_array() && index >= 0 && index < static_cast<std::int64_t>(usedImages.size())) {
      const std::string name = stringField(usedImages[static_cast<std::size_t>(index)], "name");
      if (!name.empty()) image = name;
    }
  }
  std::string symbol = stringField(frame, "symbol");
  if (symbol.empty()) {
    if (frame.is_object() && frame.contains("imageOffset") && frame["imageOffset"].is_number_integer()) {
      symbol = fmt::format("0x{:x}", frame["imageOffset"].get<std::uint64_t>());
    } else {
      symbol = "0x?";
    }
  }
  std::string location;
  const std::string sourceFile(trim(stringField(frame, "sourceFile")));
  if (!sourceFile.empty() && sourceFile.find('<') == std::string::npos && frame.contains("sourceLine") &&
      frame["sourceLine"].is_number_integer() && frame["sourceLine"].get<std::int64_t>() >= 1) {
    location = fmt::format(" ({}:{})", stringField(frame, "sourceFile"), frame["sourceLine"].get<std::int64_t>());
  }
  return {"    at " + image + "`" + symbol + location, !processName.empty() && image == processName};
}

std::vector<FrameLine> threadFrames(const json& thread, const json& usedImages, std::string_view processName) {
  std::vector<FrameLine> lines;
  if (!thread.is_object() || !thread.contains("frames") || !thread["frames"].is_array()) return lines;
  for (const auto& frame : thread["frames"]) lines.push_back(frameLine(frame, usedImages, processName));
  return lines;
}

const std::vector<std::string>& ownImageNames() {
  static const std::vector<std::string> names = {"VesketDesktop", "VesketStatus", "vesket", "vesket-desktop"};
  return names;
}

}  // namespace

namespace CrashReportCore {

std::vector<DiagnosticReportRef> scanForNewReports(const std::vector<ReportEntry>& entries,
                                                   const std::vector<std::string>& processNames,
                                                   std::optional<std::int64_t> sinceMs) {
  std::vector<DiagnosticReportRef> found;
  for (const auto& entry : entries) {
    if (entry.fileName.size() < kReportExtension.size() ||
        entry.fileName.compare(entry.fileName.size() - kReportExtension.size(), kReportExtension.size(),
                               kReportExtension) != 0) {
      continue;
    }
    if (sinceMs && entry.modifiedMs <= *sinceMs) continue;
    const json header = json::parse(entry.firstLine, nullptr, false);
    if (!header.is_object()) continue;
    std::string process = stringField(header, "app_name");
    if (process.empty()) process = stringField(header, "name");
    if (std::find(processNames.begin(), processNames.end(), process) == processNames.end()) continue;
    found.push_back({entry.path, process, entry.modifiedMs});
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.timestampMs < b.timestampMs; });
  return found;
}

std::optional<std::pair<json, json>> parseIPS(std::string_view text) {
  const std::size_t newline = text.find('\n');
  if (newline == std::string_view::npos) return std::nullopt;
  json header = json::parse(text.substr(0, newline), nullptr, false);
  json body = json::parse(text.substr(newline + 1), nullptr, false);
  if (!header.is_object() || !body.is_object()) return std::nullopt;
  return std::make_pair(std::move(header), std::move(body));
}

std::vector<std::string> buildFrameLines(const json& body, std::string_view processName) {
  std::vector<std::string> lines;
  const json usedImages = body.is_object() && body.contains("usedImages") ? body["usedImages"] : json::array();
  const json threads = body.is_object() && body.contains("threads") && body["threads"].is_array() ? body["threads"]
                                                                                                : json::array();
  if (threads.empty()) return lines;
  std::size_t crashed = 0;
  bool chosen = false;
  if (body.contains("faultingThread") && body["faultingThread"].is_number_integer()) {
    const auto index = body["faultingThread"].get<std::int64_t>();
    if (index >= 0 && index < static_cast<std::int64_t>(threads.size())) {
      crashed = static_cast<std::size_t>(index);
      chosen = true;
    }
  }
  for (std::size_t i = 0; !chosen && i < threads.size(); ++i) {
    const auto& thread = threads[i];
    if (thread.is_object() && thread.contains("triggered") && thread["triggered"] == true) {
      crashed = i;
      chosen = true;
    }
  }
  const auto frames = threadFrames(threads[crashed], usedImages, processName);
  bool hasOwn = false;
  std::vector<std::string> ownBeyond;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (i < kAlwaysIncludedFrames) lines.push_back(frames[i].line);
    else if (frames[i].own) ownBeyond.push_back(frames[i].line);
    hasOwn = hasOwn || frames[i].own;
  }
  if (!ownBeyond.empty()) {
    lines.emplace_back("    -- app frames --");
    lines.insert(lines.end(), ownBeyond.begin(), ownBeyond.end());
  }
  if (!hasOwn) {
    for (std::size_t t = 0; t < threads.size(); ++t) {
      if (t == crashed) continue;
      std::vector<std::string> own;
      for (const auto& frame : threadFrames(threads[t], usedImages, processName)) {
        if (frame.own) own.push_back(frame.line);
      }
      if (own.empty()) continue;
      lines.push_back(fmt::format("    -- app frames (thread {}) --", t));
      lines.insert(lines.end(), own.begin(), own.end());
      break;
    }
  }
  return lines;
}

std::string scrubSecrets(std::string_view input, const ScrubContext& context) {
  static const std::regex kCredential(R"(\b(Bearer|Basic)\s+[A-Za-z0-9._~+/=-]{8,})", std::regex::icase);
  static const std::regex kAssignment(
      R"(((?:token|secret|password|passwd|api[_-]?key|authorization|credential|cookie)s?["']?\s*[=:]\s*["']?)(?!Bearer\b|Basic\b|<redacted>)[^\s"'&,;)]+)",
      std::regex::icase);
  static const std::regex kJwt(R"(eyJ[A-Za-z0-9_-]{4,}\.[A-Za-z0-9_-]{4,}\.[A-Za-z0-9_-]{4,})");
  static const std::regex kHex(R"(\b[0-9a-fA-F]{32,}\b)");
  static const std::regex kWord(R"([A-Za-z0-9+/_-]{32,}={0,2})");
  std::string text(input);
  text = std::regex_replace(text, kCredential, "$1 <redacted>");
  text = std::regex_replace(text, kAssignment, "$1<redacted>");
  text = std::regex_replace(text, kJwt, "<redacted>");
  text = std::regex_replace(text, kHex, "<redacted>");
  // Long runs of mixed letters and digits look like keys; mangled symbols ("_Z...") do not count.
  std::string out;
  auto begin = std::sregex_iterator(text.begin(), text.end(), kWord);
  std::size_t last = 0;
  for (auto it = begin; it != std::sregex_iterator(); ++it) {
    const std::string word = it->str();
    const auto digits = std::count_if(word.begin(), word.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    const bool upper = std::any_of(word.begin(), word.end(), [](char c) { return std::isupper(static_cast<unsigned char>(c)); });
    const bool lower = std::any_of(word.begin(), word.end(), [](char c) { return std::islower(static_cast<unsigned char>(c)); });
    if (word.rfind("_Z", 0) == 0 || digits < 4 || !upper || !lower) continue;
    out.append(text, last, static_cast<std::size_t>(it->position()) - last);
    out += "<redacted>";
    last = static_cast<std::size_t>(it->position() + it->length());
  }
  out.append(text, last, std::string::npos);
  text = std::move(out);
  if (context.userName.size() >= 3) {
    std::string escaped;
    for (char c : context.userName) {
      if (!std::isalnum(static_cast<unsigned char>(c))) escaped += '\\';
      escaped += c;
    }
    const std::regex user("(^|[^A-Za-z0-9_])" + escaped + "(?![A-Za-z0-9_])");
    text = std::regex_replace(text, user, "$1<user>");
  }
  return text;
}

std::string scrubPath(std::string_view input, const ScrubContext& context) {
  std::string text(input);
  std::string home = context.homeDirectory;
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  if (home.size() > 1) text = replaceAll(std::move(text), home, "~");
  static const std::regex kMacHome(R"(/Users/[^/\s]+)");
  static const std::regex kLinuxHome(R"(/home/[^/\s]+)");
  text = std::regex_replace(text, kMacHome, "/Users/<redacted>");
  text = std::regex_replace(text, kLinuxHome, "/home/<redacted>");
  return scrubSecrets(text, context);
}

json buildCrashRecord(const json& header, const json& body, std::string_view source, std::string_view appVersion,
                      std::string_view osVersion, const ScrubContext& context) {
  const json exception = body.is_object() && body.contains("exception") ? body["exception"] : json();
  const json termination = body.is_object() && body.contains("termination") ? body["termination"] : json();
  std::string name = stringField(exception, "type");
  if (name.empty()) name = stringField(termination, "namespace");
  if (name.empty()) name = "UnknownCrash";
  std::vector<std::string> parts;
  if (const std::string signal = stringField(exception, "signal"); !signal.empty()) parts.push_back("signal=" + signal);
  if (const std::string indicator = stringField(termination, "indicator"); !indicator.empty()) parts.push_back(indicator);
  std::string message;
  for (const auto& part : parts) message += (message.empty() ? "" : " ") + part;
  std::string process = stringField(header, "app_name");
  if (process.empty()) process = stringField(header, "name");
  std::string stack = name + ": " + message;
  for (const auto& line : buildFrameLines(body, process)) stack += "\n" + line;
  if (stack.size() > kMaxStackCharacters) {
    stack.resize(kMaxStackCharacters);
    // Never leave half of a UTF-8 sequence at the cut.
    while (!stack.empty() && (static_cast<unsigned char>(stack.back()) & 0xC0) == 0x80) stack.pop_back();
    if (!stack.empty() && (static_cast<unsigned char>(stack.back()) & 0x80)) stack.pop_back();
  }
  return json{{"source", std::string(source)},
              {"app_version", appVersion.empty() ? std::string("unknown") : std::string(appVersion)},
              {"os_version", std::string(osVersion)},
              {"error",
               {{"name", name}, {"message", scrubPath(message, context)}, {"stack", scrubPath(stack, context)}}}};
}

std::string spoolFileName(std::int64_t nowMs, int random) {
  return fmt::format("{}-{}.json", nowMs, std::clamp(random, 100000, 999999));
}

std::optional<std::string> sanitizeSampleFrame(std::string_view line) {
  static const std::regex kFrame(R"(^\s*(?:[+!|:]\s*)*\d+\s+(.+?)\s+\(in ([^)]+)\))");
  std::match_results<std::string_view::const_iterator> match;
  if (!std::regex_search(line.begin(), line.end(), match, kFrame)) return std::nullopt;
  static constexpr std::string_view kAllowed =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_.$:+-[] ";
  std::string frame;
  for (char c : match[2].str() + "`" + match[1].str()) {
    if (c == '`' || kAllowed.find(c) != std::string_view::npos) frame += c;
  }
  return frame;
}

std::vector<std::string> sanitizedMainThreadLeafFrames(std::string_view sampleText) {
  static const std::regex kThreadHeader(R"(^\s*\d+\s+Thread_\d+)");
  const auto lines = splitLines(sampleText);
  std::vector<std::string> collected;
  bool inCallGraph = false;
  bool inMain = false;
  for (const auto& line : lines) {
    if (!inCallGraph) {
      inCallGraph = line == "Call graph:";
      continue;
    }
    if (std::regex_search(line, kThreadHeader)) {
      if (inMain) break;
      inMain = line.find("com.apple.main-thread") != std::string::npos;
      continue;
    }
    if (!inMain) continue;
    if (trim(line).empty()) break;
    if (auto frame = sanitizeSampleFrame(line); frame && !frame->empty()) collected.push_back(std::move(*frame));
  }
  std::vector<std::string> leaves;
  for (auto it = collected.rbegin(); it != collected.rend() && leaves.size() < 5; ++it) leaves.push_back(*it);
  for (auto it = collected.rbegin(); it != collected.rend(); ++it) {
    const bool own = std::any_of(ownImageNames().begin(), ownImageNames().end(),
                                 [&](const std::string& name) { return it->rfind(name + "`", 0) == 0; });
    if (!own) continue;
    if (std::find(leaves.begin(), leaves.end(), *it) == leaves.end()) leaves.push_back(*it);
    break;
  }
  return leaves;
}

std::string callGraphFromGdb(std::string_view gdbText, std::int64_t mainThreadLwp, std::string_view executableName) {
  static const std::regex kThread(R"(^Thread\s+(\d+)\s+\(.*?LWP\s+(\d+)\))");
  static const std::regex kFrame(R"(^#(\d+)\s+(?:0x[0-9a-fA-F]+\s+in\s+)?(.+?)\s+\(.*?\)(?:\s+at\s+(\S+))?(?:\s+from\s+(\S+))?\s*$)");
  struct Thread {
    std::int64_t lwp = 0;
    std::vector<std::pair<std::string, std::string>> frames;  // innermost first: (symbol, image)
  };
  std::vector<Thread> threads;
  for (const auto& line : splitLines(gdbText)) {
    std::smatch match;
    if (std::regex_search(line, match, kThread)) {
      threads.push_back({std::stoll(match[2].str()), {}});
      continue;
    }
    if (threads.empty() || !std::regex_search(line, match, kFrame)) continue;
    std::string image = "???";
    if (match[4].matched) {
      const std::string path = match[4].str();
      image = path.substr(path.find_last_of('/') + 1);
    } else if (match[3].matched) {
      // Frames with source but no library are the program's own (built with debug facts).
      image = std::string(executableName);
    }
    threads.back().frames.emplace_back(match[2].str(), image);
  }
  std::ostringstream out;
  out << "Call graph:\n";
  for (const auto& thread : threads) {
    out << "    1 Thread_" << thread.lwp;
    if (thread.lwp == mainThreadLwp) out << "   DispatchQueue_1: com.apple.main-thread  (serial)";
    out << "\n";
    std::size_t depth = 0;
    for (auto it = thread.frames.rbegin(); it != thread.frames.rend(); ++it, ++depth) {
      out << "    " << std::string(std::min<std::size_t>(depth, 40), ' ') << "+ 1 " << it->first << "  (in "
          << it->second << ")\n";
    }
    out << "\n";
  }
  return out.str();
}

json buildHangRecord(const std::optional<std::string>& sample, std::string_view appVersion, std::string_view appBuild,
                     std::string_view osVersion, std::int64_t unresponsiveMs, std::int64_t nowMs) {
  const auto leaves = sample ? sanitizedMainThreadLeafFrames(*sample) : std::vector<std::string>{};
  std::string stack = fmt::format("MainThreadHang: unresponsive_ms={}", unresponsiveMs);
  for (const auto& frame : leaves) stack += "\n    at " + frame;
  return json{{"source", "app"},
              {"app_version", std::string(appVersion)},
              {"app_build", std::string(appBuild)},
              {"os_version", std::string(osVersion)},
              {"ts", nowMs},
              {"hang", {{"unresponsive_ms", unresponsiveMs}, {"leaf_frames", leaves}}},
              {"error",
               {{"name", "MainThreadHang"},
                {"message", fmt::format("unresponsive_ms={}", unresponsiveMs)},
                {"stack", stack}}}};
}

}  // namespace CrashReportCore

HangDetectorCore::Event HangDetectorCore::tick(double now, double lastPong) {
  const double elapsed = now - lastPong;
  if (m_isHung) {
    if (elapsed < threshold) {
      m_isHung = false;
      return {Event::Kind::ended, now - m_hangStart};
    }
    return {};
  }
  if (elapsed >= threshold) {
    m_isHung = true;
    m_hangStart = lastPong;
    if (now - m_lastCapture >= captureCooldown) {
      m_lastCapture = now;
      return {Event::Kind::capture, elapsed};
    }
  }
  return {};
}

bool CrashReportingPrivacy::isEnabled(std::optional<std::string_view> fileText) {
  if (!fileText) return true;
  const json settings = json::parse(*fileText, nullptr, false);
  if (!settings.is_object()) return true;
  const auto found = settings.find("shareCrashReports");
  return found == settings.end() || !found->is_boolean() || found->get<bool>();
}

std::string CrashReportingPrivacy::withEnabled(std::optional<std::string_view> fileText, bool enabled) {
  json settings = fileText ? json::parse(*fileText, nullptr, false) : json::object();
  if (!settings.is_object()) settings = json::object();
  settings["shareCrashReports"] = enabled;
  return settings.dump(2) + "\n";
}

}  // namespace vesket::maintenance
