#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace vesket::maintenance {

// Crash and hang records: what the crash handler of our own processes writes (a report of a
// JSON header line followed by a JSON body), how such a report becomes a compact record with
// the user's paths and secrets scrubbed, the spool's file names, and the hang records built
// from a sampler's call graph. Pure: the callers read and write the files.
namespace CrashReportCore {

inline constexpr std::size_t kMaxStackCharacters = 4000;
inline constexpr std::size_t kAlwaysIncludedFrames = 10;
inline constexpr std::string_view kReportExtension = ".ips";

// One report in the diagnostic-reports folder as the scan sees it.
struct ReportEntry {
  std::string path;
  std::string fileName;
  std::int64_t modifiedMs = 0;
  std::string firstLine;  // the header line
};

struct DiagnosticReportRef {
  std::string path;
  std::string processName;
  std::int64_t timestampMs = 0;
  bool operator==(const DiagnosticReportRef&) const = default;
};

// The reports (".ips", a header naming the process in "app_name", else "name") of the
// named processes modified after `sinceMs` (all when nothing), oldest first.
std::vector<DiagnosticReportRef> scanForNewReports(const std::vector<ReportEntry>& entries,
                                                   const std::vector<std::string>& processNames,
                                                   std::optional<std::int64_t> sinceMs);

// The header and body of a report's text; nothing when either does not parse as an object.
std::optional<std::pair<nlohmann::json, nlohmann::json>> parseIPS(std::string_view text);

// The frame lines of the crashed thread (and of another thread's own frames when the
// crashed one has none).
std::vector<std::string> buildFrameLines(const nlohmann::json& body, std::string_view processName);

// What the scrubber removes: the user's home directory (shown as "~"), their user name,
// and anything that looks like a secret.
struct ScrubContext {
  std::string homeDirectory;
  std::string userName;
};
// The user's home with "~", other users' homes ("/Users/NAME", "/home/NAME") with
// "<redacted>" for the name, then `scrubSecrets`.
std::string scrubPath(std::string_view text, const ScrubContext& context);
// Bearer and basic credentials, "token=", "secret:", "password=" style values, JSON web
// tokens, and long runs of hexadecimal or base64 become "<redacted>"; the user's name as a
// whole word too.
std::string scrubSecrets(std::string_view text, const ScrubContext& context);

// {"source", "app_version", "os_version", "error": {"name", "message", "stack"}}.
nlohmann::json buildCrashRecord(const nlohmann::json& header, const nlohmann::json& body, std::string_view source,
                                std::string_view appVersion, std::string_view osVersion, const ScrubContext& context);

// "<ms>-<random 100000..999999>.json".
std::string spoolFileName(std::int64_t nowMs, int random);

// One frame of a sampler's call-graph line: "image`symbol" restricted to a safe alphabet;
// nothing for a line that is not a frame.
std::optional<std::string> sanitizeSampleFrame(std::string_view line);
// The main thread's deepest frames (at most 5, deepest first) plus the deepest own frame.
std::vector<std::string> sanitizedMainThreadLeafFrames(std::string_view sampleText);
// A gdb "thread apply all bt" transcript as the sampler's call-graph text: "Call graph:",
// a "Thread_<n>" header per thread (the process's main thread marked
// "com.apple.main-thread"), and each thread's frames outermost first as
// "+ 1 symbol  (in image)"; frames with a source location and no library belong to
// `executableName`.
std::string callGraphFromGdb(std::string_view gdbText, std::int64_t mainThreadLwp, std::string_view executableName);

nlohmann::json buildHangRecord(const std::optional<std::string>& sample, std::string_view appVersion,
                               std::string_view appBuild, std::string_view osVersion, std::int64_t unresponsiveMs,
                               std::int64_t nowMs);

}  // namespace CrashReportCore

// Whether the main thread stopped answering: fed every tick with the time of its last
// answer, it reports a hang once it passed the threshold (captured at most once per
// cooldown) and its end.
class HangDetectorCore {
 public:
  static constexpr double threshold = 1.0;
  static constexpr double captureCooldown = 30.0;

  struct Event {
    enum class Kind { none, capture, ended };
    Kind kind = Kind::none;
    double seconds = 0;  // capture: unresponsive time; ended: the hang's duration
    bool operator==(const Event&) const = default;
  };

  Event tick(double now, double lastPong);
  bool isHung() const { return m_isHung; }

 private:
  bool m_isHung = false;
  double m_hangStart = 0;
  double m_lastCapture = -1.7976931348623157e308;
};

// The diagnostics setting: "shareCrashReports" in <home>/diagnostics.json; anything but an
// explicit false means on.
struct CrashReportingPrivacy {
  static bool isEnabled(std::optional<std::string_view> fileText);
  // The file's text with the key set (other keys kept; unreadable text replaced).
  static std::string withEnabled(std::optional<std::string_view> fileText, bool enabled);
};

}  // namespace vesket::maintenance
